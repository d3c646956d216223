#include "cli/CliArgs.h"
#include "cli/CliOutput.h"
#include "cli/DeviceCommands.h"
#include "cli/TrackCommands.h"

#include <cstdio>
#include <functional>
#include <map>

namespace {

constexpr const char* kUsage =
    "usage: trailkeep-cli COMMAND ...\n"
    "  tracks FILE [--json] [--rejects]\n"
    "  kml FILE --track N -o OUT\n"
    "  datajs FILE --track N -o OUT [--color RRGGBB] [--weight W] [--speed S]\n"
    "  gpx FILE [--track N] -o OUT\n"
    "  read [--port DEV] -o OUT.gpl\n"
    "  settings [--port DEV]\n"
    "  config [--port DEV] [--step 1|3|5|10] [--unit kph|mph]\n"
    "  clear [--port DEV] --yes\n"
    "  timezone [--port DEV] [--offset HOURS]\n"
    "  upgrade [--port DEV] [--images DIR]\n"
    "  demo -o OUT.gpl [--seed N] [--full]\n";

using Command = std::function<int(const tk::cli::CliArgs&)>;

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"tracks", tk::cli::runTracks},     {"kml", tk::cli::runKml},
        {"datajs", tk::cli::runDataJs},     {"gpx", tk::cli::runGpx},
        {"demo", tk::cli::runDemo},         {"read", tk::cli::runRead},
        {"settings", tk::cli::runSettings}, {"config", tk::cli::runConfig},
        {"clear", tk::cli::runClear},       {"timezone", tk::cli::runTimeZone},
        {"upgrade", tk::cli::runUpgrade},
    };
    return table;
}

} // namespace

int main(int argc, char** argv) {
    using namespace tk::cli;
    if (argc >= 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    try {
        const CliArgs args = parseArgs(argc, argv,
                                       {"--track", "-o", "--color", "--weight", "--speed", "--port",
                                        "--step", "--unit", "--offset", "--images", "--seed"},
                                       {"--json", "--rejects", "--yes", "--full"});
        const auto command = commands().find(args.command);
        if (command == commands().end())
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
