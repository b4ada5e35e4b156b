// The extended address book's field table and its label block.
#include "common/palm/PalmAddrEx.h"

#include "common/palm/PalmAddr.h"

#include <cstddef>
#include <cstring>

namespace twinleaf {
namespace {

constexpr std::size_t kOwnFields = palm::kAddrExFieldCount - palm::kExtendedPrefixFields;

#define TL_FIELD(kind, member)                                                                     \
    RowField {                                                                                     \
        RowValue::kind, TL_OFFSET_WIDTH(PmAddrExRec, member)                                       \
    }
#define TL_ADDRESS(n)                                                                              \
    TL_FIELD(Int, AddressType##n), TL_FIELD(Text, Address##n.Street),                              \
        TL_FIELD(Text, Address##n.City), TL_FIELD(Text, Address##n.State),                         \
        TL_FIELD(Text, Address##n.Zip), TL_FIELD(Text, Address##n.Country)

// Fields 11 to 72 as the row holds them; with names swapped fields 13 and 14 change places.
constexpr std::array<RowField, palm::kAddrExFieldCount> makeRow(bool swapNames) {
    return ExtendedRow<PmAddrExRec>(std::array<RowField, kOwnFields>{
        TL_FIELD(Text, Carried11),
        TL_FIELD(Text, Carried12),
        swapNames ? TL_FIELD(Text, LastName) : TL_FIELD(Text, FirstName),
        swapNames ? TL_FIELD(Text, FirstName) : TL_FIELD(Text, LastName),
        TL_FIELD(Text, Title),
        TL_FIELD(Text, Company),
        TL_FIELD(Int, Carried17),
        TL_FIELD(Text, Note),
        TL_FIELD(Text, Phone1),
        TL_FIELD(Text, Phone2),
        TL_FIELD(Text, Phone3),
        TL_FIELD(Text, Phone4),
        TL_FIELD(Text, Phone5),
        TL_FIELD(Text, Phone6),
        TL_FIELD(Text, Phone7),
        TL_FIELD(Int, PhoneLabel1),
        TL_FIELD(Int, PhoneLabel2),
        TL_FIELD(Int, PhoneLabel3),
        TL_FIELD(Int, PhoneLabel4),
        TL_FIELD(Int, PhoneLabel5),
        TL_FIELD(Int, PhoneLabel6),
        TL_FIELD(Int, PhoneLabel7),
        TL_FIELD(Text, Custom1),
        TL_FIELD(Text, Custom2),
        TL_FIELD(Text, Custom3),
        TL_FIELD(Text, Custom4),
        TL_FIELD(Text, Custom5),
        TL_FIELD(Text, Custom6),
        TL_FIELD(Text, Custom7),
        TL_FIELD(Text, Custom8),
        TL_FIELD(Text, Custom9),
        TL_ADDRESS(1),
        TL_ADDRESS(2),
        TL_ADDRESS(3),
        TL_FIELD(Text, IM1Text),
        TL_FIELD(Text, IM2Text),
        TL_FIELD(Int, Carried62),
        TL_FIELD(Int, Carried63),
        TL_FIELD(Text, Carried64),
        TL_FIELD(Int64, BirthdayValue),
        TL_FIELD(Bool, Carried66),
        TL_FIELD(Int, Carried67),
        TL_FIELD(Int, Carried68),
        TL_FIELD(Text, Carried69),
        TL_FIELD(Text, Carried70),
        TL_FIELD(Text, Carried71),
        TL_FIELD(Text, Carried72),
    });
}

#undef TL_ADDRESS
#undef TL_FIELD

constexpr std::array<RowField, palm::kAddrExFieldCount> kRow = makeRow(false);
constexpr std::array<RowField, palm::kAddrExFieldCount> kSwappedRow = makeRow(true);

const RowCodec kCodec = RowCodecOf<PmAddrExRec>(kRow);
const RowCodec kSwappedCodec = RowCodecOf<PmAddrExRec>(kSwappedRow);

} // namespace

const ExtendedFileKind kAddrExtendedFile = {
    palm::kAddrExVersionTag, palm::kAddrVersionTag,        "extended Palm address book",
    palm::kAddrExSchema,     palm::kAddrExFieldTypes,      "address",
    "address.dat",           palm::kAddrExNameTrailerSize, 0x01,
};

PmAddrExUtil::PmAddrExUtil() : PmExtendedFile(kAddrExtendedFile) {
    m_bSwapName = ReadSwapNameSetting();
}

PmAddrExUtil::PmAddrExUtil(const char* path) : PmAddrExUtil() {
    Load(path);
}

const RowCodec& PmAddrExUtil::Codec() const {
    return m_bSwapName ? kSwappedCodec : kCodec;
}

const char* PmAddrExUtil::GetLabel(int index) const {
    return index >= 0 && index < palm::kAddrExLabels ? m_labels[std::size_t(index)].text : "";
}

bool PmAddrExUtil::SetLabel(int index, const char* text) {
    if (index < 0 || index >= palm::kAddrExLabels || text == nullptr ||
        std::strlen(text) > palm::kAddrExLabelMax) {
        return false;
    }
    Label& label = m_labels[std::size_t(index)];
    std::memset(label.text, 0, sizeof label.text);
    std::memcpy(label.text, text, std::strlen(text));
    return true;
}

bool PmAddrExUtil::ReadLabels() {
    m_labels = {};
    m_labelTrailer = {};
    for (std::size_t i = 0; i < m_labels.size(); ++i) {
        const std::size_t start = GetFilePosition();
        std::uint32_t capacity = sizeof m_labels[i].text;
        if (!ReadCString(m_labels[i].text, &capacity)) {
            return FailAt(LoadResult::Damaged, start,
                          capacity >= sizeof m_labels[i].text
                              ? "custom field label " + std::to_string(i + 1) + " has " +
                                    std::to_string(capacity) + " characters, more than " +
                                    std::to_string(palm::kAddrExLabelMax)
                              : "the file ends inside custom field label " + std::to_string(i + 1));
        }
        if (!ReadInt32(m_labels[i].word)) {
            return FailAt(LoadResult::Damaged, start,
                          "the file ends after custom field label " + std::to_string(i + 1));
        }
    }
    const std::size_t start = GetFilePosition();
    if (!ReadBytes(m_labelTrailer.data(), m_labelTrailer.size())) {
        return FailAt(LoadResult::Damaged, start, "the custom field labels' trailer is cut short");
    }
    return true;
}

bool PmAddrExUtil::WriteLabels() {
    for (const Label& label : m_labels) {
        if (!WriteCString(label.text) || !WriteInt32(label.word)) {
            return false;
        }
    }
    return WriteBytes(m_labelTrailer.data(), m_labelTrailer.size());
}

} // namespace twinleaf
