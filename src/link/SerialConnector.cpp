// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SerialConnector.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace tk {
namespace {

std::vector<std::string> listedPorts() {
    std::vector<std::string> names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names.push_back(info.systemLocation().toStdString());
    std::sort(names.begin(), names.end());
    if (names.size() > static_cast<std::size_t>(SerialConnector::kMaxListedPorts))
        names.resize(SerialConnector::kMaxListedPorts);
    return names;
}

} // namespace

std::vector<std::string> SerialConnector::candidatePorts() const {
    std::vector<std::string> ports;
    if (!preferredPort_.empty())
        ports.push_back(preferredPort_);
    if (!lastPort_.empty() && lastPort_ != preferredPort_)
        ports.push_back(lastPort_);
    for (std::string& name : listedPorts())
        if (std::find(ports.begin(), ports.end(), name) == ports.end())
            ports.push_back(std::move(name));
    return ports;
}

BytePort* SerialConnector::connectLogger() {
    for (const std::string& device : candidatePorts()) {
        if (probe(device)) {
            lastPort_ = device;
            return &port_;
        }
    }
    return nullptr;
}

bool SerialConnector::probe(const std::string& device) {
    if (!port_.open(device))
        return false;
    port_.writeByte(kProbe);
    if (port_.readByte() == kProbe)
        return true;
    port_.close();
    return false;
}

} // namespace tk
