// The aircraft update: the per-tick order and the shared movement model, the flying phases, the
// landing and take-off, the ground phases and the separation pass, stepped through
// UpdateAircraft on the simulation's test stage with the fake services logging every call out.
#include <cmath>

#include "script_fixture.h"

using scripttest::F;
using scripttest::ScriptCase;

namespace {

double Knots(double knots) { return knots * 1.852 / 108; }

class MoveCase : public ScriptCase {
  protected:
    MoveCase() {
        GetScenarioHeader().world.weather[0] = 'F';
        GetCameraRecord() = CameraRecord{};
    }
    // An aircraft in play in `slot` at x, y, z with the heading and speed, its targets those it
    // has (no turn, no speed or height change), on ground height 0.
    AircraftRecord& Plane(int slot, double x, double y, double z, double heading, double speed,
                          int phase) {
        AircraftRecord& a = Air(slot, slot + 1);
        ObjectRecord& o = O(slot);
        o.pos = tagKRN3D{x, y, z, 0};
        o.angle = tagKRN3D{0, heading, 0, 0};
        o.speed = speed;
        o.state = o.count = o.kind = 0;
        a.conflict = a.conflict2 = 0;
        a.velocity = tagKRN3D{0, 0, 0, 0};
        a.dpitch = 0;
        a.ground = 0;
        a.talt = y;
        a.tspeed = speed;
        a.course = int(heading);
        a.phase = phase;
        a.stripslot = slot;
        a.maxbank = 30;
        a.bstep = 1.0;
        std::snprintf(a.airline, sizeof a.airline, "JAL");
        std::snprintf(a.typename_, sizeof a.typename_, "B767");
        a.tailclear = 10000;
        return a;
    }
    // A layer of the test's own under the master layer.
    tagKRNL* Layer(const char* name) {
        char unique[32];
        std::snprintf(unique, sizeof unique, "%s%d", name, ++layers_);
        tagKRNL* l = KRNL_CreateLayer(Handles().root, unique);
        EXPECT_NE(l, nullptr) << unique;
        return l;
    }
    // The body layer the update moves.
    tagKRNL* Body(int slot) {
        char name[16];
        std::snprintf(name, sizeof name, "plane%d", slot);
        O(slot).layer = O(slot).body = Layer(name);
        return O(slot).body;
    }
    static void Ticks(int n) {
        for (int k = 0; k < n; ++k) UpdateAircraft(1);
    }
    static int Logged(const std::string& line) {
        return int(std::count(F().log.begin(), F().log.end(), line));
    }

  private:
    int layers_ = 0;
};

}  // namespace

// ---- the update cycle and the shared model ----

TEST_F(MoveCase, BlinkLightShowsElevenTicksOfForty) {
    struct Case {
        int before, after;
        double scale;
    };
    const Case cases[] = {{9, 10, 1}, {10, 11, 0}, {38, 39, 0}, {39, 40, 1}, {599, 0, 1}};
    Plane(0, 0, 100, 0, 0, 0, PHASE_STILL);
    O(0).atlight = Layer("atlight");
    for (const Case& c : cases) {
        A(0).blink = c.before;
        Ticks(1);
        EXPECT_EQ(A(0).blink, c.after) << c.before;
        EXPECT_EQ(O(0).atlight->scale.x, c.scale) << c.before;
    }
}

TEST_F(MoveCase, SpeedMovesTowardItsTargetAndStopsOnIt) {
    struct Case {
        const char* what;
        double speed, tspeed, sstep, after;
    };
    const Case cases[] = {
        {"within the band it snaps", 1.0, 1.005, 0.1, 1.005},
        {"up by the step", 1.0, 2.0, 0.1, 1.1},
        {"down by the step", 2.0, 1.0, -0.1, 1.9},
        {"a step wider than the band stops on the target", 1.0, 1.05, 0.2, 1.05},
        {"a step of the wrong sign still goes toward it", 1.0, 2.0, -0.1, 1.1},
        {"a step that is not finite sets it", 1.0, 2.0, NAN, 2.0},
    };
    for (const Case& c : cases) {
        Plane(0, 0, 0, 0, 0, c.speed, PHASE_FLY_HEADING);
        A(0).tspeed = c.tspeed;
        A(0).sstep = c.sstep;
        Ticks(1);
        EXPECT_EQ(O(0).speed, c.after) << c.what;
    }
    // A step of the difference over whole ticks reaches the target in that many ticks.
    Plane(0, 0, 0, 0, 0, 0, PHASE_FLY_HEADING);
    A(0).tspeed = Knots(250);
    A(0).sstep = A(0).tspeed / 600;
    Ticks(599);
    EXPECT_NE(O(0).speed, A(0).tspeed);
    Ticks(1);
    EXPECT_EQ(O(0).speed, A(0).tspeed);
}

TEST_F(MoveCase, HeadingTurnsByTheRoundedHeading) {
    struct Case {
        int course;
        double heading;
        int ticks;
        double after;
    };
    const Case cases[] = {
        {10, 359.9, 1, 359.9 + 0.2 - 360},  // across north
        {90, 89.9, 5, 89.9},                // rounds to the course: no turn
        {90, 89.4, 5, 89.4 + 0.2},          // one step, then 89.6 rounds to 90
        {270, 90.0, 1, 90.2},               // a half turn either way turns right
    };
    for (const Case& c : cases) {
        Plane(0, 0, 0, 0, c.heading, 1.0, PHASE_FLY_HEADING);
        A(0).course = c.course;
        Ticks(c.ticks);
        EXPECT_NEAR(O(0).angle.y, c.after, 1e-9) << c.course << " " << c.heading;
    }
}

