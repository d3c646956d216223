// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CTrailkeepApp.h"

#include <QWebEngineProfile>

#include "app/ProgramFolder.h"
#include "map/MapPage.h"
#include "map/PageBridge.h"
#include "map/TileSchemeHandler.h"
#include "map/WebProfile.h"

CTrailkeepApp::CTrailkeepApp(const Options& options, QObject* parent)
    : QObject(parent), moduleDir_(options.moduleDir), pageDir_(pageDirectoryFor(moduleDir_)),
      language_((pageDir_ + QStringLiteral("language.ini")).toStdString()),
      connector_(options.preferredPort.toStdString()),
      bridge_(std::make_unique<PageBridge>(language_)),
      mapPage_(std::make_unique<MapPage>(session_, *bridge_, pageDir_)),
      profile_(createWebProfile(options.persistentWebProfile, this)),
      tiles_(TileSchemeHandler::of(profile_)) {
    mapPage_->followTiles(*tiles_);
}

CTrailkeepApp::~CTrailkeepApp() = default;
