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
// (gui_bench blank and gui_bench program DIR are the two processes that "start" times.)

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/CMainFrame.h"
#include "app/CTrailkeepApp.h"
#include "demo/DemoMemory.h"
#include "link/ProgressDialog.h"
#include "map/BrowserStartup.h"
#include "map/CMapView.h"
#include "panel/TrackList.h"
#include "panel/TrackPanel.h"
#include "tracks/ProjectFile.h"

namespace {

constexpr int kTrackPoints = 22528;

double epochMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(system_clock::now().time_since_epoch()).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

void row(const QString& figure, const QString& value, const QString& goal = QStringLiteral("")) {
    std::printf("| %s | %s | %s |\n", qPrintable(figure), qPrintable(value), qPrintable(goal));
    std::fflush(stdout);
}

QString ms(double v) {
    return QStringLiteral("%1 ms").arg(v, 0, 'f', 0);
}

// Runs the event loop until the condition holds or the time is up. A real event loop, not
// QTest::qWaitFor: that one sleeps between rounds of events, which starves the embedded browser
// (its browser side runs on this thread) and makes every page load several times slower.
bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    QTimer deadline;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (condition())
            loop.quit();
    });
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(2);
    deadline.setSingleShot(true);
    deadline.start(timeoutMs);
    loop.exec();
    return condition();
}

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Asks the page a question again and again (one at a time) until the answer satisfies accept.
QVariant askPage(QWebEnginePage* page, const QString& script,
                 const std::function<bool(const QVariant&)>& accept, int timeoutMs) {
    struct Probe {
        bool pending = false;
        bool done = false;
        QVariant answer;
    };
    auto probe = std::make_shared<Probe>();
    waitFor(
        [&] {
            if (!probe->pending && !probe->done) {
                probe->pending = true;
                page->runJavaScript(script, [probe, accept](const QVariant& v) {
                    probe->pending = false;
                    if (accept(v)) {
                        probe->done = true;
                        probe->answer = v;
                    }
                });
            }
            return probe->done;
        },
        timeoutMs);
    return probe->answer;
}

bool startPageReady(CMainFrame& frame, int timeoutMs) {
    return askPage(
               frame.mapView()->page(), QStringLiteral("!!window.map && !!window.L"),
               [](const QVariant& v) { return v.toBool(); }, timeoutMs)
        .toBool();
}

// ---- start to start page loaded -----------------------------------------------------------

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

int runStart(const QString& moduleDir, int runs) {
    const QStringList blank{QStringLiteral("blank")};
    const QStringList program{QStringLiteral("program"), moduleDir};
    timeProcess(blank); // warm the disk cache for both
    timeProcess(program);
    std::vector<double> blankTimes;
    std::vector<double> programTimes;
    for (int i = 0; i < runs; ++i) {
        blankTimes.push_back(timeProcess(blank));
        programTimes.push_back(timeProcess(program));
    }
    if (std::count(blankTimes.begin(), blankTimes.end(), -1.0) ||
        std::count(programTimes.begin(), programTimes.end(), -1.0)) {
        std::fprintf(stderr, "gui_bench: a process did not report its page loaded\n");
        return 1;
    }
    const double b = median(blankTimes);
    const double p = median(programTimes);
    const auto range = [](const std::vector<double>& v) {
        const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
        return QStringLiteral(" (%1-%2, %3 runs)")
            .arg(*lo, 0, 'f', 0)
            .arg(*hi, 0, 'f', 0)
            .arg(v.size());
    };
    row(QStringLiteral("Start: bare QWebEngineView, blank page loaded (median)"),
        ms(b) + range(blankTimes));
    row(QStringLiteral("Start: trailkeep, start page loaded (median)"),
        ms(p) + range(programTimes));
    row(QStringLiteral("Start ratio trailkeep / bare view"), QString::number(p / b, 'f', 2),
        QStringLiteral("<= 1.2"));
    return 0;
}

