#include "common/palm/PalmEnv.h"

#include "platform/registry/Registry.h"
#include "platform/ui/MessageBox.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using test::readBytes;
using test::ScopedProgramFolder;
using test::TempDir;
using test::writeBytes;

const char* const kUserKeyHeader =
    "WINE REGISTRY Version 2\n\n"
    "[Software\\\\U.S. Robotics\\\\Pilot Desktop\\\\Core] 1700000000\n";

struct User {
    win::DWORD id;
    std::string name;
    std::string directory;
    bool operator==(const User&) const = default;
};

std::ostream& operator<<(std::ostream& out, const User& user) {
    return out << user.id << " '" << user.name << "' '" << user.directory << "'";
}

std::vector<User> listedUsers() {
    std::vector<User> users;
    for (void* p = palmUserList().First(); p != nullptr; p = palmUserList().Next()) {
        const auto* rec = static_cast<const PalmUserRec*>(p);
        users.push_back({rec->id, rec->name, rec->directory});
    }
    return users;
}

// A program folder, a Wine prefix and a place for a Palm Desktop folder, all empty, and a
// recorder for message boxes.
class PalmEnv : public testing::Test {
protected:
    ~PalmEnv() override { ClosePalmEnvironment(); }

    std::filesystem::path home() const { return m_dir.path() / "home"; }
    std::filesystem::path prefix() const { return m_dir.path() / "wine"; }
    std::filesystem::path palm() const { return m_dir.path() / "Palm"; }

    void setPdPath(const std::string& path) {
        writeBytes(home() / "corvane.ini", "[Path]\r\nPDPath=" + path + "\r\n");
    }
    void addUser(const std::string& folder, const std::string& dataFolder = "address") {
        std::filesystem::create_directories(palm() / folder / dataFolder);
    }
    std::string desktopPath(win::DWORD size = win::MAX_PATH) {
        std::string buffer(size, 'x');
        m_status = GetPalmDesktopPath(buffer.data(), size);
        return buffer.c_str();
    }

    TempDir m_dir;
    ScopedProgramFolder m_home{home()};
    ScopedRegistryPrefix m_prefix{prefix()};
    std::vector<std::string> m_messages;
    win::ScopedMessageBoxHandler m_boxes{
        [this](win::HWND, const char* text, const char* caption, win::UINT type) {
            m_messages.push_back(std::string(caption) + "|" + text + "|" + std::to_string(type));
            return win::IDOK;
        }};
    int m_status = 1;
};

TEST_F(PalmEnv, TheSettingsFileWinsAndIsNotChecked) {
    writeBytes(prefix() / "user.reg",
               std::string(kUserKeyHeader) + "\"DesktopPath\"=\"C:\\\\Palm\"\n");
    setPdPath("/nowhere/Palm Desktop");
    EXPECT_EQ(desktopPath(), "/nowhere/Palm Desktop");
    EXPECT_EQ(m_status, kPalmPathFound);

    // A Windows path copied from a Windows machine's settings goes through the Wine prefix.
    setPdPath("C:\\Palm");
    EXPECT_EQ(desktopPath(), (prefix() / "drive_c/Palm").string());
}

