// SPDX-License-Identifier: GPL-3.0-or-later
// Faults planted in our own code, run in a process that starts the embedded browser with the same
// sanitizer settings as the widget tests: the run must still report them, so the browser's
// suppressions hide nothing of ours.
#include <QApplication>
#include <QWebEngineView>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

int plantedOverrun(int index) {
    auto* values = new int[4]{1, 2, 3, 4};
    const int value = values[index]; // one past the end when index is 4
    delete[] values;
    return value;
}

void* plantedLeak() {
    void* kept = ::operator new(4096);
    std::memset(kept, 1, 4096);
    return kept;
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view fault = argc > 1 ? argv[1] : "";
    QApplication app(argc, argv);
    QWebEngineView view;
    view.setHtml(QStringLiteral("<p>planted</p>"));
    QObject::connect(&view, &QWebEngineView::loadFinished, &app, &QApplication::quit);
    view.show();
    app.exec();
    if (fault == "overrun")
        std::printf("%d\n", plantedOverrun(argc + 2));
    else if (fault == "leak")
        std::printf("%p\n", plantedLeak());
    return 0;
}
