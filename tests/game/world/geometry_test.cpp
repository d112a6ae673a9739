// Geometry on vectors and records: the angle rules across north, distances and bearings, look
// angles, the camera's eye placements and the aircraft's turn and pitch steps.
#include <cmath>

#include "world_fixture.h"

namespace {

using worldtest::V;

constexpr double kR = 57.295779513;  // the radius of a turn of 1 degree a tick at speed 1
double S(double deg) { return std::sin(deg * M_PI / 180); }
double C(double deg) { return std::cos(deg * M_PI / 180); }

void ExpectVec(const tagKRN3D& got, const tagKRN3D& want, const char* what, double eps = 1e-9) {
    EXPECT_NEAR(got.x, want.x, eps) << what;
    EXPECT_NEAR(got.y, want.y, eps) << what;
    EXPECT_NEAR(got.z, want.z, eps) << what;
}

TEST(WorldGeometry, TurnSignsAcrossNorth) {
    struct Case {
        int target;
        double heading;
        double sign;
        int direction;
    };
    const Case cases[] = {
        {10, 350.4, 0.2, 1},   // 10 - 350 = -340, normalised 20
        {350, 10.0, -0.2, 2},  // 340 -> -20
        {90, 89.6, 0.0, 0},    // the heading rounds to the target
        {90, 90.5, 0.0, 0},    // 90.5 rounds to even: 90
        {90, 91.5, -0.2, 2},   // 91.5 rounds to 92
        {180, 0.0, 0.2, 1},    // 180 stays 180
        {0, 180.0, -0.2, 2},   // -180 stays -180
        {0, 181.0, 0.2, 1},    // -181 gains 360: 179
        {359, 0.0, -0.2, 2},   // 359 at 181 and above loses 360
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TurnSign(c.target, c.heading), c.sign) << c.target << " from " << c.heading;
        EXPECT_EQ(TurnDirection(c.target, c.heading), c.direction)
            << c.target << " from " << c.heading;
        EXPECT_EQ(TurnSignD(c.target, std::nearbyint(c.heading)), c.sign) << c.target;
    }
    EXPECT_EQ(TurnSignD(10.4, 350.0), 0.2);  // the difference is rounded: -339.6 -> -340
    EXPECT_EQ(TurnSignD(0.3, 0.0), 0.0);
}

TEST(WorldGeometry, AngleDifferencesAndBetweenness) {
    EXPECT_DOUBLE_EQ(ClampAngleDiff(10, 350.0, 5), 5);
    EXPECT_DOUBLE_EQ(ClampAngleDiff(350, 10.0, 5), -5);
    EXPECT_DOUBLE_EQ(ClampAngleDiff(350, 10.0, 45), -20);
    EXPECT_DOUBLE_EQ(ClampAngleDiff(0, 180.0, 500), -180);

    struct Case {
        double a, b, c;
        int between, outside;
    };
    const Case cases[] = {
        {350, 0, 10, 1, 0},                        // across north
        {10, 0, 350, 1, 0},    {0, 20, 10, 0, 1},  // beyond c
        {0, 0, 10, 0, 0},                          // p = 0 is neither
        {170, 180, 190, 1, 0}, {190, 175, 200, 0, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AngleBetween(c.a, c.b, c.c), c.between) << c.a << " " << c.b << " " << c.c;
        EXPECT_EQ(AngleOutside(c.a, c.b, c.c), c.outside) << c.a << " " << c.b << " " << c.c;
    }

    tagKRN3D out;
    const tagKRN3D angles = V(350, -170, 20);
    const tagKRN3D ref = V(10, 170, 20);
    UnwrapAngles(&out, &angles, &ref);
    ExpectVec(out, V(-10, 190, 20), "unwrapped");
}

TEST(WorldGeometry, RotationsTurnEachAxisInItsOrder) {
    tagKRN3D out;
    const tagKRN3D v = V(1, 2, 3);
    const tagKRN3D zero = V(0, 0, 0);
    RotateVector3(&out, &v, &zero);
    EXPECT_EQ(out.x, 1);
    EXPECT_EQ(out.y, 2);
    EXPECT_EQ(out.z, 3);

    const tagKRN3D north = V(0, 0, 10);
    RotateY(&out, &north, 90);  // heading 90 points along +x
    ExpectVec(out, V(10, 0, 0), "RotateY 90");
    RotateX(&out, &north, 90);
    ExpectVec(out, V(0, -10, 0), "RotateX 90");

    // About z first, then x, then y.
    const tagKRN3D x1 = V(1, 0, 0);
    const tagKRN3D order = V(90, 90, 90);
    RotateVector3(&out, &x1, &order);  // z: (0,1,0); x: (0,0,1); y: (1,0,0)
    ExpectVec(out, V(1, 0, 0), "z, x, y");
    tagKRN3D same = V(0, 0, 5);
    const tagKRN3D yonly = V(0, 30, 0);
    RotateVector3(&same, &same, &yonly);  // in place
    ExpectVec(same, V(5 * S(30), 0, 5 * C(30)), "in place");
}

