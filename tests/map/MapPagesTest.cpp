// SPDX-License-Identifier: GPL-3.0-or-later
// The track page (Custom.html) offline: the line, markers, summary and profile, playback, the
// hovered points through the bridge, markup shown as text, the default tiles, a full memory.
#include <QRegularExpression>

#include "map/MapPagesFixture.h"

#include <cstdio>

namespace tk::pagetest {
namespace {

TEST_F(MapPages, CustomDrawsWholeTrackMarkersSummaryAndProfileOffline) {
    const Track track = walkTrack(300);
    ASSERT_TRUE(openOffline(track));

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
    ASSERT_TRUE(openOffline(walkTrack(2000)));
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
    injectBeforePage(kOurBrowser);
    ASSERT_TRUE(openOffline(walkTrack(500)));
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
    ASSERT_TRUE(openOffline(walkTrack(50)));
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
} // namespace tk::pagetest
