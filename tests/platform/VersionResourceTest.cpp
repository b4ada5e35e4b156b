#include "platform/pe/VersionResource.h"

#include "common/misc/CxFile.h"
#include "support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

// Program files come from the project's own generator, so the tests read what demo homes and
// other tests get.
std::string makeProgramFile(const std::filesystem::path& out, const std::string& version) {
    const std::filesystem::path script =
        test::testData().parent_path().parent_path() / "scripts" / "make-pe-version.py";
    const std::string command =
        "python3 '" + script.string() + "' '" + out.string() + "' " + version;
    if (std::system(command.c_str()) != 0) {
        ADD_FAILURE() << "failed: " << command;
        return {};
    }
    return readBytes(out);
}

std::optional<FixedFileInfo> readBytesOf(const std::string& bytes) {
    return readFixedFileInfo(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

void putU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<char>(value >> (8 * i));
    }
}

struct Version {
    win::DWORD major = 9, minor = 9, build = 9, revision = 9;
    bool ok = false;
};

Version versionOf(const std::filesystem::path& path) {
    Version v;
    v.ok = GetFileVersion(path.c_str(), v.major, v.minor, v.build, v.revision);
    return v;
}

TEST(VersionResource, ReadsTheVersionOfAGeneratedProgram) {
    TempDir dir;
    makeProgramFile(dir.path() / "palm.exe", "4.1.2.18");
    const Version v = versionOf(dir.path() / "palm.exe");
    EXPECT_TRUE(v.ok);
    EXPECT_EQ(v.major, 4u);
    EXPECT_EQ(v.minor, 1u);
    EXPECT_EQ(v.build, 2u);
    EXPECT_EQ(v.revision, 18u);

    makeProgramFile(dir.path() / "big.exe", "65535.65534.65533.65532");
    const Version big = versionOf(dir.path() / "big.exe");
    EXPECT_TRUE(big.ok);
    EXPECT_EQ(big.major, 65535u);
    EXPECT_EQ(big.minor, 65534u);
    EXPECT_EQ(big.build, 65533u);
    EXPECT_EQ(big.revision, 65532u);
}

TEST(VersionResource, FilesWithoutAVersionGiveZerosAndFalse) {
    TempDir dir;
    writeBytes(dir.path() / "readme.txt", "This program has no version.\r\n");
    writeBytes(dir.path() / "empty.exe", "");
    writeBytes(dir.path() / "mz-only.exe", "MZ");
    const struct {
        const char* name;
        std::filesystem::path path;
    } cases[] = {
        {"text file", dir.path() / "readme.txt"},
        {"empty file", dir.path() / "empty.exe"},
        {"two bytes", dir.path() / "mz-only.exe"},
        {"missing file", dir.path() / "absent.exe"},
        {"folder", dir.path()},
        {"empty path", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Version v = versionOf(c.path);
        EXPECT_FALSE(v.ok);
        EXPECT_EQ(v.major + v.minor + v.build + v.revision, 0u);
    }
    win::DWORD a = 1, b = 1, c = 1, d = 1;
    EXPECT_FALSE(GetFileVersion(nullptr, a, b, c, d));
    EXPECT_EQ(a + b + c + d, 0u);
}

TEST(VersionResource, EveryTruncationOfAProgramHasNoVersion) {
    TempDir dir;
    const std::string whole = makeProgramFile(dir.path() / "palm.exe", "4.1.2.18");
    ASSERT_TRUE(readBytesOf(whole));
    for (std::size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        EXPECT_FALSE(readBytesOf(whole.substr(0, length)));
    }
    writeBytes(dir.path() / "cut.exe", whole.substr(0, whole.size() - 1));
    EXPECT_FALSE(versionOf(dir.path() / "cut.exe").ok);
}

TEST(VersionResource, DamagedHeadersAndResourceTreesHaveNoVersion) {
    TempDir dir;
    const std::string whole = makeProgramFile(dir.path() / "palm.exe", "4.1.2.18");
    // Offsets in the generated file: PE header at 0x40, optional header at 0x58, section table
    // at 0x138, resource tree at 0x200 (data entry at 0x248, VS_VERSION_INFO at 0x258).
    const struct {
        const char* name;
        std::size_t offset;
        std::uint32_t value;
    } cases[] = {
        {"PE header beyond the file", 0x3C, 0xFFFFFFF0},
        {"no PE signature", 0x40, 0x00004550 ^ 0x20},
        {"unknown optional header", 0x58, 0x0107},
        {"resource directory missing", 0x58 + 96 + 16, 0},
        {"only two data directories", 0x58 + 92, 2},
        {"section raw data beyond the file", 0x138 + 20, 0x7FFFFFF0},
        {"section holds less than the tree", 0x138 + 16, 0x40},
        {"type entry is data, not a directory", 0x200 + 0x14, 0x18},
        {"type entry loops to the root", 0x200 + 0x14, 0x80000000},
        {"name entry loops to itself", 0x218 + 0x14, 0x80000018},
        {"language entry leads to a directory", 0x230 + 0x14, 0x80000000},
        {"tree entry offset far outside", 0x200 + 0x14, 0xFFFFFFFF},
        {"empty type directory", 0x200 + 0x0C, 0},
        {"no version type", 0x200 + 0x10, 6},
        {"data outside every section", 0x248, 0xFFFFFF00},
        {"data size too small", 0x24C, 40},
        {"block length too small", 0x258, 0x00340030},
        {"value length too small", 0x258, 0x00100148},
        {"signature missing", 0x258 + 40, 0xFEEF04BC},
        {"key runs into the value", 0x258 + 36, 0x00410041},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string damaged = whole;
        putU32(damaged, c.offset, c.value);
        EXPECT_FALSE(readBytesOf(damaged));
    }
}

// Runs its worth under the sanitizers. The copy being read is on disk, so after a crash the input
// that caused it is left in the temporary folder.
TEST(VersionResource, RandomDamageFailsCleanly) {
    TempDir dir;
    const std::string whole = makeProgramFile(dir.path() / "palm.exe", "4.1.2.18");
    const unsigned seed = 20040305;
    std::printf("random damage with seed %u in %s\n", seed, dir.path().c_str());
    std::mt19937 random(seed);
    int versions = 0;
    for (int round = 0; round < 2000; ++round) {
        std::string damaged = whole;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            // Mostly the headers and the tree, where the offsets are.
            damaged[random() % 0x300] = static_cast<char>(random());
        }
        writeBytes(dir.path() / "damaged.exe", damaged);
        versions += versionOf(dir.path() / "damaged.exe").ok ? 1 : 0;
    }
    EXPECT_GT(versions, 0); // damage to bytes nobody reads leaves the version readable
}

} // namespace
} // namespace twinleaf
