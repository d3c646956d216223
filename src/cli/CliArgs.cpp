// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliArgs.h"

#include <charconv>

namespace tk::cli {
namespace {

std::string decimalText(double value) {
    char text[32];
    return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

} // namespace

std::optional<std::string> CliArgs::value(const std::string& name) const {
    const auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    return it->second;
}

std::vector<std::string> CliArgs::valuesOf(const std::string& name) const {
    std::vector<std::string> result;
    for (const auto& [option, text] : everyValue)
        if (option == name)
            result.push_back(text);
    return result;
}

std::optional<long> CliArgs::number(const std::string& name, long low, long high) const {
    const auto text = value(name);
    if (!text)
        return std::nullopt;
    long result = 0;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, result);
    if (ec != std::errc() || ptr != end || result < low || result > high)
        throw UsageError{"invalid value for " + name + ": '" + *text + "' (expected " +
                         std::to_string(low) + " to " + std::to_string(high) + ")"};
    return result;
}

std::optional<double> CliArgs::decimal(const std::string& name, double low, double high) const {
    const auto text = value(name);
    if (!text)
        return std::nullopt;
    double result = 0.0;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, result, std::chars_format::fixed);
    if (ec != std::errc() || ptr != end || !(result >= low && result <= high))
        throw UsageError{"invalid value for " + name + ": '" + *text +
                         "' (expected a number from " + decimalText(low) + " to " +
                         decimalText(high) + ")"};
    return result;
}

CliArgs parseArgs(int argc, char** argv, const std::set<std::string>& valueOptions,
                  const std::set<std::string>& flagOptions) {
    CliArgs args;
    if (argc < 2)
        throw UsageError{"missing command"};
    args.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        if (valueOptions.count(word)) {
            if (i + 1 >= argc)
                throw UsageError{"option " + word + " needs a value"};
            args.values[word] = argv[++i];
            args.everyValue.emplace_back(word, argv[i]);
        } else if (flagOptions.count(word)) {
            args.flags.insert(word);
        } else if (word.size() > 1 && word[0] == '-') {
            throw UsageError{"unknown option " + word};
        } else {
            args.positional.push_back(word);
        }
    }
    return args;
}

} // namespace tk::cli
