// SPDX-License-Identifier: GPL-3.0-or-later
// Clicks in the window: a track's row to its line and profile drawn on the page, and Show all
// to every track's line drawn.
#include <QPushButton>
#include <QTest>
#include <QWebEnginePage>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/CMainFrame.h"
#include "app/CTrailkeepApp.h"
#include "demo/DemoMemory.h"
#include "gui_bench.h"
#include "map/CMapView.h"
#include "panel/TrackList.h"
#include "panel/TrackPanel.h"
#include "tracks/ProjectFile.h"

namespace guibench {
namespace {

constexpr int kTrackPoints = 22528;

// The page's answer to script, a list of size values that starts [timeOrigin, a stamp], once
// the stamp is at or after the wall-clock time since; empty when it never is.
QVariantList askStamped(CMainFrame& frame, const QString& script, int size, double since) {
    return askPage(
               frame.mapView()->page(), script,
               [size, since](const QVariant& v) {
                   const QVariantList l = v.toList();
                   return l.size() == size && l[0].toDouble() + l[1].toDouble() >= since;
               },
               20000)
        .toList();
}

struct Drawn {
    double lineMs = -1;
    double profileMs = -1;
    double arrivedMs = -1; // the track reached the page's script
    int vertices = 0;
    int profilePoints = 0;
};

// Clicks the first row and waits for the page to draw the line and the profile anew (the page on
// show draws it, or a page loaded for it); the page's stamps are performance.now() values, turned
// into wall-clock time with its timeOrigin.
Drawn clickFirstRow(CMainFrame& frame) {
    TrackList* list = frame.panel()->trackList();
    const QPoint at = list->visualItemRect(list->item(0, 1)).center();
    const double clicked = epochMs();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    const QString script = QStringLiteral(
        "(function(){var p=window.tkPage;if(!p||!p.ready)return null;"
        "return [performance.timeOrigin, p.lineDrawnMs, p.profileDrawnMs, p.lineVertices,"
        " p.profilePoints, p.trackArrivedMs || p.lineDrawnMs];})()");
    const QVariantList answer = askStamped(frame, script, 6, clicked);
    Drawn drawn;
    if (answer.size() == 6) {
        drawn.arrivedMs = answer[0].toDouble() + answer[5].toDouble() - clicked;
        drawn.lineMs = answer[0].toDouble() + answer[1].toDouble() - clicked;
        drawn.profileMs = answer[0].toDouble() + answer[2].toDouble() - clicked;
        drawn.vertices = answer[3].toInt();
        drawn.profilePoints = answer[4].toInt();
    }
    return drawn;
}

// The page's all-tracks view as [timeOrigin, drawn stamp, lines, vertices], once it shows the
// given number of tracks drawn after the wall-clock time since.
QVariantList overviewDrawn(CMainFrame& frame, int tracks, double since) {
    const QString script =
        QStringLiteral(
            "(function(){var p=window.tkPage;if(!p||p.overviewTracks.length!==%1||"
            "p.overviewDrawnMs===null)return null;var v=0;p.map.eachLayer(function(l){"
            "if(l instanceof L.Polyline&&l.options.interactive)v+=l.getLatLngs().length;"
            "});return [performance.timeOrigin,p.overviewDrawnMs,p.overviewLines,v];})()")
            .arg(tracks);
    return askStamped(frame, script, 4, since);
}

// One trip long enough to fill the memory, every fix kept.
void loadLongTrack(CTrailkeepApp& app) {
    tk::DemoOptions options;
    options.trips = 1;
    options.stepSeconds = 1;
    options.glitches = false;
    options.erasedPages = 0;
    options.fixesPerTrip = kTrackPoints;
    const std::vector<std::uint8_t> memory = tk::makeDemoMemory(options);
    tk::PageBuffer buffer;
    tk::TrackTable table;
    tk::TrackDecoder decoder(table);
    tk::loadProject(memory, buffer, decoder);
    // data.js leaves out fixes that did not move in both latitude and longitude (the trip's
    // stops); a step back and forth at those keeps every fix a point of the page.
    if (!table.tracks.empty()) {
        std::vector<tk::TrackPoint>& points = table.tracks[0].points;
        constexpr double kStep = 0.00002;
        for (std::size_t i = 1; i < points.size(); ++i) {
            const double sign = i % 2 ? 1.0 : -1.0;
            if (std::fabs(points[i].latitude - points[i - 1].latitude) < kStep)
                points[i].latitude = points[i - 1].latitude + sign * kStep;
            if (std::fabs(points[i].longitude - points[i - 1].longitude) < kStep)
                points[i].longitude = points[i - 1].longitude + sign * kStep;
        }
    }
    app.session().takeDownload(std::move(buffer), std::move(table));
}

} // namespace

// Show none, then Show all clicked and timed to the page's stamp of every line drawn (taken once
// the frame with them has been painted).
bool timeShowAll(CMainFrame& frame, int runs) {
    auto* all = frame.panel()->findChild<QPushButton*>(QStringLiteral("showAllButton"));
    auto* none = frame.panel()->findChild<QPushButton*>(QStringLiteral("showNoneButton"));
    const int tracks = frame.panel()->trackList()->rowCount();
    std::vector<double> times;
    QVariantList last;
    for (int i = 0; i < runs; ++i) {
        // Show none redraws nothing when nothing is checked (the first round).
        QTest::mouseClick(none, Qt::LeftButton);
        if (overviewDrawn(frame, 0, 0).isEmpty())
            return false;
        pause(300);
        const double clicked = epochMs();
        QTest::mouseClick(all, Qt::LeftButton);
        last = overviewDrawn(frame, tracks, clicked);
        if (last.isEmpty())
            return false;
        times.push_back(last[0].toDouble() + last[1].toDouble() - clicked);
        pause(300);
    }
    row(QStringLiteral("Show all on the full memory: %1 tracks (%2 thinned lines, %3 vertices, "
                       "the clicked one in full) to every line drawn (median)")
            .arg(tracks)
            .arg(last[2].toInt())
            .arg(last[3].toInt()),
        ms(median(times)) + spread(times, "clicks"), QStringLiteral("< 40 ms"));
    return true;
}

double clickFirstRowLineMs(CMainFrame& frame) {
    return clickFirstRow(frame).lineMs;
}

bool timeClicks(CMainFrame& frame, CTrailkeepApp& app, int runs) {
    loadLongTrack(app);
    const tk::Track* track = app.session().track(0);
    const std::size_t points = track ? track->points.size() : 0;
    std::vector<double> line;
    std::vector<double> profile;
    std::vector<double> arrived;
    Drawn last;
    for (int i = 0; i < runs; ++i) {
        last = clickFirstRow(frame);
        if (last.lineMs < 0)
            return false;
        line.push_back(last.lineMs);
        profile.push_back(last.profileMs);
        arrived.push_back(last.arrivedMs);
        pause(300);
    }
    row(QStringLiteral("Click on a %1-point track to the track in the page's script (median)")
            .arg(points),
        ms(median(arrived)) + spread(arrived, "clicks"));
    row(QStringLiteral("Click on a %1-point track to the line drawn (median; %2 line vertices)")
            .arg(points)
            .arg(last.vertices),
        ms(median(line)) + spread(line, "clicks"), QStringLiteral("< 50 ms"));
    row(QStringLiteral("Click to the profile drawn (median; %1 profile points)")
            .arg(last.profilePoints),
        ms(median(profile)) + spread(profile, "clicks"), QStringLiteral("< 80 ms"));
    return true;
}

} // namespace guibench
