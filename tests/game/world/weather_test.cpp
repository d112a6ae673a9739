// The weather: the cloud maker in the game's and the demos' styles (placements after a known
// seed, chip slots, layers and their flags, the rainbow, a name already taken), the rain box and
// its shaking, the smoke particles' emission, growth, fading and parking on the virtual clock,
// the height sway, and the stage's weather as set-up builds it.
#include <cmath>
#include <cstdlib>

#include "world/autocloud.h"
#include "world_fixture.h"

namespace {

using worldtest::V;

// The texture file a chip shows ("" for none).
std::string TextureOf(const tagKRNCHIP& c) {
    return c.htex ? reinterpret_cast<const tagKRNTEXTURE*>(c.htex)->file : "";
}

void ExpectVertices(const tagKRNCHIP& c, const tagKRN3D (&v)[3], const std::string& what) {
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(c.v[k].x, v[k].x) << what << " vertex " << k;
        EXPECT_EQ(c.v[k].y, v[k].y) << what << " vertex " << k;
        EXPECT_EQ(c.v[k].z, v[k].z) << what << " vertex " << k;
    }
}

// A weather layer's name, chip slots and drawing flags.
struct LayerLook {
    const char* name;
    int no, count, back, alpha, billboard, znowrite;
};
void ExpectLayer(const tagKRNL* l, const LayerLook& look) {
    ASSERT_NE(l, nullptr) << look.name;
    EXPECT_STREQ(l->name, look.name);
    EXPECT_EQ(l->no, look.no) << look.name;
    EXPECT_EQ(l->count, look.count) << look.name;
    EXPECT_EQ(l->back, look.back) << look.name;
    EXPECT_EQ(l->alpha, look.alpha) << look.name;
    EXPECT_EQ(l->billboard, look.billboard) << look.name;
    EXPECT_EQ(l->znowrite, look.znowrite) << look.name;
}

// The demos' random table as a fresh program reads it: the first values of the standard
// generator from seed 1, whatever the process's own rand did before.
int g_tableTop = 0;
int FreshTable() {
    static int table[1000];
    static bool filled = false;
    if (!filled) {
        uint32_t state = 1;
        for (int& v : table) {
            state = state * 1103515245u + 12345u;
            v = int((state >> 16) & 0x7fff);
        }
        filled = true;
    }
    const int v = table[g_tableTop];
    g_tableTop = (g_tableTop + 1) % 1000;
    return v;
}
const CloudStyle kDemoStyle = {FreshTable, 1, "Sub", "Add", 24000, 1.0};

class Weather : public worldtest::Stage {
  protected:
    Weather() : worldtest::Stage(8468) {}
    tagKRNCHIP& Chip(int slot) { return Engine()->lpchip[slot]; }
};

struct CloudCase {
    int index;
    double x, y, z;  // the top vertex
};

