// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/GpxReader.h"

#include "formats/FileTrackFigures.h"
#include "formats/XmlTime.h"

#include <expat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace tk::formats {
namespace {

// Expat joins a namespaced name as "URI local" with this separator.
constexpr char kNameSeparator = ' ';
constexpr std::size_t kLongestText = 1024; // longer names and numbers are cut, never grown

// Where an element sits, by depth: the document element is 1, a trk or rte 2, a trkseg 3 and a
// trkpt 4. Structure is only taken at those depths, so elements of the same name inside
// extensions are never mistaken for it.
enum Depth { kRoot = 1, kTopLevel = 2, kSegment = 3, kPoint = 4 };

enum class Capture { none, trackName, routeName, elevation, time, speed };

std::string_view localName(const XML_Char* name) {
    const std::string_view full(name);
    const auto separator = full.rfind(kNameSeparator);
    return separator == std::string_view::npos ? full : full.substr(separator + 1);
}

// Structure counts only in GPX's own namespaces (or none, as some writers leave it).
bool isGpxElement(const XML_Char* name, std::string_view wanted) {
    const std::string_view full(name);
    const auto separator = full.rfind(kNameSeparator);
    if (separator == std::string_view::npos)
        return full == wanted;
    const std::string_view space = full.substr(0, separator);
    return full.substr(separator + 1) == wanted && (space == "http://www.topografix.com/GPX/1/1" ||
                                                    space == "http://www.topografix.com/GPX/1/0");
}

std::optional<double> decimal(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' ||
                             text.back() == '\r'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::int32_t clampedInt32(double value) {
    constexpr double kLimit = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::lround(std::clamp(value, -kLimit, kLimit)));
}

} // namespace

struct GpxReader::State {
    XML_Parser parser = nullptr;
    std::string error;
    GpxContent content;
    int depth = 0;
    enum class Top { other, track, route } top = Top::other;
    bool inPoint = false;
    bool segmentOpen = false; // the next point starts a segment
    Track track;
    TrackPoint point;
    Capture capture = Capture::none;
    int captureDepth = 0;
    std::string text;

    void fail(const std::string& message) {
        if (error.empty())
            error = "line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ": " + message;
        XML_StopParser(parser, XML_FALSE);
    }

    void startElement(const XML_Char* name, const XML_Char** attributes) {
        ++depth;
        if (depth == kRoot) {
            if (!isGpxElement(name, "gpx"))
                fail("not a GPX file: its root element is <" + std::string(localName(name)) + ">");
        } else if (depth == kTopLevel) {
            startTopLevel(name);
        } else if (depth == kSegment && top != Top::other && isGpxElement(name, "name")) {
            beginCapture(top == Top::track ? Capture::trackName : Capture::routeName);
        } else if (top == Top::track && depth == kSegment && isGpxElement(name, "trkseg")) {
            segmentOpen = true;
        } else if (top == Top::track && depth == kPoint && isGpxElement(name, "trkpt")) {
            startPoint(attributes);
        } else if (inPoint && capture == Capture::none) {
            startPointChild(name);
        }
    }

    void startTopLevel(const XML_Char* name) {
        top = Top::other;
        if (isGpxElement(name, "trk")) {
            top = Top::track;
            track = Track{};
        } else if (isGpxElement(name, "rte")) {
            top = Top::route;
            content.routeNames.emplace_back();
        } else if (isGpxElement(name, "wpt")) {
            ++content.waypoints;
        }
    }

    void startPoint(const XML_Char** attributes) {
        std::optional<double> latitude;
        std::optional<double> longitude;
        for (int i = 0; attributes[i]; i += 2) {
            const std::string_view key = attributes[i];
            if (key == "lat")
                latitude = decimal(attributes[i + 1]);
            else if (key == "lon")
                longitude = decimal(attributes[i + 1]);
        }
        if (!latitude || !longitude || std::abs(*latitude) > 90.0 || std::abs(*longitude) > 180.0) {
            fail("a track point without a valid lat and lon");
            return;
        }
        inPoint = true;
        point = TrackPoint{};
        point.latitude = *latitude;
        point.longitude = *longitude;
        point.speed = kSpeedUnknown;
        point.segmentStart = segmentOpen && !track.points.empty();
        segmentOpen = false;
    }

    void startPointChild(const XML_Char* name) {
        const std::string_view local = localName(name);
        if (depth == kPoint + 1 && isGpxElement(name, "ele"))
            beginCapture(Capture::elevation);
        else if (depth == kPoint + 1 && isGpxElement(name, "time"))
            beginCapture(Capture::time);
        else if (local == "speed") // GPX 1.0's own, or a device's extension (metres per second)
            beginCapture(Capture::speed);
    }

