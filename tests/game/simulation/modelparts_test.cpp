// Model parts switched by code on the sample models: each code on a model that has its parts
// and on one that lacks them.
#include "sim_fixture.h"

using simtest::MakeFlight;
using simtest::SimCase;
using simtest::Sw;

namespace {

class ModelPartTest : public SimCase {
  protected:
    // An aircraft of the model <type><airline> in slot 0, kind 3 (parts as loaded).
    const ObjectRecord& Load(const char* airline, const char* type) {
        EXPECT_EQ(CreateAircraft(MakeFlight(1, airline, type, 3), 1, 0), 1) << airline << type;
        ClearCalls();
        return O(0);
    }
    void SetAll(const ObjectRecord& o, std::initializer_list<const char*> parts, int sw) {
        for (const char* p : parts)
            if (tagKRNL* l = KRNL_SearchLayer(o.layer, p)) l->sw = sw;
    }
};

struct PartCase {
    const char* what;
    const char* airline;
    const char* type;
    int code;
    int before;  // every part named below starts with this switch
    std::vector<std::pair<const char*, int>> after;
};

}  // namespace

TEST_F(ModelPartTest, PartsByCode) {
    const PartCase cases[] = {
        {"gear up", "JAL", "B767", 0x1000, 1, {{"tire", 0}, {"gearup", 1}, {"ldlightm", 0}}},
        {"gear down", "JAL", "B767", 0x1001, 0, {{"tire", 1}, {"gearup", 0}}},
        {"flaps up", "JAL", "B767", 0x2000, 1, {{"flapdown", 0}, {"flapup", 1}}},
        {"flaps down", "JAL", "B767", 0x2001, 1, {{"flapup", 0}, {"flapdown", 1}}},
        {"flaps down without a lowered part: flapup serves",
         "JAS",
         "MD90",
         0x2001,
         0,
         {{"flapup", 1}, {"flapdown", -1}}},
        {"reversers in", "JAL", "B767", 0x3000, 1, {{"revon", 0}, {"revoff", 1}}},
        {"reversers out", "JAL", "B767", 0x3001, 1, {{"revoff", 0}, {"revon", 1}}},
        {"drag chute", "JAF", "XF1", 0x3010, 0, {{"dragshoot", 1}}},
        {"drag chute off", "JAF", "XF1", 0x3011, 1, {{"dragshoot", 0}}},
        {"propellers at rest", "HKA", "YS11", 0x4000, 1, {{"brdon", 0}, {"brdoff", 1}}},
        {"propellers turning",
         "HKA",
         "YS11",
         0x4001,
         1,
         {{"brdoff", 0}, {"brdon", 1}, {"brd0", 1}, {"brd1", 0}, {"brd2", 0}}},
        {"propellers turning without frames: the disc serves",
         "JCG",
         "YS11",
         0x4001,
         0,
         {{"brdoff", 0}, {"brdon", 1}, {"brd0", -1}}},
        {"no propellers: nothing", "JAL", "B767", 0x4001, 1, {{"tire", 1}}},
        {"landing lights on",
         "JAL",
         "B767",
         0x7001,
         0,
         {{"ldlightm", 1}, {"ldlightl", 1}, {"ldlightr", 1}}},
        {"landing lights off",
         "JAL",
         "B767",
         0x7000,
         1,
         {{"ldlightm", 0}, {"ldlightl", 0}, {"ldlightr", 0}}},
        {"afterburner", "JAF", "XF1", 0xa000, 0, {{"afterburner", 1}}},
        {"afterburner off", "JAF", "XF1", 0xa001, 1, {{"afterburner", 0}}},
        {"hatch open", "JAF", "XF1", 0xc010, 1, {{"hatchclose", 0}, {"hatchopen", 1}}},
        {"hatch closed", "JAF", "XF1", 0xc011, 0, {{"hatchclose", 1}, {"hatchopen", 0}}},
        {"a code outside the table",
         "JAL",
         "B767",
         0x1234,
         1,
         {{"tire", 1}, {"gearup", 1}, {"flapup", 1}, {"ldlightm", 1}}},
    };
    for (const PartCase& c : cases) {
        const ObjectRecord& o = Load(c.airline, c.type);
        for (const auto& p : c.after) SetAll(o, {p.first}, c.before);
        A(0).ldlights = 7;
        EXPECT_EQ(SetModelPart(0, c.code), 1) << c.what;
        for (const auto& p : c.after)
            EXPECT_EQ(Sw(o, p.first), p.second) << c.what << ": " << p.first;
        ClearAircraftTable();
    }
}

