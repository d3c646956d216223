// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/JobRunner.h"

#include <QMetaObject>

#include <mutex>
#include <utility>

// A job's newest progress, and whether a report of it is already on its way to the runner.
struct JobProgress {
    std::mutex mutex;
    int done = 0;
    int total = 0;
    bool queued = false;
};

void JobControl::progress(int done, int total) const {
    {
        std::lock_guard lock(progress_->mutex);
        progress_->done = done;
        progress_->total = total;
        if (std::exchange(progress_->queued, true))
            return;
    }
    JobRunner* runner = &runner_;
    runner_.post([runner, state = progress_] {
        std::unique_lock lock(state->mutex);
        state->queued = false;
        const int newestDone = state->done;
        const int newestTotal = state->total;
        lock.unlock();
        emit runner->progressed(newestDone, newestTotal);
    });
}

void JobControl::post(std::function<void()> f) const {
    runner_.post(std::move(f));
}

JobRunner::JobRunner(QObject* parent) : QObject(parent) {}

JobRunner::~JobRunner() {
    cancel();
    wait();
}

bool JobRunner::start(std::function<void(const JobControl&)> job, std::function<void()> finished) {
    if (thread_)
        return false;
    cancelled_ = std::make_shared<std::atomic<bool>>(false);
    thread_ =
        QThread::create([this, job = std::move(job),
                         control = JobControl(*this, cancelled_, std::make_shared<JobProgress>())] {
            job(control);
        });
    thread_->setParent(this);
    // Queued to this object's thread: QThread::finished is emitted on the job's thread.
    connect(thread_, &QThread::finished, this, [this, finished = std::move(finished)] {
        QThread* ended = std::exchange(thread_, nullptr);
        ended->wait();        // finished comes just before the thread itself is gone
        ended->deleteLater(); // not here: this connection belongs to it
        finished();
    });
    thread_->start();
    return true;
}

void JobRunner::cancel() {
    if (cancelled_)
        cancelled_->store(true);
}

void JobRunner::wait() {
    if (thread_)
        thread_->wait();
}

void JobRunner::post(std::function<void()> f) {
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}
