// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/GeotagJournal.h"
#include "photos/JournalAppender.h"
#include "photos/JournalLock.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace tk::photos {

// The journals of the folders one run writes to. A folder's journal is locked from the run's
// first photo there to its last, each change's entry goes to the disk just before the change,
// and the entries of photos that were not changed after all (their write failed) go again when
// the folder is done. Folders must be entered in name order, so that two runs over the same
// folders cannot each hold one the other waits for. Safe from several threads.
class RunJournals {
public:
    using Waiting = std::function<void(const std::string& folder)>;

    RunJournals(std::string run, Waiting waiting);

    // Starts a photo in folder, which has photos photos in the run; the first one locks the
    // folder's journal (waiting for another run), unless lock is false. Returns the error text
    // when the journal cannot be locked: the folder's photos cannot be changed.
    std::string enter(const std::string& folder, std::size_t photos, bool lock = true);
    // Puts the entry of a photo of an entered folder in its journal, with the run's name.
    std::string keep(const std::string& folder, JournalEntry& entry);
    // Ends a photo; unkept names a photo whose entry was kept but that was not changed. The
    // folder's last photo lets the journal go.
    void leave(const std::string& folder, const std::string& unkept = {});
    // The errors met while taking entries out again, "" when none.
    std::string cleanupError() const;

private:
    struct Folder {
        std::size_t left = 0;
        std::string lockError;
        std::unique_ptr<JournalLock> lock;
        std::unique_ptr<JournalAppender> appender;
        std::set<std::string> unkept;
    };

    std::string run_;
    Waiting waiting_;
    mutable std::mutex mutex_;
    std::map<std::string, Folder> folders_;
    std::string cleanupError_;
};

} // namespace tk::photos
