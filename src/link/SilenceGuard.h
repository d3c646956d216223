// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/BytePort.h"

namespace tk {

// Passes bytes through to a port until the logger has let kSilentReads reads in a row time out
// (about 6 seconds of silence); from then on it takes the logger as gone: reads fail at once and
// nothing more is written, so a long exchange ends promptly instead of waiting out every read.
class SilenceGuard : public BytePort {
public:
    static constexpr int kSilentReads = 3;

    explicit SilenceGuard(BytePort& port) : port_(port) {}

    bool silent() const { return failedInRow_ >= kSilentReads; }

    void writeBytes(std::span<const std::uint8_t> bytes) override {
        if (!silent())
            port_.writeBytes(bytes);
    }
    std::uint8_t readByte() override {
        if (silent())
            return kReadFailed;
        const std::uint8_t byte = port_.readByte();
        failedInRow_ = byte == kReadFailed ? failedInRow_ + 1 : 0;
        return byte;
    }
    void setBaud(int rate) override { port_.setBaud(rate); }
    void close() override { port_.close(); }

private:
    BytePort& port_;
    int failedInRow_ = 0;
};

} // namespace tk
