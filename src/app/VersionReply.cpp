// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/VersionReply.h"

#include <algorithm>
#include <iterator>

namespace tk {

std::string joinReplyLines(std::string_view body) {
    std::string joined;
    joined.reserve(body.size());
    std::copy_if(body.begin(), body.end(), std::back_inserter(joined),
                 [](char c) { return c != '\r' && c != '\n'; });
    return joined;
}

bool isNewerVersion(std::string_view reply) {
    return !reply.empty() && static_cast<signed char>(reply.front()) > kOwnVersionLetter;
}

} // namespace tk
