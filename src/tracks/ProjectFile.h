// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/PageBuffer.h"
#include "tracks/TrackDecoder.h"

#include <cstddef>
#include <span>
#include <string>

namespace tk {

struct ProjectLoad {
    std::string error;              // empty when the file was read
    std::size_t recordsRead = 0;    // stored in the page buffer and decoded
    std::size_t recordsDropped = 0; // whole records beyond the page buffer's capacity
    std::size_t trailingBytes = 0;  // a last piece shorter than a record, ignored

    bool ok() const { return error.empty(); }
};

// Copies the records to the page buffer from offset 0, decodes them in a fresh pass and sets
// pageCount to the pages they fill. byteCount and the bytes past the records stay as they were.
ProjectLoad loadProject(std::span<const std::uint8_t> bytes, PageBuffer& buffer,
                        TrackDecoder& decoder);

// Reads the file first: a file that cannot be read leaves the buffer and the tracks untouched.
ProjectLoad openProject(const std::string& path, PageBuffer& buffer, TrackDecoder& decoder);

// Writes pageCount whole pages; returns the error text, empty on success.
std::string saveProject(const std::string& path, const PageBuffer& buffer);

} // namespace tk
