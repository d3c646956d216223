// SPDX-License-Identifier: GPL-3.0-or-later
// trailkeep-cli upgrade against the simulator's boot loader: the image bytes the logger ends up
// with, every byte the program sends, and when it gives up.
#include "e2e/SimProcess.h"

#include <gtest/gtest.h>

namespace tk::e2e {
namespace {

constexpr std::size_t kSmallImage = 16384;
constexpr std::size_t kLargeImage = 32768;
constexpr std::size_t kBlock = 128;
constexpr std::size_t kChecksumChunkOnWire = 19; // hi, lo, 16 data, checksum
constexpr std::size_t kEchoChunkOnWire = 19;     // hi, lo, 16 data, 'O' or 'R'
const Bytes kStart = {'A', 'T', 'V', 'W'};

Bytes prefix(const Bytes& bytes, std::size_t count) {
    return Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(std::min(count, bytes.size())));
}

// A folder with both firmware images, a simulator in upgrade mode with the given boot options,
// and the image bytes and command bytes the simulator received.
class Upgrade {
public:
    explicit Upgrade(std::vector<std::string> bootOptions, bool withImages = true)
        : small_(randomImage(kSmallImage, 158)), large_(randomImage(kLargeImage, 159)),
          sim_(withFiles(std::move(bootOptions), dir_)) {
        EXPECT_FALSE(sim_.port().empty()) << "trailkeep-sim did not start";
        fs::create_directory(images());
        if (withImages) {
            writeBytes(images() / "firmware-158.bin", small_);
            writeBytes(images() / "firmware-159.bin", large_);
        }
    }

    CliResult run() {
        return runCli({"upgrade", "--port", sim_.port(), "--images", images().string()});
    }

    fs::path images() const { return dir_ / "images"; }
    const Bytes& small() const { return small_; }
    const Bytes& large() const { return large_; }

    // The simulator writes the image when a transfer ends; stopping it makes sure it has.
    Bytes flashed() {
        sim_.stop();
        return readBytes(dir_ / "flashed.bin");
    }
    bool flashWritten() {
        sim_.stop();
        return fs::exists(dir_ / "flashed.bin");
    }
    Bytes received() const { return readBytes(dir_ / "received.bin"); }

private:
    static std::vector<std::string> withFiles(std::vector<std::string> options,
                                              const TempDir& dir) {
        options.insert(options.end(), {"--firmware-out", (dir / "flashed.bin").string(), "--log",
                                       (dir / "received.bin").string()});
        return options;
    }

