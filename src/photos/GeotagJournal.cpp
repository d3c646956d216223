// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/GeotagJournal.h"

#include "files/AtomicFile.h"
#include "files/FileIO.h"
#include "photos/FileReplace.h"
#include "photos/PhotoTime.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unistd.h>

namespace tk::photos {
namespace {

constexpr char kHeader[] = "# Trailkeep geotagging journal 1: what geotagging changed in this "
                           "folder, for trailkeep-cli geotag --undo\n";
constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

bool unescaped(const std::string& text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        unsigned value = 0;
        if (std::sscanf(text.c_str() + i + 1, "%2x", &value) != 1)
            return false;
        out += static_cast<char>(value);
        i += 2;
    }
    return true;
}

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto at = line.find(separator, start);
        fields.push_back(
            line.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return fields;
        start = at + 1;
    }
}

const char* methodName(JournalEntry::Method method) {
    switch (method) {
    case JournalEntry::Method::exifSegment:
        return "exif-segment";
    case JournalEntry::Method::gpsTags:
        return "gps-tags";
    case JournalEntry::Method::none:
        break;
    }
    return "none";
}

bool methodFromName(const std::string& name, JournalEntry::Method& method) {
    for (const auto m : {JournalEntry::Method::none, JournalEntry::Method::exifSegment,
                         JournalEntry::Method::gpsTags})
        if (name == methodName(m)) {
            method = m;
            return true;
        }
    return false;
}

// An appended TIFF's field: "length,pointer offset,old pointer bytes in hex,hash in hex".
std::string appendedField(const JournalEntry::Appended& a) {
    char text[80];
    std::snprintf(text, sizeof text, "%llu,%llu,%02x%02x%02x%02x,%016llx",
                  static_cast<unsigned long long>(a.lengthBefore),
                  static_cast<unsigned long long>(a.pointerAt), a.pointerBefore[0],
                  a.pointerBefore[1], a.pointerBefore[2], a.pointerBefore[3],
                  static_cast<unsigned long long>(a.hashAfter));
    return text;
}

bool parseAppended(const std::string& field, JournalEntry::Appended& a) {
    unsigned long long length = 0, at = 0, hash = 0;
    unsigned p[4] = {};
    int end = 0;
    if (std::sscanf(field.c_str(), "%llu,%llu,%2x%2x%2x%2x,%16llx%n", &length, &at, &p[0], &p[1],
                    &p[2], &p[3], &hash, &end) != 7 ||
        static_cast<std::size_t>(end) != field.size() || at + 4 > length)
        return false;
    a.lengthBefore = length;
    a.pointerAt = at;
    for (int i = 0; i < 4; ++i)
        a.pointerBefore[i] = static_cast<std::uint8_t>(p[i]);
    a.hashAfter = hash;
    return true;
}

std::string entryLine(const JournalEntry& e) {
    std::string tags;
    for (std::size_t i = 0; i < e.gpsTags.size(); ++i)
        tags += (i ? "\n" : "") + e.gpsTags[i];
    return "E\t" + escaped(e.run) + "\t" + escaped(e.name) + "\t" + methodName(e.method) + "\t" +
           (e.hadSegment ? "1" : "0") + "\t" + std::to_string(e.segmentOffset) + "\t" +
           base64Encode(e.segment) + "\t" + escaped(tags) + "\t" + escaped(e.sidecar) + "\t" +
           (e.sidecarCreated ? "1" : "0") + "\t" + base64Encode(e.sidecarBefore) +
           (e.appended ? "\t" + appendedField(*e.appended) : std::string()) + "\n";
}

bool parseEntry(const std::string& line, JournalEntry& e) {
    const std::vector<std::string> f = split(line, '\t');
    if ((f.size() != 11 && f.size() != 12) || f[0] != "E")
        return false;
    e.appended.reset();
    if (f.size() == 12 && !parseAppended(f[11], e.appended.emplace()))
        return false;
    std::string tags;
    if (!unescaped(f[1], e.run) || !unescaped(f[2], e.name) || !methodFromName(f[3], e.method) ||
        !base64Decode(f[6], e.segment) || !unescaped(f[7], tags) || !unescaped(f[8], e.sidecar) ||
        !base64Decode(f[10], e.sidecarBefore))
        return false;
    e.hadSegment = f[4] == "1";
    e.sidecarCreated = f[9] == "1";
    try {
        e.segmentOffset = std::stoull(f[5]);
    } catch (...) {
        return false;
    }
    e.gpsTags.clear();
    if (!tags.empty())
        e.gpsTags = split(tags, '\n');
    return !e.name.empty() && e.name.find('/') == std::string::npos;
}

} // namespace

