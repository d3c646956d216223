// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QObject;
class QWebEngineProfile;

// Where the map pages take their tiles from: the user's settings file (group "Map" of
// Trailkeep/trailkeep.ini in the per-user configuration folder), OpenStreetMap's standard tiles
// by default, or the offline map file the user chose (OfflineMap).
struct TileSettings {
    QString url;
    QString attribution;
    int maxZoom = 19;
    QString offlineMap; // an MBTiles file, empty for the online map

    static TileSettings load();
    // Stores the offline map's path as OfflineMap; an empty path removes it (the online map).
    static void rememberOfflineMap(const QString& path);
    // The script that hands the tiles to the pages as window.TK_TILES: the pages ask the
    // program for each tile, which fetches it from the server in url.
    QString pageScript() const;
};

// The browser profile every page of the program shares, serving the map tiles. A persistent
// profile keeps its caches in the per-user cache folder (tiles in "tiles", honouring the servers'
// expiry); tests use an in-memory one.
QWebEngineProfile* createWebProfile(bool persistent, QObject* parent);
