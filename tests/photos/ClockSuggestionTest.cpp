// SPDX-License-Identifier: GPL-3.0-or-later
// The suggested clock correction on a decoded walk with stops, for cameras whose clock errors the
// suggestion is not told: it must come within seconds of the truth where the photos allow it,
// and say low or none where they do not.
#include "photos/ClockSuggestion.h"
#include "photos/CameraClocks.h"
#include "support/StopWalk.h"

#include <gtest/gtest.h>

#include <random>

namespace tk::photos {
namespace {

constexpr std::int64_t kStart = 1'780'000'000; // 2026-05-28T20:26:40Z
constexpr double kMaxGap = 300;

class Suggestion : public ::testing::Test {
protected:
    void SetUp() override { tracks = fixTracks(test::decodeRecords(walk.records)); }

    // A photo taken at the true UTC time by a camera whose clock is `offset` behind.
    static PhotoClue shot(double utc, double offset) { return {utc - offset, {}, {}}; }
    // At a fraction (0..1) into stop i.
    double atStop(std::size_t i, double fraction) const {
        const test::Stop& s = walk.stops.at(i);
        return static_cast<double>(s.from) + fraction * static_cast<double>(s.to - s.from);
    }
    // Some way into the walking after stop i, never the same fraction twice in a row.
    double walking(std::size_t i) const {
        const double fraction = 0.15 + 0.7 * static_cast<double>((i * 7) % 11) / 10;
        const auto from = static_cast<double>(walk.stops.at(i).to);
        return from + fraction * (static_cast<double>(walk.stops.at(i + 1).from) - from);
    }
    OffsetSuggestion suggest(const std::vector<PhotoClue>& photos) const {
        return suggestOffset(tracks, photos, kMaxGap);
    }

