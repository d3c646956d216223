// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliMain.h"
#include "cli/CliOutput.h"
#include "cli/TrackCommands.h"

#include <cerrno>
#include <cstring>
#include <malloc.h>
#include <unistd.h>

namespace {

// The device commands run as trailkeep-cli-device in this process's place, and geotag as
// trailkeep-cli-photos: same process, same arguments, terminal and exit status, while the track
// commands never load Qt or exiv2.
int runProgram(char** argv, const char* name) {
    const std::string program = (tk::cli::moduleDir() / name).string();
    ::execv(program.c_str(), argv);
    tk::cli::warn("cannot start " + program + ": " + std::strerror(errno));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace tk::cli;
    if (argc >= 2 && isDeviceCommand(argv[1]))
        return runProgram(argv, "trailkeep-cli-device");
    if (argc >= 2 && isPhotoCommand(argv[1]))
        return runProgram(argv, "trailkeep-cli-photos");
    // A run is short, and touching fresh memory pages is most of its cost: blocks freed (the
    // points of a track let go) stay in the heap for the next track instead of being handed
    // back to the system and faulted in again.
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
    static const CommandTable commands = {
        {"tracks", runTracks}, {"kml", runKml},   {"datajs", runDataJs},
        {"gpx", runGpx},       {"demo", runDemo}, {"stats", runStats},
    };
    return runCli(argc, argv, commands);
}
