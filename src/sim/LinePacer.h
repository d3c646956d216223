// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace tk::sim {

// Keeps output to the rate of a serial line (10 bits a byte). Every byte's due time is computed
// from the start of its run, never from the previous write, so late wake-ups do not add up.
class LinePacer {
public:
    using Clock = std::chrono::steady_clock;

    // A new run of bytes at baud. A run that follows on starts when the line falls free; an
    // answer cannot start before the byte it answers (now) has arrived.
    void begin(int baud, bool followsOn, Clock::time_point now);

    // How many bytes of the run have finished on the line by now and are not yet sent.
    std::size_t due(Clock::time_point now) const;
    // When count more bytes will have finished on the line.
    Clock::time_point dueTime(std::size_t count) const;
    void sent(std::size_t count) { runBytes_ += count; }

    int baud() const { return baud_; }

private:
    std::chrono::nanoseconds lineTime(std::uint64_t bytes) const;

    Clock::time_point runStart_{};
    int baud_ = 9600;
    std::uint64_t runBytes_ = 0;
};

} // namespace tk::sim
