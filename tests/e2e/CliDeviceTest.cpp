// SPDX-License-Identifier: GPL-3.0-or-later
// trailkeep-cli settings, config, clear and timezone against the logger simulator: what the
// program prints and every byte it sends (the simulator logs what it receives).
#include "e2e/SimProcess.h"
#include "support/Contains.h"

#include <gtest/gtest.h>

namespace tk::e2e {
namespace {

using test::contains;

// A simulator that logs every byte it receives, and the CLI pointed at it.
class Logger {
public:
    explicit Logger(std::vector<std::string> options) : sim_(withLog(options, dir_)) {
        EXPECT_FALSE(sim_.port().empty()) << "trailkeep-sim did not start";
    }

    CliResult run(const std::string& command, std::vector<std::string> args = {},
                  const Environment& env = {}) {
        args.insert(args.begin(), {command, "--port", sim_.port()});
        return runCli(args, env);
    }

    // Everything the program sent so far; taking it starts the next count afresh.
    Bytes takeReceived() {
        const Bytes all = readBytes(dir_ / "received.bin");
        Bytes fresh(all.begin() + std::ptrdiff_t(taken_), all.end());
        taken_ = all.size();
        return fresh;
    }

    const TempDir& dir() const { return dir_; }

private:
    static std::vector<std::string> withLog(std::vector<std::string> options, const TempDir& dir) {
        options.insert(options.end(), {"--log", (dir / "received.bin").string()});
        return options;
    }

    TempDir dir_;
    SimProcess sim_;
    std::size_t taken_ = 0;
};

TEST(CliSettings, ShowsVersionStepUnitZoneAndLogTime) {
    Logger logger({"--firmware", "i", "--step", "3", "--unit", "1", "--zone", "188"});
    const CliResult r = logger.run("settings");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, {"Firmware version 1.3", "Step: 3 s", "Unit: MPH",
                                 "Time zone: (UTC+08:00)", "18Hour46Min24Sec"}));
    EXPECT_EQ(logger.takeReceived(), (Bytes{'A', 'V'}));
}

TEST(CliSettings, ZoneLabelsFollowTheZoneByte) {
    struct Case {
        const char* firmware;
        const char* zone;
        const char* version;
        const char* label;
    };
    for (const Case& c : {Case{"h", "175", "Firmware version 1.2", "(UTC-5:00)"},
                          Case{"i", "170", "Firmware version 1.3", "(UTC-10:00)"},
                          Case{"i", "180", "Firmware version 1.3", "(UTC+00:00)"},
                          Case{"i", "0", "Firmware version 1.3", "(Not set time zone)"}}) {
        Logger logger({"--firmware", c.firmware, "--zone", c.zone});
        const CliResult r = logger.run("settings");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(contains(r.out, {c.version, std::string("Time zone: ") + c.label}));
    }
}

// Firmware before 'h' answers 'V' with four bytes: waiting for a fifth would cost a time-out.
TEST(CliSettings, OlderFirmwareSendsNoZoneByte) {
    Logger logger({"--firmware", "g", "--zone", "188"});
    const CliResult r = logger.run("settings");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_LT(r.seconds, 1.5);
    EXPECT_TRUE(contains(r.out, {"Press and hold MODE to start and enter upgrading mode",
                                 "Time zone: (Not set time zone)"}));
}

TEST(CliSettings, StepAndUnitBytesOutsideTheChoicesAreShownAsTheyCame) {
    Logger logger({"--step", "7", "--unit", "2"});
    const CliResult r = logger.run("settings");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, {"Step: 7 s", "Unit: unknown (2)"}));
    EXPECT_TRUE(contains(r.out, {"6Hour15Min28Sec"})) << "a step no radio shows counts as 1 s";
}

TEST(CliConfig, SavesStepAndUnitThatSettingsThenShow) {
    Logger logger({"--step", "5", "--unit", "0"});
    const CliResult r = logger.run("config", {"--step", "10", "--unit", "mph"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, {"Config Successful"}));
    EXPECT_EQ(logger.takeReceived(), (Bytes{'A', 4, 12}));
    const CliResult shown = logger.run("settings");
    EXPECT_TRUE(contains(shown.out, {"Step: 10 s", "Unit: MPH", "62Hour34Min40Sec"}));
}

