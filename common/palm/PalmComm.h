// What every Palm Desktop .dat reader and writer shares: the byte-level primitives (integers,
// CStrings, tagged fields), the file's category table, the schema words, and the row engine that
// reads rows by a per-kind field table and writes them back.
//
// A file is read into memory whole and parsed through a bounded cursor, so a file that ends early
// or whose counts run past its end is reported instead of read beyond. A save builds the new file
// in memory and replaces the old one atomically, keeping the previous version as a backup. The
// bytes of the file last loaded stay with the object: fields the program did not change are
// written back from them exactly as read, so texts longer than the in-memory slots, tags and
// words we do not interpret survive a save.
#pragma once

#include "common/misc/CxList.h"
#include "common/palm/PalmBytes.h"
#include "common/palm/PalmLayout.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace twinleaf {

// The storage forms a Palm facade may find; the numbering is shared by the four facades.
enum class PalmFormat : int {
    None = 0,
    Classic = 1,
    Extended = 2,
    Desktop6 = 3,
    Invalid = 255,
};

// How the last load of a file object went. Partial means the header was whole and the rows that
// were whole are in the list, but the file ended early or a row was damaged: such a file is
// never saved over.
enum class LoadResult {
    None,          // nothing loaded yet
    Complete,      // every part the counts announced was read
    Partial,       // header whole, rows cut short; loaded, but Save is refused
    NotThisFormat, // the file is not of this kind (another version tag, another format)
    Damaged,       // this kind of file, but its header, categories or schema are broken
    Unreadable,    // missing, not a regular file, or the system refused to read it
};

// One category of a file's table.
class PmCategory {
public:
    PmCategory();
    virtual ~PmCategory();
    PmCategory(const PmCategory&) = default;
    PmCategory& operator=(const PmCategory&) = default;

    virtual std::int32_t GetIndex() const;
    virtual std::int32_t GetId() const;
    virtual const char* GetName() const;
    // Copies the name into buffer (length in: its size; out: the name's length). Fails for an
    // empty name or one that does not fit with its terminator.
    virtual bool CopyName(char* buffer, std::uint32_t* length) const;
    virtual bool CopyLongName(char* buffer, std::uint32_t* length) const;
    virtual std::int32_t GetFlags() const;
    virtual void SetIndex(std::int32_t index);
    virtual void SetId(std::int32_t id);
    virtual void SetName(const char* text);
    virtual void SetLongName(const char* text);
    virtual void SetFlags(std::int32_t flags);
    virtual void SetDirty(bool on);
    virtual int GetFlagBit0() const;
    virtual bool Equals(const PmCategory& other) const;

    // The entry exactly as the file held it. While the category keeps the slot it was read into,
    // a save writes these bytes back, so names longer than the 15 characters held here and the
    // file's own long name are not lost.
    const std::vector<std::uint8_t>& FileEntry() const { return m_fileEntry; }
    void SetFileEntry(std::vector<std::uint8_t> entry) { m_fileEntry = std::move(entry); }

private:
    std::int32_t m_nIndex = -1;
    std::int32_t m_nId = -1;
    char m_szName[palm::kCategoryNameMax + 1] = {};
    char m_szLongName[palm::kCategoryLongNameMax + 1] = {};
    std::int32_t m_nFlags = 0;
    std::vector<std::uint8_t> m_fileEntry;
};

inline constexpr std::int32_t kCategoryDirty = 0x10;

// The table of at most 16 categories of one file; slot i holds the category whose index is i.
class PmCategoryMgr {
public:
    PmCategoryMgr();
    virtual ~PmCategoryMgr();
    PmCategoryMgr(const PmCategoryMgr&) = delete;
    PmCategoryMgr& operator=(const PmCategoryMgr&) = delete;

    virtual std::int32_t GetCount() const;
    virtual PmCategory* FindById(std::int32_t id) const;
    virtual PmCategory* GetAt(int index) const;
    // Compares without regard to letter case, on the 15 characters a name can hold, so a longer
    // name finds the category it was cut into.
    virtual PmCategory* FindByName(const char* name) const;
    virtual PmCategory* First();
    virtual PmCategory* Next();
    virtual bool Add(const PmCategory* category);
    virtual void SetModified(std::uint8_t flag);

    std::uint8_t GetModified() const { return m_bModified; }
    std::int32_t GetNextFree() const { return m_nNextFree; }
    void SetNextFree(std::int32_t nextFree) { m_nNextFree = nextFree; }

private:
    std::int32_t m_nNextFree = palm::kDefaultNextFree;
    std::int32_t m_nCursor = 0;
    std::int32_t m_nCount = 0;
    PmCategory* m_pSlots[palm::kCategorySlots] = {};
    std::uint8_t m_bModified = 0;
};

