// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScriptedPort.h"

namespace tk::test {

void ScriptedPort::send(std::span<const std::uint8_t> bytes) {
    incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
}

void ScriptedPort::sendRepeated(std::uint8_t byte, std::size_t count) {
    incoming_.insert(incoming_.end(), count, byte);
}

void ScriptedPort::writeBytes(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) {
        if (!open_)
            ++writesWhileClosed;
        written.push_back(byte);
        if (onWrite)
            onWrite(byte);
    }
}

std::uint8_t ScriptedPort::readByte() {
    ++reads;
    if (!open_ || incoming_.empty()) {
        ++timeouts;
        return kReadFailed;
    }
    const std::uint8_t byte = incoming_.front();
    incoming_.pop_front();
    return byte;
}

void ScriptedPort::setBaud(int rate) {
    baudChanges.push_back({rate, reads});
}

void ScriptedPort::close() {
    ++closes;
    open_ = false;
}

BytePort* ScriptedConnector::connectLogger() {
    ++connects;
    if (!present)
        return nullptr;
    port.open();
    return &port;
}

} // namespace tk::test
