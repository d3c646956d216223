// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/ClockSuggestion.h"

#include "ui/TextFill.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace tk::photos {
namespace {

constexpr double kNear = 240;       // corrections this close to the best ones are the same answer
constexpr double kSharp = 90;       // the best corrections lie within this when the answer is sure
constexpr double kGpsAgree = 2;     // GPS time stamps this close agree
constexpr double kPassMetres = 30;  // beyond the track's nearest pass, still "there"
constexpr double kFarMetres = 1000; // a photo further from every fix was not taken on the tracks
constexpr double kMetresPerDegree = 111320.0;

struct Span {
    double from = 0;
    double to = 0;
};

// A stretch of corrections over which the counts stay the same.
struct Level {
    double from = 0;
    double to = 0;
    double inside = 0; // moments inside the tracks (or photos near their positions)
    double still = 0;  // moments at a stop
    double score() const { return inside + still; }
};

struct Event {
    double at = 0;
    double inside = 0;
    double still = 0;
};

constexpr double kEpsilon = 1e-6; // sums of fractions of moments

// Stretches of the tracks where consecutive fixes are at most maxGap apart.
std::vector<Span> insideSpans(std::span<const FixTrack> tracks, double maxGap) {
    std::vector<Span> spans;
    for (const FixTrack& track : tracks) {
        const std::vector<Fix>& f = track.fixes;
        for (std::size_t i = 0; i < f.size(); ++i) {
            if (i > 0 && f[i].utc - f[i - 1].utc <= maxGap && !spans.empty())
                spans.back().to = f[i].utc;
            else
                spans.push_back({f[i].utc, f[i].utc});
        }
    }
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.from < b.from; });
    return spans;
}

// Where the logger stood: a standing fix covers the time since the fix before it.
std::vector<Span> standingSpans(std::span<const FixTrack> tracks, double maxGap) {
    std::vector<Span> spans;
    for (const FixTrack& track : tracks) {
        const std::vector<Fix>& f = track.fixes;
        for (std::size_t i = 1; i < f.size(); ++i) {
            if (!f[i].standing || f[i].utc - f[i - 1].utc > maxGap)
                continue;
            if (!spans.empty() && spans.back().to == f[i - 1].utc)
                spans.back().to = f[i].utc;
            else
                spans.push_back({f[i - 1].utc, f[i].utc});
        }
    }
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.from < b.from; });
    return spans;
}

// The events of one photo taken at camera time c for the spans of true time that hold it:
// those within reach of the correction range.
void addEvents(std::vector<Event>& events, const std::vector<Span>& spans, double c, double inside,
               double still) {
    const double earliest = c - kSuggestionRange;
    const double latest = c + kSuggestionRange;
    auto it = std::lower_bound(spans.begin(), spans.end(), earliest,
                               [](const Span& s, double t) { return s.from < t; });
    if (it != spans.begin())
        --it; // the span before may reach into the range
    for (; it != spans.end() && it->from <= latest; ++it) {
        const double from = std::max(it->from, earliest) - c;
        const double to = std::min(it->to, latest) - c;
        if (to <= from)
            continue;
        events.push_back({from, inside, still});
        events.push_back({to, -inside, -still});
    }
}

// The counts over the whole range, stretch by stretch.
std::vector<Level> sweep(std::vector<Event>& events) {
    // Ends before starts at the same correction: touching spans never count twice.
    std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.at < b.at || (a.at == b.at && a.inside + a.still < b.inside + b.still);
    });
    std::vector<Level> levels;
    Level current{-kSuggestionRange, -kSuggestionRange, 0, 0};
    for (const Event& e : events) {
        if (e.at > current.from) {
            current.to = e.at;
            levels.push_back(current);
            current.from = e.at;
        }
        current.inside += e.inside;
        current.still += e.still;
    }
    current.to = kSuggestionRange;
    if (current.to > current.from)
        levels.push_back(current);
    return levels;
}

struct Peak {
    Level best;          // the counts of the best corrections
    Span hull;           // from the first to the last of them
    double runnerUp = 0; // the best score of the corrections not near them
    double mostInside = 0;
};

Peak findPeak(const std::vector<Level>& levels) {
    Peak peak;
    double bestScore = -1;
    for (const Level& l : levels) {
        peak.mostInside = std::max(peak.mostInside, l.inside);
        if (l.score() > bestScore + kEpsilon) {
            bestScore = l.score();
            peak.best = l;
            peak.hull = {l.from, l.to};
        } else if (l.score() > bestScore - kEpsilon) {
            peak.hull.to = l.to;
        }
    }
    for (const Level& l : levels)
        if (l.from < peak.hull.from - kNear || l.to > peak.hull.to + kNear)
            peak.runnerUp = std::max(peak.runnerUp, l.score());
    return peak;
}

