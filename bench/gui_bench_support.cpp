// SPDX-License-Identifier: GPL-3.0-or-later
#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

#include "app/CMainFrame.h"
#include "gui_bench.h"
#include "map/CMapView.h"

namespace guibench {

double epochMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(system_clock::now().time_since_epoch()).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

void row(const QString& figure, const QString& value, const QString& goal) {
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

QString spread(const std::vector<double>& v, const char* what) {
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return QStringLiteral(" (%1-%2, %3 %4)")
        .arg(*lo, 0, 'f', 0)
        .arg(*hi, 0, 'f', 0)
        .arg(v.size())
        .arg(QString::fromLatin1(what));
}

} // namespace guibench
