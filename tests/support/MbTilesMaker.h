// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Offline map files for tests: MBTiles files written with SQLite whose tiles are solid-colour
// PNG images made here (stored, uncompressed deflate blocks), so a test knows the colour a tile
// must show on screen.

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace tk::test {

inline std::uint32_t crc32(const std::uint8_t* data, std::size_t size,
                           std::uint32_t crc = 0xffffffffu) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xff] ^ (crc >> 8);
    return crc;
}

inline void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void putChunk(std::vector<std::uint8_t>& png, const char* type,
                     const std::vector<std::uint8_t>& data) {
    putBigEndian(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    putBigEndian(png, crc32(png.data() + start, png.size() - start) ^ 0xffffffffu);
}

// A size x size PNG image of one RGB colour (0xRRGGBB).
inline std::vector<std::uint8_t> solidPng(std::uint32_t rgb, int size = 256) {
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < size; ++x) {
            raw.push_back(static_cast<std::uint8_t>(rgb >> 16));
            raw.push_back(static_cast<std::uint8_t>(rgb >> 8));
            raw.push_back(static_cast<std::uint8_t>(rgb));
        }
    }
    std::vector<std::uint8_t> zlib{0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        zlib.push_back(at + n >= raw.size() ? 1 : 0);
        zlib.push_back(static_cast<std::uint8_t>(n));
        zlib.push_back(static_cast<std::uint8_t>(n >> 8));
        zlib.push_back(static_cast<std::uint8_t>(~n));
        zlib.push_back(static_cast<std::uint8_t>(~n >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<long>(at),
                    raw.begin() + static_cast<long>(at + n));
        if (at + n >= raw.size())
            break;
    }
    putBigEndian(zlib, (b << 16) | a);

    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<std::uint8_t> header;
    putBigEndian(header, static_cast<std::uint32_t>(size));
    putBigEndian(header, static_cast<std::uint32_t>(size));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlib);
    putChunk(png, "IEND", {});
    return png;
}

// An MBTiles file being written: the MBTiles schema, metadata and tiles addressed
// as the file stores them (TMS rows, row 0 at the south).
class MbTilesMaker {
public:
    explicit MbTilesMaker(const std::string& path) {
        std::remove(path.c_str());
        sqlite3_open(path.c_str(), &db_);
        exec("PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY;");
        exec("CREATE TABLE metadata (name TEXT, value TEXT);"
             "CREATE TABLE tiles (zoom_level INTEGER, tile_column INTEGER, tile_row INTEGER,"
             " tile_data BLOB);"
             "CREATE UNIQUE INDEX tile_index ON tiles (zoom_level, tile_column, tile_row);");
    }
    ~MbTilesMaker() { sqlite3_close(db_); }
    MbTilesMaker(const MbTilesMaker&) = delete;
    MbTilesMaker& operator=(const MbTilesMaker&) = delete;

    MbTilesMaker& meta(const std::string& name, const std::string& value) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db_, "INSERT INTO metadata VALUES (?1, ?2)", -1, &s, nullptr);
        sqlite3_bind_text(s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 2, value.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(s);
        sqlite3_finalize(s);
        return *this;
    }

    MbTilesMaker& tmsTile(int z, std::int64_t x, std::int64_t row,
                          const std::vector<std::uint8_t>& bytes) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db_, "INSERT OR REPLACE INTO tiles VALUES (?1, ?2, ?3, ?4)", -1, &s,
                           nullptr);
        sqlite3_bind_int(s, 1, z);
        sqlite3_bind_int64(s, 2, x);
        sqlite3_bind_int64(s, 3, row);
        sqlite3_bind_blob(s, 4, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        sqlite3_step(s);
        sqlite3_finalize(s);
        return *this;
    }

    // Every tile of the zoom levels from..to in one colour (tiles of size x size pixels).
    MbTilesMaker& solidLevels(int from, int to, std::uint32_t rgb, int size = 256) {
        const std::vector<std::uint8_t> png = solidPng(rgb, size);
        exec("BEGIN");
        for (int z = from; z <= to; ++z)
            for (std::int64_t x = 0; x < (std::int64_t(1) << z); ++x)
                for (std::int64_t row = 0; row < (std::int64_t(1) << z); ++row)
                    tmsTile(z, x, row, png);
        exec("COMMIT");
        return *this;
    }

    void exec(const char* sql) { sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

private:
    sqlite3* db_ = nullptr;
};

} // namespace tk::test
