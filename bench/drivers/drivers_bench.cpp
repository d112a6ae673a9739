// One frame's view, perspective and lighting stages over 11,308 chips (a ground of tiles
// running from under the camera to beyond the far limit, so that chips are split at the near
// plane, dropped by the far limit, culled and clipped), and over four copies of that ground in
// one array (the same work per chip, in arrays four times the size), through each build of the
// transform and lighting drivers as the engine calls them. Reported as chips per second and as a
// multiple of copying the scene chip array with memcpy in the same run ("x_memcpy"), both
// the fastest of their runs.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "krn.h"

namespace {

// <chrono> does not build with the project's Shift-JIS execution character set.
double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

constexpr int kGround = 11308;  // chips of one ground

struct Drivers {
    KRNDRV_VIEW view = nullptr;
    KRNDRV_PERSPECTIVE perspective = nullptr;
    KRNLGT_BRIGHT bright = nullptr;
};

template <typename T>
T Sym(void* lib, const char* name) {
    return reinterpret_cast<T>(lib ? dlsym(lib, name) : nullptr);
}

Drivers Load(const char* drv, const char* lgt) {
    Drivers d;
    void* a = dlopen((std::string(DRV_BIN_DIR) + "/" + drv).c_str(), RTLD_NOW | RTLD_LOCAL);
    void* b = dlopen((std::string(DRV_BIN_DIR) + "/" + lgt).c_str(), RTLD_NOW | RTLD_LOCAL);
    d.view = Sym<KRNDRV_VIEW>(a, "DRV_VIEW");
    d.perspective = Sym<KRNDRV_PERSPECTIVE>(a, "DRV_PERSPECTIVE");
    d.bright = Sym<KRNLGT_BRIGHT>(b, "LGT_BRIGHT");
    return d;
}

tagKRN3D V(double x, double y, double z) { return tagKRN3D{x, y, z, 0.0}; }

struct Scene {
    std::unique_ptr<tagKRN> krn{new tagKRN};
    std::vector<tagKRNCHIP> chips, calc;

    Scene(DWORD accwork, int count) : chips(size_t(count)), calc(size_t(count)) {
        std::memset(krn.get(), 0, sizeof(tagKRN));
        std::memset(chips.data(), 0, chips.size() * sizeof(tagKRNCHIP));
        krn->chipmax = count;
        krn->lpchip = chips.data();
        krn->lpcalc = calc.data();
        krn->accwork = accwork;
        // A ground of 2 x 5654 triangles: 74 columns of 20-unit tiles across, rows running
        // away from just behind the camera.
        const int cols = 74;
        for (int n = 0; n < count; ++n) {
            const int i = n % kGround, tile = i / 2, col = tile % cols, row = tile / cols;
            const double x0 = -740.0 + 20.0 * col, z0 = -10.0 + 20.0 * row;
            tagKRN3D a = V(x0, 0, z0), b = V(x0, 0, z0 + 20), c = V(x0 + 20, 0, z0),
                     d = V(x0 + 20, 0, z0 + 20);
            tagKRNCHIP& ch = chips[(size_t)n];
            ch.mode = KRNCHIP_SHOW;
            ch.no = n;
            ch.v[0] = a;
            if (i % 2) {
                ch.v[1] = d;
                ch.v[2] = c;
            } else {
                ch.v[1] = b;
                ch.v[2] = d;
            }
            ch.normal = V(0, 1, 0);
            for (int k = 0; k < 3; ++k) {
                ch.n[k] = V(0.1 * ((i + k) % 3 - 1), 1, 0);
                ch.r[k] = 40 + (i * 7 + k) % 200;
                ch.g[k] = 60 + (i * 5 + k) % 180;
                ch.b[k] = 30 + (i * 3 + k) % 120;
            }
            ch.red = ch.r[0];
            ch.green = ch.g[0];
            ch.blue = ch.b[0];
            ch.flags = KRNCHIP_SMOOTH | ((i % 5) ? 0 : KRNCHIP_TWOSIDED);
        }
        // Eye 30 units above the ground looking down the rows, a little downward.
        tagKRNCAMERA& cam = krn->camera[0];
        cam.viewpoint = V(0, 30, 0);
        cam.rotate = V(-8, 0, 0);
        cam.scale = V(1, 1, 1);
        cam.zoom = 35.0;
        cam.viewlimit = 1.0;
        tagKRNVIEW& view = krn->view[0];
        view.xsize = view.cxsize = 640;
        view.ysize = view.cysize = 480;
        krn->distance = 2500.0;
        krn->top = 1200.0;
        krn->bottom = 2500.0;
        krn->red = 120;
        krn->green = 160;
        krn->blue = 220;
        krn->light[0].mode = 1;
        krn->light[0].red = krn->light[0].green = krn->light[0].blue = 90;
        krn->light[1].mode = 2;
        krn->light[1].red = krn->light[1].green = krn->light[1].blue = 200;
        KRN_Normal3D(&krn->light[1].normal, 0.3, 1.0, -0.2);
        krn->light[2].mode = 4;
        krn->light[2].red = 255;
        krn->light[2].green = 200;
        krn->light[2].blue = 100;
        krn->light[2].pos = V(0, 20, 200);
        krn->light[2].range = 300.0;
    }

