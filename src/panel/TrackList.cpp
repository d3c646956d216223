// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/TrackList.h"

#include <QHeaderView>
#include <QPainter>
#include <QSignalBlocker>
#include <QTimer>

#include "panel/LineColourQt.h"

void CColorSwatch::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const QVariant colour = index.data(TrackList::kColourRole);
    if (!colour.isValid())
        return;
    const QRect cell = option.rect;
    const QRect swatch(cell.left() + 10, cell.top() + 1, 29, qMax(4, cell.height() - 4));
    painter->save();
    painter->setPen(Qt::black);
    painter->setBrush(tk::toQColor(colour.toUInt()));
    painter->drawRect(swatch);
    painter->restore();
}

TrackList::TrackList(QWidget* parent) : QTableWidget(0, ColumnCount, parent) {
    setObjectName(QStringLiteral("trackList"));
    setAccessibleName(QStringLiteral("Tracks"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int widths[ColumnCount] = {40, 160, 60, 60};
    for (int column = 0; column < ColumnCount; ++column)
        setColumnWidth(column, widths[column]);
    setItemDelegateForColumn(ColorColumn, new CColorSwatch(this));
    connect(this, &QTableWidget::itemChanged, this, &TrackList::noteToggled);
}

void TrackList::noteToggled(QTableWidgetItem* item) {
    if (item->column() != NameColumn)
        return;
    // itemClicked follows in the same event when the toggle came from a click.
    toggled_ = item;
    QTimer::singleShot(0, this, [this] { toggled_ = nullptr; });
    emit checksChanged();
}

std::vector<int> TrackList::checkedTracks() const {
    std::vector<int> tracks;
    for (int row = 0; row < rowCount(); ++row) {
        const QTableWidgetItem* cell = item(row, NameColumn);
        if (cell && cell->checkState() == Qt::Checked)
            tracks.push_back(trackAt(row));
    }
    return tracks;
}

void TrackList::setAllChecked(bool checked, bool tell) {
    {
        const QSignalBlocker quiet(this);
        for (int row = 0; row < rowCount(); ++row)
            if (QTableWidgetItem* cell = item(row, NameColumn))
                cell->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
    viewport()->update();
    if (tell)
        emit checksChanged();
}

void TrackList::setColumnTitles(const QStringList& titles) {
    QStringList cut;
    for (const QString& title : titles)
        cut << title.left(kTitleLimit);
    setHorizontalHeaderLabels(cut);
}

void TrackList::clearRows() {
    clearContents();
    setRowCount(0);
}

void TrackList::addTrackRow(int track, const QString& name, std::uint32_t colour, int weight) {
    const int row = rowCount();
    insertRow(row);
    const QString texts[ColumnCount] = {QString::asprintf("%02d", track + 1), name, QString(),
                                        QString::number(weight)};
    for (int column = 0; column < ColumnCount; ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        item->setData(kTrackRole, track);
        if (column == NameColumn)
            item->setCheckState(Qt::Unchecked);
        setItem(row, column, item);
    }
    setSwatchColour(row, colour);
}

void TrackList::setSwatchColour(int row, std::uint32_t colour) {
    QTableWidgetItem* cell = item(row, ColorColumn);
    if (!cell)
        return;
    cell->setData(kColourRole, colour);
    // Screen readers and UI automation read the colour that is only painted.
    cell->setData(Qt::AccessibleTextRole, tk::toQColor(colour).name());
    cell->setToolTip(tk::toQColor(colour).name());
}

void TrackList::setWeight(int row, int weight) {
    if (QTableWidgetItem* cell = item(row, WeightColumn))
        cell->setText(QString::number(weight));
}

int TrackList::trackAt(int row) const {
    const QTableWidgetItem* cell = item(row, NumColumn);
    return cell ? cell->data(kTrackRole).toInt() : -1;
}

int TrackList::rowOfTrack(int track) const {
    for (int row = 0; row < rowCount(); ++row)
        if (trackAt(row) == track)
            return row;
    return -1;
}

std::uint32_t TrackList::swatchColour(int row) const {
    const QTableWidgetItem* cell = item(row, ColorColumn);
    return cell ? cell->data(kColourRole).toUInt() : 0;
}
