// What a Palm .dat file of records offers whatever its layout: loading from a path, a user's
// folder or bytes in memory, saving in place, the record list, and the steps shared by every
// layout's body (categories, schema, rows). A layout (classic, extended) adds its load sequence
// and its writer; a kind adds its field table.
#pragma once

#include "common/palm/PalmComm.h"
#include "platform/Assert.h"

#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace twinleaf {

template <class Rec, class DataMgr, class Base = PmDBUtil> class PmRowFile : public Base {
public:
    template <class... BaseArgs>
    PmRowFile(const char* folder, const char* file, BaseArgs&&... baseArgs)
        : Base(std::forward<BaseArgs>(baseArgs)...), m_pDataMgr(new (std::nothrow) DataMgr),
          m_folder(folder), m_file(file) {
        TL_ASSERT(m_pDataMgr);
    }
    ~PmRowFile() override { delete m_pDataMgr; }

    virtual bool Save(const char* path) {
        return Write(path == nullptr ? std::string() : std::string(path), nullptr);
    }

    bool Load(const char* path) {
        TL_ASSERT(m_pDataMgr);
        m_pDataMgr->Clear();
        return LoadSteps(this->BeginLoad(path == nullptr ? std::string() : std::string(path)));
    }
    // The user's file in the kind's folder, found whatever the letter case of folder and name.
    // Fails without touching any file when the user has no data folder.
    bool LoadForUser(std::uint32_t user) {
        const std::string path = PalmUserFilePath(user, m_folder, m_file);
        if (path.empty()) {
            Unload();
            this->m_loadResult = LoadResult::Unreadable;
            this->m_lastError = "Palm user " + std::to_string(user) + " has no data folder";
            return false;
        }
        return Load(path.c_str());
    }
    // Loads from bytes already in memory; `name` stands for the file in messages.
    bool LoadBytes(std::span<const std::uint8_t> bytes, const char* name) {
        TL_ASSERT(m_pDataMgr);
        m_pDataMgr->Clear();
        return LoadSteps(
            this->BeginLoad(bytes, name == nullptr ? std::string() : std::string(name)));
    }
    // Writes back to the file that was loaded, never to the name stored inside it.
    bool SaveInPlace() {
        if (this->m_path.empty()) {
            this->m_lastError = "no file to save to";
            return false;
        }
        return Save(this->m_path.c_str());
    }
    // The bytes a save in place would write, without writing them.
    bool SaveToBytes(std::vector<std::uint8_t>& bytes) { return Write(this->m_path, &bytes); }
    // Forgets the loaded file: no records, no file bytes held, nothing to save in place.
    void Unload() {
        m_pDataMgr->Clear();
        this->ResetLoad({});
        ResetDefaults();
        m_bLoaded = false;
    }
    bool IsLoaded() const { return m_bLoaded; }
    DataMgr* GetRecords() { return m_pDataMgr; }

protected:
    // The layout's steps on an opened file (`opened` false when it could not be read); true when
    // the file counts as loaded.
    virtual bool LoadSteps(bool opened) = 0;
    // The layout's writer: to `target`, or with `bytes`, into memory only.
    virtual bool Write(const std::string& target, std::vector<std::uint8_t>* bytes) = 0;
    // Back to what a new object holds, for a layout that keeps header parts of its own.
    virtual void ResetDefaults() {}

    // The field table rows are read and written by; a kind may switch tables (swapped names).
    virtual const RowCodec& Codec() const = 0;
    // Fills what a row carries beyond the file (a category name) before it joins the list.
    virtual void CompleteRow(Rec& record) { static_cast<void>(record); }

    virtual bool ReadCategories() { return this->ReadCategoryBlock(); }
    virtual bool ReadSchema() { return this->ReadSchemaBlock(); }
    virtual bool ReadRecords() {
        m_pDataMgr->Clear();
        return this->ReadRows(Codec(), [this](void* row) {
            auto* record = static_cast<Rec*>(row);
            CompleteRow(*record);
            return m_pDataMgr->Add(std::move(*record));
        });
    }
    virtual bool WriteCategories() { return this->WriteCategoryBlock(); }
    virtual bool WriteSchema() { return this->WriteSchemaBlock(); }
    virtual bool WriteRecords() {
        if (!this->WriteEntryCount(m_pDataMgr->Count())) {
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
        return record != nullptr && this->WriteRow(Codec(), record);
    }

    bool m_bLoaded = false;
    DataMgr* m_pDataMgr = nullptr;

private:
    const char* m_folder;
    const char* m_file;
};

} // namespace twinleaf
