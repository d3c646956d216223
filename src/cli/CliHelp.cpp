// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliHelp.h"

#include "ui/Version.h"

#include <string_view>

namespace tk::cli {
namespace {

// Each command starts at two spaces with its synopsis, its description at column 24 below it,
// then its options at four spaces, each described from column 24. The manual pages are made
// from this layout and the shell completion reads the commands and options from it.

constexpr std::string_view kTrackCommands =
    "Track commands:\n"
    "  tracks FILE [--json] [--rejects]\n"
    "                        List the tracks: number, name, start, end and fixes.\n"
    "    --json              print every track with its fixes as JSON\n"
    "    --rejects           also say how many fixes were dropped and why\n"
    "  stats FILE [--track N] [--moving-speed KMH] [--climb-threshold M] [--json]\n"
    "                        Trip figures of every track with fixes: start, end,\n"
    "                        duration, length, moving time, average, moving and top\n"
    "                        speed, ascent, descent, lowest and highest altitude, and\n"
    "                        the time at each whole kilometre.\n"
    "    --track N           only track N (its number in the listing, from 1)\n"
    "    --moving-speed KMH  fixes at this speed or faster count as moving (1.8)\n"
    "    --climb-threshold M\n"
    "                        altitude changes under M metres are noise (5)\n"
    "    --json              print the figures as JSON, in metres, seconds and km/h\n"
    "  kml FILE --track N -o OUT\n"
    "                        Write track N as a KML file OUT.\n"
    "  datajs FILE --track N -o OUT [--color RRGGBB] [--weight W] [--speed S]\n"
    "                        Write track N as the map page's data script OUT\n"
    "                        (data.js).\n"
    "    --color RRGGBB      the line's colour (ff0000)\n"
    "    --weight W          the line's width in pixels, 0 to 255 (2)\n"
    "    --speed S           the playback speed (2)\n"
    "  gpx FILE [--track N] -o OUT\n"
    "                        Write every track with fixes, or track N, as a GPX 1.1\n"
    "                        file OUT.\n"
    "  demo -o OUT.gpl [--seed N] [--full]\n"
    "                        Write a generated logger memory of a few trips, to try\n"
    "                        the other commands on.\n"
    "    --seed N            another set of trips (1)\n"
    "    --full              fill all 2,048 pages of the memory\n"
    "\n";

constexpr std::string_view kDeviceCommands =
    "Logger commands (each takes --port DEV, see read):\n"
    "  read [--port DEV] -o OUT.gpl\n"
    "                        Download the logger's memory into the project file\n"
    "                        OUT.gpl and list its tracks, with a progress bar on a\n"
    "                        terminal. A download that stops early (the logger falls\n"
    "                        silent, or Ctrl-C) keeps what arrived and ends with exit\n"
    "                        status 1.\n"
    "    --port DEV          look for the logger on the serial port DEV first (e.g.\n"
    "                        /dev/ttyUSB0), then on the port it last answered on, then\n"
    "                        on every serial port the system lists\n"
    "  settings [--port DEV]\n"
    "                        Show the logger's firmware, logging step, speed unit,\n"
    "                        time zone and logging time.\n"
    "  config [--port DEV] [--step 1|3|5|10] [--unit kph|mph]\n"
    "                        Set the logging step and the speed unit; the one not\n"
    "                        given stays as it is.\n"
    "    --step 1|3|5|10     a fix every 1, 3, 5 or 10 seconds\n"
    "    --unit kph|mph      speeds in km/h or in miles per hour\n"
    "  clear [--port DEV] --yes\n"
    "                        Erase every track on the logger.\n"
    "    --yes               confirm the erasing; without it nothing is done\n"
    "  timezone [--port DEV] [--offset HOURS]\n"
    "                        Set the logger's time zone.\n"
    "    --offset HOURS      hours from UTC, from -12 to 14 (the computer's standard\n"
    "                        time offset, daylight saving not added)\n"
    "  upgrade [--port DEV] [--images DIR]\n"
    "                        Upgrade the logger's firmware from firmware-158.bin or\n"
    "                        firmware-159.bin.\n"
    "    --images DIR        the images' folder (the program's folder, or\n"
    "                        ~/.local/share/Trailkeep when installed)\n"
    "\n";

constexpr std::string_view kPhotoCommands =
    "Photo commands:\n"
    "  geotag [FILE] PHOTO|FOLDER... [OPTION...]\n"
    "                        Write into each photo (folders are searched recursively)\n"
    "                        where the tracks were at the photo's time: latitude,\n"
    "                        longitude, altitude, speed and UTC time in its Exif GPS\n"
    "                        tags, or in an XMP sidecar NAME.EXT.xmp for the formats\n"
    "                        that are only read. Nothing else in a photo changes.\n"
    "                        Each folder written to gets the undo journal\n"
    "                        .trailkeep-geotag. Prints a table, a photo a row, and a\n"
    "                        summary; exit status 1 when a photo could not be read or\n"
    "                        written.\n"
    "    --tracks FILE       also the tracks of FILE, numbered after those before;\n"
    "                        may be given again (with it, the first word may be a\n"
    "                        photo or folder)\n"
    "    --track N           use track N only (every track)\n"
    "    --zone auto|+HH:MM  the camera clock's zone; auto: the photo's own offset,\n"
    "                        else the computer's zone at the photo's date (auto)\n"
    "    --offset SECONDS    seconds the camera clock was behind (negative: ahead),\n"
    "                        for every camera\n"
    "    --offset auto       each camera's suggested correction where it is sure;\n"
    "                        the photos of the other cameras are not written\n"
    "    --sync PHOTO=TIME   take the correction of PHOTO's camera from PHOTO, a photo\n"
    "                        of a GPS or phone clock showing TIME (2026-06-11T09:30:05Z,\n"
    "                        with +HH:MM for Z in another zone, or neither in the\n"
    "                        camera's zone); two or more correct a drifting clock\n"
    "    --max-gap SECONDS   fixes further apart than this leave a photo between them\n"
    "                        untagged (300)\n"
    "    --max-extrapolate SECONDS\n"
    "                        tag a photo outside the tracks from a fix this close (0)\n"
    "    --overwrite         replace a position a photo already has\n"
    "    --sidecar           write an XMP sidecar for every photo\n"
    "    --dry-run           show what would be done; nothing is written\n"
    "    --json              print one JSON object per photo\n"
    "  geotag --suggest-offset [FILE] PHOTO|FOLDER... [OPTION...]\n"
    "                        Print each camera's suggested clock correction (true\n"
    "                        time = camera time + correction) with how sure it is\n"
    "                        and why; nothing is written. Takes --tracks, --track,\n"
    "                        --zone and --max-gap as geotag does.\n"
    "    --json              print {\"cameras\": [...]}, one object per camera\n"
    "  geotag --undo PHOTO|FOLDER... [--json]\n"
    "                        Put every photo back as it was before geotag wrote it,\n"
    "                        from the undo journal.\n"
    "    --undo              undo instead of geotagging\n"
    "    --json              print one JSON object per photo\n"
    "\n";

constexpr std::string_view kExitAndFiles =
    "An option's default is in parentheses at the end of its description.\n"
    "\n"
    "Exit status: 0 on success; 1 when a command failed (one line on stderr says why);\n"
    "2 for a wrong command line, and then nothing was done.\n"
    "\n"
    "Every output file is written whole or not at all. The messages come from\n"
    "language.ini, in English or Chinese as chosen in the desktop program:\n"
    "~/.local/share/Trailkeep, /usr/share/trailkeep or the program's folder.\n";

std::string_view programName(CliProgram program) {
    switch (program) {
    case CliProgram::Device:
        return "trailkeep-cli-device";
    case CliProgram::Photos:
        return "trailkeep-cli-photos";
    case CliProgram::Cli:
        break;
    }
    return "trailkeep-cli";
}

std::string usage(CliProgram program) {
    const std::string name(programName(program));
    std::string text = "Usage: " + name + " COMMAND [ARGUMENT...] [OPTION...]\n" +
                       "  or:  " + name + " --help | --version\n";
    switch (program) {
    case CliProgram::Device:
        return text + "The logger commands of trailkeep-cli: trailkeep-cli runs this program in "
                      "its own place\nfor them, so that its other commands start without Qt. It "
                      "takes the same\narguments.\n\n";
    case CliProgram::Photos:
        return text + "The photo commands of trailkeep-cli: trailkeep-cli runs this program in "
                      "its own place\nfor them, so that its other commands start without exiv2. "
                      "It takes the same\narguments.\n\n";
    case CliProgram::Cli:
        break;
    }
    return text + "The engine of the Trailkeep desktop program without a window, for scripts and "
                  "headless\nmachines: lists, measures and exports the tracks of a serial GPS "
                  "track logger, downloads\nthe logger's memory and sets the logger up, and "
                  "geotags photos from the tracks.\nTrack numbers are the rows of the listing, "
                  "from 1. A track FILE is a project file (.gpl, a\ndownload of the logger) or a "
                  "track file of another device: GPX, or through GPSBabel\nFIT, TCX, KML, KMZ, "
                  "IGC, NMEA and the other formats it reads.\n\n";
}

} // namespace

std::string cliHelp(CliProgram program) {
    std::string text = usage(program);
    if (program == CliProgram::Cli)
        text += kTrackCommands;
    if (program != CliProgram::Photos)
        text += kDeviceCommands;
    if (program != CliProgram::Device)
        text += kPhotoCommands;
    return text += kExitAndFiles;
}

std::string cliVersion(CliProgram program) {
    return std::string(programName(program)) + " " + kVersionNumber + "\n";
}

} // namespace tk::cli
