// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/ColourGrid.h"

#include <cstdio>

namespace tk {

namespace {

constexpr int kLastCell = kGridCells - 1;

bool isCell(int row, int column) {
    return row >= 0 && row < kGridRows && column >= 0 && column < kGridColumns &&
           row * kGridColumns + column < kGridCells;
}

// Past the grid's end (or into it from nothing) the cursor goes to the box below the grid.
int afterGrid(GridBoxes boxes) {
    if (boxes.custom)
        return kCustomBox;
    return boxes.automatic ? kAutomaticBox : 0;
}

// Before the grid's start (or into it from nothing backwards) it goes to the box above.
int beforeGrid(GridBoxes boxes) {
    if (boxes.automatic)
        return kAutomaticBox;
    return boxes.custom ? kCustomBox : kLastCell;
}

int forward(int hot, GridMove move, GridBoxes boxes) {
    if (hot == kAutomaticBox)
        return 0;
    if (hot == kCustomBox)
        return boxes.automatic ? kAutomaticBox : 0;
    // Nothing hot counts as row -1, column -1, so neither move lands on a cell.
    const int row = hot < 0 ? -1 : hot / kGridColumns;
    const int column = hot < 0 ? -1 : hot % kGridColumns;
    int nextRow = row + 1;
    int nextColumn = column;
    if (move == GridMove::Right) {
        nextRow = column < kGridColumns - 1 ? row : row + 1;
        nextColumn = column < kGridColumns - 1 ? column + 1 : 0;
    }
    return isCell(nextRow, nextColumn) ? nextRow * kGridColumns + nextColumn : afterGrid(boxes);
}

int backward(int hot, GridMove move, GridBoxes boxes) {
    if (hot == kAutomaticBox)
        return boxes.custom ? kCustomBox : kLastCell;
    if (hot == kCustomBox)
        return kLastCell;
    if (hot < 0)
        return beforeGrid(boxes);
    const int row = hot / kGridColumns;
    const int column = hot % kGridColumns;
    if (move == GridMove::Up)
        return row > 0 ? hot - kGridColumns : beforeGrid(boxes);
    if (column > 0)
        return hot - 1;
    return row > 0 ? (row - 1) * kGridColumns + kGridColumns - 1 : beforeGrid(boxes);
}

} // namespace

int gridMove(int hot, GridMove move, GridBoxes boxes) {
    if (move == GridMove::Down || move == GridMove::Right)
        return forward(hot, move, boxes);
    return backward(hot, move, boxes);
}

int chosenGridEntry(std::uint32_t colour, GridBoxes boxes) {
    if (colour == kAutomaticColour && boxes.automatic)
        return kAutomaticBox;
    for (int i = 0; i < kGridCells; ++i) {
        if (kGridColours[i].colour == colour)
            return i;
    }
    return boxes.custom ? kCustomBox : kNoEntry;
}

std::string colourName(std::uint32_t colour) {
    if (colour == kAutomaticColour)
        return "Automatic";
    for (const NamedColour& named : kGridColours) {
        if (named.colour == colour)
            return std::string(named.name);
    }
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    return text;
}

} // namespace tk
