// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/CGeotagDlg.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "map/CMapView.h"
#include "map/MapPage.h"
#include "photos/CClockSyncDlg.h"
#include "photos/CameraClocks.h"
#include "photos/CameraTable.h"
#include "photos/PhotoTableModel.h"
#include "session/TrackSession.h"
#include "ui/Captions.h"
#include "ui/Prompts.h"
#include "ui/TextFill.h"

using namespace tk::photos;

namespace {

constexpr int kThumbnailWidth = 64;
constexpr int kThumbnailHeight = 48;
constexpr char kPhotoFilter[] =
    "Photos (*.jpg *.jpeg *.tif *.tiff *.dng *.cr2 *.cr3 *.nef *.orf *.pef *.png *.webp *.arw "
    "*.raf *.rw2 *.heic *.heif *.JPG *.JPEG *.TIF *.DNG *.CR2 *.CR3 *.NEF *.ORF *.PEF *.PNG "
    "*.ARW *.RAF *.RW2 *.HEIC)";

QPushButton* button(const char* name, QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLabel* label(const char* name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    return l;
}

QString clockText(const ClockTime& t) {
    const tk::CivilTime& c = t.civil;
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                             c.minute, c.second);
}

// The photo's embedded thumbnail when it has one (fast), else the photo itself scaled down.
QImage thumbnailOf(const QString& path, const QByteArray& embedded) {
    QImage small;
    if (!embedded.isEmpty() && small.loadFromData(embedded, "JPEG"))
        return small.scaled(kThumbnailWidth, kThumbnailHeight, Qt::KeepAspectRatio,
                            Qt::SmoothTransformation);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid())
        reader.setScaledSize(
            size.scaled(kThumbnailWidth * 2, kThumbnailHeight * 2, Qt::KeepAspectRatio));
    return reader.read().scaled(kThumbnailWidth, kThumbnailHeight, Qt::KeepAspectRatio,
                                Qt::SmoothTransformation);
}

QString dataUrl(const QPixmap& pixmap) {
    if (pixmap.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pixmap.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
}

QString jsonText(const QJsonArray& array) {
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

} // namespace

CGeotagDlg::CGeotagDlg(const Context& context, QWidget* parent)
    : QDialog(parent), context_(context), model_(new PhotoTableModel(context.language, this)) {
    setObjectName(QStringLiteral("geotagDialog"));
    setModal(false);
    thumbnailPool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    tracks_ = fixTracks(context_.session.table());
    connect(&context_.session, &TrackSession::tracksReplaced, this, &CGeotagDlg::tracksChanged);
    buildControls();
    relabel();
    readSettings();
    resize(1100, 720);
}

CGeotagDlg::~CGeotagDlg() {
    cancel_ = true;
    thumbnailPool_.clear();
    if (worker_)
        worker_->wait();
    thumbnailPool_.waitForDone();
}

QString CGeotagDlg::text(const char* key) const {
    return caption(context_.language, key);
}

void CGeotagDlg::buildControls() {
    auto* top = new QHBoxLayout;
    addPhotosButton_ = button("addPhotosButton", this);
    addFolderButton_ = button("addFolderButton", this);
    removeAllButton_ = button("removeAllButton", this);
    countLabel_ = label("countLabel", this);
    top->addWidget(addPhotosButton_);
    top->addWidget(addFolderButton_);
    top->addWidget(removeAllButton_);
    top->addWidget(countLabel_, 1);

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("photoTable"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->setDefaultSectionSize(kThumbnailHeight + 4);
    table_->verticalHeader()->hide();
    // Every column as wide as its content; the position or reason takes the rest and wraps
    // within the row's height.
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(PhotoTableModel::thumbnailColumn, QHeaderView::Fixed);
    header->setSectionResizeMode(PhotoTableModel::placeColumn, QHeaderView::Stretch);
    table_->setColumnWidth(PhotoTableModel::thumbnailColumn, kThumbnailWidth + 8);
    table_->setWordWrap(true);
    map_ = new CMapView(context_.profile, context_.bridge, context_.pageDir, this);
    map_->setObjectName(QStringLiteral("geotagMap"));
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("geotagSplitter"));
    splitter->addWidget(table_);
    splitter->addWidget(map_);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({760, 340});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    layout->addWidget(buildSettings());
    layout->addWidget(buildActions());

    connect(addPhotosButton_, &QPushButton::clicked, this, &CGeotagDlg::addPhotosChosen);
    connect(addFolderButton_, &QPushButton::clicked, this, &CGeotagDlg::addFolderChosen);
    connect(removeAllButton_, &QPushButton::clicked, this, &CGeotagDlg::removeAll);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) { showSelectionOnMap(index.row()); });
    // The page takes the tracks and photos shown when it starts and every change after.
    connect(&context_.mapPage, &MapPage::photoPicked, this, &CGeotagDlg::selectRow);
    showTracksOnMap();
    showPhotosOnMap();
    map_->navigateTo(context_.pageDir + QStringLiteral("geotag.html"));
}

