// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/LoggerSettings.h"

#include "support/ScriptedPort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tk {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Keys = std::vector<std::string_view>;

// What each reply of the logger leaves read: firmware 'h' and 'i' send a zone code, older ones
// do not and are not waited for; a wrong reply or one cut short leaves what was not read at
// zero (a time-out is not taken for a step byte or a zone code).
TEST(ReadSettings, EachReplyGivesWhatItHolds) {
    struct Case {
        Bytes reply;
        bool replied, complete, hasZone;
        int version, step, unit, zone;
        std::size_t reads, timeouts;
    };
    const Case cases[] = {
        {{'V', 'h', 3, 1, 188}, true, true, true, 'h', 3, 1, 188, 5, 0},
        {{'V', 'i', 3, 1, 188}, true, true, true, 'i', 3, 1, 188, 5, 0},
        {{'V', 'g', 5, 0, 188}, true, true, false, 'g', 5, 0, 0, 4, 0},
        {{'X', 'i', 3, 1, 188}, false, false, false, 0, 0, 0, 0, 1, 0},
        {{'V', 'i', 3}, true, false, false, 'i', 3, 0, 0, 4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.reply.begin(), c.reply.begin() + 2));
        test::ScriptedConnector logger;
        logger.port.send(c.reply);
        const LoggerSettings s = readSettings(logger);
        EXPECT_TRUE(s.found);
        EXPECT_EQ(s.replied, c.replied);
        EXPECT_EQ(s.complete, c.complete);
        EXPECT_EQ(s.hasZone, c.hasZone);
        EXPECT_EQ(s.firmwareVersion, c.version);
        EXPECT_EQ(s.stepSeconds, c.step);
        EXPECT_EQ(s.unitByte, c.unit);
        EXPECT_EQ(s.zoneCode, c.zone);
        EXPECT_EQ(logger.port.written, Bytes{'V'});
        EXPECT_EQ(logger.port.reads, c.reads);
        EXPECT_EQ(logger.port.timeouts, c.timeouts);
        EXPECT_EQ(logger.port.closes, 1);
    }
    EXPECT_TRUE(canUpgradeFirmware('g'));
    test::ScriptedConnector absent;
    absent.present = false;
    EXPECT_FALSE(readSettings(absent).found);
}

TEST(StepTranslation, MapsSecondsToRadiosAndKeepsOddValues) {
    EXPECT_EQ(stepIndexFromSeconds(1), 0);
    EXPECT_EQ(stepIndexFromSeconds(3), 1);
    EXPECT_EQ(stepIndexFromSeconds(5), 2);
    EXPECT_EQ(stepIndexFromSeconds(10), 3);
    EXPECT_EQ(stepIndexFromSeconds(0), 0);
    EXPECT_EQ(stepIndexFromSeconds(2), 2);
    EXPECT_EQ(stepIndexFromSeconds(4), 4);
}

TEST(StepTranslation, LogTimeCoversTheWholeMemory) {
    EXPECT_EQ(logTimeText(0, "Hour", "Min", "Sec"), "6Hour15Min28Sec");
    EXPECT_EQ(logTimeText(1, "Hour", "Min", "Sec"), "18Hour46Min24Sec");
    EXPECT_EQ(logTimeText(2, "Hour", "Min", "Sec"), "31Hour17Min20Sec");
    EXPECT_EQ(logTimeText(3, "Hour", "Min", "Sec"), "62Hour34Min40Sec");
    EXPECT_EQ(logTimeText(-1, "h", "m", "s"), "6h15m28s");
    EXPECT_EQ(logTimeText(4, "h", "m", "s"), "6h15m28s");
}

TEST(FirmwareVersion, NamesTheKnownVersions) {
    EXPECT_EQ(firmwareVersionText('h'), "Firmware version 1.2");
    EXPECT_EQ(firmwareVersionText('i'), "Firmware version 1.3");
    EXPECT_EQ(firmwareVersionText('j'), "");
    EXPECT_FALSE(canUpgradeFirmware('h'));
}

class EchoingLogger : public test::ScriptedConnector {
public:
    // Echoes every command except those listed, which it answers with 0x00.
    explicit EchoingLogger(Bytes refused = {}) {
        port.onWrite = [this, refused](std::uint8_t b) {
            port.send(std::ranges::find(refused, b) == refused.end() ? b : std::uint8_t{0});
        };
    }
};

TEST(SaveSettings, SendsStepThenUnitAndConfirmsBothEchoes) {
    EchoingLogger logger;
    const SaveResult result = saveSettings(logger, 1, 1);
    EXPECT_EQ(logger.port.written, (Bytes{2, 12}));
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.messageKeys, Keys{"Config Successful"});
    EXPECT_EQ(logger.port.closes, 1);
}

TEST(SaveSettings, UnselectedRadiosGoOutAsEightBitBytes) {
    EchoingLogger logger;
    saveSettings(logger, -1, -1);
    saveSettings(logger, 3, 0);
    EXPECT_EQ(logger.port.written, (Bytes{0, 10, 4, 11}));
}

TEST(SaveSettings, AMissingEchoIsReportedAndTheOtherSettingStillSent) {
    EchoingLogger unitRefused(Bytes{12});
    const SaveResult unit = saveSettings(unitRefused, 0, 1);
    EXPECT_TRUE(unit.stepSet);
    EXPECT_EQ(unit.messageKeys, Keys{"Config Unit Failed"});

    EchoingLogger bothRefused(Bytes{1, 11});
    const SaveResult both = saveSettings(bothRefused, 0, 0);
    EXPECT_EQ(bothRefused.port.written, (Bytes{1, 11}));
    EXPECT_EQ(both.messageKeys, (Keys{"Config Step Failed", "Config Unit Failed"}));

    test::ScriptedConnector absent;
    absent.present = false;
    EXPECT_EQ(saveSettings(absent, 0, 0).messageKeys, Keys{"Get Uart Failed"});
}

TEST(ClearMemory, ReportsTheLoggersAnswer) {
    EchoingLogger willing;
    EXPECT_EQ(clearMemory(willing).messageKey, "Clear Data...");
    EXPECT_EQ(willing.port.written, Bytes{'C'});
    EXPECT_EQ(willing.port.closes, 1);

    test::ScriptedConnector silent;
    EXPECT_EQ(clearMemory(silent).messageKey, "ClearFailed");
    EXPECT_EQ(silent.port.closes, 1);

    test::ScriptedConnector absent;
    absent.present = false;
    EXPECT_EQ(clearMemory(absent).messageKey, "Get Uart Failed");
}

} // namespace
} // namespace tk
