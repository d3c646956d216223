// SPDX-License-Identifier: GPL-3.0-or-later
// trailkeep-cli read against the logger simulator on a pseudo-terminal: what is written, what is
// said, and how long a failing logger can hold the download.
#include "e2e/SimProcess.h"
#include "link/SerialConnector.h"
#include "support/Contains.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <regex>

namespace tk::e2e {
namespace {

using test::contains;

constexpr std::size_t kRecord = 24;
constexpr std::size_t kPage = 11 * kRecord;

void reportTime(const char* what, double seconds) {
    std::printf("[   time   ] %s: %.2f s\n", what, seconds);
}

// A memory image made by `trailkeep-cli demo`, written to dir/name.
Bytes demoImage(const TempDir& dir, const std::string& name, bool full = false) {
    std::vector<std::string> args = {"demo", "-o", (dir / name).string()};
    if (full)
        args.push_back("--full");
    const CliResult made = runCli(args);
    EXPECT_EQ(made.status, 0) << made.err;
    return readBytes(dir / name);
}

CliResult readLogger(const SimProcess& sim, const fs::path& out) {
    EXPECT_FALSE(sim.port().empty()) << "trailkeep-sim did not start";
    return runCli({"read", "--port", sim.port(), "-o", out.string()});
}

// The count of an incomplete download's message ("... N of M records received ..."); -1 when
// the message does not say the download is incomplete with both counts.
long recordsReceived(const std::string& message, std::size_t expected) {
    static const std::regex incomplete("incomplete", std::regex::icase);
    const std::regex counts("(\\d+) of " + std::to_string(expected) + " records received");
    std::smatch match;
    if (!std::regex_search(message, incomplete) || !std::regex_search(message, match, counts))
        return -1;
    EXPECT_EQ(message.find('%'), std::string::npos) << "unformatted text: " << message;
    return std::stol(match[1]);
}

// The file holds `pages` pages: the first `records` records of `arrived`, zeros after.
void expectArrivedThenZeros(const Bytes& file, const Bytes& arrived, std::size_t records,
                            std::size_t pages) {
    ASSERT_EQ(file.size(), pages * kPage);
    ASSERT_LE(records * kRecord, arrived.size());
    const auto split = file.begin() + static_cast<std::ptrdiff_t>(records * kRecord);
    EXPECT_TRUE(std::equal(file.begin(), split, arrived.begin())) << "arrived records differ";
    EXPECT_TRUE(std::all_of(split, file.end(), [](std::uint8_t b) { return b == 0; }))
        << "the rest of the pages is not zero-filled";
}

TEST(CliRead, DownloadsAFullMemoryByteForByteAndListsItsTracks) {
    TempDir dir;
    const Bytes image = demoImage(dir, "full.gpl", true);
    ASSERT_EQ(image.size(), 2048 * kPage);
    SimProcess sim({"--memory", (dir / "full.gpl").string()});

    const CliResult read = readLogger(sim, dir / "out.gpl");
    reportTime("unpaced download of 2,048 pages", read.seconds);
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.err, "") << "nothing on stderr, not even a progress bar, when it is no terminal";
    EXPECT_TRUE(readBytes(dir / "out.gpl") == image);
    // Decoding during the download must give what decoding the saved file gives.
    const CliResult listed = runCli({"tracks", (dir / "full.gpl").string()});
    ASSERT_EQ(listed.status, 0);
    EXPECT_TRUE(contains(listed.out, {"\n   2  "}));
    EXPECT_EQ(read.out, listed.out + "Receive Completed\n");
}

TEST(CliRead, DemoLoggerListsTheTracksOfTheSavedFile) {
    TempDir dir;
    SimProcess sim({"--demo"});
    const CliResult read = readLogger(sim, dir / "out.gpl");
    ASSERT_EQ(read.status, 0) << read.err;
    const Bytes saved = readBytes(dir / "out.gpl");
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(saved.size() % kPage, 0u);
    const CliResult listed = runCli({"tracks", (dir / "out.gpl").string()});
    EXPECT_EQ(read.out, listed.out + "Receive Completed\n");
    EXPECT_FALSE(contains(read.out, {"(no tracks)"}));
}

TEST(CliRead, NoiseBetweenRecordsLosesNothing) {
    TempDir dir;
    const Bytes image = demoImage(dir, "demo.gpl");
    SimProcess sim({"--memory", (dir / "demo.gpl").string(), "--noise", "--seed", "7"});
    const CliResult read = readLogger(sim, dir / "out.gpl");
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_TRUE(contains(read.out, {"Receive Completed"}));
    EXPECT_TRUE(readBytes(dir / "out.gpl") == image);
}

TEST(CliRead, SilentLoggerEndsIncompleteWithinThreeTimeOutsAndKeepsWhatArrived) {
    TempDir dir;
    const Bytes image = demoImage(dir, "demo.gpl");
    const std::size_t pages = image.size() / kPage;
    SimProcess sim({"--memory", (dir / "demo.gpl").string(), "--silent-after", "30"});

    const CliResult read = readLogger(sim, dir / "out.gpl");
    reportTime("read from a logger silent after 30 records", read.seconds);
    EXPECT_LT(read.seconds, 10.0 * kTimeAllowance);
    EXPECT_NE(read.status, 0);
    EXPECT_FALSE(contains(read.out, {"Receive Completed"}));
    EXPECT_EQ(recordsReceived(read.err, pages * 11), 30) << read.err;
    expectArrivedThenZeros(readBytes(dir / "out.gpl"), image, 30, pages);
}

// Three lost records far apart are no silent logger: the download goes on to the end.
TEST(CliRead, RecordsLostHereAndThereDoNotEndTheDownload) {
    TempDir dir;
    Bytes image = demoImage(dir, "demo.gpl");
    const std::size_t pages = image.size() / kPage;
    const std::vector<std::size_t> lost = {10, 50, 90};
    for (std::size_t r : lost)
        image[r * kRecord + kRecord - 1] = 0xFE; // read as a time-out: the record is lost
    writeBytes(dir / "damaged.gpl", image);
    SimProcess sim({"--memory", (dir / "damaged.gpl").string()});

    const CliResult read = readLogger(sim, dir / "out.gpl");
    EXPECT_NE(read.status, 0);
    EXPECT_EQ(recordsReceived(read.err, pages * 11), long(pages * 11 - lost.size())) << read.err;
    Bytes arrived;
    for (std::size_t r = 0; r < pages * 11; ++r)
        if (std::find(lost.begin(), lost.end(), r) == lost.end())
            arrived.insert(arrived.end(), image.begin() + r * kRecord,
                           image.begin() + (r + 1) * kRecord);
    expectArrivedThenZeros(readBytes(dir / "out.gpl"), arrived, arrived.size() / kRecord, pages);
}

TEST(CliRead, MissingPageCountIsConnectFailedAndWritesNothing) {
    TempDir dir;
    SimProcess sim({"--demo", "--drop-count"});
    const CliResult read = readLogger(sim, dir / "out.gpl");
    reportTime("read with no page count", read.seconds);
    EXPECT_LT(read.seconds, 6.0 * kTimeAllowance);
    EXPECT_NE(read.status, 0);
    EXPECT_TRUE(contains(read.err, {"Connect Failed"}));
    EXPECT_FALSE(fs::exists(dir / "out.gpl"));
}

// The named port does not exist; every port the system lists is probed too, each for at most
// one read time-out.
TEST(CliRead, NoLoggerOnAnyPortIsGetUartFailed) {
    TempDir dir;
    const CliResult read =
        runCli({"read", "--port", "/dev/pts/9999", "-o", (dir / "x.gpl").string()});
    const std::size_t ports = SerialConnector("/dev/pts/9999").candidatePorts().size();
    std::printf("[   time   ] search of %zu ports without a logger: %.2f s\n", ports, read.seconds);
    EXPECT_LT(read.seconds, (2.5 * double(ports) + 1.0) * kTimeAllowance);
    EXPECT_NE(read.status, 0);
    EXPECT_TRUE(contains(read.err, {"Get Uart Failed"}));
    EXPECT_FALSE(fs::exists(dir / "x.gpl"));
}

// A paced download of the demo memory, a few pages under way when the constructor returns.
struct DownloadUnderWay {
    TempDir dir;
    Bytes image = demoImage(dir, "demo.gpl");
    std::size_t pages = image.size() / kPage;
    SimProcess sim{
        {"--memory", (dir / "demo.gpl").string(), "--pace", "--log", (dir / "sim.log").string()}};
    CliProcess cli{{"read", "--port", sim.port(), "-o", (dir / "out.gpl").string()}};

