// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/TileSchemeHandler.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QPointer>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include <algorithm>

#include "map/AttributionText.h"
#include "map/MbTiles.h"
#include "ui/Version.h"

namespace {

constexpr qint64 kCacheBytes = 200LL * 1024 * 1024;
constexpr int kTransferTimeoutMs = 15000;
constexpr int kDeepestPageZoom = 22;

} // namespace

QString programUserAgent() {
    return QStringLiteral("Trailkeep/%1 (GPS track logger companion; +%2)")
        .arg(QString::fromLatin1(tk::kVersionNumber),
             QString::fromLatin1(TileSchemeHandler::kReferer));
}

TileSchemeHandler::TileSchemeHandler(TileSettings online, const QString& cacheDir, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), online_(std::move(online)),
      network_(new QNetworkAccessManager(this)) {
    if (!cacheDir.isEmpty()) {
        auto* cache = new QNetworkDiskCache(network_);
        cache->setCacheDirectory(cacheDir);
        cache->setMaximumCacheSize(kCacheBytes);
        network_->setCache(cache);
    }
    network_->setTransferTimeout(kTransferTimeoutMs);
}

TileSchemeHandler::~TileSchemeHandler() = default;

TileSchemeHandler* TileSchemeHandler::of(QWebEngineProfile* profile) {
    if (!profile)
        return nullptr;
    return qobject_cast<TileSchemeHandler*>(
        const_cast<QWebEngineUrlSchemeHandler*>(profile->urlSchemeHandler(kScheme)));
}

void TileSchemeHandler::useOfflineMap(std::shared_ptr<const tk::MbTiles> map) {
    offline_ = std::move(map);
    ++offlineNumber_;
    emit tilesChanged();
}

void TileSchemeHandler::useOnlineMap() {
    if (!offline_)
        return;
    offline_.reset();
    emit tilesChanged();
}

QJsonObject TileSchemeHandler::pageTiles() const {
    if (!offline_) {
        return {{QStringLiteral("url"), QString::fromLatin1(kPageTemplate)},
                {QStringLiteral("attribution"), online_.attribution},
                {QStringLiteral("maxZoom"), online_.maxZoom}};
    }
    const tk::MbTilesInfo& info = offline_->info();
    const int deepest = std::min(info.maxZoom, kDeepestPageZoom);
    const int shallowest = std::min(info.minZoom, deepest);
    const std::string credit = info.attribution.empty() ? info.name : info.attribution;
    return {{QStringLiteral("url"), QStringLiteral("%1:%2%3/{z}/{x}/{y}")
                                        .arg(QLatin1String(kScheme), QLatin1String(kOfflinePrefix))
                                        .arg(offlineNumber_)},
            {QStringLiteral("attribution"), QString::fromStdString(tk::safeAttribution(credit))},
            {QStringLiteral("maxZoom"), std::max(online_.maxZoom, deepest)},
            {QStringLiteral("minNativeZoom"), shallowest},
            {QStringLiteral("maxNativeZoom"), deepest},
            {QStringLiteral("bounds"),
             QJsonArray{QJsonArray{info.south, info.west}, QJsonArray{info.north, info.east}}}};
}

QString TileSchemeHandler::pageScript() const {
    return QStringLiteral("window.TK_TILES = %1;\n")
        .arg(QString::fromUtf8(QJsonDocument(pageTiles()).toJson(QJsonDocument::Compact)));
}

void TileSchemeHandler::registerScheme() {
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled |
                    QWebEngineUrlScheme::ContentSecurityPolicyIgnored);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl TileSchemeHandler::serverUrl(const QString& serverTemplate, const QString& tilePath) {
    const QStringList parts = tilePath.split(QLatin1Char('/'));
    if (parts.size() != 3)
        return {};
    bool ok[3] = {};
    const int z = parts[0].toInt(&ok[0]);
    const qint64 x = parts[1].toLongLong(&ok[1]);
    const qint64 y = parts[2].toLongLong(&ok[2]);
    if (!ok[0] || !ok[1] || !ok[2] || z < 0 || z > 22)
        return {};
    const qint64 side = qint64(1) << z;
    if (x < 0 || y < 0 || x >= side || y >= side)
        return {};
    QString url = serverTemplate;
    url.replace(QLatin1String("{z}"), QString::number(z))
        .replace(QLatin1String("{x}"), QString::number(x))
        .replace(QLatin1String("{y}"), QString::number(y))
        .replace(QLatin1String("{s}"), QStringLiteral("a"))
        .replace(QLatin1String("{r}"), QString());
    const QUrl result(url);
    const QString scheme = result.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ? result : QUrl();
}

void TileSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QString path = job->requestUrl().path();
    if (path.startsWith(QLatin1String(kOfflinePrefix))) {
        serveOffline(job, path.mid(int(qstrlen(kOfflinePrefix))));
        return;
    }
    const QUrl url = serverUrl(online_.url, path);
    if (url.isEmpty()) {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
        return;
    }
    fetchOnline(job, url);
}

// "N/Z/X/Y": a tile of the offline map opened N-th; a page still showing an earlier map gets
// nothing.
void TileSchemeHandler::serveOffline(QWebEngineUrlRequestJob* job, const QString& path) {
    const QStringList parts = path.split(QLatin1Char('/'));
    bool ok[4] = {};
    const int number = parts.size() == 4 ? parts[0].toInt(&ok[0]) : -1;
    const int z = parts.size() == 4 ? parts[1].toInt(&ok[1]) : -1;
    const qint64 x = parts.size() == 4 ? parts[2].toLongLong(&ok[2]) : -1;
    const qint64 y = parts.size() == 4 ? parts[3].toLongLong(&ok[3]) : -1;
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3]) {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
        return;
    }
    if (!offline_ || number != offlineNumber_) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    const auto tile = offline_->tile(z, x, y);
    if (!tile) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    const std::string_view type = tk::MbTiles::imageType(*tile);
    auto* body = new QBuffer(job);
    body->setData(reinterpret_cast<const char*>(tile->data()), qsizetype(tile->size()));
    body->open(QIODevice::ReadOnly);
    job->reply(type.empty() ? QByteArrayLiteral("application/octet-stream")
                            : QByteArray(type.data(), qsizetype(type.size())),
               body);
}

void TileSchemeHandler::fetchOnline(QWebEngineUrlRequestJob* job, const QUrl& url) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, programUserAgent());
    request.setRawHeader("Referer", kReferer);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::PreferNetwork);
    QNetworkReply* reply = network_->get(request);
    QPointer<QWebEngineUrlRequestJob> pending(job);
    connect(job, &QObject::destroyed, reply, &QNetworkReply::abort);
    connect(reply, &QNetworkReply::finished, this, [reply, pending] {
        reply->deleteLater();
        if (!pending)
            return;
        if (reply->error() != QNetworkReply::NoError) {
            pending->fail(QWebEngineUrlRequestJob::RequestFailed);
            return;
        }
        auto* body = new QBuffer(pending);
        body->setData(reply->readAll());
        body->open(QIODevice::ReadOnly);
        QByteArray type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
        pending->reply(type.isEmpty() ? QByteArrayLiteral("image/png") : type, body);
    });
}
