// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QString>
#include <QWebEngineUrlSchemeHandler>

#include <memory>

#include "map/WebProfile.h"

class QNetworkAccessManager;
class QWebEngineProfile;

namespace tk {
class MbTiles;
}

// Serves the pages' map tiles, from the tile server the settings name or from an offline map
// file (MBTiles) when one is in use. The pages ask for "tktile:Z/X/Y" (online) or
// "tktile:offline/N/Z/X/Y" (the offline map in use, N telling one opened file from the next).
// Online the program fetches the tile itself, naming itself in the User-Agent and sending a
// Referer (the browser refuses to let a page loaded from a file send one), through a disk cache
// that honours the server's expiry so a tile is not fetched again on every view. Offline every
// tile comes from the file and nothing goes to the network.
class TileSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    static constexpr const char* kScheme = "tktile";
    static constexpr const char* kPageTemplate = "tktile:{z}/{x}/{y}";
    static constexpr const char* kOfflinePrefix = "offline/";
    static constexpr const char* kReferer = "https://trailkeep.org/";

    // cacheDir empty: tiles are kept in memory only.
    TileSchemeHandler(TileSettings online, const QString& cacheDir, QObject* parent = nullptr);
    ~TileSchemeHandler() override;

    // The handler serving the profile's tiles, or nullptr.
    static TileSchemeHandler* of(QWebEngineProfile* profile);

    // The server's address for a tile, or an empty URL when the path is not Z/X/Y in range.
    static QUrl serverUrl(const QString& serverTemplate, const QString& tilePath);

    // Makes the scheme known to the browser; must run before the application object exists.
    static void registerScheme();

    void requestStarted(QWebEngineUrlRequestJob* job) override;

    // The offline map in use, or null for the online map.
    const std::shared_ptr<const tk::MbTiles>& offlineMap() const { return offline_; }
    // Every page asking for tiles from now on gets the map's; tilesChanged() tells the pages.
    void useOfflineMap(std::shared_ptr<const tk::MbTiles> map);
    void useOnlineMap();

    // What the pages' tile layer shows (window.TK_TILES): the tile address template, the
    // attribution and the zoom levels; for an offline map also the zoom levels the file holds
    // (deeper zooms scale its deepest tiles up) and the area it covers.
    QJsonObject pageTiles() const;
    QString pageScript() const;

signals:
    void tilesChanged();

private:
    void serveOffline(QWebEngineUrlRequestJob* job, const QString& path);
    void fetchOnline(QWebEngineUrlRequestJob* job, const QUrl& url);

    TileSettings online_;
    QNetworkAccessManager* network_;
    std::shared_ptr<const tk::MbTiles> offline_;
    int offlineNumber_ = 0;
};

QString programUserAgent();
