// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/SimOptions.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tk::sim {

// The logger's upgrade mode: identification, start, then 128-byte blocks as eight 16-byte chunks
// in the chunk protocol of the loader variant. Fed one byte at a time; replies are appended.
class BootLoader {
public:
    enum class Outcome {
        Stay,          // still in upgrade mode
        Leave,         // the transfer is over (last block, 'Z', or a chunk given up)
        LeaveAndReplay // the byte is no upgrade command: leave and handle it as a normal command
    };

    static constexpr int kAttemptsPerChunk = 8;

    explicit BootLoader(BootOptions options) : options_(options) {}

    void enter();
    Outcome onByte(std::uint8_t byte, std::vector<std::uint8_t>& reply);

    bool transferStarted() const { return transferStarted_; }
    const std::vector<std::uint8_t>& image() const { return image_; }

private:
    enum class Phase { Command, Chunk, Verdict };

    Outcome onCommand(std::uint8_t byte, std::vector<std::uint8_t>& reply);
    Outcome onChecksumChunkByte(std::uint8_t byte, std::vector<std::uint8_t>& reply);
    Outcome onEchoChunkByte(std::uint8_t byte, std::vector<std::uint8_t>& reply);
    Outcome finishChunk(bool good, std::vector<std::uint8_t>& reply);
    bool addressMatches() const;
    bool attemptFails() const;
    bool echoesByte() const { return options_.loader == 'g'; }

    BootOptions options_;
    Phase phase_ = Phase::Command;
    bool transferStarted_ = false;
    std::size_t blocks_ = 0;
    std::size_t block_ = 0;
    std::size_t chunk_ = 0; // position within the block, 0 to 7
    int attempt_ = 0;       // failed attempts of the current chunk so far
    std::array<std::uint8_t, 19> buffer_{};
    std::size_t filled_ = 0;
    bool echoCorrupted_ = false;
    std::vector<std::uint8_t> image_;
};

} // namespace tk::sim
