// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace tk::pagetest {

inline constexpr const char* kOfflineTiles =
    "window.TK_TILES = {url: 'no-tiles/{z}/{x}/{y}.png', attribution: 'Test tiles', maxZoom: 18};";
inline constexpr const char* kOurBrowser =
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

inline std::int32_t clockOf(int seconds) {
    seconds %= 86400;
    return seconds / 3600 * 10000 + seconds / 60 % 60 * 100 + seconds % 60;
}

inline constexpr TrackStyle kWalkStyle{0x00336699, 3, 2};

// n fixes one second apart from startTime, each far enough from the last to be written as a row,
// so data.js holds n + 1 rows (the closing row repeats the last fix).
inline Track walkTrack(int n, std::int32_t startTime = 235930) {
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

    // Writes the track's data.js and opens the page with the offline tiles; whether it got ready.
    bool openOffline(const Track& track, const QString& name = QStringLiteral("Custom.html")) {
        writeData(track);
        injectBeforePage(kOfflineTiles);
        openPage(name);
        return waitReady();
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
inline constexpr const char* kMarkers =
    "(() => { const m = []; tkPage.map.eachLayer(l => { if (l instanceof L.CircleMarker) "
    "m.push(l.getLatLng().lat.toFixed(6) + ',' + l.getLatLng().lng.toFixed(6)); }); "
    "return m; })()";
inline constexpr const char* kLineStyle =
    "(() => { let s = ''; tkPage.map.eachLayer(l => { if (l instanceof L.Polyline && "
    "!(l instanceof L.CircleMarker)) s = l.options.color + ' ' + l.options.weight + ' ' + "
    "l.options.opacity; }); return s; })()";

} // namespace tk::pagetest
