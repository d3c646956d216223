// SPDX-License-Identifier: GPL-3.0-or-later
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

#include "demo/DemoMemory.h"
#include "session/TrackSession.h"
#include "tracks/ProjectFile.h"

namespace {

class TrackSessionTest : public ::testing::Test {
protected:
    TrackSession session_;
    QSignalSpy replaced_{&session_, &TrackSession::tracksReplaced};
    QSignalSpy styled_{&session_, &TrackSession::styleChanged};
    QSignalSpy selected_{&session_, &TrackSession::selectionChanged};
    QSignalSpy checked_{&session_, &TrackSession::checkedChanged};

    void loadDemo() { session_.loadMemory(tk::makeDemoMemory()); }
};

TEST_F(TrackSessionTest, EveryReplacementListsTracksWithFreshColoursAndForgetsTheOldChoices) {
    loadDemo();
    ASSERT_EQ(replaced_.count(), 1);
    const std::vector<int> listed = session_.listedTracks();
    ASSERT_EQ(static_cast<int>(listed.size()), tk::DemoOptions{}.trips);
    tk::ColourSequence sameRun; // a fresh sequence hands out what the first load got
    for (const int index : listed)
        EXPECT_EQ(session_.style(index), (tk::TrackStyle{sameRun.next(), 2, 2}));

    session_.select(1);
    session_.setChecked({0, 2});
    session_.setStyle(0, {0x00123456, 4, 2});
    loadDemo();
    EXPECT_EQ(replaced_.count(), 2);
    EXPECT_EQ(session_.selected(), -1);
    EXPECT_TRUE(session_.checked().empty());
    EXPECT_EQ(session_.style(0), (tk::TrackStyle{sameRun.next(), 2, 2})) << "the run goes on";
    EXPECT_EQ(session_.style(99), tk::TrackStyle{}) << "past the table: the default style";
}

TEST_F(TrackSessionTest, ADownloadsOwnMemoryIsTakenOverWhole) {
    tk::PageBuffer buffer;
    tk::TrackTable table;
    tk::TrackDecoder decoder(table);
    const std::vector<std::uint8_t> memory = tk::makeDemoMemory();
    tk::loadProject(memory, buffer, decoder);
    const std::size_t points = table.tracks[0].points.size();
    session_.takeDownload(std::move(buffer), std::move(table));
    EXPECT_EQ(replaced_.count(), 1);
    EXPECT_EQ(session_.track(0)->points.size(), points);
    EXPECT_EQ(session_.pageBuffer().pageCount,
              static_cast<std::int32_t>(memory.size() / tk::kPageSize));
}

TEST_F(TrackSessionTest, AProjectThatCannotBeReadChangesNothing) {
    loadDemo();
    session_.select(0);
    const tk::ProjectLoad load = session_.openProject("/no/such/folder/ride.gpl");
    EXPECT_FALSE(load.ok());
    EXPECT_EQ(replaced_.count(), 1);
    EXPECT_EQ(session_.selected(), 0);

    QTemporaryDir dir;
    const std::string path = dir.filePath("ride.gpl").toStdString();
    const std::vector<std::uint8_t> memory = tk::makeDemoMemory({.seed = 7, .trips = 2});
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(memory.data()),
               static_cast<std::streamsize>(memory.size()));
    EXPECT_TRUE(session_.openProject(path).ok());
    EXPECT_EQ(replaced_.count(), 2);
    EXPECT_EQ(session_.listedTracks().size(), 2u);
}

TEST_F(TrackSessionTest, SelectionIsSignalledEachTimeForTracksWithPointsOnly) {
    session_.select(0);
    EXPECT_EQ(selected_.count(), 0) << "nothing loaded yet";
    loadDemo();
    session_.select(2);
    session_.select(2);
    ASSERT_EQ(selected_.count(), 2) << "a track picked again is shown again";
    EXPECT_EQ(selected_.at(1).at(0).toInt(), 2);
    session_.select(-1);
    session_.select(1000);
    EXPECT_EQ(selected_.count(), 2);
    EXPECT_EQ(session_.selected(), 2);
}

