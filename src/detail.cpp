// The four record viewers. The contact viewer's text boxes are described by tables (control,
// label, record field) that both build and fill them, so the two cannot drift apart.
#include "src/detail.h"

#include "common/misc/CommAddr.h"
#include "common/misc/CommDate.h"
#include "common/misc/CommNote.h"
#include "common/misc/CommTask.h"
#include "common/misc/CxDateTime.h"
#include "common/sync/KindTable.h"
#include "platform/codepage/Codepage.h"
#include "platform/text/FieldText.h"

#include <QCheckBox>
#include <QDate>
#include <QDesktopServices>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTime>
#include <QUrl>
#include <QVBoxLayout>
#include <cstddef>
#include <span>

namespace twinleaf {

namespace {

// One text box of the contact viewer and the record field it shows.
struct AddrText {
    const char* name;
    const char* label;
    std::size_t offset; // of a text member
};

#define TL_ADDR(name, label, member)                                                               \
    AddrText {                                                                                     \
        name, label, offsetof(CommAddrRec, member)                                                 \
    }

const AddrText kNameTexts[] = {
    TL_ADDR("edtFirst", "First Name:", FirstName),
    TL_ADDR("edtLast", "Last Name:", LastName),
    TL_ADDR("edtCompany", "Company:", Company),
    TL_ADDR("edtTitle", "Job Title:", Title),
};
const AddrText kPhoneTexts[] = {
    TL_ADDR("edtBusiTel", "Business:", WorkPhone),
    TL_ADDR("edtHomeTel", "Home:", HomePhone),
    TL_ADDR("edtMobileTel", "Mobile:", MobilePhone),
    TL_ADDR("edtOtherTel", "Other:", OtherPhone),
    TL_ADDR("edtEmail", "Email:", EMail),
    TL_ADDR("edtFax", "Fax:", Fax),
    TL_ADDR("edtPager", "Pager:", Pager),
    TL_ADDR("edtMainTel", "Main:", MainPhone),
};
// The street of each address is a memo of its own; these are the one-line parts.
const AddrText kBusinessTexts[] = {
    TL_ADDR("edtBusiCity", "City:", WorkCity),
    TL_ADDR("edtBusiState", "State:", WorkState),
    TL_ADDR("edtBusiCountry", "Country:", WorkCountry),
    TL_ADDR("edtBusiPostal", "Postal Code:", WorkPostal),
};
const AddrText kHomeTexts[] = {
    TL_ADDR("edtHomeCity", "City:", HomeCity),
    TL_ADDR("edtHomeState", "State:", HomeState),
    TL_ADDR("edtHomePostal", "Postal Code:", HomePostal),
    TL_ADDR("edtHomeCountry", "Country:", HomeCountry),
};
const AddrText kOtherTexts[] = {
    TL_ADDR("edtOtherCity", "City:", OtherCity),
    TL_ADDR("edtOtherState", "State:", OtherState),
    TL_ADDR("edtOtherPostal", "Postal Code:", OtherPostal),
    TL_ADDR("edtOtherCountry", "Country:", OtherCountry),
};
const AddrText kStreetTexts[] = {
    TL_ADDR("memBusiStreet", "Street:", WorkStreet),
    TL_ADDR("memHomeStreet", "Street:", HomeStreet),
    TL_ADDR("memOtherStreet", "Street:", OtherStreet),
};
const AddrText kCustomTexts[] = {
    TL_ADDR("edtCustom1", "Custom 1:", Custom1), TL_ADDR("edtCustom2", "Custom 2:", Custom2),
    TL_ADDR("edtCustom3", "Custom 3:", Custom3), TL_ADDR("edtCustom4", "Custom 4:", Custom4),
    TL_ADDR("edtCustom5", "Custom 5:", Custom5), TL_ADDR("edtCustom6", "Custom 6:", Custom6),
    TL_ADDR("edtCustom7", "Custom 7:", Custom7), TL_ADDR("edtCustom8", "Custom 8:", Custom8),
    TL_ADDR("edtCustom9", "Custom 9:", Custom9),
};
const AddrText kWebTexts[] = {
    TL_ADDR("edtIM1", "IM 1:", IMAddress),
    TL_ADDR("edtIM2", "IM 2:", IMAddress2),
    TL_ADDR("edtHomepage", "Home Page:", HomePage),
};
const AddrText kNoteText = TL_ADDR("memNotes", "", Note);

#undef TL_ADDR

// Every table whose boxes are one-line edits, for filling.
const std::span<const AddrText> kEditTables[] = {
    kNameTexts, kPhoneTexts, kBusinessTexts, kHomeTexts, kOtherTexts, kCustomTexts, kWebTexts,
};

// Rows of label and box, in the table's order, into a form.
void addRows(QFormLayout* form, QWidget* parent, std::span<const AddrText> texts,
             QLineEdit* (*make)(QWidget*, const char*)) {
    for (const AddrText& entry : texts) {
        form->addRow(QString::fromLatin1(entry.label), make(parent, entry.name));
    }
}

QFormLayout* formIn(QWidget* parent) {
    auto* form = new QFormLayout(parent);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    return form;
}

// A check box or radio button that shows a state but cannot be changed, without looking
// disabled: the viewer shows the record, it does not offer choices.
void showOnly(QAbstractButton* button) {
    button->setAttribute(Qt::WA_TransparentForMouseEvents);
    button->setFocusPolicy(Qt::NoFocus);
}

// Full years: "3/4/26" leaves the century to guess, and dates of birth span them.
QString dateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy"))) {
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    }
    return format;
}

