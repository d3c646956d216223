// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QNetworkProxy>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include "app/UpdateCheck.h"
#include "support/qt/ModalAnswer.h"
#include "ui/Language.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// A tiny HTTP server on loopback that answers every request with one canned reply, or
// misbehaves the way a real network can.
class LoopbackServer {
public:
    enum class Mode { Answer, Silent, CloseAtOnce, Trickle };

    explicit LoopbackServer(Mode mode, QByteArray body = {}, QByteArray status = "200 OK")
        : mode_(mode), body_(std::move(body)), status_(std::move(status)) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] { accept(); });
    }

    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }
    int requests() const { return requests_; }
    const QByteArray& lastRequest() const { return lastRequest_; }

private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            if (mode_ == Mode::CloseAtOnce) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                received_[socket] += socket->readAll();
                if (received_[socket].contains("\r\n\r\n"))
                    answer(socket);
            });
        }
    }

    void answer(QTcpSocket* socket) {
        ++requests_;
        lastRequest_ = received_.take(socket);
        if (mode_ == Mode::Silent)
            return;
        if (mode_ == Mode::Trickle) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nk");
            auto* drip = new QTimer(socket);
            QObject::connect(drip, &QTimer::timeout, socket, [socket] { socket->write("\n"); });
            drip->start(300);
            return;
        }
        socket->write("HTTP/1.1 " + status_ + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                      QByteArray::number(body_.size()) + "\r\nConnection: close\r\n\r\n" + body_);
        socket->disconnectFromHost();
    }

    Mode mode_;
    QByteArray body_;
    QByteArray status_;
    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> received_;
    int requests_ = 0;
    QByteArray lastRequest_;
};

// Runs the event loop until done() holds or msecs have passed; answers done().
bool waitUntil(const std::function<bool()>& done, int msecs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < msecs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    return done();
}

void pause(int msecs) {
    waitUntil([] { return false; }, msecs);
}

// Counts the finished signals of a check and keeps the last "asked".
struct Finishes {
    explicit Finishes(UpdateCheck& check) {
        QObject::connect(&check, &UpdateCheck::finished, [this](bool asked) {
            ++count;
            lastAsked = asked;
        });
    }
    bool wait(int msecs = 15000) const {
        return waitUntil([this] { return count > 0; }, msecs);
    }
    int count = 0;
    bool lastAsked = false;
};

const QString kQuestion =
    QStringLiteral("Would you like to update to the new version at this time ?");

class UpdateCheckTest : public ::testing::Test {
protected:
    // Each test has a settings folder of its own, so the user's own settings never count.
    void SetUp() override {
        qunsetenv("TRAILKEEP_UPDATE_HOST");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder_.path());
    }
    void TearDown() override { qunsetenv("TRAILKEEP_UPDATE_HOST"); }

    void writeSettings(const QByteArray& text) {
        QDir().mkpath(settingsFolder_.filePath("Trailkeep"));
        QFile file(settingsFolder_.filePath("Trailkeep/trailkeep.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    // Runs one check with whatever host the environment and the settings name.
    bool checkAsConfigured() {
        updateCheck_ = std::make_unique<UpdateCheck>(language_, nullptr);
        updateCheck_->setAsker([this](const QString& question) {
            questions_ << question;
            return false;
        });
        Finishes finishes(*updateCheck_);
        updateCheck_->scheduleOnce(0);
        if (!finishes.wait())
            return false;
        asked_ = finishes.lastAsked;
        return finishes.count == 1;
    }

    // Runs one check against host, the question answered by answer; true when it finished.
    bool check(const QString& host, bool answer = true, int waitMs = 15000) {
        qputenv("TRAILKEEP_UPDATE_HOST", host.toUtf8());
        updateCheck_ = std::make_unique<UpdateCheck>(language_, nullptr);
        updateCheck_->setAsker([this, answer](const QString& question) {
            questions_ << question;
            return answer;
        });
        updateCheck_->setOpener([this](const QUrl& page) { opened_.push_back(page); });
        Finishes finishes(*updateCheck_);
        updateCheck_->run();
        if (!finishes.wait(waitMs))
            return false;
        pause(50);
        asked_ = finishes.lastAsked;
        return finishes.count == 1;
    }

    QTemporaryDir settingsFolder_;
    tk::Language language_;
    std::unique_ptr<UpdateCheck> updateCheck_;
    QStringList questions_;
    std::vector<QUrl> opened_;
    bool asked_ = false;
};

TEST_F(UpdateCheckTest, NewerVersionAsksAndYesOpensTheProductPageOnTheSameHost) {
    LoopbackServer server(LoopbackServer::Mode::Answer, "k");
    ASSERT_TRUE(check(server.host()));
    EXPECT_TRUE(asked_);
    EXPECT_EQ(questions_, QStringList{kQuestion});
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0].toString(),
              "http://" + server.host() + "/index.php?route=product/product&path=24&product_id=43");

    EXPECT_EQ(server.requests(), 1);
    EXPECT_TRUE(server.lastRequest().startsWith("GET /gpsv.php HTTP/1.1\r\n"));
    EXPECT_TRUE(server.lastRequest().contains("\r\nUser-Agent: Trailkeep\r\n"));
}

