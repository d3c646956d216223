// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class CTrailkeepApp;
class QWidget;

// Save Prj: asks for a name and writes the logger memory's pages to it, whole or not at all.
void saveProjectCommand(CTrailkeepApp& app, QWidget* window);

// Opens the file (from the command line, a drop or the dialog). A file that cannot be read
// leaves the tracks as they were and says why; records past the memory's capacity are left out
// and the user is told how many. Answers whether the tracks were rebuilt.
bool openProjectFile(CTrailkeepApp& app, QWidget* window, const QString& path);

inline constexpr char kProjectFilter[] = "gpl files(*.gpl)";