TEST_F(Weather, GameCloudsAfterSeedOne) {
    std::srand(1);
    constexpr int first = 8468 - 355, count = 100;
    tagKRNL* cloud = MakeAutoCloud(Root(), first, count, 2000, 400, 1000, "etc\\", 1, 0);
    ASSERT_NE(cloud, nullptr);
    EXPECT_STREQ(cloud->name, "AutoCloud");
    ASSERT_EQ(cloud->layer, 2);
    tagKRNL* sub = cloud->child[0];
    tagKRNL* add = cloud->child[1];
    // Shade clouds darken, plain clouds add; all face the camera and write no depth.
    ExpectLayer(cloud, {"AutoCloud", 0, 0, 0, 0, 1, 1});
    ExpectLayer(sub, {"SubCloud", first, count, 0, 0, 1, 1});
    ExpectLayer(add, {"AddCloud", first + count, count, 0, 1, 1, 1});
    EXPECT_EQ(sub->shadow, 1);
    EXPECT_EQ(add->shadow, 0);

    const CloudCase cases[] = {
        {0, 4838, 992, -6242}, {1, 5515, 764, -4949}, {2, 11010, 973, -4581}};
    for (const CloudCase& c : cases) {
        const tagKRN3D v[3] = {V(c.x - 1000, c.y, c.z), V(c.x, c.y + 2000, c.z),
                               V(c.x + 1000, c.y, c.z)};
        const std::string what = "cloud " + std::to_string(c.index);
        ExpectVertices(sub->lpchip[c.index], v, what + " shade");
        ExpectVertices(add->lpchip[c.index], v, what + " plain");
        ExpectVertices(Chip(first + c.index), v, what + " shade slot");
        ExpectVertices(Chip(first + count + c.index), v, what + " plain slot");
        char shade[32], plain[32];
        std::snprintf(shade, sizeof shade, "cloud%02ds.bmp", c.index % 4);
        std::snprintf(plain, sizeof plain, "cloud%02d.bmp", c.index % 4);
        EXPECT_EQ(TextureOf(Chip(first + c.index)), shade) << what;
        EXPECT_EQ(TextureOf(Chip(first + count + c.index)), plain) << what;
    }
    // Every chip of the template: shown, texture coordinates of the upright triangle, vertex
    // normals facing +z; the engine takes textured chips at full colour.
    for (int i = 0; i < 2 * count; ++i) {
        const tagKRNCHIP& c = Chip(first + i);
        ASSERT_EQ(c.mode, 1) << i;
        EXPECT_EQ(c.flags, DWORD(KRNCHIP_SMOOTH)) << i;  // the engine drops vertex colours
        EXPECT_EQ(c.red, 255) << i;
        EXPECT_EQ(c.x[1], 0.5);
        EXPECT_EQ(c.y[1], 0.01);
        EXPECT_EQ(c.x[2], 0.99);
        EXPECT_EQ(c.n[2].z, 1);
        // Heights crowd toward the highest and never leave the band.
        EXPECT_GE(c.v[0].y, 400) << i;
        EXPECT_LE(c.v[0].y, 1000) << i;
        EXPECT_GE(c.v[1].x, -12000) << i;
        EXPECT_LT(c.v[1].x, 12000) << i;
    }
}

TEST_F(Weather, RainbowTakesTheLastSlotOfItsRange) {
    struct Case {
        int separate;
        int bowslot;  // offset from first
        int clouds;   // chips of the cloud layer that holds plain clouds
    };
    for (const Case& c : {Case{1, 199, 99}, Case{0, 99, 99}}) {
        KRNL_DeleteLayer(KRNL_SearchLayer(Root(), "AutoCloud"), 1);
        std::memset(Engine()->lpchip, 0, sizeof(tagKRNCHIP) * 8468);
        std::srand(1);
        constexpr int first = 3000;
        tagKRNL* cloud = MakeAutoCloud(Root(), first, 100, 2000, 400, 1000, "etc\\", c.separate, 1);
        ASSERT_NE(cloud, nullptr);
        const tagKRNCHIP& bow = Chip(first + c.bowslot);
        EXPECT_EQ(TextureOf(bow), "rainbow.bmp") << c.separate;
        const tagKRN3D v[3] = {V(8000, 200, -10000), V(10000, 4200, -10000), V(12000, 200, -10000)};
        ExpectVertices(bow, v, "rainbow");
        // 99 clouds: the slot before the rainbow holds the last one, the one after nothing.
        EXPECT_EQ(TextureOf(Chip(first + c.bowslot - 1)), "cloud02.bmp") << c.separate;
        EXPECT_EQ(Chip(first + c.bowslot + 1).mode, 0) << c.separate;
        if (c.separate) {
            EXPECT_EQ(cloud->child[0]->count, 99);
            EXPECT_EQ(Chip(first + 99).mode, 0) << "no shade chip for the rainbow";
            EXPECT_EQ(cloud->child[1]->count, 100);
            EXPECT_EQ(TextureOf(cloud->child[1]->lpchip[99]), "rainbow.bmp");
        } else {
            EXPECT_EQ(cloud->layer, 0);
            EXPECT_EQ(cloud->count, 100);
            EXPECT_EQ(cloud->alpha, 1);
            EXPECT_EQ(cloud->shadow, 0);
            EXPECT_EQ(cloud->billboard, 1);
        }
    }
}