TEST_F(ModelPartTest, LandingLightStateOnlyWithTheLights) {
    struct Case {
        const char* type;
        const char* airline;
        int code;
        int state;
    };
    const Case cases[] = {{"B767", "JAL", 0x7001, 1},     {"B767", "JAL", 0x7000, 0},
                          {"B767", "JAL", 0x1000, 0},     {"B737-400", "JAS", 0x7001, 7},
                          {"B737-400", "JAS", 0x7000, 7}, {"B737-400", "JAS", 0x1000, 7}};
    for (const Case& c : cases) {
        Load(c.airline, c.type);
        A(0).ldlights = 7;
        SetModelPart(0, c.code);
        EXPECT_EQ(A(0).ldlights, c.state) << c.type << " " << std::hex << c.code;
        ClearAircraftTable();
    }
}

TEST_F(ModelPartTest, RunningPropellersAreAnimatedByTheGroundSupport) {
    SetPropellerSelector(0);
    Load("JAL", "B767");
    SetModelPart(0, 0x4001);
    EXPECT_EQ(GetPropellerSelector(), 0) << "no propellers";
    ClearAircraftTable();
    Load("HKA", "YS11");
    SetModelPart(0, 0x4001);
    EXPECT_EQ(GetPropellerSelector(), 1);
    SetPropellerSelector(5);
    SetModelPart(0, 0x4000);
    EXPECT_EQ(GetPropellerSelector(), 5) << "another aircraft's propellers go on";
    SetPropellerSelector(1);
    SetModelPart(0, 0x4000);
    EXPECT_EQ(GetPropellerSelector(), 0);
}

TEST_F(ModelPartTest, NoseGearAndHolding) {
    const ObjectRecord& o = Load("JAL", "B767");
    AircraftRecord& a = A(0);
    struct Case {
        int code;
        int holding, selected;
        double angle;
        int holdingAfter;
        bool menu;
    };
    const Case cases[] = {
        {0x1010, 0, -1, 90, 2, false}, {0x1010, 0, 0, 90, 2, true}, {0x1010, 1, 0, 90, 1, false},
        {0x1012, 0, 0, -90, 2, true},  {0x1011, 2, 0, 0, 0, true},  {0x1011, 2, 5, 0, 0, false},
        {0x1011, 1, 0, 0, 1, false},
    };
    for (const Case& c : cases) {
        ClearCalls();
        a.holding = c.holding;
        a.reqtimer = a.waitcount = 9;
        SetSelectedAircraft(c.selected);
        SetModelPart(0, c.code);
        EXPECT_EQ(o.nosegear->rotate.y, c.angle) << std::hex << c.code;
        EXPECT_EQ(o.nosegear->shift.z, 14);  // only turned
        EXPECT_EQ(a.holding, c.holdingAfter) << std::hex << c.code << " " << c.holding;
        EXPECT_EQ(Called("BuildCommandMenu 0"), c.menu) << std::hex << c.code << " " << c.holding;
        const bool turned = c.code != 0x1011;
        EXPECT_EQ(a.reqtimer, turned ? 0 : 9);
        EXPECT_EQ(a.waitcount, turned ? 0 : 9);
    }
}

