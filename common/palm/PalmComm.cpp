// The file session every .dat reader and writer shares: opening, the load and save brackets, the
// byte and CString primitives, and the parts of the classic header (stored name, table string,
// category block, schema) that are read once per file and written back as they were.
#include "common/palm/PalmComm.h"

#include "common/palm/PalmEnv.h"
#include "platform/Assert.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/PathCase.h"
#include "platform/text/FieldText.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <new>
#include <sys/stat.h>

namespace twinleaf {

using palm::ByteWriter;

namespace {

// A ceiling far above any address book Palm Desktop can hold, so a stray huge file is refused
// rather than read into memory.
constexpr std::uintmax_t kMaxFileSize = std::uintmax_t{1} << 30;

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        char part[4];
        std::snprintf(part, sizeof part, "%02X", b);
        if (!text.empty()) {
            text += ' ';
        }
        text += part;
    }
    return text;
}

} // namespace

std::string PalmUserFilePath(std::uint32_t user, const char* folder, const char* file) {
    char dataFolder[win::MAX_PATH];
    if (!GetUserDataFolder(user, dataFolder)) {
        return {};
    }
    return resolvePathCase(std::filesystem::path(dataFolder) / folder / file).string();
}

// ---- PmDBUtil: files ----

PmDBUtil::PmDBUtil() = default;

PmDBUtil::~PmDBUtil() {
    // A save that did not reach its end is abandoned, never put in place.
    m_writing = false;
    m_reading = false;
    delete m_pCatMgr;
}

bool PmDBUtil::OpenFile(const char* path, int mode) {
    if (path == nullptr || path[0] == '\0') {
        return false;
    }
    m_reading = false;
    m_writing = false;
    namespace fs = std::filesystem;
    std::error_code error;
    switch (mode) {
    case Read:
    case ReadWrite: {
        m_path = path; // named in the messages below
        const fs::file_status status = fs::status(path, error);
        if (!fs::exists(status)) {
            return Fail(LoadResult::Unreadable, "no such file");
        }
        if (!fs::is_regular_file(status)) {
            return Fail(LoadResult::Unreadable, "not a regular file");
        }
        const std::uintmax_t size = fs::file_size(path, error);
        if (error) {
            return Fail(LoadResult::Unreadable, "cannot read: " + error.message());
        }
        if (size > kMaxFileSize) {
            return Fail(LoadResult::Unreadable,
                        "too large to be a Palm Desktop file (" + std::to_string(size) + " bytes)");
        }
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            return Fail(LoadResult::Unreadable, "cannot open for reading");
        }
        m_fileBytes.assign(static_cast<std::size_t>(size), 0);
        in.read(reinterpret_cast<char*>(m_fileBytes.data()), static_cast<std::streamsize>(size));
        if (static_cast<std::uintmax_t>(in.gcount()) != size) {
            m_fileBytes.clear();
            return Fail(LoadResult::Unreadable, "cannot read the whole file");
        }
        m_loadedStamp = stampOf(path, std::span<const std::uint8_t>(m_fileBytes));
        removeStaleTemporaryFiles(fs::path(path).parent_path());
        m_reader = palm::ByteReader(m_fileBytes);
        m_reading = true;
        return true;
    }
    case Write:
        if (!fs::is_regular_file(path, error)) {
            return false;
        }
        [[fallthrough]];
    case CreateAlways:
        m_out.clear();
        m_out.reserve(m_fileBytes.size() + 4096);
        m_outPath = path;
        m_writing = true;
        return true;
    default:
        return false;
    }
}

bool PmDBUtil::CloseFile() {
    m_reading = false;
    if (!m_writing) {
        return true;
    }
    m_writing = false;
    // Another program (Palm Desktop itself) may have saved the file since it was loaded; its
    // change would be lost under ours, so then nothing is written.
    if (m_outPath == m_path && changedSince(m_path, m_loadedStamp)) {
        m_out.clear();
        m_lastError = m_outPath + std::string(kChangedSinceLoaded);
        return false;
    }
    const AtomicSaveResult result =
        saveAtomically(m_outPath, std::span<const std::uint8_t>(m_out), KeepBackup::Yes);
    if (result && m_outPath == m_path) {
        m_savedSinceLoad = true; // the file no longer holds the loaded bytes
        m_loadedStamp = stampOf(m_path, std::span<const std::uint8_t>(
                                            m_out)); // the next save compares with what we wrote
    }
    m_out.clear();
    m_out.shrink_to_fit();
    if (!result) {
        m_lastError = result.error;
        return false;
    }
    return true;
}

