// What the aircraft update's modules share: one tick of one aircraft, the pieces of the movement
// model the phases are built from, and the phases' tick code.
#pragma once

#include <cmath>
#include <cstdint>

#include "simulation/simulation_internal.h"

namespace movement {

// One tick of one aircraft: its records, the position this step hands on as its display
// position, and whether it is the last step of the call (the one that moves the layers).
struct Tick {
    int slot;
    AircraftRecord& a;
    ObjectRecord& o;
    tagKRN3D& disp;
    bool last;
};

constexpr double kStep = 0.1;        // pitch change per tick of the flying phases
constexpr double kSpeedBand = 0.01;  // a speed this close to the target snaps onto it
constexpr double kBrakeStep = 0.01;  // braking deceleration per tick

// Knots to world units per tick, multiplied out in this order.
inline double Knots(double knots) { return knots * 1.852 / 108; }
// A double truncated toward zero and held to 32 bits; NaN is 0.
inline int Trunc(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int>(v);
}
// The braking distance at speed v: 50 v (v + 0.01).
inline double BrakingDistance(double v) { return 50 * v * (v + 0.01); }

// On the ground: the height is the integer ground height exactly.
inline bool OnGround(const ObjectRecord& o, const AircraftRecord& a) {
    return o.pos.y == static_cast<double>(a.ground);
}
// The nose-up angle of the take-off and landing phases lives in the `velocity` word x.
inline double& NoseUp(AircraftRecord& a) { return a.velocity.x; }
// The night lights of the scenario.
bool Night();
// The rotation of a take-off roll: above `rotate` the nose goes up by 0.2 a tick to 10 (the
// front light off at night), then the aircraft lifts off (`state` 1) and the shown nose comes
// down into the pitch by 0.2 a tick. 1 once the nose has come down to 0 (it is then 0).
bool LiftOffStep(ObjectRecord& o, AircraftRecord& a, double rotate);
// 1 while one of the two tugs tows the aircraft.
bool TugTows(int slot);
// The turning-blade frames: blades at rest off, the disc on, frame (minute tick mod 3) on.
// Nothing without a "brdoff" part.
void Blades(const ObjectRecord& o);
// The blades of the flying phases: on the ground unless a tug tows the aircraft, always in the
// air.
void FlightBlades(const Tick& t);
// The bank of the shared model (airborne): toward +-`maxbank` while turning, else toward
// `levelbank` (0: back to level) by `bstep`.
void SharedBank(ObjectRecord& o, const AircraftRecord& a, double turn);
// The bank of the landing phases: toward 150 x turn by 0.5 a tick while turning, else back to 0
// by 0.5 (set to 0 within 0.5).
void FollowBank(ObjectRecord& o, double turn);
void LevelBank(ObjectRecord& o);
// heading += turn, kept in 0 up to 360.
void AddHeading(ObjectRecord& o, double turn);
// The speed toward `tspeed`: within the band it snaps; outside it moves by |`sstep`| and stops
// on the target (a step that is not finite sets it). Returns +1 or -1 when it was stepped up or
// down, else 0.
int SpeedToward(ObjectRecord& o, const AircraftRecord& a);
// The speed by `sstep` unless that would pass `tspeed` or goes the wrong way: then `tspeed`.
void SpeedByStep(ObjectRecord& o, const AircraftRecord& a);
// The height toward `talt` by pitch steps of 0.1 toward `plimit`, levelling off when the pitch
// comes back to 0.
void SharedHeight(ObjectRecord& o, AircraftRecord& a);
// The position moved along the nose: (0, 0, z) turned by pitch, heading and (with `bank`) the
// bank.
void MoveAlong(ObjectRecord& o, double z, bool bank);
// The display step: the display position with the sway (WindSway2 with `sway2`) added is handed
// with `angles` to the body layer and kept as the step's display position.
void Show(const Tick& t, tagKRN3D position, const tagKRN3D& angles, bool sway2);
// The shared display step of the flying phases: model kind 4 takes AttitudeFromClimb and
// WindSway2 (when `kind4`); others the pitch not below -2, plus 2 when airborne or `plus`.
void SharedDisplay(const Tick& t, bool plus, bool kind4);
// The position turned about a pivot 7 units above the reference point.
tagKRN3D Pivot(const ObjectRecord& o, const tagKRN3D& angles);

// The phases' tick code.
void FlyHeading(Tick& t);
void Manoeuvre(Tick& t);
void FlyToPoint(Tick& t);
void Intercept(Tick& t, bool second);
void Landing(Tick& t, bool special);
void TouchAndGo(Tick& t);
void TakeOff(Tick& t);
void SpotIn(Tick& t);
void Pushback(Tick& t);
void TaxiToPoint(Tick& t);
void DirectToPoint(Tick& t);

// After the ticks: the area, the conflicts and the camera-dependent display details.
void SeparationPass();

}  // namespace movement
