// Layer files into object slots: the low-detail twin "simple", the aircraft model's lighter
// ".pl3", a file that cannot be loaded, a root name with no unique form left, and the release
// of a slot.
#include "world_fixture.h"

namespace {

class WorldLoaders : public worldtest::Stage {};

TEST_F(WorldLoaders, ALowDetailFileBesideTheLayerFileBecomesSimple) {
    Put("gs/pc/pc.plm", worldtest::LayerText("paxcar", 3));
    Put("gs/pc/pc.pl2", worldtest::LayerText("paxlow", 1));
    Put("etc/smoke.plm", worldtest::LayerText("smoke", 2));
    ASSERT_EQ(LoadLayerObject(44, "gs\\pc\\pc.plm", "pc1"), 1);
    ASSERT_EQ(LoadLayerObject(45, "gs\\pc\\pc.plm", "pc2"), 1);
    ASSERT_EQ(LoadLayerObject(60, "etc\\smoke.plm", "smk1"), 1);
    // Each object's twin is made unique from the word "simple" itself.
    ASSERT_NE(Obj(44).simple, nullptr);
    ASSERT_NE(Obj(45).simple, nullptr);
    EXPECT_STREQ(Obj(44).simple->name, "simple");
    EXPECT_STREQ(Obj(45).simple->name, "simple.001");
    EXPECT_EQ(Obj(44).simple->parent, Obj(44).layer);
    EXPECT_NE(KRNL_SearchLayer(Obj(44).simple, "paxlow"), nullptr);
    EXPECT_EQ(Obj(60).simple, nullptr);  // no .pl2 beside it
    for (int slot : {44, 45, 60}) EXPECT_EQ(Obj(slot).used, 1);
    EXPECT_STREQ(Obj(44).layer->name, "pc1");
    EXPECT_EQ(Obj(44).layer->parent, Root());
    int chips = 0;
    KRNL_CountLayer(Obj(44).layer, nullptr, &chips, nullptr);
    EXPECT_EQ(chips, 4);
    // The same name again gets a unique form.
    ASSERT_EQ(LoadLayerObject(46, "etc\\smoke.plm", "smk1"), 1);
    EXPECT_STREQ(Obj(46).layer->name, "smk1.001");
}

TEST_F(WorldLoaders, AFileThatCannotBeLoadedAsksForTheStageToEnd) {
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(LoadLayerObject(21, "port\\rjtt\\skyX.plm", "SKYLAYER"), 0);
    ASSERT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    char caption[128], text[1024];
    WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text);
    EXPECT_STREQ(caption, reinterpret_cast<const char*>(u8"ファイルが見つかりません"));
    EXPECT_EQ(std::string(text), std::string(Handles().homedir) + "port\\rjtt\\skyX.plm");
    EXPECT_EQ(GetGamePhase(), GAMEPHASE_EXIT);
    EXPECT_EQ(Obj(21).used, 0);
    EXPECT_EQ(Obj(21).layer, nullptr);
    // The empty root layer stays until the stage's layers go.
    ASSERT_EQ(Root()->layer, 1);
    EXPECT_STREQ(Root()->child[0]->name, "SKYLAYER");
}

TEST_F(WorldLoaders, NoUniqueRootNameLeftFailsBothLoaders) {
    Put("model.plm", worldtest::LayerText("model", 1));
    KRNL_CreateLayer(Root(), "Full");
    for (int i = 1; i <= 999; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "Full.%03d", i);
        ASSERT_NE(KRNL_CreateLayer(Root(), name), nullptr) << name;
    }
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(LoadLayerObject(30, "model.plm", "Full"), 0);
    EXPECT_EQ(LoadAircraftModel(3, "model.plm", "Full"), 0);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes);
    EXPECT_EQ(Obj(30).used, 0);
    EXPECT_EQ(Obj(3).used, 0);
    EXPECT_EQ(Root()->layer, 1000);
    EXPECT_EQ(GetGamePhase(), GAMEPHASE_SETUP);
}

