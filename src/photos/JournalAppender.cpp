// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/JournalAppender.h"

#include "files/FileIO.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tk::photos {
namespace {

// The size of the journal without a last line that was cut short (when the program stopped
// while writing it: its photo was never changed); -1 when it cannot be read.
off_t wholeLinesSize(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return -1;
    char chunk[4096];
    for (off_t end = st.st_size; end > 0;) {
        const off_t start = std::max<off_t>(0, end - static_cast<off_t>(sizeof chunk));
        const ssize_t n = ::pread(fd, chunk, static_cast<std::size_t>(end - start), start);
        if (n != end - start)
            return -1;
        for (ssize_t i = n; i-- > 0;)
            if (chunk[i] == '\n')
                return start + i + 1;
        end = start;
    }
    return 0;
}

// Readies the journal for the first entry: a cut-short last line goes, a new journal gets its
// header.
bool prepare(int fd) {
    const off_t size = wholeLinesSize(fd);
    if (size < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || (st.st_size != size && ::ftruncate(fd, size) != 0))
        return false;
    return size > 0 || writeAll(fd, journalHeader());
}

} // namespace

JournalAppender::JournalAppender(std::string folder) : folder_(std::move(folder)) {}

JournalAppender::~JournalAppender() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string JournalAppender::openJournal() {
    const std::string path = journalPath(folder_);
    fd_ = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0)
        return fileErrorText(path);
    if (!prepare(fd_)) {
        const std::string error = fileErrorText(path);
        ::close(fd_);
        fd_ = -1;
        return error;
    }
    return {};
}

std::string JournalAppender::append(const JournalEntry& entry) {
    const std::string line = journalLine(entry);
    std::unique_lock lock(mutex_);
    if (fd_ < 0) {
        const std::string error = openJournal();
        if (!error.empty())
            return error;
    }
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0 || !writeAll(fd_, line)) {
        // No half line stays behind for the next entry to be glued to.
        const std::string error = fileErrorText(journalPath(folder_));
        if (end >= 0 && ::ftruncate(fd_, end) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
        return error;
    }
    return syncUpTo(++written_, lock);
}

// One writer syncs everything written so far while the others wait for it; whoever finds its
// entry not yet covered afterwards syncs again.
std::string JournalAppender::syncUpTo(std::uint64_t entry, std::unique_lock<std::mutex>& lock) {
    while (durable_ < entry) {
        if (syncing_) {
            synced_.wait(lock);
            continue;
        }
        syncing_ = true;
        const std::uint64_t covered = written_;
        lock.unlock();
        const bool ok = ::fdatasync(fd_) == 0;
        const std::string error = ok ? std::string() : fileErrorText(journalPath(folder_));
        lock.lock();
        syncing_ = false;
        if (ok && covered > durable_)
            durable_ = covered;
        synced_.notify_all();
        if (!ok)
            return error;
    }
    return {};
}

} // namespace tk::photos