    void beginCapture(Capture what) {
        capture = what;
        captureDepth = depth;
        text.clear();
    }

    void characters(const XML_Char* data, int length) {
        if (capture != Capture::none && text.size() < kLongestText)
            text.append(data, std::min<std::size_t>(static_cast<std::size_t>(length),
                                                    kLongestText - text.size()));
    }

    void endElement() {
        if (capture != Capture::none && depth == captureDepth) {
            endCapture();
            capture = Capture::none;
        } else if (inPoint && depth == kPoint) {
            inPoint = false;
            track.points.push_back(point);
        } else if (top == Top::track && depth == kTopLevel) {
            endTrack();
        }
        if (depth == kTopLevel)
            top = Top::other;
        --depth;
    }

    void endCapture() {
        switch (capture) {
        case Capture::trackName:
            track.name = text;
            break;
        case Capture::routeName:
            content.routeNames.back() = text;
            break;
        case Capture::elevation:
            if (const auto metres = decimal(text))
                point.altitude = clampedInt32(*metres * 10.0);
            break;
        case Capture::time:
            if (const auto t = parseXmlTime(text)) {
                point.utcSeconds = t->seconds;
                point.utcMillis = t->millis;
            } else {
                fail("unreadable time '" + text + "'");
            }
            break;
        case Capture::speed:
            if (const auto metresPerSecond = decimal(text);
                metresPerSecond && *metresPerSecond >= 0)
                point.speed = static_cast<std::uint32_t>(
                    std::lround(std::min(*metresPerSecond * 3600.0, 4.0e9)));
            break;
        case Capture::none:
            break;
        }
    }

    void endTrack() {
        if (track.points.empty())
            return;
        completeFileTrack(track);
        content.tracks.push_back(std::move(track));
        track = Track{};
    }
};

namespace {

GpxReader::State& stateOf(void* data) {
    return *static_cast<GpxReader::State*>(data);
}

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    stateOf(data).startElement(name, attributes);
}

void XMLCALL onEnd(void* data, const XML_Char*) {
    stateOf(data).endElement();
}

void XMLCALL onText(void* data, const XML_Char* text, int length) {
    stateOf(data).characters(text, length);
}

// A DOCTYPE may declare entities that expand without bound; GPX needs none, so none is read.
void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    stateOf(data).fail("a document type declaration, which GPX files never have (refused: "
                       "entities are not expanded)");
}

void XMLCALL onEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                      const XML_Char*, const XML_Char*, const XML_Char*) {
    stateOf(data).fail("an entity declaration (refused: entities are not expanded)");
}

} // namespace

GpxReader::GpxReader() : state_(std::make_unique<State>()) {
    XML_Parser parser = XML_ParserCreateNS("UTF-8", kNameSeparator);
    state_->parser = parser;
    if (!parser) {
        state_->error = "out of memory for the XML parser";
        return;
    }
    XML_SetUserData(parser, state_.get());
    XML_SetElementHandler(parser, onStart, onEnd);
    XML_SetCharacterDataHandler(parser, onText);
    XML_SetStartDoctypeDeclHandler(parser, onDoctype);
    XML_SetEntityDeclHandler(parser, onEntity);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
}

GpxReader::~GpxReader() {
    if (state_->parser)
        XML_ParserFree(state_->parser);
}

namespace {

bool parsePiece(GpxReader::State& s, const char* data, std::size_t size, bool last) {
    constexpr std::size_t kLargestPiece = 1 << 30; // expat takes an int length
    do {
        const std::size_t now = std::min(size, kLargestPiece);
        const bool final = last && now == size;
        if (XML_Parse(s.parser, data, static_cast<int>(now), final) != XML_STATUS_OK) {
            if (s.error.empty())
                s.error = "line " + std::to_string(XML_GetCurrentLineNumber(s.parser)) + ": " +
                          XML_ErrorString(XML_GetErrorCode(s.parser));
            return false;
        }
        data += now;
        size -= now;
    } while (size > 0);
    return true;
}

} // namespace

bool GpxReader::feed(std::string_view piece) {
    if (!state_->error.empty())
        return false;
    return parsePiece(*state_, piece.data(), piece.size(), false);
}

bool GpxReader::finish() {
    if (!state_->error.empty())
        return false;
    if (!parsePiece(*state_, "", 0, true))
        return false;
    return true;
}

const std::string& GpxReader::error() const {
    return state_->error;
}

GpxContent GpxReader::take() {
    return std::move(state_->content);
}

GpxContent readGpx(std::string_view document, std::string& error) {
    GpxReader reader;
    if (!reader.feed(document) || !reader.finish()) {
        error = reader.error();
        return {};
    }
    error.clear();
    return reader.take();
}

} // namespace tk::formats
