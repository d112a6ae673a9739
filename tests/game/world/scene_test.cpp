// The scene's small animations: the marker's chips and how it follows, grows and turns over
// the selected aircraft, the radar antennas' turn, and the light runs' steps through a game
// minute, with the layers an airport may lack.
#include <string>

#include "world_fixture.h"

namespace {

using worldtest::V;

class Scene : public worldtest::Stage {
  protected:
    Scene() {
        GetAirportLayers() = AirportLayers{};
        GetGameClock() = GameClock{};
        SetSelectedAircraft(-1);
    }
    ~Scene() override {
        DeleteMarker();
        GetAirportLayers() = AirportLayers{};
        SetSelectedAircraft(-1);
    }
};

struct ChipCase {
    tagKRN3D v[3];
    int r[3], g[3], b[3];
};

TEST_F(Scene, MarkerChipsAndLayer) {
    CreateMarker();
    tagKRNL* m = GetMarker();
    ASSERT_NE(m, nullptr);
    EXPECT_STREQ(m->name, "ExMark1");
    EXPECT_EQ(m->parent, Root());
    EXPECT_EQ(m->count, 4);
    EXPECT_EQ(m->sw, 0) << "hidden until a glide shows it";
    EXPECT_EQ(m->shift.y, 100);
    const tagKRN3D a = V(0, 0, 0), p = V(-2.6, 10, -1.5), q = V(2.6, 10, -1.5), r = V(0, 10, 3.0);
    const ChipCase chips[4] = {
        {{a, p, q}, {255, 255, 255}, {0, 128, 128}, {0, 128, 128}},
        {{a, q, r}, {255, 255, 255}, {0, 128, 128}, {0, 128, 128}},
        {{a, r, p}, {255, 255, 255}, {0, 128, 128}, {0, 128, 128}},
        {{q, p, r}, {255, 255, 255}, {156, 156, 156}, {156, 156, 156}},
    };
    for (int i = 0; i < 4; ++i) {
        const tagKRNCHIP& c = Engine()->lpchip[8468 - 10 + i];
        const tagKRNCHIP& own = m->lpchip[i];
        EXPECT_EQ(c.mode, 1) << i;
        EXPECT_EQ(c.flags, 0x26u) << i;
        EXPECT_EQ(c.red, 0x80) << i;
        EXPECT_EQ(c.green, 0x80) << i;
        EXPECT_EQ(c.blue, 0xff) << i;
        EXPECT_EQ(c.normal.y, 1) << i;
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(own.v[k].x, chips[i].v[k].x) << i << " " << k;
            EXPECT_EQ(own.v[k].y, chips[i].v[k].y) << i << " " << k;
            EXPECT_EQ(own.v[k].z, chips[i].v[k].z) << i << " " << k;
            EXPECT_EQ(own.n[k].y, 1) << i << " " << k;
            EXPECT_EQ(own.r[k], chips[i].r[k]) << i << " " << k;
            EXPECT_EQ(own.g[k], chips[i].g[k]) << i << " " << k;
            EXPECT_EQ(own.b[k], chips[i].b[k]) << i << " " << k;
        }
    }
    ShowMarker(1);
    EXPECT_EQ(m->sw, 1);
    DeleteMarker();
    EXPECT_EQ(GetMarker(), nullptr);
    EXPECT_EQ(KRNL_SearchLayer(Root(), "ExMark1"), nullptr);
    ShowMarker(1);  // nothing without a marker
    // A name the scenery already holds gets the next free form.
    KRNL_CreateLayer(Root(), "ExMark1");
    CreateMarker();
    ASSERT_NE(GetMarker(), nullptr);
    EXPECT_STREQ(GetMarker()->name, "ExMark1.001");
}

