// An index over one CommAddrMgr that answers FindMatch in a few look-ups instead of a walk over
// the whole list. Comparing two address books of ten thousand contacts runs FindMatch twenty
// thousand times; walking the list each time makes that quadratic.
#pragma once

#include "common/misc/CommAddr.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace twinleaf {

// Built from the list as it stands; any change to the list (a record added, merged or removed)
// makes it stale, so it is built, used and dropped within one comparison.
class ContactMatchIndex {
public:
    explicit ContactMatchIndex(CommAddrMgr& list);
    ~ContactMatchIndex();
    ContactMatchIndex(const ContactMatchIndex&) = delete;
    ContactMatchIndex& operator=(const ContactMatchIndex&) = delete;

    // The same result code, match and position as list.FindMatch(pRec, ppMatch, pnIndex).
    int FindMatch(const CommAddrRec* pRec, CommAddrRec** ppMatch = nullptr, int* pnIndex = nullptr);

private:
    // Positions filed under 64-bit key hashes: an open-addressing table whose slots head a chain
    // of positions in list order. Records whose different keys share a hash share a chain; the
    // caller checks every position it is given.
    class PositionTable {
    public:
        // Room for this many entries; add must not be called more often.
        void reserve(std::size_t entries);
        void add(std::uint64_t hash, std::uint32_t position);
        // The first position of the hash's chain that is below `limit` and that `agrees` accepts.
        template <class Agrees>
        std::uint32_t first(std::uint64_t hash, std::uint32_t limit, Agrees agrees) const;

    private:
        struct Slot {
            std::uint64_t hash;
            std::uint32_t head; // kNoPosition: the slot is free
            std::uint32_t tail;
        };
        struct Link {
            std::uint32_t position;
            std::uint32_t next;
        };
        std::size_t slotOf(std::uint64_t hash) const;
        std::vector<Slot> m_slots;
        std::vector<Link> m_links;
    };

    std::uint32_t firstCandidate(const CommAddrRec& rec) const;

    std::vector<CommAddrRec*> m_records; // in list order
    std::unordered_map<const CommAddrRec*, std::uint32_t> m_positions;
    // One entry per record and telephone field: (last name, first name, field number, number)
    // and, for records with an e-mail address, (e-mail, field number, number).
    PositionTable m_byName;
    PositionTable m_byMail;
    // A one-record list through which the matched candidate goes to CommAddrMgr::FindMatch, so
    // that "same" and "different" are decided by the list's own rule.
    CommAddrMgr m_single;
};

// CompareWith done through an index over pOther: the same statuses, in linear time.
bool CompareContacts(CommAddrMgr& own, CommAddrMgr& other);

} // namespace twinleaf
