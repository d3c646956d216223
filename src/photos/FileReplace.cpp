// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/FileReplace.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tk::photos {
namespace {

FileStamp stampOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
            static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
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

// Copies length bytes of in from offset to out's position: in the kernel where it can, else
// through a buffer.
bool copyRange(int in, int out, std::int64_t offset, std::int64_t length) {
    off_t from = static_cast<off_t>(offset);
    std::int64_t left = length;
    while (left > 0) {
        const ssize_t n =
            ::copy_file_range(in, &from, out, nullptr, static_cast<std::size_t>(left), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
            break;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = EIO; // the original is shorter than it was
            return false;
        }
        left -= n;
    }
    char buffer[1 << 16];
    while (left > 0) {
        const ssize_t n =
            ::pread(in, buffer,
                    static_cast<std::size_t>(std::min<std::int64_t>(left, sizeof buffer)), from);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        if (!writeAll(out, std::string_view(buffer, static_cast<std::size_t>(n))))
            return false;
        from += n;
        left -= n;
    }
    return true;
}

// Extended attributes (and with them ACLs) of in given to out, as far as allowed.
void copyAttributes(int in, int out) {
    const ssize_t size = ::flistxattr(in, nullptr, 0);
    if (size <= 0)
        return;
    std::string names(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::flistxattr(in, names.data(), names.size());
    if (got <= 0)
        return;
    names.resize(static_cast<std::size_t>(got));
    for (std::size_t at = 0; at < names.size();) {
        const std::string name = names.c_str() + at;
        at += name.size() + 1;
        const ssize_t length = ::fgetxattr(in, name.c_str(), nullptr, 0);
        if (length < 0)
            continue;
        std::string value(static_cast<std::size_t>(length), '\0');
        const ssize_t read = ::fgetxattr(in, name.c_str(), value.data(), value.size());
        if (read >= 0)
            ::fsetxattr(out, name.c_str(), value.data(), static_cast<std::size_t>(read), 0);
    }
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Six letters that no other thread or process is likely to pick at the same moment.
std::string randomSuffix() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string suffix(6, ' ');
    for (char& c : suffix)
        c = kLetters[pick(generator)];
    return suffix;
}

// A hidden temporary file beside path: its descriptor and name, or -1 with errno set. It is
// made with mode, less the umask: the kernel applies the umask (or the folder's default ACL), so
// it is never read here, where other threads may be making files at the same moment.
int makeTemporary(const std::string& path, std::string& temporary, mode_t mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folderOf(path) + "/." + nameOf(path) + ".tk-" + randomSuffix();
        const int fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// A symbolic link is written through: its target is replaced and the link stays a link.
std::string writtenPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// Closes a file a read failed on, keeping the read's errno for the caller.
std::nullopt_t closedAfterFailure(int fd) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return std::nullopt;
}

} // namespace

std::string systemErrorText(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

std::optional<FileStamp> fileStamp(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

std::string replaceFile(const std::string& linkOrPath, const FileStamp& expected,
                        const std::vector<ContentPiece>& pieces) {
    const std::string path = writtenPath(linkOrPath);
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return systemErrorText(path);
    struct stat st {};
    if (::fstat(in, &st) != 0) {
        const std::string error = systemErrorText(path);
        ::close(in);
        return error;
    }
    if (!(stampOf(st) == expected)) {
        ::close(in);
        return path + ": the file changed while it was being geotagged";
    }
    if ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0) {
        ::close(in);
        return path + ": the file is read-only";
    }
    std::string temporary;
    const int out = makeTemporary(path, temporary, 0600);
    if (out < 0) {
        const std::string error = systemErrorText(folderOf(path));
        ::close(in);
        return error;
    }
    bool ok = true;
    for (const ContentPiece& piece : pieces) {
        ok = piece.originalOffset >= 0
                 ? copyRange(in, out, piece.originalOffset, piece.originalLength)
                 : writeAll(out, piece.bytes);
        if (!ok)
            break;
    }
    std::string error;
    if (!ok)
        error = systemErrorText(path);
    if (ok) {
        if (::fchown(out, st.st_uid, st.st_gid) != 0) {
            // Only the owner's group may be out of reach; the file keeps ours then.
        }
        if (::fchmod(out, st.st_mode & 07777) != 0)
            error = systemErrorText(path);
        copyAttributes(in, out);
        if (error.empty() && ::fdatasync(out) != 0)
            error = systemErrorText(path);
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (error.empty() && ::futimens(out, times) != 0)
            error = systemErrorText(path);
    }
    ::close(in);
    if (::close(out) != 0 && error.empty())
        error = systemErrorText(path);
    if (error.empty() && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = systemErrorText(path);
    if (!error.empty())
        ::unlink(temporary.c_str());
    return error;
}

std::string writeWholeFile(const std::string& path, std::string_view bytes) {
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    std::string temporary;
    const int out = makeTemporary(path, temporary, exists ? 0600 : 0666);
    if (out < 0)
        return systemErrorText(folderOf(path));
    std::string error;
    if (!writeAll(out, bytes))
        error = systemErrorText(path);
    if (error.empty() && exists && ::fchmod(out, st.st_mode & 07777) != 0)
        error = systemErrorText(path);
    if (error.empty() && ::fdatasync(out) != 0)
        error = systemErrorText(path);
    if (::close(out) != 0 && error.empty())
        error = systemErrorText(path);
    if (error.empty() && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = systemErrorText(path);
    if (!error.empty())
        ::unlink(temporary.c_str());
    return error;
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
