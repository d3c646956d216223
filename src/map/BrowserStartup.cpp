// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/BrowserStartup.h"

#include <QCoreApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include <cstring>
#include <unistd.h>

#include "map/TileSchemeHandler.h"

namespace {

constexpr char kNoGpu[] = "--disable-gpu";

} // namespace

bool browserDrawsWithoutGpu(int argc, char** argv) {
    if (qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS")
            .split(QLatin1Char(' '), Qt::SkipEmptyParts)
            .contains(QLatin1String(kNoGpu)))
        return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], kNoGpu) == 0)
            return true;
    return false;
}

void prepareEmbeddedBrowser(int argc, char** argv) {
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    TileSchemeHandler::registerScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // A browser without the GPU composes its pictures in software already; handing them to an
    // OpenGL scene would start a software OpenGL driver for nothing, at some 45 MB and a tenth
    // of a second. A backend the user chose stays.
    if (browserDrawsWithoutGpu(argc, argv) && qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") &&
        qEnvironmentVariableIsEmpty("QSG_RHI_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}
