// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A walk with stops saved as a project, and a folder of photos from four cameras whose clock
// errors the program is not told: a camera set two hours off plus 37 s that shot at stops, a
// phone 3 s fast with GPS time stamps, a camera a year off, and one without a name that shot
// only on the move. Camera times are written for the zone +00:00.

#include "photos/PhotoSamples.h"
#include "support/StopWalk.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tk::test {

struct WalkPhotos {
    static constexpr std::int64_t kStart = 1'780'000'000;
    static constexpr double kCanonOffset = 7237; // true time = camera time + offset
    static constexpr double kPhoneOffset = -3;
    static constexpr const char* kCanon = "Canon Canon EOS 450D #1230456789";
    static constexpr const char* kPhone = "Apple iPhone 12";
    static constexpr const char* kNikon = "NIKON CORPORATION NIKON D90";

    StopWalk walk = stopWalk(kStart, 33);
    std::filesystem::path project;
    std::filesystem::path folder;
    std::vector<std::pair<std::filesystem::path, double>> canon; // with its true UTC time
};

inline std::string exifTime(double utc, const char* format = "%Y:%m:%d %H:%M:%S") {
    const auto t = static_cast<std::time_t>(utc);
    std::tm fields{};
    gmtime_r(&t, &fields);
    char text[32];
    std::strftime(text, sizeof text, format, &fields);
    return text;
}

// Writes the project and the photos under dir; exiftool sets every photo's tags in one run.
inline WalkPhotos makeWalkPhotos(const std::filesystem::path& dir) {
    WalkPhotos w;
    w.project = dir / "walk.gpl";
    w.folder = dir / "photos";
    writeAll(w.project, [&] {
        std::string bytes;
        for (const LogRecord& r : w.walk.records)
            bytes.append(reinterpret_cast<const char*>(r.bytes.data()), r.bytes.size());
        return bytes;
    }());
    std::filesystem::create_directories(w.folder);
    std::vector<std::string> args = {"-q", "-q"};
    auto photo = [&](const std::string& name, double cameraUtc, std::vector<std::string> tags) {
        const std::filesystem::path path = w.folder / name;
        writeAll(path, tinyJpeg());
        args.push_back("-overwrite_original");
        args.push_back("-DateTimeOriginal=" + exifTime(cameraUtc));
        args.insert(args.end(), tags.begin(), tags.end());
        args.push_back(path.string());
        args.push_back("-execute");
        return path;
    };
    const std::vector<std::string> canon = {"-Make=Canon", "-Model=Canon EOS 450D",
                                            "-SerialNumber=1230456789"};
    for (std::size_t i = 1; i < 33; i += 2) {
        const Stop& s = w.walk.stops[i];
        const double utc = static_cast<double>(s.from) + (0.3 + 0.04 * (i % 5)) * (s.to - s.from);
        w.canon.emplace_back(
            photo("canon-" + std::to_string(i) + ".jpg", utc - WalkPhotos::kCanonOffset, canon),
            utc);
    }
    auto walking = [&](std::size_t i, double fraction) {
        const auto from = static_cast<double>(w.walk.stops[i].to);
        return std::round(from + fraction * (w.walk.stops[i + 1].from - from));
    };
    for (const std::size_t i : {4u, 12u, 25u}) {
        const double utc = walking(i, 0.4);
        const WalkFix& f = w.walk.at(static_cast<std::int64_t>(utc));
        photo("phone-" + std::to_string(i) + ".jpg", utc - WalkPhotos::kPhoneOffset,
              {"-Make=Apple", "-Model=iPhone 12", "-GPSLatitude=" + std::to_string(f.latitude),
               "-GPSLatitudeRef=N", "-GPSLongitude=" + std::to_string(f.longitude),
               "-GPSLongitudeRef=E", "-GPSDateStamp=" + exifTime(utc, "%Y:%m:%d"),
               "-GPSTimeStamp=" + exifTime(utc, "%H:%M:%S")});
    }
    for (const std::size_t i : {3u, 9u, 15u, 21u})
        photo("nikon-" + std::to_string(i) + ".jpg",
              static_cast<double>(w.walk.stops[i].from) - 365 * 86400.0,
              {"-Make=NIKON CORPORATION", "-Model=NIKON D90"});
    for (const std::size_t i : {2u, 7u, 11u, 16u, 22u, 28u})
        photo("plain-" + std::to_string(i) + ".jpg", walking(i, 0.15 + 0.1 * (i % 7)), {});
    args.pop_back(); // the last -execute
    runTool(kExiftool, args);
    return w;
}

} // namespace tk::test