TEST_F(TrackSessionTest, StyleAndCheckedSetSignalOnlyRealChanges) {
    loadDemo();
    const tk::TrackStyle before = session_.style(1);
    session_.setStyle(1, before);
    EXPECT_EQ(styled_.count(), 0);
    session_.setStyle(1, {0x000000FF, 3, 2});
    ASSERT_EQ(styled_.count(), 1);
    EXPECT_EQ(styled_.at(0).at(0).toInt(), 1);
    EXPECT_EQ(session_.style(1).lineWeight, 3);
    session_.setStyle(50, {0x000000FF, 3, 2});
    EXPECT_EQ(styled_.count(), 1) << "no such track";

    session_.setChecked({3, 1, 1, 77, -2});
    ASSERT_EQ(checked_.count(), 1);
    EXPECT_EQ(session_.checked(), (std::vector<int>{1, 3})) << "sorted, once, real tracks only";
    session_.setChecked({1, 3});
    EXPECT_EQ(checked_.count(), 1);
    session_.setChecked({});
    EXPECT_EQ(checked_.count(), 2);
}

} // namespace

namespace {

class TrackFileSessionTest : public TrackSessionTest {
protected:
    std::string writeGpx(const std::string& name, int tracks) {
        std::string gpx = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\">";
        for (int t = 0; t < tracks; ++t)
            gpx += "<trk><name>walk " + std::to_string(t + 1) +
                   "</name><trkseg><trkpt lat=\"47.1\" lon=\"8.1\">"
                   "<time>2026-06-12T08:00:00Z</time></trkpt><trkpt lat=\"47.2\" lon=\"8.1\">"
                   "<time>2026-06-12T08:01:00Z</time></trkpt></trkseg></trk>";
        const std::string path = dir_.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path) << gpx << "</gpx>";
        return path;
    }
    QTemporaryDir dir_;
};

TEST_F(TrackFileSessionTest, AFilesTracksFollowTheLoggersAndStayWhenTheMemoryIsReplaced) {
    loadDemo();
    const int logger = static_cast<int>(session_.listedTracks().size());
    const tk::TrackStyle firstStyle = session_.style(0);
    const std::string path = writeGpx("phone.gpx", 2);
    EXPECT_EQ(session_.addTrackFile(path), "");
    std::vector<int> listed = session_.listedTracks();
    ASSERT_EQ(static_cast<int>(listed.size()), logger + 2);
    const int first = listed[static_cast<std::size_t>(logger)];
    EXPECT_EQ(session_.track(first)->name, "walk 1");
    EXPECT_EQ(session_.track(first)->sourceFile, path);
    EXPECT_EQ(session_.selected(), first) << "the file's first track is shown";
    EXPECT_EQ(session_.style(0), firstStyle) << "the logger's tracks keep their looks";
    EXPECT_NE(session_.style(first).colour, session_.style(first + 1).colour);

    loadDemo();
    listed = session_.listedTracks();
    ASSERT_EQ(static_cast<int>(listed.size()), logger + 2);
    EXPECT_EQ(session_.track(listed.back())->name, "walk 2");
    EXPECT_TRUE(session_.track(listed.front())->sourceFile.empty());
    EXPECT_NE(session_.openProject(dir_.filePath("missing.gpl").toStdString()).error, "");
    EXPECT_EQ(session_.listedTracks(), listed) << "a failed open keeps every track";
}

TEST_F(TrackFileSessionTest, WithoutALoggerMemoryAFilesTracksAreListedAlone) {
    EXPECT_EQ(session_.addTrackFile(writeGpx("watch.gpx", 1)), "");
    EXPECT_EQ(session_.listedTracks(), std::vector<int>{0});
    const int replaced = replaced_.count();
    const std::string broken = dir_.filePath("broken.gpx").toStdString();
    std::ofstream(broken) << "<gpx><trk>";
    EXPECT_NE(session_.addTrackFile(broken).find("not a readable GPX file"), std::string::npos);
    EXPECT_EQ(replaced_.count(), replaced) << "a file that cannot be read changes nothing";
    EXPECT_EQ(session_.listedTracks(), std::vector<int>{0});
}

} // namespace
