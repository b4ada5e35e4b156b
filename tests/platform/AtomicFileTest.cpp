#include "platform/files/AtomicFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace twinleaf {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

constexpr std::string_view kOriginal = "original content";
constexpr std::string_view kChanged = "changed content, longer than before";

TEST(AtomicFile, ReplacesTheFileAndKeepsTheBackupWhenAsked) {
    TempDir dir;
    const auto file = dir.path() / "todo.dat";
    writeBytes(file, kOriginal);
    ASSERT_TRUE(saveAtomically(file, kChanged, KeepBackup::Yes));
    EXPECT_EQ(readBytes(file), kChanged);
    EXPECT_EQ(readBytes(backupPathFor(file)), kOriginal);
    ASSERT_TRUE(saveAtomically(file, kOriginal));
    EXPECT_EQ(readBytes(backupPathFor(file)), kOriginal); // untouched without KeepBackup
}

TEST(AtomicFile, WithheldSaveAnswersSuccessAndChangesNothing) {
    TempDir dir;
    const auto file = dir.path() / "todo.dat";
    writeBytes(file, kOriginal);
    bool told = false;
    const ScopedReplaceObserver observer(
        [&told](const std::filesystem::path&, std::span<const std::uint8_t>, Flush, std::string&) {
            told = true;
            return true;
        });
    {
        const ScopedWithheldWrites withheld;
        EXPECT_TRUE(saveAtomically(file, kChanged, KeepBackup::Yes));
        EXPECT_TRUE(saveAtomically(dir.path() / "new.dat", kChanged));
    }
    EXPECT_EQ(readBytes(file), kOriginal);
    EXPECT_FALSE(std::filesystem::exists(backupPathFor(file)));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "new.dat"));
    EXPECT_FALSE(told) << "what is not written needs no history";
    EXPECT_TRUE(saveAtomically(file, kChanged));
    EXPECT_EQ(readBytes(file), kChanged);
}

// Whoever keeps a file's old bytes hears of the backup first and of the file next, each while it
// still holds what it held; a refusal stops the save before anything changes.
TEST(AtomicFile, ObserverHearsOfEveryFileBeforeItChangesAndCanStopTheSave) {
    TempDir dir;
    const auto file = dir.path() / "todo.dat";
    writeBytes(file, kOriginal);
    writeBytes(backupPathFor(file), "old backup");
    std::vector<std::string> heard;
    bool refuse = false;
    const ScopedReplaceObserver observer([&](const std::filesystem::path& path,
                                             std::span<const std::uint8_t> after, Flush,
                                             std::string& error) {
        heard.push_back(path.filename().string() + " " + readBytes(path) + " -> " +
                        std::string(after.begin(), after.end()));
        error = "no history";
        return !refuse;
    });
    ASSERT_TRUE(saveAtomically(file, kChanged, KeepBackup::Yes));
    EXPECT_EQ(heard, (std::vector<std::string>{
                         "todo.dat.bak old backup -> original content",
                         "todo.dat original content -> changed content, longer than before"}));
    refuse = true;
    const AtomicSaveResult refused = saveAtomically(file, kOriginal, KeepBackup::Yes);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.error, "no history");
    EXPECT_EQ(readBytes(file), kChanged);
    EXPECT_EQ(readBytes(backupPathFor(file)), kOriginal);
}

TEST(AtomicFile, CreatesAMissingFileWithoutBackup) {
    TempDir dir;
    const auto file = dir.path() / "new.ini";
    ASSERT_TRUE(saveAtomically(file, kChanged, KeepBackup::Yes));
    EXPECT_EQ(readBytes(file), kChanged);
    EXPECT_FALSE(std::filesystem::exists(backupPathFor(file)));
}

TEST(AtomicFile, AFailureAtAnyStepLeavesTheOriginalAndNoTemporaryFile) {
    struct Case {
        const char* name;
        FileCall call;
        const char* step;
    };
    const Case cases[] = {
        {"open", FileCall::Open, "creating a temporary file"},
        {"full disk on write", FileCall::Write, "writing"},
        {"flush", FileCall::Sync, "flushing"},
        {"close", FileCall::Close, "closing"},
        {"backup", FileCall::Backup, "keeping the backup"},
        {"rename", FileCall::Rename, "replacing the file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto file = dir.path() / "address.dat";
        writeBytes(file, kOriginal);
        AtomicSaveResult result;
        {
            ScopedFileFault fault(c.call, 1);
            result = saveAtomically(file, kChanged, KeepBackup::Yes);
        }
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.error.find(c.step), std::string::npos) << result.error;
        EXPECT_NE(result.error.find("address.dat"), std::string::npos) << result.error;
        EXPECT_EQ(readBytes(file), kOriginal);
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            ++files;
        }
        EXPECT_LE(files, 2u); // the original and at most its backup
    }
}

TEST(AtomicFile, KeepsThePermissionsOfTheFileItReplaces) {
    TempDir dir;
    const auto file = dir.path() / "private.dat";
    writeBytes(file, kOriginal);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
    ASSERT_TRUE(saveAtomically(file, kChanged));
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(AtomicFile, ReportsAReadOnlyFileInsteadOfReplacingIt) {
    TempDir dir;
    const auto file = dir.path() / "locked.dat";
    writeBytes(file, kOriginal);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    const auto result = saveAtomically(file, kChanged);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("locked.dat"), std::string::npos);
    EXPECT_NE(result.error.find("read-only"), std::string::npos);
    EXPECT_EQ(readBytes(file), kOriginal);
}

TEST(AtomicFile, WritesThroughALinkAndKeepsTheLink) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "real");
    const auto target = dir.path() / "real" / "data.dat";
    writeBytes(target, kOriginal);
    std::filesystem::permissions(target, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write);
    const auto link = dir.path() / "data.dat";
    std::filesystem::create_symlink("real/data.dat", link);
    ASSERT_TRUE(saveAtomically(link, kChanged, KeepBackup::Yes));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(target), kChanged);
    EXPECT_EQ(readBytes(backupPathFor(target)), kOriginal);
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(AtomicFile, RemovesOnlyTheTemporaryFilesOfEndedRuns) {
    TempDir dir;
    // A pid far above any pid_max stands for a process that has ended.
    const struct {
        std::string name;
        bool removed;
    } cases[] = {
        {".contacts.vcf.tmp-2147483000-12345", true},
        {".contacts.vcf.tmp-" + std::to_string(::getpid()) + "-7", false}, // a save under way
        {".contacts.vcf.tmp-1-7", false},                                  // a live process
        {"contacts.vcf.tmp-2147483000-1", false},                          // not our pattern
        {".contacts.vcf.tmp-notes", false},
        {"contacts.vcf", false},
    };
    for (const auto& c : cases) {
        writeBytes(dir.path() / c.name, kOriginal);
    }
    EXPECT_EQ(removeStaleTemporaryFiles(dir.path()), 1);
    for (const auto& c : cases) {
        EXPECT_EQ(std::filesystem::exists(dir.path() / c.name), !c.removed) << c.name;
    }
}

TEST(AtomicFile, FailsCleanlyInAFolderThatIsNotThere) {
    TempDir dir;
    const auto result = saveAtomically(dir.path() / "missing" / "x.dat", kChanged);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
}

} // namespace
} // namespace twinleaf
