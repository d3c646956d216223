// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Photos made in the tests: a tiny JPEG and TIFF built in code, tags set on them with exiftool
// (the independent reader and writer, Debian's libimage-exiftool-perl), and exiftool's view of
// them read back.

#include "photos/JpegSegments.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tk::test {

inline constexpr const char* kExiftool = "/usr/bin/exiftool";

inline bool haveExiftool() {
    return std::filesystem::exists(kExiftool);
}

// A 16x16 baseline JPEG (JFIF, no Exif) as ImageMagick writes it.
inline std::string tinyJpeg() {
    static const unsigned char bytes[] = {
        0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00,
        0x01, 0x00, 0x01, 0x00, 0x00, 0xff, 0xdb, 0x00, 0x43, 0x00, 0x03, 0x02, 0x02, 0x03, 0x02,
        0x02, 0x03, 0x03, 0x03, 0x03, 0x04, 0x03, 0x03, 0x04, 0x05, 0x08, 0x05, 0x05, 0x04, 0x04,
        0x05, 0x0a, 0x07, 0x07, 0x06, 0x08, 0x0c, 0x0a, 0x0c, 0x0c, 0x0b, 0x0a, 0x0b, 0x0b, 0x0d,
        0x0e, 0x12, 0x10, 0x0d, 0x0e, 0x11, 0x0e, 0x0b, 0x0b, 0x10, 0x16, 0x10, 0x11, 0x13, 0x14,
        0x15, 0x15, 0x15, 0x0c, 0x0f, 0x17, 0x18, 0x16, 0x14, 0x18, 0x12, 0x14, 0x15, 0x14, 0xff,
        0xdb, 0x00, 0x43, 0x01, 0x03, 0x04, 0x04, 0x05, 0x04, 0x05, 0x09, 0x05, 0x05, 0x09, 0x14,
        0x0d, 0x0b, 0x0d, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
        0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
        0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
        0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0xff, 0xc0, 0x00, 0x11, 0x08, 0x00, 0x10,
        0x00, 0x10, 0x03, 0x01, 0x11, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xff, 0xc4, 0x00,
        0x16, 0x00, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x07, 0x08, 0xff, 0xc4, 0x00, 0x18, 0x10, 0x00, 0x02, 0x03, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x15, 0x01,
        0x52, 0x62, 0xff, 0xc4, 0x00, 0x16, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x04, 0xff, 0xc4, 0x00, 0x16,
        0x11, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x16, 0x62, 0xff, 0xda, 0x00, 0x0c, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03,
        0x11, 0x00, 0x3f, 0x00, 0xcb, 0x0f, 0x62, 0xc6, 0x64, 0xb9, 0x2f, 0x86, 0xea, 0x0f, 0x62,
        0xc1, 0x2e, 0x43, 0x75, 0x13, 0xc7, 0xba, 0x2f, 0x34, 0xb9, 0x22, 0xc6, 0xea, 0x0f, 0x74,
        0x12, 0xe4, 0x37, 0x51, 0xff, 0xd9};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// A small valid ICC profile: the header and a media white point.
inline std::string tinyIccProfile() {
    std::string p(164, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            p[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (24 - 8 * i));
    };
    put32(0, 164);
    p.replace(4, 4, "none");
    put32(8, 0x02100000);
    p.replace(12, 4, "mntr");
    p.replace(16, 4, "RGB ");
    p.replace(20, 4, "XYZ ");
    p.replace(36, 4, "acsp");
    put32(68, 63190);
    put32(72, 65536);
    put32(76, 54061);
    put32(128, 1);
    p.replace(132, 4, "wtpt");
    put32(136, 144);
    put32(140, 20);
    p.replace(144, 4, "XYZ ");
    put32(152, 63190);
    put32(156, 65536);
    put32(160, 54061);
    return p;
}

// An 8x8 grey uncompressed little-endian TIFF with a pixel pattern.
inline std::string tinyTiff() {
    std::string t = "II*";
    t += '\0';
    auto put16 = [&](std::uint16_t v) {
        t += static_cast<char>(v & 0xFF);
        t += static_cast<char>(v >> 8);
    };
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            t += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put32(8);
    const std::uint32_t pixels = 8 + 2 + 8 * 12 + 4;
    put16(8);
    auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint32_t value) {
        put16(tag);
        put16(type);
        put32(1);
        if (type == 3) {
            put16(static_cast<std::uint16_t>(value));
            put16(0);
        } else {
            put32(value);
        }
    };
    entry(256, 3, 8);
    entry(257, 3, 8);
    entry(258, 3, 8);
    entry(259, 3, 1);
    entry(262, 3, 1);
    entry(273, 4, pixels);
    entry(278, 3, 8);
    entry(279, 4, 64);
    put32(0);
    for (int i = 0; i < 64; ++i)
        t += static_cast<char>(i * 4);
    return t;
}

