// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CMainFrame.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include "app/CAboutDlg.h"
#include "app/CTrailkeepApp.h"
#include "app/GeotagCommand.h"
#include "app/MapCommands.h"
#include "app/ProgramFolder.h"
#include "app/ProjectCommands.h"
#include "app/QtTranslations.h"
#include "app/ReadCommand.h"
#include "app/TrackFileCommands.h"
#include "app/UpdateCheck.h"
#include "device/CConfigDlg.h"
#include "link/ProgressDialog.h"
#include "map/CMapView.h"
#include "map/MapPage.h"
#include "map/PageBridge.h"
#include "map/PrintPreview.h"
#include "map/TileSchemeHandler.h"
#include "panel/TrackPanel.h"
#include "photos/PhotoFiles.h"
#include "tracks/FileNames.h"
#include "ui/FileQuestions.h"
#include "ui/Messages.h"
#include "ui/Prompts.h"
#include "ui/Version.h"

namespace {

constexpr int kNoteMilliseconds = 15000;

// Projects and track files dropped to be opened.
QStringList droppedFiles(const QMimeData* data) {
    QStringList files;
    if (!data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile() &&
            isOpenableFile(url.toLocalFile()))
            files << url.toLocalFile();
    return files;
}

// Photos and folders dropped for geotagging.
QStringList droppedPhotos(const QMimeData* data) {
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (url.isLocalFile() &&
            (QFileInfo(path).isDir() || tk::photos::isPhotoName(path.toStdString())))
            paths << path;
    }
    return paths;
}

} // namespace

CMainFrame::CMainFrame(CTrailkeepApp& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QString::fromLatin1(tk::kWindowTitle));
    setAcceptDrops(true);
    // The remembered offline map is in use before the first page asks for tiles.
    const QString mapProblem = openRememberedOfflineMap(app_);
    // The start page loads in the browser's own process while the rest of the window is built.
    mapView_ = new CMapView(app_.webProfile(), app_.bridge(), app_.pageDir(), this);
    mapView_->showStartPage();
    createActions();
    createToolBar();
    createStatusBar();
    fillMainMenu(menuBar(), app_.language().setting(), actions_);
    useQtTranslations(app_.language().setting());
    showMapSource();
    connect(&app_.tiles(), &TileSchemeHandler::tilesChanged, this, &CMainFrame::showMapSource);
    createClient();
    updateCheck_ = std::make_unique<UpdateCheck>(app_.language(), this);
    geotag_ = std::make_unique<GeotagCommand>(app_, this);
    resize(1060, 640);
    if (!mapProblem.isEmpty())
        QTimer::singleShot(0, this, [this, mapProblem] { tellUser(this, true, mapProblem); });
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::createActions() {
    auto make = [this](const char* objectName, QStyle::StandardPixmap icon, auto slot) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(objectName));
        if (icon != QStyle::SP_CustomBase)
            action->setIcon(style()->standardIcon(icon));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    actions_.open = make("openAction", QStyle::SP_DialogOpenButton, &CMainFrame::onOpen);
    actions_.save = make("saveAction", QStyle::SP_DialogSaveButton, &CMainFrame::onSave);
    actions_.saveGpx =
        make("saveGpxAction", QStyle::SP_CustomBase, [this] { saveSessionGpxCommand(app_, this); });
    actions_.recent = new QMenu(this);
    actions_.recent->setObjectName(QStringLiteral("recentMenu"));
    connect(actions_.recent, &QMenu::aboutToShow, this, &CMainFrame::fillRecentMenu);
    actions_.read = make("readAction", QStyle::SP_ArrowDown, &CMainFrame::onRead);
    actions_.exit = make("exitAction", QStyle::SP_CustomBase, &QWidget::close);
    actions_.openOfflineMap =
        make("openOfflineMapAction", QStyle::SP_CustomBase, &CMainFrame::onOpenOfflineMap);
    actions_.onlineMap = make("onlineMapAction", QStyle::SP_CustomBase, &CMainFrame::onOnlineMap);
    actions_.onlineMap->setCheckable(true);
    actions_.chinese = make("chineseAction", QStyle::SP_CustomBase, [this] { switchLanguage(1); });
    actions_.english = make("englishAction", QStyle::SP_CustomBase, [this] { switchLanguage(0); });
    actions_.config = make("configAction", QStyle::SP_CustomBase, &CMainFrame::onConfig);
    actions_.configTool =
        make("configToolAction", QStyle::SP_FileDialogDetailedView, &CMainFrame::onConfig);
    actions_.about = make("aboutAction", QStyle::SP_MessageBoxInformation, &CMainFrame::onAbout);
    actions_.geotag = make("geotagAction", QStyle::SP_DirIcon, &CMainFrame::onGeotag);
}

