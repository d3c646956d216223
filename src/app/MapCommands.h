// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "map/MbTiles.h"

class CTrailkeepApp;
class QWidget;

namespace tk {
class Language;
}

// The Map menu. Open Offline Map...: asks for an MBTiles file and shows it in every map of the
// program at once (the pages already shown swap their tiles), remembering the choice as
// [Map] OfflineMap; a file that is not an offline map is refused with the reason, and the map and
// the setting stay as they were. Online Map: back to the tile server, remembered too.
void openOfflineMapCommand(CTrailkeepApp& app, QWidget* window);
bool openOfflineMap(CTrailkeepApp& app, QWidget* window, const QString& path);
void onlineMapCommand(CTrailkeepApp& app);

// At start: the offline map remembered from the last run. When its file cannot be opened any
// more the online map is shown and the answer is the message to tell the user (the setting
// stays, so the map is back once the file is); empty when all is well.
QString openRememberedOfflineMap(CTrailkeepApp& app);

// The reason a file is not an offline map, in the interface language, with the file's path.
QString offlineMapProblem(const tk::Language& language, tk::MbTilesError error,
                          const QString& path);

inline constexpr char kOfflineMapFilter[] = "MBTiles maps (*.mbtiles);;All files (*)";
