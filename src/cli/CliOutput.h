#pragma once

#include <string>

namespace tk::cli {

// A failure of a command, reported as one line on stderr with a non-zero exit status.
struct CommandError {
    std::string message;
};

void warn(const std::string& message);

} // namespace tk::cli
