// SPDX-License-Identifier: GPL-3.0-or-later
// Real cameras' and phones' photos (the shared folder of samples beside the source tree),
// geotagged and read back with exiftool, the independent reader: the position; every other tag,
// thumbnail and preview; every JPEG segment but the Exif one and the image data; no new
// validation warning; a second run; --overwrite; undo to the very bytes; HEIF files.
#include "e2e/SimProcess.h"
#include "photos/ExivPhotoAccess.h"
#include "photos/PhotoSamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>

namespace tk::photos {
namespace {

namespace fs = std::filesystem;
using e2e::TempDir;
using test::readAll;
using test::runTool;

// Beside the source tree; TK_REAL_PHOTOS names another folder (a worktree's, or another set).
fs::path samplesFolder() {
    if (const char* other = std::getenv("TK_REAL_PHOTOS"))
        return other;
    return fs::path(TK_SOURCE_DIR) / ".." / "shared" / "photos";
}

using PerFile = std::map<std::string, std::vector<std::string>>;

// exiftool's text output for a folder, split at its "======== path" lines by file name.
PerFile splitByFile(const std::string& text) {
    PerFile files;
    std::vector<std::string>* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.rfind("======== ", 0) == 0)
            current = &files[fs::path(line.substr(9)).filename().string()];
        else if (current && line.rfind("[", 0) == 0)
            current->push_back(line);
    }
    return files;
}

// Every tag of every file as "[Group] Name : value" lines (numbers as numbers).
PerFile tagsOf(const fs::path& folder) {
    return splitByFile(runTool(test::kExiftool, {"-a", "-G1", "-s", "-n", folder.string()}).out);
}

// exiftool's validation warnings of every file.
PerFile warningsOf(const fs::path& folder) {
    PerFile all = splitByFile(
        runTool(test::kExiftool, {"-validate", "-warning", "-a", "-G1", "-s", folder.string()})
            .out);
    for (auto& [name, lines] : all) {
        std::erase_if(lines, [](const std::string& l) {
            return l.rfind("[ExifTool]", 0) != 0 || l.find(" Warning ") == l.npos;
        });
        std::sort(lines.begin(), lines.end());
    }
    return all;
}

bool isPositionLine(const std::string& line) {
    return line.rfind("[GPS]", 0) == 0 || line.rfind("[Composite]     GPS", 0) == 0;
}

std::vector<std::string> withoutPosition(std::vector<std::string> lines) {
    std::erase_if(lines, [](const std::string& l) {
        return isPositionLine(l) || l.rfind("[System]", 0) == 0 ||
               l.rfind("[ExifTool]      ExifToolVersion", 0) == 0;
    });
    return lines;
}

bool hadExif(const std::string& jpeg) {
    JpegHead head;
    std::size_t wanted = 0;
    return parseJpegHead(jpeg, head, wanted) == JpegHeadState::complete && head.exifIndex;
}

// What a new Exif segment adds beside the position: its byte order and the tags Exif requires.
bool isNewExifTag(const std::string& line) {
    for (const char* start : {"[File]          ExifByteOrder", "[IFD0]          XResolution",
                              "[IFD0]          YResolution", "[IFD0]          ResolutionUnit",
                              "[IFD0]          YCbCrPositioning"})
        if (line.rfind(start, 0) == 0)
            return true;
    return false;
}

double tagNumber(const std::vector<std::string>& lines, const std::string& start) {
    for (const std::string& l : lines)
        if (l.rfind(start, 0) == 0)
            return std::stod(l.substr(l.find(": ") + 2));
    return NAN;
}

// The thumbnails and previews exiftool extracts, written into out as NAME.KIND.
void extractImages(const fs::path& folder, const fs::path& out) {
    fs::create_directories(out);
    for (const char* kind : {"ThumbnailImage", "PreviewImage"})
        runTool(test::kExiftool,
                {"-q", "-q", "-a", "-b", std::string("-") + kind, "-w",
                 (out / ("%f.%e." + std::string(kind))).string(), folder.string()});
}

bool isJpeg(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    return extension == ".jpg" || extension == ".jpeg";
}

// A made-up track that passes every photo's moment: two fixes 5 s either side, on a line through
// time, so the position at a time is known without the track (the line's point at that time).
struct Line {
    double t0 = 0;
    Position at(double utc) const {
        const double s = utc - t0;
        return {-60 + s * 1.2e-7, -170 + s * 3.5e-7, -50 + s * 2e-6, 0};
    }
};

