// The main window: layout rules, minimum size, menus in step with the tabs, row colours and the
// selection buttons and popup entries.
#include "common/misc/CommAddr.h"
#include "common/misc/CommDate.h"
#include "common/palm/PalmEnv.h"
#include "common/sync/Options.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/ProgramFolder.h"
#include "platform/registry/Registry.h"
#include "platform/text/FieldText.h"
#include "platform/ui/MessageBox.h"
#include "src/MainLayout.h"
#include "src/confalert.h"
#include "src/main.h"
#include "support/QtTestMain.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <memory>

using namespace twinleaf;

namespace {

CommAddrRec contact(const char* first, const char* last, int status) {
    CommAddrRec record{};
    copyToField(record.FirstName, first);
    copyToField(record.LastName, last);
    record.CompareStatus = status;
    return record;
}

// The contacts' two sides as fixed lists whose statuses are set by the test; every call the
// controller makes is recorded.
class FakeSides : public KindSides {
public:
    std::vector<CommAddrRec> palm;
    std::vector<CommAddrRec> outlook;
    QStringList calls;
    int conflictCode = 1; // what FindMatch answers in the two-way mode
    int palmOpens = 0;

    void openPalm(const OptionBlock&) override { ++palmOpens; }
    void reloadOutlook() override {}
    std::vector<void*> palmRecords() override { return pointers(palm); }
    std::vector<void*> outlookRecords() override { return pointers(outlook); }
    void compare() override {}
    int compareStatus(const void* record) const override {
        return static_cast<const CommAddrRec*>(record)->CompareStatus;
    }
    RecordMatch findInOutlook(void*) override { return {conflictCode, &outlook[0], 0}; }
    RecordMatch findInPalm(void*) override { return {conflictCode, &palm[0], 0}; }
    bool saveRecord(void* record) override { return log("saveRecord", record); }
    bool createItemFrom(void* record) override { return log("createItemFrom", record); }
    bool updateItem(void* record, int) override { return log("updateItem", record); }
    bool writeRecord(void* record) override { return log("writeRecord", record); }
    bool addRecord(void* record) override { return log("addRecord", record); }
    bool updateRecord(void* record, int) override { return log("updateRecord", record); }
    PalmSaveResult savePalm() override {
        calls << "savePalm";
        PalmSaveResult saved;
        saved.ok = true;
        return saved;
    }

private:
    static std::vector<void*> pointers(std::vector<CommAddrRec>& records) {
        std::vector<void*> result;
        for (CommAddrRec& record : records) {
            result.push_back(&record);
        }
        return result;
    }
    // Writes the window's look at its losses makes, withheld, change nothing and are not logged.
    bool log(const char* call, void* record) {
        if (!writesWithheld()) {
            calls << QString::fromLatin1(call) + " " +
                         QString::fromLatin1(static_cast<CommAddrRec*>(record)->FirstName.c_str());
        }
        return true;
    }
};

std::vector<bool> checks(RecordListView* view) {
    std::vector<bool> result;
    for (int row = 0; row < view->records()->rows(); ++row) {
        result.push_back(view->records()->isChecked(row));
    }
    return result;
}

// The main window whose dialogs are answered by the test.
class TestMain : public TfmMain {
public:
    explicit TestMain(SyncController::SidesFactory sides) : TfmMain(std::move(sides)) {}

    ConflictAnswer answer;
    QStringList conflicts;
    QStringList details;
    std::function<void()> optionsDialog; // what the user changes in the options dialog

    ConflictAnswer askConflict(DataKind kind, void* palm, void* outlook) override {
        conflicts << QString::number(static_cast<int>(kind)) + " " +
                         QString::fromLatin1(static_cast<CommAddrRec*>(palm)->FirstName.c_str()) +
                         "/" +
                         QString::fromLatin1(static_cast<CommAddrRec*>(outlook)->FirstName.c_str());
        return answer;
    }

protected:
    void runOptionsDialog() override {
        if (optionsDialog) {
            optionsDialog();
        }
    }
    void openDetailViewer(DataKind kind, void* record) override {
        details << QString::number(static_cast<int>(kind)) + " " +
                       QString::fromLatin1(static_cast<CommAddrRec*>(record)->FirstName.c_str());
    }
};

// Message boxes answered at once, as a user pressing OK would.
struct MessageRecorder {
    QStringList messages;
    win::ScopedMessageBoxHandler handler{
        [this](win::HWND, const char* text, const char* caption, win::UINT type) {
            messages << QString::fromLatin1(caption) + "/" + QString::number(type, 16) + ": " +
                            QString::fromLatin1(text);
            return win::IDOK;
        }};
};

} // namespace