// A blob field of the extended files; Data (Size bytes) is owned by the record holding it.
struct BlobValue {
    std::int32_t Word0;
    std::int32_t Kind;
    std::int32_t Word2;
    std::int32_t Word3;
    std::int32_t Size;
    std::uint8_t* Data;
};

// How one field of a row is held in the record: the field's index within the row is its position
// in the table. Text slots are cut to their width on reading.
enum class RowValue : std::uint8_t { Int, Bool, Date, Text };
struct RowField {
    RowValue kind;
    std::uint32_t offset; // within the record
    std::uint32_t width;  // bytes of the member
};
struct RowCodec {
    std::span<const RowField> fields;
    std::size_t recordSize;
    std::size_t fileRowOffset; // the record's FileRow member: 1-based row of the loaded file
};

// A list of fixed-size records, each a malloc'ed copy owned by the list, in file order.
template <class Rec> class PmRecordList {
    static_assert(std::is_trivially_copyable_v<Rec>);

public:
    PmRecordList() = default;
    virtual ~PmRecordList() { Clear(); }
    PmRecordList(const PmRecordList&) = delete;
    PmRecordList& operator=(const PmRecordList&) = delete;

    void Clear() { m_Recs.Clear(true); }
    bool Add(const Rec* record) {
        if (record == nullptr) {
            return false;
        }
        auto* copy = static_cast<Rec*>(std::malloc(sizeof(Rec)));
        if (copy == nullptr) {
            return false;
        }
        std::memcpy(static_cast<void*>(copy), record, sizeof(Rec));
        if (!m_Recs.Add(copy)) {
            std::free(copy);
            return false;
        }
        return true;
    }
    Rec* First() { return static_cast<Rec*>(m_Recs.First()); }
    Rec* Next() { return static_cast<Rec*>(m_Recs.Next()); }
    Rec* At(std::uint32_t index) { return static_cast<Rec*>(m_Recs.GetAt(index)); }
    std::uint32_t Count() const { return m_Recs.GetCount(); }

private:
    CxList m_Recs;
};

// A user's data file: the user's data folder, the kind's folder and the file name, each with the
// letter case found on disk. Empty when the user has no data folder.
std::string PalmUserFilePath(std::uint32_t user, const char* folder, const char* file);

// The base of every .dat reader and writer.
class PmDBUtil {
public:
    enum OpenMode { Read = 0, Write = 1, ReadWrite = 2, CreateAlways = 3 };

    PmDBUtil();
    virtual ~PmDBUtil();
    PmDBUtil(const PmDBUtil&) = delete;
    PmDBUtil& operator=(const PmDBUtil&) = delete;

    // Read and ReadWrite read the whole existing file into memory for the Read primitives;
    // Write (existing file) and CreateAlways start an empty output for the Write primitives,
    // which CloseFile then puts in place atomically. Fails for an empty path or another mode.
    bool OpenFile(const char* path, int mode);
    // Ends the session; for output, replaces the file (keeping a backup) and reports whether
    // that worked.
    bool CloseFile();
    std::size_t GetFilePosition() const;

    bool ReadBytes(void* buffer, std::size_t count);
    bool ReadInt32(std::int32_t& value);
    bool ReadInt16(std::int16_t& value);
    bool ReadInt8(std::int8_t& value);
    bool ReadInt64(std::int64_t& value);
    bool WriteBytes(const void* buffer, std::size_t count);
    bool WriteInt32(std::int32_t value);
    bool WriteInt16(std::int16_t value);
    bool WriteInt8(std::int8_t value);
    bool WriteInt64(std::int64_t value);

    // capacity in: the buffer's size; when the text does not fit with its terminator it receives
    // the needed length and the call fails without reading the text.
    bool ReadCString(char* buffer, std::uint32_t* capacity);
    // Texts longer than a CString can hold are cut to 65535 bytes.
    bool WriteCString(const char* text);
    bool WriteCString(std::string_view text);

    bool ReadIntField(std::int32_t& value);
    // Consumes the whole text; the buffer gets at most min(capacity - 1, 8191) characters.
    bool ReadStringField(char* buffer, std::size_t capacity);
    bool WriteIntField(std::int32_t value);
    bool WriteDateField(std::int32_t value);
    bool WriteBoolField(std::int32_t value);
    bool WriteStringField(const char* text);
    bool WriteStringField(std::string_view text);
    bool ReadInt64Field(std::int64_t& value);
    bool WriteInt64Field(std::int64_t value);
    // The reader allocates Data with malloc when Size is not 0.
    bool ReadBlobField(BlobValue& blob);
    bool WriteBlobField(const BlobValue& blob);

    bool GetCategoryName(std::int32_t id, char* text);
    bool GetCategoryIdByName(const char* name, std::int32_t* id, bool create);
    PmCategoryMgr* GetCategories() const { return m_pCatMgr; }

