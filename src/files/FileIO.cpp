// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tk {
namespace {

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

// Opens path and hands the descriptor to read, which fills bytes; closes it after, keeping a
// failed read's errno for the caller.
std::optional<std::string>
readOpenFile(const std::string& path, const std::function<bool(int fd, std::string& bytes)>& read) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string bytes;
    const bool ok = read(fd, bytes);
    const int saved = errno;
    ::close(fd);
    errno = saved;
    if (!ok)
        return std::nullopt;
    return bytes;
}

} // namespace

std::optional<std::string> readFileBytes(const std::string& path) {
    return readOpenFile(path, [](int fd, std::string& bytes) {
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_size > 0)
            bytes.reserve(static_cast<std::size_t>(st.st_size));
        char buffer[1 << 16];
        for (;;) {
            const ssize_t got = readFull(fd, buffer);
            if (got < 0)
                return false;
            bytes.append(buffer, static_cast<std::size_t>(got));
            if (static_cast<std::size_t>(got) < sizeof buffer)
                return true;
        }
    });
}

std::optional<std::string> readFileRange(const std::string& path, std::int64_t offset,
                                         std::size_t length) {
    return readOpenFile(path, [&](int fd, std::string& bytes) {
        if (::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0)
            return false;
        bytes.resize(length);
        const ssize_t got = readFull(fd, bytes);
        if (got < 0)
            return false;
        bytes.resize(static_cast<std::size_t>(got));
        return true;
    });
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string fileErrorText(const std::string& path) {
    return path + ": " + std::strerror(errno);
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
