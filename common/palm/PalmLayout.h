// The byte layout of Palm Desktop's .dat files, in one place that the readers and the writers
// both include, so the two directions cannot drift apart. Integers are little-endian; texts are
// 8-bit and never terminated in the file.
//
// Classic file, in file order:
//   version tag (4) | stored file name (CString) | table string (CString) | category block |
//   schema: resource id, fields per row, record id pos, status pos, placement pos (4 each),
//           field count (2), field types (field count x 2) |
//   entry count (4, untagged: rows x fields per row) | rows of tagged fields
//
// Extended files put a 24-byte signature and a header block before the same kind of body.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace twinleaf::palm {

// CString: a length byte, or 0xFF and a 2-byte length, then the text. A length of exactly 255
// already takes the escape form.
inline constexpr std::uint8_t kCStringEscape = 0xFF;
inline constexpr std::size_t kCStringShortMax = 254;
inline constexpr std::size_t kCStringMax = 65535;

// Tags before every field of a row.
enum FieldType : std::int32_t {
    kFieldInteger = 1,
    kFieldDate = 3,
    kFieldString = 5,
    kFieldBoolean = 6,
    kFieldRepeatEvent = 8,
};

// Blob fields are tagged by their place: the schema lists the four of a row as types 64 to 67.
inline constexpr std::int32_t kFieldBlobFirst = 64;
inline constexpr std::int32_t kFieldBlobLast = 67;

// Repeat field: tag 8, exception count (2) and dates (4 each), then a class marker (2): 0 for no
// repeat, 0xFFFF before a class entry (schema 1 (2), name length (2), name), any other value
// referring back to a class named earlier. Then type, interval, end date, first day of week
// (4 each) and the words of the type.
inline constexpr std::uint16_t kRepeatNone = 0;
inline constexpr std::uint16_t kRepeatNewClass = 0xFFFF;
inline constexpr std::uint16_t kRepeatClassSchema = 1;
enum RepeatType : std::int32_t {
    kRepeatDaily = 1,         // day index
    kRepeatWeekly = 2,        // day index, days mask (1 byte)
    kRepeatMonthlyByDay = 3,  // day index, week index
    kRepeatMonthlyByDate = 4, // date number
    kRepeatYearlyByDate = 5,  // date number, month index
    kRepeatYearlyByDay = 6,   // nothing more
};
inline constexpr std::array<std::string_view, 7> kRepeatClassNames = {
    "", "CDayName", "CWeekly", "CDayOfMonth", "CDateOfMonth", "CDateOfYear", "CDayOfYear",
};

// The word between a string field's tag and its CString. Palm Desktop writes 0 there, and some
// readers of these files refuse anything else; we read it without looking at it.
inline constexpr std::int32_t kStringFieldWord = 0;

// The word before an 8-byte field of the extended files.
inline constexpr std::int32_t kInt64FieldWord = 68;

// Category block: next free (4), entry count (4), then entries of
// index (4) | id (4) | dirty word (4) | name (CString) | long name (CString).
inline constexpr std::int32_t kDefaultNextFree = 128;
inline constexpr int kCategorySlots = 16;
inline constexpr std::size_t kCategoryNameMax = 15;
inline constexpr std::size_t kCategoryLongNameMax = 255;
inline constexpr std::int32_t kUnfiledId = 0;
inline constexpr std::string_view kUnfiledName = "Unfiled";

// Schema words as they follow the category block.
struct Schema {
    std::int32_t resourceId;
    std::int32_t fieldsPerRow;
    std::int32_t recordIdPos;
    std::int32_t statusPos;
    std::int32_t placementPos;
};

// Extended files begin with these 24 bytes; only bytes 5 to 23 identify them.
inline constexpr std::array<std::uint8_t, 5> kExtendedMagic = {0xBE, 0xBA, 0xFE, 0xCA, 0x0F};
inline constexpr std::string_view kExtendedSignatureText = "PalmSG Database00RV";
inline constexpr std::size_t kExtendedSignatureSize = 24;

// Status word bits of every Palm record.
inline constexpr std::int32_t kStatusAdded = 0x01;
inline constexpr std::int32_t kStatusChanged = 0x02;
inline constexpr std::int32_t kStatusDeleted = 0x04;
inline constexpr std::int32_t kStatusArchived = 0x80;
inline constexpr std::int32_t kNewRecordPosition = 0x7FFFFFFF;

// ---- Classic address book (address.dat) ----

inline constexpr std::uint32_t kAddrVersionTag = 0x41420100; // bytes 00 01 42 41
inline constexpr Schema kAddrSchema = {74, 30, 0, 1, 2};
inline constexpr int kAddrPhoneSlots = 5;

// Field index of each value within an address row.
enum AddrField : int {
    kAddrRecordId = 0,
    kAddrStatus = 1,
    kAddrPosition = 2,
    kAddrLastName = 3, // first name when names are swapped
    kAddrFirstName = 4,
    kAddrTitle = 5,
    kAddrCompany = 6,
    kAddrPhoneLabel1 = 7, // labels and numbers alternate: 7/8, 9/10, ... 15/16
    kAddrPhone1 = 8,
    kAddrAddress = 17,
    kAddrCity = 18,
    kAddrState = 19,
    kAddrZip = 20,
    kAddrCountry = 21,
    kAddrNote = 22,
    kAddrPrivate = 23,
    kAddrCategory = 24,
    kAddrCustom1 = 25,
    kAddrDisplayPhone = 29,
    kAddrFieldCount = 30,
};

// The type list a file written by Palm Desktop carries, which is also our default.
inline constexpr std::array<std::int16_t, kAddrFieldCount> kAddrFieldTypes = {
    1, 1, 1,          // record id, status, position
    5, 5, 5, 5,       // names, title, company
    1, 5, 1, 5, 1, 5, // phone label / number pairs
    1, 5, 1, 5,       //
    5, 5, 5, 5, 5,    // address, city, state, zip, country
    5,                // note
    6,                // private
    1,                // category
    5, 5, 5, 5,       // custom 1 to 4
    1,                // display phone
};

} // namespace twinleaf::palm
