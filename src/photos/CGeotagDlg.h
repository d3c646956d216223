// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPointer>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <vector>

#include "photos/GeotagRun.h"
#include "tracks/Track.h"
#include "ui/JobRunner.h"
#include "ui/Language.h"

class CameraTable;
class PageBridge;
class CMapView;
class MapPage;
class TrackSession;
class PhotoTableModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;
class QWebEngineProfile;

// Geotag Photos: the photos in a table and on a map with the loaded tracks, the cameras' zone,
// each camera's clock correction (suggested on request), and Write. Every setting change shows at
// once what would be done (a dry run); reading, writing and undoing run on workers while the window
// stays responsive.
class CGeotagDlg : public QDialog {
    Q_OBJECT
public:
    // What the dialog needs of the program: the language, the track session (whose tracks the
    // photos are matched to), the photo reader and writer, and what the map view needs.
    struct Context {
        const tk::Language& language;
        const TrackSession& session;
        tk::photos::PhotoAccess& access;
        MapPage& mapPage; // the photo map on the page goes through it
        QWebEngineProfile* profile;
        PageBridge& bridge;
        QString pageDir; // with a trailing slash
    };

    // The size of a photo's thumbnail in the table.
    static constexpr int kThumbnailWidth = 64;
    static constexpr int kThumbnailHeight = 48;

    explicit CGeotagDlg(const Context& context, QWidget* parent = nullptr);
    ~CGeotagDlg() override;

    // Adds photos, and the photos of folders (searched recursively); they are read on workers.
    void addPaths(const QStringList& paths);
    void relabel();

    bool busy() const { return runner_->busy(); }
    const std::vector<tk::photos::PhotoResult>& results() const { return results_; }
    const tk::photos::GeotagSettings& settings() const { return settings_; }
    PhotoTableModel* model() const { return model_; }
    CMapView* mapView() const { return map_; }

signals:
    void photosRead();
    void suggested();
    void writeFinished();
    void undoFinished();

private:
    void buildControls();
    QWidget* buildSettings();
    QWidget* buildActions();
    void readSettings();
    void tracksChanged();
    void dryRun();
    void showPhotosOnMap();
    void showTracksOnMap();
    void selectRow(int row);
    void showSelectionOnMap(int row);
    void loadThumbnails();
    void addPhotosChosen();
    void addFolderChosen();
    void removeAll();
    void syncFromPhoto();
    void clearSyncs();
    void suggest();
    void write();
    void undo();
    void showSummary();
    std::vector<tk::photos::PhotoClock> photoClocks(std::string& error) const;
    void setWorking(bool working);
    void runInBackground(std::function<void()> work, std::function<void()> done);
    void rereadPhotos(std::vector<tk::photos::PhotoInfo>& infos) const;
    QString text(const char* key) const;

    Context context_;
    std::vector<tk::photos::FixTrack> tracks_;
    std::vector<tk::photos::FoundPhoto> found_;
    std::vector<tk::photos::PhotoInfo> infos_;
    std::vector<tk::photos::PhotoResult> results_;
    tk::photos::GeotagSettings settings_;
    std::string lastRun_;
    std::vector<std::string> lastWritten_;
    std::atomic<bool> cancel_{false};
    std::atomic<std::size_t> progress_{0};
    JobRunner* runner_ = new JobRunner(this); // reads and writes the photos
    QThreadPool thumbnailPool_;
    int generation_ = 0;

    PhotoTableModel* model_;
    QTableView* table_ = nullptr;
    CMapView* map_ = nullptr;
    QPushButton* addPhotosButton_ = nullptr;
    QPushButton* addFolderButton_ = nullptr;
    QPushButton* removeAllButton_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QLabel* zoneCaption_ = nullptr;
    QComboBox* zoneCombo_ = nullptr;
    CameraTable* cameraTable_ = nullptr;
    QPushButton* suggestButton_ = nullptr;
    QPushButton* syncButton_ = nullptr;
    QPushButton* clearSyncButton_ = nullptr;
    QLabel* syncLabel_ = nullptr;
    QLabel* maxGapCaption_ = nullptr;
    QSpinBox* maxGapSpin_ = nullptr;
    QLabel* extrapolateCaption_ = nullptr;
    QSpinBox* extrapolateSpin_ = nullptr;
    QCheckBox* overwriteCheck_ = nullptr;
    QCheckBox* sidecarCheck_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* writeButton_ = nullptr;
    QPushButton* undoButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QLabel* summaryLabel_ = nullptr;
    QPlainTextEdit* errorList_ = nullptr;
    QWidget* settingsBox_ = nullptr;
};
