// SPDX-License-Identifier: GPL-3.0-or-later
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

#include "map/TileSchemeHandler.h"
#include "support/qt/ProgramFixture.h"
#include "support/qt/Wait.h"

namespace {

// A tile server on loopback: records each request's head and answers with a small PNG that may
// be cached for an hour.
class TileServer : public QObject {
public:
    TileServer() {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        });
    }
    quint16 port() const { return server_.serverPort(); }
    QStringList requests;

private:
    void serve(QTcpSocket* socket) {
        buffer_[socket] += socket->readAll();
        if (!buffer_[socket].contains("\r\n\r\n"))
            return;
        requests << QString::fromLatin1(buffer_.take(socket));
        static const QByteArray png = QByteArray::fromBase64(
            "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJ"
            "RU5ErkJggg==");
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nCache-Control: max-age=3600"
                      "\r\nContent-Length: " +
                      QByteArray::number(png.size()) + "\r\n\r\n" + png);
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> buffer_;
};

class TileRequestTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home_.path());
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Trailkeep", "trailkeep");
        settings.setValue("Map/TileUrl",
                          QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(tiles_.port()));
        settings.setValue("Map/TileAttribution", "Test tiles");
        settings.sync();
    }
    bool requested(const QString& path) const {
        for (const QString& request : tiles_.requests)
            if (request.startsWith("GET " + path + " "))
                return true;
        return false;
    }
    // Every tile the map shows has been drawn (so every request for it has been made).
    bool tilesDrawn() {
        auto drawn = std::make_shared<int>(-1);
        frame_->mapView()->page()->runJavaScript(
            QStringLiteral("(() => { const t = [...document.querySelectorAll('img.leaflet-tile')];"
                           " return t.length > 0 && t.every(i => i.complete &&"
                           " i.classList.contains('leaflet-tile-loaded')); })()"),
            [drawn](const QVariant& v) { *drawn = v.toBool() ? 1 : 0; });
        waitUntil([&] { return *drawn >= 0; }, 20000);
        return *drawn == 1;
    }

    QTemporaryDir home_;
    TileServer tiles_;
};

TEST_F(TileRequestTest, TilesComeFromTheConfiguredServerWithTheProgramsNameAndReferer) {
    start();
    ASSERT_TRUE(waitUntil([&] { return requested("/1/0/0.png"); }, 15000));
    for (const QString& request : tiles_.requests) {
        EXPECT_TRUE(request.contains("\r\nUser-Agent: Trailkeep/1.31")) << request.toStdString();
        EXPECT_TRUE(request.contains("\r\nReferer: https://trailkeep.org/"))
            << request.toStdString();
    }
}

TEST_F(TileRequestTest, PersistentProfileServesRepeatedTilesFromItsCache) {
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    qputenv("XDG_DATA_HOME", cache.path().toUtf8());
    app_ = std::make_unique<CTrailkeepApp>(
        CTrailkeepApp::Options{moduleDir_, QStringLiteral("/dev/null-no-logger"), true});
    frame_ = std::make_unique<CMainFrame>(*app_);
    frame_->show();
    ASSERT_TRUE(waitUntil([&] { return requested("/1/0/0.png"); }, 15000));
    ASSERT_TRUE(waitUntil([&] { return tilesDrawn(); }, 20000));
    const int first = static_cast<int>(tiles_.requests.size());
    frame_->mapView()->showStartPage();
    waitForStartPage();
    ASSERT_TRUE(waitUntil([&] { return tilesDrawn(); }, 20000));
    EXPECT_EQ(tiles_.requests.size(), first) << "tiles fetched again";
    const QString tiles =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/tiles";
    EXPECT_TRUE(QDir(tiles).exists()) << tiles.toStdString();
    frame_.reset();
    app_.reset();
    qunsetenv("XDG_CACHE_HOME");
    qunsetenv("XDG_DATA_HOME");
}

} // namespace

TEST(TileSchemeHandler, MapsOnlyTilesInRangeToTheServer) {
    const QString server = "https://{s}.tiles.example/{z}/{x}/{y}.png";
    EXPECT_EQ(TileSchemeHandler::serverUrl(server, "3/4/5"),
              QUrl("https://a.tiles.example/3/4/5.png"));
    for (const char* bad : {"3/8/0", "3/0/-1", "23/0/0", "a/b/c", "1/0", "1/0/0/0", ""})
        EXPECT_TRUE(TileSchemeHandler::serverUrl(server, bad).isEmpty()) << bad;
    EXPECT_TRUE(TileSchemeHandler::serverUrl("file:///etc/{z}", "1/0/0").isEmpty());
}
