// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class CTrailkeepApp;
class QWidget;

// What File > Open offers: logger projects and the track files of other devices.
inline constexpr char kOpenFilter[] =
    "Tracks (*.gpl *.gpx *.fit *.tcx *.crs *.kml *.kmz *.igc *.nmea *.nma *.gdb *.plt *.geojson);;"
    "gpl files(*.gpl);;All files (*)";

// Whether path names a file Open takes: a project (.gpl) or a track file.
bool isOpenableFile(const QString& path);

// Whether path is a track file rather than a logger project.
bool isTrackFileName(const QString& path);

// Opens a project, or adds the tracks of a track file to the session (after the logger's). What
// cannot be read is said, and everything stays as it was. A file opened is remembered among the
// recent files. note receives what else a track file held (routes, waypoints), for a passing
// mention. Answers whether the tracks changed.
bool openAnyFile(CTrailkeepApp& app, QWidget* window, const QString& path, QString* note = nullptr);

// Asks for a name and writes every track of the session into one GPX file.
void saveSessionGpxCommand(CTrailkeepApp& app, QWidget* window);

// The files opened last, newest first (at most eight), kept in the user's settings.
QStringList recentFiles();
