// Fills a demo home with contacts, appointments, tasks and memos, written by the program's own Palm
// and Outlook writers:
//   twinleaf_demo_data HOME
// HOME is a demo home as scripts/make-demo-home.sh makes it (settings naming a Palm Desktop
// folder with the users Alice and Bob). Alice's files are classic, Bob's extended. Alice's address
// book and the Outlook store overlap so that every colour of the contacts tab shows: some contacts
// are the same on both sides, some differ, some are on one side only; Alice's date book, to-do list
// and memo pad overlap with the Outlook calendar, tasks and notes in the same way. A Palm file or
// Outlook store that already holds records of its kind is left alone.
#include "common/misc/CommAddr.h"
#include "common/misc/CommDate.h"
#include "common/misc/CommNote.h"
#include "common/misc/CommTask.h"
#include "common/outlook/OlAddr.h"
#include "common/outlook/OlDate.h"
#include "common/outlook/OlNote.h"
#include "common/outlook/OlTask.h"
#include "common/palm/PalmAddr.h"
#include "common/palm/PalmAddrEx.h"
#include "common/palm/PalmAddrInfo.h"
#include "common/palm/PalmDatabase.h"
#include "common/palm/PalmDate.h"
#include "common/palm/PalmDateEx.h"
#include "common/palm/PalmDateInfo.h"
#include "common/palm/PalmEnv.h"
#include "common/palm/PalmMemoInfo.h"
#include "common/palm/PalmTodoInfo.h"
#include "platform/files/PathCase.h"
#include "platform/files/ProgramFolder.h"
#include "platform/outlook/OutlookApplication.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/text/FieldText.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

using namespace twinleaf;

