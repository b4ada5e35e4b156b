// The extended .dat file of any kind, written once: the signature, the header block with its
// sequence counter, the stored name and its trailer, an optional block of the kind's own (the
// address book's labels), then the categories, schema and rows of the classic body. A kind adds its
// version tag, schema defaults and field table, and its record begins with the eleven fields every
// extended row starts with.
#pragma once

#include "common/palm/PalmClassic.h"
#include "common/palm/PalmComm.h"
#include "common/palm/PalmRowFile.h"
#include "platform/Assert.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <vector>

namespace twinleaf {

namespace palm {
// Header block: version tag (4) after the signature, then 24 bytes we keep; bytes 12 and 13 are a
// little-endian counter of sequence numbers.
inline constexpr std::size_t kHeaderBlockSize = 24;
inline constexpr std::size_t kHeaderCounterOffset = 12;
inline constexpr std::int32_t kFirstSequenceNo = 0x1000;
inline constexpr std::int32_t kMaxHeaderCounter = 0xFFFF;
// Every extended row begins with record id, sequence number, status, entry index, position,
// category, private flag and four blobs.
inline constexpr int kExtendedPrefixFields = 11;
inline constexpr std::array<std::int16_t, kExtendedPrefixFields> kExtendedPrefixTypes = {
    1, 1, 1, 1, 1, 1, 6, 64, 65, 66, 67};
} // namespace palm

// What a kind's extended file is: everything the shared sequence needs to know of it.
struct ExtendedFileKind {
    std::uint32_t versionTag;
    // The same kind's classic tag: a signature in front of it wraps a classic body.
    std::uint32_t classicVersionTag;
    const char* description; // "extended Palm to-do list", for messages
    palm::Schema schema;
    std::span<const std::int16_t> fieldTypes;
    const char* folder;
    const char* file;
    std::size_t nameTrailerSize; // bytes after the stored name: 11 for contacts, 43 otherwise
    std::uint8_t headerByte12;   // of a new file's header block
};

// Whether the file is this kind's extended file: Readable with the signature and the kind's
// version tag, and also without the signature when the file begins with the tag itself (a body
// some programs write bare). A signature in front of anything else is NotMine with a note.
FormSniff SniffExtendedFile(const std::string& path, const ExtendedFileKind& kind);

// The four blobs of an extended record are owned by the record that holds them.
struct ExtendedBlobs {
    template <class Rec> static bool Duplicate(Rec& record) {
        BlobValue* blobs[] = {&record.Blob1, &record.Blob2, &record.Blob3, &record.Blob4};
        BlobValue copies[4] = {};
        for (std::size_t i = 0; i < 4; ++i) {
            if (!CopyBlob(*blobs[i], copies[i])) {
                for (std::size_t j = 0; j < i; ++j) {
                    FreeBlob(copies[j]);
                }
                for (BlobValue* blob : blobs) {
                    blob->Data = nullptr;
                }
                return false;
            }
        }
        for (std::size_t i = 0; i < 4; ++i) {
            *blobs[i] = copies[i];
        }
        return true;
    }
    template <class Rec> static void Release(Rec& record) {
        FreeBlob(record.Blob1);
        FreeBlob(record.Blob2);
        FreeBlob(record.Blob3);
        FreeBlob(record.Blob4);
    }
};

// A kind's field table: the shared first eleven fields, then the kind's own.
template <class Rec, std::size_t N>
constexpr std::array<RowField, palm::kExtendedPrefixFields + N>
ExtendedRow(const std::array<RowField, N>& rest) {
    constexpr auto blob = static_cast<std::uint32_t>(sizeof(BlobValue));
    std::array<RowField, palm::kExtendedPrefixFields + N> row = {{
        {RowValue::Int, offsetof(Rec, RecordId), 4},
        {RowValue::Int, offsetof(Rec, SequenceNo), 4},
        {RowValue::Int, offsetof(Rec, Status), 4},
        {RowValue::Int, offsetof(Rec, EntryIndex), 4},
        {RowValue::Int, offsetof(Rec, Position), 4},
        {RowValue::Int, offsetof(Rec, Category), 4},
        {RowValue::Bool, offsetof(Rec, Private), 4},
        {RowValue::Blob, offsetof(Rec, Blob1), blob},
        {RowValue::Blob, offsetof(Rec, Blob2), blob},
        {RowValue::Blob, offsetof(Rec, Blob3), blob},
        {RowValue::Blob, offsetof(Rec, Blob4), blob},
    }};
    std::copy(rest.begin(), rest.end(), row.begin() + palm::kExtendedPrefixFields);
    return row;
}

// What the extended layout adds to the classic body, for every kind.
class PmExtendedBase : public PmDBUtil {
public:
    // A new record's sequence number: the header's counter as read, or past the highest number
    // the file holds when that is higher, and past every number given out since; so no number is
    // ever given twice (records deleted long ago took theirs with them, and only the counter
    // remembers them).
    std::int32_t NextSequenceNo();
    // The counter as the loaded file (or a new object) holds it.
    std::int32_t GetHeaderCounter() const;
    // False for a body read without its signature; such a file is written back without one.
    bool HasSignature() const { return m_hasSignature; }
    const std::array<std::uint8_t, palm::kHeaderBlockSize>& GetHeaderBlock() const {
        return m_header;
    }

protected:
    explicit PmExtendedBase(const ExtendedFileKind& kind);

