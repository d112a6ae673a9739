// wyndemoa's scenes as functions of (scene, segment, t, the eye at the segment's start): the
// tours' camera paths and captions, the colour words of the fades, the time-lapse's camera and
// lights, and the fleet review's rounds and placements.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tours.h"
#include "wynplat.h"

namespace {

tagKRN3D V(double x, double y, double z) { return tagKRN3D{x, y, z, 0}; }

void ExpectNear(const tagKRN3D& a, const tagKRN3D& b, const std::string& what) {
    EXPECT_NEAR(a.x, b.x, 1e-6) << what;
    EXPECT_NEAR(a.y, b.y, 1e-6) << what;
    EXPECT_NEAR(a.z, b.z, 1e-6) << what;
}

TEST(Tours, SegmentLengths) {
    const int demo1[] = {20000, 14000, 40000, 30000, 16000};
    const int demo2[] = {4000, 11000, 102000};
    const int demo4[] = {20000, 14000, 40000, 30000, 10000, 4001, 2000};
    ASSERT_EQ(TourSegmentCount(TOUR_DEMO1), 5);
    ASSERT_EQ(TourSegmentCount(TOUR_DEMO2), 3);
    ASSERT_EQ(TourSegmentCount(TOUR_DEMO5), 3);
    ASSERT_EQ(TourSegmentCount(TOUR_DEMO4), 7);
    EXPECT_EQ(TourSegmentCount(TOUR_DEMO3), 0);
    EXPECT_EQ(TourSegmentCount(TOUR_DEMO6), 0);
    for (int s = 0; s < 5; ++s) EXPECT_EQ(TourSegmentLength(TOUR_DEMO1, s + 1), demo1[s]);
    for (int s = 0; s < 3; ++s) EXPECT_EQ(TourSegmentLength(TOUR_DEMO5, s + 1), demo2[s]);
    for (int s = 0; s < 7; ++s) EXPECT_EQ(TourSegmentLength(TOUR_DEMO4, s + 1), demo4[s]);
    EXPECT_EQ(TourSegmentLength(TOUR_DEMO1, 6), 0);
}

struct PathCase {
    int scene, segment, t;
    tagKRN3D E, R;
    tagKRN3D eye, rot;
    double viewlimit;
    int caption;
};
const PathCase kPaths[] = {
    // Demo1: segment 1 from its set-up eye to (-540, 20, -730); the caption from 5001 to 15999.
    {TOUR_DEMO1, 1, 0, V(-700, 10, -600), V(0, 90, 0), V(-700, 5, -550), V(0, 90, 0), -100, 0},
    {TOUR_DEMO1, 1, 20000, V(-700, 10, -600), V(0, 90, 0), V(-540, 20, -730), V(0, 90, 0), -100, 0},
    {TOUR_DEMO1, 1, 5000, V(0, 0, 0), V(0, 90, 0), V(-660, 8.75, -595), V(0, 90, 0), -100, 0},
    {TOUR_DEMO1, 1, 5001, V(0, 0, 0), V(0, 90, 0), V(-659.992, 8.75075, -595.009), V(0, 90, 0),
     -100, 1},
    {TOUR_DEMO1, 1, 15999, V(0, 0, 0), V(0, 90, 0), V(-572.008, 16.99925, -693.991), V(0, 90, 0),
     -100, 1},
    // Segment 2 from wherever segment 1 stopped: a segment cut short passes on its eye.
    {TOUR_DEMO1, 2, 0, V(-541, 19.9, -729), V(0, 90, 0), V(-541, 20, -729), V(0, 90, 0), -100, 0},
    {TOUR_DEMO1, 2, 7000, V(-540, 20, -730), V(0, 90, 0), V(-500, 20, -775), V(0, 45, 0), -100, 0},
    {TOUR_DEMO1, 3, 20000, V(-460, 20, -820), V(0, 0, 0), V(-260, 20, -760), V(0, 0, 0), -100, 0},
    {TOUR_DEMO1, 4, 15000, V(0, 20, 0), V(0, 0, 0), V(200, 25, 70), V(0, -15, 0), -100, 0},
    {TOUR_DEMO1, 5, 8000, V(0, 30, 0), V(0, -30, 0), V(100, 17.5, 125), V(0, -30, 0), -100, 0},
    // Demo2 and Demo5: the approach, then the spiral (view limit 0) out of the approach's end.
    {TOUR_DEMO2, 1, 2000, V(0, 0, 0), V(0, 0, 0), V(-45, 120, 160), V(0, 0, 0), -100, 0},
    {TOUR_DEMO2, 2, 5500, V(-45, 120, 160), V(0, 0, 0), V(-22.5, 120, 80), V(0, 0, 0), -100, 1},
    {TOUR_DEMO2, 3, 0, V(0, 120, 0), V(0, 0, 0),
     V(160 * std::cos(-1.57075), 120, 160 + 160 * std::sin(-1.57075)), V(0, 0, 0), 0, 0},
    {TOUR_DEMO2, 3, 51000, V(0, 0, 0), V(0, 0, 0),
     V(760 * std::cos(-1.57075 + 6.283), 75, 160 + 760 * std::sin(-1.57075 + 6.283)), V(0, -360, 0),
     0, 0},
    {TOUR_DEMO5, 3, 51000, V(0, 0, 0), V(0, 0, 0),
     V(760 * std::cos(-1.57075 - 6.283), 75, 160 + 760 * std::sin(-1.57075 - 6.283)), V(0, 720, 0),
     0, 0},
    // Demo4: segment 3 without the aircraft, the climb of segment 5, then the camera stands.
    {TOUR_DEMO4, 3, 40000, V(0, 20, 0), V(0, 0, 0), V(400, 20, 120), V(0, 0, 0), -100, 0},
    {TOUR_DEMO4, 5, 5000, V(0, 0, 0), V(0, -30, 0), V(169.526, 1230, -279.9505), V(70, -15, 0), 0,
     0},
    {TOUR_DEMO4, 5, 9000, V(0, 0, 0), V(0, -30, 0), V(33.9052, 2190, -55.9901), V(90, -3, 0), 0, 0},
    {TOUR_DEMO4, 6, 2000, V(1, 2, 3), V(90, 0, 0), V(1, 2, 3), V(90, 0, 0), -100, 0},
    {TOUR_DEMO4, 7, 1000, V(1, 2, 3), V(90, 0, 0), V(1, 2, 3), V(90, 0, 0), -100, 0},
};

TEST(Tours, CameraPathsAgainstTheirTables) {
    for (const PathCase& c : kPaths) {
        const std::string what = "scene " + std::to_string(c.scene) + " segment " +
                                 std::to_string(c.segment) + " t " + std::to_string(c.t);
        const TourPose p = TourAt(c.scene, c.segment, c.t, c.E, c.R);
        ExpectNear(p.eye, c.eye, what + " eye");
        ExpectNear(p.rot, c.rot, what + " rot");
        EXPECT_EQ(p.viewlimit, c.viewlimit) << what;
        EXPECT_EQ(p.caption, c.caption) << what;
    }
}

TEST(Tours, MovingLayersAndFades) {
    // Demo1 segment 3 turns the aircraft, 4 and 5 the radar.
    TourPose p = TourAt(TOUR_DEMO1, 3, 10000, V(0, 0, 0), V(0, 0, 0));
    ASSERT_EQ(p.plane, 1);
    ExpectNear(p.planepos, V(-405, 0, -200), "plane");
    ExpectNear(p.planeturn, V(0, 145, 0), "plane turn");
    EXPECT_EQ(TourAt(TOUR_DEMO4, 3, 10000, V(0, 0, 0), V(0, 0, 0)).plane, 0) << "no aircraft";
    p = TourAt(TOUR_DEMO1, 4, 15000, V(0, 0, 0), V(0, 0, 0));
    EXPECT_EQ(p.radr, 1);
    EXPECT_DOUBLE_EQ(p.radrturn, 1350);
    EXPECT_EQ(p.radw, 0);
    p = TourAt(TOUR_DEMO1, 5, 4000, V(0, 0, 0), V(0, 0, 0));
    EXPECT_DOUBLE_EQ(p.radrturn, 900);
    p = TourAt(TOUR_DEMO2, 3, 51000, V(0, 0, 0), V(0, 0, 0));
    EXPECT_TRUE(p.radr && p.radw);
    EXPECT_DOUBLE_EQ(p.radwturn, 4500);

    // Colour words round each channel: grey 100u at t = 1234 of 4000 is 30.85 -> 31.
    struct Fade {
        int scene, segment, t;
        DWORD light0, light1;
    };
    const Fade fades[] = {
        {TOUR_DEMO2, 1, 1234, 0x1F1F1F, 0x252525},  // 30.85 and 37.02
        {TOUR_DEMO2, 1, 2000, 0x323232, 0x3C3C3C},
        {TOUR_DEMO5, 1, 2000, 0x280A00, 0x003264},  // (0, 10, 40) and (100, 50, 0)
        {TOUR_DEMO4, 6, 1000, 0x500F00, 0x0F4B96},  // (0, 15, 80) and (150, 75, 15)
        {TOUR_DEMO4, 6, 4000, 0x500000, 0x000000},
    };
    for (const Fade& f : fades) {
        p = TourAt(f.scene, f.segment, f.t, V(0, 0, 0), V(0, 0, 0));
        ASSERT_EQ(p.lights, 1) << f.scene << " " << f.t;
        EXPECT_EQ(p.light0, f.light0) << f.scene << " " << f.t;
        EXPECT_EQ(p.light1, f.light1) << f.scene << " " << f.t;
    }
    EXPECT_EQ(TourAt(TOUR_DEMO1, 1, 1000, V(0, 0, 0), V(0, 0, 0)).lights, 0);
}

TEST(TimeLapse, CameraCloudsAndLightsBySceneTime) {
    const int base[] = {0, 4000, 14000, 46000, 78000, 110000};
    const int length[] = {4000, 10000, 32000, 32000, 32000, 4001};
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(DayBase(s + 1), base[s]);
        EXPECT_EQ(DayLength(s + 1), length[s]);
    }
    WavePose w = MoveWaveAt(0);
    ExpectNear(w.eye, V(-400, 40, 2000), "T 0");
    ExpectNear(w.rot, V(0, 180, 0.5), "T 0");
    w = MoveWaveAt(2000 + 8000 * 3);  // a = 6.283 / 4
    ExpectNear(w.eye, V(26000 * 800.0 / 150000 - 400, 40 + 3 * std::sin(6.283 / 4), 2000),
               "T 26000");
    EXPECT_DOUBLE_EQ(w.radwturn, 180);
    w = MoveWaveAt(75000);
    ExpectNear(w.cloudpos, V(5000, 0, 5000), "clouds");
    ExpectNear(w.cloudturn, V(0, 80, 0), "clouds");
    w = MoveWaveAt(150000);
    ExpectNear(w.cloudpos, V(0, 0, 0), "clouds wrap");

