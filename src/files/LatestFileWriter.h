// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tk {

// Keeps one file up to date from a thread of its own, so that making and syncing a large file
// never holds up its caller. Only the newest content matters: content asked for while an earlier
// one waits replaces it, and the file always ends with what was asked last. Each write goes
// through writeFileAtomically, so readers see the old file or the new one, never a mix.
class LatestFileWriter {
public:
    explicit LatestFileWriter(std::string path);
    // Finishes what was asked before returning.
    ~LatestFileWriter();
    LatestFileWriter(const LatestFileWriter&) = delete;
    LatestFileWriter& operator=(const LatestFileWriter&) = delete;

    // Makes the content on the writer's thread and writes it; empty content writes nothing.
    void write(std::function<std::string()> content);
    // Waits until everything asked so far is on the disk. Returns the error text of the last
    // write (empty when it succeeded or nothing was written yet).
    std::string finish();

    const std::string& path() const { return path_; }

private:
    void run();

    const std::string path_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<std::string()> pending_;
    bool busy_ = false;
    bool stopping_ = false;
    std::string lastError_;
    std::thread thread_;
};

} // namespace tk
