// SPDX-License-Identifier: GPL-3.0-or-later
// The geotag dialog in the real main window, on the offscreen platform with the real embedded
// browser: photos added from a folder, the dry run following every setting, the map's markers
// and the table selecting each other, the GPS-clock photo, Write with its summary, and Undo.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>

#include "app/GeotagCommand.h"
#include "map/CMapView.h"
#include "photos/CClockSyncDlg.h"
#include "photos/CGeotagDlg.h"
#include "photos/CameraTable.h"
#include "photos/PhotoSamples.h"
#include "photos/PhotoTableModel.h"
#include "photos/WalkPhotos.h"
#include "session/TrackSession.h"
#include "support/qt/ProgramFixture.h"
#include "support/qt/Wait.h"
#include "tracks/CivilTime.h"

#include <regex>

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kT0 = 1719828000; // 2024-07-01T10:00:00Z

class GeotagDialogTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        if (!tk::test::haveExiftool())
            GTEST_SKIP() << "exiftool is not installed";
        photos_ = fs::path(folder_.path().toStdString()) / "photos";
        fs::create_directories(photos_);
    }

    // One track of 31 fixes, every 10 s from 10:00:00 UTC.
    void loadTrack() {
        tk::Track track;
        for (int i = 0; i <= 30; ++i) {
            tk::TrackPoint p;
            p.latitude = 47.0 + 0.001 * i;
            p.longitude = 8.0 + 0.002 * i;
            p.altitude = 4000 + 10 * i;
            p.utcSeconds = kT0 + 10 * i;
            track.points.push_back(p);
        }
        tk::TrackTable table;
        table.tracks = {track};
        table.lastTrack = 0;
        app_->session().takeDownload(tk::PageBuffer(), std::move(table));
    }

    fs::path photo(const std::string& name, std::vector<std::string> tags) {
        const fs::path path = photos_ / name;
        tk::test::writeAll(path, tk::test::tinyJpeg());
        EXPECT_TRUE(tk::test::exiftoolSet(path, tags));
        return path;
    }

    CGeotagDlg& openDialog() {
        CMainFrame& frame = start();
        loadTrack();
        frame.actions().geotag->trigger();
        CGeotagDlg* dialog = frame.geotag()->dialog();
        EXPECT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isVisible());
        return *dialog;
    }

    // Add Folder..., its question answered with folder; whether the photos were read.
    bool addFolder(CGeotagDlg& dialog, const fs::path& folder) {
        prompts_.folderAnswer = QString::fromStdString(folder.string());
        QSignalSpy read(&dialog, &CGeotagDlg::photosRead);
        dialog.findChild<QPushButton*>("addFolderButton")->click();
        return read.wait(20000);
    }

    QString cell(CGeotagDlg& dialog, int row, int column) {
        return dialog.model()->data(dialog.model()->index(row, column), Qt::DisplayRole).toString();
    }

    QString summary(CGeotagDlg& dialog) {
        return dialog.findChild<QLabel*>("summaryLabel")->text();
    }

    QVariant script(CGeotagDlg& dialog, const QString& source) {
        QVariant result;
        bool done = false;
        dialog.mapView()->page()->runJavaScript(source, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        waitUntil([&] { return done; }, 10000);
        return result;
    }

    fs::path photos_;
};

