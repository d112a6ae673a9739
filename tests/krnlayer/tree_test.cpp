// The layer tree: names, search, deletion, enumeration and moving layers.
#include "layer_fixture.h"

namespace {

using krnltest::LayerCase;

TEST_F(LayerCase, DuplicateNamesAndNumberedSuffixes) {
    ASSERT_NE(KRNL_CreateLayer(master, "Tower"), nullptr);
    EXPECT_EQ(KRNL_CreateLayer(master, "Tower"), nullptr) << "a duplicate name";
    EXPECT_EQ(KRNL_CreateLayer(master, "tower"), nullptr) << "case is ignored";
    EXPECT_EQ(KRNL_CreateLayer(master, "Tow"), nullptr) << "Tow finds Tower";
    char name[KRNL_NAMEMAX] = "Tower";
    ASSERT_EQ(KRNL_CheckSameName(master, name), 1);
    EXPECT_STREQ(name, "Tower.001");
    ASSERT_NE(KRNL_CreateLayer(master, name), nullptr);
    std::strcpy(name, "Tower");
    ASSERT_EQ(KRNL_CheckSameName(master, name), 1);
    EXPECT_STREQ(name, "Tower.002");
    std::strcpy(name, "Hangar");
    ASSERT_EQ(KRNL_CheckSameName(master, name), 1);
    EXPECT_STREQ(name, "Hangar") << "a free name stays";
}

TEST_F(LayerCase, SearchMatchesByPrefixWithoutCase) {
    tagKRNL* tower = KRNL_CreateLayer(master, "Tower");
    tagKRNL* cab = KRNL_CreateLayer(tower, "Cab");
    tagKRNL* apron = KRNL_CreateLayer(master, "Apron");
    struct Case {
        const char* name;
        tagKRNL* from;
        tagKRNL* want;
    } cases[] = {
        {"Tower", master, tower},    {"tower", master, tower},   {"TOW", master, tower},
        {"Towers", master, nullptr}, {"cab", master, cab},       {"Cab", apron, nullptr},
        {"A", master, apron},        {"Korrin", master, master}, {"Tow*er", master, tower},
        {"", master, master},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KRNL_SearchLayer(c.from, c.name), c.want) << "searching " << c.name;
    EXPECT_EQ(KRNL_GetMasterLayer(cab), master);
}

TEST_F(LayerCase, OverLongNamesStayInTheirField) {
    const std::string longName(60, 'N');
    tagKRNL* l = KRNL_CreateLayer(master, longName.c_str());
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(std::strlen(l->name), 31u);
    // The cut name is what a second creation finds.
    EXPECT_EQ(KRNL_CreateLayer(master, longName.c_str()), nullptr);

    struct Buffer {
        char name[KRNL_NAMEMAX];
        char guard[16];
    } b;
    std::memset(&b, 'G', sizeof b);
    std::memcpy(b.name, longName.c_str(), 31);
    b.name[31] = 0;
    ASSERT_EQ(KRNL_CheckSameName(master, b.name), 1);
    EXPECT_EQ(std::string(b.name), std::string(27, 'N') + ".001") << "the suffix fits the field";
    EXPECT_EQ(std::string(b.guard, 16), std::string(16, 'G'));
    ASSERT_NE(KRNL_CreateLayer(master, b.name), nullptr);
}

TEST_F(LayerCase, DeletingASubtreeFreesItsChips) {
    tagKRNL* top = WithChips(master, "Top", 0, 2);
    WithChips(top, "A", 2, 3);
    tagKRNL* b = WithChips(top, "B", 5, 1);
    WithChips(b, "C", 6, 2);
    WithChips(master, "Other", 8, 1);
    int layers = 0, chips = 0, vertices = 0;
    KRNL_CountLayer(master, &layers, &chips, &vertices);
    EXPECT_EQ(layers, 6);
    EXPECT_EQ(chips, 9);
    EXPECT_EQ(vertices, 27);
    ASSERT_EQ(KRNL_DeleteLayer(top, 1), 1);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Chip(i).mode, KRNCHIP_FREE) << "slot " << i;
    EXPECT_EQ(Chip(8).mode, KRNCHIP_SHOW) << "another layer's chip stays";
    KRNL_CountLayer(master, &layers, &chips, nullptr);
    EXPECT_EQ(layers, 2);
    EXPECT_EQ(chips, 1);
    EXPECT_EQ(master->layer, 1);
    EXPECT_EQ(KRNL_SearchLayer(master, "A"), nullptr);