std::size_t PmDBUtil::GetFilePosition() const {
    if (m_reading) {
        return m_reader.offset();
    }
    return m_writing ? m_out.size() : 0;
}

bool PmDBUtil::SetReason(const std::string& reason) {
    m_reason = reason;
    return false;
}

bool PmDBUtil::Fail(LoadResult result, const std::string& message) {
    m_loadResult = result;
    m_lastError = m_path + ": " + message;
    return false;
}

bool PmDBUtil::FailAt(LoadResult result, std::size_t offset, const std::string& message) {
    return Fail(result, "at offset " + palm::hexOffset(offset) + ": " + message);
}

bool PmDBUtil::FailSave(const std::string& message) {
    m_lastError = m_outPath + ": not saved: " + message;
    return false;
}

// ---- PmDBUtil: raw primitives ----

bool PmDBUtil::ReadBytes(void* buffer, std::size_t count) {
    if (buffer == nullptr || count == 0 || !m_reading) {
        return false;
    }
    if (!m_reader.copy(buffer, count)) {
        return SetReason("ends after " + std::to_string(m_reader.remaining()) + " of " +
                         std::to_string(count) + " bytes");
    }
    return true;
}

bool PmDBUtil::ReadInt32(std::int32_t& value) {
    if (!m_reading || !m_reader.i32(value)) {
        return SetReason("ends inside a 4-byte number");
    }
    return true;
}

bool PmDBUtil::ReadInt16(std::int16_t& value) {
    std::uint16_t raw = 0;
    if (!m_reading || !m_reader.u16(raw)) {
        return SetReason("ends inside a 2-byte number");
    }
    value = static_cast<std::int16_t>(raw);
    return true;
}

bool PmDBUtil::ReadInt8(std::int8_t& value) {
    std::uint8_t raw = 0;
    if (!m_reading || !m_reader.u8(raw)) {
        return SetReason("ends inside a 1-byte number");
    }
    value = static_cast<std::int8_t>(raw);
    return true;
}

bool PmDBUtil::ReadInt64(std::int64_t& value) {
    std::uint64_t raw = 0;
    if (!m_reading || !m_reader.u64(raw)) {
        return SetReason("ends inside an 8-byte value");
    }
    value = static_cast<std::int64_t>(raw);
    return true;
}

bool PmDBUtil::WriteBytes(const void* buffer, std::size_t count) {
    if (buffer == nullptr || count == 0 || !m_writing) {
        return false;
    }
    ByteWriter(m_out).bytes(buffer, count);
    return true;
}

bool PmDBUtil::WriteInt32(std::int32_t value) {
    if (!m_writing) {
        return false;
    }
    ByteWriter(m_out).i32(value);
    return true;
}

bool PmDBUtil::WriteInt16(std::int16_t value) {
    if (!m_writing) {
        return false;
    }
    ByteWriter(m_out).u16(static_cast<std::uint16_t>(value));
    return true;
}

bool PmDBUtil::WriteInt8(std::int8_t value) {
    if (!m_writing) {
        return false;
    }
    ByteWriter(m_out).u8(static_cast<std::uint8_t>(value));
    return true;
}

bool PmDBUtil::WriteInt64(std::int64_t value) {
    if (!m_writing) {
        return false;
    }
    ByteWriter(m_out).u64(static_cast<std::uint64_t>(value));
    return true;
}

// ---- PmDBUtil: strings and tagged fields ----

bool PmDBUtil::ReadCStringLength(std::uint32_t& length) {
    std::uint8_t shortLength = 0;
    if (!m_reading || !m_reader.u8(shortLength)) {
        return SetReason("ends before a text length");
    }
    if (shortLength != palm::kCStringEscape) {
        length = shortLength;
        return true;
    }
    std::uint16_t longLength = 0;
    if (!m_reader.u16(longLength)) {
        return SetReason("ends inside a text length");
    }
    length = longLength;
    return true;
}

