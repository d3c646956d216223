// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <memory>

#include "link/SerialConnector.h"
#include "tracks/PageBuffer.h"
#include "tracks/Track.h"
#include "tracks/TrackDecoder.h"
#include "ui/Language.h"

class PageBridge;
class QWebEngineProfile;
class TileSchemeHandler;

// The program's state for its whole run: the logger memory, the tracks decoded from it, the
// selected track, the program's folder, the language, the logger search and the page bridge.
class CTrailkeepApp : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString moduleDir;     // the program's pages' folder (programDataDirectory), with '/'
        QString preferredPort; // tried first when looking for the logger
        bool persistentWebProfile = true;
    };

    explicit CTrailkeepApp(const Options& options, QObject* parent = nullptr);
    ~CTrailkeepApp() override;

    tk::PageBuffer pageBuffer;
    tk::TrackTable trackTable;
    tk::TrackDecoder decoder{trackTable};
    int selectedTrack = -1; // the track whose list row last changed, -1 for none

    // ModuleDir: where the program's pages and language.ini stand (beside the program, or a
    // package's share/trailkeep).
    const QString& moduleDir() const { return moduleDir_; }
    // Where data.js is written and the pages are loaded from: ModuleDir, or a per-user copy of
    // the pages when the program's folder is a package's or cannot be written.
    const QString& pageDir() const { return pageDir_; }
    QString pagePath(const QString& name) const { return pageDir_ + name; }

    tk::Language& language() { return language_; }
    tk::SerialConnector& connector() { return connector_; }
    PageBridge& bridge() { return *bridge_; }
    QWebEngineProfile* webProfile() const { return profile_; }
    // The map every page shows (the tile server or an offline map), served to the profile.
    TileSchemeHandler& tiles() const { return *tiles_; }

private:
    QString moduleDir_;
    QString pageDir_;
    tk::Language language_;
    tk::SerialConnector connector_;
    std::unique_ptr<PageBridge> bridge_;
    QWebEngineProfile* profile_;
    TileSchemeHandler* tiles_;
};
