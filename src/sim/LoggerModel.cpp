// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/LoggerModel.h"

#include "tracks/LogRecord.h"

#include <algorithm>
#include <array>

namespace tk::sim {

namespace {

constexpr std::uint8_t kSync = 0xAA;
constexpr std::uint8_t kErased = 0xFF;
constexpr std::uint8_t kFailureCode = 0xFE; // the program reads it as a time-out
constexpr std::uint8_t kFirstZone = 168;
constexpr std::uint8_t kLastZone = 194;
constexpr std::size_t kRecordsPerPiece = kRecordsPerPage;

// A wrong echo still differs from the command and is never the failure code.
std::uint8_t garble(std::uint8_t byte) {
    return static_cast<std::uint8_t>(byte ^ 0x20);
}

} // namespace

LoggerModel::LoggerModel(const SimOptions& options, std::vector<std::uint8_t> memory)
    : options_(options), settings_(options.settings), memory_(std::move(memory)),
      noise_(options.seed), boot_(options.boot) {
    const std::size_t records = std::min(memory_.size() / kRecordSize, kMaxPages * kRecordsPerPage);
    memory_.resize(records * kRecordSize);
}

std::size_t LoggerModel::memoryPages() const {
    const std::size_t records = memory_.size() / kRecordSize;
    return (records + kRecordsPerPage - 1) / kRecordsPerPage;
}

void LoggerModel::onByte(std::uint8_t byte) {
    // The program sends nothing during a download: a byte means it has given up and moved on.
    download_.active = false;
    if (!upgrading_) {
        onCommand(byte);
        return;
    }
    std::vector<std::uint8_t> answer;
    const BootLoader::Outcome outcome = boot_.onByte(byte, answer);
    if (!answer.empty())
        reply(std::move(answer));
    if (outcome != BootLoader::Outcome::Stay)
        leaveUpgradeMode();
    if (outcome == BootLoader::Outcome::LeaveAndReplay)
        onCommand(byte);
}

void LoggerModel::onCommand(std::uint8_t byte) {
    switch (byte) {
    case 'A':
        reply({'A'});
        break;
    case 'V':
        replySettings();
        break;
    case 'G':
        startDownload();
        break;
    case 'T':
        reply({options_.boot.answerEnter ? std::uint8_t('C') : std::uint8_t('N')});
        if (options_.boot.answerEnter) {
            boot_.enter();
            upgrading_ = true;
        }
        break;
    default:
        onSettingCommand(byte); // any other byte goes unanswered
    }
}

void LoggerModel::onSettingCommand(std::uint8_t byte) {
    static constexpr std::array<std::uint8_t, 4> kSteps = {1, 3, 5, 10};
    const WrongEchoes& wrong = options_.wrongEchoes;
    if (byte >= 1 && byte <= 4) {
        if (!wrong.step)
            settings_.stepSeconds = kSteps[byte - 1];
        echo(byte, wrong.step);
    } else if (byte == 11 || byte == 12) {
        if (!wrong.unit)
            settings_.unit = byte - 11;
        echo(byte, wrong.unit);
    } else if (byte >= kFirstZone && byte <= kLastZone) {
        if (!wrong.zone)
            settings_.zoneCode = byte;
        echo(byte, wrong.zone);
    } else if (byte == 'C') {
        if (!wrong.clear)
            memory_.clear();
        echo(byte, wrong.clear);
    }
}

void LoggerModel::echo(std::uint8_t byte, bool wrong) {
    reply({wrong ? garble(byte) : byte});
}

void LoggerModel::reply(std::vector<std::uint8_t> bytes) {
    replies_.push_back(Emission{kCommandBaud, false, std::move(bytes)});
}

void LoggerModel::replySettings() {
    std::vector<std::uint8_t> bytes = {'V', settings_.firmware, settings_.stepSeconds,
                                       settings_.unit};
    if (settings_.firmware >= 'h')
        bytes.push_back(settings_.zoneCode);
    reply(std::move(bytes));
}

void LoggerModel::startDownload() {
    // The reply byte still goes out at 9,600; the logger switches to 57,600 right after it.
    reply({'G'});
    if (options_.download.dropCount)
        return;
    download_ = Download{};
    download_.active = true;
    download_.pages = options_.download.pages.value_or(memoryPages());
    download_.endRecord = download_.pages * kRecordsPerPage;
    if (options_.download.silentAfter)
        download_.endRecord = std::min(download_.endRecord, *options_.download.silentAfter);
}

std::optional<Emission> LoggerModel::takeOutput() {
    if (!replies_.empty()) {
        Emission next = std::move(replies_.front());
        replies_.pop_front();
        return next;
    }
    if (download_.active)
        return nextDownloadPiece();
    return std::nullopt;
}

// The count, then records a page at a time; the logger sends no end marker, so the download is
// over when the announced records have gone out (or the logger falls silent earlier).
Emission LoggerModel::nextDownloadPiece() {
    Emission piece{kDownloadBaud, true, {}};
    if (!download_.countSent) {
        piece.bytes = {std::uint8_t(download_.pages >> 8), std::uint8_t(download_.pages & 0xFF)};
        download_.countSent = true;
    }
    const std::size_t end = std::min(download_.endRecord, download_.nextRecord + kRecordsPerPiece);
    piece.bytes.reserve(piece.bytes.size() + (end - download_.nextRecord) * (kRecordSize + 9));
    for (; download_.nextRecord < end; ++download_.nextRecord)
        appendRecord(download_.nextRecord, piece.bytes);
    if (download_.nextRecord >= download_.endRecord)
        download_.active = false;
    return piece;
}

void LoggerModel::appendRecord(std::size_t index, std::vector<std::uint8_t>& out) {
    if (options_.download.noise)
        appendNoise(out);
    out.push_back(kSync);
    const std::size_t offset = index * kRecordSize;
    if (offset < memory_.size())
        out.insert(out.end(), memory_.begin() + offset, memory_.begin() + offset + kRecordSize);
    else
        out.insert(out.end(), kRecordSize, kErased);
}

void LoggerModel::appendNoise(std::vector<std::uint8_t>& out) {
    std::uniform_int_distribution<int> count(0, 8);
    std::uniform_int_distribution<int> value(0, 255);
    for (int n = count(noise_); n > 0; --n) {
        std::uint8_t byte = 0;
        do {
            byte = static_cast<std::uint8_t>(value(noise_));
        } while (byte == kSync || byte == kFailureCode);
        out.push_back(byte);
    }
}

void LoggerModel::onLineIdle() {
    if (upgrading_)
        leaveUpgradeMode();
}

void LoggerModel::leaveUpgradeMode() {
    upgrading_ = false;
    if (boot_.transferStarted() && firmwareReceived)
        firmwareReceived(boot_.image());
}

} // namespace tk::sim
