// SPDX-License-Identifier: GPL-3.0-or-later
// The geotagging run over a stand-in for exiv2: statuses, the clock correction from sync photos,
// sidecars, the journal written before any photo, and undo.
#include "photos/GeotagRun.h"
#include "e2e/SimProcess.h"
#include "photos/ZoneGuard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <map>
#include <mutex>
#include <thread>

namespace tk::photos {
namespace {

using e2e::TempDir;

constexpr double kT0 = 1719828000; // 2024-07-01T10:00:00Z

ClockTime clock(int h, int m, int s, double fraction = 0) {
    ClockTime t;
    t.civil = {2024, 7, 1, h, m, s};
    t.fraction = fraction;
    return t;
}

class FakeAccess : public PhotoAccess {
public:
    std::map<std::string, PhotoInfo> photos;
    std::map<std::string, std::string> failures; // path -> error text
    std::vector<std::string> written;
    std::vector<std::string> undone;
    std::vector<bool> journalSeen;
    std::mutex mutex;

    PhotoInfo read(const std::string& path) override { return photos.at(path); }
    std::function<void(const PhotoInfo&)> beforeWrite;

    std::string write(const PhotoInfo& info, const Position&, double, bool sidecar,
                      const KeepBefore& keep, bool& unchanged) override {
        if (beforeWrite)
            beforeWrite(info);
        JournalEntry entry;
        if (sidecar) {
            entry.sidecar = nameOfPath(info.path) + ".xmp";
            entry.sidecarCreated = true;
        } else {
            entry.method = JournalEntry::Method::exifSegment;
            entry.segment = "old " + nameOfPath(info.path);
        }
        const std::string keepError = keep(entry);
        std::lock_guard lock(mutex);
        unchanged = false;
        if (!keepError.empty())
            return keepError;
        std::string error;
        journalSeen.push_back(!readJournal(folderOfPath(info.path), error).empty());
        if (failures.count(info.path))
            return info.path + ": " + failures[info.path];
        written.push_back(info.path + (sidecar ? " sidecar" : ""));
        return {};
    }
    std::string undo(const std::string& folder, const JournalEntry& entry,
                     bool& unchanged) override {
        std::lock_guard lock(mutex);
        unchanged = false;
        undone.push_back(folder + "/" + entry.name + " " + entry.run);
        return {};
    }
};

class Run : public ::testing::Test {
protected:
    void SetUp() override {
        tracks = {{1, {{kT0, 48.0, 11.0, 500, 0}, {kT0 + 100, 48.1, 11.1, 600, 36}}},
                  {2, {{kT0 + 1000, 10.0, 10.0, 0, 0}, {kT0 + 2000, 10.0, 10.0, 0, 0}}}};
        settings.zone = ZoneChoice{0};
    }

    PhotoInfo& add(const std::string& name, std::optional<ClockTime> time,
                   PhotoWriteMode mode = PhotoWriteMode::inPlace) {
        const std::string path = (dir.path() / name).string();
        PhotoInfo& info = access.photos[path];
        info.path = path;
        info.cameraTime = time;
        info.mode = mode;
        info.format = "JPEG";
        found.push_back({path, {}});
        return info;
    }

    std::vector<PhotoResult> match() {
        infos = readPhotos(access, found);
        std::string error;
        const ClockCorrection c = clockCorrection(settings, infos, error);
        EXPECT_EQ(error, "");
        return matchPhotos(infos, tracks, settings, c);
    }

