// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/VideoMetadata.h"

#include "files/FileIO.h"

#include <MediaInfo/MediaInfo.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tk::photos {
namespace {

using MediaInfoLib::MediaInfo;
using MediaInfoLib::String;

// MediaInfoLib's fields hold ASCII here (dates, numbers, format names).
std::string narrow(const String& text) {
    std::string out;
    out.reserve(text.size());
    for (const auto c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

String wide(std::string_view text) {
    return String(text.begin(), text.end());
}

std::string field(MediaInfo& info, std::string_view name) {
    return narrow(info.Get(MediaInfoLib::Stream_General, 0, wide(name)));
}

// Feeds the file to MediaInfoLib from our own descriptor, going where it asks: it reads only the
// parts that hold the metadata, and the file's name never needs converting to its string type.
bool parseFile(MediaInfo& info, int fd, std::int64_t size) {
    std::vector<unsigned char> buffer(64 * 1024);
    std::int64_t at = 0;
    info.Open_Buffer_Init(static_cast<ZenLib::int64u>(size), 0);
    for (int reads = 0; reads < 100000; ++reads) {
        const ssize_t n = ::pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        const std::size_t status =
            info.Open_Buffer_Continue(buffer.data(), static_cast<std::size_t>(n));
        if (status & 0x08) // finished
            break;
        const ZenLib::int64u next = info.Open_Buffer_Continue_GoTo_Get();
        if (next != static_cast<ZenLib::int64u>(-1)) {
            at = static_cast<std::int64_t>(next);
            info.Open_Buffer_Init(static_cast<ZenLib::int64u>(size), next);
        } else {
            at += n;
        }
    }
    info.Open_Buffer_Finalize();
    return !field(info, "Format").empty();
}

// Digits of text from at, count of them exactly; -1 when they are not there.
int digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// One signed decimal number of an ISO 6709 text from at; at moves past it.
std::optional<double> isoNumber(std::string_view text, std::size_t& at) {
    if (at >= text.size() || (text[at] != '+' && text[at] != '-'))
        return std::nullopt;
    std::size_t end = at + 1;
    while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == '.'))
        ++end;
    if (end == at + 1)
        return std::nullopt;
    const std::string number(text.substr(at, end - at));
    char* stop = nullptr;
    const double value = std::strtod(number.c_str(), &stop);
    if (stop != number.c_str() + number.size())
        return std::nullopt;
    at = end;
    return value;
}

} // namespace

std::optional<ClockTime> parseVideoTime(std::string_view text, bool& utc) {
    utc = false;
    std::string_view time = text;
    std::string zone;
    if (time.starts_with("UTC ")) {
        time.remove_prefix(4);
        zone = "Z";
    } else if (time.ends_with(" UTC")) {
        time.remove_suffix(4);
        zone = "Z";
    } else if (time.size() > 5 && (time[time.size() - 5] == '+' || time[time.size() - 5] == '-') &&
               digits(time, time.size() - 4, 4) >= 0) {
        // "+0200" as "+02:00"
        zone = std::string(time.substr(time.size() - 5, 3)) + ":" +
               std::string(time.substr(time.size() - 2));
        time.remove_suffix(5);
    }
    const std::string iso = std::string(time) + zone;
    const auto zoned = parseIsoTime(iso);
    if (!zoned || zoned->time.civil.year < 1971)
        return std::nullopt; // QuickTime's zero time (1904) is no time
    if (!zoned->offset)
        return zoned->time;
    utc = true;
    const CivilTime& c = zoned->time.civil;
    ClockTime inUtc = zoned->time;
    inUtc.civil =
        civilTime(utcSeconds(c.year, c.month, c.day, c.hour, c.minute, c.second) - *zoned->offset);
    return inUtc;
}

std::optional<Position> parseIso6709(std::string_view text) {
    std::size_t at = 0;
    const auto latitude = isoNumber(text, at);
    const auto longitude = latitude ? isoNumber(text, at) : std::nullopt;
    if (!longitude || std::abs(*latitude) > 90 || std::abs(*longitude) > 180)
        return std::nullopt;
    Position position{*latitude, *longitude};
    if (const auto altitude = isoNumber(text, at))
        position.altitude = *altitude;
    return position;
}

VideoMetadata readVideoMetadata(const std::string& path) {
    VideoMetadata video;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        video.error = fileErrorText(path);
        if (fd >= 0)
            ::close(fd);
        return video;
    }
    // Photos are read on several threads; MediaInfoLib has had thread-safety faults with some
    // formats, and videos are few, so they are read one at a time.
    static std::mutex oneAtATime;
    std::lock_guard guard(oneAtATime);
    MediaInfo info;
    const bool parsed = parseFile(info, fd, st.st_size);
    ::close(fd);
    if (!parsed) {
        video.error = path + ": not a video that MediaInfoLib can read";
        return video;
    }
    video.format = field(info, "Format");
    // A phone's own record of the moment, with its zone, comes first; then the file's creation
    // time (UTC in QuickTime and MPEG-4 files), then the time a camcorder recorded.
    for (const char* name : {"com.apple.quicktime.creationdate", "Encoded_Date", "Recorded_Date"}) {
        bool utc = false;
        if (const auto time = parseVideoTime(field(info, name), utc)) {
            const bool quickTime =
                std::string_view(name) == "Encoded_Date" && video.format == "MPEG-4";
            video.time = time;
            video.utc = utc || quickTime;
            break;
        }
    }
    for (const char* name : {"com.apple.quicktime.location.ISO6709", "xyz", "Recorded_Location"})
        if (!video.position)
            video.position = parseIso6709(field(info, name));
    return video;
}

} // namespace tk::photos
