// The record viewers: each kind's window filled from a record with every field set at its full
// width, dates and times in the user's locale, the calendar's recurrence pages, and the contact's
// home-page button, which hands only web addresses to the desktop.
#include "common/misc/CommAddr.h"
#include "common/misc/CommDate.h"
#include "common/misc/CommNote.h"
#include "common/misc/CommTask.h"
#include "platform/text/FieldText.h"
#include "src/detail.h"
#include "support/QtTestMain.h"
#include "support/SystemTime.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QUrl>
#include <ctime>
#include <string>

using namespace twinleaf;

namespace {

// Fills a text field to its full width with its tag repeated, so that a box showing the wrong
// field, or cutting the text, shows.
template <std::size_t Width> void fillField(TextField<Width>& field, const std::string& tag) {
    std::string text;
    while (text.size() < Width - 1) {
        text += tag;
    }
    copyToField(field, text.substr(0, Width - 1));
}

QString shown(const TextValue& field) {
    return QString::fromLatin1(field.c_str(), static_cast<int>(field.view().size()));
}

QString lineText(const QDialog& viewer, const char* name) {
    const auto* line = viewer.findChild<QLineEdit*>(QString::fromLatin1(name));
    return line != nullptr ? line->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

QString memoText(const QDialog& viewer, const char* name) {
    const auto* memo = viewer.findChild<QPlainTextEdit*>(QString::fromLatin1(name));
    return memo != nullptr ? memo->toPlainText() : QStringLiteral("<no memo>");
}

bool ticked(const QDialog& viewer, const char* name) {
    const auto* button = viewer.findChild<QAbstractButton*>(QString::fromLatin1(name));
    return button != nullptr && button->isChecked();
}

// A German desktop writes dates as 04.03.2026 and times as 09:30: the viewers follow it.
struct ScopedLocale {
    explicit ScopedLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~ScopedLocale() { QLocale::setDefault(QLocale::system()); }
};

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

std::int32_t localNoon(int year, int month, int day) {
    std::tm when{};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_hour = 12;
    when.tm_isdst = -1;
    return static_cast<std::int32_t>(std::mktime(&when));
}

} // namespace

class DetailViewersTest : public QObject {
    Q_OBJECT
private slots:
    void contactShowsEveryFieldAtFullWidth() {
        const ScopedLocale german(QLocale(QLocale::German, QLocale::Germany));
        CommAddrRec rec{};
        fillField(rec.FirstName, "Zo\xEB");
        fillField(rec.LastName, "Last");
        fillField(rec.Company, "Company");
        fillField(rec.Title, "Title");
        fillField(rec.WorkPhone, "Work");
        fillField(rec.HomePhone, "Home");
        fillField(rec.MobilePhone, "Mobile");
        fillField(rec.OtherPhone, "Other");
        fillField(rec.EMail, "Mail");
        fillField(rec.Fax, "Fax");
        fillField(rec.Pager, "Pager");
        fillField(rec.MainPhone, "Main");
        fillField(rec.WorkStreet, "WStreet");
        fillField(rec.WorkCity, "WCity");
        fillField(rec.WorkState, "WState");
        fillField(rec.WorkCountry, "WCountry");
        fillField(rec.WorkPostal, "WPostal");
        fillField(rec.HomeStreet, "HStreet");
        fillField(rec.HomeCity, "HCity");
        fillField(rec.HomeState, "HState");
        fillField(rec.HomePostal, "HPostal");
        fillField(rec.HomeCountry, "HCountry");
        fillField(rec.OtherStreet, "OStreet");
        fillField(rec.OtherCity, "OCity");
        fillField(rec.OtherState, "OState");
        fillField(rec.OtherPostal, "OPostal");
        fillField(rec.OtherCountry, "OCountry");
        decltype(&rec.Custom1)
            const customs[] = {&rec.Custom1, &rec.Custom2, &rec.Custom3, &rec.Custom4, &rec.Custom5,
                               &rec.Custom6, &rec.Custom7, &rec.Custom8, &rec.Custom9};
        for (int i = 0; i < 9; ++i) {
            copyToField(*customs[i], std::string(63, static_cast<char>('1' + i)));
        }
        fillField(rec.IMAddress, "IM1");
        fillField(rec.IMAddress2, "IM2");
        fillField(rec.HomePage, "www.example.org/");
        fillField(rec.Note, "Note\r\n");
        rec.Private = 1;
        rec.Birthday = 32936; // 4 March 1990
        // Fields no box shows stay out of the boxes.
        fillField(rec.Department, "Department");

        TfmAddrDetail viewer;
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Contact detail information"));
        viewer.SetRecord(&rec);
        QCOMPARE(viewer.record(), static_cast<const void*>(&rec));
        struct Box {
            const char* name;
            QString text;
        };
        const Box boxes[] = {
            // Windows-1252 in the record, shown as the letters it stands for.
            {"edtFirst", QStringLiteral("Zo\u00EB").repeated(11).left(31)},
            {"edtLast", shown(rec.LastName)},
            {"edtCompany", shown(rec.Company)},
            {"edtTitle", shown(rec.Title)},
            {"edtBusiTel", shown(rec.WorkPhone)},
            {"edtHomeTel", shown(rec.HomePhone)},
            {"edtMobileTel", shown(rec.MobilePhone)},
            {"edtOtherTel", shown(rec.OtherPhone)},
            {"edtEmail", shown(rec.EMail)},
            {"edtFax", shown(rec.Fax)},
            {"edtPager", shown(rec.Pager)},
            {"edtMainTel", shown(rec.MainPhone)},
            {"edtBusiCity", shown(rec.WorkCity)},
            {"edtBusiState", shown(rec.WorkState)},
            {"edtBusiCountry", shown(rec.WorkCountry)},
            {"edtBusiPostal", shown(rec.WorkPostal)},
            {"edtHomeCity", shown(rec.HomeCity)},
            {"edtHomeState", shown(rec.HomeState)},
            {"edtHomePostal", shown(rec.HomePostal)},
            {"edtHomeCountry", shown(rec.HomeCountry)},
            {"edtOtherCity", shown(rec.OtherCity)},
            {"edtOtherState", shown(rec.OtherState)},
            {"edtOtherPostal", shown(rec.OtherPostal)},
            {"edtOtherCountry", shown(rec.OtherCountry)},
            {"edtIM1", shown(rec.IMAddress)},
            {"edtIM2", shown(rec.IMAddress2)},
            {"edtHomepage", shown(rec.HomePage)},
            {"edtBirthday", QStringLiteral("04.03.1990")},
        };
        for (const Box& box : boxes) {
            QCOMPARE(lineText(viewer, box.name), box.text);
        }
        for (int i = 0; i < 9; ++i) {
            const std::string name = "edtCustom" + std::to_string(i + 1);
            QCOMPARE(lineText(viewer, name.c_str()), QString(63, QLatin1Char('1' + i)));
        }
        QCOMPARE(memoText(viewer, "memBusiStreet"), shown(rec.WorkStreet));
        QCOMPARE(memoText(viewer, "memHomeStreet"), shown(rec.HomeStreet));
        QCOMPARE(memoText(viewer, "memOtherStreet"), shown(rec.OtherStreet));
        QCOMPARE(memoText(viewer, "memNotes"), shown(rec.Note).replace("\r\n", "\n"));
        QVERIFY(ticked(viewer, "cbPrivate"));
        for (const QLineEdit* line : viewer.findChildren<QLineEdit*>()) {
            QVERIFY2(line->isReadOnly(), qPrintable(line->objectName()));
            QVERIFY2(!line->text().contains(QStringLiteral("Department")),
                     qPrintable(line->objectName()));
        }

        // A contact without a birthday shows none, not the zero date.
        CommAddrRec bare{};
        viewer.SetRecord(&bare);
        QCOMPARE(lineText(viewer, "edtBirthday"), QString());
        QCOMPARE(lineText(viewer, "edtLast"), QString());
        viewer.SetRecord(nullptr);
        QCOMPARE(viewer.record(), static_cast<const void*>(&bare));
    }