TEST_F(MoveCase, BankFollowsTheTurnAndTheLevelBank) {
    struct Case {
        const char* what;
        int course, levelbank;
        double bank, bstep;
        int ticks;
        double after;
    };
    const Case cases[] = {
        {"right to maxbank", 90, 0, 0, 1.0, 40, 30},
        {"left to -maxbank", 270, 0, 0, 1.0, 40, -30},
        {"level: back toward 0", 0, 0, 10.3, 1.0, 10, 0.3},
        {"level: 0 within a step", 0, 0, 10.3, 1.0, 11, 0},
        {"toward the level bank, stopping on it", 0, 15, 0, 2.0, 10, 15},
    };
    for (const Case& c : cases) {
        Plane(0, 0, 500, 0, 0, 1.0, PHASE_FLY_HEADING);
        A(0).course = c.course;
        A(0).levelbank = c.levelbank;
        A(0).bstep = c.bstep;
        O(0).angle.z = c.bank;
        Ticks(c.ticks);
        EXPECT_NEAR(O(0).angle.z, c.after, 1e-9) << c.what;
    }
    // On the ground the bank stays.
    Plane(0, 0, 0, 0, 0, 1.0, PHASE_FLY_HEADING);
    A(0).course = 90;
    Ticks(5);
    EXPECT_EQ(O(0).angle.z, 0.0);
}

TEST_F(MoveCase, ClimbAndDescentLevelOffExactlyAtTheTargetHeight) {
    struct Case {
        double y, talt, plimit;
    };
    for (const Case& c : {Case{100, 300, 10}, Case{700, 300, -10}, Case{100, 300.05, 3}}) {
        Plane(0, 0, c.y, 0, 0, 3.0, PHASE_FLY_HEADING);
        A(0).talt = c.talt;
        A(0).plimit = c.plimit;
        bool passed = false;
        for (int k = 0; k < 3000 && O(0).pos.y != c.talt; ++k) {
            Ticks(1);
            passed = passed || (c.y < c.talt ? O(0).pos.y > c.talt : O(0).pos.y < c.talt);
        }
        EXPECT_EQ(O(0).pos.y, c.talt) << c.y << " -> " << c.talt;
        EXPECT_EQ(O(0).angle.x, 0.0);
        EXPECT_TRUE(passed) << "the climb goes on past the target with a falling pitch";
        Ticks(300);
        EXPECT_EQ(O(0).pos.y, c.talt);
        EXPECT_EQ(O(0).angle.x, 0.0);
    }
}

TEST_F(MoveCase, ZeroTicksMoveNothingButThePassRuns) {
    Plane(0, 100, 500, 100, 0, 3.0, PHASE_FLY_HEADING);
    Plane(1, 15000.5, 500, 0, 0, 3.0, PHASE_FLY_HEADING);
    Body(1);
    A(0).course = 90;
    // A radio text window up, the other voices lowered.
    GetConfig().atcvolume = 90;
    DuckVolumes(1);
    SetRadioTextCountdown(5);
    UpdateAircraft(0);
    EXPECT_EQ(O(0).pos.z, 100.0);
    EXPECT_EQ(O(0).angle.y, 0.0);
    EXPECT_EQ(A(0).blink, 0);
    EXPECT_EQ(GetRadioTextCountdown(), 5);
    EXPECT_EQ(GetAtcVolume(), 30) << "the window stays up while paused";
    EXPECT_EQ(O(1).used, 0) << "the area pass ran";
    // The countdown counts by the ticks and takes the window down at 0, the voices back; below
    // 0 it stays.
    UpdateAircraft(3);
    EXPECT_EQ(GetRadioTextCountdown(), 2);
    EXPECT_EQ(GetAtcVolume(), 30);
    UpdateAircraft(3);
    EXPECT_EQ(GetRadioTextCountdown(), 0);
    EXPECT_EQ(GetAtcVolume(), 90);
    SetRadioTextCountdown(-1);
    UpdateAircraft(3);
    EXPECT_EQ(GetRadioTextCountdown(), -1);
}

TEST_F(MoveCase, HeldOrFreeSlotsAreSkippedAndLayersMoveOnTheLastTick) {
    Plane(0, 0, 500, 0, 0, 1.0, PHASE_FLY_HEADING);
    Plane(1, 100, 500, 0, 0, 1.0, PHASE_FLY_HEADING);
    O(1).hold = 1;
    tagKRNL* body = Body(0);
    O(0).shadow = Layer("shadow0");
    A(0).ground = 3;
    UpdateAircraft(3);
    EXPECT_EQ(O(1).pos.z, 0.0);
    EXPECT_EQ(A(1).blink, 0);
    EXPECT_NEAR(O(0).pos.z, -3.0, 1e-12);
    EXPECT_EQ(body->shift.z, O(0).pos.z);
    EXPECT_EQ(body->rotate.x, 2.0) << "airborne: the shown pitch is raised by 2";
    EXPECT_EQ(A(0).dpos.z, O(0).pos.z);
    EXPECT_EQ(O(0).shadow->shift.y, 3.02);
    EXPECT_EQ(O(0).shadow->shift.z, O(0).pos.z);
}

