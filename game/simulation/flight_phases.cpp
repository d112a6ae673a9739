// The phases that fly by heading, point or course: heading flight (20), the script's manoeuvres
// (30), flight to a point (100) and the two course intercepts (200, 300); the display pitch of
// model kind 4 and the spot bonus.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <strings.h>

#include "base/base.h"
#include "simulation/movement.h"
#include "world/world.h"

namespace movement {
namespace {

// The common tail of the shared model: bank (airborne) and blades, heading, speed, height, move.
void SharedFlight(Tick& t, double turn) {
    if (!OnGround(t.o, t.a)) SharedBank(t.o, t.a, turn);
    FlightBlades(t);
    AddHeading(t.o, turn);
    SpeedToward(t.o, t.a);
    SharedHeight(t.o, t.a);
    MoveAlong(t.o, -t.o.speed, true);
    t.disp = t.o.pos;
}

tagKRN3D Ahead(const ObjectRecord& o, const AircraftRecord& a) {
    return tagKRN3D{o.pos.x + a.velocity.x, o.pos.y + a.velocity.y, o.pos.z + a.velocity.z, 0};
}

// Manoeuvre sub-modes (state bits 12-19) and the follow counter (bits 0-11).
constexpr int32_t kSubMode = 0xff000;
constexpr int32_t kCounter = 0xfff;
constexpr int32_t kReversal = 0xd000;
constexpr int32_t kFollow = 0xe000;
constexpr int32_t kInterceptToward = 0xf000;
constexpr int32_t kToPoint = 0x10000;
constexpr int32_t kInterceptAway = 0x11000;

// The vertical reversal: roll to put the course overhead, pull up, flip onto the course at the
// top and roll level once at the target height.
void Reversal(ObjectRecord& o, AircraftRecord& a) {
    switch (o.state) {
        case kReversal: {
            int bank = Trunc(o.angle.y - a.course + 180);
            if (bank > 180)
                bank -= 360;
            else if (bank < -180)
                bank += 360;
            a.levelbank = bank;
            a.plimit = 90.0;
            o.state = kReversal + 1;
            break;
        }
        case kReversal + 1:
            if (o.angle.z == a.levelbank && o.angle.x > 89.0) {
                const bool negative = a.levelbank < 0;
                a.levelbank = negative ? -180 : 180;
                o.angle.z = negative ? -180.0 : 180.0;
                o.angle.y = a.course;
                o.state = kReversal + 2;
            }
            break;
        case kReversal + 2:
            if (o.pos.y >= a.talt) a.levelbank = 0;
            break;
        default:
            break;
    }
}

// Follow: the aircraft keeps its slot beside the leader, closing in over `joinsteps` ticks.
void Follow(Tick& t) {
    ObjectRecord& o = t.o;
    AircraftRecord& a = t.a;
    const ObjectRecord* lead = ObjectAt(a.leader);
    if (!lead) return;
    tagKRN3D slot;
    if (a.offsetmode == 0)
        RotateY(&slot, &a.offset, lead->angle.y);
    else
        RotateVector3(&slot, &a.offset, &lead->angle);
    slot = tagKRN3D{lead->pos.x + slot.x, lead->pos.y + slot.y, lead->pos.z + slot.z, 0};
    a.course = Trunc(lead->angle.y);
    const int counter = o.state & kCounter;
    // The counter lives in 12 bits: at or past the join, or with a join it cannot count to, the
    // aircraft sits on its slot (no division by a zero or negative number of ticks left).
    if (a.joinsteps < 0 || a.joinsteps > kCounter || counter >= a.joinsteps) {
        o.pos = tagKRN3D{slot.x, slot.y, slot.z, o.pos.t};
    } else {
        const tagKRN3D nose{0, 0, -lead->speed, 0};
        tagKRN3D v;
        RotateVector3(&v, &nose, &lead->angle);
        o.pos.x += v.x;
        o.pos.y += v.y;
        o.pos.z += v.z;
        a.joinspeed = Distance3DInt(&o.pos, &slot) / (a.joinsteps - counter);
        tagKRN3D look;
        LookAngles(&o.pos, &slot, &look);
        const tagKRN3D closer{0, 0, a.joinspeed, 0};
        RotateVector3(&v, &closer, &look);
        o.pos.x += v.x;
        o.pos.y += v.y;
        o.pos.z += v.z;
        o.state = (o.state & ~kCounter) | (counter + 1);
    }
    o.angle = tagKRN3D{lead->angle.x, lead->angle.y, lead->angle.z, o.angle.t};
    t.disp = o.pos;
}

// Toward `aim` by `step`: add when below by more than a step, set within a step, else subtract.
void StepToward(double& v, double aim, double step) {
    if (v + step < aim)
        v += step;
    else if (std::fabs(aim - v) <= std::fabs(step))
        v = aim;
    else
        v -= step;
}

void ManoeuvreSpeed(ObjectRecord& o, AircraftRecord& a) {
    const ObjectRecord* lead = a.catchup >= 1 ? ObjectAt(a.leader) : nullptr;
    if (!lead || !lead->used) {
        SpeedByStep(o, a);
        return;
    }
    if (Distance3DInt(&o.pos, &lead->pos) > a.catchup) {
        StepToward(o.speed, a.joinspeed, a.catchstep);
    } else {
        StepToward(o.speed, a.tspeed, a.catchstep);
        if (o.speed == a.tspeed) a.catchup = 0;
    }
}

// The height of the manoeuvres: pitch steps of `prate` with a look-ahead that starts the
// levelling in time.
void ManoeuvreHeight(int slot, ObjectRecord& o, AircraftRecord& a) {
    double& y = o.pos.y;
    double& pitch = o.angle.x;
    if (y == a.talt) return;
    tagKRN3D ahead;
    PitchStep(slot, &ahead);  // zero without a `prate`: the look-ahead is y itself
    const double look = y + ahead.y;
    if (y < a.talt) {
        if (pitch < 0) {
            pitch += a.prate;
            if (pitch > 0) {
                y = a.talt;
                pitch = 0;
            }
        } else if (pitch > 0) {
            if (look > a.talt)
                pitch -= a.prate;
            else if (pitch < a.plimit)
                pitch += a.prate;
        } else if (a.talt - y > a.prate) {
            pitch += a.prate;
        }
    } else {
        if (pitch > 0) {
            pitch -= a.prate;
            if (pitch < 0) {
                y = a.talt;
                pitch = 0;
            }
        } else if (pitch < 0) {
            if (look < a.talt)
                pitch += a.prate;
            else if (pitch > a.plimit)
                pitch -= a.prate;
        } else if (y - a.talt > a.prate) {
            pitch -= a.prate;
        }
    }
}

// The display of the manoeuvres: the model turns about a pivot 7 units above its origin.
void ManoeuvreDisplay(const Tick& t, bool kind4) {
    if (!t.last) return;
    tagKRN3D angles = t.o.angle;
    const bool four = kind4 && (t.o.kind & 0xf) == 4;
    if (four) {
        angles.x = AttitudeFromClimb(t.slot);
    } else {
        angles.x = std::max(angles.x, -2.0);
        if (!OnGround(t.o, t.a)) angles.x += 2.0;
    }
    Show(t, Pivot(t.o, t.o.angle), angles, four);
}

}  // namespace

void FlyHeading(Tick& t) {
    SharedFlight(t, TurnSign(t.a.course, t.o.angle.y));
    SharedDisplay(t, false, true);
}

void FlyToPoint(Tick& t) {
    ObjectRecord& o = t.o;
    const double turn = TurnSign(BearingInt(&o.pos, &t.a.point), o.angle.y);
    double& bank = o.angle.z;
    if (turn < 0) {
        if (bank > 150 * turn) bank -= 0.5;
    } else if (turn > 0) {
        if (bank < 150 * turn) bank += 0.5;
    } else {
        LevelBank(o);
    }
    FlightBlades(t);
    AddHeading(o, turn);
    SpeedToward(o, t.a);
    SharedHeight(o, t.a);
    MoveAlong(o, -o.speed, true);
    t.disp = o.pos;
    SharedDisplay(t, true, false);
}

void Intercept(Tick& t, bool second) {
    ObjectRecord& o = t.o;
    AircraftRecord& a = t.a;
    const tagKRN3D ahead = Ahead(o, a);
    const double aim = Bearing(&ahead, &a.point);
    // 200 knows the sub-states 0 and 1 (any other counts as 0); 300 tests bit 0 only.
    const bool turning = second ? (o.state & 1) != 0 : o.state == 1;
    double turn = 0.0;
    if (turning || AngleBetween(o.angle.y, a.course, aim)) {
        if (!turning) o.state = second ? (o.state | 1) : 1;
        turn = HeadingStep(a.course, o.angle.y, t.slot);
    }
    if (!OnGround(o, a)) SharedBank(o, a, turn);
    FlightBlades(t);
    AddHeading(o, turn);
    // Accelerating or slowing arms the intercept again.
    if (SpeedToward(o, a) != 0) o.state = second ? (o.state & ~1) : 0;
    SharedHeight(o, a);
    TurnAndMove(t.slot);
    MoveAlong(o, -o.speed, true);
    if (o.pos.y < a.ground) o.pos.y = a.ground;
    t.disp = o.pos;
    SharedDisplay(t, second, true);
}

void Manoeuvre(Tick& t) {
    ObjectRecord& o = t.o;
    AircraftRecord& a = t.a;
    const int32_t mode = o.state & kSubMode;
    if (mode == kFollow) {
        Follow(t);
        ManoeuvreDisplay(t, false);
        return;
    }
    double turn = 0.0;
    switch (mode) {
        case kReversal:
            Reversal(o, a);
            break;
        case kInterceptToward: {
            TurnAndMoveRadius(t.slot);
            const tagKRN3D ahead = Ahead(o, a);
            if (AngleBetween(o.angle.y, a.course, Bearing(&ahead, &a.point)))
                turn = ClampAngleDiff(a.course, o.angle.y, a.tlimit);
            break;
        }
        case kToPoint:
            turn = TurnSign(BearingInt(&o.pos, &a.point), o.angle.y);
            break;
        case kInterceptAway: {
            TurnAndMoveRadius(t.slot);
            const tagKRN3D ahead = Ahead(o, a);
            if (AngleOutside(o.angle.y, a.course, ReverseBearing(&ahead, &a.point)))
                turn = ClampAngleDiff(a.course, o.angle.y, a.tlimit);
            break;
        }
        default:
            turn = ClampAngleDiff(a.course, o.angle.y, a.tlimit);
            break;
    }
    if (!OnGround(o, a)) SharedBank(o, a, turn);
    FlightBlades(t);
    AddHeading(o, turn);
    ManoeuvreSpeed(o, a);
    ManoeuvreHeight(t.slot, o, a);
    MoveAlong(o, -o.speed, true);
    t.disp = o.pos;
    ManoeuvreDisplay(t, true);
}

}  // namespace movement