bool PmDBUtil::ReadCString(char* buffer, std::uint32_t* capacity) {
    if (buffer == nullptr || capacity == nullptr || *capacity == 0) {
        return false;
    }
    buffer[0] = '\0';
    std::uint32_t length = 0;
    if (!ReadCStringLength(length)) {
        return false;
    }
    if (length >= *capacity) {
        *capacity = length;
        return SetReason("text of " + std::to_string(length) + " bytes does not fit");
    }
    if (!m_reader.copy(buffer, length)) {
        return SetReason("text of " + std::to_string(length) + " bytes runs past the end (" +
                         std::to_string(m_reader.remaining()) + " bytes left)");
    }
    buffer[length] = '\0';
    return true;
}

bool PmDBUtil::WriteCString(std::string_view text) {
    if (!m_writing) {
        return false;
    }
    // The encoding cannot say more than 65535; a longer text is cut, never wrapped.
    text = text.substr(0, std::min(text.size(), palm::kCStringMax));
    ByteWriter out(m_out);
    if (text.size() <= palm::kCStringShortMax) {
        out.u8(static_cast<std::uint8_t>(text.size()));
    } else {
        out.u8(palm::kCStringEscape);
        out.u16(static_cast<std::uint16_t>(text.size()));
    }
    out.bytes(text.data(), text.size());
    return true;
}

bool PmDBUtil::WriteCString(const char* text) {
    return WriteCString(text == nullptr ? std::string_view{} : std::string_view{text});
}

// ---- PmDBUtil: categories ----

void PmDBUtil::EnsureCategories() {
    if (m_pCatMgr != nullptr) {
        return;
    }
    m_pCatMgr = new PmCategoryMgr;
    PmCategory unfiled;
    unfiled.SetIndex(0);
    unfiled.SetId(palm::kUnfiledId);
    unfiled.SetName(std::string(palm::kUnfiledName).c_str());
    m_pCatMgr->Add(&unfiled);
    m_pCatMgr->SetModified(0);
}

bool PmDBUtil::GetCategoryName(std::int32_t id, char* szCatText) {
    // The condition is written as the assertion message must read.
    // clang-format off
    TL_ASSERT(m_pCatMgr!=NULL && szCatText!=NULL); // NOLINT(modernize-use-nullptr)
    // clang-format on
    const PmCategory* category = m_pCatMgr->FindById(id);
    if (category == nullptr) {
        return false;
    }
    std::memset(szCatText, 0, palm::kCategoryNameMax + 1);
    copyToField(szCatText, palm::kCategoryNameMax + 1, category->GetName());
    return true;
}

bool PmDBUtil::GetCategoryName(std::int32_t id, TextValue& text) {
    char name[palm::kCategoryNameMax + 1] = {};
    if (!GetCategoryName(id, name)) {
        return false;
    }
    text.assign(name, sizeof name);
    return true;
}

bool PmDBUtil::GetCategoryIdByName(const char* name, std::int32_t* id, bool create) {
    if (id == nullptr) {
        return false;
    }
    if (name == nullptr || name[0] == '\0') {
        *id = 0;
        return true;
    }
    EnsureCategories();
    if (const PmCategory* found = m_pCatMgr->FindByName(name)) {
        *id = found->GetId();
        return true;
    }
    if (!create) {
        *id = 0;
        return false;
    }
    PmCategory added;
    added.SetName(name);
    m_pCatMgr->Add(&added);
    if (const PmCategory* found = m_pCatMgr->FindByName(name)) {
        *id = found->GetId();
        return true;
    }
    *id = -1;
    return false;
}

// ---- PmDBUtil: the classic layout ----

void PmDBUtil::SetDefaults(const palm::Schema& schema, std::span<const std::int16_t> fieldTypes,
                           std::uint32_t versionTag) {
    m_schema = schema;
    m_fieldTypes.assign(fieldTypes.begin(), fieldTypes.end());
    m_versionTag = versionTag;
}

std::span<const std::uint8_t> PmDBUtil::Loaded(std::size_t offset, std::size_t size) const {
    return std::span<const std::uint8_t>(m_fileBytes).subspan(offset, size);
}

bool PmDBUtil::BeginLoad(const std::string& path) {
    ResetLoad(path);
    if (path.empty()) {
        return Fail(LoadResult::Unreadable, "no file name");
    }
    return OpenFile(path.c_str(), ReadWrite);
}

bool PmDBUtil::BeginLoad(std::span<const std::uint8_t> bytes, const std::string& path) {
    ResetLoad(path);
    m_fileBytes.assign(bytes.begin(), bytes.end());
    m_reader = palm::ByteReader(m_fileBytes);
    m_reading = true;
    m_writing = false;
    return true;
}

