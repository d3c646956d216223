// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/ExivJpeg.h"

#include "files/FileIO.h"
#include "photos/ExivTags.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tk::photos::exiv {
namespace {

constexpr std::size_t kMaxHead = 32 * 1024 * 1024;

// Reads a file's first bytes into a growing buffer, in as many reads as it takes.
class HeadReader {
public:
    HeadReader(int fd, std::string& head) : fd_(fd), head_(head) {}

    // Grows head to size bytes or to the end of the file; false on a read error.
    bool readUpTo(std::size_t size) {
        while (head_.size() < size && !atEnd_) {
            const std::size_t at = head_.size();
            head_.resize(size);
            const ssize_t n = ::pread(fd_, head_.data() + at, size - at, static_cast<off_t>(at));
            if (n < 0 && errno == EINTR) {
                head_.resize(at);
                continue;
            }
            if (n < 0) {
                head_.resize(at);
                return false;
            }
            head_.resize(at + static_cast<std::size_t>(n));
            if (n == 0)
                atEnd_ = true;
        }
        return true;
    }
    bool atEnd() const { return atEnd_; }

private:
    int fd_;
    std::string& head_;
    bool atEnd_ = false;
};

// Reads until the head's segments are all in; the error text, empty on success.
std::string readSegments(const std::string& path, HeadReader& reader, JpegFile& file) {
    std::string& head = file.head;
    if (!reader.readUpTo(std::max(head.size(), kFirstRead)))
        return fileErrorText(path);
    for (;;) {
        std::size_t wanted = 0;
        const JpegHeadState state = parseJpegHead(head, file.layout, wanted);
        if (state == JpegHeadState::complete)
            return {};
        if (state == JpegHeadState::notJpeg)
            return "not a JPEG image";
        if (state == JpegHeadState::malformed)
            return "not a valid JPEG image (a broken segment before the image data)";
        if (reader.atEnd())
            return "the file is cut short inside its metadata";
        if (wanted > kMaxHead)
            return "the JPEG's metadata is too large";
        if (!reader.readUpTo(std::max(wanted, head.size() * 2)))
            return fileErrorText(path);
    }
}

} // namespace

std::optional<std::string_view> JpegFile::exifSegmentBytes() const {
    if (!layout.exifIndex)
        return std::nullopt;
    const JpegHead::Segment& s = layout.segments[*layout.exifIndex];
    return std::string_view(head).substr(s.offset, s.size);
}

std::size_t JpegFile::exifOffset() const {
    return layout.exifIndex ? layout.segments[*layout.exifIndex].offset : layout.exifInsertOffset();
}

ImageResolution JpegFile::resolution() const {
    const auto density = jfifDensity(head, layout);
    return density ? ImageResolution{density->x, density->y, density->unit} : ImageResolution{};
}

bool JpegFile::decodeXmp(Exiv2::XmpData& xmp) const {
    constexpr std::string_view kXmpId("http://ns.adobe.com/xap/1.0/\0", 29);
    const auto bytes = segmentWith(0xE1, kXmpId);
    return bytes && Exiv2::XmpParser::decode(xmp, std::string(bytes->substr(kXmpId.size()))) == 0;
}

bool JpegFile::decodeIptc(Exiv2::IptcData& iptc) const {
    constexpr std::string_view kPhotoshopId("Photoshop 3.0\0", 14);
    const auto bytes = segmentWith(0xED, kPhotoshopId);
    if (!bytes)
        return false;
    const std::string_view resources = bytes->substr(kPhotoshopId.size());
    const Exiv2::byte* record = nullptr;
    std::uint32_t headerSize = 0;
    std::uint32_t dataSize = 0;
    if (Exiv2::Photoshop::locateIptcIrb(bytePointer(resources), static_cast<long>(resources.size()),
                                        &record, &headerSize, &dataSize) != 0 ||
        record == nullptr)
        return false;
    return Exiv2::IptcParser::decode(iptc, record + headerSize, dataSize) == 0;
}

std::optional<std::string_view> JpegFile::segmentWith(unsigned marker, std::string_view id) const {
    for (const JpegHead::Segment& s : layout.segments) {
        const std::string_view bytes = std::string_view(head).substr(s.offset, s.size);
        if (s.marker == marker && bytes.size() > 4 + id.size() && bytes.substr(4, id.size()) == id)
            return bytes.substr(4);
    }
    return std::nullopt;
}

std::string loadJpeg(const std::string& path, JpegFile& file, std::string firstBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fileErrorText(path);
    file.head = std::move(firstBytes);
    HeadReader reader(fd, file.head);
    std::string error = readSegments(path, reader, file);
    ::close(fd);
    return error;
}

std::string replaceExifSegment(const std::string& path, const FileStamp& stamp,
                               const JpegFile& file, const std::string& segment) {
    std::size_t cutFrom = file.layout.exifInsertOffset();
    std::size_t cutTo = cutFrom;
    if (file.layout.exifIndex) {
        const JpegHead::Segment& s = file.layout.segments[*file.layout.exifIndex];
        cutFrom = s.offset;
        cutTo = s.offset + s.size;
    }
    const std::string_view head(file.head);
    const std::size_t scan = file.layout.scanOffset;
    return replaceFile(path, stamp,
                       {ContentPiece::memory(head.substr(0, cutFrom)),
                        ContentPiece::memory(segment),
                        ContentPiece::memory(head.substr(cutTo, scan - cutTo)),
                        ContentPiece::original(static_cast<std::int64_t>(scan),
                                               stamp.size - static_cast<std::int64_t>(scan))});
}

} // namespace tk::photos::exiv
