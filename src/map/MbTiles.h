// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tk {

// Why a file could not be opened as an offline map.
enum class MbTilesError {
    None,
    Unreadable,   // missing, a folder, or no permission to read it
    NotSqlite,    // not an SQLite database
    NoTilesTable, // SQLite, but no "tiles" table (or view) with the MBTiles columns
    NoTiles,      // the tiles table is empty
    NotRaster,    // vector tiles (or anything but PNG, JPEG and WebP images)
};

// The English wording of the reason, the key of its text in the language file.
const char* mbTilesErrorKey(MbTilesError error);

// What the pages need to know of an offline map.
struct MbTilesInfo {
    std::string name;        // metadata "name", may be empty
    std::string attribution; // metadata "attribution" as the file gives it (may hold markup)
    int minZoom = 0;         // the zoom levels that hold tiles
    int maxZoom = 0;
    // The area the map covers in degrees: metadata "bounds" when it is valid, otherwise the
    // extent of the tiles at the shallowest zoom. Latitudes stay within the map's projection.
    double west = -180, south = -85.0511287798, east = 180, north = 85.0511287798;
};

// An MBTiles file of raster tiles, read with SQLite
// and never written. Tiles are addressed as the map pages ask for them: XYZ, row 0 at the north;
// the file's rows count from the south (TMS) and are flipped here.
class MbTiles {
public:
    struct Opened;

    // Opens the file read-only and checks that it is an MBTiles file of raster tiles.
    static Opened open(const std::string& path);

    ~MbTiles();
    MbTiles(const MbTiles&) = delete;
    MbTiles& operator=(const MbTiles&) = delete;

    const std::string& path() const { return path_; }
    const MbTilesInfo& info() const { return info_; }

    // The tile's image bytes, or nullopt when the file has no such tile or the address is not a
    // tile (zoom 0 to 30, column and row within 2^zoom).
    std::optional<std::vector<std::uint8_t>> tile(int zoom, std::int64_t x, std::int64_t y) const;

    // "image/png", "image/jpeg" or "image/webp" from the image's first bytes; empty otherwise.
    static std::string_view imageType(const std::vector<std::uint8_t>& bytes);

private:
    MbTiles(std::string path, sqlite3* db);

    std::string path_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* tileQuery_ = nullptr;
    MbTilesInfo info_;
    mutable std::mutex mutex_;
};

struct MbTiles::Opened {
    std::unique_ptr<MbTiles> map; // null when the file is not an offline map
    MbTilesError error = MbTilesError::None;
};

} // namespace tk
