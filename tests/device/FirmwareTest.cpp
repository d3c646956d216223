// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/Firmware.h"

#include "support/ScriptedPort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <set>
#include <vector>

namespace tk {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A logger in its boot mode, answering the upgrade protocol byte by byte and keeping what it
// was sent. `refuse` picks chunk attempts (counted from 0 over the whole upgrade) to reject.
class BootLogger : public test::ScriptedConnector {
public:
    BootLogger(std::uint8_t sizeCode, std::uint8_t variant)
        : sizeCode_(sizeCode), variant_(variant) {
        port.onWrite = [this](std::uint8_t b) { receive(b); };
    }

    std::set<int> refuse;
    int finishAfterBlock = -1;
    Bytes flashed;                                                // data of accepted chunks
    std::vector<std::pair<std::uint8_t, std::uint8_t>> addresses; // of accepted chunks
    Bytes verdicts; // 'O' / 'R' sent by an echo loader
    int attempts = 0;
    int silentFromAttempt = -1; // from this chunk attempt on the logger answers nothing

private:
    void receive(std::uint8_t b) {
        if (writing_ && silentFromAttempt >= 0 && attempts >= silentFromAttempt)
            return;
        if (!writing_)
            return command(b);
        chunk_.push_back(b);
        if (variant_ == 'f' && chunk_.size() == 19)
            return endChunk(std::accumulate(chunk_.begin(), chunk_.end(), 0) % 256 == 0, '!', '?');
        if (variant_ == 'g' && chunk_.size() < 19) {
            const bool corrupt = chunk_.size() == 1 && refuse.contains(attempts);
            return port.send(static_cast<std::uint8_t>(corrupt ? b ^ 1 : b));
        }
        if (variant_ == 'g') {
            verdicts.push_back(b);
            endChunk(b == 'O', 'O', 'R');
        }
    }

    void command(std::uint8_t b) {
        if (b == 'T')
            port.send({'C'});
        if (b == 'V')
            port.send({sizeCode_, 0x01, variant_});
        if (b == 'W') {
            port.send({'S'});
            writing_ = true;
        }
    }

    void endChunk(bool good, std::uint8_t yes, std::uint8_t no) {
        good = good && (variant_ == 'g' || !refuse.contains(attempts));
        ++attempts;
        port.send(good ? yes : no);
        if (good) {
            addresses.emplace_back(chunk_[0], chunk_[1]);
            flashed.insert(flashed.end(), chunk_.begin() + 2, chunk_.begin() + 18);
            if (addresses.size() % 8 == 0)
                port.send(blockEnd(static_cast<int>(addresses.size() / 8) - 1));
        }
        chunk_.clear();
    }

    std::uint8_t blockEnd(int block) const { return block == finishAfterBlock ? 'Z' : '.'; }

    std::uint8_t sizeCode_;
    std::uint8_t variant_;
    bool writing_ = false;
    Bytes chunk_;
};

Bytes pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 % 251);
    return bytes;
}

FirmwareImages bothImages() {
    return {pattern(16384), pattern(32768)};
}

TEST(UpgradeFirmware, ChecksumLoaderReceivesTheSmallImage) {
    BootLogger logger(0x16, 'f');
    std::vector<std::pair<int, int>> progress;
    const UpgradeResult result =
        upgradeFirmware(logger, bothImages(), [&](int i, int n) { progress.emplace_back(i, n); });
    EXPECT_EQ(result.messageKey, "Upgrading finished");
    EXPECT_EQ(result.blocksSent, 120);
    EXPECT_EQ(logger.flashed, pattern(15360));
    EXPECT_EQ(logger.port.written.size(), 3 + 960 * 19u);
    EXPECT_EQ(logger.addresses[3 * 8 + 1], std::make_pair(std::uint8_t{0x01}, std::uint8_t{0x80}));
    ASSERT_EQ(progress.size(), 121u);
    EXPECT_EQ(progress.front(), std::make_pair(0, 120));
    EXPECT_EQ(progress.back(), std::make_pair(120, 120));
    EXPECT_EQ(logger.port.closes, 1);
}

TEST(UpgradeFirmware, EchoLoaderReceivesTheLargeImage) {
    BootLogger logger(0x32, 'g');
    const UpgradeResult result = upgradeFirmware(logger, bothImages());
    EXPECT_TRUE(result.finished());
    EXPECT_EQ(result.blockCount, 224);
    EXPECT_EQ(logger.flashed, pattern(28672));
}

TEST(UpgradeFirmware, AnErasedChunkAtAddressZeroCarriesChecksum0x10) {
    BootLogger logger(0x16, 'f');
    upgradeFirmware(logger, {Bytes(16384, 0xFF), std::nullopt});
    Bytes firstChunk = {0x00, 0x00};
    firstChunk.insert(firstChunk.end(), 16, 0xFF);
    firstChunk.push_back(0x10);
    EXPECT_EQ(Bytes(logger.port.written.begin() + 3, logger.port.written.begin() + 22), firstChunk);
}

