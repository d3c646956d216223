// SPDX-License-Identifier: GPL-3.0-or-later
// Offline maps in the real program: MBTiles files made here with solid-colour tiles, served
// through the program's tile scheme and looked for on screen (the colour in a grab of the view).
// The online tile server is an address nobody answers, so any colour comes from the file.
#include <QAction>
#include <QImage>
#include <QJsonArray>
#include <QSettings>
#include <QWebEnginePage>

#include "app/MapCommands.h"
#include "demo/DemoMemory.h"
#include "map/MbTiles.h"
#include "map/PrintPreview.h"
#include "map/TileSchemeHandler.h"
#include "panel/TrackList.h"
#include "panel/TrackPanel.h"
#include "support/MbTilesMaker.h"
#include "support/qt/ModalAnswer.h"
#include "support/qt/ProgramFixture.h"
#include "support/qt/Wait.h"
#include "tracks/ProjectFile.h"

#include <fstream>

namespace {

constexpr std::uint32_t kTeal = 0x2a9d8f;
constexpr std::uint32_t kPlum = 0x8e4585;

// The share of the image's pixels near the colour.
double colourShare(const QImage& image, std::uint32_t rgb) {
    const QColor want(QRgb(0xff000000 | rgb));
    qint64 near = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            near += std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
                        std::abs(c.blue() - want.blue()) <
                    30;
        }
    return image.isNull() ? 0.0 : double(near) / (double(image.width()) * image.height());
}

class OfflineMapTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home_.path());
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Trailkeep", "trailkeep");
        settings.clear();
        settings.setValue("Map/TileUrl", "http://127.0.0.1:9/{z}/{x}/{y}.png");
        settings.sync();
    }

    // A map of every tile of zoom 0 to 2 in one colour.
    QString makeMap(const QString& name, std::uint32_t rgb, const std::string& attribution) {
        const QString file = home_.filePath(name);
        tk::test::MbTilesMaker maker(file.toStdString());
        maker.meta("name", name.toStdString()).meta("format", "png");
        if (!attribution.empty())
            maker.meta("attribution", attribution);
        maker.solidLevels(0, 2, rgb);
        return file;
    }

    void rememberMap(const QString& file) {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Trailkeep", "trailkeep");
        settings.setValue("Map/OfflineMap", file);
        settings.sync();
    }

    QString rememberedMap() {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Trailkeep", "trailkeep");
        return settings.value("Map/OfflineMap").toString();
    }

    double shareOnMap(std::uint32_t rgb) {
        return colourShare(frame_->mapView()->grab().toImage(), rgb);
    }

    bool mapShows(std::uint32_t rgb, double atLeast = 0.5, int timeoutMs = 20000) {
        return waitUntil([&] { return shareOnMap(rgb) >= atLeast; }, timeoutMs);
    }

    QVariant evaluate(const QString& script) {
        return evaluateIn(frame_->mapView()->page(), script);
    }

    QTemporaryDir home_;
};

TEST_F(OfflineMapTest, RememberedMapFillsTheStartPageWithItsTilesAndAttribution) {
    rememberMap(makeMap("teal.mbtiles", kTeal, "&copy; <b>Teal</b> survey"));
    start();
    EXPECT_TRUE(app_->tiles().offlineMap());
    EXPECT_FALSE(frame_->actions().onlineMap->isChecked());
    EXPECT_TRUE(mapShows(kTeal)) << shareOnMap(kTeal);
    EXPECT_EQ(
        evaluate("document.querySelector('.leaflet-control-attribution').innerHTML").toString(),
        QString::fromUtf8("© Teal survey"));
    EXPECT_TRUE(evaluate("TK_TILES.url").toString().startsWith("tktile:offline/"));
}

TEST_F(OfflineMapTest, TrackPageScalesTheDeepestTilesUpInsteadOfLeavingThemBlank) {
    rememberMap(makeMap("teal.mbtiles", kTeal, ""));
    start();
    ASSERT_TRUE(showFirstDemoTrack());
    EXPECT_GT(evaluate("tkPage.map.getZoom()").toDouble(), 8); // the file's deepest zoom is 2
    EXPECT_TRUE(mapShows(kTeal, 0.3)) << shareOnMap(kTeal);
    EXPECT_EQ(
        evaluate("document.querySelector('.leaflet-control-attribution').textContent").toString(),
        "teal.mbtiles"); // no attribution in the file: its name
}

