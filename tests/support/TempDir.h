// A fresh temporary folder per test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>
#include <cstdint>

namespace twinleaf::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

void writeBytes(const std::filesystem::path& path, std::string_view bytes);
void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::string readBytes(const std::filesystem::path& path);

// The folder with the project's own fixtures (tests/data).
std::filesystem::path testData();
// ../shared/realdata: files other people wrote; absent on some machines.
std::filesystem::path realData();

} // namespace twinleaf::test
