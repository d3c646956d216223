// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/JournalLock.h"

#include "files/FileIO.h"
#include "photos/GeotagJournal.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tk::photos {
namespace {

// flock, again after a signal.
int lockFile(int fd, int operation) {
    int result;
    do
        result = ::flock(fd, operation);
    while (result != 0 && errno == EINTR);
    return result;
}

// True when fd is still the file at path: the holder before us may have removed it while we
// waited, and a lock on a removed file keeps nobody out.
bool stillThere(int fd, const std::string& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && held.st_nlink > 0 && ::stat(path.c_str(), &named) == 0 &&
           named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

} // namespace

std::string journalLockPath(const std::string& folder) {
    return journalPath(folder) + ".lock";
}

std::unique_ptr<JournalLock>
JournalLock::acquire(const std::string& folder, std::string& error,
                     const std::function<void(const std::string&)>& waiting) {
    error.clear();
    const std::string path = journalLockPath(folder);
    bool told = false;
    for (;;) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            error = fileErrorText(path);
            return nullptr;
        }
        if (lockFile(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK;
            if (busy && !told && waiting) {
                waiting(folder);
                told = true;
            }
            if (!busy || lockFile(fd, LOCK_EX) != 0) {
                error = fileErrorText(path);
                ::close(fd);
                return nullptr;
            }
        }
        if (stillThere(fd, path))
            return std::unique_ptr<JournalLock>(new JournalLock(folder, fd));
        ::close(fd);
    }
}

JournalLock::JournalLock(std::string folder, int fd) : folder_(std::move(folder)), fd_(fd) {}

JournalLock::~JournalLock() {
    // The lock file goes while still held, and nothing is done after: whoever waited on it sees
    // it gone and makes a new one, so no lock file is left among the photos.
    ::unlink(journalLockPath(folder_).c_str());
    ::close(fd_);
}

} // namespace tk::photos
