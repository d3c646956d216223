// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <random>
#include <vector>

// The ground that demo trips travel: a town of streets in hilly country, in metres around the
// town's centre. Only the demo memory images use it.
namespace tk::demo {

using Random = std::mt19937;

double uniform(Random& random, double lo, double hi);
bool chance(Random& random, double p);
double wrapAngle(double radians); // into -pi..pi

// Metres east and north of a town's centre.
struct Vec {
    double x = 0.0;
    double y = 0.0;
};

inline Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y};
}
inline Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
inline Vec operator*(Vec a, double k) {
    return {a.x * k, a.y * k};
}
inline double length(Vec a) {
    return std::hypot(a.x, a.y);
}
// Headings run clockwise from north, in radians.
inline Vec direction(double heading) {
    return {std::sin(heading), std::cos(heading)};
}
inline double headingOf(Vec a) {
    return std::atan2(a.x, a.y);
}

constexpr double kNoBend = 1e9;
constexpr double kForever = 1e9;

// A point of a route and what it asks of whoever travels it.
struct Waypoint {
    Vec at;
    double limit = 13.9;      // metres per second allowed on the way to this point
    double radius = kNoBend;  // metres, the bend through this point
    double stopSeconds = 0.0; // stand still here this long
};

struct Junction {
    int i = 0; // street across the town
    int j = 0; // street along it
    bool operator==(const Junction&) const = default;
};

// Straight streets crossing at right angles, blocks of uneven size, the grid turned off north,
// traffic lights on the main streets and here and there; hills around.
class Town {
public:
    static constexpr int kReach = 6; // streets -kReach..kReach each way

    Town(Random& random, double baseAltitude);

    Vec at(Junction junction) const;
    Junction randomJunction(Random& random, int reach = kReach - 1) const;
    // A junction at most `reach` streets each way from `around`, inside the town.
    Junction junctionNear(Junction around, int reach, Random& random) const;
    // The junction on the town's edge that lies closest to the given heading from the centre.
    Junction edgeToward(double heading) const;
    // The way out of town along the street that ends at an edge junction.
    Vec outward(Junction edge) const;
    double streetMetres(Junction a, Junction b) const;
    // Appends the junctions of a way through the streets from `at` to `to`, straight on mostly,
    // turning at some junctions, waiting at some red lights, never straight back the way it came
    // (it goes round the block instead); `at` and `cameFrom` follow along.
    void streets(Junction& at, Junction& cameFrom, Junction to, double turnChance, Random& random,
                 std::vector<Waypoint>& out) const;
    // The corner of the park where its footpath begins.
    Junction parkGate() const { return park_; }
    // Appends a winding footpath round the park, from its gate back to it.
    void parkLoop(Random& random, std::vector<Waypoint>& out) const;
    double altitude(Vec at) const; // metres
    double streetLimit(Junction from, Junction to) const;

private:
    struct Hill {
        Vec centre;
        double height;
        double spread;
    };

    bool hasLights(Junction junction) const;

    std::vector<double> across_; // offset of street i, index i + kReach
    std::vector<double> along_;
    std::vector<bool> lights_;
    Vec acrossAxis_;
    Vec alongAxis_;
    std::vector<Hill> hills_;
    double base_;
    Junction park_;
};

} // namespace tk::demo
