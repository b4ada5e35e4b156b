// The fixed file information of a Portable Executable file's version resource, read from the file
// itself, which is what GetFileVersionInfo and VerQueryValue(..., "\\") give on Windows. Palm
// Desktop releases are told apart by the version of palm.exe.
//
// The reader follows DOS header, PE header, section table and resource tree (type 16, the first
// name, the first language) to the VS_VERSION_INFO block. Every read is checked against the file
// and against the structure it belongs to, and the tree is walked a fixed three levels deep, so a
// truncated, damaged or hostile file simply has no version.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace twinleaf {

// VS_FIXEDFILEINFO, without its signature and structure version.
struct FixedFileInfo {
    std::uint32_t fileVersionMS = 0; // major << 16 | minor
    std::uint32_t fileVersionLS = 0; // build << 16 | revision
    std::uint32_t productVersionMS = 0;
    std::uint32_t productVersionLS = 0;
    std::uint32_t fileFlagsMask = 0;
    std::uint32_t fileFlags = 0;
    std::uint32_t fileOS = 0;
    std::uint32_t fileType = 0;
    std::uint32_t fileSubtype = 0;
    std::uint32_t fileDateMS = 0;
    std::uint32_t fileDateLS = 0;
};

// Random access to the bytes of a file or a buffer. read() gives false, and nothing else, for any
// range that does not lie wholly inside.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    virtual bool read(std::uint64_t offset, void* out, std::size_t size) = 0;
};

std::optional<FixedFileInfo> readFixedFileInfo(ByteSource& source);
std::optional<FixedFileInfo> readFixedFileInfo(std::span<const std::uint8_t> bytes);
// Reads only the parts of the file the walk needs, however large the file is.
std::optional<FixedFileInfo> readFixedFileInfo(const std::filesystem::path& path);

} // namespace twinleaf
