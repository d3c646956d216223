// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/FigureSettingsStore.h"

#include <QSettings>

#include <cmath>

namespace {

constexpr double kMostMovingSpeed = 1000.0;
constexpr double kMostClimbThreshold = 10000.0;

const QString kOrganisation = QStringLiteral("Trailkeep");
const QString kFile = QStringLiteral("trailkeep");

double readValue(const QSettings& settings, const QString& key, double fallback, double most) {
    bool ok = false;
    const double value = settings.value(key).toDouble(&ok);
    return ok && std::isfinite(value) && value >= 0.0 && value <= most ? value : fallback;
}

} // namespace

tk::FigureSettings loadFigureSettings() {
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, kOrganisation, kFile);
    tk::FigureSettings figures;
    figures.movingSpeedKmh = readValue(settings, QStringLiteral("Figures/MovingSpeed"),
                                       figures.movingSpeedKmh, kMostMovingSpeed);
    figures.climbThresholdM = readValue(settings, QStringLiteral("Figures/ClimbThreshold"),
                                        figures.climbThresholdM, kMostClimbThreshold);
    return figures;
}

void saveFigureSettings(const tk::FigureSettings& figures) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, kOrganisation, kFile);
    settings.setValue(QStringLiteral("Figures/MovingSpeed"), figures.movingSpeedKmh);
    settings.setValue(QStringLiteral("Figures/ClimbThreshold"), figures.climbThresholdM);
}
