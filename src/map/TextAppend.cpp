// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/TextAppend.h"

#include <charconv>
#include <iterator>
#include <utility>

namespace tk::text {

// Room for one chunk and the item that crosses its end, so the text never grows while draining.
TextOut::TextOut(Drain drain) : drain_(std::move(drain)) {
    text.reserve(kChunk + 4096);
}

void TextOut::finish() {
    if (drain_ && !text.empty())
        spill();
}

void TextOut::spill() {
    drain_(text);
    text.clear();
}

void appendFixed(std::string& out, double value, int decimals) {
    // Wide enough for the largest double in fixed notation with the decimals we use.
    char buffer[400];
    const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value,
                                      std::chars_format::fixed, decimals);
    out.append(buffer, result.ptr);
}

void appendInt(std::string& out, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value);
    out.append(buffer, result.ptr);
}

void appendTwoDigits(std::string& out, std::uint32_t value) {
    if (value < 10)
        out += '0';
    appendInt(out, value);
}

void appendClock(std::string& out, std::int32_t timeOfDay) {
    const auto t = static_cast<std::uint32_t>(timeOfDay);
    appendTwoDigits(out, t / 10000);
    out += ':';
    appendTwoDigits(out, t % 10000 / 100);
    out += ':';
    appendTwoDigits(out, t % 100);
}

void appendJsEscaped(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
}

void appendXmlEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
                out += c;
        }
    }
}

} // namespace tk::text