    // Clearing in place keeps the record, its name and its place.
    tagKRNL* other = KRNL_SearchLayer(master, "Other");
    tagKRN3D s = krnltest::V(1, 2, 3);
    KRNL_AbsMoveLayer(other, &s, nullptr, nullptr);
    ASSERT_EQ(KRNL_DeleteLayer(other, 0), 1);
    EXPECT_EQ(Chip(8).mode, KRNCHIP_FREE);
    EXPECT_EQ(other->count, 0);
    EXPECT_EQ(other->shift.x, 0.0);
    EXPECT_STREQ(other->name, "Other");
    EXPECT_EQ(master->child[0], other);
}

TEST_F(LayerCase, EnumerationDepths) {
    tagKRNL* a = KRNL_CreateLayer(master, "A");
    tagKRNL* b = KRNL_CreateLayer(a, "B");
    KRNL_CreateLayer(b, "C");
    KRNL_CreateLayer(a, "D");
    KRNL_CreateLayer(master, "E");
    tagKRNLINFO rows[8];
    struct Case {
        tagKRNL* from;
        std::vector<std::pair<std::string, int>> want;
    } cases[] = {
        {a, {{"A", 0}, {"B", 1}, {"C", 2}, {"D", 1}}},
        {master, {{KRNL_MASTERNAME, 0}, {"A", 1}, {"B", 2}, {"C", 3}, {"D", 2}, {"E", 1}}},
        {b, {{"B", 0}, {"C", 1}}},
    };
    for (const auto& c : cases) {
        int n = KRNL_EnumLayer(c.from, rows);
        ASSERT_EQ(n, int(c.want.size())) << c.from->name;
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(rows[i].name, c.want[size_t(i)].first) << c.from->name << " row " << i;
            EXPECT_EQ(rows[i].depth, c.want[size_t(i)].second) << c.from->name << " row " << i;
        }
    }
    // The operation itself returns the array advanced by one row per layer.
    INT_PTR end = KRNL_RecallFunction(KRNLOP_INFO, b, reinterpret_cast<INT_PTR>(rows), 0, 0);
    EXPECT_EQ(reinterpret_cast<tagKRNLINFO*>(end), rows + 2);
    EXPECT_EQ(rows[1].parent, b);
}

TEST_F(LayerCase, LinkingMovesSubtreesButNotUnderThemselves) {
    tagKRNL* a = KRNL_CreateLayer(master, "A");
    tagKRNL* b = KRNL_CreateLayer(a, "B");
    tagKRNL* c = KRNL_CreateLayer(b, "C");
    tagKRNL* e = KRNL_CreateLayer(master, "E");
    EXPECT_EQ(KRNL_LinkLayer(c, a), 0) << "under its own grandchild";
    EXPECT_EQ(KRNL_LinkLayer(a, a), 0) << "under itself";
    EXPECT_EQ(KRNL_LinkLayer(e, master), 0) << "the master has no parent";
    EXPECT_EQ(b->parent, a);
    KRNL_RecallFunction(KRNLOP_CLEAN, master, 0, 0, 0);
    ASSERT_EQ(KRNL_LinkLayer(e, b), 1);
    EXPECT_EQ(b->parent, e);
    EXPECT_EQ(a->layer, 0);
    ASSERT_EQ(e->layer, 1);
    EXPECT_EQ(e->child[0], b);
    EXPECT_EQ(KRNL_SearchLayer(e, "C"), c);
    EXPECT_TRUE(a->recalc && e->recalc && b->recalc) << "old parent, new parent and layer dirty";
}