    DayLight l = DayLightAt(1, 2000);
    EXPECT_EQ(l.light0, 0x280000u);  // (0, 0, 40)
    EXPECT_EQ(l.sky, l.light0);
    EXPECT_EQ(l.light1, 0x141414u);
    EXPECT_EQ(DayLightAt(2, 5000).lights, 0) << "segment 2 leaves the lights";
    l = DayLightAt(3, 16000);  // u = 0.5
    EXPECT_EQ(l.light0, DemoColour(40, 20, 80));
    ExpectNear(l.ltdir, V(30, -20, -10), "segment 3");
    EXPECT_EQ(l.light1, DemoColour(80, 80, 50));
    EXPECT_EQ(l.sky, DemoColour(86, 86, 152));
    l = DayLightAt(5, 32000);
    EXPECT_EQ(l.sky, DemoColour(255, 168, 100));
    l = DayLightAt(6, 0);
    EXPECT_EQ(l.sky, DemoColour(255, 168, 100)) << "segment 6 starts where 5 ended";
    EXPECT_EQ(l.light1, DemoColour(240, 120, 0));
    EXPECT_EQ(l.setdir, 0);
    l = DayLightAt(6, 4000);
    EXPECT_EQ(l.sky, 0u);
}

TEST(FleetReview, RoundsPutSlotsInTurnAndNameTheFrontAircraft) {
    for (int n = 0; n < FLEET_ROUNDS; ++n) {
        const FleetRound r = FleetRoundAt(n);
        EXPECT_EQ(r.front, n % 3) << n;
        EXPECT_EQ(r.middle, (n + 1) % 3) << n;
        EXPECT_EQ(r.back, (n + 2) % 3) << n;
        EXPECT_EQ(r.load, r.back) << n;
        EXPECT_EQ(r.entry, n) << n;
        EXPECT_EQ(r.named, n - 2) << n;
        EXPECT_EQ(r.landing, n == 34 ? 1 : 0) << n;
    }
    // Round 34: the last aircraft (entry 32), loaded in round 32, is in front and named.
    const FleetRound r = FleetRoundAt(34);
    EXPECT_EQ(FleetRoundAt(32).load, r.front);
    EXPECT_STREQ(FleetShip(r.named).model, "YS11\\YS11JCG");
    // The table: empty entries 0, 29-31, 33-36; 29 models.
    int models = 0;
    for (int e = 0; e < FLEET_ENTRIES; ++e) {
        const bool empty = e == 0 || (e >= 29 && e <= 31) || e >= 33;
        EXPECT_EQ(FleetShip(e).model[0] == '\0', empty) << e;
        EXPECT_EQ(FleetShip(e).name[0] == '\0', empty) << e;
        models += !empty;
    }
    EXPECT_EQ(models, 29);
    EXPECT_STREQ(FleetShip(1).model, "YS11\\YS11ANK");
    EXPECT_STREQ(FleetShip(28).model, "MD90\\MD90JAS");
    EXPECT_STREQ(FleetShip(-1).model, "");
    EXPECT_STREQ(FleetShip(37).model, "");
    char name[128];
    WynPlat_ToUtf8(FleetShip(32).name, 932, name, sizeof name);
    EXPECT_STREQ(name, reinterpret_cast<const char*>(u8"海上保安庁 YS-11 ブルーイレブン"));
}

