// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/GpsTags.h"

#include "photos/PhotoTime.h"
#include "tracks/CivilTime.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tk::photos {
namespace {

std::string rationalText(const Rational& r) {
    return std::to_string(r.numerator) + "/" + std::to_string(r.denominator);
}

std::string dmsText(double degrees) {
    const auto dms = dmsRationals(degrees);
    return rationalText(dms[0]) + " " + rationalText(dms[1]) + " " + rationalText(dms[2]);
}

// |value| to a thousandth.
std::string thousandthsText(double value) {
    const double scaled = std::round(std::abs(value) * 1000.0);
    const auto n = static_cast<std::uint32_t>(std::min(scaled, 4294967295.0));
    return std::to_string(n) + "/1000";
}

struct UtcParts {
    CivilTime civil;
    int millis = 0;
};

UtcParts utcParts(double utc) {
    const std::int64_t ms = roundedMilliseconds(utc);
    const std::int64_t seconds = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
    return {civilTime(seconds), static_cast<int>(ms - seconds * 1000)};
}

// "48,51.12345678N": whole degrees and decimal minutes to 1e-8 minute (0.02 mm).
std::string xmpCoordinate(double degrees, char positive, char negative) {
    const double a = std::abs(degrees);
    long long scaled = std::llround(a * 60.0 * 1e8); // hundred-millionths of a minute
    const long long whole = scaled / (60LL * 100000000LL);
    scaled -= whole * 60LL * 100000000LL;
    char text[64];
    std::snprintf(text, sizeof text, "%lld,%lld.%08lld%c", whole, scaled / 100000000LL,
                  scaled % 100000000LL, degrees < 0 ? negative : positive);
    return text;
}

// "48/1 51/1 2345678/1000000" as numerator and denominator in turn.
std::vector<std::uint32_t> rationalNumbers(const std::string& text) {
    std::vector<std::uint32_t> numbers;
    const char* at = text.c_str();
    while (*at) {
        char* end = nullptr;
        numbers.push_back(static_cast<std::uint32_t>(std::strtoul(at, &end, 10)));
        at = *end ? end + 1 : end;
    }
    return numbers;
}

tiff::Field asciiField(std::uint16_t tag, const std::string& text) {
    return {tag, static_cast<std::uint16_t>(tiff::Type::ascii), {}, text + '\0'};
}

tiff::Field byteField(std::uint16_t tag, const std::string& text) {
    tiff::Field f{tag, static_cast<std::uint16_t>(tiff::Type::byte), {}, {}};
    for (const std::uint32_t n : rationalNumbers(text))
        f.bytes += static_cast<char>(n);
    return f;
}

tiff::Field rationalField(std::uint16_t tag, const std::string& text) {
    return {tag, static_cast<std::uint16_t>(tiff::Type::rational), rationalNumbers(text), {}};
}

} // namespace

std::vector<tiff::Field> exifGpsFields(const ExifGpsTexts& t) {
    return {byteField(0x0000, t.versionId),     asciiField(0x0001, t.latitudeRef),
            rationalField(0x0002, t.latitude),  asciiField(0x0003, t.longitudeRef),
            rationalField(0x0004, t.longitude), byteField(0x0005, t.altitudeRef),
            rationalField(0x0006, t.altitude),  rationalField(0x0007, t.timeStamp),
            asciiField(0x000C, t.speedRef),     rationalField(0x000D, t.speed),
            asciiField(0x0012, t.mapDatum),     asciiField(0x001D, t.dateStamp)};
}

std::array<Rational, 3> dmsRationals(double degrees) {
    // Whole millionths of a second, split afterwards so rounding never gives 60 seconds.
    constexpr long long kPerSecond = 1000000;
    const long long total = std::llround(std::abs(degrees) * 3600.0 * kPerSecond);
    const long long wholeDegrees = total / (3600 * kPerSecond);
    const long long minutes = total / (60 * kPerSecond) % 60;
    const long long micro = total % (60 * kPerSecond);
    return {Rational{static_cast<std::uint32_t>(wholeDegrees), 1},
            Rational{static_cast<std::uint32_t>(minutes), 1},
            Rational{static_cast<std::uint32_t>(micro), static_cast<std::uint32_t>(kPerSecond)}};
}

ExifGpsTexts exifGpsTexts(const Position& position, double utc) {
    ExifGpsTexts t;
    t.latitudeRef = position.latitude < 0 ? "S" : "N";
    t.latitude = dmsText(position.latitude);
    t.longitudeRef = position.longitude < 0 ? "W" : "E";
    t.longitude = dmsText(position.longitude);
    t.altitudeRef = position.altitude < 0 ? "1" : "0";
    t.altitude = thousandthsText(position.altitude);
    const UtcParts parts = utcParts(utc);
    t.timeStamp = std::to_string(parts.civil.hour) + "/1 " + std::to_string(parts.civil.minute) +
                  "/1 " + std::to_string(parts.civil.second * 1000 + parts.millis) + "/1000";
    char date[16];
    std::snprintf(date, sizeof date, "%04d:%02d:%02d", parts.civil.year, parts.civil.month,
                  parts.civil.day);
    t.dateStamp = date;
    t.speed = thousandthsText(position.speed);
    return t;
}

XmpGpsTexts xmpGpsTexts(const Position& position, double utc) {
    XmpGpsTexts t;
    t.latitude = xmpCoordinate(position.latitude, 'N', 'S');
    t.longitude = xmpCoordinate(position.longitude, 'E', 'W');
    t.altitudeRef = position.altitude < 0 ? "1" : "0";
    t.altitude = thousandthsText(position.altitude);
    t.timeStamp = isoUtcText(utc);
    t.speed = thousandthsText(position.speed);
    return t;
}

std::optional<double> degreesFromRationals(const std::array<Rational, 3>& dms, char reference,
                                           char negative, char positive) {
    if (reference != negative && reference != positive)
        return std::nullopt;
    double value = 0;
    double scale = 1;
    for (const Rational& r : dms) {
        if (r.denominator == 0)
            return std::nullopt;
        value += static_cast<double>(r.numerator) / r.denominator / scale;
        scale *= 60;
    }
    return reference == negative ? -value : value;
}

std::optional<double> degreesFromXmp(const std::string& text) {
    if (text.size() < 3)
        return std::nullopt;
    const char reference = text.back();
    if (reference != 'N' && reference != 'S' && reference != 'E' && reference != 'W')
        return std::nullopt;
    const std::string body = text.substr(0, text.size() - 1);
    const auto comma = body.find(',');
    if (comma == std::string::npos)
        return std::nullopt;
    char* end = nullptr;
    const double degrees = std::strtod(body.c_str(), &end);
    if (end != body.c_str() + comma)
        return std::nullopt;
    std::string rest = body.substr(comma + 1);
    double minutes = 0;
    const auto second = rest.find(',');
    if (second != std::string::npos) {
        const double m = std::strtod(rest.c_str(), &end);
        if (end != rest.c_str() + second)
            return std::nullopt;
        const double s = std::strtod(rest.c_str() + second + 1, &end);
        if (*end != '\0')
            return std::nullopt;
        minutes = m + s / 60;
    } else {
        minutes = std::strtod(rest.c_str(), &end);
        if (*end != '\0' || rest.empty())
            return std::nullopt;
    }
    const double value = degrees + minutes / 60;
    return reference == 'S' || reference == 'W' ? -value : value;
}

} // namespace tk::photos
