// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/PhotoTableModel.h"

#include <QFileInfo>

#include "ui/TextFill.h"

#include <cmath>

using tk::photos::PhotoResult;
using tk::photos::PhotoStatus;

namespace {

QString positionText(const tk::photos::Position& p) {
    return QStringLiteral("%1, %2, %3 m")
        .arg(p.latitude, 0, 'f', 7)
        .arg(p.longitude, 0, 'f', 7)
        .arg(p.altitude, 0, 'f', 1);
}

long wholeSeconds(double seconds) {
    return std::lround(std::abs(seconds));
}

} // namespace

PhotoTableModel::PhotoTableModel(const tk::Language& language, QObject* parent)
    : QAbstractTableModel(parent), language_(language) {}

QString PhotoTableModel::text(const char* key) const {
    return QString::fromStdString(language_.text(key));
}

QString PhotoTableModel::cameraText(const tk::photos::PhotoInfo& info) const {
    if (!info.cameraTime)
        return {};
    const tk::CivilTime& c = info.cameraTime->civil;
    QString t = QStringLiteral("%1-%2-%3 %4:%5:%6")
                    .arg(c.year, 4, 10, QLatin1Char('0'))
                    .arg(c.month, 2, 10, QLatin1Char('0'))
                    .arg(c.day, 2, 10, QLatin1Char('0'))
                    .arg(c.hour, 2, 10, QLatin1Char('0'))
                    .arg(c.minute, 2, 10, QLatin1Char('0'))
                    .arg(c.second, 2, 10, QLatin1Char('0'));
    if (info.cameraTime->fraction > 0)
        t += QString::number(info.cameraTime->fraction, 'f', 2).mid(1);
    if (info.ownOffset)
        t += QLatin1Char(' ') + QString::fromStdString(tk::photos::zoneOffsetText(*info.ownOffset));
    return t;
}

void PhotoTableModel::setPhotos(const std::vector<tk::photos::PhotoInfo>& photos,
                                const std::vector<PhotoResult>& results) {
    beginResetModel();
    names_.clear();
    cameraTimes_.clear();
    for (const auto& info : photos) {
        names_.push_back(QFileInfo(QString::fromStdString(info.path)).fileName());
        cameraTimes_.push_back(cameraText(info));
    }
    results_ = results;
    thumbnails_.clear();
    endResetModel();
}

void PhotoTableModel::setResults(const std::vector<PhotoResult>& results) {
    results_ = results;
    if (!results_.empty())
        emit dataChanged(index(0, utcColumn), index(rowCount() - 1, placeColumn));
}

void PhotoTableModel::setThumbnail(int row, const QPixmap& thumbnail) {
    thumbnails_.insert(row, thumbnail);
    emit dataChanged(index(row, thumbnailColumn), index(row, thumbnailColumn));
}

void PhotoTableModel::relabel() {
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (!results_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int PhotoTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(std::min(names_.size(), results_.size()));
}

int PhotoTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QString PhotoTableModel::placeText(const PhotoResult& r) const {
    switch (r.status) {
    case PhotoStatus::wouldTag:
        return r.position ? positionText(*r.position) : QString();
    case PhotoStatus::tagged:
        return text("Tagged") + QStringLiteral(": ") + positionText(*r.position);
    case PhotoStatus::hasPosition:
        return text("Has a position") + QStringLiteral(": ") + positionText(*r.position);
    case PhotoStatus::gap:
        return QString::fromStdString(tk::fillNumbers(
            language_.text("In a gap of %d s between fixes"), {wholeSeconds(r.seconds)}));
    case PhotoStatus::outside:
        return r.seconds > 0 ? QString::fromStdString(tk::fillNumbers(
                                   language_.text("Outside the tracks, %d s from the nearest fix"),
                                   {wholeSeconds(r.seconds)}))
                             : text("Outside the tracks");
    case PhotoStatus::noTime:
        return text("No date and time in the photo");
    case PhotoStatus::unsupported:
        return text("A format that cannot be geotagged");
    case PhotoStatus::noOffset:
        return text("No clock correction for its camera");
    case PhotoStatus::error:
        break;
    }
    return text("Error") + QStringLiteral(": ") + QString::fromStdString(r.reason);
}

QVariant PhotoTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const PhotoResult& r = results_[row];
    if (role == Qt::DecorationRole && index.column() == thumbnailColumn)
        return thumbnails_.value(index.row());
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case nameColumn:
        return names_[row];
    case cameraColumn:
        return cameraTimes_[row];
    case utcColumn:
        return r.utc ? QString::fromStdString(tk::photos::isoUtcText(*r.utc)) : QString();
    case trackColumn:
        return r.track ? QVariant(r.track) : QVariant();
    case placeColumn:
        return placeText(r);
    default:
        return {};
    }
}

QVariant PhotoTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const kHeaders[] = {"Photo",    "Name",  "Camera time",
                                           "UTC time", "Track", "Position or reason"};
    return section >= 0 && section < kColumns ? text(kHeaders[section]) : QVariant();
}
