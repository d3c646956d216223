#include "cli/DeviceCommands.h"

#include "cli/CliOutput.h"

namespace tk::cli {

int runRead(const CliArgs&) {
    throw CommandError{"read: not available yet"};
}
int runSettings(const CliArgs&) {
    throw CommandError{"settings: not available yet"};
}
int runConfig(const CliArgs&) {
    throw CommandError{"config: not available yet"};
}
int runClear(const CliArgs&) {
    throw CommandError{"clear: not available yet"};
}
int runTimeZone(const CliArgs&) {
    throw CommandError{"timezone: not available yet"};
}
int runUpgrade(const CliArgs&) {
    throw CommandError{"upgrade: not available yet"};
}

} // namespace tk::cli
