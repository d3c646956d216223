#include "cli/TrackJson.h"

#include "map/TextAppend.h"

#include <charconv>
#include <cstdio>

namespace tk::cli {
namespace {

void appendDouble(std::string& out, double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
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

void appendPoints(text::TextOut& out, const std::vector<TrackPoint>& points) {
    out.text += ", \"points\": [";
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TrackPoint& p = points[i];
        std::string& s = out.text;
        s += i ? ",\n    [" : "\n    [";
        text::appendInt(s, p.timeOfDay);
        s += ", ";
        text::appendInt(s, p.speed);
        s += ", ";
        text::appendInt(s, p.altitude);
        s += ", ";
        appendDouble(s, p.latitude);
        s += ", ";
        appendDouble(s, p.longitude);
        s += ']';
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
