// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "demo/DemoRoute.h"

#include <deque>
#include <vector>

namespace tk::demo {

// How one kind of traveller moves, in metres and seconds.
struct Gait {
    double cruise = 1.4;       // preferred speed on the open road
    bool keepsToLimit = false; // drives at the road's limit (times `cruise`) instead
    double accel = 0.5;
    double brake = 0.7;
    double lateral = 100.0; // sideways acceleration taken in bends; slows for corners
    double hills = 0.0;     // how much a slope slows (up) or speeds (down)
    double wobble = 0.08;   // how much the speed drifts around the target
    double pace = 1.3;      // average speed while under way, stops included
};

// The traveller's state at one logging step.
struct Sample {
    Vec at;
    double speed = 0.0;    // metres per second
    double altitude = 0.0; // metres
};

// Moves a traveller along an itinerary second by second: speeding up and braking within its
// gait, slowing for bends and corners, standing still at stops, slower uphill; samples every
// logging step. The trip ends standing still.
class Traveller {
public:
    Traveller(Itinerary& itinerary, const Town& town, const Gait& gait, int stepSeconds,
              Random& random);

    std::vector<Sample> travel(int fixes);

private:
    void tick(double secondsLeft);
    void refill(double secondsLeft);
    double targetSpeed();
    double allowedSpeed() const;
    double cornerRadius(std::size_t index) const;
    void advance(double metres);

    Itinerary& itinerary_;
    const Town& town_;
    Gait gait_;
    int step_;
    Random& random_;
    std::deque<Waypoint> ahead_;
    Vec at_;
    double speed_ = 0.0;
    double hold_ = 0.0;
    double drift_ = 0.0;
    double altitudeNoise_ = 0.0;
};

} // namespace tk::demo
