// The classic .dat file of any kind, written once: the load and save sequence over the row engine,
// parameterised by the kind's version tag, schema defaults and field table. Beside it, the
// sniffers that tell by a file's first bytes which storage form it is.
#pragma once

#include "common/palm/PalmComm.h"
#include "common/palm/PalmRowFile.h"
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

template <class Rec, class DataMgr> class PmClassicFile : public PmRowFile<Rec, DataMgr> {
public:
    explicit PmClassicFile(const ClassicFileKind& kind)
        : PmRowFile<Rec, DataMgr>(kind.folder, kind.file), m_kind(kind) {
        this->SetDefaults(kind.schema, kind.fieldTypes, kind.versionTag);
    }

protected:
    virtual bool ReadVersionTag() {
        return this->ReadVersionTagOf(this->m_versionTag, m_kind.description);
    }
    // The whole table string is kept, not only its first lines, so a save gives it back intact.
    virtual bool ReadTableString() { return this->ReadWholeTableString(); }

    // A file whose rows were cut short still counts as loaded (its whole rows are listed), but
    // Save is refused: see GetLoadResult.
    bool LoadSteps(bool opened) override {
        const bool ok = opened && ReadVersionTag() && this->ReadStoredFileName() &&
                        ReadTableString() && this->ReadCategories() && this->ReadSchema() &&
                        this->ReadRecords();
        this->m_bLoaded = this->FinishLoad(ok);
        return this->m_bLoaded;
    }
    bool Write(const std::string& target, std::vector<std::uint8_t>* bytes) override {
        TL_ASSERT(this->m_pDataMgr);
        if (!this->BeginSave(target)) {
            return false;
        }
        const bool ok = this->WriteVersionTag() && this->WriteStoredFileName(target) &&
                        this->WriteTableString() && this->WriteCategories() &&
                        this->WriteSchema() && this->WriteRecords() && this->WriteTrailer();
        return this->FinishSave(ok, bytes);
    }

private:
    const ClassicFileKind& m_kind;
};

} // namespace twinleaf
