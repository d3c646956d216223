// SPDX-License-Identifier: GPL-3.0-or-later
// What the configuration dialog's tests share: the simulated logger, the dialog's controls by
// name, running it modally with a script, and firmware images.
#pragma once

#include "device/CConfigDlg.h"
#include "e2e/SimProcess.h"
#include "link/SerialConnector.h"
#include "support/qt/ModalAnswer.h"
#include "ui/Language.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

// Failures print texts, not their UTF-16 units.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using tk::e2e::Bytes;
using tk::e2e::randomImage;
using tk::e2e::TempDir;

const std::string kLanguageFile = std::string(TK_SOURCE_DIR) + "/res/language.ini";
const QString kEnterUpgradeMode = "Press and hold MODE to start and enter upgrading mode";
const QString kClearQuestion =
    "Clearing erases every track on the logger. Clear the logger's memory now?";
const Bytes kOpening = {'A', 'V'}; // probe and settings request when the dialog opens

Bytes bytes(std::initializer_list<int> values) {
    Bytes result;
    for (int v : values)
        result.push_back(static_cast<std::uint8_t>(v));
    return result;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A simulated logger that records every byte it receives.
class Logger {
public:
    explicit Logger(std::vector<std::string> options)
        : sim_(withLog(std::move(options), dir_)), connector_(sim_.port()) {
        EXPECT_FALSE(sim_.port().empty()) << "trailkeep-sim did not start";
    }

    tk::SerialConnector& connector() { return connector_; }
    const std::string& port() const { return sim_.port(); }
    Bytes received() const { return tk::e2e::readBytes(dir_ / "received.bin"); }
    // The simulator writes the flashed image when it stops.
    Bytes flashed() {
        sim_.stop();
        return tk::e2e::readBytes(dir_ / "flashed.bin");
    }

private:
    static std::vector<std::string> withLog(std::vector<std::string> options, const TempDir& dir) {
        options.insert(options.end(), {"--log", (dir / "received.bin").string(), "--firmware-out",
                                       (dir / "flashed.bin").string()});
        return options;
    }

    TempDir dir_;
    tk::e2e::SimProcess sim_;
    tk::SerialConnector connector_;
};

template <class W> W* child(QWidget& dialog, const char* name) {
    W* widget = dialog.findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

QString text(QWidget& dialog, const char* name) {
    return child<QLabel>(dialog, name)->text();
}

bool enabled(QWidget& dialog, const char* name) {
    return child<QWidget>(dialog, name)->isEnabled();
}

void click(QWidget& dialog, const char* name) {
    child<QAbstractButton>(dialog, name)->click();
}

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Save is offered whenever no exchange runs.
void waitUntilIdle(QWidget& dialog, int limitMs = 60000) {
    QElapsedTimer clock;
    clock.start();
    while (!enabled(dialog, "saveButton") && clock.elapsed() < limitMs)
        pause(10);
    EXPECT_TRUE(enabled(dialog, "saveButton")) << "an exchange did not end";
}

// Runs the dialog modally as the main window does; script runs inside its event loop once the
// opening exchange has ended, and the dialog is closed afterwards unless it closed itself.
int runDialog(CConfigDlg& dialog, const std::function<void()>& script = {}) {
    QTimer::singleShot(0, &dialog, [&] {
        waitUntilIdle(dialog);
        if (script)
            script();
        waitUntilIdle(dialog);
        if (dialog.isVisible())
            dialog.reject();
    });
    return dialog.exec();
}

std::vector<std::string> names(const QList<QRadioButton*>& radios) {
    std::vector<std::string> result;
    for (QRadioButton* radio : radios)
        if (radio->isChecked())
            result.push_back(radio->objectName().toStdString());
    return result;
}

std::vector<std::string> checkedRadios(QWidget& dialog) {
    return names(dialog.findChildren<QRadioButton*>());
}

class ConfigDialog : public ::testing::Test {
protected:
    tk::Language language{kLanguageFile};
    TempDir images;
};

} // namespace
