#include "platform/outlook/OutlookApplication.h"

#include "platform/codepage/Codepage.h"
#include "platform/com/ClassTable.h"
#include "platform/com/DispatchObject.h"
#include "platform/files/AtomicFile.h"
#include "platform/outlook/AutomationCall.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/outlook/StoreTime.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace twinleaf::outlook {
namespace {

using namespace twinleaf::win;
using test::callMethod;
using test::getProperty;
using test::putProperty;
using test::takeObject;
using test::TempDir;
using test::Value;

// An Outlook on a store in a temporary folder; every object a test takes is released by then.
class OutlookTest : public ::testing::Test {
protected:
    void SetUp() override {
        registerOutlookApplication();
        setStoreFolderOverride(store());
        m_liveBefore = DispatchObject::liveObjects();
    }
    void TearDown() override {
        EXPECT_EQ(DispatchObject::liveObjects(), m_liveBefore) << "automation objects leaked";
        setStoreFolderOverride({});
    }

    std::filesystem::path store() const { return m_dir.path() / "Outlook"; }
    std::filesystem::path contacts() const { return store() / "Contacts"; }

    // Application and namespace as the Outlook access code obtains them; null on failure.
    IDispatch* start(HRESULT* runResult = nullptr) {
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(u"Outlook.Application", &clsid), S_OK);
        IUnknown* unknown = nullptr;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&unknown)),
                  S_OK);
        const HRESULT run = OleRun(unknown);
        if (runResult != nullptr) {
            *runResult = run;
        }
        IDispatch* application = nullptr;
        unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&application));
        unknown->Release();
        if (FAILED(run)) {
            application->Release();
            return nullptr;
        }
        Value nameSpace;
        EXPECT_EQ(callMethod(application, u"GetNameSpace", {Value::textValue(u"MAPI")}, &nameSpace),
                  S_OK);
        application->Release();
        return takeObject(nameSpace);
    }

    IDispatch* folder(IDispatch* nameSpace, LONG number, HRESULT* hr = nullptr) {
        Value result;
        const HRESULT called =
            callMethod(nameSpace, u"GetDefaultFolder", {Value::longValue(number)}, &result);
        if (hr != nullptr) {
            *hr = called;
        }
        return takeObject(result);
    }

    IDispatch* items(IDispatch* folderObject) {
        Value result;
        EXPECT_EQ(getProperty(folderObject, u"Items", result), S_OK);
        return takeObject(result);
    }

    // The values of one text property of every item, in enumeration order.
    std::vector<std::u16string> enumerate(IDispatch* itemsObject, std::u16string_view property) {
        std::vector<std::u16string> values;
        for (bool first = true;; first = false) {
            Value next;
            if (FAILED(callMethod(itemsObject, first ? u"GetFirst" : u"GetNext", {}, &next)) ||
                next.v.vt != VT_DISPATCH || next.v.pdispVal == nullptr) {
                break;
            }
            Value text;
            getProperty(next.v.pdispVal, property, text);
            values.emplace_back(bstrView(text.v.bstrVal));
        }
        return values;
    }

    IDispatch* addContact(IDispatch* itemsObject, std::u16string_view lastName) {
        Value added;
        EXPECT_EQ(callMethod(itemsObject, u"Add", {Value::longValue(2)}, &added), S_OK);
        IDispatch* item = takeObject(added);
        EXPECT_EQ(putProperty(item, u"LastName", Value::textValue(lastName)), S_OK);
        return item;
    }

    TempDir m_dir;
    long m_liveBefore = 0;
};

