// SPDX-License-Identifier: GPL-3.0-or-later
// The map pages beside the program, loaded in the real embedded browser with a data.js written
// by the program's own writer. No request leaves the machine: a profile-wide interceptor blocks
// every non-file request and records it, so offline drawing is what is tested.
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QPageLayout>
#include <QPageSize>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include "map/MapDataScript.h"
#include "map/TrackOverview.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace tk {
namespace {

constexpr const char* kOfflineTiles =
    "window.TK_TILES = {url: 'no-tiles/{z}/{x}/{y}.png', attribution: 'Test tiles', maxZoom: 18};";
constexpr const char* kOurBrowser =
    "window.tkCalls = []; window.external = {CB_IsOurCustomBrowser: function () { return 1; },"
    "CB_CustomFunctionWithParams: function (a, b) { window.tkCalls.push([a, b]); }};";

class NetworkBlocker : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        if (info.requestUrl().isLocalFile() || info.requestUrl().scheme() == "data" ||
            info.requestUrl().scheme() == "qrc")
            return;
        QMutexLocker lock(&mutex_);
        blocked_ << info.requestUrl().toString();
        info.block(true);
    }
    QStringList blocked() {
        QMutexLocker lock(&mutex_);
        return blocked_;
    }

private:
    QMutex mutex_;
    QStringList blocked_;
};

// Counts what the program would show as error boxes (alert, confirm, prompt) and script errors.
class WatchedPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
    int boxes = 0;
    QStringList errors;

protected:
    void javaScriptAlert(const QUrl&, const QString& text) override {
        ++boxes;
        errors << "alert: " + text;
    }
    bool javaScriptConfirm(const QUrl&, const QString&) override { return ++boxes, false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override {
        return ++boxes, false;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override {
        if (level == ErrorMessageLevel)
            errors << QString("%1:%2: %3").arg(source).arg(line).arg(message);
    }
};

std::int32_t clockOf(int seconds) {
    seconds %= 86400;
    return seconds / 3600 * 10000 + seconds / 60 % 60 * 100 + seconds % 60;
}

constexpr TrackStyle kWalkStyle{0x00336699, 3, 2};

// n fixes one second apart from startTime, each far enough from the last to be written as a row,
// so data.js holds n + 1 rows (the closing row repeats the last fix).
Track walkTrack(int n, std::int32_t startTime = 235930) {
    Track t;
    t.name = "2026-06-10 23:59:30";
    t.stepSeconds = 1;
    t.peakSpeed = 48000;
    t.distance = 12345;
    const int start = startTime / 10000 * 3600 + startTime / 100 % 100 * 60 + startTime % 100;
    for (int i = 0; i < n; ++i) {
        TrackPoint p;
        p.timeOfDay = clockOf(start + i);
        p.speed = 36000 + static_cast<std::uint32_t>(12000 * std::sin(i / 40.0) + 12000);
        p.recordedSpeed = p.speed;
        p.altitude = 1500 + static_cast<std::int32_t>(500 * std::sin(i / 100.0));
        p.latitude = 22.5 + i * 0.00003;
        p.longitude = 114.0 + i * 0.00004 + 0.002 * std::sin(i / 300.0);
        t.points.push_back(p);
    }
    return t;
}

class MapPages : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        copyBuiltPages();
        profile_ = std::make_unique<QWebEngineProfile>();
        profile_->setUrlRequestInterceptor(&blocker_);
        page_ = new WatchedPage(profile_.get(), &view_);
        // As in the program: pages from files may fetch tiles from the tile server.
        page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        view_.setPage(page_);
        view_.resize(640, 480);
        view_.show();
    }

    void TearDown() override {
        if (!page_)
            return;
        if (!qEnvironmentVariableIsEmpty("TK_PAGE_SHOTS") && page_->url().isValid()) {
            const QString name = QString::fromStdString(
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
            view_.grab().save(qEnvironmentVariable("TK_PAGE_SHOTS") + "/" + name + ".png");
        }
        view_.setPage(nullptr);
        delete page_;
    }

    void copyBuiltPages() {
        const QDir bin(TK_BIN_DIR);
        QDirIterator it(TK_BIN_DIR, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString rel = bin.relativeFilePath(it.next());
            if (!rel.startsWith("lib/") && !rel.endsWith(".html") && !rel.endsWith(".js") &&
                !rel.endsWith(".css"))
                continue;
            QDir(dir_.path()).mkpath(QFileInfo(rel).path());
            QFile::copy(it.filePath(), dir_.filePath(rel));
        }
        ASSERT_TRUE(QFile::exists(dir_.filePath("lib/leaflet/leaflet.js")));
        ASSERT_TRUE(QFile::exists(dir_.filePath("lib/uplot/uPlot.iife.min.js")));
        QFile::remove(dir_.filePath("data.js"));
    }

    void writeData(const Track& track) {
        const std::string script = mapDataScript(track, kWalkStyle);
        QFile file(dir_.filePath("data.js"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script.data(), static_cast<qint64>(script.size()));
    }

    void injectBeforePage(const QString& source) {
        QWebEngineScript script;
        script.setSourceCode(source);
        script.setInjectionPoint(QWebEngineScript::DocumentCreation);
        script.setWorldId(QWebEngineScript::MainWorld);
        page_->scripts().insert(script);
    }

    void openPage(const QString& name) {
        pageName_ = name;
        loadTimer_.start();
        page_->load(QUrl::fromLocalFile(dir_.filePath(name)));
    }

    static void pause(int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    QVariant eval(const QString& js) {
        QVariant result;
        bool done = false;
        QEventLoop loop;
        page_->runJavaScript(js, [&](const QVariant& v) {
            result = v;
            done = true;
            loop.quit();
        });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        if (!done)
            loop.exec();
        return result;
    }

    bool waitFor(const QString& condition, int ms = 20000) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            if (eval(QString("!!(%1)").arg(condition)).toBool())
                return true;
            pause(25);
        }
        return false;
    }

    // Ready on the page last opened, not on the one it replaces.
    bool waitReady() {
        return waitFor(QString("location.pathname.endsWith('/%1') && window.tkPage && "
                               "window.tkPage.ready")
                           .arg(pageName_));
    }

    void expectNoBoxesOrErrors() {
        EXPECT_EQ(page_->boxes, 0);
        EXPECT_TRUE(page_->errors.isEmpty()) << page_->errors.join("\n").toStdString();
    }

    QTemporaryDir dir_;
    NetworkBlocker blocker_;
    std::unique_ptr<QWebEngineProfile> profile_;
    QWebEngineView view_;
    WatchedPage* page_ = nullptr;
    QElapsedTimer loadTimer_;
    QString pageName_;
};

