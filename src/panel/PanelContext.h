// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "tracks/Track.h"
#include "ui/Language.h"

// What the track panel needs of the program's state: the decoded tracks, the selected track,
// the interface language and the folder the map pages and data.js live in.
struct PanelContext {
    tk::TrackTable& trackTable;
    int& selectedTrack;
    tk::Language& language;
    QString pageDir; // with a trailing slash

    QString pagePath(const QString& name) const { return pageDir + name; }
};
