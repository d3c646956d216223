// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/LogRecord.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tk {

// The raw logger memory: records back to back in arrival order, at most kPageCapacity pages.
class PageBuffer {
public:
    PageBuffer();

    void clear(); // zeroes every byte; pageCount and byteCount keep their values

    // Stores the record at byteCount and advances it; false (nothing stored) when full.
    bool append(std::span<const std::uint8_t, kRecordSize> record);
    // Stores the record at record slot index; false when index is beyond capacity.
    bool storeAt(std::size_t index, std::span<const std::uint8_t, kRecordSize> record);

    std::span<const std::uint8_t, kRecordSize> record(std::size_t index) const;
    std::span<const std::uint8_t> bytes() const { return bytes_; }
    std::span<const std::uint8_t> pages() const; // the first pageCount pages

    std::int32_t pageCount = 0;
    std::int32_t byteCount = 0;

private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace tk