// Receives what would go to the desktop's default handlers.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        *GetOptionBlock() = OptionBlock{};
        GetOptionBlock()->ShowColor = true;
        m_ownedSides = std::make_unique<FakeSides>();
        m_sides = m_ownedSides.get();
        m_sides->palm = {contact("Ada", "Byron", 0), contact("Bea", "Cole", 1),
                         contact("Cy", "Dunn", 2), contact("Di", "Eck", 0)};
        m_sides->outlook = {contact("Ed", "Fox", 1), contact("Flo", "Gale", 2)};
        // The controller takes the contacts' sides when it opens them.
        m_window = std::make_unique<TestMain>(
            [this](DataKind kind, const OptionBlock&) -> std::unique_ptr<KindSides> {
                if (kind == DataKind::Addr && m_ownedSides) {
                    return std::move(m_ownedSides);
                }
                return std::make_unique<EmptySides>();
            });
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() {
        m_window.reset();
        m_ownedSides.reset();
        m_messages.messages.clear();
    }

    void tabLayoutFollowsTheWindowSize_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("minimum") << QSize(800, 600);
        QTest::newRow("odd width") << QSize(1013, 701);
        QTest::newRow("large") << QSize(1280, 960);
    }
    void tabLayoutFollowsTheWindowSize() {
        QFETCH(QSize, size);
        m_window->resize(size);
        QCoreApplication::processEvents();
        for (int kind = 1; kind <= 4; ++kind) {
            // A hidden tab is laid out when it is shown.
            m_window->setActiveKind(kind);
            QCoreApplication::processEvents();
            const KindControls& c = m_window->controls(kind);
            const int width = c.page->width();
            const int height = c.page->height();
            QCOMPARE(c.pTop->width(), width - 30);
            QCOMPARE(c.pMain->width(), width - 30);
            QCOMPARE(c.pBottom->width(), width - 30);
            QCOMPARE(c.pBottom->y(), height - 71);
            QCOMPARE(c.pMain->height(), height - 125);
            const int half = (width - 3) / 2;
            QCOMPARE(c.lvPD->width(), half - 15);
            const int outlookLeft = c.lvOL->mapTo(c.page, QPoint(0, 0)).x();
            QCOMPARE(outlookLeft, half + 3);
            QCOMPARE(c.lvOL->width(), width - outlookLeft - 15);
            const int labelLeft = (width - 30) / 2 + 5;
            QCOMPARE(c.lblOL->x(), labelLeft);
            QCOMPARE(c.btnOLAll->x(), labelLeft + 75);
            QCOMPARE(c.btnOLDiff->x(), labelLeft + 165);
            QCOMPARE(c.btnOLClear->x(), labelLeft + 255);
            QCOMPARE(c.btnPDAll->x(), 114);
            QCOMPARE(c.btnPDDiff->x(), 198);
            QCOMPARE(c.btnPDClear->x(), 284);
            QCOMPARE(c.cbUser->width(), 112);
        }
        const QRect bar = m_window->statusBarWidget()->geometry();
        QCOMPARE(m_window->progressBar()->geometry(),
                 QRect(bar.left() + 2, bar.top() + 1, bar.width() - 4, bar.height() - 2));
    }

    void textsFitTheirPlaces() {
        // Fixed positions must not cut labels at the smallest window.
        for (int kind = 1; kind <= 4; ++kind) {
            m_window->setActiveKind(kind);
            QCoreApplication::processEvents();
            const KindControls& c = m_window->controls(kind);
            QVERIFY(c.lblPD->sizeHint().width() <= c.btnPDAll->x() - c.lblPD->x());
            QVERIFY(c.lblOL->sizeHint().width() <= c.btnOLAll->x() - c.lblOL->x());
            QVERIFY(c.btnStart->geometry().right() < c.pTop->width());
            QVERIFY(c.rbtnSync->geometry().right() < c.btnStart->x());
        }
    }

    void bannerButtonsKeepTheirDistance() {
        QCOMPARE(bannerButtonStep(792), 93);
        QCOMPARE(bannerButtonStep(823), 100);
        QCOMPARE(bannerButtonStep(824), 100);
        QCOMPARE(bannerButtonStep(1400), 100);
        m_window->resize(810, 600);
        QCoreApplication::processEvents();
        const int width = m_window->banner()->width();
        const int step = bannerButtonStep(width);
        QCOMPARE(m_window->exitButton()->x(), width - step);
        QCOMPARE(m_window->helpButton()->x(), width - 2 * step);
        QCOMPARE(m_window->banner()->height(), 80);
    }

    void refusesToBecomeSmallerThan800By600() {
        QCOMPARE(m_window->minimumSize(), QSize(800, 600));
        m_window->resize(640, 480);
        QCoreApplication::processEvents();
        QVERIFY(m_window->width() >= 800);
        QVERIFY(m_window->height() >= 600);
    }

    void captions() {
        QCOMPARE(m_window->windowTitle(),
                 QStringLiteral("Twinleaf - Synchronize Palm Desktop and Microsoft Outlook"));
        const QStringList tabs = {"Contacts", "Calendar", "Tasks", "Memos"};
        for (int index = 0; index < 4; ++index) {
            QCOMPARE(m_window->tabs()->tabText(index), tabs[index]);
        }
        QCOMPARE(m_window->tabs()->currentIndex(), 0);
        QCOMPARE(m_window->helpButton()->text(), QStringLiteral("&Help"));
        QCOMPARE(m_window->exitButton()->text(), QStringLiteral("E&xit"));
        QVERIFY(m_window->progressBar()->isHidden());
        QCOMPARE(m_window->progressBar()->maximum(), 100);
        const QStringList contacts = {"First Name", "Last Name",    "Email",   "Business Phone",
                                      "Home Phone", "Mobile Phone", "Company", "Title"};
        RecordListModel* model = m_window->controls(1).lvOL->records();
        QCOMPARE(model->columnCount(), contacts.size());
        for (int column = 0; column < contacts.size(); ++column) {
            QCOMPARE(model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
                     contacts[column]);
        }
        QCOMPARE(m_window->controls(3).lvPD->columnWidth(3), 100);
        QCOMPARE(m_window->controls(4).lvPD->columnWidth(0), 320);
    }

    void exitClosesTheWindow() {
        QTest::mouseClick(m_window->exitButton(), Qt::LeftButton);
        QVERIFY(!m_window->isVisible());
        m_window->show();
        m_window->findChild<QAction*>(QStringLiteral("miExit"))->trigger();
        QVERIFY(!m_window->isVisible());
    }

    void viewMenuFollowsTheActiveTab() {
        const auto checkedItems = [this] {
            QStringList checked;
            for (int kind = 1; kind <= 4; ++kind) {
                if (m_window->viewAction(kind)->isChecked()) {
                    checked << m_window->viewAction(kind)->text();
                }
            }
            return checked;
        };
        QCOMPARE(checkedItems(), QStringList{"&Contacts"});
        // The user picks the tab.
        m_window->tabs()->tabBar()->setCurrentIndex(3);
        QCOMPARE(checkedItems(), QStringList{"&Notes"});
        // The View menu picks it.
        m_window->viewAction(2)->trigger();
        QCOMPARE(m_window->tabs()->currentIndex(), 1);
        QCOMPARE(checkedItems(), QStringList{"C&alendar"});
        // Choosing the checked item again keeps it checked.
        m_window->viewAction(2)->trigger();
        QCOMPARE(checkedItems(), QStringList{"C&alendar"});
        // The File menu picks it too.
        m_window->fileAction(3)->trigger();
        QCOMPARE(m_window->tabs()->currentIndex(), 2);
        QCOMPARE(checkedItems(), QStringList{"&Tasks"});
    }

    void rowsAreColouredByStatus() {
        m_window->controller().OpenKind(DataKind::Addr);
        RecordListView* view = m_window->controls(1).lvPD;
        QCOMPARE(view->records()->rows(), 4);
        QCOMPARE(view->selectedRow(), 0);
        const auto cell = [view](int row, int column, int role) {
            return view->records()->data(view->records()->index(row, column), role);
        };
        QCOMPARE(cell(1, 0, Qt::DisplayRole).toString(), QStringLiteral("Bea"));
        QCOMPARE(cell(1, 1, Qt::DisplayRole).toString(), QStringLiteral("Cole"));
        OptionBlock& options = *GetOptionBlock();
        options.DiffColor = 0x00800000;
        options.NewColor = 0x00008000;
        options.SameColor = 0x000000FF;
        const auto colour = [&cell](int row) {
            return cell(row, 1, Qt::ForegroundRole).value<QColor>();
        };
        QCOMPARE(colour(0), QColor(255, 0, 0));
        QCOMPARE(colour(1), QColor(0, 128, 0));
        QCOMPARE(colour(2), QColor(0, 0, 128));
        m_sides->palm[3].CompareStatus = 7; // anything else is drawn as the same
        QCOMPARE(colour(3), QColor(255, 0, 0));
        options.ShowColor = false;
        for (int row = 0; row < 4; ++row) {
            QCOMPARE(colour(row), QColor(Qt::black));
        }
    }

    void selectionButtonsAndPopupEntries() {
        m_window->controller().OpenKind(DataKind::Addr);
        const KindControls& c = m_window->controls(1);
        QTest::mouseClick(c.btnPDAll, Qt::LeftButton);
        QCOMPARE(checks(c.lvPD), (std::vector<bool>{true, true, true, true}));
        QCOMPARE(checks(c.lvOL), (std::vector<bool>{false, false}));
        QTest::mouseClick(c.btnPDDiff, Qt::LeftButton);
        QCOMPARE(checks(c.lvPD), (std::vector<bool>{false, true, true, false}));
        QTest::mouseClick(c.btnPDClear, Qt::LeftButton);
        QCOMPARE(checks(c.lvPD), (std::vector<bool>{false, false, false, false}));
        // Ticking rows leaves the selected row where it was.
        QCOMPARE(c.lvPD->selectedRow(), 0);

        const QList<QAction*> entries = c.lvOL->popupMenu()->actions();
        QCOMPARE(entries.size(), 5);
        QCOMPARE(entries[0]->text(), QStringLiteral("Select &All"));
        QCOMPARE(entries[1]->text(), QStringLiteral("Select &Diff"));
        QCOMPARE(entries[2]->text(), QStringLiteral("&Clear"));
        QVERIFY(entries[3]->isSeparator());
        QCOMPARE(entries[4]->text(), QStringLiteral("Detail &Information"));
        entries[0]->trigger();
        QCOMPARE(checks(c.lvOL), (std::vector<bool>{true, true}));
        entries[2]->trigger();
        QCOMPARE(checks(c.lvOL), (std::vector<bool>{false, false}));
        m_sides->outlook[0].CompareStatus = 0;
        entries[1]->trigger();
        QCOMPARE(checks(c.lvOL), (std::vector<bool>{false, true}));
        QCOMPARE(checks(c.lvPD), (std::vector<bool>{false, false, false, false}));
    }

    void detailGoesToTheSelectedRowOnly() {
        m_window->controller().OpenKind(DataKind::Addr);
        const KindControls& c = m_window->controls(1);
        c.lvOL->selectRow(1);
        c.lvOL->popupMenu()->actions()[4]->trigger();
        QTest::mouseDClick(c.lvPD->viewport(), Qt::LeftButton, {},
                           c.lvPD->visualRect(c.lvPD->viewIndex(2, 1)).center());
        QCOMPARE(m_window->details, (QStringList{"1 Flo", "1 Cy"}));
        // With no row selected nothing opens, wherever the double click lands.
        c.lvPD->selectRow(-1);
        QTest::mouseDClick(c.lvPD->viewport(), Qt::LeftButton, {},
                           QPoint(10, c.lvPD->viewport()->height() - 5));
        c.lvPD->popupMenu()->actions()[4]->trigger();
        QCOMPARE(m_window->details.size(), 2);
    }

    // What the options dialog changed takes effect when it closes: the Palm side is read again
    // only for what concerns it, and a file chosen by name takes the user selector's place.
    void optionChangesReopenWhatTheyConcern() {
        m_window->controller().OpenKind(DataKind::Addr);
        test::TempDir dir;
        const std::filesystem::path chosen = dir.path() / "address.dat";
        test::writeBytes(chosen, "a file");
        OptionBlock& options = *GetOptionBlock();
        struct ChangeCase {
            const char* name;
            std::function<void()> change;
            int reopens;
            bool selectorEnabled;
        };
        const ChangeCase cases[] = {
            {"colours only", [&] { options.DiffColor = 0xFF; }, 0, true},
            {"name swap", [&] { options.AddrSwapName = true; }, 1, true},
            {"a file chosen by name",
             [&] {
                 options.bAddrFile = true;
                 copyToField(options.AddrFile, chosen.string());
             },
             1, false},
            {"nothing", [] {}, 0, false},
            {"the file switched off", [&] { options.bAddrFile = false; }, 1, true},
            {"a name typed while switched off", [&] { copyToField(options.AddrFile, "/x"); }, 0,
             true},
        };
        QAction* menuItem = m_window->findChild<QAction*>(QStringLiteral("miOptions"));
        QVERIFY(menuItem);
        const KindControls& c = m_window->controls(1);
        for (const ChangeCase& change : cases) {
            const int before = m_sides->palmOpens;
            m_window->optionsDialog = change.change;
            menuItem->trigger();
            QVERIFY2(m_sides->palmOpens - before == change.reopens, change.name);
            QVERIFY2(c.cbUser->isEnabled() == change.selectorEnabled, change.name);
            QVERIFY2(c.cbUser->toolTip().contains(QString::fromStdString(chosen.string())) ==
                         !change.selectorEnabled,
                     change.name);
        }
        // A new mapping opens contacts anew, Outlook side and all: here the factory has no
        // second set of contacts to give, so the lists empty.
        m_window->optionsDialog = [&] { options.AddrCustom[0] = 22; };
        menuItem->trigger();
        QCOMPARE(c.lvPD->records()->rows(), 0);
    }

    void startRunsTheTabsMode() {
        m_window->controller().OpenKind(DataKind::Addr);
        const KindControls& c = m_window->controls(1);
        m_window->RestoreModeButtons();
        c.lvPD->records()->setChecked(0, true);
        c.lvPD->records()->setChecked(2, true);
        QTest::mouseClick(c.btnStart, Qt::LeftButton);
        QCOMPARE(m_sides->calls, (QStringList{"saveRecord Ada", "saveRecord Cy"}));
        QCOMPARE(checks(c.lvPD), (std::vector<bool>{false, false, false, false}));
        QCOMPARE(m_messages.messages,
                 QStringList{"Information/40: Contact information synchronized successfully. 2 "
                             "records updated."});
        QVERIFY(m_window->progressBar()->isHidden());
        QCOMPARE(m_window->progressBar()->value(), 100);

        // Outlook to Palm Desktop with nothing checked is refused.
        m_sides->calls.clear();
        m_messages.messages.clear();
        QTest::mouseClick(c.rbtnO2P, Qt::LeftButton);
        QTest::mouseClick(c.btnStart, Qt::LeftButton);
        QVERIFY(m_sides->calls.isEmpty());
        QCOMPARE(m_messages.messages.size(), 1);
        QVERIFY(m_messages.messages[0].startsWith(
            QStringLiteral("Error/10: No Outlook contact record is ticked.")));

        // Synchronize All asks about the differing pair through the window.
        m_messages.messages.clear();
        m_sides->conflictCode = 3;
        m_window->answer = ConflictAnswer{true, 2, true, false};
        QTest::mouseClick(c.rbtnSync, Qt::LeftButton);
        QTest::mouseClick(c.btnStart, Qt::LeftButton);
        QCOMPARE(m_window->conflicts, QStringList{"1 Ada/Ed"});
        // Every Palm row meets Ed, every Outlook row meets Ada; the first answer holds. The pair
        // Ada and Ed, settled in the Palm pass, is not written again in the Outlook pass.
        QCOMPARE(m_sides->calls.count(QStringLiteral("updateRecord Ed")), 4);
        QCOMPARE(m_sides->calls.count(QStringLiteral("updateRecord Flo")), 1);
        QVERIFY(m_sides->calls.contains(QStringLiteral("savePalm")));
        QCOMPARE(m_messages.messages,
                 QStringList{"Information/40: Contact information synchronized successfully. 5 "
                             "records updated."});
    }

    void conflictAlertShowsThePairsFields() {
        CommAddrRec palm = contact("Ada", "Byron", 2);
        CommAddrRec outlook = contact("Ada", "Byron", 2);
        copyToField(palm.MobilePhone, "+44 7700 900001");
        copyToField(outlook.MobilePhone, "+44 7700 900999");
        copyToField(palm.Title, "Countess");
        copyToField(outlook.Title, "Programmer");
        TfmConfAlert alert;
        TfmMain::fillConflictAlert(alert, DataKind::Addr, &palm, &outlook);
        QTreeWidget* list = alert.list(1);
        QCOMPARE(list->headerItem()->text(6), QStringLiteral("Mobile Phone"));
        QCOMPARE(list->topLevelItem(0)->text(6), QStringLiteral("+44 7700 900001"));
        QCOMPARE(list->topLevelItem(1)->text(6), QStringLiteral("+44 7700 900999"));
        QCOMPARE(list->headerItem()->text(8), QStringLiteral("Title"));
        QCOMPARE(list->topLevelItem(0)->text(8), QStringLiteral("Countess"));
        QCOMPARE(list->topLevelItem(1)->text(8), QStringLiteral("Programmer"));
        QVERIFY(alert.p2oButton()->isChecked());
    }

    // An appointment pair shows its description, day and times, the pair's difference in bold.
    void conflictAlertShowsAppointmentPairs() {
        CommDateRec palm{};
        copyToField(palm.Description, "Dentist");
        palm.StartDateTime = win::SYSTEMTIME{2024, 3, 1, 4, 9, 0, 0, 0};
        palm.EndDateTime = win::SYSTEMTIME{2024, 3, 1, 4, 9, 30, 0, 0};
        CommDateRec outlook = palm;
        outlook.StartDateTime.wDay = 5;
        outlook.EndDateTime.wDay = 5;
        TfmConfAlert alert;
        TfmMain::fillConflictAlert(alert, DataKind::Date, &palm, &outlook);
        QTreeWidget* list = alert.list(2);
        QCOMPARE(list->headerItem()->text(2), QStringLiteral("Date"));
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Dentist"));
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("03/04/2024"));
        QCOMPARE(list->topLevelItem(1)->text(2), QStringLiteral("03/05/2024"));
        QCOMPARE(list->topLevelItem(1)->text(3), QStringLiteral("09:00:00"));
        QCOMPARE(list->topLevelItem(1)->text(4), QStringLiteral("09:30:00"));
        QVERIFY(list->topLevelItem(0)->font(2).bold());
        QVERIFY(!list->topLevelItem(0)->font(1).bold());
    }

    void checkBoxTogglesOnClick() {
        m_window->controller().OpenKind(DataKind::Addr);
        RecordListView* view = m_window->controls(1).lvPD;
        RecordListModel* model = view->records();
        QVERIFY(model->flags(model->index(0, 0)) & Qt::ItemIsUserCheckable);
        QVERIFY(!(model->flags(model->index(0, 1)) & Qt::ItemIsEditable));
        QVERIFY(model->setData(model->index(1, 0), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(m_window->checkedRows(DataKind::Addr, ViewSide::Palm),
                 (std::vector<bool>{false, true, false, false}));
    }

    void spaceTicksTheHighlightedRow() {
        m_window->controller().OpenKind(DataKind::Addr);
        RecordListView* view = m_window->controls(1).lvPD;
        view->setFocus();
        view->selectRow(2);
        // The focus on another column than the check box's must not matter.
        view->setCurrentIndex(view->viewIndex(2, 1));
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(checks(view), (std::vector<bool>{false, false, true, false}));
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(checks(view), (std::vector<bool>{false, false, false, false}));
    }

    void headerClickSortsTheViewAndKeepsTheRows() {
        m_window->controller().OpenKind(DataKind::Addr);
        RecordListView* view = m_window->controls(1).lvPD;
        QCOMPARE(view->shownRows(), (std::vector<int>{0, 1, 2, 3}));
        QHeaderView* header = view->header();
        const QPoint lastName(header->sectionViewportPosition(1) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, lastName);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, lastName);
        QCOMPARE(view->shownRows(), (std::vector<int>{3, 2, 1, 0}));
        // The controller's rows are the list's: Byron is still row 0, and ticking the row shown
        // first ticks Eck.
        QCOMPARE(QString::fromLatin1(
                     static_cast<CommAddrRec*>(view->records()->recordAt(0))->LastName.c_str()),
                 QStringLiteral("Byron"));
        view->setFocus();
        view->setCurrentIndex(view->model()->index(0, 0));
        QCOMPARE(view->selectedRow(), 3);
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(m_window->checkedRows(DataKind::Addr, ViewSide::Palm),
                 (std::vector<bool>{false, false, false, true}));
    }

    void filterNarrowsBothLists() {
        m_window->controller().OpenKind(DataKind::Addr);
        const KindControls& c = m_window->controls(1);
        QTest::keyClicks(m_window->filterBox(), QStringLiteral("FOX"));
        QCOMPARE(c.lvPD->shownRows(), std::vector<int>{});
        QCOMPARE(c.lvOL->shownRows(), std::vector<int>{0});
        m_window->filterBox()->setText(QStringLiteral("d"));
        QCOMPARE(c.lvPD->shownRows(), (std::vector<int>{0, 2, 3})); // Ada, Dunn, Di
        QCOMPARE(c.lvOL->shownRows(), std::vector<int>{0});         // Ed
        // Select All still means every row of the list: the filter only narrows the view.
        QTest::mouseClick(c.btnPDAll, Qt::LeftButton);
        QCOMPARE(checks(c.lvPD), (std::vector<bool>{true, true, true, true}));
        m_window->filterBox()->clear();
        QCOMPARE(c.lvPD->shownRows(), (std::vector<int>{0, 1, 2, 3}));
    }

    void legendExplainsTheColours() {
        OptionBlock& options = *GetOptionBlock();
        options.NewColor = 0x00008000;
        options.DiffColor = 0x00800000;
        options.SameColor = 0x000000FF;
        m_window->controller().OpenKind(DataKind::Addr);
        const QString text = m_window->legend()->text();
        QVERIFY(text.contains(QStringLiteral("color:#008000\">&#9632; New")));
        QVERIFY(text.contains(QStringLiteral("color:#000080\">&#9632; Different")));
        QVERIFY(text.contains(QStringLiteral("color:#ff0000\">&#9632; Same")));
        QVERIFY(m_window->legend()->isVisible());
        options.ShowColor = false;
        m_window->legend()->refresh();
        QCOMPARE(m_window->legend()->text(), QString());
    }

    void highlightedRowKeepsItsStatusColour() {
        GetOptionBlock()->DiffColor = 0x000000FF; // red text for "different"
        m_window->controller().OpenKind(DataKind::Addr);
        RecordListView* view = m_window->controls(1).lvPD;
        view->setFocus();
        view->selectRow(2); // Cy Dunn, different
        QCoreApplication::processEvents();
        const QImage image = view->viewport()->grab().toImage();
        const QRect row = view->visualRect(view->viewIndex(2, 1));
        bool red = false;
        for (int x = row.left(); x < row.right() && !red; ++x) {
            for (int y = row.top(); y < row.bottom() && !red; ++y) {
                const QColor pixel =
                    image.pixelColor(x * image.width() / view->viewport()->width(),
                                     y * image.height() / view->viewport()->height());
                red = pixel.red() > 150 && pixel.green() < 100 && pixel.blue() < 100;
            }
        }
        QVERIFY2(red, "the highlighted row's text is drawn in its status colour");
    }

    void columnsShareAWideWindow() {
        m_window->controller().OpenKind(DataKind::Addr);
        RecordListView* view = m_window->controls(1).lvPD;
        const auto sum = [view] {
            int total = 0;
            for (int section = 0; section < view->header()->count(); ++section) {
                total += view->header()->sectionSize(section);
            }
            return total;
        };
        QCOMPARE(sum(), 680); // the given widths, wider than the view at 800 pixels
        m_window->resize(2400, 700);
        QCoreApplication::processEvents();
        QVERIFY(view->viewport()->width() > 680);
        QCOMPARE(sum(), view->viewport()->width());
        // In the given proportions, up to rounding: "Email" 100 against "First Name" 80.
        QVERIFY(qAbs(view->header()->sectionSize(2) * 80 - view->header()->sectionSize(0) * 100) <=
                100);
    }

    void helpOpensTheDocumentInTheHomeFolder() {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString help = home.filePath(QStringLiteral("twinleaf.html"));
        QFile file(help);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        setProgramFolderOverride(home.path().toStdString());
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
        QTest::mouseClick(m_window->helpButton(), Qt::LeftButton);
        m_window->findChild<QAction*>(QStringLiteral("miContent"))->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        setProgramFolderOverride({});
        QCOMPARE(recorder.opened,
                 (QList<QUrl>{QUrl::fromLocalFile(help), QUrl::fromLocalFile(help)}));
        QVERIFY(m_messages.messages.isEmpty());
    }

    void missingHelpIsReported() {
        QTemporaryDir home;
        setProgramFolderOverride(home.path().toStdString());
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
        m_window->openHelp();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        setProgramFolderOverride({});
        QVERIFY(recorder.opened.isEmpty());
        QCOMPARE(m_messages.messages.size(), 1);
        QVERIFY(m_messages.messages[0].startsWith(
            QStringLiteral("Error/10: Can not open the help file")));
    }

    void logoAndMenuOpenTheHomePage() {
        UrlRecorder recorder;
        const QString scheme = QUrl(QStringLiteral(TWINLEAF_HOME_PAGE)).scheme();
        QDesktopServices::setUrlHandler(scheme, &recorder, "open");
        QTest::mouseClick(m_window->findChild<QLabel*>(QStringLiteral("imgLogo")), Qt::LeftButton);
        m_window->findChild<QAction*>(QStringLiteral("miHomePage"))->trigger();
        QDesktopServices::unsetUrlHandler(scheme);
        const QUrl page(QStringLiteral(TWINLEAF_HOME_PAGE));
        QCOMPARE(recorder.opened, (QList<QUrl>{page, page}));
    }

    void modeButtonsFollowTheSettings() {
        OptionBlock& options = *GetOptionBlock();
        options.AddrSyncMode = 3;
        options.DateSyncMode = 4;
        options.TodoSyncMode = 2;
        options.MemoSyncMode = 0;
        m_window->RestoreModeButtons();
        QCOMPARE(options.AddrSyncMode, 1);
        QCOMPARE(options.MemoSyncMode, 1);
        QVERIFY(m_window->controls(1).rbtnP2O->isChecked());
        QVERIFY(m_window->controls(2).rbtnSync->isChecked());
        QVERIFY(m_window->controls(3).rbtnO2P->isChecked());
        QVERIFY(m_window->controls(4).rbtnP2O->isChecked());
        // Clicking a button changes that tab's setting only.
        m_window->setActiveKind(1);
        QTest::mouseClick(m_window->controls(1).rbtnSync, Qt::LeftButton);
        QCOMPARE(options.AddrSyncMode, 4);
        QCOMPARE(options.DateSyncMode, 4);
        QCOMPARE(options.TodoSyncMode, 2);
        QTest::mouseClick(m_window->controls(1).rbtnO2P, Qt::LeftButton);
        QCOMPARE(options.AddrSyncMode, 2);
    }

    void userSelectorWithAnUnknownIdShowsTheFirstUser() {
        test::TempDir dir;
        test::ScopedProgramFolder home(dir.path() / "home");
        ScopedRegistryPrefix prefix(dir.path() / "wine");
        std::filesystem::create_directories(dir.path() / "Palm" / "Alice" / "address");
        std::filesystem::create_directories(dir.path() / "Palm" / "bob" / "todo");
        test::writeBytes(dir.path() / "home" / "corvane.ini",
                         "[Path]\r\nPDPath=" + (dir.path() / "Palm").string() + "\r\n");
        QVERIFY(OpenPalmEnvironment());
        QComboBox* selector = m_window->controls(3).cbUser;
        QSignalSpy changes(selector, &QComboBox::currentIndexChanged);

        m_window->fillUserSelector(DataKind::Todo, 12345);
        QCOMPARE(selector->count(), 2);
        QCOMPARE(selector->currentIndex(), 0);
        QCOMPARE(selector->currentText(), QStringLiteral("Alice"));
        const auto bob = static_cast<std::int32_t>(selector->itemData(1).toULongLong());
        m_window->fillUserSelector(DataKind::Todo, bob);
        QCOMPARE(selector->currentText(), QStringLiteral("bob"));
        QCOMPARE(changes.count(), 0);
        // The other tabs keep their own selectors.
        QCOMPARE(m_window->controls(1).cbUser->count(), 0);

        QVERIFY(ClosePalmEnvironment());
        m_window->fillUserSelector(DataKind::Todo, bob);
        QCOMPARE(selector->count(), 0);
        QCOMPARE(selector->currentIndex(), -1);
        QCOMPARE(m_messages.messages, QStringList{});
    }

private:
    std::unique_ptr<FakeSides> m_ownedSides; // until the controller opens the contacts
    FakeSides* m_sides = nullptr;
    MessageRecorder m_messages;
    std::unique_ptr<TestMain> m_window;
};

TWINLEAF_QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
