// The lighting driver's builds, loaded from the program folder as the engine loads them: a
// table of lights, flags and fog distances against colours worked out by hand, smooth and flat
// shading, and what sets the builds apart.
#include <cmath>

#include "driver_rig.h"

using namespace drvtest;

namespace {

struct Light {
    DWORD mode;
    BYTE r, g, b;
    tagKRN3D normal;
    tagKRN3D pos;
    double range;
};

// One output chip lit from the world-space chip of scene slot 0: its vertices surround the
// origin in the plane z = 0, facing +z. The output chip's own vertices lie elsewhere (camera
// space), so that lighting at them would show.
struct Lit {
    Scene s{2};
    Lit(int red, int green, int blue, DWORD flags, double d) {
        tagKRNCHIP c = Chip(V(-1, -1, 0), V(1, -1, 0), V(0, 2, 0), flags | KRNCHIP_FRONT);
        c.normal = V(0, 0, 1);
        for (auto& n : c.n) n = c.normal;
        c.red = red;
        c.green = green;
        c.blue = blue;
        s.Put(0, c);
        for (auto& v : c.v) v.z += 500.0;
        for (double& dk : c.d) dk = d;
        s.calc[0] = c;
        s.krn->calc = 1;
        s.krn->red = 255;  // the background, which fog tends to
        s.krn->green = 0;
        s.krn->blue = 0;
    }
    void Add(int slot, const Light& l) {
        tagKRNLIGHT& L = s.krn->light[slot];
        L.mode = l.mode;
        L.red = l.r;
        L.green = l.g;
        L.blue = l.b;
        L.normal = l.normal;
        L.pos = l.pos;
        L.range = l.range;
    }
    void Fog(double top, double bottom) {
        s.krn->distance = 1000.0;
        s.krn->top = top;
        s.krn->bottom = bottom;
    }
    const tagKRNCHIP& Out() const { return s.Out(0); }
};

const Light kWhiteAmbient{1, 255, 255, 255, {}, {}, 0.0};

}  // namespace

TEST(LightingCheck, ReportsItsLoadFileAndTheProcessorItNeeds) {
    const CheckRow rows[] = {
        {"lgt_pasu.dll", "0200KORRIN 3D Light（標準）", "lgt_pasu.dll", 0, 1, 1, 1, 1},
        {"lgt_quil.dll", "0200KORRIN 3D Light（SSE版）", "lgt_quil.dll", 9, 1, 0, 0, 0},
        // The 3DNow! build names the portable build's file.
        {"lgt_nodo.dll", "0200KORRIN 3D Light（3DNow!版）", "lgt_pasu.dll", 5, 0, 1, 0, 0},
    };
    ExpectCheckTable(rows, std::size(rows),
                     [](const char* file) { return LoadLighting(file).check; });
}

