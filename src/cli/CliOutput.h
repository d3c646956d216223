// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <string>

namespace tk::cli {

// A failure of a command, reported as one line on stderr with a non-zero exit status.
struct CommandError {
    std::string message;
};

void warn(const std::string& message);

// One line of a table, printf-formatted (at most 511 characters).
template <typename... Values> std::string row(const char* format, Values... values) {
    char line[512];
    std::snprintf(line, sizeof line, format, values...);
    return line;
}

} // namespace tk::cli
