#include "common/outlook/OlNote.h"

#include "platform/com/DispatchObject.h"
#include "platform/files/ProgramFolder.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/text/FieldText.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace twinleaf {
namespace {

using test::TempDir;

CommNoteRec palmMemo(const std::string& text) {
    CommNoteRec rec{};
    copyToField(rec.Note, text);
    copyToField(rec.Subject, text.substr(0, text.find_first_of("\r\n")));
    rec.SourceType = kSourcePalm;
    return rec;
}

bool hasLine(const std::string& file, const std::string& line) {
    return file.find("\r\n" + line + "\r\n") != std::string::npos;
}

class OlNoteTest : public ::testing::Test {
protected:
    void SetUp() override {
        setProgramFolderOverride(m_home.path());
        outlook::setStoreFolderOverride(m_home.path() / "Outlook");
        restart();
    }
    void TearDown() override {
        m_notes.reset();
        EXPECT_EQ(OlBaseUtil::s_dwRefCount, 0u);
        EXPECT_EQ(win::DispatchObject::liveObjects(), 0);
        outlook::setStoreFolderOverride({});
        setProgramFolderOverride({});
    }
    // A fresh object, as on the next start of the program.
    void restart() {
        m_notes.reset();
        m_notes = std::make_unique<OlNoteUtil>();
        ASSERT_TRUE(m_notes->Reload());
    }
    CommNoteRec* at(std::uint32_t index) { return m_notes->GetRecords()->GetAt(index); }
    std::filesystem::path folder() const { return m_home.path() / "Outlook" / "Notes"; }
    // The one file of the notes folder.
    std::string noteFile() {
        std::string found;
        for (const auto& entry : std::filesystem::directory_iterator(folder())) {
            found = test::readBytes(entry.path());
        }
        return found;
    }

