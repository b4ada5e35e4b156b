// Start-up and shut-down of the main window: settings, mode buttons, the Palm users of each tab,
// and the settings written back when the window goes.
#include "common/palm/PalmEnv.h"
#include "common/sync/Options.h"
#include "platform/ini/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/ui/MessageBox.h"
#include "src/main.h"
#include "support/QtTestMain.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QRadioButton>
#include <QTest>
#include <memory>

using namespace twinleaf;

namespace {

// Answers the offer to choose the Palm Desktop folder as the test says.
class ChoosingWindow : public TfmMain {
public:
    QString answer;
    QStringList problems;

protected:
    QString choosePalmDesktopFolder(const QString& problem) override {
        problems << problem;
        return answer;
    }
};

} // namespace

class StartUpTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_dir = std::make_unique<test::TempDir>();
        m_home = std::make_unique<test::ScopedProgramFolder>(home());
        m_prefix = std::make_unique<ScopedRegistryPrefix>(m_dir->path() / "wine");
        m_messages.clear();
    }
    void cleanup() {
        m_prefix.reset();
        m_home.reset();
        m_dir.reset();
    }

    void firstRunTakesTheFirstUserAndWritesTheSettings() {
        addUser("Alice");
        addUser("bob");
        setPalmFolder();
        auto window = std::make_unique<TfmMain>();
        window->StartUp();
        QVERIFY(window->startedUp());
        QCOMPARE(m_messages, QStringList{});
        const OptionBlock& options = *GetOptionBlock();
        const std::int32_t alice = options.AddrUserID;
        QVERIFY(alice != 0);
        QCOMPARE(options.DateUserID, alice);
        QCOMPARE(options.TodoUserID, alice);
        QCOMPARE(options.MemoUserID, alice);
        for (int kind = 1; kind <= 4; ++kind) {
            QCOMPARE(window->controls(kind).cbUser->currentText(), QStringLiteral("Alice"));
            QCOMPARE(window->controls(kind).cbUser->count(), 2);
            QVERIFY(window->controls(kind).rbtnP2O->isChecked());
        }
        window.reset();
        QCOMPARE(setting("AddrUserID"), QString::number(alice));
        QCOMPARE(setting("MemoSyncMode"), QStringLiteral("1"));
        QCOMPARE(setting("ShowColor"), QStringLiteral("1"));
        QCOMPARE(palmUserList().GetCount(), 0U);
    }

    void storedSettingsAreKeptAndAnOddModeBecomesOne() {
        addUser("Alice");
        addUser("bob");
        setPalmFolder();
        test::writeBytes(home() / "corvane.ini",
                         readSettings() + "[Twinleaf]\r\nTodoSyncMode=3\r\nDateSyncMode=2\r\n"
                                          "MemoUserID=424242\r\n");
        {
            TfmMain window;
            window.StartUp();
            QVERIFY(window.controls(3).rbtnP2O->isChecked());
            QVERIFY(window.controls(2).rbtnO2P->isChecked());
            // An id no user has: the selector shows the first user, the id stays.
            QCOMPARE(window.controls(4).cbUser->currentText(), QStringLiteral("Alice"));
            QCOMPARE(GetOptionBlock()->MemoUserID, 424242);
        }
        QCOMPARE(setting("TodoSyncMode"), QStringLiteral("1"));
        QCOMPARE(setting("DateSyncMode"), QStringLiteral("2"));
        QCOMPARE(setting("MemoUserID"), QStringLiteral("424242"));
    }

    void withoutPalmDesktopTheErrorIsShownOnceAndStartUpGoesOn() {
        TfmMain window;
        window.StartUp();
        // The offer to choose the folder comes first; declined, the users are missing.
        QCOMPARE(m_messages.size(), 2);
        QVERIFY(m_messages[0].startsWith(QStringLiteral("Palm Desktop folder|No Palm Desktop "
                                                        "folder found.")));
        QCOMPARE(m_messages[1],
                 QStringLiteral("Error|Can not find any Palm users in your desktop environment."));
        QVERIFY(window.startedUp());
        for (int kind = 1; kind <= 4; ++kind) {
            QCOMPARE(window.controls(kind).cbUser->count(), 0);
        }
    }

    void withoutAPalmFolderTheUserChoosesOneAndItIsStored() {
        addUser("Alice");
        ChoosingWindow window;
        window.answer = QString::fromStdString(palm().string());
        window.StartUp();
        QCOMPARE(window.problems.size(), 1);
        QVERIFY(window.problems[0].contains(QStringLiteral("No Palm Desktop folder found")));
        QVERIFY(
            window.problems[0].contains(QString::fromStdString((home() / "corvane.ini").string())));
        QCOMPARE(window.controls(1).cbUser->currentText(), QStringLiteral("Alice"));
        char stored[512];
        win::GetPrivateProfileStringA("Path", "PDPath", "", stored, sizeof stored,
                                      (home() / "corvane.ini").c_str());
        QCOMPARE(QString::fromLatin1(stored), QString::fromStdString(palm().string()));
        QCOMPARE(m_messages, QStringList{});
    }

    void aPdPathNamingAMissingFolderSaysSo() {
        test::writeBytes(home() / "corvane.ini",
                         "[Path]\r\nPDPath=" + (m_dir->path() / "gone").string() + "\r\n");
        ChoosingWindow window;
        window.StartUp();
        QCOMPARE(window.problems.size(), 1);
        QVERIFY(window.problems[0].contains(QStringLiteral("does not exist")));
        // Declined: the stored folder stays as it was, and start-up goes on.
        QVERIFY(readSettings().find("gone") != std::string::npos);
        QVERIFY(window.startedUp());
    }

    // A contacts file chosen by name is what the contacts tab shows, and the user selector gives
    // way to it; a memo file chosen by name that has gone is named once and the tab shows the
    // user's own memos. Both choices are kept for when the file is back.
    void filesChosenByNameAreOpenedAndAGoneOneIsNamedOnce() {
        addUser("Alice");
        setPalmFolder();
        const std::filesystem::path chosen = m_dir->path() / "stick" / "address.dat";
        std::filesystem::create_directories(chosen.parent_path());
        std::filesystem::copy_file(test::testData() / "palm/address-classic.dat", chosen);
        const std::string gone = (m_dir->path() / "gone" / "memopad.dat").string();
        test::writeBytes(home() / "corvane.ini",
                         readSettings() + "[Twinleaf]\r\nbAddrFile=1\r\nAddrFile=" +
                             chosen.string() + "\r\nbMemoFile=1\r\nMemoFile=" + gone + "\r\n");
        {
            TfmMain window;
            window.StartUp();
            QCOMPARE(window.controls(1).lvPD->records()->rows(), 3);
            QVERIFY(!window.controls(1).cbUser->isEnabled());
            QVERIFY(window.controls(4).cbUser->isEnabled());
            QCOMPARE(m_messages.size(), 1);
            QVERIFY(m_messages[0].startsWith(QStringLiteral("Warning|")));
            QVERIFY(m_messages[0].contains(QString::fromStdString(gone)));
            // Reading the memos again does not say it again.
            window.controller().ChangeUser(DataKind::Memo, GetOptionBlock()->MemoUserID);
            QCOMPARE(m_messages.size(), 1);
        }
        QCOMPARE(setting("bMemoFile"), QStringLiteral("1"));
        QCOMPARE(setting("MemoFile"), QString::fromStdString(gone));
    }

    void aWindowThatNeverStartedWritesNothing() {
        { TfmMain window; }
        QVERIFY(!std::filesystem::exists(home() / "corvane.ini"));
    }

