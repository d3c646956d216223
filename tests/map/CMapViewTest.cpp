// SPDX-License-Identifier: GPL-3.0-or-later
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QWebEnginePage>

#include <cmath>
#include <limits>

#include "demo/DemoMemory.h"
#include "map/BrowserPolicy.h"
#include "map/CMapView.h"
#include "map/FigureTexts.h"
#include "map/PageBridge.h"
#include "map/StretchFigures.h"
#include "panel/LineColourQt.h"
#include "panel/TrackList.h"
#include "panel/TrackPanel.h"
#include "support/qt/ModalAnswer.h"
#include "support/qt/ProgramFixture.h"
#include "support/qt/Wait.h"
#include "tracks/LineColour.h"
#include "tracks/ProjectFile.h"

namespace {

class CMapViewTest : public ProgramFixture {
protected:
    CMapView& view() { return *frame_->mapView(); }

    // Loads a page of the test's own beside the program's pages and waits until it has loaded.
    void loadPage(const QByteArray& html) {
        writeText("probe.html", html);
        bool loaded = false;
        auto connection = QObject::connect(view().page(), &QWebEnginePage::loadFinished,
                                           [&loaded](bool) { loaded = true; });
        view().navigateTo(moduleDir_ + "probe.html");
        EXPECT_TRUE(waitUntil([&] { return loaded; }, 15000));
        QObject::disconnect(connection);
    }

    QVariant evaluate(const QString& script) {
        struct Answer {
            QVariant value;
            bool done = false;
        };
        auto answer = std::make_shared<Answer>();
        view().page()->runJavaScript(script, [answer](const QVariant& value) {
            answer->value = value;
            answer->done = true;
        });
        EXPECT_TRUE(waitUntil([&] { return answer->done; }));
        return answer->value;
    }

