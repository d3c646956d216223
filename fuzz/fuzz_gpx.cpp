// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as a GPX document, whole and again in two pieces split where the bytes
// say, to catch out-of-bounds access and any difference between the two readings.
#include "formats/GpxReader.h"
#include "tracks/TripFigures.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    const tk::formats::GpxContent whole = tk::formats::readGpx(bytes, error);
    for (const tk::Track& t : whole.tracks) {
        if (t.points.empty())
            __builtin_trap(); // only tracks with points are kept
        (void)tk::tripFigures(t.points, tk::FigureSettings{});
    }
    tk::formats::GpxReader reader;
    const std::size_t split = size > 0 ? data[0] % size : 0;
    const bool ok =
        reader.feed(bytes.substr(0, split)) && reader.feed(bytes.substr(split)) && reader.finish();
    if (ok != error.empty() || (ok && reader.take().tracks.size() != whole.tracks.size()))
        __builtin_trap();
    return 0;
}
