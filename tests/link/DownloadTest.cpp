// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Download.h"

#include "support/ScriptedPort.h"
#include "tracks/PageBuffer.h"
#include "tracks/Track.h"
#include "tracks/TrackDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace tk {
namespace {

using Record = std::array<std::uint8_t, kRecordSize>;

Record trackStart() {
    Record record{};
    record = {0xEE, 0xEE, 0xEE, 5, 0, 188};
    return record;
}

// The n-th fix of a trip standing still at one place, 5 seconds apart from 10:00 UTC on.
Record fix(int n) {
    const auto minute = static_cast<std::uint8_t>(n * 5 / 60);
    const auto second = static_cast<std::uint8_t>(n * 5 % 60);
    return {10, minute, second, 0,   0,  0,  24, 5, 1,  0,  1,  0,
            1,  0,      0,      116, 23, 45, 67, 0, 39, 54, 32, 10};
}

Record erased() {
    Record record{};
    record.fill(0xFF);
    return record;
}

class DownloadTest : public testing::Test {
protected:
    void announce(int pages) {
        logger.port.send(
            {0x00, static_cast<std::uint8_t>(pages >> 8), static_cast<std::uint8_t>(pages & 0xFF)});
    }
    void sendRecord(const Record& record) {
        logger.port.send({0xAA});
        logger.port.send(record);
    }
    void sendTrip(int fixes) {
        sendRecord(trackStart());
        for (int i = 0; i < fixes; ++i)
            sendRecord(fix(i));
    }
    DownloadResult download() { return downloadMemory(logger, buffer, decoder, callbacks); }
    void expectLineRestoredAndClosed() {
        ASSERT_FALSE(logger.port.baudChanges.empty());
        EXPECT_EQ(logger.port.baudChanges.back().rate, kCommandBaud);
        EXPECT_EQ(logger.port.closes, 1);
        EXPECT_FALSE(logger.port.isOpen());
    }

