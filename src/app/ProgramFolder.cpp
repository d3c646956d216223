// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "ui/ProfileFile.h"

namespace {

bool canWriteInto(const QString& dir) {
    QTemporaryFile probe(dir + QStringLiteral(".trailkeep-write-XXXXXX"));
    return probe.open();
}

bool isPageFile(const QFileInfo& file) {
    static const QStringList suffixes{QStringLiteral("html"), QStringLiteral("js"),
                                      QStringLiteral("css"),  QStringLiteral("png"),
                                      QStringLiteral("svg"),  QStringLiteral("ini")};
    return suffixes.contains(file.suffix().toLower()) &&
           file.fileName() != QLatin1String("data.js");
}

void copyIfNewer(const QFileInfo& from, const QString& to, bool keepExisting) {
    const QFileInfo target(to);
    if (target.exists() && (keepExisting || target.lastModified() >= from.lastModified()))
        return;
    QDir().mkpath(target.absolutePath());
    QFile::remove(to);
    QFile::copy(from.absoluteFilePath(), to);
}

// The user's language setting lives in the copy: a newer program's file brings its new texts
// and keeps the setting the copy had.
void refreshLanguageFile(const QFileInfo& from, const QString& to) {
    const QFileInfo target(to);
    if (!target.exists() || target.lastModified() >= from.lastModified()) {
        copyIfNewer(from, to, target.exists());
        return;
    }
    const auto old = tk::ProfileFile::load(QFile::encodeName(to).toStdString());
    auto fresh = tk::ProfileFile::load(QFile::encodeName(from.absoluteFilePath()).toStdString());
    if (!old || !fresh)
        return;
    const std::string setting = old->readString("App", "Language", "");
    if (!setting.empty())
        fresh->writeString("App", "Language", setting);
    fresh->save(QFile::encodeName(to).toStdString());
}

void mirrorPages(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        if (!isPageFile(file))
            continue;
        const QString relative = QDir(from).relativeFilePath(file.absoluteFilePath());
        if (relative == QLatin1String("language.ini"))
            refreshLanguageFile(file, to + relative);
        else
            copyIfNewer(file, to + relative, false);
    }
}

QString userDirectory() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return dir.isEmpty() ? dir : dir + QLatin1Char('/');
}

} // namespace

QString moduleDirectory() {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

QString programDataDirectory(const QString& executableDir) {
    const QString shared =
        QDir::cleanPath(executableDir + QStringLiteral("/../share/trailkeep")) + QLatin1Char('/');
    return QFileInfo::exists(shared + QStringLiteral("language.ini")) ? shared : executableDir;
}

bool isPackageDataFolder(const QString& moduleDir) {
    return QDir::cleanPath(moduleDir).endsWith(QLatin1String("/share/trailkeep"));
}

QString pageDirectoryFor(const QString& moduleDir) {
    return !isPackageDataFolder(moduleDir) && canWriteInto(moduleDir)
               ? moduleDir
               : userPageDirectory(moduleDir);
}

QString firmwareDirectoryFor(const QString& moduleDir) {
    const QString user = userDirectory();
    return isPackageDataFolder(moduleDir) && !user.isEmpty() ? user : moduleDir;
}

QString userPageDirectory(const QString& moduleDir) {
    const QString userDir = userDirectory();
    if (userDir.isEmpty())
        return moduleDir;
    QDir().mkpath(userDir);
    mirrorPages(moduleDir, userDir);
    return userDir;
}