TEST(Lighting, FlatTableAgainstHandComputedColours) {
    const tagKRN3D up = V(0, 0, 1), down = V(0, 0, -1), across = V(1, 0, 0);
    struct Row {
        const char* what;
        Light a, b;
        int red, green, blue;
        DWORD flags;
        double d;  // the chip's vertex distances
        bool fog;  // fog from 100 to 300 toward (255, 0, 0)
        int er, eg, eb, blend;
    };
    const Light none{};
    const Row rows[] = {
        {"no light", none, none, 100, 150, 200, 0, 0, false, 0, 0, 0, 0},
        {"unshaded", none, none, 100, 150, 200, KRNCHIP_UNSHADED, 0, false, 100, 150, 200, 0},
        {"white ambient", kWhiteAmbient, none, 100, 150, 200, 0, 0, false, 100, 150, 200, 0},
        {"tinted ambient",
         {1, 128, 64, 255, {}, {}, 0},
         none,
         100,
         150,
         200,
         0,
         0,
         false,
         50,
         37,
         200,
         0},
        {"two ambients", kWhiteAmbient, kWhiteAmbient, 100, 150, 200, 0, 0, false, 200, 255, 255,
         0},
        {"directional along the normal",
         {2, 255, 255, 255, up, {}, 0},
         none,
         100,
         150,
         20,
         0,
         0,
         false,
         200,
         255,
         40,
         0},
        {"directional against the normal",
         {2, 255, 255, 255, down, {}, 0},
         none,
         100,
         150,
         20,
         0,
         0,
         false,
         0,
         0,
         0,
         0},
        {"directional across the normal",
         {2, 255, 255, 255, across, {}, 0},
         none,
         100,
         100,
         100,
         0,
         0,
         false,
         100,
         100,
         100,
         0},
        {"point light close in front",
         {4, 60, 100, 50, {}, V(0, 0, 1), 100},
         none,
         7,
         7,
         7,
         0,
         0,
         false,
         118,
         198,
         99,
         0},
        {"point light beyond its range",
         {4, 60, 100, 50, {}, V(0, 0, 30), 20},
         none,
         7,
         7,
         7,
         0,
         0,
         false,
         0,
         0,
         0,
         0},
        {"point light just inside its range",
         {4, 255, 100, 50, {}, V(0, 0, 19.9), 20},
         none,
         7,
         7,
         7,
         0,
         0,
         false,
         2,
         1,
         0,
         0},
        {"point light at exactly its range",
         {4, 255, 100, 50, {}, V(0, 0, 20), 20},
         none,
         7,
         7,
         7,
         0,
         0,
         false,
         0,
         0,
         0,
         0},
        {"point light of negative range",
         {4, 255, 100, 50, {}, V(0, 0, 1), -100},
         none,
         7,
         7,
         7,
         0,
         0,
         false,
         255,
         202,
         101,
         0},
        {"point light of range 0",
         {4, 60, 100, 50, {}, V(0, 0, 1), 0},
         none,
         7,
         7,
         7,
         0,
         0,
         false,
         0,
         0,
         0,
         0},
        {"point light behind the surface",
         {4, 60, 100, 50, {}, V(0, 0, -1), 100},
         none,
         7,
         7,
         7,
         0,
         0,
         false,
         0,
         0,
         0,
         0},
        {"mode 3 adds nothing",
         {3, 255, 255, 255, up, V(0, 0, 1), 100},
         none,
         100,
         100,
         100,
         0,
         0,
         false,
         0,
         0,
         0,
         0},
        {"fog start", kWhiteAmbient, none, 100, 150, 200, 0, 100, true, 100, 150, 200, 0},
        {"fog at 150", kWhiteAmbient, none, 100, 150, 200, 0, 150, true, 154, 97, 130, 89},
        {"fog at 200", kWhiteAmbient, none, 100, 150, 200, 0, 200, true, 196, 56, 75, 158},
        {"fog end", kWhiteAmbient, none, 100, 150, 200, 0, 300, true, 100, 150, 200, 255},
        {"beyond fog end", kWhiteAmbient, none, 100, 150, 200, 0, 500, true, 100, 150, 200, 255},
        {"no-fog flag", kWhiteAmbient, none, 100, 150, 200, KRNCHIP_NOFOG, 200, true, 100, 150, 200,
         0},
        {"no far limit", kWhiteAmbient, none, 100, 150, 200, 0, 200, false, 100, 150, 200, 0},
        {"unshaded and fogged", none, none, 100, 150, 200, KRNCHIP_UNSHADED, 200, true, 196, 56, 75,
         158},
    };
    for (const char* file : {"lgt_pasu.dll", "lgt_nodo.dll"}) {
        Lighting l = LoadLighting(file);
        ASSERT_TRUE(l.bright) << file;
        for (const Row& r : rows) {
            Lit lit(r.red, r.green, r.blue, r.flags, r.d);
            if (r.a.mode) lit.Add(0, r.a);
            if (r.b.mode) lit.Add(7, r.b);
            if (r.fog) lit.Fog(100.0, 300.0);
            ASSERT_EQ(l.bright(lit.s.krn.get(), 0), 1) << r.what;
            const tagKRNCHIP& c = lit.Out();
            const std::string what = std::string(file) + ": " + r.what;
            EXPECT_EQ(c.red, r.er) << what;
            EXPECT_EQ(c.green, r.eg) << what;
            EXPECT_EQ(c.blue, r.eb) << what;
            EXPECT_EQ(c.mix, r.blend) << what;
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(c.r[k], r.er) << what << " vertex " << k;
                EXPECT_EQ(c.g[k], r.eg) << what << " vertex " << k;
                EXPECT_EQ(c.b[k], r.eb) << what << " vertex " << k;
                EXPECT_EQ(c.m[k], r.blend) << what << " vertex " << k;
            }
            EXPECT_EQ(lit.s.krn->calc, 1) << what;
        }
    }
}