    TempDir m_home;
    outlook::ScopedStoreWarnings m_warnings;
    std::unique_ptr<OlNoteUtil> m_notes;
};

// A memo synced out and read back compares equal: the store keeps iCalendar's own line breaks
// in the file and hands the text out with CR LF again.
TEST_F(OlNoteTest, AMemoSyncedOutReadsBackEqual) {
    CommNoteRec rec = palmMemo("Shopping\r\nmilk\r\nbread");
    EXPECT_TRUE(m_notes->SaveRecord(&rec));
    EXPECT_FALSE(m_notes->SaveRecord(&rec)); // the same: nothing to write
    const std::string file = noteFile();
    for (const char* line : {"BEGIN:VJOURNAL", "SUMMARY:Shopping",
                             "DESCRIPTION:Shopping\\nmilk\\nbread", "X-OUTLOOK-COLOR:0"}) {
        EXPECT_TRUE(hasLine(file, line)) << line << "\n" << file;
    }

    restart();
    ASSERT_EQ(m_notes->GetRecords()->GetCount(), 1u);
    const CommNoteRec& read = *at(0);
    EXPECT_STREQ(read.Subject, "Shopping");
    EXPECT_STREQ(read.Note, "Shopping\r\nmilk\r\nbread");
    EXPECT_EQ(read.Color, 0);
    EXPECT_EQ(read.SourceType, kSourceOutlook);
    EXPECT_NE(read.IDString[0], '\0');
    EXPECT_GT(read.CreationTime, 40000.0);
    EXPECT_GT(read.LastModificationTime, 40000.0);
    CommNoteMgr palm;
    palm.AddCopy(&rec);
    palm.CompareWith(m_notes->GetRecords());
    EXPECT_EQ(palm.GetAt(0)->CompareStatus, 0);
}

// Texts that end in blanks keep them: a memo ending in a space would otherwise never compare
// equal to its note, and a sync from Outlook would write the shortened text back to Palm.
TEST_F(OlNoteTest, TrailingBlanksSurviveTheStore) {
    const std::string texts[] = {"ends in a space ", "tab and spaces\r\nsecond line\t  "};
    for (const std::string& text : texts) {
        CommNoteRec rec = palmMemo(text);
        ASSERT_TRUE(m_notes->SaveRecord(&rec)) << text;
    }
    restart();
    ASSERT_EQ(m_notes->GetRecords()->GetCount(), 2u);
    CommNoteMgr palm;
    for (const std::string& text : texts) {
        const CommNoteRec rec = palmMemo(text);
        palm.AddCopy(&rec);
    }
    palm.CompareWith(m_notes->GetRecords());
    for (std::uint32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(palm.GetAt(i)->CompareStatus, 0) << texts[i];
    }
}

TEST_F(OlNoteTest, UpdatesKeepWhatTheRecordDoesNotCarry) {
    CommNoteRec empty = palmMemo("");
    EXPECT_TRUE(m_notes->SaveRecord(&empty));
    const std::string file = noteFile();
    EXPECT_EQ(file.find("DESCRIPTION"), std::string::npos) << file;
    EXPECT_TRUE(hasLine(file, "X-OUTLOOK-COLOR:0")) << file;

    std::filesystem::remove_all(folder());
    restart();
    CommNoteRec rec = palmMemo("Plan\r\nstep one");
    ASSERT_TRUE(m_notes->SaveRecord(&rec));
    CommNoteRec colourOnly = palmMemo("");
    colourOnly.SourceType = kSourceOutlook;
    colourOnly.Color = 2;
    ASSERT_TRUE(m_notes->UpdateItem(&colourOnly, 0));
    restart();
    EXPECT_STREQ(at(0)->Note, "Plan\r\nstep one");
    EXPECT_EQ(at(0)->Color, 2);
    // A Palm memo has no colour of its own: the note keeps its colour.
    CommNoteRec fromPalm = palmMemo("Plan\r\nstep two");
    ASSERT_TRUE(m_notes->SaveRecord(&fromPalm));
    restart();
    EXPECT_STREQ(at(0)->Note, "Plan\r\nstep two");
    EXPECT_EQ(at(0)->Color, 2);
    EXPECT_FALSE(m_notes->UpdateItem(&colourOnly, 5)); // no such note: the list is left alone
    EXPECT_FALSE(m_notes->UpdateItem(&colourOnly, -1));
}

// A journal written by another program: LF line breaks, several descriptions, an attachment and
// categories. It reads with CR LF, and an update keeps everything the memo does not model.
TEST_F(OlNoteTest, ForeignJournalsKeepWhatMemosDoNotModel) {
    std::filesystem::create_directories(folder());
    test::writeBytes(folder() / "foreign-1.ics",
                     "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\n"
                     "BEGIN:VJOURNAL\r\nUID:foreign-1\r\nDTSTAMP:20240101T100000Z\r\n"
                     "SUMMARY:Minutes\r\nDESCRIPTION:Minutes\\nAction items\r\n"
                     "DESCRIPTION:Second part\r\nATTACH:https://example.org/minutes.pdf\r\n"
                     "CATEGORIES:work,meetings\r\nCREATED:20240101T090000Z\r\n"
                     "END:VJOURNAL\r\nEND:VCALENDAR\r\n");
    restart();
    ASSERT_EQ(m_notes->GetRecords()->GetCount(), 1u)
        << (m_warnings.messages().empty() ? "" : m_warnings.messages().front());
    CommNoteRec rec = *at(0);
    EXPECT_STREQ(rec.Subject, "Minutes");
    EXPECT_STREQ(rec.Note, "Minutes\r\nAction items");
    EXPECT_GT(rec.CreationTime, 45000.0);

    rec.Native = nullptr;
    rec.NativeSize = 0;
    copyToField(rec.Note, "Minutes\r\nAction items\r\nDone");
    EXPECT_TRUE(m_notes->SaveRecord(&rec));
    EXPECT_STREQ(at(0)->Note, "Minutes\r\nAction items\r\nDone");
    const std::string file = test::readBytes(folder() / "foreign-1.ics");
    for (const char* line :
         {"DESCRIPTION:Minutes\\nAction items\\nDone", "DESCRIPTION:Second part",
          "ATTACH:https://example.org/minutes.pdf", "CATEGORIES:work,meetings"}) {
        EXPECT_TRUE(hasLine(file, line)) << line << "\n" << file;
    }
    restart();
    EXPECT_STREQ(at(0)->Note, "Minutes\r\nAction items\r\nDone");
}

// A first line longer than the subject holds, and a text longer than the record holds, are cut
// to the same lengths on both sides, so the pair still matches and compares equal.
TEST_F(OlNoteTest, LongMemosPairWithTheirNotes) {
    const std::string text = std::string(300, 'h') + "\r\n" + std::string(9000, 'b');
    CommNoteRec palm{};
    copyToField(palm.Note, text);
    copyToField(palm.Subject, text.substr(0, 255));
    palm.SourceType = kSourcePalm;
    ASSERT_TRUE(m_notes->SaveRecord(&palm));
    restart();
    EXPECT_EQ(std::string(at(0)->Subject), std::string(255, 'h'));
    EXPECT_EQ(std::string(at(0)->Note).size(), 8191u);
    EXPECT_EQ(m_notes->GetRecords()->FindMatch(&palm), kMatchSame);
}

TEST(OlNoteRealData, AJournalFromAnotherProducerLoads) {
    const auto source = std::filesystem::path(TWINLEAF_REALDATA) / "icalendar" / "journals";
    if (!std::filesystem::is_directory(source)) {
        GTEST_SKIP() << "no real journals at " << source;
    }
    TempDir home;
    setProgramFolderOverride(home.path());
    outlook::setStoreFolderOverride(home.path() / "Outlook");
    std::filesystem::create_directories(home.path() / "Outlook" / "Notes");
    std::filesystem::copy_file(source / "example.ics",
                               home.path() / "Outlook" / "Notes" / "example.ics");
    {
        OlNoteUtil notes;
        ASSERT_TRUE(notes.Reload());
        ASSERT_EQ(notes.GetRecords()->GetCount(), 1u);
        EXPECT_STREQ(notes.GetRecords()->GetAt(0)->Subject, "Aurora project plans were reviewed.");
        EXPECT_STREQ(notes.GetRecords()->GetAt(0)->Note, "Aurora project plans were reviewed.");
    }
    outlook::setStoreFolderOverride({});
    setProgramFolderOverride({});
}

} // namespace
} // namespace twinleaf