TEST(WorldGeometry, DistancesBearingsAndLookAngles) {
    const tagKRN3D o = V(0, 0, 0);
    const tagKRN3D p = V(3.4, 100, 4.4);
    EXPECT_DOUBLE_EQ(Distance2D(&o, &p), std::sqrt(3.4 * 3.4 + 4.4 * 4.4));
    const tagKRN3D q = V(2.5, 1.5, 3.5);  // rounds to 2, 2, 4
    EXPECT_DOUBLE_EQ(Distance3DInt(&o, &q), std::sqrt(4.0 + 4.0 + 16.0));

    // A point at heading 10.2 from the second point.
    const tagKRN3D at = V(100 * S(10.2), 0, 100 * C(10.2));
    EXPECT_EQ(BearingInt(&at, &o), 11);
    EXPECT_NEAR(Bearing(&at, &o), 10.2, 1e-9);
    EXPECT_EQ(ReverseBearingInt(&at, &o), 190);
    EXPECT_NEAR(ReverseBearing(&at, &o), 190.2, 1e-9);
    const tagKRN3D west = V(-100, 0, 0);  // heading -90 kept in 0..359
    EXPECT_EQ(BearingInt(&west, &o), 270);
    EXPECT_DOUBLE_EQ(Bearing(&west, &o), 270);
    EXPECT_EQ(ReverseBearingInt(&west, &o), 90);
    const tagKRN3D above = V(0, 50, 0);
    EXPECT_EQ(BearingInt(&above, &o), 0);
    EXPECT_EQ(Bearing(&above, &o), 0.0);
    EXPECT_EQ(ReverseBearingInt(&above, &o), 0);
    EXPECT_EQ(ReverseBearing(&above, &o), 0.0);

    tagKRN3D look;
    LookAngles(&o, &above, &look);
    EXPECT_NEAR(look.x, -90, 1e-9);
    EXPECT_EQ(look.y, 0);
    EXPECT_EQ(look.z, 0);
    const tagKRN3D below = V(-10, -10, 0);
    double h = 0, l = 0;
    LookAnglesEx(&o, &below, &look, &h, &l);
    EXPECT_NEAR(look.x, 45, 1e-9);  // looking down is positive
    EXPECT_NEAR(look.y, -90, 1e-9);
    EXPECT_DOUBLE_EQ(h, 10);
    EXPECT_DOUBLE_EQ(l, std::sqrt(200.0));
    // Two equal points: level and straight ahead, not NaN.
    tagKRN3D same = V(5, 5, 5);
    same.t = 7;
    LookAngles(&same, &same, &look);
    EXPECT_EQ(look.x, 0);
    EXPECT_EQ(look.y, 0);
    EXPECT_EQ(look.z, 0);
    EXPECT_EQ(look.t, 7);
}

class WorldSteps : public worldtest::Tables {};

TEST_F(WorldSteps, HeadingStepClampsInTheAirAndByTheSpeedOnTheGround) {
    Obj(2).pos = V(0, 300, 0);  // airborne: ground 0
    EXPECT_DOUBLE_EQ(HeadingStep(350, 10, 2), -0.2);
    EXPECT_DOUBLE_EQ(HeadingStep(10.1, 10, 2), 10.1 - 10);
    EXPECT_EQ(HeadingStep(10, 10, 2), 0.0);
    Obj(2).pos = V(0, 0, 0);
    Obj(2).speed = 0.5;
    Air(2).tspeed = 2.0;
    EXPECT_DOUBLE_EQ(HeadingStep(90, 0, 2), 0.25);
    Air(2).tspeed = 0;  // no target speed: 46.3 / 108 stands in
    EXPECT_DOUBLE_EQ(HeadingStep(0, 90, 2), -(0.5 / (46.3 / 108)));
}

