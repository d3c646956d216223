// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tk::formats {

// A moment in UTC to the millisecond.
struct UtcInstant {
    std::int64_t seconds = 0; // since the epoch
    std::uint16_t millis = 0; // 0..999
};

// An XML Schema dateTime as track files write it: YYYY-MM-DDTHH:MM:SS, an optional fraction of
// any length (cut to milliseconds) and Z, +HH:MM, -HH:MM or no zone, which counts as UTC.
// Surrounding white space is allowed; anything else gives nothing.
std::optional<UtcInstant> parseXmlTime(std::string_view text);

} // namespace tk::formats
