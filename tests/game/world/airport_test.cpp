// LoadAirport on the sample airport, headless: the scenery of the day or the night and of the
// resolution, the named layers as the loader leaves them, the fixed chip slots of the lights,
// the bridges, the side tables, the stage values and the night's 3D lights; the SID lookup by
// the stage's runway configuration; the quiet move-script reader.
#include "world_fixture.h"

namespace {

class WorldAirport : public worldtest::Stage {
  protected:
    explicit WorldAirport(int chipmax = 8468)
        : worldtest::Stage(chipmax), airport_(new AirportRecord()), sids_(new SidTable()) {
        SetAirportRecord(airport_.get());
        SetSidTable(sids_.get());
        UseFolder(WynPlat_ProgramDir());
        std::snprintf(Handles().airport, sizeof Handles().airport, "rjtt");
        GetScenarioHeader() = ScenarioHeader{};
        GetHud() = HudNumbers{};
        GetConfig().resolution = 1;
        boxes_ = WynPlat_MessageBoxCount();
    }
    ~WorldAirport() override {
        EXPECT_EQ(WynPlat_MessageBoxCount(), boxes_) << "no box";
        SetAirportRecord(nullptr);
        SetSidTable(nullptr);
    }
    tagKRNL* Layer(const char* name) { return KRNL_SearchLayer(Obj(kObjectAirport).layer, name); }
    // Shown: the layer and every layer below it switched on.
    static bool Shown(const tagKRNL* l, int sw) {
        if (!l || l->sw != sw) return false;
        for (int i = 0; i < l->layer; ++i)
            if (!Shown(l->child[i], sw)) return false;
        return true;
    }
    int boxes_;