// Palm keeps times to the minute; some locales' short form (the C locale's among them) shows
// seconds that would always read ":00".
QString timeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(QRegularExpression(QStringLiteral("[:.]ss?")));
    return format;
}

// The appointment's repeat end or date as "%02d/%02d/%04d" would show it, in the locale's form.
QDate dateOf(const win::SYSTEMTIME& when) {
    return QDate(when.wYear, when.wMonth, when.wDay);
}

} // namespace

TfmDetail::TfmDetail(const QString& objectName, const QString& caption, QWidget* owner)
    : QDialog(owner) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_body = new QVBoxLayout;
    layout->addLayout(m_body, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_btnClose = new QPushButton(QStringLiteral("&Close"), this);
    m_btnClose->setObjectName(QStringLiteral("btnClose"));
    m_btnClose->setDefault(true);
    buttons->addWidget(m_btnClose);
    layout->addLayout(buttons);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TfmDetail::SetRecord(const void* record) {
    if (record == nullptr) {
        return;
    }
    m_pRecord = record;
    Fill(record);
}

QString TfmDetail::localDate(const win::SYSTEMTIME& when) {
    const QDate date = dateOf(when);
    if (!date.isValid()) {
        return {};
    }
    const QLocale locale;
    return locale.toString(date, dateFormat(locale));
}

QString TfmDetail::localTime(const win::SYSTEMTIME& when) {
    const QTime time(when.wHour, when.wMinute, when.wSecond);
    const QLocale locale;
    return time.isValid() ? locale.toString(time, timeFormat(locale)) : QString();
}

QString TfmDetail::localDate(win::DATE when) {
    if (when == 0) {
        return {};
    }
    CxDateTime moment;
    moment.SetVariantTime(when);
    return moment.IsValid() ? localDate(moment.GetSystemTime()) : QString();
}

QLineEdit* TfmDetail::edit(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    return box;
}

QPlainTextEdit* TfmDetail::memo(QWidget* parent, const char* name) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    return box;
}

QCheckBox* TfmDetail::box(QWidget* parent, const char* name, const QString& caption) {
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(QString::fromLatin1(name));
    showOnly(check);
    return check;
}

QRadioButton* TfmDetail::radio(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    showOnly(button);
    return button;
}

QString TfmDetail::text(std::string_view field) {
    QString shown = QString::fromStdString(ansiToUtf8(std::string(field)));
    // Outlook ends lines the Windows way, Palm with a bare line feed; both show as one break.
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

// Contacts.

TfmAddrDetail::TfmAddrDetail(QWidget* owner)
    : TfmDetail(QStringLiteral("fmAddrDetail"), QStringLiteral("Contact detail information"),
                owner) {
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("pcMain"));
    tabs->addTab(generalPage(), QStringLiteral("General"));
    tabs->addTab(addressPage(), QStringLiteral("Address"));
    tabs->addTab(otherPage(), QStringLiteral("Other Information"));
    auto* notes = new QWidget(tabs);
    auto* notesLayout = new QVBoxLayout(notes);
    notesLayout->addWidget(memo(notes, kNoteText.name));
    tabs->addTab(notes, QStringLiteral("Notes"));
    body()->addWidget(tabs);
    resize(sizeHint().expandedTo(QSize(520, 420)));
}