    // Once the download command went out, until the program has read a few pages from the port
    // (every byte it reads from then on comes from the port).
    DownloadUnderWay() {
        const auto waitLimit = Clock::now() + std::chrono::seconds(30);
        while (readBytes(dir / "sim.log").size() < 2 && Clock::now() < waitLimit)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const long long before = cli.bytesRead();
        constexpr long long kFewPages = 3 * 11 * 24;
        while (cli.bytesRead() >= 0 && cli.bytesRead() < before + kFewPages &&
               Clock::now() < waitLimit)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    // Some but not all records arrived, and the file holds them followed by zeros.
    void expectPartKept(const CliResult& read) {
        const long received = recordsReceived(read.err, pages * 11);
        EXPECT_GT(received, 0) << read.err;
        EXPECT_LT(received, long(pages * 11));
        if (received > 0)
            expectArrivedThenZeros(readBytes(dir / "out.gpl"), image, std::size_t(received), pages);
    }
};

TEST(CliRead, KilledLoggerEndsIncompleteAndKeepsWhatArrived) {
    DownloadUnderWay download;
    const auto killed = Clock::now();
    download.sim.kill();

    const CliResult read = download.cli.finish();
    reportTime("read ended after the logger was killed", secondsSince(killed));
    EXPECT_LT(secondsSince(killed), 10.0 * kTimeAllowance);
    EXPECT_NE(read.status, 0);
    download.expectPartKept(read);
}

TEST(CliRead, InterruptCancelsAndKeepsWhatArrived) {
    DownloadUnderWay download;
    const auto interrupted = Clock::now();
    download.cli.signal(SIGINT);

    const CliResult read = download.cli.finish();
    EXPECT_LT(secondsSince(interrupted), 3.0 * kTimeAllowance);
    EXPECT_EQ(read.status, 1);
    EXPECT_TRUE(contains(read.err, {"cancelled"}));
    download.expectPartKept(read);
}

TEST(CliRead, AnnouncementBeyondTheMemoryKeeps2048Pages) {
    TempDir dir;
    const Bytes image = demoImage(dir, "demo.gpl");
    SimProcess sim({"--memory", (dir / "demo.gpl").string(), "--pages", "3000"});
    const CliResult read = readLogger(sim, dir / "out.gpl");
    reportTime("read of 3,000 announced pages", read.seconds);
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_TRUE(contains(read.out, {"Receive Completed"}));
    EXPECT_TRUE(contains(read.err, {"10472 records beyond the 2048-page memory were not kept"}));
    const Bytes saved = readBytes(dir / "out.gpl");
    ASSERT_EQ(saved.size(), 2048 * kPage);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), saved.begin()));
    // The simulator sends erased records for the pages its memory does not hold.
    EXPECT_TRUE(std::all_of(saved.begin() + std::ptrdiff_t(image.size()), saved.end(),
                            [](std::uint8_t b) { return b == 0xFF; }));
}

} // namespace
} // namespace tk::e2e
