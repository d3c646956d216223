// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tk {

// Reads the file from its start and hands it to use in pieces of exactly piece.size() bytes
// (only the last may be shorter, and an empty file gives none), read into piece; short reads
// from pipes and terminals are gathered first. Returns an empty string, else the error text;
// the pieces before an error have been handed over.
std::string readFileInPieces(const std::string& path, std::span<char> piece,
                             const std::function<void(std::string_view)>& use);

// Reads the whole file; nothing when it cannot be read (errno set).
std::optional<std::string> readFileBytes(const std::string& path);
// Reads length bytes at offset; fewer at the end of the file, nothing when it cannot be read
// (errno set).
std::optional<std::string> readFileRange(const std::string& path, std::int64_t offset,
                                         std::size_t length);

// Writes all the bytes to fd, going on after short writes and interruptions; false with errno
// set when the file takes no more.
bool writeAll(int fd, std::string_view bytes);

// The system's text for the last error of a file operation on path.
std::string fileErrorText(const std::string& path);

} // namespace tk
