// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Reading the directories (IFDs) of TIFF data — a TIFF file, or the Exif data of a JPEG — with
// every offset checked against the data, so hostile or damaged data cannot be read past its end.
namespace tk::photos::tiff {

using Bytes = std::span<const std::uint8_t>;

inline Bytes bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

enum class Type : std::uint16_t {
    byte = 1,
    ascii = 2,
    shortType = 3,
    longType = 4,
    rational = 5,
    sbyte = 6,
    undefined = 7,
    sshort = 8,
    slong = 9,
    srational = 10,
    floatType = 11,
    doubleType = 12,
    ifd = 13,
};

inline constexpr std::uint16_t kExifIfdTag = 0x8769;
inline constexpr std::uint16_t kGpsIfdTag = 0x8825;
inline constexpr std::uint16_t kInteropIfdTag = 0xA005;
inline constexpr std::uint16_t kSubIfdsTag = 0x014A;
inline constexpr std::uint16_t kThumbnailOffsetTag = 0x0201;
inline constexpr std::uint16_t kThumbnailLengthTag = 0x0202;
inline constexpr std::uint16_t kStripOffsetsTag = 0x0111;
inline constexpr std::uint16_t kStripByteCountsTag = 0x0117;

// The size of one value of a type; 0 for a type TIFF does not define.
std::size_t typeSize(std::uint16_t type);

struct ByteOrder {
    bool little = true;

    std::uint16_t u16(Bytes data, std::size_t at) const;
    std::uint32_t u32(Bytes data, std::size_t at) const;
    void put16(std::string& out, std::uint16_t value) const;
    void put32(std::string& out, std::uint32_t value) const;
};

// One 12-byte directory entry as it stands in the data.
struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint32_t valueField = 0;    // the last 4 bytes read as an offset
    std::size_t at = 0;              // where the entry's 12 bytes are
    std::uint64_t valueSize() const; // count times the type's size (64 bits: no overflow)
    bool inlineValue() const { return valueSize() <= 4; }
    // Where the value is: the entry's own last 4 bytes, or the offset they hold.
    std::uint64_t valueOffset() const { return inlineValue() ? at + 8 : valueField; }
};

struct Directory {
    std::size_t offset = 0;
    std::vector<Entry> entries;
    std::uint32_t next = 0; // the next directory's offset, 0 for none
    std::size_t nextAt = 0; // where that 4-byte pointer is

    const Entry* find(std::uint16_t tag) const;
};

// The header and directories of TIFF data: IFD0, the chain after it, and the Exif, GPS and
// interoperability directories. Reading fails when the header is not TIFF's, when a
// directory lies outside the data, or when the directories loop.
struct Structure {
    ByteOrder order;
    Directory ifd0;
    std::vector<Directory> chain; // IFD1 and on
    std::optional<Directory> exif, gps, interop;
};
std::optional<Structure> readStructure(Bytes data, std::string& error);

// A value to write: numbers for SHORT, LONG and the rationals (numerator and denominator in
// turn); bytes for BYTE, ASCII (with its terminating NUL) and UNDEFINED.
struct Field {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::vector<std::uint32_t> numbers;
    std::string bytes;

    std::uint32_t count() const;
    bool operator==(const Field&) const = default;
};

// The fields of a directory (entries whose values lie outside the data are left out).
std::vector<Field> fieldsOf(Bytes data, const ByteOrder& order, const Directory& directory);

} // namespace tk::photos::tiff
