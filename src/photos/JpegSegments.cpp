// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/JpegSegments.h"

namespace tk::photos {
namespace {

std::uint8_t byteAt(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]);
}

bool standalone(std::uint8_t marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

} // namespace

std::size_t JpegHead::exifInsertOffset() const {
    std::size_t at = 2;
    for (const Segment& s : segments) {
        if (s.marker != 0xE0)
            break;
        at = s.offset + s.size;
    }
    return at;
}

std::size_t JpegHead::exifEnd() const {
    if (!exifIndex)
        return exifInsertOffset();
    const Segment& s = segments[*exifIndex];
    return s.offset + s.size;
}

JpegHeadState parseJpegHead(std::string_view bytes, JpegHead& head, std::size_t& wanted) {
    head = JpegHead{};
    wanted = 0;
    if (bytes.size() < 2) {
        wanted = 2;
        return JpegHeadState::needMore;
    }
    if (byteAt(bytes, 0) != 0xFF || byteAt(bytes, 1) != 0xD8)
        return JpegHeadState::notJpeg;
    std::size_t at = 2;
    for (;;) {
        // A marker: 0xFF, any fill bytes 0xFF, then the marker code.
        if (at + 2 > bytes.size()) {
            wanted = at + 4096;
            return JpegHeadState::needMore;
        }
        if (byteAt(bytes, at) != 0xFF)
            return JpegHeadState::malformed;
        std::size_t code = at + 1;
        while (code < bytes.size() && byteAt(bytes, code) == 0xFF)
            ++code;
        if (code >= bytes.size()) {
            wanted = code + 4096;
            return JpegHeadState::needMore;
        }
        const std::uint8_t marker = byteAt(bytes, code);
        if (marker == 0x00 || marker == 0xD8 || marker == 0xD9)
            return JpegHeadState::malformed;
        if (marker == 0xDA) {
            head.scanOffset = at;
            return JpegHeadState::complete;
        }
        if (standalone(marker)) {
            head.segments.push_back({at, code + 1 - at, marker});
            at = code + 1;
            continue;
        }
        if (code + 3 > bytes.size()) {
            wanted = code + 3 + 4096;
            return JpegHeadState::needMore;
        }
        const std::size_t length =
            (std::size_t{byteAt(bytes, code + 1)} << 8) | byteAt(bytes, code + 2);
        if (length < 2)
            return JpegHeadState::malformed;
        const std::size_t end = code + 1 + length;
        if (end > bytes.size()) {
            wanted = end + 4096;
            return JpegHeadState::needMore;
        }
        JpegHead::Segment segment{at, end - at, marker};
        if (!head.exifIndex && marker == 0xE1 && length >= 2 + kExifPrefixSize &&
            bytes.substr(code + 3, kExifPrefixSize) ==
                std::string_view(kExifPrefix, kExifPrefixSize))
            head.exifIndex = head.segments.size();
        head.segments.push_back(segment);
        at = end;
    }
}

std::optional<JfifDensity> jfifDensity(std::string_view bytes, const JpegHead& head) {
    // Marker (2), length (2), "JFIF\0", version (2), units, X density (2), Y density (2).
    constexpr std::string_view kJfif("JFIF\0", 5);
    for (const JpegHead::Segment& s : head.segments) {
        const std::string_view segment = bytes.substr(s.offset, s.size);
        if (s.marker != 0xE0 || segment.size() < 16 || segment.substr(4, 5) != kJfif)
            continue;
        const auto number = [&](std::size_t at) {
            return static_cast<std::uint16_t>(byteAt(segment, at) << 8 | byteAt(segment, at + 1));
        };
        const std::uint8_t units = byteAt(segment, 11);
        JfifDensity d{number(12), number(14), static_cast<std::uint16_t>(units + 1)};
        if (units > 2 || d.x == 0 || d.y == 0)
            return std::nullopt;
        return d;
    }
    return std::nullopt;
}

std::optional<std::string> exifSegment(std::string_view tiff) {
    const std::size_t payload = kExifPrefixSize + tiff.size();
    if (payload > kMaxSegmentPayload)
        return std::nullopt;
    const std::size_t length = payload + 2;
    std::string segment;
    segment.reserve(length + 2);
    segment += '\xFF';
    segment += '\xE1';
    segment += static_cast<char>(length >> 8);
    segment += static_cast<char>(length & 0xFF);
    segment.append(kExifPrefix, kExifPrefixSize);
    segment.append(tiff);
    return segment;
}

std::string_view exifTiffData(std::string_view segment) {
    // Marker (2), length (2), "Exif\0\0".
    const std::size_t skip = 4 + kExifPrefixSize;
    return segment.size() > skip ? segment.substr(skip) : std::string_view{};
}

} // namespace tk::photos
