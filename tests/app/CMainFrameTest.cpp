// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>

#include "app/TrackFileCommands.h"
#include "demo/DemoMemory.h"
#include "map/CMapView.h"
#include "panel/TrackList.h"
#include "panel/TrackPanel.h"
#include "support/qt/ModalAnswer.h"
#include "support/qt/ProgramFixture.h"
#include "support/qt/Wait.h"

#include <fstream>

namespace {

QStringList menuTitles(QMenuBar* bar) {
    QStringList titles;
    for (QAction* action : bar->actions())
        titles << action->text();
    return titles;
}

QStringList menuItems(QMenuBar* bar, int index) {
    QStringList items;
    QMenu* menu = bar->actions().at(index)->menu();
    for (QAction* action : menu ? menu->actions() : QList<QAction*>{})
        items << action->text();
    return items;
}

void writeFile(const QString& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The recent files go to settings of the test's own.
class CMainFrameTest : public ProgramFixture {
protected:
    CMainFrameTest() {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings_.path());
    }
    QTemporaryDir settings_;
};

TEST_F(CMainFrameTest, EnglishWindowHasTheMenusToolbarAndPanes) {
    CMainFrame& frame = start();
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Trailkeep  V1.31"));
    QMenuBar* bar = frame.menuBar();
    EXPECT_EQ(menuTitles(bar),
              (QStringList{"File(&F)", "Map(&M)", "Language", "Config", "Help(&H)"}));
    EXPECT_EQ(menuItems(bar, 0), (QStringList{"Open", "Open Recent", "Save Prj", "Save as GPX...",
                                              "Exit(&X)", "Read", "Geotag Photos..."}));
    EXPECT_EQ(menuItems(bar, 1), (QStringList{"Open Offline Map...", "Online Map"}));
    EXPECT_EQ(menuItems(bar, 2), (QStringList{"Chinese", "English"}));
    EXPECT_EQ(bar->actions().at(3)->menu(), nullptr) << "Config is a command of the bar";
    EXPECT_EQ(menuItems(bar, 4), (QStringList{"About Trailkeep(&A)..."}));

    QToolBar* tools = frame.findChild<QToolBar*>(QStringLiteral("toolBar"));
    ASSERT_NE(tools, nullptr);
    QStringList toolTexts;
    for (QAction* action : tools->actions())
        if (!action->isSeparator())
            toolTexts << action->text();
    EXPECT_EQ(toolTexts, (QStringList{"Open", "Save Prj", "Read", "Config", "Geotag Photos...",
                                      "About Trailkeep(&A)..."}));

    QSplitter* splitter = frame.splitter();
    ASSERT_EQ(splitter->count(), 2);
    EXPECT_EQ(splitter->widget(0), frame.mapView());
    EXPECT_EQ(splitter->widget(1), frame.panel());
    EXPECT_NE(frame.statusPane(), nullptr);
}

TEST_F(CMainFrameTest, LanguageSettingChoosesTheMenu) {
    setLanguageSetting(1);
    CMainFrame& frame = start();
    EXPECT_EQ(menuTitles(frame.menuBar()),
              (QStringList{"文件(&F)", "地图(&M)", "Language", "设置参数", "帮助(&H)"}));
    EXPECT_EQ(menuItems(frame.menuBar(), 0),
              (QStringList{"打开工程", "最近打开的文件", "保存工程", "另存为 GPX...", "读取轨迹",
                           "照片地理标记...", "退出(&X)"}));
    EXPECT_EQ(menuItems(frame.menuBar(), 1), (QStringList{"打开离线地图...", "在线地图"}));
    EXPECT_EQ(frame.panel()->findChild<QPushButton*>("playButton")->text(), "播放");
}

TEST_F(CMainFrameTest, UnknownSettingKeepsTheChineseMenuWithKeyCaptions) {
    writeText("language.ini", "[App]\nLanguage=7\n[LangCh]\nPlay=播放\n");
    CMainFrame& frame = start();
    EXPECT_EQ(menuTitles(frame.menuBar()).first(), QStringLiteral("文件(&F)"));
    EXPECT_EQ(frame.panel()->findChild<QPushButton*>("playButton")->text(), "Play");
    // Either command switches from a setting that is neither.
    frame.actions().english->trigger();
    EXPECT_EQ(menuTitles(frame.menuBar()).first(), QStringLiteral("File(&F)"));
}

TEST_F(CMainFrameTest, SwitchingLanguageWritesTheSettingAndRelabels) {
    CMainFrame& frame = start();
    frame.actions().chinese->trigger();
    EXPECT_EQ(menuTitles(frame.menuBar()).first(), QStringLiteral("文件(&F)"));
    EXPECT_EQ(frame.panel()->trackList()->horizontalHeaderItem(0)->text(), "序号");
    EXPECT_EQ(frame.panel()->findChild<QLabel*>("nameLabel")->text(), "名称");
    QFile file(path("language.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Language=1"));
    file.close();

    // The language in use: nothing at all happens, not even a relabel.
    frame.panel()->findChild<QLabel*>("nameLabel")->setText("untouched");
    frame.actions().chinese->trigger();
    EXPECT_EQ(frame.panel()->findChild<QLabel*>("nameLabel")->text(), "untouched");

    frame.actions().english->trigger();
    EXPECT_EQ(menuTitles(frame.menuBar()).first(), QStringLiteral("File(&F)"));
    EXPECT_EQ(frame.panel()->trackList()->horizontalHeaderItem(0)->text(), "Num");
}

TEST_F(CMainFrameTest, OpenThroughTheDialogListsTheTracks) {
    writeFile(path("trip.gpl"), tk::makeDemoMemory());
    prompts_.openAnswer = path("trip"); // typed without its extension
    CMainFrame& frame = start();
    frame.actions().open->trigger();
    EXPECT_EQ(prompts_.filters, QStringList{kOpenFilter});
    EXPECT_EQ(frame.panel()->trackList()->rowCount(), tk::DemoOptions{}.trips);
    EXPECT_EQ(frame.panel()->trackList()->item(0, 0)->text(), "01");
}

TEST_F(CMainFrameTest, FilesThatCannotBeOpenedLeaveTheTracksAsTheyWere) {
    writeFile(path("good.gpl"), tk::makeDemoMemory());
    CMainFrame& frame = start();
    ASSERT_TRUE(frame.openFile(path("good.gpl")));
    const int rows = frame.panel()->trackList()->rowCount();
    ASSERT_GT(rows, 0);

    QDir(moduleDir_).mkdir("folder.gpl");
    for (const QString& name : {QStringLiteral("missing.gpl"), QStringLiteral("folder.gpl")}) {
        ModalAnswer answer;
        EXPECT_FALSE(frame.openFile(path(name))) << name.toStdString();
        EXPECT_TRUE(waitUntil([&] { return answer.texts().size() == 1; }));
        EXPECT_FALSE(answer.texts().first().isEmpty());
        EXPECT_EQ(frame.panel()->trackList()->rowCount(), rows);
    }
}

TEST_F(CMainFrameTest, OddFilesOpenWhatFitsWithoutACrash) {
    CMainFrame& frame = start();
    writeFile(path("empty.gpl"), {});
    EXPECT_TRUE(frame.openFile(path("empty.gpl")));
    EXPECT_EQ(frame.panel()->trackList()->rowCount(), 0);

    std::vector<std::uint8_t> noise(264 * 40 + 7);
    std::uint32_t state = 12345;
    for (auto& byte : noise)
        byte = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 24);
    writeFile(path("noise.gpl"), noise);
    EXPECT_TRUE(frame.openFile(path("noise.gpl")));

