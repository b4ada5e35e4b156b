// The texts records keep. A record's text member is a TextField<Width>: held by length on the
// heap (an empty text holds nothing), with the width of the fixed field it replaces kept as its
// limit, terminator included, so texts are still cut and compared as the fixed fields were while a
// record costs what its texts hold. Plain fixed-width buffers (messages, stored layouts) keep the
// char-array forms of the same calls.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>
#include <utility>

namespace twinleaf {

// A NUL-terminated 8-bit text without a limit of its own; the base every TextField shares, so code
// that reaches members through a field table can read and set any of them.
class TextValue {
public:
    TextValue() = default;
    TextValue(const TextValue& other) { copyFrom(other.view()); }
    TextValue(TextValue&& other) noexcept : m_text(std::exchange(other.m_text, nullptr)) {}
    TextValue& operator=(const TextValue& other) {
        if (this != &other) {
            TextValue copy(other);
            std::swap(m_text, copy.m_text);
        }
        return *this;
    }
    TextValue& operator=(TextValue&& other) noexcept {
        std::swap(m_text, other.m_text);
        return *this;
    }
    ~TextValue() { delete[] m_text; }

    const char* c_str() const { return m_text != nullptr ? m_text : ""; }
    std::string_view view() const { return m_text != nullptr ? std::string_view(m_text) : ""; }
    bool empty() const { return m_text == nullptr; }
    operator const char*() const { return c_str(); }
    operator std::string_view() const { return view(); }

    // Holds `text` up to its first NUL, cut to width - 1 bytes as a field of `width` bytes would
    // hold it; width 0 holds nothing.
    void assign(std::string_view text, std::size_t width) {
        std::size_t length = width == 0 ? 0 : (text.size() < width - 1 ? text.size() : width - 1);
        if (const std::size_t nul = text.find('\0'); nul < length) {
            length = nul;
        }
        TextValue held;
        held.copyFrom(text.substr(0, length));
        std::swap(m_text, held.m_text);
    }
    void clear() {
        delete[] m_text;
        m_text = nullptr;
    }

private:
    void copyFrom(std::string_view text) {
        if (!text.empty()) {
            m_text = new char[text.size() + 1];
            std::memcpy(m_text, text.data(), text.size());
            m_text[text.size()] = '\0';
        }
    }

    char* m_text = nullptr; // null exactly when the text is empty
};

// A text member that holds at most Width - 1 bytes.
template <std::size_t Width> class TextField : public TextValue {
public:
    static_assert(Width > 0);
    static constexpr std::size_t kWidth = Width;
    TextField() = default;
    // Initialised from a text, cut to the width as an assignment would cut it.
    TextField(const char* text) { assign(text, Width); } // NOLINT(google-explicit-constructor)
};

// The bytes a member stands for in a field table: a text's width as its limit, else its size.
template <class Member> struct MemberWidth { static constexpr std::size_t value = sizeof(Member); };
template <std::size_t Width> struct MemberWidth<TextField<Width>> {
    static constexpr std::size_t value = Width;
};

// The text member at `offset` within a record: how tables that place members by offset (field
// tables, row codecs, database columns) reach a text.
inline const TextValue& TextMemberAt(const void* record, std::size_t offset) {
    return *reinterpret_cast<const TextValue*>(static_cast<const char*>(record) + offset);
}
inline TextValue& TextMemberAt(void* record, std::size_t offset) {
    return *reinterpret_cast<TextValue*>(static_cast<char*>(record) + offset);
}

// Where a member lies in its struct and the bytes it stands for, as such tables list them.
#define TL_OFFSET_WIDTH(Struct, member)                                                            \
    offsetof(Struct, member), ::twinleaf::MemberWidth<decltype(Struct::member)>::value

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

template <std::size_t Width> void copyToField(TextField<Width>& field, std::string_view text) {
    field.assign(text, Width);
}

// Copies a non-empty text into a field, cut to `limit` bytes where the field holds more; an empty
// text leaves the field as it was.
template <class Field>
void copyIfSetWithin(Field& field, std::string_view text, std::size_t limit) {
    if (!text.empty()) {
        copyToField(field, text.substr(0, limit));
    }
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

template <std::size_t Width> std::string_view fieldText(const TextField<Width>& field) {
    return field.view();
}

} // namespace twinleaf
