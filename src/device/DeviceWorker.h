// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>
#include <type_traits>

// Runs one logger exchange at a time on a thread of its own, so the window stays responsive
// while the exchange waits on the line. The result comes back as a value on the thread that
// owns the worker (the GUI thread). An exchange never touches a widget; the serial port it opens
// is created, used and destroyed on the exchange's thread.
class DeviceWorker : public QObject {
    Q_OBJECT
public:
    explicit DeviceWorker(QObject* parent = nullptr);
    ~DeviceWorker() override; // waits for a running exchange to end

    bool busy() const { return thread_ != nullptr; }

    // Runs job() on a new thread, then done(result) on the worker's thread. One at a time: a
    // call while an exchange runs is ignored and answers false.
    template <class Job, class Done> bool run(Job job, Done done) {
        using Result = std::invoke_result_t<Job&>;
        auto result = std::make_shared<Result>();
        return start([job = std::move(job), result]() mutable { *result = job(); },
                     [result, done = std::move(done)]() mutable { done(std::move(*result)); });
    }

    // Runs f on the worker's thread, later; callable from the exchange (progress reports).
    void post(std::function<void()> f);

private:
    bool start(std::function<void()> job, std::function<void()> finished);

    QThread* thread_ = nullptr; // a child of the worker while it runs
};
