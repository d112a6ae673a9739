// Landing (400), the special landings (410) and the climb-out of a touch-and-go (1200): the
// approach onto the aim point, the flare, the touchdown with its smoke and sound, the roll-out
// hand-over to the intercept phase.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/base.h"
#include "simulation/movement.h"
#include "world/world.h"

namespace movement {
namespace {

// The flare flag lives in the `velocity` word z of these phases.
double& FlareFlag(AircraftRecord& a) { return a.velocity.z; }

void LandingSound(const AircraftRecord& a, ObjectRecord& o) {
    char file[64];
    std::snprintf(file, sizeof file, "SE\\L%s.wav", a.typename_);
    GetScriptServices().playEffectWave(file, &o.pos);
    o.count = 1;
}

// The tail-clearance lift of the special landings: the model's tail stays above the runway
// while the nose is held high. A divisor of 0 (creation stores 10000 for it) lifts nothing.
void TailLift(const AircraftRecord& a, const ObjectRecord& o, double p, tagKRN3D* position) {
    if (a.tailclear == 0) return;
    if (OnGround(o, a)) {
        position->y += p / a.tailclear;
        return;
    }
    const double lift = p / a.tailclear - (o.pos.y - a.ground) * 0.5;
    if (lift > 0) position->y += lift;
}

// The nose is down on the roll-out: the intercept phase takes over.
void RollOut(Tick& t, bool special) {
    ObjectRecord& o = t.o;
    AircraftRecord& a = t.a;
    NoseUp(a) = 0;
    a.phase = PHASE_INTERCEPT;
    if (special) {
        if (a.subchoice == 1) ShowPart(o.dragshoot, 1);
    } else if (o.revoff) {
        ShowPart(o.revoff, 0);
        ShowPart(o.revon, 1);
    }
    if (!(o.kind & 2) && IsRainStage()) GetScriptServices().groundEvent(t.slot, 3);
    if (Night()) ShowPart(o.frlight, 1);
}

}  // namespace

void Landing(Tick& t, bool special) {
    ObjectRecord& o = t.o;
    AircraftRecord& a = t.a;
    const ScriptServices& calls = GetScriptServices();
    tagKRN3D look;
    double horizontal, d;
    LookAnglesEx(&o.pos, &a.point, &look, &horizontal, &d);
    double h = look.y + 180;
    if (h >= 360)
        h -= 360;
    else if (h < 0)
        h += 360;
    a.plimit = -look.x;
    // Off the centre line the aim is overcorrected by the offset, so the aircraft converges on it.
    const double turn = h == a.course ? TurnSign(int(std::nearbyint(h)), o.angle.y)
                                      : TurnSignD(2 * h - a.course, o.angle.y);
    if (o.pos.y > a.ground + 100)
        FollowBank(o, turn);
    else
        LevelBank(o);
    AddHeading(o, turn);
    if (special)
        SpeedByStep(o, a);
    else
        SpeedToward(o, a);
    SharedHeight(o, a);
    Blades(o);
    MoveAlong(o, -o.speed, false);

    double p = std::max(o.angle.x, -2.0) + 2.0;
    const double flare = special ? 60 : 50;
    const double heard = 30 * o.speed * (special ? 8 : 9);
    const double above = o.pos.y - a.ground;
    if (o.pos.y >= a.ground + flare) {
        if (a.windcheck == 2 && o.count == 0 && d < heard) LandingSound(a, o);
    } else if (o.pos.y > a.ground) {
        p += special ? 15 - 0.25 * above : 10 - 0.2 * above;
        if (o.count == 0 && d < heard) LandingSound(a, o);
        NoseUp(a) = p;
        FlareFlag(a) = 1.0;
        o.state = 1;
    }
    if (o.pos.y <= a.ground) {
        if (o.state == 1) {
            calls.groundEvent(t.slot, IsRainStage() ? 2 : 1);
            calls.playEffectWave("SE\\bslip.wav", &o.pos);
            o.state = 0;
            a.runway = 0;
            if (special) NoseUp(a) = a.subchoice == 0 ? 100.0 : a.subchoice == 1 ? 30.0 : 15.0;
        }
        if (NoseUp(a) >= 0) {
            if (FlareFlag(a) != 0) {
                if (special && a.subchoice == 2) {
                    a.tspeed = Knots(300);
                    a.sstep = (a.tspeed - o.speed) / 300;
                    a.phase = PHASE_TOUCH_AND_GO;
                    o.state = 1;
                } else {
                    a.tspeed = Knots(25);
                    a.sstep = (a.tspeed - o.speed) / (!special && (o.kind & 2) ? 150 : 300);
                    FlareFlag(a) = 0.0;
                }
            }
            if (a.phase != PHASE_TOUCH_AND_GO) {
                // A step of 0.4 from just above 0.2 would leave the angle below 0, and the
                // roll-out, which waits for an angle of 0 or more, would never come.
                const double lower = special ? 0.4 : 0.2;
                if (NoseUp(a) > 0.2)
                    NoseUp(a) = std::max(NoseUp(a) - lower, 0.0);
                else
                    RollOut(t, special);
            }
        }
        o.pos.y = a.ground;
        o.angle.z = 0;
        o.angle.y = a.course;
        o.angle.x = 0;
        p = special ? std::min(NoseUp(a), 15.0) : NoseUp(a);
    }
    t.disp = o.pos;
    if (!t.last) return;
    const tagKRN3D angles{p, o.angle.y, o.angle.z, 0};
    tagKRN3D at = o.pos;
    if (special) {
        at = Pivot(o, angles);
        TailLift(a, o, p, &at);
    }
    Show(t, at, angles, false);
}

void TouchAndGo(Tick& t) {
    ObjectRecord& o = t.o;
    AircraftRecord& a = t.a;
    SpeedToward(o, a);
    if (LiftOffStep(o, a, a.vrotate)) {
        a.prate = 0.1;
        a.tlimit = 0.2;
        a.phase = PHASE_MANOEUVRE;
    }
    Blades(o);
    MoveAlong(o, -o.speed, true);
    t.disp = o.pos;
    if (!t.last) return;
    double p = o.angle.x + NoseUp(a);
    if (o.angle.x < -2.0) p = -2.0;
    if (!OnGround(o, a)) p += 2.0;
    const tagKRN3D angles{p, o.angle.y, o.angle.z, 0};
    tagKRN3D at = Pivot(o, angles);
    TailLift(a, o, p, &at);
    Show(t, at, angles, false);
}

}  // namespace movement
