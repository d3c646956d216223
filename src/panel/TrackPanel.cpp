// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/TrackPanel.h"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "panel/CFigureSettingsDlg.h"
#include "panel/CLinePropertiesDlg.h"
#include "panel/FigureRows.h"
#include "panel/FigureSettingsStore.h"
#include "panel/FittingScrollArea.h"
#include "panel/TrackExport.h"
#include "panel/TrackList.h"
#include "panel/TrackMenu.h"
#include "session/TrackSession.h"
#include "ui/Captions.h"

namespace {

constexpr int kRowsAlwaysShown = 5;

// The property rows as they stand on screen: Peak Altitude above Distance.
constexpr const char* kPropertyKeys[7] = {"Name",       "Start Time",    "End Time", "Step Time",
                                          "Peak Speed", "Peak Altitude", "Distance"};
constexpr const char* kPropertyNames[7] = {"name",  "start",    "end",     "step",
                                           "speed", "altitude", "distance"};

} // namespace

TrackPanel::TrackPanel(const PanelContext& context, QWidget* parent)
    : QWidget(parent), context_(context), figureSettings_(loadFigureSettings()) {
    setObjectName(QStringLiteral("trackPanel"));
    list_ = new TrackList(this);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    play_ = new QPushButton(this);
    play_->setObjectName(QStringLiteral("playButton"));
    showAll_ = new QPushButton(this);
    showAll_->setObjectName(QStringLiteral("showAllButton"));
    showNone_ = new QPushButton(this);
    showNone_->setObjectName(QStringLiteral("showNoneButton"));
    property_ = new QGroupBox(this);
    property_->setObjectName(QStringLiteral("propertyGroup"));
    buildProperties();

    auto* playRow = new QHBoxLayout;
    playRow->addWidget(showAll_);
    playRow->addWidget(showNone_);
    playRow->addStretch(1);
    playRow->addWidget(play_);
    // On a short window the figures scroll rather than squeeze the list below a few rows.
    auto* figures = new FittingScrollArea(this);
    figures->setObjectName(QStringLiteral("propertyScroll"));
    figures->setWidget(property_);
    list_->setMinimumHeight(list_->horizontalHeader()->sizeHint().height() +
                            kRowsAlwaysShown * list_->verticalHeader()->defaultSectionSize() +
                            2 * list_->frameWidth());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->addWidget(list_, 1);
    layout->addLayout(playRow);
    layout->addWidget(figures);

    connect(list_, &QTableWidget::itemClicked, this, &TrackPanel::showTrack);
    // Keys and accessibility tools move the current row or the selection without a click; the
    // track is then shown once the change is complete.
    showPending_ = new QTimer(this);
    showPending_->setSingleShot(true);
    showPending_->setInterval(0);
    connect(showPending_, &QTimer::timeout, this, [this] {
        if (QTableWidgetItem* item = list_->item(pendingRow_, TrackList::NameColumn))
            showTrack(item);
    });
    connect(list_, &QTableWidget::currentItemChanged, this, [this](QTableWidgetItem* current) {
        if (current)
            scheduleShow(current->row());
    });
    connect(list_, &QTableWidget::itemSelectionChanged, this, [this] {
        const QList<QTableWidgetItem*> selected = list_->selectedItems();
        if (!selected.isEmpty() && selected.first()->row() == selected.last()->row())
            scheduleShow(selected.first()->row());
    });
    connect(list_, &QTableWidget::itemActivated, this, &TrackPanel::showTrack);
    connect(list_, &QWidget::customContextMenuRequested, this, &TrackPanel::requestMenu);
    connect(play_, &QPushButton::clicked, this, &TrackPanel::play);
    connect(showAll_, &QPushButton::clicked, this, [this] { checkAll(true); });
    connect(showNone_, &QPushButton::clicked, this, [this] { checkAll(false); });
    connect(list_, &TrackList::checksChanged, this,
            [this] { context_.session.setChecked(list_->checkedTracks()); });
    connect(figureRows_, &FigureRows::thresholdsRequested, this, &TrackPanel::askThresholds);

    TrackSession& session = context_.session;
    connect(&session, &TrackSession::tracksReplaced, this, &TrackPanel::refill);
    connect(&session, &TrackSession::selectionChanged, this, &TrackPanel::showSelection);
    connect(&session, &TrackSession::styleChanged, this, &TrackPanel::updateRow);
    connect(&session, &TrackSession::checkedChanged, this, &TrackPanel::showChecks);
    relabel();
    refill();
}

void TrackPanel::buildProperties() {
    auto* form = new QFormLayout(property_);
    form->setLabelAlignment(Qt::AlignLeft);
    form->setHorizontalSpacing(16);
    for (std::size_t i = 0; i < captions_.size(); ++i) {
        captions_[i] = new QLabel(property_);
        captions_[i]->setObjectName(QString::fromLatin1(kPropertyNames[i]) + "Label");
        captions_[i]->setTextFormat(Qt::PlainText);
        values_[i] = new QLabel(property_);
        values_[i]->setObjectName(QString::fromLatin1(kPropertyNames[i]) + "Value");
        values_[i]->setTextFormat(Qt::PlainText);
        values_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        captions_[i]->setBuddy(values_[i]);
        form->addRow(captions_[i], values_[i]);
    }
    figureRows_ = new FigureRows(form, property_);
}

void TrackPanel::relabel() {
    const tk::Language& language = context_.language;
    list_->setColumnTitles({caption(language, "Num"), caption(language, "Name"),
                            caption(language, "Color"), caption(language, "Weight")});
    play_->setText(buttonCaption(language, "Play"));
    showAll_->setText(buttonCaption(language, "Show all"));
    showNone_->setText(buttonCaption(language, "Show none"));
    figureRows_->relabel(language);
    property_->setTitle(buttonCaption(language, "Property"));
    for (std::size_t i = 0; i < captions_.size(); ++i) {
        captions_[i]->setText(caption(language, kPropertyKeys[i]));
        values_[i]->setAccessibleDescription(captions_[i]->text());
    }
}

