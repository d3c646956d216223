// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProjectCommands.h"

#include "app/CTrailkeepApp.h"
#include "tracks/FileNames.h"
#include "tracks/ProjectFile.h"
#include "ui/FileQuestions.h"
#include "ui/Prompts.h"
#include "ui/TextFill.h"

namespace {

constexpr char kDroppedRecordsKey[] =
    "%d records beyond the logger's memory of 2048 pages were left out";

QString withProjectExtension(const QString& path) {
    return QString::fromStdString(tk::withExtension(path.toStdString(), ".gpl"));
}

} // namespace

bool openProjectFile(CTrailkeepApp& app, QWidget* window, const QString& path) {
    const tk::ProjectLoad load = app.session().openProject(path.toStdString());
    if (!load.ok()) {
        tellUser(window, true, QString::fromStdString(load.error));
        return false;
    }
    if (load.recordsDropped > 0) {
        const std::string text = tk::fillNumbers(app.language().text(kDroppedRecordsKey),
                                                 {static_cast<long>(load.recordsDropped)});
        tellUser(window, true, QString::fromStdString(text));
    }
    return true;
}

void saveProjectCommand(CTrailkeepApp& app, QWidget* window) {
    const QString chosen =
        Prompts::current().saveFileName(window, QString::fromLatin1(kProjectFilter));
    if (chosen.isEmpty())
        return;
    const QString path = withProjectExtension(chosen);
    if (!mayReplace(window, chosen, path))
        return;
    const std::string error = tk::saveProject(path.toStdString(), app.session().pageBuffer());
    if (!error.empty())
        tellUser(window, true, QString::fromStdString(error));
}
