// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/AtomicFile.h"

#include "files/FileIO.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tk {
namespace {

// Copies through a buffer what the kernel could not copy for us.
bool copyThroughBuffer(int in, int out, off_t from, std::int64_t left) {
    char buffer[1 << 16];
    while (left > 0) {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(left, sizeof buffer));
        const ssize_t n = ::pread(in, buffer, want, from);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO; // the file is shorter than asked
            return false;
        }
        if (!writeAll(out, std::string_view(buffer, static_cast<std::size_t>(n))))
            return false;
        from += n;
        left -= n;
    }
    return true;
}

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
            errno = EIO;
            return false;
        }
        left -= n;
    }
    return copyThroughBuffer(in, out, from, left);
}

// Extended attributes (and with them ACLs and security labels) of in given to out, as far as
// allowed.
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

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A hidden temporary file beside path, made with mode less the umask: the kernel applies the
// umask (or the folder's default ACL), so it is never read or set here, where other threads may
// be making files at the same moment. Its descriptor, or -1 with errno set.
int makeTemporary(const std::string& path, std::string& temporary, mode_t mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folderOf(path) + "/." + nameOf(path) + ".tk-" + randomSuffix();
        const int fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A symbolic link is written through; any other path is written as it is named.
std::string writtenPath(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

} // namespace

AtomicFile::AtomicFile(const std::string& path, FileTimes times)
    : path_(writtenPath(path)), times_(times) {
    // A new file is made with the usual permissions; a replacement takes the original's.
    fd_ = makeTemporary(path_, temporary_, isRegularFile(path_) ? 0600 : 0666);
    if (fd_ < 0)
        fail();
}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::fail() {
    if (error_.empty())
        error_ = fileErrorText(path_);
}

void AtomicFile::write(std::string_view bytes) {
    if (fd_ >= 0 && error_.empty() && !writeAll(fd_, bytes))
        fail();
}

void AtomicFile::copy(int from, std::int64_t offset, std::int64_t length) {
    if (fd_ >= 0 && error_.empty() && !copyRange(from, fd_, offset, length))
        fail();
}

std::string AtomicFile::commit() {
    if (fd_ < 0)
        return error_.empty() ? path_ + ": already committed" : error_;
    if (error_.empty())
        keepWhatTheFileHad();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        fail();
    if (error_.empty() && ::rename(temporary_.c_str(), path_.c_str()) != 0)
        fail();
    if (!error_.empty())
        ::unlink(temporary_.c_str());
    return error_;
}

// Gives the temporary file the permissions, owner, attributes and (when asked) times of the file
// it replaces, and syncs it to the disk.
void AtomicFile::keepWhatTheFileHad() {
    struct stat st {};
    const bool replacing = ::stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (replacing) {
        if (::fchown(fd_, st.st_uid, st.st_gid) != 0) {
            // Only the owner's group may be out of reach; the file keeps ours then.
        }
        if (const int original = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC); original >= 0) {
            copyAttributes(original, fd_);
            ::close(original);
        }
    }
    if (replacing && ::fchmod(fd_, st.st_mode & 07777) != 0)
        return fail();
    if (::fdatasync(fd_) != 0)
        return fail();
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (replacing && times_ == FileTimes::Kept && ::futimens(fd_, times) != 0)
        fail();
}

void AtomicFile::discard() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    ::unlink(temporary_.c_str());
}

std::string writeFileAtomically(const std::string& path, std::string_view bytes, FileTimes times) {
    AtomicFile file(path, times);
    file.write(bytes);
    return file.commit();
}

} // namespace tk