// ---- memory of the program's processes ----------------------------------------------------

std::map<int, int> parentsOfProcesses() {
    std::map<int, int> parents;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const int pid = name.toInt(&isPid);
        if (!isPid)
            continue;
        std::ifstream stat("/proc/" + name.toStdString() + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), {});
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(text.substr(close + 2));
        char state = 0;
        int ppid = 0;
        rest >> state >> ppid;
        parents[pid] = ppid;
    }
    return parents;
}

long rollupKb(int pid, const std::string& key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + ":", 0) == 0)
            return std::stol(line.substr(key.size() + 1));
    return 0;
}

void reportMemory() {
    const std::map<int, int> parents = parentsOfProcesses();
    std::vector<int> family{static_cast<int>(QCoreApplication::applicationPid())};
    for (std::size_t i = 0; i < family.size(); ++i)
        for (const auto& [pid, ppid] : parents)
            if (ppid == family[i])
                family.push_back(pid);
    long pss = 0;
    long rss = 0;
    for (int pid : family) {
        pss += rollupKb(pid, "Pss");
        rss += rollupKb(pid, "Rss");
    }
    row(QStringLiteral("Memory, full memory loaded and a track shown (%1 processes)")
            .arg(family.size()),
        QStringLiteral("PSS %1 MB, RSS sum %2 MB (program alone: PSS %3 MB)")
            .arg(pss / 1024)
            .arg(rss / 1024)
            .arg(rollupKb(family.front(), "Pss") / 1024),
        QStringLiteral("<= 250 MB PSS"));
}

// ---- one window: Read, a track shown, clicks ----------------------------------------------

// Watches the event loop and the progress window while a Read runs.
struct ReadWatch : QObject {
    CMainFrame& frame;
    QTimer ticker;
    double lastTick = 0;
    double maxTickGap = 0;
    double rowsAt = 0;
    double lastPaint = 0;
    double maxPaintGap = 0;
    int paints = 0;
    QStringList messages;

    explicit ReadWatch(CMainFrame& f) : frame(f) {
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout, [this] { tick(); });
        qApp->installEventFilter(this);
    }
    ~ReadWatch() override { qApp->removeEventFilter(this); }

    void tick() {
        const double now = epochMs();
        if (lastTick > 0)
            maxTickGap = std::max(maxTickGap, now - lastTick);
        lastTick = now;
        if (rowsAt == 0 && frame.panel()->trackList()->rowCount() > 0)
            rowsAt = now;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                messages << box->text();
                box->buttons().value(0)->click();
            }
    }

    // Paints of the progress bar once the pages are coming in.
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* bar = qobject_cast<QProgressBar*>(object);
        if (event->type() == QEvent::Paint && bar && bar->value() > 0 && rowsAt == 0) {
            const double now = epochMs();
            if (lastPaint > 0)
                maxPaintGap = std::max(maxPaintGap, now - lastPaint);
            lastPaint = now;
            ++paints;
        }
        return false;
    }
};

bool timeRead(CMainFrame& frame, CTrailkeepApp& app) {
    ReadWatch watch(frame);
    watch.ticker.start();
    const double started = epochMs();
    frame.actions().read->trigger(); // returns once the dialog and its message have closed
    waitFor([&] { return watch.rowsAt > 0; }, 1000);
    watch.ticker.stop();
    const int pages = app.session().pageBuffer().pageCount;
    row(QStringLiteral("Read of %1 pages, command to %2 rows listed (1 s start delay included)")
            .arg(pages)
            .arg(frame.panel()->trackList()->rowCount()),
        ms(watch.rowsAt - started), QStringLiteral("< 3000 ms"));
    row(QStringLiteral("Read: longest pause of the event loop (5 ms timer)"), ms(watch.maxTickGap));
    row(QStringLiteral("Read: progress bar repaints while pages came in, longest gap"),
        QStringLiteral("%1 paints, %2").arg(watch.paints).arg(ms(watch.maxPaintGap)));
    row(QStringLiteral("Read: message"), watch.messages.join(QStringLiteral(" / ")));
    return watch.rowsAt > 0 && pages == 2048;
}

