// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tk::formats {

struct ChildOutcome {
    bool started = false;   // false: the program could not be started (startError says why)
    bool notFound = false;  // ... because there is no such program
    bool timedOut = false;  // it ran past the time limit and was killed
    bool stopped = false;   // the output callback asked to stop; the program was killed
    int exitStatus = -1;    // its exit status when it ended by itself, else -1
    std::string startError; // the system's text when it could not be started
    std::string errorText;  // what it wrote on stderr (at most the first 4 KB)
};

// Runs a program (looked up on PATH) with stdin empty, hands its stdout to output piece by
// piece as it arrives and keeps the start of its stderr. A program still running after limit
// is killed; so is one whose output the callback refuses (returns false).
ChildOutcome runChild(const std::vector<std::string>& argv, std::chrono::milliseconds limit,
                      const std::function<bool(std::string_view)>& output);

} // namespace tk::formats