    // The address book's labels come between the stored name and the categories; other kinds have
    // nothing there. A kind that overrides these reads and writes its block with the primitives
    // (ReadCString, ReadInt32, ReadBytes, and the Write counterparts) and keeps what it needs to
    // write it back byte for byte.
    virtual bool ReadLabels() { return true; }
    virtual bool WriteLabels() { return true; }

    void InitDefaults();
    bool ReadSignature();
    bool ReadHeaderBlock();
    bool ReadStoredName();
    // The schema as read, checked against the rows the kind knows how to read.
    bool CheckSchema();
    bool WriteSignature();
    // The counter goes out as read unless a number was given out or the rows carry higher ones;
    // `highestInList` is the highest SequenceNo among the records to be written.
    bool WriteHeaderBlock(std::uint32_t records, std::int32_t highestInList);
    bool WriteStoredName(const std::string& path);
    // After a load: remembers the highest sequence number and the rows read.
    void NoteLoadedRows(std::int32_t highestSequenceNo, std::uint32_t rows);
    // A failed row read fails the whole load: no partial list of an extended file is ever used.
    bool RowsWhole();

    const ExtendedFileKind& m_kind;

private:
    std::array<std::uint8_t, palm::kExtendedSignatureSize> m_signature{};
    bool m_hasSignature = true;
    std::array<std::uint8_t, palm::kHeaderBlockSize> m_header{};
    std::vector<std::uint8_t> m_nameTrailer;
    std::int32_t m_highestLoaded = 0;
    std::uint32_t m_loadedRows = 0;
    std::int32_t m_nextSequenceNo = 0; // 0 until the first number is given out
};

template <class Rec, class DataMgr>
class PmExtendedFile : public PmRowFile<Rec, DataMgr, PmExtendedBase> {
public:
    explicit PmExtendedFile(const ExtendedFileKind& kind)
        : PmRowFile<Rec, DataMgr, PmExtendedBase>(kind.folder, kind.file, kind) {}

protected:
    void ResetDefaults() override { this->InitDefaults(); }
    void CompleteRow(Rec& record) override {
        m_highestSequenceNo = std::max(m_highestSequenceNo, record.SequenceNo);
        this->GetCategoryName(record.Category, record.CategoryName);
    }
    bool ReadSchema() override { return this->ReadSchemaBlock() && this->CheckSchema(); }
    bool ReadRecords() override {
        m_highestSequenceNo = 0;
        const bool read = PmRowFile<Rec, DataMgr, PmExtendedBase>::ReadRecords();
        this->NoteLoadedRows(m_highestSequenceNo, this->m_pDataMgr->Count());
        return read && this->RowsWhole();
    }

    // No partial list of an extended file is ever used: a load that fails leaves no records.
    bool LoadSteps(bool opened) override {
        this->InitDefaults();
        const bool ok = opened && this->ReadSignature() && this->ReadHeaderBlock() &&
                        this->ReadStoredName() && this->ReadLabels() && this->ReadCategories() &&
                        ReadSchema() && ReadRecords();
        this->m_bLoaded = this->FinishLoad(ok);
        if (!this->m_bLoaded) {
            this->m_pDataMgr->Clear();
        }
        return this->m_bLoaded;
    }
    bool Write(const std::string& target, std::vector<std::uint8_t>* bytes) override {
        TL_ASSERT(this->m_pDataMgr);
        if (!this->BeginSave(target)) {
            return false;
        }
        std::int32_t highest = 0;
        for (const Rec* record = this->m_pDataMgr->First(); record != nullptr;
             record = this->m_pDataMgr->Next()) {
            highest = std::max(highest, record->SequenceNo);
        }
        const bool ok =
            this->WriteSignature() && this->WriteHeaderBlock(this->m_pDataMgr->Count(), highest) &&
            this->WriteStoredName(target) && this->WriteLabels() && this->WriteCategories() &&
            this->WriteSchema() && this->WriteRecords() && this->WriteTrailer();
        return this->FinishSave(ok, bytes);
    }

private:
    std::int32_t m_highestSequenceNo = 0;
};

} // namespace twinleaf
