// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/UpdateCheck.h"

#include "app/VersionReply.h"
#include "ui/Language.h"
#include "ui/Messages.h"

#include <QDesktopServices>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

const char* const kQuestion = "Would you like to update to the new version at this time ?";
const char* const kVersionPath = "/gpsv.php";
const char* const kProductPagePath = "/index.php?route=product/product&path=24&product_id=43";

// Only the start of the reply decides; a server that sends more is read to its end but not kept.
constexpr std::size_t kKeptReplyBytes = 256;

QUrl urlOnHost(const QString& host, const QString& pathAndQuery) {
    QUrl authority;
    authority.setScheme(QStringLiteral("http"));
    authority.setAuthority(host, QUrl::StrictMode);
    if (!authority.isValid() || authority.host().isEmpty() || !authority.userInfo().isEmpty())
        return {};
    return QUrl(QStringLiteral("http://") + authority.authority(QUrl::FullyEncoded) + pathAndQuery,
                QUrl::StrictMode);
}

bool isLoopback(const QString& host) {
    return host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0 ||
           QHostAddress(host).isLoopback();
}

// An HTTP error status still comes with a body, and that body is judged like any other reply;
// a connection that failed or broke off brings no answer at all.
bool serverAnswered(const QNetworkReply& reply) {
    const QNetworkReply::NetworkError error = reply.error();
    if (error == QNetworkReply::NoError)
        return true;
    if (!reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return false;
    return (error >= QNetworkReply::ContentAccessDenied &&
            error <= QNetworkReply::UnknownContentError) ||
           error == QNetworkReply::ProtocolInvalidOperationError ||
           (error >= QNetworkReply::InternalServerError &&
            error <= QNetworkReply::UnknownServerError);
}

} // namespace

UpdateCheck::UpdateCheck(const tk::Language& language, QWidget* window)
    : language_(language), window_(window) {}

UpdateCheck::~UpdateCheck() {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

QString UpdateCheck::updateHost() {
    const QString host = qEnvironmentVariable("TRAILKEEP_UPDATE_HOST").trimmed();
    if (!host.isEmpty())
        return host;
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope,
                             QStringLiteral("Trailkeep"), QStringLiteral("trailkeep"));
    return settings.value(QStringLiteral("Update/Host")).toString().trimmed();
}

QUrl UpdateCheck::versionUrl(const QString& host) {
    return urlOnHost(host, QString::fromLatin1(kVersionPath));
}

QUrl UpdateCheck::productPageUrl(const QString& host) {
    return urlOnHost(host, QString::fromLatin1(kProductPagePath));
}

void UpdateCheck::scheduleOnce(int delayMs) {
    if (scheduled_)
        return;
    scheduled_ = true;
    QTimer::singleShot(std::max(delayMs, 0), this, &UpdateCheck::run);
}

void UpdateCheck::setAsker(Asker asker) {
    asker_ = std::move(asker);
}

void UpdateCheck::setOpener(Opener opener) {
    opener_ = std::move(opener);
}

void UpdateCheck::run() {
    if (started_)
        return;
    started_ = true;
    const QString host = updateHost();
    const QUrl url = versionUrl(host);
    productPage_ = productPageUrl(host);
    // No host set, or one that is not a plain "host" or "host:port": no request at all.
    if (!url.isValid()) {
        QTimer::singleShot(0, this, [this] { emit finished(false); });
        return;
    }

    manager_ = new QNetworkAccessManager(this);
    // A local server is reached directly, whatever proxy the environment names.
    if (isLoopback(url.host()))
        manager_->setProxy(QNetworkProxy::NoProxy);

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Trailkeep"));
    request.setTransferTimeout(kStallTimeoutMs);
    request.setMaximumRedirectsAllowed(5);
    reply_ = manager_->get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &UpdateCheck::collect);
    connect(reply_, &QNetworkReply::finished, this, &UpdateCheck::replyFinished);

    // The stall time-out restarts with every byte; this bounds a server that sends a trickle.
    deadline_ = new QTimer(this);
    deadline_->setSingleShot(true);
    connect(deadline_, &QTimer::timeout, this, [this] {
        if (reply_)
            reply_->abort();
    });
    deadline_->start(kTotalTimeoutMs);
}

void UpdateCheck::collect() {
    if (!reply_ || !reply_->isOpen())
        return;
    const QByteArray chunk = reply_->readAll();
    if (replyText_.size() >= kKeptReplyBytes)
        return;
    replyText_ += tk::joinReplyLines(std::string_view(chunk.constData(), chunk.size()));
    if (replyText_.size() > kKeptReplyBytes)
        replyText_.resize(kKeptReplyBytes);
}

void UpdateCheck::replyFinished() {
    deadline_->stop();
    collect();
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->deleteLater();
    if (!serverAnswered(*reply)) {
        emit finished(false);
        return;
    }
    judge();
}

void UpdateCheck::judge() {
    if (!tk::isNewerVersion(replyText_)) {
        emit finished(false);
        return;
    }
    const QString question = QString::fromStdString(language_.text(kQuestion));
    QPointer<UpdateCheck> self(this);
    const bool yes = asker_ ? asker_(question) : askUser(window_, question, DefaultAnswer::Yes);
    if (!self)
        return;
    if (yes) {
        if (opener_)
            opener_(productPage_);
        else
            QDesktopServices::openUrl(productPage_);
    }
    emit finished(true);
}
