// What every Palm Desktop .dat reader and writer shares: the file session (PmDBUtil) with its
// byte-level primitives, the header parts every classic file has, and the row engine that reads
// rows by a per-kind field table and writes them back. The category table and the row value types
// live in their own headers, included here.
//
// A file is read into memory whole and parsed through a bounded cursor, so a file that ends early
// or whose counts run past its end is reported instead of read beyond. A save builds the new file
// in memory and replaces the old one atomically, keeping the previous version as a backup. The
// bytes of the file last loaded stay with the object: fields the program did not change are
// written back from them exactly as read, so texts longer than the in-memory slots, tags and
// words we do not interpret survive a save.
#pragma once

#include "common/palm/PalmBytes.h"
#include "common/palm/PalmCategory.h"
#include "common/palm/PalmLayout.h"
#include "common/palm/PalmRow.h"
#include "platform/files/AtomicFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
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

// A user's data file: the user's data folder, the kind's folder and the file name, each with the
// letter case found on disk. Empty when the user has no data folder.
std::string PalmUserFilePath(std::uint32_t user, const char* folder, const char* file);

// Whether a file beginning with `head` carries the version tag: Complete when it does,
// NotThisFormat or Damaged (empty, or cut inside the tag) with the reason in `note`. `kind` names
// what the file should be ("classic Palm address book").
LoadResult CheckVersionTag(std::span<const std::uint8_t> head, std::uint32_t versionTag,
                           const char* kind, std::string& note);
// Where a classic body begins: after the extended signature when a file carries one in front of
// a classic version tag (some programs wrap a classic body so), else at 0.
std::size_t ClassicBodyOffset(std::span<const std::uint8_t> head, std::uint32_t versionTag);

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
    // The same into a text held by length, cut as a buffer of `width` bytes would cut it.
    bool ReadStringField(TextValue& text, std::size_t width);
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
    // The date book's repeat field. The exception dates are read over, not held; a repeat is
    // written with no exceptions and its full class entry. A type without a class is refused.
    bool ReadRepeatField(RepeatValue& value);
    bool WriteRepeatField(const RepeatValue& value);

    bool GetCategoryName(std::int32_t id, char* text);
    bool GetCategoryName(std::int32_t id, TextValue& text);
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
    // The version tag, behind the signature it was read with, if any.
    bool WriteVersionTag();
    bool ReadStoredFileName();
    bool ReadWholeTableString();
    bool ReadCategoryBlock();
    bool ReadSchemaBlock();
    bool WriteStoredFileName(const std::string& path);
    bool WriteTableString();
    bool WriteCategoryBlock();
    bool WriteSchemaBlock();
    // Reads the entry count and the rows; `accept` takes each whole row (an empty record filled
    // by the codec, FileRow set) and moves or copies what it keeps: blob data is released after
    // the call, the record dropped. A
    // row that is cut short or damaged ends the reading: the rows before it stay and the load
    // counts as Partial.
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
    // A save writes something the loaded file does not hold, so it must replace the file.
    void NoteChanged() { m_saveChanges = true; }
    // The whole file being loaded, for a look at its first bytes.
    std::span<const std::uint8_t> LoadingBytes() const { return m_reader.bytes(); }

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
    // The bytes of a text field a record may hold (at most 8191); the whole field is consumed.
    bool ReadStringFieldBytes(std::string_view& held);
    bool SkipField(std::int32_t index);
    bool DecodeRow(const RowCodec& codec, std::int32_t fieldsPerRow, std::uint8_t* record,
                   std::vector<std::size_t>* fieldStarts);
    bool DecodeField(const RowField& field, std::size_t index, std::uint8_t* record);
    // The tag of a 4-byte field: the file's type list's when it gives a 4-byte type there, else
    // the one of the record's kind of value.
    std::int32_t NumberTag(std::size_t index, RowValue kind) const;
    bool ReadNumberField(std::int32_t expectedTag, std::int32_t& value);
    void ReleaseRow(const RowCodec& codec, std::uint8_t* record);
    bool EncodeField(const RowField& field, std::size_t index, const std::uint8_t* record);
    // `head` is the field's tag with its exception count and dates, written as given.
    bool EncodeRepeat(const RepeatValue& value, std::span<const std::uint8_t> head);
    bool RewriteRepeat(const RowField& field, const std::uint8_t* record,
                       std::span<const std::uint8_t> original, bool unchanged);
    bool EncodeUnknownField(std::int32_t index);
    bool SetReason(const std::string& reason);
    void EnsureCategories();
    std::span<const std::uint8_t> Loaded(std::size_t offset, std::size_t size) const;

    FileStamp m_loadedStamp; // what the loaded file was, to see whether it changed before a save

    // The loaded file and the cursor over it.
    std::vector<std::uint8_t> m_fileBytes;
    palm::ByteReader m_reader;
    bool m_reading = false;
    // Output of a save in progress.
    std::vector<std::uint8_t> m_out;
    std::string m_outPath;
    bool m_writing = false;
    // Whether the save in progress writes anything the loaded file does not hold: a save in place
    // that changes nothing leaves the file untouched.
    bool m_saveChanges = false;
    std::uint32_t m_rowsWritten = 0;
    bool m_savedSinceLoad = false;
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
    std::vector<std::uint8_t> m_classicWrapper; // a signature read in front of a classic body
    std::vector<std::size_t> m_rowOffsets;
    std::int32_t m_loadedFieldsPerRow = 0;
    std::int32_t m_loadedEntryCount = 0;
    // Scratch for WriteRow, kept to avoid an allocation per row.
    std::vector<std::size_t> m_fieldStarts;
};

} // namespace twinleaf
