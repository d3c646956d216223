// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TripStats.h"

#include "cli/CliOutput.h"
#include "map/FigureJson.h"

#include <cstdio>

namespace tk::cli {
namespace {

std::string hoursText(std::int64_t seconds) {
    const char* sign = seconds < 0 ? "-" : "";
    const long long s = seconds < 0 ? -seconds : seconds;
    return row("%s%lld:%02lld:%02lld", sign, s / 3600, s / 60 % 60, s % 60);
}

constexpr const char* kRowFormat = "%4s  %-20s %9s  %9s  %9s  %7s  %7s  %7s  %7s  %7s  %7s  %7s\n";

std::string statsRow(const TripStatsRow& r) {
    const TripFigures& f = r.figures;
    return row(kRowFormat, std::to_string(r.number).c_str(), r.name.c_str(),
               row("%.2f", f.length / 1000.0).c_str(), hoursText(f.movingTime).c_str(),
               hoursText(f.duration).c_str(), row("%.1f", f.averageSpeed).c_str(),
               row("%.1f", f.movingSpeed).c_str(), row("%.1f", f.maxSpeed).c_str(),
               row("%.0f", f.ascent).c_str(), row("%.0f", f.descent).c_str(),
               row("%.0f", f.minAltitude).c_str(), row("%.0f", f.maxAltitude).c_str());
}

} // namespace

std::string tripStatsTable(const std::vector<TripStatsRow>& rows, const FigureSettings& settings) {
    std::string out = row(kRowFormat, "No.", "Name", "Length", "Moving", "Duration", "Avg",
                          "Mov.avg", "Max", "Ascent", "Descent", "Lowest", "Highest");
    out +=
        row(kRowFormat, "", "", "km", "h:m:s", "h:m:s", "km/h", "km/h", "km/h", "m", "m", "m", "m");
    for (const TripStatsRow& r : rows)
        out += statsRow(r);
    if (rows.empty())
        out += "(no tracks)\n";
    out += row("Moving at %g km/h or faster; climbs and drops of %g m or more.\n",
               settings.movingSpeedKmh, settings.climbThresholdM);
    return out;
}

std::string tripStatsJson(const std::vector<TripStatsRow>& rows) {
    std::string out = "{\"tracks\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out += i == 0 ? "\n  {\"track\": " : ",\n  {\"track\": ";
        out += std::to_string(rows[i].number);
        out += ", \"name\": ";
        appendJsonString(out, rows[i].name);
        out += ", ";
        appendFigureMembers(out, rows[i].figures);
        out += '}';
    }
    out += rows.empty() ? "]}\n" : "\n]}\n";
    return out;
}

} // namespace tk::cli
