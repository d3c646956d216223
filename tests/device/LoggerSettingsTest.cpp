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

TEST(ReadSettings, ReadsVersionStepUnitAndZone) {
    for (std::uint8_t version : {'h', 'i'}) {
        test::ScriptedConnector logger;
        logger.port.send({'V', version, 3, 1, 188});
        const LoggerSettings s = readSettings(logger);
        EXPECT_TRUE(s.found && s.replied && s.complete && s.hasZone);
        EXPECT_EQ(s.firmwareVersion, version);
        EXPECT_EQ(s.stepSeconds, 3);
        EXPECT_EQ(s.unitByte, 1);
        EXPECT_EQ(s.zoneCode, 188);
        EXPECT_EQ(logger.port.written, Bytes{'V'});
        EXPECT_EQ(logger.port.closes, 1);
    }
}

TEST(ReadSettings, OlderFirmwareSendsNoZoneAndIsNotWaitedFor) {
    test::ScriptedConnector logger;
    logger.port.send({'V', 'g', 5, 0, 188});
    const LoggerSettings s = readSettings(logger);
    EXPECT_TRUE(s.complete);
    EXPECT_FALSE(s.hasZone);
    EXPECT_EQ(s.zoneCode, 0);
    EXPECT_EQ(logger.port.reads, 4u);
    EXPECT_TRUE(canUpgradeFirmware(s.firmwareVersion));
}

TEST(ReadSettings, FailuresLeaveWhatWasNotRead) {
    test::ScriptedConnector absent;
    absent.present = false;
    EXPECT_FALSE(readSettings(absent).found);

    test::ScriptedConnector wrongReply;
    wrongReply.port.send({'X', 'i', 3, 1, 188});
    const LoggerSettings notReplied = readSettings(wrongReply);
    EXPECT_TRUE(notReplied.found);
    EXPECT_FALSE(notReplied.replied);
    EXPECT_EQ(notReplied.firmwareVersion, 0);
    EXPECT_EQ(wrongReply.port.closes, 1);

    // A reply cut short: the time-out is not taken for a step byte or a zone code.
    test::ScriptedConnector cutShort;
    cutShort.port.send({'V', 'i', 3});
    const LoggerSettings partial = readSettings(cutShort);
    EXPECT_TRUE(partial.replied);
    EXPECT_FALSE(partial.complete);
    EXPECT_EQ(partial.stepSeconds, 3);
    EXPECT_EQ(partial.unitByte, 0);
    EXPECT_EQ(partial.zoneCode, 0);
    EXPECT_EQ(cutShort.port.timeouts, 1u);
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
