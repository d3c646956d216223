// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace tk {

// The attribution of a map file made safe to show as markup: text and character references as
// they are, links (<a href="http(s)://...">) kept with their address only, every other tag
// dropped and stray '<', '>' and '&' escaped.
std::string safeAttribution(std::string_view markup);

} // namespace tk