    void homePageButtonOpensOnlyWebAddresses() {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
        struct PageCase {
            const char* page;
            const char* opened; // null: nothing opens
        };
        const PageCase cases[] = {
            {"www.example.org", "http://www.example.org"},
            {"https://example.org/a?b=c", "https://example.org/a?b=c"},
            {"", nullptr},
            {"/usr/bin/xterm", nullptr},
            {"file:///etc/passwd", nullptr},
        };
        for (const PageCase& c : cases) {
            recorder.opened.clear();
            CommAddrRec rec{};
            copyToField(rec.HomePage, c.page);
            TfmAddrDetail viewer;
            viewer.SetRecord(&rec);
            viewer.show();
            QTest::mouseClick(viewer.findChild<QPushButton*>(QStringLiteral("btnGo")),
                              Qt::LeftButton);
            const QList<QUrl> expected =
                c.opened ? QList<QUrl>{QUrl(QString::fromLatin1(c.opened))} : QList<QUrl>{};
            QVERIFY2(recorder.opened == expected, c.page);
        }
        for (const char* scheme : {"http", "https", "file"}) {
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        }
    }

    void appointmentShowsItsRecurrence() {
        const ScopedLocale german(QLocale(QLocale::German, QLocale::Germany));
        struct RepeatCase {
            const char* name;
            int type;
            int frequency;
            int days;
            int endYear; // 0: no end
            const char* page;
            const char* everyBox;
            QStringList ticks; // besides the end button
            const char* endButton;
            const char* endText;
        };
        const RepeatCase cases[] = {
            {"daily with an end",
             1,
             3,
             0,
             2026,
             "Daily",
             "edtRecurDays",
             {},
             "rbtnEndBy",
             "01.05.2026"},
            {"weekly on Monday and Friday",
             2,
             2,
             (1 << 1) | (1 << 5),
             0,
             "Weekly",
             "edtRecurWeeks",
             {"cbMonday", "cbFriday"},
             "rbtnNoEnd",
             ""},
            {"monthly by date, ending in 4501",
             4,
             1,
             0,
             4501,
             "Monthly",
             "edtRecurMonths",
             {"rbtnDate"},
             "rbtnNoEnd",
             ""},
            {"monthly by weekday",
             3,
             6,
             0,
             0,
             "Monthly",
             "edtRecurMonths",
             {"rbtnDay"},
             "rbtnNoEnd",
             ""},
            {"yearly by weekday", 5, 1, 0, 0, "Yearly", "edtRecurYears", {}, "rbtnNoEnd", ""},
            {"yearly by date", 6, 2, 0, 0, "Yearly", "edtRecurYears", {}, "rbtnNoEnd", ""},
        };
        const QStringList allTicks = {"cbMonday",   "cbTuesday", "cbWednesday",
                                      "cbThursday", "cbFriday",  "cbSaturday",
                                      "cbSunday",   "rbtnDate",  "rbtnDay"};
        for (const RepeatCase& c : cases) {
            CommDateRec rec{};
            copyToField(rec.Description, "Standup");
            rec.StartDateTime = test::systemTime(2026, 3, 4, 9, 30);
            rec.EndDateTime = test::systemTime(2026, 3, 4, 10, 45);
            rec.Repeat.RepeatType = c.type;
            rec.Repeat.RepeatFrequency = c.frequency;
            rec.Repeat.RepeatDays = c.days;
            rec.Repeat.RepeatHasEnd = c.endYear != 0;
            rec.Repeat.RepeatEnd = test::systemTime(c.endYear, 5, 1);
            TfmDateDetail viewer;
            viewer.SetRecord(&rec);
            QTabWidget* pages = viewer.pages();
            QVERIFY2(pages->isTabVisible(1), c.name);
            QTabWidget* recur = viewer.recurrencePages();
            for (int index = 0; index < recur->count(); ++index) {
                QVERIFY2(recur->isTabVisible(index) == (recur->tabText(index) == c.page), c.name);
            }
            QCOMPARE(lineText(viewer, c.everyBox), QString::number(c.frequency));
            for (const QString& tick : allTicks) {
                QVERIFY2(ticked(viewer, qPrintable(tick)) == c.ticks.contains(tick),
                         qPrintable(QString::fromLatin1(c.name) + ": " + tick));
            }
            QVERIFY2(ticked(viewer, c.endButton), c.name);
            QCOMPARE(lineText(viewer, "edtRecurEnd"), QString::fromLatin1(c.endText));
            QCOMPARE(lineText(viewer, "edtRecurStart"), QStringLiteral("04.03.2026"));
        }
    }