TEST_F(OutlookTest, ContactsSurviveARestartWithEveryType) {
    ScopedStoreWarnings warnings;
    {
        IDispatch* nameSpace = start();
        ASSERT_NE(nameSpace, nullptr);
        IDispatch* contactsFolder = folder(nameSpace, 10);
        Value name;
        ASSERT_EQ(getProperty(contactsFolder, u"Name", name), S_OK);
        EXPECT_EQ(bstrView(name.v.bstrVal), u"Contacts");
        IDispatch* list = items(contactsFolder);
        EXPECT_TRUE(enumerate(list, u"LastName").empty());
        EXPECT_FALSE(std::filesystem::exists(contacts())); // created on the first save

        IDispatch* item = addContact(list, u"M\u00fcller, Anna; \\ Jr.");
        EXPECT_EQ(putProperty(item, u"Body", Value::textValue(u"two\r\nlines")), S_OK);
        EXPECT_EQ(putProperty(item, u"Gender", Value::longValue(1)), S_OK);
        EXPECT_EQ(putProperty(item, u"birthday", Value::dateValue(25000.5)), S_OK);
        EXPECT_EQ(callMethod(item, u"Save", {}, nullptr), S_OK);
        Value entryId;
        ASSERT_EQ(getProperty(item, u"EntryID", entryId), S_OK);
        const std::u16string id(bstrView(entryId.v.bstrVal));
        EXPECT_TRUE(std::filesystem::exists(contacts() / (utf16ToUtf8(id) + ".vcf")));
        item->Release();
        list->Release();
        contactsFolder->Release();
        nameSpace->Release();
    }
    IDispatch* nameSpace = start();
    IDispatch* contactsFolder = folder(nameSpace, 10);
    IDispatch* list = items(contactsFolder);
    Value first;
    ASSERT_EQ(callMethod(list, u"Item", {Value::longValue(1)}, &first), S_OK);
    IDispatch* item = first.v.pdispVal;
    Value lastName, body, gender, birthday, created, modified;
    EXPECT_EQ(getProperty(item, u"LastName", lastName), S_OK);
    EXPECT_EQ(bstrView(lastName.v.bstrVal), u"M\u00fcller, Anna; \\ Jr.");
    EXPECT_EQ(getProperty(item, u"Body", body), S_OK);
    EXPECT_EQ(bstrView(body.v.bstrVal), u"two\r\nlines");
    EXPECT_EQ(getProperty(item, u"Gender", gender), S_OK);
    EXPECT_EQ(gender.v.vt, VT_I4);
    EXPECT_EQ(gender.v.lVal, 1);
    EXPECT_EQ(getProperty(item, u"Birthday", birthday), S_OK);
    EXPECT_EQ(birthday.v.vt, VT_DATE);
    EXPECT_EQ(birthday.v.date, 25000.5);
    EXPECT_EQ(getProperty(item, u"CreationTime", created), S_OK);
    EXPECT_EQ(getProperty(item, u"LastModificationTime", modified), S_OK);
    EXPECT_GT(created.v.date, 39000.0);
    EXPECT_EQ(created.v.date, modified.v.date);
    list->Release();
    contactsFolder->Release();
    nameSpace->Release();
    EXPECT_TRUE(warnings.messages().empty());
}