TEST_F(Weather, DemoStyleDrawsFromItsTableAndRoundsToNearest) {
    g_tableTop = 0;
    std::srand(77);  // the process's own rand is not the demos' source
    tagKRNL* cloud = MakeAutoCloud(Root(), 3000, 200, 2000, 500, 2000, "etc\\", 1, 0, &kDemoStyle);
    ASSERT_NE(cloud, nullptr);
    ASSERT_EQ(cloud->layer, 2);
    EXPECT_STREQ(cloud->child[0]->name, "Sub");
    EXPECT_STREQ(cloud->child[1]->name, "Add");
    EXPECT_EQ(cloud->child[1]->no, 3200);
    const double heights[] = {1981, 1410, 1933};  // 1932.58 to the nearest
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Chip(3000 + i).v[0].y, heights[i]) << i;
    EXPECT_EQ(Chip(3000).v[1].x, 4838);
    EXPECT_EQ(Chip(3399).v[1].y, Chip(3199).v[1].y);
}

TEST_F(Weather, TwoBuildsAreByteIdentical) {
    std::vector<uint8_t> builds[2];
    for (std::vector<uint8_t>& bytes : builds) {
        KRNL_DeleteLayer(KRNL_SearchLayer(Root(), "AutoCloud"), 1);
        std::srand(1);
        tagKRNL* cloud = MakeAutoCloud(Root(), 4000, 100, 2000, 400, 1000, "etc\\", 1, 1);
        ASSERT_NE(cloud, nullptr);
        const auto* from = reinterpret_cast<const uint8_t*>(Engine()->lpchip + 4000);
        bytes.assign(from, from + 200 * sizeof(tagKRNCHIP));
    }
    EXPECT_TRUE(builds[0] == builds[1]);
}

TEST_F(Weather, NameAlreadyTakenGivesNoLayerAndWritesNothing) {
    struct Case {
        const char* taken;
        const CloudStyle* style;
    };
    for (const Case& c : {Case{"AutoCloud", &kGameCloudStyle}, Case{"Subway", &kDemoStyle},
                          Case{"AddCloudLight", &kGameCloudStyle}}) {
        tagKRNL* taken = KRNL_CreateLayer(Root(), c.taken);
        ASSERT_NE(taken, nullptr);
        const uint32_t seed = 5;
        std::srand(seed);
        EXPECT_EQ(MakeAutoCloud(Root(), 100, 10, 2000, 400, 1000, "etc\\", 1, 1, c.style), nullptr)
            << c.taken;
        EXPECT_EQ(Chip(100).mode, 0) << c.taken;
        EXPECT_EQ(Chip(119).mode, 0) << c.taken;
        EXPECT_EQ(KRNL_SearchLayer(Root(), "AutoCloud") == taken,
                  std::string(c.taken) == "AutoCloud")
            << c.taken << ": the half-built layer is gone";
        EXPECT_EQ(Engine()->texture[0].path[0], 0) << c.taken << ": no texture read";
        KRNL_DeleteLayer(taken, 1);
    }
}

TEST_F(Weather, RainStreaksAndTheirBox) {
    std::srand(1);
    tagKRNL* rain = MakeAutoRain(Root(), 2000, 200);
    ExpectLayer(rain, {"AutoRain", 2000, 200, 1, 1, 0, 1});
    ASSERT_NE(rain, nullptr);
    // Draws 16838, 5758, 10113: a = 18, b = 38, c = 13.
    const tagKRN3D v[3] = {V(18, 19, 13), V(18.05, 17, 13.05), V(17.95, 17, 12.95)};
    ExpectVertices(Chip(2000), v, "streak 0");
    for (int i = 0; i < 200; ++i) {
        const tagKRNCHIP& c = Chip(2000 + i);
        EXPECT_EQ(c.r[1], 160) << i;
        EXPECT_EQ(c.g[1], 160) << i;
        EXPECT_EQ(c.b[1], 160) << i;
        EXPECT_EQ(c.r[0] + c.g[0] + c.b[0] + c.r[2] + c.g[2] + c.b[2] + c.red, 0) << i;
        EXPECT_EQ(c.v[0].y - c.v[1].y, 2) << i;  // a streak two units long
        EXPECT_GE(c.v[0].x, -20) << i;
        EXPECT_LT(c.v[0].x, 20) << i;
        EXPECT_GE(c.v[0].y, -19) << i;
        EXPECT_LT(c.v[0].y, 21) << i;
    }
    // The box rides with the eye, shaking by -4..3 on each axis, turned away from the wind and
    // leaning by its strength.
    int seen[3][8] = {};
    const tagKRN3D eye = V(100, 50, -20);
    for (int k = 0; k < 400; ++k) {
        MoveAutoRain(rain, &eye, 90, 12);
        const double d[3] = {rain->shift.x - 100, rain->shift.y - 50, rain->shift.z + 20};
        for (int a = 0; a < 3; ++a) {
            ASSERT_GE(d[a], -4) << k;
            ASSERT_LE(d[a], 3) << k;
            ++seen[a][int(d[a]) + 4];
        }
        ASSERT_EQ(rain->rotate.x, -12);
        ASSERT_EQ(rain->rotate.y, 90);
        ASSERT_EQ(rain->rotate.z, 0);
    }
    for (int a = 0; a < 3; ++a)
        for (int s = 0; s < 8; ++s) EXPECT_GT(seen[a][s], 0) << "axis " << a << " shake " << s - 4;
    // A second rain layer cannot be made; a null layer is left alone.
    EXPECT_EQ(MakeAutoRain(Root(), 2500, 10), nullptr);
    MoveAutoRain(nullptr, &eye, 0, 0);
}

