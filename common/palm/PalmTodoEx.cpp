// The extended to-do list's field table.
#include "common/palm/PalmTodoEx.h"

#include <cstddef>

namespace twinleaf {
namespace {

using R = PmTodoExRec;

constexpr auto kRow = ExtendedRow<R>(std::array<RowField, 14>{{
    {RowValue::Text, TL_OFFSET_WIDTH(R, Text11)},
    {RowValue::Text, TL_OFFSET_WIDTH(R, Text12)},
    {RowValue::Text, TL_OFFSET_WIDTH(R, Description)},
    {RowValue::Date, offsetof(R, DueDate), 4},
    {RowValue::Bool, offsetof(R, Completed), 4},
    {RowValue::Int, offsetof(R, Priority), 4},
    {RowValue::Text, TL_OFFSET_WIDTH(R, Note)},
    {RowValue::Bool, offsetof(R, Flag18), 4},
    {RowValue::Date, offsetof(R, Date19), 4},
    {RowValue::Bool, offsetof(R, Flag20), 4},
    {RowValue::Date, offsetof(R, Date21), 4},
    {RowValue::Int, offsetof(R, Number22), 4},
    {RowValue::Date, offsetof(R, Date23), 4},
    {RowValue::Repeat, offsetof(R, Repeat), sizeof(RepeatValue)},
}});
static_assert(kRow.size() == palm::kTodoExFieldCount);

const RowCodec kCodec = RowCodecOf<R>(kRow);

} // namespace

const ExtendedFileKind kTodoExtendedFile = {
    palm::kTodoExVersionTag,
    palm::kTodoVersionTag,
    "extended Palm to-do list",
    palm::kTodoExSchema,
    palm::kTodoExFieldTypes,
    "todo",
    "todo.dat",
    43,
    0,
};

PmTodoExUtil::PmTodoExUtil() : PmExtendedFile(kTodoExtendedFile) {}

PmTodoExUtil::PmTodoExUtil(const char* path) : PmTodoExUtil() {
    Load(path);
}

const RowCodec& PmTodoExUtil::Codec() const {
    return kCodec;
}

} // namespace twinleaf
