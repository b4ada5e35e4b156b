// The sniffers that tell a Palm storage form by the first bytes of a file.
#include "common/palm/PalmClassic.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace twinleaf {
std::string ReadFileHead(const std::string& path, std::size_t count) {
    std::ifstream in(path, std::ios::binary);
    std::string head(count, '\0');
    in.read(head.data(), static_cast<std::streamsize>(count));
    head.resize(in ? count : static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return head;
}

bool ProbeFile(const std::string& path, FormSniff& sniff) {
    namespace fs = std::filesystem;
    if (path.empty()) {
        sniff = {FormBid::NotMine, ": no file name"};
        return false;
    }
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) {
        sniff = {FormBid::NotMine, path + ": no such file"};
        return false;
    }
    if (!fs::is_regular_file(status)) {
        sniff = {FormBid::NotMine, path + ": not a regular file"};
        return false;
    }
    std::ifstream probe(path, std::ios::binary);
    if (!probe) {
        sniff = {FormBid::NotMine, path + ": cannot open for reading"};
        return false;
    }
    return true;
}

namespace {

bool beginsWith(const std::string& path, std::size_t offset, std::string_view expected) {
    const std::string head = ReadFileHead(path, offset + expected.size());
    return head.size() == offset + expected.size() &&
           std::string_view(head).substr(offset) == expected;
}

} // namespace

FormSniff SniffClassicFile(const std::string& path, std::uint32_t versionTag, const char* kind) {
    FormSniff sniff;
    if (!ProbeFile(path, sniff)) {
        return sniff;
    }
    const std::string head = ReadFileHead(path, palm::kExtendedSignatureSize + 4);
    std::string note;
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(head.data()),
                                              head.size());
    switch (CheckVersionTag(bytes.subspan(ClassicBodyOffset(bytes, versionTag)), versionTag, kind,
                            note)) {
    case LoadResult::Complete:
        return {FormBid::Readable, {}};
    case LoadResult::NotThisFormat:
        return {FormBid::NotMine, path + ": " + note};
    default:
        return {FormBid::Damaged, path + ": " + note};
    }
}

bool HasExtendedSignature(const std::string& path) {
    return !path.empty() &&
           beginsWith(path, palm::kExtendedMagic.size(), palm::kExtendedSignatureText);
}

bool LooksLikeDatabase(const std::string& path) {
    return !path.empty() &&
           (beginsWith(path, 4, "Standard Jet DB") || beginsWith(path, 4, "Standard ACE DB") ||
            beginsWith(path, 0, std::string_view("SQLite format 3\0", 16)));
}

} // namespace twinleaf
