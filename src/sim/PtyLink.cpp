// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/PtyLink.h"

#include "sim/LinePacer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace tk::sim {

namespace {

using Clock = LinePacer::Clock;

constexpr std::size_t kUnpacedBatch = 16 * 1024;

[[noreturn]] void throwSystemError(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Bytes taken from the model and not yet written to the master.
struct Outgoing {
    std::vector<std::uint8_t> bytes;
    std::size_t offset = 0;
    bool download = false; // holds download bytes

    bool empty() const { return offset >= bytes.size(); }
    std::size_t remaining() const { return bytes.size() - offset; }
};

// Paced: one run of the model's output at a time, each timed at its own baud. Unpaced: as much as
// is ready, in one buffer, so a download goes out in few large writes.
void refill(LoggerModel& model, Outgoing& out, LinePacer& pacer, bool pace) {
    out = Outgoing{};
    while (out.bytes.size() < kUnpacedBatch) {
        std::optional<Emission> next = model.takeOutput();
        if (!next)
            return;
        out.download = out.download || next->baud == LoggerModel::kDownloadBaud;
        if (pace) {
            pacer.begin(next->baud, next->followsOn, Clock::now());
            out.bytes = std::move(next->bytes);
            if (!out.bytes.empty())
                return;
        } else {
            out.bytes.insert(out.bytes.end(), next->bytes.begin(), next->bytes.end());
        }
    }
}

void writeOutput(int fd, Outgoing& out, LinePacer& pacer, bool pace) {
    std::size_t count = out.remaining();
    if (pace)
        count = std::min(count, pacer.due(Clock::now()));
    if (count == 0)
        return;
    const ssize_t written = ::write(fd, out.bytes.data() + out.offset, count);
    if (written > 0) {
        out.offset += static_cast<std::size_t>(written);
        pacer.sent(static_cast<std::size_t>(written));
    }
}

// Wake-ups on a paced line gather about a millisecond of bytes, not one byte each.
std::size_t pacedBatch(const LinePacer& pacer) {
    return std::max<std::size_t>(1, static_cast<std::size_t>(pacer.baud()) / 10 / 1000);
}

std::optional<timespec> timeoutUntil(std::optional<Clock::time_point> wake) {
    if (!wake)
        return std::nullopt;
    const auto left = std::max(Clock::duration::zero(), *wake - Clock::now());
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

void earliest(std::optional<Clock::time_point>& wake, Clock::time_point candidate) {
    if (!wake || candidate < *wake)
        wake = candidate;
}

} // namespace

PtyLink::PtyLink() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        throwSystemError("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        throwSystemError("grantpt/unlockpt");
    std::array<char, 128> name{};
    if (::ptsname_r(master_, name.data(), name.size()) != 0)
        throwSystemError("ptsname_r");
    path_ = name.data();
    slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0)
        throwSystemError("open pseudo-terminal");
    termios settings{};
    if (::tcgetattr(slave_, &settings) != 0)
        throwSystemError("tcgetattr");
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B9600);
    if (::tcsetattr(slave_, TCSANOW, &settings) != 0)
        throwSystemError("tcsetattr");
    if (::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0)
        throwSystemError("fcntl");
}

PtyLink::~PtyLink() {
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

bool PtyLink::readInput(LoggerModel& model, const LinkOptions& options) {
    std::array<std::uint8_t, 4096> buffer{};
    const ssize_t count = ::read(master_, buffer.data(), buffer.size());
    if (count <= 0)
        return false;
    if (options.log) {
        options.log->write(reinterpret_cast<const char*>(buffer.data()), count);
        options.log->flush();
    }
    for (ssize_t i = 0; i < count; ++i)
        model.onByte(buffer[static_cast<std::size_t>(i)]);
    return true;
}

void PtyLink::serve(LoggerModel& model, const LinkOptions& options,
                    const volatile std::sig_atomic_t& stop, const sigset_t* waitMask) {
    Outgoing out;
    LinePacer pacer;
    Clock::time_point lastInput = Clock::now();
    while (!stop) {
        if (out.empty())
            refill(model, out, pacer, options.pace);
        pollfd fd{master_, POLLIN, 0};
        std::optional<Clock::time_point> wake;
        if (!out.empty()) {
            if (!options.pace || pacer.due(Clock::now()) > 0)
                fd.events |= POLLOUT;
            else
                earliest(wake, pacer.dueTime(std::min(out.remaining(), pacedBatch(pacer))));
        }
        if (model.inUpgradeMode())
            earliest(wake, lastInput + options.upgradeIdle);
        const std::optional<timespec> timeout = timeoutUntil(wake);
        const int ready = ::ppoll(&fd, 1, timeout ? &*timeout : nullptr, waitMask);
        if (ready < 0) {
            if (errno != EINTR)
                throwSystemError("ppoll");
            continue;
        }
        if ((fd.revents & POLLIN) && readInput(model, options)) {
            lastInput = Clock::now();
            // Input ends a download: the program has given up, so the rest is not sent.
            if (out.download)
                out = Outgoing{};
        } else if (fd.revents & (POLLHUP | POLLERR)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!out.empty() && (fd.revents & POLLOUT || options.pace))
            writeOutput(master_, out, pacer, options.pace);
        if (model.inUpgradeMode() && Clock::now() - lastInput >= options.upgradeIdle)
            model.onLineIdle();
    }
}

} // namespace tk::sim
