// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>

#include <memory>

#include "app/MainMenus.h"

class CConfigDlg;
class CMapView;
class TrackPanel;
class CTrailkeepApp;
class GeotagCommand;
class ProgressDialog;
class QLabel;
class QSplitter;
class UpdateCheck;

// The main window: menus, toolbar, the one-pane status bar, and the map view beside the track
// panel. It routes the commands to the pieces that do the work.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CTrailkeepApp& app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CMapView* mapView() const { return mapView_; }
    TrackPanel* panel() const { return panel_; }
    QLabel* statusPane() const { return statusPane_; }
    QSplitter* splitter() const { return splitter_; }
    const FrameActions& actions() const { return actions_; }
    UpdateCheck* updateCheck() const { return updateCheck_.get(); }
    GeotagCommand* geotag() const { return geotag_.get(); }

    bool openFile(const QString& path);
    void switchLanguage(int value);

    void onRead();
    void onOpen();
    void onSave();
    void onConfig();
    void onPrint();
    void onAbout();
    void onOpenOfflineMap();
    void onOnlineMap();
    void onGeotag();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createActions();
    void createToolBar();
    void createStatusBar();
    void createClient();
    void showMapSource();
    void fillRecentMenu();

    CTrailkeepApp& app_;
    FrameActions actions_;
    CMapView* mapView_ = nullptr;
    TrackPanel* panel_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QLabel* statusPane_ = nullptr;
    ProgressDialog* progress_ = nullptr;
    CConfigDlg* config_ = nullptr;
    std::unique_ptr<UpdateCheck> updateCheck_;
    std::unique_ptr<GeotagCommand> geotag_;
};
