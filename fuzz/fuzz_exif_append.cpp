// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the Exif writer as TIFF data (with some bytes after it, as a JPEG's
// next segments), and as a JPEG head to the segment and multi-picture readers. Besides memory
// safety it checks what a write promises: the old bytes stay but for one 4-byte pointer, and
// the result reads back with the GPS fields written.
#include "photos/ExifAppend.h"
#include "photos/JpegSegments.h"
#include "photos/MultiPicture.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using tk::photos::tiff::Field;

const std::vector<Field> kGps = {
    {0x0000, 1, {}, std::string("\2\3\0\0", 4)},       {0x0001, 2, {}, std::string("S\0", 2)},
    {0x0002, 5, {33, 1, 54, 1, 1234567, 1000000}, {}}, {0x0005, 1, {}, std::string("\1", 1)},
    {0x0012, 2, {}, std::string("WGS-84\0", 7)},
};

void check(bool condition) {
    if (!condition)
        std::abort();
}

void appendTo(tk::photos::tiff::Bytes data, tk::photos::tiff::Bytes following,
              std::uint64_t followingTotal, tk::photos::GpsMerge merge, bool none) {
    const std::vector<Field> gps = none ? std::vector<Field>{} : kGps;
    const tk::photos::TiffAppend a =
        tk::photos::appendGps(data, following, followingTotal, gps, merge);
    if (!a.refusal.empty() || a.unchanged)
        return;
    check(a.pointerAt + 4 <= data.size());
    const std::string out = a.appliedTo(data);
    const std::string_view old(reinterpret_cast<const char*>(data.data()), data.size());
    check(out.size() == old.size() + a.tail.size());
    check(out.compare(0, a.pointerAt, old, 0, a.pointerAt) == 0);
    check(out.compare(a.pointerAt + 4, old.size() - a.pointerAt - 4, old, a.pointerAt + 4) == 0);
    std::string error;
    const auto written = tk::photos::gpsFieldsOf(tk::photos::tiff::bytesOf(out), error);
    check(written.has_value());
    for (const Field& f : gps)
        check(std::find(written->begin(), written->end(), f) != written->end());
    if (merge == tk::photos::GpsMerge::replaceAll)
        check(written->size() == gps.size());
}

void readHead(std::string_view bytes) {
    tk::photos::JpegHead head;
    std::size_t wanted = 0;
    if (tk::photos::parseJpegHead(bytes, head, wanted) != tk::photos::JpegHeadState::complete)
        return;
    (void)tk::photos::multiPictureIndex(bytes, head);
    (void)tk::photos::jfifDensity(bytes, head);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::uint8_t mode = data[0];
    const std::size_t followingSize = std::min<std::size_t>(data[1], size - 2);
    const tk::photos::tiff::Bytes rest(data + 2, size - 2);
    if (mode & 0x80) {
        readHead(std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()));
        return 0;
    }
    const auto tiffData = rest.first(rest.size() - followingSize);
    const auto following = rest.last(followingSize);
    const std::uint64_t followingTotal =
        followingSize + static_cast<std::uint64_t>((mode >> 2) & 0x1F) * 4096;
    const auto merge =
        (mode & 1) ? tk::photos::GpsMerge::replaceAll : tk::photos::GpsMerge::keepOthers;
    appendTo(tiffData, following, followingTotal, merge, (mode & 2) != 0);
    return 0;
}
