// The options dialog and the custom-field mapping window: what OK and Cancel leave in the
// settings block, which controls are enabled when, and the browse buttons' refusal of files that
// are no Palm data.
#include "common/outlook/OlAddr.h"
#include "common/sync/Options.h"
#include "platform/text/FieldText.h"
#include "platform/ui/MessageBox.h"
#include "src/addrcustom.h"
#include "src/option.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <functional>

using namespace twinleaf;

namespace {

// The dialog with its open-file, colour and mapping dialogs answered by the test.
class TestOption : public TfmOption {
public:
    explicit TestOption(OptionBlock* block) : TfmOption(block) {}

    QString file;
    QStringList fileTitles;
    QColor colour;
    std::function<void(std::int32_t*)> mapping;

protected:
    QString chooseFile(const QString& title) override {
        fileTitles << title;
        return file;
    }
    QColor chooseColour(const QColor&) override { return colour; }
    void runCustomMapping(std::int32_t* map) override {
        if (mapping) {
            mapping(map);
        }
    }
};

struct MessageRecorder {
    QStringList messages;
    win::ScopedMessageBoxHandler handler{
        [this](win::HWND, const char* text, const char* caption, win::UINT type) {
            messages << QString::fromLatin1(caption) + "/" + QString::number(type, 16) + ": " +
                            QString::fromLatin1(text);
            return win::IDOK;
        }};
};

// Settings that differ from every default, so that a field the dialog drops or mixes up shows.
OptionBlock storedSettings() {
    OptionBlock block{};
    block.ShowColor = true;
    block.SameColor = 0x000000;
    block.NewColor = 0x008000;
    block.DiffColor = 0x800000;
    block.ConfMode = 1;
    block.bAddrFile = true;
    copyToField(block.AddrFile, "/data/address.dat");
    copyToField(block.DateFile, "/data/datebook.dat");
    block.AddrSwapName = true;
    block.bAddrCustom = true;
    for (int i = 0; i < 9; ++i) {
        block.AddrCustom[i] = i + 1;
    }
    block.AddrUserID = 7;
    block.TodoSyncMode = 2;
    return block;
}

// The block as one line per field group, so that a failed comparison says what differs.
QString describe(const OptionBlock& b) {
    QStringList custom;
    for (int value : b.AddrCustom) {
        custom << QString::number(value);
    }
    return QStringLiteral("colours %1 %2 %3 %4; conflicts %5; files %6%7 %8%9 %10%11 %12%13; "
                          "swap %14; custom %15 [%16]")
        .arg(b.ShowColor)
        .arg(b.SameColor, 0, 16)
        .arg(b.NewColor, 0, 16)
        .arg(b.DiffColor, 0, 16)
        .arg(b.ConfMode)
        .arg(b.bAddrFile ? "+" : "-", QString::fromLatin1(b.AddrFile))
        .arg(b.bDateFile ? "+" : "-", QString::fromLatin1(b.DateFile))
        .arg(b.bTodoFile ? "+" : "-", QString::fromLatin1(b.TodoFile))
        .arg(b.bMemoFile ? "+" : "-", QString::fromLatin1(b.MemoFile))
        .arg(b.AddrSwapName)
        .arg(b.bAddrCustom)
        .arg(custom.join(' '));
}

struct OptionCase {
    const char* name;
    std::function<void(TestOption&)> drive;
    bool ok;
    std::function<void(OptionBlock&)> expect; // applied to the block as it was before
};

} // namespace

class OptionDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void okAndCancelLeaveTheSettingsAsTheyShould() {
        const OptionCase cases[] = {
            {"OK without changes keeps everything", [](TestOption&) {}, true, [](OptionBlock&) {}},
            {"colours, colour switch and conflict rule",
             [](TestOption& d) {
                 d.colour = QColor(255, 0, 0);
                 QTest::mouseClick(d.swatch(1), Qt::LeftButton);
                 d.colour = QColor(0, 0, 255);
                 d.swatch(2)->setFocus();
                 QTest::keyClick(d.swatch(2), Qt::Key_Space);
                 d.showColorBox()->setChecked(false);
                 d.o2pButton()->setChecked(true);
             },
             true,
             [](OptionBlock& b) {
                 b.NewColor = 0x0000FF; // COLORREF keeps red in the low byte
                 b.DiffColor = 0xFF0000;
                 b.ShowColor = false;
                 b.ConfMode = 2;
             }},
            {"remind me stores 0", [](TestOption& d) { d.remindButton()->setChecked(true); }, true,
             [](OptionBlock& b) { b.ConfMode = 0; }},
            {"a ticked file box stores the edited path, an unticked one drops the text",
             [](TestOption& d) {
                 d.fileControls(1).edtFile->setText(QStringLiteral("/elsewhere/address.dat"));
                 d.fileControls(2).edtFile->setText(QStringLiteral("/typed/but/unticked.dat"));
                 d.fileControls(3).cbFile->setChecked(true);
                 d.fileControls(3).edtFile->setText(QStringLiteral("/data/todo.dat"));
             },
             true,
             [](OptionBlock& b) {
                 copyToField(b.AddrFile, "/elsewhere/address.dat");
                 b.bTodoFile = true;
                 copyToField(b.TodoFile, "/data/todo.dat");
             }},
            {"unticking a file box keeps its stored name",
             [](TestOption& d) { d.fileControls(1).cbFile->setChecked(false); }, true,
             [](OptionBlock& b) { b.bAddrFile = false; }},
            {"swap switched off", [](TestOption& d) { d.swapBox()->setChecked(false); }, true,
             [](OptionBlock& b) { b.AddrSwapName = false; }},
            {"unticking custom mapping clears the nine mappings on OK",
             [](TestOption& d) { d.customBox()->setChecked(false); }, true,
             [](OptionBlock& b) {
                 b.bAddrCustom = false;
                 std::fill(std::begin(b.AddrCustom), std::end(b.AddrCustom), 0);
             }},
            {"Cancel after every kind of change keeps everything",
             [](TestOption& d) {
                 d.colour = QColor(1, 2, 3);
                 QTest::mouseClick(d.swatch(0), Qt::LeftButton);
                 d.remindButton()->setChecked(true);
                 d.fileControls(1).edtFile->setText(QStringLiteral("/x.dat"));
                 d.swapBox()->setChecked(false);
                 d.customBox()->setChecked(false);
             },
             false, [](OptionBlock&) {}},
            {"a mapping confirmed through Setup Now stays when the dialog is cancelled",
             [](TestOption& d) {
                 d.mapping = [](std::int32_t* map) { map[0] = 22; };
                 QTest::mouseClick(d.setupButton(), Qt::LeftButton);
                 d.customBox()->setChecked(false);
             },
             false, [](OptionBlock& b) { b.AddrCustom[0] = 22; }},
        };
        for (const OptionCase& c : cases) {
            OptionBlock block = storedSettings();
            OptionBlock expected = block;
            c.expect(expected);
            TestOption dialog(&block);
            dialog.show();
            c.drive(dialog);
            QTest::mouseClick(c.ok ? dialog.okButton() : dialog.cancelButton(), Qt::LeftButton);
            QVERIFY2(dialog.result() == (c.ok ? 1 : 2), c.name);
            QVERIFY2(!dialog.isVisible(), c.name);
            if (describe(block) != describe(expected)) {
                QFAIL(qPrintable(QStringLiteral("%1:\n   got %2\nwanted %3")
                                     .arg(c.name, describe(block), describe(expected))));
            }
            QVERIFY2(block == expected, c.name);
        }
    }

    void leftOverConflictAnswerOpensAsRemindMe() {
        for (int stored : {0, 3, 99}) {
            OptionBlock block = storedSettings();
            block.ConfMode = stored;
            TfmOption dialog(&block);
            QVERIFY(dialog.remindButton()->isChecked());
            QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
            QCOMPARE(block.ConfMode, 0);
        }
    }

    void escapeLeavesAsCancelDoes() {
        OptionBlock block = storedSettings();
        const OptionBlock before = block;
        TfmOption dialog(&block);
        dialog.show();
        dialog.swapBox()->setChecked(false);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.result(), 2);
        QVERIFY(block == before);
    }

    void filledFromTheSettingsWithBoxesEnabledByTheirSwitches() {
        OptionBlock block = storedSettings();
        TfmOption dialog(&block);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Twinleaf Options ..."));
        QCOMPARE(dialog.swatch(2)->colour(), QColor(0, 0, 128));
        QCOMPARE(dialog.swatch(1)->colour(), QColor(0, 128, 0));
        QCOMPARE(dialog.fileControls(1).edtFile->text(), QStringLiteral("/data/address.dat"));
        QCOMPARE(dialog.fileControls(2).edtFile->text(), QStringLiteral("/data/datebook.dat"));
        const QStringList tabs = {"Contacts", "Calendar", "Tasks", "Notes"};
        for (int kind = 1; kind <= 4; ++kind) {
            const OptionFileControls& c = dialog.fileControls(kind);
            QCOMPARE(dialog.pages()->tabText(kind - 1), tabs[kind - 1]);
            QCOMPARE(c.cbFile->text(), QStringLiteral("Open by File Name:"));
            QCOMPARE(c.edtFile->isEnabled(), kind == 1);
            QCOMPARE(c.btnBrowse->isEnabled(), kind == 1);
            c.cbFile->setChecked(kind != 1);
            QCOMPARE(c.edtFile->isEnabled(), kind != 1);
            QCOMPARE(c.btnBrowse->isEnabled(), kind != 1);
        }
        QVERIFY(dialog.setupButton()->isEnabled());
        dialog.customBox()->setChecked(false);
        QVERIFY(!dialog.setupButton()->isEnabled());
        block.bAddrCustom = false;
        TfmOption unmapped(&block);
        QVERIFY(!unmapped.setupButton()->isEnabled());
    }

    void browseTakesPalmFilesAndRefusesOthers() {
        test::TempDir dir;
        const std::filesystem::path text = dir.path() / "notes.txt";
        test::writeBytes(text, "just some text\n");
        const QString classic =
            QString::fromStdString((test::testData() / "palm/address-classic.dat").string());
        struct BrowseCase {
            const char* name;
            int kind;
            QString chosen;
            QString message; // empty: the path is taken
        };
        const BrowseCase cases[] = {
            {"a classic address book", 1, classic, {}},
            {"a text file for contacts", 1, QString::fromStdString(text.string()),
             "Invalid contacts database file, please try another one."},
            {"a text file for the calendar", 2, QString::fromStdString(text.string()),
             "Invalid calendar database file, please try another one."},
            {"a text file for tasks", 3, QString::fromStdString(text.string()),
             "Invalid task database file, please try another one."},
            {"a text file for memos", 4, QString::fromStdString(text.string()),
             "Invalid memo database file, please try another one."},
            {"an address book where a memo pad belongs", 4, classic,
             "Invalid memo database file, please try another one."},
            {"a path too long for the settings", 1,
             QStringLiteral("/") + QString(300, QLatin1Char('p')), "longer than 259 characters"},
            {"cancelled", 1, QString(), {}},
        };
        const QStringList titles = {
            "Open Palm Desktop Contacts data file", "Open Palm Desktop Calendar data file",
            "Open Palm Desktop Tasks data file", "Open Palm Desktop Memos data file"};
        for (const BrowseCase& c : cases) {
            MessageRecorder messages;
            OptionBlock block = storedSettings();
            TestOption dialog(&block);
            dialog.show();
            const OptionFileControls& controls = dialog.fileControls(c.kind);
            controls.cbFile->setChecked(true);
            controls.edtFile->setText(QStringLiteral("as it was"));
            dialog.file = c.chosen;
            QTest::mouseClick(controls.btnBrowse, Qt::LeftButton);
            QCOMPARE(dialog.fileTitles, QStringList{titles[c.kind - 1]});
            if (c.message.isEmpty()) {
                QVERIFY2(messages.messages.isEmpty(), c.name);
                QCOMPARE(controls.edtFile->text(),
                         c.chosen.isEmpty() ? QStringLiteral("as it was") : c.chosen);
            } else {
                QVERIFY2(
                    messages.messages.size() == 1 &&
                        messages.messages[0].startsWith(QStringLiteral("Error/10: ")) &&
                        messages.messages[0].contains(c.message),
                    qPrintable(QString::fromLatin1(c.name) + ": " + messages.messages.join('|')));
                QCOMPARE(controls.edtFile->text(), QStringLiteral("as it was"));
                QVERIFY2(dialog.focusWidget() == controls.edtFile, c.name);
            }
        }
    }

    void mappingWindowOffersTheOutlookProperties() {
        TfmAddrCustom window(40102);
        QCOMPARE(window.windowTitle(), QStringLiteral("Setup contact custom fields mapping"));
        for (int custom = 1; custom <= 9; ++custom) {
            QComboBox* list = window.list(custom);
            QCOMPARE(list->objectName(), QStringLiteral("cbCustom%1").arg(custom));
            QCOMPARE(list->count(), 78);
            QVERIFY(!list->isEditable());
        }
        QCOMPARE(window.list(1)->itemText(0), QStringLiteral("None"));
        QCOMPARE(window.list(1)->itemText(22), QStringLiteral("Department"));
        QCOMPARE(window.list(9)->itemText(77), QStringLiteral("IMAddress"));
    }

    void mappingWindowOffersNineFieldsFromPalmDesktop412On() {
        struct VersionCase {
            const char* name;
            int version;
            bool nine;
        };
        const VersionCase cases[] = {
            {"4.1.2", 40102, true},  {"later", 60000, true},    {"4.0", 40000, false},
            {"4.1.1", 40101, false}, {"unreadable", -1, false},
        };
        for (const VersionCase& c : cases) {
            TfmAddrCustom window(c.version);
            for (int custom = 1; custom <= 9; ++custom) {
                QVERIFY2(window.list(custom)->isEnabled() == (custom <= 4 || c.nine), c.name);
            }
        }
    }

    void mappingWindowStoresOnOkOnly() {
        std::int32_t mapping[9] = {0, 5, 0, 0, 30, 0, 0, 0, 90};
        {
            TfmAddrCustom window(40000);
            window.SetMapping(mapping);
            QCOMPARE(window.list(2)->currentText(), QStringLiteral("Birthday"));
            QCOMPARE(window.list(9)->currentIndex(), -1);
            window.list(1)->setCurrentIndex(22);
            window.list(5)->setCurrentIndex(3); // disabled: cannot happen by hand, and is kept
            QTest::mouseClick(window.cancelButton(), Qt::LeftButton);
            QCOMPARE(window.result(), 2);
        }
        QCOMPARE(mapping[0], 0);
        {
            TfmAddrCustom window(40000);
            window.SetMapping(mapping);
            window.list(1)->setCurrentIndex(22);
            window.list(5)->setCurrentIndex(3);
            QTest::mouseClick(window.okButton(), Qt::LeftButton);
            QCOMPARE(window.result(), 1);
        }
        const std::int32_t expected[9] = {22, 5, 0, 0, 30, 0, 0, 0, 90};
        QVERIFY(std::equal(std::begin(mapping), std::end(mapping), std::begin(expected)));
        // Opened again, it shows what was stored.
        TfmAddrCustom again(40102);
        again.SetMapping(mapping);
        QCOMPARE(again.list(1)->currentText(), QStringLiteral("Department"));
        QCOMPARE(again.list(5)->currentText(), QString::fromLatin1(CustomFieldSourceName(30)));
        QTest::mouseClick(again.okButton(), Qt::LeftButton);
        QVERIFY(std::equal(std::begin(mapping), std::end(mapping), std::begin(expected)));
        // Without an array there is nothing to fill or store.
        TfmAddrCustom none(40102);
        none.SetMapping(nullptr);
        QTest::mouseClick(none.okButton(), Qt::LeftButton);
        QCOMPARE(none.result(), 1);
    }
};

TWINLEAF_QTEST_MAIN(OptionDialogsTest)
#include "OptionDialogsTest.moc"
