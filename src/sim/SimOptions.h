// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tk::sim {

// The settings the logger reports to 'V' and changes on the settings commands.
struct LoggerSettings {
    std::uint8_t firmware = 'i';
    std::uint8_t stepSeconds = 5;
    std::uint8_t unit = 0;
    std::uint8_t zoneCode = 188;
};

// Which settings commands are echoed wrongly (and then left unapplied).
struct WrongEchoes {
    bool step = false;
    bool unit = false;
    bool zone = false;
    bool clear = false;
};

struct DownloadFaults {
    std::optional<std::size_t> silentAfter; // records sent before the logger falls silent
    bool noise = false;                     // random bytes before every record
    bool dropCount = false;                 // no page count after the reply byte
    std::optional<std::uint32_t> pages;     // announced page count, whatever the memory holds
};

struct BootOptions {
    bool answerEnter = true; // 'T' answered with 'C'
    std::uint8_t sizeCode = 0x16;
    std::uint8_t idByte = 0x01; // the identification byte the program ignores
    std::uint8_t loader = 'f';
    int chunkFailures = 0;                  // failed attempts before a chunk is accepted
    std::optional<std::size_t> chunkFailAt; // only this chunk (block × 8 + position) fails
    std::optional<std::size_t> zAfterBlock; // 'Z' instead of the usual byte after this block
};

enum class MemorySource { Empty, File, Demo, DemoFull };

struct SimOptions {
    MemorySource source = MemorySource::Empty;
    std::string memoryFile;
    unsigned seed = 1;
    LoggerSettings settings;
    WrongEchoes wrongEchoes;
    DownloadFaults download;
    BootOptions boot;
    bool pace = false;
    std::string firmwareOut;
    std::string logFile;
};

struct ParsedOptions {
    SimOptions options;
    bool help = false;
    bool version = false;
    std::string error; // empty when the command line was understood
};

ParsedOptions parseSimOptions(const std::vector<std::string>& args);

std::string simUsage();

} // namespace tk::sim
