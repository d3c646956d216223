// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapDataScript.h"

#include "map/FigureJson.h"
#include "map/TextAppend.h"

#include <array>
#include <cmath>
#include <utility>

namespace tk {
namespace {

constexpr double kMinMove = 0.00001; // degrees, in latitude and in longitude

std::int64_t altitudeUnits(std::int32_t decimetres, bool imperial) {
    return imperial ? std::int64_t{decimetres} * 328 / 1000 : decimetres / 10;
}

std::uint32_t speedUnits(std::uint32_t metresPerHour, bool imperial) {
    return imperial ? metresPerHour / 1609 : metresPerHour / 1000;
}

// Feet are figured in unsigned 32 bits and shown signed, as stored pages and peers expect.
std::int64_t distanceUnits(std::int32_t metres, bool imperial) {
    if (!imperial)
        return metres;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(metres) * 328u / 100u);
}

std::string withUnit(std::int64_t value, const char* unit) {
    std::string s;
    text::appendInt(s, value);
    s += ' ';
    s += unit;
    return s;
}

std::string clockText(std::int32_t timeOfDay) {
    std::string s;
    text::appendClock(s, timeOfDay);
    return s;
}

void appendHexByte(std::string& out, std::uint32_t byte) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += kHex[byte >> 4 & 0xF];
    out += kHex[byte & 0xF];
}

void appendColour(std::string& out, std::uint32_t colour) {
    out += '#';
    appendHexByte(out, colour);
    appendHexByte(out, colour >> 8);
    appendHexByte(out, colour >> 16);
}

// The texts around the line's fields: data.js and the pages' JSON write the same fields with
// different punctuation.
struct LineSpelling {
    const char* speed;
    const char* colour;
    const char* weight;
    const char* end;
};
constexpr LineSpelling kScriptLine{"var line = {speed:", ", color:\"",
                                   "\", weight: ", ",refresh: 30};\r\n"};
constexpr LineSpelling kJsonLine{"\"line\":{\"speed\":", ",\"color\":\"",
                                 "\",\"weight\":", ",\"refresh\":30}"};

void appendLine(std::string& out, const TrackStyle& style, const LineSpelling& spelling) {
    out += spelling.speed;
    text::appendInt(out, style.playSpeed);
    out += spelling.colour;
    appendColour(out, style.colour);
    out += spelling.weight;
    text::appendInt(out, style.lineWeight);
    out += spelling.end;
}

void appendHead(std::string& out, const TrackStyle& style) {
    out += "var size = {width:800, Height:600, zoom:13};\r\n";
    appendLine(out, style, kScriptLine);
    out += "var locations = [";
}

// One row of locations; the closing row ends the array with "]]", the others with "],".
void appendRow(std::string& out, const TrackPoint& p, bool imperial, bool closing) {
    out += '[';
    text::appendFixed(out, p.latitude, 6);
    out += ", ";
    text::appendFixed(out, p.longitude, 6);
    out += ",\"";
    text::appendInt(out, altitudeUnits(p.altitude, imperial));
    out += imperial ? " F\",\"" : " M\",\"";
    text::appendInt(out, speedUnits(p.speed, imperial));
    out += imperial ? " MPH\",\"" : " KPH\",\"";
    text::appendClock(out, p.timeOfDay);
    out += closing ? "\"]]" : "\"],";
}

// Calls row(p) for the points that moved at least kMinMove in both latitude and longitude from the
// last written one; the first point, and any point after one at exactly (0, 0), is always written.
template <typename Row> void forEachRowPoint(const std::vector<TrackPoint>& points, Row&& row) {
    double prevLat = 0.0;
    double prevLon = 0.0;
    for (const TrackPoint& p : points) {
        const bool fromOrigin = prevLat == 0.0 && prevLon == 0.0;
        if (!fromOrigin && (std::fabs(p.latitude - prevLat) < kMinMove ||
                            std::fabs(p.longitude - prevLon) < kMinMove))
            continue;
        prevLat = p.latitude;
        prevLon = p.longitude;
        row(p);
    }
}

// The rows of forEachRowPoint, then the closing row that repeats the last point.
void appendRows(text::TextOut& out, const std::vector<TrackPoint>& points, bool imperial) {
    forEachRowPoint(points, [&](const TrackPoint& p) {
        appendRow(out.text, p, imperial, false);
        out.spillIfFull();
    });
    appendRow(out.text, points.back(), imperial, true);
}

using SummaryRows = std::array<std::pair<const char*, const std::string*>, 6>;

