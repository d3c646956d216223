// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <array>

#include "tracks/TripFigures.h"
#include "ui/Language.h"

class QFormLayout;
class QLabel;
class QPushButton;
class QWidget;

// The trip figures' rows of the panel's property group: length, moving time, duration, average
// and moving average speed, ascent / descent, lowest / highest, in the track's units; under them
// a note that names the two thresholds and the button that changes them.
class FigureRows : public QObject {
    Q_OBJECT
public:
    FigureRows(QFormLayout* form, QWidget* group);

    void relabel(const tk::Language& language);
    // Shows the figures of a track; the note names the thresholds in the track's units.
    void show(const tk::TripFigures& figures, bool imperial, const tk::FigureSettings& settings);
    void clear();

signals:
    void thresholdsRequested();

private:
    static constexpr std::size_t kRows = 7;

    std::array<QLabel*, kRows> captions_{};
    std::array<QLabel*, kRows> values_{};
    QLabel* note_;
    QPushButton* thresholds_;
    QString noteFormat_;
    QString movingSpeed_;
    QString climbThreshold_;
};
