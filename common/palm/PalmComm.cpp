// The .dat primitives, the category table and the row engine shared by every Palm file class.
#include "common/palm/PalmComm.h"

#include "common/palm/PalmEnv.h"
#include "platform/Assert.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/PathCase.h"
#include "platform/text/FieldText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>

namespace twinleaf {

using palm::ByteWriter;

namespace {

// A ceiling far above any address book Palm Desktop can hold, so a stray huge file is refused
// rather than read into memory.
constexpr std::uintmax_t kMaxFileSize = std::uintmax_t{1} << 30;

// Texts of 8191 characters and more are never held whole in a record.
constexpr std::size_t kStringFieldHeld = 8191;

std::string hex(std::size_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%zx", value);
    return text;
}

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

// Characters a long name must not carry, because Palm Desktop uses it as a file name.
bool isFileNameCharacter(char c) {
    static constexpr std::string_view kReplaced = "\"*+,./:;<=>?[\\]^|";
    return kReplaced.find(c) != std::string_view::npos;
}

char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i])) {
            return false;
        }
    }
    return true;
}

bool copyText(std::string_view text, char* buffer, std::uint32_t* length) {
    if (buffer == nullptr || length == nullptr) {
        return false;
    }
    std::memset(buffer, 0, *length);
    if (text.empty() || text.size() + 1 > *length) {
        return false;
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    *length = static_cast<std::uint32_t>(text.size());
    return true;
}

std::int32_t loadInt(const std::uint8_t* record, std::uint32_t offset) {
    std::int32_t value = 0;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

} // namespace

std::string PalmUserFilePath(std::uint32_t user, const char* folder, const char* file) {
    char dataFolder[win::MAX_PATH];
    if (!GetUserDataFolder(user, dataFolder)) {
        return {};
    }
    return resolvePathCase(std::filesystem::path(dataFolder) / folder / file).string();
}

// ---- PmCategory ----

PmCategory::PmCategory() = default;
PmCategory::~PmCategory() = default;

std::int32_t PmCategory::GetIndex() const {
    return m_nIndex;
}
std::int32_t PmCategory::GetId() const {
    return m_nId;
}
const char* PmCategory::GetName() const {
    return m_szName;
}
bool PmCategory::CopyName(char* buffer, std::uint32_t* length) const {
    return copyText(fieldText(m_szName), buffer, length);
}
bool PmCategory::CopyLongName(char* buffer, std::uint32_t* length) const {
    return copyText(fieldText(m_szLongName), buffer, length);
}
std::int32_t PmCategory::GetFlags() const {
    return m_nFlags;
}
void PmCategory::SetIndex(std::int32_t index) {
    m_nIndex = index;
}
void PmCategory::SetId(std::int32_t id) {
    m_nId = id;
}
void PmCategory::SetName(const char* text) {
    copyToField(m_szName, text == nullptr ? std::string_view{} : std::string_view{text});
}
void PmCategory::SetLongName(const char* text) {
    copyToField(m_szLongName, text == nullptr ? std::string_view{} : std::string_view{text});
}
void PmCategory::SetFlags(std::int32_t flags) {
    m_nFlags = flags;
}
void PmCategory::SetDirty(bool on) {
    m_nFlags = on ? (m_nFlags | kCategoryDirty) : (m_nFlags & ~kCategoryDirty);
}
int PmCategory::GetFlagBit0() const {
    return m_nFlags & 1;
}
bool PmCategory::Equals(const PmCategory& other) const {
    return m_nIndex == other.m_nIndex && m_nId == other.m_nId &&
           fieldText(m_szName) == fieldText(other.m_szName);
}

// ---- PmCategoryMgr ----

PmCategoryMgr::PmCategoryMgr() = default;

PmCategoryMgr::~PmCategoryMgr() {
    for (PmCategory*& slot : m_pSlots) {
        delete slot;
        slot = nullptr;
    }
}

std::int32_t PmCategoryMgr::GetCount() const {
    return m_nCount;
}

PmCategory* PmCategoryMgr::FindById(std::int32_t id) const {
    for (PmCategory* slot : m_pSlots) {
        if (slot != nullptr && slot->GetId() == id) {
            return slot;
        }
    }
    return nullptr;
}

PmCategory* PmCategoryMgr::GetAt(int index) const {
    const auto slot = static_cast<std::uint16_t>(index);
    return slot < palm::kCategorySlots ? m_pSlots[slot] : nullptr;
}

PmCategory* PmCategoryMgr::FindByName(const char* name) const {
    if (name == nullptr || name[0] == '\0') {
        return nullptr;
    }
    std::string_view wanted(name);
    wanted = wanted.substr(0, std::min(wanted.size(), palm::kCategoryNameMax));
    for (PmCategory* slot : m_pSlots) {
        if (slot != nullptr && sameNameIgnoringCase(slot->GetName(), wanted)) {
            return slot;
        }
    }
    return nullptr;
}

PmCategory* PmCategoryMgr::First() {
    m_nCursor = 0;
    return Next();
}

PmCategory* PmCategoryMgr::Next() {
    while (m_nCursor < palm::kCategorySlots) {
        PmCategory* slot = m_pSlots[m_nCursor++];
        if (slot != nullptr) {
            return slot;
        }
    }
    return nullptr;
}

bool PmCategoryMgr::Add(const PmCategory* category) {
    if (category == nullptr || m_nCount >= palm::kCategorySlots) {
        return false;
    }
    PmCategory copy(*category);
    const auto lowestFreeSlot = [this]() -> int {
        for (int slot = 1; slot < palm::kCategorySlots; ++slot) {
            if (m_pSlots[slot] == nullptr) {
                return slot;
            }
        }
        return -1;
    };
    std::int32_t index = copy.GetIndex();
    if (index != -1 && (index < 0 || index >= palm::kCategorySlots)) {
        return false;
    }
    // A category whose slot is taken (a file listing two entries for one slot) moves to the lowest
    // free slot instead of pushing the other one out; it then no longer matches its file entry.
    if (index == -1 || m_pSlots[index] != nullptr) {
        index = lowestFreeSlot();
        if (index < 0) {
            return false;
        }
        copy.SetIndex(index);
        copy.SetDirty(true);
        copy.SetFileEntry({});
    }
    if (copy.GetId() == -1) {
        // One above the highest id in the whole table: ids are what records refer to, so a new
        // category must never take an id that a category in a later slot already carries.
        std::int32_t highest = -1;
        for (PmCategory* slot : m_pSlots) {
            if (slot != nullptr) {
                highest = std::max(highest, slot->GetId());
            }
        }
        if (highest < 0 || highest == std::numeric_limits<std::int32_t>::max()) {
            return false;
        }
        copy.SetId(highest + 1);
        copy.SetDirty(true);
    } else if (FindById(copy.GetId()) != nullptr) {
        return false;
    }
    char longName[palm::kCategoryLongNameMax + 1];
    copyToField(longName, std::string_view(copy.GetName()));
    for (char& c : longName) {
        if (c == '\0') {
            break;
        }
        if (isFileNameCharacter(c)) {
            c = '_';
        }
    }
    if (longName[0] != '\0') {
        copy.SetLongName(longName);
    }
    auto* stored = new (std::nothrow) PmCategory(copy);
    if (stored == nullptr) {
        return false;
    }
    m_pSlots[index] = stored;
    ++m_nCount;
    m_bModified = 1;
    return true;
}

void PmCategoryMgr::SetModified(std::uint8_t flag) {
    m_bModified = flag;
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
    const AtomicSaveResult result =
        saveAtomically(m_outPath, std::span<const std::uint8_t>(m_out), KeepBackup::Yes);
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
    return Fail(result, "at offset " + hex(offset) + ": " + message);
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

bool PmDBUtil::ReadFieldTag(std::int32_t& tag) {
    if (!m_reading || !m_reader.i32(tag)) {
        return SetReason("ends before the field's tag");
    }
    return true;
}

bool PmDBUtil::ReadIntField(std::int32_t& value) {
    std::int32_t tag = 0;
    if (!ReadFieldTag(tag)) {
        return false;
    }
    if (tag != palm::kFieldInteger && tag != palm::kFieldBoolean && tag != palm::kFieldDate) {
        return SetReason("tag " + std::to_string(tag) + " where a number belongs");
    }
    if (!m_reader.i32(value)) {
        return SetReason("ends inside a number");
    }
    return true;
}

bool PmDBUtil::ReadStringField(char* buffer, std::size_t capacity) {
    if (buffer == nullptr || capacity == 0) {
        return false;
    }
    buffer[0] = '\0';
    std::int32_t tag = 0;
    if (!ReadFieldTag(tag)) {
        return false;
    }
    if (tag != palm::kFieldString) {
        return SetReason("tag " + std::to_string(tag) + " where a text belongs");
    }
    if (!m_reader.skip(4)) {
        return SetReason("ends inside a text field");
    }
    std::uint32_t length = 0;
    if (!ReadCStringLength(length)) {
        return false;
    }
    if (length > m_reader.remaining()) {
        return SetReason("text of " + std::to_string(length) + " bytes runs past the end (" +
                         std::to_string(m_reader.remaining()) + " bytes left)");
    }
    const std::size_t held =
        std::min({static_cast<std::size_t>(length), capacity - 1, kStringFieldHeld});
    m_reader.copy(buffer, held);
    buffer[held] = '\0';
    m_reader.skip(length - held);
    return true;
}

bool PmDBUtil::WriteIntField(std::int32_t value) {
    return WriteInt32(palm::kFieldInteger) && WriteInt32(value);
}
bool PmDBUtil::WriteDateField(std::int32_t value) {
    return WriteInt32(palm::kFieldDate) && WriteInt32(value);
}
bool PmDBUtil::WriteBoolField(std::int32_t value) {
    return WriteInt32(palm::kFieldBoolean) && WriteInt32(value);
}
bool PmDBUtil::WriteStringField(std::string_view text) {
    return WriteInt32(palm::kFieldString) && WriteInt32(palm::kStringFieldWord) &&
           WriteCString(text);
}
bool PmDBUtil::WriteStringField(const char* text) {
    return WriteStringField(text == nullptr ? std::string_view{} : std::string_view{text});
}

bool PmDBUtil::ReadInt64Field(std::int64_t& value) {
    std::int32_t word = 0;
    if (!ReadFieldTag(word)) {
        return false;
    }
    return ReadInt64(value);
}

bool PmDBUtil::WriteInt64Field(std::int64_t value) {
    return WriteInt32(palm::kInt64FieldWord) && WriteInt64(value);
}

bool PmDBUtil::ReadBlobField(BlobValue& blob) {
    blob = BlobValue{};
    if (!m_reading || !m_reader.i32(blob.Word0) || !m_reader.i32(blob.Kind)) {
        return SetReason("ends inside a blob field");
    }
    const auto kind = static_cast<std::uint32_t>(blob.Kind);
    std::uint32_t size = 0;
    if (kind == 0) {
        return true;
    }
    if (kind <= 3) {
        if (!m_reader.i32(blob.Word2) || !m_reader.i32(blob.Word3) || !m_reader.i32(blob.Size)) {
            return SetReason("ends inside a blob field");
        }
        if (blob.Size < 0) {
            return SetReason("blob size " + std::to_string(blob.Size));
        }
        size = static_cast<std::uint32_t>(blob.Size);
    } else {
        size = kind;
    }
    if (size > m_reader.remaining()) {
        return SetReason("blob of " + std::to_string(size) + " bytes runs past the end (" +
                         std::to_string(m_reader.remaining()) + " bytes left)");
    }
    blob.Size = static_cast<std::int32_t>(size);
    if (size == 0) {
        return true;
    }
    blob.Data = static_cast<std::uint8_t*>(std::malloc(size));
    if (blob.Data == nullptr) {
        return SetReason("out of memory for a blob");
    }
    m_reader.copy(blob.Data, size);
    return true;
}

bool PmDBUtil::WriteBlobField(const BlobValue& blob) {
    const auto kind = static_cast<std::uint32_t>(blob.Kind);
    const bool carriesData = (kind >= 1 && kind <= 3 && blob.Size != 0) || kind >= 4;
    if (carriesData && blob.Data == nullptr) {
        return false;
    }
    if (!WriteInt32(blob.Word0) || !WriteInt32(blob.Kind)) {
        return false;
    }
    if (kind == 0) {
        return true;
    }
    if (kind <= 3) {
        if (!WriteInt32(blob.Word2) || !WriteInt32(blob.Word3) || !WriteInt32(blob.Size)) {
            return false;
        }
        return blob.Size == 0 || WriteBytes(blob.Data, static_cast<std::uint32_t>(blob.Size));
    }
    return WriteBytes(blob.Data, kind);
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
    m_lastError.clear();
    m_storedName = {};
    m_tableString = {};
    m_categoryBlock = {};
    m_trailer = {};
    m_tableStringText.clear();
    m_rowOffsets.clear();
    m_loadedFieldsPerRow = 0;
    m_loadedEntryCount = 0;
    m_fileBytes.clear();
    m_fileBytes.shrink_to_fit();
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
    return CloseFile();
}

bool PmDBUtil::ReadVersionTagOf(std::uint32_t versionTag, const char* kind) {
    const std::uint8_t expected[4] = {
        static_cast<std::uint8_t>(versionTag), static_cast<std::uint8_t>(versionTag >> 8),
        static_cast<std::uint8_t>(versionTag >> 16), static_cast<std::uint8_t>(versionTag >> 24)};
    const std::span<const std::uint8_t> head =
        m_reader.bytes().subspan(0, std::min<std::size_t>(4, m_reader.size()));
    if (head.empty()) {
        return Fail(LoadResult::Damaged, "the file is empty");
    }
    if (!std::equal(head.begin(), head.end(), expected)) {
        return Fail(LoadResult::NotThisFormat, std::string("not a ") + kind + " (it begins with " +
                                                   hexBytes(head) + ", one begins with " +
                                                   hexBytes(expected) + ")");
    }
    if (head.size() < 4) {
        return Fail(LoadResult::Damaged, "the file ends inside its version tag");
    }
    m_reader.skip(4);
    return true;
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

bool PmDBUtil::SkipField(std::int32_t index) {
    std::int32_t tag = 0;
    if (!ReadFieldTag(tag)) {
        return false;
    }
    switch (tag) {
    case palm::kFieldInteger:
    case palm::kFieldDate:
    case palm::kFieldBoolean:
        return m_reader.skip(4) || SetReason("ends inside a number");
    case palm::kFieldString: {
        std::uint32_t length = 0;
        if (!m_reader.skip(4) || !ReadCStringLength(length)) {
            return SetReason("ends inside a text field");
        }
        return m_reader.skip(length) ||
               SetReason("text of " + std::to_string(length) + " bytes runs past the end");
    }
    default:
        return SetReason("tag " + std::to_string(tag) + " in field " + std::to_string(index) +
                         ", which this kind of file does not have");
    }
}

bool PmDBUtil::DecodeRow(const RowCodec& codec, std::int32_t fieldsPerRow, std::uint8_t* record,
                         std::vector<std::size_t>* fieldStarts) {
    if (fieldStarts != nullptr) {
        fieldStarts->clear();
    }
    for (std::int32_t i = 0; i < fieldsPerRow; ++i) {
        if (fieldStarts != nullptr) {
            fieldStarts->push_back(m_reader.offset());
        }
        bool ok = false;
        if (static_cast<std::size_t>(i) < codec.fields.size()) {
            const RowField& field = codec.fields[static_cast<std::size_t>(i)];
            if (field.kind == RowValue::Text) {
                ok = ReadStringField(reinterpret_cast<char*>(record + field.offset), field.width);
            } else {
                std::int32_t value = 0;
                ok = ReadIntField(value);
                if (ok) {
                    std::memcpy(record + field.offset, &value, sizeof value);
                }
            }
        } else {
            ok = SkipField(i);
        }
        if (!ok) {
            m_reason = "field " + std::to_string(i) + ": " + m_reason;
            return false;
        }
    }
    if (fieldStarts != nullptr) {
        fieldStarts->push_back(m_reader.offset());
    }
    return true;
}

bool PmDBUtil::ReadRows(const RowCodec& codec, const std::function<bool(void*)>& accept) {
    const std::size_t start = m_reader.offset();
    if (m_schema.fieldsPerRow <= 0) {
        return FailAt(LoadResult::Damaged, start,
                      "the schema gives " + std::to_string(m_schema.fieldsPerRow) +
                          " fields per row");
    }
    std::int32_t entryCount = 0;
    if (!m_reader.i32(entryCount)) {
        // The header is whole: what is there is an empty list, but not one to save over the file.
        m_loadResult = LoadResult::Partial;
        m_lastError = m_path + ": at offset " + hex(start) + ": the file ends before its records";
        return true;
    }
    if (entryCount < 0) {
        m_loadResult = LoadResult::Partial;
        m_lastError = m_path + ": at offset " + hex(start) + ": the entry count " +
                      std::to_string(entryCount) + " is negative";
        return true;
    }
    m_loadedFieldsPerRow = m_schema.fieldsPerRow;
    m_loadedEntryCount = entryCount;
    const std::int32_t rows = entryCount / m_schema.fieldsPerRow;
    std::vector<std::uint8_t> record(codec.recordSize);
    for (std::int32_t row = 0; row < rows; ++row) {
        const std::size_t rowStart = m_reader.offset();
        std::fill(record.begin(), record.end(), 0);
        if (!DecodeRow(codec, m_schema.fieldsPerRow, record.data(), nullptr)) {
            m_loadResult = LoadResult::Partial;
            m_lastError = m_path + ": record " + std::to_string(row + 1) + " of " +
                          std::to_string(rows) + " at offset " + hex(rowStart) + ": " + m_reason;
            return true;
        }
        const auto fileRow = static_cast<std::uint32_t>(row + 1);
        std::memcpy(record.data() + codec.fileRowOffset, &fileRow, sizeof fileRow);
        if (!accept(record.data())) {
            m_loadResult = LoadResult::Partial;
            m_lastError = m_path + ": record " + std::to_string(row + 1) + ": out of memory";
            return true;
        }
        m_rowOffsets.push_back(rowStart);
    }
    m_trailer = {m_reader.offset(), m_reader.remaining(), true};
    return true;
}

// ---- PmDBUtil: writing ----

bool PmDBUtil::WriteStoredFileName(const std::string& path) {
    if (m_storedName.valid) {
        // The name is the Windows path Palm Desktop wrote; it goes back as it was read.
        return WriteBytes(Loaded(m_storedName.offset, m_storedName.size).data(), m_storedName.size);
    }
    return WriteCString(path);
}

bool PmDBUtil::WriteTableString() {
    if (m_tableString.valid) {
        return WriteBytes(Loaded(m_tableString.offset, m_tableString.size).data(),
                          m_tableString.size);
    }
    return WriteCString(m_tableStringText);
}

bool PmDBUtil::WriteCategoryBlock() {
    if (m_pCatMgr != nullptr && m_pCatMgr->GetModified() == 0 && m_categoryBlock.valid) {
        return WriteBytes(Loaded(m_categoryBlock.offset, m_categoryBlock.size).data(),
                          m_categoryBlock.size);
    }
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

bool PmDBUtil::WriteEntryCount(std::uint32_t records) {
    if (m_schema.fieldsPerRow <= 0) {
        return FailSave("the schema gives " + std::to_string(m_schema.fieldsPerRow) +
                        " fields per row");
    }
    if (m_trailer.valid && records == m_rowOffsets.size()) {
        // As many rows as were read: the count goes back as read, also where it was not a whole
        // multiple of the row size.
        return WriteInt32(m_loadedEntryCount);
    }
    const std::uint64_t entries = std::uint64_t{records} * std::uint64_t(m_schema.fieldsPerRow);
    if (entries > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        return FailSave(std::to_string(records) + " records are more than the file can count");
    }
    return WriteInt32(static_cast<std::int32_t>(entries));
}

void PmDBUtil::EncodeField(const RowField& field, const std::uint8_t* record) {
    switch (field.kind) {
    case RowValue::Int:
        WriteIntField(loadInt(record, field.offset));
        break;
    case RowValue::Bool:
        WriteBoolField(loadInt(record, field.offset));
        break;
    case RowValue::Date:
        WriteDateField(loadInt(record, field.offset));
        break;
    case RowValue::Text:
        WriteStringField(
            fieldText(reinterpret_cast<const char*>(record + field.offset), field.width));
        break;
    }
}

bool PmDBUtil::EncodeUnknownField(std::int32_t index) {
    const std::int16_t type = static_cast<std::size_t>(index) < m_fieldTypes.size()
                                  ? m_fieldTypes[static_cast<std::size_t>(index)]
                                  : std::int16_t{0};
    switch (type) {
    case palm::kFieldInteger:
        return WriteIntField(0);
    case palm::kFieldDate:
        return WriteDateField(0);
    case palm::kFieldBoolean:
        return WriteBoolField(0);
    case palm::kFieldString:
        return WriteStringField("");
    default:
        return FailSave("field " + std::to_string(index) + " of a new record has type " +
                        std::to_string(type) + ", which this writer cannot fill");
    }
}

namespace {

bool sameField(const RowField& field, const std::uint8_t* a, const std::uint8_t* b) {
    if (field.kind == RowValue::Text) {
        return fieldText(reinterpret_cast<const char*>(a + field.offset), field.width) ==
               fieldText(reinterpret_cast<const char*>(b + field.offset), field.width);
    }
    return loadInt(a, field.offset) == loadInt(b, field.offset);
}

} // namespace

bool PmDBUtil::WriteRow(const RowCodec& codec, const void* record) {
    if (!m_writing) {
        return false;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(record);
    std::uint32_t fileRow = 0;
    std::memcpy(&fileRow, bytes + codec.fileRowOffset, sizeof fileRow);
    bool haveOriginal = fileRow != 0 && fileRow <= m_rowOffsets.size() &&
                        m_loadedFieldsPerRow == m_schema.fieldsPerRow;
    if (haveOriginal) {
        // Decode the row as the file held it, to tell which fields the program changed.
        const palm::ByteReader saved = m_reader;
        const bool wasReading = m_reading;
        m_reader = palm::ByteReader(m_fileBytes);
        m_reader.seek(m_rowOffsets[fileRow - 1]);
        m_reading = true;
        m_original.assign(codec.recordSize, 0);
        haveOriginal = DecodeRow(codec, m_schema.fieldsPerRow, m_original.data(), &m_fieldStarts);
        m_reader = saved;
        m_reading = wasReading;
    }
    for (std::int32_t i = 0; i < m_schema.fieldsPerRow; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const bool known = index < codec.fields.size();
        if (haveOriginal && (!known || sameField(codec.fields[index], m_original.data(), bytes))) {
            const std::size_t start = m_fieldStarts[index];
            ByteWriter(m_out).bytes(Loaded(start, m_fieldStarts[index + 1] - start));
        } else if (known) {
            EncodeField(codec.fields[index], bytes);
        } else if (!EncodeUnknownField(i)) {
            return false;
        }
    }
    return true;
}

bool PmDBUtil::WriteTrailer() {
    if (!m_trailer.valid || m_trailer.size == 0) {
        return true;
    }
    return WriteBytes(Loaded(m_trailer.offset, m_trailer.size).data(), m_trailer.size);
}

} // namespace twinleaf