    // Waits for the status bar to show text; what it shows then, for the failure message.
    ::testing::AssertionResult statusShows(const QString& text) {
        if (waitUntil([&] { return frame_->statusPane()->text() == text; }, 5000))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << frame_->statusPane()->text().toStdString();
    }
};

TEST_F(CMapViewTest, BridgeAnswersInThePagesFirstScriptAndShowsCoordinates) {
    start();
    loadPage("<html><head><script>document.title = String(window.external.CB_IsOurCustomBrowser"
             " != null);</script></head><body></body></html>");
    EXPECT_EQ(view().title(), "true");

    evaluate("window.external.CB_CustomFunctionWithParams('22.543210', '114.057865')");
    EXPECT_TRUE(statusShows(QStringLiteral("Latitude:22.32.19 Longitude:114.03.46")));
    EXPECT_EQ(evaluate("window.external.CB_Close()").toBool(), true);
    EXPECT_EQ(evaluate("window.external.CB_CustomFunction()").toBool(), true);
}

TEST_F(CMapViewTest, OddBridgeArgumentsChangeNothing) {
    start();
    loadPage("<html><body>odd</body></html>");
    evaluate("var e = window.external; e.CB_CustomFunctionWithParams();"
             "e.CB_CustomFunctionWithParams(22.5, 114.25);"
             "e.CB_CustomFunctionWithParams({a: 1}, [2]);"
             "e.CB_CustomFunctionWithParams('x'.repeat(1 << 20), null);");
    evaluate("window.external.CB_CustomFunctionWithParams('x'.repeat(1 << 20), '-33.865')");
    EXPECT_TRUE(statusShows(QStringLiteral("Latitude:00.00.00 Longitude:-33.-51.-30")));
}

TEST_F(CMapViewTest, ChineseInterfaceLabelsTheCoordinates) {
    setLanguageSetting(1);
    start();
    loadPage("<html><body></body></html>");
    evaluate("window.external.CB_CustomFunctionWithParams('22.5', '114.25')");
    EXPECT_TRUE(statusShows(QStringLiteral("纬度:22.30.00 经度:114.15.00")));
}

TEST_F(CMapViewTest, AppAddressesAreRefused) {
    start();
    loadPage("<html><body>here</body></html>");
    const QUrl here = view().url();
    QSignalSpy loads(&view(), &QWebEngineView::loadStarted);
    view().navigateTo("app://notesmanage");
    view().navigateTo("app:");
    EXPECT_EQ(loads.count(), 0) << "refused before the browser is asked";
    EXPECT_EQ(view().url(), here);
    evaluate("location.href = 'app:anything'");
    ASSERT_TRUE(settle(view().page()));
    EXPECT_EQ(view().url(), here);
    EXPECT_TRUE(CCustomPage::isRefusedAddress("app:x"));
    EXPECT_FALSE(CCustomPage::isRefusedAddress("App:x"));
    EXPECT_FALSE(CCustomPage::isRefusedAddress("notes:app:x"));
}

TEST_F(CMapViewTest, AlertBecomesTheProgramsErrorBox) {
    start();
    loadPage("<html><body></body></html>");
    ModalAnswer answer;
    evaluate("setTimeout(function () { alert('<b>careful</b>'); }, 0); 1");
    EXPECT_TRUE(waitUntil([&] { return answer.texts().size() == 1; }, 5000));
    EXPECT_EQ(answer.texts().first(), "<b>careful</b>");
    EXPECT_EQ(answer.titles().first(), QString::fromUtf8("自定义浏览器"));
}

TEST_F(CMapViewTest, BrowserKeysAreSwallowed) {
    EXPECT_TRUE(BrowserPolicy::isBlockedKey(Qt::Key_F5, Qt::NoModifier));
    EXPECT_TRUE(BrowserPolicy::isBlockedKey(Qt::Key_P, Qt::ControlModifier));
    EXPECT_TRUE(BrowserPolicy::isBlockedKey(Qt::Key_O, Qt::ControlModifier));
    EXPECT_TRUE(BrowserPolicy::isBlockedKey(Qt::Key_N, Qt::ControlModifier));
    EXPECT_FALSE(BrowserPolicy::isBlockedKey(Qt::Key_F, Qt::ControlModifier));
    EXPECT_FALSE(BrowserPolicy::isBlockedKey(Qt::Key_P, Qt::NoModifier));

    start();
    loadPage(
        "<html><body><script>var keys = []; document.addEventListener('keydown',"
        " function (e) { if (e.key !== 'Control') keys.push(e.key); });</script></body></html>");
    QWidget* target = view().focusProxy();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, Qt::Key_F5);
    QTest::keyClick(target, Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_A);
    EXPECT_TRUE(waitUntil([&] { return evaluate("keys.join()").toString() == "a"; }, 5000))
        << evaluate("keys.join()").toString().toStdString();
    EXPECT_EQ(view().contextMenuPolicy(), Qt::NoContextMenu);
}

TEST_F(CMapViewTest, CustomPageDrawsTheClickedTrackWithItsProfile) {
    start();
    ASSERT_TRUE(showFirstDemoTrack());
    const int rows = evaluate("tkPage.rows.length").toInt();
    EXPECT_GT(rows, 1);
    EXPECT_EQ(evaluate("tkPage.lineVertices").toInt(), rows);
    EXPECT_EQ(evaluate("tkPage.profilePoints").toInt(), rows);
}

TEST_F(CMapViewTest, PageControlsFollowTheInterfaceLanguage) {
    setLanguageSetting(1);
    start();
    ASSERT_TRUE(showFirstDemoTrack());
    EXPECT_EQ(evaluate("document.getElementById('slowerButton').textContent").toString(), "减速");
    EXPECT_EQ(evaluate("document.getElementById('playButton').textContent").toString(), "暂停");
}

} // namespace