TEST_F(MoveCase, RemovedDuringItsStepTheAircraftMovesNoMore) {
    ScriptServices calls = scripttest::FakeServices();
    calls.setModelPart = [](int slot, int code) { return SetModelPart(slot, code); };
    SetScriptServices(&calls);
    Plane(0, 0, 500, 0, 0, 1.0, PHASE_FLY_HEADING);
    Body(0);
    Run(0, "    part 0x6000\n");
    A(0).dpos = tagKRN3D{7, 7, 7, 0};
    Ticks(1);
    EXPECT_EQ(O(0).used, 0);
    EXPECT_EQ(A(0).dpos.x, 7.0) << "no step after the script removed it";
    EXPECT_EQ(O(0).pos.z, 0.0);
}

// ---- flying phases ----

TEST_F(MoveCase, InterceptWaitsForTheCourseLineAndRearmsOnASpeedChange) {
    Plane(0, 1000, 0, 500, 0, 1.0, PHASE_INTERCEPT);
    A(0).course = 90;
    A(0).point = tagKRN3D{0, 0, 0, 0};
    int turnedAt = -1;
    for (int k = 0; k < 700 && turnedAt < 0; ++k) {
        Ticks(1);
        if (O(0).state == 1) turnedAt = k;
    }
    ASSERT_GT(turnedAt, 0);
    // The aim looks ahead by the turn's radius (57.3 x the speed): the turn starts that far
    // before the course line.
    EXPECT_GT(O(0).pos.z, 0.0);
    EXPECT_LT(O(0).pos.z, 57.3);
    A(0).tspeed = 2.0;
    A(0).sstep = 0.01;
    Ticks(1);
    EXPECT_EQ(O(0).state, 0) << "accelerating arms the intercept again";
    // 300 keeps the other bits of its sub-state.
    Plane(1, 1000, 0, -500, 0, 1.0, PHASE_INTERCEPT_B);
    A(1).course = 90;
    O(1).state = 0x100;
    Ticks(1);
    EXPECT_EQ(O(1).state, 0x101);
}

TEST_F(MoveCase, FlightToAPointBanksBackInHalfDegrees) {
    Plane(0, 0, 1000, 0, 0, 2.0, PHASE_FLY_TO_POINT);
    A(0).point = tagKRN3D{0, 1000, -5000, 0};
    O(0).angle.z = 5.2;
    const double expected[] = {4.7, 4.2, 3.7, 3.2, 2.7, 2.2, 1.7, 1.2, 0.7, 0.2, 0.0};
    for (double e : expected) {
        Ticks(1);
        EXPECT_NEAR(O(0).angle.z, e, 1e-9);
    }
    // A point to the right: the bank grows by 0.5 to 30.
    A(0).point = tagKRN3D{-5000, 1000, 0, 0};
    Ticks(80);
    EXPECT_EQ(O(0).angle.z, 30.0);
}

TEST_F(MoveCase, VerticalReversal) {
    struct Case {
        double heading;
        int course, levelbank;
    };
    for (const Case& c : {Case{90, 270, 0}, Case{10, 300, -110}}) {
        Plane(0, 0, 500, 0, c.heading, 2.0, PHASE_MANOEUVRE);
        A(0).course = c.course;
        A(0).talt = 900;
        A(0).prate = 2.0;
        O(0).state = 0xd000;
        Ticks(1);
        EXPECT_EQ(A(0).levelbank, c.levelbank) << c.heading;
        EXPECT_EQ(A(0).plimit, 90.0);
        EXPECT_EQ(O(0).state, 0xd001);
        // The flip once the bank is on its level and the nose above 89.
        O(0).angle.z = c.levelbank;
        O(0).angle.x = 89.0;
        Ticks(1);
        EXPECT_EQ(O(0).state, 0xd001) << "89.0 is not above 89";
        O(0).angle.x = 89.5;
        Ticks(1);
        EXPECT_EQ(O(0).state, 0xd002);
        EXPECT_EQ(O(0).angle.y, double(c.course));
        EXPECT_EQ(O(0).angle.z, c.levelbank < 0 ? -180.0 : 180.0);
        EXPECT_EQ(A(0).levelbank, c.levelbank < 0 ? -180 : 180);
        O(0).pos.y = 900;
        Ticks(1);
        EXPECT_EQ(A(0).levelbank, 0) << "rolls level at the target height";
    }
}

TEST_F(MoveCase, FollowerSitsOnItsSlotWhenTheCounterReachesTheJoin) {
    struct Case {
        int joinsteps;
        int ticks;  // ticks until it sits on the slot
    };
    for (const Case& c : {Case{50, 51}, Case{0, 1}, Case{5000, 1}, Case{-3, 1}}) {
        Plane(0, 0, 1000, 0, 45, 2.0, PHASE_FLY_HEADING);
        Plane(1, 400, 900, 300, 0, 2.0, PHASE_MANOEUVRE);
        A(1).leader = 0;
        A(1).offset = tagKRN3D{30, 0, 20, 0};
        A(1).joinsteps = c.joinsteps;
        O(1).state = 0xe000;
        auto slotPoint = [&] {
            tagKRN3D s;
            RotateY(&s, &A(1).offset, O(0).angle.y);
            return tagKRN3D{O(0).pos.x + s.x, O(0).pos.y + s.y, O(0).pos.z + s.z, 0};
        };
        Ticks(c.ticks - 1);
        if (c.joinsteps == 50) {
            EXPECT_EQ(O(1).state, 0xe000 + 50);
            const tagKRN3D s = slotPoint();
            EXPECT_LT(Distance2D(&O(1).pos, &s), 2.0);
        }
        for (int k = 0; k < 3; ++k) {
            Ticks(1);
            const tagKRN3D s = slotPoint();
            // The follower (slot 1) steps after its leader: the slot point of the leader's
            // place after this tick.
            EXPECT_EQ(O(1).pos.x, s.x) << c.joinsteps;
            EXPECT_EQ(O(1).pos.z, s.z) << c.joinsteps;
            EXPECT_EQ(O(1).angle.y, O(0).angle.y);
            EXPECT_EQ(A(1).course, 45);
        }
    }
}