QWidget* CGeotagDlg::buildSettings() {
    auto* box = new QGroupBox(this);
    box->setObjectName(QStringLiteral("settingsGroup"));
    settingsBox_ = box;
    zoneCaption_ = label("zoneCaption", box);
    zoneCombo_ = new QComboBox(box);
    zoneCombo_->setObjectName(QStringLiteral("zoneCombo"));
    zoneCombo_->addItem(QString(), QVariant());
    for (int minutes = -12 * 60; minutes <= 14 * 60; minutes += 15)
        zoneCombo_->addItem(QStringLiteral("UTC") +
                                QString::fromStdString(zoneOffsetText(minutes * 60)),
                            minutes * 60);
    cameraTable_ = new CameraTable(context_.language, box);
    suggestButton_ = button("suggestButton", box);
    syncButton_ = button("syncButton", box);
    clearSyncButton_ = button("clearSyncButton", box);
    syncLabel_ = label("syncLabel", box);
    maxGapCaption_ = label("maxGapCaption", box);
    maxGapSpin_ = new QSpinBox(box);
    maxGapSpin_->setObjectName(QStringLiteral("maxGapSpin"));
    maxGapSpin_->setRange(0, 86400);
    maxGapSpin_->setValue(300);
    extrapolateCaption_ = label("extrapolateCaption", box);
    extrapolateSpin_ = new QSpinBox(box);
    extrapolateSpin_->setObjectName(QStringLiteral("extrapolateSpin"));
    extrapolateSpin_->setRange(0, 86400);
    overwriteCheck_ = new QCheckBox(box);
    overwriteCheck_->setObjectName(QStringLiteral("overwriteCheck"));
    sidecarCheck_ = new QCheckBox(box);
    sidecarCheck_->setObjectName(QStringLiteral("sidecarCheck"));

    auto* grid = new QGridLayout(box);
    grid->addWidget(zoneCaption_, 0, 0);
    grid->addWidget(zoneCombo_, 0, 1);
    grid->addWidget(maxGapCaption_, 0, 2);
    grid->addWidget(maxGapSpin_, 0, 3);
    grid->addWidget(extrapolateCaption_, 0, 4);
    grid->addWidget(extrapolateSpin_, 0, 5);
    grid->addWidget(overwriteCheck_, 0, 6);
    grid->addWidget(sidecarCheck_, 0, 7);
    grid->setColumnStretch(8, 1);
    auto* clockRow = new QHBoxLayout;
    clockRow->addWidget(syncLabel_, 1);
    clockRow->addWidget(suggestButton_);
    clockRow->addWidget(syncButton_);
    clockRow->addWidget(clearSyncButton_);
    grid->addLayout(clockRow, 1, 0, 1, 9);
    grid->addWidget(cameraTable_, 2, 0, 1, 9);
    zoneCaption_->setBuddy(zoneCombo_);
    maxGapCaption_->setBuddy(maxGapSpin_);
    extrapolateCaption_->setBuddy(extrapolateSpin_);

    const auto changed = [this] { readSettings(); };
    connect(zoneCombo_, &QComboBox::currentIndexChanged, this, changed);
    connect(cameraTable_, &CameraTable::offsetsChanged, this, changed);
    connect(maxGapSpin_, &QSpinBox::valueChanged, this, changed);
    connect(extrapolateSpin_, &QSpinBox::valueChanged, this, changed);
    connect(overwriteCheck_, &QCheckBox::toggled, this, changed);
    connect(sidecarCheck_, &QCheckBox::toggled, this, changed);
    connect(syncButton_, &QPushButton::clicked, this, &CGeotagDlg::syncFromPhoto);
    connect(clearSyncButton_, &QPushButton::clicked, this, &CGeotagDlg::clearSyncs);
    connect(suggestButton_, &QPushButton::clicked, this, &CGeotagDlg::suggest);
    return box;
}

