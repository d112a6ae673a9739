// The memory and cell registries, the resource flags and the shutdown report.
#include <gtest/gtest.h>

#include <vector>

#include "frame/frame.h"
#include "game_fixture.h"

TEST(Registry, MemoryIsFreedOnceAndUnknownPointersAreLeftAlone) {
    void* a = MemAlloc(64, "a");
    void* b = MemAlloc(16, "b");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(a)[63], 0) << "blocks come zeroed";
    EXPECT_EQ(GetRegistryCounts().memory, 2);
    MemFree(a, "a");
    MemFree(a, "a again");  // a double free changes nothing
    EXPECT_EQ(GetRegistryCounts().memory, 1);
    int local = 0;
    MemFree(&local, "not ours");
    MemFree(nullptr, "null");
    EXPECT_EQ(GetRegistryCounts().memory, 1);
    EXPECT_EQ(GetRegistryCounts().memorypeak, 2);
    MemFree(b, "b");
    EXPECT_EQ(GetRegistryCounts().memory, 0);
    EXPECT_EQ(CheckAllFreed(), 1);
}

TEST(Registry, AFullMemoryRegistryRefusesWithTheMemoryBox) {
    std::vector<void*> blocks;
    for (int i = 0; i < kRegistrySize; ++i) {
        blocks.push_back(MemAlloc(8, "block"));
        ASSERT_NE(blocks.back(), nullptr) << i;
    }
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(MemAlloc(24, "one too many"), nullptr);
    ASSERT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    std::string caption;
    EXPECT_EQ(LastBoxText(&caption), U8(u8"メモリが足りません。(要求size 24)"));
    EXPECT_EQ(caption, U8(u8"Wynmoor２の警告"));
    // Every block handed out is one the registry frees.
    for (void* b : blocks) MemFree(b, "block");
    EXPECT_EQ(GetRegistryCounts().memory, 0);
    EXPECT_EQ(GetRegistryCounts().memorypeak, kRegistrySize);
}

TEST(Registry, CellsAreRegisteredLikeMemory) {
    tagCELL cells[kRegistrySize + 1] = {};
    for (int i = 0; i < kRegistrySize; ++i) ASSERT_EQ(CellAlloc(&cells[i], 4, 4, "cell"), 1) << i;
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(CellAlloc(&cells[kRegistrySize], 4, 4, "full"), 0);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    EXPECT_EQ(cells[kRegistrySize].bits, nullptr) << "a refused cell is not made";
    for (int i = 0; i < kRegistrySize; ++i) CellFree(&cells[i], "cell");
    EXPECT_EQ(GetRegistryCounts().cells, 0);
    // Freed twice, never registered, or empty: nothing happens.
    CellFree(&cells[0], "again");
    tagCELL stranger{};
    ZEM_CreateCell(&stranger, 2, 2);
    CellFree(&stranger, "not ours");
    EXPECT_NE(stranger.bits, nullptr) << "an unknown cell is not deleted";
    ZEM_DeleteCell(&stranger);
    EXPECT_EQ(CheckAllFreed(), 1);
}

TEST(Registry, ResourceFlagsAreWordsOfBits) {
    const int flags[] = {RESOURCE_ENGINE,        RESOURCE_SOUND,  RESOURCE_LAYERS,
                         RESOURCE_OBJECT0_LAYER, RESOURCE_TEXTS,  RESOURCE_SCENARIO,
                         RESOURCE_SCRIPTS,       RESOURCE_AIRPORT};
    for (int f : flags) {
        SetResourceFlag(f, 1);
        EXPECT_EQ(HasResourceFlag(f), 1) << f;
        EXPECT_EQ(CheckAllFreed(), 0) << "a set flag is something not given back: " << f;
        SetResourceFlag(f, 0);
        EXPECT_EQ(HasResourceFlag(f), 0) << f;
    }
    EXPECT_EQ(RESOURCE_AIRPORT, 16 * 32);
    SetResourceFlag(32 * 32, 1);  // outside the 32 words: ignored
    SetResourceFlag(-1, 1);
    EXPECT_EQ(CheckAllFreed(), 1);
}

TEST(Registry, ALiveEntryAtGameEndIsReported) {
    void* leak = MemAlloc(100, "leaked block");
    ASSERT_NE(leak, nullptr);
    const int boxes = WynPlat_MessageBoxCount();
    GameEnd();
    ASSERT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    std::string caption;
    EXPECT_EQ(LastBoxText(&caption), U8(u8"終了時に問題あり。"));
    EXPECT_EQ(caption, U8(u8"終了時に問題あり。"));
    MemFree(leak, "leaked block");
    GameEnd();
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1) << "nothing left: no box";
}