TEST_F(OfflineMapTest, MenuSwitchesEveryShownMapAtOnceAndRemembersTheChoice) {
    const QString teal = makeMap("teal.mbtiles", kTeal, "Teal");
    start();
    EXPECT_TRUE(frame_->actions().onlineMap->isChecked());
    ASSERT_TRUE(showFirstDemoTrack());
    evaluate("window.tkSamePage = true");
    EXPECT_LT(shareOnMap(kTeal), 0.05);

    prompts_.openAnswer = teal;
    frame_->actions().openOfflineMap->trigger();
    EXPECT_EQ(prompts_.filters.last(), QString::fromLatin1(kOfflineMapFilter));
    EXPECT_TRUE(mapShows(kTeal, 0.3)) << shareOnMap(kTeal);
    EXPECT_EQ(evaluate("window.tkSamePage === true").toBool(), true) << "the page was reloaded";
    EXPECT_EQ(rememberedMap(), teal);
    EXPECT_FALSE(frame_->actions().onlineMap->isChecked());

    // The print page opened now shows the offline map too.
    {
        PrintPreview dialog(app_->language(), app_->webProfile(), app_->bridge(), app_->pageDir(),
                            frame_.get());
        dialog.show();
        ASSERT_TRUE(waitUntil(
            [&] {
                return evaluateIn(dialog.browser()->page(), "window.tkPage && tkPage.ready")
                    .toBool();
            },
            20000));
        EXPECT_TRUE(waitUntil(
            [&] { return colourShare(dialog.browser()->grab().toImage(), kTeal) > 0.1; }, 10000));
    }

    frame_->actions().onlineMap->trigger();
    EXPECT_TRUE(waitUntil([&] { return shareOnMap(kTeal) < 0.05; }, 20000));
    EXPECT_TRUE(frame_->actions().onlineMap->isChecked());
    EXPECT_FALSE(app_->tiles().offlineMap());
    EXPECT_EQ(rememberedMap(), "");
    EXPECT_EQ(evaluate("window.tkSamePage === true").toBool(), true);
}

TEST_F(OfflineMapTest, FilesThatAreNotOfflineMapsAreRefusedAndTheMapStays) {
    const QString plum = makeMap("plum.mbtiles", kPlum, "Plum");
    rememberMap(plum);
    start();
    ASSERT_TRUE(mapShows(kPlum));

    const QString text = home_.filePath("notes.mbtiles");
    std::ofstream(text.toStdString()) << "not a map\n";
    const QString empty = home_.filePath("empty.mbtiles");
    { tk::test::MbTilesMaker maker(empty.toStdString()); }
    const QString other = home_.filePath("other.sqlite");
    {
        tk::test::MbTilesMaker maker(other.toStdString());
        maker.exec("DROP TABLE tiles");
    }
    const QString vector = home_.filePath("vector.mbtiles");
    {
        tk::test::MbTilesMaker maker(vector.toStdString());
        maker.meta("format", "pbf").tmsTile(0, 0, 0, {0x1f, 0x8b, 8, 0});
    }
    const std::pair<QString, tk::MbTilesError> cases[] = {
        {text, tk::MbTilesError::NotSqlite},
        {empty, tk::MbTilesError::NoTiles},
        {other, tk::MbTilesError::NoTilesTable},
        {vector, tk::MbTilesError::NotRaster},
        {home_.filePath("gone.mbtiles"), tk::MbTilesError::Unreadable}};
    for (const auto& [file, error] : cases) {
        ModalAnswer answer;
        prompts_.openAnswer = file;
        frame_->actions().openOfflineMap->trigger();
        ASSERT_TRUE(waitUntil([&] { return !answer.texts().isEmpty(); }, 5000))
            << file.toStdString();
        EXPECT_TRUE(answer.texts().first().startsWith(tk::mbTilesErrorKey(error)))
            << answer.texts().first().toStdString();
        EXPECT_TRUE(answer.texts().first().contains(file));
        EXPECT_TRUE(answer.texts().first().endsWith("The map stays as it was."));
    }
    EXPECT_EQ(rememberedMap(), plum);
    EXPECT_EQ(app_->tiles().offlineMap()->path(), plum.toStdString());
    EXPECT_GT(shareOnMap(kPlum), 0.5);
}

