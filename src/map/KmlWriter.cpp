// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/KmlWriter.h"

#include "map/TextAppend.h"

#include <utility>

namespace tk {

// Trailing blanks and tabs are part of the format that earlier exports carry.
constexpr std::string_view kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><kml xmlns=\"http://earth.google.com/kml/2.2\">"
    "              \r\n"
    "<Document> \t\t\t \r\n"
    "<name>Paths</name> \t\t\t \r\n"
    "<description>Vellorine</description> \t\t\t \r\n"
    "<Style id=\"roadStyle\"> \t\t\t \r\n"
    "<LineStyle>\t\t\t \r\n"
    "<color>7f00ff00</color> \t\t\t \r\n"
    "<width>1.5</width>\t\t\t \r\n"
    "</LineStyle>\t\t\t \r\n"
    "</Style> \t\t\t \r\n"
    "<Folder> \t\t\t \r\n"
    "<name>waypoints</name>\t\t\t \r\n"
    "<open>1</open>";
static_assert(kHeader.size() == 374);

constexpr std::string_view kTrailer = "\r\n</Folder> \t\t\t   \r\n</Document> \t\t\t   \r\n</kml>";
static_assert(kTrailer.size() == 46);

const std::string_view kKmlHeader = kHeader;
const std::string_view kKmlTrailer = kTrailer;

namespace {

constexpr int kVisibleEverySeconds = 20;
// The longest placemark: fixed text, a clock, speed, both coordinates and altitude at full width.
constexpr std::size_t kPlacemarkRoom = 240;

void appendPlacemark(std::string& out, const TrackPoint& p, bool visible) {
    out += "\r\n<Placemark>\r\n     <name>";
    text::appendClock(out, p.timeOfDay);
    out += "   ";
    text::appendInt(out, p.speed / 1000);
    out += "KM/H</name>\r\n     <visibility>";
    out += visible ? '1' : '0';
    out += "</visibility><styleUrl>#roadStyle</styleUrl>\r\n     <Point>\r\n"
           "          <coordinates>";
    text::appendFixed(out, p.longitude, 6);
    out += ',';
    text::appendFixed(out, p.latitude, 6);
    out += ',';
    text::appendInt(out, p.altitude / 10);
    out += "</coordinates>\r\n     </Point>\r\n</Placemark>\r\n";
}

} // namespace

void writeTrackKml(text::TextOut& out, const Track& track) {
    out.text += kHeader;
    out.text += "\r\n<name>";
    text::appendXmlEscaped(out.text, track.name);
    out.text += "</name>\r\n<open>1</open>";
    int secondsSinceVisible = 0;
    for (const TrackPoint& p : track.points) {
        secondsSinceVisible += track.stepSeconds;
        const bool visible = secondsSinceVisible >= kVisibleEverySeconds;
        if (visible)
            secondsSinceVisible = 0;
        appendPlacemark(out.text, p, visible);
        out.spillIfFull();
    }
    out.text += kTrailer;
    out.finish();
}

std::string trackKml(const Track& track) {
    text::TextOut out;
    out.text.reserve(kHeader.size() + kTrailer.size() + 64 + track.name.size() +
                     track.points.size() * kPlacemarkRoom);
    writeTrackKml(out, track);
    return std::move(out.text);
}

} // namespace tk
