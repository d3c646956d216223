// SPDX-License-Identifier: GPL-3.0-or-later
// The background-job runner: results and progress back on the window's thread, one job at a
// time, cancel seen by the job, and a runner destroyed mid-job that stops and waits for it.
#include "ui/JobRunner.h"
#include "support/qt/Wait.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace {

TEST(JobRunner, ResultsAndProgressComeBackInOrderOnTheRunnersThread) {
    JobRunner runner;
    QSignalSpy progressed(&runner, &JobRunner::progressed);
    std::vector<int> seen;
    Qt::HANDLE jobThread = nullptr;
    std::string result;
    bool doneOnOwnThread = false;
    const bool started = runner.run(
        [&](const JobControl& control) {
            jobThread = QThread::currentThreadId();
            for (int i = 1; i <= 100000; ++i)
                control.progress(i, 100000);
            control.post([&] { seen.push_back(-1); });
            return std::string("downloaded");
        },
        [&](std::string value) {
            result = std::move(value);
            doneOnOwnThread = QThread::currentThread() == runner.thread();
        });
    ASSERT_TRUE(started);
    EXPECT_TRUE(runner.busy());
    EXPECT_FALSE(runner.run([] { return 1; }, [](int) {})) << "one job at a time";
    ASSERT_TRUE(waitUntil([&] { return !result.empty(); }));
    EXPECT_EQ(result, "downloaded");
    EXPECT_TRUE(doneOnOwnThread);
    EXPECT_NE(jobThread, QThread::currentThreadId());
    ASSERT_GE(progressed.count(), 1);
    EXPECT_LT(progressed.count(), 1000) << "a flood of reports is folded, not queued one by one";
    for (qsizetype i = 1; i < progressed.count(); ++i)
        EXPECT_GT(progressed.at(i).at(0).toInt(), progressed.at(i - 1).at(0).toInt());
    EXPECT_EQ(progressed.last().at(0).toInt(), 100000)
        << "the newest report arrives before the result";
    EXPECT_EQ(progressed.last().at(1).toInt(), 100000);
    EXPECT_EQ(seen, std::vector<int>{-1});
    EXPECT_FALSE(runner.busy());

    bool again = false;
    ASSERT_TRUE(runner.run([] {}, [&] { again = true; })) << "free again once done";
    EXPECT_TRUE(waitUntil([&] { return again; }));
}

TEST(JobRunner, CancelReachesTheJobAndADestroyedRunnerWaitsForIt) {
    JobRunner runner;
    std::atomic<bool> running{false};
    int rounds = -1;
    runner.run(
        [&](const JobControl& control) {
            running = true;
            int n = 0;
            while (!control.cancelled())
                ++n;
            return n;
        },
        [&](int n) { rounds = n; });
    ASSERT_TRUE(waitUntil([&] { return running.load(); }));
    runner.cancel();
    ASSERT_TRUE(waitUntil([&] { return rounds >= 0; }));

    auto doomed = std::make_unique<JobRunner>();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    std::atomic<bool> started{false};
    bool doneRan = false;
    doomed->run(
        [&started, ended](const JobControl& control) {
            started = true;
            while (!control.cancelled())
                control.progress(0, 0);
            *ended = true;
        },
        [&] { doneRan = true; });
    ASSERT_TRUE(waitUntil([&] { return started.load(); }));
    doomed.reset();
    EXPECT_TRUE(ended->load()) << "the runner waited for its job to stop";
    QCoreApplication::processEvents();
    EXPECT_FALSE(doneRan) << "no result is delivered to a runner that is gone";
}

} // namespace
