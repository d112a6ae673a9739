// SetSnowCamera on 200 flakes (one frame of the snow scene) against a memcpy of the same chips'
// bytes in the same run; reported as the ratio "x_memcpy" (the placement's time over the copy's).
#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "demo.h"

namespace {

// The thread's own time, so that other work on a shared machine does not count (<chrono> does
// not build with the project's Shift-JIS execution character set).
double Now() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

int LoadTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }

constexpr int kFlakes = 200;

struct Snow {
    std::unique_ptr<tagKRN> krn{new tagKRN};
    std::vector<tagKRNCHIP> chips = std::vector<tagKRNCHIP>(kFlakes + 16);
    tagKRNL* master = nullptr;
    tagKRNL* snow = nullptr;
    Snow() {
        std::memset(krn.get(), 0, sizeof(tagKRN));
        krn->chipmax = int(chips.size());
        krn->lpchip = chips.data();
        krn->ACC_LOADTEXTURE = LoadTexture;
        master = KRNL_Start(krn.get());
        snow = MakeAutoSnow(master, 0, kFlakes, "snow.bmp");
    }
    ~Snow() { KRNL_End(master); }
};

double g_copy = 0.0;  // seconds per copy of the flakes' chips, measured first

void BM_MemcpyOfTheChips(benchmark::State& state) {
    Snow s;
    std::vector<tagKRNCHIP> to(kFlakes);
    double total = 0;
    long n = 0;
    for (auto _ : state) {
        const double t0 = Now();
        std::memcpy(to.data(), s.snow->lpchip, sizeof(tagKRNCHIP) * kFlakes);
        benchmark::ClobberMemory();
        total += Now() - t0;
        ++n;
    }
    g_copy = total / double(n);
    state.SetBytesProcessed(int64_t(n) * int64_t(sizeof(tagKRNCHIP)) * kFlakes);
}
BENCHMARK(BM_MemcpyOfTheChips);

void BM_SetSnowCamera(benchmark::State& state) {
    Snow s;
    tagKRN3D camera{130, 260, -70, 0};
    double total = 0;
    long n = 0;
    for (auto _ : state) {
        camera.x += 0.25;
        const double t0 = Now();
        SetSnowCamera(s.snow, &camera, kFlakes);
        benchmark::ClobberMemory();
        total += Now() - t0;
        ++n;
    }
    if (g_copy > 0) state.counters["x_memcpy"] = (total / double(n)) / g_copy;
}
BENCHMARK(BM_SetSnowCamera);

}  // namespace

BENCHMARK_MAIN();