TEST_F(ModelPartTest, LeavingTheScene) {
    O(kObjectAirport).used = 1;  // the panoramic view looks at the airport
    for (int code : {0x6000, 0x6002}) {
        CameraReset();
        Load("JAL", "B767");
        A(0).strip = 0x1402;
        SetSelectedAircraft(0);
        // Its strip and label, its menu and panel show.
        DrawStrip(0);
        DrawRadarLabel(0);
        BuildCommandMenu(0);
        DrawFlightInfo(0);
        const int strip = A(0).stripslot;
        EXPECT_NE(GetRadarLabel(strip)[0], 0);
        EXPECT_EQ(SetModelPart(0, code), 1);
        EXPECT_EQ(GetSelectedAircraft(), -1);
        EXPECT_FALSE(IsCommandMenuShown());
        EXPECT_FALSE(IsFlightInfoShown());
        EXPECT_STREQ(GetRadarLabel(strip), "");
        // The panoramic view glides in over 30 ticks.
        EXPECT_STREQ(GetCameraCaption(), "PANORAMIC CAM");
        EXPECT_EQ(GetCameraRecord().state, 0x1000u | CameraPhase(0x20));
        EXPECT_EQ(GetCameraRecord().count, 30);
        EXPECT_EQ(A(0).strip, 0x1f02);
        const bool deleted = code == 0x6000;
        EXPECT_EQ(O(0).layer != nullptr, !deleted);
        EXPECT_EQ(A(0).id, deleted ? 0 : 1);  // 0x6002 keeps the ID and slot
        if (O(0).layer) DeleteObject(0);
        ClearAircraftTable();
    }
    // An aircraft that is not selected leaves the selection alone.
    Load("ANA", "B777");
    A(0).strip = 0x302;
    SetSelectedAircraft(4);
    BuildCommandMenu(4);
    SetModelPart(0, 0x6000);
    EXPECT_EQ(GetSelectedAircraft(), 4);
    EXPECT_TRUE(IsCommandMenuShown());
    EXPECT_EQ(A(0).strip, 0xf02);
}

TEST_F(ModelPartTest, AircraftWideActions) {
    Load("JAL", "B767");
    AircraftRecord& a = A(0);
    a.phase = PHASE_LANDING;
    EXPECT_EQ(SetModelPart(0, 0x6001), 1);
    EXPECT_EQ(a.phase, 0);
    EXPECT_EQ(SetModelPart(0, 0x5000), 1);
    EXPECT_TRUE(Called("GroundEvent 0 6"));
    SetModelPart(0, 0x5001);
    EXPECT_TRUE(Called("GroundEventCancel 0 5"));
    SetModelPart(0, 0x9000);
    SetModelPart(0, 0x9001);
    EXPECT_TRUE(Called("GroundEvent 0 30"));
    EXPECT_TRUE(Called("GroundEvent 0 31"));
    SetModelPart(0, 0xc000);
    EXPECT_TRUE(Called("GroundEvent 0 40"));
    EXPECT_GE(a.timer, 5);
    EXPECT_LE(a.timer, 10);
    // The smoke trail: the emitter at step 0, pattern 2, size 30, and its source at this
    // aircraft's tail.
    SmokeSource& smoke = GetSmokeSource();
    smoke = SmokeSource{};
    tagKRNL* particles = MakeAutoSmoke(Handles().root, 1000, "ETC\\SMOKE\\", 100);
    ASSERT_NE(particles, nullptr);
    GetWeatherLayers().smoke = particles;
    SetModelPart(0, 0xb000);
    GetWeatherLayers() = WeatherLayers{};
    EXPECT_EQ(smoke.on, 1);
    EXPECT_EQ(smoke.slot, 0);
    EXPECT_EQ(smoke.offset.z, -75);
    const tagKRN3D far = {9000, 0, 0, 0}, still = far;
    EmitParticle(particles, 0, &far);
    EmitParticle(particles, 0, &still);  // step 0: a source standing still emits too
    EXPECT_EQ(particles->lpchip[1].v[0].x, 9000);
    ASSERT_NE(particles->lpchip[0].htex, 0u);
    EXPECT_STREQ(reinterpret_cast<const tagKRNTEXTURE*>(particles->lpchip[0].htex)->file,
                 "smoke2.bmp");
    SetModelPart(0, 0xb001);
    EXPECT_EQ(smoke.on, 0);
    // Slots outside the table change nothing.
    EXPECT_EQ(SetModelPart(-1, 0x6000), 1);
    EXPECT_EQ(SetModelPart(kAircraftSlots + 100, 0x1000), 1);
}
