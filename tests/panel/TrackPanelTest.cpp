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
#include <QWebEnginePage>
#include <QWebEngineView>

#include "demo/DemoMemory.h"
#include "map/CMapView.h"
#include "map/FigureTexts.h"
#include "map/MapDataScript.h"
#include "panel/CFigureSettingsDlg.h"
#include "panel/FigureSettingsStore.h"
#include "panel/TrackList.h"
#include "panel/TrackPanel.h"
#include "session/TrackSession.h"
#include "support/qt/ProgramFixture.h"
#include "support/qt/Wait.h"
#include "tracks/LineColour.h"
#include "tracks/TrackStyle.h"

#include <fstream>
#include <functional>

namespace {

class TrackPanelTest : public ProgramFixture {
protected:
    CMainFrame& startWithDemo() {
        CMainFrame& frame = start();
        session().loadMemory(tk::makeDemoMemory());
        return frame;
    }
    TrackSession& session() const { return app_->session(); }
    const tk::Track& track(int index) const { return *session().track(index); }
    // data.js as the program writes it for a track: in its style, "automatic" drawn red.
    std::string dataJsOf(int index) const {
        tk::TrackStyle style = session().style(index);
        style.colour = tk::drawColour(style.colour);
        return tk::mapDataScript(track(index), style);
    }
    // The session's tracks with one changed, as if read so.
    void replaceTrack(int index, const std::function<void(tk::Track&)>& change) {
        tk::TrackTable table = session().table();
        change(table.tracks[static_cast<std::size_t>(index)]);
        session().takeDownload(tk::PageBuffer(session().pageBuffer()), std::move(table));
    }
    TrackList* list() const { return frame_->panel()->trackList(); }
    QString value(const char* name) const {
        return frame_->panel()->findChild<QLabel*>(QString::fromLatin1(name) + "Value")->text();
    }
    void clickRow(int row) {
        const QRect cell = list()->visualItemRect(list()->item(row, 1));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QByteArray dataJs() const { return writtenDataJs(); }
};

TEST_F(TrackPanelTest, NewTracksAreListedWithFreshColoursAndWeightTwo) {
    startWithDemo();
    const int rows = list()->rowCount();
    ASSERT_EQ(rows, tk::DemoOptions{}.trips);
    tk::ColourSequence sameRun; // a fresh generator hands out what the first load got
    for (int row = 0; row < rows; ++row) {
        EXPECT_EQ(list()->item(row, 0)->text(), QString::asprintf("%02d", row + 1));
        EXPECT_EQ(list()->item(row, 1)->text().toStdString(), track(row).name);
        EXPECT_EQ(list()->item(row, 2)->text(), QString());
        EXPECT_EQ(list()->item(row, 3)->text(), "2");
        EXPECT_EQ(list()->swatchColour(row), sameRun.next());
    }
    session().setStyle(0, {0x00123456, 4, 2});
    EXPECT_EQ(list()->swatchColour(0), 0x00123456u) << "a style change shows at once";
    EXPECT_EQ(list()->item(0, 3)->text(), "4");
    session().loadMemory(tk::makeDemoMemory());
    EXPECT_EQ(list()->swatchColour(0), sameRun.next());
    EXPECT_EQ(list()->item(0, 3)->text(), "2");
}

TEST_F(TrackPanelTest, NoRowsWithoutPointsAndColumnsThatCannotBeDragged) {
    start();
    session().loadMemory({});
    EXPECT_EQ(list()->rowCount(), 0);
    QHeaderView* header = list()->horizontalHeader();
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(header->sectionResizeMode(column), QHeaderView::Fixed);
    EXPECT_EQ(list()->columnWidth(0), 40);
    EXPECT_EQ(list()->columnWidth(1), 160);
    EXPECT_EQ(list()->columnWidth(2), 60);
    EXPECT_EQ(list()->columnWidth(3), 60);

    // A last slot without points gets no row.
    session().loadMemory(tk::makeDemoMemory());
    tk::TrackTable table = session().table();
    table.tracks.resize(static_cast<std::size_t>(table.lastTrack) + 2);
    table.lastTrack += 1;
    session().takeDownload(tk::PageBuffer(), std::move(table));
    EXPECT_EQ(list()->rowCount(), tk::DemoOptions{}.trips);
}

TEST_F(TrackPanelTest, ClickWritesDataJsShowsTheFiguresAndLoadsTheMapPage) {
    startWithDemo();
    EXPECT_EQ(session().selected(), -1);
    clickRow(1);
    EXPECT_EQ(session().selected(), 1);
    const tk::MapTexts texts = tk::mapTexts(track(1));
    EXPECT_EQ(dataJs().toStdString(), dataJsOf(1));
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
    EXPECT_TRUE(waitUntil([&] { return session().selected() == 1 && !dataJs().isEmpty(); }));
    EXPECT_EQ(dataJs().toStdString(), dataJsOf(1));

    // What a screen reader's "select this row" does.
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list());
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    list()->clearSelection();
    table->tableInterface()->selectRow(2);
    EXPECT_TRUE(waitUntil([&] { return dataJs().toStdString() == dataJsOf(2); }));
    EXPECT_EQ(value("name").toStdString(), track(2).name);
}

TEST_F(TrackPanelTest, PlayStartsTheShownTrackOverOnlyWhenATrackIsSelected) {
    startWithDemo();
    QPushButton* play = frame_->panel()->findChild<QPushButton*>("playButton");
    QWebEnginePage* page = frame_->mapView()->page();
    const QUrl startPage = frame_->mapView()->url();
    play->click();
    ASSERT_TRUE(settle(page));
    EXPECT_EQ(frame_->mapView()->url(), startPage) << "nothing is selected right after start";

    clickRow(0);
    ASSERT_TRUE(waitUntil(
        [&] { return evaluateIn(page, "!!window.tkPage && tkPage.ready").toBool(); }, 30000));
    const QByteArray written = dataJs();
    // Paused part of the way along; Play starts over on the same page.
    evaluateIn(page, "window.beforePlay = 1; document.getElementById('playButton').click();"
                     "tkPage.playIndex = 50;");
    ASSERT_FALSE(evaluateIn(page, "tkPage.playing").toBool());
    play->click();
    EXPECT_TRUE(waitUntil(
        [&] { return evaluateIn(page, "tkPage.playing && tkPage.playIndex < 50").toBool(); }));
    EXPECT_EQ(evaluateIn(page, "window.beforePlay").toInt(), 1) << "the page was not reloaded";
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
    const tk::Track& metric = track(1);
    expectFigures(metric, {});
    EXPECT_TRUE(value("length").endsWith(" km"));
    EXPECT_TRUE(value("averageSpeed").endsWith(" km/h"));
    EXPECT_TRUE(QRegularExpression("^-?\\d+ m / -?\\d+ m$").match(value("climb")).hasMatch());
    EXPECT_EQ(note(), "moving above 1.8 km/h, climbs of 5 m or more");
    EXPECT_EQ(value("speed").toStdString(), tk::mapTexts(metric).speed) << "the old rows stay";

    replaceTrack(2, [](tk::Track& t) { t.unitFlag = 1; });
    clickRow(2);
    expectFigures(track(2), {});
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
    expectFigures(track(0), {});
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
    expectFigures(track(0), {6.5, 12.0});

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