TEST(FleetReview, SlotPlacements) {
    ShipPose s = ShipAt(FLEET_FRONT, 5, 0.5);
    ExpectNear(s.pos, V(-900, 100, 850), "front");
    ExpectNear(s.rot, V(0, -20, 4 * std::sin(0.5 * 3 * 1 * 3.1415) + 4 * std::sin(6.283)), "front");
    EXPECT_DOUBLE_EQ(s.lightscale, 2.5);
    EXPECT_DOUBLE_EQ(ShipAt(FLEET_FRONT, 5, 0.9).lightscale, 1) << "never below 1";
    EXPECT_DOUBLE_EQ(s.leftdx, 5);
    EXPECT_DOUBLE_EQ(s.rightdx, -5);
    s = ShipAt(FLEET_MIDDLE, 4, 0.25);  // front slot 1: the roll is negative
    ExpectNear(s.pos, V(-2075, 350, 3500), "middle");
    EXPECT_NEAR(s.rot.z, -12 * std::sin(6.283 * 0.25), 1e-9);
    EXPECT_NEAR(ShipAt(FLEET_MIDDLE, 3, 0.25).rot.z, 12 * std::sin(6.283 * 0.25), 1e-9);
    EXPECT_DOUBLE_EQ(s.lightscale, 6);
    s = ShipAt(FLEET_BACK, 0, 1);
    ExpectNear(s.pos, V(-2300, 400, 4000), "back reaches the middle's start");
    EXPECT_DOUBLE_EQ(s.lightscale, 6);
    EXPECT_DOUBLE_EQ(s.leftdx, 10);
    ExpectNear(ShipAt(FLEET_MIDDLE, 0, 1).pos, ShipAt(FLEET_FRONT, 0, 0).pos, "middle to front");
}

}  // namespace