class Smoke : public Weather {
  protected:
    Smoke() : virtual_(WynPlat_IsVirtualClock()) {
        WynPlat_SetVirtualClock(1);
        WynPlat_SetClockReadStep(0);
        WynPlat_AdvanceClock(1000000);  // never at 0 ms: a start time of 0 means free
        smoke_ = MakeAutoSmoke(Root(), 1000, "ETC\\SMOKE\\", 100);
    }
    ~Smoke() override {
        WynPlat_SetClockReadStep(100);
        WynPlat_SetVirtualClock(virtual_);
    }
    static void Ms(int ms) { WynPlat_AdvanceClock(uint64_t(ms) * 1000); }
    // Particle i's own chip.
    const tagKRNCHIP& P(int i) const { return smoke_->lpchip[i]; }
    static bool Parked(const tagKRNCHIP& c) {
        for (const tagKRN3D& v : c.v)
            if (v.x != 0 || v.y != -1000.0 || v.z != 0) return false;
        return true;
    }
    int virtual_;
    tagKRNL* smoke_;
};

TEST_F(Smoke, LayerOfParkedParticlesInThreeTurns) {
    ExpectLayer(smoke_, {"AutoSmoke", 1000, 100, 1, 1, 1, 1});
    ASSERT_NE(smoke_, nullptr);
    int turns[3] = {};
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(Parked(P(i))) << i;
        EXPECT_EQ(P(i).htex, 0u) << i;
        // Neighbours never show the texture turned the same way.
        if (i > 0) EXPECT_NE(P(i).x[0], P(i - 1).x[0]) << i;
        const double x0 = P(i).x[0];
        ++turns[x0 == 0.01 ? 0 : x0 == 0.5 ? 1 : 2];
        EXPECT_EQ(P(i).x[1], x0 == 0.01 ? 0.5 : x0 == 0.5 ? 0.99 : 0.01) << i;
    }
    for (int t : turns) EXPECT_GT(t, 10);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(std::string(Engine()->texture[i].file), "smoke" + std::to_string(i) + ".bmp");
    EXPECT_EQ(MakeAutoSmoke(Root(), 1200, "ETC\\SMOKE\\", 100), nullptr);
}

