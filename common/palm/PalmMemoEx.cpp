// The extended memo pad's field table.
#include "common/palm/PalmMemoEx.h"

#include <cstddef>

namespace twinleaf {
namespace {

using R = PmMemoExRec;

constexpr auto kRow = ExtendedRow<R>(std::array<RowField, 3>{{
    {RowValue::Text, TL_OFFSET_WIDTH(R, Text11)},
    {RowValue::Text, TL_OFFSET_WIDTH(R, Text12)},
    {RowValue::Text, TL_OFFSET_WIDTH(R, Memo)},
}});
static_assert(kRow.size() == palm::kMemoExFieldCount);

const RowCodec kCodec = RowCodecOf<R>(kRow);

} // namespace

const ExtendedFileKind kMemoExtendedFile = {
    palm::kMemoExVersionTag,
    palm::kMemoVersionTag,
    "extended Palm memo pad",
    palm::kMemoExSchema,
    palm::kMemoExFieldTypes,
    "memopad",
    "memopad.dat",
    43,
    0,
};

PmMemoExUtil::PmMemoExUtil() : PmExtendedFile(kMemoExtendedFile) {}

PmMemoExUtil::PmMemoExUtil(const char* path) : PmMemoExUtil() {
    Load(path);
}

const RowCodec& PmMemoExUtil::Codec() const {
    return kCodec;
}

} // namespace twinleaf
