// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QWidget>

#include <array>

#include "map/MapDataScript.h"
#include "panel/PanelContext.h"
#include "tracks/TripFigures.h"

class TrackList;
class FigureRows;
class QGroupBox;
class QPushButton;
class QTableWidgetItem;
class QTimer;

// The track panel: the list of the session's tracks, the Play button and the selected track's
// figures. A click on a row selects that track in the session; the map shows whatever the
// session selects. Checked rows (and Show all / Show none) are the session's checked set, which
// the map draws beside the selected track. The panel follows the session: it never changes a
// table itself.
class TrackPanel : public QWidget {
    Q_OBJECT
public:
    explicit TrackPanel(const PanelContext& context, QWidget* parent = nullptr);

    // Re-reads every caption after a language switch.
    void relabel();
    // Show all / Show none.
    void checkAll(bool checked);
    const tk::FigureSettings& figureSettings() const { return figureSettings_; }
    // Takes new thresholds (remembered in the settings file) and shows the figures by them.
    void setFigureSettings(const tk::FigureSettings& settings);

    TrackList* trackList() const { return list_; }
    QSize sizeHint() const override { return {400, 500}; }

signals:
    // Play: the map plays the selected track from its start again.
    void playRequested();
    // The context menu's Print: the print preview shows the right-clicked (now selected) track.
    void printRequested();
    // The thresholds the figures follow changed.
    void figureSettingsChanged(const tk::FigureSettings& settings);

private:
    enum Property { NameText, StartText, EndText, StepText, SpeedText, AltitudeText, DistanceText };

    void buildProperties();
    void refill();
    void showSelection(int track);
    void updateRow(int track);
    void showChecks();
    void scheduleShow(int row);
    void showTrack(QTableWidgetItem* item);
    void play();
    void showPropertyTexts(const tk::MapTexts& texts);
    void requestMenu(const QPoint& position);
    void modifyTrack(int track);
    void showFigures();
    void askThresholds();

    PanelContext context_;
    TrackList* list_;
    QPushButton* play_;
    QPushButton* showAll_;
    QPushButton* showNone_;
    FigureRows* figureRows_ = nullptr;
    tk::FigureSettings figureSettings_;
    QGroupBox* property_;
    std::array<QLabel*, 7> captions_{};
    std::array<QLabel*, 7> values_{};
    QTimer* showPending_;
    int pendingRow_ = -1;
};