QWidget* TfmAddrDetail::generalPage() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    auto* name = new QGroupBox(QStringLiteral(" Name "), page);
    addRows(formIn(name), name, kNameTexts, &TfmDetail::edit);
    auto* phones = new QGroupBox(QStringLiteral(" Telephone Numbers "), page);
    // Two columns of four, as a business card lists them.
    auto* phoneColumns = new QHBoxLayout(phones);
    const std::span<const AddrText> allPhones(kPhoneTexts);
    for (int half = 0; half < 2; ++half) {
        auto* column = new QFormLayout;
        column->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        addRows(column, phones, allPhones.subspan(static_cast<std::size_t>(half) * 4, 4),
                &TfmDetail::edit);
        phoneColumns->addLayout(column, 1);
    }
    auto* birthday = new QGroupBox(QStringLiteral(" Birthday "), page);
    auto* birthdayLayout = new QHBoxLayout(birthday);
    birthdayLayout->addWidget(edit(birthday, "edtBirthday"));
    layout->addWidget(name, 0, 0, 1, 2);
    layout->addWidget(phones, 1, 0, 1, 2);
    layout->addWidget(birthday, 2, 0);
    layout->addWidget(box(page, "cbPrivate", QStringLiteral("Private")), 2, 1);
    layout->setRowStretch(3, 1);
    return page;
}

QWidget* TfmAddrDetail::addressPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* kinds = new QTabWidget(page);
    kinds->setObjectName(QStringLiteral("pcAddress"));
    const char* const captions[] = {"Business", "Home", "Other"};
    const std::span<const AddrText> parts[] = {kBusinessTexts, kHomeTexts, kOtherTexts};
    for (std::size_t index = 0; index < 3; ++index) {
        auto* sheet = new QWidget(kinds);
        QFormLayout* form = formIn(sheet);
        QPlainTextEdit* street = memo(sheet, kStreetTexts[index].name);
        street->setTabChangesFocus(true);
        form->addRow(QString::fromLatin1(kStreetTexts[index].label), street);
        addRows(form, sheet, parts[index], &TfmDetail::edit);
        kinds->addTab(sheet, QString::fromLatin1(captions[index]));
    }
    layout->addWidget(kinds);
    return page;
}

QWidget* TfmAddrDetail::otherPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* custom = new QGroupBox(QStringLiteral(" Custom Fields "), page);
    auto* customColumns = new QHBoxLayout(custom);
    const std::span<const AddrText> allCustom(kCustomTexts);
    for (std::size_t first : {std::size_t{0}, std::size_t{5}}) {
        auto* column = new QFormLayout;
        column->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        addRows(column, custom, allCustom.subspan(first, first == 0 ? 5 : 4), &TfmDetail::edit);
        customColumns->addLayout(column, 1);
    }
    customColumns->setAlignment(Qt::AlignTop);
    auto* web = new QGroupBox(QStringLiteral(" Chat && Web "), page);
    QFormLayout* webForm = formIn(web);
    addRows(webForm, web, std::span<const AddrText>(kWebTexts).first(2), &TfmDetail::edit);
    auto* homeRow = new QHBoxLayout;
    m_edtHomepage = edit(web, kWebTexts[2].name);
    auto* go = new QPushButton(QStringLiteral(">>"), web);
    go->setObjectName(QStringLiteral("btnGo"));
    go->setToolTip(QStringLiteral("Open the home page"));
    homeRow->addWidget(m_edtHomepage, 1);
    homeRow->addWidget(go);
    webForm->addRow(QString::fromLatin1(kWebTexts[2].label), homeRow);
    connect(go, &QPushButton::clicked, this, &TfmAddrDetail::btnGoClick);
    layout->addWidget(custom);
    layout->addWidget(web);
    layout->addStretch(1);
    return page;
}

void TfmAddrDetail::Fill(const void* record) {
    const auto* rec = static_cast<const CommAddrRec*>(record);
    const auto member = [rec](const AddrText& entry) {
        return TextMemberAt(rec, entry.offset).view();
    };
    for (std::span<const AddrText> table : kEditTables) {
        for (const AddrText& entry : table) {
            findChild<QLineEdit*>(QString::fromLatin1(entry.name))->setText(text(member(entry)));
        }
    }
    for (const AddrText& entry : kStreetTexts) {
        findChild<QPlainTextEdit*>(QString::fromLatin1(entry.name))
            ->setPlainText(text(member(entry)));
    }
    findChild<QPlainTextEdit*>(QString::fromLatin1(kNoteText.name))->setPlainText(text(rec->Note));
    findChild<QLineEdit*>(QStringLiteral("edtBirthday"))->setText(localDate(rec->Birthday));
    findChild<QCheckBox*>(QStringLiteral("cbPrivate"))->setChecked(rec->Private != 0);
    for (QLineEdit* line : findChildren<QLineEdit*>()) {
        line->setCursorPosition(0);
    }
}

