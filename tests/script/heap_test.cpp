// The string heap's blocks: first fit, exact fits, splits, merges on release and growth.
// Built with the value library's objects, so that the heap's own calls can be asked for sizes
// that strings never have.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "vsk_test_support.h"
#include "vskval_internal.h"

using namespace vsktest;

namespace {

struct Block {
    int at, next, prev, size;
    bool operator==(const Block&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Block& b) {
    return o << "{" << b.at << " next " << b.next << " prev " << b.prev << " size " << b.size
             << "}";
}

std::vector<Block> Blocks(tagVALUAREA* ctx) {
    auto* base = static_cast<const BYTE*>(GlobalLock(ctx->hstring));
    std::vector<Block> list;
    int at = 0;
    do {
        int32_t h[3];
        std::memcpy(h, base + at, sizeof h);
        list.push_back({at, h[0], h[1], h[2]});
        at = h[0];
    } while (at != 0 && list.size() < 1000);
    GlobalUnlock(ctx->hstring);
    return list;
}

size_t HeapSize(tagVALUAREA* ctx) { return GlobalSize(ctx->hstring); }

TEST(VskHeap, StartsAsOneFreeBlockAndSplitsFirstFit) {
    Context ctx;
    EXPECT_EQ(HeapSize(ctx), 65536u);
    EXPECT_EQ(Blocks(ctx), (std::vector<Block>{{0, 0, 0, 65524}}));
    tagVALUE empty{};
    VSKSTR_SetWord(ctx, &empty, nullptr);  // an empty string takes 2 bytes: its 0 unit
    EXPECT_EQ(VskSaqOffset(&empty), 12);
    EXPECT_EQ(VskSaqLength(&empty), 0);
    EXPECT_EQ(Blocks(ctx), (std::vector<Block>{{0, 14, 14, -2}, {14, 0, 0, 65524 - 14}}));
}

TEST(VskHeap, ExactFitsAreTakenWholeAndShortFreeBlocksSkipped) {
    Context ctx;
    int a = vskval::HeapAlloc(ctx, nullptr, 100);
    int b = vskval::HeapAlloc(ctx, nullptr, 40);
    int c = vskval::HeapAlloc(ctx, nullptr, 51);
    ASSERT_EQ(a, 12);
    ASSERT_EQ(b, 124);
    ASSERT_EQ(c, 176);
    vskval::HeapFree(ctx, b);  // a free block of 40 between a and c
    // 29 + 11 = 40: too short to split off a header, not an exact fit: skipped.
    int skipped = vskval::HeapAlloc(ctx, nullptr, 29);
    EXPECT_GT(skipped, c);
    int exact = vskval::HeapAlloc(ctx, nullptr, 40);
    EXPECT_EQ(exact, b);
    std::vector<Block> list = Blocks(ctx);
    EXPECT_EQ(list[1], (Block{112, 164, 0, -40}));
    // 28 + 12 = 40 would have split the free block.
    vskval::HeapFree(ctx, exact);
    EXPECT_EQ(vskval::HeapAlloc(ctx, nullptr, 28), b);
    list = Blocks(ctx);
    EXPECT_EQ(list[1], (Block{112, 152, 0, -28}));
    EXPECT_EQ(list[2], (Block{152, 164, 112, 0}));  // the split-off rest: a free block of 0
}

TEST(VskHeap, ReleasedBlocksMergeWithFreeNeighbours) {
    Context ctx;
    tagVALUE s1 = Str(ctx, "first"), s2 = Str(ctx, "second"), s3 = Str(ctx, "third");
    // The first string ever stored released while the rest is in use or free: a free block at
    // the start and the free remainder after the used blocks; nothing else changes.
    VSKFAQ_Clear(ctx, &s1);
    std::vector<Block> list = Blocks(ctx);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], (Block{0, 24, 74, 12}));
    EXPECT_EQ(list[1].size, -14);
    EXPECT_EQ(list[2].size, -12);
    EXPECT_EQ(list[3], (Block{74, 0, 50, 65524 - 74}));
    // The last string merges with the free remainder, the middle one with both sides.
    VSKFAQ_Clear(ctx, &s3);
    EXPECT_EQ(Blocks(ctx).size(), 3u);
    VSKFAQ_Clear(ctx, &s2);
    EXPECT_EQ(Blocks(ctx), (std::vector<Block>{{0, 0, 0, 65524}}));
}

TEST(VskHeap, GrowsBy65536BytesWhenNothingFits) {
    Context ctx;
    std::vector<tagVALUE> strings;
    const std::string kText(999, 's');  // 2000 bytes each
    while (HeapSize(ctx) == 65536u) {
        strings.push_back(Str(ctx, kText.c_str()));
        ASSERT_LT(strings.size(), 40u);
    }
    EXPECT_EQ(HeapSize(ctx), 131072u);
    // The string that did not fit begins in the new part, right after the old end.
    EXPECT_EQ(VskSaqOffset(&strings.back()), 65536 + 12);
    EXPECT_EQ(strings.size(), 33u);  // 32 * 2012 bytes fit in the first 65524
    std::vector<Block> list = Blocks(ctx);
    EXPECT_EQ(list[0].prev, list.back().at);
    for (tagVALUE& s : strings) EXPECT_EQ(Bytes(ctx, s), kText);
    for (tagVALUE& s : strings) VSKFAQ_Clear(ctx, &s);
    EXPECT_EQ(Blocks(ctx), (std::vector<Block>{{0, 0, 0, 131072 - 12}}));
}

}  // namespace
