// Reading and writing the classic address book.
#include "common/palm/PalmAddr.h"

#include "common/misc/WinUtil.h"
#include "platform/Assert.h"
#include "platform/ini/Profile.h"

#include <array>
#include <cstddef>
#include <new>

namespace twinleaf {
namespace {

#define TL_INT(member)                                                                             \
    RowField {                                                                                     \
        RowValue::Int, offsetof(PmAddrRec, member), 4                                              \
    }
#define TL_BOOL(member)                                                                            \
    RowField {                                                                                     \
        RowValue::Bool, offsetof(PmAddrRec, member), 4                                             \
    }
#define TL_TEXT(member)                                                                            \
    RowField {                                                                                     \
        RowValue::Text, offsetof(PmAddrRec, member), sizeof(PmAddrRec::member)                     \
    }

// Field by field as the row holds them (PalmLayout.h, AddrField); with names swapped fields 3 and
// 4 change places.
constexpr std::array<RowField, palm::kAddrFieldCount> makeRow(bool swapNames) {
    return {
        TL_INT(RecordId),
        TL_INT(Status),
        TL_INT(Position),
        swapNames ? TL_TEXT(FirstName) : TL_TEXT(LastName),
        swapNames ? TL_TEXT(LastName) : TL_TEXT(FirstName),
        TL_TEXT(Title),
        TL_TEXT(Company),
        TL_INT(PhoneLabel1),
        TL_TEXT(Phone1),
        TL_INT(PhoneLabel2),
        TL_TEXT(Phone2),
        TL_INT(PhoneLabel3),
        TL_TEXT(Phone3),
        TL_INT(PhoneLabel4),
        TL_TEXT(Phone4),
        TL_INT(PhoneLabel5),
        TL_TEXT(Phone5),
        TL_TEXT(Address),
        TL_TEXT(City),
        TL_TEXT(State),
        TL_TEXT(Zip),
        TL_TEXT(Country),
        TL_TEXT(Note),
        TL_BOOL(Private),
        TL_INT(Category),
        TL_TEXT(Custom1),
        TL_TEXT(Custom2),
        TL_TEXT(Custom3),
        TL_TEXT(Custom4),
        TL_INT(DisplayPhone),
    };
}

#undef TL_INT
#undef TL_BOOL
#undef TL_TEXT

constexpr std::array<RowField, palm::kAddrFieldCount> kRow = makeRow(false);
constexpr std::array<RowField, palm::kAddrFieldCount> kSwappedRow = makeRow(true);

const RowCodec kCodec{kRow, sizeof(PmAddrRec), offsetof(PmAddrRec, FileRow)};
const RowCodec kSwappedCodec{kSwappedRow, sizeof(PmAddrRec), offsetof(PmAddrRec, FileRow)};

} // namespace

bool ReadSwapNameSetting() {
    return win::GetPrivateProfileIntA("Brightcard", "SwapName", 0, settingsFilePath().c_str()) == 1;
}

PmAddrUtil::PmAddrUtil() : m_pDataMgr(new (std::nothrow) PmAddrDataMgr) {
    TL_ASSERT(m_pDataMgr);
    SetDefaults(palm::kAddrSchema, palm::kAddrFieldTypes, palm::kAddrVersionTag);
    m_bSwapName = ReadSwapNameSetting();
}

PmAddrUtil::PmAddrUtil(const char* path) : PmAddrUtil() {
    Load(path);
}

PmAddrUtil::~PmAddrUtil() {
    delete m_pDataMgr;
}

const RowCodec& PmAddrUtil::Codec() const {
    return m_bSwapName ? kSwappedCodec : kCodec;
}

bool PmAddrUtil::Load(const char* path) {
    TL_ASSERT(m_pDataMgr);
    m_pDataMgr->Clear();
    return LoadSteps(BeginLoad(path == nullptr ? std::string() : std::string(path)));
}

bool PmAddrUtil::LoadForUser(std::uint32_t user) {
    const std::string path = PalmUserFilePath(user, "address", "address.dat");
    if (path.empty()) {
        m_pDataMgr->Clear();
        ResetLoad({});
        m_loadResult = LoadResult::Unreadable;
        m_lastError = "Palm user " + std::to_string(user) + " has no data folder";
        m_bLoaded = false;
        return false;
    }
    return Load(path.c_str());
}

bool PmAddrUtil::LoadBytes(std::span<const std::uint8_t> bytes, const char* name) {
    TL_ASSERT(m_pDataMgr);
    m_pDataMgr->Clear();
    return LoadSteps(BeginLoad(bytes, name == nullptr ? std::string() : std::string(name)));
}

bool PmAddrUtil::LoadSteps(bool opened) {
    const bool ok = opened && ReadVersionTag() && ReadStoredFileName() && ReadTableString() &&
                    ReadCategories() && ReadSchema() && ReadRecords();
    m_bLoaded = FinishLoad(ok);
    return m_bLoaded;
}

void PmAddrUtil::Unload() {
    m_pDataMgr->Clear();
    ResetLoad({});
    m_bLoaded = false;
}

bool PmAddrUtil::SaveInPlace() {
    if (m_path.empty()) {
        m_lastError = "no file to save to";
        return false;
    }
    return Save(m_path.c_str());
}

bool PmAddrUtil::Save(const char* path) {
    return Write(path == nullptr ? std::string() : std::string(path), nullptr);
}

bool PmAddrUtil::SaveToBytes(std::vector<std::uint8_t>& bytes) {
    return Write(m_path, &bytes);
}

bool PmAddrUtil::Write(const std::string& target, std::vector<std::uint8_t>* bytes) {
    TL_ASSERT(m_pDataMgr);
    if (!BeginSave(target)) {
        return false;
    }
    const bool ok = WriteInt32(static_cast<std::int32_t>(m_versionTag)) &&
                    WriteStoredFileName(target) && WriteTableString() && WriteCategories() &&
                    WriteSchema() && WriteRecords() && WriteTrailer();
    return FinishSave(ok, bytes);
}

bool PmAddrUtil::ReadVersionTag() {
    return ReadVersionTagOf(m_versionTag, "classic Palm address book");
}

// The whole table string is kept, not only its first lines, so that a save gives it back intact.
bool PmAddrUtil::ReadTableString() {
    return ReadWholeTableString();
}

bool PmAddrUtil::ReadCategories() {
    return ReadCategoryBlock();
}

bool PmAddrUtil::ReadSchema() {
    return ReadSchemaBlock();
}

bool PmAddrUtil::ReadRecords() {
    m_pDataMgr->Clear();
    const bool hasCategory = m_schema.fieldsPerRow > palm::kAddrCategory;
    return ReadRows(Codec(), [this, hasCategory](void* row) {
        auto* record = static_cast<PmAddrRec*>(row);
        if (hasCategory) {
            GetCategoryName(record->Category, record->CategoryName);
        }
        return m_pDataMgr->Add(record);
    });
}

bool PmAddrUtil::WriteCategories() {
    return WriteCategoryBlock();
}

bool PmAddrUtil::WriteSchema() {
    return WriteSchemaBlock();
}

bool PmAddrUtil::WriteRecords() {
    if (!WriteEntryCount(m_pDataMgr->Count())) {
        return false;
    }
    for (const PmAddrRec* record = m_pDataMgr->First(); record != nullptr;
         record = m_pDataMgr->Next()) {
        if (!WriteRecord(record)) {
            return false;
        }
    }
    return true;
}

bool PmAddrUtil::WriteRecord(const PmAddrRec* record) {
    return record != nullptr && WriteRow(Codec(), record);
}

} // namespace twinleaf