void PmDBUtil::ResetLoad(const std::string& path) {
    m_loadResult = LoadResult::None;
    m_loadedStamp = FileStamp{};
    m_lastError.clear();
    m_storedName = {};
    m_tableString = {};
    m_categoryBlock = {};
    m_trailer = {};
    m_tableStringText.clear();
    m_classicWrapper.clear();
    m_rowOffsets.clear();
    m_loadedFieldsPerRow = 0;
    m_loadedEntryCount = 0;
    m_fileBytes.clear();
    m_fileBytes.shrink_to_fit();
    m_savedSinceLoad = false;
    m_path = path;
}

bool PmDBUtil::FinishLoad(bool headerOk) {
    CloseFile();
    if (!headerOk) {
        if (m_loadResult == LoadResult::None || m_loadResult == LoadResult::Complete) {
            Fail(LoadResult::Damaged, m_reason.empty() ? "cannot be read" : m_reason);
        }
        return false;
    }
    if (m_loadResult == LoadResult::None) {
        m_loadResult = LoadResult::Complete;
    }
    return true;
}

bool PmDBUtil::BeginSave(const std::string& path) {
    m_lastError.clear();
    m_outPath = path;
    m_saveChanges = false;
    m_rowsWritten = 0;
    if (m_loadResult != LoadResult::None && m_loadResult != LoadResult::Complete) {
        // Writing now would replace the file with less than it holds.
        return FailSave("the file was not read completely when it was loaded");
    }
    if (!OpenFile(path.c_str(), CreateAlways)) {
        return FailSave("no file name");
    }
    return true;
}

bool PmDBUtil::FinishSave(bool written, std::vector<std::uint8_t>* bytes) {
    if (!written || bytes != nullptr) {
        m_writing = false;
        if (written) {
            bytes->swap(m_out);
        } else if (m_lastError.empty()) {
            FailSave("writing the records failed");
        }
        m_out.clear();
        m_out.shrink_to_fit();
        return written;
    }
    if (!m_saveChanges && m_outPath == m_path && !m_savedSinceLoad) {
        // Nothing to write that the file does not hold already: no new file, no backup, and the
        // file keeps its time stamps.
        m_writing = false;
        m_out.clear();
        return true;
    }
    return CloseFile();
}

LoadResult CheckVersionTag(std::span<const std::uint8_t> head, std::uint32_t versionTag,
                           const char* kind, std::string& note) {
    const std::uint8_t expected[4] = {
        static_cast<std::uint8_t>(versionTag), static_cast<std::uint8_t>(versionTag >> 8),
        static_cast<std::uint8_t>(versionTag >> 16), static_cast<std::uint8_t>(versionTag >> 24)};
    head = head.first(std::min<std::size_t>(4, head.size()));
    if (head.empty()) {
        note = "the file is empty";
        return LoadResult::Damaged;
    }
    if (!std::equal(head.begin(), head.end(), expected)) {
        note = std::string("not a ") + kind + " (it begins with " + hexBytes(head) +
               ", one begins with " + hexBytes(expected) + ")";
        return LoadResult::NotThisFormat;
    }
    if (head.size() < 4) {
        note = "the file ends inside its version tag";
        return LoadResult::Damaged;
    }
    note.clear();
    return LoadResult::Complete;
}

std::size_t ClassicBodyOffset(std::span<const std::uint8_t> head, std::uint32_t versionTag) {
    const std::size_t body = palm::kExtendedSignatureSize;
    const std::string_view text = palm::kExtendedSignatureText;
    if (head.size() < body + 4 ||
        !std::equal(text.begin(), text.end(), head.begin() + palm::kExtendedMagic.size())) {
        return 0;
    }
    std::string note;
    return CheckVersionTag(head.subspan(body), versionTag, "", note) == LoadResult::Complete ? body
                                                                                             : 0;
}

bool PmDBUtil::ReadVersionTagOf(std::uint32_t versionTag, const char* kind) {
    std::string note;
    const std::size_t body = ClassicBodyOffset(m_reader.bytes(), versionTag);
    const LoadResult result =
        CheckVersionTag(m_reader.bytes().subspan(body), versionTag, kind, note);
    if (result != LoadResult::Complete) {
        return Fail(result, note);
    }
    const std::span<const std::uint8_t> wrapper = m_reader.bytes().first(body);
    m_classicWrapper.assign(wrapper.begin(), wrapper.end());
    m_reader.skip(body + 4);
    return true;
}

