// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliOutput.h"

#include <cstdio>

namespace tk::cli {

void warn(const std::string& message) {
    std::fprintf(stderr, "trailkeep-cli: %s\n", message.c_str());
}

} // namespace tk::cli
