// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MbTiles.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

namespace tk {
namespace {

constexpr int kDeepestZoom = 30;
constexpr double kMaxLatitude = 85.0511287798;
constexpr double kPi = 3.14159265358979323846;

// A prepared statement that is finalized however the function that made it ends.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            stmt_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return stmt_; }
    explicit operator bool() const { return stmt_ != nullptr; }
    bool step() { return stmt_ && sqlite3_step(stmt_) == SQLITE_ROW; }
    bool isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string text(int column) const {
        const auto* bytes = sqlite3_column_text(stmt_, column);
        return bytes ? std::string(reinterpret_cast<const char*>(bytes),
                                   static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                     : std::string();
    }
    std::vector<std::uint8_t> blob(int column) const {
        const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
        const int size = sqlite3_column_bytes(stmt_, column);
        return bytes && size > 0 ? std::vector<std::uint8_t>(bytes, bytes + size)
                                 : std::vector<std::uint8_t>();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

bool canRead(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::ifstream file(path, std::ios::binary);
    return file.good();
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<double> number(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "west,south,east,north" in degrees, as the metadata's "bounds" gives them.
bool parseBounds(const std::string& text, MbTilesInfo& info) {
    double v[4];
    std::size_t begin = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t end = i < 3 ? text.find(',', begin) : text.size();
        if (end == std::string::npos)
            return false;
        const auto value = number(std::string_view(text).substr(begin, end - begin));
        if (!value)
            return false;
        v[i] = *value;
        begin = end + 1;
    }
    if (v[0] < -180 || v[2] > 180 || v[0] >= v[2] || v[1] < -90 || v[3] > 90 || v[1] >= v[3])
        return false;
    info.west = v[0];
    info.south = std::max(v[1], -kMaxLatitude);
    info.east = v[2];
    info.north = std::min(v[3], kMaxLatitude);
    return info.south < info.north;
}

double tileLongitude(std::int64_t x, int zoom) {
    return static_cast<double>(x) / std::ldexp(1.0, zoom) * 360.0 - 180.0;
}

// The latitude of the northern edge of XYZ row y.
double tileLatitude(std::int64_t y, int zoom) {
    const double n = kPi - 2.0 * kPi * static_cast<double>(y) / std::ldexp(1.0, zoom);
    return std::atan(std::sinh(n)) * 180.0 / kPi;
}

void boundsFromTiles(sqlite3* db, MbTilesInfo& info) {
    Statement extent(db, "SELECT MIN(tile_column), MAX(tile_column), MIN(tile_row), "
                         "MAX(tile_row) FROM tiles WHERE zoom_level = ?1");
    if (!extent)
        return;
    sqlite3_bind_int(extent.get(), 1, info.minZoom);
    if (!extent.step() || extent.isNull(0))
        return;
    const int z = info.minZoom;
    const std::int64_t last = (std::int64_t(1) << z) - 1;
    const std::int64_t minX = std::clamp<std::int64_t>(extent.integer(0), 0, last);
    const std::int64_t maxX = std::clamp<std::int64_t>(extent.integer(1), 0, last);
    // TMS rows: the largest row is the northernmost.
    const std::int64_t northY = last - std::clamp<std::int64_t>(extent.integer(3), 0, last);
    const std::int64_t southY = last - std::clamp<std::int64_t>(extent.integer(2), 0, last);
    info.west = tileLongitude(minX, z);
    info.east = tileLongitude(maxX + 1, z);
    info.north = tileLatitude(northY, z);
    info.south = tileLatitude(southY + 1, z);
}

std::map<std::string, std::string> readMetadata(sqlite3* db) {
    std::map<std::string, std::string> metadata;
    Statement rows(db, "SELECT name, value FROM metadata");
    while (rows.step())
        metadata[lower(rows.text(0))] = rows.text(1);
    return metadata;
}

} // namespace

const char* mbTilesErrorKey(MbTilesError error) {
    switch (error) {
    case MbTilesError::None:
        return "";
    case MbTilesError::Unreadable:
        return "The map file cannot be read.";
    case MbTilesError::NotSqlite:
        return "This file is not an MBTiles map: it is not an SQLite database.";
    case MbTilesError::NoTilesTable:
        return "This file is not an MBTiles map: it has no tiles table.";
    case MbTilesError::NoTiles:
        return "This MBTiles map holds no tiles.";
    case MbTilesError::NotRaster:
        return "This MBTiles map does not hold PNG, JPEG or WebP images (vector tiles cannot be "
               "shown).";
    }
    return "";
}

MbTiles::MbTiles(std::string path, sqlite3* db) : path_(std::move(path)), db_(db) {}

MbTiles::~MbTiles() {
    sqlite3_finalize(tileQuery_);
    sqlite3_close(db_);
}

MbTiles::Opened MbTiles::open(const std::string& path) {
    if (!canRead(path))
        return {nullptr, MbTilesError::Unreadable};
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<MbTiles> map(new MbTiles(path, db));
    if (opened != SQLITE_OK)
        return {nullptr, MbTilesError::Unreadable};
    sqlite3_busy_timeout(db, 2000);

    // SQLite reads the file's header only now: anything else is "not a database".
    {
        Statement schema(db, "SELECT COUNT(*) FROM sqlite_master WHERE type IN ('table', 'view') "
                             "AND name = 'tiles'");
        if (!schema)
            return {nullptr, MbTilesError::NotSqlite};
        if (!schema.step() || schema.integer(0) == 0)
            return {nullptr, MbTilesError::NoTilesTable};
    }
    if (sqlite3_prepare_v2(db,
                           "SELECT tile_data FROM tiles WHERE zoom_level = ?1 AND "
                           "tile_column = ?2 AND tile_row = ?3",
                           -1, &map->tileQuery_, nullptr) != SQLITE_OK)
        return {nullptr, MbTilesError::NoTilesTable};

    Statement first(db, "SELECT tile_data FROM tiles WHERE length(tile_data) > 0 LIMIT 1");
    if (!first.step())
        return {nullptr, MbTilesError::NoTiles};
    const auto metadata = readMetadata(db);
    const auto format = metadata.find("format");
    if (imageType(first.blob(0)).empty() ||
        (format != metadata.end() && lower(format->second) == "pbf"))
        return {nullptr, MbTilesError::NotRaster};

    MbTilesInfo& info = map->info_;
    // One aggregate a query: SQLite answers a lone MIN or MAX from the index without a scan.
    Statement shallowest(db, "SELECT MIN(zoom_level) FROM tiles");
    Statement deepest(db, "SELECT MAX(zoom_level) FROM tiles");
    if (!shallowest.step() || shallowest.isNull(0) || !deepest.step() || deepest.isNull(0))
        return {nullptr, MbTilesError::NoTiles};
    info.minZoom =
        static_cast<int>(std::clamp<std::int64_t>(shallowest.integer(0), 0, kDeepestZoom));
    info.maxZoom =
        static_cast<int>(std::clamp<std::int64_t>(deepest.integer(0), info.minZoom, kDeepestZoom));
    if (const auto name = metadata.find("name"); name != metadata.end())
        info.name = name->second;
    if (const auto credit = metadata.find("attribution"); credit != metadata.end())
        info.attribution = credit->second;
    const auto bounds = metadata.find("bounds");
    if (bounds == metadata.end() || !parseBounds(bounds->second, info))
        boundsFromTiles(db, info);
    return {std::move(map), MbTilesError::None};
}

std::optional<std::vector<std::uint8_t>> MbTiles::tile(int zoom, std::int64_t x,
                                                       std::int64_t y) const {
    if (zoom < 0 || zoom > kDeepestZoom)
        return std::nullopt;
    const std::int64_t side = std::int64_t(1) << zoom;
    if (x < 0 || y < 0 || x >= side || y >= side)
        return std::nullopt;
    std::lock_guard lock(mutex_);
    sqlite3_reset(tileQuery_);
    sqlite3_bind_int(tileQuery_, 1, zoom);
    sqlite3_bind_int64(tileQuery_, 2, x);
    sqlite3_bind_int64(tileQuery_, 3, side - 1 - y);
    std::optional<std::vector<std::uint8_t>> result;
    if (sqlite3_step(tileQuery_) == SQLITE_ROW) {
        const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(tileQuery_, 0));
        const int size = sqlite3_column_bytes(tileQuery_, 0);
        if (bytes && size > 0)
            result.emplace(bytes, bytes + size);
    }
    sqlite3_reset(tileQuery_);
    return result;
}

std::string_view MbTiles::imageType(const std::vector<std::uint8_t>& b) {
    auto starts = [&b](std::string_view magic, std::size_t at = 0) {
        return b.size() >= at + magic.size() &&
               std::equal(magic.begin(), magic.end(), b.begin() + static_cast<long>(at),
                          [](char m, std::uint8_t c) { return static_cast<std::uint8_t>(m) == c; });
    };
    if (starts("\x89PNG\r\n\x1a\n"))
        return "image/png";
    if (starts("\xff\xd8\xff"))
        return "image/jpeg";
    if (starts("RIFF") && starts("WEBP", 8))
        return "image/webp";
    return {};
}

} // namespace tk
