// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <random>

namespace tk {

// The line colours the track list hands out: three generator values per colour, each giving the
// byte (256 - r mod 256) mod 256, blue first, then green, then red. The generator is never
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
