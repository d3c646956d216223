// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliArgs.h"

namespace tk::cli {

// tracks, kml, datajs and gpx: decode a project file and list or export its tracks.
// Each returns the exit status; problems are reported on stderr as one line.
int runTracks(const CliArgs& args);
// The trip figures of every track with points, or of --track N, as a table or --json.
int runStats(const CliArgs& args);
int runKml(const CliArgs& args);
int runDataJs(const CliArgs& args);
int runGpx(const CliArgs& args);
// Writes a generated logger memory image (several realistic trips) as a project file.
int runDemo(const CliArgs& args);

} // namespace tk::cli
