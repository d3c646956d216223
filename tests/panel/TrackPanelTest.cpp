// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QWebEngineView>

#include "demo/DemoMemory.h"
#include "map/CMapView.h"
#include "map/FigureTexts.h"
#include "map/MapDataScript.h"
#include "panel/CFigureSettingsDlg.h"
#include "panel/ColourSequence.h"
#include "panel/FigureSettingsStore.h"
#include "panel/TrackList.h"
#include "panel/TrackPanel.h"
#include "support/qt/ProgramFixture.h"
#include "support/qt/Wait.h"
#include "tracks/ProjectFile.h"

#include <fstream>

namespace {

class TrackPanelTest : public ProgramFixture {
protected:
    CMainFrame& startWithDemo() {
        CMainFrame& frame = start();
        const std::vector<std::uint8_t> memory = tk::makeDemoMemory();
        tk::loadProject(memory, app_->pageBuffer, app_->decoder);
        frame.panel()->refill();
        return frame;
    }
    TrackList* list() const { return frame_->panel()->trackList(); }
    QString value(const char* name) const {
        return frame_->panel()->findChild<QLabel*>(QString::fromLatin1(name) + "Value")->text();
    }
    void clickRow(int row) {
        const QRect cell = list()->visualItemRect(list()->item(row, 1));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QByteArray dataJs() const {
        QFile file(moduleDir_ + "data.js");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST_F(TrackPanelTest, RefillListsEveryTrackWithFreshColoursAndWeightTwo) {
    startWithDemo();
    const int rows = list()->rowCount();
    ASSERT_EQ(rows, tk::DemoOptions{}.trips);
    tk::ColourSequence sameRun; // a fresh generator hands out what the first refill got
    for (int row = 0; row < rows; ++row) {
        EXPECT_EQ(list()->item(row, 0)->text(), QString::asprintf("%02d", row + 1));
        EXPECT_EQ(list()->item(row, 1)->text().toStdString(),
                  app_->trackTable.tracks[static_cast<std::size_t>(row)].name);
        EXPECT_EQ(list()->item(row, 2)->text(), QString());
        EXPECT_EQ(list()->item(row, 3)->text(), "2");
        EXPECT_EQ(list()->swatchColour(row), sameRun.next());
    }
    app_->trackTable.tracks[0].lineWeight = 4;
    const std::uint32_t before = list()->swatchColour(0);
    frame_->panel()->refill();
    EXPECT_NE(list()->swatchColour(0), before);
    EXPECT_EQ(list()->item(0, 3)->text(), "2");
    EXPECT_EQ(app_->trackTable.tracks[0].lineWeight, 2);
}

TEST_F(TrackPanelTest, NoRowsWithoutPointsAndColumnsThatCannotBeDragged) {
    start();
    frame_->panel()->refill();
    EXPECT_EQ(list()->rowCount(), 0);
    QHeaderView* header = list()->horizontalHeader();
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(header->sectionResizeMode(column), QHeaderView::Fixed);
    EXPECT_EQ(list()->columnWidth(0), 40);
    EXPECT_EQ(list()->columnWidth(1), 160);
    EXPECT_EQ(list()->columnWidth(2), 60);
    EXPECT_EQ(list()->columnWidth(3), 60);

    // A last slot without points gets no row.
    const std::vector<std::uint8_t> memory = tk::makeDemoMemory();
    tk::loadProject(memory, app_->pageBuffer, app_->decoder);
    app_->trackTable.tracks.emplace_back();
    app_->trackTable.lastTrack += 1;
    frame_->panel()->refill();
    EXPECT_EQ(list()->rowCount(), tk::DemoOptions{}.trips);
}

TEST_F(TrackPanelTest, ClickWritesDataJsShowsTheFiguresAndLoadsTheMapPage) {
    startWithDemo();
    EXPECT_EQ(app_->selectedTrack, -1);
    clickRow(1);
    EXPECT_EQ(app_->selectedTrack, 1);
    tk::Track expected = app_->trackTable.tracks[1];
    tk::MapTexts texts;
    EXPECT_EQ(dataJs().toStdString(), tk::mapDataScript(expected, &texts));
    EXPECT_EQ(value("name").toStdString(), texts.name);
    EXPECT_EQ(value("start").toStdString(), texts.start);
    EXPECT_EQ(value("speed").toStdString(), texts.speed);
    EXPECT_EQ(value("altitude").toStdString(), texts.altitude);
    EXPECT_EQ(value("distance").toStdString(), texts.distance);
    EXPECT_TRUE(waitUntil([&] {
        return frame_->mapView()->url() == QUrl::fromLocalFile(moduleDir_ + "Custom.html");
    }));
}

TEST_F(TrackPanelTest, KeysAndAccessibilitySelectionShowTheTrackToo) {
    startWithDemo();
    list()->setFocus();
    list()->setCurrentCell(0, 1);
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_TRUE(waitUntil([&] { return app_->selectedTrack == 1 && !dataJs().isEmpty(); }));
    EXPECT_EQ(dataJs().toStdString(), tk::mapDataScript(app_->trackTable.tracks[1]));

    // What a screen reader's "select this row" does.
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list());
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    list()->clearSelection();
    table->tableInterface()->selectRow(2);
    EXPECT_TRUE(waitUntil(
        [&] { return dataJs().toStdString() == tk::mapDataScript(app_->trackTable.tracks[2]); }));
    EXPECT_EQ(value("name").toStdString(), app_->trackTable.tracks[2].name);
}

TEST_F(TrackPanelTest, PlayReloadsTheLastPageOnlyWhenATrackIsSelected) {
    startWithDemo();
    QPushButton* play = frame_->panel()->findChild<QPushButton*>("playButton");
    QSignalSpy requested(frame_->panel(), &TrackPanel::pageRequested);
    const QUrl startPage = frame_->mapView()->url();
    play->click();
    ASSERT_TRUE(settle(frame_->mapView()->page()));
    EXPECT_EQ(requested.count(), 0) << "nothing is selected right after start";
    EXPECT_EQ(frame_->mapView()->url(), startPage);

    clickRow(0);
    const QUrl page = QUrl::fromLocalFile(moduleDir_ + "Custom.html");
    auto ready = std::make_shared<bool>(false);
    EXPECT_TRUE(waitUntil(
        [&] {
            frame_->mapView()->page()->runJavaScript(
                "!!window.tkPage && tkPage.ready",
                [ready](const QVariant& v) { *ready = v.toBool(); });
            return *ready && frame_->mapView()->url() == page;
        },
        30000));
    const QByteArray written = dataJs();
    // A page loaded anew forgets what the old one held.
    auto marked = std::make_shared<bool>(false);
    frame_->mapView()->page()->runJavaScript("window.beforePlay = 1;",
                                             [marked](const QVariant&) { *marked = true; });
    ASSERT_TRUE(waitUntil([&] { return *marked; }));
    play->click();
    EXPECT_EQ(requested.count(), 2) << "the click, then Play";
    auto reloaded = std::make_shared<bool>(false);
    EXPECT_TRUE(waitUntil(
        [&] {
            frame_->mapView()->page()->runJavaScript(
                "window.beforePlay === undefined && !!window.tkPage && tkPage.ready",
                [reloaded](const QVariant& v) { *reloaded = v.toBool(); });
            return *reloaded;
        },
        30000));
    EXPECT_EQ(dataJs(), written) << "Play does not rewrite data.js";
}

TEST_F(TrackPanelTest, HostileLanguageFileShowsPlainCutCaptions) {
    const QByteArray longText(300, 'x');
    writeText("language.ini", "[App]\nLanguage=0\n[LangEn]\nNum=<b>bold</b> & more text here\n"
                              "Play=P&lay\nName=" +
                                  longText + "\n");
    start();
    TrackPanel* panel = frame_->panel();
    EXPECT_EQ(list()->horizontalHeaderItem(0)->text(), QStringLiteral("<b>bold</b> & more "));
    EXPECT_EQ(panel->findChild<QPushButton*>("playButton")->text(), "P&&lay");
    auto* nameLabel = panel->findChild<QLabel*>("nameLabel");
    EXPECT_EQ(nameLabel->textFormat(), Qt::PlainText);
    EXPECT_EQ(nameLabel->text().size(), 259);
    EXPECT_EQ(panel->findChild<QGroupBox*>("propertyGroup")->title(), "Property");
}

} // namespace

namespace {

// The trip figures' rows of the property group, in both languages and in the track's units, and
// the thresholds they follow.
class FigureRowsTest : public TrackPanelTest {
protected:
    void SetUp() override {
        TrackPanelTest::SetUp();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
    }
    QString caption(const char* name) const {
        return frame_->panel()->findChild<QLabel*>(QString::fromLatin1(name) + "Label")->text();
    }
    void expectFigures(const tk::Track& track, const tk::FigureSettings& settings) {
        const tk::FigureTexts t =
            tk::figureTexts(tk::tripFigures(track.points, settings), track.imperial());
        EXPECT_EQ(value("length").toStdString(), t.length);
        EXPECT_EQ(value("movingTime").toStdString(), t.movingTime);
        EXPECT_EQ(value("duration").toStdString(), t.duration);
        EXPECT_EQ(value("averageSpeed").toStdString(), t.averageSpeed);
        EXPECT_EQ(value("movingSpeed").toStdString(), t.movingSpeed);
        EXPECT_EQ(value("climb").toStdString(), t.climb);
        EXPECT_EQ(value("altitudeRange").toStdString(), t.altitudes);
    }
    QString note() const { return frame_->panel()->findChild<QLabel*>("thresholdsNote")->text(); }
};

TEST_F(FigureRowsTest, EnglishRowsInMetricAndImperialUnitsKeepTheSevenOldOnes) {
    startWithDemo();
    auto* form = qobject_cast<QFormLayout*>(
        frame_->panel()->findChild<QGroupBox*>("propertyGroup")->layout());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->rowCount(), 15);
    const QStringList captions = {caption("length"),       caption("movingTime"),
                                  caption("duration"),     caption("averageSpeed"),
                                  caption("movingSpeed"),  caption("climb"),
                                  caption("altitudeRange")};
    EXPECT_EQ(captions.join('|'), "Length|Moving time|Duration|Average speed|Moving average|"
                                  "Ascent / Descent|Lowest / Highest");
    clickRow(1);
    const tk::Track& metric = app_->trackTable.tracks[1];
    expectFigures(metric, {});
    EXPECT_TRUE(value("length").endsWith(" km"));
    EXPECT_TRUE(value("averageSpeed").endsWith(" km/h"));
    EXPECT_TRUE(QRegularExpression("^-?\\d+ m / -?\\d+ m$").match(value("climb")).hasMatch());
    EXPECT_EQ(note(), "moving above 1.8 km/h, climbs of 5 m or more");
    EXPECT_EQ(value("speed").toStdString(), tk::mapTexts(metric).speed) << "the old rows stay";

