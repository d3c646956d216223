#pragma once

#include <QLabel>
#include <QWidget>

#include <array>

#include "map/MapDataScript.h"
#include "panel/ColourSequence.h"
#include "panel/PanelContext.h"

class CTrackListCtrl;
class QGroupBox;
class QPushButton;
class QTableWidgetItem;
class QTimer;

// The track panel: the list of tracks, the Play button and the selected track's figures.
// A click on a row writes data.js for that track and asks for the map page.
class CMenuDlg : public QWidget {
    Q_OBJECT
public:
    explicit CMenuDlg(const PanelContext& context, QWidget* parent = nullptr);

    // The track table was rebuilt: every row is made anew, each listed track gets a fresh colour
    // and weight and play speed 2.
    void refill();
    // Re-reads every caption after a language switch.
    void Relabel();
    // Writes data.js for the track and fills the property texts; false when it could not.
    bool WriteMapData(int track);
    // The track's line was changed (colour or weight): its row shows it again.
    void updateRow(int track);

    CTrackListCtrl* trackList() const { return list_; }
    QString writeError() const { return writeError_; }
    QSize sizeHint() const override { return {400, 500}; }

signals:
    void pageRequested(const QString& path);
    // The context menu's Print: the print preview shows data.js as the right click wrote it.
    void printRequested();

private:
    enum Property { NameText, StartText, EndText, StepText, SpeedText, AltitudeText, DistanceText };

    void buildProperties();
    void scheduleShow(int row);
    void showTrack(QTableWidgetItem* item);
    void play();
    void showPropertyTexts();
    void requestMenu(const QPoint& position);
    void modifyTrack(int track);

    PanelContext context_;
    tk::ColourSequence colours_;
    CTrackListCtrl* list_;
    QPushButton* play_;
    QGroupBox* property_;
    std::array<QLabel*, 7> captions_{};
    std::array<QLabel*, 7> values_{};
    tk::MapTexts texts_;
    QString writeError_;
    QTimer* showPending_;
    int pendingRow_ = -1;
};
