// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's timings, run under a display (bench/gui_bench.sh starts Xvfb):
//   gui_bench start DIR RUNS   start to start page loaded, whole processes: the main window over
//                              the program folder DIR against a bare browser view loading a blank
//                              page, alternating, RUNS each
//   gui_bench session DIR PORT in one window: Read of the whole memory from the logger on PORT,
//                              memory of every process with a track shown, Show all of that
//                              memory to every track's line drawn, then clicks on one
//                              22,528-point track to its line and its profile drawn
// Each figure is printed as a table row: | figure | value | goal |.
// (gui_bench blank, blank-alike and program DIR are the processes that "start" times.)

#include <QApplication>

#include <cstdio>
#include <cstring>

#include "app/CMainFrame.h"
#include "app/CTrailkeepApp.h"
#include "gui_bench.h"
#include "map/BrowserStartup.h"

namespace {

using namespace guibench;

int runSession(const QString& moduleDir, const QString& port, int clicks) {
    CTrailkeepApp app({moduleDir, port, false});
    CMainFrame frame(app);
    frame.show();
    if (!startPageReady(frame, 30000)) {
        std::fprintf(stderr, "gui_bench: the start page did not load\n");
        return 1;
    }
    if (!timeRead(frame, app)) {
        std::fprintf(stderr, "gui_bench: the Read did not list the whole memory\n");
        return 1;
    }
    if (clickFirstRowLineMs(frame) < 0) {
        std::fprintf(stderr, "gui_bench: the track of the full memory was not drawn\n");
        return 1;
    }
    pause(1000);
    reportMemory();
    if (!timeShowAll(frame, clicks)) {
        std::fprintf(stderr, "gui_bench: Show all did not draw every track\n");
        return 1;
    }
    if (!timeClicks(frame, app, clicks)) {
        std::fprintf(stderr, "gui_bench: the long track was not drawn\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // The bare view starts as Qt's examples do (and so does the process that times it, whose
    // environment the views inherit); the program, and the bare view beside which its own
    // choices are measured (blank-alike), as the program's main starts the browser.
    const bool bare =
        argc > 1 && (std::strcmp(argv[1], "blank") == 0 || std::strcmp(argv[1], "start") == 0);
    if (bare)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    else
        prepareEmbeddedBrowser(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trailkeep"));
    const QStringList args = QApplication::arguments().mid(1);
    const QString mode = args.value(0);
    QString dir = args.value(1);
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    if (mode == QLatin1String("blank") || mode == QLatin1String("blank-alike"))
        return runBlank();
    if (mode == QLatin1String("program") && args.size() == 2)
        return runProgram(dir);
    if (mode == QLatin1String("start") && args.size() == 3)
        return runStart(dir, args[2].toInt());
    if (mode == QLatin1String("session") && args.size() >= 3)
        return runSession(dir, args[2], args.value(3, QStringLiteral("5")).toInt());
    std::fprintf(stderr, "usage: gui_bench start DIR RUNS | session DIR PORT [CLICKS]\n");
    return 2;
}
