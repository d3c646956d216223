// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/RunJournals.h"

namespace tk::photos {

RunJournals::RunJournals(std::string run, Waiting waiting)
    : run_(std::move(run)), waiting_(std::move(waiting)) {}

std::string RunJournals::enter(const std::string& folder, std::size_t photos, bool lock) {
    std::unique_lock guard(mutex_);
    auto [it, first] = folders_.try_emplace(folder);
    Folder& f = it->second;
    if (first) {
        f.left = photos;
        if (lock) {
            // Waiting for another run happens outside: this run's other writers go on meanwhile.
            guard.unlock();
            std::string error;
            auto held = JournalLock::acquire(folder, error, waiting_);
            guard.lock();
            f.lock = std::move(held);
            f.lockError = error;
            if (f.lock)
                f.appender = std::make_unique<JournalAppender>(folder);
        }
    }
    return f.lockError;
}

std::string RunJournals::keep(const std::string& folder, JournalEntry& entry) {
    entry.run = run_;
    JournalAppender* appender = nullptr;
    {
        std::lock_guard guard(mutex_);
        const auto it = folders_.find(folder);
        if (it != folders_.end())
            appender = it->second.appender.get();
    }
    if (!appender)
        return journalPath(folder) + ": the folder's journal is not held";
    return appender->append(entry);
}

void RunJournals::leave(const std::string& folder, const std::string& unkept) {
    std::unique_lock guard(mutex_);
    const auto it = folders_.find(folder);
    if (it == folders_.end())
        return;
    Folder& f = it->second;
    if (!unkept.empty())
        f.unkept.insert(unkept);
    if (--f.left > 0)
        return;
    Folder done = std::move(f);
    folders_.erase(it);
    guard.unlock();
    done.appender.reset();
    if (!done.unkept.empty() && done.lock) {
        const std::string error = removeJournalEntries(folder, run_, done.unkept);
        if (!error.empty()) {
            std::lock_guard again(mutex_);
            cleanupError_ = error;
        }
    }
}

std::string RunJournals::cleanupError() const {
    std::lock_guard guard(mutex_);
    return cleanupError_;
}

} // namespace tk::photos
