// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliMain.h"

#include "cli/CliHelp.h"
#include "cli/CliOutput.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace tk::cli {
namespace {

constexpr std::array<std::string_view, 6> kDeviceCommands = {"read",  "settings", "config",
                                                             "clear", "timezone", "upgrade"};

// Which program runs a command table: trailkeep-cli runs the track commands itself and hands the
// others to its two helpers, which run the logger commands and geotag.
CliProgram programOf(const CommandTable& commands) {
    if (commands.count("tracks"))
        return CliProgram::Cli;
    return commands.count("geotag") ? CliProgram::Photos : CliProgram::Device;
}

} // namespace

bool isPhotoCommand(std::string_view name) {
    return name == "geotag";
}

bool isDeviceCommand(std::string_view name) {
    for (const std::string_view command : kDeviceCommands)
        if (command == name)
            return true;
    return false;
}

int runCli(int argc, char** argv, const CommandTable& commands, const OptionNames& extra) {
    const std::string_view first = argc >= 2 ? argv[1] : "";
    if (first == "--help" || first == "-h") {
        std::fputs(cliHelp(programOf(commands)).c_str(), stdout);
        return 0;
    }
    if (first == "--version") {
        std::fputs(cliVersion(programOf(commands)).c_str(), stdout);
        return 0;
    }
    try {
        std::set<std::string> values = {"--track",          "-o",       "--color", "--weight",
                                        "--speed",          "--port",   "--step",  "--unit",
                                        "--offset",         "--images", "--seed",  "--moving-speed",
                                        "--climb-threshold"};
        std::set<std::string> flags = {"--json", "--rejects", "--yes", "--full"};
        values.insert(extra.values.begin(), extra.values.end());
        flags.insert(extra.flags.begin(), extra.flags.end());
        const CliArgs args = parseArgs(argc, argv, values, flags);
        const auto command = commands.find(args.command);
        if (command == commands.end())
            throw UsageError{"unknown command '" + args.command + "'"};
        return command->second(args);
    } catch (const UsageError& e) {
        warn(e.message + " (see trailkeep-cli --help)");
        return 2;
    } catch (const CommandError& e) {
        warn(e.message);
        return 1;
    }
}

std::filesystem::path moduleDir() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : exe.parent_path();
}

namespace {

bool isPackage(const std::filesystem::path& dir) {
    return dir.filename() == "trailkeep" && dir.parent_path().filename() == "share";
}

// The desktop program's per-user folder ($XDG_DATA_HOME/Trailkeep, ~/.local/share/Trailkeep).
std::filesystem::path userDir() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/')
        return std::filesystem::path(data) / "Trailkeep";
    const char* home = std::getenv("HOME");
    return home && *home ? std::filesystem::path(home) / ".local/share/Trailkeep"
                         : std::filesystem::path();
}

} // namespace

std::filesystem::path dataDir() {
    const std::filesystem::path shared =
        (moduleDir().parent_path() / "share" / "trailkeep").lexically_normal();
    std::error_code error;
    return std::filesystem::exists(shared / "language.ini", error) ? shared : moduleDir();
}

std::filesystem::path languageFile() {
    const std::filesystem::path dir = dataDir();
    std::error_code error;
    const std::filesystem::path user = userDir() / "language.ini";
    if (isPackage(dir) && !userDir().empty() && std::filesystem::exists(user, error))
        return user;
    return dir / "language.ini";
}

std::filesystem::path firmwareDir() {
    const std::filesystem::path dir = dataDir();
    return isPackage(dir) && !userDir().empty() ? userDir() : dir;
}

} // namespace tk::cli