TEST_F(LayerCase, EndOnlyEndsAMaster) {
    tagKRNL* a = KRNL_CreateLayer(master, "A");
    EXPECT_EQ(KRNL_End(a), 0);
    EXPECT_EQ(master->layer, 1);
    tagKRNL* root = KRNL_CreateLayer(nullptr, "korrinmasterlayer");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(KRNL_End(root), 0) << "the name is compared with case";
    KRNL_DeleteLayer(root, 1);
    EXPECT_EQ(KRNL_End(master), 1);
    master = nullptr;
}

TEST_F(LayerCase, OperationsOverTheSubtree) {
    tagKRNL* a = WithChips(master, "A", 0, 2);
    tagKRNL* b = WithChips(a, "B", 2, 1);
    struct Case {
        int op;
        INT_PTR value;
        int tagKRNL::*field;
        int want;
        DWORD bit;
    } cases[] = {
        {KRNLOP_BACK, 1, &tagKRNL::back, 1, 0},
        {KRNLOP_ALPHA, 1, &tagKRNL::alpha, 1, 0},
        {KRNLOP_WIREFRAME, 1, &tagKRNL::wireframe, 1, KRNCHIP_WIREFRAME},
        {KRNLOP_ZNOWRITE, 1, &tagKRNL::znowrite, 1, KRNCHIP_ZNOWRITE},
        {KRNLOP_NOFOG, 1, &tagKRNL::nofog, 1, KRNCHIP_NOFOG},
        {KRNLOP_NODISTANCE, 1, &tagKRNL::nodistance, 1, KRNCHIP_NOFAR},
        {KRNLOP_SHADOW, 1, &tagKRNL::shadow, 1, 0},
        {KRNLOP_THROUGH, 1, &tagKRNL::through, 1, 0},
        {KRNLOP_MIXTURE, 40, &tagKRNL::mixture, 40, 0},
        {KRNLOP_SWITCH, 0, &tagKRNL::sw, 0, 0},
        {KRNLOP_SWITCH, -9, &tagKRNL::blink, 0, 0},
        {KRNLOP_SWITCH, 9, &tagKRNL::blink, 1, 0},
        {KRNLOP_BILLBOARD, 1, &tagKRNL::billboard, 1, 0},
    };
    for (const auto& c : cases) {
        KRNL_RecallFunction(KRNLOP_CLEAN, master, 0, 0, 0);
        EXPECT_EQ(KRNL_RecallFunction(c.op, a, 7, c.value, 0), 7) << "op " << c.op;
        for (tagKRNL* l : {a, b}) {
            EXPECT_EQ(l->*c.field, c.want) << "op " << c.op << " on " << l->name;
            EXPECT_EQ(l->recalc, 1) << "op " << c.op << " marks dirty";
            if (c.bit) {
                EXPECT_TRUE(l->lpchip[0].flags & c.bit) << "op " << c.op;
            }
        }
        EXPECT_EQ(master->recalc, 0) << "op " << c.op << " stays in the subtree";
    }
    EXPECT_EQ(b->lpchip[0].trans, 40);
    KRNL_RecallFunction(KRNLOP_COLOR, a, 0, 0x00302010, 0);
    EXPECT_EQ(b->color, 0x00302010u);
    EXPECT_EQ(b->lpchip[0].red, 0x10);
    EXPECT_EQ(b->lpchip[0].b[2], 0x30);
    KRNL_RecallFunction(KRNLOP_SHADE, a, 0, 0, 0);
    EXPECT_TRUE(a->lpchip[1].flags & KRNCHIP_UNSHADED);
    tagKRN3D s = krnltest::V(2, 3, 4);
    tagKRN3D shift = krnltest::V(1, 1, 1);
    KRNL_AbsMoveLayer(b, &shift, nullptr, nullptr);
    KRNL_RecallFunction(KRNLOP_SCALE, a, 0, reinterpret_cast<INT_PTR>(&s), 0);
    EXPECT_EQ(b->shift.z, 4.0);
    EXPECT_EQ(b->lpchip[0].v[1].y, 3.0);
}

}  // namespace