namespace {

// The all-tracks view and the profile's stretch, driven through the panel and the page.
class AllTracksTest : public CMapViewTest {
protected:
    void SetUp() override {
        CMapViewTest::SetUp();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
    }
    QPushButton* button(const char* name) {
        return frame_->panel()->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    bool waitForPage(const QString& condition) {
        return waitUntil(
            [&] { return evaluate(QString("!!(window.tkPage && (%1))").arg(condition)).toBool(); },
            20000);
    }
};

TEST_F(AllTracksTest, ShowAllDrawsEveryTrackInItsColourFittedAndAClickedLineSelectsItsRow) {
    start();
    ASSERT_TRUE(showFirstDemoTrack());
    const int trips = tk::DemoOptions{}.trips;
    TrackList* list = frame_->panel()->trackList();
    button("showAllButton")->click();
    ASSERT_TRUE(waitForPage(QString("tkPage.overviewTracks.length === %1").arg(trips)));
    EXPECT_EQ(list->checkedTracks().size(), static_cast<std::size_t>(trips));
    // The clicked track is drawn once, in full detail; the others thinned beside it.
    EXPECT_EQ(evaluate("tkPage.overviewLines").toInt(), trips - 1);
    const QStringList colours =
        evaluate("(() => { const c = []; tkPage.map.eachLayer(l => { if (l instanceof L.Polyline"
                 " && !(l instanceof L.CircleMarker) && l.options.interactive) "
                 "c.push(l.options.color); }); return c; })()")
            .toStringList();
    for (int row = 1; row < trips; ++row)
        EXPECT_TRUE(colours.contains(tk::toQColor(list->swatchColour(row)).name()))
            << colours.join(' ').toStdString();
    // Every fix of every track lies inside the fitted view: the northernmost, southernmost,
    // easternmost and westernmost of each do.
    QStringList extremes;
    for (int t = 0; t < trips; ++t) {
        const auto& points = app_->session().track(t)->points;
        const auto byLat = std::minmax_element(
            points.begin(), points.end(), [](auto& a, auto& b) { return a.latitude < b.latitude; });
        const auto byLon = std::minmax_element(points.begin(), points.end(), [](auto& a, auto& b) {
            return a.longitude < b.longitude;
        });
        for (auto it : {byLat.first, byLat.second, byLon.first, byLon.second})
            extremes
                << QString("[%1,%2]").arg(it->latitude, 0, 'f', 7).arg(it->longitude, 0, 'f', 7);
    }
    EXPECT_TRUE(
        evaluate(
            QString("[%1].every(p => tkPage.map.getBounds().contains(p))").arg(extremes.join(',')))
            .toBool());
    // ... and the view is no wider than it needs to be: the box around them all fills it.
    EXPECT_TRUE(evaluate(QString("(() => { const b = L.latLngBounds([%1]); const v = "
                                 "tkPage.map.getBounds(); return b.getEast() - b.getWest() > "
                                 "(v.getEast() - v.getWest()) / 4 || b.getNorth() - b.getSouth() > "
                                 "(v.getNorth() - v.getSouth()) / 4; })()")
                             .arg(extremes.join(',')))
                    .toBool());

    // A click on the third track's line, where no other line is.
    const QVariantList at =
        evaluate(
            "(() => { let hit = null; tkPage.map.eachLayer(l => { if (hit || !(l instanceof "
            "L.Polyline) || !l.options.interactive) return; const ll = l.getLatLngs();"
            "for (const p of ll) { const c = tkPage.map.latLngToContainerPoint(p);"
            "const r = document.getElementById('map').getBoundingClientRect();"
            "const e = document.elementFromPoint(r.left + c.x, r.top + c.y);"
            "if (e && e === l.getElement()) { hit = [r.left + c.x, r.top + c.y, l.options.color];"
            "break; } } }); return hit; })()")
            .toList();
    ASSERT_EQ(at.size(), 3);
    QTest::mouseClick(view().focusProxy(), Qt::LeftButton, {},
                      QPoint(qRound(at[0].toDouble()), qRound(at[1].toDouble())));
    ASSERT_TRUE(waitUntil([&] { return app_->session().selected() != 0; }, 10000));
    const int picked = app_->session().selected();
    EXPECT_EQ(tk::toQColor(list->swatchColour(list->rowOfTrack(picked))).name(), at[2].toString());
    EXPECT_EQ(list->currentRow(), list->rowOfTrack(picked));
    ASSERT_TRUE(waitForPage(QString("tkPage.ready && tkPage.overviewTracks.length === %1 && "
                                    "tkPage.overviewLines === %2")
                                .arg(trips)
                                .arg(trips - 1)));

    button("showNoneButton")->click();
    ASSERT_TRUE(waitForPage("tkPage.overviewTracks.length === 0 && tkPage.overviewLines === 0"));
    EXPECT_TRUE(list->checkedTracks().empty());
}

TEST_F(AllTracksTest, ACheckBoxClickAddsItsTrackWithoutShowingIt) {
    start();
    ASSERT_TRUE(showFirstDemoTrack());
    TrackList* list = frame_->panel()->trackList();
    const QRect cell = list->visualItemRect(list->item(2, TrackList::NameColumn));
    // The check box sits at the left of the name cell.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(cell.left() + 10, cell.center().y()));
    ASSERT_TRUE(waitForPage("tkPage.overviewTracks.length === 1 && tkPage.overviewLines === 1"));
    EXPECT_EQ(list->checkedTracks(), std::vector<int>{2});
    EXPECT_EQ(evaluate("tkPage.overviewTracks[0]").toInt(), 2);
    EXPECT_TRUE(evaluate("tkPage.ready && tkPage.rows.length > 1").toBool());
    EXPECT_EQ(writtenDataJs().toStdString(),
              tk::mapDataScript(*app_->session().track(0),
                                [&] {
                                    tk::TrackStyle style = app_->session().style(0);
                                    style.colour = tk::drawColour(style.colour);
                                    return style;
                                }()))
        << "the map still shows the first track";
}

TEST_F(AllTracksTest, DraggingAcrossTheProfileShowsTheStretchFiguresAndAClickClearsThem) {
    start();
    ASSERT_TRUE(showFirstDemoTrack());
    ASSERT_TRUE(waitForPage("tkPage.figures && !tkPage.stretch"));
    const tk::Track& track = *app_->session().track(0);
    const tk::ShownTrack shown = tk::shownTrack(track, tk::FigureSettings{});
    const int rows = evaluate("tkPage.rows.length").toInt();
    EXPECT_EQ(evaluate("document.getElementById('figuresTitle').textContent").toString(),
              "Whole track");
    EXPECT_EQ(
        evaluate("document.querySelector('#figures .tk-figure-value').textContent").toString(),
        QString::fromStdString(tk::figureTexts(tk::tripFigures(track.points, {}), false).length));

    const QVariantList over =
        evaluate("(() => { const r = tkPage.chart.over.getBoundingClientRect();"
                 "return [r.left, r.top, r.width, r.height]; })()")
            .toList();
    ASSERT_EQ(over.size(), 4);
    QWidget* target = view().focusProxy();
    const int y = qRound(over[1].toDouble() + over[3].toDouble() / 2);
    const int x1 = qRound(over[0].toDouble() + over[2].toDouble() * 0.25);
    const int x2 = qRound(over[0].toDouble() + over[2].toDouble() * 0.6);
    QTest::mouseMove(target, QPoint(x1, y));
    QTest::mousePress(target, Qt::LeftButton, {}, QPoint(x1, y));
    for (int x = x1; x <= x2; x += 20)
        QTest::mouseMove(target, QPoint(x, y));
    QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(x2, y));
    ASSERT_TRUE(waitForPage("tkPage.stretch && tkPage.figures.first === tkPage.stretch.first"));
    const int first = evaluate("tkPage.stretch.first").toInt();
    const int last = evaluate("tkPage.stretch.last").toInt();
    EXPECT_GT(first, rows / 8);
    EXPECT_LT(last, rows * 3 / 4);
    EXPECT_GT(last, first);
    EXPECT_EQ(evaluate("tkPage.stretchVertices").toInt(), last - first + 1);
    EXPECT_EQ(evaluate("document.getElementById('figuresTitle').textContent").toString(),
              "Selection");
    // The page shows what the engine works out for those rows' fixes.
    const QJsonObject expected =
        QJsonDocument::fromJson(
            QByteArray::fromStdString(tk::stretchFiguresJson(shown, first, last)))
            .object();
    const QJsonObject shownFigures =
        QJsonDocument::fromJson(evaluate("JSON.stringify(tkPage.figures)").toString().toUtf8())
            .object();
    EXPECT_EQ(shownFigures, expected);
    EXPECT_EQ(
        evaluate(
            "[...document.querySelectorAll('#figures .tk-figure-value')].map(e => e.textContent)"
            ".join('|')")
            .toString(),
        QStringList(
            {expected["texts"]["length"].toString(), expected["texts"]["movingTime"].toString(),
             expected["texts"]["duration"].toString(), expected["texts"]["averageSpeed"].toString(),
             expected["texts"]["movingSpeed"].toString(), expected["texts"]["climb"].toString(),
             expected["texts"]["altitudes"].toString()})
            .join('|'));

    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(x1, y));
    ASSERT_TRUE(waitForPage("!tkPage.stretch && tkPage.figures.first === 0"));
    EXPECT_EQ(evaluate("document.getElementById('figuresTitle').textContent").toString(),
              "Whole track");