    TempDir dir;
    FakeAccess access;
    std::vector<FoundPhoto> found;
    std::vector<PhotoInfo> infos;
    std::vector<FixTrack> tracks;
    GeotagSettings settings;
};

TEST_F(Run, StatusesOfEveryKind) {
    add("tagged.jpg", clock(10, 0, 50));
    add("gap.jpg", clock(10, 25, 0));
    add("outside.jpg", clock(9, 0, 0));
    add("notime.jpg", std::nullopt);
    add("unsupported.gif", clock(10, 0, 50), PhotoWriteMode::unsupported);
    add("has.jpg", clock(10, 0, 50)).position = Position{1, 2, 3, 0};
    add("broken.jpg", clock(10, 0, 50)).error =
        (dir.path() / "broken.jpg").string() + ": not a JPEG image";
    add("raw.cr3", clock(10, 0, 50), PhotoWriteMode::sidecarOnly);
    const auto r = match();
    const std::vector<PhotoStatus> expected = {PhotoStatus::wouldTag,    PhotoStatus::gap,
                                               PhotoStatus::outside,     PhotoStatus::noTime,
                                               PhotoStatus::unsupported, PhotoStatus::hasPosition,
                                               PhotoStatus::error,       PhotoStatus::wouldTag};
    ASSERT_EQ(r.size(), expected.size());
    for (std::size_t i = 0; i < r.size(); ++i)
        EXPECT_EQ(r[i].status, expected[i]) << found[i].path << ": " << statusName(r[i].status);
    EXPECT_NEAR(r[0].position->latitude, 48.05, 1e-12);
    EXPECT_EQ(r[0].track, 1);
    EXPECT_DOUBLE_EQ(*r[0].utc, kT0 + 50);
    EXPECT_EQ(r[0].sidecar, "");
    EXPECT_EQ(r[1].track, 2 - 1 + 1); // the gap's track: 10:25 lies in track 2's 1000 s gap
    EXPECT_EQ(r[5].position->latitude, 1);
    EXPECT_EQ(r[6].reason, "not a JPEG image");
    EXPECT_EQ(r[7].sidecar, found[7].path + ".xmp");
    EXPECT_EQ(statusName(PhotoStatus::wouldTag), std::string("would-tag"));
    EXPECT_EQ(statusName(PhotoStatus::hasPosition), std::string("has-position"));
    EXPECT_EQ(statusName(PhotoStatus::noTime), std::string("no-time"));
}

TEST_F(Run, OverwriteAndSidecarSettings) {
    add("has.jpg", clock(10, 0, 50)).position = Position{1, 2, 3, 0};
    add("side.jpg", clock(10, 0, 50)).sidecarPosition = Position{1, 2, 3, 0};
    settings.overwrite = true;
    settings.sidecar = true;
    const auto r = match();
    EXPECT_EQ(r[0].status, PhotoStatus::wouldTag);
    EXPECT_EQ(r[0].sidecar, found[0].path + ".xmp");
    EXPECT_EQ(r[1].status, PhotoStatus::wouldTag);
    settings.overwrite = false;
    const auto kept = match();
    EXPECT_EQ(kept[0].status, PhotoStatus::hasPosition);
    EXPECT_EQ(kept[1].status, PhotoStatus::hasPosition);
}

TEST_F(Run, ZoneAndOffsetGiveTheTrueTime) {
    add("own.jpg", clock(12, 0, 10, 0.25)).ownOffset = 7200;
    add("computer.jpg", clock(12, 0, 10));
    settings.zone = ZoneChoice{};
    settings.offset = 5.5;
    const test::ZoneGuard zone("Europe/Berlin");
    const auto r = match();
    EXPECT_DOUBLE_EQ(*r[0].utc, kT0 + 15.75);
    EXPECT_DOUBLE_EQ(*r[1].utc, kT0 + 15.5); // Berlin is +02:00 in July
    settings.zone = ZoneChoice{3600};
    EXPECT_DOUBLE_EQ(*match()[0].utc, kT0 + 3600 + 15.75);
}

TEST_F(Run, SyncPhotosGiveTheCorrectionAndItsDrift) {
    add("gps1.jpg", clock(10, 0, 0));
    add("gps2.jpg", clock(11, 0, 0));
    add("middle.jpg", clock(10, 30, 0));
    add("late.jpg", clock(12, 0, 0));
    // The GPS clock showed 10:00:30 when the camera said 10:00:00 (30 s behind), and 11:00:50
    // (in the camera's zone, +00:00 here) an hour later: 20 s of drift.
    settings.syncs = {{0, *parseIsoTime("2024-07-01T10:00:30Z")},
                      {1, *parseIsoTime("2024-07-01T11:00:50")}};
    const auto r = match();
    EXPECT_DOUBLE_EQ(*r[0].utc, kT0 + 30);
    EXPECT_DOUBLE_EQ(*r[1].utc, kT0 + 3650);
    EXPECT_DOUBLE_EQ(*r[2].utc, kT0 + 1800 + 40);
    EXPECT_DOUBLE_EQ(*r[3].utc, kT0 + 7200 + 50);
}

TEST_F(Run, ASyncPhotoWithoutATimeIsAnError) {
    add("notime.jpg", std::nullopt);
    settings.syncs = {{0, *parseIsoTime("2024-07-01T10:00:30Z")}};
    infos = readPhotos(access, found);
    std::string error;
    clockCorrection(settings, infos, error);
    EXPECT_NE(error.find("no date and time"), std::string::npos) << error;
    settings.syncs = {{5, *parseIsoTime("2024-07-01T10:00:30Z")}};
    clockCorrection(settings, infos, error);
    EXPECT_NE(error, "");
}

TEST_F(Run, TheJournalComesBeforeThePhotosAndKeepsOnlyWhatChanged) {
    add("a.jpg", clock(10, 0, 10));
    add("b.jpg", clock(10, 0, 20));
    add("c.cr3", clock(10, 0, 30), PhotoWriteMode::sidecarOnly);
    add("outside.jpg", clock(9, 0, 0));
    access.failures[found[1].path] = "disk full";
    auto results = match();
    const std::string run = writePhotos(access, infos, results, settings);
    EXPECT_EQ(results[0].status, PhotoStatus::tagged);
    EXPECT_EQ(results[1].status, PhotoStatus::error);
    EXPECT_EQ(results[1].reason, "disk full");
    EXPECT_EQ(results[2].status, PhotoStatus::tagged);
    EXPECT_EQ(results[3].status, PhotoStatus::outside);
    ASSERT_EQ(access.journalSeen.size(), 3u);
    for (const bool seen : access.journalSeen)
        EXPECT_TRUE(seen);
    std::string error;
    auto entries = readJournal(dir.path().string(), error);
    ASSERT_EQ(entries.size(), 2u);
    // The photos are written in parallel: their entries come in the order the writers finish.
    std::sort(entries.begin(), entries.end(),
              [](const JournalEntry& a, const JournalEntry& b) { return a.name < b.name; });
    EXPECT_EQ(entries[0].name, "a.jpg");
    EXPECT_EQ(entries[0].segment, "old a.jpg");
    EXPECT_EQ(entries[0].run, run);
    EXPECT_EQ(entries[1].name, "c.cr3");
    EXPECT_EQ(entries[1].method, JournalEntry::Method::none);
    EXPECT_EQ(entries[1].sidecar, "c.cr3.xmp");
    EXPECT_TRUE(entries[1].sidecarCreated);
}

TEST_F(Run, AFolderNamedTwoWaysIsLockedOnce) {
    add("a.jpg", clock(10, 0, 10));
    add("./b.jpg", clock(10, 0, 20));
    add("sub/../c.jpg", clock(10, 0, 30));
    std::filesystem::create_directory(dir / "sub");
    auto results = match();
    const std::string run = writePhotos(access, infos, results, settings);
    for (const PhotoResult& r : results)
        EXPECT_EQ(r.status, PhotoStatus::tagged) << r.reason;
    std::string error;
    EXPECT_EQ(readJournal(dir.path().string(), error).size(), 3u);
}

TEST_F(Run, ACancelledRunLeavesTheRestAsItWas) {
    add("a.jpg", clock(10, 0, 10));
    add("b.jpg", clock(10, 0, 20));
    auto results = match();
    std::atomic<bool> cancel{true};
    WriteControl control;
    control.cancel = &cancel;
    writePhotos(access, infos, results, settings, control);
    EXPECT_TRUE(access.written.empty());
    EXPECT_EQ(results[0].status, PhotoStatus::wouldTag);
    EXPECT_EQ(results[0].reason, "cancelled");
    std::string error;
    EXPECT_TRUE(readJournal(dir.path().string(), error).empty());
}

TEST_F(Run, UndoGoesNewestFirstAndEmptiesTheJournal) {
    add("a.jpg", clock(10, 0, 10));
    add("b.jpg", clock(10, 0, 20));
    settings.overwrite = true;
    auto first = match();
    const std::string run1 = writePhotos(access, infos, first, settings);
    auto second = match();
    const std::string run2 = writePhotos(access, infos, second, settings);
    ASSERT_NE(run1, run2);
    // Only the second run of a.jpg.
    auto results = undoGeotagging(access, {found[0].path}, run2);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].status, "restored");
    EXPECT_EQ(access.undone, std::vector<std::string>{dir.path().string() + "/a.jpg " + run2});
    // The whole folder: a.jpg's first run, then b.jpg's two runs newest first.
    access.undone.clear();
    results = undoGeotagging(access, {dir.path().string()});
    ASSERT_EQ(results.size(), 2u);
    std::sort(access.undone.begin(), access.undone.end());
    EXPECT_EQ(access.undone.size(), 3u);
    std::string error;
    EXPECT_TRUE(readJournal(dir.path().string(), error).empty());
    EXPECT_FALSE(std::filesystem::exists(dir / ".trailkeep-geotag"));
    results = undoGeotagging(access, {found[0].path});
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].status, "not-geotagged");
}

