// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/ExivWholeImage.h"

#include "files/FileIO.h"
#include "photos/ExivTags.h"

#include <exiv2/webpimage.hpp>

namespace tk::photos::exiv {
namespace {

// The image as exiv2 wrote it into its memory copy; false when exiv2 cannot give it back.
bool writtenBytes(Exiv2::Image& image, std::string& out) {
    Exiv2::BasicIo& io = image.io();
    if (io.open() != 0)
        return false;
    out.assign(static_cast<std::size_t>(io.size()), '\0');
    const long got =
        io.read(reinterpret_cast<Exiv2::byte*>(out.data()), static_cast<long>(out.size()));
    io.close();
    return got == static_cast<long>(out.size());
}

} // namespace

std::string openWhole(const std::string& path, const FileStamp& stamp, WholeImage& whole) {
    auto bytes = readFileBytes(path);
    if (!bytes)
        return fileErrorText(path);
    if (static_cast<std::int64_t>(bytes->size()) != stamp.size)
        return failure(path, "the file changed while it was being geotagged");
    whole.bytes = std::move(*bytes);
    whole.image =
        Exiv2::ImageFactory::open(bytePointer(whole.bytes), static_cast<long>(whole.bytes.size()));
    whole.image->readMetadata();
    return {};
}

MetadataSignature signatureOf(Exiv2::Image& image) {
    MetadataSignature s;
    s.exif = exifSignature(image.exifData());
    s.iptc = iptcLines(image.iptcData());
    s.xmpPacket = image.xmpPacket();
    s.comment = image.comment();
    if (image.iccProfileDefined()) {
        const Exiv2::DataBuf* icc = image.iccProfile();
        s.icc = hashOf(std::string_view(reinterpret_cast<const char*>(icc->pData_),
                                        static_cast<std::size_t>(icc->size_)));
    }
    return s;
}

std::string saveWhole(const std::string& path, const FileStamp& stamp, WholeImage& whole,
                      const MetadataSignature& expected, const KeepBefore& keep,
                      JournalEntry entry) {
    whole.image->writeXmpFromPacket(true);
    whole.image->writeMetadata();
    std::string out;
    if (!writtenBytes(*whole.image, out))
        return failure(path, "exiv2 could not give back the written image");
    const std::vector<std::string> gps = gpsTagLines(whole.image->exifData());
    Exiv2::Image::AutoPtr check =
        Exiv2::ImageFactory::open(bytePointer(out), static_cast<long>(out.size()));
    check->readMetadata();
    if (!(signatureOf(*check) == expected))
        return failure(path,
                       "exiv2 would change other metadata of this photo; it was left as it was");
    if (!sameGps(gpsTagLines(check->exifData()), gps))
        return failure(path, "exiv2 did not keep the GPS tags; the photo was left as it was");
    if (keep) {
        const std::string error = keep(entry);
        if (!error.empty())
            return error;
    }
    return replaceFile(path, stamp, {ContentPiece::memory(out)});
}

// Of the raw formats exiv2 reads as TIFF, it writes only these; the others (ARW, SR2, SRW, 3FR,
// ERF, IIQ, MEF, MOS, KDC, DCR...) get a sidecar.
bool writtenAsTiff(const std::string& path) {
    const auto dot = path.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : path.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    for (const char* writable : {"tif", "tiff", "dng", "nef", "nrw", "pef"})
        if (extension == writable)
            return true;
    return false;
}

std::string formatName(int type) {
    switch (type) {
    case Exiv2::ImageType::jpeg:
        return "JPEG";
    case Exiv2::ImageType::tiff:
        return "TIFF";
    case Exiv2::ImageType::png:
        return "PNG";
    case Exiv2::ImageType::webp:
        return "WebP";
    case Exiv2::ImageType::cr2:
        return "CR2";
    case Exiv2::ImageType::crw:
        return "CRW";
    case Exiv2::ImageType::orf:
        return "ORF";
    case Exiv2::ImageType::rw2:
        return "RW2";
    case Exiv2::ImageType::raf:
        return "RAF";
    case Exiv2::ImageType::mrw:
        return "MRW";
    case Exiv2::ImageType::bmff:
        return "BMFF (CR3, HEIF, AVIF)";
    case Exiv2::ImageType::gif:
        return "GIF";
    case Exiv2::ImageType::bmp:
        return "BMP";
    case Exiv2::ImageType::psd:
        return "PSD";
    default:
        break;
    }
    return "image type " + std::to_string(type);
}

} // namespace tk::photos::exiv
