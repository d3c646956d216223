// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/WebProfile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include "map/TileSchemeHandler.h"

namespace {

constexpr char kDefaultTileUrl[] = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
constexpr char kDefaultAttribution[] =
    "&copy; <a href=\"https://www.openstreetmap.org/copyright\">OpenStreetMap</a> contributors";

} // namespace

TileSettings TileSettings::load() {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Trailkeep"),
                       QStringLiteral("trailkeep"));
    settings.beginGroup(QStringLiteral("Map"));
    TileSettings tiles;
    tiles.url =
        settings.value(QStringLiteral("TileUrl"), QString::fromLatin1(kDefaultTileUrl)).toString();
    tiles.attribution =
        settings.value(QStringLiteral("TileAttribution"), QString::fromLatin1(kDefaultAttribution))
            .toString();
    tiles.maxZoom = qBound(1, settings.value(QStringLiteral("TileMaxZoom"), 19).toInt(), 22);
    tiles.offlineMap = settings.value(QStringLiteral("OfflineMap")).toString();
    return tiles;
}

void TileSettings::rememberOfflineMap(const QString& path) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Trailkeep"),
                       QStringLiteral("trailkeep"));
    if (path.isEmpty())
        settings.remove(QStringLiteral("Map/OfflineMap"));
    else
        settings.setValue(QStringLiteral("Map/OfflineMap"), path);
    settings.sync();
}

QString TileSettings::pageScript() const {
    const QJsonObject object{
        {QStringLiteral("url"), QString::fromLatin1(TileSchemeHandler::kPageTemplate)},
        {QStringLiteral("attribution"), attribution},
        {QStringLiteral("maxZoom"), maxZoom}};
    return QStringLiteral("window.TK_TILES = %1;\n")
        .arg(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

QWebEngineProfile* createWebProfile(bool persistent, QObject* parent) {
    auto* profile = persistent ? new QWebEngineProfile(QStringLiteral("Trailkeep"), parent)
                               : new QWebEngineProfile(parent);
    if (persistent) {
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        profile->setCachePath(cache + QStringLiteral("/web"));
        profile->setPersistentStoragePath(
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
            QStringLiteral("/web"));
        profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        profile->setHttpCacheMaximumSize(200 * 1024 * 1024);
    }
    profile->setHttpUserAgent(programUserAgent());
    const QString tileCache =
        persistent ? QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                         QStringLiteral("/tiles")
                   : QString();
    profile->installUrlSchemeHandler(
        TileSchemeHandler::kScheme,
        new TileSchemeHandler(TileSettings::load(), tileCache, profile));
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
    return profile;
}
