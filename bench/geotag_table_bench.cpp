// SPDX-License-Identifier: GPL-3.0-or-later
// The geotag dialog's table over a folder of photos, in the real main window (offscreen):
//   geotag_table_bench BIN_DIR PROJECT.gpl FOLDER
// prints the time from the folder being chosen to every row of the table filled (times,
// positions or reasons), and to every thumbnail shown.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

#include "app/CMainFrame.h"
#include "app/CTrailkeepApp.h"
#include "app/GeotagCommand.h"
#include "photos/CGeotagDlg.h"
#include "photos/PhotoTableModel.h"
#include "tracks/ProjectFile.h"

namespace {

template <typename Condition> bool waitFor(Condition condition, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < limitMs) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return condition();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: geotag_table_bench BIN_DIR PROJECT.gpl FOLDER\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    QApplication application(argc, argv);
    CTrailkeepApp app(
        {QString::fromLocal8Bit(argv[1]) + QLatin1Char('/'), QStringLiteral("/dev/null"), false});
    CMainFrame frame(app);
    frame.show();
    if (!frame.openFile(QString::fromLocal8Bit(argv[2])))
        return 1;
    frame.geotag()->open();
    CGeotagDlg* dialog = frame.geotag()->dialog();
    waitFor([] { return false; }, 500); // the dialog and its map page settle first

    QElapsedTimer clock;
    clock.start();
    bool read = false;
    QObject::connect(dialog, &CGeotagDlg::photosRead, [&] { read = true; });
    dialog->addPaths({QString::fromLocal8Bit(argv[3])});
    waitFor([&] { return read; }, 60000);
    const qint64 tableMs = clock.elapsed();
    PhotoTableModel* model = dialog->model();
    const int rows = model->rowCount();
    long tagged = 0;
    for (const auto& r : dialog->results())
        tagged += r.status == tk::photos::PhotoStatus::wouldTag;
    waitFor(
        [&] {
            for (int row = 0; row < rows; ++row)
                if (model->thumbnail(row).isNull())
                    return false;
            return true;
        },
        600000);
    std::printf("table of %d photos (%ld to tag) filled in %lld ms after the folder was chosen "
                "(goal 1000 ms); every thumbnail shown after %lld ms\n",
                rows, tagged, static_cast<long long>(tableMs),
                static_cast<long long>(clock.elapsed()));
    return 0;
}
