// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/TimeZone.h"

#include "support/ScriptedPort.h"

#include <gtest/gtest.h>

#include <vector>

namespace tk {
namespace {

TEST(ZoneCode, CutsPartHoursTowardUtc) {
    const std::vector<std::pair<int, int>> offsetsAndCodes = {{480, 188}, {-300, 175}, {-600, 170},
                                                              {330, 185}, {345, 185},  {-210, 177},
                                                              {0, 180},   {840, 194},  {-720, 168}};
    for (const auto& [minutes, code] : offsetsAndCodes) {
        EXPECT_EQ(zoneCodeFromOffsetMinutes(minutes), code) << minutes;
        EXPECT_EQ(zoneCodeFromOffsetSeconds(minutes * 60), code) << minutes;
    }
}

TEST(ZoneLabel, ShowsTheOffsetInWholeHours) {
    EXPECT_EQ(zoneLabel(188), "(UTC+08:00)");
    EXPECT_EQ(zoneLabel(180), "(UTC+00:00)");
    EXPECT_EQ(zoneLabel(194), "(UTC+14:00)");
    EXPECT_EQ(zoneLabel(175), "(UTC-5:00)"); // the sign takes one of the two places
    EXPECT_EQ(zoneLabel(170), "(UTC-10:00)");
    EXPECT_EQ(zoneLabel(0), "(Not set time zone)");
}

TEST(SyncTimeZone, SendsTheCodeThenReadsTheSettingsAgain) {
    test::ScriptedConnector logger;
    logger.port.send({188, 'V', 'i', 3, 0, 188});
    const ZoneSyncResult result = syncTimeZone(logger, 8 * 3600);
    EXPECT_EQ(logger.port.written, (std::vector<std::uint8_t>{188, 'V'}));
    EXPECT_EQ(logger.connects, 2);
    EXPECT_EQ(logger.port.closes, 2);
    EXPECT_EQ(result.messageKey, "Config Successful");
    EXPECT_EQ(result.settings.zoneCode, 188);
}

TEST(SyncTimeZone, AWrongEchoFailsWithoutReadingAgain) {
    test::ScriptedConnector logger;
    logger.port.send({180});
    const ZoneSyncResult result = syncTimeZone(logger, -5 * 3600);
    EXPECT_EQ(logger.port.written, std::vector<std::uint8_t>{175});
    EXPECT_EQ(result.messageKey, "Config time zone failed");
    EXPECT_EQ(logger.connects, 1);
    EXPECT_EQ(logger.port.closes, 1);

    test::ScriptedConnector absent;
    absent.present = false;
    EXPECT_EQ(syncTimeZone(absent, 0).messageKey, "Get Uart Failed");
}

} // namespace
} // namespace tk
