// The classic .dat file of any kind, written once: the load and save sequence over the row engine,
// parameterised by the kind's version tag, schema defaults and field table. Beside it, the
// sniffers that tell by a file's first bytes which storage form it is.
#pragma once

#include "common/palm/PalmComm.h"
#include "platform/Assert.h"

#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <vector>

namespace twinleaf {

// How a storage form sees a file: not of its form, of its form but broken, or one it can load.
enum class FormBid { NotMine, Damaged, Readable };

struct FormSniff {
    FormBid bid;
    std::string note; // why, naming the file, for NotMine and Damaged
};

// The first `count` bytes of a file, fewer when it is shorter.
std::string ReadFileHead(const std::string& path, std::size_t count);
// Whether a file exists and can be read; when not, `sniff` says NotMine and why.
bool ProbeFile(const std::string& path, FormSniff& sniff);

// A classic file of the kind whose version tag this is; `kind` names it in the note.
FormSniff SniffClassicFile(const std::string& path, std::uint32_t versionTag, const char* kind);
// The 24-byte signature of the extended files.
bool HasExtendedSignature(const std::string& path);
// A Palm Desktop 6 database: a Jet file, or the SQLite file our database stand-in keeps.
bool LooksLikeDatabase(const std::string& path);

// What a kind's classic file is: everything the shared sequence needs to know of it.
struct ClassicFileKind {
    std::uint32_t versionTag;
    const char* description; // "classic Palm address book", for messages
    palm::Schema schema;
    std::span<const std::int16_t> fieldTypes;
    const char* folder; // in the user's data folder
    const char* file;
};

template <class Rec, class DataMgr> class PmClassicFile : public PmDBUtil {
public:
    explicit PmClassicFile(const ClassicFileKind& kind)
        : m_kind(kind), m_pDataMgr(new (std::nothrow) DataMgr) {
        TL_ASSERT(m_pDataMgr);
        SetDefaults(kind.schema, kind.fieldTypes, kind.versionTag);
    }
    ~PmClassicFile() override { delete m_pDataMgr; }

    virtual bool Save(const char* path) {
        return Write(path == nullptr ? std::string() : std::string(path), nullptr);
    }

    bool Load(const char* path) {
        TL_ASSERT(m_pDataMgr);
        m_pDataMgr->Clear();
        return LoadSteps(BeginLoad(path == nullptr ? std::string() : std::string(path)));
    }
    // The user's file in the kind's folder, found whatever the letter case of folder and name.
    // Fails without touching any file when the user has no data folder.
    bool LoadForUser(std::uint32_t user) {
        const std::string path = PalmUserFilePath(user, m_kind.folder, m_kind.file);
        if (path.empty()) {
            Unload();
            m_loadResult = LoadResult::Unreadable;
            m_lastError = "Palm user " + std::to_string(user) + " has no data folder";
            return false;
        }
        return Load(path.c_str());
    }
    // Loads from bytes already in memory; `name` stands for the file in messages.
    bool LoadBytes(std::span<const std::uint8_t> bytes, const char* name) {
        TL_ASSERT(m_pDataMgr);
        m_pDataMgr->Clear();
        return LoadSteps(BeginLoad(bytes, name == nullptr ? std::string() : std::string(name)));
    }
    // Writes back to the file that was loaded.
    bool SaveInPlace() {
        if (m_path.empty()) {
            m_lastError = "no file to save to";
            return false;
        }
        return Save(m_path.c_str());
    }
    // The bytes a save in place would write, without writing them.
    bool SaveToBytes(std::vector<std::uint8_t>& bytes) { return Write(m_path, &bytes); }
    // Forgets the loaded file: no records, no file bytes held, nothing to save in place.
    void Unload() {
        m_pDataMgr->Clear();
        ResetLoad({});
        m_bLoaded = false;
    }
    // True after a load that read the header, also when its rows were cut short (then Save is
    // refused: see GetLoadResult).
    bool IsLoaded() const { return m_bLoaded; }
    DataMgr* GetRecords() { return m_pDataMgr; }

protected:
    // The field table rows are read and written by; a kind may switch tables (swapped names).
    virtual const RowCodec& Codec() const = 0;
    // Fills what a row carries beyond the file (a category name) before it joins the list.
    virtual void CompleteRow(Rec& record) { static_cast<void>(record); }

    virtual bool ReadVersionTag() { return ReadVersionTagOf(m_versionTag, m_kind.description); }
    // The whole table string is kept, not only its first lines, so a save gives it back intact.
    virtual bool ReadTableString() { return ReadWholeTableString(); }
    virtual bool ReadCategories() { return ReadCategoryBlock(); }
    virtual bool ReadSchema() { return ReadSchemaBlock(); }
    virtual bool ReadRecords() {
        m_pDataMgr->Clear();
        return ReadRows(Codec(), [this](void* row) {
            auto* record = static_cast<Rec*>(row);
            CompleteRow(*record);
            return m_pDataMgr->Add(record);
        });
    }
    virtual bool WriteCategories() { return WriteCategoryBlock(); }
    virtual bool WriteSchema() { return WriteSchemaBlock(); }
    virtual bool WriteRecords() {
        if (!WriteEntryCount(m_pDataMgr->Count())) {
            return false;
        }
        for (const Rec* record = m_pDataMgr->First(); record != nullptr;
             record = m_pDataMgr->Next()) {
            if (!WriteRecord(record)) {
                return false;
            }
        }
        return true;
    }
    virtual bool WriteRecord(const Rec* record) {
        return record != nullptr && WriteRow(Codec(), record);
    }

private:
    bool LoadSteps(bool opened) {
        const bool ok = opened && ReadVersionTag() && ReadStoredFileName() && ReadTableString() &&
                        ReadCategories() && ReadSchema() && ReadRecords();
        m_bLoaded = FinishLoad(ok);
        return m_bLoaded;
    }
    bool Write(const std::string& target, std::vector<std::uint8_t>* bytes) {
        TL_ASSERT(m_pDataMgr);
        if (!BeginSave(target)) {
            return false;
        }
        const bool ok = WriteVersionTag() && WriteStoredFileName(target) && WriteTableString() &&
                        WriteCategories() && WriteSchema() && WriteRecords() && WriteTrailer();
        return FinishSave(ok, bytes);
    }

    const ClassicFileKind& m_kind;
    bool m_bLoaded = false;
    DataMgr* m_pDataMgr = nullptr;
};

} // namespace twinleaf
