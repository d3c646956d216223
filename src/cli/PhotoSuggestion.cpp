// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/PhotoSuggestion.h"

#include "cli/PhotoOutput.h"

#include <algorithm>
#include <cstdio>

namespace tk::cli {
namespace {

using photos::CameraSuggestion;

std::string offsetText(const photos::OffsetSuggestion& s) {
    if (!s.offset)
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%+.0f", *s.offset);
    return text;
}

std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

} // namespace

std::string suggestionJson(const std::vector<photos::FoundPhoto>& found,
                           const std::vector<CameraSuggestion>& suggestions) {
    std::string out = "{\"cameras\": [";
    for (std::size_t c = 0; c < suggestions.size(); ++c) {
        const CameraSuggestion& s = suggestions[c];
        std::string files;
        for (const std::size_t i : s.group.photos)
            files += (files.empty() ? "" : ", ") + jsonString(found.at(i).path);
        char offset[32] = "null";
        if (s.suggestion.offset)
            std::snprintf(offset, sizeof offset, "%.0f", *s.suggestion.offset);
        out += c ? ",\n" : "\n";
        out += "  {\"camera\": " + jsonString(photos::cameraLabel(s.group.camera)) +
               ", \"files\": [" + files +
               "], \"photos\": " + std::to_string(s.group.photos.size()) +
               ", \"offset\": " + offset +
               ", \"confidence\": " + jsonString(photos::confidenceName(s.suggestion.confidence)) +
               ", \"reason\": " + jsonString(s.suggestion.reason) + "}";
    }
    return out + (suggestions.empty() ? "]}\n" : "\n]}\n");
}

std::string suggestionTable(const std::vector<CameraSuggestion>& suggestions) {
    std::size_t width = 6;
    for (const CameraSuggestion& s : suggestions)
        width = std::max(width, photos::cameraLabel(s.group.camera).size());
    width = std::min<std::size_t>(width, 50) + 2;
    std::string out = padded("CAMERA", width) + padded("PHOTOS", 8) + padded("OFFSET", 9) +
                      padded("CONFIDENCE", 12) + "REASON\n";
    for (const CameraSuggestion& s : suggestions)
        out += padded(photos::cameraLabel(s.group.camera), width) +
               padded(std::to_string(s.group.photos.size()), 8) +
               padded(offsetText(s.suggestion), 9) +
               padded(photos::confidenceName(s.suggestion.confidence), 12) + s.suggestion.reason +
               "\n";
    return out;
}

} // namespace tk::cli