double middle(const Span& s) {
    return std::round((s.from + s.to) / 2);
}

// A clear winner: the best corrections lie close together, and every correction not near them
// is worse by at least margin.
bool clearlyBest(const Peak& peak, double margin) {
    return peak.hull.to - peak.hull.from <= kSharp &&
           peak.runnerUp <= peak.best.score() - margin + kEpsilon;
}

OffsetSuggestion fromGpsTimes(std::span<const PhotoClue> photos) {
    std::vector<double> offsets;
    for (const PhotoClue& p : photos)
        if (p.gpsUtc)
            offsets.push_back(*p.gpsUtc - p.cameraUtc);
    std::sort(offsets.begin(), offsets.end());
    const double median = offsets[offsets.size() / 2];
    const auto agreeing = std::count_if(offsets.begin(), offsets.end(), [&](double o) {
        return std::abs(o - median) <= kGpsAgree;
    });
    OffsetSuggestion s;
    s.offset = std::round(median);
    if (2 * static_cast<std::size_t>(agreeing) > offsets.size()) {
        s.confidence = Confidence::high;
        const auto all = static_cast<long>(offsets.size());
        s.because = agreeing < all ? Because::gpsTimesOutvoted : Because::gpsTimes;
        s.numbers = {all, all - agreeing};
    } else {
        s.confidence = Confidence::low;
        s.because = Because::gpsDisagree;
        s.numbers = {std::lround(offsets.back() - offsets.front())};
    }
    return s;
}

// Metres east and north of the origin, flat near it.
struct Local {
    double east = 0;
    double north = 0;
};

Local localOf(const Fix& f, const Position& origin) {
    const double scale = std::cos(origin.latitude * 3.14159265358979 / 180.0);
    double dLon = f.longitude - origin.longitude;
    if (dLon > 180)
        dLon -= 360;
    else if (dLon < -180)
        dLon += 360;
    return {dLon * scale * kMetresPerDegree, (f.latitude - origin.latitude) * kMetresPerDegree};
}

// The parts of the segment from a to b (a fraction 0..1 along it) within radius of the origin.
std::optional<Span> withinRadius(Local a, Local b, double radius) {
    const double dx = b.east - a.east;
    const double dy = b.north - a.north;
    const double A = dx * dx + dy * dy;
    const double B = 2 * (a.east * dx + a.north * dy);
    const double C = a.east * a.east + a.north * a.north - radius * radius;
    if (A == 0)
        return C <= 0 ? std::optional<Span>(Span{0, 1}) : std::nullopt;
    const double d = B * B - 4 * A * C;
    if (d < 0)
        return std::nullopt;
    const double r = std::sqrt(d);
    const double u1 = std::max(0.0, (-B - r) / (2 * A));
    const double u2 = std::min(1.0, (-B + r) / (2 * A));
    if (u1 > u2)
        return std::nullopt;
    return Span{u1, u2};
}

double segmentDistance(Local a, Local b) {
    const double dx = b.east - a.east;
    const double dy = b.north - a.north;
    const double A = dx * dx + dy * dy;
    const double u = A == 0 ? 0 : std::clamp(-(a.east * dx + a.north * dy) / A, 0.0, 1.0);
    return std::hypot(a.east + dx * u, a.north + dy * u);
}

// Visits the segments of the tracks (fixes at most maxGap apart) within the range of c.
template <typename Visit>
void segmentsNear(std::span<const FixTrack> tracks, double c, double maxGap, Visit visit) {
    for (const FixTrack& track : tracks) {
        const std::vector<Fix>& f = track.fixes;
        auto it = std::lower_bound(f.begin(), f.end(), c - kSuggestionRange,
                                   [](const Fix& x, double t) { return x.utc < t; });
        if (it != f.begin())
            --it;
        for (; it + 1 < f.end() && it->utc <= c + kSuggestionRange; ++it)
            if ((it + 1)->utc - it->utc <= maxGap)
                visit(*it, *(it + 1));
    }
}

