// Screenshots of the main window's tabs and of the dialogs, taken with QWidget::grab().
#include "src/Screenshots.h"

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

// A differing pair as the two-way mode meets it.
void fillConflictSample(TfmConfAlert& alert) {
    static const int palm = 0;
    static const int outlook = 0;
    alert.ShowPair(
        &palm,
        {QStringLiteral("Ada"), QStringLiteral("Byron"), QStringLiteral("ada@example.org"),
         QStringLiteral("+44 20 7946 0001"), QString(), QStringLiteral("+44 7700 900001"),
         QStringLiteral("Analytical Engines"), QStringLiteral("Programmer")},
        &outlook,
        {QStringLiteral("Ada"), QStringLiteral("Byron"), QStringLiteral("ada@example.org"),
         QStringLiteral("+44 20 7946 0001"), QString(), QStringLiteral("+44 7700 900999"),
         QStringLiteral("Analytical Engines"), QStringLiteral("Countess")});
}

} // namespace

bool writeScreenshots(TfmMain& window, const QString& folder) {
    QDir().mkpath(folder);
    bool ok = true;
    const char* const names[] = {"main-contacts.png", "main-calendar.png", "main-tasks.png",
                                 "main-memos.png"};
    for (int kind = 1; kind <= 4; ++kind) {
        window.setActiveKind(kind);
        ok = save(window, folder, QString::fromLatin1(names[kind - 1])) && ok;
    }
    window.setActiveKind(1);

    TfmConfAlert alert(&window);
    alert.SetKind(1);
    fillConflictSample(alert);
    alert.TransferChoice(false);
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