TEST_F(GeotagDialogTest, DryRunFollowsTheSettingsAndWriteAndUndoChangeThePhotos) {
    const fs::path inside =
        photo("a.jpg", {"-DateTimeOriginal=2024:07:01 12:00:05", "-OffsetTimeOriginal=+02:00"});
    photo("b.jpg", {"-DateTimeOriginal=2024:07:01 09:00:00", "-OffsetTimeOriginal=+00:00"});
    photo("c.jpg", {"-Make=NoClock"});
    const std::string before = tk::test::readAll(inside);
    CGeotagDlg& dialog = openDialog();
    ASSERT_TRUE(addFolder(dialog, photos_));
    ASSERT_EQ(dialog.model()->rowCount(), 3);
    EXPECT_EQ(cell(dialog, 0, PhotoTableModel::nameColumn), "a.jpg");
    EXPECT_EQ(cell(dialog, 0, PhotoTableModel::cameraColumn), "2024-07-01 12:00:05 +02:00");
    EXPECT_EQ(cell(dialog, 0, PhotoTableModel::utcColumn), "2024-07-01T10:00:05Z");
    EXPECT_EQ(cell(dialog, 0, PhotoTableModel::trackColumn), "1");
    EXPECT_EQ(cell(dialog, 0, PhotoTableModel::placeColumn), "47.0005000, 8.0010000, 400.5 m");
    EXPECT_EQ(cell(dialog, 1, PhotoTableModel::placeColumn),
              "Outside the tracks, 3600 s from the nearest fix");
    EXPECT_EQ(cell(dialog, 2, PhotoTableModel::placeColumn), "No date and time in the photo");
    EXPECT_EQ(summary(dialog),
              "1 to tag, 1 outside the tracks, 0 in gaps, 0 errors, 1 without a time");

    // A setting shows its effect at once: a camera zone of +03:00 puts a.jpg before the track.
    auto* zone = dialog.findChild<QComboBox*>("zoneCombo");
    zone->setCurrentIndex(zone->findText("UTC+03:00"));
    EXPECT_EQ(summary(dialog),
              "0 to tag, 2 outside the tracks, 0 in gaps, 0 errors, 1 without a time");
    zone->setCurrentIndex(0);
    EXPECT_EQ(summary(dialog),
              "1 to tag, 1 outside the tracks, 0 in gaps, 0 errors, 1 without a time");

    // The marker and the row select each other.
    ASSERT_TRUE(
        waitUntil([&] { return script(dialog, "tkGeotag.markerCount").toInt() == 1; }, 20000));
    script(dialog, "tkGeotag.clickMarker(0)");
    auto* table = dialog.findChild<QTableView*>("photoTable");
    EXPECT_TRUE(waitUntil([&] { return table->currentIndex().row() == 0; }, 10000));
    table->selectRow(2);
    table->selectRow(0);
    EXPECT_TRUE(waitUntil([&] { return script(dialog, "tkGeotag.selected").toInt() == 0; }, 10000));

    // The GPS clock in a.jpg showed 10 s more than the camera.
    QTimer::singleShot(0, [&] {
        waitUntil([] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<CClockSyncDlg*>(w) && w->isVisible())
                    return true;
            return false;
        });
        auto* sync = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<CClockSyncDlg*>(w))
                    return d;
            return static_cast<CClockSyncDlg*>(nullptr);
        }();
        ASSERT_NE(sync, nullptr);
        sync->findChild<QLineEdit*>("clockTimeEdit")->setText("2024-07-01 12:00:15");
        EXPECT_EQ(sync->findChild<QLabel*>("correctionLabel")->text(), "Clock correction (s): +10");
        sync->findChild<QPushButton*>("okButton")->click();
    });
    dialog.findChild<QPushButton*>("syncButton")->click();
    EXPECT_EQ(cell(dialog, 0, PhotoTableModel::utcColumn), "2024-07-01T10:00:15Z");
    EXPECT_FALSE(dialog.findChild<QWidget*>("offsetSpin")->isEnabled());
    dialog.findChild<QPushButton*>("clearSyncButton")->click();
    EXPECT_EQ(cell(dialog, 0, PhotoTableModel::utcColumn), "2024-07-01T10:00:05Z");

    QSignalSpy written(&dialog, &CGeotagDlg::writeFinished);
    dialog.findChild<QPushButton*>("writeButton")->click();
    ASSERT_TRUE(written.wait(20000));
    EXPECT_EQ(summary(dialog),
              "1 tagged, 1 outside the tracks, 0 in gaps, 0 errors, 1 without a time");
    EXPECT_EQ(cell(dialog, 0, PhotoTableModel::placeColumn),
              "Tagged: 47.0005000, 8.0010000, 400.5 m");
    const auto tags = tk::test::exiftoolJson(inside);
    ASSERT_EQ(tags.count("GPSLatitude"), 1u);
    EXPECT_NEAR(std::stod(tags.at("GPSLatitude")), 47.0005, 1e-9);

    QSignalSpy undone(&dialog, &CGeotagDlg::undoFinished);
    auto* undo = dialog.findChild<QPushButton*>("undoButton");
    ASSERT_TRUE(undo->isEnabled());
    undo->click();
    ASSERT_TRUE(undone.wait(20000));
    EXPECT_EQ(tk::test::readAll(inside), before);
    EXPECT_EQ(summary(dialog),
              "1 to tag, 1 outside the tracks, 0 in gaps, 0 errors, 1 without a time");
}

// The open dialog follows the session: new tracks (a Read, an Open) reach its dry run and map.
TEST_F(GeotagDialogTest, TracksReplacedInTheSessionReachTheOpenDialog) {
    photo("a.jpg", {"-DateTimeOriginal=2024:07:01 12:00:05", "-OffsetTimeOriginal=+02:00"});
    CGeotagDlg& dialog = openDialog();
    ASSERT_TRUE(addFolder(dialog, photos_));
    EXPECT_EQ(summary(dialog), "1 to tag, 0 outside the tracks, 0 in gaps, 0 errors");
    ASSERT_TRUE(
        waitUntil([&] { return script(dialog, "tkGeotag.markerCount").toInt() == 1; }, 20000));

    app_->session().loadMemory({});
    EXPECT_TRUE(summary(dialog).startsWith("0 to tag, ")) << summary(dialog).toStdString();
    EXPECT_TRUE(
        waitUntil([&] { return script(dialog, "tkGeotag.markerCount").toInt() == 0; }, 20000));
}

