// The classic to-do list, todo.dat of Palm Desktop 4.x: its record, its record list and its field
// table. The load and save steps are those every classic file shares (PmClassicFile).
#pragma once

#include "common/palm/PalmClassic.h"

#include <array>
#include <cstdint>

namespace twinleaf {

namespace palm {
inline constexpr std::uint32_t kTodoVersionTag = 0x54440100; // bytes 00 01 44 54
inline constexpr Schema kTodoSchema = {44, 10, 0, 1, 2};
inline constexpr int kTodoFieldCount = 10;
inline constexpr std::array<std::int16_t, kTodoFieldCount> kTodoFieldTypes = {1, 1, 1, 5, 3,
                                                                              6, 1, 6, 1, 5};
// The due date Palm Desktop gives a to-do that has none: 31 December 2031, 23:59:59 UTC.
inline constexpr std::int32_t kTodoNoDueDate = 0x749EA1EF;
} // namespace palm

// One to-do row. Texts are zero-terminated and cut to their slot on reading; what the file held
// beyond a slot is written back from the file as long as the program leaves the field alone.
struct PmTodoRec {
    std::int32_t RecordId;
    std::int32_t Status;
    std::int32_t Position;
    TextField<8192> Description;
    std::int32_t DueDate; // seconds since 1970; palm::kTodoNoDueDate for none
    std::int32_t Completed;
    std::int32_t Priority; // 1 highest to 5 lowest
    std::int32_t Private;
    std::int32_t Category;
    TextField<8192> Note;
    std::uint32_t FileRow; // not in the file: 1-based row it was read from, 0 for a new record
};

// Every row of the file, deleted and archived ones too, so that a save keeps them.
class PmTodoDataMgr : public PmRecordList<PmTodoRec> {};

extern const ClassicFileKind kTodoClassicFile;

class PmTodoUtil : public PmClassicFile<PmTodoRec, PmTodoDataMgr> {
public:
    PmTodoUtil();
    // Loads the file at once; IsLoaded() tells how that went.
    explicit PmTodoUtil(const char* path);

protected:
    const RowCodec& Codec() const override;
};

} // namespace twinleaf
