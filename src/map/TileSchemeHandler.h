#pragma once

#include <QString>
#include <QWebEngineUrlSchemeHandler>

class QNetworkAccessManager;

// Serves the pages' map tiles from the tile server the settings name. The pages ask for
// "tktile:Z/X/Y"; the program fetches the tile itself, naming itself in the User-Agent and
// sending a Referer (the browser refuses to let a page loaded from a file send one), through a
// disk cache that honours the server's expiry so a tile is not fetched again on every view.
class TileSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    static constexpr const char* kScheme = "tktile";
    static constexpr const char* kPageTemplate = "tktile:{z}/{x}/{y}";
    static constexpr const char* kReferer = "https://trailkeep.org/";

    // cacheDir empty: tiles are kept in memory only.
    TileSchemeHandler(QString serverTemplate, const QString& cacheDir, QObject* parent = nullptr);

    // The server's address for a tile, or an empty URL when the path is not Z/X/Y in range.
    static QUrl serverUrl(const QString& serverTemplate, const QString& tilePath);

    // Makes the scheme known to the browser; must run before the application object exists.
    static void registerScheme();

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QString serverTemplate_;
    QNetworkAccessManager* network_;
};

QString programUserAgent();
