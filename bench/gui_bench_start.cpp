// SPDX-License-Identifier: GPL-3.0-or-later
// Start to start page loaded, whole processes: the main window over the program folder against
// a bare browser view loading a blank page, started as Qt's examples start it and as the program
// starts its browser, alternating.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>

#include "app/CMainFrame.h"
#include "app/CTrailkeepApp.h"
#include "gui_bench.h"

namespace guibench {
namespace {

// Milliseconds from starting the process to its "ready" line, or -1.
double timeProcess(const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(QCoreApplication::applicationFilePath(), arguments);
    double elapsed = -1;
    QByteArray out;
    while (process.waitForReadyRead(30000)) {
        out += process.readAllStandardOutput();
        if (out.contains("ready\n")) {
            elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            break;
        }
        if (out.contains("failed"))
            break;
    }
    if (!process.waitForFinished(15000))
        process.kill();
    process.waitForFinished(5000);
    return elapsed;
}

} // namespace

int runBlank() {
    QWebEngineView view;
    view.resize(1060, 640);
    QObject::connect(&view, &QWebEngineView::loadFinished, [](bool ok) {
        std::printf(ok ? "ready\n" : "failed\n");
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    view.setUrl(QUrl(QStringLiteral("about:blank")));
    view.show();
    return QApplication::exec();
}

// The program's own start-up (as its main does), reporting once the start page is up.
int runProgram(const QString& moduleDir) {
    CTrailkeepApp app({moduleDir, QString(), true});
    CMainFrame frame(app);
    frame.show();
    std::printf(startPageReady(frame, 30000) ? "ready\n" : "failed\n");
    std::fflush(stdout);
    return 0;
}

int runStart(const QString& moduleDir, int runs) {
    const QStringList blank{QStringLiteral("blank")};
    const QStringList alike{QStringLiteral("blank-alike")};
    const QStringList program{QStringLiteral("program"), moduleDir};
    timeProcess(blank); // warm the disk cache for all three
    timeProcess(alike);
    timeProcess(program);
    std::vector<double> blankTimes;
    std::vector<double> alikeTimes;
    std::vector<double> programTimes;
    for (int i = 0; i < runs; ++i) {
        blankTimes.push_back(timeProcess(blank));
        alikeTimes.push_back(timeProcess(alike));
        programTimes.push_back(timeProcess(program));
    }
    if (std::count(blankTimes.begin(), blankTimes.end(), -1.0) ||
        std::count(alikeTimes.begin(), alikeTimes.end(), -1.0) ||
        std::count(programTimes.begin(), programTimes.end(), -1.0)) {
        std::fprintf(stderr, "gui_bench: a process did not report its page loaded\n");
        return 1;
    }
    const double b = median(blankTimes);
    const double p = median(programTimes);
    row(QStringLiteral("Start: bare QWebEngineView, blank page loaded (median)"),
        ms(b) + spread(blankTimes, "runs"));
    row(QStringLiteral("Start: trailkeep, start page loaded (median)"),
        ms(p) + spread(programTimes, "runs"));
    row(QStringLiteral("Start ratio trailkeep / bare view"), QString::number(p / b, 'f', 2),
        QStringLiteral("<= 1.2"));
    // The same bare view with the browser started as the program starts it (without the GPU:
    // no OpenGL): what the program's own work costs beside that choice.
    const double a = median(alikeTimes);
    row(QStringLiteral("Start: bare view, browser started as the program starts it (median)"),
        ms(a) + spread(alikeTimes, "runs"));
    row(QStringLiteral("Start ratio trailkeep / that bare view"), QString::number(p / a, 'f', 2));
    return 0;
}

} // namespace guibench
