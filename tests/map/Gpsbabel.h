// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs the gpsbabel converter on files the writers produce, to prove that a reader other than
// our own accepts them.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace tk::test {

inline constexpr const char* kGpsbabel = "/usr/bin/gpsbabel";

inline bool haveGpsbabel() {
    return std::filesystem::exists(kGpsbabel);
}

// A fresh folder under the system's temporary directory, removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() /
                ("trailkeep-map-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::filesystem::path file(const std::string& name) const { return path_ / name; }

    std::filesystem::path write(const std::string& name, const std::string& bytes) const {
        const auto p = file(name);
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }

private:
    std::filesystem::path path_;
};

// One data row of gpsbabel's unicsv output, by column name.
using CsvRow = std::map<std::string, std::string>;

inline std::vector<std::string> splitCsvLine(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.push_back(std::exchange(field, {}));
        else if (c != '\r')
            field += c;
    }
    fields.push_back(field);
    return fields;
}

// Converts input to unicsv and returns its rows; ok is false when gpsbabel refuses. inOptions
// name the input format and what to read ("-t -i gpx" for tracks, "-i kml" for waypoints).
inline std::vector<CsvRow> toUnicsv(const ScratchDir& dir, const std::filesystem::path& input,
                                    const std::string& inOptions, bool& ok) {
    const auto output = dir.file("out.csv");
    const auto errors = dir.file("errors.txt");
    const std::string command = std::string(kGpsbabel) + " " + inOptions + " -f '" +
                                input.string() + "' -o unicsv -F '" + output.string() + "' 2>'" +
                                errors.string() + "'";
    ok = std::system(command.c_str()) == 0;
    std::vector<CsvRow> rows;
    std::ifstream in(output);
    std::string line;
    if (!ok || !std::getline(in, line))
        return rows;
    const auto header = splitCsvLine(line);
    while (std::getline(in, line)) {
        const auto fields = splitCsvLine(line);
        CsvRow row;
        for (std::size_t i = 0; i < header.size() && i < fields.size(); ++i)
            row[header[i]] = fields[i];
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace tk::test
