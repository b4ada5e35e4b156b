// The extended memo pad's field table.
#include "common/palm/PalmMemoEx.h"

#include <cstddef>

namespace twinleaf {
namespace {

using R = PmMemoExRec;

constexpr auto kRow = ExtendedRow<R>(std::array<RowField, 3>{{
    {RowValue::Text, offsetof(R, Text11), MemberWidth<decltype(R::Text11)>::value},
    {RowValue::Text, offsetof(R, Text12), MemberWidth<decltype(R::Text12)>::value},
    {RowValue::Text, offsetof(R, Memo), MemberWidth<decltype(R::Memo)>::value},
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