QWidget* CGeotagDlg::buildActions() {
    auto* area = new QWidget(this);
    progressBar_ = new QProgressBar(area);
    progressBar_->setObjectName(QStringLiteral("progressBar"));
    progressBar_->setVisible(false);
    cancelButton_ = button("cancelButton", area);
    cancelButton_->setEnabled(false);
    writeButton_ = button("writeButton", area);
    undoButton_ = button("undoButton", area);
    undoButton_->setEnabled(false);
    closeButton_ = button("closeButton", area);
    summaryLabel_ = label("summaryLabel", area);
    summaryLabel_->setWordWrap(true);
    errorList_ = new QPlainTextEdit(area);
    errorList_->setObjectName(QStringLiteral("errorList"));
    errorList_->setReadOnly(true);
    errorList_->setMaximumHeight(80);
    errorList_->setVisible(false);

    auto* row = new QHBoxLayout;
    row->addWidget(progressBar_, 1);
    row->addWidget(cancelButton_);
    row->addStretch();
    row->addWidget(writeButton_);
    row->addWidget(undoButton_);
    row->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(summaryLabel_);
    layout->addWidget(errorList_);
    layout->addLayout(row);
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancel_ = true; });
    connect(writeButton_, &QPushButton::clicked, this, &CGeotagDlg::write);
    connect(undoButton_, &QPushButton::clicked, this, &CGeotagDlg::undo);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
    return area;
}

void CGeotagDlg::relabel() {
    setWindowTitle(text("Geotag Photos"));
    addPhotosButton_->setText(buttonCaption(context_.language, "Add Photos..."));
    addFolderButton_->setText(buttonCaption(context_.language, "Add Folder..."));
    removeAllButton_->setText(buttonCaption(context_.language, "Remove All"));
    static_cast<QGroupBox*>(settingsBox_)->setTitle(buttonCaption(context_.language, "Settings"));
    zoneCaption_->setText(text("Camera time zone"));
    zoneCombo_->setItemText(0, text("Auto"));
    suggestButton_->setText(buttonCaption(context_.language, "Suggest"));
    cameraTable_->relabel();
    syncButton_->setText(buttonCaption(context_.language, "From a photo of the GPS clock..."));
    clearSyncButton_->setText(buttonCaption(context_.language, "Clear sync photos"));
    maxGapCaption_->setText(text("Max gap (s)"));
    extrapolateCaption_->setText(text("Max extrapolation (s)"));
    overwriteCheck_->setText(buttonCaption(context_.language, "Overwrite positions"));
    sidecarCheck_->setText(buttonCaption(context_.language, "Sidecar files"));
    cancelButton_->setText(buttonCaption(context_.language, "Cancel"));
    writeButton_->setText(buttonCaption(context_.language, "Write"));
    undoButton_->setText(buttonCaption(context_.language, "Undo Geotagging"));
    closeButton_->setText(buttonCaption(context_.language, "Close"));
    model_->relabel();
    showSummary();
}

void CGeotagDlg::readSettings() {
    const QVariant zone = zoneCombo_->currentData();
    settings_.zone = zone.isValid() ? ZoneChoice{zone.toInt()} : ZoneChoice{};
    settings_.limits.maxGap = maxGapSpin_->value();
    settings_.limits.maxExtrapolate = extrapolateSpin_->value();
    settings_.overwrite = overwriteCheck_->isChecked();
    settings_.sidecar = sidecarCheck_->isChecked();
    dryRun();
}