    // The engine's stages in the engine's order.
    int Frame(const Drivers& d) {
        d.view(nullptr, 1);
        if (!d.view(krn.get(), 0)) return 0;
        if (!d.perspective(krn.get(), 0, 0)) return 0;
        return d.bright(krn.get(), 0);
    }
};

// Each iteration copies the scene chip array onto the output list with memcpy (the same two
// arrays the frame reads and writes) and then runs one frame; the fastest of each is kept, so
// that the ratio holds on a busy machine too.
void Run(benchmark::State& state, const char* drv, const char* lgt, DWORD accwork) {
    const Drivers d = Load(drv, lgt);
    if (!d.view || !d.perspective || !d.bright) {
        state.SkipWithError("driver not found in the program folder");
        return;
    }
    const int count = int(state.range(0));
    Scene scene(accwork, count);
    double bestFrame = 1e9, bestCopy = 1e9;
    for (auto _ : state) {
        const double t0 = Now();
        std::memcpy(scene.calc.data(), scene.chips.data(), size_t(count) * sizeof(tagKRNCHIP));
        benchmark::DoNotOptimize(scene.calc.data());
        benchmark::ClobberMemory();
        const double t1 = Now();
        if (!scene.Frame(d)) state.SkipWithError("a stage failed");
        benchmark::ClobberMemory();
        const double t2 = Now();
        bestCopy = std::min(bestCopy, t1 - t0);
        bestFrame = std::min(bestFrame, t2 - t1);
    }
    state.counters["chips_out"] = scene.krn->calc;
    state.counters["frame_ms"] = bestFrame * 1e3;
    state.counters["memcpy_ms"] = bestCopy * 1e3;
    state.counters["chips_per_s"] = count / bestFrame;
    state.counters["x_memcpy"] = bestFrame / bestCopy;
}

}  // namespace

BENCHMARK_CAPTURE(Run, pasu_flat, "drv_pasu.dll", "lgt_pasu.dll", 0)
    ->Arg(kGround)
    ->Arg(4 * kGround)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, pasu_smooth, "drv_pasu.dll", "lgt_pasu.dll", 1)
    ->Arg(kGround)
    ->Arg(4 * kGround)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, quil_flat, "drv_quil.dll", "lgt_quil.dll", 0)
    ->Arg(kGround)
    ->Arg(4 * kGround)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, nodo_flat, "drv_nodo.dll", "lgt_nodo.dll", 0)
    ->Arg(kGround)
    ->Arg(4 * kGround)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
