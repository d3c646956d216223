#include <QApplication>
#include <QCommandLineParser>

#include "app/CMainFrame.h"
#include "app/CTrailkeepApp.h"
#include "app/ProgramFolder.h"
#include "app/UpdateCheck.h"
#include "app/Version.h"

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(tk::kProgramName));
    QApplication::setApplicationVersion(QString::fromLatin1(tk::kVersionNumber));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/trailkeep.svg")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("GPS track logger companion"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Serial port tried first for the logger."),
                                  QStringLiteral("DEV"));
    parser.addOption(port);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Project file (.gpl) to open."));
    parser.process(application);

    CTrailkeepApp app({moduleDirectory(), parser.value(port), true});
    CMainFrame frame(app);
    frame.show();
    if (!parser.positionalArguments().isEmpty())
        frame.openFile(parser.positionalArguments().constFirst());
    frame.updateCheck()->scheduleOnce();
    return QApplication::exec();
}