class RealPhotos : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveExiftool())
            GTEST_SKIP() << "exiftool is not installed (Debian: libimage-exiftool-perl)";
        if (!fs::is_directory(samplesFolder()))
            GTEST_SKIP() << "no real photos at " << samplesFolder().string();
        folder = dir / "photos";
        fs::create_directories(folder);
        for (const auto& entry : fs::directory_iterator(samplesFolder()))
            if (entry.path().extension() != ".md") {
                const fs::path copy = folder / entry.path().filename();
                fs::copy_file(entry.path(), copy);
                fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
                original[copy.filename().string()] = readAll(copy);
            }
        settings.zone.fixedOffset = 0;
        line.t0 = 631152000; // 1990-01-01
    }

    // Reads every photo, makes the track through their moments and runs geotagging.
    std::vector<PhotoResult> geotag(double offset = 0) {
        infos = readPhotos(access, findPhotos({folder.string()}));
        FixTrack track{1, {}};
        for (const PhotoInfo& info : infos)
            if (const auto t = cameraUtc(info, settings.zone))
                for (const double dt : {-5.0, 5.0}) {
                    const Position p = line.at(*t + dt);
                    track.fixes.push_back({*t + dt, p.latitude, p.longitude, p.altitude, 0});
                }
        std::sort(track.fixes.begin(), track.fixes.end(),
                  [](const Fix& a, const Fix& b) { return a.utc < b.utc; });
        settings.offset = offset;
        std::string error;
        const ClockCorrection correction = clockCorrection(settings, infos, error);
        auto results = matchPhotos(infos, {track}, settings, correction);
        writePhotos(access, infos, results, settings);
        return results;
    }

    std::string nameOf(std::size_t i) const { return fs::path(infos[i].path).filename().string(); }

    // The photos as exiftool reads them: tags, warnings, and the embedded images in a folder.
    struct Reading {
        PerFile tags;
        PerFile warnings;
        fs::path images;
    };

    Reading readFolder() {
        Reading reading{tagsOf(folder), warningsOf(folder),
                        dir / ("images-" + std::to_string(extraction++))};
        extractImages(folder, reading.images);
        return reading;
    }

    // What every tagged JPEG must keep: all but its position, as exiftool reads it.
    void expectNothingElseChanged(const std::vector<PhotoResult>& results, const Reading& before) {
        const Reading now = readFolder();
        for (std::size_t i = 0; i < results.size(); ++i) {
            const std::string name = nameOf(i);
            if (!isJpeg(name) || results[i].status != PhotoStatus::tagged)
                continue;
            SCOPED_TRACE(name);
            const auto& after = now.tags.at(name);
            const Position expected = line.at(*results[i].utc);
            EXPECT_NEAR(tagNumber(after, "[Composite]     GPSLatitude"), expected.latitude, 1e-6);
            EXPECT_NEAR(tagNumber(after, "[Composite]     GPSLongitude"), expected.longitude, 1e-6);
            EXPECT_NEAR(tagNumber(after, "[Composite]     GPSAltitude"), expected.altitude, 1e-3);
            std::vector<std::string> kept = withoutPosition(after);
            if (!hadExif(original.at(name)))
                std::erase_if(kept, isNewExifTag);
            EXPECT_EQ(kept, withoutPosition(before.tags.at(name)));
            std::vector<std::string> added;
            const auto& was = before.warnings.count(name) ? before.warnings.at(name) : kNone;
            const auto& is = now.warnings.count(name) ? now.warnings.at(name) : kNone;
            std::set_difference(is.begin(), is.end(), was.begin(), was.end(),
                                std::back_inserter(added));
            EXPECT_EQ(added, kNone);
            for (const char* kind : {".ThumbnailImage", ".PreviewImage"}) {
                const std::string image = name + kind;
                EXPECT_EQ(fs::exists(now.images / image), fs::exists(before.images / image));
                if (fs::exists(before.images / image)) {
                    EXPECT_TRUE(readAll(now.images / image) == readAll(before.images / image))
                        << kind << " differs";
                }
            }
            EXPECT_TRUE(test::partsOf(readAll(folder / name)) == test::partsOf(original.at(name)))
                << "a segment other than the Exif one, or the image data, changed";
        }
    }

    const std::vector<std::string> kNone;
    TempDir dir;
    fs::path folder;
    std::map<std::string, std::string> original;
    ExivPhotoAccess access;
    std::vector<PhotoInfo> infos;
    GeotagSettings settings;
    Line line;
    int extraction = 0;
};

