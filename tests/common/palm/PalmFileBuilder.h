// Builds Palm .dat bytes piece by piece in tests, independently of the writer under test, so a
// test can state the exact bytes it expects or hand the reader a file damaged in one place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace twinleaf::test {

inline std::string le32(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}

inline std::string le16(std::int32_t value) {
    const auto v = static_cast<std::uint16_t>(value);
    return {static_cast<char>(v), static_cast<char>(v >> 8)};
}

inline std::string cstring(std::string_view text) {
    std::string out;
    if (text.size() < 255) {
        out += static_cast<char>(text.size());
    } else {
        out += '\xff';
        out += le16(static_cast<std::int32_t>(text.size()));
    }
    out += text;
    return out;
}

inline std::string intField(std::int32_t value, std::int32_t tag = 1) {
    return le32(tag) + le32(value);
}

inline std::string textField(std::string_view text, std::int32_t word = 0) {
    return le32(5) + le32(word) + cstring(text);
}

struct CategoryEntry {
    std::int32_t index;
    std::int32_t id;
    std::string name;
    std::string longName;
    std::int32_t dirty = 0;
};

inline std::string categoryBlock(const std::vector<CategoryEntry>& entries,
                                 std::int32_t nextFree = 128) {
    std::string out = le32(nextFree) + le32(static_cast<std::int32_t>(entries.size()));
    for (const CategoryEntry& e : entries) {
        out += le32(e.index) + le32(e.id) + le32(e.dirty) + cstring(e.name) + cstring(e.longName);
    }
    return out;
}

inline const std::vector<std::int16_t>& addrTypes() {
    static const std::vector<std::int16_t> types = {1, 1, 1, 5, 5, 5, 5, 1, 5, 1, 5, 1, 5, 1, 5,
                                                    1, 5, 5, 5, 5, 5, 5, 5, 6, 1, 5, 5, 5, 5, 1};
    return types;
}

inline std::string schema(std::int32_t fieldsPerRow, const std::vector<std::int16_t>& types,
                          std::int32_t resourceId = 74) {
    std::string out = le32(resourceId) + le32(fieldsPerRow) + le32(0) + le32(1) + le32(2);
    out += le16(static_cast<std::int32_t>(types.size()));
    for (std::int16_t t : types) {
        out += le16(t);
    }
    return out;
}

inline std::string addrHeader(std::string_view storedName = "C:\\Palm\\address.dat",
                              std::string_view table = "",
                              const std::vector<CategoryEntry>& categories = {}) {
    return std::string("\x00\x01\x42\x41", 4) + cstring(storedName) + cstring(table) +
           categoryBlock(categories) + schema(30, addrTypes());
}

// One address row of 30 fields: the given names, everything else empty or zero.
struct AddrRowFields {
    std::int32_t id = 1;
    std::int32_t status = 0;
    std::string last;
    std::string first;
    std::int32_t category = 0;
    std::string note;
    std::vector<std::pair<std::int32_t, std::string>> phones;
    std::int32_t word = 0;
};

inline AddrRowFields addrPerson(std::int32_t id, std::string last, std::string first) {
    AddrRowFields fields;
    fields.id = id;
    fields.last = std::move(last);
    fields.first = std::move(first);
    return fields;
}

inline std::string addrRow(const AddrRowFields& fields) {
    std::string out = intField(fields.id) + intField(fields.status) + intField(fields.id);
    out += textField(fields.last, fields.word) + textField(fields.first, fields.word);
    out += textField("", fields.word) + textField("", fields.word);
    for (std::size_t i = 0; i < 5; ++i) {
        const bool has = i < fields.phones.size();
        out += intField(has ? fields.phones[i].first : 0);
        out += textField(has ? fields.phones[i].second : "", fields.word);
    }
    for (int i = 0; i < 5; ++i) {
        out += textField("", fields.word);
    }
    out += textField(fields.note, fields.word);
    out += intField(0, 6) + intField(fields.category);
    for (int i = 0; i < 4; ++i) {
        out += textField("", fields.word);
    }
    out += intField(0);
    return out;
}

inline std::string addrFile(const std::vector<AddrRowFields>& rows,
                            const std::vector<CategoryEntry>& categories = {}) {
    std::string out = addrHeader("C:\\Palm\\address.dat", "", categories);
    out += le32(static_cast<std::int32_t>(rows.size() * 30));
    for (const AddrRowFields& r : rows) {
        out += addrRow(r);
    }
    return out;
}

// ---- Classic date book ----

inline const std::vector<std::int16_t>& dateTypes() {
    static const std::vector<std::int16_t> types = {1, 1, 1, 3, 1, 5, 1, 5, 6, 6, 1, 6, 1, 1, 8};
    return types;
}

inline std::string dateHeader(std::string_view storedName = "C:\\Palm\\datebook.dat",
                              const std::vector<std::int16_t>& types = dateTypes()) {
    return std::string("\x00\x01\x42\x44", 4) + cstring(storedName) + cstring("") +
           categoryBlock({}) + schema(15, types, 54);
}

// A repeat field: exception dates, then no class (type 0), a full class entry, or a reference
// back to an earlier one (marker), then the type's words as given.
inline std::string repeatField(std::int32_t type, const std::string& words,
                               const std::vector<std::int32_t>& exceptions = {},
                               std::int32_t marker = 0xFFFF) {
    static const char* const kNames[] = {
        "", "CDayName", "CWeekly", "CDayOfMonth", "CDateOfMonth", "CDateOfYear", "CDayOfYear"};
    std::string out = le32(8) + le16(static_cast<std::int32_t>(exceptions.size()));
    for (std::int32_t date : exceptions) {
        out += le32(date);
    }
    if (type == 0) {
        return out + le16(0);
    }
    out += le16(marker);
    if (marker == 0xFFFF) {
        const std::string_view name = kNames[type];
        out += le16(1) + le16(static_cast<std::int32_t>(name.size())) + std::string(name);
    }
    return out + words;
}

struct DateRowFields {
    std::int32_t id = 1;
    std::int32_t status = 0;
    std::int32_t start = 0;
    std::int32_t end = 0;
    std::string description;
    std::string note;
    std::int32_t untimed = 0;
    std::int32_t isPrivate = 0;
    std::string repeat = repeatField(0, "");
    std::int32_t endTag = 1; // as the type list gives it
};

inline std::string dateRow(const DateRowFields& f) {
    return intField(f.id) + intField(f.status) + intField(f.id) + intField(f.start, 3) +
           intField(f.end, f.endTag) + textField(f.description) + intField(60) + textField(f.note) +
           intField(f.untimed, 6) + intField(f.isPrivate, 6) + intField(0) + intField(0, 6) +
           intField(5) + intField(1) + f.repeat;
}

inline std::string dateFile(const std::vector<DateRowFields>& rows) {
    std::string out = dateHeader() + le32(static_cast<std::int32_t>(rows.size() * 15));
    for (const DateRowFields& r : rows) {
        out += dateRow(r);
    }
    return out;
}

} // namespace twinleaf::test
