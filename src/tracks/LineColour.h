// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace tk {

// Line colours are 0x00BBGGRR values. The colour picker's "automatic" is not an RGB value: a
// track that holds it is drawn in one fixed colour.
inline constexpr std::uint32_t kAutomaticColour = 0xFF000000;

// Red: it stands out on map tiles, over land and water alike.
inline constexpr std::uint32_t kAutomaticDrawColour = 0x000000FF;

inline constexpr std::uint32_t colourRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return std::uint32_t{red} | std::uint32_t{green} << 8 | std::uint32_t{blue} << 16;
}

// The RGB value a line of this colour is drawn in.
inline constexpr std::uint32_t drawColour(std::uint32_t colour) {
    return colour == kAutomaticColour ? kAutomaticDrawColour : colour & 0x00FFFFFF;
}

} // namespace tk