TEST_F(RealPhotos, EveryCameraPhotoIsTaggedWithNothingElseChanged) {
    const Reading before = readFolder();

    const auto results = geotag();
    std::map<std::string, int> refusals;
    int jpegs = 0;
    int tagged = 0;
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (!isJpeg(nameOf(i)))
            continue;
        ++jpegs;
        if (results[i].status == PhotoStatus::tagged) {
            ++tagged;
            continue;
        }
        ++refusals[std::string(statusName(results[i].status)) + ": " + results[i].reason];
        // A blank or zero date is no time; the one refusal a photo with a time may get is a
        // segment already at the size limit.
        if (results[i].status != PhotoStatus::noTime) {
            EXPECT_NE(results[i].reason.find("64 KB"), std::string::npos)
                << nameOf(i) << ": " << statusName(results[i].status) << ": " << results[i].reason;
        }
    }
    // Photos whose time is only in DateTimeDigitized, or only in XMP and IPTC, have one.
    for (std::size_t i = 0; i < results.size(); ++i)
        if (nameOf(i) == "FujiFilm_SP-2500.jpg" || nameOf(i) == "Issue_600_(2).jpg") {
            EXPECT_EQ(results[i].status, PhotoStatus::tagged) << nameOf(i);
        }
    std::cout << "[ corpus   ] " << tagged << " of " << jpegs << " JPEGs tagged\n";
    for (const auto& [reason, count] : refusals)
        std::cout << "[ corpus   ] " << count << " not tagged: " << reason << "\n";
    EXPECT_GE(jpegs, 1);
    expectNothingElseChanged(results, before);

    // A second run finds every position and changes no byte.
    std::map<std::string, std::string> tagged1;
    for (const auto& entry : fs::directory_iterator(folder))
        tagged1[entry.path().filename().string()] = readAll(entry.path());
    const auto again = geotag();
    for (std::size_t i = 0; i < again.size(); ++i)
        if (results[i].status == PhotoStatus::tagged && isJpeg(nameOf(i))) {
            EXPECT_EQ(again[i].status, PhotoStatus::hasPosition) << nameOf(i);
        }
    for (const auto& [name, bytes] : tagged1)
        if (name != ".trailkeep-geotag") {
            EXPECT_TRUE(readAll(folder / name) == bytes) << name << " changed on a second run";
        }
}

TEST_F(RealPhotos, OverwriteReplacesThePositionCleanlyAndUndoGivesBackTheBytes) {
    const Reading before = readFolder();
    const auto first = geotag();
    settings.overwrite = true;
    const auto moved = geotag(2);
    for (std::size_t i = 0; i < moved.size(); ++i)
        if (first[i].status == PhotoStatus::tagged && isJpeg(nameOf(i))) {
            EXPECT_EQ(moved[i].status, PhotoStatus::tagged) << nameOf(i) << ": " << moved[i].reason;
        }
    expectNothingElseChanged(moved, before);

    const auto undone = undoGeotagging(access, {folder.string()});
    for (const UndoResult& r : undone)
        EXPECT_EQ(r.status, "restored") << r.file << ": " << r.reason;
    for (const auto& [name, bytes] : original)
        EXPECT_TRUE(readAll(folder / name) == bytes) << name << " is not as it was";
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_TRUE(original.count(entry.path().filename().string()))
            << entry.path().filename().string() << " was left behind";
}

TEST_F(RealPhotos, HeifKeepsItsPositionAndABrokenOneIsAnErrorWithNothingWritten) {
    const auto results = geotag();
    std::map<std::string, PhotoResult> byName;
    for (std::size_t i = 0; i < results.size(); ++i)
        byName[nameOf(i)] = results[i];
    ASSERT_TRUE(byName.count("IMG_2927.HEIC") && byName.count("exif-at-eof.heic") &&
                byName.count("broken-boxes.heif"));
    // No position: a sidecar at the line's point; the HEIF itself is not written.
    EXPECT_EQ(byName["IMG_2927.HEIC"].status, PhotoStatus::tagged)
        << byName["IMG_2927.HEIC"].reason;
    const auto sidecar = test::exiftoolJson(folder / "IMG_2927.HEIC.xmp");
    EXPECT_NEAR(std::stod(sidecar.at("GPSLatitude")),
                line.at(*byName["IMG_2927.HEIC"].utc).latitude, 1e-6);
    // Its own position, at the end of the file, is kept.
    EXPECT_EQ(byName["exif-at-eof.heic"].status, PhotoStatus::hasPosition);
    EXPECT_NEAR(byName["exif-at-eof.heic"].position->latitude, 47.2071, 1e-3);
    EXPECT_EQ(byName["broken-boxes.heif"].status, PhotoStatus::error);
    for (const char* name : {"IMG_2927.HEIC", "exif-at-eof.heic", "broken-boxes.heif"})
        EXPECT_TRUE(readAll(folder / name) == original.at(name)) << name;
    EXPECT_FALSE(fs::exists(folder / "exif-at-eof.heic.xmp"));
    EXPECT_FALSE(fs::exists(folder / "broken-boxes.heif.xmp"));

    // --overwrite puts the track's position in its sidecar instead.
    settings.overwrite = true;
    const auto again = geotag();
    for (std::size_t i = 0; i < again.size(); ++i)
        if (nameOf(i) == "exif-at-eof.heic") {
            EXPECT_EQ(again[i].status, PhotoStatus::tagged) << again[i].reason;
        }
    EXPECT_NEAR(std::stod(test::exiftoolJson(folder / "exif-at-eof.heic.xmp").at("GPSLatitude")),
                line.at(*byName["exif-at-eof.heic"].utc).latitude, 1e-6);
}

} // namespace
} // namespace tk::photos