    void appointmentShowsItsFieldsInTheLocalesForm() {
        const ScopedLocale german(QLocale(QLocale::German, QLocale::Germany));
        CommDateRec rec{};
        fillField(rec.Description, "Description");
        fillField(rec.Location, "Location");
        fillField(rec.Note, "Note ");
        rec.StartDateTime = test::systemTime(2026, 3, 4, 9, 30);
        rec.EndDateTime = test::systemTime(2026, 3, 4, 10, 45);
        rec.Alarm = 1;
        rec.Private = 1;
        TfmDateDetail viewer;
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Calendar detail information"));
        viewer.SetRecord(&rec);
        QCOMPARE(lineText(viewer, "edtDesc"), shown(rec.Description));
        QCOMPARE(lineText(viewer, "edtLocation"), shown(rec.Location));
        QCOMPARE(lineText(viewer, "edtDate"), QStringLiteral("04.03.2026"));
        QCOMPARE(lineText(viewer, "edtStartTime"), QStringLiteral("09:30"));
        QCOMPARE(lineText(viewer, "edtEndTime"), QStringLiteral("10:45"));
        QCOMPARE(memoText(viewer, "memNotes"), shown(rec.Note));
        QVERIFY(ticked(viewer, "cbAlarm"));
        QVERIFY(ticked(viewer, "cbPrivate"));
        QVERIFY(!ticked(viewer, "cbAllday"));
        QVERIFY(!viewer.pages()->isTabVisible(1));

        // An all-day event without repeat: ticked, no times, no recurrence page.
        CommDateRec allDay{};
        allDay.AllDayEvent = 1;
        allDay.StartDateTime = test::systemTime(2026, 12, 24);
        allDay.EndDateTime = test::systemTime(2026, 12, 24);
        viewer.SetRecord(&allDay);
        QVERIFY(ticked(viewer, "cbAllday"));
        QVERIFY(!ticked(viewer, "cbAlarm"));
        QCOMPARE(lineText(viewer, "edtDate"), QStringLiteral("24.12.2026"));
        QCOMPARE(lineText(viewer, "edtStartTime"), QString());
        QVERIFY(!viewer.pages()->isTabVisible(1));

        // The same appointment on an American desktop.
        const ScopedLocale american(QLocale(QLocale::English, QLocale::UnitedStates));
        viewer.SetRecord(&rec);
        QCOMPARE(lineText(viewer, "edtDate"), QStringLiteral("3/4/2026"));
        QVERIFY(lineText(viewer, "edtStartTime").startsWith(QStringLiteral("9:30")));
        QVERIFY(lineText(viewer, "edtStartTime").endsWith(QStringLiteral("AM")));

        // A locale whose short form carries seconds still shows minutes, as Palm keeps them.
        const ScopedLocale plain(QLocale::c());
        viewer.SetRecord(&rec);
        QCOMPARE(lineText(viewer, "edtStartTime"), QStringLiteral("09:30"));
    }

