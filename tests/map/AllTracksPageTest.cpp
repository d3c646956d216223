// SPDX-License-Identifier: GPL-3.0-or-later
// The all-tracks view on the track page: each checked track drawn once beside the selected one,
// all of them in view, and a view replaced, emptied or given garbage.
#include "map/MapPagesFixture.h"
#include "map/TrackOverview.h"

namespace tk::pagetest {
namespace {

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

} // namespace
} // namespace tk::pagetest
