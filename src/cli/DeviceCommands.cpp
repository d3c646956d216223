// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/DeviceCommands.h"

#include "cli/CliMain.h"
#include "cli/CliOutput.h"
#include "cli/ProgressBar.h"
#include "cli/TrackListing.h"
#include "device/Firmware.h"
#include "device/LoggerSettings.h"
#include "device/TimeZone.h"
#include "link/Download.h"
#include "link/SerialConnector.h"
#include "tracks/ProjectFile.h"
#include "ui/Language.h"
#include "ui/TextFill.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimeZone>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace tk::cli {
namespace {

const Language& language() {
    static const Language instance = [] {
        Language l(languageFile().string());
        l.set(l.setting());
        return l;
    }();
    return instance;
}

std::string say(std::string_view key) {
    return LangText(language(), key);
}

std::string say(std::string_view key, std::initializer_list<long> numbers) {
    return fillNumbers(say(key), numbers);
}

// QSerialPort wants a Qt application object in the thread that uses it.
struct DeviceSession {
    DeviceSession(const CliArgs& args) : connector(args.value("--port").value_or("")) {}
    int argc = 1;
    char name[16] = "trailkeep-cli";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    SerialConnector connector;
};

void expectNoPositional(const CliArgs& args) {
    if (!args.positional.empty())
        throw UsageError{"unexpected argument '" + args.positional[0] + "'"};
}

int report(bool ok, std::string_view key) {
    if (!ok)
        throw CommandError{say(key)};
    std::printf("%s\n", say(key).c_str());
    return 0;
}

std::string unitText(std::uint8_t unitByte) {
    return unitByte == 0   ? "KPH"
           : unitByte == 1 ? "MPH"
                           : "unknown (" + std::to_string(unitByte) + ")";
}

volatile std::sig_atomic_t interrupted = 0;

// While a download runs, Ctrl-C (or SIGTERM) asks it to stop between records, so what arrived
// is still written; the usual handling comes back afterwards.
class InterruptCancels {
public:
    InterruptCancels() {
        interrupted = 0;
        previousInt_ = std::signal(SIGINT, [](int) { interrupted = 1; });
        previousTerm_ = std::signal(SIGTERM, [](int) { interrupted = 1; });
    }
    ~InterruptCancels() {
        std::signal(SIGINT, previousInt_);
        std::signal(SIGTERM, previousTerm_);
    }
    static bool requested() { return interrupted != 0; }

private:
    void (*previousInt_)(int) = nullptr;
    void (*previousTerm_)(int) = nullptr;
};

constexpr const char* kNoSettingsReply = "the logger did not answer the settings request";

// Loggers below 'h' can take an upgrade and are told how to start it; later letters without a
// known version name are shown by their letter alone.
std::string firmwareText(std::uint8_t letter) {
    if (canUpgradeFirmware(letter))
        return say("Press and hold MODE to start and enter upgrading mode");
    const std::string_view version = firmwareVersionText(letter);
    return version.empty() ? "unknown version" : std::string(version);
}

} // namespace

int runRead(const CliArgs& args) {
    expectNoPositional(args);
    const auto out = args.value("-o");
    if (!out)
        throw UsageError{"missing -o OUT.gpl"};
    DeviceSession session(args);
    auto buffer = std::make_unique<PageBuffer>();
    TrackTable table;
    TrackDecoder decoder(table);
    ProgressBar bar;
    DownloadCallbacks callbacks;
    callbacks.onPageCount = [&](int pages) { bar.start(pages, "pages"); };
    callbacks.onProgress = [&](int records) { bar.update(records / 11); };
    callbacks.shouldCancel = &InterruptCancels::requested;
    const DownloadResult result = [&] {
        InterruptCancels cancelOnInterrupt;
        return downloadMemory(session.connector, *buffer, decoder, callbacks);
    }();
    bar.finish();
    if (result.outcome == DownloadOutcome::NoLogger ||
        result.outcome == DownloadOutcome::CountFailed)
        throw CommandError{say(result.messageKey())};
    const std::string error = saveProject(*out, *buffer);
    if (!error.empty())
        throw CommandError{error};
    std::fputs(trackListing(table, false).c_str(), stdout);
    if (result.recordsDropped > 0)
        warn(std::to_string(result.recordsDropped) +
             " records beyond the 2048-page memory were not kept");
    if (result.outcome == DownloadOutcome::Incomplete)
        throw CommandError{
            say(result.messageKey(), {result.recordsReceived, result.recordsExpected}) +
            (result.cancelled ? " (cancelled)" : "") + "; what arrived is in " + *out};
    std::printf("%s\n", say(result.messageKey()).c_str());
    return 0;
}

