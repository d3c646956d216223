// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include <QCommandLineParser>

#include "app/CMainFrame.h"
#include "app/CTrailkeepApp.h"
#include "app/ProgramFolder.h"
#include "app/UpdateCheck.h"
#include "map/BrowserStartup.h"
#include "ui/Version.h"

int main(int argc, char** argv) {
    prepareEmbeddedBrowser(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(tk::kProgramName));
    QApplication::setApplicationVersion(QString::fromLatin1(tk::kVersionNumber));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/trailkeep.svg")));
    // The desktop entry's name, so the desktop shows the window under the program's entry.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(tk::kDesktopId));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The desktop companion of a serial GPS track logger: downloads the logger's memory, shows\n"
        "its tracks with their figures on a map with the altitude and speed profile, exports\n"
        "them as KML and GPX, geotags photos from them and sets the logger up."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Serial port tried first for the logger."),
                                  QStringLiteral("DEV"));
    parser.addOption(port);
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("Project file (.gpl) or track file (GPX, FIT, TCX, ...) to open."),
        QStringLiteral("[FILE]"));
    parser.process(application);

    CTrailkeepApp app({programDataDirectory(moduleDirectory()), parser.value(port), true});
    CMainFrame frame(app);
    frame.show();
    if (!parser.positionalArguments().isEmpty())
        frame.openFile(parser.positionalArguments().constFirst());
    frame.updateCheck()->scheduleOnce();
    return QApplication::exec();
}
