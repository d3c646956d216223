// SPDX-License-Identifier: GPL-3.0-or-later
// The door to the pages, both ways, in the real window and browser: what the session changes
// reaches the page on show over the web channel without a reload, and what the page reports
// reaches the session and the window.
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QWebEnginePage>

#include "map/MapDataScript.h"
#include "map/MapPage.h"
#include "panel/LineColourQt.h"
#include "panel/TrackList.h"
#include "panel/TrackPanel.h"
#include "session/TrackSession.h"
#include "support/qt/ProgramFixture.h"
#include "support/qt/Wait.h"
#include "tracks/LineColour.h"

namespace {

class MapPageTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
    }
    TrackSession& session() { return app_->session(); }
    QWebEnginePage* page() { return frame_->mapView()->page(); }
    QVariant evaluate(const QString& script) { return evaluateIn(page(), script); }
    bool waitForPage(const QString& condition) {
        return waitUntil(
            [&] { return evaluate(QString("!!(window.tkPage && (%1))").arg(condition)).toBool(); },
            20000);
    }
    // Marks the loaded document: a reload forgets the mark.
    void markDocument() { evaluate("window.sameDocument = true"); }
    bool sameDocument() { return evaluate("window.sameDocument === true").toBool(); }
    int tracksShown() { return evaluate("tkPage.tracksShown").toInt(); }
    QString drawnColour(int index) {
        return tk::toQColor(tk::drawColour(session().style(index).colour)).name();
    }
};

TEST_F(MapPageTest, ASelectedTrackIsDrawnOnThePageOnShowAndDataJsStillWritten) {
    start();
    ASSERT_TRUE(showFirstDemoTrack());
    markDocument();
    const int before = tracksShown();
    TrackList* list = frame_->panel()->trackList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2, 1)).center());
    ASSERT_TRUE(waitForPage(QString("tkPage.tracksShown > %1 && tkPage.ready").arg(before)));
    EXPECT_TRUE(sameDocument()) << "the page was reloaded";

    const tk::Track& track = *session().track(2);
    const auto rows = static_cast<int>(tk::mapDataRowPoints(track.points).size());
    EXPECT_EQ(evaluate("tkPage.rows.length").toInt(), rows);
    EXPECT_EQ(evaluate("tkPage.lineVertices").toInt(), rows);
    EXPECT_EQ(evaluate("tkPage.profilePoints").toInt(), rows);
    EXPECT_EQ(evaluate("tkPage.trackLine.options.color").toString(), drawnColour(2));
    EXPECT_EQ(evaluate("document.querySelector('#summary td').textContent").toString(),
              QString::fromStdString(track.name));
    tk::TrackStyle style = session().style(2);
    style.colour = tk::drawColour(style.colour);
    EXPECT_EQ(writtenDataJs().toStdString(), tk::mapDataScript(track, style));
    EXPECT_TRUE(waitForPage("tkPage.figures !== null"))
        << "the page asks for the new track's figures";
}

TEST_F(MapPageTest, AFileTrackInSegmentsIsDrawnWithThePenLiftedBetweenThem) {
    start();
    ASSERT_TRUE(showFirstDemoTrack());
    const int before = tracksShown();
    std::string gpx = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><name>Two legs</name>";
    for (int segment = 0; segment < 2; ++segment) {
        gpx += "<trkseg>";
        for (int i = 0; i < 4; ++i)
            gpx += "<trkpt lat=\"" + std::to_string(47.1 + segment * 0.1 + i * 0.001) +
                   "\" lon=\"" + std::to_string(8.1 + i * 0.001) + "\"/>";
        gpx += "</trkseg>";
    }
    writeText("legs.gpx", QByteArray::fromStdString(gpx + "</trk></gpx>"));
    ASSERT_EQ(session().addTrackFile(path("legs.gpx").toStdString()), "");
    ASSERT_TRUE(waitForPage(QString("tkPage.tracksShown > %1 && tkPage.ready").arg(before)));
    EXPECT_EQ(evaluate("tkPage.lineParts").toInt(), 2);
    EXPECT_EQ(evaluate("tkPage.lineVertices").toInt(), 9) << "8 fixes and the closing row";
    EXPECT_EQ(evaluate("document.querySelector('#summary td').textContent").toString(), "Two legs");
}

TEST_F(MapPageTest, StyleThresholdsAndLanguageReachThePageWithoutAReload) {
    start();
    ASSERT_TRUE(showFirstDemoTrack());
    ASSERT_TRUE(waitForPage("tkPage.figures !== null"));
    markDocument();

    session().setStyle(0, {0x0000FF00, 5, 2});
    EXPECT_TRUE(waitForPage("tkPage.ready && tkPage.trackLine.options.color === '#00ff00' && "
                            "tkPage.trackLine.options.weight === 5"));

    frame_->panel()->setFigureSettings({6.5, 12.0});
    EXPECT_TRUE(
        waitForPage("document.getElementById('figuresNote').textContent.indexOf('6.5 km/h') >= 0"));

    frame_->switchLanguage(1);
    EXPECT_TRUE(waitForPage("document.getElementById('slowerButton').textContent === '减速'"));
    EXPECT_TRUE(evaluate("['播放', '暂停'].includes(document.getElementById('playButton')"
                         ".textContent)")
                    .toBool());
    EXPECT_TRUE(sameDocument());
}

TEST_F(MapPageTest, NewTracksKeepTheOldLineUntilOneIsSelected) {
    start();
    ASSERT_TRUE(showFirstDemoTrack());
    markDocument();
    const QString name = evaluate("document.querySelector('#summary td').textContent").toString();
    session().loadMemory(tk::makeDemoMemory({.seed = 5, .trips = 2}));
    ASSERT_TRUE(settle(page()));
    EXPECT_EQ(evaluate("document.querySelector('#summary td').textContent").toString(), name);
    EXPECT_EQ(frame_->panel()->trackList()->rowCount(), 2);
    EXPECT_TRUE(sameDocument());
}

// From the page: a position to the status bar, a picked line to the session and the list.
TEST_F(MapPageTest, WhatThePageReportsReachesTheSessionAndTheWindow) {
    start();
    ASSERT_TRUE(showFirstDemoTrack());
    evaluate("window.external.CB_CustomFunctionWithParams('22.543210', '114.057865')");
    EXPECT_TRUE(waitUntil([&] { return !frame_->statusPane()->text().isEmpty(); }));
    EXPECT_EQ(frame_->statusPane()->text(), "Latitude:22.32.19 Longitude:114.03.46");

    const int before = tracksShown();
    evaluate("window.external.CB_SelectTrack(3)");
    EXPECT_TRUE(waitUntil([&] { return session().selected() == 3; }));
    EXPECT_EQ(frame_->panel()->trackList()->currentRow(), 3);
    EXPECT_TRUE(waitForPage(QString("tkPage.tracksShown > %1 && tkPage.ready").arg(before)));
}

} // namespace
