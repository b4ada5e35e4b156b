// The parts of the common record layer that do not depend on the record: reading, comparing and
// merging members through a field table, matching keys, and the match index.
#include "common/misc/CommRecord.h"

#include "common/misc/CxDateTime.h"
#include "platform/text/FieldText.h"

#include <algorithm>
#include <cstdio>

namespace twinleaf {
namespace {

const char* member(const void* rec, const CommField& field) {
    return static_cast<const char*>(rec) + field.offset;
}

} // namespace

bool FieldsEqual(std::span<const CommField> fields, const void* a, const void* b) {
    for (const CommField& field : fields) {
        if (!field.compared) {
            continue;
        }
        if (field.kind == FieldType::Text) {
            if (TextAt(field, a).view() != TextAt(field, b).view()) {
                return false;
            }
            continue;
        }
        const char* left = member(a, field);
        const char* right = member(b, field);
        if (field.kind == FieldType::Date) {
            double x = 0;
            double y = 0;
            std::memcpy(&x, left, sizeof x);
            std::memcpy(&y, right, sizeof y);
            if (x != y) {
                return false;
            }
        } else if (field.kind == FieldType::SystemTime) {
            // To the minute: a meeting moved from nine to ten has to reach the other side.
            // Seconds are left out; neither side shows them or lets a user set them.
            win::SYSTEMTIME x{};
            win::SYSTEMTIME y{};
            std::memcpy(&x, left, sizeof x);
            std::memcpy(&y, right, sizeof y);
            if (CompareDate(&x, &y) != 0 || x.wHour != y.wHour || x.wMinute != y.wMinute) {
                return false;
            }
        } else if (std::memcmp(left, right, field.width) != 0) {
            return false;
        }
    }
    return true;
}

void LeaveUnchangedTexts(std::span<const CommField> fields, void* incoming, const void* stored) {
    for (const CommField& field : fields) {
        if (field.kind == FieldType::Text && field.merge == FieldMerge::IfNotEmpty &&
            TextAt(field, incoming).view() == TextAt(field, stored).view()) {
            TextAt(field, incoming).clear();
        }
    }
}

void ClearTextsEmptyIn(std::span<const CommField> fields, void* held, const void* given) {
    for (const CommField& field : fields) {
        if (field.kind == FieldType::Text && TextAt(field, given).empty()) {
            TextAt(field, held).clear();
        }
    }
}

void MergeFields(std::span<const CommField> fields, void* stored, const void* incoming) {
    for (const CommField& field : fields) {
        if (field.merge == FieldMerge::Keep) {
            continue;
        }
        if (field.kind == FieldType::Text) {
            const TextValue& source = TextAt(field, incoming);
            TextValue& target = TextAt(field, stored);
            if (field.merge == FieldMerge::Clear) {
                target.clear();
            } else if (field.merge == FieldMerge::Always || !source.empty()) {
                target = source;
            }
            continue;
        }
        char* target = static_cast<char*>(stored) + field.offset;
        if (field.merge == FieldMerge::Clear) {
            std::memset(target, 0, field.width);
        } else if (field.merge == FieldMerge::Always) {
            std::memmove(target, member(incoming, field), field.width);
        }
    }
}

bool FormatField(const CommField& field, const void* rec, char* szBuf, std::uint32_t nBufLen) {
    if (field.kind == FieldType::None && field.format == nullptr) {
        return false;
    }
    const char* value = member(rec, field);
    if (field.format != nullptr) {
        return field.format(value, szBuf, nBufLen);
    }
    switch (field.kind) {
    case FieldType::Text:
        copyToField(szBuf, nBufLen, TextAt(field, rec).view());
        return true;
    case FieldType::Date: {
        double date = 0;
        std::memcpy(&date, value, sizeof date);
        CxDateTime moment;
        moment.SetVariantTime(date);
        // A date the conversion refuses shows as nothing rather than as the current time the
        // object started with.
        if (moment.IsValid()) {
            moment.DateTimeText(szBuf, nBufLen);
        }
        return true;
    }
    case FieldType::SystemTime: {
        win::SYSTEMTIME when{};
        std::memcpy(&when, value, sizeof when);
        char text[CxDateTime::kTextSize];
        std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", when.wMonth, when.wDay,
                      when.wYear, when.wHour, when.wMinute, when.wSecond);
        copyToField(szBuf, nBufLen, text);
        return true;
    }
    default:
        return false;
    }
}

bool FieldTextOfRow(const CommField* field, const void* rec, char* szBuf, std::uint32_t nBufLen) {
    if (nBufLen == 0) {
        return true;
    }
    szBuf[0] = '\0';
    szBuf[nBufLen - 1] = '\0';
    if (field != nullptr) {
        FormatField(*field, rec, szBuf, nBufLen);
    }
    return true;
}