// Each exchange is a fresh probe: the settings read, then the save.
TEST(CliConfig, AValueNotGivenIsReadFromTheLoggerFirst) {
    Logger mph({"--step", "5", "--unit", "1"});
    EXPECT_EQ(mph.run("config", {"--step", "10"}).status, 0);
    EXPECT_EQ(mph.takeReceived(), (Bytes{'A', 'V', 'A', 4, 12}));

    Logger threeSeconds({"--step", "3", "--unit", "1"});
    EXPECT_EQ(threeSeconds.run("config", {"--unit", "kph"}).status, 0);
    EXPECT_EQ(threeSeconds.takeReceived(), (Bytes{'A', 'V', 'A', 2, 11}));
}

// A step or unit byte that selects no choice goes out as "none selected" (step 0, unit 10), as
// the configuration dialog's Save sends it; the logger does not answer either.
TEST(CliConfig, ReadValuesOutsideTheChoicesGoOutAsNoneSelected) {
    Logger oddStep({"--step", "7", "--unit", "1"});
    const CliResult step = oddStep.run("config");
    EXPECT_NE(step.status, 0);
    EXPECT_TRUE(contains(step.err, {"Config Step Failed"}));
    EXPECT_EQ(oddStep.takeReceived(), (Bytes{'A', 'V', 'A', 0, 12}));

    Logger oddUnit({"--step", "2", "--unit", "2"});
    const CliResult unit = oddUnit.run("config");
    EXPECT_NE(unit.status, 0);
    EXPECT_TRUE(contains(unit.err, {"Config Unit Failed"}));
    EXPECT_EQ(oddUnit.takeReceived(), (Bytes{'A', 'V', 'A', 3, 10})) << "byte 2 is the 5 s radio";
}

TEST(CliConfig, WrongEchoFailsThatSettingAndTheOtherIsStillSent) {
    Logger stepFails({"--wrong-echo=step", "--step", "5", "--unit", "0"});
    const CliResult r = stepFails.run("config", {"--step", "10", "--unit", "mph"});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(contains(r.err, {"Config Step Failed"}));
    EXPECT_FALSE(contains(r.out + r.err, {"Config Successful"}));
    EXPECT_EQ(stepFails.takeReceived(), (Bytes{'A', 4, 12}));
    const CliResult shown = stepFails.run("settings");
    EXPECT_TRUE(contains(shown.out, {"Step: 5 s", "Unit: MPH"}));

    Logger bothFail({"--wrong-echo=step,unit"});
    const CliResult both = bothFail.run("config", {"--step", "1", "--unit", "kph"});
    EXPECT_NE(both.status, 0);
    EXPECT_TRUE(contains(both.err, {"Config Step Failed", "Config Unit Failed"}));
}

TEST(CliConfig, RejectsValuesTheLoggerCannotTakeBeforeSendingAnything) {
    Logger logger({});
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--step", "7"}, {"--step", "3s"}, {"--unit", "knots"}}) {
        const CliResult r = logger.run("config", args);
        EXPECT_NE(r.status, 0) << args[1];
    }
    EXPECT_TRUE(logger.takeReceived().empty());
}

TEST(CliClear, RefusesWithoutYesAndLeavesTheMemory) {
    Logger logger({"--demo"});
    const CliResult r = logger.run("clear");
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(contains(r.err, {"--yes"}));
    EXPECT_TRUE(logger.takeReceived().empty()) << "the logger was contacted";
    const CliResult read = logger.run("read", {"-o", (logger.dir() / "out.gpl").string()});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_FALSE(contains(read.out, {"(no tracks)"}));
}

