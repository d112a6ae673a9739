// One frame of the sprite refresh: 100 moving 32x32 sprites over an 800x600 sprite area (its
// clean background in the right half of a 1600x600 16-bit screen), restored, drawn and copied
// to the window through merged rectangles; beside it a memcpy of the whole shown screen in the
// same run. "frame_%" is the share of the 33 ms frame one iteration takes.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "zem40.h"

namespace {

constexpr int kW = 800, kH = 600, kSize = 32, kSprites = 100;

// Wall time per iteration as a percentage of the 33 ms frame (a plain number, where the
// library's rate counters would print it as a time).
class FrameShare {
  public:
    explicit FrameShare(benchmark::State& state) : state_(state), start_(Now()) {}
    ~FrameShare() {
        const double s = Now() - start_;
        if (state_.iterations() > 0)
            state_.counters["frame_%"] = s / double(state_.iterations()) / 0.033 * 100.0;
    }

  private:
    static double Now() {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }
    benchmark::State& state_;
    double start_;
};

HWND MakeWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "ZemSpriteBench";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "bench", WS_POPUP | WS_VISIBLE, 0, 0, kW, kH,
                           nullptr, nullptr, nullptr, nullptr);
}

// Arg 0: a screen without window (the library's own work); arg 1: with a headless window, so
// the copies to the window count too.
void BM_SpriteFrame(benchmark::State& state) {
    setenv("WYN_HEADLESS", "1", 0);
    HWND hwnd = state.range(0) ? MakeWindow() : nullptr;
    HZEMSCREEN scr = ZEM_Start(ZEM_START_DEPTH16, hwnd, kW, kH, 2 * kW, kH);
    auto* px = static_cast<uint16_t*>(scr->bits);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            px[y * scr->width + kW + x] = uint16_t(((x >> 3) << 10) ^ (y << 2) ^ x);
    const RECT area{0, 0, kW, kH}, back{kW, 0, 2 * kW, kH};
    ZEM_InitSprite(scr, &area, &back);
    // A keyed disc with a half-transparent rim.
    std::vector<ZEMPIXEL> disc(kSize * kSize, 0);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const int dx = 2 * x + 1 - kSize, dy = 2 * y + 1 - kSize, d2 = dx * dx + dy * dy;
            if (d2 < kSize * kSize)
                disc[y * kSize + x] = d2 > (kSize - 4) * (kSize - 4) ? 0xFFFF : 0x7E00;
        }
    tagCELL cell{CELL_MODE_NORMAL, kSize, kSize, kSize, kSize, 0, 0, 0, disc.data(), 0};
    struct Mover {
        int x, y, vx, vy;
    } movers[kSprites];
    uint32_t r = 2024;
    auto next = [&r](int n) {
        r = r * 1103515245 + 12345;
        return int((r >> 16) % unsigned(n));
    };
    for (int i = 0; i < kSprites; ++i) {
        movers[i] = Mover{next(kW - kSize), next(kH - kSize), 1 + next(4), 1 + next(4)};
        ZEM_CreateSprite(scr, i, &cell, 0, 0);
        ZEM_SetSprite(scr, i, movers[i].x, movers[i].y, 1 + i % 7, 0, -1);
    }
    ZEM_RefreshAllSprite(scr);
    {  // the share is taken before the screen is freed
        FrameShare share(state);
        for (auto _ : state) {
            for (int i = 0; i < kSprites; ++i) {
                Mover& m = movers[i];
                if (m.x + m.vx < 0 || m.x + m.vx > kW - kSize) m.vx = -m.vx;
                if (m.y + m.vy < 0 || m.y + m.vy > kH - kSize) m.vy = -m.vy;
                m.x += m.vx;
                m.y += m.vy;
                ZEM_SetSprite(scr, i, m.x, m.y, -1, -1, -1);
            }
            ZEM_RefreshSprite(scr);
            benchmark::ClobberMemory();
        }
    }
    ZEM_End(scr);
    if (hwnd) DestroyWindow(hwnd);
}

// The floor: the shown 800x600 part of the screen copied once.
void BM_ScreenMemcpy(benchmark::State& state) {
    const size_t bytes = size_t(kW) * kH * 2;
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    FrameShare share(state);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_SpriteFrame)->Arg(0)->Arg(1);
BENCHMARK(BM_ScreenMemcpy);

}  // namespace
