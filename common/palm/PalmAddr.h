// The classic address book, address.dat of Palm Desktop 4.x: its record, its record list and the
// reader and writer. The layout of a row is in PalmLayout.h; the load and save steps are those
// every classic file shares (PmDBUtil).
#pragma once

#include "common/palm/PalmComm.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace twinleaf {

// One contact row. Texts are zero-terminated and cut to their slot on reading; what the file held
// beyond a slot is written back from the file as long as the program leaves the field alone.
struct PmAddrRec {
    std::int32_t RecordId;
    std::int32_t Status;
    std::int32_t Position;
    char LastName[32];
    char FirstName[32];
    char Title[32];
    char Company[256];
    std::int32_t PhoneLabel1;
    std::int32_t PhoneLabel2;
    std::int32_t PhoneLabel3;
    std::int32_t PhoneLabel4;
    std::int32_t PhoneLabel5;
    char Phone1[32];
    char Phone2[32];
    char Phone3[32];
    char Phone4[32];
    char Phone5[32];
    char Address[256];
    char City[32];
    char State[32];
    char Zip[32];
    char Country[32];
    char Note[2048];
    std::int32_t Private;
    std::int32_t Category;
    char Custom1[64];
    char Custom2[64];
    char Custom3[64];
    char Custom4[64];
    std::int32_t DisplayPhone;
    char CategoryName[16]; // not in the file: the name of Category, filled on reading
    std::uint32_t FileRow; // not in the file: 1-based row it was read from, 0 for a new record
};

// The "SwapName" value of section "Brightcard" in the settings file: names are swapped exactly
// when it is 1.
bool ReadSwapNameSetting();

class PmAddrDataMgr : public PmRecordList<PmAddrRec> {};

class PmAddrUtil : public PmDBUtil {
public:
    PmAddrUtil();
    // Loads the file at once; IsLoaded() tells how that went.
    explicit PmAddrUtil(const char* path);
    ~PmAddrUtil() override;

    virtual bool Save(const char* path);

    bool Load(const char* path);
    // The user's "address/address.dat", found whatever the letter case of its folder and name.
    // Fails without touching any file when the user has no data folder.
    bool LoadForUser(std::uint32_t user);
    // Loads from bytes already in memory; `name` stands for the file in messages.
    bool LoadBytes(std::span<const std::uint8_t> bytes, const char* name);
    // Writes back to the file that was loaded.
    bool SaveInPlace();
    // Forgets the loaded file: no records, no file bytes held, nothing to save in place.
    void Unload();
    // The bytes a save in place would write, without writing them.
    bool SaveToBytes(std::vector<std::uint8_t>& bytes);
    // True after a load that read the header, also when its rows were cut short (then Save is
    // refused: see GetLoadResult).
    bool IsLoaded() const { return m_bLoaded; }
    PmAddrDataMgr* GetRecords() { return m_pDataMgr; }

    // Whether file fields 3 and 4 are exchanged; must be the same at load and at save.
    void SetSwapName(bool swap) { m_bSwapName = swap; }
    bool GetSwapName() const { return m_bSwapName; }

protected:
    virtual bool ReadVersionTag();
    virtual bool ReadTableString();
    virtual bool ReadCategories();
    virtual bool ReadSchema();
    virtual bool ReadRecords();
    virtual bool WriteCategories();
    virtual bool WriteSchema();
    virtual bool WriteRecords();
    virtual bool WriteRecord(const PmAddrRec* record);

private:
    const RowCodec& Codec() const;
    bool LoadSteps(bool opened);
    bool Write(const std::string& target, std::vector<std::uint8_t>* bytes);

    bool m_bSwapName = false;
    bool m_bLoaded = false;
    PmAddrDataMgr* m_pDataMgr = nullptr;
};

} // namespace twinleaf
