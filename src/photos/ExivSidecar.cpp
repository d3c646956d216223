// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/ExivSidecar.h"

#include "files/AtomicFile.h"
#include "files/FileIO.h"
#include "photos/ExivTags.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace tk::photos::exiv {
namespace {

constexpr const char* kUnreadable = "the sidecar is no longer XMP that exiv2 can read; it was left";

std::string encodeXmp(const Exiv2::XmpData& xmp, std::string& packet) {
    if (Exiv2::XmpParser::encode(packet, xmp, Exiv2::XmpParser::useCompactFormat, 0) != 0)
        return "exiv2 cannot write the XMP sidecar";
    if (packet.rfind("<?xml", 0) != 0)
        packet = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + packet;
    return {};
}

std::string writeXmp(const std::string& path, const Exiv2::XmpData& xmp) {
    std::string packet;
    const std::string error = encodeXmp(xmp, packet);
    return error.empty() ? writeFileAtomically(path, packet) : failure(path, error);
}

bool decodeXmp(const std::string& bytes, Exiv2::XmpData& xmp) {
    return bytes.empty() || Exiv2::XmpParser::decode(xmp, bytes) == 0;
}

bool isGpsKey(const Exiv2::Xmpdatum& d) {
    return std::find_if(std::begin(kXmpGpsKeys), std::end(kXmpGpsKeys),
                        [&](const char* k) { return d.key() == k; }) != std::end(kXmpGpsKeys);
}

// The run made the sidecar: its GPS properties go, and the file too when nothing else is left.
std::string undoCreatedSidecar(const std::string& path, const std::optional<std::string>& current,
                               bool& unchanged) {
    if (!current)
        return {};
    Exiv2::XmpData xmp;
    if (!decodeXmp(*current, xmp))
        return failure(path, kUnreadable);
    eraseXmpGps(xmp);
    unchanged = false;
    if (!xmp.empty())
        return writeXmp(path, xmp);
    if (::unlink(path.c_str()) != 0)
        return fileErrorText(path);
    return {};
}

// The sidecar was there before the run: its old bytes go back when only the position differs,
// else only its old GPS properties.
std::string undoChangedSidecar(const std::string& path, const std::string& current,
                               const std::string& before) {
    Exiv2::XmpData now;
    Exiv2::XmpData old;
    if (!decodeXmp(current, now) || !decodeXmp(before, old))
        return failure(path, kUnreadable);
    if (xmpLines(now, false) == xmpLines(old, false))
        return writeFileAtomically(path, before);
    eraseXmpGps(now);
    for (const Exiv2::Xmpdatum& d : old)
        if (isGpsKey(d))
            now.add(d);
    return writeXmp(path, now);
}

} // namespace

std::string writeSidecar(const PhotoInfo& info, const Position& position, double utc,
                         const KeepBefore& keep, bool& unchanged) {
    const std::string path = sidecarPath(info.path);
    const auto current = readFileBytes(path);
    if (!current && errno != ENOENT)
        return fileErrorText(path);
    if (current.has_value() != info.sidecarExists ||
        (current && hashOf(*current) != info.sidecarHash))
        return failure(path, "the sidecar changed while the photo was being geotagged");
    Exiv2::XmpData xmp;
    if (current && !decodeXmp(*current, xmp))
        return failure(path, "the existing sidecar is not XMP that exiv2 can read");
    const std::vector<std::string> before = xmpLines(xmp, true);
    setXmpGps(xmp, xmpGpsTexts(position, utc));
    if (current && xmpLines(xmp, true) == before) {
        unchanged = true;
        return {};
    }
    std::string packet;
    std::string error = encodeXmp(xmp, packet);
    if (!error.empty())
        return failure(path, error);
    JournalEntry entry;
    entry.sidecar = nameOfPath(path);
    entry.sidecarCreated = !current;
    entry.sidecarBefore = current.value_or(std::string());
    error = keep(entry);
    return error.empty() ? writeFileAtomically(path, packet) : error;
}

std::string undoSidecar(const std::string& folder, const JournalEntry& entry, bool& unchanged) {
    unchanged = true;
    if (entry.sidecar.empty())
        return {};
    const std::string path = folder + "/" + entry.sidecar;
    const auto current = readFileBytes(path);
    if (!current && errno != ENOENT)
        return fileErrorText(path);
    if (entry.sidecarCreated)
        return undoCreatedSidecar(path, current, unchanged);
    if (current && *current == entry.sidecarBefore)
        return {};
    unchanged = false;
    if (!current)
        return writeFileAtomically(path, entry.sidecarBefore);
    return undoChangedSidecar(path, *current, entry.sidecarBefore);
}

} // namespace tk::photos::exiv
