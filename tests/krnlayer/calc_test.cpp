// The calculation into the engine chip array: placements, recalculation of changed layers
// only, hidden layers, renumbering, billboards and grouping.
#include <cmath>
#include <vector>

#include "layer_fixture.h"

namespace {

using krnltest::LayerCase;
using krnltest::V;

// A vertex placed by scale, rotation (engine order) and shift, as a layer places it.
tagKRN3D Place(tagKRN3D v, tagKRN3D shift, tagKRN3D rotate, tagKRN3D scale) {
    tagKRNFFR ffr;
    KRN_MakeFastRotate3D(&ffr, &rotate, "ZXY");
    KRN_Mul3D(&v, &v, &scale);
    if (rotate.x != 0 || rotate.y != 0 || rotate.z != 0) KRN_FastRotate3D(&v, &v, &ffr);
    KRN_Add3D(&v, &v, &shift);
    return v;
}

TEST_F(LayerCase, NestedPlacementsGiveExactWorldVertices) {
    tagKRNL* a = KRNL_CreateLayer(master, "A");
    tagKRNL* b = KRNL_CreateLayer(a, "B");
    tagKRNL* c = WithChips(b, "C", 10, 1, V(1, 2, 3));
    struct Place3 {
        tagKRN3D shift, rotate, scale;
    } pa{V(100, 0, -50), V(0, 90, 0), V(1, 1, 1)}, pb{V(0, 10, 0), V(30, 0, 0), V(2, 2, 2)},
        pc{V(5, 0, 0), V(0, 0, 0), V(1, 3, 1)};
    KRNL_AbsMoveLayer(a, &pa.shift, &pa.rotate, &pa.scale);
    KRNL_AbsMoveLayer(b, &pb.shift, &pb.rotate, &pb.scale);
    KRNL_AbsMoveLayer(c, &pc.shift, &pc.rotate, &pc.scale);
    KRNL_CalcLayerEx(master, 0);
    for (int k = 0; k < 3; ++k) {
        tagKRN3D want = c->lpchip[0].v[k];
        for (const Place3* p : {&pc, &pb, &pa}) want = Place(want, p->shift, p->rotate, p->scale);
        EXPECT_EQ(Chip(10).v[k].x, want.x) << "vertex " << k;
        EXPECT_EQ(Chip(10).v[k].y, want.y) << "vertex " << k;
        EXPECT_EQ(Chip(10).v[k].z, want.z) << "vertex " << k;
    }
    // (1, 2, 3): scaled (1, 6, 3), shifted (6, 6, 3); doubled (12, 12, 6), 30 degrees about x,
    // lifted 10; a quarter turn about y takes z to x; then the shift of A.
    const double y30 = 12 * std::cos(KRN_DegToRad(30)) - 6 * std::sin(KRN_DegToRad(30));
    const double z30 = 12 * std::sin(KRN_DegToRad(30)) + 6 * std::cos(KRN_DegToRad(30));
    EXPECT_NEAR(Chip(10).v[0].x, 100 + z30, 1e-9);
    EXPECT_NEAR(Chip(10).v[0].y, y30 + 10, 1e-9);
    EXPECT_NEAR(Chip(10).v[0].z, -50 - 12, 1e-9);
    EXPECT_EQ(Chip(10).no, 10);
    EXPECT_EQ(c->lpchip[0].v[0].x, 1.0) << "the layer's own chips stay in its coordinates";
}

// The master layer's own shift, rotation and scale place every layer below it, at any depth,
// and moving the master alone moves them all at the next calculation.
TEST_F(LayerCase, TheMastersPlacementReachesEveryDescendant) {
    tagKRNL* a = WithChips(master, "A", 20, 1, V(1, 2, 3));
    tagKRNL* b = WithChips(a, "B", 21, 1, V(-4, 5, 6));
    tagKRNL* c = WithChips(b, "C", 22, 1, V(7, -8, 9));
    const tagKRN3D one = V(1, 1, 1), none = V(0, 0, 0);
    const tagKRN3D bShift = V(0, 3, 0);
    KRNL_AbsMoveLayer(b, &bShift, &none, &one);
    struct Move {
        const char* what;
        tagKRN3D shift, rotate, scale;
    };
    const Move moves[] = {
        {"shift, rotation and scale", V(100, -20, 5), V(10, 45, 30), V(2, 0.5, 3)},
        {"moved again", V(-7, 0, 1), V(0, 0, 90), V(1, 1, 1)},
    };
    for (const Move& m : moves) {
        KRNL_AbsMoveLayer(master, &m.shift, &m.rotate, &m.scale);
        KRNL_CalcLayerEx(master, 0);
        struct Below {
            tagKRNL* layer;
            int slot;
            std::vector<tagKRN3D> shifts;  // the placements between it and the master
        };
        const Below below[] = {{a, 20, {}}, {b, 21, {bShift}}, {c, 22, {bShift}}};
        for (const Below& l : below) {
            for (int k = 0; k < 3; ++k) {
                tagKRN3D want = l.layer->lpchip[0].v[k];
                for (const tagKRN3D& sh : l.shifts) want = Place(want, sh, none, one);
                want = Place(want, m.shift, m.rotate, m.scale);
                EXPECT_NEAR(Chip(l.slot).v[k].x, want.x, 1e-9) << m.what << ", " << l.layer->name;
                EXPECT_NEAR(Chip(l.slot).v[k].y, want.y, 1e-9) << m.what << ", " << l.layer->name;
                EXPECT_NEAR(Chip(l.slot).v[k].z, want.z, 1e-9) << m.what << ", " << l.layer->name;
            }
        }
    }
}

TEST_F(LayerCase, OnlyChangedLayersAreRecalculated) {
    tagKRNL* group = KRNL_CreateLayer(master, "Group");
    tagKRN3D shift = V(0, 0, 100);
    KRNL_AbsMoveLayer(group, &shift, nullptr, nullptr);
    tagKRNL* kids[3];
    for (int i = 0; i < 3; ++i) {
        char name[8] = {char('P' + i), 0};
        kids[i] = WithChips(group, name, i * 4, 4, V(i * 10, 0, 0));
    }
    EXPECT_EQ(KRNL_CalcLayerEx(master, 0), 3) << "the first calculation composes every layer";
    EXPECT_EQ(Chip(4).v[0].z, 100.0);
    EXPECT_EQ(KRNL_CalcLayerEx(master, 0), 0) << "nothing changed";

    Chip(0).red = 77;  // a mark that a recalculation of the first child would overwrite
    tagKRN3D up = V(0, 5, 0);
    KRNL_RelMoveLayer(kids[1], &up, nullptr, nullptr);
    EXPECT_EQ(KRNL_CalcLayerEx(master, 0), 1);
    EXPECT_EQ(Chip(0).red, 77) << "an unchanged sibling is left alone";
    EXPECT_EQ(Chip(4).v[0].y, 5.0);
    EXPECT_EQ(kids[1]->powercount, 1);
    EXPECT_EQ(group->childrecalc[0], 0);
    EXPECT_EQ(group->childrecalc[1], 1);

    tagKRN3D zero = V(0, 0, 0);
    KRNL_AbsMoveLayer(group, &zero, nullptr, nullptr);
    EXPECT_EQ(KRNL_CalcLayerEx(master, 0), 0) << "no ancestor placement to apply";
    EXPECT_EQ(Chip(0).v[0].z, 0.0) << "a parent back at the identity takes its children along";
    EXPECT_EQ(Chip(0).red, 255);
}

TEST_F(LayerCase, HiddenLayersChipsGetTheHiddenBit) {
    tagKRNL* a = WithChips(master, "A", 0, 2);
    WithChips(a, "B", 2, 1);
    struct Case {
        INT_PTR value;
        int want;
    } cases[] = {{0, 3}, {1, 1}, {-9, 3}, {9, 1}, {2, 3}, {1, 1}};
    for (const auto& c : cases) {
        KRNL_RecallFunction(KRNLOP_SWITCH, a, 0, c.value, 0);
        KRNL_CalcLayerEx(master, 0);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Chip(i).mode, c.want) << "switch " << c.value << " slot " << i;
    }
}