std::string journalPath(const std::string& folder) {
    return (folder.empty() ? std::string(".") : folder) + "/" + kJournalName;
}

std::vector<JournalEntry> readJournal(const std::string& folder, std::string& error) {
    error.clear();
    const std::string path = journalPath(folder);
    const auto bytes = readFileBytes(path);
    if (!bytes) {
        if (errno != ENOENT)
            error = fileErrorText(path);
        return {};
    }
    std::vector<JournalEntry> entries;
    std::size_t start = 0;
    while (start < bytes->size()) {
        auto end = bytes->find('\n', start);
        const bool cutShort = end == std::string::npos;
        if (cutShort)
            end = bytes->size();
        const std::string line = bytes->substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        JournalEntry entry;
        if (parseEntry(line, entry)) {
            entries.push_back(std::move(entry));
        } else if (!cutShort) {
            error = path + ": not a geotagging journal this program can read";
            return {};
        }
        // A last line cut short was being written when the program stopped: its photo was not
        // changed yet, since a photo changes only after its entry is whole on the disk.
    }
    return entries;
}

// Calls line(offset, text) for every line of the journal, text with its line end; false (and
// error set) when it cannot be read, or when line returns false.
bool forEachLine(const std::string& path, std::string& error,
                 const std::function<bool(std::int64_t, std::string_view)>& line) {
    std::FILE* file = std::fopen(path.c_str(), "rbe");
    if (!file) {
        error = fileErrorText(path);
        return false;
    }
    bool ok = true;
    char* buffer = nullptr;
    std::size_t capacity = 0;
    std::int64_t offset = 0;
    for (ssize_t length; ok && (length = ::getline(&buffer, &capacity, file)) > 0; offset += length)
        ok = line(offset, std::string_view(buffer, static_cast<std::size_t>(length)));
    std::free(buffer);
    if (ok && std::ferror(file)) {
        error = fileErrorText(path);
        ok = false;
    }
    std::fclose(file);
    return ok;
}

std::vector<JournalPlace> scanJournal(const std::string& folder, std::string& error) {
    error.clear();
    const std::string path = journalPath(folder);
    if (::access(path.c_str(), F_OK) != 0 && errno == ENOENT)
        return {};
    std::vector<JournalPlace> places;
    const bool ok = forEachLine(path, error, [&](std::int64_t offset, std::string_view text) {
        const bool whole = text.back() == '\n';
        const std::string line(text.substr(0, text.size() - (whole ? 1 : 0)));
        if (line.empty() || line[0] == '#')
            return true;
        JournalEntry entry;
        if (parseEntry(line, entry)) {
            places.push_back({offset, static_cast<std::int64_t>(text.size()), std::move(entry.run),
                              std::move(entry.name)});
            return true;
        }
        if (!whole) // cut short when the program stopped: its photo was not changed
            return true;
        error = path + ": not a geotagging journal this program can read";
        return false;
    });
    return ok ? places : std::vector<JournalPlace>{};
}

std::optional<JournalEntry> readJournalEntry(const std::string& folder, const JournalPlace& place,
                                             std::string& error) {
    const std::string path = journalPath(folder);
    auto text = readFileRange(path, place.offset, static_cast<std::size_t>(place.length));
    if (!text) {
        error = fileErrorText(path);
        return std::nullopt;
    }
    if (!text->empty() && text->back() == '\n')
        text->pop_back();
    JournalEntry entry;
    if (!parseEntry(*text, entry) || entry.run != place.run || entry.name != place.name) {
        error = path + ": the journal changed while it was being read";
        return std::nullopt;
    }
    return entry;
}