    // The splits, one row per whole kilometre, open from their button.
    const int kilometres = static_cast<int>(tk::tripFigures(track.points, {}).length / 1000.0);
    EXPECT_TRUE(evaluate("document.getElementById('splitsBox').hidden").toBool());
    evaluate("document.getElementById('splitsButton').click()");
    EXPECT_FALSE(evaluate("document.getElementById('splitsBox').hidden").toBool());
    EXPECT_EQ(evaluate("document.querySelectorAll('#splits tr').length").toInt(), kilometres + 1);
}

TEST_F(AllTracksTest, TheFigureStripFollowsTheInterfaceLanguage) {
    setLanguageSetting(1);
    start();
    ASSERT_TRUE(showFirstDemoTrack());
    ASSERT_TRUE(waitForPage("tkPage.figures"));
    EXPECT_EQ(evaluate("document.getElementById('figuresTitle').textContent").toString(),
              QString::fromUtf8("全程"));
    EXPECT_EQ(evaluate("document.querySelector('#figures .tk-figure-name').textContent").toString(),
              QString::fromUtf8("长度"));
    EXPECT_EQ(evaluate("document.getElementById('figuresNote').textContent").toString(),
              QString::fromUtf8("速度不低于 1.8 km/h 计为运动，升降 5 m 及以上计入爬升"));
}

