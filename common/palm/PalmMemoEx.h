// The extended memo pad, memopad.dat as later Palm Desktop 4.x releases write it: its record, its
// record list and its field table. The load and save steps are those every extended file shares
// (PmExtendedFile).
#pragma once

#include "common/palm/PalmExtended.h"
#include "common/palm/PalmMemo.h"

#include <array>
#include <cstdint>

namespace twinleaf {

namespace palm {
inline constexpr std::uint32_t kMemoExVersionTag = 0x4D500200; // bytes 00 02 50 4D
inline constexpr Schema kMemoExSchema = {64, 14, 0, 2, 4};
inline constexpr int kMemoExFieldCount = 14;
inline constexpr std::array<std::int16_t, kMemoExFieldCount> kMemoExFieldTypes = {
    1, 1, 1, 1, 1, 1, 6, 64, 65, 66, 67, 5, 5, 5};
} // namespace palm

// One extended memo row. The memo is held up to 8191 characters; what the file held beyond that is
// written back from the file as long as the program leaves the memo alone.
struct PmMemoExRec {
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
    TextField<8192> Memo;
    TextField<33> CategoryName; // not in the file
    std::uint32_t FileRow;      // not in the file: 1-based row it was read from, 0 for a new record
};

// Every row of the file, deleted and archived ones too, each owning its blobs.
class PmMemoExDataMgr : public PmRecordList<PmMemoExRec, ExtendedBlobs> {};

extern const ExtendedFileKind kMemoExtendedFile;

class PmMemoExUtil : public PmExtendedFile<PmMemoExRec, PmMemoExDataMgr> {
public:
    PmMemoExUtil();
    // Loads the file at once; IsLoaded() tells how that went.
    explicit PmMemoExUtil(const char* path);

protected:
    const RowCodec& Codec() const override;
};

} // namespace twinleaf
