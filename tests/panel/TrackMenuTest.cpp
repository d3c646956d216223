// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "demo/DemoMemory.h"
#include "map/CMapView.h"
#include "map/GpxWriter.h"
#include "map/KmlWriter.h"
#include "map/MapDataScript.h"
#include "panel/CColorButton.h"
#include "panel/CLinePropertiesDlg.h"
#include "panel/TrackList.h"
#include "panel/TrackPanel.h"
#include "session/TrackSession.h"
#include "support/qt/ModalAnswer.h"
#include "support/qt/ProgramFixture.h"
#include "support/qt/Wait.h"

#include <functional>

namespace {

class TrackMenuTest : public ProgramFixture {
protected:
    void startWithDemo() {
        start();
        app_->session().loadMemory(tk::makeDemoMemory());
    }
    const tk::Track& track(int index) const { return *app_->session().track(index); }
    TrackList* list() const { return frame_->panel()->trackList(); }

    // Right-clicks the row; once the menu is up, `inMenu` sees it and picks an entry or not.
    void rightClick(int row, std::function<void(QMenu*)> inMenu) {
        whenShown<QMenu>([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                         inMenu);
        const QPoint at = list()->visualItemRect(list()->item(row, 1)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list()->viewport(), &event);
    }

    static void pick(QMenu* menu, const char* objectName) {
        QAction* action = menu->findChild<QAction*>(QString::fromLatin1(objectName));
        ASSERT_NE(action, nullptr);
        menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
    }

    // Runs `inDialog` on the line-properties dialog once it is up.
    static void whenDialogOpens(std::function<void(tk::CLinePropertiesDlg*)> inDialog) {
        whenShown<tk::CLinePropertiesDlg>(
            [] { return qobject_cast<tk::CLinePropertiesDlg*>(QApplication::activeModalWidget()); },
            inDialog);
    }

    QByteArray fileBytes(const QString& name) const {
        if (name == QLatin1String("data.js"))
            return writtenDataJs();
        QFile file(moduleDir_ + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

QStringList entries(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text();
    return texts;
}

TEST_F(TrackMenuTest, MenuFollowsTheLanguageSetting) {
    for (int setting : {0, 1, 7}) {
        writeText("language.ini", QStringLiteral("[App]\nLanguage=%1\n").arg(setting).toUtf8());
        startWithDemo();
        QStringList seen;
        rightClick(0, [&seen](QMenu* menu) {
            seen = entries(menu);
            menu->close();
        });
        const QStringList expected = setting == 1
                                         ? QStringList{"修改", "路径预览", "保存为KML", "保存为GPX"}
                                         : QStringList{"Modify", "Print", "SaveToKML", "SaveToGPX"};
        EXPECT_EQ(seen, expected) << "setting " << setting;
        frame_.reset();
        app_.reset();
    }
}

TEST_F(TrackMenuTest, RightClickSelectsTheTrackAndRewritesDataJs) {
    startWithDemo();
    rightClick(2, [](QMenu* menu) { menu->close(); });
    EXPECT_EQ(app_->session().selected(), 2);
    EXPECT_EQ(fileBytes("data.js").toStdString(),
              tk::mapDataScript(track(2), app_->session().style(2)));
}

TEST_F(TrackMenuTest, ModifyStoresColourAndWeightOnOkOnly) {
    startWithDemo();
    const std::uint32_t before = list()->swatchColour(1);
    whenDialogOpens([](tk::CLinePropertiesDlg* dialog) { dialog->reject(); });
    rightClick(1, [](QMenu* menu) { pick(menu, "modifyAction"); });
    EXPECT_EQ(list()->swatchColour(1), before);
    EXPECT_EQ(list()->item(1, 3)->text(), "2");

    whenDialogOpens([](tk::CLinePropertiesDlg* dialog) {
        dialog->findChild<tk::CColorButton*>()->setColour(0x0000FF00);
        dialog->findChild<QComboBox*>("weightList")->setCurrentIndex(2);
        dialog->findChild<QPushButton*>("okButton")->click();
    });
    rightClick(1, [](QMenu* menu) { pick(menu, "modifyAction"); });
    EXPECT_EQ(list()->swatchColour(1), 0x0000FF00u);
    EXPECT_EQ(list()->item(1, 3)->text(), "4");
    EXPECT_EQ(app_->session().style(1).lineWeight, 4);
    // The right-clicked track is the selected one: its data.js follows at once.
    EXPECT_TRUE(fileBytes("data.js").contains("color:\"#00ff00\", weight: 4"));
}

TEST_F(TrackMenuTest, AutomaticColourIsDrawnInTheDefaultColour) {
    startWithDemo();
    app_->session().setStyle(0, {0xFF000000, 2, 2});
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                      list()->visualItemRect(list()->item(0, 1)).center());
    EXPECT_TRUE(fileBytes("data.js").contains("color:\"#ff0000\""));
}

TEST_F(TrackMenuTest, SaveToKmlAndGpxWriteTheRightClickedTrack) {
    startWithDemo();
    prompts_.saveAnswer = path("ride");
    rightClick(1, [](QMenu* menu) { pick(menu, "saveToKmlAction"); });
    EXPECT_EQ(prompts_.filters.last(), "KML files(*.kml)");
    EXPECT_EQ(fileBytes("ride.kml").toStdString(), tk::trackKml(track(1)));

    prompts_.saveAnswer = path("ride.GPX");
    rightClick(2, [](QMenu* menu) { pick(menu, "saveToGpxAction"); });
    EXPECT_EQ(prompts_.filters.last(), "GPX files(*.gpx)");
    const tk::Track* one[] = {&track(2)};
    EXPECT_EQ(fileBytes("ride.GPX.gpx").toStdString(), tk::tracksGpx(one));

    prompts_.saveAnswer.clear(); // cancelled: nothing written
    rightClick(0, [](QMenu* menu) { pick(menu, "saveToKmlAction"); });
    EXPECT_EQ(QDir(moduleDir_).entryList({"*.kml"}).size(), 1);
}

TEST_F(TrackMenuTest, UnwritableExportSaysWhyAndLeavesNoFile) {
    startWithDemo();
    prompts_.saveAnswer = path("no-such-folder/ride.kml");
    ModalAnswer answer;
    rightClick(0, [](QMenu* menu) { pick(menu, "saveToKmlAction"); });
    EXPECT_TRUE(waitUntil([&] { return answer.texts().size() == 1; }));
    EXPECT_FALSE(QFileInfo::exists(path("no-such-folder/ride.kml")));
}

} // namespace