TEST_F(PalmEnv, FindsTheFolderInTheRegistry) {
    std::filesystem::create_directories(prefix() / "drive_c" / "Program Files" / "Palm");
    struct Case {
        const char* name;
        const char* hive;
        std::string hiveText;
        std::string found;
    };
    const Case cases[] = {
        {"DesktopPath of the user's key", "user.reg",
         std::string(kUserKeyHeader) + "\"DesktopPath\"=\"C:\\\\program files\\\\palm\\\\\"\n"
                                       "\"HotSyncPath\"=\"C:\\\\Elsewhere\\\\HotSync.exe\"\n",
         (prefix() / "drive_c/Program Files/Palm/").string()},
        {"only HotSyncPath: the program's folder", "user.reg",
         std::string(kUserKeyHeader) +
             "\"HotSyncPath\"=\"C:\\\\Program Files\\\\Palm\\\\HotSync.exe\"\n",
         (prefix() / "drive_c/Program Files/Palm/").string()},
        {"the machine's key when the user has none", "system.reg",
         "WINE REGISTRY Version 2\n[Software\\\\PalmSource\\\\Desktop\\\\Core] 1\n"
         "\"DesktopPath\"=\"C:\\\\Program Files\\\\Palm\"\n",
         (prefix() / "drive_c/Program Files/Palm").string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(prefix() / "user.reg");
        std::filesystem::remove(prefix() / "system.reg");
        writeBytes(prefix() / c.hive, c.hiveText);
        EXPECT_EQ(desktopPath(), c.found);
        EXPECT_EQ(m_status, kPalmPathFound);
    }
}

TEST_F(PalmEnv, PathStatusesForBuffersAndMissingFolders) {
    char buffer[8] = "x";
    EXPECT_EQ(GetPalmDesktopPath(nullptr, 8), kPalmPathNoBuffer);
    EXPECT_EQ(GetPalmDesktopPath(buffer, 0), kPalmPathNoBuffer);
    EXPECT_EQ(desktopPath(), "");
    EXPECT_EQ(m_status, kPalmPathNotFound) << "no settings, no hives";

    writeBytes(prefix() / "user.reg", std::string(kUserKeyHeader).substr(10)); // no signature
    writeBytes(prefix() / "system.reg", "WINE REGISTRY Version 2\n[Software\\\\PalmSource\\\\Desk");
    EXPECT_EQ(desktopPath(), "");
    EXPECT_EQ(m_status, kPalmPathNotFound) << "damaged hives";

    writeBytes(prefix() / "user.reg", std::string(kUserKeyHeader) + "\"Other\"=\"x\"\n");
    writeBytes(prefix() / "system.reg",
               "WINE REGISTRY Version 2\n[Software\\\\PalmSource\\\\Desktop\\\\Core]\n"
               "\"DesktopPath\"=\"C:\\\\Palm\"\n");
    EXPECT_EQ(desktopPath(), "");
    EXPECT_EQ(m_status, kPalmPathNotFound) << "the user's key exists without the values";

    writeBytes(prefix() / "user.reg", "garbage");
    setPdPath("/opt/Palm");
    EXPECT_EQ(desktopPath(10), "/opt/Palm");
    EXPECT_EQ(m_status, kPalmPathFound) << "exact fit";
    EXPECT_EQ(desktopPath(9), "");
    EXPECT_EQ(m_status, kPalmPathTooLong);
}

// Program files come from the project's own generator, the one demo homes are made with.
void makeProgramFile(const std::filesystem::path& out, const std::string& version) {
    const std::filesystem::path script =
        std::filesystem::path(TWINLEAF_TEST_DATA).parent_path().parent_path() / "scripts" /
        "make-pe-version.py";
    const std::string command =
        "python3 '" + script.string() + "' '" + out.string() + "' " + version;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

TEST_F(PalmEnv, TheVersionIsThatOfPalmExe) {
    EXPECT_EQ(GetPalmDesktopVersion(), -1) << "no Palm Desktop folder";
    setPdPath(palm().string());
    std::filesystem::create_directories(palm());
    EXPECT_EQ(GetPalmDesktopVersion(), -1) << "no palm.exe";

    makeProgramFile(palm() / "palm.exe", "4.1.2.18");
    EXPECT_EQ(GetPalmDesktopVersion(), 40102);
    const std::string program = readBytes(palm() / "palm.exe");
    std::filesystem::remove(palm() / "palm.exe");
    makeProgramFile(palm() / "Palm.EXE", "6.2.0.0");
    EXPECT_EQ(GetPalmDesktopVersion(), 60200) << "found whatever the case of its name";

    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case damaged[] = {
        {"truncated", program.substr(0, program.size() / 2)},
        {"not a program file", "MZ but nothing more of a program"},
        {"empty", ""},
    };
    for (const Case& c : damaged) {
        SCOPED_TRACE(c.name);
        writeBytes(palm() / "Palm.EXE", c.bytes);
        EXPECT_EQ(GetPalmDesktopVersion(), -1);
    }
}

TEST_F(PalmEnv, WithoutPalmDesktopNothingLoadsAndTheMessageComesOnce) {
    const auto before = std::filesystem::current_path();
    EXPECT_TRUE(OpenPalmEnvironment());
    EXPECT_EQ(std::filesystem::current_path(), before);
    EXPECT_FALSE(palmLibrary(kUserDataDll).loaded());
    EXPECT_EQ(UmGetUserCount(), kMissingFunction);
    EXPECT_EQ(palmUserList().GetCount(), 0U);
    EXPECT_EQ(m_messages, std::vector<std::string>{
                              "Error|Can not find any Palm users in your desktop environment.|16"});
    char folder[win::MAX_PATH];
    EXPECT_FALSE(GetUserDataFolder(1, folder));
}

TEST_F(PalmEnv, AFolderThatDoesNotExistLoadsNoLibrary) {
    setPdPath(palm().string());
    EXPECT_FALSE(LoadPalmLibraries(kUserDataDll));
    std::filesystem::create_directories(palm());
    EXPECT_TRUE(LoadPalmLibraries(kUserDataDll));
}

TEST_F(PalmEnv, ListsTheFoldersHoldingPalmDataAsUsers) {
    setPdPath(palm().string());
    addUser("bob", "MemoPad");
    addUser("Alice", "address");
    addUser("Alice", "todo");
    addUser("Zo\xC3\xAB", "DATEBOOK"); // "Zoë", as Linux names it
    addUser("costarring");             // its id collides with "liquid"'s
    addUser("liquid");
    std::filesystem::create_directories(palm() / "Notes" / "backup"); // no Palm data in it
    writeBytes(palm() / "todo" / "todo.dat", "");                     // a folder, not a user
    writeBytes(palm() / "readme.txt", "");

    EXPECT_TRUE(OpenPalmEnvironment());
    EXPECT_TRUE(m_messages.empty());
    // Ids are FNV-1a of the folder name, pinned here because settings files store them.
    const std::vector<User> expected = {
        {752715143U, "Alice", "Alice"},
        {2261164244U, "bob", "bob"},
        {1582148253U, "costarring", "costarring"},
        {1582148254U, "liquid", "liquid"},     // the next number after the collision
        {3265445340U, "Zo\xEB", "Zo\xC3\xAB"}, // Windows-1252 name, the folder's own bytes
    };
    EXPECT_EQ(listedUsers(), expected);

    char folder[win::MAX_PATH];
    ASSERT_TRUE(GetUserDataFolder(3265445340U, folder));
    EXPECT_EQ(std::string(folder), palm().string() + "/Zo\xC3\xAB/");
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(folder) / "DATEBOOK"));
    ASSERT_TRUE(GetUserDataFolder(752715143U, folder));
    EXPECT_EQ(std::string(folder), palm().string() + "/Alice/");

    EXPECT_TRUE(ClosePalmEnvironment());
    EXPECT_EQ(palmUserList().GetCount(), 0U);
    EXPECT_EQ(UmGetUserCount(), kMissingFunction);
}

