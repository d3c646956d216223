#include "map/WebProfile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include "app/Version.h"

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
    return tiles;
}

QString TileSettings::pageScript() const {
    const QJsonObject object{{QStringLiteral("url"), url},
                             {QStringLiteral("attribution"), attribution},
                             {QStringLiteral("maxZoom"), maxZoom}};
    return QStringLiteral("window.TK_TILES = %1;\n")
        .arg(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

void TileRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const QString scheme = info.requestUrl().scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return;
    const QUrl origin = info.firstPartyUrl();
    if (origin.isEmpty() || origin.isLocalFile() || origin.scheme() == QLatin1String("qrc") ||
        origin.scheme() == QLatin1String("data"))
        info.setHttpHeader("Referer", kReferer);
}

QString programUserAgent() {
    return QStringLiteral("Trailkeep/%1 (GPS track logger companion; +%2)")
        .arg(QString::fromLatin1(tk::kVersionNumber),
             QString::fromLatin1(TileRequestInterceptor::kReferer));
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
    profile->setUrlRequestInterceptor(new TileRequestInterceptor(profile));
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
    return profile;
}