std::string removeJournalLines(const std::string& folder, const std::set<std::int64_t>& offsets) {
    const std::string path = journalPath(folder);
    const auto stamp = fileStamp(path);
    if (!stamp)
        return errno == ENOENT ? std::string() : fileErrorText(path);
    std::vector<ContentPiece> kept;
    bool anyEntryKept = false;
    std::string error;
    const bool ok = forEachLine(path, error, [&](std::int64_t offset, std::string_view line) {
        if (offsets.count(offset))
            return true;
        anyEntryKept = anyEntryKept || line[0] == 'E';
        const auto length = static_cast<std::int64_t>(line.size());
        if (!kept.empty() && kept.back().originalOffset + kept.back().originalLength == offset)
            kept.back().originalLength += length;
        else
            kept.push_back(ContentPiece::original(offset, length));
        return true;
    });
    if (!ok)
        return error;
    if (!anyEntryKept)
        return ::unlink(path.c_str()) == 0 || errno == ENOENT ? std::string() : fileErrorText(path);
    return replaceFile(path, *stamp, kept);
}

std::string removeJournalEntries(const std::string& folder, const std::string& run,
                                 const std::set<std::string>& names) {
    std::string error;
    std::set<std::int64_t> offsets;
    for (const JournalPlace& place : scanJournal(folder, error))
        if (place.run == run && names.count(place.name))
            offsets.insert(place.offset);
    if (!error.empty())
        return error;
    return offsets.empty() ? std::string() : removeJournalLines(folder, offsets);
}

std::string journalHeader() {
    return kHeader;
}

std::string journalLine(const JournalEntry& entry) {
    return entryLine(entry);
}

std::string writeJournal(const std::string& folder, const std::vector<JournalEntry>& entries) {
    const std::string path = journalPath(folder);
    if (entries.empty()) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            return fileErrorText(path);
        return {};
    }
    std::string text = kHeader;
    for (const JournalEntry& e : entries)
        text += entryLine(e);
    return writeFileAtomically(path, text);
}

std::string appendJournal(const std::string& folder, const std::vector<JournalEntry>& entries) {
    std::string error;
    std::vector<JournalEntry> all = readJournal(folder, error);
    if (!error.empty())
        return error;
    all.insert(all.end(), entries.begin(), entries.end());
    return writeJournal(folder, all);
}

std::string newRunName() {
    static std::atomic<int> counter{0};
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const double seconds = std::chrono::duration<double>(now).count();
    return isoUtcText(seconds) + "/" + std::to_string(::getpid()) + "/" + std::to_string(++counter);
}

std::string base64Encode(const std::string& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kBase64[(v >> 18) & 63];
        out += kBase64[(v >> 12) & 63];
        out += kBase64[(v >> 6) & 63];
        out += kBase64[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kBase64[(v >> 18) & 63];
        out += kBase64[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kBase64[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

bool base64Decode(const std::string& text, std::string& bytes) {
    bytes.clear();
    if (text.size() % 4 != 0)
        return false;
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z')
            return c - 'A';
        if (c >= 'a' && c <= 'z')
            return c - 'a' + 26;
        if (c >= '0' && c <= '9')
            return c - '0' + 52;
        if (c == '+')
            return 62;
        if (c == '/')
            return 63;
        return -1;
    };
    for (std::size_t i = 0; i < text.size(); i += 4) {
        int v[4];
        int pad = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + static_cast<std::size_t>(k)];
            if (c == '=' && i + 4 == text.size() && k >= 2) {
                v[k] = 0;
                ++pad;
                continue;
            }
            if (pad > 0)
                return false;
            v[k] = value(c);
            if (v[k] < 0)
                return false;
        }
        const unsigned n = (static_cast<unsigned>(v[0]) << 18) |
                           (static_cast<unsigned>(v[1]) << 12) |
                           (static_cast<unsigned>(v[2]) << 6) | static_cast<unsigned>(v[3]);
        bytes += static_cast<char>((n >> 16) & 0xFF);
        if (pad < 2)
            bytes += static_cast<char>((n >> 8) & 0xFF);
        if (pad < 1)
            bytes += static_cast<char>(n & 0xFF);
    }
    return true;
}

} // namespace tk::photos