// The home page comes from the record, which another program may have written: only a web
// address goes to the desktop, never a path or a program the shell would start.
void TfmAddrDetail::btnGoClick() {
    const QString address = m_edtHomepage->text().trimmed();
    if (address.isEmpty()) {
        return;
    }
    const QUrl url = QUrl::fromUserInput(address);
    const QString scheme = url.scheme().toLower();
    if (url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))) {
        QDesktopServices::openUrl(url);
    }
}

// Calendar.

TfmDateDetail::TfmDateDetail(QWidget* owner)
    : TfmDetail(QStringLiteral("fmDateDetail"), QStringLiteral("Calendar detail information"),
                owner) {
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pcMain"));
    auto* general = new QWidget(m_pages);
    QFormLayout* form = formIn(general);
    form->addRow(QStringLiteral("Description:"), edit(general, "edtDesc"));
    form->addRow(QStringLiteral("Date:"), edit(general, "edtDate"));
    form->addRow(QStringLiteral("Start time:"), edit(general, "edtStartTime"));
    form->addRow(QStringLiteral("End time:"), edit(general, "edtEndTime"));
    form->addRow(QStringLiteral("Location:"), edit(general, "edtLocation"));
    auto* flags = new QHBoxLayout;
    flags->addWidget(box(general, "cbAlarm", QStringLiteral("Alarm")));
    flags->addWidget(box(general, "cbPrivate", QStringLiteral("Private")));
    flags->addWidget(box(general, "cbAllday", QStringLiteral("All day event")));
    flags->addStretch(1);
    form->addRow(flags);
    m_pages->addTab(general, QStringLiteral("General"));
    m_tRecurrence = recurrencePage();
    m_pages->addTab(m_tRecurrence, QStringLiteral("Recurrence"));
    auto* notes = new QWidget(m_pages);
    auto* notesLayout = new QVBoxLayout(notes);
    notesLayout->addWidget(memo(notes, "memNotes"));
    m_pages->addTab(notes, QStringLiteral("Notes"));
    body()->addWidget(m_pages);
    resize(sizeHint().expandedTo(QSize(460, 340)));
}

