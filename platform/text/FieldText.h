// Fixed-width, NUL-terminated 8-bit text fields, the form every record of the system keeps its
// texts in. The width includes the terminator; copying into a field cuts to the width.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace twinleaf {

// Copies text into a field of `width` bytes, cutting it to fit; the field is always terminated.
// Width 0 writes nothing.
inline void copyToField(char* field, std::size_t width, std::string_view text) {
    if (width == 0) {
        return;
    }
    const std::size_t length = text.size() < width - 1 ? text.size() : width - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

template <std::size_t Width> void copyToField(char (&field)[Width], std::string_view text) {
    copyToField(field, Width, text);
}

// The text of a field, stopping at the terminator or at the width, whichever comes first, so a
// field that lost its terminator is still read within bounds.
inline std::string_view fieldText(const char* field, std::size_t width) {
    const void* end = std::memchr(field, '\0', width);
    return {field, end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : width};
}

template <std::size_t Width> std::string_view fieldText(const char (&field)[Width]) {
    return fieldText(field, Width);
}

} // namespace twinleaf
