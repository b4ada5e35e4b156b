// The category table of a Palm file: at most 16 categories, slot i holding the category whose
// index is i. The table is written back byte for byte as long as nothing in it changed.
#pragma once

#include "common/palm/PalmLayout.h"

#include <cstdint>
#include <vector>

namespace twinleaf {

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

} // namespace twinleaf
