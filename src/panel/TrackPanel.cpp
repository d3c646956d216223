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

#include "map/TrackOverview.h"
#include "panel/CFigureSettingsDlg.h"
#include "panel/CLinePropertiesDlg.h"
#include "panel/FigureRows.h"
#include "panel/FigureSettingsStore.h"
#include "panel/FittingScrollArea.h"
#include "panel/LineColour.h"
#include "panel/TrackExport.h"
#include "panel/TrackList.h"
#include "panel/TrackMenu.h"
#include "tracks/FileIO.h"
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
        if (!current)
            return;
        context_.selectedTrack = list_->trackAt(current->row());
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
    connect(list_, &TrackList::checksChanged, this, [this] { sendTrackView(); });
    connect(figureRows_, &FigureRows::thresholdsRequested, this, &TrackPanel::askThresholds);
    relabel();
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

void TrackPanel::refill() {
    const QSignalBlocker quiet(list_);
    showPending_->stop();
    list_->clearRows();
    shownTrack_ = -1;
    figureRows_->clear();
    // Left to the next page: the page on show keeps the old track until a row is clicked.
    sendTrackView(false);
    tk::TrackTable& table = context_.trackTable;
    if (table.slotCount() == 0 || table.tracks.empty() || table.tracks[0].points.empty())
        return;
    for (int i = 0; i < table.slotCount() && i < static_cast<int>(table.tracks.size()); ++i) {
        tk::Track& track = table.tracks[static_cast<std::size_t>(i)];
        if (track.points.empty())
            continue;
        track.lineWeight = 2;
        track.playSpeed = 2;
        track.colour = colours_.next();
        list_->addTrackRow(i, QString::fromStdString(track.name), track.colour, track.lineWeight);
    }
}

bool TrackPanel::writeMapData(int index) {
    tk::TrackTable& table = context_.trackTable;
    if (index < 0 || index >= static_cast<int>(table.tracks.size()))
        return false;
    tk::Track drawn = table.tracks[static_cast<std::size_t>(index)];
    drawn.colour = tk::drawColour(drawn.colour);
    const std::string script = tk::mapDataScript(drawn, &texts_);
    if (script.empty())
        return false;
    const std::string error =
        tk::writeFileAtomically(context_.pagePath(QStringLiteral("data.js")).toStdString(), script);
    writeError_ = QString::fromStdString(error);
    return error.empty();
}

void TrackPanel::scheduleShow(int row) {
    if (QApplication::mouseButtons() != Qt::NoButton)
        return;
    pendingRow_ = row;
    showPending_->start();
}

void TrackPanel::showTrack(QTableWidgetItem* item) {
    if (list_->isCheckClick(item))
        return;
    if (item) {
        const int track = list_->trackAt(item->row());
        context_.selectedTrack = track;
        if (writeMapData(track)) {
            shownTrack_ = track;
            showFigures();
            emit trackShown(tk::shownTrack(
                context_.trackTable.tracks[static_cast<std::size_t>(track)], figureSettings_));
            sendTrackView(false);
            emit pageRequested(context_.pagePath(QStringLiteral("Custom.html")));
        }
    }
    showPropertyTexts();
}

void TrackPanel::showFigures() {
    const auto& tracks = context_.trackTable.tracks;
    if (shownTrack_ < 0 || shownTrack_ >= static_cast<int>(tracks.size())) {
        figureRows_->clear();
        return;
    }
    const tk::Track& track = tracks[static_cast<std::size_t>(shownTrack_)];
    figureRows_->show(tk::tripFigures(track.points, figureSettings_), track.imperial(),
                      figureSettings_);
}

void TrackPanel::sendTrackView(bool drawNow) {
    std::vector<tk::OverviewTrack> shown;
    for (const int index : list_->checkedTracks()) {
        const tk::Track& t = context_.trackTable.tracks[static_cast<std::size_t>(index)];
        shown.push_back({index, &t, tk::drawColour(t.colour), t.lineWeight});
    }
    emit trackViewChanged(QString::fromStdString(tk::trackViewJson(shown, shownTrack_)), drawNow);
}

