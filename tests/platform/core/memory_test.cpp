#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>

TEST(GlobalMemory, ZeroInitFillsWithZerosForBothKinds) {
    for (UINT flags : {UINT(GHND), UINT(GPTR), UINT(GMEM_MOVEABLE), UINT(GMEM_FIXED)}) {
        HGLOBAL h = GlobalAlloc(flags, 4096);
        ASSERT_NE(h, nullptr) << "flags " << flags;
        auto* p = static_cast<unsigned char*>(GlobalLock(h));
        ASSERT_NE(p, nullptr) << "flags " << flags;
        for (int i = 0; i < 4096; ++i) ASSERT_EQ(p[i], 0) << "flags " << flags << " byte " << i;
        EXPECT_EQ(GlobalSize(h), 4096u) << "flags " << flags;
        GlobalUnlock(h);
        EXPECT_EQ(GlobalFree(h), nullptr) << "flags " << flags;
    }
}

TEST(GlobalMemory, MovableHandleIsNotItsDataAndMapsBack) {
    HGLOBAL h = GlobalAlloc(GHND, 16);
    void* p = GlobalLock(h);
    EXPECT_NE(static_cast<void*>(h), p);
    EXPECT_EQ(GlobalHandle(p), h);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 1u);
    EXPECT_EQ(GlobalLock(h), p);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 2u);
    EXPECT_TRUE(GlobalUnlock(h));   // still locked once
    EXPECT_FALSE(GlobalUnlock(h));  // now unlocked
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    EXPECT_FALSE(GlobalUnlock(h));  // not locked at all
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
    EXPECT_EQ(GlobalFree(h), nullptr);

    HGLOBAL f = GlobalAlloc(GMEM_FIXED, 16);
    EXPECT_EQ(GlobalLock(f), static_cast<void*>(f));  // a fixed block's handle is its pointer
    EXPECT_EQ(GlobalHandle(f), f);
    EXPECT_EQ(GlobalFree(f), nullptr);
}

TEST(GlobalMemory, ReAllocKeepsDataAndZeroesGrowth) {
    for (UINT flags : {UINT(GHND), UINT(GPTR)}) {
        HGLOBAL h = GlobalAlloc(flags, 100);
        auto* p = static_cast<unsigned char*>(GlobalLock(h));
        for (int i = 0; i < 100; ++i) p[i] = static_cast<unsigned char>(i + 1);
        GlobalUnlock(h);
        HGLOBAL h2 = GlobalReAlloc(h, 100000, GMEM_MOVEABLE | GMEM_ZEROINIT);
        ASSERT_NE(h2, nullptr) << "flags " << flags;
        if (flags & GMEM_MOVEABLE) {
            EXPECT_EQ(h2, h) << "a movable block keeps its handle";
        }
        EXPECT_EQ(GlobalSize(h2), 100000u);
        p = static_cast<unsigned char*>(GlobalLock(h2));
        for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], i + 1) << "flags " << flags << " byte " << i;
        for (int i = 100; i < 100000; ++i) ASSERT_EQ(p[i], 0) << "flags " << flags << " byte " << i;
        GlobalUnlock(h2);
        // Shrinking keeps the head.
        HGLOBAL h3 = GlobalReAlloc(h2, 10, 0);
        ASSERT_NE(h3, nullptr);
        EXPECT_EQ(GlobalSize(h3), 10u);
        p = static_cast<unsigned char*>(GlobalLock(h3));
        EXPECT_EQ(p[9], 10);
        GlobalUnlock(h3);
        EXPECT_EQ(GlobalFree(h3), nullptr);
    }
}

TEST(GlobalMemory, FixedBlockDoesNotMoveUnlessAllowed) {
    HGLOBAL f = GlobalAlloc(GMEM_FIXED, 16);
    EXPECT_EQ(GlobalReAlloc(f, 1 << 20, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(GlobalSize(f), 16u) << "the block is left as it was";
    HGLOBAL moved = GlobalReAlloc(f, 1 << 20, GMEM_MOVEABLE);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(GlobalSize(moved), static_cast<SIZE_T>(1 << 20));
    EXPECT_EQ(GlobalFree(moved), nullptr);
}

TEST(GlobalMemory, WhatIsNotALiveBlockIsRefusedNotFreed) {
    HGLOBAL h = GlobalAlloc(GHND, 32);
    void* data = GlobalLock(h);
    GlobalUnlock(h);
    int onStack = 0;
    void* notBlocks[] = {data, &onStack, reinterpret_cast<void*>(0x1234), h};
    ASSERT_EQ(GlobalFree(h), nullptr);  // now h itself is stale too
    for (void* bad : notBlocks) {
        SetLastError(0);
        EXPECT_EQ(GlobalFree(bad), bad) << bad;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << bad;
        EXPECT_EQ(LocalFree(bad), bad) << bad;
        EXPECT_EQ(GlobalLock(bad), nullptr) << bad;
        EXPECT_FALSE(GlobalUnlock(bad)) << bad;
        EXPECT_EQ(GlobalSize(bad), 0u) << bad;
        EXPECT_EQ(GlobalFlags(bad), static_cast<UINT>(GMEM_INVALID_HANDLE)) << bad;
        EXPECT_EQ(GlobalReAlloc(bad, 64, GMEM_MOVEABLE), nullptr) << bad;
        EXPECT_EQ(GlobalHandle(&onStack), nullptr) << bad;
    }
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST(LocalMemory, AllocAndFree) {
    HLOCAL l = LocalAlloc(LPTR, 64);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(l)[63], 0);
    EXPECT_EQ(LocalFree(l), nullptr);
    EXPECT_EQ(LocalFree(l), l) << "a second free is refused";
}

TEST(GlobalMemory, ZeroBytesGiveADistinctLiveBlock) {
    HGLOBAL a = GlobalAlloc(GMEM_MOVEABLE, 0);
    HGLOBAL b = GlobalAlloc(GMEM_FIXED, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(GlobalSize(a), 0u);
    EXPECT_EQ(GlobalFree(a), nullptr);
    EXPECT_EQ(GlobalFree(b), nullptr);
}

TEST(GlobalMemory, ImpossibleSizesFailCleanly) {
    for (SIZE_T bytes : {SIZE_T(0x80000000u), ~SIZE_T(0), ~SIZE_T(0) / 2}) {
        SetLastError(0);
        EXPECT_EQ(GlobalAlloc(GHND, bytes), nullptr) << bytes;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY)) << bytes;
        EXPECT_EQ(LocalAlloc(LPTR, bytes), nullptr) << bytes;
    }
    HGLOBAL h = GlobalAlloc(GHND, 8);
    EXPECT_EQ(GlobalReAlloc(h, ~SIZE_T(0), GMEM_MOVEABLE), nullptr);
    EXPECT_EQ(GlobalSize(h), 8u) << "the block is left as it was";
    EXPECT_EQ(GlobalFree(h), nullptr);
}
