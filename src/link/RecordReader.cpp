// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/RecordReader.h"

namespace tk {

RecordRead readRecord(BytePort& port, std::span<std::uint8_t, kRecordSize> record) {
    std::size_t skipped = 0;
    for (;;) {
        const std::uint8_t byte = port.readByte();
        if (byte == kRecordSync)
            break;
        if (byte == BytePort::kReadFailed)
            return RecordRead::ReadFailed;
        if (++skipped == kMaxSyncSkip)
            return RecordRead::SyncLost;
    }
    for (std::uint8_t& slot : record) {
        slot = port.readByte();
        if (slot == BytePort::kReadFailed)
            return RecordRead::ReadFailed;
    }
    return RecordRead::Received;
}

} // namespace tk
