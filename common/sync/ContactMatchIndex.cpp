// FindMatch through an index. A candidate passes the key test (same last and first name, or the
// same non-empty first e-mail) and the telephone test (one of four numbers the same, two empty
// numbers counting as the same). Both tests together are "some telephone field f has the same
// number, and the names or the e-mails agree", so every record is entered under its names and
// under its e-mail once per telephone field. The first candidate in list order is then the
// smallest position among at most eight look-ups.
#include "common/sync/ContactMatchIndex.h"

#include "platform/Assert.h"
#include "platform/text/FieldText.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <string_view>

namespace twinleaf {
namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
constexpr int kPhoneFields = 4;

std::string_view phone(const CommAddrRec& rec, int field) {
    switch (field) {
    case 0:
        return fieldText(rec.HomePhone);
    case 1:
        return fieldText(rec.WorkPhone);
    case 2:
        return fieldText(rec.MobilePhone);
    default:
        return fieldText(rec.MainPhone);
    }
}

std::uint64_t mix(std::uint64_t seed, std::uint64_t value) {
    // The finaliser of splitmix64 over the running value; spreads short, similar texts apart.
    std::uint64_t z = seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

std::uint64_t textHash(std::string_view text) {
    return std::hash<std::string_view>{}(text);
}

// The hashes of one record's keys: the names and the e-mail are hashed once and combined with
// each telephone field's number.
struct KeyHashes {
    std::uint64_t byName[kPhoneFields];
    std::uint64_t byMail[kPhoneFields];
    bool hasMail;
};

KeyHashes keyHashes(const CommAddrRec& rec) {
    KeyHashes keys{};
    const std::uint64_t names =
        mix(mix(1, textHash(fieldText(rec.LastName))), textHash(fieldText(rec.FirstName)));
    const std::string_view mail = fieldText(rec.EMail);
    const std::uint64_t mailHash = mix(2, textHash(mail));
    keys.hasMail = !mail.empty();
    for (int field = 0; field < kPhoneFields; ++field) {
        const std::uint64_t number = textHash(phone(rec, field));
        const auto fieldNumber = static_cast<std::uint64_t>(field);
        keys.byName[field] = mix(mix(names, fieldNumber), number);
        keys.byMail[field] = mix(mix(mailHash, fieldNumber), number);
    }
    return keys;
}

bool namesAgree(const CommAddrRec& a, const CommAddrRec& b) {
    return fieldText(a.LastName) == fieldText(b.LastName) &&
           fieldText(a.FirstName) == fieldText(b.FirstName);
}

bool mailsAgree(const CommAddrRec& a, const CommAddrRec& b) {
    return fieldText(a.EMail) == fieldText(b.EMail);
}

} // namespace

void ContactMatchIndex::PositionTable::reserve(std::size_t entries) {
    std::size_t slots = 16;
    while (slots < entries * 2) {
        slots *= 2;
    }
    m_slots.assign(slots, Slot{0, kNone, kNone});
    m_links.reserve(entries);
}

std::size_t ContactMatchIndex::PositionTable::slotOf(std::uint64_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = static_cast<std::size_t>(hash) & mask;
    while (m_slots[slot].head != kNone && m_slots[slot].hash != hash) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

void ContactMatchIndex::PositionTable::add(std::uint64_t hash, std::uint32_t position) {
    // reserve was told every entry, so the table is never more than half full and a probe
    // always ends at a free slot.
    TL_ASSERT(m_links.size() * 2 < m_slots.size());
    const auto link = static_cast<std::uint32_t>(m_links.size());
    m_links.push_back({position, kNone});
    Slot& slot = m_slots[slotOf(hash)];
    if (slot.head == kNone) {
        slot = Slot{hash, link, link};
    } else {
        m_links[slot.tail].next = link;
        slot.tail = link;
    }
}

template <class Agrees>
std::uint32_t ContactMatchIndex::PositionTable::first(std::uint64_t hash, std::uint32_t limit,
                                                      Agrees agrees) const {
    if (m_slots.empty()) {
        return kNone;
    }
    const Slot& slot = m_slots[slotOf(hash)];
    if (slot.head == kNone) {
        return kNone;
    }
    for (std::uint32_t link = slot.head; link != kNone; link = m_links[link].next) {
        const std::uint32_t position = m_links[link].position;
        if (position >= limit) {
            break;
        }
        if (agrees(position)) {
            return position;
        }
    }
    return kNone;
}

ContactMatchIndex::ContactMatchIndex(CommAddrMgr& list) {
    const std::uint32_t count = list.GetCount();
    m_records.reserve(count);
    m_positions.reserve(count);
    m_byName.reserve(static_cast<std::size_t>(count) * kPhoneFields);
    m_byMail.reserve(static_cast<std::size_t>(count) * kPhoneFields);
    for (CommAddrRec* rec = list.First(); rec != nullptr; rec = list.Next()) {
        const auto position = static_cast<std::uint32_t>(m_records.size());
        m_records.push_back(rec);
        m_positions.emplace(rec, position);
        const KeyHashes keys = keyHashes(*rec);
        for (int field = 0; field < kPhoneFields; ++field) {
            m_byName.add(keys.byName[field], position);
            if (keys.hasMail) {
                m_byMail.add(keys.byMail[field], position);
            }
        }
    }
}

ContactMatchIndex::~ContactMatchIndex() {
    // The single-record list only ever borrows a record; it must not free it.
    m_single.m_Recs->Clear(false);
}

std::uint32_t ContactMatchIndex::firstCandidate(const CommAddrRec& rec) const {
    std::uint32_t best = kNone;
    const KeyHashes keys = keyHashes(rec);
    for (int field = 0; field < kPhoneFields; ++field) {
        const std::string_view number = phone(rec, field);
        best = std::min(best, m_byName.first(keys.byName[field], best, [&](std::uint32_t at) {
            const CommAddrRec& candidate = *m_records[at];
            return namesAgree(rec, candidate) && number == phone(candidate, field);
        }));
        if (keys.hasMail) {
            best = std::min(best, m_byMail.first(keys.byMail[field], best, [&](std::uint32_t at) {
                const CommAddrRec& candidate = *m_records[at];
                return mailsAgree(rec, candidate) && number == phone(candidate, field);
            }));
        }
    }
    return best;
}

int ContactMatchIndex::FindMatch(const CommAddrRec* pRec, CommAddrRec** ppMatch, int* pnIndex) {
    if (pRec == nullptr) {
        return kMatchNoRecord;
    }
    std::uint32_t position = firstCandidate(*pRec);
    if (const auto self = m_positions.find(pRec); self != m_positions.end()) {
        position = std::min(position, self->second);
    }
    if (position == kNone) {
        if (pnIndex != nullptr) {
            *pnIndex = static_cast<int>(m_records.size());
        }
        return kMatchNotFound;
    }
    CommAddrRec* match = m_records[position];
    m_single.m_Recs->Add(match);
    const int result = m_single.FindMatch(pRec);
    m_single.m_Recs->Clear(false);
    TL_ASSERT(result == kMatchSame || result == kMatchDifferent);
    if (ppMatch != nullptr) {
        *ppMatch = match;
    }
    if (pnIndex != nullptr) {
        *pnIndex = static_cast<int>(position);
    }
    return result;
}

bool CompareContacts(CommAddrMgr& own, CommAddrMgr& other) {
    ContactMatchIndex index(other);
    const std::uint32_t count = own.GetCount();
    for (std::uint32_t i = 0; i < count; ++i) {
        CommAddrRec* rec = own.GetAt(i);
        rec->CompareStatus = CompareStatusFor(index.FindMatch(rec));
    }
    return true;
}

} // namespace twinleaf