    std::vector<std::uint8_t> tooLong = tk::makeFullMemory();
    const std::vector<std::uint8_t> extra = tk::makeDemoMemory();
    tooLong.insert(tooLong.end(), extra.begin(), extra.begin() + 264 * 3);
    writeFile(path("big.gpl"), tooLong);
    ModalAnswer answer;
    EXPECT_TRUE(frame.openFile(path("big.gpl")));
    EXPECT_TRUE(waitUntil([&] { return answer.texts().size() == 1; }));
    EXPECT_TRUE(answer.texts().first().startsWith("33 records"))
        << answer.texts().first().toStdString();
    EXPECT_GT(frame.panel()->trackList()->rowCount(), 0);
}

TEST_F(CMainFrameTest, SaveWritesWholePagesAndAsksBeforeReplacingAnAppendedName) {
    writeFile(path("trip.gpl"), tk::makeDemoMemory());
    CMainFrame& frame = start();
    ASSERT_TRUE(frame.openFile(path("trip.gpl")));
    prompts_.saveAnswer = path("copy");
    frame.actions().save->trigger();
    EXPECT_EQ(QFileInfo(path("copy.gpl")).size(), QFileInfo(path("trip.gpl")).size());

    // "trip" becomes "trip.gpl", which exists: the user is asked, and No keeps the file.
    writeFile(path("trip.gpl"), {1, 2, 3});
    prompts_.saveAnswer = path("trip");
    {
        ModalAnswer answer(QMessageBox::No);
        frame.actions().save->trigger();
        EXPECT_EQ(answer.texts().size(), 1);
    }
    EXPECT_EQ(QFileInfo(path("trip.gpl")).size(), 3);
    {
        ModalAnswer answer(QMessageBox::Yes);
        frame.actions().save->trigger();
    }
    EXPECT_EQ(QFileInfo(path("trip.gpl")).size(), QFileInfo(path("copy.gpl")).size());
}