TEST_F(Run, ASecondRunInTheSameFolderWaitsAndBothKeepTheirEntries) {
    add("a.jpg", clock(10, 0, 10));
    add("b.jpg", clock(10, 0, 20));
    auto firstResults = match();
    const std::vector<PhotoInfo> firstPhotos = infos;
    found.clear();
    add("c.jpg", clock(10, 0, 30));
    add("d.jpg", clock(10, 0, 40));
    auto secondResults = match();
    const std::vector<PhotoInfo> secondPhotos = infos;

    // The first run's photos are written only once the second run waits for the journal.
    std::promise<void> firstWrites;
    std::once_flag writing;
    std::promise<void> secondWaits;
    std::shared_future<void> waiting = secondWaits.get_future().share();
    access.beforeWrite = [&](const PhotoInfo& info) {
        if (info.path == firstPhotos[0].path || info.path == firstPhotos[1].path) {
            std::call_once(writing, [&] { firstWrites.set_value(); });
            waiting.wait();
        }
    };
    std::string firstRun;
    std::thread first([&] { firstRun = writePhotos(access, firstPhotos, firstResults, settings); });
    WriteControl control;
    std::vector<std::string> waitedFor;
    control.waiting = [&](const std::string& folder) {
        waitedFor.push_back(folder);
        secondWaits.set_value();
    };
    // The first run holds the folder before the second starts.
    firstWrites.get_future().wait();
    std::string error;
    const std::string secondRun =
        writePhotos(access, secondPhotos, secondResults, settings, control);
    first.join();

    EXPECT_EQ(waitedFor, std::vector<std::string>{dir.path().string()});
    const auto entries = readJournal(dir.path().string(), error);
    // Every entry of both, the second run's after the first's.
    std::string runs;
    std::vector<std::string> names;
    for (const JournalEntry& e : entries) {
        runs += e.run == firstRun ? "1" : e.run == secondRun ? "2" : "?";
        names.push_back(e.name);
    }
    EXPECT_EQ(runs, "1122");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
}

TEST(ParallelFor, EveryIndexOnce) {
    std::vector<std::atomic<int>> seen(1000);
    parallelFor(
        seen.size(), [&](std::size_t i) { ++seen[i]; }, 7);
    for (const auto& s : seen)
        EXPECT_EQ(s.load(), 1);
}

} // namespace
} // namespace tk::photos