// Each photo with a position counts where the track passes within kPassMetres of its nearest
// pass.
OffsetSuggestion fromPositions(std::span<const FixTrack> tracks, std::span<const PhotoClue> photos,
                               double maxGap) {
    std::vector<Event> events;
    long placed = 0;
    for (const PhotoClue& p : photos) {
        if (!p.position)
            continue;
        const double c = p.cameraUtc;
        double nearest = std::numeric_limits<double>::infinity();
        segmentsNear(tracks, c, maxGap, [&](const Fix& a, const Fix& b) {
            nearest = std::min(nearest,
                               segmentDistance(localOf(a, *p.position), localOf(b, *p.position)));
        });
        if (nearest > kFarMetres)
            continue;
        ++placed;
        const double radius = nearest + kPassMetres;
        segmentsNear(tracks, c, maxGap, [&](const Fix& a, const Fix& b) {
            const auto part =
                withinRadius(localOf(a, *p.position), localOf(b, *p.position), radius);
            if (!part)
                return;
            const double from =
                std::max(a.utc + (b.utc - a.utc) * part->from - c, -kSuggestionRange);
            const double to = std::min(a.utc + (b.utc - a.utc) * part->to - c, kSuggestionRange);
            if (to > from) {
                events.push_back({from, 1, 0});
                events.push_back({to, -1, 0});
            }
        });
    }
    const long withPosition = static_cast<long>(std::count_if(
        photos.begin(), photos.end(), [](const PhotoClue& p) { return p.position.has_value(); }));
    OffsetSuggestion s;
    if (2 * placed < withPosition) {
        s.because = Because::positionsFar;
        s.numbers = {withPosition - placed, withPosition};
        return s;
    }
    const Peak peak = findPeak(sweep(events));
    s.offset = middle(peak.hull);
    const auto n = static_cast<std::size_t>(std::lround(peak.best.inside));
    if (n >= 1 && clearlyBest(peak, 1)) {
        s.confidence = Confidence::high;
        s.because = Because::positions;
        s.numbers = {static_cast<long>(n)};
    } else {
        s.confidence = Confidence::low;
        const bool wide = peak.hull.to - peak.hull.from > kSharp;
        s.because = wide ? Because::positionsLong : Because::positionsAgain;
        s.numbers = {std::lround(peak.hull.from), std::lround(peak.hull.to)};
    }
    return s;
}

// Photos taken within a couple of minutes of each other are one moment: a burst at one stop is
// one piece of evidence. Each photo weighs its share of its moment.
std::vector<double> momentWeights(std::span<const PhotoClue> photos) {
    constexpr double kMoment = 120;
    std::vector<std::size_t> order(photos.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return photos[a].cameraUtc < photos[b].cameraUtc;
    });
    std::vector<double> weights(photos.size());
    for (std::size_t first = 0; first < order.size();) {
        std::size_t last = first + 1;
        while (last < order.size() &&
               photos[order[last]].cameraUtc - photos[order[last - 1]].cameraUtc < kMoment)
            ++last;
        for (std::size_t k = first; k < last; ++k)
            weights[order[k]] = 1.0 / static_cast<double>(last - first);
        first = last;
    }
    return weights;
}

bool within(const std::vector<Span>& spans, double t) {
    auto it = std::upper_bound(spans.begin(), spans.end(), t,
                               [](double x, const Span& s) { return x < s.from; });
    return it != spans.begin() && (it - 1)->to >= t;
}

// People stop to take photos: the correction that puts the most moments inside the tracks and,
// again, at a stop.
OffsetSuggestion fromStops(std::span<const FixTrack> tracks, std::span<const PhotoClue> photos,
                           double maxGap) {
    const std::vector<Span> inside = insideSpans(tracks, maxGap);
    const std::vector<Span> still = standingSpans(tracks, maxGap);
    const std::vector<double> weights = momentWeights(photos);
    std::vector<Event> events;
    for (std::size_t i = 0; i < photos.size(); ++i) {
        addEvents(events, inside, photos[i].cameraUtc, weights[i], 0);
        addEvents(events, still, photos[i].cameraUtc, 0, weights[i]);
    }
    const Peak peak = findPeak(sweep(events));
    double moments = 0;
    for (const double w : weights)
        moments += w;
    const std::size_t n = photos.size();
    OffsetSuggestion s;
    if (2 * peak.mostInside < moments - kEpsilon) {
        s.because = Because::notInside;
        s.numbers = {static_cast<long>(n)};
        return s;
    }
    s.offset = middle(peak.hull);
    std::size_t photosInside = 0;
    std::size_t photosStill = 0;
    for (const PhotoClue& p : photos) {
        photosInside += within(inside, p.cameraUtc + *s.offset);
        photosStill += within(still, p.cameraUtc + *s.offset);
    }
    s.numbers = {static_cast<long>(photosInside), static_cast<long>(n),
                 static_cast<long>(photosStill), std::lround(peak.hull.from),
                 std::lround(peak.hull.to)};
    // Each moment more at a stop makes a correction some ten times likelier (stops are about a
    // quarter of a walk's time, and most photos are taken at them). Walks alternate stops and
    // legs of similar lengths, so photos taken on the move fall into stops together by chance
    // now and then: a clear winner needs four moments more than any other correction, and
    // most moments at stops.
    const double atStops = peak.best.still;
    if (atStops >= 3 - kEpsilon && 4 * atStops >= 3 * moments - kEpsilon && clearlyBest(peak, 4)) {
        s.confidence = Confidence::high;
        s.because = Because::stopsClear;
    } else if (photosStill == 0) {
        s.confidence = Confidence::low;
        s.because = Because::stopsMoving;
    } else if (peak.hull.to - peak.hull.from > kSharp) {
        s.confidence = Confidence::low;
        s.because = Because::stopsWide;
    } else {
        s.confidence = Confidence::low;
        s.because = Because::stopsNearlyAsWell;
    }
    return s;
}

} // namespace

