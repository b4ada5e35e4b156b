#include "platform/files/RunLock.h"

#include "support/TempDir.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace twinleaf {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

TEST(RunLock, ASecondHolderIsToldWhoHoldsTheLockUntilItIsReleased) {
    TempDir dir;
    const auto file = dir.path() / ".twinleaf.lock";
    RunLock first;
    RunLock second;
    std::string error;
    ASSERT_EQ(first.acquire(file, "twinleaf sync contacts", error), LockState::Taken) << error;
    EXPECT_EQ(readBytes(file), std::to_string(::getpid()) + " twinleaf sync contacts\n");
    EXPECT_EQ(second.acquire(file, "twinleaf window", error), LockState::Busy);
    EXPECT_EQ(error, file.string() + " is locked by process " + std::to_string(::getpid()) +
                         " (twinleaf sync contacts)");
    EXPECT_FALSE(second.held());

    first.release();
    EXPECT_EQ(second.acquire(file, "twinleaf window", error), LockState::Taken) << error;
    RunLock moved = std::move(second);
    EXPECT_TRUE(moved.held());
    EXPECT_EQ(first.acquire(file, "again", error), LockState::Busy);
}

// What a run that was killed leaves behind: the file naming it, but no lock.
TEST(RunLock, TheFileOfADeadHolderIsTakenOver) {
    TempDir dir;
    const auto file = dir.path() / ".twinleaf.lock";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    writeBytes(file, std::to_string(child) + " twinleaf sync contacts\n");
    RunLock lock;
    std::string error;
    ASSERT_EQ(lock.acquire(file, "twinleaf window", error), LockState::Taken) << error;
    EXPECT_EQ(readBytes(file), std::to_string(::getpid()) + " twinleaf window\n");
}

// Another process holds the lock until it is killed; flock ends with it.
TEST(RunLock, AnotherProcessHoldsTheLockUntilItDies) {
    TempDir dir;
    const auto file = dir.path() / ".twinleaf.lock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RunLock held;
        std::string ignored;
        const char taken = held.acquire(file, "twinleaf sync tasks", ignored) == LockState::Taken;
        [[maybe_unused]] const ssize_t told = ::write(ready[1], &taken, 1);
        ::pause();
        ::_exit(0);
    }
    char taken = 0;
    ASSERT_EQ(::read(ready[0], &taken, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_TRUE(taken);

    RunLock lock;
    std::string error;
    EXPECT_EQ(lock.acquire(file, "twinleaf window", error), LockState::Busy);
    EXPECT_NE(error.find("process " + std::to_string(child) + " (twinleaf sync tasks)"),
              std::string::npos)
        << error;
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(lock.acquire(file, "twinleaf window", error), LockState::Taken) << error;
}

TEST(RunLock, AFolderThatDoesNotExistGivesNoLock) {
    TempDir dir;
    RunLock lock;
    std::string error;
    EXPECT_EQ(lock.acquire(dir.path() / "gone" / ".twinleaf.lock", "x", error),
              LockState::Unavailable);
    EXPECT_NE(error.find("gone/.twinleaf.lock: cannot be opened"), std::string::npos) << error;
}

} // namespace
} // namespace twinleaf