TEST(BridgeFigures, OnlyNumbersReachTheStretchAndTrackCalls) {
    const tk::Language language;
    PageBridge bridge(language);
    EXPECT_EQ(bridge.CB_StretchFigures(0, 5), "{}") << "no track shown yet";
    tk::Track track;
    for (int i = 0; i < 50; ++i) {
        tk::TrackPoint p;
        p.latitude = 47.0 + i * 0.001;
        p.longitude = 8.0 + i * 0.001;
        p.utcSeconds = 1'780'000'000 + i * 5;
        p.speed = 36000;
        p.recordedSpeed = p.speed;
        track.points.push_back(p);
    }
    const tk::ShownTrack shown = tk::shownTrack(track, {});
    bridge.setShownTrack(shown);
    EXPECT_EQ(bridge.CB_StretchFigures(3, 9.9).toStdString(), tk::stretchFiguresJson(shown, 3, 9));
    EXPECT_EQ(bridge.CB_StretchFigures(QString("3"), 9), "{}");
    EXPECT_EQ(bridge.CB_StretchFigures(QVariant(), 9), "{}");
    EXPECT_EQ(bridge.CB_StretchFigures(std::nan(""), 9), "{}");
    EXPECT_EQ(bridge.CB_StretchFigures(-1e300, 1e300).toStdString(),
              tk::stretchFiguresJson(shown, 0, 50)); // 50 rows and the closing one

    QList<int> picked;
    QObject::connect(&bridge, &PageBridge::trackPicked, [&picked](int track) { picked << track; });
    bridge.CB_SelectTrack(QString("2"));
    bridge.CB_SelectTrack(QVariantList{1});
    bridge.CB_SelectTrack(std::numeric_limits<double>::infinity());
    bridge.CB_SelectTrack(2.0);
    EXPECT_EQ(picked, QList<int>{2});
}

} // namespace