TEST_F(CMainFrameTest, DroppingAProjectOpensIt) {
    writeFile(path("dropped.gpl"), tk::makeDemoMemory());
    CMainFrame& frame = start();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path("dropped.gpl"))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QApplication::sendEvent(&frame, &drop);
    EXPECT_EQ(frame.panel()->trackList()->rowCount(), tk::DemoOptions{}.trips);
}

const char kWalkGpx[] =
    "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><name>Lake walk</name><trkseg>"
    "<trkpt lat=\"47.1\" lon=\"8.1\"><time>2026-06-12T08:00:00Z</time></trkpt>"
    "<trkpt lat=\"47.2\" lon=\"8.1\"><time>2026-06-12T08:01:00Z</time></trkpt>"
    "</trkseg></trk><wpt lat=\"47.1\" lon=\"8.1\"/></gpx>";

TEST_F(CMainFrameTest, TrackFilesJoinTheLoggersTracksAndAreRemembered) {
    writeFile(path("trip.gpl"), tk::makeDemoMemory());
    writeText("walk.gpx", kWalkGpx);
    CMainFrame& frame = start();
    ASSERT_TRUE(frame.openFile(path("trip.gpl")));
    const int loggerRows = frame.panel()->trackList()->rowCount();
    prompts_.openAnswer = path("walk.gpx");
    frame.actions().open->trigger();
    EXPECT_TRUE(frame.statusBar()->currentMessage().contains("1 waypoint, which is not a track"))
        << "the waypoint is named in passing";
    TrackList* list = frame.panel()->trackList();
    ASSERT_EQ(list->rowCount(), loggerRows + 1);
    QTableWidgetItem* walk = list->item(loggerRows, TrackList::NameColumn);
    EXPECT_EQ(walk->text(), "Lake walk");
    EXPECT_EQ(walk->toolTip(), path("walk.gpx"));
    EXPECT_EQ(recentFiles(), (QStringList{path("walk.gpx"), path("trip.gpl")}));

    // Opening the logger's memory again keeps the file's track after it.
    ASSERT_TRUE(frame.openFile(path("trip.gpl")));
    EXPECT_EQ(list->rowCount(), loggerRows + 1);
    EXPECT_EQ(recentFiles().first(), path("trip.gpl"));
    frame.actions().recent->popup(QPoint(0, 0)); // filled as it is shown
    ASSERT_EQ(frame.actions().recent->actions().size(), 2);
    frame.actions().recent->hide();
}

TEST_F(CMainFrameTest, SaveAsGpxWritesEveryTrackAndDroppedTrackFilesOpen) {
    writeText("walk.gpx", kWalkGpx);
    writeFile(path("trip.gpl"), tk::makeDemoMemory());
    CMainFrame& frame = start();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path("trip.gpl")), QUrl::fromLocalFile(path("walk.gpx"))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QApplication::sendEvent(&frame, &drop);
    const int rows = frame.panel()->trackList()->rowCount();
    ASSERT_EQ(rows, tk::DemoOptions{}.trips + 1);
    prompts_.saveAnswer = path("all");
    frame.actions().saveGpx->trigger();
    QFile all(path("all.gpx"));
    ASSERT_TRUE(all.open(QIODevice::ReadOnly));
    const QByteArray gpx = all.readAll();
    EXPECT_EQ(gpx.count("<trk>"), rows);
    EXPECT_TRUE(gpx.contains("<name>Lake walk</name>"));
}

} // namespace
