// SPDX-License-Identifier: GPL-3.0-or-later
// The geotag dialog's controls: built, laid out, connected and captioned.
#include "photos/CGeotagDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "map/CMapView.h"
#include "map/MapPage.h"
#include "photos/CameraTable.h"
#include "photos/PhotoTableModel.h"
#include "ui/Captions.h"

using namespace tk::photos;

namespace {

QPushButton* button(const char* name, QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLabel* label(const char* name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

void CGeotagDlg::buildControls() {
    auto* top = new QHBoxLayout;
    addPhotosButton_ = button("addPhotosButton", this);
    addFolderButton_ = button("addFolderButton", this);
    removeAllButton_ = button("removeAllButton", this);
    countLabel_ = label("countLabel", this);
    top->addWidget(addPhotosButton_);
    top->addWidget(addFolderButton_);
    top->addWidget(removeAllButton_);
    top->addWidget(countLabel_, 1);

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("photoTable"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->setDefaultSectionSize(kThumbnailHeight + 4);
    table_->verticalHeader()->hide();
    // Every column as wide as its content; the position or reason takes the rest and wraps
    // within the row's height.
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(PhotoTableModel::thumbnailColumn, QHeaderView::Fixed);
    header->setSectionResizeMode(PhotoTableModel::placeColumn, QHeaderView::Stretch);
    table_->setColumnWidth(PhotoTableModel::thumbnailColumn, kThumbnailWidth + 8);
    table_->setWordWrap(true);
    map_ = new CMapView(context_.profile, context_.bridge, context_.pageDir, this);
    map_->setObjectName(QStringLiteral("geotagMap"));
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("geotagSplitter"));
    splitter->addWidget(table_);
    splitter->addWidget(map_);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({760, 340});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    layout->addWidget(buildSettings());
    layout->addWidget(buildActions());

    connect(addPhotosButton_, &QPushButton::clicked, this, &CGeotagDlg::addPhotosChosen);
    connect(addFolderButton_, &QPushButton::clicked, this, &CGeotagDlg::addFolderChosen);
    connect(removeAllButton_, &QPushButton::clicked, this, &CGeotagDlg::removeAll);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) { showSelectionOnMap(index.row()); });
    // The page takes the tracks and photos shown when it starts and every change after.
    connect(&context_.mapPage, &MapPage::photoPicked, this, &CGeotagDlg::selectRow);
    showTracksOnMap();
    showPhotosOnMap();
    map_->navigateTo(context_.pageDir + QStringLiteral("geotag.html"));
}

QWidget* CGeotagDlg::buildSettings() {
    auto* box = new QGroupBox(this);
    box->setObjectName(QStringLiteral("settingsGroup"));
    settingsBox_ = box;
    zoneCaption_ = label("zoneCaption", box);
    zoneCombo_ = new QComboBox(box);
    zoneCombo_->setObjectName(QStringLiteral("zoneCombo"));
    zoneCombo_->addItem(QString(), QVariant());
    for (int minutes = -12 * 60; minutes <= 14 * 60; minutes += 15)
        zoneCombo_->addItem(QStringLiteral("UTC") +
                                QString::fromStdString(zoneOffsetText(minutes * 60)),
                            minutes * 60);
    cameraTable_ = new CameraTable(context_.language, box);
    suggestButton_ = button("suggestButton", box);
    syncButton_ = button("syncButton", box);
    clearSyncButton_ = button("clearSyncButton", box);
    syncLabel_ = label("syncLabel", box);
    maxGapCaption_ = label("maxGapCaption", box);
    maxGapSpin_ = new QSpinBox(box);
    maxGapSpin_->setObjectName(QStringLiteral("maxGapSpin"));
    maxGapSpin_->setRange(0, 86400);
    maxGapSpin_->setValue(300);
    extrapolateCaption_ = label("extrapolateCaption", box);
    extrapolateSpin_ = new QSpinBox(box);
    extrapolateSpin_->setObjectName(QStringLiteral("extrapolateSpin"));
    extrapolateSpin_->setRange(0, 86400);
    overwriteCheck_ = new QCheckBox(box);
    overwriteCheck_->setObjectName(QStringLiteral("overwriteCheck"));
    sidecarCheck_ = new QCheckBox(box);
    sidecarCheck_->setObjectName(QStringLiteral("sidecarCheck"));

    auto* grid = new QGridLayout(box);
    grid->addWidget(zoneCaption_, 0, 0);
    grid->addWidget(zoneCombo_, 0, 1);
    grid->addWidget(maxGapCaption_, 0, 2);
    grid->addWidget(maxGapSpin_, 0, 3);
    grid->addWidget(extrapolateCaption_, 0, 4);
    grid->addWidget(extrapolateSpin_, 0, 5);
    grid->addWidget(overwriteCheck_, 0, 6);
    grid->addWidget(sidecarCheck_, 0, 7);
    grid->setColumnStretch(8, 1);
    auto* clockRow = new QHBoxLayout;
    clockRow->addWidget(syncLabel_, 1);
    clockRow->addWidget(suggestButton_);
    clockRow->addWidget(syncButton_);
    clockRow->addWidget(clearSyncButton_);
    grid->addLayout(clockRow, 1, 0, 1, 9);
    grid->addWidget(cameraTable_, 2, 0, 1, 9);
    zoneCaption_->setBuddy(zoneCombo_);
    maxGapCaption_->setBuddy(maxGapSpin_);
    extrapolateCaption_->setBuddy(extrapolateSpin_);

    const auto changed = [this] { readSettings(); };
    connect(zoneCombo_, &QComboBox::currentIndexChanged, this, changed);
    connect(cameraTable_, &CameraTable::offsetsChanged, this, changed);
    connect(maxGapSpin_, &QSpinBox::valueChanged, this, changed);
    connect(extrapolateSpin_, &QSpinBox::valueChanged, this, changed);
    connect(overwriteCheck_, &QCheckBox::toggled, this, changed);
    connect(sidecarCheck_, &QCheckBox::toggled, this, changed);
    connect(syncButton_, &QPushButton::clicked, this, &CGeotagDlg::syncFromPhoto);
    connect(clearSyncButton_, &QPushButton::clicked, this, &CGeotagDlg::clearSyncs);
    connect(suggestButton_, &QPushButton::clicked, this, &CGeotagDlg::suggest);
    return box;
}

QWidget* CGeotagDlg::buildActions() {
    auto* area = new QWidget(this);
    progressBar_ = new QProgressBar(area);
    progressBar_->setObjectName(QStringLiteral("progressBar"));
    progressBar_->setVisible(false);
    cancelButton_ = button("cancelButton", area);
    cancelButton_->setEnabled(false);
    writeButton_ = button("writeButton", area);
    undoButton_ = button("undoButton", area);
    undoButton_->setEnabled(false);
    closeButton_ = button("closeButton", area);
    summaryLabel_ = label("summaryLabel", area);
    summaryLabel_->setWordWrap(true);
    errorList_ = new QPlainTextEdit(area);
    errorList_->setObjectName(QStringLiteral("errorList"));
    errorList_->setReadOnly(true);
    errorList_->setMaximumHeight(80);
    errorList_->setVisible(false);

    auto* row = new QHBoxLayout;
    row->addWidget(progressBar_, 1);
    row->addWidget(cancelButton_);
    row->addStretch();
    row->addWidget(writeButton_);
    row->addWidget(undoButton_);
    row->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(summaryLabel_);
    layout->addWidget(errorList_);
    layout->addLayout(row);
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancel_ = true; });
    connect(writeButton_, &QPushButton::clicked, this, &CGeotagDlg::write);
    connect(undoButton_, &QPushButton::clicked, this, &CGeotagDlg::undo);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
    return area;
}