TEST_F(UpdateCheckTest, NoOpensNothing) {
    LoopbackServer server(LoopbackServer::Mode::Answer, "k1.40\r\n");
    ASSERT_TRUE(check(server.host(), false));
    EXPECT_TRUE(asked_);
    EXPECT_EQ(questions_.size(), 1);
    EXPECT_TRUE(opened_.empty());
}

TEST_F(UpdateCheckTest, RepliesThatAreNotANewerLetterAskNothing) {
    const QByteArray replies[] = {"j", "a", "", "\x80k", "\xff", "1.32", "<html>k</html>", "\r\n"};
    for (const QByteArray& reply : replies) {
        LoopbackServer server(LoopbackServer::Mode::Answer, reply);
        ASSERT_TRUE(check(server.host())) << reply.toHex().constData();
        EXPECT_FALSE(asked_) << reply.toHex().constData();
        EXPECT_EQ(server.requests(), 1);
    }
    EXPECT_TRUE(questions_.isEmpty());
    EXPECT_TRUE(opened_.empty());
}

TEST_F(UpdateCheckTest, ReplyLinesAreJoinedBeforeTheFirstCharacterIsTaken) {
    LoopbackServer joined(LoopbackServer::Mode::Answer, "\r\n\nk\r\n1.40\r\n");
    ASSERT_TRUE(check(joined.host()));
    EXPECT_TRUE(asked_);

    LoopbackServer older(LoopbackServer::Mode::Answer, "\r\nj\r\nk\r\n");
    ASSERT_TRUE(check(older.host()));
    EXPECT_FALSE(asked_);
}

TEST_F(UpdateCheckTest, AnErrorPageIsJudgedByItsFirstCharacterLikeAnyReply) {
    LoopbackServer notFound(LoopbackServer::Mode::Answer, "<html>Not Found</html>",
                            "404 Not Found");
    ASSERT_TRUE(check(notFound.host()));
    EXPECT_FALSE(asked_);

    LoopbackServer serverError(LoopbackServer::Mode::Answer, "k", "500 Internal Server Error");
    ASSERT_TRUE(check(serverError.host()));
    EXPECT_TRUE(asked_);
}

TEST_F(UpdateCheckTest, AskedAtMostOncePerRunEvenAfterNo) {
    LoopbackServer server(LoopbackServer::Mode::Answer, "k");
    qputenv("TRAILKEEP_UPDATE_HOST", server.host().toUtf8());
    UpdateCheck updateCheck(language_, nullptr);
    int asked = 0;
    updateCheck.setAsker([&asked](const QString&) { return ++asked, false; });
    updateCheck.setOpener([this](const QUrl& page) { opened_.push_back(page); });
    Finishes finishes(updateCheck);

    QElapsedTimer scheduled;
    scheduled.start();
    updateCheck.scheduleOnce(600);
    updateCheck.scheduleOnce(10);
    ASSERT_TRUE(finishes.wait());
    // The first delay holds; the second call did nothing (a busy machine only makes it later).
    EXPECT_GE(scheduled.elapsed(), 600);
    updateCheck.run();
    updateCheck.scheduleOnce(0);
    pause(300);

    EXPECT_EQ(finishes.count, 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(server.requests(), 1);
    EXPECT_TRUE(opened_.empty());
}

TEST_F(UpdateCheckTest, FailuresEndSilentlyWithinTheTimeOuts) {
    LoopbackServer silent(LoopbackServer::Mode::Silent);
    LoopbackServer closing(LoopbackServer::Mode::CloseAtOnce);
    QString refused;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        refused = QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
    }
    for (const QString& host : {silent.host(), closing.host(), refused}) {
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(check(host)) << host.toStdString();
        EXPECT_FALSE(asked_);
        EXPECT_LT(clock.elapsed(), UpdateCheck::kStallTimeoutMs + 5000) << host.toStdString();
    }
    EXPECT_EQ(silent.requests(), 1);
    EXPECT_TRUE(questions_.isEmpty());
    EXPECT_TRUE(opened_.empty());
}

TEST_F(UpdateCheckTest, ATrickleIsCutOffByTheWholeTransferBound) {
    LoopbackServer trickle(LoopbackServer::Mode::Trickle);
    QElapsedTimer clock;
    clock.start();
    int ticks = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&ticks] { ++ticks; });
    heartbeat.start(100);
    ASSERT_TRUE(check(trickle.host(), true, UpdateCheck::kTotalTimeoutMs + 10000));
    EXPECT_FALSE(asked_);
    EXPECT_LT(clock.elapsed(), UpdateCheck::kTotalTimeoutMs + 5000);
    EXPECT_GT(ticks, 20); // the event loop kept running all along
}

