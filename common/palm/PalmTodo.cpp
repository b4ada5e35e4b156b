// The classic to-do list's field table.
#include "common/palm/PalmTodo.h"

#include <cstddef>

namespace twinleaf {
namespace {

constexpr RowField kRow[palm::kTodoFieldCount] = {
    {RowValue::Int, offsetof(PmTodoRec, RecordId), 4},
    {RowValue::Int, offsetof(PmTodoRec, Status), 4},
    {RowValue::Int, offsetof(PmTodoRec, Position), 4},
    {RowValue::Text, TL_OFFSET_WIDTH(PmTodoRec, Description)},
    {RowValue::Date, offsetof(PmTodoRec, DueDate), 4},
    {RowValue::Bool, offsetof(PmTodoRec, Completed), 4},
    {RowValue::Int, offsetof(PmTodoRec, Priority), 4},
    {RowValue::Bool, offsetof(PmTodoRec, Private), 4},
    {RowValue::Int, offsetof(PmTodoRec, Category), 4},
    {RowValue::Text, TL_OFFSET_WIDTH(PmTodoRec, Note)},
};

const RowCodec kCodec = RowCodecOf<PmTodoRec>(kRow);

} // namespace

const ClassicFileKind kTodoClassicFile = {
    palm::kTodoVersionTag,
    "classic Palm to-do list",
    palm::kTodoSchema,
    palm::kTodoFieldTypes,
    "todo",
    "todo.dat",
};

PmTodoUtil::PmTodoUtil() : PmClassicFile(kTodoClassicFile) {}

PmTodoUtil::PmTodoUtil(const char* path) : PmTodoUtil() {
    Load(path);
}

const RowCodec& PmTodoUtil::Codec() const {
    return kCodec;
}

} // namespace twinleaf
