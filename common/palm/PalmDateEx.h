// The extended date book, datebook.dat as later Palm Desktop 4.x releases write it: its record,
// record list and field table. The signature, header and rows are read and written by the layout
// every extended file shares; the repeat field is the row engine's, as in the classic date book.
#pragma once

#include "common/palm/PalmExtended.h"

#include <array>
#include <cstdint>

namespace twinleaf {

namespace palm {
inline constexpr std::uint32_t kDateExVersionTag = 0x44420200; // bytes 00 02 42 44
inline constexpr Schema kDateExSchema = {54, 27, 0, 2, 4};
inline constexpr int kDateExFieldCount = 27;
inline constexpr std::size_t kDateExNameTrailerSize = 43;
inline constexpr std::array<std::int16_t, kDateExFieldCount> kDateExFieldTypes = {
    1, 1, 1, 1, 1, 1, 6, 64, 65, 66, 67, 5, 5, 3, 3, 5, 1, 5, 6, 6, 1, 1, 8, 5, 1, 5, 5};
} // namespace palm

// One appointment row of the extended file. The Carried members are read and written back as they
// are; nothing in the program gives them a meaning.
struct PmDateExRec {
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
    TextField<32> Carried11;
    TextField<32> Carried12;
    std::int32_t StartTime; // seconds since 1970, local time; -1 is kept and listed
    std::int32_t EndTime;
    TextField<256> Description;
    std::int32_t Carried16;
    TextField<8192> Note;
    std::int32_t AllDayEvent;
    std::int32_t Carried19;
    std::int32_t Carried20;
    std::int32_t Carried21;
    RepeatValue Repeat;
    TextField<256> Location;
    std::int32_t Carried24;
    TextField<32> Carried25;
    TextField<32> Carried26;
    TextField<32> CategoryName; // not in the file: the name of Category, filled on reading
    std::uint32_t FileRow;      // not in the file: 1-based row it was read from, 0 for a new record
};

// Every row of the file, deleted and archived ones too; each record owns its blobs' data.
class PmDateExDataMgr : public PmRecordList<PmDateExRec, ExtendedBlobs> {};

extern const ExtendedFileKind kDateExtendedFile;

class PmDateExUtil : public PmExtendedFile<PmDateExRec, PmDateExDataMgr> {
public:
    PmDateExUtil();
    // Loads the file at once; IsLoaded() tells how that went.
    explicit PmDateExUtil(const char* path);

protected:
    const RowCodec& Codec() const override;
};

} // namespace twinleaf
