// Builds the bytes of extended address books and date books in tests, independently of the
// writers under test: a row is a list of encoded fields, each defaulting to the empty value of its
// type, so a test sets the fields it cares about by their index.
#pragma once

#include "common/palm/PalmExtendedBuilder.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace twinleaf::test {

// A header block with bytes we do not interpret beside the counter, to see them kept.
inline std::string headerWithOtherBytes(std::int32_t counter) {
    std::string out = headerBlock(counter);
    out[3] = '\x07';
    out[20] = '\x5A';
    return out;
}

inline std::string pattern(std::size_t size, char first) {
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        out[i] = static_cast<char>(first + static_cast<char>(i));
    }
    return out;
}

inline std::string doubleField(double value) {
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &value, 8);
    return le32(68) + bytes;
}

// Every field of a row at its empty value, by the file's type list.
inline std::vector<std::string> emptyRow(const std::vector<std::int16_t>& types) {
    std::vector<std::string> row;
    for (std::int16_t type : types) {
        switch (type) {
        case 5:
            row.push_back(textField(""));
            break;
        case 8:
            row.push_back(repeatField(0, ""));
            break;
        case 68:
            row.push_back(doubleField(0));
            break;
        default:
            row.push_back(type >= 64 ? blobField(type, 0) : intField(0, type));
        }
    }
    return row;
}

inline std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts) {
        out += part;
    }
    return out;
}

// ---- Extended address book ----

inline const std::vector<std::int16_t>& addrExTypes() {
    static const std::vector<std::int16_t> types = {
        1, 1, 1, 1, 1, 1, 6, 64, 65, 66, 67, 5, 5, 5, 5, 5,  5, 1, 5, 5, 5, 5, 5, 5, 5,
        5, 1, 1, 1, 1, 1, 1, 1,  5,  5,  5,  5, 5, 5, 5, 5,  5, 1, 5, 5, 5, 5, 5, 1, 5,
        5, 5, 5, 5, 1, 5, 5, 5,  5,  5,  5,  5, 1, 1, 5, 68, 6, 1, 1, 5, 5, 5, 5};
    return types;
}

// Nine labels, each followed by its word, then the 42-byte trailer.
inline std::string labelBlock(const std::vector<std::string>& labels,
                              const std::string& trailer = std::string(42, '\0')) {
    std::string out;
    for (std::size_t i = 0; i < 9; ++i) {
        out += cstring(i < labels.size() ? labels[i] : "") + le32(static_cast<std::int32_t>(i));
    }
    return out + trailer;
}

inline std::string addrExHeader(std::string_view storedName, std::int32_t counter,
                                const std::string& labels,
                                const std::vector<CategoryEntry>& categories = {},
                                std::string tag = std::string("\x00\x02\x42\x41", 4)) {
    return extendedSignature() + tag + headerWithOtherBytes(counter) + cstring(storedName) +
           pattern(11, '\x01') + labels + categoryBlock(categories) +
           extendedSchema(74, 73, addrExTypes());
}

// A row with the record id, sequence number and status given and everything else empty.
inline std::vector<std::string> addrExRow(std::int32_t id, std::int32_t sequence,
                                          std::int32_t status = 0) {
    std::vector<std::string> row = emptyRow(addrExTypes());
    row[0] = intField(id);
    row[1] = intField(sequence);
    row[2] = intField(status);
    return row;
}

inline std::string rows(std::int32_t fieldsPerRow,
                        const std::vector<std::vector<std::string>>& all) {
    std::string out = le32(static_cast<std::int32_t>(all.size()) * fieldsPerRow);
    for (const auto& row : all) {
        out += joined(row);
    }
    return out;
}

// ---- Extended date book ----

inline const std::vector<std::int16_t>& dateExTypes() {
    static const std::vector<std::int16_t> types = {1, 1, 1, 1, 1, 1, 6, 64, 65, 66, 67, 5, 5, 3,
                                                    3, 5, 1, 5, 6, 6, 1, 1,  8,  5,  1,  5, 5};
    return types;
}

inline std::string dateExHeader(std::string_view storedName, std::int32_t counter) {
    return extendedSignature() + std::string("\x00\x02\x42\x44", 4) +
           headerWithOtherBytes(counter) + cstring(storedName) + pattern(43, '\x01') +
           categoryBlock({}) + extendedSchema(54, 27, dateExTypes());
}

inline std::vector<std::string> dateExRow(std::int32_t id, std::int32_t sequence,
                                          std::int32_t start, std::int32_t end) {
    std::vector<std::string> row = emptyRow(dateExTypes());
    row[0] = intField(id);
    row[1] = intField(sequence);
    row[13] = intField(start, 3);
    row[14] = intField(end, 3);
    return row;
}

} // namespace twinleaf::test
