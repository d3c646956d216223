// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TrackListing.h"

#include "cli/CliOutput.h"
#include "map/MapDataScript.h"

#include <cstdio>

namespace tk::cli {
namespace {

constexpr const char* kRowFormat = "%4s  %-20s %7s  %-8s  %-8s %5s  %10s  %10s  %10s\n";

std::string trackRow(int number, const Track& t) {
    const MapTexts x = mapTexts(t);
    return row(kRowFormat, std::to_string(number).c_str(), x.name.c_str(),
               std::to_string(t.points.size()).c_str(), x.start.c_str(), x.end.c_str(),
               (x.step + "s").c_str(), x.speed.c_str(), x.distance.c_str(), x.altitude.c_str());
}

std::string rejectRow(const RejectCounts& r) {
    return row("      dropped %u: %u invalid field, %u position jump, %u altitude jump, "
               "%u time not increasing, %u speed disagreeing with distance\n",
               r.total(), r.invalidField, r.positionJump, r.altitudeJump, r.timeNotIncreasing,
               r.speedMismatch);
}

} // namespace

std::string trackListing(const TrackTable& table, bool withRejects) {
    std::string out = row(kRowFormat, "No.", "Name", "Points", "Start", "End", "Step", "Peak speed",
                          "Distance", "Peak alt.");
    int listed = 0;
    for (int i = 0; i <= table.lastTrack; ++i) {
        const Track& t = table.tracks[static_cast<std::size_t>(i)];
        if (t.points.empty())
            continue;
        ++listed;
        out += trackRow(i + 1, t);
        if (withRejects)
            out += rejectRow(t.rejects);
    }
    if (listed == 0)
        out += "(no tracks)\n";
    if (withRejects)
        out += row("Fixes outside any track: %u\n", table.fixesOutsideTrack);
    return out;
}

} // namespace tk::cli
