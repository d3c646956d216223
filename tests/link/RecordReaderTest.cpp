// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/RecordReader.h"

#include "support/ScriptedPort.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

namespace tk {
namespace {

using Record = std::array<std::uint8_t, kRecordSize>;

Record countingRecord() {
    Record record{};
    std::iota(record.begin(), record.end(), std::uint8_t{1});
    return record;
}

TEST(ReadRecord, SkipsBytesBeforeTheSyncByteAndReadsTheRecord) {
    test::ScriptedPort port;
    port.open();
    const Record sent = countingRecord();
    port.send({0x13, 0x37, 0xAA});
    port.send(sent);
    Record got{};
    EXPECT_EQ(readRecord(port, got), RecordRead::Received);
    EXPECT_EQ(got, sent);
    EXPECT_EQ(port.reads, 27u);
}

TEST(ReadRecord, SilenceInsideARecordFailsWithTheBytesSoFarKept) {
    test::ScriptedPort port;
    port.open();
    const Record sent = countingRecord();
    port.send({0xAA});
    port.send(std::span(sent).first(10));
    Record got{};
    EXPECT_EQ(readRecord(port, got), RecordRead::ReadFailed);
    EXPECT_TRUE(std::equal(sent.begin(), sent.begin() + 10, got.begin()));
    EXPECT_EQ(got[10], BytePort::kReadFailed);
    EXPECT_EQ(port.reads, 12u);
}

TEST(ReadRecord, AFailureByteInsideARecordFailsItAndTheNextHuntResynchronises) {
    test::ScriptedPort port;
    port.open();
    Record broken = countingRecord();
    broken[5] = 0xFE;
    const Record good = countingRecord();
    port.send({0xAA});
    port.send(broken);
    port.send({0xAA});
    port.send(good);
    Record got{};
    EXPECT_EQ(readRecord(port, got), RecordRead::ReadFailed);
    EXPECT_EQ(readRecord(port, got), RecordRead::Received);
    EXPECT_EQ(got, good);
}

TEST(ReadRecord, TheSyncHuntGivesUpAfter1024SkippedBytes) {
    test::ScriptedPort port;
    port.open();
    Record got{};
    port.sendRepeated(0x55, kMaxSyncSkip - 1);
    port.send({0xAA});
    port.send(countingRecord());
    EXPECT_EQ(readRecord(port, got), RecordRead::Received);

    port.sendRepeated(0x55, kMaxSyncSkip);
    port.send({0xAA});
    port.send(countingRecord());
    EXPECT_EQ(readRecord(port, got), RecordRead::SyncLost);
    EXPECT_EQ(port.pending(), 1 + kRecordSize); // gave up without reading on
}

TEST(ReadRecord, SilenceBeforeTheSyncByteFailsAtOnce) {
    test::ScriptedPort port;
    port.open();
    Record got{};
    EXPECT_EQ(readRecord(port, got), RecordRead::ReadFailed);
    EXPECT_EQ(port.reads, 1u);
}

} // namespace
} // namespace tk
