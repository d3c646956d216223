// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/BytePort.h"
#include "link/SerialPort.h"

#include <string>
#include <vector>

namespace tk {

// Finds the logger: the port the user named first, then the port it answered on last time,
// then every port the system lists, in name order; the first port whose probe 'A' is answered
// by 'A' stays open.
class SerialConnector : public LoggerConnector {
public:
    static constexpr std::uint8_t kProbe = 0x41;
    static constexpr int kMaxListedPorts = 99;

    explicit SerialConnector(std::string preferredPort = {})
        : preferredPort_(std::move(preferredPort)) {}

    BytePort* connectLogger() override;

    std::vector<std::string> candidatePorts() const;
    const std::string& lastPort() const { return lastPort_; }
    void setLastPort(std::string device) { lastPort_ = std::move(device); }
    SerialPort& port() { return port_; }

private:
    bool probe(const std::string& device);

    std::string preferredPort_;
    std::string lastPort_;
    SerialPort port_;
};

} // namespace tk
