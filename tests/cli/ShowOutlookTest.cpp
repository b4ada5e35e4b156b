#include "cli/CommandLine.h"
#include "common/outlook/OlAddr.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace twinleaf::cli {
namespace {

using test::TempDir;
using test::writeBytes;

class ShowOutlook : public testing::Test {
protected:
    int run(std::vector<std::string> args) {
        std::ostringstream out;
        std::ostringstream err;
        CommandContext context{out, err};
        bool startGui = false;
        args.insert(args.begin(), {"--home", m_dir.path().string(), "show", "outlook", "contacts"});
        const int status = runCommandLine(args, context, startGui);
        m_out = out.str();
        m_err = err.str();
        return status;
    }
    std::filesystem::path contacts() const { return m_dir.path() / "Outlook" / "Contacts"; }

    TempDir m_dir;
    test::ScopedProgramFolder m_resetHome{m_dir.path()};
    std::string m_out;
    std::string m_err;
};

TEST_F(ShowOutlook, PrintsTheStoreAsTheCommonRecordsOfASync) {
    writeBytes(contacts() / "anna.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:anna\r\n"
                                        "N:M\xC3\xBCller;Anna;;;\r\nFN:Anna M\xC3\xBCller\r\n"
                                        "TEL;TYPE=WORK,VOICE:+49 30 1\r\n"
                                        "NOTE:one\\, two\\nthree\r\nEND:VCARD\r\n");
    writeBytes(contacts() / "broken.vcf", "BEGIN:VCARD\r\n");
    ASSERT_EQ(run({"--json"}), kExitOk) << m_err;
    EXPECT_EQ(m_out.rfind("[\n{\"FirstName\": \"Anna\", \"LastName\": \"M\xC3\xBCller\", ", 0), 0u)
        << m_out;
    EXPECT_NE(m_out.find("\"WorkPhone\": \"+49 30 1\""), std::string::npos) << m_out;
    EXPECT_NE(m_out.find("\"Note\": \"one, two\\nthree\""), std::string::npos) << m_out;
    EXPECT_NE(m_out.find("\"Category\": \"Contacts\""), std::string::npos) << m_out;
    EXPECT_NE(m_out.find("\"SourceType\": 3, \"CompareStatus\": 0, \"SourceRecordId\": 0, "
                         "\"Private\": 0}\n]"),
              std::string::npos)
        << m_out;
    EXPECT_NE(m_err.find("broken.vcf"), std::string::npos) << m_err;

    ASSERT_EQ(run({}), kExitOk) << m_err;
    EXPECT_NE(m_out.find("1 record\n"), std::string::npos) << m_out;
    EXPECT_NE(m_out.find("M\xC3\xBCller"), std::string::npos) << m_out;
}

// The sync reads Outlook contacts with the stored map whatever bAddrCustom says; what show prints
// must be what the sync compares, or a user checking a custom field is misled.
TEST_F(ShowOutlook, CustomFieldsAreMappedExactlyAsTheSyncMapsThem) {
    int nickName = 0;
    while (nickName < kCustomFieldSourceCount &&
           std::string(CustomFieldSourceName(nickName)) != "NickName") {
        ++nickName;
    }
    ASSERT_LT(nickName, kCustomFieldSourceCount);
    writeBytes(contacts() / "anna.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:anna\r\n"
                                        "N:Berg;Anna;;;\r\nFN:Anna Berg\r\nNICKNAME:Annie\r\n"
                                        "END:VCARD\r\n");
    for (const char* switchedOn : {"0", "1"}) {
        SCOPED_TRACE(switchedOn);
        writeBytes(m_dir.path() / "corvane.ini",
                   std::string("[Twinleaf]\r\nbAddrCustom=") + switchedOn +
                       "\r\nAddrCustom3=" + std::to_string(nickName) + "\r\n");
        ASSERT_EQ(run({"--json"}), kExitOk) << m_err;
        EXPECT_NE(m_out.find("\"Custom3\": \"Annie\""), std::string::npos) << m_out;
    }
}

TEST_F(ShowOutlook, AStoreThatCannotBeReadIsAnError) {
    writeBytes(m_dir.path() / "Outlook", "not a folder");
    EXPECT_EQ(run({"--json"}), kExitError);
    EXPECT_EQ(m_out, "");
    EXPECT_NE(m_err.find("not a folder"), std::string::npos) << m_err;
    EXPECT_NE(m_err.find("cannot be read"), std::string::npos) << m_err;
    EXPECT_EQ(run({"--file", "x"}), kExitUsage);
}

} // namespace
} // namespace twinleaf::cli
