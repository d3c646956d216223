#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QWebEngineView>

#include "demo/DemoMemory.h"
#include "map/CMapView.h"
#include "map/MapDataScript.h"
#include "panel/CMenuDlg.h"
#include "panel/CTrackListCtrl.h"
#include "panel/ColourSequence.h"
#include "support/qt/ProgramFixture.h"
#include "support/qt/Wait.h"
#include "tracks/ProjectFile.h"

#include <fstream>

namespace {

class CMenuDlgTest : public ProgramFixture {
protected:
    CMainFrame& startWithDemo() {
        CMainFrame& frame = start();
        const std::vector<std::uint8_t> memory = tk::makeDemoMemory();
        tk::loadProject(memory, app_->pageBuffer, app_->decoder);
        frame.panel()->refill();
        return frame;
    }
    CTrackListCtrl* list() const { return frame_->panel()->trackList(); }
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

TEST_F(CMenuDlgTest, RefillListsEveryTrackWithFreshColoursAndWeightTwo) {
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

TEST_F(CMenuDlgTest, NoRowsWithoutPointsAndColumnsThatCannotBeDragged) {
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

TEST_F(CMenuDlgTest, ClickWritesDataJsShowsTheFiguresAndLoadsTheMapPage) {
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

TEST_F(CMenuDlgTest, KeysAndAccessibilitySelectionShowTheTrackToo) {
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

TEST_F(CMenuDlgTest, PlayReloadsTheLastPageOnlyWhenATrackIsSelected) {
    startWithDemo();
    QPushButton* play = frame_->panel()->findChild<QPushButton*>("playButton");
    QSignalSpy requested(frame_->panel(), &CMenuDlg::pageRequested);
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

TEST_F(CMenuDlgTest, HostileLanguageFileShowsPlainCutCaptions) {
    const QByteArray longText(300, 'x');
    writeText("language.ini", "[App]\nLanguage=0\n[LangEn]\nNum=<b>bold</b> & more text here\n"
                              "Play=P&lay\nName=" +
                                  longText + "\n");
    start();
    CMenuDlg* panel = frame_->panel();
    EXPECT_EQ(list()->horizontalHeaderItem(0)->text(), QStringLiteral("<b>bold</b> & more "));
    EXPECT_EQ(panel->findChild<QPushButton*>("playButton")->text(), "P&&lay");
    auto* nameLabel = panel->findChild<QLabel*>("nameLabel");
    EXPECT_EQ(nameLabel->textFormat(), Qt::PlainText);
    EXPECT_EQ(nameLabel->text().size(), 259);
    EXPECT_EQ(panel->findChild<QGroupBox*>("propertyGroup")->title(), "Property");
}

} // namespace
