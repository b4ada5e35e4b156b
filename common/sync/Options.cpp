// Reading and writing the settings block, key by key, in the file's fixed order.
#include "common/sync/Options.h"

#include "common/misc/WinUtil.h"
#include "common/sync/SyncHistory.h"
#include "platform/ini/Profile.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/text/FieldText.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace twinleaf {
namespace {

constexpr const char* kSection = "Twinleaf";

struct Reader {
    const char* file;
    std::int32_t integer(const char* key, int fallback) const {
        return static_cast<std::int32_t>(win::GetPrivateProfileIntA(kSection, key, fallback, file));
    }
    // The file-name switches and custom mapping are on only for exactly 1; a hand-edited 2 is
    // off. The swap and colour switches are on for anything but 0.
    bool exactlyOne(const char* key) const { return integer(key, 0) == 1; }
    bool notZero(const char* key, int fallback) const { return integer(key, fallback) != 0; }
    void text(const char* key, char (&field)[260]) const {
        win::GetPrivateProfileStringA(kSection, key, "", field, sizeof field, file);
    }
};

struct Writer {
    const char* file;
    bool ok = true;
    void integer(const char* key, std::int32_t value) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
        put(key, text);
    }
    void boolean(const char* key, bool value) { put(key, value ? "1" : "0"); }
    // Read within the field's width, so a field that lost its terminator is not overrun.
    void text(const char* key, const char (&field)[260]) {
        put(key, std::string(fieldText(field)).c_str());
    }
    void put(const char* key, const char* value) {
        ok = win::WritePrivateProfileStringA(kSection, key, value, file) != 0 && ok;
    }
};

} // namespace

void LoadOptions(OptionBlock& block, const std::string& settingsFile) {
    block = OptionBlock{};
    const Reader read{settingsFile.c_str()};
    block.AddrUserID = read.integer("AddrUserID", 0);
    block.DateUserID = read.integer("DateUserID", 0);
    block.TodoUserID = read.integer("TodoUserID", 0);
    block.MemoUserID = read.integer("MemoUserID", 0);
    block.bAddrFile = read.exactlyOne("bAddrFile");
    block.bDateFile = read.exactlyOne("bDateFile");
    block.bTodoFile = read.exactlyOne("bTodoFile");
    block.bMemoFile = read.exactlyOne("bMemoFile");
    block.bAddrCustom = read.exactlyOne("bAddrCustom");
    block.AddrSyncMode = read.integer("AddrSyncMode", 1);
    block.DateSyncMode = read.integer("DateSyncMode", 1);
    block.TodoSyncMode = read.integer("TodoSyncMode", 1);
    block.MemoSyncMode = read.integer("MemoSyncMode", 1);
    read.text("AddrFile", block.AddrFile);
    read.text("DateFile", block.DateFile);
    read.text("TodoFile", block.TodoFile);
    read.text("MemoFile", block.MemoFile);
    block.AddrSwapName = read.notZero("AddrSwapName", 0);
    block.AddrType = read.integer("AddrType", 1);
    for (int i = 0; i < 9; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "AddrCustom%d", i + 1);
        block.AddrCustom[i] = read.integer(key, 0);
    }
    block.ShowColor = read.notZero("ShowColor", 1);
    block.DiffColor = static_cast<win::COLORREF>(read.integer("DiffColor", 8388608));
    block.NewColor = static_cast<win::COLORREF>(read.integer("NewColor", 32768));
    block.SameColor = static_cast<win::COLORREF>(read.integer("SameColor", 0));
    block.ConfMode = read.integer("ConfMode", 0);
    outlook::setItemFileLimit(ItemFileLimitSetting(settingsFile));
}

std::uint64_t ItemFileLimitSetting(const std::string& settingsFile) {
    constexpr std::uint64_t kMegabyte = 1024ULL * 1024;
    const std::int32_t megabytes = Reader{settingsFile.c_str()}.integer("ItemFileLimitMB", 0);
    return megabytes > 0 ? static_cast<std::uint64_t>(megabytes) * kMegabyte
                         : outlook::kDefaultItemFileLimit;
}

int HistoryRunsSetting(const std::string& settingsFile) {
    const std::int32_t runs = Reader{settingsFile.c_str()}.integer("HistoryRuns", 0);
    return runs > 0 ? runs : kDefaultHistoryRuns;
}

bool SaveOptions(const OptionBlock& block, const std::string& settingsFile) {
    Writer write{settingsFile.c_str()};
    write.integer("AddrUserID", block.AddrUserID);
    write.integer("DateUserID", block.DateUserID);
    write.integer("TodoUserID", block.TodoUserID);
    write.integer("MemoUserID", block.MemoUserID);
    write.boolean("bAddrFile", block.bAddrFile);
    write.boolean("bDateFile", block.bDateFile);
    write.boolean("bTodoFile", block.bTodoFile);
    write.boolean("bMemoFile", block.bMemoFile);
    write.boolean("bAddrCustom", block.bAddrCustom);
    write.integer("AddrSyncMode", block.AddrSyncMode);
    write.integer("DateSyncMode", block.DateSyncMode);
    write.integer("TodoSyncMode", block.TodoSyncMode);
    write.integer("MemoSyncMode", block.MemoSyncMode);
    write.text("AddrFile", block.AddrFile);
    write.text("DateFile", block.DateFile);
    write.text("TodoFile", block.TodoFile);
    write.text("MemoFile", block.MemoFile);
    write.boolean("AddrSwapName", block.AddrSwapName);
    write.integer("AddrType", block.AddrType);
    for (int i = 0; i < 9; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "AddrCustom%d", i + 1);
        write.integer(key, block.AddrCustom[i]);
    }
    write.boolean("ShowColor", block.ShowColor);
    write.integer("DiffColor", static_cast<std::int32_t>(block.DiffColor));
    write.integer("NewColor", static_cast<std::int32_t>(block.NewColor));
    write.integer("SameColor", static_cast<std::int32_t>(block.SameColor));
    write.integer("ConfMode", block.ConfMode);
    return write.ok;
}

PalmFileFields palmFileFields(DataKind kind) {
    switch (kind) {
    case DataKind::Date:
        return {&OptionBlock::bDateFile, &OptionBlock::DateFile};
    case DataKind::Todo:
        return {&OptionBlock::bTodoFile, &OptionBlock::TodoFile};
    case DataKind::Memo:
        return {&OptionBlock::bMemoFile, &OptionBlock::MemoFile};
    case DataKind::Addr:
        break;
    }
    return {&OptionBlock::bAddrFile, &OptionBlock::AddrFile};
}

std::string palmFileOverride(const OptionBlock& block, DataKind kind) {
    const PalmFileFields fields = palmFileFields(kind);
    return block.*fields.use ? std::string(fieldText(block.*fields.file)) : std::string();
}

std::string usablePalmFile(const OptionBlock& block, DataKind kind) {
    std::string file = palmFileOverride(block, kind);
    std::error_code error;
    return !file.empty() && std::filesystem::is_regular_file(file, error) ? file : std::string();
}

OptionBlock* GetOptionBlock() {
    static OptionBlock block{};
    return &block;
}

void LoadOptions() {
    LoadOptions(*GetOptionBlock(), settingsFilePath());
}

bool SaveOptions() {
    return SaveOptions(*GetOptionBlock(), settingsFilePath());
}

} // namespace twinleaf
