// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include "map/BrowserStartup.h"

#include <gtest/gtest.h>

// Widget tests run on the offscreen platform with the real embedded browser; as root the
// browser needs its sandbox off.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    ::testing::InitGoogleTest(&argc, argv);
    prepareEmbeddedBrowser(argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