bool PmDBUtil::WriteVersionTag() {
    return (m_classicWrapper.empty() ||
            WriteBytes(m_classicWrapper.data(), m_classicWrapper.size())) &&
           WriteInt32(static_cast<std::int32_t>(m_versionTag));
}

bool PmDBUtil::ReadStoredFileName() {
    const std::size_t start = m_reader.offset();
    std::uint32_t length = 0;
    if (!ReadCStringLength(length) || !m_reader.skip(length)) {
        return FailAt(LoadResult::Damaged, start, "the stored file name runs past the end");
    }
    m_storedName = {start, m_reader.offset() - start, true};
    return true;
}

bool PmDBUtil::ReadWholeTableString() {
    const std::size_t start = m_reader.offset();
    std::uint32_t length = 0;
    if (!ReadCStringLength(length)) {
        return FailAt(LoadResult::Damaged, start, "the file ends before its table string");
    }
    const std::size_t textStart = m_reader.offset();
    if (!m_reader.skip(length)) {
        return FailAt(LoadResult::Damaged, start,
                      "the table string of " + std::to_string(length) + " bytes runs past the end");
    }
    const std::span<const std::uint8_t> text = Loaded(textStart, length);
    m_tableStringText.assign(text.begin(), text.end());
    m_tableString = {start, m_reader.offset() - start, true};
    return true;
}

bool PmDBUtil::ReadCategoryBlock() {
    delete m_pCatMgr;
    m_pCatMgr = new PmCategoryMgr;
    const std::size_t start = m_reader.offset();
    std::int32_t nextFree = 0;
    std::int32_t count = 0;
    if (!m_reader.i32(nextFree) || !m_reader.i32(count)) {
        return FailAt(LoadResult::Damaged, start, "the category block ends early");
    }
    m_pCatMgr->SetNextFree(nextFree);
    PmCategory unfiled;
    unfiled.SetIndex(0);
    unfiled.SetId(palm::kUnfiledId);
    unfiled.SetName(std::string(palm::kUnfiledName).c_str());
    m_pCatMgr->Add(&unfiled);
    if (count < 0) {
        return FailAt(LoadResult::Damaged, start,
                      "category count " + std::to_string(count) + " is negative");
    }
    PmCategory working;
    std::string name;
    std::string longName;
    const auto readText = [this](std::string& text) {
        std::uint32_t length = 0;
        if (!ReadCStringLength(length)) {
            return false;
        }
        const std::size_t textStart = m_reader.offset();
        if (!m_reader.skip(length)) {
            return SetReason("a name of " + std::to_string(length) + " bytes runs past the end");
        }
        const std::span<const std::uint8_t> bytes = Loaded(textStart, length);
        text.assign(bytes.begin(), bytes.end());
        return true;
    };
    for (std::int32_t i = 0; i < count; ++i) {
        const std::size_t entryStart = m_reader.offset();
        std::int32_t index = 0;
        std::int32_t id = 0;
        std::int32_t dirty = 0;
        if (!m_reader.i32(index) || !m_reader.i32(id) || !m_reader.i32(dirty) || !readText(name) ||
            !readText(longName)) {
            return FailAt(LoadResult::Damaged, entryStart,
                          "category " + std::to_string(i + 1) + " of " + std::to_string(count) +
                              " is cut short");
        }
        working.SetIndex(index);
        working.SetId(id);
        working.SetDirty(dirty != 0);
        working.SetName(name.c_str());
        working.SetLongName(longName.c_str());
        const std::span<const std::uint8_t> entry =
            Loaded(entryStart, m_reader.offset() - entryStart);
        working.SetFileEntry({entry.begin(), entry.end()});
        if (!m_pCatMgr->Add(&working)) {
            return FailAt(LoadResult::Damaged, entryStart,
                          "category " + std::to_string(i + 1) + " of " + std::to_string(count) +
                              " (slot " + std::to_string(index) + ", id " + std::to_string(id) +
                              ") does not fit the table");
        }
    }
    m_pCatMgr->SetModified(0);
    m_categoryBlock = {start, m_reader.offset() - start, true};
    return true;
}

