// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

// An INI profile file ("[Section]" headers, "Key=Value" lines, ';' comment lines) read and
// written with the results of the Windows private-profile functions: names match without regard
// to ASCII case, blanks around names and values do not count, a missing section or key gives the
// caller's default, and a value is cut to kMaxValueBytes. Writing one key rewrites only that key's
// line (or adds one line, or one section at the end): every other byte, the line ends and a UTF-8
// byte-order mark stay as they were.
class ProfileFile {
public:
    // The profile functions return texts through a 260-byte buffer, terminator included.
    static constexpr std::size_t kMaxValueBytes = 259;

    ProfileFile() = default;
    explicit ProfileFile(std::string bytes);

    // A file that does not exist reads as an empty profile (as the profile functions treat it);
    // nullopt when the file exists but cannot be read.
    static std::optional<ProfileFile> load(const std::string& path);
    // Writes the file whole or not at all (AtomicFile); the error text, empty on success.
    std::string save(const std::string& path) const;

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    int readInt(std::string_view section, std::string_view key, int defaultValue) const;

    // False (nothing changed) when the names cannot be stored as one line of the file: an empty
    // section or key, a line break anywhere, a key holding '=' or starting with '[' or ';'.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);

    const std::string& bytes() const { return bytes_; }

private:
    struct Entry {
        std::size_t keyBegin = 0, keyEnd = 0;
        std::size_t valueBegin = 0, valueEnd = 0;
    };
    struct Section {
        std::size_t nameBegin = 0, nameEnd = 0;
        std::size_t insertAt = 0;      // just past the header or the last key line
        bool insertAtLineStart = true; // false when that line is the last one and has no line end
        std::vector<Entry> entries;
    };

    void parse();
    void parseLine(std::size_t begin, std::size_t end, std::size_t next);
    std::string_view slice(std::size_t begin, std::size_t end) const;
    const Section* findSection(std::string_view name) const;
    const Entry* findEntry(std::string_view section, std::string_view key) const;
    std::string lineEnd() const;
    void appendSection(std::string_view section, std::string_view key, std::string_view value);

    std::string bytes_;
    std::vector<Section> sections_;
};

} // namespace tk
