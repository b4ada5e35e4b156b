// The extended address book, address.dat as later Palm Desktop 4.x releases write it: its record,
// record list and field table, and the label block that only the contacts' header has. The
// signature, header and rows are read and written by the layout every extended file shares.
#pragma once

#include "common/palm/PalmExtended.h"

#include <array>
#include <cstdint>

namespace twinleaf {

namespace palm {
inline constexpr std::uint32_t kAddrExVersionTag = 0x41420200; // bytes 00 02 42 41
inline constexpr Schema kAddrExSchema = {74, 73, 0, 2, 4};
inline constexpr int kAddrExFieldCount = 73;
inline constexpr int kAddrExPhoneSlots = 7;
inline constexpr int kAddrExCustomFields = 9;
inline constexpr std::size_t kAddrExNameTrailerSize = 11;
// The custom field labels: nine texts, each followed by a word, then a trailer.
inline constexpr int kAddrExLabels = 9;
inline constexpr std::size_t kAddrExLabelMax = 32;
inline constexpr std::size_t kAddrExLabelTrailerSize = 42;
// The type list Palm Desktop writes; field 6 (private) and field 66 are flags, 65 the 8-byte
// birthday, 7 to 10 the blobs.
inline constexpr std::array<std::int16_t, kAddrExFieldCount> kAddrExFieldTypes = {
    1,  1,  1,  1,  1, 1, 6,       // record id ... category, private
    64, 65, 66, 67,                // blobs
    5,  5,  5,  5,  5, 5,          // 11 to 16
    1,                             // 17
    5,  5,  5,  5,  5, 5, 5, 5,    // note, phones 1 to 7
    1,  1,  1,  1,  1, 1, 1,       // phone labels 1 to 7
    5,  5,  5,  5,  5, 5, 5, 5, 5, // custom 1 to 9
    1,  5,  5,  5,  5, 5,          // first address
    1,  5,  5,  5,  5, 5,          // second address
    1,  5,  5,  5,  5, 5, 5, 5,    // third address, instant messaging 1 and 2
    1,  1,  5,                     // 62 to 64
    68,                            // birthday
    6,  1,  1,                     // 66 to 68
    5,  5,  5,  5,                 // 69 to 72
};
} // namespace palm

// One street address of the extended contact.
struct PmAddrExAddress {
    TextField<256> Street;
    TextField<32> City;
    TextField<32> State;
    TextField<32> Zip;
    TextField<32> Country;
};

// One contact row of the extended file. The Carried members are read and written back as they are;
// nothing in the program gives them a meaning.
struct PmAddrExRec {
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
    TextField<32> FirstName; // file field 13 (14 when names are swapped)
    TextField<32> LastName;  // file field 14 (13 when names are swapped)
    TextField<32> Title;
    TextField<256> Company;
    std::int32_t Carried17;
    TextField<2048> Note;
    TextField<32> Phone1;
    TextField<32> Phone2;
    TextField<32> Phone3;
    TextField<32> Phone4;
    TextField<32> Phone5;
    TextField<32> Phone6;
    TextField<32> Phone7;
    std::int32_t PhoneLabel1;
    std::int32_t PhoneLabel2;
    std::int32_t PhoneLabel3;
    std::int32_t PhoneLabel4;
    std::int32_t PhoneLabel5;
    std::int32_t PhoneLabel6;
    std::int32_t PhoneLabel7;
    TextField<256> Custom1;
    TextField<256> Custom2;
    TextField<256> Custom3;
    TextField<256> Custom4;
    TextField<256> Custom5;
    TextField<256> Custom6;
    TextField<256> Custom7;
    TextField<256> Custom8;
    TextField<256> Custom9;
    std::int32_t AddressType1;
    PmAddrExAddress Address1;
    std::int32_t AddressType2;
    PmAddrExAddress Address2;
    std::int32_t AddressType3;
    PmAddrExAddress Address3;
    TextField<32> IM1Text;
    TextField<32> IM2Text;
    std::int32_t Carried62;
    std::int32_t Carried63;
    TextField<256> Carried64;
    double BirthdayValue; // a day count, shifted against OLE dates (kPalmDateOffset)
    std::int32_t Carried66;
    std::int32_t Carried67;
    std::int32_t Carried68;
    TextField<32> Carried69;
    TextField<32> Carried70;
    TextField<32> Carried71;
    TextField<32> Carried72;
    TextField<20> CategoryName; // not in the file: the name of Category, filled on reading
    std::uint32_t FileRow;      // not in the file: 1-based row it was read from, 0 for a new record
};

// Every row of the file, deleted and archived ones too; each record owns its blobs' data.
class PmAddrExDataMgr : public PmRecordList<PmAddrExRec, ExtendedBlobs> {};

extern const ExtendedFileKind kAddrExtendedFile;

class PmAddrExUtil : public PmExtendedFile<PmAddrExRec, PmAddrExDataMgr> {
public:
    PmAddrExUtil();
    // Loads the file at once; IsLoaded() tells how that went.
    explicit PmAddrExUtil(const char* path);

    // Whether file fields 13 and 14 are exchanged; must be the same at load and at save.
    void SetSwapName(bool swap) { m_bSwapName = swap; }
    bool GetSwapName() const { return m_bSwapName; }

    // The custom field labels of the header, as read (empty in a new file).
    const char* GetLabel(int index) const;
    bool SetLabel(int index, const char* text);

protected:
    const RowCodec& Codec() const override;
    bool ReadLabels() override;
    bool WriteLabels() override;

private:
    // The word after each label is kept as read: Palm Desktop gives it a meaning we do not know,
    // and writing 0 in its place would change a file nobody asked us to change.
    struct Label {
        char text[palm::kAddrExLabelMax + 1];
        std::int32_t word;
    };
    bool m_bSwapName = false;
    std::array<Label, palm::kAddrExLabels> m_labels{};
    std::array<std::uint8_t, palm::kAddrExLabelTrailerSize> m_labelTrailer{};
};

} // namespace twinleaf