QWidget* TfmDateDetail::recurrencePage() {
    auto* page = new QWidget(m_pages);
    auto* layout = new QVBoxLayout(page);
    m_pRecur = new QTabWidget(page);
    m_pRecur->setObjectName(QStringLiteral("pRecur"));
    // "Every [n] days." and its sisters: the number between two labels.
    const auto everyRow = [](QWidget* sheet, const char* name, const char* after) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("Every"), sheet));
        QLineEdit* number = edit(sheet, name);
        number->setMaximumWidth(number->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                                12);
        row->addWidget(number);
        row->addWidget(new QLabel(QString::fromLatin1(after), sheet));
        row->addStretch(1);
        return row;
    };
    auto* daily = new QWidget(m_pRecur);
    daily->setObjectName(QStringLiteral("tDaily"));
    auto* dailyLayout = new QVBoxLayout(daily);
    dailyLayout->addLayout(everyRow(daily, "edtRecurDays", "days."));
    dailyLayout->addStretch(1);
    m_pRecur->addTab(daily, QStringLiteral("Daily"));

    auto* weekly = new QWidget(m_pRecur);
    weekly->setObjectName(QStringLiteral("tWeekly"));
    auto* weeklyLayout = new QVBoxLayout(weekly);
    weeklyLayout->addLayout(everyRow(weekly, "edtRecurWeeks", "weeks on:"));
    auto* days = new QGridLayout;
    const char* const dayNames[] = {"cbMonday", "cbTuesday",  "cbWednesday", "cbThursday",
                                    "cbFriday", "cbSaturday", "cbSunday"};
    const char* const dayCaptions[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                       "Friday", "Saturday", "Sunday"};
    for (int day = 0; day < 7; ++day) {
        days->addWidget(box(weekly, dayNames[day], QString::fromLatin1(dayCaptions[day])), day / 4,
                        day % 4);
    }
    weeklyLayout->addLayout(days);
    weeklyLayout->addStretch(1);
    m_pRecur->addTab(weekly, QStringLiteral("Weekly"));

    auto* monthly = new QWidget(m_pRecur);
    monthly->setObjectName(QStringLiteral("tMonthly"));
    auto* monthlyLayout = new QVBoxLayout(monthly);
    monthlyLayout->addLayout(everyRow(monthly, "edtRecurMonths", "months"));
    auto* by = new QHBoxLayout;
    by->addWidget(new QLabel(QStringLiteral("By:"), monthly));
    by->addWidget(radio(monthly, "rbtnDay", QStringLiteral("Day")));
    by->addWidget(radio(monthly, "rbtnDate", QStringLiteral("Date")));
    by->addStretch(1);
    monthlyLayout->addLayout(by);
    monthlyLayout->addStretch(1);
    m_pRecur->addTab(monthly, QStringLiteral("Monthly"));

    auto* yearly = new QWidget(m_pRecur);
    yearly->setObjectName(QStringLiteral("tYearly"));
    auto* yearlyLayout = new QVBoxLayout(yearly);
    yearlyLayout->addLayout(everyRow(yearly, "edtRecurYears", "years"));
    yearlyLayout->addStretch(1);
    m_pRecur->addTab(yearly, QStringLiteral("Yearly"));
    layout->addWidget(m_pRecur, 1);

    auto* range = new QGroupBox(QStringLiteral(" Recurrence Range "), page);
    auto* rangeLayout = new QGridLayout(range);
    rangeLayout->addWidget(new QLabel(QStringLiteral("Start:"), range), 0, 0);
    rangeLayout->addWidget(edit(range, "edtRecurStart"), 0, 1);
    rangeLayout->addWidget(radio(range, "rbtnNoEnd", QStringLiteral("No end date")), 0, 2, 1, 2);
    rangeLayout->addWidget(radio(range, "rbtnEndBy", QStringLiteral("End by")), 1, 2);
    rangeLayout->addWidget(edit(range, "edtRecurEnd"), 1, 3);
    rangeLayout->setColumnStretch(1, 1);
    rangeLayout->setColumnStretch(3, 1);
    layout->addWidget(range);
    return page;
}

void TfmDateDetail::Fill(const void* record) {
    const auto* rec = static_cast<const CommDateRec*>(record);
    const auto line = [this](const char* name) {
        return findChild<QLineEdit*>(QString::fromLatin1(name));
    };
    const auto check = [this](const char* name, bool on) {
        findChild<QAbstractButton*>(QString::fromLatin1(name))->setChecked(on);
    };
    line("edtDesc")->setText(text(rec->Description));
    line("edtDate")->setText(localDate(rec->StartDateTime));
    // An all-day event has no times of day worth showing: each side keeps its own there.
    line("edtStartTime")
        ->setText(rec->AllDayEvent != 0 ? QString() : localTime(rec->StartDateTime));
    line("edtEndTime")->setText(rec->AllDayEvent != 0 ? QString() : localTime(rec->EndDateTime));
    line("edtLocation")->setText(text(rec->Location));
    check("cbAlarm", rec->Alarm != 0);
    check("cbPrivate", rec->Private != 0);
    check("cbAllday", rec->AllDayEvent != 0);
    findChild<QPlainTextEdit*>(QStringLiteral("memNotes"))->setPlainText(text(rec->Note));

    const CommDateRepeat& repeat = rec->Repeat;
    const int type = repeat.RepeatType;
    m_pages->setTabVisible(m_pages->indexOf(m_tRecurrence), type >= 1 && type <= 6);
    // The page of the repeat's type is the only one left.
    const int page = type <= 2 ? type - 1 : type <= 4 ? 2 : 3;
    for (int index = 0; index < m_pRecur->count(); ++index) {
        m_pRecur->setTabVisible(index, index == page);
    }
    if (page >= 0) {
        m_pRecur->setCurrentIndex(page);
    }
    const QString every = QString::number(repeat.RepeatFrequency);
    const char* const everyBoxes[] = {"edtRecurDays", "edtRecurWeeks", "edtRecurMonths",
                                      "edtRecurYears"};
    for (int index = 0; index < 4; ++index) {
        line(everyBoxes[index])->setText(index == page ? every : QString());
    }
    // Bit 0 is Sunday; the boxes run Monday to Sunday.
    const char* const dayNames[] = {"cbSunday",   "cbMonday", "cbTuesday", "cbWednesday",
                                    "cbThursday", "cbFriday", "cbSaturday"};
    for (int bit = 0; bit < 7; ++bit) {
        check(dayNames[bit], type == kCommRepeatWeekly && (repeat.RepeatDays & (1 << bit)) != 0);
    }
    check("rbtnDate", type == kCommRepeatMonthlyByDate);
    check("rbtnDay", type == kCommRepeatMonthlyByWeekday);
    line("edtRecurStart")->setText(localDate(rec->StartDateTime));
    // Years from 2100 on are how both sides write "no end".
    const bool endBy = repeat.RepeatHasEnd != 0 && repeat.RepeatEnd.wYear < 2100;
    check(endBy ? "rbtnEndBy" : "rbtnNoEnd", true);
    line("edtRecurEnd")->setText(endBy ? localDate(repeat.RepeatEnd) : QString());
}