int runSettings(const CliArgs& args) {
    expectNoPositional(args);
    DeviceSession session(args);
    const LoggerSettings s = readSettings(session.connector);
    if (!s.found)
        throw CommandError{say("Get Uart Failed")};
    if (!s.replied || !s.complete)
        throw CommandError{kNoSettingsReply};
    std::printf("Firmware: %s (version letter '%c')\n", firmwareText(s.firmwareVersion).c_str(),
                s.firmwareVersion);
    const int stepIndex = stepIndexFromSeconds(s.stepSeconds);
    std::printf("Step: %d s\n", s.stepSeconds);
    std::printf("Unit: %s\n", unitText(s.unitByte).c_str());
    std::printf("Time zone: %s\n",
                s.hasZone ? zoneLabel(s.zoneCode).c_str() : "(Not set time zone)");
    std::printf("%s: %s\n", say("LogTime").c_str(),
                logTimeText(stepIndex, say("Hour"), say("Min"), say("Sec")).c_str());
    return 0;
}

int runConfig(const CliArgs& args) {
    expectNoPositional(args);
    int stepIndex = -1;
    if (const auto step = args.value("--step")) {
        stepIndex = *step == "1" ? 0 : *step == "3" ? 1 : *step == "5" ? 2 : *step == "10" ? 3 : -1;
        if (stepIndex < 0)
            throw UsageError{"invalid value for --step: '" + *step + "' (expected 1, 3, 5 or 10)"};
    }
    int unitIndex = -1;
    if (const auto unit = args.value("--unit")) {
        unitIndex = *unit == "kph" ? 0 : *unit == "mph" ? 1 : -1;
        if (unitIndex < 0)
            throw UsageError{"invalid value for --unit: '" + *unit + "' (expected kph or mph)"};
    }
    DeviceSession session(args);
    if (stepIndex < 0 || unitIndex < 0) {
        const LoggerSettings s = readSettings(session.connector);
        if (!s.found)
            throw CommandError{say("Get Uart Failed")};
        // Never send a setting the user did not ask for and the logger did not report.
        if (!s.replied || !s.complete)
            throw CommandError{kNoSettingsReply};
        if (stepIndex < 0)
            stepIndex = stepIndexFromSeconds(s.stepSeconds);
        if (unitIndex < 0)
            unitIndex = s.unitByte;
    }
    // A value read that no choice stands for goes out as "none selected", as Save sends it.
    stepIndex = stepIndex <= 3 ? stepIndex : -1;
    unitIndex = unitIndex <= 1 ? unitIndex : -1;
    const SaveResult result = saveSettings(session.connector, stepIndex, unitIndex);
    for (std::size_t i = 0; i + 1 < result.messageKeys.size(); ++i)
        warn(say(result.messageKeys[i]));
    return report(result.succeeded(),
                  result.messageKeys.empty() ? "Get Uart Failed" : result.messageKeys.back());
}

int runClear(const CliArgs& args) {
    expectNoPositional(args);
    if (!args.has("--yes"))
        throw UsageError{"clear erases every track on the logger; add --yes to confirm"};
    DeviceSession session(args);
    const ClearResult result = clearMemory(session.connector);
    return report(result.cleared, result.messageKey);
}

int runTimeZone(const CliArgs& args) {
    expectNoPositional(args);
    int offsetSeconds = 0;
    if (const auto hours = args.value("--offset")) {
        char* end = nullptr;
        const double value = std::strtod(hours->c_str(), &end);
        if (hours->empty() || *end != '\0' || !(value >= -12 && value <= 14))
            throw UsageError{"invalid value for --offset: '" + *hours + "' (hours, -12 to 14)"};
        offsetSeconds = static_cast<int>(std::lround(value * 3600));
    } else {
        offsetSeconds =
            QTimeZone::systemTimeZone().standardTimeOffset(QDateTime::currentDateTime());
    }
    DeviceSession session(args);
    const ZoneSyncResult result = syncTimeZone(session.connector, offsetSeconds);
    if (result.echoed)
        std::printf("Time zone: %s\n", zoneLabel(result.zoneCode).c_str());
    return report(result.found && result.echoed && result.messageKey == "Config Successful",
                  result.messageKey);
}

int runUpgrade(const CliArgs& args) {
    expectNoPositional(args);
    const std::filesystem::path dir = args.value("--images").value_or(firmwareDir().string());
    const FirmwareImages images = loadFirmwareImages(dir);
    DeviceSession session(args);
    ProgressBar bar;
    const UpgradeResult result =
        upgradeFirmware(session.connector, images, [&](int block, int blocks) {
            if (block == 0)
                bar.start(blocks, "blocks");
            bar.update(block);
        });
    bar.finish();
    if (result.stage == UpgradeStage::NoImage)
        throw CommandError{say(result.messageKey) +
                           ": neither firmware-158.bin nor firmware-159.bin in " + dir.string()};
    return report(result.finished(), result.messageKey);
}

} // namespace tk::cli
