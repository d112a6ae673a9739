// Vectors, prepared rotations, angles and array helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "krn_fixture.h"

namespace {

constexpr double kEps = 1e-12;

struct AngleCase {
    double in;
    double range360;
    double range180;
};
const AngleCase
    kAngles[] =
        {
            {-30, 330, 150},  {720, 0, -180},        {10, 10, -170},   {360, 0, -180},
            {-360, 0, -180},  {359.5, 359.5, 179.5}, {-725, 355, 175}, {0, 0, -180},
            {1e300, 0, -180},  // huge values are reduced, not stepped
};

TEST(KrnAngles, Range360AndRange180) {
    for (const auto& c : kAngles) {
        double r = KRN_Range360(c.in);
        EXPECT_GE(r, 0.0) << c.in;
        EXPECT_LT(r, 360.0) << c.in;
        if (std::fabs(c.in) < 1e6) {
            EXPECT_NEAR(r, c.range360, 1e-9) << "Range360(" << c.in << ")";
            EXPECT_NEAR(KRN_Range180(c.in), c.range180, 1e-9) << "Range180(" << c.in << ")";
        }
    }
}

TEST(KrnAngles, NonFiniteAnglesEndAtOnce) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double a : {inf, -inf, nan}) {
        EXPECT_EQ(KRN_Range360(a), 0.0) << a;
        EXPECT_EQ(KRN_Range180(a), -180.0) << a;
    }
}

TEST(KrnAngles, Conversions) {
    EXPECT_DOUBLE_EQ(KRN_Pie(), 3.14159265358979323846);
    EXPECT_DOUBLE_EQ(KRN_DegToRad(180.0), KRN_Pie());
    EXPECT_DOUBLE_EQ(KRN_RadToDeg(KRN_Pie() / 2), 90.0);
}

struct RotateCase {
    const char* order;
    tagKRN3D angles;
    tagKRN3D in;
    tagKRN3D out;
};
const RotateCase kRotations[] = {
    {"ZXY", V(90, 0, 0), V(0, 1, 0), V(0, 0, 1)},
    {"X", V(90, 0, 0), V(0, 0, 1), V(0, -1, 0)},
    {"Y", V(0, 90, 0), V(1, 0, 0), V(0, 0, -1)},
    {"Z", V(0, 0, 90), V(1, 0, 0), V(0, 1, 0)},
    // The order matters: about X then Z, or about Z then X.
    {"XZ", V(90, 0, 90), V(0, 1, 0), V(0, 0, 1)},
    {"ZX", V(90, 0, 90), V(0, 1, 0), V(-1, 0, 0)},
    {"zyx", V(0, 0, 90), V(1, 0, 0), V(0, 1, 0)},   // lower case letters count
    {"Q-", V(90, 90, 90), V(1, 2, 3), V(1, 2, 3)},  // no axis letter: identity
};

TEST(KrnRotations, FastRotateByOrder) {
    for (const auto& c : kRotations) {
        tagKRNFFR ffr;
        KRN_MakeFastRotate3D(&ffr, &c.angles, c.order);
        tagKRN3D out{9, 9, 9, 7};
        KRN_FastRotate3D(&out, &c.in, &ffr);
        EXPECT_NEAR(out.x, c.out.x, kEps) << c.order;
        EXPECT_NEAR(out.y, c.out.y, kEps) << c.order;
        EXPECT_NEAR(out.z, c.out.z, kEps) << c.order;
    }
}

TEST(KrnRotations, PreparedRotationRecord) {
    tagKRNFFR ffr;
    tagKRN3D a = V(30, 60, 90);
    KRN_MakeFastRotate3D(&ffr, &a, "yXq");
    EXPECT_STREQ(ffr.calc, "YX");
    EXPECT_EQ(ffr.bm, 1);
    EXPECT_EQ(ffr.bx, 1);
    EXPECT_EQ(ffr.by, 1);
    EXPECT_EQ(ffr.bz, 0);
    EXPECT_NEAR(ffr.sinx, 0.5, kEps);
    EXPECT_NEAR(ffr.cosy, 0.5, kEps);
    KRN_MakeFastRotate3D(&ffr, &a, "");
    EXPECT_EQ(ffr.bm, 0);
    EXPECT_STREQ(ffr.calc, "");
}

