// What the common records of the four kinds share. Each record is described once by a field table
// (member, width, type, whether it takes part in equality and how it merges, and the descriptor
// through which a column or dialog chooses it); equality, merging, field texts and the JSON output
// are all read off that table. The record list is one template: a kind supplies its record, its
// table and a key extractor, the rule that says which records are candidates for each other.
#pragma once

#include "platform/Assert.h"
#include "platform/text/FieldText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <unordered_map>
#include <vector>

namespace twinleaf {

// How a member is stored. Date is an OLE automation date (a double); SystemTime a SYSTEMTIME, of
// which the day and the time to the minute take part in equality; None marks a descriptor row that
// has no member of its own (it may still show a member through its format function).
enum class FieldType : std::uint8_t { Text, Date, Int32, UInt32, SystemTime, None };

// What MergeAt does with a member: leave the stored value, take the incoming one when it is a
// non-empty text, take it whatever it is, or zero the stored value (a status that a merge makes
// stale).
enum class FieldMerge : std::uint8_t { Keep, IfNotEmpty, Always, Clear };

// One row of a record's field table. Rows with a member come in declaration order; rows that only
// carry a descriptor (kind None) follow them.
struct CommField {
    const char* name; // the member's name, also its JSON key
    std::size_t offset;
    std::size_t width; // bytes of the member
    FieldType kind;
    bool compared; // a difference here makes two matched records "different"
    FieldMerge merge;
    std::uint32_t descId; // 0: no descriptor
    const char* descName;
    std::uint32_t descSize; // the buffer guard of GetFieldText, not always the width
    // The display text when it is not the member's plain text or date; false for a value that
    // has no text.
    bool (*format)(const void* member, char* szBuf, std::uint32_t nBufLen);
};

// The text member a Text row places in a record.
inline const TextValue& TextAt(const CommField& field, const void* rec) {
    return TextMemberAt(rec, field.offset);
}
inline TextValue& TextAt(const CommField& field, void* rec) {
    return TextMemberAt(rec, field.offset);
}

// True when every compared member of the two records is equal.
bool FieldsEqual(std::span<const CommField> fields, const void* a, const void* b);
// Applies each member's merge rule from `incoming` to `stored`.
void MergeFields(std::span<const CommField> fields, void* stored, const void* incoming);
// Empties the texts of `incoming` that merge only when set and equal those of `stored`: they bring
// nothing new, and left empty, an update keeps what the stored side holds beyond the common
// record (a text longer than the record's field) instead of writing back its cut form.
void LeaveUnchangedTexts(std::span<const CommField> fields, void* incoming, const void* stored);
// Empties in `held` every text that `given` leaves empty.
void ClearTextsEmptyIn(std::span<const CommField> fields, void* held, const void* given);
// Writes the display text of one member into szBuf (cut to nBufLen - 1 characters); false for a
// row without member or a value without text. The buffer has been emptied by the caller.
bool FormatField(const CommField& field, const void* rec, char* szBuf, std::uint32_t nBufLen);
// What a kind's GetFieldText does once the row of the field id is found: the buffer emptied, then
// the row's text, if any (a null row gives an empty text). Always true.
bool FieldTextOfRow(const CommField* field, const void* rec, char* szBuf, std::uint32_t nBufLen);

// Display texts the kinds' tables share: "Yes" or "No" of a 32-bit flag; and nothing, for a
// column that names a field but shows none of it.
bool YesNoFieldText(const void* member, char* szBuf, std::uint32_t nBufLen);
bool NoFieldText(const void* member, char* szBuf, std::uint32_t nBufLen);
// The row of a table that carries descriptor `id`, or null.
const CommField* FieldWithDescriptor(std::span<const CommField> fields, std::uint32_t id);

// One matching key of a record: a tag telling keys of different meaning apart and up to three
// fixed-width text members, compared up to their terminators. Two records are candidates for each
// other when they share a key.
struct MatchKey {
    struct Part {
        const char* text;
        std::uint32_t width;
    };
    std::uint32_t tag;
    std::uint32_t parts;
    Part part[3];
};

template <std::size_t Width> MatchKey::Part KeyPart(const TextField<Width>& member) {
    return MatchKey::Part{member.c_str(), static_cast<std::uint32_t>(Width)};
}

bool SameKey(const MatchKey& a, const MatchKey& b);
std::uint64_t KeyHash(const MatchKey& key);

// Result codes of FindMatch.
enum FindMatchResult : int {
    kMatchNoRecord = -1,
    kMatchSame = 1,
    kMatchNotFound = 2,
    kMatchDifferent = 3,
};

// The CompareStatus a FindMatch result stands for: 1 new (no counterpart), 2 different, else 0.
constexpr std::int32_t CompareStatusFor(int findMatchResult) {
    switch (findMatchResult) {
    case kMatchNotFound:
        return 1;
    case kMatchDifferent:
        return 2;
    default:
        return 0;
    }
}

// Positions filed under 64-bit key hashes: an open-addressing table whose slots head a chain of
// entries in position order. Keys that share a hash share a chain, and an entry whose record was
// re-keyed since stays in it with an old generation; the caller checks every entry it is given.
class MatchIndex {
public:
    static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