TEST(Lighting, SmoothOnlyWhileTheRasterDriverDrawsWithHardware) {
    for (const char* file : {"lgt_pasu.dll", "lgt_nodo.dll"}) {
        Lighting l = LoadLighting(file);
        // Vertex normals along, against and across a white directional light; distances at the
        // fog start, half way and three quarters.
        auto make = [](DWORD accwork) {
            auto lit = std::make_unique<Lit>(100, 100, 100, KRNCHIP_SMOOTH, 0.0);
            tagKRNCHIP& c = lit->s.calc[0];
            const tagKRN3D n[3] = {V(0, 0, 1), V(0, 0, -1), V(1, 0, 0)};
            const double d[3] = {100, 200, 250};
            for (int k = 0; k < 3; ++k) {
                c.r[k] = 100;
                c.g[k] = 0;
                c.b[k] = 50;
                c.n[k] = n[k];
                c.d[k] = d[k];
            }
            lit->Add(2, {2, 255, 255, 255, V(0, 0, 1), {}, 0});
            lit->Fog(100.0, 300.0);
            lit->s.krn->accwork = accwork;
            return lit;
        };
        auto smooth = make(1);
        ASSERT_EQ(l.bright(smooth->s.krn.get(), 0), 1);
        const tagKRNCHIP& c = smooth->Out();
        const int expect[3][4] = {{200, 0, 100, 0}, {158, 0, 0, 158}, {229, 0, 8, 212}};
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(c.r[k], expect[k][0]) << file << " vertex " << k;
            EXPECT_EQ(c.g[k], expect[k][1]) << file << " vertex " << k;
            EXPECT_EQ(c.b[k], expect[k][2]) << file << " vertex " << k;
            EXPECT_EQ(c.m[k], expect[k][3]) << file << " vertex " << k;
        }
        EXPECT_EQ(c.mix, (0 + 158 + 212) / 3) << file;
        EXPECT_EQ(c.red, 100) << file << ": the face colour is left alone";

        // Software drawing: the same chip is lit once, flat, from its face.
        auto flat = make(0);
        flat->s.krn->distance = -1.0;
        ASSERT_EQ(l.bright(flat->s.krn.get(), 0), 1);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(flat->Out().r[k], 200) << file << " vertex " << k;
        EXPECT_EQ(flat->Out().red, 200) << file;
    }
}

TEST(Lighting, OutputChipWithABadSlotNumberIsLitAtItsOwnVertices) {
    Lighting l = LoadLighting("lgt_pasu.dll");
    for (int no : {-1, 2, 1 << 30}) {
        Lit lit(100, 100, 100, 0, 0.0);
        lit.s.calc[0].no = no;
        lit.Add(0, {4, 60, 100, 50, {}, V(0, 0, 501), 100});
        ASSERT_EQ(l.bright(lit.s.krn.get(), 0), 1);
        EXPECT_EQ(lit.Out().red, 118) << "slot " << no;
    }
}

TEST(LightingBuilds, SseBuildBlendsByTransparencyWithoutFogAndTurnsBackNormals) {
    struct Row {
        const char* file;
        bool front;
        int red;    // lit by a white light along the face normal (200), then fogged toward 0
        int blend;  // at distance 200 with fog from 100 to 300, trans 77
    };
    const Row rows[] = {
        {"lgt_pasu.dll", true, 75, 158}, {"lgt_pasu.dll", false, 75, 158},
        {"lgt_nodo.dll", true, 75, 158}, {"lgt_nodo.dll", false, 75, 158},
        {"lgt_quil.dll", true, 200, 77}, {"lgt_quil.dll", false, 0, 77},
    };
    for (const Row& r : rows) {
        Lighting l = LoadLighting(r.file);
        Lit lit(100, 100, 100, 0, 200.0);
        if (!r.front) lit.s.calc[0].flags &= ~KRNCHIP_FRONT;
        lit.s.calc[0].trans = 77;
        lit.s.krn->red = 0;
        lit.Add(0, {2, 255, 255, 255, V(0, 0, 1), {}, 0});
        lit.Fog(100.0, 300.0);
        ASSERT_EQ(l.bright(lit.s.krn.get(), 0), 1);
        EXPECT_EQ(lit.Out().red, r.red) << r.file << (r.front ? " front" : " back");
        EXPECT_EQ(lit.Out().mix, r.blend) << r.file << (r.front ? " front" : " back");
    }
}

