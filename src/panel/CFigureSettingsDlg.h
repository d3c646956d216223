// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include "tracks/TripFigures.h"
#include "ui/Language.h"

class QDoubleSpinBox;

// The trip figures' two thresholds: the moving speed in km/h and the climb threshold in metres.
// Takes the values in, hands them back with settings() after OK.
class CFigureSettingsDlg : public QDialog {
    Q_OBJECT
public:
    CFigureSettingsDlg(const tk::Language& language, const tk::FigureSettings& settings,
                       QWidget* parent = nullptr);

    tk::FigureSettings settings() const;

private:
    QDoubleSpinBox* movingSpeed_;
    QDoubleSpinBox* climbThreshold_;
};
