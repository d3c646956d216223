#include "map/TileSchemeHandler.h"

#include <QBuffer>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QPointer>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include "ui/Version.h"

namespace {

constexpr qint64 kCacheBytes = 200LL * 1024 * 1024;
constexpr int kTransferTimeoutMs = 15000;

} // namespace

QString programUserAgent() {
    return QStringLiteral("Trailkeep/%1 (GPS track logger companion; +%2)")
        .arg(QString::fromLatin1(tk::kVersionNumber),
             QString::fromLatin1(TileSchemeHandler::kReferer));
}

TileSchemeHandler::TileSchemeHandler(QString serverTemplate, const QString& cacheDir,
                                     QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), serverTemplate_(std::move(serverTemplate)),
      network_(new QNetworkAccessManager(this)) {
    if (!cacheDir.isEmpty()) {
        auto* cache = new QNetworkDiskCache(network_);
        cache->setCacheDirectory(cacheDir);
        cache->setMaximumCacheSize(kCacheBytes);
        network_->setCache(cache);
    }
    network_->setTransferTimeout(kTransferTimeoutMs);
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
    const QUrl url = serverUrl(serverTemplate_, job->requestUrl().path());
    if (url.isEmpty()) {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
        return;
    }
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
