// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracks/FileIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tk {
namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Fills buffer as far as the file goes; the count read, or -1 with errno set.
ssize_t readFull(int fd, std::span<char> buffer) {
    std::size_t got = 0;
    while (got < buffer.size()) {
        const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::string fileErrorText(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

AtomicFile::AtomicFile(std::string path)
    : path_(std::move(path)), temporary_(path_ + ".tmp-XXXXXX") {
    fd_ = ::mkstemp(temporary_.data());
    if (fd_ < 0)
        error_ = fileErrorText(path_);
}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::write(std::string_view bytes) {
    if (fd_ >= 0 && error_.empty() && !writeAll(fd_, bytes))
        error_ = fileErrorText(path_);
}

std::string AtomicFile::commit() {
    if (fd_ < 0)
        return error_.empty() ? path_ + ": already committed" : error_;
    if (error_.empty() && ::fchmod(fd_, newFileMode()) != 0)
        error_ = fileErrorText(path_);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && error_.empty())
        error_ = fileErrorText(path_);
    if (error_.empty() && ::rename(temporary_.c_str(), path_.c_str()) != 0)
        error_ = fileErrorText(path_);
    if (!error_.empty())
        ::unlink(temporary_.c_str());
    return error_;
}

void AtomicFile::discard() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    ::unlink(temporary_.c_str());
}

std::string writeFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFile file(path);
    file.write(bytes);
    return file.commit();
}

std::string readFileInPieces(const std::string& path, std::span<char> piece,
                             const std::function<void(std::string_view)>& use) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fileErrorText(path);
    std::string error;
    for (;;) {
        const ssize_t got = readFull(fd, piece);
        if (got < 0) {
            error = fileErrorText(path);
            break;
        }
        if (got > 0)
            use(std::string_view(piece.data(), static_cast<std::size_t>(got)));
        if (static_cast<std::size_t>(got) < piece.size() || piece.empty())
            break;
    }
    ::close(fd);
    return error;
}

} // namespace tk
