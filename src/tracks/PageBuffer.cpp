// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracks/PageBuffer.h"

#include <algorithm>

namespace tk {

PageBuffer::PageBuffer() : bytes_(kPageCapacity * kPageSize, 0) {}

void PageBuffer::clear() {
    std::fill(bytes_.begin(), bytes_.end(), 0);
}

bool PageBuffer::append(std::span<const std::uint8_t, kRecordSize> record) {
    if (byteCount < 0 || !storeAt(static_cast<std::size_t>(byteCount) / kRecordSize, record))
        return false;
    byteCount += static_cast<std::int32_t>(kRecordSize);
    return true;
}

bool PageBuffer::storeAt(std::size_t index, std::span<const std::uint8_t, kRecordSize> record) {
    if (index >= kRecordCapacity)
        return false;
    std::copy(record.begin(), record.end(), bytes_.begin() + index * kRecordSize);
    return true;
}

std::span<const std::uint8_t, kRecordSize> PageBuffer::record(std::size_t index) const {
    return std::span<const std::uint8_t, kRecordSize>(bytes_.data() + index * kRecordSize,
                                                      kRecordSize);
}

std::span<const std::uint8_t> PageBuffer::pages() const {
    const auto count = std::clamp<std::int64_t>(pageCount, 0, kPageCapacity);
    return std::span<const std::uint8_t>(bytes_.data(),
                                         static_cast<std::size_t>(count) * kPageSize);
}

} // namespace tk
