// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

class CMainFrame;
class CTrailkeepApp;
class QWebEnginePage;

// What the window's timings share: the clock, the table rows they print, waiting on the event
// loop, and the figures each file of gui_bench measures.
namespace guibench {

double epochMs();
double median(std::vector<double> v);
// Prints a table row: | figure | value | goal |.
void row(const QString& figure, const QString& value, const QString& goal = QStringLiteral(""));
QString ms(double v);
// " (lo-hi, n what)" of the figures.
QString spread(const std::vector<double>& v, const char* what);

// Runs the event loop until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& condition, int timeoutMs);
void pause(int ms);
// Asks the page a question again and again (one at a time) until the answer satisfies accept.
QVariant askPage(QWebEnginePage* page, const QString& script,
                 const std::function<bool(const QVariant&)>& accept, int timeoutMs);
bool startPageReady(CMainFrame& frame, int timeoutMs);

// Start to start page loaded (gui_bench_start.cpp): the two processes that are timed, and the
// figure of RUNS of each.
int runBlank();
int runProgram(const QString& moduleDir);
int runStart(const QString& moduleDir, int runs);

// Memory of every process of the program (gui_bench_memory.cpp).
void reportMemory();

// A Read of the whole memory (gui_bench_read.cpp); false when it did not list it all.
bool timeRead(CMainFrame& frame, CTrailkeepApp& app);

// Clicks on the track list and Show all (gui_bench_clicks.cpp); the milliseconds to the first
// row's line drawn, or -1.
double clickFirstRowLineMs(CMainFrame& frame);
bool timeShowAll(CMainFrame& frame, int runs);
bool timeClicks(CMainFrame& frame, CTrailkeepApp& app, int runs);

} // namespace guibench
