// Walking a Portable Executable file to its version resource, with every offset checked.
#include "platform/pe/VersionResource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace twinleaf {
namespace {

constexpr std::uint16_t kDosMagic = 0x5A4D;        // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550; // "PE\0\0"
constexpr std::uint16_t kOptionalMagicPe32 = 0x10B;
constexpr std::uint16_t kOptionalMagicPe32Plus = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kResourceTypeVersion = 16; // RT_VERSION
constexpr std::uint32_t kSubdirectoryBit = 0x80000000;
constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr std::size_t kFixedFileInfoSize = 52;
constexpr std::size_t kSectionHeaderSize = 40;
// The Windows loader refuses images with more sections than this; the limit also bounds the work
// a damaged header can cause, as every read looks its section up.
constexpr std::uint16_t kMostSections = 96;
constexpr std::size_t kLongestVersionKey = 64; // "VS_VERSION_INFO" has 15 characters

class SpanSource final : public ByteSource {
public:
    explicit SpanSource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::uint64_t size() const override { return m_bytes.size(); }
    bool read(std::uint64_t offset, void* out, std::size_t size) override {
        if (offset > m_bytes.size() || size > m_bytes.size() - offset) {
            return false;
        }
        if (size != 0) {
            std::memcpy(out, m_bytes.data() + offset, size);
        }
        return true;
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::filesystem::path& path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat info {};
        if (m_fd >= 0 && fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode)) {
            m_size = static_cast<std::uint64_t>(info.st_size);
        }
    }
    ~FileSource() override {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t size() const override { return m_size; }

    bool read(std::uint64_t offset, void* out, std::size_t size) override {
        if (m_fd < 0 || offset > m_size || size > m_size - offset) {
            return false;
        }
        auto* bytes = static_cast<std::uint8_t*>(out);
        while (size > 0) {
            const ssize_t got = pread(m_fd, bytes, size, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false; // shrunk under us, or unreadable
            }
            bytes += got;
            offset += static_cast<std::uint64_t>(got);
            size -= static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int m_fd;
    std::uint64_t m_size = 0;
};

bool readU16(ByteSource& source, std::uint64_t offset, std::uint16_t& value) {
    std::uint8_t bytes[2];
    if (!source.read(offset, bytes, sizeof bytes)) {
        return false;
    }
    value = static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
    return true;
}

std::uint32_t u32At(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

bool readU32(ByteSource& source, std::uint64_t offset, std::uint32_t& value) {
    std::uint8_t bytes[4];
    if (!source.read(offset, bytes, sizeof bytes)) {
        return false;
    }
    value = u32At(bytes);
    return true;
}

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

class PeFile {
public:
    explicit PeFile(ByteSource& source) : m_source(source) {}

    // Reads the headers and the section table; false when this is not a PE file with resources.
    bool open() {
        std::uint16_t dosMagic = 0;
        std::uint32_t peOffset = 0;
        std::uint32_t signature = 0;
        if (!readU16(m_source, 0, dosMagic) || dosMagic != kDosMagic ||
            !readU32(m_source, 0x3C, peOffset) || !readU32(m_source, peOffset, signature) ||
            signature != kPeSignature) {
            return false;
        }
        const std::uint64_t coff = std::uint64_t{peOffset} + 4;
        std::uint16_t sectionCount = 0;
        std::uint16_t optionalSize = 0;
        std::uint16_t optionalMagic = 0;
        if (!readU16(m_source, coff + 2, sectionCount) ||
            !readU16(m_source, coff + 16, optionalSize) || sectionCount > kMostSections) {
            return false;
        }
        const std::uint64_t optional = coff + 20;
        if (!readU16(m_source, optional, optionalMagic)) {
            return false;
        }
        std::uint32_t directoriesAt = 0;
        if (optionalMagic == kOptionalMagicPe32) {
            directoriesAt = 92;
        } else if (optionalMagic == kOptionalMagicPe32Plus) {
            directoriesAt = 108;
        } else {
            return false;
        }
        // The count of data directories and the resource entry must lie inside the optional
        // header the file declares, not merely inside the file.
        std::uint32_t directoryCount = 0;
        const std::uint32_t resourceEntryAt = directoriesAt + 4 + kResourceDirectoryIndex * 8;
        if (optionalSize < resourceEntryAt + 8 ||
            !readU32(m_source, optional + directoriesAt, directoryCount) ||
            directoryCount <= kResourceDirectoryIndex ||
            !readU32(m_source, optional + resourceEntryAt, m_resourceRva) ||
            !readU32(m_source, optional + resourceEntryAt + 4, m_resourceSize) ||
            m_resourceRva == 0 || m_resourceSize == 0) {
            return false;
        }
        const std::uint64_t table = optional + optionalSize;
        m_sections.reserve(sectionCount);
        for (std::uint32_t i = 0; i < sectionCount; ++i) {
            std::uint8_t header[kSectionHeaderSize];
            if (!m_source.read(table + std::uint64_t{i} * kSectionHeaderSize, header,
                               sizeof header)) {
                return false;
            }
            const Section section{u32At(header + 12), u32At(header + 16), u32At(header + 20)};
            // A file shorter than its sections is cut off; Windows would not load it either.
            if (section.rawSize != 0 &&
                std::uint64_t{section.rawOffset} + section.rawSize > m_source.size()) {
                return false;
            }
            m_sections.push_back(section);
        }
        return true;
    }

    // Reads `size` bytes at `rva`; the range must lie inside one section's bytes in the file.
    bool readRva(std::uint64_t rva, void* out, std::size_t size) {
        for (const Section& section : m_sections) {
            if (rva < section.virtualAddress) {
                continue;
            }
            const std::uint64_t into = rva - section.virtualAddress;
            if (into <= section.rawSize && size <= section.rawSize - into) {
                return m_source.read(std::uint64_t{section.rawOffset} + into, out, size);
            }
        }
        return false;
    }

    bool readRvaU16(std::uint64_t rva, std::uint16_t& value) {
        std::uint8_t bytes[2];
        if (!readRva(rva, bytes, sizeof bytes)) {
            return false;
        }
        value = static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
        return true;
    }

    std::uint32_t resourceRva() const { return m_resourceRva; }

private:
    ByteSource& m_source;
    std::uint32_t m_resourceRva = 0;
    std::uint32_t m_resourceSize = 0;
    std::vector<Section> m_sections;
};

struct DirectoryEntry {
    std::uint32_t name;
    std::uint32_t target; // offset from the start of the resource tree, high bit = subdirectory
};

// The entries of the resource directory at `offset` from the tree's start. Named entries come
// first, then those with numeric ids; both are searched alike.
class ResourceTree {
public:
    explicit ResourceTree(PeFile& file) : m_file(file) {}

    // The entry for `id` (or the first entry for no id) that leads to a subdirectory.
    std::optional<std::uint32_t> subdirectory(std::uint32_t directory,
                                              std::optional<std::uint32_t> id) {
        const std::optional<DirectoryEntry> entry = find(directory, id);
        if (!entry || (entry->target & kSubdirectoryBit) == 0) {
            return std::nullopt;
        }
        return entry->target & ~kSubdirectoryBit;
    }

    // The first entry of `directory`, which must be a data entry: its data's address and size.
    bool firstData(std::uint32_t directory, std::uint32_t& dataRva, std::uint32_t& dataSize) {
        const std::optional<DirectoryEntry> entry = find(directory, std::nullopt);
        std::uint8_t data[16];
        if (!entry || (entry->target & kSubdirectoryBit) != 0 ||
            !m_file.readRva(std::uint64_t{m_file.resourceRva()} + entry->target, data,
                            sizeof data)) {
            return false;
        }
        dataRva = u32At(data);
        dataSize = u32At(data + 4);
        return true;
    }

private:
    std::optional<DirectoryEntry> find(std::uint32_t directory, std::optional<std::uint32_t> id) {
        const std::uint64_t at = std::uint64_t{m_file.resourceRva()} + directory;
        std::uint8_t header[16];
        if (!m_file.readRva(at, header, sizeof header)) {
            return std::nullopt;
        }
        const std::uint32_t named = static_cast<std::uint32_t>(header[12] | (header[13] << 8));
        const std::uint32_t numbered = static_cast<std::uint32_t>(header[14] | (header[15] << 8));
        for (std::uint32_t i = 0; i < named + numbered; ++i) {
            std::uint8_t bytes[8];
            if (!m_file.readRva(at + sizeof header + std::uint64_t{i} * 8, bytes, sizeof bytes)) {
                return std::nullopt;
            }
            const DirectoryEntry entry{u32At(bytes), u32At(bytes + 4)};
            if (!id || ((entry.name & kSubdirectoryBit) == 0 && entry.name == *id)) {
                return entry;
            }
        }
        return std::nullopt;
    }

    PeFile& m_file;
};

// VS_VERSION_INFO: length, value length and type (16 bits each), the key in UTF-16 with its
// terminator, padding to a 32-bit boundary of the block, then the VS_FIXEDFILEINFO value.
std::optional<FixedFileInfo> readVersionBlock(PeFile& file, std::uint32_t rva, std::uint32_t size) {
    std::uint16_t length = 0;
    std::uint16_t valueLength = 0;
    if (!file.readRvaU16(rva, length) || !file.readRvaU16(std::uint64_t{rva} + 2, valueLength) ||
        valueLength < kFixedFileInfoSize) {
        return std::nullopt;
    }
    const std::uint64_t blockSize = std::min<std::uint64_t>(length, size);
    std::uint64_t keyEnd = 6;
    for (std::size_t i = 0;; ++i, keyEnd += 2) {
        std::uint16_t character = 0;
        if (i > kLongestVersionKey || keyEnd + 2 > blockSize ||
            !file.readRvaU16(std::uint64_t{rva} + keyEnd, character)) {
            return std::nullopt;
        }
        if (character == 0) {
            keyEnd += 2;
            break;
        }
    }
    const std::uint64_t valueAt = (keyEnd + 3) & ~std::uint64_t{3};
    std::uint8_t value[kFixedFileInfoSize];
    if (valueAt + kFixedFileInfoSize > blockSize ||
        !file.readRva(std::uint64_t{rva} + valueAt, value, sizeof value) ||
        u32At(value) != kFixedFileInfoSignature) {
        return std::nullopt;
    }
    FixedFileInfo info;
    info.fileVersionMS = u32At(value + 8);
    info.fileVersionLS = u32At(value + 12);
    info.productVersionMS = u32At(value + 16);
    info.productVersionLS = u32At(value + 20);
    info.fileFlagsMask = u32At(value + 24);
    info.fileFlags = u32At(value + 28);
    info.fileOS = u32At(value + 32);
    info.fileType = u32At(value + 36);
    info.fileSubtype = u32At(value + 40);
    info.fileDateMS = u32At(value + 44);
    info.fileDateLS = u32At(value + 48);
    return info;
}

} // namespace

std::optional<FixedFileInfo> readFixedFileInfo(ByteSource& source) {
    PeFile file(source);
    if (!file.open()) {
        return std::nullopt;
    }
    // Type, name, language: three levels and no more, so a tree whose entries point back at
    // their own directory cannot keep the walk going.
    ResourceTree tree(file);
    const std::optional<std::uint32_t> type = tree.subdirectory(0, kResourceTypeVersion);
    if (!type) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> name = tree.subdirectory(*type, std::nullopt);
    std::uint32_t dataRva = 0;
    std::uint32_t dataSize = 0;
    if (!name || !tree.firstData(*name, dataRva, dataSize)) {
        return std::nullopt;
    }
    return readVersionBlock(file, dataRva, dataSize);
}

std::optional<FixedFileInfo> readFixedFileInfo(std::span<const std::uint8_t> bytes) {
    SpanSource source(bytes);
    return readFixedFileInfo(source);
}

std::optional<FixedFileInfo> readFixedFileInfo(const std::filesystem::path& path) {
    FileSource source(path);
    return readFixedFileInfo(source);
}

} // namespace twinleaf
