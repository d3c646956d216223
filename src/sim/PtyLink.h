// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/LoggerModel.h"

#include <chrono>
#include <csignal>
#include <ostream>
#include <string>

namespace tk::sim {

struct LinkOptions {
    bool pace = false;
    std::ostream* log = nullptr; // receives every byte the program sends
    // Quiet time after which a half-done upgrade transfer is abandoned.
    std::chrono::milliseconds upgradeIdle{2000};
};

// The logger's end of a pseudo-terminal. The simulator keeps the slave side open itself, so the
// master never sees a hang-up when a program closes the port between exchanges.
class PtyLink {
public:
    PtyLink(); // throws std::system_error
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    const std::string& portPath() const { return path_; }

    // Answers the program until stop is set; waitMask is the signal mask while waiting, so a
    // blocked stop signal can interrupt the wait.
    void serve(LoggerModel& model, const LinkOptions& options,
               const volatile std::sig_atomic_t& stop, const sigset_t* waitMask);

private:
    bool readInput(LoggerModel& model, const LinkOptions& options);

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

} // namespace tk::sim
