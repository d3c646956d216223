// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The folder of the running executable, with a trailing slash.
QString moduleDirectory();

// ModuleDir, the folder of the program's pages, libraries and language file: share/trailkeep
// beside the executable's folder (an installed or unpacked package: bin/ and share/ side by
// side), else the executable's own folder (the build folder, a copied folder). Trailing slash.
QString programDataDirectory(const QString& executableDir);

// True for a package's share/trailkeep folder, which the program never writes into.
bool isPackageDataFolder(const QString& moduleDir);

// The folder the program writes data.js and language.ini into and loads its pages from: the
// program's own folder when it can be written and is not a package's, otherwise a per-user copy
// of its pages, libraries and language file, refreshed when the program's copies are newer.
QString pageDirectoryFor(const QString& moduleDir);

// Where the firmware images (firmware-158.bin, firmware-159.bin) are looked for: the program's
// folder, or for a package the per-user folder, since a package's folder is the system's.
QString firmwareDirectoryFor(const QString& moduleDir);

// The per-user copy of the program's pages, libraries and language file, brought up to date.
QString userPageDirectory(const QString& moduleDir);
