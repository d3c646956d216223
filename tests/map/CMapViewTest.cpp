#include <QKeyEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QWebEnginePage>

#include "demo/DemoMemory.h"
#include "map/CCustomControlSite.h"
#include "map/CMapView.h"
#include "panel/CMenuDlg.h"
#include "panel/CTrackListCtrl.h"
#include "support/qt/ModalAnswer.h"
#include "support/qt/ProgramFixture.h"
#include "support/qt/Wait.h"
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
        view().NavigateTo(moduleDir_ + "probe.html");
        EXPECT_TRUE(waitUntil([&] { return loaded; }, 15000));
        QObject::disconnect(connection);
    }

    // Lists the demo trips, clicks the first and answers whether its page finished drawing.
    bool showFirstDemoTrack() {
        const std::vector<std::uint8_t> memory = tk::makeDemoMemory();
        tk::loadProject(memory, app_->pageBuffer, app_->decoder);
        frame_->panel()->refill();
        CTrackListCtrl* list = frame_->panel()->trackList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0, 1)).center());
        return waitUntil(
            [&] { return evaluate("window.tkPage && window.tkPage.ready === true").toBool(); },
            20000);
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
};

TEST_F(CMapViewTest, BridgeAnswersInThePagesFirstScriptAndShowsCoordinates) {
    start();
    loadPage("<html><head><script>document.title = String(window.external.CB_IsOurCustomBrowser"
             " != null);</script></head><body></body></html>");
    EXPECT_EQ(view().title(), "true");

    evaluate("window.external.CB_CustomFunctionWithParams('22.543210', '114.057865')");
    EXPECT_TRUE(waitUntil(
        [&] {
            return frame_->statusPane()->text() ==
                   QStringLiteral("Latitude:22.32.19 Longitude:114.03.46");
        },
        5000))
        << frame_->statusPane()->text().toStdString();
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
    EXPECT_TRUE(waitUntil(
        [&] {
            return frame_->statusPane()->text() ==
                   QStringLiteral("Latitude:00.00.00 Longitude:-33.-51.-30");
        },
        5000))
        << frame_->statusPane()->text().toStdString();
}

TEST_F(CMapViewTest, ChineseInterfaceLabelsTheCoordinates) {
    setLanguageSetting(1);
    start();
    loadPage("<html><body></body></html>");
    evaluate("window.external.CB_CustomFunctionWithParams('22.5', '114.25')");
    EXPECT_TRUE(waitUntil(
        [&] {
            return frame_->statusPane()->text() == QStringLiteral("纬度:22.30.00 经度:114.15.00");
        },
        5000))
        << frame_->statusPane()->text().toStdString();
}

TEST_F(CMapViewTest, AppAddressesAreRefused) {
    start();
    loadPage("<html><body>here</body></html>");
    const QUrl here = view().url();
    QSignalSpy loads(&view(), &QWebEngineView::loadStarted);
    view().NavigateTo("app://notesmanage");
    view().NavigateTo("app:");
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
    EXPECT_TRUE(CCustomControlSite::isBlockedKey(Qt::Key_F5, Qt::NoModifier));
    EXPECT_TRUE(CCustomControlSite::isBlockedKey(Qt::Key_P, Qt::ControlModifier));
    EXPECT_TRUE(CCustomControlSite::isBlockedKey(Qt::Key_O, Qt::ControlModifier));
    EXPECT_TRUE(CCustomControlSite::isBlockedKey(Qt::Key_N, Qt::ControlModifier));
    EXPECT_FALSE(CCustomControlSite::isBlockedKey(Qt::Key_F, Qt::ControlModifier));
    EXPECT_FALSE(CCustomControlSite::isBlockedKey(Qt::Key_P, Qt::NoModifier));

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
    const int rows = evaluate("locations.length").toInt();
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
