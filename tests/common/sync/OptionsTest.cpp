#include "common/sync/Options.h"

#include "common/misc/WinUtil.h"
#include "platform/text/FieldText.h"
#include "support/Bytes.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace twinleaf {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

TEST(Options, WithoutAFileTheDefaultsAreUsedAndEveryKeyIsWrittenInOrder) {
    TempDir dir;
    const std::string file = (dir.path() / "corvane.ini").string();
    OptionBlock block;
    std::memset(&block, 0x5A, sizeof block); // LoadOptions must not leave any of this
    LoadOptions(block, file);
    OptionBlock expected{};
    expected.AddrSyncMode = expected.DateSyncMode = expected.TodoSyncMode = 1;
    expected.MemoSyncMode = 1;
    expected.AddrType = 1;
    expected.ShowColor = true;
    expected.DiffColor = win::RGB(0, 0, 128);
    expected.NewColor = win::RGB(0, 128, 0);
    EXPECT_EQ(block, expected);
    EXPECT_EQ(block.DiffColor, 8388608U);

    ASSERT_TRUE(SaveOptions(block, file));
    EXPECT_SAME_BYTES("[Twinleaf]\r\n"
                      "AddrUserID=0\r\nDateUserID=0\r\nTodoUserID=0\r\nMemoUserID=0\r\n"
                      "bAddrFile=0\r\nbDateFile=0\r\nbTodoFile=0\r\nbMemoFile=0\r\n"
                      "bAddrCustom=0\r\n"
                      "AddrSyncMode=1\r\nDateSyncMode=1\r\nTodoSyncMode=1\r\nMemoSyncMode=1\r\n"
                      "AddrFile=\r\nDateFile=\r\nTodoFile=\r\nMemoFile=\r\n"
                      "AddrSwapName=0\r\nAddrType=1\r\n"
                      "AddrCustom1=0\r\nAddrCustom2=0\r\nAddrCustom3=0\r\nAddrCustom4=0\r\n"
                      "AddrCustom5=0\r\nAddrCustom6=0\r\nAddrCustom7=0\r\nAddrCustom8=0\r\n"
                      "AddrCustom9=0\r\n"
                      "ShowColor=1\r\nDiffColor=8388608\r\nNewColor=32768\r\nSameColor=0\r\n"
                      "ConfMode=0\r\n",
                      readBytes(file));
}

TEST(Options, BooleansFollowTheirTwoRules) {
    TempDir dir;
    const std::string file = (dir.path() / "corvane.ini").string();
    writeBytes(file, "[twinleaf]\nbAddrFile=2\nbDateFile=1\nbAddrCustom=-1\nAddrSwapName=2\n"
                     "ShowColor=0\n");
    OptionBlock block;
    LoadOptions(block, file);
    EXPECT_FALSE(block.bAddrFile) << "only exactly 1 is on";
    EXPECT_TRUE(block.bDateFile);
    EXPECT_FALSE(block.bAddrCustom);
    EXPECT_TRUE(block.AddrSwapName) << "anything but 0 is on";
    EXPECT_FALSE(block.ShowColor);
    ASSERT_TRUE(SaveOptions(block, file));
    EXPECT_NE(readBytes(file).find("AddrSwapName=1\n"), std::string::npos) << readBytes(file);
    EXPECT_NE(readBytes(file).find("bAddrFile=0\n"), std::string::npos) << readBytes(file);
}

TEST(Options, RoundTripsEveryFieldAndKeepsTheRestOfTheFile) {
    TempDir dir;
    const std::string file = (dir.path() / "corvane.ini").string();
    const std::string others = "; hand-written\n[Path]\nPDPath=/opt/Palm\n";
    writeBytes(file, others);
    OptionBlock block{};
    block.AddrUserID = -1234;
    block.DateUserID = 752715143;
    block.TodoUserID = 3;
    block.MemoUserID = 4;
    block.bAddrFile = block.bMemoFile = block.bAddrCustom = true;
    copyToField(block.AddrFile, "/home/u/M\xFCller's address.dat");
    copyToField(block.MemoFile, "  padded  ");
    block.AddrSwapName = true;
    for (int i = 0; i < 9; ++i) {
        block.AddrCustom[i] = 10 + i;
    }
    block.AddrType = 2;
    block.AddrSyncMode = 2;
    block.DateSyncMode = 4;
    block.TodoSyncMode = 3;
    block.MemoSyncMode = 1;
    block.DiffColor = 0xFFFFFFFF;
    block.NewColor = win::RGB(1, 2, 3);
    block.ConfMode = 3;
    ASSERT_TRUE(SaveOptions(block, file));
    OptionBlock loaded;
    LoadOptions(loaded, file);
    // The profile functions trim values, as on Windows.
    std::memset(block.MemoFile, 0, sizeof block.MemoFile);
    copyToField(block.MemoFile, "padded");
    EXPECT_EQ(loaded, block);
    EXPECT_EQ(readBytes(file).substr(0, others.size()), others);
}

TEST(Options, CutsFileNamesTo259Characters) {
    TempDir dir;
    const std::string file = (dir.path() / "corvane.ini").string();
    writeBytes(file, "[Twinleaf]\r\nDateFile=" + std::string(300, 'd') + "\r\n");
    OptionBlock block;
    LoadOptions(block, file);
    EXPECT_EQ(std::string(block.DateFile), std::string(259, 'd'));
}

TEST(Options, TheProcessBlockUsesTheSettingsFileOfTheProgramFolder) {
    TempDir dir;
    test::ScopedProgramFolder home(dir.path());
    EXPECT_EQ(settingsFilePath(), (dir.path() / "corvane.ini").string());
    writeBytes(dir.path() / "corvane.ini", "[Twinleaf]\nConfMode=2\n");
    LoadOptions();
    EXPECT_EQ(GetOptionBlock()->ConfMode, 2);
    GetOptionBlock()->ConfMode = 1;
    ASSERT_TRUE(SaveOptions());
    EXPECT_EQ(readBytes(dir.path() / "corvane.ini").substr(0, 22), "[Twinleaf]\nConfMode=1\n");
}

} // namespace
} // namespace twinleaf