void CMainFrame::createToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->addActions({actions_.open, actions_.save});
    bar->addSeparator();
    bar->addAction(actions_.read);
    bar->addAction(actions_.configTool);
    bar->addAction(actions_.geotag);
    bar->addSeparator();
    bar->addAction(actions_.about);
}

void CMainFrame::createStatusBar() {
    statusPane_ = new QLabel(this);
    statusPane_->setObjectName(QStringLiteral("statusPane"));
    statusPane_->setTextFormat(Qt::PlainText);
    statusPane_->setAccessibleDescription(QStringLiteral("Pointer position"));
    statusBar()->addWidget(statusPane_, 1);
    connect(&app_.mapPage(), &MapPage::positionShown, statusPane_, &QLabel::setText);
}

void CMainFrame::createClient() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("splitter"));
    splitter_->setChildrenCollapsible(false);
    panel_ = new TrackPanel(PanelContext{app_.session(), app_.language()}, splitter_);
    splitter_->addWidget(mapView_);
    splitter_->addWidget(panel_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setSizes({640, 400});
    setCentralWidget(splitter_);
    MapPage& page = app_.mapPage();
    page.setFigureSettings(panel_->figureSettings());
    connect(&page, &MapPage::trackPageWanted, mapView_, &CMapView::showPage);
    connect(panel_, &TrackPanel::playRequested, &page, &MapPage::play);
    connect(panel_, &TrackPanel::figureSettingsChanged, &page, &MapPage::setFigureSettings);
    connect(panel_, &TrackPanel::printRequested, this, &CMainFrame::onPrint);
}

// What a track file holds besides tracks is mentioned in the status bar, not in a box to close.
bool CMainFrame::openFile(const QString& path) {
    QString note;
    const bool opened = openAnyFile(app_, this, path, &note);
    if (!note.isEmpty())
        statusBar()->showMessage(note, kNoteMilliseconds);
    return opened;
}

void CMainFrame::fillRecentMenu() {
    actions_.recent->clear();
    for (const QString& path : recentFiles()) {
        QAction* item = actions_.recent->addAction(path);
        connect(item, &QAction::triggered, this, [this, path] { openFile(path); });
    }
    actions_.recent->setEnabled(true);
}

void CMainFrame::switchLanguage(int value) {
    if (!app_.language().switchTo(value))
        return;
    // The setting read back decides, so a file that could not be written never leaves one
    // language's menu over the other's captions.
    fillMainMenu(menuBar(), app_.language().setting(), actions_);
    useQtTranslations(app_.language().setting());
    panel_->relabel();
    app_.mapPage().relabel();
    geotag_->relabel();
}

void CMainFrame::onRead() {
    // The dialogs of Read and Configure are made when first wanted: the window and its start
    // page come up sooner.
    if (!progress_)
        progress_ = new ProgressDialog(app_.language(), this);
    readLogger(app_, *progress_, this);
}

void CMainFrame::onOpen() {
    const QString chosen = Prompts::current().openFileName(this, QString::fromLatin1(kOpenFilter));
    if (chosen.isEmpty())
        return;
    // A name without an extension is a project's, as the dialog's first filter had it.
    openFile(isTrackFileName(chosen)
                 ? chosen
                 : QString::fromStdString(tk::withExtension(chosen.toStdString(), ".gpl")));
}

void CMainFrame::onSave() {
    saveProjectCommand(app_, this);
}

void CMainFrame::onConfig() {
    if (!config_)
        config_ = new CConfigDlg(app_.language(), app_.connector(),
                                 firmwareDirectoryFor(app_.moduleDir()).toStdString(), this);
    config_->exec();
}

void CMainFrame::onPrint() {
    // The print page draws data.js: it must hold the selected track first.
    const QString error = app_.mapPage().finishDataJs();
    if (!error.isEmpty()) {
        tellUser(this, true, error);
        return;
    }
    PrintPreview(app_.language(), app_.webProfile(), app_.bridge(), app_.pageDir(), this).exec();
}

void CMainFrame::onOpenOfflineMap() {
    openOfflineMapCommand(app_, this);
}

void CMainFrame::onOnlineMap() {
    onlineMapCommand(app_);
    showMapSource(); // a click on the checked item unchecks it; the online map stays
}

void CMainFrame::showMapSource() {
    actions_.onlineMap->setChecked(!app_.tiles().offlineMap());
}

void CMainFrame::onAbout() {
    CAboutDlg(this).exec();
}

void CMainFrame::onGeotag() {
    geotag_->open();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFiles(event->mimeData()).isEmpty() || !droppedPhotos(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QStringList files = droppedFiles(event->mimeData());
    const QStringList photos = droppedPhotos(event->mimeData());
    if (files.isEmpty() && photos.isEmpty())
        return;
    event->acceptProposedAction();
    for (const QString& path : files)
        openFile(path);
    if (files.isEmpty())
        geotag_->open(photos);
}