TEST_F(MoveCase, ManoeuvreWithoutPitchRateOrTurnLimitStaysFinite) {
    Plane(0, 0, 500, 0, 0, 2.0, PHASE_MANOEUVRE);
    A(0).talt = 800;
    A(0).course = 90;
    A(0).point = tagKRN3D{-3000, 500, 0, 0};
    for (int32_t mode : {0, 0xf000, 0x10000, 0x11000}) {
        O(0).state = mode;
        Ticks(20);
        EXPECT_TRUE(std::isfinite(O(0).pos.x) && std::isfinite(O(0).pos.y) &&
                    std::isfinite(O(0).angle.y))
            << std::hex << mode;
    }
    EXPECT_EQ(O(0).pos.y, 500.0) << "no pitch rate: no climb";
}

TEST_F(MoveCase, AttitudeOfKindFour) {
    struct Case {
        double y, speed, dpitch, after;
    };
    const Case cases[] = {
        {40, 3.0, 1.0, 0.8},     // within 50 of the ground: toward 0
        {40, 3.0, 0.1, 0.0},     // stops on it
        {100, 3.0, 0.0, -0.2},   // toward -speed x 10
        {100, 3.0, -20, -20},    // held at -20
        {100, -1.0, 9.9, 10.0},  // toward +10, stopping on it
    };
    for (const Case& c : cases) {
        Plane(0, 0, c.y, 0, 0, c.speed, PHASE_STILL);
        A(0).dpitch = c.dpitch;
        EXPECT_NEAR(AttitudeFromClimb(0), c.after, 1e-12) << c.y << " " << c.dpitch;
    }
    // Shown through the display step of the flying phases.
    Plane(0, 0, 40, 0, 0, 3.0, PHASE_FLY_HEADING);
    O(0).kind = 4;
    O(0).angle.x = 5;
    A(0).plimit = 5;
    A(0).talt = 100;
    tagKRNL* body = Body(0);
    Ticks(1);
    EXPECT_EQ(body->rotate.x, 0.0);
}

TEST_F(MoveCase, TerminalBonusByAirlineAndSpot) {
    struct Case {
        const char* airline;
        int spot;
        bool bonus;
    };
    const Case cases[] = {{"JAL", 2, true}, {"JAL", 3, true},  {"JAL", 0, false},
                          {"jal", 3, true}, {"ANA", 2, false}, {"ANA", 4, true},
                          {"JAS", 0, true}, {"JAF", 0, false}, {"JAL", -1, false}};
    for (const Case& c : cases) {
        F().log.clear();
        Plane(0, 0, 0, 0, 0, 0, PHASE_STILL);
        std::snprintf(A(0).airline, sizeof A(0).airline, "%s", c.airline);
        A(0).spot = c.spot;
        TerminalBonus(0);
        EXPECT_EQ(Logged("addScore 0 100 0"), c.bonus ? 1 : 0) << c.airline << " " << c.spot;
    }
}

// ---- take-off ----

TEST_F(MoveCase, TakeOffRollRotatesAndLiftsOff) {
    Plane(0, 0, 0, 0, 340, 0, PHASE_TAKEOFF);
    A(0).tspeed = Knots(250);
    A(0).sstep = A(0).tspeed / 600;
    A(0).talt = 300;
    A(0).plimit = 10;
    int fast = 0, lifted = 0, flying = 0, nosesteps = 0;
    for (int tick = 1; tick <= 1000 && !flying; ++tick) {
        const double nose = A(0).velocity.x;
        Ticks(1);
        if (!fast && O(0).speed > 2.229) fast = tick;
        if (O(0).state == 0 && A(0).velocity.x > nose) ++nosesteps;
        if (!lifted && O(0).state == 1) lifted = tick;
        if (A(0).phase == PHASE_FLY_HEADING) flying = tick;
    }
    EXPECT_EQ(fast, 312);
    EXPECT_EQ(lifted, 363);
    EXPECT_EQ(nosesteps, 51);
    EXPECT_EQ(flying, 403);
    EXPECT_NEAR(O(0).angle.x, 8.0, 1e-9);
    EXPECT_NEAR(O(0).speed * 108 / 1.852, 167.9, 0.05);
    EXPECT_EQ(A(0).velocity.x, 0.0);
    // Below 130 knots it never rotates.
    Plane(0, 0, 0, 0, 340, 0, PHASE_TAKEOFF);
    A(0).velocity = tagKRN3D{0, 0, 0, 0};
    A(0).tspeed = Knots(129);
    A(0).sstep = A(0).tspeed / 600;
    Ticks(1500);
    EXPECT_EQ(A(0).phase, PHASE_TAKEOFF);
    EXPECT_EQ(O(0).state, 0);
    EXPECT_EQ(O(0).pos.y, 0.0);
    EXPECT_EQ(A(0).velocity.x, 0.0);
}

// ---- landing ----

namespace {
struct Landed {
    int touchdown = 0;  // tick of the first tick on the ground
    int rollout = 0;    // tick of the phase 200
    double shortOf = 0;
    double offCentre = 0;
    double pitch = 0;  // the pitch 100 ticks before touchdown
    double speedAtTouchdown = 0;
};
}  // namespace

