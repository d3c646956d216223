// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo/DemoRoute.h"

#include <algorithm>

namespace tk::demo {
namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kRoadStep = 15.0;       // metres between the points of a country road
constexpr double kCurvatureRamp = 0.003; // per step: bends tighten and open over a few steps
constexpr double kVillageLimit = 13.9;
constexpr double kStretch = 300.0; // metres of country road handed out at a time

double signOf(double v) {
    return v < 0 ? -1.0 : 1.0;
}

double roadLimit(Random& random) {
    return uniform(random, 19.4, 27.8);
} // 70 to 100 km/h

double logUniform(Random& random, double lo, double hi) {
    return std::exp(uniform(random, std::log(lo), std::log(hi)));
}

// Walkers live a few streets from the park.
Junction nearPark(const Town& town, Random& random) {
    const Junction offset = town.randomJunction(random, 2);
    return {town.parkGate().i + offset.i, town.parkGate().j + offset.j};
}

} // namespace

CountryRoad::CountryRoad(Vec start, double heading, double outbound, Random& random)
    : random_(random), at_(start), heading_(heading), outbound_(outbound),
      pieceLeft_(uniform(random, 100.0, 400.0)), untilJunction_(uniform(random, 1200.0, 3500.0)),
      untilVillage_(uniform(random, 2000.0, 6000.0)), roadLimit_(roadLimit(random)) {}

void CountryRoad::enterVillage() {
    villageLeft_ = uniform(random_, 300.0, 700.0);
}

void CountryRoad::extend(double metres, const Vec* goal, std::vector<Waypoint>& out) {
    for (double done = 0.0; done < metres; done += kRoadStep) {
        const double towards = goal ? headingOf(*goal - at_) : outbound_;
        const double drift = wrapAngle(heading_ - towards);
        untilJunction_ -= kRoadStep;
        if (untilJunction_ <= 0.0 && (!goal || std::fabs(drift) > 0.9)) {
            junction(drift, goal != nullptr, out);
            continue;
        }
        if (pieceLeft_ <= 0.0)
            nextPiece(drift, goal != nullptr);
        curvature_ += std::clamp(targetCurvature_ - curvature_, -kCurvatureRamp, kCurvatureRamp);
        heading_ += curvature_ * kRoadStep;
        at_ = at_ + direction(heading_) * kRoadStep;
        pieceLeft_ -= kRoadStep;
        untilVillage_ -= kRoadStep;
        villageLeft_ -= kRoadStep;
        if (untilVillage_ <= 0.0) {
            enterVillage();
            untilVillage_ = uniform(random_, 3000.0, 9000.0);
        }
        const double bend = std::fabs(curvature_);
        out.push_back({at_, limit(), bend > 1e-5 ? 1.0 / bend : kNoBend});
    }
}

// A straight, or a bend of some radius through some angle; on the way back mostly bends that
// turn toward home.
void CountryRoad::nextPiece(double drift, bool homing) {
    double turn = chance(random_, 0.5) ? 1.0 : -1.0;
    if (homing ? std::fabs(drift) < 0.2 : chance(random_, 0.3)) {
        targetCurvature_ = chance(random_, 0.5) ? 0.0 : turn / uniform(random_, 500.0, 1500.0);
        pieceLeft_ = uniform(random_, 100.0, homing ? 400.0 : 700.0);
        return;
    }
    const double radius = logUniform(random_, 70.0, 900.0);
    double angle = uniform(random_, 0.2, 1.1);
    if (homing) {
        turn = chance(random_, 0.85) ? -signOf(drift) : signOf(drift);
        angle = std::min(std::fabs(drift), angle);
    } else if (std::fabs(drift) > 0.7) {
        turn = -signOf(drift);
    }
    targetCurvature_ = turn / radius;
    pieceLeft_ = radius * angle;
}

// A crossroads where the way turns onto another road, now and then with a stop sign.
void CountryRoad::junction(double drift, bool homing, std::vector<Waypoint>& out) {
    double turn = uniform(random_, 1.05, 1.75) * (chance(random_, 0.5) ? 1.0 : -1.0);
    if (homing)
        turn = -std::clamp(drift, -1.75, 1.75);
    else if (std::fabs(wrapAngle(drift + turn)) > 1.2)
        turn = -turn;
    heading_ += turn;
    curvature_ = targetCurvature_ = 0.0;
    pieceLeft_ = uniform(random_, 60.0, 300.0);
    untilJunction_ = uniform(random_, homing ? 800.0 : 1500.0, homing ? 2500.0 : 4000.0);
    roadLimit_ = roadLimit(random_);
    Waypoint corner{at_, limit(), 12.0};
    if (chance(random_, 0.35))
        corner.stopSeconds = uniform(random_, 2.0, 6.0);
    out.push_back(corner);
}

double CountryRoad::limit() const {
    return villageLeft_ > 0.0 ? kVillageLimit : roadLimit_;
}

Itinerary::Itinerary(const Town& town, TripKind kind, Pace pace, double tripSeconds, Random& random)
    : town_(town), kind_(kind), pace_(pace), tripSeconds_(tripSeconds), random_(random),
      home_(kind == TripKind::Walk ? nearPark(town, random) : town.randomJunction(random)),
      at_(home_), cameFrom_(home_), outbound_(uniform(random, -kPi, kPi)) {}

std::vector<Waypoint> Itinerary::next(double secondsLeft) {
    std::vector<Waypoint> out;
    const bool country = kind_ == TripKind::Bike || kind_ == TripKind::Drive;
    switch (stage_) {
    case Stage::Town:
        if (country && !wentOut_)
            goOut(out);
        else
            wander(secondsLeft, out);
        break;
    case Stage::Out:
        ride(secondsLeft, out);
        break;
    case Stage::Back:
        comeBack(out);
        break;
    case Stage::Parked:
        break;
    }
    if (out.empty()) {
        out.push_back({town_.at(at_), 2.0, kNoBend, kForever});
        stage_ = Stage::Parked;
    }
    return out;
}

