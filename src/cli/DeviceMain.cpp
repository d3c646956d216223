// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliMain.h"
#include "cli/DeviceCommands.h"

// trailkeep-cli-device: the commands of trailkeep-cli that talk to the logger over a serial
// port; trailkeep-cli runs it in its own place for them.
int main(int argc, char** argv) {
    using namespace tk::cli;
    static const CommandTable commands = {
        {"read", runRead},   {"settings", runSettings}, {"config", runConfig},
        {"clear", runClear}, {"timezone", runTimeZone}, {"upgrade", runUpgrade},
    };
    return runCli(argc, argv, commands);
}
