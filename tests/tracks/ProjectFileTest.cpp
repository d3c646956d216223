// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracks/ProjectFile.h"
#include "support/RecordBuilder.h"
#include "demo/DemoMemory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tk {
namespace {

namespace fs = std::filesystem;

class ProjectFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tk-project-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const auto path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        return path;
    }

    fs::path dir;
    PageBuffer buffer;
    TrackTable table;
    TrackDecoder decoder{table};
};

TEST_F(ProjectFiles, PageCountCoversAPartialLastPage) {
    EXPECT_EQ(
        loadProject(std::vector<std::uint8_t>(2 * kPageSize, 0xFF), buffer, decoder).recordsRead,
        22u);
    EXPECT_EQ(buffer.pageCount, 2);
    const ProjectLoad load =
        loadProject(std::vector<std::uint8_t>(kPageSize + 24 + 10, 0xFF), buffer, decoder);
    EXPECT_EQ(buffer.pageCount, 2);
    EXPECT_EQ(load.recordsRead, 12u);
    EXPECT_EQ(load.trailingBytes, 10u);
    loadProject({}, buffer, decoder);
    EXPECT_EQ(buffer.pageCount, 0);
    EXPECT_EQ(table.lastTrack, 0);
}

TEST_F(ProjectFiles, SaveAndOpenRoundTripKeepsTracksAndPages) {
    const auto image = makeDemoMemory();
    const std::string first = write("demo.gpl", image);
    ASSERT_TRUE(openProject(first, buffer, decoder).ok());
    const TrackTable decoded = table;
    const std::string second = (dir / "again.gpl").string();
    ASSERT_EQ(saveProject(second, buffer), "");
    EXPECT_EQ(fs::file_size(second), image.size());
    buffer.clear();
    ASSERT_TRUE(openProject(second, buffer, decoder).ok());
    EXPECT_EQ(table.lastTrack, decoded.lastTrack);
    EXPECT_GE(table.lastTrack, 3);
    for (int i = 0; i <= table.lastTrack; ++i) {
        EXPECT_EQ(table.tracks[i].name, decoded.tracks[i].name);
        EXPECT_EQ(table.tracks[i].points.size(), decoded.tracks[i].points.size());
        EXPECT_EQ(table.tracks[i].distance, decoded.tracks[i].distance);
    }
}

TEST_F(ProjectFiles, OpenDoesNotClearThePageBufferBeyondTheFile) {
    buffer.storeAt(30, test::startRecord().bytes);
    buffer.byteCount = 480;
    ASSERT_TRUE(
        openProject(write("one.gpl", std::vector<std::uint8_t>(24, 0xFF)), buffer, decoder).ok());
    EXPECT_EQ(buffer.record(30)[0], 0xEE);
    EXPECT_EQ(buffer.byteCount, 480);
    EXPECT_EQ(buffer.pageCount, 1);
}

TEST_F(ProjectFiles, RecordsBeyondCapacityAreNeitherStoredNorDecoded) {
    auto image = makeFullMemory();
    const auto extra = test::concat({test::startRecord(), test::fixRecord({})});
    image.insert(image.end(), extra.begin(), extra.end());
    image.insert(image.end(), 7, 0x00);
    const ProjectLoad load = openProject(write("big.gpl", image), buffer, decoder);
    ASSERT_TRUE(load.ok());
    EXPECT_EQ(load.recordsRead, kRecordCapacity);
    EXPECT_EQ(load.recordsDropped, 2u);
    EXPECT_EQ(load.trailingBytes, 7u);
    EXPECT_EQ(buffer.pageCount, 2048);
    EXPECT_EQ(table.lastTrack, 7);
}

TEST_F(ProjectFiles, UnreadableFileLeavesTracksAsTheyWere) {
    ASSERT_TRUE(openProject(write("demo.gpl", makeDemoMemory()), buffer, decoder).ok());
    const auto points = table.tracks[0].points.size();
    const ProjectLoad load = openProject((dir / "missing.gpl").string(), buffer, decoder);
    EXPECT_FALSE(load.ok());
    EXPECT_NE(load.error.find("No such file"), std::string::npos);
    EXPECT_EQ(table.tracks[0].points.size(), points);
    EXPECT_FALSE(openProject(dir.string(), buffer, decoder).ok());
}

TEST_F(ProjectFiles, SaveWritesWholePagesAndReportsFailure) {
    buffer.pageCount = 3;
    const std::string path = (dir / "three.gpl").string();
    ASSERT_EQ(saveProject(path, buffer), "");
    EXPECT_EQ(fs::file_size(path), 3 * kPageSize);
    buffer.pageCount = 0;
    ASSERT_EQ(saveProject(path, buffer), "");
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_NE(saveProject((dir / "no" / "such.gpl").string(), buffer), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

} // namespace
} // namespace tk