bool PmDBUtil::ReadSchemaBlock() {
    const std::size_t start = m_reader.offset();
    palm::Schema schema{};
    std::uint16_t fieldCount = 0;
    if (!m_reader.i32(schema.resourceId) || !m_reader.i32(schema.fieldsPerRow) ||
        !m_reader.i32(schema.recordIdPos) || !m_reader.i32(schema.statusPos) ||
        !m_reader.i32(schema.placementPos) || !m_reader.u16(fieldCount)) {
        return FailAt(LoadResult::Damaged, start, "the schema ends early");
    }
    if (std::size_t{fieldCount} * 2 > m_reader.remaining()) {
        return FailAt(LoadResult::Damaged, start,
                      "the schema announces " + std::to_string(fieldCount) + " field types, " +
                          std::to_string(m_reader.remaining()) + " bytes left");
    }
    m_schema = schema;
    m_fieldTypes.assign(fieldCount, 0);
    for (std::int16_t& type : m_fieldTypes) {
        std::uint16_t raw = 0;
        m_reader.u16(raw);
        type = static_cast<std::int16_t>(raw);
    }
    return true;
}

// ---- PmDBUtil: writing ----

bool PmDBUtil::WriteStoredFileName(const std::string& path) {
    if (m_storedName.valid) {
        // The name is the Windows path Palm Desktop wrote; it goes back as it was read.
        return WriteBytes(Loaded(m_storedName.offset, m_storedName.size).data(), m_storedName.size);
    }
    m_saveChanges = true;
    return WriteCString(path);
}

bool PmDBUtil::WriteTableString() {
    if (m_tableString.valid) {
        return WriteBytes(Loaded(m_tableString.offset, m_tableString.size).data(),
                          m_tableString.size);
    }
    m_saveChanges = true;
    return WriteCString(m_tableStringText);
}

bool PmDBUtil::WriteCategoryBlock() {
    if (m_pCatMgr != nullptr && m_pCatMgr->GetModified() == 0 && m_categoryBlock.valid) {
        return WriteBytes(Loaded(m_categoryBlock.offset, m_categoryBlock.size).data(),
                          m_categoryBlock.size);
    }
    m_saveChanges = true;
    const std::int32_t nextFree =
        m_pCatMgr != nullptr ? m_pCatMgr->GetNextFree() : palm::kDefaultNextFree;
    if (!WriteInt32(nextFree)) {
        return false;
    }
    std::int32_t entries = 0;
    for (int slot = 0; m_pCatMgr != nullptr && slot < palm::kCategorySlots; ++slot) {
        const PmCategory* category = m_pCatMgr->GetAt(slot);
        entries += (category != nullptr && category->GetId() != 0) ? 1 : 0;
    }
    if (!WriteInt32(entries)) {
        return false;
    }
    for (int slot = 0; entries > 0 && slot < palm::kCategorySlots; ++slot) {
        const PmCategory* category = m_pCatMgr->GetAt(slot);
        if (category == nullptr || category->GetId() == 0) {
            continue;
        }
        // A category read from the file goes back as its entry was, full names included.
        if (!category->FileEntry().empty()) {
            if (!WriteBytes(category->FileEntry().data(), category->FileEntry().size())) {
                return false;
            }
            continue;
        }
        char text[256];
        std::uint32_t length = sizeof text;
        const bool hasName = category->CopyName(text, &length);
        if (!WriteInt32(slot) || !WriteInt32(category->GetId()) || !WriteInt32(0) ||
            !WriteCString(hasName ? text : "")) {
            return false;
        }
        length = sizeof text;
        const bool hasLongName = category->CopyLongName(text, &length);
        if (!WriteCString(hasLongName ? text : "")) {
            return false;
        }
    }
    return true;
}

bool PmDBUtil::WriteSchemaBlock() {
    if (m_fieldTypes.size() > std::numeric_limits<std::uint16_t>::max()) {
        return FailSave("the type list is longer than a file can hold");
    }
    if (!WriteInt32(m_schema.resourceId) || !WriteInt32(m_schema.fieldsPerRow) ||
        !WriteInt32(m_schema.recordIdPos) || !WriteInt32(m_schema.statusPos) ||
        !WriteInt32(m_schema.placementPos) ||
        !WriteInt16(static_cast<std::int16_t>(m_fieldTypes.size()))) {
        return false;
    }
    for (std::int16_t type : m_fieldTypes) {
        if (!WriteInt16(type)) {
            return false;
        }
    }
    return true;
}

} // namespace twinleaf
