// wyndemob's night approaches as data: the blinking approach light and the cockpit's camera,
// against the scene tables.
#include <gtest/gtest.h>

#include <cmath>

#include "approach.h"
#include "tours.h"

namespace {

struct FlushCase {
    const char* what;
    int line;
    double x, y, z;
    int t;
    double px, py, pz;
    int scaled;
    double scale;
};
// The camera 2000 away from the fixed point (-827, 4, 492): (-827, 4, 2492).
const FlushCase kFlush[] = {
    {"at the fixed point, t 0: the line's start, scale 1.5", 3, -827, 4, 492, 0, -827, 4, 492, 1,
     1.5},
    {"t 250, 2000 away: half way, scale 2.0", 3, -827, 4, 2492, 250, -718, 4, 304, 1, 2.0},
    {"t 600: below the ground, scale kept", 3, -827, 4, 2492, 600, 0, -100, 0, 0, 0},
    {"t 999: still gone", 3, -827, 4, 2492, 999, 0, -100, 0, 0, 0},
    {"t 1000: back at the line's start", 3, -827, 4, 2492, 1000, -827, 4, 492, 1, 2.0},
    {"999 away: 0.999 is below 1.0, so 1.5", 3, -827, 4, 1491, 0, -827, 4, 492, 1, 1.5},
    {"1000 away: 1.0", 3, -827, 1004, 492, 0, -827, 4, 492, 1, 1.0},
    {"FlushSet4 t 250: its own line", 4, -827, 4, 2492, 250, 754, 4, -262, 1, 2.0},
    {"FlushSet4 t 1700: gone", 4, -827, 4, 2492, 1700, 0, -100, 0, 0, 0},
};

TEST(NightApproach, FlushLightBlinksAlongItsLine) {
    for (const FlushCase& c : kFlush) {
        const FlushPose p = FlushAt(c.line, c.x, c.y, c.z, c.t);
        EXPECT_NEAR(p.pos.x, c.px, 1e-9) << c.what;
        EXPECT_NEAR(p.pos.y, c.py, 1e-9) << c.what;
        EXPECT_NEAR(p.pos.z, c.pz, 1e-9) << c.what;
        EXPECT_EQ(p.scaled, c.scaled) << c.what;
        if (c.scaled) {
            EXPECT_NEAR(p.scale, c.scale, 1e-12) << c.what;
        }
    }
}

TEST(NightApproach, SegmentsAndTheFirstSegmentsPath) {
    EXPECT_EQ(ApproachLength(1), 100000);
    EXPECT_EQ(ApproachLength(2), 14000);
    EXPECT_EQ(ApproachLength(3), 2000);
    EXPECT_EQ(ApproachLength(4), 0);
    const tagKRN3D start{-700, 10, -600, 0}, rot{0, 90, 0, 0};
    // Demo3 starts 3750 west, Demo4 4000; both end at the same point.
    EXPECT_DOUBLE_EQ(CockpitAt(0, 1, 0, start, rot).eye.x, -3750);
    EXPECT_DOUBLE_EQ(CockpitAt(1, 1, 0, start, rot).eye.x, -4000);
    for (int second : {0, 1}) {
        const CockpitPose end = CockpitAt(second, 1, 100000, start, rot);
        EXPECT_NEAR(end.eye.x, -560, 1e-9) << second;
        EXPECT_NEAR(end.eye.y, 10, 1e-9) << second;
        EXPECT_NEAR(end.eye.z, 20, 1e-9) << second;
    }
    const CockpitPose a = CockpitAt(0, 1, 50000, start, rot);
    EXPECT_NEAR(a.eye.y, 800 - 395, 1e-9);
    EXPECT_NEAR(a.rot.x, 15 - 5 + 0.5 * std::sin(50.0) + 0.2 * std::sin(20.0), 1e-9);
    EXPECT_NEAR(a.rot.y, 155, 1e-9);
    EXPECT_NEAR(a.rot.z, std::sin(30.0) + 0.5 * std::sin(50.0), 1e-9);
    EXPECT_EQ(a.flush, 1);
    // The pitch change from 95000 ms.
    const double u1 = 94999 / 100000.0, u2 = 97000 / 100000.0;
    EXPECT_NEAR(CockpitAt(0, 1, 94999, start, rot).rot.x,
                15 - 10 * u1 + 0.5 * std::sin(100 * u1) + 0.2 * std::sin(40 * u1), 1e-9);
    EXPECT_NEAR(CockpitAt(0, 1, 97000, start, rot).rot.x,
                15 - 10 * u2 + 0.5 * std::sin(100 * u2) + 0.2 * std::sin(40 * u2) - 4.0, 1e-9);
    // The caption from 5001 to 15999.
    EXPECT_EQ(CockpitAt(0, 1, 5000, start, rot).caption, 0);
    EXPECT_EQ(CockpitAt(0, 1, 5001, start, rot).caption, 1);
    EXPECT_EQ(CockpitAt(0, 1, 15999, start, rot).caption, 1);
    EXPECT_EQ(CockpitAt(0, 1, 16000, start, rot).caption, 0);
}

TEST(NightApproach, TouchDownBounceAndRollOut) {
    const tagKRN3D e{-560, 10, 20, 0}, r{0, 150, 0, 0};
    // The bounce for t < 2001 of segment 2.
    for (int t : {0, 500, 1000, 1500, 2000}) {
        const double k = t / 2000.0;
        const CockpitPose p = CockpitAt(0, 2, t, e, r);
        EXPECT_NEAR(p.eye.y, 10 - (1 - k) * 0.4 * std::sin(31.4 * k), 1e-12) << t;
        EXPECT_DOUBLE_EQ(p.rot.x, -5) << t;
        EXPECT_EQ(p.flush, 0) << t;
    }
    const CockpitPose after = CockpitAt(0, 2, 2001, e, r);
    EXPECT_DOUBLE_EQ(after.eye.y, 10);
    EXPECT_NEAR(after.rot.x, 5 - 10 * std::sin(0.00025 * 1.57 + 1.57), 1e-12);
    const double v = 4000 / 20000.0, b = std::sin(3.14 * v);
    EXPECT_NEAR(CockpitAt(0, 2, 4000, e, r).rot.y,
                150 + 0.1 * b * (std::sin(60 * v) + std::sin(100 * v)), 1e-12);
    const double w = 8000 / 20000.0, bw = std::sin(3.14 * w), aw = std::sin(1.57 * w);
    const CockpitPose late = CockpitAt(0, 2, 8000, e, r);
    EXPECT_NEAR(late.rot.y, 150 + 0.2 * bw * std::sin(60 * w) + 0.1 * bw * std::sin(100 * w),
                1e-12);
    EXPECT_DOUBLE_EQ(late.rot.x, 5);
    EXPECT_NEAR(late.eye.x, -560 + 250 * aw, 1e-12);
    EXPECT_NEAR(late.eye.z, 20 - 420 * aw, 1e-12);
    EXPECT_DOUBLE_EQ(late.rot.z, 0);
    // Segment 3: the nose settles, the eye stays.
    const tagKRN3D stop{-400, 10, -250, 0};
    const CockpitPose s = CockpitAt(0, 3, 1000, stop, r);
    EXPECT_NEAR(s.rot.x, 5 - 0.5 * 0.3 * std::sin(9.42 * 0.5), 1e-12);
    EXPECT_DOUBLE_EQ(s.rot.y, 150);
    EXPECT_DOUBLE_EQ(s.eye.x, -400);
    EXPECT_DOUBLE_EQ(s.eye.z, -250);
}

}  // namespace

