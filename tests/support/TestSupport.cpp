// Temporary folders, file helpers and the byte comparison used across the tests.
#include "support/Bytes.h"
#include "support/Python.h"
#include "support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace twinleaf::test {

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "twinleaf-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Read-only folders made by a test must not stop the clean-up.
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    writeBytes(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::filesystem::path testData() {
    return TWINLEAF_TEST_DATA;
}
std::filesystem::path realData() {
    return TWINLEAF_REALDATA;
}

namespace {

std::string hexDump(std::string_view bytes, std::size_t from, std::size_t count) {
    std::string out;
    char cell[24];
    for (std::size_t i = from; i < bytes.size() && i < from + count; ++i) {
        if ((i - from) % 16 == 0) {
            std::snprintf(cell, sizeof cell, "%s%04zx:", out.empty() ? "" : "\n", i);
            out += cell;
        }
        std::snprintf(cell, sizeof cell, " %02x", static_cast<unsigned char>(bytes[i]));
        out += cell;
    }
    return out;
}

} // namespace

::testing::AssertionResult sameBytes(std::string_view expected, std::string_view actual) {
    if (expected == actual) {
        return ::testing::AssertionSuccess();
    }
    std::size_t first = 0;
    while (first < expected.size() && first < actual.size() && expected[first] == actual[first]) {
        ++first;
    }
    const std::size_t from = first < 16 ? 0 : (first - 16) & ~std::size_t{15};
    return ::testing::AssertionFailure()
           << "bytes differ at offset " << first << " (0x" << std::hex << first << std::dec
           << "); sizes " << expected.size() << " expected, " << actual.size() << " actual\n"
           << "expected:\n"
           << hexDump(expected, from, 64) << "\nactual:\n"
           << hexDump(actual, from, 64);
}

std::string pythonWithModule(const std::string& module) {
    for (const char* python : {"/usr/bin/python3", "python3"}) {
        const std::string probe =
            std::string(python) + " -c 'import " + module + "' >/dev/null 2>&1";
        if (std::system(probe.c_str()) == 0) {
            return python;
        }
    }
    return {};
}

} // namespace twinleaf::test
