// How a kind's record meets the rows of its file: the value types a row field can hold, the field
// table that places each field in the record, and the record list the readers fill.
#pragma once

#include "common/misc/CxList.h"
#include "platform/text/FieldText.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <span>
#include <utility>

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
// in the table. Text is a TextField whose width is the limit a text is cut to on reading; Int64 is
// an std::int64_t, Blob a BlobValue whose data the decoded record owns, Repeat a RepeatValue.
enum class RowValue : std::uint8_t { Int, Bool, Date, Text, Int64, Blob, Repeat };
struct RowField {
    RowValue kind;
    std::uint32_t offset; // within the record
    std::uint32_t width;  // bytes of the member; of a text, its limit with the terminator
};

// The text member a Text field places in a record.
inline const TextValue& RowText(const RowField& field, const void* record) {
    return TextMemberAt(record, field.offset);
}
inline TextValue& RowText(const RowField& field, void* record) {
    return TextMemberAt(record, field.offset);
}

// The row engine sees a record as members at offsets, but records own their texts: it makes and
// drops them only through these, never as raw bytes.
template <class Rec> void* NewRowRecord() {
    return new (std::nothrow) Rec{};
}
template <class Rec> void DeleteRowRecord(void* record) {
    delete static_cast<Rec*>(record);
}

struct RowCodec {
    std::span<const RowField> fields;
    std::size_t fileRowOffset;   // the record's FileRow member: 1-based row of the loaded file
    void* (*newRecord)();        // a value-initialised record, null when memory runs out
    void (*deleteRecord)(void*); // of a record newRecord made
};

// The codec of a record type whose FileRow member keeps its row.
template <class Rec> constexpr RowCodec RowCodecOf(std::span<const RowField> fields) {
    return {fields, offsetof(Rec, FileRow), &NewRowRecord<Rec>, &DeleteRowRecord<Rec>};
}

// What a record owns beyond its fixed bytes. Records without blobs own nothing; a kind whose
// records hold blobs names a policy that duplicates and releases them.
struct NoOwnedData {
    template <class Rec> static bool Duplicate(Rec&) { return true; }
    template <class Rec> static void Release(Rec&) {}
};

// A list of records, each a copy owned by the list, in file order.
template <class Rec, class Owned = NoOwnedData> class PmRecordList {
public:
    PmRecordList() = default;
    virtual ~PmRecordList() { Clear(); }
    PmRecordList(const PmRecordList&) = delete;
    PmRecordList& operator=(const PmRecordList&) = delete;

    void Clear() {
        for (Rec* record = First(); record != nullptr; record = Next()) {
            Owned::Release(*record);
            delete record;
        }
        m_Recs.Clear(false);
    }
    bool Add(const Rec* record) {
        return record != nullptr && Keep(new (std::nothrow) Rec(*record));
    }
    // Takes the record's texts over instead of copying them; what Owned names is still duplicated,
    // so `record` keeps its own and releases it as before.
    bool Add(Rec&& record) { return Keep(new (std::nothrow) Rec(std::move(record))); }
    // Appends an empty record to be filled in place, which spares the copy Add makes of a
    // record built elsewhere; null when memory runs out.
    Rec* AddBlank() {
        auto* record = new (std::nothrow) Rec{};
        if (record != nullptr && !m_Recs.Add(record)) {
            delete record;
            record = nullptr;
        }
        return record;
    }
    Rec* First() { return static_cast<Rec*>(m_Recs.First()); }
    Rec* Next() { return static_cast<Rec*>(m_Recs.Next()); }
    Rec* At(std::uint32_t index) { return static_cast<Rec*>(m_Recs.GetAt(index)); }
    std::uint32_t Count() const { return m_Recs.GetCount(); }

private:
    // Lists a copy whose owned data is still the original's, or drops it.
    bool Keep(Rec* copy) {
        if (copy == nullptr) {
            return false;
        }
        if (!Owned::Duplicate(*copy)) {
            delete copy;
            return false;
        }
        if (!m_Recs.Add(copy)) {
            Owned::Release(*copy);
            delete copy;
            return false;
        }
        return true;
    }

    CxList m_Recs;
};

} // namespace twinleaf