namespace {

// The night spirals run wyndemoa's spiral with their own look: segment 1 fades the night's lights
// in, the snow's spiral turns the other way round.
TEST(NightSpiral, FadeInAndTurnOfTheLook) {
    const TourLook night = {{10, 10, 10}, {40, 40, 80}, 0};
    const TourLook snow = {{0, 10, 10}, {40, 40, 80}, 1};
    const tagKRN3D e{0, 0, 0, 0}, r{0, 0, 0, 0};
    const TourPose half = TourAt(TOUR_DEMO2, 1, 2000, e, r, &night);
    EXPECT_EQ(half.lights, 1);
    EXPECT_EQ(half.light0, DemoColour(5, 5, 5));
    EXPECT_EQ(half.light1, DemoColour(20, 20, 40));
    EXPECT_EQ(TourAt(TOUR_DEMO2, 1, 4000, e, r, &snow).light0, DemoColour(0, 10, 10));
    // A quarter through segment 3: the night spiral as the day's, the snow's the other way.
    const double u = 0.25, rad = 160 + 1200 * u;
    const TourPose day = TourAt(TOUR_DEMO2, 3, 25500, e, r, &night);
    EXPECT_NEAR(day.eye.x, rad * std::cos(-1.57075 + 12.566 * u), 1e-9);
    EXPECT_NEAR(day.rot.y, -720 * u, 1e-9);
    const TourPose back = TourAt(TOUR_DEMO2, 3, 25500, e, r, &snow);
    EXPECT_NEAR(back.eye.x, rad * std::cos(-1.57075 - 12.566 * u), 1e-9);
    EXPECT_NEAR(back.eye.z, 160 + rad * std::sin(-1.57075 - 12.566 * u), 1e-9);
    EXPECT_NEAR(back.rot.y, 1440 * u, 1e-9);
    // Without a look each scene keeps its own: Demo5's evening turns the other way too.
    EXPECT_NEAR(TourAt(TOUR_DEMO5, 3, 25500, e, r).rot.y, 1440 * u, 1e-9);
    EXPECT_NEAR(TourAt(TOUR_DEMO2, 3, 25500, e, r).rot.y, -720 * u, 1e-9);
}

}  // namespace