double AttitudeFromClimb(int slot) {
    AircraftRecord* a = AircraftAt(slot);
    const ObjectRecord* o = ObjectAt(slot);
    if (!a || !o) return 0.0;
    double aim = std::clamp(-o->speed * 10.0, -20.0, 20.0);
    if (o->pos.y < a->ground + 50) aim = 0.0;
    double& p = a->dpitch;
    if (p < aim)
        p = std::min(p + 0.2, aim);
    else if (p > aim)
        p = std::max(p - 0.2, aim);
    return p;
}

namespace {
struct BonusRow {
    char airline[8];
    int spots[8];
};
constexpr BonusRow kBonusSpots[] = {
    {"JAL", {3, 4}},
    {"ANA", {5, 6}},
    {"JAS", {1, 2}},
    {"", {}},
};
}  // namespace

void TerminalBonus(int slot) {
    const AircraftRecord* a = AircraftAt(slot);
    if (!a) return;
    for (const BonusRow& row : kBonusSpots) {
        if (!row.airline[0]) return;
        if (strcasecmp(row.airline, a->airline) != 0) continue;
        for (int spot : row.spots) {
            if (spot != 0 && spot == a->spot + 1) {
                GetScriptServices().addScore(slot, 100, 0);
                return;
            }
        }
    }
}