// The circle markers on the map as "lat,lon" texts, and the track line's style.
constexpr const char* kMarkers =
    "(() => { const m = []; tkPage.map.eachLayer(l => { if (l instanceof L.CircleMarker) "
    "m.push(l.getLatLng().lat.toFixed(6) + ',' + l.getLatLng().lng.toFixed(6)); }); "
    "return m; })()";
constexpr const char* kLineStyle =
    "(() => { let s = ''; tkPage.map.eachLayer(l => { if (l instanceof L.Polyline && "
    "!(l instanceof L.CircleMarker)) s = l.options.color + ' ' + l.options.weight + ' ' + "
    "l.options.opacity; }); return s; })()";

TEST_F(MapPages, CustomDrawsWholeTrackMarkersSummaryAndProfileOffline) {
    const Track track = walkTrack(300);
    writeData(track);
    injectBeforePage(kOfflineTiles);
    openPage("Custom.html");
    ASSERT_TRUE(waitReady());

    EXPECT_EQ(eval("locations.length").toInt(), 301);
    EXPECT_EQ(eval("tkPage.lineVertices").toInt(), 301);
    EXPECT_EQ(eval("tkPage.profilePoints").toInt(), 301);
    EXPECT_EQ(eval(kLineStyle).toString(), "#996633 3 1");
    const QStringList markers = eval(kMarkers).toStringList();
    EXPECT_TRUE(markers.contains("22.500000,114.000000")) << markers.join(" ").toStdString();
    const TrackPoint& last = track.points.back();
    EXPECT_TRUE(markers.contains(
        QString("%1,%2").arg(last.latitude, 0, 'f', 6).arg(last.longitude, 0, 'f', 6)))
        << markers.join(" ").toStdString();
    EXPECT_TRUE(eval("tkPage.map.getBounds().contains([locations[0][0], locations[0][1]]) && "
                     "tkPage.map.getBounds().contains([locations[300][0], locations[300][1]])")
                    .toBool());

    EXPECT_EQ(eval("document.querySelectorAll('#summary tr').length").toInt(), 6);
    EXPECT_EQ(eval("document.querySelector('#summary tr:nth-child(6)').textContent").toString(),
              "Distance:12345 M");
    // The track starts at 23:59:30 and passes midnight: the time axis keeps growing.
    EXPECT_EQ(eval("tkPage.chart.data[0][300] - tkPage.chart.data[0][0]").toInt(), 299);
    EXPECT_TRUE(eval("tkPage.chart.data[0].every((x, i, a) => i === 0 || x >= a[i - 1])").toBool());
    EXPECT_EQ(eval("tkPage.chart.data[1][0]").toInt(), 150);

    EXPECT_TRUE(eval("document.querySelector('.leaflet-control-attribution').textContent")
                    .toString()
                    .contains("Test tiles"));
    EXPECT_TRUE(eval("document.querySelector('.leaflet-tile-pane img') === null || "
                     "document.querySelector('.leaflet-tile-pane img').src.includes('/no-tiles/')")
                    .toBool());
    EXPECT_NE(eval("getComputedStyle(document.getElementById('map')).backgroundColor").toString(),
              "rgba(0, 0, 0, 0)");
    pause(300);
    expectNoBoxesOrErrors();
    EXPECT_TRUE(blocker_.blocked().isEmpty()) << blocker_.blocked().join(" ").toStdString();
}

