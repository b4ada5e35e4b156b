// The classic address book, address.dat of Palm Desktop 4.x: its record, its record list and its
// field table. The layout of a row is in PalmLayout.h; the load and save steps are those every
// classic file shares (PmClassicFile).
#pragma once

#include "common/palm/PalmClassic.h"

#include <cstdint>

namespace twinleaf {

// One contact row. Texts are zero-terminated and cut to their slot on reading; what the file held
// beyond a slot is written back from the file as long as the program leaves the field alone.
struct PmAddrRec {
    std::int32_t RecordId;
    std::int32_t Status;
    std::int32_t Position;
    TextField<32> LastName;
    TextField<32> FirstName;
    TextField<32> Title;
    TextField<256> Company;
    std::int32_t PhoneLabel1;
    std::int32_t PhoneLabel2;
    std::int32_t PhoneLabel3;
    std::int32_t PhoneLabel4;
    std::int32_t PhoneLabel5;
    TextField<32> Phone1;
    TextField<32> Phone2;
    TextField<32> Phone3;
    TextField<32> Phone4;
    TextField<32> Phone5;
    TextField<256> Address;
    TextField<32> City;
    TextField<32> State;
    TextField<32> Zip;
    TextField<32> Country;
    TextField<2048> Note;
    std::int32_t Private;
    std::int32_t Category;
    TextField<64> Custom1;
    TextField<64> Custom2;
    TextField<64> Custom3;
    TextField<64> Custom4;
    std::int32_t DisplayPhone;
    TextField<16> CategoryName; // not in the file: the name of Category, filled on reading
    std::uint32_t FileRow;      // not in the file: 1-based row it was read from, 0 for a new record
};

// The "SwapName" value of section "Brightcard" in the settings file: names are swapped exactly
// when it is 1.
bool ReadSwapNameSetting();

class PmAddrDataMgr : public PmRecordList<PmAddrRec> {};

// The classic address book's version tag, schema, type list and place in the user's folder.
extern const ClassicFileKind kAddrClassicFile;

class PmAddrUtil : public PmClassicFile<PmAddrRec, PmAddrDataMgr> {
public:
    PmAddrUtil();
    // Loads the file at once; IsLoaded() tells how that went.
    explicit PmAddrUtil(const char* path);

    // Whether file fields 3 and 4 are exchanged; must be the same at load and at save.
    void SetSwapName(bool swap) { m_bSwapName = swap; }
    bool GetSwapName() const { return m_bSwapName; }

protected:
    const RowCodec& Codec() const override;
    void CompleteRow(PmAddrRec& record) override;

private:
    bool m_bSwapName = false;
};

} // namespace twinleaf
