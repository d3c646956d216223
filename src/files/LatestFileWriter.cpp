// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/LatestFileWriter.h"

#include "files/AtomicFile.h"

namespace tk {

LatestFileWriter::LatestFileWriter(std::string path)
    : path_(std::move(path)), thread_([this] { run(); }) {}

LatestFileWriter::~LatestFileWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void LatestFileWriter::write(std::function<std::string()> content) {
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(content);
    }
    changed_.notify_all();
}

std::string LatestFileWriter::finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !pending_ && !busy_; });
    return lastError_;
}

void LatestFileWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return pending_ || stopping_; });
        if (!pending_)
            return;
        const std::function<std::string()> make = std::move(pending_);
        pending_ = nullptr;
        busy_ = true;
        lock.unlock();
        const std::string content = make();
        const std::string error =
            content.empty() ? std::string() : writeFileAtomically(path_, content);
        lock.lock();
        busy_ = false;
        if (!content.empty())
            lastError_ = error;
        changed_.notify_all();
    }
}

} // namespace tk
