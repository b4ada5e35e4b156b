// How a kind's record meets the rows of its file: the value types a row field can hold, the field
// table that places each field in the record, and the record list the readers fill.
#pragma once

#include "common/misc/CxList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <type_traits>

namespace twinleaf {

// A blob field of the extended files; Data (Size bytes) is owned by the record holding it.
struct BlobValue {
    std::int32_t Word0;
    std::int32_t Kind;
    std::int32_t Word2;
    std::int32_t Word3;
    std::int32_t Size;
    std::uint8_t* Data;
};

// Gives `to` its own copy of the blob's data; false when memory runs out (then `to` has none).
bool CopyBlob(const BlobValue& from, BlobValue& to);
void FreeBlob(BlobValue& blob);

// The date book's repeat field. DayIndex to DateNumber are used by some repeat types only; the
// exception dates and the class entry are not held (an unchanged field keeps them in the file).
struct RepeatValue {
    std::int32_t RepeatType; // 0 none, 1 daily ... 6 yearly by day
    std::int32_t Interval;
    std::int32_t EndDate;
    std::int32_t FirstDayOfWeek;
    std::int32_t DayIndex;
    std::uint8_t DaysMask;
    std::int32_t WeekIndex;
    std::int32_t MonthIndex;
    std::int32_t DateNumber;
};

// How one field of a row is held in the record: the field's index within the row is its position
// in the table. Text slots are cut to their width on reading; Int64 is an std::int64_t, Blob a
// BlobValue whose data the decoded record owns, Repeat a RepeatValue.
enum class RowValue : std::uint8_t { Int, Bool, Date, Text, Int64, Blob, Repeat };
struct RowField {
    RowValue kind;
    std::uint32_t offset; // within the record
    std::uint32_t width;  // bytes of the member
};
struct RowCodec {
    std::span<const RowField> fields;
    std::size_t recordSize;
    std::size_t fileRowOffset; // the record's FileRow member: 1-based row of the loaded file
};

// What a record owns beyond its fixed bytes. Records without blobs own nothing; a kind whose
// records hold blobs names a policy that duplicates and releases them.
struct NoOwnedData {
    template <class Rec> static bool Duplicate(Rec&) { return true; }
    template <class Rec> static void Release(Rec&) {}
};

// A list of fixed-size records, each a malloc'ed copy owned by the list, in file order.
template <class Rec, class Owned = NoOwnedData> class PmRecordList {
    static_assert(std::is_trivially_copyable_v<Rec>);

public:
    PmRecordList() = default;
    virtual ~PmRecordList() { Clear(); }
    PmRecordList(const PmRecordList&) = delete;
    PmRecordList& operator=(const PmRecordList&) = delete;

    void Clear() {
        if constexpr (!std::is_same_v<Owned, NoOwnedData>) {
            for (Rec* record = First(); record != nullptr; record = Next()) {
                Owned::Release(*record);
            }
        }
        m_Recs.Clear(true);
    }
    bool Add(const Rec* record) {
        if (record == nullptr) {
            return false;
        }
        auto* copy = static_cast<Rec*>(std::malloc(sizeof(Rec)));
        if (copy == nullptr) {
            return false;
        }
        std::memcpy(static_cast<void*>(copy), record, sizeof(Rec));
        if (!Owned::Duplicate(*copy)) {
            std::free(copy);
            return false;
        }
        if (!m_Recs.Add(copy)) {
            Owned::Release(*copy);
            std::free(copy);
            return false;
        }
        return true;
    }
    // Appends a zeroed record to be filled in place, which spares the copy Add makes of a
    // record built elsewhere; null when memory runs out.
    Rec* AddBlank() {
        auto* record = static_cast<Rec*>(std::calloc(1, sizeof(Rec)));
        if (record != nullptr && !m_Recs.Add(record)) {
            std::free(record);
            record = nullptr;
        }
        return record;
    }
    Rec* First() { return static_cast<Rec*>(m_Recs.First()); }
    Rec* Next() { return static_cast<Rec*>(m_Recs.Next()); }
    Rec* At(std::uint32_t index) { return static_cast<Rec*>(m_Recs.GetAt(index)); }
    std::uint32_t Count() const { return m_Recs.GetCount(); }

private:
    CxList m_Recs;
};

} // namespace twinleaf
