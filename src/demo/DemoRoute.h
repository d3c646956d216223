// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "demo/DemoTown.h"

#include <optional>
#include <vector>

namespace tk::demo {

enum class TripKind { Walk, Bike, Drive, Errands };

// A winding road through the country: straights, bends of many radii, junctions where it turns
// sharply, villages where the limit drops. Laid down a stretch at a time.
class CountryRoad {
public:
    CountryRoad(Vec start, double heading, double outbound, Random& random);

    // Appends about `metres` of road. Without a goal the road keeps to its first heading
    // roughly; with one it bends and turns toward the goal.
    void extend(double metres, const Vec* goal, std::vector<Waypoint>& out);
    Vec end() const { return at_; }
    void enterVillage();

private:
    void nextPiece(double drift, bool homing);
    void junction(double drift, bool homing, std::vector<Waypoint>& out);
    double limit() const;

    Random& random_;
    Vec at_;
    double heading_;
    double outbound_;
    double curvature_ = 0.0;
    double targetCurvature_ = 0.0;
    double pieceLeft_ = 0.0;
    double untilJunction_;
    double untilVillage_;
    double villageLeft_ = 0.0;
    double roadLimit_;
};

// Average speeds while under way, for judging how far a trip can still go.
struct Pace {
    double street = 1.3;
    double country = 1.3;
};

// Where a trip goes, decided a stretch at a time from the time it has left: a walk or errands
// through the streets with a stop or two, or a ride out of town into the country and back by
// another way. It ends standing still, at home when the time allows.
class Itinerary {
public:
    Itinerary(const Town& town, TripKind kind, Pace pace, double tripSeconds, Random& random);

    Vec start() const { return town_.at(home_); }
    // The next stretch, never empty; secondsLeft is the trip time left at the end of the
    // route handed out so far.
    std::vector<Waypoint> next(double secondsLeft);

private:
    enum class Stage { Town, Out, Back, Parked };

    void wander(double secondsLeft, std::vector<Waypoint>& out);
    void visit(Junction target, double stopSeconds, std::vector<Waypoint>& out);
    bool strollInPark(double secondsLeft, std::vector<Waypoint>& out);
    double turnChance() const;
    void goOut(std::vector<Waypoint>& out);
    void ride(double secondsLeft, std::vector<Waypoint>& out);
    void comeBack(std::vector<Waypoint>& out);
    double secondsHome(Junction from) const;
    double secondsBack(Vec from, Junction entry) const;
    Vec entryGoal(Junction entry) const;

    const Town& town_;
    TripKind kind_;
    Pace pace_;
    double tripSeconds_;
    Random& random_;
    Junction home_;
    Junction at_;
    Junction cameFrom_;
    Junction entry_;
    Stage stage_ = Stage::Town;
    bool wentOut_ = false;
    std::optional<CountryRoad> road_;
    double outbound_;
    int stops_ = 0;
    bool sawPark_ = false;
};

} // namespace tk::demo
