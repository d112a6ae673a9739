// The layer text file: a sample loaded and saved to golden text, round trips, the reader's
// edge cases and what the model maker writes.
#include <cmath>
#include <cstdio>

#include "layer_fixture.h"

namespace {

using krnltest::LayerCase;
using krnltest::V;

std::string Golden() {
    std::ifstream in(KRNL_TEST_DATA "/golden.plm", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(LayerCase, SampleFileSavesToGoldenTextAndRoundTrips) {
    const std::string golden = Golden();
    ASSERT_FALSE(golden.empty());
    std::string in = Path("in.plm"), out = Path("out.plm"), again = Path("again.plm");
    WriteText(in, golden);
    // Occupied slots: the chips go to the first free runs from slot 0.
    tagKRNCHIP used = krnltest::Triangle(V(0, 0, 0), V(0, 1, 0), V(1, 0, 0));
    KRN_SetChip(krn, 1, &used);
    KRN_SetChip(krn, 5, &used);
    ASSERT_EQ(KRNL_LoadLayer(master, in.c_str(), 0), 1);
    tagKRNL* hangar = KRNL_SearchLayer(master, "Hangar");
    tagKRNL* roof = KRNL_SearchLayer(master, "Roof");
    tagKRNL* door = KRNL_SearchLayer(master, "Door");
    ASSERT_TRUE(hangar && roof && door);
    // Inner blocks end first and take the first free runs.
    EXPECT_EQ(roof->no, 0);
    EXPECT_EQ(door->no, 2);
    EXPECT_EQ(hangar->no, 6) << "the first run of three free slots";
    EXPECT_EQ(hangar->color, 0x00302010u);
    EXPECT_EQ(hangar->shade, 0);
    EXPECT_EQ(hangar->nofog, 1);
    EXPECT_EQ(hangar->nodistance, 1);
    EXPECT_EQ(hangar->lpchip[0].flags,
              KRNCHIP_TWOSIDED | KRNCHIP_UNSHADED | KRNCHIP_NOFOG | KRNCHIP_NOFAR);
    EXPECT_EQ(hangar->lpchip[1].flags & (KRNCHIP_VERTEXCOLOR | KRNCHIP_SMOOTH),
              KRNCHIP_VERTEXCOLOR | KRNCHIP_SMOOTH);
    EXPECT_EQ(hangar->lpchip[1].red, 85) << "the mean of the vertex colours";
    EXPECT_EQ(hangar->lpchip[2].trans, 3);
    EXPECT_EQ(hangar->lpchip[1].v[1].x, 123456792.0);
    EXPECT_EQ(roof->sw, 0);
    EXPECT_EQ(roof->billboard, 1);
    EXPECT_EQ(roof->texture.mode, 3);
    EXPECT_EQ(roof->texture.mask, 1);
    EXPECT_NE(roof->texture.htex, 0u);
    EXPECT_EQ(roof->lpchip[0].htex, roof->texture.htex);
    EXPECT_EQ(roof->lpchip[0].flags, KRNCHIP_ALPHA | KRNCHIP_SHADOW | KRNCHIP_ZNOWRITE);
    EXPECT_EQ(door->texture.htex, 0u);
    ASSERT_NE(door->lpchip[0].htex, 0u);
    const tagKRNTEXTURE* slot = reinterpret_cast<const tagKRNTEXTURE*>(door->lpchip[0].htex);
    EXPECT_STREQ(slot->file, "door.bmp");
    EXPECT_EQ(std::string(slot->path), in.substr(0, in.size() - 6) + "door.bmp")
        << "textures are looked for beside the file";

    ASSERT_EQ(KRNL_SaveLayer(hangar, out.c_str()), 1);
    EXPECT_EQ(ReadText(out), golden);

    KRNL_DeleteLayer(hangar, 1);
    ASSERT_EQ(KRNL_LoadLayer(master, out.c_str(), 0), 1);
    ASSERT_EQ(KRNL_SaveLayer(KRNL_SearchLayer(master, "Hangar"), again.c_str()), 1);
    EXPECT_EQ(ReadText(again), ReadText(out)) << "save, load, save gives the same bytes";
}

struct Edge {
    const char* name;
    const char* body;   // the file after FileInformation
    const char* saved;  // the saved text of the loaded layer, from its "Layer{" line
    int boxes;          // reports shown while loading
};

const Edge kEdges[] = {
    {"spaces are removed", "Layer{ Name{ \"My Tower\" } }",
     "Layer{\n\tName{ \"MyTower\" }\n\tSwitch{ 1 }\n}\n", 0},
    {"a bare layer", "Layer{ Name{ \"Bare\" } Switch{ 1 } }",
     "Layer{\n\tName{ \"Bare\" }\n\tSwitch{ 1 }\n}\n", 0},
    {"layer colour",
     "Layer{ Name{\"C\"} Count{1} LayerColor{16,32,48} Chip{ Vertex{0,0,0,1,0,0,0,1,0} } }",
     "Layer{\n\tName{ \"C\" }\n\tSwitch{ 1 }\n\tCount{ 1 }\n\tLayerColor{ 16, 32, 48 }\n\tChip{\n"
     "\t\tNormal{ 0, 0, 0 }\n\t\tVertex{ 0, 0, 0, 1, 0, 0, 0, 1, 0 }\n\t}\n}\n",
     0},
    {"back and wireframe in either order",
     "Layer{ Name{\"W\"} Wireframe{1} Back{1} Count{1} Chip{ Vertex{0,0,0,1,0,0,0,1,0} } }",
     "Layer{\n\tName{ \"W\" }\n\tSwitch{ 1 }\n\tCount{ 1 }\n\tAttribute{ \"FillRect\", "
     "\"BackFace\", \"WireFrame\" }\n"
     "\tColor{ 255, 255, 255 }\n\tChip{\n\t\tNormal{ 0, 0, 0 }\n\t\tVertex{ 0, 0, 0, 1, 0, 0, 0, "
     "1, 0 }\n\t}\n}\n",
     0},
    {"unknown keywords are skipped",
     "Layer{ Name{\"U\"} Sparkle{ 1, 2 } Switch{ 0 } Chip{ Glow{3} Vertex{1,2,3,4,5,6,7,8,9} } "
     "Count{1} }",
     "Layer{\n\tName{ \"U\" }\n\tSwitch{ 0 }\n\tCount{ 1 }\n\tColor{ 255, 255, 255 }\n\tChip{\n"
     "\t\tNormal{ 0, 0, 0 }\n\t\tVertex{ 1, 2, 3, 4, 5, 6, 7, 8, 9 }\n\t}\n}\n",
     1},
    {"chips beyond Count are reported",
     "Layer{ Name{\"B\"} Count{1} Chip{ Vertex{1,1,1,1,1,1,1,1,1} } Chip{ "
     "Vertex{2,2,2,2,2,2,2,2,2} } }",
     "Layer{\n\tName{ \"B\" }\n\tSwitch{ 1 }\n\tCount{ 1 }\n\tColor{ 255, 255, 255 }\n\tChip{\n"
     "\t\tNormal{ 0, 0, 0 }\n\t\tVertex{ 1, 1, 1, 1, 1, 1, 1, 1, 1 }\n\t}\n}\n",
     1},
    {"vertex colours are held to 0..255",
     "Layer{ Name{\"V\"} Count{1} Chip{ Color3{300,-5,128,256,255,0,1000,0,7} "
     "Vertex{0,0,0,1,0,0,0,1,0} } }",
     "Layer{\n\tName{ \"V\" }\n\tSwitch{ 1 }\n\tCount{ 1 }\n\tColor{ 255, 85, 45 }\n\tChip{\n"
     "\t\tColor3{ 255,0,128, 255,255,0, 255,0,7 }\n\t\tNormal3{ 0, 0, 0, 0, 0, 0, 0, 0, 0 }\n"
     "\t\tVertex{ 0, 0, 0, 1, 0, 0, 0, 1, 0 }\n\t}\n}\n",
     0},
    // 0x83 0x7D is one double-byte character whose trail byte is "}".
    {"a double-byte character in a skipped entry does not end it",
     "Layer{ Name{\"Kanji\"} Sparkle{ \"\x83}\" } Switch{ 0 } }",
     "Layer{\n\tName{ \"Kanji\" }\n\tSwitch{ 0 }\n}\n", 0},
    {"large values stay as they are", "Layer{ Name{\"L\"} Shift{ 123456792, -50000000, 0.5 } }",
     "Layer{\n\tName{ \"L\" }\n\tSwitch{ 1 }\n\tShift{ 123456792, -50000000, 0.5 }\n}\n", 0},
    {"over-long names are cut",
     "Layer{ Name{\"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\"} }",
     "Layer{\n\tName{ \"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\" }\n\tSwitch{ 1 }\n}\n", 0},
    {"nofog and nodistance are kept",
     "Layer{ Name{\"F\"} Attribute{\"NoFog\",\"NoDistance\",\"Sparkle\"} }",
     "Layer{\n\tName{ \"F\" }\n\tSwitch{ 1 }\n\tAttribute{ \"FillRect\", \"NoFog\", \"NoDistance\" "
     "}\n}\n",
     0},
};

TEST_F(LayerCase, ReaderEdgeCases) {
    for (const Edge& e : kEdges) {
        SCOPED_TRACE(e.name);
        tagKRNL* holder = KRNL_CreateLayer(master, "Holder");
        ASSERT_NE(holder, nullptr);
        std::string in = Path("edge.plm"), out = Path("edge-out.plm");
        WriteText(in, std::string("FileInformation{ \"x\" }\n") + e.body);
        int boxes = WynPlat_MessageBoxCount();
        ASSERT_EQ(KRNL_LoadLayer(holder, in.c_str(), 0), 1);
        EXPECT_EQ(WynPlat_MessageBoxCount() - boxes, e.boxes);
        ASSERT_EQ(holder->layer, 1);
        ASSERT_EQ(KRNL_SaveLayer(holder->child[0], out.c_str()), 1);
        std::string text = ReadText(out);
        size_t at = text.find("Layer{");
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(text.substr(at), e.saved);
        KRNL_DeleteLayer(holder, 1);
        for (int i = 0; i < krn->chipmax; ++i)
            ASSERT_EQ(Chip(i).mode, 0) << "slot " << i << " left behind";
    }
}

TEST_F(LayerCase, ReaderLimitsAndNames) {
    std::string in = Path("m.plm");
    // A saved master comes back as a numbered child of the master.
    ASSERT_EQ(KRNL_SaveLayer(master, in.c_str()), 1);
    ASSERT_EQ(KRNL_LoadLayer(master, in.c_str(), 0), 1);
    ASSERT_EQ(master->layer, 1);
    EXPECT_STREQ(master->child[0]->name, "KorrinMasterLayer.001");

    EXPECT_EQ(KRNL_LoadLayer(master, Path("missing.plm").c_str(), 0), 0);
    EXPECT_EQ(master->layer, 1);

    // Chips before their Count are kept and reported; no free run stops the reading.
    WriteText(
        in,
        "Layer{Name{\"Early\"}Chip{Vertex{1,0,0,0,1,0,0,0,1}}Count{1}}"
        "Layer{Name{\"Huge\"}Count{9999}" +
            [] {
                std::string s;
                for (int i = 0; i < 4001; ++i) s += "Chip{Vertex{1,0,0,0,1,0,0,0,1}}";
                return s;
            }() +
            "}Layer{Name{\"After\"}}");
    int boxes = WynPlat_MessageBoxCount();
    ASSERT_EQ(KRNL_LoadLayer(master, in.c_str(), 0), 1);
    EXPECT_EQ(WynPlat_MessageBoxCount() - boxes, 1) << "one report for the file";
    tagKRNL* early = KRNL_SearchLayer(master, "Early");
    ASSERT_NE(early, nullptr);
    EXPECT_EQ(early->count, 1);
    tagKRNL* huge = KRNL_SearchLayer(master, "Huge");
    ASSERT_NE(huge, nullptr);
    EXPECT_EQ(huge->count, 0);
    EXPECT_EQ(KRNL_SearchLayer(master, "After"), nullptr) << "reading stopped";
}

TEST_F(LayerCase, WhatTheModelMakerWritesLoads) {
    struct Case {
        const char* file;
        std::vector<const char*> layers;
        int chips;
    } cases[] = {
        {KRNL_TEST_MODELS "/sample.plm", {"Hangar", "Tank", "LodTank", "Ramp"}, 12 + 32 + 16 + 8},
        {KRNL_BIN_DIR "/model/scene01.plm",
         {"Airfield", "Ground", "Runway", "CentreLine", "Site", "Tower", "LodTower", "Apron",
          "Aircraft", "Fuselage", "Wings", "TailFin", "Stabiliser", "LodAircraft"},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        char sys[1024];
        ASSERT_EQ(WynPlat_ToSystemPath(c.file, sys, sizeof sys), 1);
        tagKRNL* holder = KRNL_CreateLayer(master, "Holder");
        ASSERT_EQ(KRNL_LoadLayer(holder, sys, 0), 1);
        for (const char* name : c.layers) {
            tagKRNL* l = KRNL_SearchLayer(holder, name);
            ASSERT_NE(l, nullptr) << name;
            EXPECT_STREQ(l->name, name) << "found by its own name, not by another's prefix";
            EXPECT_EQ(l->sw, std::strncmp(name, "Lod", 3) == 0 ? 0 : 1) << name;
        }
        int chips = 0;
        KRNL_CountLayer(holder, nullptr, &chips, nullptr);
        EXPECT_GT(chips, 50);
        if (c.chips) {
            EXPECT_EQ(chips, c.chips);
        }
        KRNL_CalcLayerEx(master, 0);
        KRNL_DeleteLayer(holder, 1);
    }
    tagKRNL* holder = KRNL_CreateLayer(master, "Holder");
    char sys[1024];
    WynPlat_ToSystemPath(KRNL_TEST_MODELS "/sample.plm", sys, sizeof sys);
    KRNL_LoadLayer(holder, sys, 0);
    tagKRNL* hangar = KRNL_SearchLayer(holder, "Hangar");
    EXPECT_EQ(hangar->texture.mode, 3) << "planar along z";
    EXPECT_EQ(hangar->nofog, 1);
    tagKRNL* tank = KRNL_SearchLayer(holder, "Tank");
    EXPECT_EQ(tank->texture.mode, 5) << "cylindrical about y";
    EXPECT_EQ(tank->texture.mask, 1);
    EXPECT_NE(tank->lpchip[0].htex, 0u);
    // The ground of the scene faces up.
    KRNL_DeleteLayer(holder, 1);
    holder = KRNL_CreateLayer(master, "Holder");
    WynPlat_ToSystemPath(KRNL_BIN_DIR "/model/scene01.plm", sys, sizeof sys);
    KRNL_LoadLayer(holder, sys, 0);
    tagKRNL* ground = KRNL_SearchLayer(holder, "Ground");
    ASSERT_EQ(ground->count, 2);
    EXPECT_GT(ground->lpchip[0].normal.y, 0.99);
    EXPECT_GT(ground->lpchip[1].normal.y, 0.99);
}

// Round bodies, thick flat parts, arguments to an included description and a texture spread
// over a stated area: the chips face outwards and the picture's corners sit where asked.
TEST_F(LayerCase, ModelMakerRoundBodiesSlabsAndTextureAreas) {
    const char* run = std::getenv("WYN_RUNTIME_DIR");
    const std::string dir =
        (std::filesystem::path(run ? run : "/tmp") / "modelmake_shapes").string();
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/top.desc") << "file s.plm\nlayer Top\n include part.desc Hull 6\nend\n";
    std::ofstream(dir + "/part.desc") << "layer $1\n"
                                         // a point, a ring and an open end ring: 6 + 12 chips
                                         "  lathe 0 $2  10 4 0  5 4 2  -10 4 -2\n"
                                         "  texture pic.bmp planar x area 10 -10 2 6\n"
                                         "end\n"
                                         "layer Pod\n"
                                         // both end rings closed: 12 + 2 x 6 chips
                                         "  lathe 0 6  0 0 1  -3 0 1\n"
                                         "end\n"
                                         "layer Wing\n"
                                         "  slab 1 3 -2  1 3 2  9 3 0  9 3 -3  0.5\n"
                                         "end\n";
    std::string cmd = std::string(KRNL_MODELMAKE) + " " + dir + "/out " + dir + "/top.desc";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    char sys[1024];
    ASSERT_EQ(WynPlat_ToSystemPath((dir + "/out/s.plm").c_str(), sys, sizeof sys), 1);
    ASSERT_EQ(KRNL_LoadLayer(master, sys, 0), 1);
    tagKRNL* hull = KRNL_SearchLayer(master, "Hull");
    tagKRNL* wing = KRNL_SearchLayer(master, "Wing");
    ASSERT_TRUE(hull && wing);
    tagKRNL* pod = KRNL_SearchLayer(master, "Pod");
    ASSERT_NE(pod, nullptr);
    EXPECT_EQ(hull->count, 6 + 12) << "the open ring at the tail has no cap";
    EXPECT_EQ(pod->count, 12 + 6 + 6) << "closed end rings have caps";

    EXPECT_EQ(wing->count, 10) << "the root side stays open";
    auto outwards = [](const tagKRNL* l, double ax, double ay, double az, bool alongZ) {
        for (int i = 0; i < l->count; ++i) {
            const tagKRNCHIP& c = l->lpchip[i];
            double m[3] = {0, 0, 0};
            for (const tagKRN3D& v : c.v) {
                m[0] += v.x / 3;
                m[1] += v.y / 3;
                m[2] += v.z / 3;
            }
            // Away from the axis (or, for caps and the flat part, from its centre).
            double d[3] = {m[0] - ax, m[1] - ay, alongZ ? 0 : m[2] - az};
            if (alongZ && std::fabs(c.normal.z) > 0.99) d[2] = m[2] - az;
            if (d[0] * c.normal.x + d[1] * c.normal.y + d[2] * c.normal.z <= 0) return i;
        }
        return -1;
    };
    EXPECT_EQ(outwards(hull, 0, 4, 0, true), -1) << "a hull chip faces inwards";
    EXPECT_EQ(outwards(pod, 0, 0, -1.5, true), -1) << "a pod chip faces inwards";
    EXPECT_EQ(outwards(wing, 5, 3, -0.75, false), -1) << "a wing chip faces inwards";
    // The nose (z 10) is the picture's left edge and the roof (y 6) its top row, in whole
    // repeats of the picture.
    bool sawNose = false, sawRoof = false;
    for (int i = 0; i < hull->count; ++i) {
        const tagKRNCHIP& c = hull->lpchip[i];
        EXPECT_NE(c.htex, 0u);
        for (int k = 0; k < 3; ++k) {
            const double u = c.x[k], v = c.y[k];
            const double wantU = (10 - c.v[k].z) / 20, wantV = (6 - c.v[k].y) / 4;
            EXPECT_NEAR(u - std::floor(u + 1e-6), wantU - std::floor(wantU + 1e-6), 1e-4)
                << "chip " << i << " corner " << k;
            EXPECT_NEAR(v - std::floor(v + 1e-6), wantV - std::floor(wantV + 1e-6), 1e-4)
                << "chip " << i << " corner " << k;
            sawNose |= c.v[k].z == 10;
            sawRoof |= std::fabs(c.v[k].y - 6) < 1e-9;
        }
    }
    EXPECT_TRUE(sawNose && sawRoof);
}

TEST(ModelMaker, WarnsWhenANameBeginsAnother) {
    const char* run = std::getenv("WYN_RUNTIME_DIR");
    std::filesystem::path dir = std::filesystem::path(run ? run : "/tmp") / "modelmake";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "desc.desc")
        << "file p.plm\nlayer Tower\n box 0 0 0 1 1 1\n layer Tow\n end\nend\n";
    std::string cmd = std::string(KRNL_MODELMAKE) + " " + (dir / "out").string() + " " +
                      (dir / "desc.desc").string() + " 2>" + (dir / "err.txt").string();
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::ifstream err(dir / "err.txt");
    std::string text((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("warning: layer Tow is taken"), std::string::npos) << text;
    EXPECT_NE(text.find("warning: layer name Tow"), std::string::npos) << text;
    EXPECT_TRUE(std::filesystem::exists(dir / "out" / "p.plm"));
}

TEST(ModelMaker, WritesIntoSubFoldersMadeOnDemand) {
    const char* run = std::getenv("WYN_RUNTIME_DIR");
    std::filesystem::path dir = std::filesystem::path(run ? run : "/tmp") / "modelmake_sub";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "top.desc") << "file port/abc/deep.plm\nlayer Top\n box 0 0 0 1 1 1\nend\n";
    std::string cmd = std::string(KRNL_MODELMAKE) + " " + (dir / "out").string() + " " +
                      (dir / "top.desc").string();
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "out" / "port" / "abc" / "deep.plm"));
}

}  // namespace
