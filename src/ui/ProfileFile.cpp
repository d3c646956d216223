// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProfileFile.h"

#include "files/AtomicFile.h"
#include "files/FileIO.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

namespace tk {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A value wholly enclosed in matching single or double quotes is returned without them.
std::string_view stripQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool isContinuationByte(char c) {
    return (static_cast<std::uint8_t>(c) & 0xC0) == 0x80;
}

// Cuts to kMaxValueBytes; a UTF-8 character that would be split there is dropped whole, so the
// text stays valid UTF-8.
std::string cutValue(std::string_view value) {
    std::size_t n = ProfileFile::kMaxValueBytes;
    if (value.size() <= n)
        return std::string(value);
    std::size_t back = 0;
    while (back < 3 && back < n && isContinuationByte(value[n - back]))
        ++back;
    if ((static_cast<std::uint8_t>(value[n - back]) & 0xC0) == 0xC0)
        n -= back;
    return std::string(value.substr(0, n));
}

// Like the profile functions: optional sign, then leading decimal digits; wraps like a 32-bit
// register instead of overflowing.
int parseProfileInt(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10u + static_cast<std::uint32_t>(c - '0');
    }
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}

} // namespace

ProfileFile::ProfileFile(std::string bytes) : bytes_(std::move(bytes)) {
    parse();
}

std::optional<ProfileFile> ProfileFile::load(const std::string& path) {
    std::error_code error;
    auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return ProfileFile{};
    if (error || status.type() != std::filesystem::file_type::regular)
        return std::nullopt;
    std::optional<std::string> bytes = readFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return ProfileFile(std::move(*bytes));
}

std::string ProfileFile::save(const std::string& path) const {
    return writeFileAtomically(path, bytes_);
}

std::string ProfileFile::readString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const Entry* entry = findEntry(section, key);
    if (entry == nullptr)
        return cutValue(defaultValue);
    return cutValue(stripQuotes(slice(entry->valueBegin, entry->valueEnd)));
}

int ProfileFile::readInt(std::string_view section, std::string_view key, int defaultValue) const {
    std::string text = readString(section, key, {});
    if (text.empty())
        return defaultValue;
    return parseProfileInt(text);
}

bool ProfileFile::writeString(std::string_view section, std::string_view key,
                              std::string_view value) {
    section = trim(section);
    key = trim(key);
    if (section.empty() || key.empty() || hasLineBreak(section) || hasLineBreak(key) ||
        hasLineBreak(value) || key.find('=') != std::string_view::npos || key.front() == '[' ||
        key.front() == ';')
        return false;
    if (const Entry* entry = findEntry(section, key)) {
        bytes_.replace(entry->valueBegin, entry->valueEnd - entry->valueBegin, value);
    } else if (const Section* found = findSection(section)) {
        std::string line = found->insertAtLineStart ? std::string() : lineEnd();
        line.append(key).append("=").append(value).append(lineEnd());
        bytes_.insert(found->insertAt, line);
    } else {
        appendSection(section, key, value);
    }
    parse();
    return true;
}

void ProfileFile::appendSection(std::string_view section, std::string_view key,
                                std::string_view value) {
    const std::string eol = lineEnd();
    const bool hasBody = bytes_.size() > (bytes_.starts_with(kBom) ? kBom.size() : 0);
    std::string added;
    if (hasBody && bytes_.back() != '\n')
        added += eol;
    added.append("[").append(section).append("]").append(eol);
    added.append(key).append("=").append(value).append(eol);
    bytes_ += added;
}

void ProfileFile::parse() {
    sections_.clear();
    std::size_t pos = bytes_.starts_with(kBom) ? kBom.size() : 0;
    while (pos < bytes_.size()) {
        std::size_t eol = bytes_.find('\n', pos);
        std::size_t end = eol == std::string::npos ? bytes_.size() : eol;
        std::size_t next = eol == std::string::npos ? bytes_.size() : eol + 1;
        parseLine(pos, end, next);
        pos = next;
    }
}

void ProfileFile::parseLine(std::size_t begin, std::size_t end, std::size_t next) {
    while (begin < end && isBlank(bytes_[begin]))
        ++begin;
    while (end > begin && isBlank(bytes_[end - 1]))
        --end;
    if (begin == end || bytes_[begin] == ';')
        return;
    const std::string_view line = slice(begin, end);
    const bool terminated = bytes_[next - 1] == '\n';
    if (line.front() == '[') {
        std::size_t close = line.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            std::string_view name = trim(line.substr(1, close - 1));
            std::size_t nameBegin = static_cast<std::size_t>(name.data() - bytes_.data());
            sections_.push_back({nameBegin, nameBegin + name.size(), next, terminated, {}});
            return;
        }
    }
    std::size_t equals = line.find('=');
    if (sections_.empty() || equals == std::string_view::npos)
        return; // not a key line, or a key outside any section: no lookup reaches it
    auto offsetOf = [&](std::string_view part) {
        return static_cast<std::size_t>(part.data() - bytes_.data());
    };
    std::string_view key = trim(line.substr(0, equals));
    std::string_view value = trim(line.substr(equals + 1));
    Entry entry{offsetOf(key), offsetOf(key) + key.size(), begin + equals + 1, begin + equals + 1};
    if (!value.empty()) {
        entry.valueBegin = offsetOf(value);
        entry.valueEnd = entry.valueBegin + value.size();
    }
    Section& section = sections_.back();
    section.entries.push_back(entry);
    section.insertAt = next;
    section.insertAtLineStart = terminated;
}

std::string_view ProfileFile::slice(std::size_t begin, std::size_t end) const {
    return std::string_view(bytes_).substr(begin, end - begin);
}

const ProfileFile::Section* ProfileFile::findSection(std::string_view name) const {
    name = trim(name);
    if (name.empty())
        return nullptr;
    for (const Section& section : sections_) {
        if (equalsIgnoringCase(slice(section.nameBegin, section.nameEnd), name))
            return &section;
    }
    return nullptr;
}

// Like the profile functions, only the first section of a name is searched.
const ProfileFile::Entry* ProfileFile::findEntry(std::string_view section,
                                                 std::string_view key) const {
    const Section* found = findSection(section);
    key = trim(key);
    if (found == nullptr || key.empty())
        return nullptr;
    for (const Entry& entry : found->entries) {
        if (equalsIgnoringCase(slice(entry.keyBegin, entry.keyEnd), key))
            return &entry;
    }
    return nullptr;
}

// New lines follow the file's own convention, judged by its first line end.
std::string ProfileFile::lineEnd() const {
    std::size_t eol = bytes_.find('\n');
    if (eol != std::string::npos && eol > 0 && bytes_[eol - 1] == '\r')
        return "\r\n";
    return "\n";
}

} // namespace tk
