// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/FileReplace.h"

#include "files/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tk::photos {
namespace {

FileStamp stampOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
            static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

// Closes a file a read failed on, keeping the read's errno for the caller.
std::nullopt_t closedAfterFailure(int fd) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return std::nullopt;
}

} // namespace

std::optional<FileStamp> fileStamp(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

std::string replaceFile(const std::string& linkOrPath, const FileStamp& expected,
                        const std::vector<ContentPiece>& pieces) {
    AtomicFile file(linkOrPath, FileTimes::Kept);
    const std::string& path = file.path();
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fileErrorText(path);
    struct stat st {};
    std::string error;
    if (::fstat(in, &st) != 0)
        error = fileErrorText(path);
    else if (!(stampOf(st) == expected))
        error = path + ": the file changed while it was being geotagged";
    else if ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0)
        error = path + ": the file is read-only";
    for (std::size_t i = 0; error.empty() && i < pieces.size(); ++i) {
        if (pieces[i].originalOffset >= 0)
            file.copy(in, pieces[i].originalOffset, pieces[i].originalLength);
        else
            file.write(pieces[i].bytes);
    }
    ::close(in);
    return error.empty() ? file.commit() : error;
}

std::optional<std::string> readFileBytes(const std::string& path, std::size_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        bytes.reserve(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), limit));
    char buffer[1 << 16];
    while (bytes.size() < limit) {
        const ssize_t n =
            ::read(fd, buffer, std::min<std::size_t>(sizeof buffer, limit - bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return closedAfterFailure(fd);
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

std::optional<std::string> readFileRange(const std::string& path, std::int64_t offset,
                                         std::size_t length) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string bytes(length, '\0');
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n =
            ::pread(fd, bytes.data() + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return closedAfterFailure(fd);
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    return bytes;
}

} // namespace tk::photos
