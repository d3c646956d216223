// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/TrackFileType.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tk::formats {
namespace {

bool contains(std::string_view head, std::string_view text) {
    return head.find(text) != std::string_view::npos;
}

bool anything(std::string_view) {
    return true;
}

bool looksLikeGpx(std::string_view head) {
    return contains(head, "<gpx");
}

// A FIT file's header: its own size (12 or 14) first, ".FIT" at byte 8.
bool looksLikeFit(std::string_view head) {
    return head.size() >= 12 && (head[0] == 12 || head[0] == 14) && head.substr(8, 4) == ".FIT";
}

bool looksLikeTcx(std::string_view head) {
    return contains(head, "<TrainingCenterDatabase");
}

bool looksLikeKml(std::string_view head) {
    return contains(head, "<kml");
}

bool looksLikeZip(std::string_view head) {
    return head.starts_with(std::string_view("PK\x03\x04", 4));
}

// An IGC flight log starts with its A record (the recorder's maker and serial).
bool looksLikeIgc(std::string_view head) {
    if (head.starts_with("\xEF\xBB\xBF"))
        head.remove_prefix(3);
    return head.starts_with('A') && (contains(head, "\nH") || contains(head, "\rH"));
}

// NMEA sentences: $ and a five-letter talker and sentence name, then a comma.
bool looksLikeNmea(std::string_view head) {
    for (std::size_t at = head.find('$'); at != std::string_view::npos;
         at = head.find('$', at + 1)) {
        const std::string_view name = head.substr(at + 1, 6);
        if (name.size() == 6 && name[5] == ',' &&
            std::all_of(name.begin(), name.begin() + 5,
                        [](char c) { return std::isupper(static_cast<unsigned char>(c)); }))
            return true;
    }
    return false;
}

const TrackFormat kGpx{"GPX", "", looksLikeGpx};
const TrackFormat kFit{"FIT", "garmin_fit", looksLikeFit};
const TrackFormat kTcx{"TCX", "gtrnctr", looksLikeTcx};
const TrackFormat kKml{"KML", "kml", looksLikeKml};
const TrackFormat kKmz{"KMZ", "kml", looksLikeZip};
const TrackFormat kIgc{"IGC", "igc", looksLikeIgc};
const TrackFormat kNmea{"NMEA", "nmea", looksLikeNmea};
const TrackFormat kGdb{"Garmin MapSource", "gdb", anything};
const TrackFormat kGtm{"GPS TrackMaker", "gtm", anything};
const TrackFormat kOzi{"OziExplorer", "ozi", anything};
const TrackFormat kGeoJson{"GeoJSON", "geojson", anything};
const TrackFormat kSbp{"Locosys SBP", "sbp", anything};
const TrackFormat kSbn{"SiRF SBN", "sbn", anything};
const TrackFormat kTes{"Wintec TES", "wintec_tes", anything};
const TrackFormat kTk1{"Wintec TK1", "wbt-tk1", anything};
const TrackFormat kUsr{"Lowrance USR", "lowranceusr", anything};

struct Extension {
    std::string_view suffix;
    const TrackFormat* format;
};

constexpr std::array<Extension, 18> kExtensions{{
    {"gpx", &kGpx},
    {"fit", &kFit},
    {"tcx", &kTcx},
    {"crs", &kTcx},
    {"kml", &kKml},
    {"kmz", &kKmz},
    {"igc", &kIgc},
    {"nmea", &kNmea},
    {"nma", &kNmea},
    {"gdb", &kGdb},
    {"gtm", &kGtm},
    {"plt", &kOzi},
    {"geojson", &kGeoJson},
    {"sbp", &kSbp},
    {"sbn", &kSbn},
    {"tes", &kTes},
    {"tk1", &kTk1},
    {"usr", &kUsr},
}};

// The formats that can be told by their content alone, in the order they are tried.
constexpr std::array<const TrackFormat*, 6> kRecognisable{&kFit, &kGpx, &kTcx,
                                                          &kKml, &kIgc, &kNmea};

std::string lowerExtension(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

const TrackFormat* byContent(std::string_view head) {
    for (const TrackFormat* format : kRecognisable)
        if (format->looksLike(head))
            return format;
    return nullptr;
}

} // namespace

TrackFileType trackFileType(const std::string& path, std::string_view head) {
    const std::string ext = lowerExtension(path);
    if (ext == "gpl")
        return {};
    const TrackFormat* named = nullptr;
    for (const Extension& e : kExtensions)
        if (e.suffix == ext)
            named = e.format;
    if (!named)
        return {byContent(head), {}};
    if (named->looksLike(head))
        return {named, {}};
    if (const TrackFormat* actual = byContent(head))
        return {actual, {}};
    return {nullptr, "not a " + std::string(named->label) + " file (its content is not " +
                         std::string(named->label) + ")"};
}

} // namespace tk::formats