SummaryRows summaryRows(const MapTexts& t) {
    return {{
        {"Name", &t.name},
        {"Start Time", &t.start},
        {"End Time", &t.end},
        {"Step Time", &t.step},
        {"Peak Speed", &t.speed},
        {"Distance", &t.distance},
    }};
}

void appendSummary(std::string& out, const MapTexts& t) {
    const SummaryRows rows = summaryRows(t);
    out += "\r\nvar data = [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out += i == 0 ? "[\"" : ",[\"";
        out += rows[i].first;
        out += ":\",\"";
        text::appendJsEscaped(out, *rows[i].second);
        out += "\"]";
    }
    out += "];\r\n";
}

// The same rows as JSON: the texts escaped for JSON rather than for a script.
void appendSummaryJson(std::string& out, const MapTexts& t) {
    const SummaryRows rows = summaryRows(t);
    out += "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out += i == 0 ? "[\"" : ",[\"";
        out += rows[i].first;
        out += ":\",";
        appendJsonString(out, *rows[i].second);
        out += "]";
    }
    out += "]";
}

} // namespace

MapTexts mapTexts(const Track& track) {
    const bool imperial = track.imperial();
    MapTexts t;
    t.name = track.name;
    if (!track.points.empty()) {
        t.start = clockText(track.points.front().timeOfDay);
        t.end = clockText(track.points.back().timeOfDay);
    }
    t.step = std::to_string(track.stepSeconds);
    t.speed = withUnit(speedUnits(track.peakSpeed, imperial), imperial ? "MPH" : "KPH");
    t.distance = withUnit(distanceUnits(track.distance, imperial), imperial ? "F" : "M");
    t.altitude = withUnit(altitudeUnits(track.peakAltitude, imperial), imperial ? "F" : "M");
    return t;
}

namespace {

void writeScript(text::TextOut& out, const Track& track, const TrackStyle& style,
                 const MapTexts& texts) {
    if (!track.points.empty()) {
        appendHead(out.text, style);
        appendRows(out, track.points, track.imperial());
        appendSummary(out.text, texts);
    }
    out.finish();
}

} // namespace

void writeMapDataScript(text::TextOut& out, const Track& track, const TrackStyle& style) {
    writeScript(out, track, style, mapTexts(track));
}

std::vector<std::size_t> mapDataRowPoints(const std::vector<TrackPoint>& points) {
    std::vector<std::size_t> rows;
    if (points.empty())
        return rows;
    forEachRowPoint(points, [&](const TrackPoint& p) {
        rows.push_back(static_cast<std::size_t>(&p - points.data()));
    });
    rows.push_back(points.size() - 1);
    return rows;
}

std::vector<std::size_t> segmentBreakRows(const std::vector<TrackPoint>& points) {
    std::vector<std::size_t> breaks;
    const std::vector<std::size_t> rows = mapDataRowPoints(points);
    for (std::size_t r = 1; r < rows.size(); ++r)
        for (std::size_t i = rows[r - 1] + 1; i <= rows[r]; ++i)
            if (points[i].segmentStart) {
                breaks.push_back(r);
                break;
            }
    return breaks;
}

std::string mapDataScript(const Track& track, const TrackStyle& style, MapTexts* texts) {
    MapTexts t = mapTexts(track);
    text::TextOut out;
    if (!track.points.empty())
        out.text.reserve(256 + track.name.size() + track.points.size() * 64);
    writeScript(out, track, style, t);
    if (texts)
        *texts = std::move(t);
    return std::move(out.text);
}

std::string trackPageJson(const Track& track, const TrackStyle& style) {
    if (track.points.empty())
        return {};
    std::string out;
    out.reserve(256 + track.name.size() + track.points.size() * 64);
    out += '{';
    appendLine(out, style, kJsonLine);
    out += ",\"locations\":[";
    const bool imperial = track.imperial();
    forEachRowPoint(track.points, [&](const TrackPoint& p) { appendRow(out, p, imperial, false); });
    appendRow(out, track.points.back(), imperial, true);
    // A file's track whose recording paused: the page lifts the pen at these rows.
    if (const std::vector<std::size_t> breaks = segmentBreakRows(track.points); !breaks.empty()) {
        out += ",\"breaks\":[";
        for (std::size_t i = 0; i < breaks.size(); ++i) {
            if (i > 0)
                out += ',';
            text::appendInt(out, static_cast<std::int64_t>(breaks[i]));
        }
        out += ']';
    }
    out += ",\"data\":";
    appendSummaryJson(out, mapTexts(track));
    out += '}';
    return out;
}

} // namespace tk