TEST_F(PalmEnv, ZeroUsersAreNoError) {
    setPdPath(palm().string());
    std::filesystem::create_directories(palm() / "Notes");
    EXPECT_TRUE(OpenPalmEnvironment());
    EXPECT_TRUE(EnumeratePalmUsers());
    EXPECT_EQ(palmUserList().GetCount(), 0U);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(PalmEnv, ALibraryWithoutSomeFunctionsStillLoads) {
    setPdPath(palm().string());
    addUser("Alice");
    BuiltinLibrary partial = userDataLibrary();
    std::erase_if(partial.exports, [](const LibraryExport& function) {
        return function.name == "UmGetUserName" || function.name == "UmGetRootDirectory";
    });
    ScopedBuiltinLibrary replaced("UserData.dll", partial);

    EXPECT_TRUE(LoadPalmLibraries(kUserDataDll));
    const PalmLibrary& library = palmLibrary(kUserDataDll);
    EXPECT_EQ(library.functions.size(), 37U);
    EXPECT_NE(library.function("UmGetUserCount"), nullptr);
    EXPECT_EQ(library.function("UmGetUserName"), nullptr);
    EXPECT_EQ(library.function("UmSlotGetInstallDirectory"), nullptr);

    EXPECT_TRUE(EnumeratePalmUsers());
    EXPECT_EQ(listedUsers(), (std::vector<User>{{752715143U, "", "Alice"}}));
    char name[8];
    win::SHORT size = sizeof name;
    EXPECT_EQ(UmGetUserName(752715143U, name, &size), kMissingFunction);
    char folder[win::MAX_PATH];
    EXPECT_FALSE(GetUserDataFolder(752715143U, folder)) << "-100 is no root directory";
}

// Stand-ins for the HotSync manager's libraries, which the program never loads itself.
BuiltinLibrary hotSyncLibrary(const char* exportedName) {
    return BuiltinLibrary{"", {{exportedName, exportOf(+[] {})}}, nullptr, nullptr};
}

TEST_F(PalmEnv, LibrariesLoadInOrderAndStopAtTheFirstMissingOne) {
    setPdPath(palm().string());
    addUser("Alice");
    {
        // instaide.dll missing: the three before it load and the users are still there.
        ScopedBuiltinLibrary condmgr("condmgr.dll", hotSyncLibrary("CmGetLibVersion"));
        ScopedBuiltinLibrary hsapi("HSAPI.DLL", hotSyncLibrary("HsGetApiVersion"));
        EXPECT_FALSE(LoadPalmLibraries(kAllPalmDlls));
        EXPECT_TRUE(palmLibrary(kCondMgrDll).loaded());
        EXPECT_EQ(palmLibrary(kCondMgrDll).functions.size(), 90U);
        EXPECT_NE(palmLibrary(kCondMgrDll).function("CmGetLibVersion"), nullptr);
        EXPECT_EQ(palmLibrary(kCondMgrDll).function("FmEnableSystemConduitByPath"), nullptr);
        EXPECT_TRUE(palmLibrary(kHsApiDll).loaded());
        EXPECT_EQ(palmLibrary(kHsApiDll).functions.size(), 11U);
        EXPECT_FALSE(palmLibrary(kInstAideDll).loaded());
        EXPECT_TRUE(EnumeratePalmUsers());
        EXPECT_EQ(palmUserList().GetCount(), 1U);
        UnloadPalmLibraries(kAllPalmDlls);
        EXPECT_FALSE(palmLibrary(kCondMgrDll).loaded());
        EXPECT_TRUE(palmLibrary(kCondMgrDll).functions.empty());
    }
    // condmgr.dll missing: nothing after it loads, so there is no user count.
    EXPECT_FALSE(LoadPalmLibraries(kAllPalmDlls));
    EXPECT_FALSE(palmLibrary(kUserDataDll).loaded());
    EXPECT_EQ(UmGetUserCount(), kMissingFunction);
    EXPECT_FALSE(EnumeratePalmUsers());
    EXPECT_EQ(m_messages.size(), 1U);
}

} // namespace
} // namespace twinleaf