TEST(KrnRotations, EngineWideOrder) {
    char old[4];
    KRN_DefineRotate3D(nullptr, old);
    EXPECT_STREQ(old, "ZXY");  // the initial order
    char again[4];
    KRN_DefineRotate3D(nullptr, again);
    EXPECT_STREQ(again, "ZXY") << "reading alone changes nothing";

    KRN_DefineRotate3D("Z", nullptr);
    tagKRN3D p = V(1, 0, 0), a = V(90, 0, 90), out{};
    KRN_Rotate3D(&out, &p, &a);
    EXPECT_NEAR(out.y, 1.0, kEps) << "only Z applies";
    KRN_DefineRotate3D("ZXY", old);
    EXPECT_STREQ(old, "Z");

    // FreeRotate3D without an axis letter leaves dst alone.
    tagKRN3D keep = V(5, 6, 7, 8);
    KRN_FreeRotate3D(&keep, &p, &a, "--");
    EXPECT_EQ(keep.x, 5);
    EXPECT_EQ(keep.t, 8);
}

TEST(KrnVectors, Arithmetic) {
    tagKRN3D a = V(1, 2, 3, 4), b = V(10, 20, 30, 40), d = V(0, 0, 0, 99);
    KRN_Add3D(&d, &a, &b);
    EXPECT_EQ(d.x, 11);
    EXPECT_EQ(d.z, 33);
    EXPECT_EQ(d.t, 99) << "t is left alone";
    KRN_Sub3D(&d, &a, &b);
    EXPECT_EQ(d.y, -18);
    KRN_Mul3D(&d, &a, &b);
    EXPECT_EQ(d.z, 90);
    KRN_Reverse3D(&d, &a);
    EXPECT_EQ(d.x, -1);
    KRN_Shift3D(&a, &a, &a);  // dst may be a source
    EXPECT_EQ(a.y, 4);
    KRN_Set3D(&d, 1, 2, 3, 4);
    KRN_Copy3D(&b, &d);
    EXPECT_EQ(b.t, 4);
    EXPECT_EQ(KRN_Comp3D(&b, &d), 1);
    b.z += 1e-9;
    EXPECT_EQ(KRN_Comp3D(&b, &d), 0);
    KRN_Zero3D(&d);
    EXPECT_EQ(KRN_CompZero3D(&d), 1);
    tagKRN3D p = V(0, 3, 0), q = V(4, 0, 0);
    EXPECT_DOUBLE_EQ(KRN_Length3D(&p, &q), 5.0);
}

TEST(KrnVectors, NormalsAndPlanes) {
    tagKRN3D n;
    KRN_Normal3D(&n, 3, 0, 4);
    EXPECT_DOUBLE_EQ(n.x, 0.6);
    EXPECT_DOUBLE_EQ(n.z, 0.8);
    EXPECT_EQ(n.t, 0);
    KRN_Normal3D(&n, 0, 0, 0);
    EXPECT_EQ(KRN_CompZero3D(&n), 1) << "a zero vector gives no NaN";
    EXPECT_FALSE(std::isnan(n.x));

    tagKRN3D v0 = V(0, 0, 0), v1 = V(1, 0, 0), v2 = V(1, 1, 0), f = V(0, 0, 0, 7);
    KRN_FaceNormal3D(&f, &v0, &v1, &v2);
    EXPECT_DOUBLE_EQ(f.z, 1.0);
    EXPECT_EQ(f.t, 7) << "t untouched";

    tagKRN3D a = V(1, 0, 0), b = V(0, 1, 0), c = V(0, 0, 1), avg;
    KRN_AverageNormal3D(&avg, &a, &b, &c);
    EXPECT_NEAR(avg.x, 1 / std::sqrt(3.0), kEps);

    tagKRN3D p0 = V(2, 0, 0), p1 = V(0, 4, 0), p2 = V(0, 0, 5), plane;
    KRN_Face3D(&plane, &p0, &p1, &p2);
    EXPECT_NEAR(plane.x, 0.5, kEps);
    EXPECT_NEAR(plane.y, 0.25, kEps);
    EXPECT_NEAR(plane.z, 0.2, kEps);
}

TEST(KrnVectors, RealArrays) {
    double a[6] = {0, 0, 0, 0, 9, 9};
    KRN_ClearReal(a, 4, 2.5);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a[i], 2.5) << i;
    EXPECT_EQ(a[4], 9);
    double b[4] = {1, 2, 3, 4};
    KRN_MoveReal(b + 1, b, 3);  // forward, one by one: the first value repeats
    EXPECT_EQ(b[3], 1);
}

}  // namespace