  private:
    std::unique_ptr<AirportRecord> airport_;
    std::unique_ptr<SidTable> sids_;
};

class WorldAirportNight : public WorldAirport {
  protected:
    WorldAirportNight() : WorldAirport(8468 + 2000) {}
};

const char* const kRunwayLights[] = {"endlight", "alslgt", "alsl24", "r_light", "rwli16", "rwli34"};

TEST_F(WorldAirport, DayStageLoadsTheDayScenery) {
    GetScenarioHeader().world.weather[0] = 'R';
    ASSERT_EQ(LoadAirport(), 1);
    ObjectRecord& a = Obj(kObjectAirport);
    ASSERT_EQ(a.used, 1);
    ASSERT_NE(a.layer, nullptr);
    EXPECT_STREQ(a.layer->name, "AIRPORT");
    EXPECT_EQ(a.simple, nullptr);  // no .pl2 beside the scenery
    EXPECT_EQ(a.angle.y, 0);
    EXPECT_EQ(GetScenarioHeader().world.weather[0], 'R');  // kept by day

    const AirportRecord& rec = *GetAirportRecord();
    EXPECT_STREQ(rec.name, "TOKYO INTERNATIONAL");
    EXPECT_STREQ(rec.spots[0].name, "SPOT 2");
    EXPECT_EQ(rec.spots[0].x, 28000);
    EXPECT_STREQ(rec.arrivals[0].name, "34L");
    EXPECT_STREQ(rec.departures[0].name, "34R");
    EXPECT_EQ(rec.lights, 8);

    const AirportLayers& l = GetAirportLayers();
    EXPECT_STREQ(l.radar[0]->name, "radwrot");
    EXPECT_STREQ(l.radar[1]->name, "radrrot");
    EXPECT_EQ(l.radarangle[0], 0);
    EXPECT_EQ(l.radarangle[1], 180);
    EXPECT_TRUE(Shown(l.airporton, 1));
    EXPECT_TRUE(Shown(l.airportoff, 0));
    EXPECT_EQ(l.nearshown, 1);
    // By day the six runway-light layers are switched off.
    for (int i = 0; i < kRunwayLightLayers; ++i) {
        ASSERT_NE(l.runwaylights[i], nullptr) << kRunwayLights[i];
        EXPECT_STREQ(l.runwaylights[i]->name, kRunwayLights[i]);
        EXPECT_TRUE(Shown(l.runwaylights[i], 0)) << kRunwayLights[i];
    }
    EXPECT_STREQ(l.stlight[0]->name, "stlight");
    EXPECT_STREQ(l.stlight[1]->name, "stlight2");
    EXPECT_STREQ(l.stlight[2]->name, "stlight3");
    EXPECT_STREQ(l.woods[0]->name, "woods");
    EXPECT_STREQ(l.woods[1]->name, "woods2");
    // Resolution 1: no spot markings in the file, every display level off.
    EXPECT_EQ(Layer("spotmarks"), nullptr);
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(Shown(l.level[k], 0)) << k;
    EXPECT_TRUE(Shown(l.spotplate, 0));
    EXPECT_TRUE(Shown(l.rwplate, 0));
    // The side tables.
    int g = 0, e = 0;
    EXPECT_EQ(FindSid("SAKURA1", &g, &e), 0);
    EXPECT_EQ(g, 1);
    EXPECT_EQ(e, 1);
    EXPECT_STREQ(GetRouteTable().entry[1][1].name, "SAKURA1");
    EXPECT_EQ(GetRouteTable().entry[1][1].value[0], 410);
    EXPECT_EQ(GetRouteTable().list[1][0], 1);
    EXPECT_EQ(GetPointTable().count, 47);
    EXPECT_EQ(GetPointTable().point[0].x, -35);
    EXPECT_EQ(GetExchangeTable().count, 54);
    EXPECT_EQ(GetExchangeTable().entry[0].code, 0x10000);
    EXPECT_GE(GetInformationLetter(), 0);
    EXPECT_LE(GetInformationLetter(), 5);
    // No 3D night lights by day.
    EXPECT_EQ(Engine()->light[2].mode, 0u);
}

TEST_F(WorldAirport, TheLightsTakeTheirFixedChipSlots) {
    ASSERT_EQ(LoadAirport(), 1);
    const AirportLayers& l = GetAirportLayers();
    ASSERT_NE(l.rwlight, nullptr);
    ASSERT_NE(l.nlight, nullptr);
    int rw = 0, n = 0;
    KRNL_CountLayer(l.rwlight, nullptr, &rw, nullptr);
    KRNL_CountLayer(l.nlight, nullptr, &n, nullptr);
    ASSERT_GT(rw, 0);
    ASSERT_GT(n, 0);
    EXPECT_EQ(l.rwlight->no, 8468 - 1000);
    EXPECT_EQ(l.nlight->no, 8468 - 1000 + rw);
    EXPECT_EQ(l.reserved, rw + n);
    EXPECT_LE(l.reserved, 445 - 24) << "room for the two water-smoke layers";
    // The scenery's other layers lie below the fixed slots.
    std::vector<tagKRNL*> stack = {Obj(kObjectAirport).layer};
    while (!stack.empty()) {
        tagKRNL* x = stack.back();
        stack.pop_back();
        for (int i = 0; i < x->layer; ++i) stack.push_back(x->child[i]);
        if (x->count && x != l.rwlight && x != l.nlight)
            EXPECT_LT(x->no + x->count, 8468 - 1000) << x->name;
    }
}

TEST_F(WorldAirport, DisplayLevelsFollowTheResolutionAndExResolutionPicksTheFile) {
    struct Case {
        int resolution, exresolution;
        bool marks, fence;  // layers of resolution 2 and 3 files
        int shown;          // display levels on
    };
    const Case cases[] = {{1, 0, false, false, 0},
                          {2, 0, true, false, 1},
                          {3, 0, true, true, 3},
                          {1, 1, true, true, 0},  // rjtt_4, levels by resolution 1
                          {3, 1, true, true, 3}};
    for (const Case& c : cases) {
        GetConfig().resolution = c.resolution;
        GetConfig().exresolution = c.exresolution;
        ASSERT_EQ(LoadAirport(), 1) << c.resolution << " " << c.exresolution;
        EXPECT_EQ(Layer("spotmarks") != nullptr, c.marks) << c.resolution << " " << c.exresolution;
        EXPECT_EQ(Layer("fence") != nullptr, c.fence) << c.resolution << " " << c.exresolution;
        const AirportLayers& l = GetAirportLayers();
        for (int k = 0; k < 3; ++k)
            EXPECT_TRUE(Shown(l.level[k], k < c.shown ? 1 : 0)) << c.resolution << " level " << k;
        DeleteObject(kObjectAirport);
    }
}

TEST_F(WorldAirport, BridgesStandRetractedAtTheGates) {
    ASSERT_EQ(LoadAirport(), 1);
    const BridgeTable& b = GetBridgeTable();
    for (int row = 0; row < kBridgeRows; ++row) {
        for (int p = 0; p < 3; ++p) {
            if (row > 6) {
                EXPECT_EQ(b[size_t(row)].pose[p], nullptr) << row;
                continue;
            }
            ASSERT_NE(b[size_t(row)].pose[p], nullptr) << row << " " << p;
            char name[16];
            std::snprintf(name, sizeof name, "bdg%dmv%d", row, p);
            EXPECT_STREQ(b[size_t(row)].pose[p]->name, name);
            EXPECT_TRUE(Shown(b[size_t(row)].pose[p], p == 0 ? 1 : 0)) << name;
        }
    }
}

TEST_F(WorldAirport, StageValuesFromTheHeaderAndTheLevel) {
    struct Case {
        int level, target, extarget, stresslimit;
        uint32_t wanttarget, wantlimit;
        int wantlevel;
    };
    const Case cases[] = {{0, 3000, 5000, 0, 3000, 10, 0},
                          {1, 3000, 5000, 12, 5000, 12, 1},
                          {2, 3000, -1, 7, 3000, 7, 0}};
    for (const Case& c : cases) {
        ScenarioHeader& h = GetScenarioHeader();
        h.target = c.target;
        h.extarget = c.extarget;
        h.stresslimit = c.stresslimit;
        GetConfig().level = c.level;
        GetHud().score = GetHud().stress = GetHud().bonus = 77;
        ASSERT_EQ(LoadAirport(), 1);
        EXPECT_EQ(GetHud().target, c.wanttarget) << c.level << " " << c.extarget;
        EXPECT_EQ(GetHud().stresslimit, c.wantlimit) << c.stresslimit;
        EXPECT_EQ(GetConfig().level, c.wantlevel) << c.level << " " << c.extarget;
        EXPECT_EQ(GetHud().score, 0u);
        EXPECT_EQ(GetHud().stress, 0u);
        EXPECT_EQ(GetHud().bonus, 0u);
        EXPECT_STREQ(GetStageRunways().runways, "000000000000000");
        EXPECT_EQ(GetRetryQueue().count, 0);
        DeleteObject(kObjectAirport);
    }
}

TEST_F(WorldAirportNight, NightStageLoadsTheNightSceneryAndItsLights) {
    ScenarioHeader& h = GetScenarioHeader();
    h.night = 1;
    std::snprintf(h.world.weather, sizeof h.world.weather, "N");
    ASSERT_EQ(LoadAirport(), 1);
    EXPECT_EQ(h.world.weather[0], 0);  // the night's weather text is emptied
    const AirportLayers& l = GetAirportLayers();
    for (int i = 0; i < kRunwayLightLayers; ++i) EXPECT_TRUE(Shown(l.runwaylights[i], 1)) << i;
    EXPECT_TRUE(Shown(l.nlight, 1));
    EXPECT_EQ(l.rwlight->no, 10468 - 1000);
    // The night's scenery has lit runway edges: their colour is not the day's grey.
    EXPECT_EQ(l.rwlight->lpchip[0].red, 255);
    // 3D lights 2-9 from the record's eight night lights.
    const AirportRecord& rec = *GetAirportRecord();
    for (int i = 0; i < rec.lights; ++i) {
        const tagKRNLIGHT& k = Engine()->light[2 + i];
        EXPECT_EQ(k.mode, 4u) << i;
        EXPECT_EQ(k.pos.x, rec.light[i].x);
        EXPECT_EQ(k.pos.y, rec.light[i].y);
        EXPECT_EQ(k.pos.z, rec.light[i].z);
        EXPECT_EQ(k.red, rec.light[i].red & 0xff);
        EXPECT_EQ(k.blue, rec.light[i].blue & 0xff);
        EXPECT_EQ(k.range, rec.light[i].range);
    }
    EXPECT_EQ(Engine()->light[1].mode, 0u);  // lights 0 and 1 are the stage set-up's
}

TEST_F(WorldAirport, FindSidReadsTheStagesRunwayConfiguration) {
    ASSERT_EQ(LoadAirport(), 1);
    struct Case {
        int runways;
        const char* name;
        int g, e, result;
    };
    // Every sample SID serves configurations 0 and 1 alike; 7 reads configuration 0.
    const Case cases[] = {{0, "KAIDO3", 4, 1, 0},
                          {1, "kaido3", 4, 1, 1},
                          {7, "MIDORI2", 3, 1, 0},
                          {2, "NOSUCH", 0, 0, 0}};
    int g = 0, e = 0;
    for (const Case& c : cases) {
        GetScenarioHeader().runways = c.runways;
        EXPECT_EQ(FindSid(c.name, &g, &e), c.result) << c.name;
        EXPECT_EQ(g, c.g) << c.name;
        EXPECT_EQ(e, c.e) << c.name;
    }
}

TEST_F(WorldAirport, GetMoveScriptLeavesAMissingScriptAlone) {
    UseFolder(dir_);
    Put("port/rjtt/mov/arr1.sce", std::string("\x14\x00\x00\x00\x01\x02\x03\x04", 8));
    std::vector<uint8_t> buffer(kScriptBufferSize, 0x5a);
    AircraftRecord& a = Air(4);
    a.script = buffer.data();
    a.scriptpos = 96;
    EXPECT_EQ(GetMoveScript(4, "missing"), 0);
    EXPECT_EQ(a.scriptpos, 96);
    EXPECT_EQ(buffer[0], 0x5a);
    EXPECT_EQ(GetMoveScript(4, "arr1"), 1);
    EXPECT_EQ(a.scriptpos, 0);
    EXPECT_EQ(buffer[0], 0x14);
    EXPECT_EQ(buffer[7], 0x04);
    // Nothing of the script before stays readable.
    EXPECT_EQ(buffer[8], 0xff);
    EXPECT_EQ(buffer[kScriptBufferSize - 1], 0xff);
    EXPECT_EQ(GetMoveScript(20, "arr1"), 0);  // no such aircraft
}

}  // namespace
