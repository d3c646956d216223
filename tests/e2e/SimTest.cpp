// SPDX-License-Identifier: GPL-3.0-or-later
// The logger simulator itself, driven over its pseudo-terminal by a bare raw-mode client.
#include "e2e/SimProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using tk::e2e::Bytes;
using tk::e2e::Clock;
using tk::e2e::SimProcess;
namespace fs = std::filesystem;

constexpr int kQuietMs = 300;

// One exchange's view of the port: opened raw, as the program opens it, and closed at the end.
class PtyClient {
public:
    explicit PtyClient(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        termios settings{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(fd_, TCSANOW, &settings);
            ::tcflush(fd_, TCIOFLUSH);
        }
    }
    ~PtyClient() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }

    void send(const Bytes& bytes) {
        EXPECT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

    // Up to count bytes; fewer when the line stays quiet for timeoutMs.
    Bytes read(std::size_t count, int timeoutMs = 2000) {
        Bytes got;
        std::uint8_t buffer[65536];
        pollfd p{fd_, POLLIN, 0};
        while (got.size() < count && ::poll(&p, 1, timeoutMs) > 0) {
            const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0)
                break;
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    Bytes readUntilQuiet() { return read(SIZE_MAX, kQuietMs); }

    Bytes exchange(const Bytes& command, std::size_t replyLength) {
        send(command);
        return read(replyLength);
    }

private:
    int fd_ = -1;
};

Bytes recordBytes(std::size_t index) {
    Bytes record(24);
    for (std::size_t i = 0; i < record.size(); ++i)
        record[i] = static_cast<std::uint8_t>(index * 31 + i * 7); // covers AA and FE values
    return record;
}

struct TempFile {
    fs::path path;
    explicit TempFile(const std::string& name)
        : path(fs::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {}
    ~TempFile() { fs::remove(path); }
    Bytes contents() const {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
};

// A memory file of `records` records plus a few stray bytes of an incomplete record.
TempFile memoryFile(std::size_t records) {
    TempFile file("sim-memory");
    std::ofstream out(file.path, std::ios::binary);
    for (std::size_t r = 0; r < records; ++r) {
        const Bytes record = recordBytes(r);
        out.write(reinterpret_cast<const char*>(record.data()), 24);
    }
    out.write("\x01\x02\x03\x04\x05", 5);
    return file;
}

// Hunts sync bytes and cuts records, as the program does; stops at the end of the bytes.
std::vector<Bytes> cutRecords(const Bytes& stream, std::size_t from) {
    std::vector<Bytes> records;
    for (std::size_t i = from; i < stream.size(); ++i) {
        if (stream[i] != 0xAA || i + 24 >= stream.size())
            continue;
        records.emplace_back(stream.begin() + i + 1, stream.begin() + i + 25);
        i += 24;
    }
    return records;
}

Bytes checksumChunk(std::uint8_t hi, std::uint8_t lo, const Bytes& data) {
    Bytes chunk = {hi, lo};
    chunk.insert(chunk.end(), data.begin(), data.end());
    std::uint8_t sum = 0;
    for (std::uint8_t b : chunk)
        sum = static_cast<std::uint8_t>(sum + b);
    chunk.push_back(static_cast<std::uint8_t>(-sum));
    return chunk;
}

Bytes chunkData(std::size_t chunk) {
    return Bytes(16, static_cast<std::uint8_t>(chunk));
}

Bytes enterUpgrade(PtyClient& port) {
    EXPECT_EQ(port.exchange({'T'}, 1), Bytes{'C'});
    Bytes id = port.exchange({'V'}, 3);
    EXPECT_EQ(port.exchange({'W'}, 1), Bytes{'S'});
    return id;
}

TEST(SimTest, AnswersProbeAndRemembersSettingsAcrossReopenedPorts) {
    SimProcess sim({});
    ASSERT_EQ(sim.port().rfind("/dev/pts/", 0), 0u) << sim.port();
    {
        PtyClient port(sim.port());
        ASSERT_TRUE(port.isOpen());
        EXPECT_EQ(port.exchange({'A'}, 1), Bytes{'A'});
        EXPECT_EQ(port.exchange({'V'}, 5), (Bytes{'V', 'i', 5, 0, 188}));
    }
    {
        PtyClient port(sim.port());
        EXPECT_EQ(port.exchange({2}, 1), Bytes{2});
        EXPECT_EQ(port.exchange({12}, 1), Bytes{12});
        EXPECT_EQ(port.exchange({175}, 1), Bytes{175});
        port.send({0x99, 'W', 195, 0}); // not commands: no answer
        EXPECT_TRUE(port.readUntilQuiet().empty());
    }
    PtyClient port(sim.port());
    EXPECT_EQ(port.exchange({'V'}, 5), (Bytes{'V', 'i', 3, 1, 175}));
    EXPECT_EQ(port.exchange({4}, 1), Bytes{4});
    EXPECT_EQ(port.exchange({'V'}, 5), (Bytes{'V', 'i', 10, 1, 175}));
    EXPECT_EQ(sim.stop(), 0);
}

TEST(SimTest, OlderFirmwareSendsNoZoneByteAndRawSettingsPassThrough) {
    SimProcess sim({"--firmware", "g", "--step", "7", "--unit", "2", "--zone", "0"});
    PtyClient port(sim.port());
    port.send({'V'});
    EXPECT_EQ(port.readUntilQuiet(), (Bytes{'V', 'g', 7, 2}));
}

TEST(SimTest, DownloadsMemoryFileByteForByteThenClears) {
    TempFile memory = memoryFile(13);
    SimProcess sim({"--memory", memory.path.string()});
    PtyClient port(sim.port());
    port.send({'G'});
    const Bytes stream = port.readUntilQuiet();
    ASSERT_EQ(stream.size(), 1 + 2 + 22 * 25u); // reply, count, 2 pages of sync + record
    EXPECT_EQ(stream[1], 0);
    EXPECT_EQ(stream[2], 2);
    for (std::size_t r = 0; r < 22; ++r) {
        const std::size_t at = 3 + r * 25;
        ASSERT_EQ(stream[at], 0xAA) << r;
        const Bytes record(stream.begin() + at + 1, stream.begin() + at + 25);
        EXPECT_EQ(record, r < 13 ? recordBytes(r) : Bytes(24, 0xFF)) << r;
    }
    EXPECT_EQ(port.exchange({'C'}, 1), Bytes{'C'});
    port.send({'G'});
    EXPECT_EQ(port.readUntilQuiet(), (Bytes{'G', 0, 0}));
}

TEST(SimTest, AnnouncedPagesBeyondTheMemoryAreErased) {
    TempFile memory = memoryFile(3);
    SimProcess sim({"--memory", memory.path.string(), "--pages", "3000"});
    PtyClient port(sim.port());
    port.send({'G'});
    const Bytes stream = port.readUntilQuiet();
    ASSERT_EQ(stream.size(), 3 + 33000 * 25u);
    EXPECT_EQ(stream[1], 0x0B);
    EXPECT_EQ(stream[2], 0xB8);
    EXPECT_EQ(Bytes(stream.begin() + 54, stream.begin() + 78), recordBytes(2));
    EXPECT_EQ(Bytes(stream.end() - 24, stream.end()), Bytes(24, 0xFF));
}

TEST(SimTest, FallsSilentAfterNoisyRecordsAndAnswersTheNextProbe) {
    TempFile memory = memoryFile(13);
    SimProcess sim(
        {"--memory", memory.path.string(), "--pages", "3", "--silent-after", "5", "--noise"});
    PtyClient port(sim.port());
    port.send({'G'});
    const Bytes stream = port.readUntilQuiet();
    ASSERT_GE(stream.size(), 3u);
    EXPECT_EQ(stream[2], 3);
    const std::vector<Bytes> records = cutRecords(stream, 3);
    ASSERT_EQ(records.size(), 5u);
    for (std::size_t r = 0; r < records.size(); ++r)
        EXPECT_EQ(records[r], recordBytes(r));
    EXPECT_GT(stream.size(), 3 + 5 * 25u) << "no noise between records";
    EXPECT_EQ(port.exchange({'A'}, 1), Bytes{'A'});
}

TEST(SimTest, DropsThePageCount) {
    SimProcess sim({"--demo", "--drop-count"});
    PtyClient port(sim.port());
    port.send({'G'});
    EXPECT_EQ(port.readUntilQuiet().size(), 1u);
    EXPECT_EQ(port.exchange({'A'}, 1), Bytes{'A'});
}

TEST(SimTest, InputDuringADownloadEndsIt) {
    SimProcess sim({"--pages", "2048", "--pace"});
    {
        PtyClient port(sim.port());
        port.send({'G'});
        EXPECT_EQ(port.read(3).size(), 3u);
    }
    PtyClient port(sim.port()); // discards what arrived in between
    port.send({'A'});
    // At most a few bytes already on their way, then the probe's answer and nothing more.
    const Bytes rest = port.readUntilQuiet();
    ASSERT_FALSE(rest.empty());
    EXPECT_LT(rest.size(), 64u);
    EXPECT_EQ(rest.back(), 'A');
}

TEST(SimTest, WrongEchoLeavesThatSettingUnchanged) {
    SimProcess sim({"--wrong-echo=unit,clear", "--demo"});
    PtyClient port(sim.port());
    EXPECT_EQ(port.exchange({1}, 1), Bytes{1});
    const Bytes unitEcho = port.exchange({12}, 1);
    ASSERT_EQ(unitEcho.size(), 1u);
    EXPECT_NE(unitEcho[0], 12);
    EXPECT_NE(port.exchange({'C'}, 1), Bytes{'C'});
    EXPECT_EQ(port.exchange({'V'}, 5), (Bytes{'V', 'i', 1, 0, 188}));
    port.send({'G'});
    EXPECT_GT(port.readUntilQuiet().size(), 3u) << "memory was cleared";
}

TEST(SimTest, ChecksumLoaderRetriesFailedChunkAndEndsWithZ) {
    TempFile image("sim-image");
    TempFile log("sim-log");
    SimProcess sim({"--boot-size", "16", "--loader", "f", "--chunk-fail", "2", "--chunk-fail-at",
                    "9", "--z-after", "1", "--firmware-out", image.path.string(), "--log",
                    log.path.string()});
    PtyClient port(sim.port());
    EXPECT_EQ(enterUpgrade(port), (Bytes{0x16, 0x01, 'f'}));
    Bytes sent;
    for (std::size_t chunk = 0; chunk < 16; ++chunk) {
        const std::uint8_t lo = chunk < 8 ? 0x00 : 0x80;
        const Bytes good = checksumChunk(0, lo, chunkData(chunk));
        if (chunk == 3) { // a wrong checksum, then the wrong block address, are both refused
            Bytes bad = good;
            bad.back() ^= 1;
            EXPECT_NE(port.exchange(bad, 1), Bytes{'!'});
            EXPECT_NE(port.exchange(checksumChunk(0, 0x80, chunkData(chunk)), 1), Bytes{'!'});
        }
        for (int failure = 0; chunk == 9 && failure < 2; ++failure)
            EXPECT_EQ(port.exchange(good, 1), Bytes{'?'}) << "attempt " << failure;
        const std::uint8_t blockEnd = chunk == 7 ? 'N' : 'Z';
        EXPECT_EQ(port.exchange(good, chunk % 8 == 7 ? 2 : 1),
                  chunk % 8 == 7 ? (Bytes{'!', blockEnd}) : Bytes{'!'})
            << "chunk " << chunk;
        sent.insert(sent.end(), good.begin() + 2, good.end() - 1);
    }
    EXPECT_EQ(port.exchange({'A'}, 1), Bytes{'A'}) << "still in upgrade mode after 'Z'";
    EXPECT_EQ(image.contents(), sent);
    const Bytes logged = log.contents();
    ASSERT_GE(logged.size(), 4u);
    EXPECT_EQ(Bytes(logged.begin(), logged.begin() + 3), (Bytes{'T', 'V', 'W'}));
    EXPECT_EQ(logged.back(), 'A');
}

TEST(SimTest, EchoLoaderCorruptsAnEchoOnFailingAttempts) {
    SimProcess sim({"--boot-size", "32", "--loader", "g", "--chunk-fail", "1"});
    PtyClient port(sim.port());
    EXPECT_EQ(enterUpgrade(port), (Bytes{0x32, 0x01, 'g'}));
    Bytes chunk = {0, 0};
    const Bytes data = chunkData(5);
    chunk.insert(chunk.end(), data.begin(), data.end());
    EXPECT_NE(port.exchange(chunk, 18), chunk);
    EXPECT_EQ(port.exchange({'R'}, 1), Bytes{'R'});
    EXPECT_EQ(port.exchange(chunk, 18), chunk);
    EXPECT_EQ(port.exchange({'R'}, 1), Bytes{'R'}) << "the program's 'R' is never accepted";
    EXPECT_EQ(port.exchange(chunk, 18), chunk) << "one failure per chunk only";
    EXPECT_EQ(port.exchange({'O'}, 1), Bytes{'O'});
}

TEST(SimTest, LeavesUpgradeModeWhenTheProgramGivesUpOrMovesOn) {
    SimProcess sim({"--loader", "f", "--chunk-fail", "8"});
    PtyClient port(sim.port());
    enterUpgrade(port);
    const Bytes chunk = checksumChunk(0, 0, chunkData(0));
    for (int attempt = 0; attempt < 8; ++attempt)
        EXPECT_EQ(port.exchange(chunk, 1), Bytes{'?'});
    EXPECT_EQ(port.exchange({'A'}, 1), Bytes{'A'});
    // Identified but not started (the size code was refused): the next probe is a command.
    EXPECT_EQ(port.exchange({'T'}, 1), Bytes{'C'});
    EXPECT_EQ(port.exchange({'V'}, 3).size(), 3u);
    EXPECT_EQ(port.exchange({'A'}, 1), Bytes{'A'});
    // A program that vanishes mid-chunk: after two quiet seconds the logger takes commands again.
    enterUpgrade(port);
    port.send({0, 0, 1});
    ::usleep(2300 * 1000);
    EXPECT_EQ(port.exchange({'A'}, 1), Bytes{'A'});
}

TEST(SimTest, RefusesUpgradeModeWithNoBoot) {
    SimProcess sim({"--no-boot"});
    PtyClient port(sim.port());
    const Bytes answer = port.exchange({'T'}, 1);
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_NE(answer[0], 'C');
    EXPECT_EQ(port.exchange({'V'}, 5).size(), 5u) << "'V' answered as the settings command";
}

TEST(SimTest, PacedOutputTakesTheLineTime) {
    SimProcess sim({"--pace", "--pages", "1"});
    PtyClient port(sim.port());
    auto start = Clock::now();
    EXPECT_EQ(port.exchange({'V'}, 5).size(), 5u);
    const auto settingsTime = Clock::now() - start;
    start = Clock::now();
    port.send({'G'});
    EXPECT_EQ(port.read(3 + 11 * 25).size(), 3 + 11 * 25u);
    const auto downloadTime = Clock::now() - start;
    // 5 bytes at 960 bytes/s; 1 byte at 960 bytes/s and 277 at 5,760 bytes/s.
    EXPECT_GE(settingsTime, std::chrono::microseconds(5000));
    EXPECT_GE(downloadTime, std::chrono::milliseconds(48));
    EXPECT_LT(downloadTime, std::chrono::milliseconds(150));
}

TEST(SimTest, RejectsBadCommandLines) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--step", "300"},
                                                 {"--bogus"},
                                                 {"--pages"},
                                                 {"--memory", "x.gpl", "--demo"},
                                                 {"--wrong-echo=speed"},
                                                 {"--pace=1"}}) {
        SimProcess sim(args);
        EXPECT_EQ(sim.port(), "");
        EXPECT_EQ(sim.stop(), 2) << args[0];
    }
    SimProcess missing({"--memory", "/nonexistent/memory.gpl"});
    EXPECT_EQ(missing.stop(), 1);
}

} // namespace
