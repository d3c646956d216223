// SPDX-License-Identifier: GPL-3.0-or-later
// The geotag dialog's work off the window's thread: adding photos, suggesting clock
// corrections, writing and undoing.
#include "photos/CGeotagDlg.h"

#include <QDir>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "photos/CameraTable.h"
#include "photos/PhotoTableModel.h"
#include "ui/Prompts.h"

using namespace tk::photos;

namespace {

constexpr char kPhotoFilter[] =
    "Photos (*.jpg *.jpeg *.tif *.tiff *.dng *.cr2 *.cr3 *.nef *.orf *.pef *.png *.webp *.arw "
    "*.raf *.rw2 *.heic *.heif *.JPG *.JPEG *.TIF *.DNG *.CR2 *.CR3 *.NEF *.ORF *.PEF *.PNG "
    "*.ARW *.RAF *.RW2 *.HEIC)";

} // namespace

void CGeotagDlg::runInBackground(std::function<void()> work, std::function<void()> done) {
    setWorking(true);
    runner_->run(std::move(work), [this, done = std::move(done)] {
        setWorking(false);
        done();
    });
}

void CGeotagDlg::setWorking(bool working) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{addPhotosButton_, addFolderButton_, removeAllButton_,
                                         settingsBox_, writeButton_, undoButton_})
        w->setEnabled(!working);
    cancelButton_->setEnabled(working);
    if (!working)
        undoButton_->setEnabled(!lastWritten_.empty());
}

void CGeotagDlg::addPaths(const QStringList& paths) {
    if (busy() || paths.isEmpty())
        return;
    std::vector<std::string> wanted;
    for (const QString& p : paths)
        wanted.push_back(QDir::cleanPath(p).toStdString());
    auto batch = std::make_shared<std::pair<std::vector<FoundPhoto>, std::vector<PhotoInfo>>>();
    runInBackground(
        [this, wanted, batch] {
            batch->first = findPhotos(wanted);
            batch->second = readPhotos(context_.access, batch->first);
        },
        [this, batch] {
            for (std::size_t i = 0; i < batch->first.size(); ++i) {
                const bool known =
                    std::any_of(found_.begin(), found_.end(), [&](const FoundPhoto& f) {
                        return f.path == batch->first[i].path;
                    });
                if (known)
                    continue;
                found_.push_back(batch->first[i]);
                infos_.push_back(std::move(batch->second[i]));
            }
            lastRun_.clear();
            cameraTable_->setCameras(cameraGroups(infos_));
            std::string error;
            results_ = matchPhotos(infos_, tracks_, settings_, photoClocks(error));
            model_->setPhotos(infos_, results_);
            dryRun();
            loadThumbnails();
            emit photosRead();
        });
}

void CGeotagDlg::addPhotosChosen() {
    addPaths(Prompts::current().openFileNames(this, QString::fromLatin1(kPhotoFilter)));
}

void CGeotagDlg::addFolderChosen() {
    const QString folder = Prompts::current().folderName(this);
    if (!folder.isEmpty())
        addPaths({folder});
}

void CGeotagDlg::suggest() {
    if (busy() || infos_.empty())
        return;
    auto suggestions = std::make_shared<std::vector<CameraSuggestion>>();
    runInBackground(
        [suggestions, infos = infos_, tracks = tracks_, zone = settings_.zone,
         maxGap = settings_.limits.maxGap] {
            *suggestions = suggestOffsets(infos, tracks, zone, maxGap);
        },
        [this, suggestions] {
            cameraTable_->setSuggestions(*suggestions);
            emit suggested();
        });
}

void CGeotagDlg::rereadPhotos(std::vector<PhotoInfo>& infos) const {
    infos = readPhotos(context_.access, found_);
}

void CGeotagDlg::write() {
    if (busy())
        return;
    cancel_ = false;
    progress_ = 0;
    auto results = std::make_shared<std::vector<PhotoResult>>(results_);
    auto reread = std::make_shared<std::vector<PhotoInfo>>();
    auto run = std::make_shared<std::string>();
    const long total = std::count_if(results_.begin(), results_.end(), [](const PhotoResult& r) {
        return r.status == PhotoStatus::wouldTag;
    });
    progressBar_->setRange(0, static_cast<int>(total));
    progressBar_->setValue(0);
    progressBar_->setVisible(true);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this,
            [this] { progressBar_->setValue(static_cast<int>(progress_.load())); });
    timer->start(50);
    const std::vector<PhotoInfo> infos = infos_;
    const GeotagSettings settings = settings_;
    runInBackground(
        [this, results, reread, run, infos, settings] {
            WriteControl control;
            control.cancel = &cancel_;
            control.progress = [this](std::size_t done, std::size_t) { progress_ = done; };
            *run = writePhotos(context_.access, infos, *results, settings, control);
            rereadPhotos(*reread);
        },
        [this, results, reread, run, timer] {
            timer->deleteLater();
            progressBar_->setVisible(false);
            infos_ = std::move(*reread);
            results_ = std::move(*results);
            lastRun_ = *run;
            lastWritten_.clear();
            for (std::size_t i = 0; i < results_.size(); ++i)
                if (results_[i].status == PhotoStatus::tagged)
                    lastWritten_.push_back(found_[i].path);
            undoButton_->setEnabled(!lastWritten_.empty());
            model_->setResults(results_);
            showPhotosOnMap();
            showSummary();
            emit writeFinished();
        });
}

void CGeotagDlg::undo() {
    if (busy() || lastWritten_.empty())
        return;
    auto reread = std::make_shared<std::vector<PhotoInfo>>();
    const std::vector<std::string> paths = lastWritten_;
    const std::string run = lastRun_;
    runInBackground(
        [this, reread, paths, run] {
            undoGeotagging(context_.access, paths, run);
            rereadPhotos(*reread);
        },
        [this, reread] {
            infos_ = std::move(*reread);
            lastWritten_.clear();
            lastRun_.clear();
            undoButton_->setEnabled(false);
            dryRun();
            emit undoFinished();
        });
}
