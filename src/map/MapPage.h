// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <string>
#include <vector>

#include "files/LatestFileWriter.h"
#include "tracks/TripFigures.h"

class PageBridge;
class TileSchemeHandler;
class TrackSession;

// The one door to the program's pages. It follows the track session and tells the pages over
// the web channel what to show (the selected track, the all-tracks view, the figures' thresholds,
// the map's tiles, the captions, the photo map), and it hands on what the pages report (a picked
// track to the session, a position, a picked photo). A new track is drawn by the page on show:
// nothing is reloaded. data.js is still written for each selected track, for the print page and
// for users' own pages that read it.
class MapPage : public QObject {
    Q_OBJECT
public:
    MapPage(TrackSession& session, PageBridge& bridge, QString pageDir, QObject* parent = nullptr);

    // The pages show the map of the tile handler, following its changes.
    void followTiles(TileSchemeHandler& tiles);
    // The thresholds the page's figures follow.
    void setFigureSettings(const tk::FigureSettings& settings);
    // Plays the selected track from its start.
    void play();
    // The interface language changed: the pages' captions follow.
    void relabel();
    // The geotag page's map: the tracks (each a list of [latitude, longitude]), the photos
    // ({row, lat, lon, name} each), and the photo marked on it with its name and thumbnail
    // (a data: address, or empty).
    void showPhotoTracks(const QString& json);
    void showPhotos(const QString& json);
    void showPhoto(int row, const QString& name, const QString& thumbnail);

    // Waits until data.js holds the selected track (it is written on a thread of its own); the
    // error text of the last write, empty when it succeeded.
    QString finishDataJs();
    QString trackPagePath() const { return pageDir_ + QStringLiteral("Custom.html"); }

signals:
    // The track page is wanted in the map view (a view already showing it keeps it).
    void trackPageWanted(const QString& path);
    // What the pages report.
    void positionShown(const QString& text);
    void photoPicked(int row);

private:
    void showSelected();
    void styleChanged(int index);
    void writeDataJs(int index);
    void sendView();
    const std::string& shapeOf(int index);

    TrackSession& session_;
    PageBridge& bridge_;
    QString pageDir_;
    tk::FigureSettings figureSettings_;
    tk::LatestFileWriter dataJs_;
    // Each track's thinned line for the all-tracks view, made when first shown.
    std::vector<std::string> shapes_;
};
