// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/TripFigures.h"

// The trip figures' two thresholds in the program's settings file (group "Figures" of
// Trailkeep/trailkeep.ini in the per-user configuration folder): MovingSpeed in km/h and
// ClimbThreshold in metres. Missing or unusable values give the defaults.
tk::FigureSettings loadFigureSettings();
void saveFigureSettings(const tk::FigureSettings& settings);
