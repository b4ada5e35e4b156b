// The extended to-do list, todo.dat as later Palm Desktop 4.x releases write it: its record, its
// record list and its field table. The load and save steps are those every extended file shares
// (PmExtendedFile).
#pragma once

#include "common/palm/PalmExtended.h"
#include "common/palm/PalmTodo.h"

#include <array>
#include <cstdint>

namespace twinleaf {

namespace palm {
inline constexpr std::uint32_t kTodoExVersionTag = 0x54440200; // bytes 00 02 44 54
inline constexpr Schema kTodoExSchema = {44, 25, 0, 2, 4};
inline constexpr int kTodoExFieldCount = 25;
inline constexpr std::array<std::int16_t, kTodoExFieldCount> kTodoExFieldTypes = {
    1, 1, 1, 1, 1, 1, 6, 64, 65, 66, 67, 5, 5, 5, 3, 6, 1, 5, 6, 3, 6, 3, 1, 3, 8};
} // namespace palm

// One extended to-do row. Fields the program gives no meaning are named by their place in the row
// and written back as read.
struct PmTodoExRec {
    std::int32_t RecordId;
    std::int32_t SequenceNo;
    std::int32_t Status;
    std::int32_t EntryIndex;
    std::int32_t Position;
    std::int32_t Category;
    std::int32_t Private;
    BlobValue Blob1;
    BlobValue Blob2;
    BlobValue Blob3;
    BlobValue Blob4;
    TextField<32> Text11;
    TextField<32> Text12;
    TextField<256> Description;
    std::int32_t DueDate; // seconds since 1970; palm::kTodoNoDueDate for none
    std::int32_t Completed;
    std::int32_t Priority; // 1 highest to 5 lowest
    TextField<8192> Note;
    std::int32_t Flag18;
    std::int32_t Date19;
    std::int32_t Flag20; // the alarm flag
    std::int32_t Date21;
    std::int32_t Number22;
    std::int32_t Date23;
    RepeatValue Repeat;
    TextField<32> CategoryName; // not in the file
    std::uint32_t FileRow;      // not in the file: 1-based row it was read from, 0 for a new record
};

// Every row of the file, deleted and archived ones too, each owning its blobs.
class PmTodoExDataMgr : public PmRecordList<PmTodoExRec, ExtendedBlobs> {};

extern const ExtendedFileKind kTodoExtendedFile;

class PmTodoExUtil : public PmExtendedFile<PmTodoExRec, PmTodoExDataMgr> {
public:
    PmTodoExUtil();
    // Loads the file at once; IsLoaded() tells how that went.
    explicit PmTodoExUtil(const char* path);

protected:
    const RowCodec& Codec() const override;
};

} // namespace twinleaf