TEST_F(Smoke, EmissionByDistanceAndSize) {
    // A still source with step 0 emits every frame, each particle of the emitter's size.
    SetEmitter(smoke_, 0, 0.0, 6000, 2, 30, 3000);
    // (Far from every earlier source: a first move of one to two sizes would set the size.)
    const tagKRN3D still = V(5000, 20, 30);
    for (int frame = 0; frame < 3; ++frame) {
        EmitParticle(smoke_, 0, &still);
        Ms(33);
        AnimateParticles(smoke_);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(TextureOf(P(i)), "smoke2.bmp") << i;
        EXPECT_EQ(P(i).red, 255) << i;
        EXPECT_EQ(P(i).g[2], 255) << i;
        // Size 30: after 99 ms of 6000 the half-width is sin(1.57075 x t) x 30.
        const double t = (3 - i) * 33 / 6000.0;
        EXPECT_NEAR(P(i).v[2].x - 5000, std::sin(1.57075 * t) * 30, 1e-9) << i;
        EXPECT_NEAR(P(i).v[1].y - 20, std::sin(1.57075 * t) * 30 + t * 100, 1e-9) << i;
    }
    EXPECT_TRUE(Parked(P(3)));

    // Step 10, size 80: a move below the step emits nothing; one between the size and twice the
    // size gives the distance; a jump beyond twice the size gives the size.
    SetEmitter(smoke_, 0, 10.0, 6000, 0, 80, 3000);
    struct Case {
        tagKRN3D at;
        bool emits;
        double size;
    };
    const Case cases[] = {{V(5000, 20, 39.9), false, 0}, {V(5080, 20, 30), true, 80},
                          {V(5180, 20, 30), true, 100},  {V(5340, 20, 30), true, 160},
                          {V(6000, 20, 30), true, 80},   {V(6050, 20, 30), true, 80}};
    int ring = 3;
    for (const Case& c : cases) {
        EmitParticle(smoke_, 0, &c.at);
        if (!c.emits) {
            EXPECT_TRUE(Parked(P(ring))) << c.at.x;
            continue;
        }
        Ms(1500);  // t = 0.25
        AnimateParticles(smoke_);
        const double g = std::sin(1.57075 * 0.25) * c.size;
        EXPECT_NEAR(P(ring).v[2].x - c.at.x, g, 1e-9) << c.at.x;
        EXPECT_EQ(TextureOf(P(ring)), "smoke0.bmp");
        ++ring;
    }
}

TEST_F(Smoke, FadingAndParkingByAge) {
    SetEmitter(smoke_, 0, 10.0, 6000, 1, 50, 3000);
    const tagKRN3D at = V(-7000, 100, 0);
    EmitParticle(smoke_, 0, &at);
    struct Case {
        int ms;  // age
        int colour;
        bool parked;
    };
    const Case cases[] = {{2000, 255, false}, {3000, 255, false}, {3001, 254, false},
                          {4500, 127, false}, {6000, 0, false},   {6001, 0, true}};
    int age = 0;
    for (const Case& c : cases) {
        Ms(c.ms - age);
        age = c.ms;
        AnimateParticles(smoke_);
        EXPECT_EQ(Parked(P(0)), c.parked) << c.ms;
        if (!c.parked) {
            EXPECT_EQ(P(0).red, c.colour) << c.ms;
            EXPECT_EQ(P(0).b[1], c.colour) << c.ms;
            EXPECT_DOUBLE_EQ(P(0).v[1].y,
                             100 + std::sin(1.57075 * c.ms / 6000) * 50 + c.ms / 6000.0 * 100)
                << c.ms;
        }
    }
    // Parked for good: later frames leave it there.
    Ms(100);
    AnimateParticles(smoke_);
    EXPECT_TRUE(Parked(P(0)));
    EXPECT_EQ(smoke_->recalc, 1);
}

TEST_F(Smoke, RingWrapsAndResets) {
    SetEmitter(smoke_, 0, 0.0, 6000, 4, 30, 3000);
    for (int i = 0; i < 101; ++i) {
        const tagKRN3D at = V(i, 0, 0);
        EmitParticle(smoke_, 0, &at);
    }
    // The 101st emission overwrote particle 0.
    EXPECT_EQ(P(0).v[0].x, 100);
    EXPECT_EQ(P(1).v[0].x, 1);
    ResetParticle(smoke_, 1);
    EXPECT_TRUE(Parked(P(1)));
    EXPECT_FALSE(Parked(P(2)));
    ResetParticle(smoke_, -1);
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(Parked(P(i))) << i;
    // Back at the defaults: step 10 keeps a still source quiet.
    const tagKRN3D at = V(200, 0, 0);
    EmitParticle(smoke_, 0, &at);
    EXPECT_FALSE(Parked(P(1)));  // the ring goes on where it was
    EmitParticle(smoke_, 0, &at);
    EXPECT_TRUE(Parked(P(2)));
    EXPECT_EQ(TextureOf(P(1)), "smoke0.bmp");
    // Null layers, other emitters and indexes outside the ring change nothing.
    SetEmitter(nullptr, 0, 0, 1, 1, 1, 1);
    EmitParticle(nullptr, 0, &at);
    AnimateParticles(nullptr);
    ResetParticle(nullptr, -1);
    SetEmitter(smoke_, 1, 0.0, 1, 0, 1, 1);
    EmitParticle(smoke_, 1, &at);
    ResetParticle(smoke_, 100);
    EXPECT_FALSE(Parked(P(1)));
}