TEST_F(MapPages, PlaybackAdvancesPausesAndChangesSpeed) {
    writeData(walkTrack(2000));
    injectBeforePage(kOfflineTiles);
    openPage("Custom.html");
    ASSERT_TRUE(waitReady());
    EXPECT_TRUE(eval("tkPage.playing").toBool());
    EXPECT_EQ(eval("tkPage.speed").toInt(), 2);
    ASSERT_TRUE(waitFor("tkPage.playIndex >= 10"));
    EXPECT_EQ(eval("tkPage.playIndex % 2").toInt(), 0);

    eval("document.getElementById('playButton').click()");
    EXPECT_FALSE(eval("tkPage.playing").toBool());
    EXPECT_EQ(eval("document.getElementById('playButton').textContent").toString(), "Play");
    const int stopped = eval("tkPage.playIndex").toInt();
    pause(250);
    EXPECT_EQ(eval("tkPage.playIndex").toInt(), stopped);

    eval("document.getElementById('fasterButton').click()");
    EXPECT_EQ(eval("tkPage.speed").toInt(), 4);
    eval("document.getElementById('slowerButton').click();"
         "document.getElementById('slowerButton').click();"
         "document.getElementById('slowerButton').click()");
    EXPECT_EQ(eval("tkPage.speed").toInt(), 1);

    eval("document.getElementById('playButton').click()");
    EXPECT_TRUE(eval("tkPage.playing").toBool());
    ASSERT_TRUE(waitFor(QString("tkPage.playIndex > %1").arg(stopped)));
    // Playing to the end stops there; Play then starts again from the first point.
    eval("tkPage.playIndex = locations.length - 3");
    ASSERT_TRUE(waitFor("!tkPage.playing"));
    EXPECT_EQ(eval("tkPage.playIndex").toInt(), 2000);
    eval("document.getElementById('playButton').click()");
    EXPECT_LT(eval("tkPage.playIndex").toInt(), 10);
    expectNoBoxesOrErrors();
}

// Hovering the profile at its middle; returns the index uPlot picked.
constexpr const char* kHoverProfile =
    "(() => { const over = document.querySelector('#profile .u-over');"
    "const r = over.getBoundingClientRect();"
    "over.dispatchEvent(new MouseEvent('mouseenter', {clientX: r.left + r.width / 2, clientY: "
    "r.top + 5, bubbles: true}));"
    "over.dispatchEvent(new MouseEvent('mousemove', {clientX: r.left + r.width / 2, clientY: "
    "r.top + 5, bubbles: true}));"
    "return tkPage.chart.cursor.idx; })()";
