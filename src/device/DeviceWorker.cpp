// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceWorker.h"

#include <QMetaObject>

#include <utility>

DeviceWorker::DeviceWorker(QObject* parent) : QObject(parent) {}

DeviceWorker::~DeviceWorker() {
    if (thread_)
        thread_->wait();
}

bool DeviceWorker::start(std::function<void()> job, std::function<void()> finished) {
    if (thread_)
        return false;
    thread_ = QThread::create(std::move(job));
    thread_->setParent(this);
    // Queued to this object's thread: QThread::finished is emitted on the exchange's thread.
    connect(thread_, &QThread::finished, this, [this, finished = std::move(finished)] {
        QThread* ended = std::exchange(thread_, nullptr);
        ended->wait();        // finished comes just before the thread itself is gone
        ended->deleteLater(); // not here: this connection belongs to it
        finished();
    });
    thread_->start();
    return true;
}

void DeviceWorker::post(std::function<void()> f) {
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}
