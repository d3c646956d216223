// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapPage.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "map/MapDataScript.h"
#include "map/PageBridge.h"
#include "map/StretchFigures.h"
#include "map/TileSchemeHandler.h"
#include "map/TrackOverview.h"
#include "session/TrackSession.h"
#include "tracks/LineColour.h"

namespace {

// A style as the pages draw it: the picker's "automatic" colour in its fixed colour.
tk::TrackStyle drawnStyle(tk::TrackStyle style) {
    style.colour = tk::drawColour(style.colour);
    return style;
}

} // namespace

MapPage::MapPage(TrackSession& session, PageBridge& bridge, QString pageDir, QObject* parent)
    : QObject(parent), session_(session), bridge_(bridge), pageDir_(std::move(pageDir)),
      dataJs_((pageDir_ + QStringLiteral("data.js")).toStdString()) {
    connect(&session_, &TrackSession::tracksReplaced, this, [this] {
        shapes_.clear();
        sendView();
    });
    connect(&session_, &TrackSession::selectionChanged, this, &MapPage::showSelected);
    connect(&session_, &TrackSession::checkedChanged, this, &MapPage::sendView);
    connect(&session_, &TrackSession::styleChanged, this, &MapPage::styleChanged);
    connect(&bridge_, &PageBridge::trackPicked, &session_, &TrackSession::select);
    connect(&bridge_, &PageBridge::coordinatesShown, this, &MapPage::positionShown);
    connect(&bridge_, &PageBridge::photoPicked, this, &MapPage::photoPicked);
    sendView();
}

void MapPage::followTiles(TileSchemeHandler& tiles) {
    connect(&tiles, &TileSchemeHandler::tilesChanged, this, [this, &tiles] {
        emit bridge_.tilesChanged(
            QString::fromUtf8(QJsonDocument(tiles.pageTiles()).toJson(QJsonDocument::Compact)));
    });
}

void MapPage::setFigureSettings(const tk::FigureSettings& settings) {
    figureSettings_ = settings;
    if (const tk::Track* track = session_.track(session_.selected())) {
        bridge_.setShownTrack(tk::shownTrack(*track, figureSettings_));
        emit bridge_.figuresChanged();
    }
}

void MapPage::play() {
    if (session_.track(session_.selected()))
        emit bridge_.playRequested();
}

void MapPage::relabel() {
    emit bridge_.textsChanged(bridge_.pageTextsJson());
}

void MapPage::showPhotoTracks(const QString& json) {
    bridge_.setPhotoTracks(json);
}

void MapPage::showPhotos(const QString& json) {
    bridge_.setPhotos(json);
}

void MapPage::showPhoto(int row, const QString& name, const QString& thumbnail) {
    emit bridge_.photoShown(row, name, thumbnail);
}

// The page on show draws the track from the channel; data.js is made and written on a thread of
// its own, so the file never holds the drawing up.
void MapPage::showSelected() {
    const int index = session_.selected();
    const tk::Track* track = session_.track(index);
    if (!track)
        return;
    bridge_.setTrack(
        QString::fromStdString(tk::trackPageJson(*track, drawnStyle(session_.style(index)))));
    // The page asks for the figures once it has drawn the track.
    bridge_.setShownTrack(tk::shownTrack(*track, figureSettings_));
    sendView();
    emit trackPageWanted(trackPagePath());
    writeDataJs(index);
}

void MapPage::styleChanged(int index) {
    if (index == session_.selected()) {
        const tk::Track* track = session_.track(index);
        bridge_.setTrack(
            QString::fromStdString(tk::trackPageJson(*track, drawnStyle(session_.style(index)))));
        writeDataJs(index);
    }
    sendView();
}

void MapPage::writeDataJs(int index) {
    const tk::Track* track = session_.track(index);
    if (!track)
        return;
    dataJs_.write([track = *track, style = drawnStyle(session_.style(index))] {
        return tk::mapDataScript(track, style);
    });
}

QString MapPage::finishDataJs() {
    return QString::fromStdString(dataJs_.finish());
}

// shapes_ holds a place for every slot of the table (sendView sees to it).
const std::string& MapPage::shapeOf(int index) {
    const auto slot = static_cast<std::size_t>(index);
    if (shapes_[slot].empty())
        shapes_[slot] = tk::overviewShapeJson(session_.track(index)->points);
    return shapes_[slot];
}

void MapPage::sendView() {
    shapes_.resize(session_.table().tracks.size());
    std::vector<tk::OverviewTrack> shown;
    for (const int index : session_.checked()) {
        const tk::TrackStyle& style = session_.style(index);
        shown.push_back({index, session_.track(index), tk::drawColour(style.colour),
                         style.lineWeight, &shapeOf(index)});
    }
    bridge_.setView(QString::fromStdString(tk::trackViewJson(shown, session_.selected())));
}
