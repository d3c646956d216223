// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/LineColour.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tk {

struct NamedColour {
    std::uint32_t colour;
    std::string_view name;
};

// The colour picker's grid: 40 named colours in 5 rows of 8, with an "Automatic" box above
// and a "More Colors..." box below. Entries 0 to 39 are the cells row by row; the boxes and
// "nothing" have negative entry numbers.
inline constexpr int kGridColumns = 8;
inline constexpr int kGridRows = 5;
inline constexpr int kGridCells = 40;
inline constexpr int kNoEntry = -1;
inline constexpr int kCustomBox = -2;
inline constexpr int kAutomaticBox = -3;

// The names are the cells' tooltips, spelt as users know them ("Pale green " included).
inline constexpr std::array<NamedColour, kGridCells> kGridColours{{
    {colourRef(0, 0, 0), "Black"},
    {colourRef(165, 42, 0), "Brown"},
    {colourRef(0, 64, 64), "Dark Olive Green"},
    {colourRef(0, 85, 0), "Dark Green"},
    {colourRef(0, 0, 94), "Dark Teal"},
    {colourRef(0, 0, 139), "Dark blue"},
    {colourRef(75, 0, 130), "Indigo"},
    {colourRef(40, 40, 40), "Dark grey"},
    {colourRef(139, 0, 0), "Dark red"},
    {colourRef(255, 104, 32), "Orange"},
    {colourRef(139, 139, 0), "Dark yellow"},
    {colourRef(0, 147, 0), "Green"},
    {colourRef(56, 142, 142), "Teal"},
    {colourRef(0, 0, 255), "Blue"},
    {colourRef(123, 123, 192), "Blue-grey"},
    {colourRef(102, 102, 102), "Grey - 40"},
    {colourRef(255, 0, 0), "Red"},
    {colourRef(255, 173, 91), "Light orange"},
    {colourRef(50, 205, 50), "Lime"},
    {colourRef(60, 179, 113), "Sea green"},
    {colourRef(127, 255, 212), "Aqua"},
    {colourRef(125, 158, 192), "Light blue"},
    {colourRef(128, 0, 128), "Violet"},
    {colourRef(127, 127, 127), "Grey - 50"},
    {colourRef(255, 192, 203), "Pink"},
    {colourRef(255, 215, 0), "Gold"},
    {colourRef(255, 255, 0), "Yellow"},
    {colourRef(0, 255, 0), "Bright green"},
    {colourRef(64, 224, 208), "Turquoise"},
    {colourRef(192, 255, 255), "Skyblue"},
    {colourRef(72, 0, 72), "Plum"},
    {colourRef(192, 192, 192), "Light grey"},
    {colourRef(255, 228, 225), "Rose"},
    {colourRef(210, 180, 140), "Tan"},
    {colourRef(255, 255, 224), "Light yellow"},
    {colourRef(152, 251, 152), "Pale green "},
    {colourRef(175, 238, 238), "Pale turquoise"},
    {colourRef(104, 131, 139), "Pale blue"},
    {colourRef(230, 230, 250), "Lavender"},
    {colourRef(255, 255, 255), "White"},
}};

// Which of the two boxes the grid shows.
struct GridBoxes {
    bool automatic = true;
    bool custom = true;
};

enum class GridMove { Up, Down, Left, Right };

// The entry an arrow key moves the hot entry to, from hot (kNoEntry when nothing is hot).
int gridMove(int hot, GridMove move, GridBoxes boxes);

// The entry that holds colour: the automatic box, the first cell of exactly that colour, or the
// custom box for any other colour (kNoEntry when the box it would be is not shown).
int chosenGridEntry(std::uint32_t colour, GridBoxes boxes);

// A colour as a user would name it: its cell's name, "Automatic", or "#RRGGBB".
std::string colourName(std::uint32_t colour);

} // namespace tk