// Tasks.

TfmTodoDetail::TfmTodoDetail(QWidget* owner)
    : TfmDetail(QStringLiteral("fmTodoDetail"), QStringLiteral("Task detail information"), owner) {
    auto* page = new QWidget(this);
    QFormLayout* form = formIn(page);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("Description:"), edit(page, "edtDesc"));
    form->addRow(QStringLiteral("Priority:"), edit(page, "edtPriority"));
    form->addRow(QStringLiteral("Due Date:"), edit(page, "edtDueDate"));
    auto* flags = new QHBoxLayout;
    flags->addWidget(box(page, "cbCompleted", QStringLiteral("Completed")));
    flags->addWidget(box(page, "cbPrivate", QStringLiteral("Private")));
    flags->addStretch(1);
    form->addRow(flags);
    form->addRow(new QLabel(QStringLiteral("Notes:"), page));
    form->addRow(memo(page, "memNotes"));
    body()->addWidget(page);
    resize(sizeHint().expandedTo(QSize(420, 320)));
}

void TfmTodoDetail::Fill(const void* record) {
    const auto* rec = static_cast<const CommTaskRec*>(record);
    findChild<QLineEdit*>(QStringLiteral("edtDesc"))->setText(text(rec->Subject));
    findChild<QLineEdit*>(QStringLiteral("edtPriority"))->setText(QString::number(rec->Priority));
    QString due;
    if (rec->DueDate != 0) {
        CxDateTime when;
        when.SetTimeT(rec->DueDate);
        due = when.IsValid() ? localDate(when.GetSystemTime()) : QString();
    }
    if (due.isEmpty()) {
        // What the list shows for a task without a due date.
        due = QString::fromStdString(ansiToUtf8(fieldText(DataKind::Todo, rec, 4)));
    }
    findChild<QLineEdit*>(QStringLiteral("edtDueDate"))->setText(due);
    findChild<QCheckBox*>(QStringLiteral("cbCompleted"))->setChecked(rec->Completed != 0);
    findChild<QCheckBox*>(QStringLiteral("cbPrivate"))->setChecked(rec->Private != 0);
    findChild<QPlainTextEdit*>(QStringLiteral("memNotes"))->setPlainText(text(rec->Note));
    findChild<QLineEdit*>(QStringLiteral("edtDesc"))->setCursorPosition(0);
}

// Memos.

TfmMemoDetail::TfmMemoDetail(QWidget* owner)
    : TfmDetail(QStringLiteral("fmMemoDetail"), QStringLiteral("Memo detail information"), owner) {
    body()->addWidget(memo(this, "memNotes"));
    resize(sizeHint().expandedTo(QSize(420, 320)));
}

void TfmMemoDetail::Fill(const void* record) {
    const auto* rec = static_cast<const CommNoteRec*>(record);
    findChild<QPlainTextEdit*>(QStringLiteral("memNotes"))->setPlainText(text(rec->Note));
}

std::unique_ptr<TfmDetail> createDetailViewer(DataKind kind, QWidget* owner) {
    switch (kind) {
    case DataKind::Date:
        return std::make_unique<TfmDateDetail>(owner);
    case DataKind::Todo:
        return std::make_unique<TfmTodoDetail>(owner);
    case DataKind::Memo:
        return std::make_unique<TfmMemoDetail>(owner);
    case DataKind::Addr:
        break;
    }
    return std::make_unique<TfmAddrDetail>(owner);
}

} // namespace twinleaf
