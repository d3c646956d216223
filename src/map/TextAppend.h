#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Small appenders shared by the track writers: locale-free, no stream, no allocation beyond the
// string's own growth.
namespace tk::text {

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