const char* confidenceName(Confidence confidence) {
    switch (confidence) {
    case Confidence::high:
        return "high";
    case Confidence::low:
        return "low";
    case Confidence::none:
        break;
    }
    return "none";
}

namespace {
OffsetSuggestion suggestFrom(std::span<const FixTrack> tracks, std::span<const PhotoClue> photos,
                             double maxGap);
} // namespace

const char* reasonTemplate(Because because) {
    switch (because) {
    case Because::noPhotoTime:
        return "no photo has a date and time";
    case Because::noFixes:
        return "no track has fixes";
    case Because::gpsTimes:
        return "from the GPS time stamps of %d photos";
    case Because::gpsTimesOutvoted:
        return "from the GPS time stamps of %d photos (%d disagree)";
    case Because::gpsDisagree:
        return "the GPS time stamps disagree by up to %d s";
    case Because::positionsFar:
        return "the tracks never pass near the positions of %d of %d photos";
    case Because::positions:
        return "from when the track passed the positions of %d photos";
    case Because::positionsLong:
        return "the track stays near the photos' positions from %d s to %d s";
    case Because::positionsAgain:
        return "the track passes the photos' positions at several times";
    case Because::notInside:
        return "no correction within 14 hours puts half of the %d photos inside the tracks";
    case Because::stopsClear:
        return "%d of %d photos inside the tracks, %d at stops; no other correction comes close";
    case Because::stopsMoving:
        return "%d of %d photos inside the tracks, %d at stops: taken while moving, the track "
               "cannot tell when";
    case Because::stopsWide:
        return "%d of %d photos inside the tracks, %d at stops, but anything from %d s to %d s "
               "fits as well";
    case Because::stopsNearlyAsWell:
        break;
    }
    return "%d of %d photos inside the tracks, %d at stops; other corrections fit nearly as well";
}

std::string OffsetSuggestion::reasonIn(const std::string& wording) const {
    return fillNumbers(wording, {numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]});
}

OffsetSuggestion suggestOffset(std::span<const FixTrack> tracks, std::span<const PhotoClue> photos,
                               double maxGap) {
    OffsetSuggestion s = suggestFrom(tracks, photos, maxGap);
    s.reason = s.reasonIn(reasonTemplate(s.because));
    return s;
}

namespace {

OffsetSuggestion suggestFrom(std::span<const FixTrack> tracks, std::span<const PhotoClue> photos,
                             double maxGap) {
    if (photos.empty())
        return {std::nullopt, Confidence::none, Because::noPhotoTime, {}, {}};
    if (std::any_of(photos.begin(), photos.end(),
                    [](const PhotoClue& p) { return p.gpsUtc.has_value(); }))
        return fromGpsTimes(photos);
    const bool anyFix = std::any_of(tracks.begin(), tracks.end(),
                                    [](const FixTrack& t) { return !t.fixes.empty(); });
    if (!anyFix)
        return {std::nullopt, Confidence::none, Because::noFixes, {}, {}};
    if (std::any_of(photos.begin(), photos.end(),
                    [](const PhotoClue& p) { return p.position.has_value(); }))
        return fromPositions(tracks, photos, maxGap);
    return fromStops(tracks, photos, maxGap);
}

} // namespace

} // namespace tk::photos
