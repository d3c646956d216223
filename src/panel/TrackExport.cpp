// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/TrackExport.h"

#include <QString>

#include "files/AtomicFile.h"
#include "map/GpxWriter.h"
#include "map/KmlWriter.h"
#include "tracks/FileNames.h"
#include "tracks/Track.h"
#include "ui/FileQuestions.h"
#include "ui/Messages.h"
#include "ui/Prompts.h"

namespace {

std::string document(const tk::Track& track, TrackFileFormat format) {
    if (format == TrackFileFormat::Kml)
        return tk::trackKml(track);
    const tk::Track* one[] = {&track};
    return tk::tracksGpx(one);
}

} // namespace

bool saveTrackFile(const tk::TrackTable& table, int track, TrackFileFormat format,
                   QWidget* window) {
    const auto& tracks = table.tracks;
    if (track < 0 || track >= static_cast<int>(tracks.size()))
        return false;
    const bool kml = format == TrackFileFormat::Kml;
    const QString chosen = Prompts::current().saveFileName(
        window, kml ? QStringLiteral("KML files(*.kml)") : QStringLiteral("GPX files(*.gpx)"));
    if (chosen.isEmpty())
        return false;
    const QString path =
        QString::fromStdString(tk::withExtension(chosen.toStdString(), kml ? ".kml" : ".gpx"));
    if (!mayReplace(window, chosen, path))
        return false;
    const std::string error = tk::writeFileAtomically(
        path.toStdString(), document(tracks[static_cast<std::size_t>(track)], format));
    if (!error.empty())
        tellUser(window, true, QString::fromStdString(error));
    return error.empty();
}
