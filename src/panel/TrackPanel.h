// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QWidget>

#include <array>

#include "map/MapDataScript.h"
#include "map/StretchFigures.h"
#include "panel/ColourSequence.h"
#include "panel/PanelContext.h"

class TrackList;
class FigureRows;
class QGroupBox;
class QPushButton;
class QTableWidgetItem;
class QTimer;

// The track panel: the list of tracks, the Play button and the selected track's figures.
// A click on a row writes data.js for that track and asks for the map page. Checked rows (and
// Show all / Show none) make the all-tracks view the map page draws beside the clicked track.
class TrackPanel : public QWidget {
    Q_OBJECT
public:
    explicit TrackPanel(const PanelContext& context, QWidget* parent = nullptr);

    // The track table was rebuilt: every row is made anew, each listed track gets a fresh colour
    // and weight and play speed 2.
    void refill();
    // Re-reads every caption after a language switch.
    void relabel();
    // Writes data.js for the track and fills the property texts; false when it could not.
    bool writeMapData(int track);
    // The track's line was changed (colour or weight): its row shows it again.
    void updateRow(int track);
    // The map's line of a track was clicked: its row becomes the clicked one.
    void selectTrack(int track);
    // Show all / Show none.
    void checkAll(bool checked);
    const tk::FigureSettings& figureSettings() const { return figureSettings_; }
    // Takes new thresholds (remembered in the settings file) and shows the figures by them.
    void setFigureSettings(const tk::FigureSettings& settings);

    TrackList* trackList() const { return list_; }
    QString writeError() const { return writeError_; }
    QSize sizeHint() const override { return {400, 500}; }

signals:
    void pageRequested(const QString& path);
    // The context menu's Print: the print preview shows data.js as the right click wrote it.
    void printRequested();
    // The map page is about to show this track: what its figures are made from.
    void trackShown(const tk::ShownTrack& shown);
    // The all-tracks view changed: the JSON the map page draws it from (see trackViewJson);
    // drawNow when no new page is asked for with it.
    void trackViewChanged(const QString& json, bool drawNow);

private:
    enum Property { NameText, StartText, EndText, StepText, SpeedText, AltitudeText, DistanceText };

    void buildProperties();
    void scheduleShow(int row);
    void showTrack(QTableWidgetItem* item);
    void play();
    void showPropertyTexts();
    void requestMenu(const QPoint& position);
    void modifyTrack(int track);
    void showFigures();
    void sendTrackView(bool drawNow = true);
    void askThresholds();

    PanelContext context_;
    tk::ColourSequence colours_;
    TrackList* list_;
    QPushButton* play_;
    QPushButton* showAll_;
    QPushButton* showNone_;
    FigureRows* figureRows_ = nullptr;
    tk::FigureSettings figureSettings_;
    int shownTrack_ = -1; // the track data.js was last written for by a click
    QGroupBox* property_;
    std::array<QLabel*, 7> captions_{};
    std::array<QLabel*, 7> values_{};
    tk::MapTexts texts_;
    QString writeError_;
    QTimer* showPending_;
    int pendingRow_ = -1;
};