TEST_F(GeotagDialogTest, ChineseCaptionsAndPhotosDroppedOnTheWindow) {
    photo("a.jpg", {"-DateTimeOriginal=2024:07:01 10:00:05", "-OffsetTimeOriginal=+00:00"});
    CMainFrame& frame = start();
    loadTrack();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(photos_.string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &drop);
    CGeotagDlg* dialog = frame.geotag()->dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(waitUntil([&] { return dialog->model()->rowCount() == 1; }, 20000));
    frame.switchLanguage(1);
    EXPECT_EQ(dialog->windowTitle(), "照片地理标记");
    EXPECT_EQ(dialog->findChild<QPushButton*>("writeButton")->text(), "写入");
    EXPECT_EQ(dialog->model()
                  ->headerData(PhotoTableModel::utcColumn, Qt::Horizontal, Qt::DisplayRole)
                  .toString(),
              "UTC时间");
}

// Photos of four cameras on a walk with stops: the dialog lists the cameras, Suggest fills in
// the same corrections as trailkeep-cli, and the photos' times and the table follow.
TEST_F(GeotagDialogTest, CamerasGetTheSuggestionsOfTheCommandLine) {
    const tk::test::WalkPhotos walk = tk::test::makeWalkPhotos(photos_);
    const tk::test::ToolResult cli = tk::test::runTool(
        TK_BIN_DIR "/trailkeep-cli", {"geotag", "--suggest-offset", walk.project.string(),
                                      walk.folder.string(), "--zone", "+00:00", "--json"});
    ASSERT_EQ(cli.status, 0) << cli.err;

    CMainFrame& frame = start();
    app_->session().takeDownload(tk::PageBuffer(), tk::test::decodeRecords(walk.walk.records));
    frame.actions().geotag->trigger();
    CGeotagDlg& dialog = *frame.geotag()->dialog();
    auto* zone = dialog.findChild<QComboBox*>("zoneCombo");
    zone->setCurrentIndex(zone->findText("UTC+00:00"));
    ASSERT_TRUE(addFolder(dialog, walk.folder));
    auto* cameras = dialog.findChild<CameraTable*>("cameraTable");
    ASSERT_EQ(cameras->rowCount(), 4);

    QSignalSpy suggested(&dialog, &CGeotagDlg::suggested);
    dialog.findChild<QPushButton*>("suggestButton")->click();
    ASSERT_TRUE(suggested.wait(20000));
    for (int row = 0; row < cameras->rowCount(); ++row) {
        const QString name = cameras->item(row, CameraTable::cameraColumn)->text();
        const std::regex object("\\{\"camera\": \"" + name.toStdString() +
                                "\", \"files\": \\[[^\\]]*\\], \"photos\": [0-9]+, \"offset\": "
                                "(-?[0-9]+|null), \"confidence\": \"([a-z]+)\"");
        std::smatch m;
        ASSERT_TRUE(std::regex_search(cli.out, m, object)) << name.toStdString() << cli.out;
        const auto* spin =
            static_cast<QDoubleSpinBox*>(cameras->cellWidget(row, CameraTable::offsetColumn));
        if (m[1] != "null") {
            EXPECT_EQ(spin->value(), std::stod(m[1])) << name.toStdString();
        }
        EXPECT_EQ(cameras->item(row, CameraTable::confidenceColumn)->text().toLower().toStdString(),
                  m[2].str());
    }

    // The Canon's photos now show their true times, at the stops where they were taken.
    const std::string canonName = walk.canon.front().first.filename().string();
    int canonRow = -1;
    for (int row = 0; row < dialog.model()->rowCount(); ++row)
        if (cell(dialog, row, PhotoTableModel::nameColumn).toStdString() == canonName)
            canonRow = row;
    ASSERT_GE(canonRow, 0);
    const auto& truth = dialog.results()[static_cast<std::size_t>(canonRow)];
    ASSERT_TRUE(truth.utc);
    EXPECT_NEAR(*truth.utc, walk.canon.front().second, 10);
    EXPECT_EQ(summary(dialog), "22 to tag, 4 outside the tracks, 0 in gaps, 0 errors, "
                               "3 with a position already");

    // Every status counted, every column as wide as it needs, and no sideways scrolling.
    auto* table = dialog.findChild<QTableView*>("photoTable");
    EXPECT_FALSE(table->horizontalScrollBar()->isVisible());
    EXPECT_GE(table->columnWidth(PhotoTableModel::placeColumn), 200);
}

} // namespace
