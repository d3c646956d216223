// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo/DemoMotion.h"

#include <algorithm>

namespace tk::demo {
namespace {

constexpr double kLookahead = 600.0; // metres of route kept ahead, enough to brake for a stop
constexpr double kCorner = 9.0;      // metres, the bend of a street corner
constexpr double kTurnBack = 4.0;

} // namespace

Traveller::Traveller(Itinerary& itinerary, const Town& town, const Gait& gait, int stepSeconds,
                     Random& random)
    : itinerary_(itinerary), town_(town), gait_(gait), step_(std::max(1, stepSeconds)),
      random_(random), at_(itinerary.start()) {
    // Over one logging step the distance travelled must stay close to what the speed at its
    // end tells, or the track builder takes the fix for a jump: long steps want gentle pedals.
    const double gentle = 120.0 / (double(step_) * step_);
    gait_.accel = std::min(gait_.accel, gentle);
    gait_.brake = std::min(gait_.brake, gentle);
    hold_ = uniform(random_, 5.0, 25.0);
}

std::vector<Sample> Traveller::travel(int fixes) {
    std::vector<Sample> samples;
    samples.reserve(static_cast<std::size_t>(std::max(fixes, 0)));
    const double total = double(fixes) * step_;
    for (long t = 0; static_cast<long>(samples.size()) < fixes; ++t) {
        if (t % step_ == 0)
            samples.push_back({at_, speed_, town_.altitude(at_) + altitudeNoise_});
        tick(total - double(t));
    }
    return samples;
}

void Traveller::tick(double secondsLeft) {
    refill(secondsLeft);
    altitudeNoise_ = altitudeNoise_ * 0.95 + uniform(random_, -0.3, 0.3);
    if (hold_ > 0.0) {
        hold_ -= 1.0;
        speed_ = 0.0;
        return;
    }
    double v = std::min(targetSpeed(), allowedSpeed());
    if (secondsLeft <= speed_ / gait_.brake + 8.0)
        v = 0.0; // the trip is over: pull up where it is
    v = std::max(0.0, std::clamp(v, speed_ - 1.3 * gait_.brake, speed_ + gait_.accel));
    const double metres = (speed_ + v) / 2.0;
    speed_ = v;
    advance(metres);
}

void Traveller::refill(double secondsLeft) {
    if (!ahead_.empty() && ahead_.back().stopSeconds >= kForever)
        return;
    double queued = 0.0;
    double stops = hold_;
    Vec from = at_;
    for (const Waypoint& w : ahead_) {
        queued += length(w.at - from);
        stops += w.stopSeconds;
        from = w.at;
    }
    while (queued < kLookahead) {
        for (const Waypoint& w : itinerary_.next(secondsLeft - stops - queued / gait_.pace)) {
            queued += length(w.at - from);
            if (w.stopSeconds < kForever)
                stops += w.stopSeconds;
            from = w.at;
            ahead_.push_back(w);
        }
        if (ahead_.back().stopSeconds >= kForever)
            return;
    }
}

double Traveller::targetSpeed() {
    const Waypoint& w = ahead_.front();
    double v = gait_.keepsToLimit ? w.limit * gait_.cruise : std::min(gait_.cruise, w.limit);
    const Vec way = w.at - at_;
    const double metres = std::min(length(way), 20.0);
    if (metres > 1.0 && gait_.hills > 0.0) {
        const Vec probe = at_ + way * (metres / length(way));
        const double slope = (town_.altitude(probe) - town_.altitude(at_)) / metres;
        v *= std::clamp(1.0 - gait_.hills * slope, 0.35, 1.5);
    }
    drift_ =
        std::clamp(drift_ * 0.97 + uniform(random_, -1.0, 1.0) * gait_.wobble * 0.4, -0.3, 0.3);
    return v * (1.0 + drift_);
}

// The highest speed from which the traveller can still slow down in time for every corner and
// stop ahead.
double Traveller::allowedSpeed() const {
    const double fastest = speed_ + gait_.accel;
    const double horizon = fastest * fastest / (2.0 * gait_.brake) + 30.0;
    double allowed = kNoBend;
    double metres = 0.0;
    Vec from = at_;
    for (std::size_t k = 0; k < ahead_.size() && metres <= horizon; ++k) {
        metres += length(ahead_[k].at - from);
        from = ahead_[k].at;
        const double cap =
            ahead_[k].stopSeconds > 0.0 ? 0.0 : std::sqrt(gait_.lateral * cornerRadius(k));
        // The speed v from which braking still gets down to the cap, with the second spent at
        // (speed + v) / 2 counted: v² = cap² + 2 brake (metres - (speed + v) / 2).
        const double b = gait_.brake;
        const double root = b * b + 4.0 * (cap * cap + 2.0 * b * metres - b * speed_);
        allowed = std::min(allowed, root > 0.0 ? std::max(0.0, (std::sqrt(root) - b) / 2.0) : 0.0);
    }
    return allowed;
}

// A waypoint's own bend, or the corner that the route turns at it.
double Traveller::cornerRadius(std::size_t index) const {
    const Waypoint& w = ahead_[index];
    if (w.radius < kNoBend || index + 1 >= ahead_.size())
        return w.radius;
    const Vec before = w.at - (index == 0 ? at_ : ahead_[index - 1].at);
    const Vec after = ahead_[index + 1].at - w.at;
    if (length(before) < 1.0 || length(after) < 1.0)
        return kNoBend;
    const double turn = std::fabs(wrapAngle(headingOf(after) - headingOf(before)));
    if (turn < 0.5)
        return kNoBend;
    return turn > 2.5 ? kTurnBack : kCorner;
}

void Traveller::advance(double metres) {
    while (!ahead_.empty()) {
        const Waypoint w = ahead_.front();
        const Vec way = w.at - at_;
        const double left = length(way);
        if (left > metres) {
            at_ = at_ + way * (metres / left);
            return;
        }
        at_ = w.at;
        metres -= left;
        ahead_.pop_front();
        if (w.stopSeconds > 0.0) {
            hold_ = w.stopSeconds;
            speed_ = 0.0;
            return;
        }
    }
}

} // namespace tk::demo
