#pragma once

#include "cli/CliArgs.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace tk::cli {

using Command = int (*)(const CliArgs& args);
using CommandTable = std::map<std::string, Command, std::less<>>;

// True for the commands that talk to the logger. They need Qt, so they live in the program
// trailkeep-cli-device beside trailkeep-cli, and the track commands start without loading Qt.
bool isDeviceCommand(std::string_view name);

// Parses the command line (the usage text for --help or -h), runs the named command of the
// table and turns its errors into one line on stderr and the exit status: 2 for a usage error,
// 1 for a failed command.
int runCli(int argc, char** argv, const CommandTable& commands);

// The folder of the executable, where trailkeep-cli-device lies.
std::filesystem::path moduleDir();

// The folder of language.ini: share/trailkeep beside the executable's folder (an installed or
// unpacked package), else the executable's own folder.
std::filesystem::path dataDir();

// The language file in force: a package's own, unless the desktop program keeps the user's copy
// (with the user's language setting) in the per-user folder.
std::filesystem::path languageFile();

// Where the firmware images are looked for without --images: the program's folder, or for a
// package the per-user folder (a package's folder is the system's).
std::filesystem::path firmwareDir();

} // namespace tk::cli