class LandingCase : public MoveCase {
  protected:
    // An aircraft `out` units out on a 3-degree path to the aim point at the origin, runway
    // course 340, `beside` units to the side of the centre line.
    void Approach(double out, double beside, double knots, int phase = PHASE_LANDING) {
        const double r = 340 * 3.14159265358979 / 180;
        const double x = out * std::sin(r) + beside * std::cos(r);
        const double z = out * std::cos(r) - beside * std::sin(r);
        Plane(0, x, out * std::tan(3 * 3.14159265358979 / 180), z, 340, Knots(knots), phase);
        A(0).talt = 0;
        A(0).course = 340;
        A(0).point = tagKRN3D{0, 0, 0, 0};
        A(0).runway = 2;
        O(0).revoff = Layer("revoff");
        O(0).revon = Layer("revon");
        O(0).dragshoot = Layer("dragshoot");
        O(0).revon->sw = O(0).dragshoot->sw = 0;
    }
    Landed Fly(int limit = 6000) {
        Landed l;
        std::vector<double> pitches;
        for (int tick = 1; tick <= limit; ++tick) {
            Ticks(1);
            pitches.push_back(O(0).angle.x);
            if (!l.touchdown && O(0).pos.y == 0) {
                l.touchdown = tick;
                l.shortOf = std::hypot(O(0).pos.x, O(0).pos.z);
                const double r = 340 * 3.14159265358979 / 180;
                l.offCentre = std::fabs(O(0).pos.x * std::cos(r) - O(0).pos.z * std::sin(r));
                l.pitch = pitches.size() > 101 ? pitches[pitches.size() - 101] : 0;
                l.speedAtTouchdown = O(0).speed;
            }
            if (A(0).phase != PHASE_LANDING && A(0).phase != PHASE_LANDING_SPECIAL) {
                l.rollout = tick;
                break;
            }
        }
        return l;
    }
};

TEST_F(LandingCase, ApproachTouchdownAndRollOut) {
    for (double beside : {0.0, 100.0}) {
        F().log.clear();
        Approach(8000, beside, 140);
        const Landed l = Fly();
        ASSERT_GT(l.touchdown, 0) << beside;
        EXPECT_NEAR(l.pitch, -3.1, 1e-9) << beside;
        EXPECT_GE(l.shortOf, 150) << beside;
        EXPECT_LE(l.shortOf, 300) << beside;
        EXPECT_LE(l.offCentre, beside == 0 ? 1.0 : 5.0) << beside;
        EXPECT_EQ(Logged("groundEvent 0 1"), 1);
        EXPECT_EQ(Logged("groundEvent 0 2") + Logged("groundEvent 0 3"), 0);
        EXPECT_EQ(Logged("playEffectWave SE\\bslip.wav"), 1);
        EXPECT_EQ(A(0).runway, 0);
        EXPECT_EQ(O(0).angle.y, 340.0);
        EXPECT_EQ(A(0).tspeed, Knots(25));
        EXPECT_EQ(A(0).sstep, (Knots(25) - l.speedAtTouchdown) / 300);
        EXPECT_EQ(A(0).phase, PHASE_INTERCEPT);
        EXPECT_NEAR(l.rollout - l.touchdown, 50, 3);
        EXPECT_EQ(O(0).revoff->sw, 0);
        EXPECT_EQ(O(0).revon->sw, 1);
        EXPECT_EQ(O(0).pos.y, 0.0);
    }
}

TEST_F(LandingCase, RainAndTheFasterRollOut) {
    struct Case {
        int kind;
        int divisor;
        int watersmoke;
    };
    GetScenarioHeader().world.weather[0] = 'R';
    for (const Case& c : {Case{0, 300, 1}, Case{2, 150, 0}}) {
        F().log.clear();
        Approach(3000, 0, 140);
        O(0).kind = c.kind;
        const Landed l = Fly();
        EXPECT_EQ(Logged("groundEvent 0 2"), 1) << c.kind;
        EXPECT_EQ(Logged("groundEvent 0 1"), 0);
        EXPECT_EQ(Logged("groundEvent 0 3"), c.watersmoke) << c.kind;
        EXPECT_EQ(A(0).sstep, (Knots(25) - l.speedAtTouchdown) / c.divisor);
    }
}

TEST_F(LandingCase, LandingSoundPlaysOnceAboveTheFlareOnlyForWindcheckTwo) {
    for (int windcheck : {0, 2}) {
        F().log.clear();
        Approach(6000, 0, 250);
        A(0).windcheck = windcheck;
        double heardAt = -1;
        for (int tick = 0; tick < 4000 && A(0).phase == PHASE_LANDING; ++tick) {
            const double y = O(0).pos.y;
            Ticks(1);
            if (heardAt < 0 && Logged("playEffectWave SE\\LB767.wav")) heardAt = y;
        }
        EXPECT_EQ(Logged("playEffectWave SE\\LB767.wav"), 1) << windcheck;
        EXPECT_EQ(O(0).count, 1);
        if (windcheck == 2)
            EXPECT_GT(heardAt, 50.0);
        else
            EXPECT_LT(heardAt, 50.5);
    }
}