// Every request the program sends to any host other than loopback goes through the application
// proxy: a loopback server as that proxy sees whatever the check would ask of any server.
class ProxyAll {
public:
    explicit ProxyAll(const LoopbackServer& server) : saved_(QNetworkProxy::applicationProxy()) {
        const QStringList hostAndPort = server.host().split(':');
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, hostAndPort[0],
                                                         quint16(hostAndPort[1].toUInt())));
    }
    ~ProxyAll() { QNetworkProxy::setApplicationProxy(saved_); }

private:
    QNetworkProxy saved_;
};

TEST_F(UpdateCheckTest, WithoutAHostTheCheckEndsWithoutAnyRequest) {
    LoopbackServer proxy(LoopbackServer::Mode::Answer, "k");
    ProxyAll all(proxy);
    const QByteArray settings[] = {"", "[Update]\n", "[Update]\nHost=\n", "[Update]\nHost=  \n",
                                   "[Map]\nHost=127.0.0.1:9\n"};
    for (const QByteArray& text : settings) {
        writeSettings(text);
        qputenv("TRAILKEEP_UPDATE_HOST", " ");
        ASSERT_TRUE(checkAsConfigured()) << text.constData();
        EXPECT_FALSE(asked_);
    }
    EXPECT_EQ(proxy.requests(), 0) << proxy.lastRequest().constData();
    EXPECT_TRUE(questions_.isEmpty());
    EXPECT_TRUE(UpdateCheck::updateHost().isEmpty());
}

TEST_F(UpdateCheckTest, TheSettingsFileTurnsTheCheckOn) {
    LoopbackServer server(LoopbackServer::Mode::Answer, "k");
    writeSettings("[Update]\nHost=" + server.host().toUtf8() + "\n");
    ASSERT_TRUE(checkAsConfigured());
    EXPECT_TRUE(asked_);
    EXPECT_EQ(questions_, QStringList{kQuestion});
    EXPECT_EQ(server.requests(), 1);
    EXPECT_TRUE(server.lastRequest().startsWith("GET /gpsv.php HTTP/1.1\r\n"));
}

TEST_F(UpdateCheckTest, TheEnvironmentNamesTheHostBeforeTheSettingsFile) {
    LoopbackServer fromSettings(LoopbackServer::Mode::Answer, "k");
    LoopbackServer fromEnvironment(LoopbackServer::Mode::Answer, "a");
    writeSettings("[Update]\nHost=" + fromSettings.host().toUtf8() + "\n");
    qputenv("TRAILKEEP_UPDATE_HOST", fromEnvironment.host().toUtf8());
    ASSERT_TRUE(checkAsConfigured());
    EXPECT_FALSE(asked_);
    EXPECT_EQ(fromEnvironment.requests(), 1);
    EXPECT_EQ(fromSettings.requests(), 0);
}

TEST_F(UpdateCheckTest, HostIsHostOrHostAndPort) {
    qputenv("TRAILKEEP_UPDATE_HOST", " example.net ");
    EXPECT_EQ(UpdateCheck::updateHost(), "example.net");

    EXPECT_EQ(UpdateCheck::versionUrl("example.net").toString(), "http://example.net/gpsv.php");
    EXPECT_EQ(UpdateCheck::versionUrl("example.net:8080").toString(),
              "http://example.net:8080/gpsv.php");
    EXPECT_EQ(UpdateCheck::productPageUrl("example.net:8080").toString(),
              "http://example.net:8080/index.php?route=product/product&path=24&product_id=43");
    EXPECT_EQ(UpdateCheck::versionUrl("[::1]:81").toString(), "http://[::1]:81/gpsv.php");
    for (const char* bad : {"a b", "host:port", "host:70000", "user@host", "host/path", ":80"})
        EXPECT_FALSE(UpdateCheck::versionUrl(bad).isValid()) << bad;
}

TEST_F(UpdateCheckTest, AnUnusableHostEndsWithoutARequest) {
    ASSERT_TRUE(check("not a host"));
    EXPECT_FALSE(asked_);
    EXPECT_TRUE(questions_.isEmpty());
}

TEST_F(UpdateCheckTest, TheQuestionBoxIsTitledTrailkeepAndYesOpensThePage) {
    LoopbackServer server(LoopbackServer::Mode::Answer, "k");
    qputenv("TRAILKEEP_UPDATE_HOST", server.host().toUtf8());
    QWidget window;
    UpdateCheck updateCheck(language_, &window);
    updateCheck.setOpener([this](const QUrl& page) { opened_.push_back(page); });
    ModalAnswer answer(QMessageBox::Yes);
    Finishes finishes(updateCheck);
    updateCheck.run();
    ASSERT_TRUE(finishes.wait());

    EXPECT_EQ(answer.texts(), QStringList{kQuestion});
    EXPECT_EQ(answer.titles(), QStringList{"Trailkeep"});
    EXPECT_EQ(opened_.size(), 1u);
}

} // namespace