constexpr const char* kMoveOverMap =
    "(() => { const m = document.getElementById('map'); const r = m.getBoundingClientRect();"
    "m.dispatchEvent(new MouseEvent('mousemove', {clientX: r.left + 100, clientY: r.top + 100, "
    "bubbles: true})); return true; })()";

TEST_F(MapPages, BridgeGetsHoveredPointsAsSixDecimalTextsInOurBrowser) {
    writeData(walkTrack(500));
    injectBeforePage(kOfflineTiles);
    injectBeforePage(kOurBrowser);
    openPage("Custom.html");
    ASSERT_TRUE(waitReady());
    EXPECT_TRUE(eval("fnIsOurCustomBrowser()").toBool());

    const int index = eval(kHoverProfile).toInt();
    ASSERT_GT(index, 0);
    const QVariantList call = eval("tkCalls[tkCalls.length - 1]").toList();
    ASSERT_EQ(call.size(), 2);
    EXPECT_EQ(call[0].toString(), eval(QString("locations[%1][0].toFixed(6)").arg(index)));
    EXPECT_EQ(call[1].toString(), eval(QString("locations[%1][1].toFixed(6)").arg(index)));
    EXPECT_EQ(eval("typeof tkCalls[0][0]").toString(), "string");
    EXPECT_EQ(eval(kMarkers).toStringList().size(), 4) << "start, end, playback and hover marker";

    eval(kMoveOverMap);
    const QVariantList moved = eval("tkCalls[tkCalls.length - 1]").toList();
    ASSERT_EQ(moved.size(), 2);
    EXPECT_TRUE(QRegularExpression("^-?\\d+\\.\\d{6}$").match(moved[0].toString()).hasMatch());
    EXPECT_NE(moved, call);
    expectNoBoxesOrErrors();
}

TEST_F(MapPages, PlainBrowserHoversWithoutCallingOrFailing) {
    writeData(walkTrack(50));
    injectBeforePage(kOfflineTiles);
    openPage("Custom.html");
    ASSERT_TRUE(waitReady());
    EXPECT_FALSE(eval("fnIsOurCustomBrowser()").toBool());
    EXPECT_GE(eval(kHoverProfile).toInt(), 0);
    eval(kMoveOverMap);
    pause(100);
    expectNoBoxesOrErrors();
}

TEST_F(MapPages, MarkupInTrackNameIsShownAsText) {
    Track track = walkTrack(20);
    track.name = "<b id=\"injected\">bold</b><img src=x onerror=alert(1)>";
    writeData(track);
    injectBeforePage(kOfflineTiles);
    for (const char* name : {"Custom.html", "print.html"}) {
        SCOPED_TRACE(name);
        openPage(name);
        ASSERT_TRUE(waitReady());
        EXPECT_TRUE(eval("document.getElementById('injected') === null && "
                         "document.querySelector('#summary img') === null")
                        .toBool());
        EXPECT_EQ(eval("document.querySelector('#summary td').textContent").toString(),
                  QString::fromStdString(track.name));
    }
    EXPECT_EQ(eval("document.getElementById('title').textContent").toString(),
              QString::fromStdString(track.name));
    pause(200);
    expectNoBoxesOrErrors();
}

TEST_F(MapPages, PrintPageDrawsTrackAndPrintsOnOneSheet) {
    writeData(walkTrack(1200));
    injectBeforePage(kOfflineTiles);
    openPage("print.html");
    ASSERT_TRUE(waitReady());
    EXPECT_EQ(eval("tkPage.lineVertices").toInt(), 1201);
    EXPECT_EQ(eval("document.querySelectorAll('#summary tr').length").toInt(), 6);
    EXPECT_EQ(eval(kMarkers).toStringList().size(), 2);
    EXPECT_EQ(eval("typeof tkPage.playing").toString(), "undefined");

    const QString pdf = dir_.filePath("track.pdf");
    bool printed = false;
    QEventLoop loop;
    QObject::connect(page_, &QWebEnginePage::pdfPrintingFinished, &loop,
                     [&](const QString&, bool ok) {
                         printed = ok;
                         loop.quit();
                     });
    page_->printToPdf(pdf, QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                       QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_TRUE(printed);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page>") +
                  bytes.count("/Type /Page/"),
              1);
    expectNoBoxesOrErrors();
}

