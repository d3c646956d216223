// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MbTiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/MbTilesMaker.h"

namespace tk {
namespace {

namespace fs = std::filesystem;
using test::MbTilesMaker;
using test::solidPng;

class MbTilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tk-mbtiles-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    void writeBytes(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }

    fs::path dir_;
};

TEST_F(MbTilesTest, ServesTilesWithRowsFlippedFromTheFile) {
    const auto south = solidPng(0x0000ff, 8), north = solidPng(0xff0000, 8);
    {
        MbTilesMaker maker(path("map.mbtiles"));
        maker.meta("name", "Test").meta("format", "png");
        maker.tmsTile(1, 0, 0, south).tmsTile(1, 0, 1, north);
    }
    const MbTiles::Opened opened = MbTiles::open(path("map.mbtiles"));
    ASSERT_TRUE(opened.map) << mbTilesErrorKey(opened.error);
    EXPECT_EQ(opened.error, MbTilesError::None);
    EXPECT_EQ(opened.map->info().name, "Test");
    // XYZ row 0 is the northern one, the file's row 1.
    EXPECT_EQ(opened.map->tile(1, 0, 0), north);
    EXPECT_EQ(opened.map->tile(1, 0, 1), south);
    EXPECT_FALSE(opened.map->tile(1, 1, 0));
    for (auto [z, x, y] : {std::tuple{1, 2, 0}, {1, 0, -1}, {-1, 0, 0}, {31, 0, 0}, {0, 0, 1}})
        EXPECT_FALSE(opened.map->tile(z, x, y)) << z << "/" << x << "/" << y;
}

TEST_F(MbTilesTest, ZoomRangeComesFromTheTilesAndBoundsFromTheMetadata) {
    {
        MbTilesMaker maker(path("map.mbtiles"));
        maker.meta("minzoom", "0").meta("maxzoom", "18"); // the tiles decide, not these
        maker.meta("bounds", " 7.25, 46.0 ,8.5,47.125").meta("attribution", "&copy; Test");
        maker.solidLevels(3, 5, 0x336699);
    }
    const auto opened = MbTiles::open(path("map.mbtiles"));
    ASSERT_TRUE(opened.map);
    const MbTilesInfo& info = opened.map->info();
    EXPECT_EQ(info.minZoom, 3);
    EXPECT_EQ(info.maxZoom, 5);
    EXPECT_DOUBLE_EQ(info.west, 7.25);
    EXPECT_DOUBLE_EQ(info.south, 46.0);
    EXPECT_DOUBLE_EQ(info.east, 8.5);
    EXPECT_DOUBLE_EQ(info.north, 47.125);
    EXPECT_EQ(info.attribution, "&copy; Test");
}

TEST_F(MbTilesTest, WithoutValidBoundsTheTilesAtTheShallowestZoomGiveTheArea) {
    const auto png = solidPng(0x00ff00, 4);
    for (const char* bounds : {"", "1,2,3", "10,0,5,1", "a,b,c,d", "-200,0,10,10"}) {
        {
            MbTilesMaker maker(path("map.mbtiles"));
            if (*bounds)
                maker.meta("bounds", bounds);
            // zoom 2: columns 2..3 (east half), TMS rows 2..3 (north half)
            maker.tmsTile(2, 2, 2, png).tmsTile(2, 3, 3, png).tmsTile(4, 9, 9, png);
        }
        const auto opened = MbTiles::open(path("map.mbtiles"));
        ASSERT_TRUE(opened.map) << bounds;
        const MbTilesInfo& info = opened.map->info();
        EXPECT_DOUBLE_EQ(info.west, 0) << bounds;
        EXPECT_DOUBLE_EQ(info.east, 180) << bounds;
        EXPECT_DOUBLE_EQ(info.south, 0) << bounds;
        EXPECT_NEAR(info.north, 85.0511, 1e-4) << bounds;
    }
}

TEST_F(MbTilesTest, TellsWhyAFileIsNotAnOfflineMap) {
    EXPECT_EQ(MbTiles::open(path("missing.mbtiles")).error, MbTilesError::Unreadable);
    EXPECT_EQ(MbTiles::open(dir_.string()).error, MbTilesError::Unreadable);

    writeBytes("text.mbtiles", "This is not a database at all, just some words.\n");
    EXPECT_EQ(MbTiles::open(path("text.mbtiles")).error, MbTilesError::NotSqlite);
    writeBytes("png.mbtiles", std::string(reinterpret_cast<const char*>(solidPng(0).data()), 100));
    EXPECT_EQ(MbTiles::open(path("png.mbtiles")).error, MbTilesError::NotSqlite);

    // An empty file is an empty SQLite database.
    writeBytes("empty.mbtiles", "");
    EXPECT_EQ(MbTiles::open(path("empty.mbtiles")).error, MbTilesError::NoTilesTable);
    {
        MbTilesMaker other(path("other.sqlite"));
        other.exec("DROP TABLE tiles; CREATE TABLE places (name TEXT)");
    }
    EXPECT_EQ(MbTiles::open(path("other.sqlite")).error, MbTilesError::NoTilesTable);
    {
        MbTilesMaker odd(path("odd.mbtiles"));
        odd.exec("DROP TABLE tiles; CREATE TABLE tiles (z INTEGER, data BLOB)");
    }
    EXPECT_EQ(MbTiles::open(path("odd.mbtiles")).error, MbTilesError::NoTilesTable);

    { MbTilesMaker empty(path("no-tiles.mbtiles")); }
    EXPECT_EQ(MbTiles::open(path("no-tiles.mbtiles")).error, MbTilesError::NoTiles);

    {
        MbTilesMaker vector(path("vector.mbtiles"));
        vector.meta("format", "pbf").tmsTile(0, 0, 0, {0x1f, 0x8b, 8, 0, 0, 0});
    }
    EXPECT_EQ(MbTiles::open(path("vector.mbtiles")).error, MbTilesError::NotRaster);
    for (auto error : {MbTilesError::Unreadable, MbTilesError::NotSqlite,
                       MbTilesError::NoTilesTable, MbTilesError::NoTiles, MbTilesError::NotRaster})
        EXPECT_STRNE(mbTilesErrorKey(error), "");
}

TEST_F(MbTilesTest, MapsWhoseTilesTableIsAViewAreRead) {
    // The layout of mbutil and others: tiles is a view over a map and an images table.
    const auto png = solidPng(0xabcdef, 4);
    {
        MbTilesMaker maker(path("view.mbtiles"));
        maker.exec("DROP TABLE tiles;"
                   "CREATE TABLE map (zoom_level INTEGER, tile_column INTEGER, tile_row INTEGER,"
                   " tile_id TEXT);"
                   "CREATE TABLE images (tile_id TEXT, tile_data BLOB);"
                   "CREATE VIEW tiles AS SELECT map.zoom_level AS zoom_level, map.tile_column AS"
                   " tile_column, map.tile_row AS tile_row, images.tile_data AS tile_data FROM"
                   " map JOIN images ON images.tile_id = map.tile_id;"
                   "INSERT INTO map VALUES (0, 0, 0, 'a');");
        sqlite3* db = nullptr;
        sqlite3_open(path("view.mbtiles").c_str(), &db);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO images VALUES ('a', ?1)", -1, &s, nullptr);
        sqlite3_bind_blob(s, 1, png.data(), static_cast<int>(png.size()), SQLITE_TRANSIENT);
        sqlite3_step(s);
        sqlite3_finalize(s);
        sqlite3_close(db);
    }
    const auto opened = MbTiles::open(path("view.mbtiles"));
    ASSERT_TRUE(opened.map) << mbTilesErrorKey(opened.error);
    EXPECT_EQ(opened.map->tile(0, 0, 0), png);
}

TEST(MbTilesImage, KnowsTheRasterFormatsByTheirFirstBytes) {
    EXPECT_EQ(MbTiles::imageType(solidPng(0x123456, 2)), "image/png");
    EXPECT_EQ(MbTiles::imageType({0xff, 0xd8, 0xff, 0xe0, 0, 0x10}), "image/jpeg");
    const std::string webp("RIFF\x10\0\0\0WEBPVP8 ", 16);
    EXPECT_EQ(MbTiles::imageType({webp.begin(), webp.end()}), "image/webp");
    EXPECT_EQ(MbTiles::imageType({0x1f, 0x8b, 8}), "");
    EXPECT_EQ(MbTiles::imageType({}), "");
}

} // namespace
} // namespace tk
