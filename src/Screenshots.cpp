// Screenshots of the main window's tabs and of the dialogs, taken with QWidget::grab().
#include "src/Screenshots.h"

#include "common/misc/CommAddr.h"
#include "common/misc/CommDate.h"
#include "common/misc/CommNote.h"
#include "common/misc/CommTask.h"
#include "common/palm/PalmEnv.h"
#include "common/sync/Options.h"
#include "platform/text/FieldText.h"
#include "src/About.h"
#include "src/Init.h"
#include "src/LossReview.h"
#include "src/addrcustom.h"
#include "src/confalert.h"
#include "src/detail.h"
#include "src/main.h"
#include "src/option.h"

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

// The record a viewer shows: one that fills it (a contact with a company and a business phone,
// a repeating appointment, which has the recurrence page too), else the first there is.
void* recordToShow(TfmMain& window, DataKind kind) {
    const auto fills = [kind](void* record) {
        if (kind == DataKind::Addr) {
            const auto* contact = static_cast<const CommAddrRec*>(record);
            return !fieldText(contact->Company).empty() && !fieldText(contact->WorkPhone).empty();
        }
        if (kind == DataKind::Date) {
            return static_cast<const CommDateRec*>(record)->Repeat.RepeatType != kCommRepeatNone;
        }
        return true;
    };
    void* first = nullptr;
    for (ViewSide side : {ViewSide::Palm, ViewSide::Outlook}) {
        const RecordListModel* rows = window.view(kind, side)->records();
        for (int row = 0; row < rows->rows(); ++row) {
            void* record = rows->recordAt(row);
            if (fills(record)) {
                return record;
            }
            first = first != nullptr ? first : record;
        }
    }
    return first;
}

bool saveViewers(TfmMain& window, const QString& folder) {
    bool ok = true;
    const char* const names[] = {"detail-contact.png", "detail-calendar.png", "detail-task.png",
                                 "detail-memo.png"};
    for (DataKind kind : kDataKinds) {
        void* record = recordToShow(window, kind);
        if (record == nullptr) {
            continue;
        }
        const auto viewer = createDetailViewer(kind, &window);
        viewer->SetRecord(record);
        ok = save(*viewer, folder, QString::fromLatin1(names[static_cast<int>(kind) - 1])) && ok;
        viewer->hide();
    }
    return ok;
}

// A plan with losses both ways, as a run from a classic address book would list them.
SyncPlan sampleLosses() {
    SyncPlan plan;
    const auto add = [&plan](PlanAction action, const char* name, std::vector<FieldLoss> losses) {
        PlanEntry& entry = plan.entries.emplace_back();
        entry.action = action;
        entry.name = name;
        entry.losses = std::move(losses);
    };
    add(PlanAction::CreateInPalm, "Kim Lee",
        {{"MiddleName", "\"Jo\" has no place"},
         {"EMail2", "\"lee@example.net\" has no place"},
         {"HomeFax", "\"555-0306\" has no place"}});
    add(PlanAction::UpdatePalm, "Eve Long",
        {{"E-Mail", "cut after 31 bytes, losing \"mple.org\""}});
    add(PlanAction::CreateInOutlook, "Ada Lovelace",
        {{"(Work) City", "cut after 23 bytes, losing \"own\""},
         {"Custom 1", "\"blue\" has no place"}});
    return plan;
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
    TfmLossReview review(sampleLosses(), QStringLiteral("contact"), &window);
    ok = save(review, folder, QStringLiteral("loss-review.png")) && ok;
    alert.hide();

    TfmInit splash(nullptr, &window);
    ok = save(splash, folder, QStringLiteral("splash.png")) && ok;
    splash.hide();

    TfmAbout about(&window);
    ok = save(about, folder, QStringLiteral("about.png")) && ok;
    about.hide();

    // The dialogs are shown on a copy of the settings: pictures change nothing.
    OptionBlock settings = *GetOptionBlock();
    settings.bAddrCustom = true;
    settings.AddrCustom[0] = 22;
    TfmOption options(&settings, &window);
    ok = save(options, folder, QStringLiteral("options.png")) && ok;
    options.hide();
    TfmAddrCustom mapping(GetPalmDesktopVersion(), &window);
    mapping.SetMapping(settings.AddrCustom);
    ok = save(mapping, folder, QStringLiteral("custom-fields.png")) && ok;
    mapping.hide();

    return saveViewers(window, folder) && ok;
}

} // namespace twinleaf
