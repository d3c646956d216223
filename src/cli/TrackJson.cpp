#include "cli/TrackJson.h"

#include <charconv>
#include <cstdio>

namespace tk::cli {
namespace {

void appendDouble(std::string& out, double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

void appendInt(std::string& out, long long value) {
    out += std::to_string(value);
}

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

void appendPoints(std::string& out, const std::vector<TrackPoint>& points) {
    out += ", \"points\": [";
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TrackPoint& p = points[i];
        out += i ? ",\n    [" : "\n    [";
        appendInt(out, p.timeOfDay);
        out += ", ";
        appendInt(out, p.speed);
        out += ", ";
        appendInt(out, p.altitude);
        out += ", ";
        appendDouble(out, p.latitude);
        out += ", ";
        appendDouble(out, p.longitude);
        out += ']';
    }
    out += "]}";
}

void appendTrack(std::string& out, int index, const Track& t, bool withRejects) {
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
    appendPoints(out, t.points);
}

} // namespace

std::string tracksJson(const TrackTable& table, const PageBuffer& buffer, bool withRejects) {
    std::string out;
    out.reserve(256 + 64 * table.tracks.size());
    out += "{\"pageCount\": " + std::to_string(buffer.pageCount) +
           ", \"lastTrack\": " + std::to_string(table.lastTrack);
    if (withRejects)
        out += ", \"fixesOutsideTrack\": " + std::to_string(table.fixesOutsideTrack);
    out += ", \"tracks\": [\n";
    for (int i = 0; i <= table.lastTrack; ++i) {
        appendTrack(out, i, table.tracks[static_cast<std::size_t>(i)], withRejects);
        out += i < table.lastTrack ? ",\n" : "\n";
    }
    out += "]}\n";
    return out;
}

} // namespace tk::cli
