// Chips: single slots, runs of slots and normal smoothing.
#include <gtest/gtest.h>

#include <cmath>

#include "krn_fixture.h"

namespace {

TEST(KrnChips, SlotChecks) {
    ChipEngine e(10);
    tagKRNCHIP c = Triangle(V(0, 0, 0), V(1, 0, 0), V(0, 1, 0));
    tagKRN3D s = V(1, 1, 1);
    struct Op {
        const char* name;
        int (*call)(tagKRN*, int, tagKRNCHIP*, const tagKRN3D*);
    };
    const Op ops[] = {
        {"SetChip",
         [](tagKRN* k, int i, tagKRNCHIP* c, const tagKRN3D*) { return KRN_SetChip(k, i, c); }},
        {"GetChip",
         [](tagKRN* k, int i, tagKRNCHIP* c, const tagKRN3D*) { return KRN_GetChip(k, i, c); }},
        {"DeleteChip",
         [](tagKRN* k, int i, tagKRNCHIP*, const tagKRN3D*) { return KRN_DeleteChip(k, i); }},
        {"ScaleChip",
         [](tagKRN* k, int i, tagKRNCHIP*, const tagKRN3D* s) { return KRN_ScaleChip(k, i, s); }},
        {"ShiftChip",
         [](tagKRN* k, int i, tagKRNCHIP*, const tagKRN3D* s) { return KRN_ShiftChip(k, i, s); }},
        {"RotateChip",
         [](tagKRN* k, int i, tagKRNCHIP*, const tagKRN3D* s) { return KRN_RotateChip(k, i, s); }},
        {"SwitchChip",
         [](tagKRN* k, int i, tagKRNCHIP*, const tagKRN3D*) { return KRN_SwitchChip(k, i, 1); }},
        {"BackChip",
         [](tagKRN* k, int i, tagKRNCHIP*, const tagKRN3D*) { return KRN_BackChip(k, i, 1); }},
    };
    for (const auto& op : ops)
        for (int bad : {-1, 10, 1 << 30})
            EXPECT_EQ(op.call(&e.krn, bad, &c, &s), 0) << op.name << " " << bad;
    // Free chips are not moved.
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(ops[i].call(&e.krn, 0, &c, &s), 0) << ops[i].name << " on a free slot";
}

TEST(KrnChips, SetGetAndTexturedChipsTurnWhite) {
    ChipEngine e(4);
    tagKRNCHIP c = Triangle(V(0, 0, 0), V(1, 0, 0), V(0, 1, 0));
    c.red = 10;
    c.r[1] = 20;
    c.flags = KRNCHIP_VERTEXCOLOR | KRNCHIP_TWOSIDED;
    c.htex = 0x1234;
    ASSERT_EQ(KRN_SetChip(&e.krn, 2, &c), 1);
    EXPECT_EQ(c.no, 2) << "the caller's record changes too";
    EXPECT_EQ(c.red, 255);
    EXPECT_EQ(c.r[1], 255);
    EXPECT_EQ(c.b[2], 255);
    EXPECT_EQ(c.flags, KRNCHIP_TWOSIDED);
    tagKRNCHIP out;
    ASSERT_EQ(KRN_GetChip(&e.krn, 2, &out), 1);
    EXPECT_EQ(out.no, 2);
    EXPECT_EQ(out.g[0], 255);

    tagKRNCHIP plain = Triangle(V(0, 0, 0), V(1, 0, 0), V(0, 1, 0));
    plain.red = 10;
    plain.flags = KRNCHIP_VERTEXCOLOR;
    KRN_SetChip(&e.krn, 1, &plain);
    EXPECT_EQ(e.chips[1].red, 10) << "untextured colours stay";
    EXPECT_EQ(e.chips[1].flags, KRNCHIP_VERTEXCOLOR);

    ASSERT_EQ(KRN_DeleteChip(&e.krn, 1), 1);
    EXPECT_EQ(e.chips[1].mode, KRNCHIP_FREE);
    EXPECT_EQ(e.chips[1].v[1].x, 0.0);
}

TEST(KrnChips, MoveSwitchAndBack) {
    ChipEngine e(4);
    tagKRNCHIP c = Triangle(V(1, 2, 3), V(4, 5, 6), V(7, 8, 9));
    KRN_SetChip(&e.krn, 0, &c);
    tagKRN3D s = V(2, 3, 4);
    ASSERT_EQ(KRN_ScaleChip(&e.krn, 0, &s), 1);
    EXPECT_EQ(e.chips[0].v[2].z, 36);
    ASSERT_EQ(KRN_ShiftChip(&e.krn, 0, &s), 1);
    EXPECT_EQ(e.chips[0].v[0].x, 4);

    tagKRNCHIP r = Triangle(V(0, 1, 0), V(0, 0, 0), V(1, 0, 0));
    KRN_SetChip(&e.krn, 1, &r);
    char old[4];
    KRN_DefineRotate3D("ZXY", old);
    tagKRN3D a = V(90, 0, 0);
    ASSERT_EQ(KRN_RotateChip(&e.krn, 1, &a), 1);
    EXPECT_NEAR(e.chips[1].v[0].z, 1.0, 1e-12) << "vertices turn";
    EXPECT_NEAR(e.chips[1].normal.y, -1.0, 1e-12) << "the face normal (0,0,1) turns to (0,-1,0)";
    EXPECT_NEAR(e.chips[1].n[2].y, -1.0, 1e-12) << "vertex normals turn";
    KRN_DefineRotate3D(old, nullptr);

    ASSERT_EQ(KRN_SwitchChip(&e.krn, 3, 1), 1);
    EXPECT_EQ(e.chips[3].mode, KRNCHIP_SHOW) << "a free slot becomes a shown chip";
    KRN_SwitchChip(&e.krn, 3, 0);
    EXPECT_EQ(e.chips[3].mode, KRNCHIP_HIDE);
    KRN_BackChip(&e.krn, 0, 5);
    EXPECT_TRUE(e.chips[0].flags & KRNCHIP_TWOSIDED);
    KRN_BackChip(&e.krn, 0, 0);
    EXPECT_FALSE(e.chips[0].flags & KRNCHIP_TWOSIDED);
}

struct SearchCase {
    const char* taken;  // 'x' marks a used slot of a 10-slot array
    int start, n, expect;
};
const SearchCase kSearch[] = {
    {"..........", 0, 10, -1},  // a run may not end on the last slot
    {"..........", 0, 9, 0},   {"..........", 3, 6, 3},
    {"..........", 3, 7, -1},  {"xx........", 0, 3, 2},
    {".x.x..x...", 0, 2, 4},   {".x.x..x...", 0, 3, -1},  // 7, 8, 9 would end on the last slot
    {".x.x..x...", 0, 1, 0},   {"..........", 0, 0, -1},  // no run to find
    {"..........", -1, 2, -1}, {"..........", 12, 1, -1},
};

TEST(KrnChips, SearchChip) {
    for (const auto& c : kSearch) {
        ChipEngine e(10);
        for (int i = 0; i < 10; ++i) e.chips[(size_t)i].mode = c.taken[i] == 'x' ? KRNCHIP_SHOW : 0;
        EXPECT_EQ(KRN_SearchChip(&e.krn, c.start, c.n), c.expect)
            << c.taken << " start " << c.start << " n " << c.n;
    }
}

// Two chips folded along the shared edge (0,0,0)-(1,0,0): one flat in z = 0, one standing in y = 0.
struct SmoothCase {
    const char* name;
    double offset;  // added to the second chip's shared vertices
    int exact;
    bool shared;  // whether the edge counts as shared
};
const SmoothCase kSmooth[] = {
    {"exact edge", 0.0, 1, true},
    {"fuzzy edge", 0.0, 0, true},
    {"near edge, exact", 0.25, 1, false},
    {"near edge, fuzzy", 0.25, 0, true},  // truncated to the same integers
};

TEST(KrnChips, SmoothChipOnASharedEdge) {
    for (const auto& c : kSmooth) {
        ChipEngine e(8);
        tagKRNCHIP a = Triangle(V(0, 0, 0), V(1, 0, 0), V(0, 1, 0));  // normal (0,0,1)
        tagKRNCHIP b = Triangle(V(1 + c.offset, c.offset, 0), V(c.offset, c.offset, 0), V(0, 0, 1));
        KRN_SetChip(&e.krn, 3, &a);
        KRN_SetChip(&e.krn, 4, &b);
        const tagKRN3D nb = e.chips[4].normal;
        ASSERT_EQ(KRN_SmoothChip(&e.krn, 3, 2, c.exact), 0) << c.name;
        const tagKRNCHIP& A = e.chips[3];
        const tagKRNCHIP& B = e.chips[4];
        if (c.shared) {
            tagKRN3D mean;
            KRN_Normal3D(&mean, (0 + nb.x) / 2, (0 + nb.y) / 2, (1 + nb.z) / 2);
            for (int k : {0, 1}) {
                EXPECT_NEAR(A.n[k].y, mean.y, 1e-12) << c.name << " first chip vertex " << k;
                EXPECT_NEAR(A.n[k].z, mean.z, 1e-12) << c.name << " first chip vertex " << k;
                EXPECT_NEAR(B.n[k].y, mean.y, 1e-12) << c.name << " second chip vertex " << k;
                EXPECT_NEAR(B.n[k].z, mean.z, 1e-12) << c.name << " second chip vertex " << k;
            }
            EXPECT_EQ(A.n[2].z, 1.0) << c.name << ": the unshared vertex keeps its normal";
            EXPECT_TRUE(A.flags & KRNCHIP_SMOOTH) << c.name;
            EXPECT_TRUE(B.flags & KRNCHIP_SMOOTH) << c.name;
        } else {
            EXPECT_EQ(A.n[0].z, 1.0) << c.name;
            EXPECT_FALSE(A.flags & KRNCHIP_SMOOTH) << c.name;
            EXPECT_FALSE(B.flags & KRNCHIP_SMOOTH) << c.name;
        }
    }
}

TEST(KrnChips, SmoothChipSkipsHiddenAndFreeAndChecksTheRun) {
    ChipEngine e(8);
    tagKRNCHIP a = Triangle(V(0, 0, 0), V(1, 0, 0), V(0, 1, 0));
    KRN_SetChip(&e.krn, 1, &a);
    // Slot 0 is free: its zero vertex at the origin must not lend a zero normal.
    EXPECT_EQ(KRN_SmoothChip(&e.krn, 0, 2, 1), 0);
    EXPECT_EQ(e.chips[1].n[0].z, 1.0);
    EXPECT_FALSE(e.chips[1].flags & KRNCHIP_SMOOTH);
    tagKRNCHIP hidden = a;
    hidden.mode = KRNCHIP_HIDE;
    KRN_SetChip(&e.krn, 2, &hidden);
    KRN_SmoothChip(&e.krn, 2, 1, 1);
    EXPECT_FALSE(e.chips[2].flags & KRNCHIP_SMOOTH) << "hidden chips are not smoothed";
    for (auto [start, n] : {std::pair{-1, 1}, {8, 1}, {6, 3}, {0, -1}})
        EXPECT_EQ(KRN_SmoothChip(&e.krn, start, n, 1), -1) << start << "+" << n;
}

}  // namespace
