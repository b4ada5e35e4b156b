// The classic memo pad's field table.
#include "common/palm/PalmMemo.h"

#include <cstddef>

namespace twinleaf {
namespace {

constexpr RowField kRow[palm::kMemoFieldCount] = {
    {RowValue::Int, offsetof(PmMemoRec, RecordId), 4},
    {RowValue::Int, offsetof(PmMemoRec, Status), 4},
    {RowValue::Int, offsetof(PmMemoRec, Position), 4},
    {RowValue::Text, TL_OFFSET_WIDTH(PmMemoRec, Text)},
    {RowValue::Bool, offsetof(PmMemoRec, Private), 4},
    {RowValue::Int, offsetof(PmMemoRec, Category), 4},
};

const RowCodec kCodec = RowCodecOf<PmMemoRec>(kRow);

} // namespace

const ClassicFileKind kMemoClassicFile = {
    palm::kMemoVersionTag,
    "classic Palm memo pad",
    palm::kMemoSchema,
    palm::kMemoFieldTypes,
    "memopad",
    "memopad.dat",
};

PmMemoUtil::PmMemoUtil() : PmClassicFile(kMemoClassicFile) {}

PmMemoUtil::PmMemoUtil(const char* path) : PmMemoUtil() {
    Load(path);
}

const RowCodec& PmMemoUtil::Codec() const {
    return kCodec;
}

} // namespace twinleaf
