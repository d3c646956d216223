// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/BootLoader.h"
#include "sim/SimOptions.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <vector>

namespace tk::sim {

// Bytes the logger puts on the line at one baud rate.
struct Emission {
    int baud = 9600;
    bool followsOn = false; // continues the previous output at once instead of answering a byte
    std::vector<std::uint8_t> bytes;
};

// The logger's side of the byte protocol, without any I/O: fed the bytes the program sends, one
// at a time; what it answers is taken piece by piece, so a long download is produced only as
// fast as the line carries it away.
class LoggerModel {
public:
    static constexpr int kCommandBaud = 9600;
    static constexpr int kDownloadBaud = 57600;
    static constexpr std::size_t kMaxPages = 65535;

    // memory: raw records; an incomplete last record and anything past kMaxPages are dropped.
    LoggerModel(const SimOptions& options, std::vector<std::uint8_t> memory);

    void onByte(std::uint8_t byte);
    std::optional<Emission> takeOutput();

    // The line has been quiet for a while: a program that vanished mid-upgrade is not coming back.
    void onLineIdle();
    bool inUpgradeMode() const { return upgrading_; }
    bool downloading() const { return download_.active; }

    const LoggerSettings& settings() const { return settings_; }
    std::size_t memoryPages() const;

    // Called with the image bytes received whenever an upgrade transfer ends, however it ends.
    std::function<void(const std::vector<std::uint8_t>&)> firmwareReceived;

private:
    struct Download {
        bool active = false;
        bool countSent = false;
        std::size_t pages = 0;
        std::size_t nextRecord = 0;
        std::size_t endRecord = 0; // the records sent before the logger stops
    };

    void onCommand(std::uint8_t byte);
    void onSettingCommand(std::uint8_t byte);
    void echo(std::uint8_t byte, bool wrong);
    void reply(std::vector<std::uint8_t> bytes);
    void replySettings();
    void startDownload();
    Emission nextDownloadPiece();
    void appendRecord(std::size_t index, std::vector<std::uint8_t>& out);
    void appendNoise(std::vector<std::uint8_t>& out);
    void leaveUpgradeMode();

    SimOptions options_;
    LoggerSettings settings_;
    std::vector<std::uint8_t> memory_;
    std::deque<Emission> replies_;
    Download download_;
    std::mt19937 noise_;
    BootLoader boot_;
    bool upgrading_ = false;
};

} // namespace tk::sim