TEST(CliClear, ClearsWithYesAndTheNextReadIsEmpty) {
    Logger logger({"--demo"});
    const CliResult r = logger.run("clear", {"--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, {"Clear Data..."}));
    EXPECT_EQ(logger.takeReceived(), (Bytes{'A', 'C'}));
    const fs::path out = logger.dir() / "out.gpl";
    const CliResult read = logger.run("read", {"-o", out.string()});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_TRUE(contains(read.out, {"(no tracks)\nReceive Completed\n"}));
    ASSERT_TRUE(fs::exists(out));
    EXPECT_EQ(fs::file_size(out), 0u);
}

TEST(CliClear, WrongEchoIsClearFailedAndTheMemoryStays) {
    Logger logger({"--demo", "--wrong-echo=clear"});
    const CliResult r = logger.run("clear", {"--yes"});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(contains(r.err, {"ClearFailed"}));
    const CliResult read = logger.run("read", {"-o", (logger.dir() / "out.gpl").string()});
    EXPECT_FALSE(contains(read.out, {"(no tracks)"}));
}

// After the echo the settings are read again, so the label shown is the logger's.
TEST(CliTimeZone, SendsTheCodeOfTheOffsetAndTheLoggerKeepsIt) {
    struct Case {
        const char* offset;
        std::uint8_t code;
        const char* label;
    };
    Logger logger({"--zone", "181"});
    for (const Case& c : {Case{"8", 188, "(UTC+08:00)"}, Case{"-5", 175, "(UTC-5:00)"},
                          Case{"5.5", 185, "(UTC+05:00)"}, Case{"-3.5", 177, "(UTC-3:00)"},
                          Case{"0", 180, "(UTC+00:00)"}, Case{"-10", 170, "(UTC-10:00)"},
                          Case{"14", 194, "(UTC+14:00)"}, Case{"-12", 168, "(UTC-12:00)"}}) {
        const CliResult r = logger.run("timezone", {"--offset", c.offset});
        EXPECT_EQ(r.status, 0) << c.offset << ": " << r.err;
        EXPECT_TRUE(contains(r.out, {std::string("Time zone: ") + c.label, "Config Successful"}));
        EXPECT_EQ(logger.takeReceived(), (Bytes{'A', c.code, 'A', 'V'})) << c.offset;
        const CliResult shown = logger.run("settings");
        EXPECT_TRUE(contains(shown.out, {std::string("Time zone: ") + c.label}));
        logger.takeReceived();
    }
}

// The machine's standard-time offset, daylight saving never added, part hours cut toward UTC.
TEST(CliTimeZone, WithoutOffsetTakesTheMachinesStandardOffset) {
    struct Case {
        const char* zone;
        std::uint8_t code;
    };
    Logger logger({});
    for (const Case& c :
         {Case{"Asia/Kolkata", 185}, Case{"America/New_York", 175}, Case{"Asia/Kathmandu", 185},
          Case{"America/St_Johns", 177}, Case{"Europe/London", 180}}) {
        if (!fs::exists(fs::path("/usr/share/zoneinfo") / c.zone))
            GTEST_SKIP() << "no time-zone data for " << c.zone;
        const CliResult r = logger.run("timezone", {}, {{"TZ", c.zone}});
        EXPECT_EQ(r.status, 0) << c.zone << ": " << r.err;
        const Bytes sent = logger.takeReceived();
        ASSERT_GE(sent.size(), 2u) << c.zone;
        EXPECT_EQ(int(sent[1]), int(c.code)) << c.zone;
    }
}

TEST(CliTimeZone, WrongEchoIsConfigTimeZoneFailed) {
    Logger logger({"--wrong-echo=zone"});
    const CliResult r = logger.run("timezone", {"--offset", "8"});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(contains(r.err, {"Config time zone failed"}));
    EXPECT_FALSE(contains(r.out, {"Time zone:"}));
    EXPECT_EQ(logger.takeReceived(), (Bytes{'A', 188})) << "no settings read after a failure";
}

TEST(CliTimeZone, RejectsOffsetsNoZoneHasBeforeSendingAnything) {
    Logger logger({});
    for (const char* offset : {"15", "-12.5", "8h", "", "nan"}) {
        const CliResult r = logger.run("timezone", {"--offset", offset});
        EXPECT_NE(r.status, 0) << "'" << offset << "': " << r.err;
    }
    EXPECT_TRUE(logger.takeReceived().empty());
}

} // namespace
} // namespace tk::e2e