TEST_F(LandingCase, SpecialLandings) {
    // Style 0 holds the shown nose at 15 while the held angle runs down from 100 by 0.4.
    Approach(3000, 0, 140, PHASE_LANDING_SPECIAL);
    tagKRNL* body = Body(0);
    A(0).subchoice = 0;
    int held = 0;
    for (int tick = 0; tick < 4000 && A(0).phase == PHASE_LANDING_SPECIAL; ++tick) {
        Ticks(1);
        if (O(0).pos.y == 0 && body->rotate.x == 15.0) ++held;
    }
    EXPECT_NEAR(held, (100 - 15) / 0.4, 1.0);
    EXPECT_EQ(A(0).phase, PHASE_INTERCEPT);
    EXPECT_EQ(O(0).dragshoot->sw, 0);
    EXPECT_EQ(O(0).revon->sw, 0) << "no reversers";
    // Style 1 shows the drag chute at the roll-out.
    Approach(3000, 0, 140, PHASE_LANDING_SPECIAL);
    A(0).subchoice = 1;
    Fly();
    EXPECT_EQ(A(0).phase, PHASE_INTERCEPT);
    EXPECT_EQ(O(0).dragshoot->sw, 1);
    // Style 2 touches and goes: at once 1200 with the lift-off state, then 30 with its climb.
    Approach(3000, 0, 140, PHASE_LANDING_SPECIAL);
    A(0).subchoice = 2;
    const Landed l = Fly();
    EXPECT_EQ(l.rollout, l.touchdown);
    EXPECT_EQ(A(0).phase, PHASE_TOUCH_AND_GO);
    EXPECT_EQ(O(0).state, 1);
    EXPECT_EQ(A(0).tspeed, Knots(300));
    for (int k = 0; k < 200 && A(0).phase == PHASE_TOUCH_AND_GO; ++k) Ticks(1);
    EXPECT_EQ(A(0).phase, PHASE_MANOEUVRE);
    EXPECT_EQ(A(0).prate, 0.1);
    EXPECT_EQ(A(0).tlimit, 0.2);
    EXPECT_GT(O(0).angle.x, 0.0);
}

TEST_F(MoveCase, TouchAndGoWaitsForItsRotationSpeed) {
    Plane(0, 0, 0, 0, 340, Knots(100), PHASE_TOUCH_AND_GO);
    A(0).vrotate = Knots(400);
    A(0).tspeed = Knots(300);
    A(0).sstep = 0.01;
    Ticks(1000);
    EXPECT_EQ(A(0).phase, PHASE_TOUCH_AND_GO);
    EXPECT_EQ(O(0).state, 0);
    EXPECT_EQ(O(0).pos.y, 0.0);
    A(0).vrotate = Knots(140);
    for (int k = 0; k < 500 && A(0).phase == PHASE_TOUCH_AND_GO; ++k) Ticks(1);
    EXPECT_EQ(A(0).phase, PHASE_MANOEUVRE);
    EXPECT_NEAR(O(0).angle.x, 8.0, 1e-9);
}

// ---- ground phases ----

TEST_F(MoveCase, SpotInBrakesAndParks) {
    struct Case {
        const char* what;
        double x, heading;
        bool towed;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"straight in: never aligned", 0, 0, false, {"groundEvent 0 2020"}},
        {"aligned when the bearing swings past the spot's heading",
         -10,
         350,
         false,
         {"groundEvent 0 2000", "groundEvent 0 2010", "groundEvent 0 2020"}},
        {"towed: no events", -10, 350, true, {}},
    };
    for (const Case& c : cases) {
        F().log.clear();
        Plane(0, c.x, 0, 100, c.heading, 0.3, PHASE_SPOT_IN);
        A(0).course = 0;
        A(0).point = tagKRN3D{0, 0, 0, 0};
        A(0).choice = 3;
        A(0).links = 1;
        A(0).linked[0] = 5;
        O(0).atlight = Layer("atlight");
        O(0).atlight->sw = 1;
        SetSelectedAircraft(0);
        O(kSlotTug1).used = c.towed;
        O(kSlotTug1).state = c.towed ? 1 : 0;
        double brakeAt = -1;
        for (int k = 0; k < 2000 && A(0).phase == PHASE_SPOT_IN; ++k) {
            const double d = std::hypot(O(0).pos.x, O(0).pos.z);
            Ticks(1);
            if (brakeAt < 0 && (O(0).state & 0x10)) brakeAt = d;
        }
        EXPECT_EQ(A(0).phase, PHASE_STILL) << c.what;
        EXPECT_GT(brakeAt, 0) << c.what;
        EXPECT_LT(brakeAt, 50 * 0.3 * 0.31 + 1e-9) << c.what;
        EXPECT_LT(std::hypot(O(0).pos.x, O(0).pos.z), c.x == 0 ? 0.5 : 2.0) << c.what;
        EXPECT_EQ(O(0).speed, 0.0);
        EXPECT_EQ(A(0).spot, 2);
        EXPECT_EQ(A(0).status, 0x600c0);
        std::vector<std::string> events, order;
        for (const std::string& line : F().log) {
            if (line.rfind("groundEvent", 0) == 0)
                events.push_back(line);
            else
                order.push_back(line);
        }
        EXPECT_EQ(events, c.events) << c.what;
        const std::vector<std::string> parked = {"propagateStatus 0 0x600c0", "buildCommandMenu 0",
                                                 "drawFlightInfo 0", "addScore 0 100 0"};
        EXPECT_EQ(order, parked) << c.what;
        EXPECT_EQ(O(0).atlight->sw, 0);
    }
    SetSelectedAircraft(-1);
}