TEST_F(MapPages, StartPageShowsWorldMapAndKnowsAPlainBrowser) {
    QFile resource(":/start.html");
    ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
    injectBeforePage(kOfflineTiles);
    page_->setHtml(QString::fromUtf8(resource.readAll()), QUrl::fromLocalFile(dir_.path() + "/"));
    ASSERT_TRUE(waitFor("window.map && map.getZoom() === 1"));
    EXPECT_FALSE(eval("bIsCustomBrowser").toBool());
    EXPECT_EQ(eval("typeof fnIsOurCustomBrowser").toString(), "function");
    EXPECT_EQ(eval("map.getCenter().lat + ',' + map.getCenter().lng").toString(), "0,0");
    EXPECT_EQ(eval("document.getElementById('map_canvas').offsetWidth").toInt(), 640);
    EXPECT_EQ(eval("document.getElementById('map_canvas').offsetHeight").toInt(), 480);
    EXPECT_EQ(eval("document.getElementById('message').textContent").toString(), "");
    EXPECT_TRUE(eval("document.querySelector('.leaflet-control-attribution').textContent")
                    .toString()
                    .contains("Test tiles"));
    expectNoBoxesOrErrors();
}

TEST_F(MapPages, DefaultTilesComeFromOpenStreetMapAndAreFewEvenOffline) {
    writeData(walkTrack(100));
    openPage("Custom.html");
    ASSERT_TRUE(waitReady());
    EXPECT_TRUE(eval("document.querySelector('.leaflet-control-attribution').textContent")
                    .toString()
                    .contains("OpenStreetMap contributors"));
    pause(500);
    const QStringList requests = blocker_.blocked();
    ASSERT_FALSE(requests.isEmpty());
    for (const QString& url : requests)
        EXPECT_TRUE(QRegularExpression("^https://tile\\.openstreetmap\\.org/\\d+/\\d+/\\d+\\.png$")
                        .match(url)
                        .hasMatch())
            << url.toStdString();
    EXPECT_LE(requests.size(), 40) << "only the tiles in view, and a few around them";
    expectNoBoxesOrErrors();
}

// Five tracks in a row to the east of each other, the selected one (2) among them.
std::vector<Track> fiveTracks() {
    std::vector<Track> tracks;
    for (int k = 0; k < 5; ++k) {
        Track t = walkTrack(400 + 100 * k);
        for (TrackPoint& p : t.points)
            p.longitude += 0.05 * k;
        t.name = "track " + std::to_string(k);
        tracks.push_back(std::move(t));
    }
    return tracks;
}

constexpr const char* kOverviewLines =
    "(() => { const c = []; tkPage.map.eachLayer(l => { if (l instanceof L.Polyline && "
    "!(l instanceof L.CircleMarker) && l.options.interactive) c.push(l.options.color + ' ' + "
    "l.options.weight); }); return c; })()";

