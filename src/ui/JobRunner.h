// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <type_traits>

class JobRunner;
struct JobProgress;

// What a running job sees of its runner: whether it was asked to stop, and ways to report.
class JobControl {
public:
    bool cancelled() const { return cancelled_->load(); }
    // Reports done of total steps; the runner emits progressed(done, total) on its own thread.
    // Reports that come faster than that thread takes them are folded into the newest one, so a
    // job never floods the window's event queue.
    void progress(int done, int total) const;
    // Runs f on the runner's thread, later.
    void post(std::function<void()> f) const;

private:
    friend class JobRunner;
    JobControl(JobRunner& runner, std::shared_ptr<std::atomic<bool>> cancelled,
               std::shared_ptr<JobProgress> progress)
        : runner_(runner), cancelled_(std::move(cancelled)), progress_(std::move(progress)) {}

    JobRunner& runner_;
    std::shared_ptr<std::atomic<bool>> cancelled_;
    std::shared_ptr<JobProgress> progress_;
};

// Runs one job at a time on a thread of its own, so the window stays responsive while the job
// waits on a line or a disk. The result comes back as a value on the thread that owns the runner
// (the window's thread); progress comes back through progressed() and post(). A job never touches
// a widget; whatever it opens (a serial port) is created, used and destroyed on its thread.
class JobRunner : public QObject {
    Q_OBJECT
public:
    explicit JobRunner(QObject* parent = nullptr);
    ~JobRunner() override; // asks a running job to stop and waits for it to end

    bool busy() const { return thread_ != nullptr; }

    // Runs job() or job(const JobControl&) on a new thread, then done(result) (or done() when
    // the job returns nothing) on the runner's thread. One at a time: a call while a job runs is
    // ignored and answers false.
    template <class Job, class Done> bool run(Job job, Done done);

    // Asks the running job to stop; it sees JobControl::cancelled() and ends when it can.
    void cancel();
    // Blocks until the running job has ended; its done() still runs later, from the event loop.
    void wait();
    // Runs f on the runner's thread, later; callable from the job.
    void post(std::function<void()> f);

signals:
    void progressed(int done, int total);

private:
    bool start(std::function<void(const JobControl&)> job, std::function<void()> finished);

    QThread* thread_ = nullptr; // a child of the runner while it runs
    std::shared_ptr<std::atomic<bool>> cancelled_;
};

template <class Job, class Done> bool JobRunner::run(Job job, Done done) {
    constexpr bool takesControl = std::is_invocable_v<Job&, const JobControl&>;
    auto call = [job = std::move(job)](const JobControl& control) mutable {
        if constexpr (takesControl)
            return job(control);
        else
            return job();
    };
    using Result = std::invoke_result_t<decltype(call)&, const JobControl&>;
    if constexpr (std::is_void_v<Result>) {
        return start(std::move(call), std::move(done));
    } else {
        auto result = std::make_shared<Result>();
        return start([call = std::move(call),
                      result](const JobControl& control) mutable { *result = call(control); },
                     [result, done = std::move(done)]() mutable { done(std::move(*result)); });
    }
}
