// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Small appenders shared by the track writers: locale-free, no stream, no allocation beyond the
// string's own growth.
namespace tk::text {

// Where a writer puts its text. Without a drain the whole document stays in text; with one,
// spillIfFull() hands text to the drain whenever it holds a chunk and finish() hands over the
// rest, so a long export needs memory for about one chunk only.
class TextOut {
public:
    using Drain = std::function<void(std::string_view)>;
    static constexpr std::size_t kChunk = 32 * 1024;

    TextOut() = default;
    explicit TextOut(Drain drain);

    // Writers call this between items (a point, a row), never inside one.
    void spillIfFull() {
        if (text.size() >= kChunk && drain_)
            spill();
    }
    // Hands over what is left when there is a drain; the text stays otherwise.
    void finish();

    std::string text;

private:
    void spill();

    Drain drain_;
};

// Like printf "%.*f" in the C locale ("-" for negative values).
void appendFixed(std::string& out, double value, int decimals);

void appendInt(std::string& out, std::int64_t value);

// At least two digits, with a leading zero ("%02d" for values >= 0).
void appendTwoDigits(std::string& out, std::uint32_t value);

// A time of day hh*10000 + mm*100 + ss as "hh:mm:ss".
void appendClock(std::string& out, std::int32_t timeOfDay);

// The text for a double-quoted JavaScript string: backslash, quote and control bytes escaped.
void appendJsEscaped(std::string& out, std::string_view text);

// The text for XML character data or an attribute value; control bytes that XML 1.0 forbids
// are dropped.
void appendXmlEscaped(std::string& out, std::string_view text);

} // namespace tk::text
