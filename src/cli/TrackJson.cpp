// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TrackJson.h"

#include "map/TextAppend.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace tk::cli {
namespace {

void appendJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendRejects(std::string& out, const RejectCounts& r) {
    out += ", \"rejects\": {\"invalidField\": " + std::to_string(r.invalidField) +
           ", \"positionJump\": " + std::to_string(r.positionJump) +
           ", \"altitudeJump\": " + std::to_string(r.altitudeJump) +
           ", \"timeNotIncreasing\": " + std::to_string(r.timeNotIncreasing) +
           ", \"speedMismatch\": " + std::to_string(r.speedMismatch) + "}";
}

// The shortest text of a coordinate, kept for the next point: a logger standing still repeats
// its position, and the decoder pins small moves to the last value.
class CoordinateText {
public:
    std::string_view of(double value) {
        if (length_ == 0 || value != value_ || std::signbit(value) != std::signbit(value_)) {
            value_ = value;
            length_ = static_cast<std::size_t>(
                std::to_chars(text_, text_ + sizeof text_, value).ptr - text_);
        }
        return {text_, length_};
    }

private:
    double value_ = 0.0;
    char text_[32];
    std::size_t length_ = 0;
};

// The point rows, each put together in place: points are the bulk of the document, and a
// whole row costs one append instead of a dozen.
void appendPoints(text::TextOut& out, const std::vector<TrackPoint>& points) {
    out.text += ", \"points\": [";
    CoordinateText latitude;
    CoordinateText longitude;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TrackPoint& p = points[i];
        // Three 32-bit integers and their separators fit in the first 64 characters (at most 45
        // are needed), the two coordinates of at most 24 characters each in the rest.
        char row[128];
        char* const integersEnd = row + 64;
        char* at = row;
        const auto put = [&at](std::string_view piece) {
            at = std::copy(piece.begin(), piece.end(), at);
        };
        put(i == 0 ? "\n    [" : ",\n    [");
        at = std::to_chars(at, integersEnd, p.timeOfDay).ptr;
        put(", ");
        at = std::to_chars(at, integersEnd, p.speed).ptr;
        put(", ");
        at = std::to_chars(at, integersEnd, p.altitude).ptr;
        put(", ");
        put(latitude.of(p.latitude));
        put(", ");
        put(longitude.of(p.longitude));
        put("]");
        out.text.append(row, at);
        out.spillIfFull();
    }
    out.text += "]}";
}

void appendTrack(text::TextOut& sink, int index, const Track& t, bool withRejects) {
    std::string& out = sink.text;
    out += "  {\"index\": " + std::to_string(index) + ", \"name\": ";
    appendJsonString(out, t.name);
    out += ", \"stepSeconds\": " + std::to_string(t.stepSeconds) +
           ", \"unitFlag\": " + std::to_string(t.unitFlag) +
           ", \"zoneCode\": " + std::to_string(t.zoneCode) +
           ", \"peakSpeed\": " + std::to_string(t.peakSpeed) +
           ", \"distance\": " + std::to_string(t.distance) +
           ", \"peakAltitude\": " + std::to_string(t.peakAltitude);
    if (withRejects)
        appendRejects(out, t.rejects);
    appendPoints(sink, t.points);
}

} // namespace

void writeTracksJson(text::TextOut& sink, const TrackTable& table, std::int32_t pageCount,
                     bool withRejects) {
    std::string& out = sink.text;
    out += "{\"pageCount\": " + std::to_string(pageCount) +
           ", \"lastTrack\": " + std::to_string(table.lastTrack);
    if (withRejects)
        out += ", \"fixesOutsideTrack\": " + std::to_string(table.fixesOutsideTrack);
    out += ", \"tracks\": [\n";
    for (int i = 0; i <= table.lastTrack; ++i) {
        appendTrack(sink, i, table.tracks[static_cast<std::size_t>(i)], withRejects);
        out += i < table.lastTrack ? ",\n" : "\n";
    }
    out += "]}\n";
    sink.finish();
}

} // namespace tk::cli
