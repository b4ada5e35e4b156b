#include "platform/registry/Registry.h"

#include "platform/registry/WinePath.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>

namespace twinleaf::win {
namespace {

using test::TempDir;
using test::writeBytes;

// Written the way Wine writes user.reg, with a few hand edits Wine itself would not make.
const std::string kUserHive = "WINE REGISTRY Version 2\n"
                              ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
                              "\n"
                              "#arch=win32\n"
                              "\n"
                              "[Software\\\\U.S. Robotics\\\\Pilot Desktop\\\\Core] 1700000000\n"
                              "#time=1d9a0b0c0d0e0f0\n"
                              "\"DesktopPath\"=\"C:\\\\Program Files\\\\Palm\\\\\"\n"
                              "\"HotSyncPath\"=\"C:\\\\Program Files\\\\Palm\\\\HotSync.exe\"\n"
                              "\"Quote\"=\"say \\\"hi\\\"\"\n"
                              "\"Owner\"=\"M\\x00fcller \\x20ac\"\n"
                              "\"Utf8\"=\"M\xC3\xBCller\"\n"
                              "\"Expand\"=str(2):\"%ProgramFiles%\\\\Palm\"\n"
                              "\"Packed\"=hex(2):25,00,50,00,\\\n"
                              "  25,00,00,00\n"
                              "\"Count\"=dword:0000002a\n"
                              "\"Blob\"=hex:01,02,ff\n"
                              "@=\"the default\"\n"
                              "this line is garbage\n"
                              "\"Broken\"=hex:0g\n"
                              "\"Unterminated\"=\"no end\n"
                              "\"After\"=\"still read\"\n"
                              "\n"
                              "[Software\\\\PalmSource\\\\Desktop\\\\Core\\\\Deeper] 1700000000\n"
                              "\"Leaf\"=\"x\"\n";

class Registry : public testing::Test {
protected:
    void SetUp() override { writeBytes(m_dir.path() / "user.reg", kUserHive); }
    TempDir m_dir;
    ScopedRegistryPrefix m_prefix{m_dir.path()};
};

// A literal with its embedded terminators, without the one the compiler adds.
template <std::size_t N> std::string bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

std::string queryString(HKEY key, const char* name) {
    char buffer[260] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (status != ERROR_SUCCESS) {
        return "<status " + std::to_string(status) + ">";
    }
    return std::to_string(type) + ":" + std::string(buffer, size);
}

TEST_F(Registry, ReadsTheValueFormsWineWrites) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\u.s. robotics\\PILOT DESKTOP\\Core", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    struct Case {
        const char* name;
        const char* value;
        std::string expected;
    };
    const Case cases[] = {
        {"escaped backslashes", "desktoppath", bytes("1:C:\\Program Files\\Palm\\\0")},
        {"escaped quotes", "Quote", bytes("1:say \"hi\"\0")},
        {"\\x escapes to Windows-1252", "Owner", bytes("1:M\xFCller \x80\0")},
        {"raw UTF-8", "Utf8", bytes("1:M\xFCller\0")},
        {"str(2) is REG_EXPAND_SZ, not expanded", "Expand", bytes("2:%ProgramFiles%\\Palm\0")},
        {"hex(2) over two lines", "Packed", bytes("2:%P%\0")},
        {"dword", "Count", bytes("4:\x2a\0\0\0")},
        {"binary", "Blob", "3:\x01\x02\xff"},
        {"default value by NULL", nullptr, bytes("1:the default\0")},
        {"default value by empty name", "", bytes("1:the default\0")},
        {"broken lines are skipped", "Broken", "<status 2>"},
        {"unterminated string is skipped", "Unterminated", "<status 2>"},
        {"values after broken lines", "After", bytes("1:still read\0")},
        {"missing value", "Nothing", "<status 2>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(queryString(key, c.value), c.expected);
    }
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(Registry, TellsTheSizeAndRefusesSmallBuffers) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\U.S. Robotics\\Pilot Desktop\\Core", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    const std::string expected = "C:\\Program Files\\Palm\\HotSync.exe";
    const DWORD needed = static_cast<DWORD>(expected.size() + 1); // with the terminator
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "HotSyncPath", nullptr, nullptr, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, needed);
    std::string buffer(needed, 'x');
    size = needed - 1;
    EXPECT_EQ(RegQueryValueExA(key, "HotSyncPath", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(buffer.data()), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(buffer, std::string(needed, 'x')) << "nothing written into a buffer too small";
    size = needed;
    EXPECT_EQ(RegQueryValueExA(key, "HotSyncPath", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(buffer.data()), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(buffer, expected + '\0');
    RegCloseKey(key);
}

TEST_F(Registry, OpensKeysThatOnlyHoldSubKeysAndKeysBelowOpenKeys) {
    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\PalmSource", 0, KEY_READ, &parent),
              ERROR_SUCCESS);
    HKEY child = nullptr;
    ASSERT_EQ(RegOpenKeyExA(parent, "desktop\\core\\deeper", 0, KEY_READ, &child), ERROR_SUCCESS);
    EXPECT_EQ(queryString(child, "Leaf"), bytes("1:x\0"));
    HKEY other = nullptr;
    EXPECT_EQ(RegOpenKeyExA(parent, "Desktop\\Cor", 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND)
        << "a name that only starts another key's name";
    EXPECT_EQ(other, nullptr);
    RegCloseKey(child);
    RegCloseKey(parent);
}

TEST_F(Registry, MissingDamagedOrForeignHivesHaveNoKeys) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND)
        << "no system.reg";
    writeBytes(m_dir.path() / "system.reg", "REGEDIT4\n\n[Software\\\\PalmSource]\n\"A\"=\"b\"\n");
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\PalmSource", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND)
        << "not a Wine hive";
    std::filesystem::remove(m_dir.path() / "system.reg");
    std::filesystem::create_directory(m_dir.path() / "system.reg");
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND)
        << "a folder in the hive's place";
    EXPECT_EQ(RegistryView(m_dir.path() / "nothing").openKey(Hive::CurrentUser, "Software"),
              std::nullopt);

    // Every cut of the hive reads without fault, and a key whose header survived opens.
    for (std::size_t length = 0; length <= kUserHive.size(); ++length) {
        const std::string_view cut(kUserHive.data(), length);
        const auto found = findKeyInHive(cut, "Software\\U.S. Robotics\\Pilot Desktop\\Core");
        const bool headerComplete = cut.find("Core]") != std::string_view::npos;
        EXPECT_EQ(found.has_value(), headerComplete) << "cut at " << length;
    }
}

TEST(WinePath, TranslatesDrivesThroughThePrefix) {
    TempDir dir;
    const auto prefix = dir.path();
    std::filesystem::create_directories(prefix / "drive_c" / "Program Files" / "Palm");
    std::filesystem::create_directories(prefix / "dosdevices");
    std::filesystem::create_directory_symlink("/", prefix / "dosdevices" / "z:");
    struct Case {
        const char* name;
        const char* windows;
        std::filesystem::path linux;
    };
    const Case cases[] = {
        {"drive C without dosdevices link", "C:\\Program Files\\Palm\\",
         prefix / "drive_c/Program Files/Palm/"},
        {"case differs from the disk", "c:\\PROGRAM FILES\\palm\\HotSync.exe",
         prefix / "drive_c/Program Files/Palm/HotSync.exe"},
        {"another drive through dosdevices", "Z:\\tmp", prefix / "dosdevices/z:/tmp"},
        {"drive root", "D:\\", prefix / "dosdevices/d:"},
        {"UNC path", "\\\\server\\share\\Palm", prefix / "dosdevices/unc/server/share/Palm"},
        {"Linux path kept", "/home/u/Palm/", "/home/u/Palm/"},
        {"relative path gets slashes", "Palm\\Alice", "Palm/Alice"},
        {"Windows-1252 becomes UTF-8", "C:\\M\xFCller", prefix / "drive_c/M\u00FCller"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(linuxPathFromWindows(c.windows, prefix), c.linux);
    }
    std::filesystem::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    EXPECT_EQ(linuxPathFromWindows("C:\\program files", prefix),
              prefix / "dosdevices/c:/Program Files");
}

} // namespace
} // namespace twinleaf::win