TEST_F(Scene, MarkerFollowsGrowsAndTurns) {
    Obj(3).used = 1;
    Obj(3).pos = V(100, 20, -50);
    CreateMarker();
    tagKRNL* m = GetMarker();
    // Without a selection it stays where it is.
    MoveMarker(5);
    EXPECT_EQ(m->shift.y, 100);
    EXPECT_EQ(m->rotate.y, 0);
    SetSelectedAircraft(3);
    struct Case {
        tagKRN3D eye;
        double scale;  // 0: left as it was
    };
    const Case cases[] = {{V(600, 20, -50), 1.8},  // 500 units away
                          {V(100, 320, -50), 0},   // 300: unchanged
                          {V(100.4, 20, -50), 0},  // close
                          {V(1100, 20, -50), 1 + 700 * 0.004}};
    double turned = 0;
    for (const Case& c : cases) {
        m->scale = V(7, 7, 7);
        GetCameraRecord().eye = c.eye;
        MoveMarker(2);
        turned += 2;
        EXPECT_EQ(m->shift.x, 100);
        EXPECT_EQ(m->shift.y, 35) << "15 above the aircraft";
        EXPECT_EQ(m->shift.z, -50);
        const double s = c.scale ? c.scale : 7;
        EXPECT_DOUBLE_EQ(m->scale.x, s) << c.eye.x << " " << c.eye.y;
        EXPECT_DOUBLE_EQ(m->scale.z, s) << c.eye.x << " " << c.eye.y;
        EXPECT_EQ(m->rotate.y, turned);
    }
}

TEST_F(Scene, RadarAntennasTurnThreeDegreesATick) {
    AirportLayers& l = GetAirportLayers();
    l.radar[0] = KRNL_CreateLayer(Root(), "radwrot");
    l.radar[1] = KRNL_CreateLayer(Root(), "radrrot");
    struct Case {
        int angle0, angle1, ticks;
        int expect0, expect1;
    };
    const Case cases[] = {
        {0, 180, 1, 3, 183}, {359, 180, 1, 2, 183}, {357, 300, 0, 357, 300}, {10, 350, 4, 22, 2}};
    for (const Case& c : cases) {
        l.radarangle[0] = c.angle0;
        l.radarangle[1] = c.angle1;
        RotateRadarAntennas(c.ticks);
        EXPECT_EQ(l.radarangle[0], c.expect0) << c.angle0 << " " << c.ticks;
        EXPECT_EQ(l.radarangle[1], c.expect1) << c.angle1 << " " << c.ticks;
        EXPECT_EQ(l.radar[0]->rotate.y, c.expect0);
        EXPECT_EQ(l.radar[1]->rotate.y, c.expect1);
    }
    // An airport without its second antenna turns the first alone.
    l.radar[1] = nullptr;
    l.radarangle[1] = 50;
    RotateRadarAntennas(1);
    EXPECT_EQ(l.radarangle[1], 50);
}

TEST_F(Scene, LightRunsStepThroughTheMinute) {
    AirportLayers& l = GetAirportLayers();
    const char* names[3] = {"stlight", "stlight2", "stlight3"};
    for (int i = 0; i < 3; ++i) {
        l.stlight[i] = KRNL_CreateLayer(Root(), names[i]);
        KRNL_RecallFunction(KRNLOP_SWITCH, l.stlight[i], 0, 0, 0);
    }
    struct Case {
        int ticks;  // within the game minute
        double x1, x2;
        double x3, z3;
    };
    const Case cases[] = {{0, 965, 1106, -827, 492},
                          {1, 951, 1092, -820, 480},
                          {15, 754, 891, -718, 304},
                          {29, 558, 690, -617, 129},
                          {30 * 7 + 15, 754, 891, -718, 304}};
    for (const Case& c : cases) {
        GetGameClock().ticks = c.ticks;
        StepStLights();
        const std::string what = "tick " + std::to_string(c.ticks);
        EXPECT_EQ(l.stlight[0]->shift.x, c.x1) << what;
        EXPECT_EQ(l.stlight[0]->shift.z, -262.0) << what;
        EXPECT_EQ(l.stlight[1]->shift.x, c.x2) << what;
        EXPECT_EQ(l.stlight[1]->shift.z, 552.3) << what;
        EXPECT_EQ(l.stlight[2]->shift.x, c.x3) << what;
        EXPECT_EQ(l.stlight[2]->shift.z, c.z3) << what;
        for (tagKRNL* run : l.stlight) {
            EXPECT_EQ(run->shift.y, 4.0) << what;
            EXPECT_EQ(run->sw, 1) << what;
            EXPECT_EQ(run->scale.x, 1) << what;
        }
    }
    // A run the airport lacks is skipped; the others still step.
    l.stlight[1] = nullptr;
    GetGameClock().ticks = 1;
    StepStLights();
    EXPECT_EQ(l.stlight[0]->shift.x, 951);
}

}  // namespace
