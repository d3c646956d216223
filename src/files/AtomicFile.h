// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tk {

// What a replaced file's modification and access times become: now, or the ones it had.
enum class FileTimes { Now, Kept };

// A file written whole or not at all, the program's one way of writing a file. The bytes go to a
// hidden temporary file in the same folder; commit() gives it what the file it replaces had
// (permissions, owner as far as allowed, extended attributes, and the times when asked), syncs
// it to the disk and renames it over the path. A new file gets the usual permissions (0666 less
// the umask). A symbolic link is written through: its target is replaced, the link stays. A file
// that is never committed is removed, so a failed or abandoned write never leaves half a file and
// the path keeps what it held before. Nothing process-wide (the umask) is read or changed, so
// files may be written from several threads at once.
class AtomicFile {
public:
    explicit AtomicFile(const std::string& path, FileTimes times = FileTimes::Now);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Appends the bytes; after the first failure later writes do nothing and commit() reports it.
    void write(std::string_view bytes);
    // Appends length bytes of the open file `from`, starting at offset (its position is not
    // used or moved); a file shorter than that is a failure.
    void copy(int from, std::int64_t offset, std::int64_t length);
    // Returns an empty string when the file now lies under the path, else the error text
    // ("path: reason"); a second commit is a failure.
    std::string commit();

    // The file written: the path, or the target of the link it names.
    const std::string& path() const { return path_; }

private:
    void fail();
    void keepWhatTheFileHad();
    void discard();

    std::string path_;
    std::string temporary_;
    FileTimes times_;
    int fd_ = -1;
    std::string error_;
};

// Writes the bytes through an AtomicFile. Returns an empty string on success, else the error text.
std::string writeFileAtomically(const std::string& path, std::string_view bytes,
                                FileTimes times = FileTimes::Now);

} // namespace tk
