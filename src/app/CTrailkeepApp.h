// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <memory>

#include "link/SerialConnector.h"
#include "session/TrackSession.h"
#include "ui/Language.h"

class PageBridge;
class MapPage;
class QWebEngineProfile;
class TileSchemeHandler;

// The program's state for its whole run: the track session, the program's folder, the language,
// the logger search and the page bridge.
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

    // The logger memory, its tracks, their styles, the selection and the checked set.
    TrackSession& session() { return session_; }

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
    // The one door to the pages, following the session.
    MapPage& mapPage() { return *mapPage_; }
    QWebEngineProfile* webProfile() const { return profile_; }
    // The map every page shows (the tile server or an offline map), served to the profile.
    TileSchemeHandler& tiles() const { return *tiles_; }

private:
    QString moduleDir_;
    QString pageDir_;
    TrackSession session_;
    tk::Language language_;
    tk::SerialConnector connector_;
    std::unique_ptr<PageBridge> bridge_;
    std::unique_ptr<MapPage> mapPage_;
    QWebEngineProfile* profile_;
    TileSchemeHandler* tiles_;
};
