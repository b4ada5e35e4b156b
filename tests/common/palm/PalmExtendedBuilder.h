// Builds extended .dat bytes piece by piece in tests, independently of the writer under test: the
// signature, the header block with its counter, the stored name and its trailer, and the fields
// only extended rows have (blobs, the eleven fields every row begins with).
#pragma once

#include "common/palm/PalmFileBuilder.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace twinleaf::test {

inline std::string extendedSignature(std::string_view magic = "\xBE\xBA\xFE\xCA\x0F") {
    return std::string(magic) + "PalmSG Database00RV";
}

// The 24-byte header block: zeros but the counter in bytes 12 and 13.
inline std::string headerBlock(std::int32_t counter) {
    return std::string(12, '\0') + le16(counter) + std::string(10, '\0');
}

// Signature, version tag, header block, stored name and trailer: everything before the label
// block (contacts) or the categories (the other kinds).
inline std::string extendedHead(std::string_view versionTag, std::int32_t counter,
                                std::string_view storedName, std::size_t trailerSize,
                                std::string_view trailerByte = std::string_view("\0", 1)) {
    std::string trailer;
    for (std::size_t i = 0; i < trailerSize; ++i) {
        trailer += trailerByte;
    }
    return extendedSignature() + std::string(versionTag) + headerBlock(counter) +
           cstring(storedName) + trailer;
}

// The schema of an extended file: status at 2, position at 4.
inline std::string extendedSchema(std::int32_t resourceId, std::int32_t fieldsPerRow,
                                  const std::vector<std::int16_t>& types) {
    std::string out = le32(resourceId) + le32(fieldsPerRow) + le32(0) + le32(2) + le32(4);
    out += le16(static_cast<std::int32_t>(types.size()));
    for (std::int16_t t : types) {
        out += le16(t);
    }
    return out;
}

// A blob field: kind 0 has nothing more; kinds 1 to 3 carry two words and a sized block; a kind
// of 4 or more is itself the size of the block that follows.
inline std::string blobField(std::int32_t word0, std::int32_t kind, std::string_view data = {},
                             std::int32_t word2 = 0, std::int32_t word3 = 0) {
    std::string out = le32(word0) + le32(kind);
    if (kind == 0) {
        return out;
    }
    if (kind <= 3) {
        return out + le32(word2) + le32(word3) + le32(static_cast<std::int32_t>(data.size())) +
               std::string(data);
    }
    return out + std::string(data);
}

struct ExtendedPrefix {
    std::int32_t id = 1;
    std::int32_t sequence = 0x1000;
    std::int32_t status = 0;
    std::int32_t entryIndex = 0;
    std::int32_t position = 1;
    std::int32_t category = 0;
    std::int32_t isPrivate = 0;
    std::string blobs = blobField(64, 0) + blobField(65, 0) + blobField(66, 0) + blobField(67, 0);
};

// Fields 0 to 10 of every extended row, each 4-byte field under the standard list's tag.
inline std::string extendedPrefix(const ExtendedPrefix& p) {
    return intField(p.id) + intField(p.sequence) + intField(p.status) + intField(p.entryIndex) +
           intField(p.position) + intField(p.category) + intField(p.isPrivate, 6) + p.blobs;
}

// ---- Extended to-do ----

// Palm Desktop's "no due date": 31 December 2031, 23:59:59 UTC.
inline constexpr std::int32_t kNoDue = 0x749EA1EF;

inline const std::string kTodoExTag("\x00\x02\x44\x54", 4);
inline const std::vector<std::int16_t> kTodoExTypes = {1, 1, 1, 1, 1, 1, 6, 64, 65, 66, 67, 5, 5,
                                                       5, 3, 6, 1, 5, 6, 3, 6,  3,  1,  3,  8};

struct TodoExRow {
    ExtendedPrefix prefix;
    std::string description;
    std::int32_t due = kNoDue;
    std::int32_t priority = 1;
    std::string note;
    std::int32_t alarm = 0;
    std::string repeat = test::repeatField(0, "");
};

inline std::string todoExRow(const TodoExRow& r) {
    return extendedPrefix(r.prefix) + textField("") + textField("") + textField(r.description) +
           intField(r.due, 3) + intField(0, 6) + intField(r.priority) + textField(r.note) +
           intField(0, 6) + intField(kNoDue, 3) + intField(r.alarm, 6) + intField(-1, 3) +
           intField(-1) + intField(kNoDue, 3) + r.repeat;
}

inline std::string todoExFile(const std::vector<TodoExRow>& rows, std::int32_t counter = 0x1000,
                              const std::string& categories = test::categoryBlock({}),
                              const std::vector<std::int16_t>& types = kTodoExTypes) {
    std::string out = extendedHead(kTodoExTag, counter, "C:\\Palm\\User\\todo\\todo.dat", 43) +
                      categories +
                      test::extendedSchema(44, static_cast<std::int32_t>(types.size()), types);
    out += le32(static_cast<std::int32_t>(rows.size() * types.size()));
    for (const TodoExRow& r : rows) {
        out += todoExRow(r);
    }
    return out;
}

inline TodoExRow todoEx(std::int32_t id, std::int32_t sequence, std::string description,
                        std::int32_t status = 0) {
    TodoExRow row;
    row.prefix.id = id;
    row.prefix.sequence = sequence;
    row.prefix.status = status;
    row.prefix.entryIndex = (id - 1) * 25;
    row.prefix.position = id;
    row.description = std::move(description);
    return row;
}

} // namespace twinleaf::test