TEST(WindSway, HeightSway) {
    struct Case {
        int aircraft, ticks, height;
        double sway, sway2;
    };
    const Case cases[] = {
        {0, 450, 1010, 0.0953509413857524, 0.3814037655430096},
        {3, 900, 510, -0.0887461197143288, -0.3549844788573153},
        {0, 450, 9, 0.0, 0.0},  // below 10: no sway
        {5, 1234, 10, 0.0, 0.0},
        {0, 2250, 1010, 0.0953509413857524, 0.3814037655430096},  // a cycle of 1800 ticks
    };
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.aircraft) + " " + std::to_string(c.ticks) + " " +
                                 std::to_string(c.height);
        EXPECT_NEAR(WindSway(c.aircraft, c.ticks, c.height), c.sway, 1e-16) << what;
        EXPECT_NEAR(WindSway2(c.aircraft, c.ticks, c.height), c.sway2, 1e-15) << what;
    }
    // At 1010 the sway stays within 0.5 (2.0 for WindSway2) over a whole cycle; slots eight
    // apart sway alike.
    for (int a = 0; a < 20; ++a)
        for (int t = 0; t < 1800; ++t) {
            ASSERT_LE(std::fabs(WindSway(a, t, 1010)), 0.5) << a << " " << t;
            ASSERT_LE(std::fabs(WindSway2(a, t, 1010)), 2.0) << a << " " << t;
            if (a >= 8) ASSERT_EQ(WindSway(a, t, 700), WindSway(a - 8, t, 700));
        }
}

class StageWeather : public Weather {
  protected:
    StageWeather() { GetScenarioHeader() = ScenarioHeader{}; }
    ~StageWeather() override { GetWeatherLayers() = WeatherLayers{}; }
};

TEST_F(StageWeather, SetUpBuildsByTheSettingsAndExitDeletesTheClouds) {
    struct Case {
        int cloud;
        const char* weather;
        int chance;
        bool rain;
        bool rainbow;
    };
    const Case cases[] = {{1, "", 0, false, false},
                          {1, "R", 100, true, true},
                          {0, "T", 100, true, false},
                          {1, "N", 0, false, false}};
    for (const Case& c : cases) {
        for (const char* name : {"AutoCloud", "AutoRain", "AutoSmoke"})
            KRNL_DeleteLayer(KRNL_SearchLayer(Root(), name), 1);
        GetConfig().cloud = c.cloud;
        std::snprintf(GetScenarioHeader().world.weather, 5, "%s", c.weather);
        GetScenarioHeader().world.cloudpct = c.chance;
        SetupWeather();
        const WeatherLayers& w = GetWeatherLayers();
        EXPECT_EQ(IsRainStage(), c.rain ? 1 : 0) << c.weather;
        EXPECT_EQ(w.cloud != nullptr, c.cloud != 0) << c.weather;
        EXPECT_EQ(w.rain != nullptr, c.rain) << c.weather;
        EXPECT_EQ(w.smoke != nullptr, !c.rain) << c.weather;
        EXPECT_EQ(GetSmokeLayer(), w.smoke);
        if (w.cloud) {
            EXPECT_EQ(w.cloud->child[1]->no, 8468 - 355 + 100) << c.weather;
            EXPECT_EQ(TextureOf(Chip(8468 - 355 + 199)) == "rainbow.bmp", c.rainbow) << c.weather;
            EXPECT_NE(std::string(Engine()->texture[0].path).find("etc\\cloud00.bmp"),
                      std::string::npos);
        }
        tagKRNL* other = c.rain ? w.rain : w.smoke;
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(other->no, 8468 - 555) << c.weather;
        EXPECT_EQ(other->count, c.rain ? 200 : 100) << c.weather;
        DeleteWeather();
        EXPECT_EQ(GetWeatherLayers().cloud, nullptr);
        EXPECT_EQ(KRNL_SearchLayer(Root(), "AutoCloud"), nullptr) << c.weather;
        EXPECT_NE(KRNL_SearchLayer(Root(), c.rain ? "AutoRain" : "AutoSmoke"), nullptr);
    }
}

}  // namespace