    void taskAndMemoShowTheirFields() {
        const ScopedLocale german(QLocale(QLocale::German, QLocale::Germany));
        CommTaskRec task{};
        fillField(task.Subject, "Subject");
        fillField(task.Note, "Line\r\n");
        task.Priority = 2;
        task.DueDate = localNoon(2026, 3, 4);
        task.Completed = 1;
        task.Private = 1;
        TfmTodoDetail todo;
        QCOMPARE(todo.windowTitle(), QStringLiteral("Task detail information"));
        todo.SetRecord(&task);
        QCOMPARE(lineText(todo, "edtDesc"), shown(task.Subject));
        QCOMPARE(lineText(todo, "edtPriority"), QStringLiteral("2"));
        QCOMPARE(lineText(todo, "edtDueDate"), QStringLiteral("04.03.2026"));
        QVERIFY(ticked(todo, "cbCompleted"));
        QVERIFY(ticked(todo, "cbPrivate"));
        QCOMPARE(memoText(todo, "memNotes"), shown(task.Note).replace("\r\n", "\n"));
        CommTaskRec undated{};
        todo.SetRecord(&undated);
        QCOMPARE(lineText(todo, "edtDueDate"), QStringLiteral("N/A"));
        QVERIFY(!ticked(todo, "cbCompleted"));

        CommNoteRec note{};
        fillField(note.Note, "memo text ");
        TfmMemoDetail memo;
        QCOMPARE(memo.windowTitle(), QStringLiteral("Memo detail information"));
        memo.SetRecord(&note);
        QCOMPARE(memoText(memo, "memNotes").size(), 8191);
        QCOMPARE(memoText(memo, "memNotes"), shown(note.Note));
    }

    void eachKindHasItsViewerAndCloseClosesIt() {
        const QStringList captions = {"Contact detail information", "Calendar detail information",
                                      "Task detail information", "Memo detail information"};
        for (int kind = 1; kind <= 4; ++kind) {
            const auto viewer = createDetailViewer(static_cast<DataKind>(kind));
            QCOMPARE(viewer->windowTitle(), captions[kind - 1]);
            QCOMPARE(viewer->closeButton()->text(), QStringLiteral("&Close"));
            viewer->show();
            QTest::mouseClick(viewer->closeButton(), Qt::LeftButton);
            QVERIFY(!viewer->isVisible());
        }
    }
};

TWINLEAF_QTEST_MAIN(DetailViewersTest)
#include "DetailViewersTest.moc"
