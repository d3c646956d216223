// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/BootLoader.h"

namespace tk::sim {

namespace {

constexpr std::size_t kChunkData = 16;
constexpr std::size_t kChunksPerBlock = 8;
constexpr std::size_t kBlockSize = kChunkData * kChunksPerBlock;
constexpr std::size_t kAddressedChunk = 2 + kChunkData; // hi, lo, data
constexpr std::uint8_t kChunkAccepted = '!';
constexpr std::uint8_t kChunkRejected = '?';
constexpr std::uint8_t kBlockDone = 'N';
constexpr std::uint8_t kTransferEnd = 'Z';

std::size_t blocksForSizeCode(std::uint8_t code) {
    return code == 0x16 ? 120 : 224;
}

} // namespace

void BootLoader::enter() {
    phase_ = Phase::Command;
    transferStarted_ = false;
    block_ = chunk_ = filled_ = 0;
    attempt_ = 0;
    image_.clear();
}

BootLoader::Outcome BootLoader::onByte(std::uint8_t byte, std::vector<std::uint8_t>& reply) {
    switch (phase_) {
    case Phase::Command:
        return onCommand(byte, reply);
    case Phase::Chunk:
        return echoesByte() ? onEchoChunkByte(byte, reply) : onChecksumChunkByte(byte, reply);
    case Phase::Verdict:
        return finishChunk(byte == 'O' && !echoCorrupted_ && addressMatches(), reply);
    }
    return Outcome::Stay;
}

BootLoader::Outcome BootLoader::onCommand(std::uint8_t byte, std::vector<std::uint8_t>& reply) {
    if (byte == 'V') {
        reply.insert(reply.end(), {options_.sizeCode, options_.idByte, options_.loader});
        return Outcome::Stay;
    }
    if (byte == 'W') {
        reply.push_back('S');
        transferStarted_ = true;
        blocks_ = blocksForSizeCode(options_.sizeCode);
        phase_ = Phase::Chunk;
        return Outcome::Stay;
    }
    return Outcome::LeaveAndReplay;
}

BootLoader::Outcome BootLoader::onChecksumChunkByte(std::uint8_t byte,
                                                    std::vector<std::uint8_t>& reply) {
    buffer_[filled_++] = byte;
    if (filled_ < kAddressedChunk + 1)
        return Outcome::Stay;
    std::uint8_t sum = 0;
    for (std::uint8_t b : buffer_)
        sum = static_cast<std::uint8_t>(sum + b);
    return finishChunk(sum == 0 && addressMatches() && !attemptFails(), reply);
}

// Failing attempts corrupt one echo, a different position on each attempt, so a program that
// compares only some of the echoes is caught.
BootLoader::Outcome BootLoader::onEchoChunkByte(std::uint8_t byte,
                                                std::vector<std::uint8_t>& reply) {
    if (filled_ == 0)
        echoCorrupted_ = false;
    const bool corrupt =
        attemptFails() && filled_ == kAddressedChunk - 1 - std::size_t(attempt_) % kAddressedChunk;
    reply.push_back(corrupt ? static_cast<std::uint8_t>(~byte) : byte);
    echoCorrupted_ = echoCorrupted_ || corrupt;
    buffer_[filled_++] = byte;
    if (filled_ == kAddressedChunk)
        phase_ = Phase::Verdict;
    return Outcome::Stay;
}

BootLoader::Outcome BootLoader::finishChunk(bool good, std::vector<std::uint8_t>& reply) {
    filled_ = 0;
    phase_ = Phase::Chunk;
    const std::uint8_t accepted = echoesByte() ? 'O' : kChunkAccepted;
    const std::uint8_t rejected = echoesByte() ? 'R' : kChunkRejected;
    if (!good) {
        reply.push_back(rejected);
        // The program gives up after eight attempts; so does the loader, ready for a new start.
        return ++attempt_ >= kAttemptsPerChunk ? Outcome::Leave : Outcome::Stay;
    }
    reply.push_back(accepted);
    image_.insert(image_.end(), buffer_.begin() + 2, buffer_.begin() + kAddressedChunk);
    attempt_ = 0;
    if (++chunk_ < kChunksPerBlock)
        return Outcome::Stay;
    chunk_ = 0;
    const bool end = options_.zAfterBlock == block_;
    reply.push_back(end ? kTransferEnd : kBlockDone);
    ++block_;
    return end || block_ >= blocks_ ? Outcome::Leave : Outcome::Stay;
}

bool BootLoader::addressMatches() const {
    const std::size_t address = block_ * kBlockSize;
    return buffer_[0] == ((address >> 8) & 0xFF) && buffer_[1] == (address & 0xFF);
}

bool BootLoader::attemptFails() const {
    if (attempt_ >= options_.chunkFailures)
        return false;
    return !options_.chunkFailAt || *options_.chunkFailAt == block_ * kChunksPerBlock + chunk_;
}

} // namespace tk::sim
