// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace tk::photos {

// Holds a folder's undo journal for one geotagging run or undo, so that two of them in the same
// folder never rewrite the journal over each other's entries: the second waits until the first
// lets go. The lock is taken on a hidden file beside the journal (the journal itself is replaced
// by renaming, which a lock would not survive); the lock file goes again when the lock does.
class JournalLock {
public:
    // Locks the folder's journal, waiting while another run holds it; waiting(folder) is called
    // once before the wait. Nothing (and error set) when the lock file cannot be made or locked.
    static std::unique_ptr<JournalLock>
    acquire(const std::string& folder, std::string& error,
            const std::function<void(const std::string&)>& waiting = {});

    ~JournalLock();
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;

private:
    JournalLock(std::string folder, int fd);

    std::string folder_;
    int fd_;
};

// The lock file of the folder's journal.
std::string journalLockPath(const std::string& folder);

} // namespace tk::photos
