// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliMain.h"

#include "cli/CliOutput.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace tk::cli {
namespace {

constexpr const char* kUsage =
    "usage: trailkeep-cli COMMAND ...\n"
    "  tracks FILE [--json] [--rejects]\n"
    "  stats FILE [--track N] [--moving-speed KMH] [--climb-threshold M] [--json]\n"
    "  kml FILE --track N -o OUT\n"
    "  datajs FILE --track N -o OUT [--color RRGGBB] [--weight W] [--speed S]\n"
    "  gpx FILE [--track N] -o OUT\n"
    "  read [--port DEV] -o OUT.gpl\n"
    "  settings [--port DEV]\n"
    "  config [--port DEV] [--step 1|3|5|10] [--unit kph|mph]\n"
    "  clear [--port DEV] --yes\n"
    "  timezone [--port DEV] [--offset HOURS]\n"
    "  upgrade [--port DEV] [--images DIR]\n"
    "  demo -o OUT.gpl [--seed N] [--full]\n"
    "  geotag PROJECT.gpl PHOTO|FOLDER... [--track N] [--zone auto|+HH:MM]\n"
    "         [--offset SECONDS|auto] [--sync PHOTO=TIME]... [--max-gap SECONDS]\n"
    "         [--max-extrapolate SECONDS] [--overwrite] [--sidecar] [--dry-run] [--json]\n"
    "  geotag --suggest-offset PROJECT.gpl PHOTO|FOLDER... [--track N] [--zone auto|+HH:MM]\n"
    "         [--max-gap SECONDS] [--json]\n"
    "  geotag --undo PHOTO|FOLDER... [--json]\n";

constexpr std::array<std::string_view, 6> kDeviceCommands = {"read",  "settings", "config",
                                                             "clear", "timezone", "upgrade"};

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
    if (argc >= 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fputs(kUsage, stdout);
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