private:
    std::filesystem::path home() const { return m_dir->path() / "home"; }
    std::filesystem::path palm() const { return m_dir->path() / "Palm"; }
    void addUser(const std::string& name) {
        std::filesystem::create_directories(palm() / name / "address");
    }
    void setPalmFolder() {
        test::writeBytes(home() / "corvane.ini", "[Path]\r\nPDPath=" + palm().string() + "\r\n");
    }
    std::string readSettings() const { return test::readBytes(home() / "corvane.ini"); }
    QString setting(const char* key) const {
        char value[512];
        win::GetPrivateProfileStringA("Twinleaf", key, "<missing>", value, sizeof value,
                                      (home() / "corvane.ini").c_str());
        return QString::fromLatin1(value);
    }

    std::unique_ptr<test::TempDir> m_dir;
    std::unique_ptr<test::ScopedProgramFolder> m_home;
    std::unique_ptr<ScopedRegistryPrefix> m_prefix;
    QStringList m_messages;
    win::ScopedMessageBoxHandler m_boxes{
        [this](win::HWND, const char* text, const char* caption, win::UINT) {
            m_messages << QString::fromLatin1(caption) + "|" + QString::fromLatin1(text);
            return win::IDOK;
        }};
};

TWINLEAF_QTEST_MAIN(StartUpTest)
#include "StartUpTest.moc"