void TrackPanel::checkAll(bool checked) {
    // The page needs a clicked track to draw the others beside: the first row's, when none is.
    if (checked && shownTrack_ < 0 && list_->rowCount() > 0) {
        list_->setAllChecked(true, false);
        showTrack(list_->item(0, TrackList::NameColumn));
        return;
    }
    list_->setAllChecked(checked);
}

void TrackPanel::selectTrack(int track) {
    const int row = list_->rowOfTrack(track);
    if (row < 0)
        return;
    {
        const QSignalBlocker quiet(list_);
        list_->setCurrentCell(row, TrackList::NameColumn);
        list_->selectRow(row);
    }
    showTrack(list_->item(row, TrackList::NameColumn));
}

void TrackPanel::setFigureSettings(const tk::FigureSettings& settings) {
    figureSettings_ = settings;
    saveFigureSettings(settings);
    showFigures();
    if (shownTrack_ >= 0) {
        emit trackShown(tk::shownTrack(
            context_.trackTable.tracks[static_cast<std::size_t>(shownTrack_)], figureSettings_));
        emit pageRequested(context_.pagePath(QStringLiteral("Custom.html")));
    }
}

void TrackPanel::askThresholds() {
    CFigureSettingsDlg dialog(context_.language, figureSettings_, this);
    if (dialog.exec() == QDialog::Accepted)
        setFigureSettings(dialog.settings());
}

void TrackPanel::showPropertyTexts() {
    const std::string* texts[7] = {&texts_.name,  &texts_.start,    &texts_.end,     &texts_.step,
                                   &texts_.speed, &texts_.altitude, &texts_.distance};
    for (std::size_t i = 0; i < values_.size(); ++i)
        values_[i]->setText(QString::fromStdString(*texts[i]));
}

void TrackPanel::play() {
    if (context_.selectedTrack != -1)
        emit pageRequested(context_.pagePath(QStringLiteral("Custom.html")));
}

void TrackPanel::updateRow(int track) {
    const int row = list_->rowOfTrack(track);
    if (row < 0 || track >= static_cast<int>(context_.trackTable.tracks.size()))
        return;
    const tk::Track& t = context_.trackTable.tracks[static_cast<std::size_t>(track)];
    list_->setSwatchColour(row, t.colour);
    list_->setWeight(row, t.lineWeight);
}

void TrackPanel::requestMenu(const QPoint& position) {
    QTableWidgetItem* item = list_->itemAt(position);
    if (!item)
        return;
    const int track = list_->trackAt(item->row());
    context_.selectedTrack = track;
    {
        // The clicked row becomes the current one, so focus coming back after the menu moves
        // nothing.
        const QSignalBlocker quiet(list_);
        list_->setCurrentItem(item,
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    const TrackCommand command = chooseTrackCommand(context_.language.setting(),
                                                    list_->viewport()->mapToGlobal(position), this);
    // The command runs on the right-clicked track's data.js, whichever command it is.
    writeMapData(track);
    showPropertyTexts();
    switch (command) {
    case TrackCommand::Modify:
        modifyTrack(track);
        break;
    case TrackCommand::Print:
        emit printRequested();
        break;
    case TrackCommand::SaveToKml:
        saveTrackFile(context_.trackTable, track, TrackFileFormat::Kml, window());
        break;
    case TrackCommand::SaveToGpx:
        saveTrackFile(context_.trackTable, track, TrackFileFormat::Gpx, window());
        break;
    case TrackCommand::None:
        break;
    }
}

// The new colour and weight reach the map at the next click on the row.
void TrackPanel::modifyTrack(int track) {
    tk::Track& t = context_.trackTable.tracks[static_cast<std::size_t>(track)];
    tk::CLinePropertiesDlg dialog(context_.language, t.colour, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const tk::LineProperties chosen = dialog.properties();
    t.colour = chosen.colour;
    t.lineWeight = chosen.weight;
    updateRow(track);
    list_->viewport()->update();
    sendTrackView();
}