    Bytes small_;
    Bytes large_;
    TempDir dir_;
    SimProcess sim_;
};

void expectFinished(const CliResult& r) {
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Upgrading finished"), std::string::npos) << r.out;
}

void expectFailed(const CliResult& r, const std::string& message) {
    EXPECT_NE(r.status, 0);
    const std::size_t at = r.err.find(message);
    EXPECT_NE(at, std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(message, at + 1), std::string::npos) << "said twice: " << r.err;
    EXPECT_EQ(r.out.find("Upgrading finished"), std::string::npos) << r.out;
}

TEST(CliUpgrade, ChecksumLoaderFlashesTheSmallImage) {
    Upgrade upgrade({"--boot-size", "0x16", "--loader", "f"});
    expectFinished(upgrade.run());
    EXPECT_EQ(upgrade.received().size(), kStart.size() + 120 * 8 * kChecksumChunkOnWire);
    EXPECT_EQ(prefix(upgrade.received(), 4), kStart);
    EXPECT_TRUE(upgrade.flashed() == prefix(upgrade.small(), 120 * kBlock));
}

TEST(CliUpgrade, EchoLoaderFlashesTheLargeImage) {
    Upgrade upgrade({"--boot-size", "0x32", "--loader", "g"});
    const CliResult r = upgrade.run();
    std::printf("[   time   ] 224 blocks to the echoing loader: %.2f s\n", r.seconds);
    expectFinished(r);
    EXPECT_EQ(upgrade.received().size(), kStart.size() + 224 * 8 * kEchoChunkOnWire);
    EXPECT_TRUE(upgrade.flashed() == prefix(upgrade.large(), 224 * kBlock));
}

// Seven failed attempts of a chunk are still within the eight it gets.
TEST(CliUpgrade, RetriedChunksStillFinishWithEveryByteInPlace) {
    Upgrade checksum(
        {"--boot-size", "0x16", "--loader", "f", "--chunk-fail", "7", "--z-after", "2"});
    expectFinished(checksum.run());
    EXPECT_EQ(checksum.received().size(), kStart.size() + 3 * 8 * 8 * kChecksumChunkOnWire);
    EXPECT_TRUE(checksum.flashed() == prefix(checksum.small(), 3 * kBlock));

    Upgrade echo({"--boot-size", "0x32", "--loader", "g", "--chunk-fail", "7", "--chunk-fail-at",
                  "13", "--z-after", "2"});
    expectFinished(echo.run());
    EXPECT_EQ(echo.received().size(), kStart.size() + (3 * 8 + 7) * kEchoChunkOnWire);
    EXPECT_TRUE(echo.flashed() == prefix(echo.large(), 3 * kBlock));
}

// Block 1's second chunk fails all eight attempts: the ninth is never sent, and the logger
// keeps what it accepted before.
TEST(CliUpgrade, EighthFailedAttemptStopsTheUpgrade) {
    Upgrade checksum(
        {"--boot-size", "0x16", "--loader", "f", "--chunk-fail", "8", "--chunk-fail-at", "9"});
    expectFailed(checksum.run(), "Firmware upgrading failed, please try again");
    EXPECT_EQ(checksum.received().size(), kStart.size() + (8 + 1 + 8) * kChecksumChunkOnWire);
    EXPECT_TRUE(checksum.flashed() == prefix(checksum.small(), kBlock + 16));

    Upgrade echo({"--boot-size", "0x32", "--loader", "g", "--chunk-fail", "8"});
    expectFailed(echo.run(), "Firmware upgrading failed, please try again");
    EXPECT_EQ(echo.received().size(), kStart.size() + 8 * kEchoChunkOnWire);
}

TEST(CliUpgrade, ZAfterABlockEndsTheTransferAsFinished) {
    Upgrade upgrade({"--boot-size", "0x16", "--loader", "f", "--z-after", "5"});
    expectFinished(upgrade.run());
    EXPECT_EQ(upgrade.received().size(), kStart.size() + 6 * 8 * kChecksumChunkOnWire);
    EXPECT_TRUE(upgrade.flashed() == prefix(upgrade.small(), 6 * kBlock));
}

TEST(CliUpgrade, WithoutImagesTheLoggerIsNeverAsked) {
    Upgrade upgrade({"--boot-size", "0x16", "--loader", "f"}, false);
    const CliResult r = upgrade.run();
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("firmware-158.bin"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("firmware-159.bin"), std::string::npos) << r.err;
    EXPECT_TRUE(upgrade.received().empty()) << "no 'T': the logger stays out of upgrade mode";
}

// The image the size code asks for is missing or too short: nothing is written to the logger.
TEST(CliUpgrade, UnusableImageForTheSizeCodeIsNeverStarted) {
    Upgrade missing({"--boot-size", "0x16", "--loader", "f"});
    fs::remove(missing.images() / "firmware-158.bin");
    expectFailed(missing.run(), "Firmware upgrading failed, please try again");
    EXPECT_EQ(missing.received(), (Bytes{'A', 'T', 'V'}));

    Upgrade tooShort({"--boot-size", "0x32", "--loader", "f"});
    writeBytes(tooShort.images() / "firmware-159.bin", prefix(tooShort.large(), 224 * kBlock - 1));
    expectFailed(tooShort.run(), "Firmware upgrading failed, please try again");
    EXPECT_EQ(tooShort.received(), (Bytes{'A', 'T', 'V'}));
    EXPECT_FALSE(tooShort.flashWritten());
}

// Only the part that is sent has to be there.
TEST(CliUpgrade, ImageJustLongEnoughIsFlashed) {
    Upgrade upgrade({"--boot-size", "0x16", "--loader", "f"});
    writeBytes(upgrade.images() / "firmware-158.bin", prefix(upgrade.small(), 120 * kBlock));
    expectFinished(upgrade.run());
    EXPECT_TRUE(upgrade.flashed() == prefix(upgrade.small(), 120 * kBlock));
}

TEST(CliUpgrade, LoggerNotInUpgradeModeIsAskedToBePutThere) {
    const std::string prompt = "Press and hold MODE to start and enter upgrading mode";
    Upgrade refused({"--no-boot"});
    expectFailed(refused.run(), prompt);
    EXPECT_EQ(refused.received(), (Bytes{'A', 'T'}));

    Upgrade unknownSize({"--boot-size", "0x20", "--loader", "f"});
    expectFailed(unknownSize.run(), prompt);
    EXPECT_EQ(unknownSize.received(), (Bytes{'A', 'T', 'V'}));
}

// A loader this program cannot speak to gets no chunk byte at all.
TEST(CliUpgrade, UnknownLoaderFailsWithoutSendingAChunk) {
    Upgrade upgrade({"--boot-size", "0x16", "--loader", "x"});
    expectFailed(upgrade.run(), "Firmware upgrading failed, please try again");
    EXPECT_EQ(upgrade.received(), kStart);
}

} // namespace
} // namespace tk::e2e
