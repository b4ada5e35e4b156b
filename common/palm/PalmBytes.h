// Bounded little-endian cursors over the bytes of a Palm file. The reader never reads past the
// end it was given: every request is checked against the bytes left, and a request that does not
// fit fails without moving. Integers are assembled from unsigned bytes; no structure is ever cast
// over the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace twinleaf::palm {

// An offset as messages name it: 0x2f10.
inline std::string hexOffset(std::size_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%zx", value);
    return text;
}

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t offset() const { return m_offset; }
    std::size_t remaining() const { return m_bytes.size() - m_offset; }
    std::size_t size() const { return m_bytes.size(); }
    std::span<const std::uint8_t> bytes() const { return m_bytes; }

    // Moves to an absolute offset; false (and no move) beyond the end.
    bool seek(std::size_t offset) {
        if (offset > m_bytes.size()) {
            return false;
        }
        m_offset = offset;
        return true;
    }
    bool skip(std::size_t count) {
        if (count > remaining()) {
            return false;
        }
        m_offset += count;
        return true;
    }
    bool copy(void* out, std::size_t count) {
        if (count > remaining()) {
            return false;
        }
        if (count != 0) {
            std::memcpy(out, m_bytes.data() + m_offset, count);
        }
        m_offset += count;
        return true;
    }
    bool u8(std::uint8_t& out) {
        if (remaining() < 1) {
            return false;
        }
        out = m_bytes[m_offset++];
        return true;
    }
    bool u16(std::uint16_t& out) {
        if (remaining() < 2) {
            return false;
        }
        out = static_cast<std::uint16_t>(m_bytes[m_offset] | (m_bytes[m_offset + 1] << 8));
        m_offset += 2;
        return true;
    }
    bool u32(std::uint32_t& out) {
        if (remaining() < 4) {
            return false;
        }
        const std::uint8_t* p = m_bytes.data() + m_offset;
        out = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
              (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
        m_offset += 4;
        return true;
    }
    bool i32(std::int32_t& out) {
        std::uint32_t value = 0;
        if (!u32(value)) {
            return false;
        }
        out = static_cast<std::int32_t>(value);
        return true;
    }
    bool u64(std::uint64_t& out) {
        std::uint32_t low = 0;
        std::uint32_t high = 0;
        const std::size_t start = m_offset;
        if (!u32(low) || !u32(high)) {
            m_offset = start;
            return false;
        }
        out = (static_cast<std::uint64_t>(high) << 32) | low;
        return true;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_offset = 0;
};

class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

    std::size_t size() const { return m_out.size(); }
    void bytes(const void* data, std::size_t count) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        m_out.insert(m_out.end(), p, p + count);
    }
    void bytes(std::span<const std::uint8_t> data) {
        m_out.insert(m_out.end(), data.begin(), data.end());
    }
    void u8(std::uint8_t value) { m_out.push_back(value); }
    void u16(std::uint16_t value) {
        const std::uint8_t b[2] = {static_cast<std::uint8_t>(value),
                                   static_cast<std::uint8_t>(value >> 8)};
        bytes(b, 2);
    }
    void u32(std::uint32_t value) {
        const std::uint8_t b[4] = {
            static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
        bytes(b, 4);
    }
    void i32(std::int32_t value) { u32(static_cast<std::uint32_t>(value)); }
    void u64(std::uint64_t value) {
        u32(static_cast<std::uint32_t>(value));
        u32(static_cast<std::uint32_t>(value >> 32));
    }

private:
    std::vector<std::uint8_t>& m_out;
};

} // namespace twinleaf::palm
