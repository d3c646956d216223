// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliArgs.h"

namespace tk::cli {

// geotag: writes the positions of the project's tracks into photos (or undoes that with --undo).
int runGeotag(const CliArgs& args);

} // namespace tk::cli