    app_->trackTable.tracks[2].unitFlag = 1;
    clickRow(2);
    expectFigures(app_->trackTable.tracks[2], {});
    EXPECT_TRUE(value("length").endsWith(" mi"));
    EXPECT_TRUE(value("movingSpeed").endsWith(" mph"));
    EXPECT_TRUE(value("altitudeRange").endsWith(" ft"));
    EXPECT_EQ(note(), "moving above 1.1 mph, climbs of 16.4 ft or more");
}

TEST_F(FigureRowsTest, ChineseCaptionsAndNote) {
    setLanguageSetting(1);
    startWithDemo();
    clickRow(0);
    EXPECT_EQ(caption("length"), QString::fromUtf8("长度"));
    EXPECT_EQ(caption("movingTime"), QString::fromUtf8("运动时间"));
    EXPECT_EQ(caption("climb"), QString::fromUtf8("爬升 / 下降"));
    EXPECT_EQ(caption("altitudeRange"), QString::fromUtf8("最低 / 最高"));
    expectFigures(app_->trackTable.tracks[0], {});
    EXPECT_EQ(note(), QString::fromUtf8("速度不低于 1.8 km/h 计为运动，升降 5 m 及以上计入爬升"));
    EXPECT_EQ(frame_->panel()->findChild<QPushButton*>("showAllButton")->text(),
              QString::fromUtf8("全部显示"));
}

TEST_F(FigureRowsTest, ThresholdsDialogChangesTheFiguresAndTheSettingsFileKeepsThem) {
    startWithDemo();
    clickRow(0);
    whenShown<CFigureSettingsDlg>(
        [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<CFigureSettingsDlg*>(w); d && d->isVisible())
                    return d;
            return static_cast<CFigureSettingsDlg*>(nullptr);
        },
        [](CFigureSettingsDlg* dialog) {
            dialog->findChild<QDoubleSpinBox*>("movingSpeedBox")->setValue(6.5);
            dialog->findChild<QDoubleSpinBox*>("climbThresholdBox")->setValue(12);
            dialog->findChild<QPushButton*>("okButton")->click();
        });
    frame_->panel()->findChild<QPushButton*>("thresholdsButton")->click();
    EXPECT_EQ(note(), "moving above 6.5 km/h, climbs of 12 m or more");
    expectFigures(app_->trackTable.tracks[0], {6.5, 12.0});

