// Cell drawing speed: an 800x600 cell with about a quarter of its pixels keyed and an eighth
// half-transparent, drawn onto 16- and 32-bit pictures by the library's kernels, by SDL's
// colour-keyed surface blit of the same pixels, and copied with memcpy (the floor).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "draw.h"
#include "zem40.h"

namespace {

constexpr int kW = 800, kH = 600;
constexpr uint16_t kKey = 0x0000;

const std::vector<uint16_t>& Picture() {
    static const std::vector<uint16_t> pic = [] {
        std::vector<uint16_t> p(kW * kH);
        uint32_t r = 12345;
        for (auto& v : p) {
            r = r * 1103515245 + 12345;
            const uint32_t x = r >> 16;
            uint16_t c = static_cast<uint16_t>(x & 0x7FFF);
            if (c == kKey) c = 1;
            if ((x & 3) == 0)
                c = kKey;  // a quarter keyed
            else if ((x & 0x70) == 0)
                c |= 0x8000;  // an eighth of the rest half-transparent
            v = c;
        }
        return p;
    }();
    return pic;
}

// The library's own path: ZEM_DisplayScreen onto a screen of the given depth (no window, so
// the refresh costs nothing).
template <int Depth>
void DrawThroughScreen(benchmark::State& state, DWORD extraFlags) {
    tagCELL cell{
        CELL_MODE_NORMAL, kW, kH, 0, 0, 0, 0, kKey, const_cast<uint16_t*>(Picture().data()), 0};
    const DWORD depthFlag = Depth == 16 ? ZEM_START_DEPTH16 : ZEM_START_DEPTH32;
    HZEMSCREEN scr = ZEM_Start(depthFlag, nullptr, kW, kH, kW, kH);
    for (auto _ : state) {
        ZEM_DisplayScreen(scr, 0, 0, &cell, nullptr, kKey | extraFlags);
        benchmark::DoNotOptimize(scr->bits);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kW * kH * 2);
    ZEM_End(scr);
}
template <int Depth>
void BM_ZemDraw(benchmark::State& state) {
    DrawThroughScreen<Depth>(state, 0);
}
template <int Depth>
void BM_ZemDrawMirrored(benchmark::State& state) {
    DrawThroughScreen<Depth>(state, ZEM_MIRROR);
}

// The kernels themselves at each vector width the processor has (0: the SSE2 baseline,
// 1: AVX2), drawing the same cell onto a bare target.
template <int Depth>
void BM_KernelDraw(benchmark::State& state) {
    const int wide = int(state.range(0));
    if (wide && !zem::simd::DetectAvx2()) {
        state.SkipWithError("no AVX2 on this processor");
        return;
    }
    const int saved = zem::simd::g_wide;
    zem::simd::g_wide = wide;
    tagCELL cell{
        CELL_MODE_NORMAL, kW, kH, 0, 0, 0, 0, kKey, const_cast<uint16_t*>(Picture().data()), 0};
    std::vector<uint8_t> pixels(size_t(kW) * kH * (Depth / 8), 0x5A);
    static zem::RgbTable rgb;
    zem::FillRgbTable(rgb);
    const zem::Target t{pixels.data(), kW * (Depth / 8), Depth, RECT{0, 0, kW, kH}, rgb.v};
    for (auto _ : state) {
        zem::DrawCell(t, 0, 0, &cell, nullptr, kKey, 16, 0, nullptr);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kW * kH * 2);
    zem::simd::g_wide = saved;
}

// SDL: the same pixels as a 15-bit surface with the key set, blitted onto a 15-bit or a
// 32-bit surface. SDL has no per-pixel half transparency; bit 15 is ignored by its format.
template <int Depth>
void BM_SdlKeyedBlit(benchmark::State& state) {
    const bool rle = state.range(0) != 0;
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint16_t*>(Picture().data()), kW, kH, 16, kW * 2, SDL_PIXELFORMAT_RGB555);
    SDL_SetColorKey(src, SDL_TRUE, kKey);
    if (rle) SDL_SetSurfaceRLE(src, 1);
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(
        0, kW, kH, Depth, Depth == 16 ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_XRGB8888);
    for (auto _ : state) {
        SDL_BlitSurface(src, nullptr, dst, nullptr);
        benchmark::DoNotOptimize(dst->pixels);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kW * kH * 2);
    SDL_FreeSurface(dst);
    SDL_FreeSurface(src);
}

template <int Depth>
void BM_Memcpy(benchmark::State& state) {
    const size_t bytes = size_t(kW) * kH * (Depth / 8);
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kW * kH * 2);
}

BENCHMARK(BM_ZemDraw<16>);
BENCHMARK(BM_ZemDrawMirrored<16>);
BENCHMARK(BM_KernelDraw<16>)->Arg(0)->Arg(1);
BENCHMARK(BM_SdlKeyedBlit<16>)->Arg(0)->Arg(1);
BENCHMARK(BM_Memcpy<16>);
BENCHMARK(BM_ZemDraw<32>);
BENCHMARK(BM_ZemDrawMirrored<32>);
BENCHMARK(BM_KernelDraw<32>)->Arg(0)->Arg(1);
BENCHMARK(BM_SdlKeyedBlit<32>)->Arg(0)->Arg(1);
BENCHMARK(BM_Memcpy<32>);

}  // namespace
