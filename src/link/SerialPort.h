// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/BytePort.h"

#include <array>
#include <memory>
#include <string>

class QSerialPort;

namespace tk {

// The logger's serial line over QSerialPort, used blocking from one thread: 8N1 at 9600 baud
// after open, a 2-second read time-out, 0xFE for a failed read. Bytes that are already waiting
// are taken in one system call and served from a small buffer.
class SerialPort : public BytePort {
public:
    static constexpr int kReadTimeoutMs = 2000;
    static constexpr int kOpenBaud = 9600;

    SerialPort();
    ~SerialPort() override;

    bool open(const std::string& device);
    bool isOpen() const;
    const std::string& device() const { return device_; }

    void writeBytes(std::span<const std::uint8_t> bytes) override;
    std::uint8_t readByte() override;
    void setBaud(int rate) override;
    void close() override;

private:
    bool fillBuffer();

    std::unique_ptr<QSerialPort> port_;
    std::string device_;
    std::array<std::uint8_t, 512> buffer_{};
    std::size_t next_ = 0;
    std::size_t end_ = 0;
};

} // namespace tk