TEST_F(LayerCase, RenumberingReturnsTheTotal) {
    tagKRNL* a = WithChips(master, "A", 100, 3);
    tagKRNL* b = WithChips(a, "B", 50, 2);
    KRNL_CreateLayer(a, "Empty");
    tagKRNL* c = WithChips(master, "C", 10, 4);
    KRNL_CalcLayerEx(master, 0);
    EXPECT_EQ(KRNL_RecallFunction(KRNLOP_RENUMBER, master, 0, 0, 0), 9);
    EXPECT_EQ(a->no, 0);
    EXPECT_EQ(b->no, 3);
    EXPECT_EQ(c->no, 5);
    EXPECT_EQ(Chip(100).mode, KRNCHIP_FREE) << "old slots are cleared";
    KRNL_CalcLayerEx(master, 0);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(Chip(i).mode, KRNCHIP_SHOW) << "slot " << i;
        EXPECT_EQ(Chip(i).no, i);
    }
    EXPECT_EQ(Chip(3).v[0].x, b->lpchip[0].v[0].x);
}

TEST_F(LayerCase, BillboardChipsTurnToFaceTheCamera) {
    // A chip facing +z, the camera on the +x side of its centre.
    tagKRNL* l = KRNL_CreateLayer(master, "Sign");
    tagKRNCHIP chip = krnltest::Triangle(V(1, 0, 0), V(0, 2, 0), V(-1, 0, 0));
    ASSERT_NEAR(chip.normal.z, 1.0, 1e-12);
    KRN_SetChip(krn, 0, &chip);
    KRNL_CaptureLayer(l, 0, 1);
    KRNL_RecallFunction(KRNLOP_BILLBOARD, l, 0, 1, 0);
    krn->camera[2].viewpoint = V(50, 30, 2.0 / 3.0 * 0);
    KRNL_CalcLayerEx(master, 2);
    tagKRN3D n;
    KRN_FaceNormal3D(&n, &Chip(0).v[0], &Chip(0).v[1], &Chip(0).v[2]);
    EXPECT_NEAR(n.x, 1.0, 1e-9) << "the turned triangle faces the camera";
    EXPECT_NEAR(n.z, 0.0, 1e-9);
    EXPECT_NEAR(Chip(0).v[1].y, 2.0, 1e-12) << "turned about the vertical axis";
    double cx = (Chip(0).v[0].x + Chip(0).v[1].x + Chip(0).v[2].x) / 3;
    EXPECT_NEAR(cx, 0.0, 1e-12) << "about its centre";
    EXPECT_NEAR(Chip(0).v[0].z, -1.0, 1e-9);

    // Every billboard chip turns, also past the first thousand.
    tagKRNL* many = KRNL_CreateLayer(master, "Many");
    for (int i = 0; i < 1500; ++i) KRN_SetChip(krn, 10 + i, &chip);
    KRNL_CaptureLayer(many, 10, 1500);
    many->billboard = 1;
    KRNL_CalcLayerEx(master, 2);
    for (int slot : {10, 1009, 1010, 1509}) {
        KRN_FaceNormal3D(&n, &Chip(slot).v[0], &Chip(slot).v[1], &Chip(slot).v[2]);
        EXPECT_NEAR(n.x, 1.0, 1e-9) << "slot " << slot;
    }
}

