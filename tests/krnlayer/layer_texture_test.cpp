// Texture mapping: planar and cylindrical projections, fitting, the seam, and values that
// would not end.
#include <cmath>
#include <limits>

#include "layer_fixture.h"

namespace {

using krnltest::LayerCase;
using krnltest::V;

tagKRNLT Mapping(int mode, double su, double sv) {
    tagKRNLT lt;
    std::memset(&lt, 0, sizeof lt);
    std::strcpy(lt.name, "t.bmp");
    lt.htex = 0x1000;
    lt.mode = mode;
    lt.su = su;
    lt.sv = sv;
    return lt;
}

TEST_F(LayerCase, PlanarMappingOfEachAxis) {
    tagKRNL* l = KRNL_CreateLayer(master, "Wall");
    tagKRNCHIP c = krnltest::Triangle(V(2, 1, 0.5), V(-2, 3, -0.5), V(0, -1, 1));
    c.flags = KRNCHIP_VERTEXCOLOR;
    c.red = 10;
    KRN_SetChip(krn, 0, &c);
    KRNL_CaptureLayer(l, 0, 1);
    struct Case {
        int mode;
        double p[3], q[3];  // the projected coordinates of the three vertices
    } cases[] = {
        {1, {1, 3, -1}, {0.5, -0.5, 1}},
        {2, {0.5, -0.5, 1}, {2, -2, 0}},
        {3, {2, -2, 0}, {1, 3, -1}},
    };
    for (const auto& k : cases) {
        tagKRNLT lt = Mapping(k.mode, 0.25, 0.125);
        ASSERT_EQ(KRNL_TextureLayer(l, &lt, 0), 1);
        tagKRNCHIP& m = l->lpchip[0];
        double x[3], y[3];
        for (int i = 0; i < 3; ++i) {
            x[i] = k.p[i] * 0.25 + 0.5;
            y[i] = 1.0 - k.q[i] * 0.125 + 0.5;
        }
        for (double* t : {x, y}) {
            double lo = std::fmin(t[0], std::fmin(t[1], t[2]));
            if (lo < 0)
                for (int i = 0; i < 3; ++i) t[i] += std::ceil(-lo);
        }
        for (int i = 0; i < 3; ++i) {
            EXPECT_DOUBLE_EQ(m.x[i], x[i]) << "mode " << k.mode << " vertex " << i;
            EXPECT_DOUBLE_EQ(m.y[i], y[i]) << "mode " << k.mode << " vertex " << i;
        }
        EXPECT_EQ(m.htex, 0x1000u);
        EXPECT_EQ(m.red, 255) << "textured chips are white";
        EXPECT_EQ(m.flags & KRNCHIP_VERTEXCOLOR, 0u);
        EXPECT_EQ(l->texture.mode, k.mode);
    }
    ASSERT_EQ(KRNL_TextureLayer(l, nullptr, 0), 1);
    EXPECT_EQ(l->lpchip[0].htex, 0u);
    EXPECT_EQ(l->lpchip[0].x[1], 0.0);
}

TEST_F(LayerCase, CylindricalMappingAcrossTheSeam) {
    // Around the y axis, the angle is taken from (z, x): a chip from just below a full turn to
    // just past it.
    tagKRNL* l = KRNL_CreateLayer(master, "Tank");
    tagKRNCHIP c = krnltest::Triangle(V(-0.1, 0, 1), V(0.1, 0, 1), V(0, 1, 1));
    KRN_SetChip(krn, 0, &c);
    KRNL_CaptureLayer(l, 0, 1);
    tagKRNLT lt = Mapping(5, 1.0, 0.5);
    KRNL_TextureLayer(l, &lt, 0);
    const double* x = l->lpchip[0].x;
    double lo = std::fmin(x[0], std::fmin(x[1], x[2])), hi = std::fmax(x[0], std::fmax(x[1], x[2]));
    EXPECT_LT(hi - lo, 1.0) << x[0] << " " << x[1] << " " << x[2];
    EXPECT_GT(hi - lo, 0.0);
    // Away from the seam the columns follow the angle.
    tagKRNCHIP d = krnltest::Triangle(V(1, 0, 0), V(0, 0, -1), V(1, 1, 0));
    KRN_SetChip(krn, 1, &d);
    tagKRNL* m = KRNL_CreateLayer(master, "Side");
    KRNL_CaptureLayer(m, 1, 1);
    KRNL_TextureLayer(m, &lt, 0);
    EXPECT_NEAR(m->lpchip[0].x[0], 0.75, 1e-12) << "a quarter turn";
    EXPECT_NEAR(m->lpchip[0].x[1], 0.5, 1e-12) << "half a turn";
    EXPECT_NEAR(m->lpchip[0].y[2] - m->lpchip[0].y[0], -0.5, 1e-12) << "height times sv";
}

TEST_F(LayerCase, FittingFlatLayersAndEndlessValuesEnd) {
    tagKRNL* ground = KRNL_CreateLayer(master, "Ground");
    tagKRNCHIP c = krnltest::Triangle(V(-10, 0, -10), V(-10, 0, 10), V(10, 0, 10));
    KRN_SetChip(krn, 0, &c);
    KRNL_CaptureLayer(ground, 0, 1);
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        int mode;
        double rotate, u, v;
    } cases[] = {
        {"flat along the first axis", 1, 0, 0, 0},  {"flat, fitted along y", 2, 0, 0, 0},
        {"cylinder about a flat axis", 5, 0, 0, 0}, {"infinite angle", 3, inf, 0, 0},
        {"infinite offset", 4, 0, inf, 0},          {"huge negative offset", 3, 0, -1e300, 0},
    };
    for (const auto& k : cases) {
        tagKRNLT lt = Mapping(k.mode, 1, 1);
        lt.rotate = k.rotate;
        lt.u = k.u;
        lt.v = k.v;
        bool fit = k.rotate == 0 && k.u == 0;
        ASSERT_EQ(KRNL_TextureLayer(ground, &lt, fit ? 1 : 0), 1) << k.name;
        EXPECT_TRUE(std::isfinite(lt.su) && std::isfinite(lt.sv)) << k.name;
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(std::isfinite(ground->lpchip[0].x[i])) << k.name;
            EXPECT_GE(ground->lpchip[0].x[i], 0.0) << k.name;
            EXPECT_GE(ground->lpchip[0].y[i], 0.0) << k.name;
        }
    }
    // Fitting a solid layer: the centre of its vertices and the extents.
    tagKRNL* box = KRNL_CreateLayer(master, "Box");
    tagKRNCHIP b = krnltest::Triangle(V(0, 0, 0), V(4, 2, 0), V(2, 4, 6));
    KRN_SetChip(krn, 1, &b);
    KRNL_CaptureLayer(box, 1, 1);
    tagKRNLT lt = Mapping(3, 0, 0);
    lt.u = 1;
    lt.rotate = 30;
    KRNL_TextureLayer(box, &lt, 1);
    EXPECT_DOUBLE_EQ(lt.cx, 2.0);
    EXPECT_DOUBLE_EQ(lt.cz, 2.0);
    EXPECT_DOUBLE_EQ(lt.su, 0.5 / (4 - 1));
    EXPECT_DOUBLE_EQ(lt.sv, 0.5 / 4);
    EXPECT_EQ(lt.u, 0.0);
    EXPECT_EQ(lt.rotate, 0.0);
    EXPECT_EQ(box->texture.su, lt.su) << "the layer keeps the fitted mapping";
}

}  // namespace
