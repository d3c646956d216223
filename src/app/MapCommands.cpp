// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MapCommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/CTrailkeepApp.h"
#include "map/TileSchemeHandler.h"
#include "map/WebProfile.h"
#include "ui/Captions.h"
#include "ui/Messages.h"
#include "ui/Prompts.h"

namespace {

constexpr char kMapUnchangedKey[] = "The map stays as it was.";
constexpr char kRememberedMapKey[] =
    "The offline map could not be opened; the online map is shown.";

} // namespace

QString offlineMapProblem(const tk::Language& language, tk::MbTilesError error,
                          const QString& path) {
    return caption(language, tk::mbTilesErrorKey(error)) + QLatin1Char('\n') +
           QDir::toNativeSeparators(path);
}

bool openOfflineMap(CTrailkeepApp& app, QWidget* window, const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    tk::MbTiles::Opened opened = tk::MbTiles::open(QFile::encodeName(absolute).toStdString());
    if (!opened.map) {
        tellUser(window, true,
                 offlineMapProblem(app.language(), opened.error, absolute) + QLatin1Char('\n') +
                     caption(app.language(), kMapUnchangedKey));
        return false;
    }
    app.tiles().useOfflineMap(std::move(opened.map));
    TileSettings::rememberOfflineMap(absolute);
    return true;
}

void openOfflineMapCommand(CTrailkeepApp& app, QWidget* window) {
    const QString chosen =
        Prompts::current().openFileName(window, QString::fromLatin1(kOfflineMapFilter));
    if (!chosen.isEmpty())
        openOfflineMap(app, window, chosen);
}

void onlineMapCommand(CTrailkeepApp& app) {
    app.tiles().useOnlineMap();
    TileSettings::rememberOfflineMap(QString());
}

QString openRememberedOfflineMap(CTrailkeepApp& app) {
    const QString path = TileSettings::load().offlineMap;
    if (path.isEmpty())
        return {};
    tk::MbTiles::Opened opened = tk::MbTiles::open(QFile::encodeName(path).toStdString());
    if (!opened.map) {
        app.tiles().useOnlineMap();
        return caption(app.language(), kRememberedMapKey) + QLatin1Char('\n') +
               offlineMapProblem(app.language(), opened.error, path);
    }
    app.tiles().useOfflineMap(std::move(opened.map));
    return {};
}