TEST_F(LayerCase, GroupingInWorldAndLocalFrames) {
    for (int flag : {1, 0}) {
        SCOPED_TRACE(flag ? "world frame" : "local frame");
        tagKRNL* g = KRNL_CreateLayer(master, "Group");
        tagKRN3D gs = V(10, 0, 0), gr = V(0, 90, 0);
        KRNL_AbsMoveLayer(g, &gs, &gr, nullptr);
        tagKRNL* a = WithChips(g, "A", 20, 2, V(1, 2, 3));
        tagKRN3D as = V(0, 5, 0);
        KRNL_AbsMoveLayer(a, &as, nullptr, nullptr);
        tagKRNL* b = WithChips(g, "B", 22, 3, V(-4, 0, 1));
        WithChips(b, "C", 25, 1, V(7, 7, 7));
        KRNL_CalcLayerEx(master, 0);
        std::vector<tagKRNCHIP> before(chips_.begin() + 20, chips_.begin() + 26);

        ASSERT_EQ(KRNL_GroupLayer(g, flag), 1);
        EXPECT_EQ(g->layer, 0);
        EXPECT_EQ(g->no, 20);
        EXPECT_EQ(g->count, 6);
        EXPECT_EQ(g->shift.x, flag ? 0.0 : 10.0) << "the placement is taken into the chips or kept";
        KRNL_CalcLayerEx(master, 0);
        for (int i = 0; i < 6; ++i)
            for (int k = 0; k < 3; ++k) {
                EXPECT_NEAR(Chip(20 + i).v[k].x, before[size_t(i)].v[k].x, 1e-9) << "chip " << i;
                EXPECT_NEAR(Chip(20 + i).v[k].y, before[size_t(i)].v[k].y, 1e-9) << "chip " << i;
                EXPECT_NEAR(Chip(20 + i).v[k].z, before[size_t(i)].v[k].z, 1e-9) << "chip " << i;
            }
        KRNL_DeleteLayer(g, 1);
    }
    tagKRNL* empty = KRNL_CreateLayer(master, "Empty");
    KRNL_CreateLayer(empty, "Child");
    EXPECT_EQ(KRNL_GroupLayer(empty, 1), 0) << "a subtree without chips";
}

}  // namespace