// The session's tracks were replaced: every row is made anew in the track's fresh style. The
// property texts stay until a row is clicked.
void TrackPanel::refill() {
    const QSignalBlocker quiet(list_);
    showPending_->stop();
    list_->clearRows();
    figureRows_->clear();
    const TrackSession& session = context_.session;
    for (const int index : session.listedTracks()) {
        const tk::TrackStyle& style = session.style(index);
        const tk::Track& track = *session.track(index);
        list_->addTrackRow(index, QString::fromStdString(track.name), style.colour,
                           style.lineWeight);
        // A track of a file names its file, where the logger's would name nothing.
        if (!track.sourceFile.empty())
            list_->item(list_->rowCount() - 1, TrackList::NameColumn)
                ->setToolTip(QString::fromStdString(track.sourceFile));
    }
}

void TrackPanel::scheduleShow(int row) {
    if (QApplication::mouseButtons() != Qt::NoButton)
        return;
    pendingRow_ = row;
    showPending_->start();
}

void TrackPanel::showTrack(QTableWidgetItem* item) {
    if (!item || list_->isCheckClick(item))
        return;
    context_.session.select(list_->trackAt(item->row()));
}

// The session selected a track (here or on the map): its row becomes the current one and its
// texts and figures are shown.
void TrackPanel::showSelection(int track) {
    showPending_->stop();
    const int row = list_->rowOfTrack(track);
    if (row >= 0 && list_->currentRow() != row) {
        const QSignalBlocker quiet(list_);
        list_->setCurrentCell(row, TrackList::NameColumn);
        list_->selectRow(row);
    }
    if (const tk::Track* shown = context_.session.track(track))
        showPropertyTexts(tk::mapTexts(*shown));
    showFigures();
}

void TrackPanel::showFigures() {
    const tk::Track* track = context_.session.track(context_.session.selected());
    if (!track) {
        figureRows_->clear();
        return;
    }
    figureRows_->show(tk::tripFigures(track->points, figureSettings_), track->imperial(),
                      figureSettings_);
}

void TrackPanel::showChecks() {
    const std::vector<int>& checked = context_.session.checked();
    if (list_->checkedTracks() == checked)
        return;
    const QSignalBlocker quiet(list_);
    for (int row = 0; row < list_->rowCount(); ++row) {
        const bool on = std::binary_search(checked.begin(), checked.end(), list_->trackAt(row));
        list_->item(row, TrackList::NameColumn)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
}

void TrackPanel::checkAll(bool checked) {
    list_->setAllChecked(checked);
    // The map draws the others beside a selected track: the first row's, when none is.
    if (checked && context_.session.selected() < 0 && list_->rowCount() > 0)
        showTrack(list_->item(0, TrackList::NameColumn));
}

void TrackPanel::setFigureSettings(const tk::FigureSettings& settings) {
    figureSettings_ = settings;
    saveFigureSettings(settings);
    showFigures();
    emit figureSettingsChanged(settings);
}

void TrackPanel::askThresholds() {
    CFigureSettingsDlg dialog(context_.language, figureSettings_, this);
    if (dialog.exec() == QDialog::Accepted)
        setFigureSettings(dialog.settings());
}

void TrackPanel::showPropertyTexts(const tk::MapTexts& texts) {
    const std::string* shown[7] = {&texts.name,  &texts.start,    &texts.end,     &texts.step,
                                   &texts.speed, &texts.altitude, &texts.distance};
    for (std::size_t i = 0; i < values_.size(); ++i)
        values_[i]->setText(QString::fromStdString(*shown[i]));
}

void TrackPanel::play() {
    if (context_.session.selected() != -1)
        emit playRequested();
}

void TrackPanel::updateRow(int track) {
    const int row = list_->rowOfTrack(track);
    if (row < 0)
        return;
    const tk::TrackStyle& style = context_.session.style(track);
    list_->setSwatchColour(row, style.colour);
    list_->setWeight(row, style.lineWeight);
    list_->viewport()->update();
}

void TrackPanel::requestMenu(const QPoint& position) {
    QTableWidgetItem* item = list_->itemAt(position);
    if (!item)
        return;
    const int track = list_->trackAt(item->row());
    {
        // The clicked row becomes the current one, so focus coming back after the menu moves
        // nothing.
        const QSignalBlocker quiet(list_);
        list_->setCurrentItem(item,
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    const TrackCommand command = chooseTrackCommand(context_.language.setting(),
                                                    list_->viewport()->mapToGlobal(position), this);
    // Whichever command it is, it runs on the right-clicked track, which the map shows too.
    context_.session.select(track);
    switch (command) {
    case TrackCommand::Modify:
        modifyTrack(track);
        break;
    case TrackCommand::Print:
        emit printRequested();
        break;
    case TrackCommand::SaveToKml:
        saveTrackFile(context_.session.table(), track, TrackFileFormat::Kml, window());
        break;
    case TrackCommand::SaveToGpx:
        saveTrackFile(context_.session.table(), track, TrackFileFormat::Gpx, window());
        break;
    case TrackCommand::None:
        break;
    }
}

void TrackPanel::modifyTrack(int track) {
    tk::TrackStyle style = context_.session.style(track);
    tk::CLinePropertiesDlg dialog(context_.language, style.colour, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const tk::LineProperties chosen = dialog.properties();
    style.colour = chosen.colour;
    style.lineWeight = chosen.weight;
    context_.session.setStyle(track, style);
}