// Through the streets to somewhere that leaves time to get home, a café or a shop now and then;
// home at last.
void Itinerary::wander(double secondsLeft, std::vector<Waypoint>& out) {
    if (at_ == home_ && secondsLeft < std::min(240.0, 0.2 * tripSeconds_))
        return;
    if (kind_ == TripKind::Walk && !sawPark_ && strollInPark(secondsLeft, out))
        return;
    double stop = 0.0;
    if (kind_ == TripKind::Walk && stops_ == 0)
        stop = uniform(random_, 0.1, 0.16) * tripSeconds_;
    else if (kind_ == TripKind::Errands && stops_ < 3 && chance(random_, 0.6))
        stop = uniform(random_, 0.05, 0.09) * tripSeconds_;
    const double reserve = 60.0 + 0.05 * tripSeconds_;
    const double shortest = std::clamp(0.2 * secondsLeft * pace_.street, 1.0, 250.0);
    const int reach = std::clamp(int(secondsLeft * pace_.street / 300.0), 1, 2 * Town::kReach);
    for (int tries = 0; tries < 80; ++tries) {
        if (tries == 40)
            stop = 0.0; // no time left for it
        const Junction target = town_.junctionNear(at_, reach, random_);
        const double metres = town_.streetMetres(at_, target);
        if (metres >= shortest &&
            metres / pace_.street + stop + secondsHome(target) + reserve <= secondsLeft) {
            visit(target, stop, out);
            return;
        }
    }
    if (!(at_ == home_))
        visit(home_, 0.0, out);
}

// To a junction; with a stop, on to a door halfway along the next block and to its far end.
void Itinerary::visit(Junction target, double stopSeconds, std::vector<Waypoint>& out) {
    town_.streets(at_, cameFrom_, target, turnChance(), random_, out);
    if (stopSeconds <= 0.0)
        return;
    Junction beyond = cameFrom_;
    while (beyond == cameFrom_) { // on along the street or round the corner, not back
        beyond = target;
        int& street = chance(random_, 0.5) ? beyond.i : beyond.j;
        street += chance(random_, 0.5) ? 1 : -1;
    }
    const double limit = town_.streetLimit(target, beyond);
    const Vec door = town_.at(target) + (town_.at(beyond) - town_.at(target)) * 0.5;
    out.push_back({door, limit, kNoBend, stopSeconds});
    out.push_back({town_.at(beyond), limit});
    cameFrom_ = target;
    at_ = beyond;
    ++stops_;
}

// Walkers go round the park once, if there is time for it and for getting home.
bool Itinerary::strollInPark(double secondsLeft, std::vector<Waypoint>& out) {
    const Junction gate = town_.parkGate();
    const double metres = town_.streetMetres(at_, gate) + 600.0;
    if (metres / pace_.street + secondsHome(gate) + 60.0 > secondsLeft)
        return false;
    visit(gate, 0.0, out);
    town_.parkLoop(random_, out);
    cameFrom_ = gate;
    sawPark_ = true;
    return true;
}

double Itinerary::turnChance() const {
    return kind_ == TripKind::Walk ? 0.45 : 0.25;
}

void Itinerary::goOut(std::vector<Waypoint>& out) {
    const Junction exit = town_.edgeToward(outbound_);
    town_.streets(at_, cameFrom_, exit, turnChance(), random_, out);
    road_.emplace(town_.at(exit), headingOf(town_.outward(exit)), outbound_, random_);
    wentOut_ = true;
    stage_ = Stage::Out;
}

// Out along the road until it is time to turn back, then a break in a village.
void Itinerary::ride(double secondsLeft, std::vector<Waypoint>& out) {
    const Vec end = road_->end();
    const double stop = uniform(random_, 0.08, kind_ == TripKind::Bike ? 0.15 : 0.1) * tripSeconds_;
    if (secondsLeft > secondsBack(end, town_.edgeToward(headingOf(end))) + stop + 60.0) {
        road_->extend(kStretch, nullptr, out);
        return;
    }
    road_->enterVillage();
    out.push_back({end, kVillageLimit, kNoBend, stop});
    const double side = chance(random_, 0.5) ? 1.0 : -1.0;
    entry_ = town_.edgeToward(headingOf(end) + side * uniform(random_, 0.3, 0.8));
    stage_ = Stage::Back;
    ++stops_;
}

// Home by another way: the road bends and turns toward a street into town.
void Itinerary::comeBack(std::vector<Waypoint>& out) {
    const Vec goal = entryGoal(entry_);
    const Vec end = road_->end();
    const double left = length(goal - end);
    if (left > 350.0) {
        road_->extend(kStretch, &goal, out);
        return;
    }
    const int steps = static_cast<int>(left / kRoadStep) + 1;
    for (int k = 1; k <= steps; ++k)
        out.push_back({end + (goal - end) * (double(k) / steps), kVillageLimit});
    out.push_back({town_.at(entry_), kVillageLimit});
    at_ = cameFrom_ = entry_;
    stage_ = Stage::Town;
}

double Itinerary::secondsHome(Junction from) const {
    return town_.streetMetres(from, home_) / pace_.street;
}

double Itinerary::secondsBack(Vec from, Junction entry) const {
    return length(entryGoal(entry) - from) * 1.35 / pace_.country + 200.0 / pace_.street +
           secondsHome(entry);
}

Vec Itinerary::entryGoal(Junction entry) const {
    return town_.at(entry) + town_.outward(entry) * 200.0;
}

} // namespace tk::demo