TEST_F(WorldLoaders, AircraftModelsPreferTheirPl3BelowResolution3) {
    Put("airplane/B767/B767JAL.plm", worldtest::LayerText("FullModel", 4));
    Put("airplane/B767/B767JAL.pl3", worldtest::LayerText("LightModel", 1));
    Put("airplane/B777/B777ANA.plm", worldtest::LayerText("OnlyFull", 2));
    struct Case {
        int resolution;
        const char* file;
        const char* loaded;
    };
    const Case cases[] = {{3, "airplane\\B767\\B767JAL.plm", "FullModel"},
                          {1, "airplane\\B767\\B767JAL.plm", "LightModel"},
                          {2, "airplane\\B767\\B767JAL.plm", "LightModel"},
                          {0, "airplane\\B767\\B767JAL.plm", "LightModel"},
                          {1, "airplane\\B777\\B777ANA.plm", "OnlyFull"}};
    for (const Case& c : cases) {
        GetConfig().resolution = c.resolution;
        ASSERT_EQ(LoadAircraftModel(2, c.file, "JAL-0123"), 1) << c.resolution;
        EXPECT_EQ(Obj(2).used, 1);
        EXPECT_STREQ(Obj(2).layer->name, "JAL-0123");
        ASSERT_EQ(Obj(2).layer->layer, 1);
        EXPECT_STREQ(Obj(2).layer->child[0]->name, c.loaded) << c.resolution << " " << c.file;
        DeleteObject(2);
    }
    // A missing model: nothing made, nothing said.
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(LoadAircraftModel(2, "airplane\\A300\\A300ZZZ.plm", "ZZZ-0001"), 0);
    EXPECT_EQ(Obj(2).used, 0);
    EXPECT_EQ(Root()->layer, 0);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes);
}

TEST_F(WorldLoaders, DeleteObjectFreesALoadedSlotAndItsAircraft) {
    Put("model.plm", worldtest::LayerText("model", 2));
    // A free slot: nothing changes.
    Obj(7).pos = worldtest::V(1, 2, 3);
    Obj(7).speed = 4;
    Air(7).used = 1;
    Air(7).id = 17;
    DeleteObject(7);
    EXPECT_EQ(Obj(7).speed, 4);
    EXPECT_EQ(Air(7).used, 1);
    EXPECT_EQ(Air(7).id, 17);

    ASSERT_EQ(LoadAircraftModel(5, "model.plm", "JAL-0005"), 1);
    ObjectRecord& o = Obj(5);
    o.body = o.shadow = o.nlight = o.hatchopen = o.blades[2] = o.layer->child[0];
    o.pos = worldtest::V(10, 20, 30);
    o.speed = 1.5;
    o.kind = 0x111;
    o.hold = 1;
    Air(5).used = 1;
    Air(5).id = 9;
    Air(5).status = 0x10000;
    DeleteObject(5);
    EXPECT_EQ(Root()->layer, 0) << "the layer and its parts went";
    EXPECT_EQ(o.used, 0);
    EXPECT_EQ(o.layer, nullptr);
    EXPECT_EQ(o.body, nullptr);
    EXPECT_EQ(o.shadow, nullptr);
    EXPECT_EQ(o.nlight, nullptr);
    EXPECT_EQ(o.hatchopen, nullptr);
    EXPECT_EQ(o.blades[2], nullptr);
    EXPECT_EQ(o.simple, nullptr);
    EXPECT_EQ(o.speed, 0);
    EXPECT_EQ(o.pos.z, 30);  // kept
    EXPECT_EQ(o.kind, 0x111);
    EXPECT_EQ(o.hold, 1);
    EXPECT_EQ(Air(5).used, 0);
    EXPECT_EQ(Air(5).id, 0);
    EXPECT_EQ(Air(5).status, 0x10000);  // only the first two words
    // A slot from 20 on has no aircraft record.
    ASSERT_EQ(LoadLayerObject(25, "model.plm", "thing"), 1);
    Air(5).used = 1;
    DeleteObject(25);
    EXPECT_EQ(Obj(25).layer, nullptr);
    EXPECT_EQ(Air(5).used, 1);
    // Slots outside the table are ignored.
    DeleteObject(-1);
    DeleteObject(100);
}

}  // namespace