struct Drawn {
    double lineMs = -1;
    double profileMs = -1;
    double arrivedMs = -1; // the track reached the page's script
    int vertices = 0;
    int profilePoints = 0;
};

// Clicks the first row and waits for the page to draw the line and the profile anew (the page on
// show draws it, or a page loaded for it); the page's stamps are performance.now() values, turned
// into wall-clock time with its timeOrigin.
Drawn clickFirstRow(CMainFrame& frame) {
    TrackList* list = frame.panel()->trackList();
    const QPoint at = list->visualItemRect(list->item(0, 1)).center();
    const double clicked = epochMs();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    const QString script = QStringLiteral(
        "(function(){var p=window.tkPage;if(!p||!p.ready)return null;"
        "return [performance.timeOrigin, p.lineDrawnMs, p.profileDrawnMs, p.lineVertices,"
        " p.profilePoints, p.trackArrivedMs || p.lineDrawnMs];})()");
    const QVariantList answer =
        askPage(
            frame.mapView()->page(), script,
            [clicked](const QVariant& v) {
                const QVariantList l = v.toList();
                return l.size() == 6 && l[0].toDouble() + l[1].toDouble() >= clicked;
            },
            20000)
            .toList();
    Drawn drawn;
    if (answer.size() == 6) {
        drawn.arrivedMs = answer[0].toDouble() + answer[5].toDouble() - clicked;
        drawn.lineMs = answer[0].toDouble() + answer[1].toDouble() - clicked;
        drawn.profileMs = answer[0].toDouble() + answer[2].toDouble() - clicked;
        drawn.vertices = answer[3].toInt();
        drawn.profilePoints = answer[4].toInt();
    }
    return drawn;
}

// The page's all-tracks view as [timeOrigin, drawn stamp, lines, vertices], once it shows the
// given number of tracks drawn after the wall-clock time since.
QVariantList overviewDrawn(CMainFrame& frame, int tracks, double since) {
    const QString script =
        QStringLiteral(
            "(function(){var p=window.tkPage;if(!p||p.overviewTracks.length!==%1||"
            "p.overviewDrawnMs===null)return null;var v=0;p.map.eachLayer(function(l){"
            "if(l instanceof L.Polyline&&l.options.interactive)v+=l.getLatLngs().length;"
            "});return [performance.timeOrigin,p.overviewDrawnMs,p.overviewLines,v];})()")
            .arg(tracks);
    return askPage(
               frame.mapView()->page(), script,
               [since](const QVariant& v) {
                   const QVariantList l = v.toList();
                   return l.size() == 4 && l[0].toDouble() + l[1].toDouble() >= since;
               },
               20000)
        .toList();
}

// Show none, then Show all clicked and timed to the page's stamp of every line drawn (taken once
// the frame with them has been painted).
bool timeShowAll(CMainFrame& frame, int runs) {
    auto* all = frame.panel()->findChild<QPushButton*>(QStringLiteral("showAllButton"));
    auto* none = frame.panel()->findChild<QPushButton*>(QStringLiteral("showNoneButton"));
    const int tracks = frame.panel()->trackList()->rowCount();
    std::vector<double> times;
    QVariantList last;
    for (int i = 0; i < runs; ++i) {
        // Show none redraws nothing when nothing is checked (the first round).
        QTest::mouseClick(none, Qt::LeftButton);
        if (overviewDrawn(frame, 0, 0).isEmpty())
            return false;
        pause(300);
        const double clicked = epochMs();
        QTest::mouseClick(all, Qt::LeftButton);
        last = overviewDrawn(frame, tracks, clicked);
        if (last.isEmpty())
            return false;
        times.push_back(last[0].toDouble() + last[1].toDouble() - clicked);
        pause(300);
    }
    const auto [lo, hi] = std::minmax_element(times.begin(), times.end());
    row(QStringLiteral("Show all on the full memory: %1 tracks (%2 thinned lines, %3 vertices, "
                       "the clicked one in full) to every line drawn (median)")
            .arg(tracks)
            .arg(last[2].toInt())
            .arg(last[3].toInt()),
        ms(median(times)) + QStringLiteral(" (%1-%2, %3 clicks)")
                                .arg(*lo, 0, 'f', 0)
                                .arg(*hi, 0, 'f', 0)
                                .arg(times.size()),
        QStringLiteral("< 40 ms"));
    return true;
}