TEST_F(OfflineMapTest, ChineseInterfaceExplainsInChinese) {
    setLanguageSetting(1);
    const QString text = home_.filePath("notes.mbtiles");
    std::ofstream(text.toStdString()) << "not a map\n";
    start();
    EXPECT_EQ(frame_->actions().openOfflineMap->text(), QString::fromUtf8("打开离线地图..."));
    EXPECT_EQ(frame_->actions().onlineMap->text(), QString::fromUtf8("在线地图"));
    ModalAnswer answer;
    prompts_.openAnswer = text;
    frame_->actions().openOfflineMap->trigger();
    ASSERT_TRUE(waitUntil([&] { return !answer.texts().isEmpty(); }, 5000));
    EXPECT_TRUE(answer.texts().first().startsWith(
        QString::fromUtf8("该文件不是 MBTiles 地图：它不是 SQLite 数据库。")))
        << answer.texts().first().toStdString();
    EXPECT_TRUE(answer.texts().first().endsWith(QString::fromUtf8("地图保持不变。")));
}

TEST_F(OfflineMapTest, RememberedMapThatCannotBeOpenedLeavesTheOnlineMapAndSaysSo) {
    const QString gone = home_.filePath("unplugged/teal.mbtiles");
    rememberMap(gone);
    ModalAnswer answer;
    start();
    ASSERT_TRUE(waitUntil([&] { return !answer.texts().isEmpty(); }, 5000));
    EXPECT_TRUE(answer.texts().first().startsWith(
        "The offline map could not be opened; the online map is shown."));
    EXPECT_TRUE(answer.texts().first().contains(gone));
    EXPECT_FALSE(app_->tiles().offlineMap());
    EXPECT_TRUE(frame_->actions().onlineMap->isChecked());
    EXPECT_EQ(rememberedMap(), gone); // back once the file is
    EXPECT_TRUE(evaluate("!!window.map").toBool());
}

TEST(OfflineMapTiles, PagesGetTheFilesZoomLevelsAreaAndANumberPerOpening) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("area.mbtiles").toStdString();
    {
        tk::test::MbTilesMaker maker(file);
        maker.meta("bounds", "7.25,46,8.5,47.125").meta("attribution", "<i>Alps</i> &amp; more");
        maker.solidLevels(3, 4, kTeal);
    }
    TileSchemeHandler handler(TileSettings{"https://x/{z}/{x}/{y}.png", "X", 19, {}}, {});
    EXPECT_EQ(handler.pageTiles().value("url").toString(), "tktile:{z}/{x}/{y}");
    handler.useOfflineMap(tk::MbTiles::open(file).map);
    QJsonObject tiles = handler.pageTiles();
    EXPECT_EQ(tiles.value("url").toString(), "tktile:offline/1/{z}/{x}/{y}");
    EXPECT_EQ(tiles.value("attribution").toString(), "Alps &amp; more");
    EXPECT_EQ(tiles.value("minNativeZoom").toInt(), 3);
    EXPECT_EQ(tiles.value("maxNativeZoom").toInt(), 4);
    EXPECT_EQ(tiles.value("maxZoom").toInt(), 19);
    EXPECT_EQ(tiles.value("bounds").toArray(),
              (QJsonArray{QJsonArray{46.0, 7.25}, QJsonArray{47.125, 8.5}}));
    handler.useOfflineMap(tk::MbTiles::open(file).map);
    EXPECT_EQ(handler.pageTiles().value("url").toString(), "tktile:offline/2/{z}/{x}/{y}");
    handler.useOnlineMap();
    EXPECT_EQ(handler.pageTiles().value("url").toString(), "tktile:{z}/{x}/{y}");
}

} // namespace
