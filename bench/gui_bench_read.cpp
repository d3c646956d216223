// SPDX-License-Identifier: GPL-3.0-or-later
// A Read of the whole memory from the logger: the command to the rows listed, and how the
// window kept up meanwhile.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>

#include "app/CMainFrame.h"
#include "app/CTrailkeepApp.h"
#include "gui_bench.h"
#include "panel/TrackList.h"
#include "panel/TrackPanel.h"

namespace guibench {
namespace {

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

} // namespace

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

} // namespace guibench
