// SPDX-License-Identifier: GPL-3.0-or-later
// Parses arbitrary bytes as a profile file, looks names up and writes one key in memory. Besides
// memory safety it checks that a written key reads back and that no other key changes.
#include "ui/ProfileFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Names and values taken from the input itself, so lookups hit sections and keys of the file.
std::string_view takeName(std::string_view& input) {
    if (input.empty())
        return {};
    std::size_t length = static_cast<std::uint8_t>(input.front()) % 24;
    input.remove_prefix(1);
    std::string_view name = input.substr(0, length);
    input.remove_prefix(name.size());
    return name;
}

std::string alphanumeric(std::string_view bytes) {
    static constexpr std::string_view kChars = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string text;
    for (char c : bytes)
        text += kChars[static_cast<std::uint8_t>(c) % kChars.size()];
    return text;
}

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view section = takeName(input);
    std::string_view key = takeName(input);
    std::string_view otherSection = takeName(input);
    std::string_view otherKey = takeName(input);
    std::string value = alphanumeric(takeName(input)) + alphanumeric(takeName(input));
    value += std::string(value.size() > 40 ? 250 : 0, 'v');

    tk::ProfileFile file{std::string(input)};
    check(file.readString(section, key, "default").size() <= tk::ProfileFile::kMaxValueBytes);
    (void)file.readInt(section, key, 7);
    const std::string otherBefore = file.readString(otherSection, otherKey, "\x01");

    if (file.writeString(section, key, value)) {
        check(file.readString(section, key, "\x01") ==
              value.substr(0, tk::ProfileFile::kMaxValueBytes));
        tk::ProfileFile reparsed{file.bytes()};
        check(reparsed.readString(section, key, "\x01") == file.readString(section, key, "\x01"));
        tk::ProfileFile probe{"[" + std::string(section) + "]\n" + std::string(key) + "=\n"};
        bool sameName = probe.readString(otherSection, otherKey, "\x01").empty();
        check(sameName || file.readString(otherSection, otherKey, "\x01") == otherBefore);
    }
    return 0;
}
