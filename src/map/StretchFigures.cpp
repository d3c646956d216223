// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/StretchFigures.h"

#include "map/FigureJson.h"
#include "map/FigureTexts.h"
#include "map/MapDataScript.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>

namespace tk {
namespace {

void appendTexts(std::string& out, const FigureTexts& t) {
    const std::array<std::pair<const char*, const std::string*>, 7> members{{
        {"length", &t.length},
        {"movingTime", &t.movingTime},
        {"duration", &t.duration},
        {"averageSpeed", &t.averageSpeed},
        {"movingSpeed", &t.movingSpeed},
        {"climb", &t.climb},
        {"altitudes", &t.altitudes},
    }};
    out += '{';
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (i > 0)
            out += ", ";
        appendJsonString(out, members[i].first);
        out += ": ";
        appendJsonString(out, *members[i].second);
    }
    out += '}';
}

} // namespace

ShownTrack shownTrack(const Track& track, const FigureSettings& settings) {
    return {track.points, mapDataRowPoints(track.points), track.imperial(), settings};
}

std::string stretchFiguresJson(const ShownTrack& shown, long firstRow, long lastRow) {
    if (shown.rowPoints.empty() || shown.points.empty())
        return "{}";
    const long lastIndex = static_cast<long>(shown.rowPoints.size()) - 1;
    if (firstRow > lastRow)
        std::swap(firstRow, lastRow);
    firstRow = std::clamp(firstRow, 0L, lastIndex);
    lastRow = std::clamp(lastRow, 0L, lastIndex);
    const std::size_t from = shown.rowPoints[static_cast<std::size_t>(firstRow)];
    const std::size_t to = std::max(from, shown.rowPoints[static_cast<std::size_t>(lastRow)]);
    const TripFigures f = tripFigures(std::span(shown.points).subspan(from, to - from + 1),
                                      shown.settings, splitMetres(shown.imperial));
    std::string out = "{\"first\": " + std::to_string(firstRow) +
                      ", \"last\": " + std::to_string(lastRow) + ", \"texts\": ";
    appendTexts(out, figureTexts(f, shown.imperial));
    out += ", \"movingSpeed\": ";
    appendJsonString(out, movingSpeedText(shown.settings, shown.imperial));
    out += ", \"climbThreshold\": ";
    appendJsonString(out, climbThresholdText(shown.settings, shown.imperial));
    out += ", \"splitUnit\": ";
    appendJsonString(out, splitUnit(shown.imperial));
    out += ", \"figures\": {";
    appendFigureMembers(out, f);
    out += "}}";
    return out;
}

} // namespace tk
