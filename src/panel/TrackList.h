// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>
#include <QTableWidget>

#include <cstdint>
#include <vector>

// Paints a row's line colour over its Color cell: a box 30 pixels wide from the top of the row
// to 2 pixels above its bottom, 10 pixels in from the cell's left, with a black outline. Being
// painted with the cell, it stays over its cell when the list scrolls.
class CColorSwatch : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// The list of tracks: number, name, colour swatch and line weight; one row per track that has
// points, each row remembering its track. The column dividers cannot be dragged. The name cell's
// check box puts the track on the all-tracks map.
class TrackList : public QTableWidget {
    Q_OBJECT
public:
    enum Column { NumColumn, NameColumn, ColorColumn, WeightColumn, ColumnCount };
    static constexpr int kTrackRole = Qt::UserRole;      // on every cell: the track index
    static constexpr int kColourRole = Qt::UserRole + 1; // on the Color cell: 0x00BBGGRR
    static constexpr int kTitleLimit = 19;               // characters of a column title

    explicit TrackList(QWidget* parent = nullptr);

    void setColumnTitles(const QStringList& titles);
    void clearRows();
    void addTrackRow(int track, const QString& name, std::uint32_t colour, int weight);
    void setSwatchColour(int row, std::uint32_t colour);
    void setWeight(int row, int weight);

    int trackAt(int row) const;
    int rowOfTrack(int track) const;
    std::uint32_t swatchColour(int row) const;

    // The tracks whose rows are checked, in row order.
    std::vector<int> checkedTracks() const;
    // Checks or unchecks every row, then tells checksChanged once when told to.
    void setAllChecked(bool checked, bool tell = true);
    // True when the item's check box was toggled by the click that is being handled: a click on
    // the check box is not a click on the track.
    bool isCheckClick(const QTableWidgetItem* item) const { return item && item == toggled_; }

signals:
    void checksChanged();

private:
    void noteToggled(QTableWidgetItem* item);

    QTableWidgetItem* toggled_ = nullptr;
};
