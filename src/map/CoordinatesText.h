// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace tk {

// The status-bar text for a position a page reports: "Latitude:dd.mm.ss Longitude:ddd.mm.ss"
// with the given labels. Each argument is parsed like the C library's atof (leading blanks, sign,
// digits, point, exponent; 0 when nothing parses). Minutes come from the first two decimals and
// seconds from the next two, each scaled by 60/100: the display rule of the logger's tools.
std::string coordinatesText(std::string_view latitude, std::string_view longitude,
                            std::string_view latitudeLabel, std::string_view longitudeLabel);

// atof's value of the text, read without regard to the user's locale.
double parseLikeAtof(std::string_view text);

} // namespace tk
