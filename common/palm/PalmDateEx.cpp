// The extended date book's field table.
#include "common/palm/PalmDateEx.h"

#include "common/palm/PalmDate.h"

#include <cstddef>

namespace twinleaf {
namespace {

constexpr std::size_t kOwnFields = palm::kDateExFieldCount - palm::kExtendedPrefixFields;

#define TL_FIELD(kind, member)                                                                     \
    RowField {                                                                                     \
        RowValue::kind, TL_OFFSET_WIDTH(PmDateExRec, member)                                       \
    }

// Fields 11 to 26 as the row holds them.
constexpr std::array<RowField, palm::kDateExFieldCount> kRow =
    ExtendedRow<PmDateExRec>(std::array<RowField, kOwnFields>{
        TL_FIELD(Text, Carried11),
        TL_FIELD(Text, Carried12),
        TL_FIELD(Date, StartTime),
        TL_FIELD(Date, EndTime),
        TL_FIELD(Text, Description),
        TL_FIELD(Int, Carried16),
        TL_FIELD(Text, Note),
        TL_FIELD(Bool, AllDayEvent),
        TL_FIELD(Bool, Carried19),
        TL_FIELD(Int, Carried20),
        TL_FIELD(Int, Carried21),
        TL_FIELD(Repeat, Repeat),
        TL_FIELD(Text, Location),
        TL_FIELD(Int, Carried24),
        TL_FIELD(Text, Carried25),
        TL_FIELD(Text, Carried26),
    });

#undef TL_FIELD

const RowCodec kCodec = RowCodecOf<PmDateExRec>(kRow);

} // namespace

const ExtendedFileKind kDateExtendedFile = {
    palm::kDateExVersionTag, palm::kDateVersionTag,        "extended Palm date book",
    palm::kDateExSchema,     palm::kDateExFieldTypes,      "datebook",
    "datebook.dat",          palm::kDateExNameTrailerSize, 0x00,
};

PmDateExUtil::PmDateExUtil() : PmExtendedFile(kDateExtendedFile) {}

PmDateExUtil::PmDateExUtil(const char* path) : PmDateExUtil() {
    Load(path);
}

const RowCodec& PmDateExUtil::Codec() const {
    return kCodec;
}

} // namespace twinleaf
