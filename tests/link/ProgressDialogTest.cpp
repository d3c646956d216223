// SPDX-License-Identifier: GPL-3.0-or-later
#include <QProgressBar>
#include <QPushButton>

#include "demo/DemoMemory.h"
#include "e2e/SimProcess.h"
#include "link/ProgressDialog.h"
#include "panel/TrackPanel.h"
#include "panel/TrackList.h"
#include "session/TrackSession.h"
#include "support/qt/ModalAnswer.h"
#include "support/qt/ProgramFixture.h"

#include <chrono>

namespace {

using tk::e2e::SimProcess;

class ReadTest : public ProgramFixture {
protected:
    ProgressDialog* dialog() const {
        return frame_->findChild<ProgressDialog*>(QStringLiteral("progressDialog"));
    }
    int rows() const { return frame_->panel()->trackList()->rowCount(); }
};

TEST_F(ReadTest, ReadsTheLoggerAndListsItsTracks) {
    SimProcess sim({"--demo"});
    ASSERT_FALSE(sim.port().empty());
    CMainFrame& frame = start(QString::fromStdString(sim.port()));
    ModalAnswer answer;
    QString title;
    whenShown<ProgressDialog>(
        [this] { return dialog() && dialog()->isVisible() ? dialog() : nullptr; },
        [&](ProgressDialog* shown) { title = shown->windowTitle(); });
    frame.actions().read->trigger();
    EXPECT_EQ(title, "GetData");
    ASSERT_EQ(answer.texts(), QStringList{"Receive Completed"});
    EXPECT_EQ(rows(), tk::DemoOptions{}.trips);
    EXPECT_EQ(dialog()->progressBar()->value(), app_->session().pageBuffer().pageCount);
    EXPECT_FALSE(dialog()->isVisible());
}

TEST_F(ReadTest, DialogCannotBeClosedByKeysOrTheCloseBox) {
    SimProcess sim({"--demo", "--pace"});
    ASSERT_FALSE(sim.port().empty());
    CMainFrame& frame = start(QString::fromStdString(sim.port()));
    ModalAnswer answer;
    bool stillOpen = false;
    // Once the download is under way.
    const auto downloading = [this]() -> ProgressDialog* {
        ProgressDialog* shown = dialog();
        return shown && shown->isVisible() && shown->progressBar()->value() > 0 ? shown : nullptr;
    };
    whenShown<ProgressDialog>(downloading, [&](ProgressDialog*) {
        QTest::keyClick(dialog(), Qt::Key_Escape);
        QTest::keyClick(dialog(), Qt::Key_Return);
        dialog()->close();
        stillOpen = dialog()->isVisible();
        dialog()->cancelButton()->click();
    });
    frame.actions().read->trigger();
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(answer.texts().size(), 1);
    EXPECT_TRUE(answer.texts().first().startsWith("Download incomplete"))
        << answer.texts().first().toStdString();
}

TEST_F(ReadTest, SilentLoggerEndsAsIncompleteAndKeepsWhatArrived) {
    SimProcess sim({"--demo", "--silent-after", "500"});
    ASSERT_FALSE(sim.port().empty());
    CMainFrame& frame = start(QString::fromStdString(sim.port()));
    ModalAnswer answer;
    const auto started = std::chrono::steady_clock::now();
    frame.actions().read->trigger();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_LT(seconds, 12.0);
    ASSERT_EQ(answer.texts().size(), 1);
    EXPECT_TRUE(answer.texts().first().startsWith("Download incomplete: 500 of"))
        << answer.texts().first().toStdString();
    EXPECT_GT(rows(), 0);
}

TEST_F(ReadTest, NoLoggerLosesNothingAlreadyLoaded) {
    CMainFrame& frame = start(QStringLiteral("/dev/tk-no-such-port"));
    app_->connector().setLastPort("/dev/tk-no-such-port-either");
    app_->session().loadMemory(tk::makeDemoMemory());
    const int before = rows();
    ModalAnswer answer;
    frame.actions().read->trigger();
    EXPECT_EQ(answer.texts(), QStringList{"Get Uart Failed"});
    EXPECT_EQ(rows(), before);
    EXPECT_FALSE(app_->session().track(0)->points.empty());
}

} // namespace
