// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo/DemoMemory.h"
#include "files/AtomicFile.h"
#include "files/FileIO.h"
#include "sim/LoggerModel.h"
#include "sim/PtyLink.h"
#include "sim/SimOptions.h"
#include "ui/Version.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <optional>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) {
    stopRequested = 1;
}

// Stop signals stay blocked except inside the link's wait, so none is lost between two checks.
sigset_t installStopSignals() {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stopSignals, sig);
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &stopSignals, &previous);
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigdelset(&previous, sig);
    return previous;
}

std::optional<std::vector<std::uint8_t>> loadMemory(const tk::sim::SimOptions& options) {
    using tk::sim::MemorySource;
    switch (options.source) {
    case MemorySource::Empty:
        return std::vector<std::uint8_t>{};
    case MemorySource::Demo: {
        tk::DemoOptions demo;
        demo.seed = options.seed;
        demo.stepSeconds = options.settings.stepSeconds;
        demo.unitFlag = options.settings.unit;
        demo.zoneCode = options.settings.zoneCode;
        return tk::makeDemoMemory(demo);
    }
    case MemorySource::DemoFull:
        return tk::makeFullMemory(options.seed);
    case MemorySource::File:
        break;
    }
    const std::optional<std::string> bytes = tk::readFileBytes(options.memoryFile);
    if (!bytes)
        return std::nullopt;
    return std::vector<std::uint8_t>(bytes->begin(), bytes->end());
}

// Written whole or not at all, so a reader never sees half an image.
void writeImage(const std::string& path, const std::vector<std::uint8_t>& image) {
    const std::string error = tk::writeFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
    if (!error.empty())
        std::cerr << "trailkeep-sim: cannot write " << error << "\n";
}

int run(const tk::sim::SimOptions& options) {
    const sigset_t waitMask = installStopSignals();
    auto memory = loadMemory(options);
    if (!memory) {
        std::cerr << "trailkeep-sim: cannot read " << options.memoryFile << "\n";
        return 1;
    }
    tk::sim::LoggerModel model(options, std::move(*memory));
    if (!options.firmwareOut.empty())
        model.firmwareReceived = [&](const auto& image) { writeImage(options.firmwareOut, image); };
    std::ofstream log;
    tk::sim::LinkOptions linkOptions;
    linkOptions.pace = options.pace;
    if (!options.logFile.empty()) {
        log.open(options.logFile, std::ios::binary | std::ios::trunc);
        if (!log) {
            std::cerr << "trailkeep-sim: cannot write " << options.logFile << "\n";
            return 1;
        }
        linkOptions.log = &log;
    }
    tk::sim::PtyLink link;
    std::cout << "PORT " << link.portPath() << std::endl;
    link.serve(model, linkOptions, stopRequested, &waitMask);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const tk::sim::ParsedOptions parsed =
        tk::sim::parseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.help) {
        std::cout << tk::sim::simUsage();
        return 0;
    }
    if (parsed.version) {
        std::cout << "trailkeep-sim " << tk::kVersionNumber << "\n";
        return 0;
    }
    if (!parsed.error.empty()) {
        std::cerr << "trailkeep-sim: " << parsed.error << " (see --help)\n";
        return 2;
    }
    try {
        return run(parsed.options);
    } catch (const std::exception& error) {
        std::cerr << "trailkeep-sim: " << error.what() << "\n";
        return 1;
    }
}
