// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A program folder of its own for each widget test: a copy of the built pages, libraries and
// language file in a temporary folder, with the program's state and main window over it.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "app/CMainFrame.h"
#include "app/CTrailkeepApp.h"
#include "demo/DemoMemory.h"
#include "map/CMapView.h"
#include "map/MapPage.h"
#include "panel/TrackList.h"
#include "panel/TrackPanel.h"
#include "support/qt/Wait.h"
#include "ui/Prompts.h"

inline void copyProgramPages(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        const QString relative = QDir(from).relativeFilePath(file.absoluteFilePath());
        if (file.isExecutable() || relative == QLatin1String("data.js"))
            continue;
        QDir().mkpath(QFileInfo(to + relative).absolutePath());
        QFile::copy(file.absoluteFilePath(), to + relative);
    }
}

// File dialogs answered by the test.
class ScriptedPrompts : public Prompts {
public:
    QString openAnswer;
    QString saveAnswer;
    QStringList openFilesAnswer;
    QString folderAnswer;
    QStringList filters;

    QString openFileName(QWidget*, const QString& filter) override {
        filters << filter;
        return openAnswer;
    }
    QString saveFileName(QWidget*, const QString& filter) override {
        filters << filter;
        return saveAnswer;
    }
    QStringList openFileNames(QWidget*, const QString& filter) override {
        filters << filter;
        return openFilesAnswer;
    }
    QString folderName(QWidget*) override { return folderAnswer; }
};

class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        moduleDir_ = folder_.path() + QLatin1Char('/');
        copyProgramPages(QStringLiteral(TK_BIN_DIR), moduleDir_);
        Prompts::install(&prompts_);
    }
    void TearDown() override {
        Prompts::install(nullptr);
        frame_.reset();
        app_.reset();
    }

    // Writes language.ini with the given setting (keeping the shipped texts).
    void setLanguageSetting(int value) {
        const QString path = moduleDir_ + QStringLiteral("language.ini");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(file.readAll());
        file.close();
        text.replace(QStringLiteral("Language=0"), QStringLiteral("Language=%1").arg(value));
        writeText(QStringLiteral("language.ini"), text.toUtf8());
    }

    void writeText(const QString& name, const QByteArray& bytes) {
        QFile file(moduleDir_ + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    CMainFrame& start(const QString& preferredPort = QStringLiteral("/dev/null-no-logger")) {
        app_ = std::make_unique<CTrailkeepApp>(
            CTrailkeepApp::Options{moduleDir_, preferredPort, false});
        frame_ = std::make_unique<CMainFrame>(*app_);
        frame_->show();
        waitForStartPage();
        return *frame_;
    }

    // The start page loads once at start; tests begin when it is up.
    void waitForStartPage() {
        struct Probe {
            bool asked = false;
            bool complete = false;
        };
        auto probe = std::make_shared<Probe>();
        waitUntil(
            [&] {
                if (!probe->asked) {
                    probe->asked = true;
                    frame_->mapView()->page()->runJavaScript(
                        QStringLiteral("!!window.map && !!window.L"), [probe](const QVariant& v) {
                            probe->complete = v.toBool();
                            probe->asked = false;
                        });
                }
                return probe->complete;
            },
            20000);
    }

    QString path(const QString& name) const { return moduleDir_ + name; }

    // data.js once the program has written the selected track into it (empty when there is none).
    QByteArray writtenDataJs() const {
        app_->mapPage().finishDataJs();
        QFile file(path(QStringLiteral("data.js")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Lists the demo trips, clicks the first and answers whether its page finished drawing.
    bool showFirstDemoTrack() {
        app_->session().loadMemory(tk::makeDemoMemory());
        TrackList* list = frame_->panel()->trackList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0, 1)).center());
        return waitUntil(
            [&] {
                return evaluateIn(frame_->mapView()->page(),
                                  "window.tkPage && window.tkPage.ready === true")
                    .toBool();
            },
            20000);
    }

    QTemporaryDir folder_;
    QString moduleDir_;
    ScriptedPrompts prompts_;
    std::unique_ptr<CTrailkeepApp> app_;
    std::unique_ptr<CMainFrame> frame_;
};