void CGeotagDlg::dryRun() {
    if (busy())
        return;
    std::string error;
    const std::vector<PhotoClock> clocks = photoClocks(error);
    clearSyncButton_->setEnabled(!settings_.syncs.empty());
    if (!settings_.syncs.empty() && error.empty())
        syncLabel_->setText(QString::fromStdString(
            tk::fillNumbers(context_.language.text("%d photos of the GPS clock set the correction"),
                            {static_cast<long>(settings_.syncs.size())})));
    else
        syncLabel_->setText(QString::fromStdString(error));
    results_ = matchPhotos(infos_, tracks_, settings_, clocks);
    model_->setResults(results_);
    showPhotosOnMap();
    showSummary();
}

std::vector<PhotoClock> CGeotagDlg::photoClocks(std::string& error) const {
    CameraClocks clocks = cameraClocks(settings_, infos_, error);
    std::map<std::string, double> synced;
    for (const auto& [camera, correction] : clocks.cameras)
        synced[camera] = correction.constant();
    cameraTable_->setSynced(synced);
    for (const auto& [camera, offset] : cameraTable_->offsets())
        clocks.cameras.emplace(camera, ClockCorrection(offset));
    return clocks.perPhoto(infos_);
}

void CGeotagDlg::showSummary() {
    long counts[static_cast<int>(PhotoStatus::noOffset) + 1] = {};
    for (const PhotoResult& r : results_)
        ++counts[static_cast<int>(r.status)];
    const auto count = [&](PhotoStatus status) { return counts[static_cast<int>(status)]; };
    countLabel_->setText(QString::fromStdString(tk::fillNumbers(
        context_.language.text("%d photos"), {static_cast<long>(results_.size())})));
    const bool written = !lastRun_.empty();
    const char* key = written ? "%d tagged, %d outside the tracks, %d in gaps, %d errors"
                              : "%d to tag, %d outside the tracks, %d in gaps, %d errors";
    std::string summary = tk::fillNumbers(
        context_.language.text(key),
        {count(written ? PhotoStatus::tagged : PhotoStatus::wouldTag), count(PhotoStatus::outside),
         count(PhotoStatus::gap), count(PhotoStatus::error)});
    // Every photo is accounted for: the other statuses follow when there are any.
    const std::pair<PhotoStatus, const char*> others[] = {
        {PhotoStatus::hasPosition, ", %d with a position already"},
        {PhotoStatus::noTime, ", %d without a time"},
        {PhotoStatus::unsupported, ", %d unsupported"},
        {PhotoStatus::noOffset, ", %d without a clock correction"},
        {written ? PhotoStatus::wouldTag : PhotoStatus::tagged, ", %d not written (cancelled)"}};
    for (const auto& [status, words] : others)
        if (count(status) > 0)
            summary += tk::fillNumbers(context_.language.text(words), {count(status)});
    summaryLabel_->setText(QString::fromStdString(summary));
    QStringList errors;
    for (std::size_t i = 0; i < results_.size() && i < infos_.size(); ++i)
        if (results_[i].status == PhotoStatus::error)
            errors << QString::fromStdString(infos_[i].path + ": " + results_[i].reason);
    errorList_->setPlainText(errors.join(QLatin1Char('\n')));
    errorList_->setVisible(!errors.isEmpty());
    writeButton_->setEnabled(!busy() && counts[static_cast<int>(PhotoStatus::wouldTag)] > 0);
}

// The session's tracks were replaced (Open, Read, a drop).
void CGeotagDlg::tracksChanged() {
    tracks_ = fixTracks(context_.session.table());
    showTracksOnMap();
    dryRun();
}

void CGeotagDlg::showTracksOnMap() {
    QJsonArray tracks;
    for (const FixTrack& t : tracks_) {
        QJsonArray points;
        for (const Fix& f : t.fixes)
            points.append(QJsonArray{f.latitude, f.longitude});
        tracks.append(points);
    }
    context_.mapPage.showPhotoTracks(jsonText(tracks));
}

void CGeotagDlg::showPhotosOnMap() {
    QJsonArray photos;
    for (std::size_t i = 0; i < results_.size(); ++i) {
        if (!results_[i].position)
            continue;
        photos.append(
            QJsonObject{{QStringLiteral("row"), static_cast<int>(i)},
                        {QStringLiteral("lat"), results_[i].position->latitude},
                        {QStringLiteral("lon"), results_[i].position->longitude},
                        {QStringLiteral("name"),
                         model_
                             ->data(model_->index(static_cast<int>(i), PhotoTableModel::nameColumn),
                                    Qt::DisplayRole)
                             .toString()}});
    }
    context_.mapPage.showPhotos(jsonText(photos));
}

