// SPDX-License-Identifier: GPL-3.0-or-later
// The print page (the track on one sheet) and the start page (the world map, in a plain browser).
#include <QPageLayout>
#include <QPageSize>

#include "map/MapPagesFixture.h"

namespace tk::pagetest {
namespace {

TEST_F(MapPages, PrintPageDrawsTrackAndPrintsOnOneSheet) {
    ASSERT_TRUE(openOffline(walkTrack(1200), "print.html"));
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

} // namespace
} // namespace tk::pagetest
