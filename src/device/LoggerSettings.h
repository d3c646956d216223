// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/BytePort.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

inline constexpr std::uint8_t kReadSettingsCommand = 0x56; // 'V'
inline constexpr std::uint8_t kClearCommand = 0x43;        // 'C'
inline constexpr std::uint8_t kStepCommandBase = 1;        // + step radio index
inline constexpr std::uint8_t kUnitCommandBase = 11;       // + unit radio index
// Firmware letters from 'h' (1.2) on carry the time zone and cannot take an upgrade.
inline constexpr std::uint8_t kFirstZoneFirmware = 'h';

// What the 'V' exchange brought back. The step and unit are the raw bytes of the reply
// (seconds, and 0 = KPH / 1 = MPH).
struct LoggerSettings {
    bool found = false;    // a logger answered the probe
    bool replied = false;  // it answered 'V' with 'V'
    bool complete = false; // every byte of the reply arrived
    std::uint8_t firmwareVersion = 0;
    std::uint8_t stepSeconds = 0;
    std::uint8_t unitByte = 0;
    std::uint8_t zoneCode = 0; // 0 when none is set or the firmware has none
    bool hasZone = false;      // the firmware reports a zone (letter 'h' or later)
};

// Reads version and settings. A reply byte that fails ends the reading: the fields not yet
// reached stay 0 and `complete` stays false.
LoggerSettings readSettings(LoggerConnector& connector);

// Step radio index for a step in seconds: 1, 3, 5, 10 give 0 to 3; anything else is kept.
int stepIndexFromSeconds(int seconds);
// Step seconds for a radio index: 0 to 3 give 1, 3, 5, 10; anything else gives 1.
int stepSecondsFromIndex(int stepIndex);
// How long the full memory lasts at the step, e.g. "18Hour46Min24Sec"; the words come from
// the caller's language.
std::string logTimeText(int stepIndex, std::string_view hourWord, std::string_view minWord,
                        std::string_view secWord);

bool canUpgradeFirmware(std::uint8_t firmwareVersion); // below 'h'
// "Firmware version 1.2" for 'h', "Firmware version 1.3" for 'i', empty otherwise.
std::string_view firmwareVersionText(std::uint8_t firmwareVersion);

struct SaveResult {
    bool found = false;
    bool stepSet = false;
    bool unitSet = false;
    std::vector<std::string_view> messageKeys; // in the order they are to be shown

    bool succeeded() const { return stepSet && unitSet; }
};

// Sends step index + 1, then unit index + 11, each as one byte (so -1 goes out as 0 and 10),
// and checks each echo; the unit is sent even when the step was not echoed.
SaveResult saveSettings(LoggerConnector& connector, int stepIndex, int unitIndex);

struct ClearResult {
    bool found = false;
    bool cleared = false;
    std::string_view messageKey;
};

ClearResult clearMemory(LoggerConnector& connector);

} // namespace tk