TEST_F(MapPages, AllTracksViewDrawsEachCheckedTrackOnceAndFitsThemAll) {
    const std::vector<Track> tracks = fiveTracks();
    writeData(tracks[2]);
    std::vector<OverviewTrack> shown;
    for (int k = 0; k < 5; ++k)
        shown.push_back({k, &tracks[static_cast<std::size_t>(k)], 0x00102030u * (k + 1), k + 1});
    const std::string view = trackViewJson(shown, 2);
    injectBeforePage(kOfflineTiles);
    injectBeforePage(QString("window.TK_VIEW = %1;").arg(QString::fromStdString(view)));
    openPage("Custom.html");
    ASSERT_TRUE(waitReady());
    ASSERT_TRUE(waitFor("tkPage.overviewDrawnMs !== null"));

    // Four thin lines beside the selected track, which stays the full-detail line of data.js.
    QStringList lines = eval(kOverviewLines).toStringList();
    lines.sort();
    EXPECT_EQ(lines, QStringList({"#302010 1", "#604020 2", "#c08040 4", "#f0a050 5"}));
    EXPECT_EQ(eval("tkPage.overviewLines").toInt(), 4);
    EXPECT_EQ(eval("tkPage.lineVertices").toInt(), 601);
    // The view holds the first fix of the westernmost and the last of the easternmost track,
    // and is not much wider than the five tracks.
    const TrackPoint& west = tracks[0].points.front();
    const TrackPoint& east = tracks[4].points.back();
    EXPECT_TRUE(eval(QString("tkPage.map.getBounds().contains([%1, %2]) && "
                             "tkPage.map.getBounds().contains([%3, %4])")
                         .arg(west.latitude, 0, 'f', 6)
                         .arg(west.longitude, 0, 'f', 6)
                         .arg(east.latitude, 0, 'f', 6)
                         .arg(east.longitude, 0, 'f', 6))
                    .toBool());
    EXPECT_LT(
        eval("tkPage.map.getBounds().getEast() - tkPage.map.getBounds().getWest()").toDouble(),
        3 * (east.longitude - west.longitude));

    // A new view replaces the old one; an empty one leaves the selected track alone, fitted.
    eval(QString("tkPage.setView(%1)")
             .arg(QString::fromStdString(trackViewJson(std::span(shown).first(2), 2))));
    EXPECT_EQ(eval("tkPage.overviewLines").toInt(), 2);
    eval("tkPage.setView({selected: 2, tracks: []})");
    EXPECT_EQ(eval("tkPage.overviewLines").toInt(), 0);
    EXPECT_FALSE(eval("tkPage.map.getBounds().contains([" + QString::number(west.latitude, 'f', 6) +
                      "," + QString::number(west.longitude, 'f', 6) + "])")
                     .toBool());
    // Garbage in the view draws nothing and breaks nothing.
    eval("tkPage.setView({tracks: [{points: [1, 'x']}, {points: [1, 2], bounds: [1, 2]}, null]})");
    EXPECT_EQ(eval("tkPage.overviewLines").toInt(), 0);
    expectNoBoxesOrErrors();
}

TEST_F(MapPages, AllTracksViewWithoutATrackOfItsOwn) {
    const std::vector<Track> tracks = fiveTracks();
    std::vector<OverviewTrack> shown;
    for (int k = 0; k < 5; ++k)
        shown.push_back({k, &tracks[static_cast<std::size_t>(k)], 0x0000ff00u, 2});
    injectBeforePage(kOfflineTiles);
    injectBeforePage(
        QString("window.TK_VIEW = %1;").arg(QString::fromStdString(trackViewJson(shown, -1))));
    openPage("Custom.html");
    ASSERT_TRUE(waitReady());
    EXPECT_EQ(eval("tkPage.overviewLines").toInt(), 5);
    EXPECT_GT(eval("tkPage.map.getZoom()").toInt(), 5);
    pause(100);
    EXPECT_EQ(page_->boxes, 0);
}

// The first load also starts the browser's page process; the program's view has one running
// already (its start page), so the second load is the one a click shows.
TEST_F(MapPages, FullMemoryTrackDrawsAtOnce) {
    writeData(walkTrack(22528));
    injectBeforePage(kOfflineTiles);
    for (const char* load : {"first", "second"}) {
        openPage("Custom.html");
        ASSERT_TRUE(waitReady());
        const qint64 wallMs = loadTimer_.elapsed();
        EXPECT_EQ(eval("tkPage.lineVertices").toInt(), 22529);
        EXPECT_EQ(eval("tkPage.profilePoints").toInt(), 22529);
        std::printf("[ timing   ] 22,528 points, %s load: line drawn at %.0f ms, profile at %.0f "
                    "ms after navigation start (ready seen after %lld ms)\n",
                    load, eval("tkPage.lineDrawnMs").toDouble(),
                    eval("tkPage.profileDrawnMs").toDouble(), static_cast<long long>(wallMs));
        eval("location.href = 'about:blank'");
        waitFor("location.href === 'about:blank'");
    }
    openPage("print.html");
    ASSERT_TRUE(waitReady());
    EXPECT_EQ(eval("tkPage.lineVertices").toInt(), 22529);
    std::printf("[ timing   ] print page: line drawn at %.0f ms\n",
                eval("tkPage.lineDrawnMs").toDouble());
    expectNoBoxesOrErrors();
}

} // namespace
} // namespace tk
