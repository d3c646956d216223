// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tk::photos {

// What identifies a file's content as it was read: a write goes ahead only while the file is
// still the same, and the new file takes the old one's permissions, owner and times.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeSeconds = 0;
    std::int64_t mtimeNanoseconds = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at path; nothing when it cannot be read (errno set).
std::optional<FileStamp> fileStamp(const std::string& path);

// A piece of the new content: bytes from memory, or a range of the original file.
struct ContentPiece {
    std::string_view bytes;
    std::int64_t originalOffset = -1; // >= 0: copy originalLength bytes of the original from here
    std::int64_t originalLength = 0;

    static ContentPiece memory(std::string_view bytes) { return {bytes, -1, 0}; }
    static ContentPiece original(std::int64_t offset, std::int64_t length) {
        return {{}, offset, length};
    }
};

// Replaces the file at path, which must still have the stamp, with the pieces, through an
// AtomicFile that keeps the original's permissions, owner, extended attributes and times. A
// failure leaves the original as it was. Returns the error text, empty on success.
std::string replaceFile(const std::string& path, const FileStamp& expected,
                        const std::vector<ContentPiece>& pieces);

} // namespace tk::photos