TEST_F(MoveCase, PushbackClearsItsStateOnSpeedChangesAndTurnsFiveFold) {
    Plane(0, 0, 0, 0, 0, 0, PHASE_PUSHBACK);
    A(0).point = tagKRN3D{0, 0, -500, 0};
    A(0).tspeed = 0.2;
    A(0).sstep = 0.001;
    O(0).state = 1;
    Ticks(1);
    EXPECT_EQ(O(0).speed, 0.001);
    EXPECT_EQ(O(0).state, 0);
    // Aligned at its speed: five times the turn on the ground.
    Plane(0, 0, 0, 0, 0, 0.2, PHASE_PUSHBACK);
    A(0).course = 30;
    A(0).point = tagKRN3D{0, 0, -500, 0};
    O(0).state = 1;
    Ticks(1);
    EXPECT_NEAR(O(0).angle.y, 1.0, 1e-12);
    EXPECT_GT(O(0).pos.z, 0.0) << "tail first";
    // Stops at its point: speed 0, phase 0.
    Plane(0, 0, 0, 0, 0, 0.2, PHASE_PUSHBACK);
    A(0).point = tagKRN3D{0, 0, 20, 0};
    for (int k = 0; k < 1000 && A(0).phase == PHASE_PUSHBACK; ++k) Ticks(1);
    EXPECT_EQ(A(0).phase, PHASE_STILL);
    EXPECT_EQ(O(0).speed, 0.0);
    EXPECT_NEAR(O(0).pos.z, 20.0, 2.0);
}

TEST_F(MoveCase, TaxiLeaderStopsItsLinkedAircraftAndAsksAgainLater) {
    Plane(0, 0, 0, 100, 0, 0.3, PHASE_TAXI_TO_POINT);
    Plane(1, 0, 0, 130, 0, 0.3, PHASE_TAXI_TO_POINT);
    A(0).point = tagKRN3D{0, 0, 0, 0};
    A(1).point = tagKRN3D{0, 0, -200, 0};
    A(0).links = 1;
    A(0).linked[0] = 1;
    A(0).leadstop = 1;
    A(0).status = 0x42000;
    while (!(O(0).state & 0x10)) Ticks(1);
    EXPECT_EQ(A(1).tspeed, 0.0);
    EXPECT_EQ(A(1).sstep, -0.01);
    EXPECT_EQ(A(0).leadstop, 0);
    for (int k = 0; k < 100 && A(0).phase == PHASE_TAXI_TO_POINT; ++k) Ticks(1);
    EXPECT_EQ(A(0).phase, PHASE_STILL);
    EXPECT_EQ(A(0).reqtimer, 300) << "a request ten seconds later";
    EXPECT_EQ(A(0).status, 0x42000);
}

TEST_F(MoveCase, DirectFlightBrakesInTheAirAndTurnsOnTheSpot) {
    Plane(0, 0, 300, 0, 0, 1.0, PHASE_DIRECT_TO_POINT);
    A(0).point = tagKRN3D{0, 300, -100, 0};
    A(0).course = 30;
    for (int k = 0; k < 400 && O(0).speed > 0; ++k) Ticks(1);
    EXPECT_EQ(O(0).speed, 0.0);
    EXPECT_EQ(A(0).phase, PHASE_DIRECT_TO_POINT) << "at rest in the air it stays in 900";
    EXPECT_EQ(O(0).pos.y, 300.0);
    EXPECT_LT(O(0).angle.y, 29.0);
    Ticks(300);
    EXPECT_GE(O(0).angle.y, 29.5) << "turns on the spot toward its course";
    EXPECT_LT(O(0).angle.y, 31.0);
    EXPECT_EQ(O(0).speed, 0.0);
    // A heading error of 120 triples to 360: no turn.
    Plane(0, 0, 300, 0, 0, 1.0, PHASE_DIRECT_TO_POINT);
    A(0).point = tagKRN3D{-866.0254037844386, 300, 500, 0};
    Ticks(1);
    EXPECT_EQ(O(0).angle.y, 0.0);
    // Standing on its point it stays finite.
    Plane(0, 50, 0, 50, 0, 0, PHASE_DIRECT_TO_POINT);
    A(0).point = O(0).pos;
    Ticks(10);
    EXPECT_TRUE(std::isfinite(O(0).pos.x) && std::isfinite(O(0).angle.x));
    // Setting down on a point at the ground height: at the ground, speed 0 and no runway.
    Plane(0, 0, 0.5, 0, 0, 0.5, PHASE_DIRECT_TO_POINT);
    A(0).point = tagKRN3D{0, -10, -200, 0};
    A(0).talt = 0;
    A(0).runway = 3;
    for (int k = 0; k < 300 && O(0).pos.y != 0; ++k) Ticks(1);
    EXPECT_EQ(O(0).pos.y, 0.0);
    EXPECT_EQ(O(0).speed, 0.0);
    EXPECT_EQ(O(0).angle.x, 0.0);
    EXPECT_EQ(A(0).runway, 0);
}

// ---- separation and area ----