TEST(UpgradeFirmware, RefusedChunksAreSentAgain) {
    for (std::uint8_t variant : {'f', 'g'}) {
        BootLogger logger(0x16, variant);
        logger.refuse = {9, 10};
        const UpgradeResult result = upgradeFirmware(logger, bothImages());
        EXPECT_TRUE(result.finished()) << variant;
        EXPECT_EQ(result.failedChunkAttempts, 2);
        EXPECT_EQ(logger.flashed, pattern(15360));
        if (variant == 'g') {
            EXPECT_EQ(std::ranges::count(logger.verdicts, 'R'), 2);
        }
    }
}

TEST(UpgradeFirmware, AChunkRefusedEightTimesStopsTheUpgrade) {
    BootLogger logger(0x16, 'f');
    logger.refuse = {8, 9, 10, 11, 12, 13, 14, 15};
    const UpgradeResult result = upgradeFirmware(logger, bothImages());
    EXPECT_EQ(result.stage, UpgradeStage::BlockFailed);
    EXPECT_EQ(result.messageKey, "Firmware upgrading failed, please try again");
    EXPECT_EQ(result.blocksSent, 1);
    EXPECT_EQ(logger.attempts, 16);
    EXPECT_EQ(logger.port.closes, 1);
}

TEST(UpgradeFirmware, ALoggerThatFallsSilentEndsTheUpgradeAfterThreeSilentReads) {
    for (std::uint8_t variant : {'f', 'g'}) {
        BootLogger logger(0x16, variant);
        logger.silentFromAttempt = 20;
        const UpgradeResult result = upgradeFirmware(logger, bothImages());
        EXPECT_EQ(result.stage, UpgradeStage::BlockFailed) << variant;
        EXPECT_EQ(result.blocksSent, 2) << variant;
        EXPECT_LE(logger.port.timeouts, 3) << variant;
        EXPECT_EQ(logger.port.closes, 1) << variant;
    }
}

TEST(UpgradeFirmware, ZAfterABlockFinishesEarly) {
    BootLogger logger(0x32, 'f');
    logger.finishAfterBlock = 5;
    const UpgradeResult result = upgradeFirmware(logger, bothImages());
    EXPECT_EQ(result.messageKey, "Upgrading finished");
    EXPECT_EQ(result.blocksSent, 6);
    EXPECT_EQ(logger.port.written.size(), 3 + 6 * 8 * 19u);
}

TEST(UpgradeFirmware, AnUnknownLoaderGetsNoChunkAtAll) {
    BootLogger logger(0x16, 'x');
    const UpgradeResult result = upgradeFirmware(logger, bothImages());
    EXPECT_EQ(result.stage, UpgradeStage::BlockFailed);
    EXPECT_EQ(result.failedChunkAttempts, 8);
    EXPECT_EQ(logger.port.written, (Bytes{'T', 'V', 'W'}));
}

TEST(UpgradeFirmware, ALoggerOutsideBootModeIsAskedToEnterIt) {
    test::ScriptedConnector notBooting;
    notBooting.port.send({'?'});
    EXPECT_EQ(upgradeFirmware(notBooting, bothImages()).messageKey,
              "Press and hold MODE to start and enter upgrading mode");
    EXPECT_EQ(notBooting.port.written, Bytes{'T'});

    BootLogger oddSize(0x20, 'f');
    EXPECT_EQ(upgradeFirmware(oddSize, bothImages()).stage, UpgradeStage::NotInBootMode);
    EXPECT_EQ(oddSize.port.written, (Bytes{'T', 'V'}));
}

TEST(UpgradeFirmware, MissingImagesStopBeforeWriting) {
    BootLogger logger(0x32, 'f');
    EXPECT_EQ(upgradeFirmware(logger, {}).messageKey, "Firmware image not found");
    EXPECT_EQ(logger.connects, 0);

    const UpgradeResult otherOnly = upgradeFirmware(logger, {pattern(16384), std::nullopt});
    EXPECT_EQ(otherOnly.stage, UpgradeStage::ImageUnusable);
    EXPECT_EQ(otherOnly.messageKey, "Firmware upgrading failed, please try again");

    BootLogger shortImage(0x16, 'f');
    EXPECT_EQ(upgradeFirmware(shortImage, {pattern(15359), std::nullopt}).stage,
              UpgradeStage::ImageUnusable);
    EXPECT_EQ(shortImage.port.written, (Bytes{'T', 'V'}));
}

TEST(LoadFirmwareImages, ReadsTheImagesThatExist) {
    const auto dir = std::filesystem::temp_directory_path() / "trailkeep-firmware-test";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "firmware-159.bin", std::ios::binary) << "\x01\x02\x03";
    const FirmwareImages images = loadFirmwareImages(dir);
    std::filesystem::remove_all(dir);
    EXPECT_FALSE(images.small.has_value());
    EXPECT_EQ(images.large, (Bytes{1, 2, 3}));
}

} // namespace
} // namespace tk
