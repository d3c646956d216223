// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <string>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class QWidget;

namespace tk {
class Language;
}

// Once per run, asks the update server with one plain HTTP GET whether a newer version exists and
// offers to open the product page when it does. No server is built in: the check runs only when
// the user names one, and is silent otherwise. Everything happens on the event loop, so the
// window keeps responding while the server is slow; every failure is silent.
class UpdateCheck : public QObject {
    Q_OBJECT
public:
    // No byte may be in flight for this long (connecting included) ...
    static constexpr int kStallTimeoutMs = 2000;
    // ... and the whole exchange, redirects included, ends within this.
    static constexpr int kTotalTimeoutMs = 10000;

    UpdateCheck(const tk::Language& language,
                QWidget* window); // window: parent of the question box
    ~UpdateCheck() override;

    // The update server, "host" or "host:port": TRAILKEEP_UPDATE_HOST, else Host in group
    // "Update" of Trailkeep/trailkeep.ini in the per-user configuration folder; empty when
    // neither names one, and then no request is ever sent.
    static QString updateHost();
    // "http://<host>/gpsv.php" and the product page on the same host; empty (invalid) when host
    // is not a plain "host" or "host:port".
    static QUrl versionUrl(const QString& host);
    static QUrl productPageUrl(const QString& host);

    void scheduleOnce(
        int delayMs = 3000); // the first call arms a single-shot timer; later calls do nothing
    void run(); // sends the request now (asynchronous) when a host is set; once per object

    using Asker = std::function<bool(const QString& question)>; // default: askUser, Yes the default
    using Opener = std::function<void(const QUrl& page)>; // default: QDesktopServices::openUrl
    void setAsker(Asker asker);
    void setOpener(Opener opener);

signals:
    void finished(bool asked); // once, after the reply was judged or the request failed

private:
    void collect();
    void replyFinished();
    void judge();

    const tk::Language& language_;
    QPointer<QWidget> window_;
    Asker asker_;
    Opener opener_;
    bool scheduled_ = false;
    bool started_ = false;
    QNetworkAccessManager* manager_ = nullptr;
    QPointer<QNetworkReply> reply_;
    QTimer* deadline_ = nullptr;
    QUrl productPage_;
    std::string replyText_;
};
