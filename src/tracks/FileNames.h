// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace tk {

// The path with ext appended unless its last bytes are exactly ext (case-sensitive, so
// "ride.KML" gets ".kml" too); a path shorter than ext always gets it.
std::string withExtension(std::string path, std::string_view ext);

} // namespace tk