// One trip long enough to fill the memory, every fix kept.
void loadLongTrack(CTrailkeepApp& app) {
    tk::DemoOptions options;
    options.trips = 1;
    options.stepSeconds = 1;
    options.glitches = false;
    options.erasedPages = 0;
    options.fixesPerTrip = kTrackPoints;
    const std::vector<std::uint8_t> memory = tk::makeDemoMemory(options);
    tk::PageBuffer buffer;
    tk::TrackTable table;
    tk::TrackDecoder decoder(table);
    tk::loadProject(memory, buffer, decoder);
    // data.js leaves out fixes that did not move in both latitude and longitude (the trip's
    // stops); a step back and forth at those keeps every fix a point of the page.
    if (!table.tracks.empty()) {
        std::vector<tk::TrackPoint>& points = table.tracks[0].points;
        constexpr double kStep = 0.00002;
        for (std::size_t i = 1; i < points.size(); ++i) {
            const double sign = i % 2 ? 1.0 : -1.0;
            if (std::fabs(points[i].latitude - points[i - 1].latitude) < kStep)
                points[i].latitude = points[i - 1].latitude + sign * kStep;
            if (std::fabs(points[i].longitude - points[i - 1].longitude) < kStep)
                points[i].longitude = points[i - 1].longitude + sign * kStep;
        }
    }
    app.session().takeDownload(std::move(buffer), std::move(table));
}

bool timeClicks(CMainFrame& frame, CTrailkeepApp& app, int runs) {
    loadLongTrack(app);
    const tk::Track* track = app.session().track(0);
    const std::size_t points = track ? track->points.size() : 0;
    std::vector<double> line;
    std::vector<double> profile;
    std::vector<double> arrived;
    Drawn last;
    for (int i = 0; i < runs; ++i) {
        last = clickFirstRow(frame);
        if (last.lineMs < 0)
            return false;
        line.push_back(last.lineMs);
        profile.push_back(last.profileMs);
        arrived.push_back(last.arrivedMs);
        pause(300);
    }
    const auto spread = [](const std::vector<double>& v) {
        const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
        return QStringLiteral(" (%1-%2, %3 clicks)")
            .arg(*lo, 0, 'f', 0)
            .arg(*hi, 0, 'f', 0)
            .arg(v.size());
    };
    row(QStringLiteral("Click on a %1-point track to the track in the page's script (median)")
            .arg(points),
        ms(median(arrived)) + spread(arrived));
    row(QStringLiteral("Click on a %1-point track to the line drawn (median; %2 line vertices)")
            .arg(points)
            .arg(last.vertices),
        ms(median(line)) + spread(line), QStringLiteral("< 50 ms"));
    row(QStringLiteral("Click to the profile drawn (median; %1 profile points)")
            .arg(last.profilePoints),
        ms(median(profile)) + spread(profile), QStringLiteral("< 80 ms"));
    return true;
}

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
    if (clickFirstRow(frame).lineMs < 0) {
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
    // The bare view starts as Qt's examples do; the program as its own main starts it.
    if (argc > 1 && std::strcmp(argv[1], "blank") == 0)
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
    if (mode == QLatin1String("blank"))
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
