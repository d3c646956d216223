#pragma once

#include <QString>
#include <QWebEngineUrlRequestInterceptor>

class QObject;
class QWebEngineProfile;

// Where the map pages take their tiles from: the user's settings file (group "Map" of
// Trailkeep/trailkeep.ini in the per-user configuration folder), OpenStreetMap's standard tiles
// by default.
struct TileSettings {
    QString url;
    QString attribution;
    int maxZoom = 19;

    static TileSettings load();
    // The script that hands the settings to the pages as window.TK_TILES.
    QString pageScript() const;
};

// Names the program to the tile servers: pages loaded from files send no Referer of their own,
// and tile servers refuse requests without one.
class TileRequestInterceptor : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    static constexpr const char* kReferer = "https://trailkeep.org/";
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

// The browser profile every page of the program shares. A persistent profile keeps a disk cache
// in the per-user cache folder that honours the servers' expiry; tests use an in-memory one.
QWebEngineProfile* createWebProfile(bool persistent, QObject* parent);

QString programUserAgent();
