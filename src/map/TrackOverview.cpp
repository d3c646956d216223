// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/TrackOverview.h"

#include "map/FigureJson.h"
#include "map/TextAppend.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace tk {
namespace {

struct Bounds {
    double south = 90.0, west = 180.0, north = -90.0, east = -180.0;

    void add(const TrackPoint& p) {
        south = std::min(south, p.latitude);
        north = std::max(north, p.latitude);
        west = std::min(west, p.longitude);
        east = std::max(east, p.longitude);
    }
};

Bounds boundsOf(const std::vector<TrackPoint>& points) {
    Bounds b;
    for (const TrackPoint& p : points)
        b.add(p);
    return b;
}

// Squared distance of p from the segment a-b on a plane where x is the longitude scaled by
// xScale and y the latitude.
double squaredOffset(const TrackPoint& p, const TrackPoint& a, const TrackPoint& b, double xScale) {
    const double ax = a.longitude * xScale, ay = a.latitude;
    const double dx = b.longitude * xScale - ax, dy = b.latitude - ay;
    const double px = p.longitude * xScale - ax, py = p.latitude - ay;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0.0 ? std::clamp((px * dx + py * dy) / length2, 0.0, 1.0) : 0.0;
    const double ox = px - t * dx, oy = py - t * dy;
    return ox * ox + oy * oy;
}

void appendHexColour(std::string& out, std::uint32_t bgr) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '#';
    for (const int shift : {0, 8, 16}) {
        const std::uint32_t byte = bgr >> shift & 0xFF;
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
}

void appendTrack(std::string& out, const OverviewTrack& o) {
    out += "{\"track\": " + std::to_string(o.index) + ", \"name\": ";
    appendJsonString(out, o.track->name);
    out += ", \"color\": \"";
    appendHexColour(out, o.drawColour);
    out += "\", \"weight\": " + std::to_string(o.weight) + ", ";
    out += o.shape ? *o.shape : overviewShapeJson(o.track->points);
    out += '}';
}

} // namespace

std::string overviewShapeJson(const std::vector<TrackPoint>& points) {
    const double tolerance = kOverviewToleranceMetres / kMetresPerDegreeOfLatitude;
    const Bounds b = boundsOf(points);
    std::string out = "\"bounds\": [";
    const double corners[] = {b.south, b.west, b.north, b.east};
    for (std::size_t i = 0; i < 4; ++i) {
        out += i == 0 ? "" : ", ";
        text::appendFixed(out, corners[i], 6);
    }
    out += "], \"points\": [";
    bool first = true;
    for (const std::size_t i : thinnedPoints(points, tolerance)) {
        out += first ? "" : ",";
        first = false;
        text::appendFixed(out, points[i].latitude, 6);
        out += ',';
        text::appendFixed(out, points[i].longitude, 6);
    }
    out += "]";
    return out;
}

std::vector<std::size_t> thinnedPoints(std::span<const TrackPoint> points, double tolerance) {
    const std::size_t n = points.size();
    if (n <= 2) {
        std::vector<std::size_t> all(n);
        for (std::size_t i = 0; i < n; ++i)
            all[i] = i;
        return all;
    }
    const double xScale = std::cos(points[0].latitude * std::numbers::pi / 180.0);
    const double limit = tolerance * tolerance;
    std::vector<bool> keep(n, false);
    keep[0] = keep[n - 1] = true;
    std::vector<std::pair<std::size_t, std::size_t>> spans{{0, n - 1}};
    while (!spans.empty()) {
        const auto [from, to] = spans.back();
        spans.pop_back();
        double farthest = -1.0;
        std::size_t at = from;
        for (std::size_t i = from + 1; i < to; ++i) {
            const double d = squaredOffset(points[i], points[from], points[to], xScale);
            if (d > farthest) {
                farthest = d;
                at = i;
            }
        }
        if (farthest > limit) {
            keep[at] = true;
            spans.emplace_back(from, at);
            spans.emplace_back(at, to);
        }
    }
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < n; ++i)
        if (keep[i])
            kept.push_back(i);
    return kept;
}

std::string trackViewJson(std::span<const OverviewTrack> tracks, int selected) {
    std::string out = "{\"selected\": " + std::to_string(selected) + ", \"tracks\": [";
    bool first = true;
    for (const OverviewTrack& o : tracks) {
        if (!o.track || o.track->points.empty())
            continue;
        out += first ? "\n" : ",\n";
        first = false;
        appendTrack(out, o);
    }
    out += "]}";
    return out;
}

} // namespace tk