    QSettings file(QSettings::IniFormat, QSettings::UserScope, "Trailkeep", "trailkeep");
    EXPECT_EQ(file.value("Figures/MovingSpeed").toDouble(), 6.5);
    EXPECT_EQ(file.value("Figures/ClimbThreshold").toDouble(), 12.0);
    const tk::FigureSettings again = loadFigureSettings();
    EXPECT_EQ(again.movingSpeedKmh, 6.5);
    EXPECT_EQ(again.climbThresholdM, 12.0);
    file.setValue("Figures/MovingSpeed", "fast");
    file.setValue("Figures/ClimbThreshold", -3);
    file.sync();
    EXPECT_EQ(loadFigureSettings().movingSpeedKmh, 1.8);
    EXPECT_EQ(loadFigureSettings().climbThresholdM, 5.0);
}

} // namespace

// On a short window the figures scroll; the list keeps room for five rows.
TEST_F(TrackPanelTest, ShortWindowScrollsTheFiguresAndKeepsFiveRowsOfTheList) {
    startWithDemo();
    clickRow(0);
    auto* figures = frame_->panel()->findChild<QScrollArea*>("propertyScroll");
    ASSERT_NE(figures, nullptr);
    const auto rowsShown = [this] {
        return list()->viewport()->height() / list()->verticalHeader()->defaultSectionSize();
    };
    frame_->resize(1000, 420);
    EXPECT_TRUE(waitUntil([&] { return figures->verticalScrollBar()->maximum() > 0; }))
        << "the figures scroll; the window is " << frame_->height() << " high";
    EXPECT_GE(rowsShown(), 5);

    frame_->resize(1000, 1000);
    ASSERT_TRUE(waitUntil([&] { return figures->verticalScrollBar()->maximum() == 0; }))
        << "a tall window shows every figure at once";
}
