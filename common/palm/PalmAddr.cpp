// The classic address book's field table and settings.
#include "common/palm/PalmAddr.h"

#include "common/misc/WinUtil.h"
#include "platform/ini/Profile.h"

#include <array>
#include <cstddef>

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
        RowValue::Text, TL_OFFSET_WIDTH(PmAddrRec, member)                                         \
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

const RowCodec kCodec = RowCodecOf<PmAddrRec>(kRow);
const RowCodec kSwappedCodec = RowCodecOf<PmAddrRec>(kSwappedRow);

} // namespace

bool ReadSwapNameSetting() {
    return win::GetPrivateProfileIntA("Brightcard", "SwapName", 0, settingsFilePath().c_str()) == 1;
}

const ClassicFileKind kAddrClassicFile = {
    palm::kAddrVersionTag,
    "classic Palm address book",
    palm::kAddrSchema,
    palm::kAddrFieldTypes,
    "address",
    "address.dat",
};

PmAddrUtil::PmAddrUtil() : PmClassicFile(kAddrClassicFile) {
    m_bSwapName = ReadSwapNameSetting();
}

PmAddrUtil::PmAddrUtil(const char* path) : PmAddrUtil() {
    Load(path);
}

const RowCodec& PmAddrUtil::Codec() const {
    return m_bSwapName ? kSwappedCodec : kCodec;
}

void PmAddrUtil::CompleteRow(PmAddrRec& record) {
    if (m_schema.fieldsPerRow > palm::kAddrCategory) {
        GetCategoryName(record.Category, record.CategoryName);
    }
}

} // namespace twinleaf
