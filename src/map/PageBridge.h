// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include "map/StretchFigures.h"

namespace tk {
class Language;
}

// The object on every page's web channel. Pages reach its CB_ functions as window.external: they
// may only ask whether they run in the program, report a position, ask for the figures of a
// stretch of the track shown and pick a track of the all-tracks view; everything else answers
// true and changes nothing. The program's own pages also reach it through window.tkDoor: its
// signals bring them what to show (MapPage emits them) and they ask for what is shown now when
// they start.
class PageBridge : public QObject {
    Q_OBJECT
public:
    // The name under which the object is published on every page's web channel.
    static constexpr const char* kChannelName = "external";

    explicit PageBridge(const tk::Language& language, QObject* parent = nullptr);

    // The CB_ names are the pages' interface, also for users' own pages: they keep their names.

    // Tells a page that it runs inside the program (pages hide their browser-only controls).
    Q_INVOKABLE bool CB_IsOurCustomBrowser() const { return true; }
    // A page asking to close its window: nothing closes, the answer is true.
    Q_INVOKABLE bool CB_Close() const { return true; }
    // A page's own command without arguments: does nothing, the answer is true.
    Q_INVOKABLE bool CB_CustomFunction() const { return true; }
    // Shows these coordinates (latitude, longitude as strings) in the status bar; anything but
    // two strings is ignored.
    Q_INVOKABLE void CB_CustomFunctionWithParams(const QVariant& latitude,
                                                 const QVariant& longitude);

    // The figures (stretchFiguresJson) of rows first to last of the track the map page shows;
    // "{}" when either is not a number or no track is shown.
    Q_INVOKABLE QString CB_StretchFigures(const QVariant& first, const QVariant& last) const;
    // A line of the all-tracks view was clicked; anything but a number is ignored.
    Q_INVOKABLE void CB_SelectTrack(const QVariant& track);

    // What a page that starts now shows: the selected track (trackPageJson, "" for none), the
    // all-tracks view (trackViewJson), and the photo map's tracks and photos.
    Q_INVOKABLE QString currentTrack() const { return track_; }
    Q_INVOKABLE QString currentView() const { return view_; }
    Q_INVOKABLE QString currentPhotoTracks() const { return photoTracks_; }
    Q_INVOKABLE QString currentPhotos() const { return photos_; }
    // A photo's marker was clicked; anything but a number is ignored.
    Q_INVOKABLE void pickPhoto(const QVariant& row);
    // The print page has drawn its sheet (the track, and the tiles loaded or given up on).
    Q_INVOKABLE void reportSheetDrawn() { emit sheetDrawn(); }

    void setShownTrack(const tk::ShownTrack& shown) { shown_ = shown; }
    void setTrack(const QString& json);
    void setView(const QString& json);
    void setPhotoTracks(const QString& json);
    void setPhotos(const QString& json);

    // The script that makes window.external answer synchronously from the first script of a
    // page and forwards the calls to this object once the channel is up.
    static QString documentCreationScript();
    // The pages' control captions in the interface language: as JSON, and as the script that
    // hands them to a page as window.TK_TEXTS.
    QString pageTextsJson() const;
    QString pageTextsScript() const;

signals:
    // From the pages.
    void coordinatesShown(const QString& text);
    void trackPicked(int track);
    void photoPicked(int row);
    void sheetDrawn();

    // To the pages, over the channel.
    void trackChanged(const QString& json);
    void viewChanged(const QString& json);
    // Play the shown track from its start.
    void playRequested();
    // The thresholds changed: the page asks for its figures again.
    void figuresChanged();
    void tilesChanged(const QString& json);
    void textsChanged(const QString& json);
    void photoTracksChanged(const QString& json);
    void photosChanged(const QString& json);
    void photoShown(int row, const QString& name, const QString& thumbnail);

private:
    void keepAndSend(QString& kept, const QString& json,
                     void (PageBridge::*changed)(const QString&));

    const tk::Language& language_;
    tk::ShownTrack shown_;
    QString track_;
    QString view_;
    QString photoTracks_ = QStringLiteral("[]");
    QString photos_ = QStringLiteral("[]");
};
