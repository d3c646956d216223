// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/LoggerSettings.h"

#include "link/MessageKeys.h"

#include <array>

namespace tk {
namespace {

constexpr std::array<int, 4> kStepSeconds = {1, 3, 5, 10};
constexpr int kMemoryRecords = 22528; // 2,048 pages of 11 records, one record per step

bool readInto(BytePort& port, std::uint8_t& field) {
    field = port.readByte();
    return field != BytePort::kReadFailed;
}

void readReply(BytePort& port, LoggerSettings& settings) {
    if (!readInto(port, settings.firmwareVersion) || !readInto(port, settings.stepSeconds) ||
        !readInto(port, settings.unitByte))
        return;
    settings.hasZone = settings.firmwareVersion >= kFirstZoneFirmware;
    if (settings.hasZone && !readInto(port, settings.zoneCode))
        return;
    settings.complete = true;
}

void keepOnlyRead(LoggerSettings& settings) {
    for (std::uint8_t* field :
         {&settings.firmwareVersion, &settings.stepSeconds, &settings.unitByte, &settings.zoneCode})
        if (*field == BytePort::kReadFailed)
            *field = 0;
}

bool sendEchoed(BytePort& port, std::uint8_t command) {
    port.writeByte(command);
    return port.readByte() == command;
}

} // namespace

LoggerSettings readSettings(LoggerConnector& connector) {
    LoggerSettings settings;
    BytePort* port = connector.connectLogger();
    if (port == nullptr)
        return settings;
    settings.found = true;
    port->writeByte(kReadSettingsCommand);
    if (port->readByte() == kReadSettingsCommand) {
        settings.replied = true;
        readReply(*port, settings);
        keepOnlyRead(settings);
    }
    port->close();
    return settings;
}

int stepIndexFromSeconds(int seconds) {
    for (std::size_t i = 0; i < kStepSeconds.size(); ++i)
        if (kStepSeconds[i] == seconds)
            return static_cast<int>(i);
    return seconds;
}

int stepSecondsFromIndex(int stepIndex) {
    if (stepIndex < 0 || stepIndex >= static_cast<int>(kStepSeconds.size()))
        return 1;
    return kStepSeconds[static_cast<std::size_t>(stepIndex)];
}

std::string logTimeText(int stepIndex, std::string_view hourWord, std::string_view minWord,
                        std::string_view secWord) {
    const int total = kMemoryRecords * stepSecondsFromIndex(stepIndex);
    std::string text = std::to_string(total / 3600);
    text.append(hourWord).append(std::to_string(total % 3600 / 60)).append(minWord);
    text.append(std::to_string(total % 60)).append(secWord);
    return text;
}

bool canUpgradeFirmware(std::uint8_t firmwareVersion) {
    return firmwareVersion < kFirstZoneFirmware;
}

std::string_view firmwareVersionText(std::uint8_t firmwareVersion) {
    if (firmwareVersion == 'h')
        return "Firmware version 1.2";
    if (firmwareVersion == 'i')
        return "Firmware version 1.3";
    return {};
}

SaveResult saveSettings(LoggerConnector& connector, int stepIndex, int unitIndex) {
    SaveResult result;
    BytePort* port = connector.connectLogger();
    if (port == nullptr) {
        result.messageKeys.push_back(keys::kGetUartFailed);
        return result;
    }
    result.found = true;
    result.stepSet = sendEchoed(*port, static_cast<std::uint8_t>(stepIndex + kStepCommandBase));
    if (!result.stepSet)
        result.messageKeys.push_back(keys::kConfigStepFailed);
    result.unitSet = sendEchoed(*port, static_cast<std::uint8_t>(unitIndex + kUnitCommandBase));
    if (!result.unitSet)
        result.messageKeys.push_back(keys::kConfigUnitFailed);
    port->close();
    if (result.succeeded())
        result.messageKeys.push_back(keys::kConfigSuccessful);
    return result;
}

ClearResult clearMemory(LoggerConnector& connector) {
    ClearResult result;
    BytePort* port = connector.connectLogger();
    if (port == nullptr) {
        result.messageKey = keys::kGetUartFailed;
        return result;
    }
    result.found = true;
    result.cleared = sendEchoed(*port, kClearCommand);
    result.messageKey = result.cleared ? keys::kClearData : keys::kClearFailed;
    port->close();
    return result;
}

} // namespace tk
