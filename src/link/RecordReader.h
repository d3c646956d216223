// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/BytePort.h"
#include "tracks/LogRecord.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace tk {

inline constexpr std::uint8_t kRecordSync = 0xAA;
// A line that never carries a sync byte must not hold a download forever.
inline constexpr std::size_t kMaxSyncSkip = 1024;

enum class RecordRead {
    Received,   // the 24 bytes after a sync byte arrived
    ReadFailed, // a read gave kReadFailed, before the sync byte or inside the record
    SyncLost,   // kMaxSyncSkip bytes were skipped without a sync byte
};

// Skips bytes up to the next sync byte, then reads one record into `record`. On a failure
// inside the record the bytes read so far, the failed one included, are left in `record`.
RecordRead readRecord(BytePort& port, std::span<std::uint8_t, kRecordSize> record);

} // namespace tk
