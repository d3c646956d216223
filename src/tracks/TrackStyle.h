// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <random>

namespace tk {

// How a track is drawn: its line's colour (0x00BBGGRR) and weight, and the page's playback speed
// in points per step. Kept beside the track, not in it: the decoder knows nothing of looks.
struct TrackStyle {
    std::uint32_t colour = 0;
    std::uint8_t lineWeight = 2;
    std::int32_t playSpeed = 2;

    bool operator==(const TrackStyle&) const = default;
};

// The line colours handed out to listed tracks: three generator values per colour, each giving
// the byte (256 - r mod 256) mod 256, blue first, then green, then red. The generator is never
// seeded, so every run of the program hands out the same sequence.
class ColourSequence {
public:
    std::uint32_t next() {
        const std::uint32_t blue = nextByte();
        const std::uint32_t green = nextByte();
        const std::uint32_t red = nextByte();
        return red | green << 8 | blue << 16;
    }

private:
    std::uint32_t nextByte() {
        const std::uint32_t r = generator_() & 0x7fffffffu;
        return (256 - r % 256) % 256;
    }

    std::mt19937 generator_;
};

} // namespace tk
