// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include "map/StretchFigures.h"

namespace tk {
class Language;
}

// The object pages reach as window.external. Pages may only ask whether they run in the program,
// report a position, ask for the figures of a stretch of the track shown and pick a track of the
// all-tracks view; everything else answers true and changes nothing.
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

    void setShownTrack(const tk::ShownTrack& shown) { shown_ = shown; }

    // The script that makes window.external answer synchronously from the first script of a
    // page and forwards the calls to this object once the channel is up.
    static QString documentCreationScript();
    // The script that hands the pages their control captions in the interface language as
    // window.TK_TEXTS.
    QString pageTextsScript() const;

signals:
    void coordinatesShown(const QString& text);
    void trackPicked(int track);

private:
    const tk::Language& language_;
    tk::ShownTrack shown_;
};
