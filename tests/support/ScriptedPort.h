// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/BytePort.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <span>
#include <vector>

namespace tk::test {

// An in-memory logger line: the bytes the logger will send wait in a queue, everything the
// program does is logged. A read with nothing queued, or on a closed port, is a time-out.
class ScriptedPort : public BytePort {
public:
    struct BaudChange {
        int rate = 0;
        std::size_t afterReads = 0; // reads done on the line before the change
    };

    void send(std::initializer_list<std::uint8_t> bytes) {
        send(std::span(bytes.begin(), bytes.size()));
    }
    void send(std::span<const std::uint8_t> bytes);
    void send(std::uint8_t byte) { incoming_.push_back(byte); }
    void sendRepeated(std::uint8_t byte, std::size_t count);

    // The scripted logger: called for every byte the program writes, may queue answers.
    std::function<void(std::uint8_t written)> onWrite;

    void writeBytes(std::span<const std::uint8_t> bytes) override;
    std::uint8_t readByte() override;
    void setBaud(int rate) override;
    void close() override;

    void open() { open_ = true; } // done by the connector, as finding the logger opens the port
    bool isOpen() const { return open_; }
    std::size_t pending() const { return incoming_.size(); }

    std::vector<std::uint8_t> written;
    std::vector<BaudChange> baudChanges;
    std::size_t reads = 0;
    std::size_t timeouts = 0;
    int closes = 0;
    std::size_t writesWhileClosed = 0;

private:
    std::deque<std::uint8_t> incoming_;
    bool open_ = false;
};

// Finds the scripted logger, or nobody when `present` is false.
class ScriptedConnector : public LoggerConnector {
public:
    BytePort* connectLogger() override;

    ScriptedPort port;
    bool present = true;
    int connects = 0;
};

} // namespace tk::test
