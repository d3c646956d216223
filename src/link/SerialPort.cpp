// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SerialPort.h"

#include <QSerialPort>

namespace tk {

SerialPort::SerialPort() = default;

SerialPort::~SerialPort() {
    close();
}

bool SerialPort::open(const std::string& device) {
    close();
    port_ = std::make_unique<QSerialPort>();
    port_->setPortName(QString::fromStdString(device));
    if (!port_->open(QIODevice::ReadWrite)) {
        port_.reset();
        return false;
    }
    device_ = device;
    setBaud(kOpenBaud);
    // Whatever the logger or an earlier program left on the line is not part of this exchange.
    port_->clear(QSerialPort::Output);
    port_->clear(QSerialPort::Input);
    next_ = end_ = 0;
    return true;
}

bool SerialPort::isOpen() const {
    return port_ && port_->isOpen();
}

void SerialPort::writeBytes(std::span<const std::uint8_t> bytes) {
    if (!isOpen() || bytes.empty())
        return;
    port_->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    while (port_->bytesToWrite() > 0 && port_->waitForBytesWritten(kReadTimeoutMs)) {
    }
}

std::uint8_t SerialPort::readByte() {
    if (next_ == end_ && !fillBuffer())
        return kReadFailed;
    return buffer_[next_++];
}

bool SerialPort::fillBuffer() {
    if (!isOpen())
        return false;
    if (port_->bytesAvailable() == 0 && !port_->waitForReadyRead(kReadTimeoutMs))
        return false;
    const qint64 got =
        port_->read(reinterpret_cast<char*>(buffer_.data()), static_cast<qint64>(buffer_.size()));
    if (got <= 0)
        return false;
    next_ = 0;
    end_ = static_cast<std::size_t>(got);
    return true;
}

void SerialPort::setBaud(int rate) {
    if (!isOpen())
        return;
    port_->setBaudRate(rate);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::OneStop);
}

void SerialPort::close() {
    if (port_) {
        port_->close();
        port_.reset();
    }
    next_ = end_ = 0;
}

} // namespace tk
