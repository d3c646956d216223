// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tk {

// Builds realistic logger memory images: trips of track-start, fixes along a path at plausible
// speeds and altitudes, track-end; the rest of the last page and any padding pages erased (FF).
// Every few trips share a town: walks and errands through its streets, bike rides and drives out
// into the hilly country and back, with stops where the logger stands still. The same options
// give the same image.
struct DemoOptions {
    unsigned seed = 1;
    int trips = 4;
    int fixesPerTrip = 600; // on average: walks are shorter, drives longer; trips × this in all
    std::uint8_t stepSeconds = 5;
    std::uint8_t unitFlag = 0;
    std::uint8_t zoneCode = 0;   // 0: each trip stores the zone of its own place
    bool glitches = true;        // now and then a fix far off the path, as real receivers give
    std::size_t erasedPages = 2; // trailing all-FF pages
};

std::vector<std::uint8_t> makeDemoMemory(const DemoOptions& options = {});

// Exactly 2,048 pages with every record used: one long series of trips that fills the memory.
std::vector<std::uint8_t> makeFullMemory(unsigned seed = 1);

} // namespace tk
