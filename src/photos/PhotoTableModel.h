// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QPixmap>

#include "photos/GeotagRun.h"
#include "ui/Language.h"

// The geotag dialog's table: one row per photo with its thumbnail, name, camera time, true UTC
// time, track, and its position or the reason it has none, in the interface language.
class PhotoTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        thumbnailColumn,
        nameColumn,
        cameraColumn,
        utcColumn,
        trackColumn,
        placeColumn,
        kColumns
    };

    explicit PhotoTableModel(const tk::Language& language, QObject* parent = nullptr);

    // New photos and their results (the rows are made anew); new results for the same photos.
    void setPhotos(const std::vector<tk::photos::PhotoInfo>& photos,
                   const std::vector<tk::photos::PhotoResult>& results);
    void setResults(const std::vector<tk::photos::PhotoResult>& results);
    void setThumbnail(int row, const QPixmap& thumbnail);
    QPixmap thumbnail(int row) const { return thumbnails_.value(row); }
    // Column headers in the current language.
    void relabel();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text of the last column for a result.
    QString placeText(const tk::photos::PhotoResult& result) const;

private:
    QString text(const char* key) const;
    QString cameraText(const tk::photos::PhotoInfo& info) const;

    const tk::Language& language_;
    std::vector<QString> names_;
    std::vector<QString> cameraTimes_;
    std::vector<tk::photos::PhotoResult> results_;
    QHash<int, QPixmap> thumbnails_;
};
