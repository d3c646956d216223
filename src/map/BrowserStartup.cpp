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

QtMessageHandler previousHandler = nullptr;

// The browser's request for an OpenGL share context then fails, as intended, and it finds no
// OpenGL scene to hand its pictures to: neither is worth a warning.
void dropRefusedOpenGl(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QLatin1String("QXcbIntegration: Cannot create platform OpenGL context")) ||
        text.startsWith(QLatin1String("No suitable graphics backend found")))
        return;
    previousHandler(type, context, text); // Qt's own handler when none was installed
}

// A browser without the GPU composes its pictures in software already, and the widgets are
// painted in software too: handing the pictures to an OpenGL scene, or opening the OpenGL share
// context the browser asks for, would load an OpenGL driver for nothing (under X without a GPU,
// a software one of some 35 MB that takes a tenth of a second to start). Choices the user made
// in the environment stay.
void drawWithoutOpenGl() {
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") &&
        qEnvironmentVariableIsEmpty("QSG_RHI_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION")) {
        qputenv("QT_XCB_GL_INTEGRATION", "none");
        previousHandler = qInstallMessageHandler(dropRefusedOpenGl);
    }
}

// Whether the browser was told to draw without the GPU (--disable-gpu in
// QTWEBENGINE_CHROMIUM_FLAGS or among the program's arguments).
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

} // namespace

void prepareEmbeddedBrowser(int argc, char** argv) {
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    TileSchemeHandler::registerScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (browserDrawsWithoutGpu(argc, argv))
        drawWithoutOpenGl();
}