    test::StopWalk walk = test::stopWalk(kStart, 33);
    std::vector<FixTrack> tracks;
};

TEST_F(Suggestion, PhotosAtStopsFindTheCorrectionWhateverItsSize) {
    // A zone set to home time two hours off plus 37 s of error; a drift of minutes; a camera
    // an hour and a quarter off the other way.
    for (const double truth : {7237.0, -254.0, -4500.0 + 12}) {
        std::vector<PhotoClue> photos;
        for (std::size_t i = 1; i < 33; i += 2)
            photos.push_back(shot(atStop(i, 0.3 + 0.04 * static_cast<double>(i % 5)), truth));
        photos.push_back(shot(walking(5), truth)); // and two snapshots on the move
        photos.push_back(shot(walking(17), truth));
        const OffsetSuggestion s = suggest(photos);
        ASSERT_TRUE(s.offset) << s.reason;
        EXPECT_NEAR(*s.offset, truth, 10) << s.reason;
        EXPECT_EQ(s.confidence, Confidence::high) << truth << ": " << s.reason;
    }
}

TEST_F(Suggestion, PhotosOnlyWhileMovingAreLowAndACameraFromAnotherYearNone) {
    std::vector<PhotoClue> moving;
    for (std::size_t i = 1; i < 30; i += 4)
        moving.push_back(shot(walking(i), 95));
    const OffsetSuggestion m = suggest(moving);
    EXPECT_EQ(m.confidence, Confidence::low) << m.reason;

    std::vector<PhotoClue> lastYear;
    for (std::size_t i = 2; i < 30; i += 3)
        lastYear.push_back(shot(atStop(i, 0.5), -365.0 * 86400));
    const OffsetSuggestion y = suggest(lastYear);
    EXPECT_EQ(y.confidence, Confidence::none);
    EXPECT_FALSE(y.offset);
    EXPECT_NE(y.reason.find("half of the 10 photos"), std::string::npos) << y.reason;
}

TEST_F(Suggestion, OneOrTwoPhotosAtStopsAreNeverSure) {
    for (const std::size_t count : {1u, 2u}) {
        std::vector<PhotoClue> photos;
        for (std::size_t i = 0; i < count; ++i)
            photos.push_back(shot(atStop(4 + 9 * i, 0.5), 600));
        EXPECT_NE(suggest(photos).confidence, Confidence::high) << count;
    }
}

TEST_F(Suggestion, GpsTimeStampsGiveTheirCameraDirectly) {
    std::vector<PhotoClue> phone;
    for (const double utc : {walking(3), atStop(8, 0.2), walking(20)}) {
        PhotoClue p = shot(utc, -3); // a phone 3 s fast
        p.gpsUtc = utc;
        phone.push_back(p);
    }
    const OffsetSuggestion s = suggest(phone);
    EXPECT_EQ(s.offset, -3);
    EXPECT_EQ(s.confidence, Confidence::high);

    phone[1].gpsUtc = *phone[1].gpsUtc + 900; // one stale time stamp is outvoted
    EXPECT_EQ(suggest(phone).offset, -3);
    phone[2].gpsUtc = *phone[2].gpsUtc - 4000; // three that disagree are not sure of anything
    EXPECT_EQ(suggest(phone).confidence, Confidence::low);
}

TEST_F(Suggestion, PositionsGiveWhenTheTrackPassedThem) {
    auto withPosition = [&](double utc, double offset) {
        PhotoClue p = shot(utc, offset);
        const test::WalkFix& f = walk.at(static_cast<std::int64_t>(utc));
        p.position = Position{f.latitude, f.longitude, 0, 0};
        return p;
    };
    const std::vector<PhotoClue> passing = {withPosition(walking(6) + 2, 3600 + 41),
                                            withPosition(walking(22) - 3, 3600 + 41)};
    const OffsetSuggestion s = suggest(passing);
    ASSERT_TRUE(s.offset);
    EXPECT_NEAR(*s.offset, 3641, 10) << s.reason;
    EXPECT_EQ(s.confidence, Confidence::high) << s.reason;

    // Where the walk stood for minutes, the position alone cannot tell when within the stop.
    const OffsetSuggestion still = suggest({withPosition(atStop(10, 0.5), 3641)});
    EXPECT_EQ(still.confidence, Confidence::low) << still.reason;
}

TEST_F(Suggestion, NothingToGoOn) {
    EXPECT_EQ(suggest({}).confidence, Confidence::none);
    EXPECT_EQ(suggestOffset({}, std::vector<PhotoClue>{shot(atStop(1, 0.5), 0)}, kMaxGap).reason,
              "no track has fixes");
}

// Sixty walks, each with a camera whose clock is off by up to eleven hours: sixteen photos at
// random stops and one on the move; and one that shot ten photos on the move. A sure answer must
// be right, and chance alignments of photos on the move with stops must never look sure.
TEST(SuggestionOverManyWalks, SureAnswersAreRightAndMovingCamerasNeverSure) {
    int sure = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        const test::StopWalk walk = test::stopWalk(kStart, 33, seed);
        const std::vector<FixTrack> tracks = fixTracks(test::decodeRecords(walk.records));
        std::mt19937 random(seed * 31);
        std::uniform_real_distribution<double> fraction(0, 1);
        auto pick = [&](std::size_t count) {
            return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
        };
        const double truth = std::uniform_int_distribution<int>(-40000, 40000)(random);
        auto onTheMove = [&] {
            const std::size_t i = pick(walk.stops.size() - 1);
            const auto from = static_cast<double>(walk.stops[i].to);
            return PhotoClue{
                from + fraction(random) * (walk.stops[i + 1].from - from) - truth, {}, {}};
        };
        std::vector<PhotoClue> atStops;
        for (int k = 0; k < 16; ++k) {
            const test::Stop& s = walk.stops[pick(walk.stops.size())];
            atStops.push_back({s.from + fraction(random) * (s.to - s.from) - truth, {}, {}});
        }
        atStops.push_back(onTheMove());
        std::vector<PhotoClue> moving;
        for (int k = 0; k < 10; ++k)
            moving.push_back(onTheMove());

        const OffsetSuggestion a = suggestOffset(tracks, atStops, kMaxGap);
        if (a.confidence == Confidence::high) {
            ++sure;
            EXPECT_NEAR(*a.offset, truth, 30) << seed << ": " << a.reason;
        }
        const OffsetSuggestion m = suggestOffset(tracks, moving, kMaxGap);
        EXPECT_NE(m.confidence, Confidence::high) << seed << ": " << m.reason;
    }
    EXPECT_GE(sure, 40);
}

PhotoInfo photoOf(const std::string& camera, double cameraUtc) {
    PhotoInfo p;
    p.path = camera + std::to_string(cameraUtc);
    p.mode = PhotoWriteMode::inPlace;
    p.camera = camera;
    p.cameraTime = ClockTime{civilTime(static_cast<std::int64_t>(cameraUtc)), 0};
    return p;
}

// Two cameras with their own errors and one that only shot while moving: --offset auto tags the
// first two at their true times and leaves the third without an offset.
TEST_F(Suggestion, EachCameraGetsItsOwnCorrection) {
    std::vector<PhotoInfo> photos;
    for (std::size_t i = 1; i < 31; i += 2) {
        photos.push_back(photoOf("Canon EOS #1", atStop(i, 0.5) - 7237));
        photos.push_back(photoOf("Nikon D90", atStop(i + 1, 0.4) + 61));
        photos.push_back(photoOf("", walking(i) - 30));
    }
    const ZoneChoice utc{0};
    const std::vector<CameraSuggestion> suggestions = suggestOffsets(photos, tracks, utc, kMaxGap);
    ASSERT_EQ(suggestions.size(), 3u);
    EXPECT_EQ(suggestions[0].group.camera, "Canon EOS #1");
    EXPECT_EQ(suggestions[0].group.photos.size(), 15u);
    EXPECT_NEAR(suggestions[0].suggestion.offset.value_or(0), 7237, 10);
    EXPECT_NEAR(suggestions[1].suggestion.offset.value_or(0), -61, 10);
    EXPECT_EQ(suggestions[2].suggestion.confidence, Confidence::low);

    GeotagSettings settings;
    settings.zone = utc;
    std::string error;
    CameraClocks clocks = cameraClocks(settings, photos, error);
    applySuggestions(clocks, suggestions);
    const auto results = matchPhotos(photos, tracks, settings, clocks.perPhoto(photos));
    for (std::size_t i = 0; i < photos.size(); ++i) {
        if (photos[i].camera.empty()) {
            EXPECT_EQ(results[i].status, PhotoStatus::noOffset);
            EXPECT_NE(results[i].reason.find("low confidence"), std::string::npos);
            continue;
        }
        ASSERT_EQ(results[i].status, PhotoStatus::wouldTag) << results[i].reason;
        const double truth = photos[i].cameraTime->asUtc() + (i % 3 == 0 ? 7237 : -61);
        EXPECT_NEAR(*results[i].utc, truth, 10);
    }
}

TEST(CameraClocks, ASyncPhotoSetsOnlyItsOwnCamera) {
    std::vector<PhotoInfo> photos = {photoOf("A", 1000), photoOf("B", 1000), photoOf("A", 2000)};
    GeotagSettings settings;
    settings.zone = ZoneChoice{0};
    settings.offset = 5;
    settings.syncs.push_back({2, {ClockTime{civilTime(2100), 0}, 0}});
    std::string error;
    const CameraClocks clocks = cameraClocks(settings, photos, error);
    ASSERT_EQ(error, "");
    const std::vector<PhotoClock> per = clocks.perPhoto(photos);
    EXPECT_EQ(per[0].correction.offsetAt(1000), 100);
    EXPECT_EQ(per[1].correction.offsetAt(1000), 5);
    EXPECT_EQ(per[2].correction.offsetAt(2000), 100);
}

TEST(CameraClocks, NamesFromMakeModelAndSerial) {
    EXPECT_EQ(cameraName("Canon", "Canon EOS 450D", "1230456789"),
              "Canon Canon EOS 450D #1230456789");
    EXPECT_EQ(cameraName(" Apple ", "iPhone 12 ", ""), "Apple iPhone 12");
    EXPECT_EQ(cameraName("", "", "77"), "#77");
    EXPECT_EQ(cameraName("", "", ""), "");
    EXPECT_EQ(cameraLabel(""), "Unknown camera");
}

} // namespace
} // namespace tk::photos
