// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliMain.h"
#include "cli/PhotoCommands.h"

// trailkeep-cli-photos: geotag, the command of trailkeep-cli that reads and writes photos with
// exiv2; trailkeep-cli runs it in its own place for it.
int main(int argc, char** argv) {
    using namespace tk::cli;
    static const CommandTable commands = {{"geotag", runGeotag}};
    return runCli(argc, argv, commands,
                  {{"--zone", "--sync", "--max-gap", "--max-extrapolate", "--tracks"},
                   {"--overwrite", "--sidecar", "--dry-run", "--undo", "--suggest-offset"}});
}
