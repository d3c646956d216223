// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/GeotagJournal.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace tk::photos {

// Adds entries to a folder's journal as a run goes, so that what undo needs is on the disk and
// not in memory. append returns once the entry is on the disk: only then may its photo change.
// Writers that append at the same time share one sync of the journal. Safe from several threads;
// whoever uses it holds the folder's JournalLock. The journal is made with the first entry.
class JournalAppender {
public:
    explicit JournalAppender(std::string folder);
    ~JournalAppender();
    JournalAppender(const JournalAppender&) = delete;
    JournalAppender& operator=(const JournalAppender&) = delete;

    // Returns the error text, empty on success.
    std::string append(const JournalEntry& entry);

private:
    std::string openJournal();
    std::string syncUpTo(std::uint64_t entry, std::unique_lock<std::mutex>& lock);

    std::string folder_;
    int fd_ = -1;
    std::mutex mutex_;
    std::condition_variable synced_;
    std::uint64_t written_ = 0; // entries written
    std::uint64_t durable_ = 0; // entries synced to the disk
    bool syncing_ = false;
};

} // namespace tk::photos
