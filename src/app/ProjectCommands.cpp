#include "app/ProjectCommands.h"

#include <QFileInfo>
#include <QMessageBox>

#include "app/CTrailkeepApp.h"
#include "app/Prompts.h"
#include "app/TextFill.h"
#include "panel/CMenuDlg.h"
#include "tracks/FileNames.h"
#include "tracks/ProjectFile.h"

namespace {

constexpr char kDroppedRecordsKey[] =
    "%d records beyond the logger's memory of 2048 pages were left out";

void tell(QWidget* window, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("Trailkeep"), text, QMessageBox::Ok, window);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString withProjectExtension(const QString& path) {
    return QString::fromStdString(tk::withExtension(path.toStdString(), ".gpl"));
}

// The dialog asked before replacing the name it returned; a name that only now got its
// extension may stand for another file, so ask for that one.
bool mayReplace(QWidget* window, const QString& chosen, const QString& path) {
    if (chosen == path || !QFileInfo::exists(path))
        return true;
    const QString question =
        QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Trailkeep"), question,
                    QMessageBox::Yes | QMessageBox::No, window);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

bool openProjectFile(CTrailkeepApp& app, CMenuDlg& panel, QWidget* window, const QString& path) {
    const tk::ProjectLoad load = tk::openProject(path.toStdString(), app.pageBuffer, app.decoder);
    if (!load.ok()) {
        tell(window, QMessageBox::Warning, QString::fromStdString(load.error));
        return false;
    }
    panel.refill();
    if (load.recordsDropped > 0) {
        const std::string text = tk::fillNumbers(app.language().text(kDroppedRecordsKey),
                                                 {static_cast<long>(load.recordsDropped)});
        tell(window, QMessageBox::Warning, QString::fromStdString(text));
    }
    return true;
}

void openProjectCommand(CTrailkeepApp& app, CMenuDlg& panel, QWidget* window) {
    const QString chosen =
        Prompts::current().openFileName(window, QString::fromLatin1(kProjectFilter));
    if (chosen.isEmpty())
        return;
    openProjectFile(app, panel, window, withProjectExtension(chosen));
}

void saveProjectCommand(CTrailkeepApp& app, QWidget* window) {
    const QString chosen =
        Prompts::current().saveFileName(window, QString::fromLatin1(kProjectFilter));
    if (chosen.isEmpty())
        return;
    const QString path = withProjectExtension(chosen);
    if (!mayReplace(window, chosen, path))
        return;
    const std::string error = tk::saveProject(path.toStdString(), app.pageBuffer);
    if (!error.empty())
        tell(window, QMessageBox::Warning, QString::fromStdString(error));
}
