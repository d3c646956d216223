// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/MultiPicture.h"

#include "photos/TiffDirectory.h"

#include <string>

namespace tk::photos {
namespace {

constexpr std::string_view kMpfId("MPF\0", 4);
constexpr std::uint16_t kMpEntryTag = 0xB002;
constexpr std::size_t kMpEntrySize = 16;

} // namespace

std::optional<MultiPictureIndex> multiPictureIndex(std::string_view bytes, const JpegHead& head) {
    for (const JpegHead::Segment& s : head.segments) {
        const std::string_view segment = bytes.substr(s.offset, s.size);
        if (s.marker != 0xE2 || segment.size() < 8 || segment.substr(4, 4) != kMpfId)
            continue;
        // Marker (2), length (2), "MPF\0", then TIFF-like data whose offsets count from its start.
        const std::size_t headerAt = s.offset + 8;
        const tiff::Bytes data = tiff::bytesOf(segment.substr(8));
        std::string error;
        const auto structure = tiff::readStructure(data, error);
        if (!structure)
            return std::nullopt;
        const tiff::Entry* entries = structure->ifd0.find(kMpEntryTag);
        if (!entries || entries->inlineValue() ||
            entries->valueOffset() + entries->valueSize() > data.size())
            return std::nullopt;
        MultiPictureIndex index{s.offset, {}};
        const auto start = static_cast<std::size_t>(entries->valueOffset());
        for (std::size_t at = start; at + kMpEntrySize <= start + entries->valueSize();
             at += kMpEntrySize) {
            const std::uint32_t offset = structure->order.u32(data, at + 8);
            if (offset != 0) // the first picture's offset is 0: it is the file itself
                index.pictures.push_back(headerAt + std::uint64_t{offset});
        }
        return index;
    }
    return std::nullopt;
}

} // namespace tk::photos
