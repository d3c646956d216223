// SPDX-License-Identifier: GPL-3.0-or-later
// The geotag dialog: made, following the session's tracks, its settings read into the dry run
// and its summary, the clock sync photos, and Remove All.
#include "photos/CGeotagDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

#include "photos/CClockSyncDlg.h"
#include "photos/CameraClocks.h"
#include "photos/CameraTable.h"
#include "photos/PhotoTableModel.h"
#include "session/TrackSession.h"
#include "ui/Captions.h"
#include "ui/TextFill.h"

using namespace tk::photos;

namespace {

QString clockText(const ClockTime& t) {
    const tk::CivilTime& c = t.civil;
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                             c.minute, c.second);
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
    runner_->wait();
    thumbnailPool_.waitForDone();
}

QString CGeotagDlg::text(const char* key) const {
    return caption(context_.language, key);
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
