// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tk {

// A file written whole or not at all: the bytes go to a temporary file beside path, and commit()
// renames it over path. A file that is never committed is removed, so a failed or abandoned
// write never leaves half a file, and path keeps what it held before.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Appends the bytes; after the first failure later writes do nothing and commit() reports it.
    void write(std::string_view bytes);
    // Returns an empty string when the file now lies under path, else the error text.
    std::string commit();

private:
    void discard();

    std::string path_;
    std::string temporary_;
    int fd_ = -1;
    std::string error_;
};

// Writes the bytes to a temporary file beside path and renames it over path, so a failed
// write never leaves half a file. Returns an empty string on success, else the error text.
std::string writeFileAtomically(const std::string& path, std::string_view bytes);

// Reads the file from its start and hands it to use in pieces of exactly piece.size() bytes
// (only the last may be shorter, and an empty file gives none), read into piece; short reads
// from pipes and terminals are gathered first. Returns an empty string, else the error text;
// the pieces before an error have been handed over.
std::string readFileInPieces(const std::string& path, std::span<char> piece,
                             const std::function<void(std::string_view)>& use);

// The system's text for the last error of a file operation on path.
std::string fileErrorText(const std::string& path);

} // namespace tk
