// JSON output of the common records.
#include "cli/RecordJson.h"

#include "platform/codepage/Codepage.h"
#include "platform/text/FieldText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>

namespace twinleaf::cli {

std::string jsonString(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

std::string jsonNumber(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string recordJson(std::span<const CommField> fields, const void* rec) {
    const auto* bytes = static_cast<const char*>(rec);
    std::string out = "{";
    bool first = true;
    for (const CommField& field : fields) {
        if (field.kind == FieldType::None) {
            continue;
        }
        if (!first) {
            out += ", ";
        }
        first = false;
        out += jsonString(field.name);
        out += ": ";
        switch (field.kind) {
        case FieldType::Text:
            out += jsonString(ansiToUtf8(TextAt(field, rec).view()));
            break;
        case FieldType::Date: {
            double value = 0;
            std::memcpy(&value, bytes + field.offset, sizeof value);
            out += jsonNumber(value);
            break;
        }
        case FieldType::Int32: {
            std::int32_t value = 0;
            std::memcpy(&value, bytes + field.offset, sizeof value);
            out += std::to_string(value);
            break;
        }
        case FieldType::UInt32: {
            std::uint32_t value = 0;
            std::memcpy(&value, bytes + field.offset, sizeof value);
            out += std::to_string(value);
            break;
        }
        case FieldType::SystemTime: {
            win::SYSTEMTIME value{};
            std::memcpy(&value, bytes + field.offset, sizeof value);
            char text[64];
            std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", value.wYear,
                          value.wMonth, value.wDay, value.wHour, value.wMinute, value.wSecond);
            out += jsonString(text);
            break;
        }
        case FieldType::None:
            break;
        }
    }
    out += "}";
    return out;
}

std::string addrRecordJson(const CommAddrRec& rec) {
    return recordJson(AddrFieldLayoutTable(), &rec);
}

namespace {

template <class List>
void writeListJson(std::ostream& out, std::span<const CommField> fields, List& list) {
    if (list.GetCount() == 0) {
        out << "[]\n";
        return;
    }
    out << "[\n";
    const std::uint32_t count = list.GetCount();
    for (std::uint32_t i = 0; i < count; ++i) {
        out << recordJson(fields, list.GetAt(i)) << (i + 1 < count ? ",\n" : "\n");
    }
    out << "]\n";
}

} // namespace

void writeAddrListJson(std::ostream& out, CommAddrMgr& list) {
    writeListJson(out, AddrFieldLayoutTable(), list);
}

void writeTaskListJson(std::ostream& out, CommTaskMgr& list) {
    writeListJson(out, TaskFieldLayoutTable(), list);
}

void writeNoteListJson(std::ostream& out, CommNoteMgr& list) {
    writeListJson(out, NoteFieldLayoutTable(), list);
}

void writeDateListJson(std::ostream& out, CommDateMgr& list) {
    writeListJson(out, DateFieldLayoutTable(), list);
}

} // namespace twinleaf::cli
