#include "common/misc/CxFile.h"

#include "platform/files/ProgramFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>

namespace twinleaf {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

TEST(CxFile, WritesLinesEndingInCrLf) {
    TempDir dir;
    const std::string path = (dir.path() / "OlCommLog.log").string();
    {
        CxFile file;
        ASSERT_TRUE(file.Open(path.c_str(), "w"));
        EXPECT_TRUE(file.WriteLine("Outlook started"));
        EXPECT_TRUE(file.WriteLine(nullptr));
        EXPECT_TRUE(file.WriteLine("100% done, %s %d stays as written"));
    } // the destructor closes and flushes
    EXPECT_EQ(readBytes(path), "Outlook started\r\n\r\n100% done, %s %d stays as written\r\n");

    CxFile file;
    ASSERT_TRUE(file.Open(path.c_str(), "a"));
    EXPECT_TRUE(file.WriteLine("appended"));
    EXPECT_TRUE(file.Close());
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(readBytes(path),
              "Outlook started\r\n\r\n100% done, %s %d stays as written\r\nappended\r\n");
}

TEST(CxFile, RefusesMissingArgumentsWithoutTouchingTheFile) {
    TempDir dir;
    const std::string path = (dir.path() / "kept.log").string();
    writeBytes(path, "old");
    CxFile file;
    EXPECT_FALSE(file.Open(path.c_str(), ""));
    EXPECT_FALSE(file.Open(path.c_str(), nullptr));
    EXPECT_FALSE(file.Open("", "w"));
    EXPECT_FALSE(file.Open(nullptr, "w"));
    EXPECT_FALSE(file.Open((dir.path() / "no" / "such.log").c_str(), "w"));
    EXPECT_EQ(readBytes(path), "old");
}

TEST(CxFile, OpeningAgainFinishesTheFirstStream) {
    TempDir dir;
    const std::string first = (dir.path() / "first.log").string();
    const std::string second = (dir.path() / "second.log").string();
    CxFile file;
    ASSERT_TRUE(file.Open(first.c_str(), "w"));
    file.WriteLine("one");
    ASSERT_TRUE(file.Open(second.c_str(), "w"));
    EXPECT_EQ(readBytes(first), "one\r\n");
    file.WriteLine("two");
    file.Close();
    EXPECT_EQ(readBytes(second), "two\r\n");
}

TEST(CxFileDeathTest, WritingWithoutAStreamStopsTheProgram) {
    CxFile file;
    EXPECT_DEATH(file.WriteLine("lost"), "m_fp");
}

TEST(CxFile, ModuleFolderIsTheProgramFolderWithATrailingSlash) {
    TempDir dir;
    setProgramFolderOverride(dir.path());
    char buffer[win::MAX_PATH];
    EXPECT_TRUE(GetModuleFolder(nullptr, buffer));
    EXPECT_EQ(std::string(buffer), dir.path().string() + "/");
    EXPECT_FALSE(GetModuleFolder(nullptr, nullptr));

    // A cut folder would name another folder: nothing rather than a wrong path.
    char small[8] = "garbage";
    EXPECT_FALSE(GetModuleFolder(nullptr, small, sizeof small));
    EXPECT_STREQ(small, "");

    setProgramFolderOverride("/");
    EXPECT_TRUE(GetModuleFolder(nullptr, buffer));
    EXPECT_STREQ(buffer, "/");
    setProgramFolderOverride({});
}

} // namespace
} // namespace twinleaf
