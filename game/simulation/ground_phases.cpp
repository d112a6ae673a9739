// The take-off roll (700), taxiing into a spot (500), push-back (600), taxiing to a point (800)
// and the direct flight to a point (900): each moves the aircraft to its place and stops it
// there, or starts its flight.
#include <algorithm>
#include <cmath>

#include "base/base.h"
#include "simulation/movement.h"
#include "simulation/script_internal.h"
#include "world/world.h"

namespace movement {
namespace {

constexpr double kRotateSpeed = 2.229;  // 130 knots: the roll rotates above it
constexpr int32_t kAligned = 1;
constexpr int32_t kBraking = 0x10;

tagKRN3D Ahead(const ObjectRecord& o, const AircraftRecord& a) {
    return tagKRN3D{o.pos.x + a.velocity.x, o.pos.y + a.velocity.y, o.pos.z + a.velocity.z, 0};
}

// The display of the ground phases: the object's angles as they are, the sway, the layer move.
void GroundDisplay(const Tick& t) {
    if (t.last) Show(t, t.o.pos, t.o.angle, false);
}

// The instructions after which a taxi stop raises a pilot request ten seconds later.
bool RequestsAfterTaxi(int32_t status) {
    switch (StatusInstruction(status)) {
        case 0x42000:
        case 0x44000:
        case 0x9a000:
        case 0x9c000:
        case 0xa2000:
        case 0xa4000:
            return true;
        default:
            return false;
    }
}

// What 500, 600 and 800 share: aim, alignment, braking test and the speed; `stopped` is called
// when the braking stop completes.
enum class Taxi { SpotIn, Pushback, ToPoint };

void TaxiStep(Tick& t, Taxi kind) {
    ObjectRecord& o = t.o;
    AircraftRecord& a = t.a;
    const ScriptServices& calls = GetScriptServices();
    const bool towed = TugTows(t.slot);
    const tagKRN3D ahead = Ahead(o, a);
    const double aim =
        kind == Taxi::Pushback ? ReverseBearing(&ahead, &a.point) : Bearing(&ahead, &a.point);
    if (!(o.state & kAligned) && AngleBetween(o.angle.y, a.course, aim)) {
        o.state = kAligned;
        if (kind == Taxi::SpotIn) {
            if (!towed) {
                calls.groundEvent(t.slot, 2000);
                calls.groundEvent(t.slot, 2010);
            }
            if (Night()) ShowPart(o.frlight, 0);
        }
    }
    double turn = 0.0;
    if (o.state & kAligned)
        turn = kind == Taxi::Pushback ? TurnSign(a.course, o.angle.y)
                                      : HeadingStep(a.course, o.angle.y, t.slot);

    const double distance = Distance2D(&a.point, &o.pos);
    if (kind == Taxi::Pushback) {
        if (!(o.state & kBraking) && distance < BrakingDistance(o.speed)) {
            o.state |= kBraking;
            a.tspeed = 0;
            a.sstep = -kBrakeStep;
        }
        const int moved = SpeedToward(o, a);
        // Each change of speed clears the sub-state: alignment and braking are tested again.
        if (moved != 0) o.state = 0;
        if (moved < 0 && o.speed <= kSpeedBand) {
            o.speed = 0;
            a.phase = PHASE_STILL;
        }
    } else if (!(o.state & kBraking)) {
        if (distance < BrakingDistance(o.speed)) {
            o.state |= kBraking;
            a.tspeed = 0;
            if (kind == Taxi::SpotIn && !towed) calls.groundEvent(t.slot, 2020);
            if (kind == Taxi::ToPoint && a.leadstop) {
                const int links = std::clamp(a.links, 0, int(std::size(a.linked)));
                for (int k = 0; k < links; ++k) {
                    if (AircraftRecord* l = AircraftAt(a.linked[k])) {
                        l->tspeed = 0;
                        l->sstep = -kBrakeStep;
                    }
                }
                a.leadstop = 0;
            }
        } else if (SpeedToward(o, a) < 0 && o.speed <= kSpeedBand) {
            o.speed = 0;
            a.phase = PHASE_STILL;
        }
    } else {
        o.speed -= kBrakeStep;
        if (o.speed <= 0) {
            o.speed = 0;
            a.phase = PHASE_STILL;
            if (kind == Taxi::SpotIn) {
                a.spot = a.choice - 1;
                script::TakeStatus(t.slot, 0x600c0);
                TerminalBonus(t.slot);
                ShowPart(o.atlight, 0);
            } else if (RequestsAfterTaxi(a.status)) {
                StartRequestAt(t.slot, kTicksPerSec * 10);
            }
        }
    }

    if (kind == Taxi::Pushback) {
        if (OnGround(o, a)) {
            AddHeading(o, 5 * turn);
        } else {
            FollowBank(o, turn);
            AddHeading(o, turn);
        }
        TurnAndMoveBack(t.slot);
    } else {
        AddHeading(o, turn);
        TurnAndMove(t.slot);
    }
    if (!towed) Blades(o);
    MoveAlong(o, kind == Taxi::Pushback ? o.speed : -o.speed, true);
    t.disp = o.pos;
    GroundDisplay(t);
}

}  // namespace

bool Night() { return GetScenarioHeader().night != 0; }

bool LiftOffStep(ObjectRecord& o, AircraftRecord& a, double rotate) {
    if (o.state == 0) {
        if (o.speed > rotate) {
            if (Night()) ShowPart(o.frlight, 0);
            if (NoseUp(a) < 10.0) {
                NoseUp(a) += 0.2;
            } else {
                o.state = 1;
                NoseUp(a) -= 2.0;
                NoseUp(a) -= 0.2;
                o.angle.x += 0.2;
            }
        }
        return false;
    }
    if (NoseUp(a) > 0.2) {
        NoseUp(a) -= 0.2;
        o.angle.x += 0.2;
        return false;
    }
    NoseUp(a) = 0;
    return true;
}

void TakeOff(Tick& t) {
    ObjectRecord& o = t.o;
    AircraftRecord& a = t.a;
    SpeedToward(o, a);
    if (LiftOffStep(o, a, kRotateSpeed)) a.phase = PHASE_FLY_HEADING;
    Blades(o);
    MoveAlong(o, -o.speed, true);
    t.disp = o.pos;
    if (!t.last) return;
    double p = o.angle.x + NoseUp(a);
    if (o.angle.x < -2.0) p = -2.0;
    if (!OnGround(o, a)) p += 2.0;
    Show(t, o.pos, tagKRN3D{p, o.angle.y, o.angle.z, 0}, false);
}

void SpotIn(Tick& t) { TaxiStep(t, Taxi::SpotIn); }
void Pushback(Tick& t) { TaxiStep(t, Taxi::Pushback); }
void TaxiToPoint(Tick& t) { TaxiStep(t, Taxi::ToPoint); }

void DirectToPoint(Tick& t) {
    ObjectRecord& o = t.o;
    AircraftRecord& a = t.a;
    tagKRN3D look;
    double horizontal, d;
    LookAnglesEx(&o.pos, &a.point, &look, &horizontal, &d);
    const double e = look.x;
    double desired = a.course;
    if (d >= 2.0) {
        desired = look.y + 180;
        if (desired >= 360)
            desired -= 360;
        else if (desired < 0)
            desired += 360;
    }
    const double h = o.angle.y;
    double turn;
    if (o.speed == 0) {
        turn = h == a.course ? TurnSign(a.course, h)
                             : TurnSignD(a.course + 2 * (a.course - h), a.course);
    } else {
        turn =
            h == desired ? TurnSign(Trunc(desired), h) : TurnSignD(desired + 2 * (desired - h), h);
    }
    a.plimit = -e;
    if (!(o.state & kBraking)) {
        if (d < BrakingDistance(o.speed)) {
            o.state |= kBraking;
            a.tspeed = 0;
        } else if (SpeedToward(o, a) < 0 && o.speed <= kSpeedBand) {
            a.phase = PHASE_STILL;
            o.speed = 0;
        }
    } else {
        o.speed = std::max(o.speed - kBrakeStep, 0.0);
    }
    if (o.pos.y > a.ground + 100 && o.speed >= 0.7)
        FollowBank(o, turn);
    else
        LevelBank(o);
    AddHeading(o, turn);
    SpeedToward(o, a);
    o.angle.x = -e;
    if (o.pos.y <= a.ground && a.talt == a.ground) {
        o.speed = 0;
        o.state = 0;
        o.angle.x = 0;
        a.runway = 0;
        o.pos.y = a.ground;
    }
    TurnAndMove(t.slot);
    Blades(o);
    MoveAlong(o, -o.speed, true);
    t.disp = o.pos;
    const double p = AttitudeFromClimb(t.slot);
    if (t.last) Show(t, o.pos, tagKRN3D{p, o.angle.y, o.angle.z, 0}, true);
}

}  // namespace movement
