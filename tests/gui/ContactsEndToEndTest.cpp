// The contacts tab from start-up to sync on a real classic address book and the Outlook store:
// the window is driven by clicks, dialogs are answered through the controller's interface.
#include "common/misc/CommAddr.h"
#include "common/outlook/OlAddr.h"
#include "common/palm/PalmAddr.h"
#include "common/palm/PalmAddrInfo.h"
#include "common/palm/PalmEnv.h"
#include "common/sync/Options.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/registry/Registry.h"
#include "platform/text/FieldText.h"
#include "platform/ui/MessageBox.h"
#include "src/LossReview.h"
#include "src/main.h"
#include "support/QtTestMain.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <memory>
#include <utility>

using namespace twinleaf;

namespace {

CommAddrRec contact(const char* first, const char* last, const char* work, const char* mobile) {
    CommAddrRec record{};
    copyToField(record.FirstName, first);
    copyToField(record.LastName, last);
    copyToField(record.WorkPhone, work);
    copyToField(record.MobilePhone, mobile);
    return record;
}

// Answers the conflict question as the test says and records it.
class AnsweringMain : public TfmMain {
public:
    ConflictAnswer answer{true, 1, false, false};
    QStringList asked;
    std::function<void()> meanwhile; // what another program does while the question is open
    ConflictAnswer askConflict(DataKind, void* palm, void*) override {
        asked << QString::fromLatin1(static_cast<CommAddrRec*>(palm)->FirstName.c_str());
        if (meanwhile) {
            std::exchange(meanwhile, nullptr)();
        }
        return answer;
    }
};

QStringList statuses(TfmMain& window, ViewSide side) {
    QStringList result;
    RecordListModel* model = window.view(DataKind::Addr, side)->records();
    for (int row = 0; row < model->rows(); ++row) {
        const auto* record = static_cast<const CommAddrRec*>(model->recordAt(row));
        result << QString::fromLatin1(record->FirstName.c_str()) + "=" +
                      QString::number(record->CompareStatus);
    }
    return result;
}

} // namespace

class ContactsEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_dir = std::make_unique<test::TempDir>();
        m_home = std::make_unique<test::ScopedProgramFolder>(home());
        m_prefix = std::make_unique<ScopedRegistryPrefix>(m_dir->path() / "wine");
        m_messages.clear();
        const std::filesystem::path palm = m_dir->path() / "Palm";
        std::filesystem::create_directories(palm / "Alice" / "address");
        test::writeBytes(home() / "corvane.ini", "[Path]\r\nPDPath=" + palm.string() + "\r\n");
        QVERIFY(PmAddrUtil().Save((palm / "Alice" / "address" / "address.dat").c_str()));

        // Palm: Ada and Margaret, shared with Outlook, and Dennis; Outlook: Donald besides.
        QVERIFY(OpenPalmEnvironment());
        const auto* alice = static_cast<const PalmUserRec*>(palmUserList().GetAt(0));
        QVERIFY(alice);
        {
            PmAddrInfo info;
            QVERIFY(info.Open(alice->id));
            for (const CommAddrRec& record : {contact("Ada", "Lovelace", "+44 1", "+44 2"),
                                              contact("Margaret", "Hamilton", "+1 3", "+1 4"),
                                              contact("Dennis", "Ritchie", "+1 5", "")}) {
                QVERIFY(info.AddRecord(&record));
            }
            QVERIFY(info.Save());
            OlAddrUtil outlook;
            QVERIFY(outlook.Reload());
            CommAddrMgr* palmList = info.GetCommMgr();
            CommAddrRec ada = *palmList->GetAt(0);
            CommAddrRec margaret = *palmList->GetAt(1);
            ada.Native = margaret.Native = nullptr;
            copyToField(margaret.MobilePhone, "+1 999");
            const CommAddrRec donald = contact("Donald", "Knuth", "+1 6", "");
            QVERIFY(outlook.SaveRecord(&ada));
            QVERIFY(outlook.SaveRecord(&margaret));
            QVERIFY(outlook.SaveRecord(&donald));
        }
        QVERIFY(ClosePalmEnvironment());

        m_window = std::make_unique<AnsweringMain>();
        m_window->show();
        m_window->StartUp();
    }
    void cleanup() {
        m_window.reset();
        m_prefix.reset();
        m_home.reset();
        m_dir.reset();
    }

    void startUpShowsBothSidesCompared() {
        QCOMPARE(m_window->controls(1).cbUser->currentText(), QStringLiteral("Alice"));
        QCOMPARE(statuses(*m_window, ViewSide::Palm),
                 (QStringList{"Ada=0", "Margaret=2", "Dennis=1"}));
        QCOMPARE(statuses(*m_window, ViewSide::Outlook),
                 (QStringList{"Ada=0", "Margaret=2", "Donald=1"}));
        QCOMPARE(m_messages, QStringList{});
    }

    void oneWayModesCopyTheDifferences() {
        const KindControls& c = m_window->controls(1);
        QTest::mouseClick(c.btnPDDiff, Qt::LeftButton);
        QTest::mouseClick(c.btnStart, Qt::LeftButton);
        QCOMPARE(m_messages, QStringList{"Contact information synchronized successfully. 2 "
                                         "records updated."});
        QCOMPARE(statuses(*m_window, ViewSide::Palm),
                 (QStringList{"Ada=0", "Margaret=0", "Dennis=0"}));
        QCOMPARE(statuses(*m_window, ViewSide::Outlook).last(), QStringLiteral("Dennis=0"));

        m_messages.clear();
        QTest::mouseClick(c.rbtnO2P, Qt::LeftButton);
        QTest::mouseClick(c.btnOLDiff, Qt::LeftButton);
        QTest::mouseClick(c.btnStart, Qt::LeftButton);
        QCOMPARE(m_messages, QStringList{"Contact information synchronized successfully. 1 "
                                         "records updated."});
        QCOMPARE(statuses(*m_window, ViewSide::Palm).last(), QStringLiteral("Donald=0"));
        QVERIFY(m_window->asked.isEmpty());

        // Donald reached the file: a new start shows everything the same.
        m_window.reset();
        m_window = std::make_unique<AnsweringMain>();
        m_window->StartUp();
        QCOMPARE(statuses(*m_window, ViewSide::Palm),
                 (QStringList{"Ada=0", "Margaret=0", "Dennis=0", "Donald=0"}));
        QCOMPARE(GetOptionBlock()->AddrSyncMode, 2);
    }

    void synchronizeAllAsksAboutTheConflict() {
        const KindControls& c = m_window->controls(1);
        m_window->answer = ConflictAnswer{true, 2, true, false};
        QTest::mouseClick(c.rbtnSync, Qt::LeftButton);
        QTest::mouseClick(c.btnStart, Qt::LeftButton);
        QCOMPARE(m_window->asked, QStringList{"Margaret"});
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].startsWith("Contact information synchronized successfully."));
        const QStringList palm = statuses(*m_window, ViewSide::Palm);
        QCOMPARE(palm.size(), 4);
        for (const QString& row : palm) {
            QVERIFY2(row.endsWith("=0"), qPrintable(row));
        }
        // Outlook's mobile number won on the Palm side.
        const auto* margaret = static_cast<const CommAddrRec*>(
            m_window->view(DataKind::Addr, ViewSide::Palm)->records()->recordAt(1));
        QCOMPARE(QString::fromLatin1(margaret->MobilePhone.c_str()), QStringLiteral("+1 999"));
    }

    // Another program changes Margaret's card while the conflict question is open: the card is
    // not written over, the run fails naming it, and the window offers to read both sides again,
    // after which the other program's number shows.
    void aCardChangedDuringTheRunIsNamedAndReloadedOnRequest() {
        std::filesystem::path card;
        for (const auto& entry :
             std::filesystem::directory_iterator(home() / "Outlook" / "Contacts")) {
            if (test::readBytes(entry.path()).find("Margaret") != std::string::npos) {
                card = entry.path();
            }
        }
        QVERIFY(!card.empty());
        std::string theirs = test::readBytes(card);
        theirs.replace(theirs.find("+1 999"), 6, "+1 777");
        m_window->meanwhile = [&] { test::writeBytes(card, theirs); };
        const KindControls& c = m_window->controls(1);
        QTest::mouseClick(c.rbtnSync, Qt::LeftButton);
        QTest::mouseClick(c.btnStart, Qt::LeftButton);

        QCOMPARE(m_window->asked, QStringList{"Margaret"});
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].startsWith("Error (Yes/No): Some Outlook contact items could not "
                                          "be written"),
                 qPrintable(m_messages[0]));
        QVERIFY(m_messages[0].contains(QString::fromStdString(card.string()) +
                                       ": changed by another program since it was loaded"));
        QVERIFY(m_messages[0].endsWith("Reload both sides?"));
        QCOMPARE(test::readBytes(card), theirs);
        const auto* margaret = static_cast<const CommAddrRec*>(
            m_window->view(DataKind::Addr, ViewSide::Outlook)->records()->recordAt(1));
        QCOMPARE(QString::fromLatin1(margaret->MobilePhone.c_str()), QStringLiteral("+1 777"));
    }

    // The menu names the run before it puts both sides back; the lists then show the old state.
    void undoLastSynchronizationPutsBothSidesBack() {
        const auto files = [this] {
            std::map<std::string, std::string> bytes;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(m_dir->path())) {
                const std::string name = entry.path().string();
                if (entry.is_regular_file() && name.find("history") == std::string::npos &&
                    entry.path().filename() != ".twinleaf.lock") {
                    bytes[name] = test::readBytes(entry.path());
                }
            }
            return bytes;
        };
        const auto before = files();
        const KindControls& c = m_window->controls(1);
        QTest::mouseClick(c.btnPDDiff, Qt::LeftButton);
        QTest::mouseClick(c.btnStart, Qt::LeftButton);
        QVERIFY(files() != before);
        m_messages.clear();

        auto* undo = m_window->findChild<QAction*>(QStringLiteral("miUndoSync"));
        QVERIFY(undo);
        undo->trigger();
        QCOMPARE(m_messages.size(), 2);
        QVERIFY2(m_messages[0].startsWith("Undo Last Synchronization (Yes/No): Undo the contacts "
                                          "synchronization (p2o) of "),
                 qPrintable(m_messages[0]));
        QVERIFY(m_messages[1].startsWith("Undone: the contacts synchronization (p2o)"));
        QVERIFY(files() == before);
        QCOMPARE(statuses(*m_window, ViewSide::Palm),
                 (QStringList{"Ada=0", "Margaret=2", "Dennis=1"}));

        m_messages.clear();
        undo->trigger();
        QCOMPARE(m_messages, QStringList{"No synchronization can be undone."});
    }

    // A Palm contact whose city is longer than Outlook's: Start lists the loss before anything is
    // written; Cancel leaves the cards and the check boxes alone, Continue runs.
    void lossesAreListedBeforeTheRunWritesAnything() {
        m_window.reset();
        QVERIFY(OpenPalmEnvironment());
        {
            PmAddrInfo info;
            QVERIFY(info.Open(static_cast<const PalmUserRec*>(palmUserList().GetAt(0))->id));
            CommAddrRec grace = contact("Grace", "Hopper", "+1 7", "");
            copyToField(grace.WorkCity, "Arlington County, Virginia");
            QVERIFY(info.AddRecord(&grace));
            QVERIFY(info.Save());
        }
        QVERIFY(ClosePalmEnvironment());
        m_window = std::make_unique<AnsweringMain>();
        m_window->show();
        m_window->StartUp();
        const auto cards = [this] {
            std::size_t count = 0;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(home())) {
                count += entry.path().extension() == ".vcf" ? 1 : 0;
            }
            return count;
        };
        QCOMPARE(cards(), std::size_t{3});

        QStringList listed;
        // Pressed once the list is up; the run before it may let events through.
        std::function<void(const char*)> press = [&](const char* button) {
            QTimer::singleShot(10, m_window.get(), [&, button] {
                auto* review = dynamic_cast<TfmLossReview*>(QApplication::activeModalWidget());
                if (review == nullptr) {
                    press(button);
                    return;
                }
                for (int row = 0; row < review->list()->topLevelItemCount(); ++row) {
                    const QTreeWidgetItem* item = review->list()->topLevelItem(row);
                    listed << item->text(0) + "|" + item->text(1) + "|" + item->text(2) + "|" +
                                  item->text(3);
                }
                review->findChild<QPushButton*>(QString::fromLatin1(button))->click();
            });
        };
        const KindControls& c = m_window->controls(1);
        QTest::mouseClick(c.btnPDDiff, Qt::LeftButton);
        const std::vector<bool> checked = m_window->checkedRows(DataKind::Addr, ViewSide::Palm);
        press("btnCancel");
        QTest::mouseClick(c.btnStart, Qt::LeftButton);
        QCOMPARE(listed, QStringList{"Grace Hopper|Outlook|(Work) City|cut after 23 bytes, losing "
                                     "\"nia\""});
        QCOMPARE(m_messages, QStringList{});
        QCOMPARE(cards(), std::size_t{3});
        QVERIFY(m_window->checkedRows(DataKind::Addr, ViewSide::Palm) == checked);

        press("btnOK");
        QTest::mouseClick(c.btnStart, Qt::LeftButton);
        QCOMPARE(m_messages, QStringList{"Contact information synchronized successfully. 3 "
                                         "records updated."});
        QCOMPARE(cards(), std::size_t{5});
    }

private:
    std::filesystem::path home() const { return m_dir->path() / "home"; }

    std::unique_ptr<test::TempDir> m_dir;
    std::unique_ptr<test::ScopedProgramFolder> m_home;
    std::unique_ptr<ScopedRegistryPrefix> m_prefix;
    QStringList m_messages;
    win::ScopedMessageBoxHandler m_boxes{
        [this](win::HWND, const char* text, const char* caption, win::UINT type) {
            // Successes are recorded by their text alone, anything else with its caption;
            // questions are answered Yes.
            const QString message = QString::fromLatin1(text);
            const bool question = (type & win::MB_TYPEMASK) == win::MB_YESNO;
            m_messages << (std::string(caption) == "Information"
                               ? message
                               : QString::fromLatin1(caption) + (question ? " (Yes/No)" : "") +
                                     ": " + message);
            return question ? win::IDYES : win::IDOK;
        }};
    std::unique_ptr<AnsweringMain> m_window;
};

TWINLEAF_QTEST_MAIN(ContactsEndToEndTest)
#include "ContactsEndToEndTest.moc"
