// The aircraft update cycle: per tick and slot the blink light, the script, the pending request,
// the instruction and the phase; the movement model the flying phases share and the display
// step that hands the body to the 3D layer.
#include <algorithm>
#include <cmath>

#include "controller/controller.h"
#include "base/base.h"
#include "simulation/movement.h"
#include "world/world.h"

namespace movement {
namespace {

int g_step = 0;  // the step of the call being simulated (0 the first)

// The anti-collision light shows for 11 of every 40 ticks.
void BlinkLight(AircraftRecord& a, const ObjectRecord& o) {
    a.blink = (a.blink + 1) % 600;
    if (!o.atlight) return;
    const tagKRN3D scale = a.blink % 40 <= 10 ? tagKRN3D{1, 1, 1, 0} : tagKRN3D{0, 0, 0, 0};
    KRNL_AbsMoveLayer(o.atlight, nullptr, nullptr, &scale);
}

void RunPhase(Tick& t) {
    switch (t.a.phase) {
        case PHASE_FLY_HEADING:
            FlyHeading(t);
            break;
        case PHASE_MANOEUVRE:
            Manoeuvre(t);
            break;
        case PHASE_FLY_TO_POINT:
            FlyToPoint(t);
            break;
        case PHASE_INTERCEPT:
            Intercept(t, false);
            break;
        case PHASE_INTERCEPT_B:
            Intercept(t, true);
            break;
        case PHASE_LANDING:
            Landing(t, false);
            break;
        case PHASE_LANDING_SPECIAL:
            Landing(t, true);
            break;
        case PHASE_SPOT_IN:
            SpotIn(t);
            break;
        case PHASE_PUSHBACK:
            Pushback(t);
            break;
        case PHASE_TAKEOFF:
            TakeOff(t);
            break;
        case PHASE_TAXI_TO_POINT:
            TaxiToPoint(t);
            break;
        case PHASE_DIRECT_TO_POINT:
            DirectToPoint(t);
            break;
        case PHASE_TOUCH_AND_GO:
            TouchAndGo(t);
            break;
        default:  // PHASE_STILL and values outside the table
            break;
    }
}

// One "phase <slot> <old> <new>" trace line whenever the phase word changed.
void TracePhase(int slot, const AircraftRecord& a, int32_t* seen) {
    if (a.phase == *seen) return;
    GameTrace("phase %d %d %d", slot, *seen, a.phase);
    *seen = a.phase;
}

// One "status <slot> <old> <new>" trace line whenever the status word differs from the one last
// traced for the slot, however it came to change: before the slot's step (the player's commands
// and the radio exchanges come between ticks) and after its script, request and instruction.
int32_t g_tracedStatus[kAircraftSlots] = {};
void TraceStatus(int slot, const AircraftRecord& a) {
    int32_t& seen = g_tracedStatus[slot];
    if (a.status == seen) return;
    GameTrace("status %d %x %x", slot, unsigned(seen), unsigned(a.status));
    seen = a.status;
}

void StepSlot(int slot, bool last) {
    AircraftRecord* ap = AircraftAt(slot);
    ObjectRecord* op = ObjectAt(slot);
    if (!ap || !op || !op->used || op->hold) return;
    AircraftRecord& a = *ap;
    ObjectRecord& o = *op;
    int32_t seen = a.phase;
    BlinkLight(a, o);
    a.conflict = 0;
    a.conflict2 = 0;
    // A script, request or instruction may take the aircraft out of the scene (its object
    // deleted): nothing more of this step may touch the object then.
    TraceStatus(slot, a);
    if (a.scriptpos != -1) RunAircraftScript(slot);
    TraceStatus(slot, a);
    if (!o.used) return;
    if (a.request) HandlePilotRequest(slot);
    TraceStatus(slot, a);
    if (!o.used) return;
    ExecuteInstruction(slot);
    TraceStatus(slot, a);
    if (!o.used) return;
    TracePhase(slot, a, &seen);
    tagKRN3D disp = o.pos;
    Tick t{slot, a, o, disp, last};
    RunPhase(t);
    TracePhase(slot, a, &seen);
    a.dpos = disp;
    if (last && o.shadow) {
        const tagKRN3D at{o.pos.x, a.ground + 0.02, o.pos.z, 0};
        const tagKRN3D angles{0, o.angle.y, 0, 0};
        KRNL_AbsMoveLayer(o.shadow, &at, &angles, nullptr);
    }
}

}  // namespace

bool TugTows(int slot) {
    const ObjectTable* table = GetObjectTable();
    if (!table) return false;
    for (int tug : {kSlotTug1, kSlotTug2}) {
        const ObjectRecord& t = (*table)[size_t(tug)];
        if (t.used && t.state == slot + 1) return true;
    }
    return false;
}

void Blades(const ObjectRecord& o) {
    if (!o.brdoff) return;
    ShowPart(o.brdoff, 0);
    ShowPart(o.brdon, 1);
    for (tagKRNL* b : o.blades) ShowPart(b, 0);
    ShowPart(o.blades[GetGameClock().ticks % 3], 1);
}

void FlightBlades(const Tick& t) {
    if (OnGround(t.o, t.a) && TugTows(t.slot)) return;
    Blades(t.o);
}

void SharedBank(ObjectRecord& o, const AircraftRecord& a, double turn) {
    double& bank = o.angle.z;
    if (turn < 0) {
        if (bank > -a.maxbank) bank -= a.bstep;
    } else if (turn > 0) {
        if (bank < a.maxbank) bank += a.bstep;
    } else if (a.levelbank == 0) {
        if (bank > a.bstep)
            bank -= a.bstep;
        else if (bank < -a.bstep)
            bank += a.bstep;
        else
            bank = 0;
    } else {
        const double level = a.levelbank;
        if (bank < level)
            bank = std::min(bank + a.bstep, level);
        else if (bank > level)
            bank = std::max(bank - a.bstep, level);
    }
}

void FollowBank(ObjectRecord& o, double turn) {
    if (turn == 0) {
        LevelBank(o);
        return;
    }
    double& bank = o.angle.z;
    const double aim = 150 * turn;
    if (bank < aim)
        bank = std::min(bank + 0.5, aim);
    else if (bank > aim)
        bank = std::max(bank - 0.5, aim);
}

void LevelBank(ObjectRecord& o) {
    double& bank = o.angle.z;
    if (bank > 0.5)
        bank -= 0.5;
    else if (bank < -0.5)
        bank += 0.5;
    else
        bank = 0;
}

void AddHeading(ObjectRecord& o, double turn) {
    double& h = o.angle.y;
    h += turn;
    if (h >= 360)
        h -= 360;
    else if (h < 0)
        h += 360;
}

int SpeedToward(ObjectRecord& o, const AircraftRecord& a) {
    double& v = o.speed;
    const double target = a.tspeed;
    if (v == target) return 0;
    if (!(v + kSpeedBand < target || v - kSpeedBand > target)) {
        v = target;
        return 0;
    }
    // The step moves toward the target whatever its sign, and never past it: a step wider than
    // the band, or of the wrong sign, would otherwise run away.
    if (!std::isfinite(a.sstep)) {
        const int dir = target > v ? 1 : -1;
        v = target;
        return dir;
    }
    const double step = std::fabs(a.sstep);
    if (v < target) {
        v = std::min(v + step, target);
        return step != 0 ? 1 : 0;
    }
    v = std::max(v - step, target);
    return step != 0 ? -1 : 0;
}

void SpeedByStep(ObjectRecord& o, const AircraftRecord& a) {
    double& v = o.speed;
    if (v == a.tspeed) return;
    const double next = v + a.sstep;
    if ((a.sstep > 0 && next < a.tspeed) || (a.sstep < 0 && next > a.tspeed))
        v = next;
    else
        v = a.tspeed;
}

void SharedHeight(ObjectRecord& o, AircraftRecord& a) {
    double& y = o.pos.y;
    double& pitch = o.angle.x;
    if (y == a.talt) return;
    // Steps of 0.1 seldom add up to exactly 0.0: within half a step of level counts as level,
    // or the aircraft would swing about its target height for good.
    const auto level = [&] {
        if (std::fabs(pitch) < kStep / 2) {
            pitch = 0;
            y = a.talt;
        }
    };
    if (y > a.talt) {
        if (pitch <= 0) {
            if (pitch > a.plimit) pitch -= kStep;
        } else {
            pitch -= kStep;
            level();
        }
    } else {
        if (pitch < 0) {
            pitch += kStep;
            level();
        } else if (pitch < a.plimit) {
            pitch += kStep;
        }
    }
}

void MoveAlong(ObjectRecord& o, double z, bool bank) {
    const tagKRN3D nose{0, 0, z, 0};
    const tagKRN3D angles{o.angle.x, o.angle.y, bank ? o.angle.z : 0.0, 0};
    tagKRN3D v;
    RotateVector3(&v, &nose, &angles);
    o.pos.x += v.x;
    o.pos.y += v.y;
    o.pos.z += v.z;
}

void Show(const Tick& t, tagKRN3D position, const tagKRN3D& angles, bool sway2) {
    const int ticks = GetFrameTiming().totalticks;
    const int height = Trunc(position.y);
    position.y += sway2 ? WindSway2(t.slot, ticks, height) : WindSway(t.slot, ticks, height);
    if (tagKRNL* body = t.o.body ? t.o.body : t.o.layer)
        KRNL_AbsMoveLayer(body, &position, &angles, nullptr);
    t.disp = position;
}

void SharedDisplay(const Tick& t, bool plus, bool kind4) {
    if (!t.last) return;
    tagKRN3D angles = t.o.angle;
    const bool four = kind4 && (t.o.kind & 0xf) == 4;
    if (four) {
        angles.x = AttitudeFromClimb(t.slot);
    } else {
        angles.x = std::max(angles.x, -2.0);
        if (plus || !OnGround(t.o, t.a)) angles.x += 2.0;
    }
    Show(t, t.disp, angles, four);
}

tagKRN3D Pivot(const ObjectRecord& o, const tagKRN3D& angles) {
    const tagKRN3D down{0, -7, 0, 0};
    tagKRN3D v;
    RotateVector3(&v, &down, &angles);
    return tagKRN3D{o.pos.x + v.x, o.pos.y + v.y + 7, o.pos.z + v.z, 0};
}

}  // namespace movement

void UpdateAircraft(int ticks) {
    CountDownRadioText(ticks);
    for (int s = 0; s < ticks; ++s) {
        movement::g_step = s;
        for (int slot = 0; slot < kAircraftSlots; ++slot) movement::StepSlot(slot, s == ticks - 1);
    }
    movement::SeparationPass();
}

int GetUpdateTickStep() { return movement::g_step; }
