// The classic memo pad, memopad.dat of Palm Desktop 4.x: its record, its record list and its
// field table. The load and save steps are those every classic file shares (PmClassicFile).
#pragma once

#include "common/palm/PalmClassic.h"

#include <array>
#include <cstdint>

namespace twinleaf {

namespace palm {
inline constexpr std::uint32_t kMemoVersionTag = 0x4D500100; // bytes 00 01 50 4D
inline constexpr Schema kMemoSchema = {64, 6, 0, 1, 2};
inline constexpr int kMemoFieldCount = 6;
inline constexpr std::array<std::int16_t, kMemoFieldCount> kMemoFieldTypes = {1, 1, 1, 5, 6, 1};
} // namespace palm

// One memo row. The text is the whole memo; it is held up to 8191 characters, and what the file
// held beyond that is written back from the file as long as the program leaves the memo alone.
struct PmMemoRec {
    std::int32_t RecordId;
    std::int32_t Status;
    std::int32_t Position;
    TextField<8192> Text;
    std::int32_t Private;
    std::int32_t Category;
    std::uint32_t FileRow; // not in the file: 1-based row it was read from, 0 for a new record
};

// Every row of the file, deleted and archived ones too, so that a save keeps them.
class PmMemoDataMgr : public PmRecordList<PmMemoRec> {};

extern const ClassicFileKind kMemoClassicFile;

class PmMemoUtil : public PmClassicFile<PmMemoRec, PmMemoDataMgr> {
public:
    PmMemoUtil();
    // Loads the file at once; IsLoaded() tells how that went.
    explicit PmMemoUtil(const char* path);

protected:
    const RowCodec& Codec() const override;
};

} // namespace twinleaf
