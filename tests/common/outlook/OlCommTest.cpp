#include "common/outlook/OlComm.h"

#include "common/outlook/OlAddr.h"
#include "platform/com/ClassTable.h"
#include "platform/com/DispatchObject.h"
#include "platform/files/ProgramFolder.h"
#include "platform/outlook/OutlookStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <memory>
#include <regex>

namespace twinleaf {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

// A program folder with its settings file and an Outlook store of its own.
class OlCommTest : public ::testing::Test {
protected:
    void SetUp() override {
        setProgramFolderOverride(m_home.path());
        outlook::setStoreFolderOverride(m_home.path() / "Outlook");
        enableLog("1");
    }
    void TearDown() override {
        EXPECT_EQ(OlBaseUtil::s_dwRefCount, 0u);
        EXPECT_EQ(win::DispatchObject::liveObjects(), 0);
        outlook::setStoreFolderOverride({});
        setProgramFolderOverride({});
    }
    void enableLog(const char* value) {
        const std::string settings =
            value != nullptr ? std::string("[OlComm]\r\nEnableLog=") + value + "\r\n" : "";
        writeBytes(m_home.path() / "corvane.ini", settings);
    }
    std::filesystem::path logPath() const { return m_home.path() / "OlCommLog.log"; }
    // The log with its time stamps masked.
    std::string log() const {
        static const std::regex stamp(R"(\[\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\] - )");
        return std::regex_replace(readBytes(logPath()), stamp, "[stamp] - ");
    }

    TempDir m_home;
    outlook::ScopedStoreWarnings m_warnings;
};

constexpr const char* kStart = "\r\n\r\n[stamp] - Outlook Automation Start:\r\n";
constexpr const char* kSteps = "[stamp] - Get Outlook.Application CLSID succeeded.\r\n"
                               "[stamp] - CoCreateInstance succeeded.\r\n"
                               "[stamp] - Microsoft Outlook started successfully.\r\n"
                               "[stamp] - Got Outlook IDispatch interface successfully.\r\n"
                               "[stamp] - Get Outlook MAPI namespace object successfully.\r\n"
                               "[stamp] - Outlook Automation Succeeded.\r\n\r\n\r\n";

TEST_F(OlCommTest, FourObjectsShareOneLoggedStartAndHoldTwoReferencesEach) {
    {
        std::vector<std::unique_ptr<OlAddrUtil>> objects;
        for (int i = 0; i < 4; ++i) {
            objects.push_back(std::make_unique<OlAddrUtil>());
            EXPECT_TRUE(objects.back()->Reload());
        }
        EXPECT_EQ(OlBaseUtil::s_dwRefCount, 8u);
        EXPECT_TRUE(OlBaseUtil::s_bConnected);
        EXPECT_EQ(log(), std::string(kStart) + kSteps);
        objects.pop_back();
        EXPECT_EQ(OlBaseUtil::s_dwRefCount, 6u);
        EXPECT_NE(OlBaseUtil::s_pLog, nullptr);
    }
    EXPECT_EQ(OlBaseUtil::s_pLog, nullptr);
    EXPECT_FALSE(OlBaseUtil::s_bConnected);
    EXPECT_EQ(OlBaseUtil::s_pNameSpace, nullptr);
}

TEST_F(OlCommTest, AMissingOutlookIsTriedAndLoggedOnEveryConnect) {
    win::ScopedClassRegistration absent({u"Outlook.Application", {}, nullptr});
    {
        OlAddrUtil contacts;
        EXPECT_EQ(OlBaseUtil::s_dwRefCount, 0u);
        EXPECT_FALSE(contacts.Reload());
        EXPECT_EQ(contacts.GetRecords()->GetCount(), 0u);
        EXPECT_FALSE(contacts.SaveRecord(contacts.GetRecords()->First()));
    }
    EXPECT_EQ(OlBaseUtil::s_dwRefCount, 0u);
    // The base and the derived Connect each tried once.
    EXPECT_EQ(log(), std::string(kStart) + kStart);
}

TEST_F(OlCommTest, AStoreThatCannotBeOpenedStopsTheStartAfterCreatingTheObject) {
    writeBytes(m_home.path() / "Outlook", "not a folder");
    {
        OlAddrUtil contacts;
        EXPECT_FALSE(contacts.Reload());
    }
    const std::string attempt = std::string(kStart) +
                                "[stamp] - Get Outlook.Application CLSID succeeded.\r\n"
                                "[stamp] - CoCreateInstance succeeded.\r\n";
    EXPECT_EQ(log(), attempt + attempt);
    EXPECT_FALSE(m_warnings.messages().empty());
}

TEST_F(OlCommTest, WritesNothingUnlessEnableLogIsOne) {
    for (const char* value : {"2", "0", "", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(value != nullptr ? value : "missing");
        enableLog(value);
        {
            OlAddrUtil contacts;
            EXPECT_TRUE(contacts.Reload());
        }
        EXPECT_FALSE(std::filesystem::exists(logPath()));
    }
}

TEST(OlCommLog, StampsLinesWithTheLocalTime) {
    const win::SYSTEMTIME time{2008, 3, 5, 7, 9, 5, 3, 0};
    EXPECT_EQ(OlCommLog::StampedText(time, "Outlook Automation Succeeded."),
              "[2008/03/07 09:05:03] - Outlook Automation Succeeded.");
    TempDir dir;
    setProgramFolderOverride(dir.path());
    writeBytes(dir.path() / "corvane.ini", "[olcomm]\nenablelog = 1\n");
    const auto path = (dir.path() / "elsewhere.log").string();
    OlCommLog log(path.c_str());
    EXPECT_TRUE(log.IsEnabled());
    EXPECT_TRUE(log.Write("plain"));
    EXPECT_TRUE(log.WriteStamped("stamped"));
    EXPECT_TRUE(std::regex_match(readBytes(path), std::regex(R"(plain\r\n\[\d{4}/\d\d/\d\d )"
                                                             R"(\d\d:\d\d:\d\d\] - stamped\r\n)")));
    OlCommLog unwritable((dir.path() / "missing" / "x.log").string().c_str());
    EXPECT_FALSE(unwritable.Write("lost"));
    setProgramFolderOverride({});
}

} // namespace
} // namespace twinleaf