bool YesNoFieldText(const void* member, char* szBuf, std::uint32_t nBufLen) {
    std::int32_t flag = 0;
    std::memcpy(&flag, member, sizeof flag);
    copyToField(szBuf, nBufLen, flag != 0 ? "Yes" : "No");
    return true;
}

bool NoFieldText(const void*, char*, std::uint32_t) {
    return false;
}

const CommField* FieldWithDescriptor(std::span<const CommField> fields, std::uint32_t id) {
    for (const CommField& field : fields) {
        if (field.descName != nullptr && field.descId == id) {
            return &field;
        }
    }
    return nullptr;
}

bool SameKey(const MatchKey& a, const MatchKey& b) {
    if (a.tag != b.tag || a.parts != b.parts) {
        return false;
    }
    // A tag stands for the same members on every record, so both parts have one width.
    for (std::uint32_t i = 0; i < a.parts; ++i) {
        if (std::strncmp(a.part[i].text, b.part[i].text, a.part[i].width) != 0) {
            return false;
        }
    }
    return true;
}

std::uint64_t KeyHash(const MatchKey& key) {
    // FNV-1a over the tag and each text up to its terminator, with a separator after each text,
    // then the finaliser of splitmix64 so that the table's low bits are well spread.
    std::uint64_t hash = 0xcbf29ce484222325ULL ^ key.tag;
    for (std::uint32_t i = 0; i < key.parts; ++i) {
        const char* text = key.part[i].text;
        for (std::uint32_t at = 0; at < key.part[i].width && text[at] != '\0'; ++at) {
            hash = (hash ^ static_cast<unsigned char>(text[at])) * 0x100000001b3ULL;
        }
        hash = (hash ^ 0x100) * 0x100000001b3ULL;
    }
    hash = (hash ^ (hash >> 30)) * 0xbf58476d1ce4e5b9ULL;
    hash = (hash ^ (hash >> 27)) * 0x94d049bb133111ebULL;
    return hash ^ (hash >> 31);
}

void MatchIndex::clear() {
    m_slots.clear();
    m_links.clear();
    m_used = 0;
}

namespace {

// At most four slots in five are used, so a probe always ends at a free slot. A list's keys are
// many (eight for a contact with an address), and the table is the larger part of the index.
bool fits(std::size_t used, std::size_t slots) {
    return used * 5 <= slots * 4;
}

} // namespace

std::size_t MatchIndex::slotOf(std::uint64_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = static_cast<std::size_t>(hash) & mask;
    while (m_slots[slot].head != kNone && m_slots[slot].hash != hash) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

void MatchIndex::rehash(std::size_t slots) {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(slots, Slot{0, kNone, kNone});
    for (const Slot& slot : old) {
        if (slot.head != kNone) {
            m_slots[slotOf(slot.hash)] = slot;
        }
    }
}

void MatchIndex::reserve(std::size_t keys) {
    // Records added one at a time between lookups reserve a few keys each: the room still grows
    // by doubling then, or every addition would copy the whole chain store.
    if (m_links.size() + keys > m_links.capacity()) {
        m_links.reserve(std::max(m_links.size() + keys, 2 * m_links.capacity()));
    }
    std::size_t slots = m_slots.empty() ? 64 : m_slots.size();
    while (!fits(m_used + keys, slots)) {
        slots *= 2;
    }
    if (slots != m_slots.size()) {
        rehash(slots);
    }
}

void MatchIndex::add(std::uint64_t hash, std::uint32_t position, std::uint32_t generation) {
    if (m_slots.empty() || !fits(m_used + 1, m_slots.size())) {
        rehash(m_slots.empty() ? 64 : m_slots.size() * 2);
    }
    const auto link = static_cast<std::uint32_t>(m_links.size());
    m_links.push_back(Link{position, generation, kNone});
    Slot& slot = m_slots[slotOf(hash)];
    if (slot.head == kNone) {
        slot = Slot{hash, link, link};
        ++m_used;
        return;
    }
    // Records are filed in position order, so this is almost always an append; a record re-filed
    // after a change goes to its place in the chain.
    if (m_links[slot.tail].position <= position) {
        m_links[slot.tail].next = link;
        slot.tail = link;
        return;
    }
    if (m_links[slot.head].position > position) {
        m_links[link].next = slot.head;
        slot.head = link;
        return;
    }
    std::uint32_t before = slot.head;
    while (m_links[m_links[before].next].position <= position) {
        before = m_links[before].next;
    }
    m_links[link].next = m_links[before].next;
    m_links[before].next = link;
}

} // namespace twinleaf
