// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/Firmware.h"

#include "files/FileIO.h"
#include "link/MessageKeys.h"
#include "link/SilenceGuard.h"

#include <span>

namespace tk {
namespace {

constexpr std::uint8_t kEnterBoot = 'T';
constexpr std::uint8_t kInBoot = 'C';
constexpr std::uint8_t kIdentify = 'V';
constexpr std::uint8_t kStartWriting = 'W';
constexpr std::uint8_t kWriting = 'S';
constexpr std::uint8_t kTransferDone = 'Z';
constexpr std::uint8_t kChecksumLoader = 'f';
constexpr std::uint8_t kEchoLoader = 'g';
constexpr std::uint8_t kChunkAccepted = '!';
constexpr std::uint8_t kEchoGood = 'O';
constexpr std::uint8_t kEchoBad = 'R';
constexpr std::uint8_t kSmallSizeCode = 0x16;
constexpr std::uint8_t kLargeSizeCode = 0x32;
constexpr int kSmallBlocks = 120;
constexpr int kLargeBlocks = 224;
constexpr std::size_t kChunksPerBlock = kFirmwareBlockSize / kFirmwareChunkSize;

using Chunk = std::span<const std::uint8_t, kFirmwareChunkSize>;

struct Address {
    std::uint8_t high = 0;
    std::uint8_t low = 0;
};

bool sendChunkChecksum(BytePort& port, Address address, Chunk data) {
    std::uint8_t sum = address.high + address.low;
    for (std::uint8_t byte : data)
        sum += byte;
    port.writeByte(address.high);
    port.writeByte(address.low);
    port.writeBytes(data);
    port.writeByte(static_cast<std::uint8_t>(-sum));
    return port.readByte() == kChunkAccepted;
}

bool sendChunkEcho(BytePort& port, Address address, Chunk data) {
    bool good = true;
    auto sendEchoed = [&](std::uint8_t byte) {
        port.writeByte(byte);
        good = (port.readByte() == byte) && good;
    };
    sendEchoed(address.high);
    sendEchoed(address.low);
    for (std::uint8_t byte : data)
        sendEchoed(byte);
    port.writeByte(good ? kEchoGood : kEchoBad);
    return port.readByte() == kEchoGood;
}

bool sendChunk(BytePort& port, std::uint8_t loaderVariant, Address address, Chunk data) {
    if (loaderVariant == kChecksumLoader)
        return sendChunkChecksum(port, address, data);
    if (loaderVariant == kEchoLoader)
        return sendChunkEcho(port, address, data);
    return false; // a loader this program cannot speak to
}

// Every chunk of a block carries the block's start address; only the data advance.
bool sendBlock(SilenceGuard& port, const std::vector<std::uint8_t>& image, int block,
               UpgradeResult& result) {
    const std::size_t start = static_cast<std::size_t>(block) * kFirmwareBlockSize;
    const Address address{static_cast<std::uint8_t>(start >> 8),
                          static_cast<std::uint8_t>(start & 0xFF)};
    for (std::size_t c = 0; c < kChunksPerBlock; ++c) {
        const Chunk data(image.data() + start + c * kFirmwareChunkSize, kFirmwareChunkSize);
        int attempt = 0;
        while (!sendChunk(port, result.loaderVariant, address, data)) {
            ++result.failedChunkAttempts;
            if (++attempt == kChunkAttempts || port.silent())
                return false;
        }
    }
    return true;
}

void stop(UpgradeResult& result, UpgradeStage stage, std::string_view messageKey) {
    result.stage = stage;
    result.messageKey = messageKey;
}

const std::optional<std::vector<std::uint8_t>>* imageFor(const FirmwareImages& images,
                                                         UpgradeResult& result) {
    if (result.sizeCode == kSmallSizeCode) {
        result.blockCount = kSmallBlocks;
        return &images.small;
    }
    if (result.sizeCode == kLargeSizeCode) {
        result.blockCount = kLargeBlocks;
        return &images.large;
    }
    return nullptr;
}

void transfer(SilenceGuard& port, const std::vector<std::uint8_t>& image,
              const UpgradeProgress& progress, UpgradeResult& result) {
    if (progress)
        progress(0, result.blockCount);
    for (int block = 0; block < result.blockCount; ++block) {
        if (!sendBlock(port, image, block, result))
            return stop(result, UpgradeStage::BlockFailed, keys::kUpgradeFailed);
        result.blocksSent = block + 1;
        if (progress)
            progress(result.blocksSent, result.blockCount);
        if (port.readByte() == kTransferDone)
            break;
    }
    stop(result, UpgradeStage::Finished, keys::kUpgradeFinished);
}

void runBootProtocol(SilenceGuard& port, const FirmwareImages& images,
                     const UpgradeProgress& progress, UpgradeResult& result) {
    port.writeByte(kEnterBoot);
    if (port.readByte() != kInBoot)
        return stop(result, UpgradeStage::NotInBootMode, keys::kEnterUpgradeMode);
    port.writeByte(kIdentify);
    result.sizeCode = port.readByte();
    port.readByte(); // carries nothing the upgrade needs
    result.loaderVariant = port.readByte();
    const auto* image = imageFor(images, result);
    if (image == nullptr)
        return stop(result, UpgradeStage::NotInBootMode, keys::kEnterUpgradeMode);
    const auto needed = static_cast<std::size_t>(result.blockCount) * kFirmwareBlockSize;
    if (!image->has_value() || (*image)->size() < needed)
        return stop(result, UpgradeStage::ImageUnusable, keys::kUpgradeFailed);
    port.writeByte(kStartWriting);
    if (port.readByte() != kWriting)
        return stop(result, UpgradeStage::NotStarted, keys::kUpgradeFailed);
    transfer(port, **image, progress, result);
}

std::optional<std::vector<std::uint8_t>> readImage(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    const std::optional<std::string> bytes = readFileBytes(path.string());
    if (!bytes)
        return std::nullopt;
    return std::vector<std::uint8_t>(bytes->begin(), bytes->end());
}

} // namespace

FirmwareImages loadFirmwareImages(const std::filesystem::path& directory) {
    return {readImage(directory / "firmware-158.bin"), readImage(directory / "firmware-159.bin")};
}

UpgradeResult upgradeFirmware(LoggerConnector& connector, const FirmwareImages& images,
                              const UpgradeProgress& progress) {
    UpgradeResult result;
    if (images.empty()) {
        stop(result, UpgradeStage::NoImage, keys::kFirmwareImageNotFound);
        return result;
    }
    BytePort* port = connector.connectLogger();
    if (port == nullptr) {
        stop(result, UpgradeStage::NoLogger, keys::kGetUartFailed);
        return result;
    }
    SilenceGuard guarded(*port);
    runBootProtocol(guarded, images, progress, result);
    port->close();
    return result;
}

} // namespace tk
