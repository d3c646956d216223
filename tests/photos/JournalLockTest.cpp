// SPDX-License-Identifier: GPL-3.0-or-later
// The journal lock across processes: a second holder waits for the first and is told so, and
// the lock file goes with the lock.
#include "photos/JournalLock.h"
#include "e2e/SimProcess.h"
#include "photos/GeotagJournal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace tk::photos {
namespace {

using e2e::TempDir;
namespace fs = std::filesystem;

JournalEntry runEntry() {
    JournalEntry entry;
    entry.run = "run";
    entry.name = "a.jpg";
    return entry;
}

TEST(JournalLock, AnotherProcessWaitsUntilTheFirstLetsGo) {
    const TempDir dir;
    const std::string folder = dir.path().string();
    int locked[2];
    int release[2];
    ASSERT_EQ(::pipe(locked), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string error;
        auto lock = JournalLock::acquire(folder, error);
        // The journal written while the lock is held: the lock file stays with it.
        const bool ok = lock && writeJournal(folder, {runEntry()}).empty();
        char byte = ok ? 'L' : 'E';
        (void)!::write(locked[1], &byte, 1);
        (void)!::read(release[0], &byte, 1);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(locked[0], &byte, 1), 1);
    ASSERT_EQ(byte, 'L');
    std::vector<std::string> waitedFor;
    std::string error;
    // Told that it waits, this process lets the other one go: the lock comes only after that.
    auto lock = JournalLock::acquire(folder, error, [&](const std::string& f) {
        waitedFor.push_back(f);
        char go = 'G';
        (void)!::write(release[1], &go, 1);
    });
    ASSERT_TRUE(lock) << error;
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(waitedFor, std::vector<std::string>{folder});
    EXPECT_TRUE(fs::exists(journalLockPath(folder)));
    // Free again: the lock file goes, the journal stays, and the next one has no wait.
    lock.reset();
    EXPECT_FALSE(fs::exists(journalLockPath(folder)));
    EXPECT_TRUE(fs::exists(journalPath(folder)));
    waitedFor.clear();
    EXPECT_TRUE(
        JournalLock::acquire(folder, error, [&](const std::string& f) { waitedFor.push_back(f); }));
    EXPECT_TRUE(waitedFor.empty());
    for (const int fd : {locked[0], locked[1], release[0], release[1]})
        ::close(fd);
}

TEST(JournalLock, AFolderThatCannotHoldTheLockSaysWhy) {
    const TempDir dir;
    std::string error;
    EXPECT_FALSE(JournalLock::acquire((dir / "missing").string(), error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

} // namespace
} // namespace tk::photos
