// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes arbitrary bytes as a project file, and feeds the same bytes to a second table as a
// download would, record by record, to catch any out-of-bounds access in decoding.
#include "tracks/ProjectFile.h"

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tk::PageBuffer buffer;
    tk::TrackTable table;
    tk::TrackDecoder decoder(table);
    const std::span<const std::uint8_t> bytes(data, size);
    const tk::ProjectLoad load = tk::loadProject(bytes, buffer, decoder);
    if (load.recordsRead + load.recordsDropped != size / tk::kRecordSize)
        __builtin_trap();
    for (int i = 0; i <= table.lastTrack; ++i)
        if (i < table.lastTrack && table.tracks[static_cast<std::size_t>(i)].points.empty())
            __builtin_trap(); // only the last slot may be without points
    (void)buffer.pages();
    return 0;
}
