// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/CameraTable.h"

#include <QDoubleSpinBox>
#include <QHeaderView>

#include "ui/Captions.h"

using namespace tk::photos;

namespace {

const char* confidenceKey(Confidence confidence) {
    switch (confidence) {
    case Confidence::high:
        return "High";
    case Confidence::low:
        return "Low";
    case Confidence::none:
        break;
    }
    return "None";
}

QTableWidgetItem* readOnly(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(text);
    return item;
}

} // namespace

CameraTable::CameraTable(const tk::Language& language, QWidget* parent)
    : QTableWidget(0, kColumns, parent), language_(language) {
    setObjectName(QStringLiteral("cameraTable"));
    setSelectionMode(QAbstractItemView::NoSelection);
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
}

QString CameraTable::text(const char* key) const {
    return caption(language_, key);
}

void CameraTable::setCameras(const std::vector<CameraGroup>& groups) {
    std::vector<Camera> cameras;
    for (const CameraGroup& g : groups) {
        Camera c;
        c.name = g.camera;
        c.photos = g.photos.size();
        for (const Camera& known : cameras_)
            if (known.name == c.name) {
                c.offset = known.offset;
                c.suggestion = known.suggestion;
            }
        cameras.push_back(std::move(c));
    }
    cameras_ = std::move(cameras);
    rebuild();
}

void CameraTable::setSuggestions(const std::vector<CameraSuggestion>& suggestions) {
    for (const CameraSuggestion& s : suggestions)
        for (std::size_t row = 0; row < cameras_.size(); ++row) {
            Camera& c = cameras_[row];
            if (c.name != s.group.camera)
                continue;
            c.suggestion = s.suggestion;
            if (s.suggestion.offset)
                c.offset = *s.suggestion.offset;
            showCamera(static_cast<int>(row));
        }
    fitColumns();
    emit offsetsChanged();
}

void CameraTable::setSynced(const std::map<std::string, double>& offsets) {
    for (std::size_t row = 0; row < cameras_.size(); ++row) {
        Camera& c = cameras_[row];
        const auto it = offsets.find(c.name);
        const std::optional<double> synced =
            it == offsets.end() ? std::nullopt : std::optional<double>(it->second);
        if (synced != c.synced) {
            c.synced = synced;
            showCamera(static_cast<int>(row));
        }
    }
}

std::map<std::string, double> CameraTable::offsets() const {
    std::map<std::string, double> result;
    for (const Camera& c : cameras_)
        result[c.name] = c.offset;
    return result;
}

void CameraTable::rebuild() {
    setRowCount(static_cast<int>(cameras_.size()));
    for (int row = 0; row < rowCount(); ++row) {
        if (cellWidget(row, offsetColumn)) {
            showCamera(row);
            continue;
        }
        auto* spin = new QDoubleSpinBox(this);
        spin->setObjectName(QStringLiteral("offsetSpin"));
        spin->setRange(-1e9, 1e9);
        spin->setDecimals(1);
        spin->setFrame(false);
        setCellWidget(row, offsetColumn, spin);
        connect(spin, &QDoubleSpinBox::valueChanged, this, [this, row](double value) {
            cameras_[static_cast<std::size_t>(row)].offset = value;
            emit offsetsChanged();
        });
        showCamera(row);
    }
    fitColumns();
}

void CameraTable::showCamera(int row) {
    const Camera& c = cameras_[static_cast<std::size_t>(row)];
    setItem(row, cameraColumn,
            readOnly(c.name.empty() ? text("Unknown camera") : QString::fromStdString(c.name)));
    setItem(row, photosColumn, readOnly(QString::number(c.photos)));
    auto* spin = static_cast<QDoubleSpinBox*>(cellWidget(row, offsetColumn));
    const QSignalBlocker quiet(spin);
    spin->setValue(c.synced ? *c.synced : c.offset);
    spin->setEnabled(!c.synced);
    QString confidence;
    QString reason;
    if (c.synced) {
        reason = text("Set by a photo of the GPS clock");
    } else if (c.suggestion) {
        confidence = text(confidenceKey(c.suggestion->confidence));
        reason = QString::fromStdString(
            c.suggestion->reasonIn(language_.text(reasonTemplate(c.suggestion->because))));
    }
    setItem(row, confidenceColumn, readOnly(confidence));
    setItem(row, reasonColumn, readOnly(reason));
}

void CameraTable::fitColumns() {
    for (int column = cameraColumn; column < reasonColumn; ++column)
        resizeColumnToContents(column);
}

void CameraTable::relabel() {
    setHorizontalHeaderLabels({text("Camera"), text("Photos"), text("Clock correction (s)"),
                               text("Confidence"), text("Reason")});
    for (int row = 0; row < rowCount(); ++row)
        showCamera(row);
    fitColumns();
    // Four cameras without scrolling, in either language's font.
    setMaximumHeight(horizontalHeader()->sizeHint().height() +
                     4 * verticalHeader()->defaultSectionSize() + 2 * frameWidth());
}