    const std::string& GetPath() const { return m_path; }
    LoadResult GetLoadResult() const { return m_loadResult; }
    // Why the last load or save did not fully succeed, naming the file and where; empty when it
    // did.
    const std::string& GetLastError() const { return m_lastError; }
    const palm::Schema& GetSchema() const { return m_schema; }
    const std::vector<std::int16_t>& GetFieldTypes() const { return m_fieldTypes; }
    // The whole table string as the file held it (nothing in the program changes it).
    const std::string& GetTableString() const { return m_tableStringText; }

protected:
    // Steps of the classic layout that every kind shares.
    // `kind` names what the file should be in messages ("classic address book").
    bool ReadVersionTagOf(std::uint32_t versionTag, const char* kind);
    bool ReadStoredFileName();
    bool ReadWholeTableString();
    bool ReadCategoryBlock();
    bool ReadSchemaBlock();
    bool WriteStoredFileName(const std::string& path);
    bool WriteTableString();
    bool WriteCategoryBlock();
    bool WriteSchemaBlock();
    // Reads the entry count and the rows; `accept` takes each whole row (a zeroed record filled
    // by the codec, FileRow set). A row that is cut short or damaged ends the reading: the rows
    // before it stay and the load counts as Partial.
    bool ReadRows(const RowCodec& codec, const std::function<bool(void* record)>& accept);
    bool WriteEntryCount(std::uint32_t records);
    // Writes one row: fields whose value is what the loaded file held go out as the file's own
    // bytes, the others are encoded.
    bool WriteRow(const RowCodec& codec, const void* record);
    // After the rows: whatever followed them in the loaded file.
    bool WriteTrailer();

    // Load bracket: BeginLoad reads the file (or takes the bytes given, named `path` in
    // messages); FinishLoad records the outcome.
    bool BeginLoad(const std::string& path);
    bool BeginLoad(std::span<const std::uint8_t> bytes, const std::string& path);
    bool FinishLoad(bool headerOk);
    // Forgets everything about the last load; the object's path becomes `path`.
    void ResetLoad(const std::string& path);
    // Save bracket: the file is built in memory; FinishSave puts it in place atomically, or, with
    // `bytes`, hands it over without touching any file.
    bool BeginSave(const std::string& path);
    bool FinishSave(bool written, std::vector<std::uint8_t>* bytes = nullptr);

    void SetDefaults(const palm::Schema& schema, std::span<const std::int16_t> fieldTypes,
                     std::uint32_t versionTag);
    // Records why reading or writing failed; the message is completed with file and offset.
    bool Fail(LoadResult result, const std::string& message);
    bool FailAt(LoadResult result, std::size_t offset, const std::string& message);
    bool FailSave(const std::string& message);

    std::string m_path;
    PmCategoryMgr* m_pCatMgr = nullptr;
    std::uint32_t m_versionTag = 0;
    palm::Schema m_schema{};
    std::vector<std::int16_t> m_fieldTypes;
    LoadResult m_loadResult = LoadResult::None;
    std::string m_lastError;

private:
    bool ReadFieldTag(std::int32_t& tag);
    bool ReadCStringLength(std::uint32_t& length);
    bool SkipField(std::int32_t index);
    bool DecodeRow(const RowCodec& codec, std::int32_t fieldsPerRow, std::uint8_t* record,
                   std::vector<std::size_t>* fieldStarts);
    void EncodeField(const RowField& field, const std::uint8_t* record);
    bool EncodeUnknownField(std::int32_t index);
    bool SetReason(const std::string& reason);
    void EnsureCategories();
    std::span<const std::uint8_t> Loaded(std::size_t offset, std::size_t size) const;

    // The loaded file and the cursor over it.
    std::vector<std::uint8_t> m_fileBytes;
    palm::ByteReader m_reader;
    bool m_reading = false;
    // Output of a save in progress.
    std::vector<std::uint8_t> m_out;
    std::string m_outPath;
    bool m_writing = false;
    std::string m_reason;

    // Where the parts of the loaded file lie, for writing them back unchanged.
    struct Span {
        std::size_t offset = 0;
        std::size_t size = 0;
        bool valid = false;
    };
    Span m_storedName;
    Span m_tableString;
    Span m_categoryBlock;
    Span m_trailer;
    std::string m_tableStringText;
    std::vector<std::size_t> m_rowOffsets;
    std::int32_t m_loadedFieldsPerRow = 0;
    std::int32_t m_loadedEntryCount = 0;
    // Scratch for WriteRow, kept to avoid an allocation per row.
    std::vector<std::uint8_t> m_original;
    std::vector<std::size_t> m_fieldStarts;
};

} // namespace twinleaf