TEST_F(MoveCase, SeparationTable) {
    struct Case {
        const char* what;
        const char* a;
        const char* b;
        double ya, yb, distance;
        int stripb;
        int result;
    };
    const Case cases[] = {
        {"two JAF on the ground at 40", "JAF", "JAF", 0, 0, 40, 1, 0},
        {"JAF and another on the ground at 40", "JAF", "JAL", 0, 0, 40, 1, STAGE_HEADON},
        {"airborne at 250", "JAL", "JAL", 500, 500, 250, 1, 0},
        {"airborne at 150", "JAL", "JAL", 500, 500, 150, 1, STAGE_NEARMISS},
        {"on the ground and airborne above", "JAL", "JAL", 0, 30, 0, 1, STAGE_NEARMISS},
        {"equal strip slots never", "JAL", "JAL", 500, 500, 10, 0, 0},
    };
    for (const Case& c : cases) {
        SetStageState(STAGE_PLAY);
        Plane(0, 0, c.ya, 0, 0, 0, PHASE_STILL);
        Plane(1, c.distance, c.yb, 0, 0, 0, PHASE_STILL);
        std::snprintf(A(0).airline, sizeof A(0).airline, "%s", c.a);
        std::snprintf(A(1).airline, sizeof A(1).airline, "%s", c.b);
        A(1).stripslot = c.stripb;
        UpdateAircraft(0);
        EXPECT_EQ(GetStageState(), c.result ? c.result : STAGE_PLAY) << c.what;
        EXPECT_EQ(A(0).conflict, c.result ? 2 : 0) << c.what;
        EXPECT_EQ(A(1).conflict, c.result ? 1 : 0) << c.what;
        if (c.result) {
            EXPECT_EQ(A(0).conflict2, int(std::nearbyint(std::hypot(c.distance, c.yb - c.ya))))
                << c.what;
            EXPECT_EQ(GetCameraRecord().state & kCameraModeMask, 0x7000u) << c.what;
            EXPECT_EQ(GetCameraRecord().object2, 0);
            EXPECT_EQ(GetCameraRecord().object, 1);
        }
        // The conflict words hold until the next call's first tick.
        Ticks(1);
        EXPECT_EQ(A(0).conflict, c.result ? 2 : 0) << c.what;
        GetCameraRecord() = CameraRecord{};
    }
    // While a result shows, a conflict changes neither the result nor the camera.
    SetStageState(STAGE_CLEAR);
    Plane(0, 0, 500, 0, 0, 0, PHASE_STILL);
    Plane(1, 100, 500, 0, 0, 0, PHASE_STILL);
    UpdateAircraft(0);
    EXPECT_EQ(GetStageState(), STAGE_CLEAR);
    EXPECT_EQ(A(0).conflict, 2);
    EXPECT_EQ(A(0).conflict2, 100);
    EXPECT_EQ(GetCameraRecord().state, 0u);
}

TEST_F(MoveCase, AircraftLeaveThePlayingArea) {
    struct Case {
        double x, z;
        bool stays;
    };
    for (const Case& c : {Case{15000, 0, true}, Case{15000.5, 0, false}, Case{0, -15000.5, false},
                          Case{-15000, 15000, true}}) {
        Plane(0, c.x, 500, c.z, 0, 0, PHASE_STILL);
        Body(0);
        A(0).strip = 0x1203;
        UpdateAircraft(0);
        EXPECT_EQ(O(0).used, c.stays ? 1 : 0) << c.x << " " << c.z;
        EXPECT_EQ(A(0).strip, c.stays ? 0x1203 : 0x1f02) << c.x << " " << c.z;
    }
    // The selected one takes its menu, panel and camera with it.
    Plane(0, 15000.5, 500, 0, 0, 0, PHASE_STILL);
    Body(0);
    SetSelectedAircraft(0);
    UpdateAircraft(0);
    EXPECT_EQ(GetSelectedAircraft(), -1);
    EXPECT_FALSE(IsCommandMenuShown());
    EXPECT_FALSE(IsFlightInfoShown());
    EXPECT_STREQ(GetCameraCaption(), "PANORAMIC CAM");
    // Removed, it is in no conflict with the aircraft beside it.
    Plane(0, 15000.5, 500, 0, 0, 0, PHASE_STILL);
    Plane(1, 14990, 500, 0, 0, 0, PHASE_STILL);
    Body(0);
    UpdateAircraft(0);
    EXPECT_EQ(GetStageState(), STAGE_PLAY);
    EXPECT_EQ(A(1).conflict, 0);
}

TEST_F(MoveCase, LandingLightsGrowWithTheCameraDistanceAndFarModelsGoSimple) {
    struct Case {
        double distance, scale;
        int simple;
    };
    const Case cases[] = {
        {1000, 1.0, 0}, {2200, 2.5, 1}, {3400, 4.0, 1}, {5000, 4.0, 1}, {2000, 2.25, 0}};
    for (const Case& c : cases) {
        Plane(0, c.distance, 0, 0, 0, 0, PHASE_STILL);
        Body(0);
        O(0).ldlightl = Layer("ldl");
        O(0).ldlightr = Layer("ldr");
        O(0).simple = Layer("simple");  // beside the full model here
        A(0).ldlights = 1;
        UpdateAircraft(0);
        EXPECT_EQ(A(0).camdist, c.distance);
        EXPECT_EQ(O(0).ldlightl->scale.x, c.scale) << c.distance;
        EXPECT_EQ(O(0).ldlightr->scale.z, c.scale) << c.distance;
        EXPECT_EQ(O(0).simple->blink, c.simple) << c.distance;
        EXPECT_EQ(O(0).layer->blink, 1 - c.simple) << c.distance;
    }
}

TEST_F(MoveCase, PhaseChangesAreTraced) {
    const uintmax_t from = gametrace::TraceEnd();
    Plane(0, 0, 0, 0, 340, 0, PHASE_TAKEOFF);
    A(0).tspeed = Knots(250);
    A(0).sstep = A(0).tspeed / 600;
    Ticks(403);
    std::vector<std::string> lines;
    for (const std::string& l : gametrace::TraceLines(from, "phase 0 ")) lines.push_back(l);
    EXPECT_EQ(lines, std::vector<std::string>{"phase 0 700 20"});
}
