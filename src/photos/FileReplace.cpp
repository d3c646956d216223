// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/FileReplace.h"

#include "files/AtomicFile.h"
#include "files/FileIO.h"

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

} // namespace tk::photos