namespace {

enum class Side { Both, Different, PalmOnly, OutlookOnly };

struct DemoContact {
    Side side;
    const char* first;
    const char* last;
    const char* company;
    const char* title;
    const char* email;
    const char* work;
    const char* home;
    const char* mobile;
    // For Side::Different: what Outlook holds instead (field name, value).
    const char* outlookField;
    const char* outlookValue;
};

const DemoContact kAliceContacts[] = {
    {Side::Both, "Ada", "Lovelace", "Analytical Engines Ltd", "Programmer",
     "ada@analytical.example", "+44 20 7946 0101", "", "+44 7700 900101", nullptr, nullptr},
    {Side::Both, "Grace", "Hopper", "Naval Computing Lab", "Rear Admiral", "grace@navy.example",
     "+1 202 555 0142", "", "", nullptr, nullptr},
    {Side::Both, "Alan", "Turing", "Bletchley Park", "Cryptanalyst", "alan@bletchley.example", "",
     "+44 1908 640404", "", nullptr, nullptr},
    {Side::Both, "Katherine", "Johnson", "Langley Research Center", "Mathematician",
     "katherine@langley.example", "+1 757 555 0199", "", "", nullptr, nullptr},
    {Side::Different, "Margaret", "Hamilton", "Apollo Guidance", "Lead Engineer",
     "margaret@apollo.example", "+1 617 555 0111", "", "+1 617 555 0112", "MobilePhone",
     "+1 617 555 0999"},
    {Side::Different, "Edsger", "Dijkstra", "Mathematisch Centrum", "Programmer",
     "edsger@mc.example", "+31 20 555 0133", "", "", "Title", "Professor"},
    {Side::Different, "Barbara", "Liskov", "Programming Methodology Group", "Professor",
     "barbara@pmg.example", "+1 617 555 0177", "", "", "EMail", "liskov@mit.example"},
    {Side::PalmOnly, "Dennis", "Ritchie", "Bell Labs", "Researcher", "dmr@bell.example",
     "+1 908 555 0123", "", "", nullptr, nullptr},
    {Side::PalmOnly, "Ken", "Thompson", "Bell Labs", "Researcher", "ken@bell.example",
     "+1 908 555 0124", "", "", nullptr, nullptr},
    {Side::PalmOnly, "Frances", "Allen", "Research Division", "Fellow", "fran@research.example",
     "+1 914 555 0150", "", "", nullptr, nullptr},
    {Side::OutlookOnly, "Donald", "Knuth", "Stanford University", "Professor Emeritus",
     "knuth@cs.example", "+1 650 555 0164", "", "", nullptr, nullptr},
    {Side::OutlookOnly, "Radia", "Perlman", "Network Design", "Engineer", "radia@net.example",
     "+1 425 555 0108", "", "+1 425 555 0109", nullptr, nullptr},
    {Side::OutlookOnly, "John", "Backus", "Formula Translation Group", "Manager",
     "backus@fortran.example", "+1 212 555 0157", "", "", nullptr, nullptr},
};

const DemoContact kBobContacts[] = {
    {Side::PalmOnly, "Ada", "Lovelace", "Analytical Engines Ltd", "Programmer",
     "ada@analytical.example", "+44 20 7946 0101", "", "+44 7700 900101", nullptr, nullptr},
    {Side::PalmOnly, "Tim", "Berners-Lee", "Information Systems", "Fellow", "timbl@web.example",
     "+41 22 555 0190", "", "", nullptr, nullptr},
    {Side::PalmOnly, "Linus", "Torvalds", "Kernel Group", "Maintainer", "linus@kernel.example", "",
     "+358 9 555 0191", "", nullptr, nullptr},
};

CommAddrRec toRecord(const DemoContact& contact) {
    CommAddrRec record{};
    copyToField(record.FirstName, contact.first);
    copyToField(record.LastName, contact.last);
    copyToField(record.Company, contact.company);
    copyToField(record.Title, contact.title);
    copyToField(record.EMail, contact.email);
    copyToField(record.WorkPhone, contact.work);
    copyToField(record.HomePhone, contact.home);
    copyToField(record.MobilePhone, contact.mobile);
    return record;
}

void applyOutlookChange(CommAddrRec& record, const DemoContact& contact) {
    const std::string field = contact.outlookField;
    if (field == "MobilePhone") {
        copyToField(record.MobilePhone, contact.outlookValue);
    } else if (field == "Title") {
        copyToField(record.Title, contact.outlookValue);
    } else if (field == "EMail") {
        copyToField(record.EMail, contact.outlookValue);
    }
}

const PalmUserRec* findUser(const char* name) {
    for (void* entry = palmUserList().First(); entry != nullptr; entry = palmUserList().Next()) {
        const auto* user = static_cast<const PalmUserRec*>(entry);
        if (std::strcmp(user->name, name) == 0) {
            return user;
        }
    }
    return nullptr;
}

// Writes the user's Palm contacts into a new address book of the form File writes; false on a
// failure, which is printed.
template <class File>
bool writePalmContacts(const PalmUserRec& user, std::span<const DemoContact> contacts) {
    char folder[win::MAX_PATH];
    if (!GetUserDataFolder(user.id, folder)) {
        std::cerr << "twinleaf_demo_data: no data folder for " << user.name << "\n";
        return false;
    }
    const std::filesystem::path book = resolvePathCase(std::filesystem::path(folder) / "address");
    std::filesystem::create_directories(book);
    const std::filesystem::path file = book / "address.dat";
    if (std::filesystem::exists(file)) {
        std::cout << "  " << user.name << ": " << file.string() << " is there already\n";
        return true;
    }
    // An address book with no records yet, as the writer of its form makes it.
    if (File empty; !empty.Save(file.c_str())) {
        std::cerr << "twinleaf_demo_data: " << empty.GetLastError() << "\n";
        return false;
    }
    PmAddrInfo palm;
    if (!palm.Open(user.id)) {
        std::cerr << "twinleaf_demo_data: " << palm.GetLastError() << "\n";
        return false;
    }
    int written = 0;
    for (const DemoContact& contact : contacts) {
        if (contact.side == Side::OutlookOnly) {
            continue;
        }
        const CommAddrRec record = toRecord(contact);
        written += palm.AddRecord(&record) ? 1 : 0;
    }
    if (!palm.Save()) {
        std::cerr << "twinleaf_demo_data: " << palm.GetLastError() << "\n";
        return false;
    }
    std::cout << "  " << user.name << ": " << written << " Palm contacts in " << file.string()
              << "\n";
    return true;
}

// The Outlook contacts: the shared and differing ones as Alice's address book gives them back,
// so that the same contacts are the same to the last field, and the Outlook-only ones.
bool writeOutlookContacts(const PalmUserRec& user, std::span<const DemoContact> contacts) {
    OlAddrUtil outlook;
    if (!outlook.Reload()) {
        std::cerr << "twinleaf_demo_data: the Outlook store could not be opened\n";
        return false;
    }
    if (outlook.GetRecords()->GetCount() > 0) {
        std::cout << "  Outlook: " << outlook.GetRecords()->GetCount()
                  << " contacts there already\n";
        return true;
    }
    PmAddrInfo palm;
    if (!palm.Open(user.id)) {
        std::cerr << "twinleaf_demo_data: " << palm.GetLastError() << "\n";
        return false;
    }
    int written = 0;
    for (const DemoContact& contact : contacts) {
        if (contact.side == Side::PalmOnly) {
            continue;
        }
        CommAddrRec record = toRecord(contact);
        if (contact.side != Side::OutlookOnly) {
            CommAddrMgr* palmList = palm.GetCommMgr();
            for (CommAddrRec* read = palmList->First(); read != nullptr; read = palmList->Next()) {
                if (fieldText(read->FirstName) == contact.first &&
                    fieldText(read->LastName) == contact.last) {
                    record = *read;
                    record.Native = nullptr;
                    record.NativeSize = 0;
                    break;
                }
            }
        }
        if (contact.side == Side::Different) {
            applyOutlookChange(record, contact);
        }
        written += outlook.SaveRecord(&record) ? 1 : 0;
    }
    std::cout << "  Outlook: " << written << " contacts in " << outlook::storeFolder().string()
              << "\n";
    return true;
}

// Alice's to-do list and the Outlook tasks overlap as the contacts do.
struct DemoTask {
    Side side;
    const char* subject;
    const char* note;
    int year, month, day; // the due date; year 0 for none
    std::int32_t priority;
    const char* outlookNote; // for Side::Different: the note Outlook has
};

const DemoTask kAliceTasks[] = {
    {Side::Both, "Renew passport", "Photos first", 2027, 3, 1, kTaskHigh, nullptr},
    {Side::Both, "Water the plants", "", 0, 0, 0, kTaskNormal, nullptr},
    {Side::Different, "Tax return 2026", "Receipts in the blue folder", 2027, 5, 31, kTaskNormal,
     "Receipts in the blue folder; ask Bob about the car"},
    {Side::PalmOnly, "Call the plumber", "", 2026, 12, 15, kTaskHigh, nullptr},
    {Side::OutlookOnly, "Book summer holiday", "", 2027, 1, 31, kTaskLow, nullptr},
};

CommTaskRec toTask(const DemoTask& task) {
    CommTaskRec record{};
    copyToField(record.Subject, task.subject);
    copyToField(record.Note, task.note);
    record.Priority = task.priority;
    if (task.year != 0) {
        std::tm day{};
        day.tm_year = task.year - 1900;
        day.tm_mon = task.month - 1;
        day.tm_mday = task.day;
        day.tm_isdst = -1;
        record.DueDate = static_cast<std::int32_t>(std::mktime(&day));
    }
    record.SourceType = kSourcePalm;
    return record;
}

// Writes the user's records of one kind into a new Palm file (made empty by File, then filled
// through the facade Info) and the shared, differing and Outlook-only ones into the Outlook store
// through Access, unless either holds records of the kind already. `toRecord(item, outlook)`
// gives an item's record as that side has it.
// `prepare(file)`, when given, writes what the new file holds before the items are added.
template <class Info, class File, class Access, class Demo, class ToRecord>
bool writeKind(const PalmUserRec& user, std::span<const Demo> items, const char* folderName,
               const char* fileName, const char* palmNoun, const char* outlookNoun,
               ToRecord toRecord, bool (*prepare)(const std::filesystem::path&) = nullptr) {
    char folder[win::MAX_PATH];
    if (!GetUserDataFolder(user.id, folder)) {
        std::cerr << "twinleaf_demo_data: no data folder for " << user.name << "\n";
        return false;
    }
    const std::filesystem::path list = resolvePathCase(std::filesystem::path(folder) / folderName);
    std::filesystem::create_directories(list);
    const std::filesystem::path file = list / fileName;
    if (!std::filesystem::exists(file)) {
        if (File empty; !empty.Save(file.c_str())) {
            std::cerr << "twinleaf_demo_data: " << empty.GetLastError() << "\n";
            return false;
        }
        if (prepare != nullptr && !prepare(file)) {
            return false;
        }
        Info palm;
        if (!palm.Open(user.id)) {
            std::cerr << "twinleaf_demo_data: " << palm.GetLastError() << "\n";
            return false;
        }
        int written = 0;
        for (const Demo& item : items) {
            const auto record = toRecord(item, false);
            written += item.side != Side::OutlookOnly && palm.AddRecord(&record) ? 1 : 0;
        }
        if (!palm.Save()) {
            std::cerr << "twinleaf_demo_data: " << palm.GetLastError() << "\n";
            return false;
        }
        std::cout << "  " << user.name << ": " << written << " " << palmNoun << " in "
                  << file.string() << "\n";
    }
    Access outlook;
    // As the program sets the calendar up: appointments carry their notes.
    if constexpr (requires { outlook.SetIncludeBody(1); }) {
        outlook.SetIncludeBody(1);
    }
    if (!outlook.Reload()) {
        std::cerr << "twinleaf_demo_data: the Outlook store could not be opened\n";
        return false;
    }
    if (outlook.GetRecords()->GetCount() > 0) {
        return true;
    }
    int written = 0;
    for (const Demo& item : items) {
        const auto record = toRecord(item, true);
        written += item.side != Side::PalmOnly && outlook.SaveRecord(&record) ? 1 : 0;
    }
    std::cout << "  Outlook: " << written << " " << outlookNoun << " in "
              << outlook::storeFolder().string() << "\n";
    return true;
}

template <class File> bool writeTasks(const PalmUserRec& user, std::span<const DemoTask> tasks) {
    return writeKind<PmTodoInfo, File, OlTaskUtil>(
        user, tasks, "todo", "todo.dat", "Palm to-dos", "tasks",
        [](const DemoTask& task, bool outlookSide) {
            CommTaskRec record = toTask(task);
            if (outlookSide && task.outlookNote != nullptr) {
                copyToField(record.Note, task.outlookNote);
            }
            return record;
        });
}

// Alice's date book and the Outlook calendar overlap as the contacts do, with a repeating event
// of every kind; the yearly one on a weekday exists in Outlook only, as the date book has no
// words for it (a sync to Palm writes it without its repeat and says so).
struct DemoAppointment {
    Side side;
    const char* description;
    const char* note;
    int month, day, hour, minute, minutes; // in 2026; hour -1 for an all-day event
    CommDateRepeat repeat;
    const char* outlookNote; // for Side::Different: the note Outlook has
};

win::SYSTEMTIME demoTime(int year, int month, int day, int hour = 0, int minute = 0) {
    win::SYSTEMTIME time{};
    time.wYear = static_cast<win::WORD>(year);
    time.wMonth = static_cast<win::WORD>(month);
    time.wDay = static_cast<win::WORD>(day);
    time.wHour = static_cast<win::WORD>(hour);
    time.wMinute = static_cast<win::WORD>(minute);
    return time;
}

const DemoAppointment kAliceAppointments[] = {
    {Side::Both, "Dentist", "Bring the insurance card", 12, 14, 9, 0, 30, {}, nullptr},
    {Side::Both,
     "Team meeting",
     "Room 2",
     12,
     7,
     14,
     0,
     60,
     {kCommRepeatWeekly, 1, demoTime(2027, 6, 30), 2, 0x0A, 0, 0, 1},
     nullptr},
    {Side::Both,
     "Anna's birthday",
     "",
     5,
     17,
     -1,
     0,
     0,
     {kCommRepeatYearlyByDate, 0, {}, 1, 0, 17, 5, 0},
     nullptr},
    {Side::Different,
     "Book club",
     "Chapter 3",
     12,
     15,
     19,
     0,
     120,
     {kCommRepeatMonthlyByDate, 0, {}, 1, 0, 15, 0, 0},
     "Chapter 4, at Carla's"},
    {Side::Both,
     "Board review",
     "",
     12,
     25,
     10,
     0,
     90,
     {kCommRepeatMonthlyByWeekday, 0, {}, 1, 0x20, 0, 0, 5},
     nullptr},
    {Side::PalmOnly,
     "Yoga",
     "",
     12,
     8,
     7,
     0,
     60,
     {kCommRepeatDaily, 1, demoTime(2027, 1, 31), 2, 0, 0, 0, 0},
     nullptr},
    {Side::OutlookOnly,
     "Mother's Day",
     "",
     5,
     10,
     -1,
     0,
     0,
     {kCommRepeatYearlyByWeekday, 0, {}, 1, 0x01, 0, 5, 2},
     nullptr},
    {Side::OutlookOnly, "Flight to Lisbon", "TP 571, seat 14C", 12, 19, 6, 40, 185, {}, nullptr},
};

CommDateRec toAppointment(const DemoAppointment& item, bool outlookSide) {
    CommDateRec record{};
    copyToField(record.Description, item.description);
    copyToField(record.Note,
                outlookSide && item.outlookNote != nullptr ? item.outlookNote : item.note);
    const bool allDay = item.hour < 0;
    record.AllDayEvent = allDay ? 1 : 0;
    record.StartDateTime =
        demoTime(2026, item.month, item.day, allDay ? 0 : item.hour, item.minute);
    const int end = (allDay ? 0 : item.hour * 60 + item.minute) + item.minutes;
    record.EndDateTime = demoTime(2026, item.month, item.day, end / 60, end % 60);
    record.Duration = item.minutes;
    record.Repeat = item.repeat;
    record.SourceType = kSourcePalm;
    return record;
}

template <class File>
bool writeAppointments(const PalmUserRec& user, std::span<const DemoAppointment> items) {
    return writeKind<PmDateInfo, File, OlDateUtil>(user, items, "datebook", "datebook.dat",
                                                   "Palm appointments", "appointments",
                                                   toAppointment);
}

// Alice's memo pad and the Outlook notes overlap as the contacts do; some memos run over several
// lines.
struct DemoMemo {
    Side side;
    const char* text;
    const char* outlookText; // for Side::Different: the text Outlook has
};

const DemoMemo kAliceMemos[] = {
    {Side::Both, "Shopping list\r\nmilk\r\nbread\r\napples", nullptr},
    {Side::Both, "Wi-Fi at the cottage: cottage-guest", nullptr},
    {Side::Different, "Book ideas\r\nA lighthouse keeper\r\nTwo sisters",
     "Book ideas\r\nA lighthouse keeper\r\nTwo sisters\r\nThe long winter"},
    {Side::PalmOnly, "Bike lock 4711", nullptr},
    {Side::OutlookOnly, "Gift ideas\r\nBob: a fountain pen\r\nCarol: a cookbook", nullptr},
};

// One memo longer than the 8 KB the program holds of a memo: the program keeps it whole in the
// file as long as it is not changed. The common record cannot carry it, so it goes into the new,
// empty file as a row of its own: the entry count, the file's last field, becomes one row of six
// fields, and the row follows it.
bool addLongMemo(const std::filesystem::path& file) {
    std::string journal = "Travel journal\r\n";
    for (int day = 1; journal.size() <= 9000; ++day) {
        journal += "Day " + std::to_string(day) +
                   ": walked along the coast, wrote postcards, tried the local bakery.\r\n";
    }
    std::string bytes;
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (bytes.size() < 4 || bytes.compare(bytes.size() - 4, 4, std::string(4, '\0')) != 0) {
        std::cerr << "twinleaf_demo_data: " << file.string() << " does not end in its rows\n";
        return false;
    }
    const auto le32 = [](std::uint32_t value) {
        return std::string{static_cast<char>(value), static_cast<char>(value >> 8),
                           static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
    };
    const auto intField = [&le32](std::uint32_t tag, std::uint32_t value) {
        return le32(tag) + le32(value);
    };
    const auto length = static_cast<std::uint16_t>(journal.size());
    bytes.replace(bytes.size() - 4, 4,
                  le32(static_cast<std::uint32_t>(palm::kMemoSchema.fieldsPerRow)));
    bytes += intField(1, 0) + intField(1, 0) + intField(1, 0);
    bytes += le32(5) + le32(0) + std::string("\xff") + static_cast<char>(length) +
             static_cast<char>(length >> 8) + journal;
    bytes += intField(6, 0) + intField(1, 0);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) {
        std::cerr << "twinleaf_demo_data: " << file.string() << " could not be written\n";
        return false;
    }
    return true;
}

CommNoteRec toMemo(const DemoMemo& memo, bool outlookSide) {
    const char* text = outlookSide && memo.outlookText != nullptr ? memo.outlookText : memo.text;
    CommNoteRec record{};
    copyToField(record.Note, text);
    copyToField(record.Subject, MemoSubjectOf(text));
    record.SourceType = kSourcePalm;
    return record;
}

template <class File>
bool writeMemos(const PalmUserRec& user, std::span<const DemoMemo> memos,
                bool (*prepare)(const std::filesystem::path&)) {
    return writeKind<PmMemoInfo, File, OlNoteUtil>(user, memos, "memopad", "memopad.dat",
                                                   "Palm memos", "notes", toMemo, prepare);
}

// What the contacts tab will show for the user: counts of the same, different and new records.
// Carol keeps her data as Palm Desktop 6 does, one database per kind (in the SQLite form the
// program reads and writes): made empty with the kind's columns, then filled through the facade
// as a sync would fill it. A database already there is left alone.
template <class Info, class Util, class Demo, class ToRecord>
bool writeDatabase(const PalmUserRec& user, std::span<const Demo> items, const char* folderName,
                   const char* fileName, const char* noun, ToRecord toRecord) {
    char folder[win::MAX_PATH];
    if (!GetUserDataFolder(user.id, folder)) {
        std::cerr << "twinleaf_demo_data: no data folder for " << user.name << "\n";
        return false;
    }
    const std::filesystem::path list = resolvePathCase(std::filesystem::path(folder) / folderName);
    std::filesystem::create_directories(list);
    const std::filesystem::path file = list / fileName;
    if (std::filesystem::exists(file)) {
        std::cout << "  " << user.name << ": " << file.string() << " is there already\n";
        return true;
    }
    std::string error;
    if (Util layout; !CreateEx2Database(file.string(), layout.Columns(), error)) {
        std::cerr << "twinleaf_demo_data: " << error << "\n";
        return false;
    }
    Info palm;
    if (!palm.Open(user.id)) {
        std::cerr << "twinleaf_demo_data: " << palm.GetLastError() << "\n";
        return false;
    }
    int written = 0;
    for (const Demo& item : items) {
        const auto record = toRecord(item);
        written += palm.AddRecord(&record) ? 1 : 0;
    }
    if (!palm.Save()) {
        std::cerr << "twinleaf_demo_data: " << palm.GetLastError() << "\n";
        return false;
    }
    std::cout << "  " << user.name << ": " << written << " " << noun << " in " << file.string()
              << "\n";
    return true;
}

bool writeDesktop6User(const PalmUserRec& user) {
    return writeDatabase<PmAddrInfo, PmAddrEx2Util, DemoContact>(
               user, kAliceContacts, "address", "Address.mdb", "Palm contacts",
               [](const DemoContact& contact) { return toRecord(contact); }) &&
           writeDatabase<PmDateInfo, PmDateEx2Util, DemoAppointment>(
               user, kAliceAppointments, "datebook", "DateBook.mdb", "Palm appointments",
               [](const DemoAppointment& item) { return toAppointment(item, false); }) &&
           writeDatabase<PmTodoInfo, PmTodoEx2Util, DemoTask>(
               user, kAliceTasks, "todo", "Todolist.mdb", "Palm to-dos",
               [](const DemoTask& task) { return toTask(task); }) &&
           writeDatabase<PmMemoInfo, PmMemoEx2Util, DemoMemo>(
               user, kAliceMemos, "MemoPad", "MemoPad.mdb", "Palm memos",
               [](const DemoMemo& memo) { return toMemo(memo, false); });
}

void report(const PalmUserRec& user) {
    PmAddrInfo palm;
    OlAddrUtil outlook;
    if (!palm.Open(user.id) || !outlook.Reload()) {
        return;
    }
    CommAddrMgr& palmList = *palm.GetCommMgr();
    CommAddrMgr& outlookList = *outlook.GetRecords();
    palmList.CompareWith(&outlookList);
    outlookList.CompareWith(&palmList);
    int counts[2][3] = {};
    for (CommAddrRec* rec = palmList.First(); rec != nullptr; rec = palmList.Next()) {
        ++counts[0][rec->CompareStatus % 3];
    }
    for (CommAddrRec* rec = outlookList.First(); rec != nullptr; rec = outlookList.Next()) {
        ++counts[1][rec->CompareStatus % 3];
    }
    std::printf("  %s's contacts tab: Palm %d same, %d different, %d new; "
                "Outlook %d same, %d different, %d new\n",
                user.name, counts[0][0], counts[0][2], counts[0][1], counts[1][0], counts[1][2],
                counts[1][1]);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: twinleaf_demo_data HOME\n";
        return 2;
    }
    outlook::registerOutlookApplication();
    setProgramFolderOverride(std::filesystem::absolute(argv[1]));
    OpenPalmEnvironment();
    const PalmUserRec* alice = findUser("Alice");
    const PalmUserRec* bob = findUser("Bob");
    if (alice == nullptr || bob == nullptr) {
        std::cerr << "twinleaf_demo_data: " << argv[1]
                  << " has no Palm users Alice and Bob; make it with make-demo-home.sh\n";
        ClosePalmEnvironment();
        return 1;
    }
    // Alice keeps the classic files, Bob the extended ones of later Palm Desktop 4.x releases.
    // Bob's date book, to-do list and memo pad hold what Alice's do (the Outlook side is written
    // once, from Alice's), so his tabs compare with the Outlook store as hers do.
    bool ok = writePalmContacts<PmAddrUtil>(*alice, kAliceContacts) &&
              writePalmContacts<PmAddrExUtil>(*bob, kBobContacts) &&
              writeOutlookContacts(*alice, kAliceContacts) &&
              writeAppointments<PmDateUtil>(*alice, kAliceAppointments) &&
              writeTasks<PmTodoUtil>(*alice, kAliceTasks) &&
              writeMemos<PmMemoUtil>(*alice, kAliceMemos, addLongMemo) &&
              writeAppointments<PmDateExUtil>(*bob, kAliceAppointments) &&
              writeTasks<PmTodoExUtil>(*bob, kAliceTasks) &&
              writeMemos<PmMemoExUtil>(*bob, kAliceMemos, nullptr);
    if (ok) {
        report(*alice);
    }
    // The Palm Desktop 6 user is made only in homes that have her folder.
    if (const PalmUserRec* carol = findUser("Carol"); ok && carol != nullptr) {
        ok = writeDesktop6User(*carol);
    }
    ClosePalmEnvironment();
    return ok ? 0 : 1;
}
