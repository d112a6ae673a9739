// The game's own sprite composition of one frame (EraseSprites and DrawSprites: clip
// rectangles, tints, merged dirty rectangles) against the display library's full sprite
// refresh (ZEM_RefreshAllSprite) of the same 60 moving 32x32 sprites over the 800x600 area of
// a 1600x600 screen in a headless window, both timed in the same run. "ratio" is the game's
// time over the library's; "game_%" the share of the 33 ms frame the game's composition takes.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>
#include <vector>

#include "frame/frame.h"

namespace {

constexpr int kW = 800, kH = 600, kSize = 32, kSprites = 60;

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Mover {
    int x, y, vx, vy;
};

void Step(HZEMSCREEN scr, Mover* movers) {
    for (int i = 0; i < kSprites; ++i) {
        Mover& m = movers[i];
        m.x += m.vx;
        m.y += m.vy;
        if (m.x < 0 || m.x > kW - kSize) m.vx = -m.vx;
        if (m.y < 0 || m.y > kH - kSize) m.vy = -m.vy;
        ZEM_SetSprite(scr, i, m.x, m.y, -1, -1, -1);
    }
}

// Arg: 0 every sprite plain; 1 a third of them tinted (the game's look the library lacks).
void BM_ComposeAgainstLibraryRefresh(benchmark::State& state) {
    setenv("WYN_HEADLESS", "1", 0);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "GameComposeBench";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "bench", WS_POPUP | WS_VISIBLE, 0, 0, kW, kH,
                                nullptr, nullptr, nullptr, nullptr);
    HZEMSCREEN scr = ZEM_Start(ZEM_START_DEPTH16, hwnd, kW, kH, 2 * kW, kH);
    auto* px = static_cast<uint16_t*>(scr->bits);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            px[y * scr->width + x] = px[y * scr->width + kW + x] =
                uint16_t(((x >> 3) << 10) ^ (y << 2) ^ x);
    const RECT area{0, 0, kW, kH}, back{kW, 0, 2 * kW, kH};
    SpriteInit(scr, &area, &back);
    ZEM_MaskFlag(scr, 0);
    // A keyed disc with a half-transparent rim.
    std::vector<ZEMPIXEL> disc(kSize * kSize, 0);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const int dx = 2 * x + 1 - kSize, dy = 2 * y + 1 - kSize, d2 = dx * dx + dy * dy;
            if (d2 < kSize * kSize)
                disc[y * kSize + x] = d2 > (kSize - 4) * (kSize - 4) ? 0xFFFF : 0x7E00;
        }
    tagCELL cell{CELL_MODE_NORMAL, kSize, kSize, kSize, kSize, 0, 0, 0, disc.data(), 0};
    Mover movers[kSprites];
    uint32_t r = 2024;
    auto next = [&r](int n) {
        r = r * 1103515245 + 12345;
        return int((r >> 16) % unsigned(n));
    };
    for (int i = 0; i < kSprites; ++i) {
        movers[i] = Mover{next(kW - kSize), next(kH - kSize), 1 + next(4), 1 + next(4)};
        ZEM_CreateSprite(scr, i, &cell, 0, 0);
        ZEM_SetSprite(scr, i, movers[i].x, movers[i].y, 1 + i % 7, 0, -1);
        if (state.range(0) && i % 3 == 0) SetSpriteEx(scr, i, -1, -1, -1, -1, -1, 10, 0x7c00);
    }
    double game = 0, library = 0;
    for (auto _ : state) {
        Step(scr, movers);
        double t = Now();
        EraseSprites(scr);
        DrawSprites(scr);
        game += Now() - t;
        Step(scr, movers);
        t = Now();
        ZEM_RefreshAllSprite(scr);
        library += Now() - t;
        ZEM_MaskFlag(scr, 0);
    }
    if (state.iterations() > 0 && library > 0) {
        state.counters["ratio"] = game / library;
        state.counters["game_%"] = game / double(state.iterations()) / 0.033 * 100.0;
    }
    ZEM_End(scr);
    DestroyWindow(hwnd);
}
BENCHMARK(BM_ComposeAgainstLibraryRefresh)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