void CGeotagDlg::selectRow(int row) {
    if (row < 0 || row >= model_->rowCount())
        return;
    table_->selectRow(row);
    table_->scrollTo(model_->index(row, 0));
    showSelectionOnMap(row);
}

void CGeotagDlg::showSelectionOnMap(int row) {
    if (row < 0 || row >= model_->rowCount())
        return;
    const QString name =
        model_->data(model_->index(row, PhotoTableModel::nameColumn), Qt::DisplayRole).toString();
    context_.mapPage.showPhoto(row, name, dataUrl(model_->thumbnail(row)));
}

void CGeotagDlg::runInBackground(std::function<void()> work, std::function<void()> done) {
    setWorking(true);
    worker_ = QThread::create(std::move(work));
    connect(worker_, &QThread::finished, this, [this, done = std::move(done)] {
        worker_->deleteLater();
        worker_ = nullptr;
        setWorking(false);
        done();
    });
    worker_->start();
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

void CGeotagDlg::loadThumbnails() {
    thumbnailPool_.clear();
    const int generation = ++generation_;
    QPointer<CGeotagDlg> self(this);
    for (std::size_t i = 0; i < infos_.size(); ++i) {
        const QString path = QString::fromStdString(infos_[i].path);
        const QByteArray embedded = QByteArray::fromStdString(infos_[i].thumbnail);
        const int row = static_cast<int>(i);
        thumbnailPool_.start([self, path, embedded, row, generation] {
            const QImage image = thumbnailOf(path, embedded);
            QMetaObject::invokeMethod(
                qApp,
                [self, image, row, generation] {
                    if (self && self->generation_ == generation && !image.isNull())
                        self->model_->setThumbnail(row, QPixmap::fromImage(image));
                },
                Qt::QueuedConnection);
        });
    }
}

void CGeotagDlg::addPhotosChosen() {
    addPaths(Prompts::current().openFileNames(this, QString::fromLatin1(kPhotoFilter)));
}

void CGeotagDlg::addFolderChosen() {
    const QString folder = Prompts::current().folderName(this);
    if (!folder.isEmpty())
        addPaths({folder});
}

void CGeotagDlg::removeAll() {
    ++generation_;
    thumbnailPool_.clear();
    found_.clear();
    infos_.clear();
    settings_.syncs.clear();
    lastRun_.clear();
    lastWritten_.clear();
    results_.clear();
    model_->setPhotos(infos_, results_);
    cameraTable_->setCameras({});
    undoButton_->setEnabled(false);
    dryRun();
}

void CGeotagDlg::syncFromPhoto() {
    if (infos_.empty())
        return;
    QStringList paths;
    QStringList cameraTimes;
    for (const PhotoInfo& info : infos_) {
        paths << QString::fromStdString(info.path);
        cameraTimes << (info.cameraTime ? clockText(*info.cameraTime) : QString());
    }
    const int current = table_->currentIndex().isValid() ? table_->currentIndex().row() : 0;
    const auto correction = [this](int index,
                                   const ZonedClockTime& shown) -> std::optional<double> {
        GeotagSettings one = settings_;
        one.syncs = {{static_cast<std::size_t>(index), shown}};
        std::string error;
        const ClockCorrection c = clockCorrection(one, infos_, error);
        if (!error.empty())
            return std::nullopt;
        return c.syncPoints().front().second;
    };
    CClockSyncDlg dialog(context_.language, paths, cameraTimes, current, correction, this);
    if (dialog.exec() != QDialog::Accepted || !dialog.shownTime())
        return;
    const auto index = static_cast<std::size_t>(dialog.photoIndex());
    std::erase_if(settings_.syncs, [&](const SyncPoint& s) { return s.photo == index; });
    settings_.syncs.push_back({index, *dialog.shownTime()});
    dryRun();
}

void CGeotagDlg::clearSyncs() {
    settings_.syncs.clear();
    dryRun();
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
