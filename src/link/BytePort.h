// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tk {

// The logger's byte line as the protocol exchanges see it. readByte() answers kReadFailed when
// nothing arrives within the read time-out (about 2 s on a real port) or the port is closed.
class BytePort {
public:
    static constexpr std::uint8_t kReadFailed = 0xFE;

    virtual ~BytePort() = default;

    virtual void writeBytes(std::span<const std::uint8_t> bytes) = 0;
    virtual std::uint8_t readByte() = 0;
    virtual void setBaud(int rate) = 0;
    virtual void close() = 0;

    void writeByte(std::uint8_t byte) { writeBytes(std::span<const std::uint8_t>(&byte, 1)); }
};

// Finds the logger and leaves its port open (probe 'A' answered by 'A'); implemented by
// SerialPort over the system's ports and by in-memory loggers in tests.
class LoggerConnector {
public:
    virtual ~LoggerConnector() = default;
    virtual BytePort* connectLogger() = 0; // nullptr when no port answers
};

} // namespace tk