TEST_F(WorldSteps, TurnStepsOnFixedRecords) {
    struct Case {
        const char* name;
        void (*step)(int);
        double y;  // the object's height (ground 0)
        double speed, tspeed, tlimit;
        int course;
        double heading;
        double radius;  // expected R; 0 = expect a zero vector
        bool back;
    };
    const Case cases[] = {
        {"TurnAndMove ground", TurnAndMove, 0, 1.0, 2.0, 0, 90, 0, 2 * kR, false},
        {"TurnAndMove air x5", TurnAndMove, 100, 1.0, 0.5, 0, 90, 0, 1.0 * kR * 5, false},
        {"Sharp", TurnAndMoveSharp, 0, 1.0, 9.0, 0, 270, 0, kR * 5, false},
        {"Radius ground", TurnAndMoveRadius, 0, 1.0, 0, 0, 180, 350, kR, false},
        {"Radius air / tlimit", TurnAndMoveRadius, 100, 1.0, 0, 4, 180, 350, kR / 4, false},
        {"Radius air, tlimit 0", TurnAndMoveRadius, 100, 1.0, 0, 0, 180, 350, 0, false},
        {"Radius2", TurnAndMoveRadius2, 0, 2.0, 0, 4, 10, 350.4, 2 * kR / 4, false},
        {"Radius2, tlimit 0", TurnAndMoveRadius2, 0, 2.0, 0, 0, 10, 350.4, 0, false},
        {"Back", TurnAndMoveBack, 0, 1.0, 0, 0, 300, 20, kR, true},
        {"on course", TurnAndMove, 0, 1.0, 0, 0, 90, 89.6, 0, false},
    };
    for (const Case& c : cases) {
        Obj(4) = ObjectRecord{};
        Air(4) = AircraftRecord{};
        Obj(4).pos = V(0, c.y, 0);
        Obj(4).speed = c.speed;
        Obj(4).angle = V(0, c.heading, 0);
        Air(4).tspeed = c.tspeed;
        Air(4).tlimit = c.tlimit;
        Air(4).course = c.course;
        Air(4).velocity = V(9, 9, 9);
        c.step(4);
        const tagKRN3D& v = Air(4).velocity;
        if (c.radius == 0) {
            ExpectVec(v, V(0, 0, 0), c.name);
            continue;
        }
        // Y(a): (0, 0, +-R) turned about y by a.
        const double r = c.back ? -c.radius : c.radius;
        const bool right = TurnSign(c.course, c.heading) > 0;
        const double a1 = right ? c.heading - 90 : c.heading - 270;
        const double a2 = right ? c.course + 90 : c.course - 90;
        ExpectVec(v, V(r * S(a1) + r * S(a2), 0, r * C(a1) + r * C(a2)), c.name, 1e-7);
    }
}

TEST_F(WorldSteps, PitchStepClimbsAndDescendsAndHoldsWithoutARate) {
    struct Case {
        double pitch, speed, prate;
    };
    const Case cases[] = {{10, 1.0, 2.0}, {-10, 1.0, 2.0}, {0, 3.0, 0.5}};
    for (const Case& c : cases) {
        Obj(1).angle = V(c.pitch, 0, 0);
        Obj(1).speed = c.speed;
        Air(1).prate = c.prate;
        tagKRN3D v;
        PitchStep(1, &v);
        const double r = kR * c.speed / c.prate;
        const double a = c.pitch > 0 ? c.pitch - 90 : c.pitch - 270;
        // (0, 0, -R) turned about x by a: y = R sin a, z = -R cos a; then y moves by R.
        const double y = r * S(a) + (c.pitch > 0 ? r : -r);
        ExpectVec(v, V(0, y, -r * C(a)), "pitch step", 1e-7);
    }
    Air(1).prate = 0;  // creation never sets it
    tagKRN3D v = V(1, 1, 1);
    PitchStep(1, &v);
    ExpectVec(v, V(0, 0, 0), "prate 0");
}

TEST_F(WorldSteps, CameraEyesFromObjectsAndViewPoints) {
    CameraRecord& cam = GetCameraRecord();
    cam.distance = 100;
    cam.offset = V(0, 10, 0);
    Obj(3).used = 1;
    Obj(3).pos = V(50, 20, 50);
    Obj(3).angle = V(0, 90, 0);
    Obj(20).used = 1;
    Obj(20).pos = V(999, 999, 999);  // slots from 20 on use their view point's point
    GetViewPointTable()[0].point = V(1, 2, 3);

    tagKRN3D eye, angles;
    const tagKRN3D north = V(0, 0, 0);
    ASSERT_EQ(CameraOffsetFromObject(&north, 3, &eye), 1);
    ExpectVec(eye, V(50, 30, -50), "from object 3");
    ASSERT_EQ(CameraOffsetFromObject(&north, 20, &eye), 1);
    ExpectVec(eye, V(1, 12, -97), "from view point 20");
    EXPECT_EQ(CameraOffsetFromObject(&north, 7, &eye), 0);  // not in use

    ASSERT_EQ(CameraOffsetFromAngles(&north, 3, &eye, &angles), 1);
    ExpectVec(angles, V(0, 90, 0), "angles of object 3");
    ExpectVec(eye, V(-50, 30, 50), "behind object 3");

    Obj(5).used = 1;
    Obj(5).pos = V(50, 20, 150);
    const tagKRN3D none = V(0, 0, 0);
    ASSERT_EQ(CameraOffsetToward(&none, &none, 3, 5, &eye, &angles), 1);
    ExpectVec(angles, V(0, 0, 0), "toward 5");
    ExpectVec(eye, V(50, 30, -50), "eye toward 5");
    EXPECT_EQ(CameraOffsetToward(&none, &none, 3, 6, &eye, &angles), 0);

    EXPECT_EQ(&GetViewPoint(20), &GetViewPointTable()[0]);
    EXPECT_EQ(GetViewPoint(19).height, 0);  // outside the table: zeros
    EXPECT_EQ(GetViewPoint(100).point.x, 0);
}

}  // namespace