TEST(LightingBuilds, HostileNumbersGiveColoursWithoutFaults) {
    const double nan = std::nan("");
    for (const char* file : {"lgt_pasu.dll", "lgt_quil.dll", "lgt_nodo.dll"}) {
        Lighting l = LoadLighting(file);
        for (DWORD accwork : {0u, 1u}) {
            Lit lit(100, 100, 100, KRNCHIP_SMOOTH, 200.0);
            tagKRNCHIP& c = lit.s.calc[0];
            c.trans = 2147483647;
            c.normal = V(nan, 1e308, -1e308);
            c.n[0] = V(nan, 0, 0);
            c.n[1] = V(1e308, 1e308, 1e308);
            c.d[2] = nan;
            c.r[1] = 2147483647;
            c.red = -2147483647 - 1;
            lit.s.chips[0].v[0] = V(0, 0, 0);  // on the point light itself
            lit.Add(0, kWhiteAmbient);
            lit.Add(1, {2, 255, 255, 255, V(0, 0, 1), {}, 0});
            lit.Add(2, {4, 255, 255, 255, {}, V(0, 0, 0), 1e-300});
            lit.Fog(100.0, 100.0);  // an empty fog range
            lit.s.krn->accwork = accwork;
            ASSERT_EQ(l.bright(lit.s.krn.get(), 0), 1) << file;
            for (int k = 0; k < 3; ++k) EXPECT_GE(c.m[k], 0) << file << " vertex " << k;
            EXPECT_EQ(c.mix, (int)(((long long)c.m[0] + c.m[1] + c.m[2]) / 3))
                << file << (accwork ? " smooth" : " flat");
        }
    }
}

TEST(LightingBuilds, GiveTheSameColoursButForTheirStatedDifferences) {
    // A transformed random scene lit by one light of each kind, smooth where flagged.
    const Transform t = LoadTransform("drv_pasu.dll");
    auto lit = [&t](const char* file, bool fog) {
        auto s = std::make_unique<Scene>(600);
        RandomScene(*s);
        EXPECT_EQ(s->Frame(t), 1);
        tagKRN& k = *s->krn;
        k.accwork = 1;
        k.top = 60.0;
        k.bottom = 240.0;
        if (!fog) k.distance = -1.0;
        k.red = 20;
        k.green = 40;
        k.blue = 60;
        k.light[0] = tagKRNLIGHT{1, {}, {}, 60, 70, 80, 0.0, {}};
        k.light[4] = tagKRNLIGHT{2, {}, {}, 200, 150, 100, 0.0, V(0.6, 0.0, 0.8)};
        k.light[9] = tagKRNLIGHT{4, V(0, 0, 100), {}, 255, 255, 255, 150.0, {}};
        EXPECT_EQ(LoadLighting(file).bright(&k, 0), 1) << file;
        return s;
    };
    // The 3DNow! build and the portable one are the same arithmetic.
    auto pasu = lit("lgt_pasu.dll", true), nodo = lit("lgt_nodo.dll", true);
    const int n = pasu->krn->calc;
    ASSERT_GT(n, 50);
    int fogged = 0;
    for (int i = 0; i < n; ++i) fogged += pasu->Out(i).m[0] > 0;
    EXPECT_GT(fogged, 10);
    EXPECT_EQ(std::memcmp(pasu->calc.data(), nodo->calc.data(), (size_t)n * sizeof(tagKRNCHIP)), 0);

    // Without fog and with `trans` 0, the SSE build differs only on chips seen from behind.
    auto plain = lit("lgt_pasu.dll", false), quil = lit("lgt_quil.dll", false);
    ASSERT_EQ(quil->krn->calc, plain->krn->calc);
    int back = 0, differ = 0;
    for (int i = 0; i < plain->krn->calc; ++i) {
        const bool same = std::memcmp(&plain->Out(i), &quil->Out(i), sizeof(tagKRNCHIP)) == 0;
        if (plain->Out(i).flags & KRNCHIP_FRONT) {
            EXPECT_TRUE(same) << "front chip " << i;
        } else {
            ++back;
            differ += !same;
        }
    }
    EXPECT_GT(back, 10);
    EXPECT_GT(differ, back / 2);
}