    void clear();
    // Room for `keys` more keys, so that filing a whole list sizes the table once.
    void reserve(std::size_t keys);
    void add(std::uint64_t hash, std::uint32_t position, std::uint32_t generation);
    // The first position of the hash's chain below `limit` that `agrees(position, generation)`
    // accepts, or kNone.
    template <class Agrees>
    std::uint32_t first(std::uint64_t hash, std::uint32_t limit, Agrees agrees) const {
        if (m_slots.empty()) {
            return kNone;
        }
        for (std::uint32_t link = m_slots[slotOf(hash)].head; link != kNone;
             link = m_links[link].next) {
            const Link& entry = m_links[link];
            if (entry.position >= limit) {
                break;
            }
            if (agrees(entry.position, entry.generation)) {
                return entry.position;
            }
        }
        return kNone;
    }

private:
    struct Slot {
        std::uint64_t hash;
        std::uint32_t head; // kNone: the slot is free
        std::uint32_t tail;
    };
    struct Link {
        std::uint32_t position;
        std::uint32_t generation;
        std::uint32_t next;
    };
    std::size_t slotOf(std::uint64_t hash) const;
    // Moves every chain into a table of `slots` slots, a power of two.
    void rehash(std::size_t slots);
    std::vector<Slot> m_slots;
    std::vector<Link> m_links;
    std::size_t m_used = 0;
};

// The list of one side's common records of one kind. Records are owned by the list, each owning
// its Native block (from malloc); a record's position is the index both sides use to address
// it. Traits gives:
//   Record                        the record, with CompareStatus, Native and NativeSize
//   Fields()                      the record's field table
//   kMaxKeys, Keys(rec, keys)     the matching keys of a record; returns how many it wrote
//
// Two matched records are compared field by field. When the list is told how the narrower of the
// two sides holds a record (SetHeldAs), both are first put into that side's shape: a value it has
// no place for, or the part of a text beyond its field, cannot be synchronised and so makes no
// difference; every value it can hold is compared as it stands.
//
// FindMatch answers through an index over the keys, with the result of a walk in list order that
// stops at the record itself or at the first record sharing a key. The index follows AddCopy and
// MergeAt; records handed out by First, Next, GetAt and FindMatch may be changed in place by their
// caller, so each is checked again, and re-filed if its keys changed, before the next lookup.
template <class Traits> class CommRecordMgr {
public:
    using Record = typename Traits::Record;
    // Fills `held` (zeroed by the caller) with `rec` as a side would keep it in place of
    // `counterpart`, the record it is compared with (one of the two may be that side's own).
    using HeldAs = void (*)(const Record& rec, const Record& counterpart, Record& held);

    CommRecordMgr() = default;
    virtual ~CommRecordMgr() { RemoveAll(); }
    static std::span<const CommField> Fields() { return Traits::Fields(); }
    CommRecordMgr(const CommRecordMgr&) = delete;
    CommRecordMgr& operator=(const CommRecordMgr&) = delete;

    // Frees every record with its Native block and empties the list.
    void RemoveAll() {
        for (Record* rec : m_Recs) {
            std::free(rec->Native);
            delete rec;
        }
        m_Recs.clear();
        m_nFindIndex = 0;
        m_generation.clear();
        m_hashes.clear();
        m_keyCount.clear();
        m_isDirty.clear();
        m_dirty.clear();
        m_positionOf.clear();
        m_index.clear();
        m_nIndexed = 0;
    }

    // Appends a deep copy (Native included); null for a null record or a failed allocation.
    Record* AddCopy(const Record* pRec) {
        if (pRec == nullptr) {
            return nullptr;
        }
        auto* copy = new (std::nothrow) Record(*pRec);
        if (copy == nullptr) {
            return nullptr;
        }
        copy->Native = nullptr;
        copy->NativeSize = 0;
        if (pRec->Native != nullptr && pRec->NativeSize != 0) {
            copy->Native = std::malloc(pRec->NativeSize);
            if (copy->Native != nullptr) {
                std::memcpy(copy->Native, pRec->Native, pRec->NativeSize);
                copy->NativeSize = pRec->NativeSize;
            }
        }
        return append(copy);
    }

    // Appends the record itself, its texts taken over rather than copied; it must carry no
    // Native block. Null for a failed allocation, the record then left as it was.
    Record* Add(Record&& rec) {
        TL_ASSERT(rec.Native == nullptr);
        auto* added = new (std::nothrow) Record(std::move(rec));
        return added == nullptr ? nullptr : append(added);
    }

    // Merges pRec into the stored record at nIndex by the field table's merge rules.
    bool MergeAt(const Record* pRec, int nIndex) {
        if (pRec == nullptr || nIndex < 0 || static_cast<std::size_t>(nIndex) >= m_Recs.size()) {
            return false;
        }
        MergeFields(Traits::Fields(), m_Recs[static_cast<std::size_t>(nIndex)], pRec);
        touch(static_cast<std::uint32_t>(nIndex));
        return true;
    }

    // First, Next and GetAt share one cursor: GetAt(k) followed by Next gives record k + 1.
    Record* First() {
        m_nFindIndex = 0;
        return m_Recs.empty() ? nullptr : handOut(0);
    }
    Record* Next() {
        if (m_Recs.empty() || m_nFindIndex >= m_Recs.size() - 1) {
            return nullptr;
        }
        return handOut(++m_nFindIndex);
    }
    Record* GetAt(std::uint32_t nIndex) {
        if (nIndex >= m_Recs.size()) {
            return nullptr;
        }
        m_nFindIndex = nIndex;
        return handOut(nIndex);
    }
    std::uint32_t GetCount() const { return static_cast<std::uint32_t>(m_Recs.size()); }

    // Looks pRec up in this list: kMatchNoRecord for null; kMatchSame at the record itself;
    // otherwise the first record sharing a key is the match, kMatchSame when all compared fields
    // are equal and kMatchDifferent when not; kMatchNotFound when no record shares a key. The
    // match and its position go to the out-parameters, which may be null; on kMatchNotFound the
    // position is the number of records and the match is left untouched.
    int FindMatch(const Record* pRec, Record** ppMatch = nullptr, int* pnIndex = nullptr) {
        if (pRec == nullptr) {
            return kMatchNoRecord;
        }
        updateIndex();
        std::uint32_t best = MatchIndex::kNone;
        if (const auto self = m_positionOf.find(pRec); self != m_positionOf.end()) {
            best = self->second;
        }
        MatchKey keys[Traits::kMaxKeys];
        const std::size_t count = Traits::Keys(*pRec, keys);
        for (std::size_t k = 0; k < count; ++k) {
            const MatchKey& key = keys[k];
            const std::uint32_t at = m_index.first(
                KeyHash(key), best, [&](std::uint32_t position, std::uint32_t generation) {
                    return generation == m_generation[position] && hasKey(*m_Recs[position], key);
                });
            if (at < best) {
                best = at;
            }
        }
        return answer(pRec, best, ppMatch, pnIndex);
    }

    // The same answer found by walking the list and comparing keys record by record, without the
    // index: what FindMatch must always agree with.
    int FindMatchByWalking(const Record* pRec, Record** ppMatch = nullptr, int* pnIndex = nullptr) {
        if (pRec == nullptr) {
            return kMatchNoRecord;
        }
        MatchKey keys[Traits::kMaxKeys];
        const std::size_t count = Traits::Keys(*pRec, keys);
        std::uint32_t position = 0;
        for (; position < m_Recs.size(); ++position) {
            const Record& candidate = *m_Recs[position];
            if (&candidate == pRec || sharesKey(candidate, keys, count)) {
                break;
            }
        }
        return answer(pRec, position < m_Recs.size() ? position : MatchIndex::kNone, ppMatch,
                      pnIndex);
    }

    // How matched records are put into shape before their fields are compared; null compares
    // them as they are. RemoveAll leaves it in place: it belongs to the side, not to the records.
    void SetHeldAs(HeldAs heldAs) { m_heldAs = heldAs; }
    HeldAs GetHeldAs() const { return m_heldAs; }

    // Gives `rec` back the values of `stored` where the two differ only in what the side that
    // holds records as GetHeldAs cannot keep (a value it has no place for, the end of a text it
    // cut, a number it keeps coarser), so that writing `rec` over `stored` does not lose them.
    // Numbers count only where a merge carries them: the rest (source, ids, status) say where a
    // record comes from, not what it holds.
    void KeepUnheld(Record& rec, const Record& stored) const {
        if (m_heldAs == nullptr) {
            return;
        }
        Record heldRec{};
        Record heldStored{};
        m_heldAs(rec, stored, heldRec);
        m_heldAs(stored, rec, heldStored);
        for (const CommField& field : Traits::Fields()) {
            const bool text = field.kind == FieldType::Text;
            if (field.kind == FieldType::None || (!text && field.merge != FieldMerge::Always &&
                                                  field.merge != FieldMerge::IfNotEmpty)) {
                continue;
            }
            if (text) {
                const auto at = [&field](const Record& r) -> const TextValue& {
                    return TextAt(field, &r);
                };
                if (at(rec).view() != at(stored).view() &&
                    at(heldRec).view() == at(heldStored).view()) {
                    TextAt(field, &rec) = at(stored);
                }
                continue;
            }
            const auto at = [&field](const Record& r) {
                return reinterpret_cast<const char*>(&r) + field.offset;
            };
            if (std::memcmp(at(rec), at(stored), field.width) != 0 &&
                std::memcmp(at(heldRec), at(heldStored), field.width) == 0) {
                std::memcpy(reinterpret_cast<char*>(&rec) + field.offset, at(stored), field.width);
            }
        }
    }

    // Sets CompareStatus of every own record against pOther; false only for a null pOther.
    bool CompareWith(CommRecordMgr* pOther) {
        if (pOther == nullptr) {
            return false;
        }
        // Walked by position, not with the cursor: comparing a list with itself must not let
        // FindMatch move the cursor under this loop. CompareStatus is no key, so nothing here
        // needs to be checked again.
        for (Record* rec : m_Recs) {
            rec->CompareStatus = CompareStatusFor(pOther->FindMatch(rec));
        }
        return true;
    }

protected:
    std::vector<Record*> m_Recs; // in the order the records were added
    std::uint32_t m_nFindIndex = 0;

private:
    int answer(const Record* pRec, std::uint32_t position, Record** ppMatch, int* pnIndex) {
        if (position == MatchIndex::kNone) {
            if (pnIndex != nullptr) {
                *pnIndex = static_cast<int>(m_Recs.size());
            }
            return kMatchNotFound;
        }
        Record* match = m_Recs[position];
        if (pnIndex != nullptr) {
            *pnIndex = static_cast<int>(position);
        }
        if (ppMatch != nullptr) {
            *ppMatch = handOut(position);
        }
        if (match == pRec || sameAsHeld(*pRec, *match)) {
            return kMatchSame;
        }
        return kMatchDifferent;
    }

    // Records equal as they stand are the same whatever shape a side holds them in; only a pair
    // that differs pays for putting both records into that shape.
    bool sameAsHeld(const Record& a, const Record& b) const {
        if (FieldsEqual(Traits::Fields(), &a, &b)) {
            return true;
        }
        if (m_heldAs == nullptr) {
            return false;
        }
        Record heldA{};
        Record heldB{};
        m_heldAs(a, b, heldA);
        m_heldAs(b, a, heldB);
        return FieldsEqual(Traits::Fields(), &heldA, &heldB);
    }

    static bool hasKey(const Record& rec, const MatchKey& key) {
        MatchKey keys[Traits::kMaxKeys];
        const std::size_t count = Traits::Keys(rec, keys);
        for (std::size_t k = 0; k < count; ++k) {
            if (SameKey(keys[k], key)) {
                return true;
            }
        }
        return false;
    }

    static bool sharesKey(const Record& rec, const MatchKey* keys, std::size_t count) {
        for (std::size_t k = 0; k < count; ++k) {
            if (hasKey(rec, keys[k])) {
                return true;
            }
        }
        return false;
    }

    // Puts a record the list now owns last, with its bookkeeping.
    Record* append(Record* copy) {
        m_Recs.push_back(copy);
        // As with an append to the ordered list, the cursor moves to the new last record.
        m_nFindIndex = static_cast<std::uint32_t>(m_Recs.size() - 1);
        m_generation.push_back(0);
        m_keyCount.push_back(0);
        m_hashes.resize(m_hashes.size() + Traits::kMaxKeys);
        m_isDirty.push_back(false);
        m_positionOf.emplace(copy, m_nFindIndex);
        return copy;
    }

    Record* handOut(std::uint32_t position) {
        touch(position);
        return m_Recs[position];
    }

    // The record may change before the next lookup: check its keys then.
    void touch(std::uint32_t position) {
        if (position < m_nIndexed && !m_isDirty[position]) {
            m_isDirty[position] = true;
            m_dirty.push_back(position);
        }
    }

    void updateIndex() {
        for (std::uint32_t position : m_dirty) {
            m_isDirty[position] = false;
            refile(position);
        }
        m_dirty.clear();
        // New records are hashed first, so that the index is sized once for all their keys.
        if (m_nIndexed < m_Recs.size()) {
            std::size_t keys = 0;
            for (auto position = m_nIndexed; position < m_Recs.size(); ++position) {
                keys += hashKeys(position);
            }
            m_index.reserve(keys);
            for (; m_nIndexed < m_Recs.size(); ++m_nIndexed) {
                enter(m_nIndexed);
            }
        }
    }

    std::uint64_t* hashesOf(std::uint32_t position) {
        return &m_hashes[static_cast<std::size_t>(position) * Traits::kMaxKeys];
    }

    // Keeps the hashes of the record's keys as they are now; returns how many it has.
    std::size_t hashKeys(std::uint32_t position) {
        MatchKey keys[Traits::kMaxKeys];
        const std::size_t count = Traits::Keys(*m_Recs[position], keys);
        std::uint64_t* hashes = hashesOf(position);
        for (std::size_t k = 0; k < count; ++k) {
            hashes[k] = KeyHash(keys[k]);
        }
        m_keyCount[position] = static_cast<std::uint8_t>(count);
        return count;
    }

    void enter(std::uint32_t position) {
        const std::uint64_t* hashes = hashesOf(position);
        for (std::size_t k = 0; k < m_keyCount[position]; ++k) {
            m_index.add(hashes[k], position, m_generation[position]);
        }
    }

    // Files a changed record again, under a new generation, only when a key hash changed.
    void refile(std::uint32_t position) {
        std::uint64_t before[Traits::kMaxKeys];
        const std::size_t countBefore = m_keyCount[position];
        std::copy_n(hashesOf(position), countBefore, before);
        const std::size_t count = hashKeys(position);
        if (count == countBefore && std::equal(before, before + count, hashesOf(position))) {
            return;
        }
        ++m_generation[position];
        enter(position);
    }

    std::vector<std::uint32_t> m_generation;
    std::vector<std::uint64_t> m_hashes; // kMaxKeys per record, as last filed
    std::vector<std::uint8_t> m_keyCount;
    std::vector<bool> m_isDirty;
    std::vector<std::uint32_t> m_dirty;
    std::unordered_map<const Record*, std::uint32_t> m_positionOf;
    MatchIndex m_index;
    std::uint32_t m_nIndexed = 0; // records below this position are in the index
    HeldAs m_heldAs = nullptr;
};

} // namespace twinleaf
