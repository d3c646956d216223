// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Photos made in a test with exiftool, two tracks to match them to, and a geotag run over them
// with exiv2; exiftool reads the results back.
#include "e2e/SimProcess.h"
#include "photos/ExivPhotoAccess.h"
#include "photos/PhotoSamples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tk::photos::exivtest {

namespace fs = std::filesystem;
using e2e::TempDir;
using test::exiftoolDump;
using test::exiftoolJson;
using test::exiftoolSet;
using test::JpegParts;
using test::partsOf;
using test::readAll;
using test::writeAll;

inline constexpr double kT0 = 1719828000;       // 2024-07-01T10:00:00Z
inline constexpr double kMidnight = 1719878400; // 2024-07-02T00:00:00Z

inline double number(const std::map<std::string, std::string>& tags, const std::string& key) {
    const auto it = tags.find(key);
    return it == tags.end() ? NAN : std::stod(it->second);
}

inline std::string text(const std::map<std::string, std::string>& tags, const std::string& key) {
    const auto it = tags.find(key);
    return it == tags.end() ? std::string("(missing)") : it->second;
}

class ExivPhotos : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveExiftool())
            GTEST_SKIP() << "exiftool is not installed (Debian: libimage-exiftool-perl)";
        // Track 1: every 10 s from 10:00:00Z in the north-east; track 2 around midnight UTC in
        // the south-west, below sea level.
        FixTrack north{1, {}};
        for (int i = 0; i <= 30; ++i)
            north.fixes.push_back(
                {kT0 + 10 * i, 47.0 + 0.001 * i, 8.0 + 0.002 * i, 400.0 + i, 10.0 + i});
        FixTrack south{2, {}};
        for (int i = -3; i <= 3; ++i)
            south.fixes.push_back(
                {kMidnight + 10 * i, -33.0 - 0.001 * i, -70.0 - 0.003 * i, -5.0 - i, 3});
        tracks = {north, south};
    }

    // A JPEG with an Exif date (and more tags) set by exiftool.
    fs::path jpeg(const std::string& name, std::vector<std::string> tags) {
        const fs::path path = dir / name;
        writeAll(path, test::tinyJpeg());
        if (!tags.empty()) {
            EXPECT_TRUE(exiftoolSet(path, tags)) << name;
        }
        return path;
    }

    // A photo with Exif, a thumbnail, IPTC, XMP, an ICC profile and a comment.
    fs::path richJpeg(const std::string& name) {
        const fs::path icc = dir / "profile.icc";
        writeAll(icc, test::tinyIccProfile());
        const fs::path thumb = dir / "thumb.jpg";
        writeAll(thumb, test::tinyJpeg());
        const fs::path path =
            jpeg(name, {"-icc_profile<=" + icc.string(), "-ThumbnailImage<=" + thumb.string(),
                        "-DateTimeOriginal=2024:07:01 12:00:05", "-SubSecTimeOriginal=25",
                        "-OffsetTimeOriginal=+02:00", "-Make=Trailkeep", "-Model=Test Camera",
                        "-Artist=Me", "-Copyright=(c) test", "-XMP-dc:Title=A title",
                        "-XMP-dc:Subject=one", "-XMP-dc:Subject=two", "-IPTC:Keywords=k1",
                        "-IPTC:Caption-Abstract=caption", "-Comment=a comment"});
        fs::remove(icc);
        fs::remove(thumb);
        return path;
    }

    std::vector<PhotoResult> geotag(const std::vector<std::string>& paths, bool write = true) {
        const auto found = findPhotos(paths);
        infos = readPhotos(access, found);
        std::string error;
        const ClockCorrection correction = clockCorrection(settings, infos, error);
        EXPECT_EQ(error, "");
        auto results = matchPhotos(infos, tracks, settings, correction);
        if (write)
            writePhotos(access, infos, results, settings);
        return results;
    }

    // Undoes the geotagging of path (a photo or a folder): every one of count photos restored.
    ::testing::AssertionResult undoRestores(const fs::path& path, std::size_t count) {
        const std::vector<UndoResult> undone = undoGeotagging(access, {path.string()});
        if (undone.size() != count)
            return ::testing::AssertionFailure() << undone.size() << " photos undone";
        for (const UndoResult& r : undone)
            if (r.status != "restored")
                return ::testing::AssertionFailure()
                       << r.file << ": " << r.status << ", " << r.reason;
        return ::testing::AssertionSuccess();
    }

    TempDir dir;
    ExivPhotoAccess access;
    std::vector<FixTrack> tracks;
    std::vector<PhotoInfo> infos;
    GeotagSettings settings;
};

} // namespace tk::photos::exivtest
