#pragma once

#include <QString>

// ModuleDir: the folder of the running executable, with a trailing slash.
QString moduleDirectory();

// The folder the program writes data.js and language.ini into and loads its pages from: the
// program's own folder when it can be written, otherwise a per-user copy of its pages, libraries
// and language file (a system install), refreshed when the program's copies are newer.
QString pageDirectoryFor(const QString& moduleDir);

// The per-user copy of the program's pages, libraries and language file, brought up to date.
QString userPageDirectory(const QString& moduleDir);
