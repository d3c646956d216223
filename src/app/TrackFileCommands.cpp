// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrackFileCommands.h"

#include <QSettings>

#include "app/CTrailkeepApp.h"
#include "app/ProjectCommands.h"
#include "formats/TrackFile.h"
#include "map/GpxWriter.h"
#include "map/TextAppend.h"
#include "session/TrackSession.h"
#include "tracks/FileIO.h"
#include "tracks/FileNames.h"
#include "ui/FileQuestions.h"
#include "ui/Prompts.h"

namespace {

constexpr char kGpxFilter[] = "gpx files(*.gpx)";
constexpr char kRecentKey[] = "Files/Recent";
constexpr int kRecentCount = 8;

QSettings userSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Trailkeep"),
                     QStringLiteral("trailkeep"));
}

void remember(const QString& path) {
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kRecentCount)
        files.removeLast();
    userSettings().setValue(QString::fromLatin1(kRecentKey), files);
}

bool isProjectName(const QString& path) {
    return path.endsWith(QLatin1String(".gpl"), Qt::CaseInsensitive);
}

bool addTrackFile(CTrailkeepApp& app, QWidget* window, const QString& path, QString* note) {
    std::string said;
    const std::string error = app.session().addTrackFile(path.toStdString(), &said);
    if (!error.empty()) {
        tellUser(window, true, QString::fromStdString(error));
        return false;
    }
    if (note)
        *note = QString::fromStdString(said);
    return true;
}

} // namespace

bool isOpenableFile(const QString& path) {
    return isProjectName(path) || tk::formats::isTrackFile(path.toStdString());
}

bool isTrackFileName(const QString& path) {
    return !isProjectName(path) && tk::formats::isTrackFile(path.toStdString());
}

bool openAnyFile(CTrailkeepApp& app, QWidget* window, const QString& path, QString* note) {
    const bool opened = isTrackFileName(path) ? addTrackFile(app, window, path, note)
                                              : openProjectFile(app, window, path);
    if (opened)
        remember(path);
    return opened;
}

void saveSessionGpxCommand(CTrailkeepApp& app, QWidget* window) {
    std::vector<const tk::Track*> tracks;
    for (const int index : app.session().listedTracks())
        tracks.push_back(app.session().track(index));
    if (tracks.empty())
        return;
    const QString chosen = Prompts::current().saveFileName(window, QString::fromLatin1(kGpxFilter));
    if (chosen.isEmpty())
        return;
    const QString path = QString::fromStdString(tk::withExtension(chosen.toStdString(), ".gpx"));
    if (!mayReplace(window, chosen, path))
        return;
    tk::AtomicFile file(path.toStdString());
    tk::text::TextOut out([&file](std::string_view bytes) { file.write(bytes); });
    tk::writeTracksGpx(out, tracks);
    const std::string error = file.commit();
    if (!error.empty())
        tellUser(window, true, QString::fromStdString(error));
}

QStringList recentFiles() {
    return userSettings().value(QString::fromLatin1(kRecentKey)).toStringList();
}
