// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tk::cli {

// The command line after the program name: a command, positional words, options with a value
// and flags. Unknown options are errors, so a typo never passes silently.
struct CliArgs {
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;                   // the last value of each option
    std::vector<std::pair<std::string, std::string>> everyValue; // every option value, in order
    std::set<std::string> flags;

    bool has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::optional<std::string> value(const std::string& name) const;
    // Every value of an option that may be given more than once, in order.
    std::vector<std::string> valuesOf(const std::string& name) const;
    // Parses an integer option; throws UsageError when present but not a whole number in range.
    std::optional<long> number(const std::string& name, long low, long high) const;
    // Parses a decimal option ("1.8", "5"); throws UsageError when present but not a finite
    // number from low to high.
    std::optional<double> decimal(const std::string& name, double low, double high) const;
};

struct UsageError {
    std::string message;
};

// Throws UsageError.
CliArgs parseArgs(int argc, char** argv, const std::set<std::string>& valueOptions,
                  const std::set<std::string>& flagOptions);

} // namespace tk::cli
