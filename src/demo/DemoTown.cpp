// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo/DemoTown.h"

#include <algorithm>
#include <cstdlib>

namespace tk::demo {
namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kMainStreet = 13.9; // 50 km/h
constexpr double kSideStreet = 11.1; // 40 km/h

int sign(int v) {
    return (v > 0) - (v < 0);
}

std::vector<double> streetOffsets(Random& random) {
    std::vector<double> offsets(2 * Town::kReach + 1, 0.0);
    for (int k = 1; k <= Town::kReach; ++k) {
        offsets[Town::kReach + k] = offsets[Town::kReach + k - 1] + uniform(random, 90.0, 210.0);
        offsets[Town::kReach - k] = offsets[Town::kReach - k + 1] - uniform(random, 90.0, 210.0);
    }
    return offsets;
}

std::size_t slot(int street) {
    return static_cast<std::size_t>(street + Town::kReach);
}

} // namespace

double uniform(Random& random, double lo, double hi) {
    return std::uniform_real_distribution<>(lo, hi)(random);
}

bool chance(Random& random, double p) {
    return uniform(random, 0.0, 1.0) < p;
}

double wrapAngle(double radians) {
    return std::remainder(radians, 2.0 * kPi);
}

Town::Town(Random& random, double baseAltitude)
    : across_(streetOffsets(random)), along_(streetOffsets(random)), base_(baseAltitude) {
    const double turn = uniform(random, 0.15, 0.6) * (chance(random, 0.5) ? 1.0 : -1.0);
    alongAxis_ = direction(turn);
    acrossAxis_ = direction(turn + kPi / 2.0);
    for (int i = -kReach; i <= kReach; ++i)
        for (int j = -kReach; j <= kReach; ++j)
            lights_.push_back(chance(random, i == 0 || j == 0 ? 0.55 : 0.08));
    std::uniform_int_distribution<int> parkStreet(-2, 1);
    park_.i = parkStreet(random);
    park_.j = parkStreet(random);
    hills_.push_back({{uniform(random, -1500, 1500), uniform(random, -1500, 1500)},
                      uniform(random, 10, 40),
                      uniform(random, 500, 1200)});
    for (int k = 0; k < 14; ++k)
        hills_.push_back({{uniform(random, -20000, 20000), uniform(random, -20000, 20000)},
                          uniform(random, 15, 220),
                          uniform(random, 900, 4000)});
}

Vec Town::at(Junction junction) const {
    return acrossAxis_ * across_[slot(junction.i)] + alongAxis_ * along_[slot(junction.j)];
}

Junction Town::randomJunction(Random& random, int reach) const {
    std::uniform_int_distribution<int> street(-reach, reach);
    const int i = street(random);
    return {i, street(random)};
}

Junction Town::junctionNear(Junction around, int reach, Random& random) const {
    const Junction offset = randomJunction(random, reach);
    return {std::clamp(around.i + offset.i, -kReach + 1, kReach - 1),
            std::clamp(around.j + offset.j, -kReach + 1, kReach - 1)};
}

Junction Town::edgeToward(double heading) const {
    Junction best;
    double closest = -2.0;
    for (int i = -kReach; i <= kReach; ++i)
        for (int j = -kReach; j <= kReach; ++j) {
            if (std::abs(i) != kReach && std::abs(j) != kReach)
                continue;
            const double c = std::cos(headingOf(at({i, j})) - heading);
            if (c > closest) {
                closest = c;
                best = {i, j};
            }
        }
    return best;
}

Vec Town::outward(Junction edge) const {
    if (std::abs(edge.i) == kReach)
        return acrossAxis_ * sign(edge.i);
    return alongAxis_ * sign(edge.j);
}

double Town::streetMetres(Junction a, Junction b) const {
    return std::fabs(across_[slot(a.i)] - across_[slot(b.i)]) +
           std::fabs(along_[slot(a.j)] - along_[slot(b.j)]);
}

void Town::streets(Junction& at, Junction& cameFrom, Junction to, double turnChance, Random& random,
                   std::vector<Waypoint>& out) const {
    bool acrossNext = chance(random, 0.5);
    bool first = true;
    bool roundTheBlock = false;
    while (!(at == to)) {
        const int di = sign(to.i - at.i);
        const int dj = sign(to.j - at.j);
        if (di != 0 && dj != 0) {
            if (!roundTheBlock && chance(random, turnChance))
                acrossNext = !acrossNext;
        } else {
            acrossNext = di != 0;
        }
        roundTheBlock = false;
        Junction next = acrossNext ? Junction{at.i + di, at.j} : Junction{at.i, at.j + dj};
        if (first && next == cameFrom) {
            if (di != 0 && dj != 0) {
                acrossNext = !acrossNext;
                next = acrossNext ? Junction{at.i + di, at.j} : Junction{at.i, at.j + dj};
            } else {
                next = acrossNext ? Junction{at.i, at.j + (at.j < kReach ? 1 : -1)}
                                  : Junction{at.i + (at.i < kReach ? 1 : -1), at.j};
                roundTheBlock = true; // and then on toward the goal, not back
            }
        }
        first = false;
        Waypoint w{this->at(next), streetLimit(at, next)};
        if (hasLights(next) && chance(random, 0.45))
            w.stopSeconds = uniform(random, 8.0, 40.0);
        out.push_back(w);
        cameFrom = at;
        at = next;
    }
}

void Town::parkLoop(Random& random, std::vector<Waypoint>& out) const {
    const Vec gate = at(park_);
    const Vec centre = (gate + at({park_.i + 1, park_.j + 1})) * 0.5;
    const double wide = across_[slot(park_.i + 1)] - across_[slot(park_.i)];
    const double deep = along_[slot(park_.j + 1)] - along_[slot(park_.j)];
    const double phase = uniform(random, 0.0, 2.0 * kPi);
    constexpr int kPoints = 48;
    for (int k = 0; k <= kPoints; ++k) {
        // Once round, starting and ending on the gate's side, wavering as footpaths do.
        const double a = -0.75 * kPi + 2.0 * kPi * k / kPoints;
        const double r =
            0.36 * (1.0 + 0.12 * std::sin(3.0 * a + phase) + 0.08 * std::sin(5.0 * a - phase));
        out.push_back({centre + acrossAxis_ * (std::cos(a) * r * wide) +
                           alongAxis_ * (std::sin(a) * r * deep),
                       3.0});
    }
    out.push_back({gate, 3.0});
}

double Town::altitude(Vec at) const {
    double metres = base_;
    for (const Hill& h : hills_) {
        const Vec d = at - h.centre;
        metres += h.height * std::exp(-(d.x * d.x + d.y * d.y) / (2.0 * h.spread * h.spread));
    }
    return metres;
}

double Town::streetLimit(Junction from, Junction to) const {
    const bool main = from.j == to.j ? from.j == 0 : from.i == 0;
    return main ? kMainStreet : kSideStreet;
}

bool Town::hasLights(Junction junction) const {
    return lights_[slot(junction.i) * (2 * kReach + 1) + slot(junction.j)];
}

} // namespace tk::demo
