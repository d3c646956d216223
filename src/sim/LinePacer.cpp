// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/LinePacer.h"

#include <algorithm>

namespace tk::sim {

namespace {
constexpr std::int64_t kBitsTimesNanos = 10LL * 1000 * 1000 * 1000; // 10 bits a byte, in ns
}

std::chrono::nanoseconds LinePacer::lineTime(std::uint64_t bytes) const {
    return std::chrono::nanoseconds(static_cast<std::int64_t>(bytes) * kBitsTimesNanos / baud_);
}

void LinePacer::begin(int baud, bool followsOn, Clock::time_point now) {
    const Clock::time_point lineFree = runStart_ + lineTime(runBytes_);
    runStart_ = followsOn ? lineFree : std::max(lineFree, now);
    baud_ = baud;
    runBytes_ = 0;
}

std::size_t LinePacer::due(Clock::time_point now) const {
    const std::int64_t elapsed =
        std::chrono::duration_cast<std::chrono::nanoseconds>(now - runStart_).count();
    if (elapsed <= 0)
        return 0;
    const auto finished = static_cast<std::uint64_t>(elapsed * baud_ / kBitsTimesNanos);
    return finished > runBytes_ ? static_cast<std::size_t>(finished - runBytes_) : 0;
}

LinePacer::Clock::time_point LinePacer::dueTime(std::size_t count) const {
    const std::uint64_t bytes = runBytes_ + count;
    // Round up so that at the returned time the bytes really are due.
    const auto ns = (static_cast<std::int64_t>(bytes) * kBitsTimesNanos + baud_ - 1) / baud_;
    return runStart_ + std::chrono::nanoseconds(ns);
}

} // namespace tk::sim