inline std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a program with the arguments and collects its output.
inline ToolResult runTool(const std::string& program, const std::vector<std::string>& args) {
    ToolResult result;
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return result;
    std::vector<std::string> words = args;
    words.insert(words.begin(), program);
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    const int spawned =
        ::posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (spawned == 0) {
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        int open = 2;
        while (open > 0 && ::poll(fds, 2, 30000) > 0) {
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                char buffer[8192];
                const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
                } else {
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    ::close(out[0]);
    ::close(err[0]);
    return result;
}

// Sets tags with exiftool ("-TAG=VALUE" words), keeping no backup.
inline bool exiftoolSet(const std::filesystem::path& file, std::vector<std::string> assignments) {
    assignments.insert(assignments.begin(), {"-q", "-q", "-overwrite_original"});
    assignments.push_back(file.string());
    return runTool(kExiftool, assignments).status == 0;
}

// exiftool -n -j of one file, as tag name -> value text (strings without their quotes).
inline std::map<std::string, std::string> exiftoolJson(const std::filesystem::path& file,
                                                       std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"-n", "-j"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(file.string());
    const std::string text = runTool(kExiftool, args).out;
    std::map<std::string, std::string> tags;
    std::size_t at = text.find('{');
    if (at == std::string::npos)
        return tags;
    ++at;
    auto skipSpace = [&] {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\n' || text[at] == '\r' ||
                                    text[at] == '\t' || text[at] == ','))
            ++at;
    };
    auto readString = [&] {
        std::string s;
        ++at; // opening quote
        while (at < text.size() && text[at] != '"') {
            if (text[at] == '\\' && at + 1 < text.size())
                ++at;
            s += text[at++];
        }
        ++at;
        return s;
    };
    for (;;) {
        skipSpace();
        if (at >= text.size() || text[at] != '"')
            break;
        const std::string key = readString();
        skipSpace();
        if (at < text.size() && text[at] == ':')
            ++at;
        skipSpace();
        std::string value;
        if (at < text.size() && text[at] == '"') {
            value = readString();
        } else {
            int depth = 0;
            while (at < text.size() && (depth > 0 || (text[at] != ',' && text[at] != '}'))) {
                if (text[at] == '[' || text[at] == '{')
                    ++depth;
                if (text[at] == ']' || text[at] == '}')
                    --depth;
                value += text[at++];
            }
            while (!value.empty() && (value.back() == ' ' || value.back() == '\n'))
                value.pop_back();
        }
        tags[key] = value;
    }
    return tags;
}

// exiftool's full dump of every tag of the file ("-Group:Name=value" lines, duplicates kept),
// without the file system's own (name, dates, permissions, size) and the ones computed from
// others; withoutGps also leaves out the GPS tags and the thumbnail's place in the file.
inline std::vector<std::string> exiftoolDump(const std::filesystem::path& file,
                                             bool withGps = true) {
    const std::string text = runTool(kExiftool, {"-a",         "-G1",
                                                 "-n",         "-args",
                                                 "-x",         "FileName",
                                                 "-x",         "Directory",
                                                 "-x",         "FileModifyDate",
                                                 "-x",         "FileAccessDate",
                                                 "-x",         "FileInodeChangeDate",
                                                 "-x",         "FilePermissions",
                                                 "-x",         "FileSize",
                                                 "-x",         "ExifToolVersion",
                                                 file.string()})
                                 .out;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.rfind("-Composite:", 0) == 0)
            continue;
        if (!withGps &&
            (line.rfind("-GPS:", 0) == 0 || line.find(":ThumbnailOffset=") != std::string::npos))
            continue;
        lines.push_back(line);
    }
    return lines;
}

// One binary tag's bytes as exiftool extracts them (-b).
inline std::string exiftoolBinary(const std::filesystem::path& file, const std::string& tag) {
    return runTool(kExiftool, {"-b", "-" + tag, file.string()}).out;
}

// An ImageMagick signature of the pixels, or empty when ImageMagick is not there.
inline std::string pixelSignature(const std::filesystem::path& file) {
    const ToolResult r = runTool("identify", {"-format", "%#", file.string()});
    return r.status == 0 ? r.out : std::string();
}

// The bytes of a JPEG from its start of scan on, and its segments other than the Exif one.
struct JpegParts {
    std::string image;
    std::vector<std::string> otherSegments;
    bool operator==(const JpegParts&) const = default;
};

inline JpegParts partsOf(const std::string& file) {
    photos::JpegHead head;
    std::size_t wanted = 0;
    EXPECT_EQ(photos::parseJpegHead(file, head, wanted), photos::JpegHeadState::complete);
    JpegParts parts;
    parts.image = file.substr(head.scanOffset);
    for (std::size_t i = 0; i < head.segments.size(); ++i)
        if (!head.exifIndex || i != *head.exifIndex)
            parts.otherSegments.push_back(
                file.substr(head.segments[i].offset, head.segments[i].size));
    return parts;
}

inline std::int64_t mtimeNanoseconds(const std::filesystem::path& file) {
    struct stat st {};
    ::stat(file.c_str(), &st);
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

inline unsigned modeOf(const std::filesystem::path& file) {
    struct stat st {};
    ::stat(file.c_str(), &st);
    return st.st_mode & 07777;
}

// Sets the file's access and modification time (nanoseconds since the epoch).
inline void setMtime(const std::filesystem::path& file, std::int64_t nanoseconds) {
    timespec times[2];
    times[0].tv_sec = times[1].tv_sec = nanoseconds / 1000000000;
    times[0].tv_nsec = times[1].tv_nsec = nanoseconds % 1000000000;
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
}

} // namespace tk::test
