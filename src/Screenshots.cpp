// Screenshots of the main window's tabs and of the dialogs, taken with QWidget::grab().
#include "src/Screenshots.h"

#include "common/misc/CommAddr.h"
#include "platform/text/FieldText.h"
#include "src/About.h"
#include "src/Init.h"
#include "src/confalert.h"
#include "src/main.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>

namespace twinleaf {

namespace {

bool save(QWidget& widget, const QString& folder, const QString& name) {
    widget.show();
    QApplication::processEvents();
    return widget.grab().save(QDir(folder).filePath(name), "PNG");
}

// The first differing contact pair of the contacts tab, as the two-way mode would meet it; a
// made-up pair when the tab has none.
void fillConflict(TfmConfAlert& alert, TfmMain& window) {
    RecordListModel* palm = window.view(DataKind::Addr, ViewSide::Palm)->records();
    RecordListModel* outlook = window.view(DataKind::Addr, ViewSide::Outlook)->records();
    for (int row = 0; row < palm->rows(); ++row) {
        auto* palmRecord = static_cast<CommAddrRec*>(palm->recordAt(row));
        if (palmRecord->CompareStatus != 2) {
            continue;
        }
        for (int other = 0; other < outlook->rows(); ++other) {
            auto* outlookRecord = static_cast<CommAddrRec*>(outlook->recordAt(other));
            if (fieldText(outlookRecord->FirstName) == fieldText(palmRecord->FirstName) &&
                fieldText(outlookRecord->LastName) == fieldText(palmRecord->LastName)) {
                TfmMain::fillConflictAlert(alert, DataKind::Addr, palmRecord, outlookRecord);
                return;
            }
        }
    }
    static CommAddrRec samplePalm{};
    static CommAddrRec sampleOutlook{};
    copyToField(samplePalm.FirstName, "Ada");
    copyToField(samplePalm.LastName, "Lovelace");
    copyToField(samplePalm.MobilePhone, "+44 7700 900101");
    sampleOutlook = samplePalm;
    copyToField(sampleOutlook.MobilePhone, "+44 7700 900999");
    TfmMain::fillConflictAlert(alert, DataKind::Addr, &samplePalm, &sampleOutlook);
}

} // namespace

bool writeScreenshots(TfmMain& window, const QString& folder) {
    QDir().mkpath(folder);
    bool ok = true;
    const char* const names[] = {"main-contacts.png", "main-calendar.png", "main-tasks.png",
                                 "main-memos.png"};
    // The differing and new Palm contacts ticked, as a user about to press Start would have them.
    window.controller().SelectDiff(DataKind::Addr, ViewSide::Palm);
    for (int kind = 1; kind <= 4; ++kind) {
        window.setActiveKind(kind);
        ok = save(window, folder, QString::fromLatin1(names[kind - 1])) && ok;
    }
    window.setActiveKind(1);

    TfmConfAlert alert(&window);
    fillConflict(alert, window);
    ok = save(alert, folder, QStringLiteral("conflict-alert.png")) && ok;
    alert.hide();

    TfmInit splash(nullptr, &window);
    ok = save(splash, folder, QStringLiteral("splash.png")) && ok;
    splash.hide();

    TfmAbout about(&window);
    ok = save(about, folder, QStringLiteral("about.png")) && ok;
    about.hide();
    return ok;
}

} // namespace twinleaf