void CGeotagDlg::relabel() {
    setWindowTitle(text("Geotag Photos"));
    addPhotosButton_->setText(buttonCaption(context_.language, "Add Photos..."));
    addFolderButton_->setText(buttonCaption(context_.language, "Add Folder..."));
    removeAllButton_->setText(buttonCaption(context_.language, "Remove All"));
    static_cast<QGroupBox*>(settingsBox_)->setTitle(buttonCaption(context_.language, "Settings"));
    zoneCaption_->setText(text("Camera time zone"));
    zoneCombo_->setItemText(0, text("Auto"));
    suggestButton_->setText(buttonCaption(context_.language, "Suggest"));
    cameraTable_->relabel();
    syncButton_->setText(buttonCaption(context_.language, "From a photo of the GPS clock..."));
    clearSyncButton_->setText(buttonCaption(context_.language, "Clear sync photos"));
    maxGapCaption_->setText(text("Max gap (s)"));
    extrapolateCaption_->setText(text("Max extrapolation (s)"));
    overwriteCheck_->setText(buttonCaption(context_.language, "Overwrite positions"));
    sidecarCheck_->setText(buttonCaption(context_.language, "Sidecar files"));
    cancelButton_->setText(buttonCaption(context_.language, "Cancel"));
    writeButton_->setText(buttonCaption(context_.language, "Write"));
    undoButton_->setText(buttonCaption(context_.language, "Undo Geotagging"));
    closeButton_->setText(buttonCaption(context_.language, "Close"));
    model_->relabel();
    showSummary();
}
