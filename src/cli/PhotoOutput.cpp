// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/PhotoOutput.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace tk::cli {
namespace {

using photos::PhotoStatus;

} // namespace

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char code[8];
                std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned char>(c));
                out += code;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

namespace {

// The shortest text of the value rounded to the given decimals.
std::string number(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0)
        rounded = 0; // no "-0"
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, rounded);
    return std::string(text, result.ptr);
}

std::string orNull(bool present, const std::string& text) {
    return present ? text : "null";
}

std::string positionText(const photos::Position& p) {
    char text[128];
    std::snprintf(text, sizeof text, "%.7f, %.7f, %.1f m", p.latitude, p.longitude, p.altitude);
    return text;
}

std::size_t count(const std::vector<photos::PhotoResult>& results, PhotoStatus status) {
    return static_cast<std::size_t>(std::count_if(
        results.begin(), results.end(), [&](const auto& r) { return r.status == status; }));
}

std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

} // namespace

std::string geotagJson(const std::vector<photos::FoundPhoto>& found,
                       const std::vector<photos::PhotoResult>& results) {
    std::string out = "[";
    for (std::size_t i = 0; i < found.size() && i < results.size(); ++i) {
        const photos::PhotoResult& r = results[i];
        const bool position = r.position.has_value();
        out += i ? ",\n" : "\n";
        out +=
            "  {\"file\": " + jsonString(found[i].path) +
            ", \"status\": " + jsonString(photos::statusName(r.status)) + ", \"time\": " +
            orNull(r.utc.has_value(), r.utc ? jsonString(photos::isoUtcText(*r.utc)) : "") +
            ", \"track\": " + orNull(r.track != 0, std::to_string(r.track)) +
            ", \"latitude\": " + orNull(position, position ? number(r.position->latitude, 9) : "") +
            ", \"longitude\": " +
            orNull(position, position ? number(r.position->longitude, 9) : "") +
            ", \"altitude\": " + orNull(position, position ? number(r.position->altitude, 3) : "") +
            ", \"sidecar\": " + orNull(!r.sidecar.empty(), jsonString(r.sidecar)) +
            ", \"reason\": " + orNull(!r.reason.empty(), jsonString(r.reason)) + "}";
    }
    out += found.empty() ? "]\n" : "\n]\n";
    return out;
}

std::string geotagSummary(const std::vector<photos::PhotoResult>& results, bool dryRun) {
    std::string text =
        std::to_string(results.size()) + (results.size() == 1 ? " photo: " : " photos: ");
    text += std::to_string(count(results, dryRun ? PhotoStatus::wouldTag : PhotoStatus::tagged)) +
            (dryRun ? " would be tagged, " : " tagged, ");
    text += std::to_string(count(results, PhotoStatus::outside)) + " outside the tracks, ";
    text += std::to_string(count(results, PhotoStatus::gap)) + " in gaps, ";
    text += std::to_string(count(results, PhotoStatus::error)) + " errors";
    const std::pair<PhotoStatus, const char*> others[] = {
        {PhotoStatus::hasPosition, " with a position already"},
        {PhotoStatus::noTime, " without a time"},
        {PhotoStatus::unsupported, " unsupported"},
        {PhotoStatus::noOffset, " without a clock correction"},
        {dryRun ? PhotoStatus::tagged : PhotoStatus::wouldTag, " not written (cancelled)"}};
    for (const auto& [status, words] : others)
        if (const std::size_t n = count(results, status))
            text += ", " + std::to_string(n) + words;
    return text + "\n";
}

std::string geotagTable(const std::vector<photos::FoundPhoto>& found,
                        const std::vector<photos::PhotoResult>& results, bool dryRun) {
    std::size_t width = 4;
    for (const photos::FoundPhoto& f : found)
        width = std::max(width, f.path.size());
    width = std::min<std::size_t>(width, 60) + 2;
    std::string out = padded("FILE", width) + padded("STATUS", 14) + "POSITION OR REASON\n";
    for (std::size_t i = 0; i < found.size() && i < results.size(); ++i) {
        const photos::PhotoResult& r = results[i];
        std::string detail;
        if (r.position && (r.status == PhotoStatus::tagged || r.status == PhotoStatus::wouldTag)) {
            detail = positionText(*r.position) + " (track " + std::to_string(r.track) + ", " +
                     photos::isoUtcText(*r.utc) + ")";
            if (!r.sidecar.empty())
                detail += " in " + r.sidecar;
            if (!r.reason.empty())
                detail += "; " + r.reason;
        } else {
            detail = r.reason;
            if (r.position && r.status == PhotoStatus::hasPosition)
                detail += ": " + positionText(*r.position);
        }
        out +=
            padded(found[i].path, width) + padded(photos::statusName(r.status), 14) + detail + "\n";
    }
    return out + geotagSummary(results, dryRun);
}

std::string undoJson(const std::vector<photos::UndoResult>& results) {
    std::string out = "[";
    for (std::size_t i = 0; i < results.size(); ++i) {
        const photos::UndoResult& r = results[i];
        out += i ? ",\n" : "\n";
        out += "  {\"file\": " + jsonString(r.file) + ", \"status\": " + jsonString(r.status) +
               ", \"reason\": " + orNull(!r.reason.empty(), jsonString(r.reason)) + "}";
    }
    out += results.empty() ? "]\n" : "\n]\n";
    return out;
}

std::string undoTable(const std::vector<photos::UndoResult>& results) {
    std::size_t width = 4;
    for (const photos::UndoResult& r : results)
        width = std::max(width, r.file.size());
    width = std::min<std::size_t>(width, 60) + 2;
    std::string out = padded("FILE", width) + padded("STATUS", 15) + "REASON\n";
    std::size_t restored = 0;
    std::size_t errors = 0;
    for (const photos::UndoResult& r : results) {
        out += padded(r.file, width) + padded(r.status, 15) + r.reason + "\n";
        restored += r.status == "restored";
        errors += r.status == "error";
    }
    return out + std::to_string(restored) + " restored, " + std::to_string(errors) + " errors\n";
}

} // namespace tk::cli