TEST_F(OutlookTest, AnswersByNameAndRefusesWhatOutlookWouldRefuse) {
    IDispatch* nameSpace = start();
    ASSERT_NE(nameSpace, nullptr);
    HRESULT hr = S_OK;
    EXPECT_EQ(folder(nameSpace, 6, &hr), nullptr); // the inbox: not a folder of the stand-in
    EXPECT_EQ(hr, E_INVALIDARG);
    IDispatch* contactsFolder = folder(nameSpace, 10);
    IDispatch* list = items(contactsFolder);
    IDispatch* item = addContact(list, u"Smith");
    DISPID id = 0;
    EXPECT_EQ(test::idOf(item, u"Nickname", id), S_OK); // names are found without regard to case
    EXPECT_EQ(test::idOf(item, u"Colour", id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(test::idOf(item, u"GetRecurrencePattern", id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(putProperty(item, u"FirstName", Value::longValue(3)), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(putProperty(item, u"Gender", Value::textValue(u"male")), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(putProperty(item, u"EntryID", Value::textValue(u"mine")), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(putProperty(item, u"CreationTime", Value::dateValue(1.0)), DISP_E_MEMBERNOTFOUND);
    // Its class, as Outlook numbers them (olContact), which readers go by to reuse member ids.
    Value objectClass;
    EXPECT_EQ(getProperty(item, u"Class", objectClass), S_OK);
    EXPECT_EQ(objectClass.v.vt, VT_I4);
    EXPECT_EQ(objectClass.v.lVal, 40);
    EXPECT_EQ(putProperty(item, u"Class", Value::longValue(26)), DISP_E_MEMBERNOTFOUND);
    Value nothing;
    EXPECT_EQ(callMethod(list, u"Add", {Value::longValue(1)}, &nothing), E_INVALIDARG);
    EXPECT_EQ(callMethod(list, u"Item", {Value::longValue(1)}, &nothing), DISP_E_BADINDEX);
    EXPECT_EQ(callMethod(list, u"Item", {Value::longValue(0)}, &nothing), DISP_E_BADINDEX);
    // Unsaved, the new contact is in no list, and another object does not see its values.
    Value count;
    EXPECT_EQ(getProperty(list, u"Count", count), S_OK);
    EXPECT_EQ(count.v.lVal, 0);
    item->Release();
    list->Release();
    contactsFolder->Release();
    nameSpace->Release();
}

TEST_F(OutlookTest, NewItemsComeLastAndTheOrderHoldsAcrossRestarts) {
    std::vector<std::u16string> order;
    {
        IDispatch* nameSpace = start();
        IDispatch* contactsFolder = folder(nameSpace, 10);
        IDispatch* list = items(contactsFolder);
        for (const char16_t* name : {u"Zeta", u"Alpha", u"Mu", u"Beta"}) {
            IDispatch* item = addContact(list, name);
            EXPECT_EQ(callMethod(item, u"Save", {}, nullptr), S_OK);
            item->Release();
        }
        order = enumerate(list, u"LastName");
        list->Release();
        contactsFolder->Release();
        nameSpace->Release();
    }
    EXPECT_EQ(order, (std::vector<std::u16string>{u"Zeta", u"Alpha", u"Mu", u"Beta"}));
    IDispatch* nameSpace = start();
    IDispatch* contactsFolder = folder(nameSpace, 10);
    IDispatch* list = items(contactsFolder);
    EXPECT_EQ(enumerate(list, u"LastName"), order);
    // A changed item keeps its place.
    Value second;
    ASSERT_EQ(callMethod(list, u"Item", {Value::longValue(2)}, &second), S_OK);
    EXPECT_EQ(putProperty(second.v.pdispVal, u"LastName", Value::textValue(u"Alpha2")), S_OK);
    EXPECT_EQ(enumerate(list, u"LastName")[1], u"Alpha"); // not visible before the save
    EXPECT_EQ(callMethod(second.v.pdispVal, u"Save", {}, nullptr), S_OK);
    EXPECT_EQ(enumerate(list, u"LastName"),
              (std::vector<std::u16string>{u"Zeta", u"Alpha2", u"Mu", u"Beta"}));
    list->Release();
    contactsFolder->Release();
    nameSpace->Release();
}

TEST_F(OutlookTest, SkipsFilesItCannotReadAndNeverTouchesThem) {
    const std::string good = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:good\r\nN:Good;Anna;;;\r\nFN:Anna "
                             "Good\r\nEND:VCARD\r\n";
    const std::string sameId = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:good\r\nN:Copy;;;;\r\nFN:Copy\r\n"
                               "END:VCARD\r\n";
    struct BadFile {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const BadFile bad[] = {
        {"empty.vcf", "", "empty"},
        {"latin1.vcf", "BEGIN:VCARD\r\nFN:K\xF6ln\r\nEND:VCARD\r\n", "unknown encoding"},
        {"utf16.vcf",
         std::string("\xFF\xFE"
                     "B\0E\0G\0",
                     8),
         "unknown encoding"},
        {"two.vcf", good + good, "2 cards"},
        {"broken.vcf", "BEGIN:VCARD\r\nFN:cut", "END:VCARD"},
        {"zz-duplicate.vcf", sameId, "has the id \"good\" of a-good.vcf"},
    };
    test::writeBytes(contacts() / "a-good.vcf", good);
    test::writeBytes(contacts() / "notes.txt", "not a card");
    for (const BadFile& file : bad) {
        test::writeBytes(contacts() / file.name, file.bytes);
    }
    ScopedStoreWarnings warnings;
    IDispatch* nameSpace = start();
    IDispatch* contactsFolder = folder(nameSpace, 10);
    IDispatch* list = items(contactsFolder);
    EXPECT_EQ(enumerate(list, u"FullName"), std::vector<std::u16string>{u"Anna Good"});
    ASSERT_EQ(warnings.messages().size(), std::size(bad));
    for (const BadFile& file : bad) {
        SCOPED_TRACE(file.name);
        const auto found = std::find_if(warnings.messages().begin(), warnings.messages().end(),
                                        [&](const std::string& message) {
                                            return message.find(file.name) != std::string::npos;
                                        });
        ASSERT_NE(found, warnings.messages().end());
        EXPECT_NE(found->find(file.reason), std::string::npos) << *found;
    }
    // Whoever opens the folder later hears about the skipped files too, not only the first.
    IDispatch* again = folder(nameSpace, 10);
    EXPECT_EQ(warnings.messages().size(), 2 * std::size(bad));
    again->Release();
    IDispatch* item = addContact(list, u"New");
    EXPECT_EQ(callMethod(item, u"Save", {}, nullptr), S_OK);
    item->Release();
    for (const BadFile& file : bad) {
        EXPECT_EQ(test::readBytes(contacts() / file.name), file.bytes) << file.name;
    }
    EXPECT_EQ(test::readBytes(contacts() / "a-good.vcf"), good);
    list->Release();
    contactsFolder->Release();
    nameSpace->Release();
}

// A large folder is read by several threads; which file claims an id, what is skipped and the
// order of the items must still follow the files' names alone.
TEST_F(OutlookTest, AFolderOfManyFilesLoadsAsItsNamesSayWhateverThreadReadsIt) {
    const auto card = [](const std::string& id, const std::string& name) {
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + id + "\r\nN:" + name + ";;;;\r\nFN:" + name +
               "\r\nEND:VCARD\r\n";
    };
    constexpr int kCards = 3000;
    std::vector<std::u16string> expected;
    for (int i = 0; i < kCards; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "c%04d", i);
        // c0100 cannot be read; c2999's id is claimed first by a file whose name sorts earlier.
        test::writeBytes(contacts() / (std::string(id) + ".vcf"),
                         i == 100 ? std::string("BEGIN:VCARD\r\nFN:cut") : card(id, id));
        if (i != 100 && i != kCards - 1) {
            expected.push_back(utf8ToUtf16(id));
        }
    }
    test::writeBytes(contacts() / "c1500-copy.vcf", card("c2999", "Copy"));
    expected.push_back(u"Copy");
    // One time for every file, so that the items come in the order of their ids.
    const auto time = std::filesystem::last_write_time(contacts() / "c0000.vcf");
    for (const auto& entry : std::filesystem::directory_iterator(contacts())) {
        std::filesystem::last_write_time(entry.path(), time);
    }
    ScopedStoreWarnings warnings;
    IDispatch* nameSpace = start();
    IDispatch* contactsFolder = folder(nameSpace, 10);
    IDispatch* list = items(contactsFolder);
    EXPECT_EQ(enumerate(list, u"FullName"), expected);
    ASSERT_EQ(warnings.messages().size(), 2U);
    EXPECT_NE(warnings.messages()[0].find("c0100.vcf: ends before END:VCARD"), std::string::npos)
        << warnings.messages()[0];
    EXPECT_NE(warnings.messages()[1].find("c2999.vcf: has the id \"c2999\" of c1500-copy.vcf"),
              std::string::npos)
        << warnings.messages()[1];
    list->Release();
    contactsFolder->Release();
    nameSpace->Release();
}

TEST_F(OutlookTest, AnOversizedItemFileIsSkippedWithoutBeingRead) {
    const std::filesystem::path huge = contacts() / "huge.vcf";
    std::filesystem::create_directories(contacts());
    test::writeBytes(huge, "BEGIN:VCARD\r\n");
    std::filesystem::resize_file(huge, kDefaultItemFileLimit + 1); // sparse: no disk, no time
    ScopedStoreWarnings warnings;
    IDispatch* nameSpace = start();
    IDispatch* contactsFolder = folder(nameSpace, 10);
    IDispatch* list = items(contactsFolder);
    EXPECT_TRUE(enumerate(list, u"FullName").empty());
    ASSERT_EQ(warnings.messages().size(), 1u);
    EXPECT_NE(warnings.messages()[0].find("huge.vcf"), std::string::npos) << warnings.messages()[0];
    EXPECT_EQ(std::filesystem::file_size(huge), kDefaultItemFileLimit + 1);
    list->Release();
    contactsFolder->Release();
    nameSpace->Release();
}

TEST_F(OutlookTest, AnItemFileChangedByAnotherProgramIsNotSavedOver) {
    const std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:anna\r\nN:Good;Anna;;;\r\n"
                             "FN:Anna Good\r\nEND:VCARD\r\n";
    std::filesystem::create_directories(contacts());
    test::writeBytes(contacts() / "anna.vcf", card);
    ScopedStoreWarnings warnings;
    IDispatch* nameSpace = start();
    IDispatch* contactsFolder = folder(nameSpace, 10);
    IDispatch* list = items(contactsFolder);
    Value first;
    ASSERT_EQ(callMethod(list, u"GetFirst", {}, &first), S_OK);
    IDispatch* item = takeObject(first);
    ASSERT_NE(item, nullptr);
    // Another program rewrites the file, same size, between our load and our save.
    std::string theirs = card;
    theirs.replace(theirs.find("Anna Good"), 9, "Anne Good");
    test::writeBytes(contacts() / "anna.vcf", theirs);
    EXPECT_EQ(putProperty(item, u"LastName", Value::textValue(u"Ours")), S_OK);
    EXPECT_NE(callMethod(item, u"Save", {}, nullptr), S_OK);
    EXPECT_EQ(test::readBytes(contacts() / "anna.vcf"), theirs);
    ASSERT_FALSE(warnings.messages().empty());
    EXPECT_NE(warnings.messages().back().find("anna.vcf"), std::string::npos);
    EXPECT_NE(warnings.messages().back().find("changed by another program"), std::string::npos);
    item->Release();

    // The folder keeps what it read until it is told to read its files again; then the change
    // shows and the item can be saved over what it now is.
    EXPECT_EQ(enumerate(list, u"FullName"), std::vector<std::u16string>{u"Anna Good"});
    rereadStoreFolders();
    EXPECT_EQ(enumerate(list, u"FullName"), std::vector<std::u16string>{u"Anne Good"});
    Value again;
    ASSERT_EQ(callMethod(list, u"GetFirst", {}, &again), S_OK);
    item = takeObject(again);
    EXPECT_EQ(putProperty(item, u"LastName", Value::textValue(u"Ours")), S_OK);
    EXPECT_EQ(callMethod(item, u"Save", {}, nullptr), S_OK);
    EXPECT_NE(test::readBytes(contacts() / "anna.vcf").find("Ours"), std::string::npos);
    item->Release();
    list->Release();
    contactsFolder->Release();
    nameSpace->Release();
}

// Every calendar of the real producers loads, and an appointment saved without a change (its
// subject written back as it was) leaves its file byte for byte as the other program wrote it.
TEST_F(OutlookTest, RealProducersAppointmentsSavedUnchangedStayAsTheyWere) {
    const std::filesystem::path source = std::filesystem::path(TWINLEAF_REALDATA) / "icalendar";
    if (!std::filesystem::is_directory(source)) {
        GTEST_SKIP() << source.string() << " is absent: no real producers' calendars to load";
    }
    const std::filesystem::path calendar = store() / "Calendar";
    std::filesystem::create_directories(calendar);
    std::map<std::filesystem::path, std::string> originals;
    int n = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(source)) {
        if (entry.path().extension() == ".ics") {
            const std::string bytes = test::readBytes(entry.path());
            const auto copy = calendar / ("real-" + std::to_string(++n) + ".ics");
            test::writeBytes(copy, bytes);
            originals[copy] = bytes;
        }
    }
    ScopedStoreWarnings warnings; // files the store cannot read are skipped with a reason
    IDispatch* nameSpace = start();
    IDispatch* calendarFolder = folder(nameSpace, 9);
    IDispatch* list = items(calendarFolder);
    int saved = 0;
    for (bool first = true;; first = false) {
        Value next;
        if (FAILED(callMethod(list, first ? u"GetFirst" : u"GetNext", {}, &next)) ||
            next.v.vt != VT_DISPATCH || next.v.pdispVal == nullptr) {
            break;
        }
        Value subject;
        ASSERT_EQ(getProperty(next.v.pdispVal, u"Subject", subject), S_OK);
        EXPECT_EQ(
            putProperty(next.v.pdispVal, u"Subject", Value::textValue(bstrView(subject.v.bstrVal))),
            S_OK);
        EXPECT_EQ(callMethod(next.v.pdispVal, u"Save", {}, nullptr), S_OK);
        ++saved;
    }
    EXPECT_GT(saved, 20);
    for (const auto& [file, bytes] : originals) {
        SCOPED_TRACE(file.string());
        EXPECT_EQ(test::readBytes(file), bytes);
    }
    list->Release();
    calendarFolder->Release();
    nameSpace->Release();
}

TEST_F(OutlookTest, AStoreThatCannotBeUsedIsAnOutlookThatDoesNotStart) {
    test::writeBytes(store(), "a file where the folder should be");
    ScopedStoreWarnings warnings;
    HRESULT run = S_OK;
    EXPECT_EQ(start(&run), nullptr);
    EXPECT_EQ(run, CO_E_SERVER_EXEC_FAILURE);
    ASSERT_EQ(warnings.messages().size(), 1u);
    EXPECT_NE(warnings.messages()[0].find("not a folder"), std::string::npos);

    // A contacts folder that cannot be read closes only that folder.
    std::filesystem::remove(store());
    test::writeBytes(contacts(), "a file where the folder should be");
    IDispatch* nameSpace = start();
    ASSERT_NE(nameSpace, nullptr);
    HRESULT hr = S_OK;
    EXPECT_EQ(folder(nameSpace, 10, &hr), nullptr);
    EXPECT_EQ(hr, E_FAIL);
    IDispatch* tasks = folder(nameSpace, 13);
    EXPECT_NE(tasks, nullptr);
    tasks->Release();
    nameSpace->Release();
}

TEST_F(OutlookTest, AFailedSaveLeavesFolderAndFileAsTheyWere) {
    ScopedStoreWarnings warnings;
    IDispatch* nameSpace = start();
    IDispatch* contactsFolder = folder(nameSpace, 10);
    IDispatch* list = items(contactsFolder);
    IDispatch* kept = addContact(list, u"Kept");
    ASSERT_EQ(callMethod(kept, u"Save", {}, nullptr), S_OK);
    IDispatch* lost = addContact(list, u"Lost");
    {
        ScopedFileFault fault(FileCall::Write, 1);
        EXPECT_EQ(callMethod(lost, u"Save", {}, nullptr), STG_E_WRITEFAULT);
        EXPECT_EQ(putProperty(kept, u"LastName", Value::textValue(u"Changed")), S_OK);
        EXPECT_EQ(callMethod(kept, u"Save", {}, nullptr), STG_E_WRITEFAULT);
    }
    EXPECT_EQ(enumerate(list, u"LastName"), std::vector<std::u16string>{u"Kept"});
    EXPECT_EQ(warnings.messages().size(), 2u);
    lost->Release();
    kept->Release();
    list->Release();
    contactsFolder->Release();
    nameSpace->Release();
}

TEST_F(OutlookTest, AppointmentsTasksAndNotesSurviveARestart) {
    // A file the store cannot read is reported and left alone; it does not stop the folder.
    test::writeBytes(store() / "Calendar" / "broken.ics", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n");
    struct Kind {
        LONG folder;
        const char16_t* name;
        LONG itemType;
    };
    const Kind kinds[] = {{9, u"Calendar", 1}, {13, u"Tasks", 3}, {12, u"Notes", 5}};
    ScopedStoreWarnings warnings;
    {
        IDispatch* nameSpace = start();
        for (const Kind& kind : kinds) {
            SCOPED_TRACE(kind.folder);
            IDispatch* folderObject = folder(nameSpace, kind.folder);
            ASSERT_NE(folderObject, nullptr);
            Value name;
            EXPECT_EQ(getProperty(folderObject, u"Name", name), S_OK);
            EXPECT_EQ(bstrView(name.v.bstrVal), kind.name);
            IDispatch* list = items(folderObject);
            EXPECT_TRUE(enumerate(list, u"Body").empty());
            Value added;
            ASSERT_EQ(callMethod(list, u"Add", {Value::longValue(kind.itemType)}, &added), S_OK);
            IDispatch* item = takeObject(added);
            EXPECT_EQ(putProperty(item, u"Body", Value::textValue(u"First line\nsecond")), S_OK);
            if (kind.itemType == 1) {
                EXPECT_EQ(putProperty(item, u"Subject", Value::textValue(u"Dentist")), S_OK);
                EXPECT_EQ(putProperty(item, u"Start", Value::dateValue(45300.375)), S_OK);
                EXPECT_EQ(putProperty(item, u"End", Value::dateValue(45300.4375)), S_OK);
                Value pattern;
                ASSERT_EQ(callMethod(item, u"GetRecurrencePattern", {}, &pattern), S_OK);
                IDispatch* patternObject = takeObject(pattern);
                EXPECT_EQ(putProperty(patternObject, u"RecurrenceType", Value::longValue(2)), S_OK);
                EXPECT_EQ(putProperty(patternObject, u"DayOfMonth", Value::longValue(9)), S_OK);
                patternObject->Release();
            } else if (kind.itemType == 3) {
                EXPECT_EQ(putProperty(item, u"Subject", Value::textValue(u"Taxes")), S_OK);
                EXPECT_EQ(putProperty(item, u"DueDate", Value::dateValue(40344.0)), S_OK);
                EXPECT_EQ(putProperty(item, u"Importance", Value::longValue(2)), S_OK);
                EXPECT_EQ(putProperty(item, u"TeamTask", Value::longValue(1)), S_OK);
            } else {
                EXPECT_EQ(putProperty(item, u"Color", Value::longValue(1)), S_OK);
            }
            EXPECT_EQ(callMethod(item, u"Save", {}, nullptr), S_OK);
            item->Release();
            list->Release();
            folderObject->Release();
        }
        nameSpace->Release();
    }
    IDispatch* nameSpace = start();
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.folder);
        IDispatch* folderObject = folder(nameSpace, kind.folder);
        IDispatch* list = items(folderObject);
        // Outlook keeps the lines of a text apart with CR LF.
        EXPECT_EQ(enumerate(list, u"Body"), std::vector<std::u16string>{u"First line\r\nsecond"});
        Value first;
        ASSERT_EQ(callMethod(list, u"Item", {Value::longValue(1)}, &first), S_OK);
        IDispatch* item = takeObject(first);
        Value subject, value;
        EXPECT_EQ(getProperty(item, u"Subject", subject), S_OK);
        if (kind.itemType == 1) {
            EXPECT_EQ(bstrView(subject.v.bstrVal), u"Dentist");
            EXPECT_EQ(getProperty(item, u"End", value), S_OK);
            EXPECT_EQ(value.v.vt, VT_DATE);
            EXPECT_EQ(value.v.date, 45300.4375);
            Value recurring, pattern, day;
            EXPECT_EQ(getProperty(item, u"IsRecurring", recurring), S_OK);
            EXPECT_EQ(recurring.v.boolVal, VARIANT_TRUE);
            ASSERT_EQ(callMethod(item, u"GetRecurrencePattern", {}, &pattern), S_OK);
            IDispatch* patternObject = takeObject(pattern);
            EXPECT_EQ(getProperty(patternObject, u"DayOfMonth", day), S_OK);
            EXPECT_EQ(day.v.lVal, 9);
            patternObject->Release();
        } else if (kind.itemType == 3) {
            EXPECT_EQ(bstrView(subject.v.bstrVal), u"Taxes");
            EXPECT_EQ(getProperty(item, u"Importance", value), S_OK);
            EXPECT_EQ(value.v.vt, VT_I4);
            EXPECT_EQ(value.v.lVal, 2);
            Value team;
            EXPECT_EQ(getProperty(item, u"TeamTask", team), S_OK);
            EXPECT_EQ(team.v.boolVal, VARIANT_TRUE);
        } else {
            EXPECT_EQ(bstrView(subject.v.bstrVal), u"First line");
            EXPECT_EQ(getProperty(item, u"Color", value), S_OK);
            EXPECT_EQ(value.v.lVal, 1);
        }
        item->Release();
        list->Release();
        folderObject->Release();
    }
    nameSpace->Release();
    ASSERT_EQ(warnings.messages().size(), 2u); // once for each start
    for (const std::string& message : warnings.messages()) {
        EXPECT_NE(message.find("broken.ics"), std::string::npos) << message;
    }
}

TEST_F(OutlookTest, AppointmentsAnswerTheirRecurrencePattern) {
    IDispatch* nameSpace = start();
    IDispatch* calendar = folder(nameSpace, 9);
    IDispatch* list = items(calendar);
    Value added;
    ASSERT_EQ(callMethod(list, u"Add", {Value::longValue(1)}, &added), S_OK);
    IDispatch* appointment = added.v.pdispVal;
    Value recurring;
    EXPECT_EQ(getProperty(appointment, u"IsRecurring", recurring), S_OK);
    EXPECT_EQ(recurring.v.boolVal, VARIANT_FALSE);
    Value patternResult;
    ASSERT_EQ(callMethod(appointment, u"GetRecurrencePattern", {}, &patternResult), S_OK);
    IDispatch* pattern = patternResult.v.pdispVal;
    EXPECT_EQ(putProperty(pattern, u"RecurrenceType", Value::longValue(1)), S_OK);
    EXPECT_EQ(putProperty(pattern, u"Interval", Value::longValue(2)), S_OK);
    EXPECT_EQ(putProperty(pattern, u"DayOfWeekMask", Value::longValue(2 | 8)), S_OK);
    Value interval;
    EXPECT_EQ(getProperty(pattern, u"Interval", interval), S_OK);
    EXPECT_EQ(interval.v.lVal, 2);
    Value recurringNow;
    EXPECT_EQ(getProperty(appointment, u"IsRecurring", recurringNow), S_OK);
    EXPECT_EQ(recurringNow.v.boolVal, VARIANT_TRUE);
    DISPID id = 0;
    EXPECT_EQ(test::idOf(pattern, u"Subject", id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(test::idOf(appointment, u"Interval", id), DISP_E_UNKNOWNNAME);
    list->Release();
    calendar->Release();
    nameSpace->Release();
}

} // namespace
} // namespace twinleaf::outlook
