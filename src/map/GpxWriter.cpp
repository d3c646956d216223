// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/GpxWriter.h"

#include "map/TextAppend.h"
#include "tracks/CivilTime.h"

#include <utility>

namespace tk {
namespace {

// 1e-7 degrees is about 1 cm, finer than the logger's 1e-4 minutes.
constexpr int kCoordinateDecimals = 7;

void appendUtc(std::string& out, std::int64_t seconds, unsigned millis) {
    const CivilTime t = civilTime(seconds);
    if (t.year >= 0 && t.year < 1000)
        out += t.year < 10 ? "000" : t.year < 100 ? "00" : "0";
    text::appendInt(out, t.year);
    out += '-';
    text::appendTwoDigits(out, t.month);
    out += '-';
    text::appendTwoDigits(out, t.day);
    out += 'T';
    text::appendTwoDigits(out, t.hour);
    out += ':';
    text::appendTwoDigits(out, t.minute);
    out += ':';
    text::appendTwoDigits(out, t.second);
    if (millis > 0) {
        out += '.';
        out += static_cast<char>('0' + millis / 100);
        out += static_cast<char>('0' + millis / 10 % 10);
        out += static_cast<char>('0' + millis % 10);
    }
    out += 'Z';
}

// Decimetres as metres with one decimal, exact: -15 dm is "-1.5".
void appendMetres(std::string& out, std::int32_t decimetres) {
    std::int64_t dm = decimetres;
    if (dm < 0) {
        out += '-';
        dm = -dm;
    }
    text::appendInt(out, dm / 10);
    out += '.';
    out += static_cast<char>('0' + dm % 10);
}

void appendPoint(std::string& out, const TrackPoint& p) {
    out += "      <trkpt lat=\"";
    text::appendFixed(out, p.latitude, kCoordinateDecimals);
    out += "\" lon=\"";
    text::appendFixed(out, p.longitude, kCoordinateDecimals);
    out += "\"><ele>";
    appendMetres(out, p.altitude);
    out += "</ele><time>";
    appendUtc(out, p.utcSeconds, p.utcMillis);
    out += "</time></trkpt>\n";
}

void appendTrack(text::TextOut& out, const Track& track) {
    out.text += "  <trk>\n    <name>";
    text::appendXmlEscaped(out.text, track.name);
    out.text += "</name>\n    <trkseg>\n";
    for (std::size_t i = 0; i < track.points.size(); ++i) {
        const TrackPoint& p = track.points[i];
        if (p.segmentStart && i > 0)
            out.text += "    </trkseg>\n    <trkseg>\n";
        appendPoint(out.text, p);
        out.spillIfFull();
    }
    out.text += "    </trkseg>\n  </trk>\n";
}

} // namespace

void writeTracksGpx(text::TextOut& out, std::span<const Track* const> tracks) {
    out.text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<gpx version=\"1.1\" creator=\"Trailkeep\" "
                "xmlns=\"http://www.topografix.com/GPX/1/1\""
                " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\""
                "http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n";
    for (const Track* track : tracks) {
        if (track)
            appendTrack(out, *track);
    }
    out.text += "</gpx>\n";
    out.finish();
}

std::string tracksGpx(std::span<const Track* const> tracks) {
    std::size_t pointCount = 0;
    for (const Track* track : tracks)
        pointCount += track ? track->points.size() + 1 : 0;
    text::TextOut out;
    out.text.reserve(512 + pointCount * 128);
    writeTracksGpx(out, tracks);
    return std::move(out.text);
}

} // namespace tk
