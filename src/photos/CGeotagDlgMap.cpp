// SPDX-License-Identifier: GPL-3.0-or-later
// The geotag dialog's map and table kept together: the tracks and photos on the map, a
// picked photo selected in the table and a selected row shown on the map, and the thumbnails.
#include "photos/CGeotagDlg.h"

#include <QBuffer>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTableView>

#include "map/MapPage.h"
#include "photos/PhotoTableModel.h"

using namespace tk::photos;

namespace {

// The photo's embedded thumbnail when it has one (fast), else the photo itself scaled down.
QImage thumbnailOf(const QString& path, const QByteArray& embedded) {
    QImage small;
    if (!embedded.isEmpty() && small.loadFromData(embedded, "JPEG"))
        return small.scaled(CGeotagDlg::kThumbnailWidth, CGeotagDlg::kThumbnailHeight,
                            Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid())
        reader.setScaledSize(size.scaled(CGeotagDlg::kThumbnailWidth * 2,
                                         CGeotagDlg::kThumbnailHeight * 2, Qt::KeepAspectRatio));
    return reader.read().scaled(CGeotagDlg::kThumbnailWidth, CGeotagDlg::kThumbnailHeight,
                                Qt::KeepAspectRatio, Qt::SmoothTransformation);
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
