// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/BytePort.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace tk {

inline constexpr int kSmallImageId = 158; // for size code 0x16
inline constexpr int kLargeImageId = 159; // for size code 0x32
inline constexpr std::size_t kFirmwareBlockSize = 128;
inline constexpr std::size_t kFirmwareChunkSize = 16;
inline constexpr int kChunkAttempts = 8;

// The two firmware images the upgrade can send; either may be missing.
struct FirmwareImages {
    std::optional<std::vector<std::uint8_t>> small; // image 158, 120 blocks sent
    std::optional<std::vector<std::uint8_t>> large; // image 159, 224 blocks sent

    bool empty() const { return !small && !large; }
};

// Reads "firmware-158.bin" and "firmware-159.bin" from `directory`; a file that cannot be read
// is missing.
FirmwareImages loadFirmwareImages(const std::filesystem::path& directory);

enum class UpgradeStage {
    NoImage,       // neither image exists; the logger was not contacted
    NoLogger,      // no port answered the probe
    NotInBootMode, // 'T' not answered by 'C', or an unknown size code
    ImageUnusable, // the image for the size code is missing or too short
    NotStarted,    // 'W' not answered by 'S'
    BlockFailed,   // a chunk failed every attempt
    Finished,      // all blocks sent, or the logger said 'Z' after a block
};

struct UpgradeResult {
    UpgradeStage stage = UpgradeStage::NoImage;
    std::string_view messageKey;
    std::uint8_t sizeCode = 0;
    std::uint8_t loaderVariant = 0;
    int blockCount = 0;          // blocks of the chosen image
    int blocksSent = 0;          // blocks the logger accepted
    int failedChunkAttempts = 0; // chunk attempts that failed, retried or not

    bool finished() const { return stage == UpgradeStage::Finished; }
};

// Called with (0, blocks) before the first block and with (i, blocks) after block i - 1 went
// through.
using UpgradeProgress = std::function<void(int block, int blocks)>;

// Runs the logger's boot protocol: enter upgrade mode, identify, then send the image the
// logger asks for, block by block.
UpgradeResult upgradeFirmware(LoggerConnector& connector, const FirmwareImages& images,
                              const UpgradeProgress& progress = {});

} // namespace tk
