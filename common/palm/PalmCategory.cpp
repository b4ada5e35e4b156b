// The category table of a Palm file: at most 16 named categories in fixed slots. Kept apart from
// the file session because the facades and the Desktop 6 tables use it without any file.
#include "common/palm/PalmCategory.h"

#include "platform/text/FieldText.h"

#include <algorithm>
#include <limits>
#include <new>

namespace twinleaf {
namespace {

// Characters a long name must not carry, because Palm Desktop uses it as a file name.
bool isFileNameCharacter(char c) {
    static constexpr std::string_view kReplaced = "\"*+,./:;<=>?[\\]^|";
    return kReplaced.find(c) != std::string_view::npos;
}

char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i])) {
            return false;
        }
    }
    return true;
}

bool copyText(std::string_view text, char* buffer, std::uint32_t* length) {
    if (buffer == nullptr || length == nullptr) {
        return false;
    }
    std::memset(buffer, 0, *length);
    if (text.empty() || text.size() + 1 > *length) {
        return false;
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    *length = static_cast<std::uint32_t>(text.size());
    return true;
}

} // namespace

// ---- PmCategory ----

PmCategory::PmCategory() = default;
PmCategory::~PmCategory() = default;

std::int32_t PmCategory::GetIndex() const {
    return m_nIndex;
}
std::int32_t PmCategory::GetId() const {
    return m_nId;
}
const char* PmCategory::GetName() const {
    return m_szName;
}
bool PmCategory::CopyName(char* buffer, std::uint32_t* length) const {
    return copyText(fieldText(m_szName), buffer, length);
}
bool PmCategory::CopyLongName(char* buffer, std::uint32_t* length) const {
    return copyText(fieldText(m_szLongName), buffer, length);
}
std::int32_t PmCategory::GetFlags() const {
    return m_nFlags;
}
void PmCategory::SetIndex(std::int32_t index) {
    m_nIndex = index;
}
void PmCategory::SetId(std::int32_t id) {
    m_nId = id;
}
void PmCategory::SetName(const char* text) {
    copyToField(m_szName, text == nullptr ? std::string_view{} : std::string_view{text});
}
void PmCategory::SetLongName(const char* text) {
    copyToField(m_szLongName, text == nullptr ? std::string_view{} : std::string_view{text});
}
void PmCategory::SetFlags(std::int32_t flags) {
    m_nFlags = flags;
}
void PmCategory::SetDirty(bool on) {
    m_nFlags = on ? (m_nFlags | kCategoryDirty) : (m_nFlags & ~kCategoryDirty);
}
int PmCategory::GetFlagBit0() const {
    return m_nFlags & 1;
}
bool PmCategory::Equals(const PmCategory& other) const {
    return m_nIndex == other.m_nIndex && m_nId == other.m_nId &&
           fieldText(m_szName) == fieldText(other.m_szName);
}

// ---- PmCategoryMgr ----

PmCategoryMgr::PmCategoryMgr() = default;

PmCategoryMgr::~PmCategoryMgr() {
    for (PmCategory*& slot : m_pSlots) {
        delete slot;
        slot = nullptr;
    }
}

std::int32_t PmCategoryMgr::GetCount() const {
    return m_nCount;
}

PmCategory* PmCategoryMgr::FindById(std::int32_t id) const {
    for (PmCategory* slot : m_pSlots) {
        if (slot != nullptr && slot->GetId() == id) {
            return slot;
        }
    }
    return nullptr;
}

PmCategory* PmCategoryMgr::GetAt(int index) const {
    const auto slot = static_cast<std::uint16_t>(index);
    return slot < palm::kCategorySlots ? m_pSlots[slot] : nullptr;
}

PmCategory* PmCategoryMgr::FindByName(const char* name) const {
    if (name == nullptr || name[0] == '\0') {
        return nullptr;
    }
    std::string_view wanted(name);
    wanted = wanted.substr(0, std::min(wanted.size(), palm::kCategoryNameMax));
    for (PmCategory* slot : m_pSlots) {
        if (slot != nullptr && sameNameIgnoringCase(slot->GetName(), wanted)) {
            return slot;
        }
    }
    return nullptr;
}

PmCategory* PmCategoryMgr::First() {
    m_nCursor = 0;
    return Next();
}

PmCategory* PmCategoryMgr::Next() {
    while (m_nCursor < palm::kCategorySlots) {
        PmCategory* slot = m_pSlots[m_nCursor++];
        if (slot != nullptr) {
            return slot;
        }
    }
    return nullptr;
}

bool PmCategoryMgr::Add(const PmCategory* category) {
    if (category == nullptr || m_nCount >= palm::kCategorySlots) {
        return false;
    }
    PmCategory copy(*category);
    const auto lowestFreeSlot = [this]() -> int {
        for (int slot = 1; slot < palm::kCategorySlots; ++slot) {
            if (m_pSlots[slot] == nullptr) {
                return slot;
            }
        }
        return -1;
    };
    std::int32_t index = copy.GetIndex();
    if (index != -1 && (index < 0 || index >= palm::kCategorySlots)) {
        return false;
    }
    // A category whose slot is taken (a file listing two entries for one slot) moves to the lowest
    // free slot instead of pushing the other one out; it then no longer matches its file entry.
    if (index == -1 || m_pSlots[index] != nullptr) {
        index = lowestFreeSlot();
        if (index < 0) {
            return false;
        }
        copy.SetIndex(index);
        copy.SetDirty(true);
        copy.SetFileEntry({});
    }
    if (copy.GetId() == -1) {
        // One above the highest id in the whole table: ids are what records refer to, so a new
        // category must never take an id that a category in a later slot already carries.
        std::int32_t highest = -1;
        for (PmCategory* slot : m_pSlots) {
            if (slot != nullptr) {
                highest = std::max(highest, slot->GetId());
            }
        }
        if (highest < 0 || highest == std::numeric_limits<std::int32_t>::max()) {
            return false;
        }
        copy.SetId(highest + 1);
        copy.SetDirty(true);
    } else if (FindById(copy.GetId()) != nullptr) {
        return false;
    }
    char longName[palm::kCategoryLongNameMax + 1];
    copyToField(longName, std::string_view(copy.GetName()));
    for (char& c : longName) {
        if (c == '\0') {
            break;
        }
        if (isFileNameCharacter(c)) {
            c = '_';
        }
    }
    if (longName[0] != '\0') {
        copy.SetLongName(longName);
    }
    auto* stored = new (std::nothrow) PmCategory(copy);
    if (stored == nullptr) {
        return false;
    }
    m_pSlots[index] = stored;
    ++m_nCount;
    m_bModified = 1;
    return true;
}

void PmCategoryMgr::SetModified(std::uint8_t flag) {
    m_bModified = flag;
}

} // namespace twinleaf
