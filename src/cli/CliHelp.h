// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace tk::cli {

// trailkeep-cli and the two programs it runs in its own place for some commands.
enum class CliProgram { Cli, Device, Photos };

// What --help prints: the usage, a description of every command the program runs (trailkeep-cli:
// every command, its helpers' included) with each option, the exit status and the files. The
// manual pages are made from it, and the shell completion reads the commands and options from it.
std::string cliHelp(CliProgram program);

// What --version prints: the program's name and version on one line.
std::string cliVersion(CliProgram program);

} // namespace tk::cli
