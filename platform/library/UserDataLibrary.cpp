// The built-in user-data library: Palm users found as folders of the Palm Desktop folder.
#include "platform/library/UserDataLibrary.h"

#include "platform/codepage/Codepage.h"
#include "platform/text/NoCase.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

namespace twinleaf {
namespace {

namespace fs = std::filesystem;
using win::DWORD;
using win::LONG;
using win::SHORT;
using win::WORD;

constexpr const char* kDataFolders[] = {"address", "datebook", "todo", "memopad"};

struct User {
    std::string folder; // as on disk
    DWORD id;
};

struct State {
    bool attached = false;
    fs::path root;
    bool scanned = false;
    bool readable = false;
    std::vector<User> users;
};

State& state() {
    static State instance;
    return instance;
}

bool holdsPalmData(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (it->is_directory(typeError) &&
            std::any_of(std::begin(kDataFolders), std::end(kDataFolders),
                        [&](const char* data) { return equalsAsciiNoCase(name, data); })) {
            return true;
        }
    }
    return false;
}

void scan() {
    State& s = state();
    s.scanned = true;
    s.users.clear();
    std::error_code ec;
    fs::directory_iterator it(s.root, ec);
    s.readable = !ec;
    std::vector<std::string> folders;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError) && holdsPalmData(it->path())) {
            folders.push_back(it->path().filename().string());
        }
    }
    // Names in the order a person expects (letter case aside), and a fixed order between names
    // that differ only in case.
    const auto folded = [](std::string name) {
        for (char& c : name) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c + 0x20);
            }
        }
        return name;
    };
    std::sort(folders.begin(), folders.end(), [&](const std::string& a, const std::string& b) {
        const std::string foldedA = folded(a);
        const std::string foldedB = folded(b);
        return foldedA != foldedB ? foldedA < foldedB : a < b;
    });
    for (std::string& folder : folders) {
        DWORD id = userIdForFolderName(folder);
        while (id == 0 || std::any_of(s.users.begin(), s.users.end(),
                                      [&](const User& user) { return user.id == id; })) {
            ++id;
        }
        s.users.push_back({std::move(folder), id});
    }
}

const User* findUser(DWORD id) {
    if (!state().scanned) {
        scan();
    }
    for (const User& user : state().users) {
        if (user.id == id) {
            return &user;
        }
    }
    return nullptr;
}

// Copies text cut to the buffer's size; false without a usable buffer.
bool copyOut(std::string_view text, char* out, const SHORT* size) {
    if (out == nullptr || size == nullptr || *size <= 0) {
        return false;
    }
    const std::size_t length =
        std::min<std::size_t>(text.size(), static_cast<std::size_t>(*size) - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
    return true;
}

SHORT getUserCount() {
    if (!state().attached) {
        return -1;
    }
    scan();
    if (!state().readable) {
        return -1;
    }
    return static_cast<SHORT>(std::min<std::size_t>(state().users.size(), 0x7FFF));
}

LONG getUserId(WORD index, DWORD* id) {
    if (!state().attached || id == nullptr) {
        return -1;
    }
    if (!state().scanned) {
        scan();
    }
    if (index >= state().users.size()) {
        return -1;
    }
    *id = state().users[index].id;
    return 0;
}

LONG getUserName(DWORD id, char* name, SHORT* size) {
    const User* user = state().attached ? findUser(id) : nullptr;
    return user != nullptr && copyOut(utf8ToAnsi(user->folder), name, size) ? 0 : -1;
}

LONG getUserDirectory(DWORD id, char* directory, SHORT* size) {
    const User* user = state().attached ? findUser(id) : nullptr;
    return user != nullptr && copyOut(user->folder, directory, size) ? 0 : -1;
}

LONG getRootDirectory(char* root, SHORT* size) {
    if (!state().attached || root == nullptr || size == nullptr || *size <= 0) {
        return 0;
    }
    std::string text = state().root.string();
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    // A cut root would name another folder, so a root that does not fit is a failure.
    if (text.size() + 1 > static_cast<std::size_t>(*size)) {
        return 0;
    }
    std::memcpy(root, text.c_str(), text.size() + 1);
    return static_cast<LONG>(text.size());
}

} // namespace

DWORD userIdForFolderName(std::string_view folderName) {
    DWORD hash = 2166136261U;
    for (char c : folderName) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619U;
    }
    return hash == 0 ? 1 : hash;
}

BuiltinLibrary userDataLibrary() {
    BuiltinLibrary library;
    library.fileName = "UserData.dll";
    library.exports = {
        {"UmGetUserCount", exportOf(UmGetUserCountFunction{&getUserCount})},
        {"UmGetUserID", exportOf(UmGetUserIDFunction{&getUserId})},
        {"UmGetUserName", exportOf(UmGetUserNameFunction{&getUserName})},
        {"UmGetUserDirectory", exportOf(UmGetUserDirectoryFunction{&getUserDirectory})},
        {"UmGetRootDirectory", exportOf(UmGetRootDirectoryFunction{&getRootDirectory})},
    };
    library.attach = [](const fs::path& folder) {
        State& s = state();
        s = State{};
        s.attached = true;
        std::error_code ec;
        s.root = fs::absolute(folder, ec).lexically_normal();
        if (ec) {
            s.root = folder;
        }
        return true;
    };
    library.detach = [] { state() = State{}; };
    return library;
}

} // namespace twinleaf
