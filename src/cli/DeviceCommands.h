// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliArgs.h"

namespace tk::cli {

// The commands that talk to the logger over a serial port.
int runRead(const CliArgs& args);
int runSettings(const CliArgs& args);
int runConfig(const CliArgs& args);
int runClear(const CliArgs& args);
int runTimeZone(const CliArgs& args);
int runUpgrade(const CliArgs& args);

} // namespace tk::cli