    test::ScriptedConnector logger;
    PageBuffer buffer;
    TrackTable table;
    TrackDecoder decoder{table};
    DownloadCallbacks callbacks;
};

TEST_F(DownloadTest, ExchangesTheDownloadByteByByte) {
    std::vector<int> pageCounts;
    std::vector<std::size_t> progressReads;
    callbacks.onPageCount = [&](int n) { pageCounts.push_back(n); };
    callbacks.onProgress = [&](int k) {
        EXPECT_EQ(k % 11, 0);
        progressReads.push_back(logger.port.reads);
    };
    announce(2);
    sendTrip(20);
    sendRecord(erased());

    const DownloadResult result = download();

    EXPECT_EQ(logger.port.written, std::vector<std::uint8_t>{0x47});
    ASSERT_EQ(logger.port.baudChanges.size(), 2u);
    EXPECT_EQ(logger.port.baudChanges[0].rate, kDownloadBaud);
    EXPECT_EQ(logger.port.baudChanges[0].afterReads, 1u); // at once after the ignored byte
    expectLineRestoredAndClosed();
    EXPECT_EQ(pageCounts, std::vector<int>{2});
    // Each page's progress goes out before its last record is read.
    EXPECT_EQ(progressReads, (std::vector<std::size_t>{3 + 10 * 25, 3 + 21 * 25}));
    EXPECT_EQ(result.outcome, DownloadOutcome::Complete);
    EXPECT_EQ(result.messageKey(), "Receive Completed");
    EXPECT_EQ(result.recordsReceived, 22);
    EXPECT_EQ(buffer.pageCount, 2);
    EXPECT_EQ(buffer.byteCount, 2 * 264);
    EXPECT_TRUE(std::ranges::equal(buffer.record(1), fix(0)));
    EXPECT_EQ(table.lastTrack, 0);
    EXPECT_EQ(table.tracks[0].points.size(), 20u);
}

TEST_F(DownloadTest, AnEmptyLoggerCompletesAtOnceWithNothingStored) {
    announce(0);
    const DownloadResult result = download();
    EXPECT_EQ(result.outcome, DownloadOutcome::Complete);
    EXPECT_EQ(logger.port.reads, 3u);
    EXPECT_EQ(buffer.pageCount, 0);
    EXPECT_EQ(table.lastTrack, 0);
    expectLineRestoredAndClosed();
}

TEST_F(DownloadTest, AMissingCountByteEndsTheDownloadWithNoPages) {
    buffer.pageCount = 7;
    logger.port.send({0x00, 0x01}); // the low count byte never comes
    const DownloadResult result = download();
    EXPECT_EQ(result.outcome, DownloadOutcome::CountFailed);
    EXPECT_EQ(result.messageKey(), "Connect Failed");
    EXPECT_EQ(buffer.pageCount, 0);
    EXPECT_EQ(table.lastTrack, 0);
    EXPECT_EQ(logger.port.baudChanges.size(), 2u);
    expectLineRestoredAndClosed();
}

TEST_F(DownloadTest, WithoutALoggerTheBufferAndTracksStayAsTheyWere) {
    logger.present = false;
    buffer.pageCount = 4;
    table.tracks.resize(3);
    table.tracks[2].points.resize(5);
    table.lastTrack = 2;
    const DownloadResult result = download();
    EXPECT_EQ(result.outcome, DownloadOutcome::NoLogger);
    EXPECT_EQ(result.messageKey(), "Get Uart Failed");
    EXPECT_EQ(buffer.pageCount, 4);
    EXPECT_EQ(table.lastTrack, 2);
    EXPECT_EQ(table.tracks[2].points.size(), 5u);
}

TEST_F(DownloadTest, ALoggerFallingSilentEndsAfterThreeFailedRecordsKeepingWhatArrived) {
    announce(2);
    sendTrip(4);
    const DownloadResult result = download();
    EXPECT_EQ(result.outcome, DownloadOutcome::Incomplete);
    EXPECT_EQ(result.messageKey(), "Download incomplete: %d of %d records received");
    EXPECT_TRUE(result.loggerSilent);
    EXPECT_EQ(result.recordsReceived, 5);
    EXPECT_EQ(result.recordsFailed, 3);
    EXPECT_EQ(logger.port.timeouts, 3u); // not one per remaining record
    EXPECT_EQ(buffer.byteCount, 5 * 24);
    EXPECT_EQ(buffer.pageCount, 2);
    EXPECT_EQ(table.tracks[0].points.size(), 4u);
    expectLineRestoredAndClosed();
}

TEST_F(DownloadTest, IsolatedLostRecordsAreSkippedButTheDownloadIsNotComplete) {
    announce(1);
    Record broken = fix(0);
    broken[3] = 0xFE;
    sendRecord(trackStart());
    for (int i = 0; i < 3; ++i) {
        sendRecord(broken);
        sendRecord(broken);
        sendRecord(fix(i));
    }
    sendRecord(erased());
    const DownloadResult result = download();
    EXPECT_EQ(result.outcome, DownloadOutcome::Incomplete);
    EXPECT_FALSE(result.loggerSilent);
    EXPECT_EQ(result.recordsFailed, 6);
    EXPECT_EQ(result.recordsReceived, 5);
    EXPECT_EQ(table.tracks[0].points.size(), 3u);
}

TEST_F(DownloadTest, CancellingEndsBetweenRecordsLikeASilentLogger) {
    announce(3);
    sendTrip(32);
    int asked = 0;
    callbacks.shouldCancel = [&] { return ++asked > 6; };
    const DownloadResult result = download();
    EXPECT_EQ(result.outcome, DownloadOutcome::Incomplete);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.recordsReceived, 6);
    EXPECT_EQ(table.tracks[0].points.size(), 5u);
    expectLineRestoredAndClosed();
}

TEST_F(DownloadTest, RecordsBeyondTheBufferAreReadButNeitherStoredNorDecoded) {
    announce(static_cast<int>(kPageCapacity) + 1);
    for (std::size_t i = 0; i < kRecordCapacity; ++i)
        sendRecord(erased());
    sendTrip(10);
    const DownloadResult result = download();
    EXPECT_EQ(result.outcome, DownloadOutcome::Complete);
    EXPECT_EQ(result.pageCount, 2049);
    EXPECT_EQ(result.recordsStored, static_cast<int>(kRecordCapacity));
    EXPECT_EQ(result.recordsDropped, 11);
    EXPECT_EQ(buffer.pageCount, static_cast<int>(kPageCapacity));
    EXPECT_EQ(buffer.byteCount, static_cast<int>(kRecordCapacity * kRecordSize));
    EXPECT_EQ(logger.port.pending(), 0u);
    EXPECT_TRUE(table.tracks[0].points.empty());
}

TEST_F(DownloadTest, ADownloadReplacesWhatTheBufferHeldBefore) {
    for (std::size_t i = 0; i < 30; ++i)
        buffer.append(fix(1));
    announce(1);
    sendTrip(10);
    download();
    EXPECT_EQ(buffer.byteCount, 264);
    EXPECT_TRUE(std::ranges::all_of(buffer.bytes().subspan(264), [](auto b) { return b == 0; }));
}

} // namespace
} // namespace tk
