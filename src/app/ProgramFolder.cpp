#include "app/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

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

// The user's language setting lives in the copy and is never replaced by the program's file.
void mirrorPages(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        if (!isPageFile(file))
            continue;
        const QString relative = QDir(from).relativeFilePath(file.absoluteFilePath());
        copyIfNewer(file, to + relative, relative == QLatin1String("language.ini"));
    }
}

} // namespace

QString moduleDirectory() {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

QString pageDirectoryFor(const QString& moduleDir) {
    return canWriteInto(moduleDir) ? moduleDir : userPageDirectory(moduleDir);
}

QString userPageDirectory(const QString& moduleDir) {
    QString userDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (userDir.isEmpty())
        return moduleDir;
    userDir += QLatin1Char('/');
    QDir().mkpath(userDir);
    mirrorPages(moduleDir, userDir);
    return userDir;
}
