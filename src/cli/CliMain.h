// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliArgs.h"

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace tk::cli {

using Command = int (*)(const CliArgs& args);
using CommandTable = std::map<std::string, Command, std::less<>>;

// True for the commands that talk to the logger. They need Qt, so they live in the program
// trailkeep-cli-device beside trailkeep-cli, and the track commands start without loading Qt.
bool isDeviceCommand(std::string_view name);
// True for geotag: it reads and writes photos with exiv2, so it lives in trailkeep-cli-photos
// beside trailkeep-cli, and the other commands start without loading exiv2.
bool isPhotoCommand(std::string_view name);

// Parses the command line (the help for --help or -h, the version for --version), runs the named command of the
// table and turns its errors into one line on stderr and the exit status: 2 for a usage error,
// 1 for a failed command.
// Options only one program's commands take, beside the shared ones.
struct OptionNames {
    std::set<std::string> values;
    std::set<std::string> flags;
};

int runCli(int argc, char** argv, const CommandTable& commands, const OptionNames& extra = {});

// ModuleDir: the folder of the executable, where language.ini, the firmware images and
// trailkeep-cli-device and trailkeep-cli-photos lie.
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
