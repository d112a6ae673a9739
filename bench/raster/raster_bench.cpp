// A whole frame at 800 x 600: an airport scene of about 10,000 chips (a ground plane of tiles
// with a runway, a tower and a row of aircraft) through KRN_Rendering with the shipped
// transform, lighting and raster drivers, then KRN_Flip; headless, on one core. Reported as
// frames per second and as the share of a 33 ms frame ("share_of_33ms", goal under 0.25), with
// memcpy of the frame's output chip array in the same run as a reference ("x_memcpy").
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "krn.h"
#include "wynplat.h"

namespace {

namespace fs = std::filesystem;

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcA(h, m, w, l);
}

// <chrono> does not build with the project's Shift-JIS execution character set.
double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

tagKRN3D V(double x, double y, double z) { return tagKRN3D{x, y, z, 0.0}; }

void Face(tagKRN* krn, int& slot, tagKRN3D a, tagKRN3D b, tagKRN3D c, int r, int g, int bl,
          DWORD flags = 0) {
    tagKRNCHIP ch;
    std::memset(&ch, 0, sizeof ch);
    ch.mode = KRNCHIP_SHOW;
    ch.v[0] = a;
    ch.v[1] = b;
    ch.v[2] = c;
    // The face normal from the winding, so that lighting has something to do.
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (len > 0) {
        nx /= len;
        ny /= len;
        nz /= len;
    }
    ch.normal = V(nx, ny, nz);
    for (int k = 0; k < 3; ++k) ch.n[k] = ch.normal;
    ch.red = r;
    ch.green = g;
    ch.blue = bl;
    ch.flags = flags | KRNCHIP_TWOSIDED;
    KRN_SetChip(krn, slot++, &ch);
}

void Box(tagKRN* krn, int& slot, double x0, double y0, double z0, double x1, double y1, double z1,
         int r, int g, int b) {
    const tagKRN3D p[8] = {V(x0, y0, z0), V(x1, y0, z0), V(x1, y1, z0), V(x0, y1, z0),
                           V(x0, y0, z1), V(x1, y0, z1), V(x1, y1, z1), V(x0, y1, z1)};
    const int f[6][4] = {{0, 1, 2, 3}, {5, 4, 7, 6}, {4, 0, 3, 7},
                         {1, 5, 6, 2}, {3, 2, 6, 7}, {4, 5, 1, 0}};
    for (auto& q : f) {
        Face(krn, slot, p[q[0]], p[q[1]], p[q[2]], r, g, b);
        Face(krn, slot, p[q[0]], p[q[2]], p[q[3]], r, g, b);
    }
}

// Ground tiles, the runway's own tiles above them, a tower and aircraft: 10,008 chips.
int BuildScene(tagKRN* krn) {
    int slot = 0;
    const int n = 64;  // 64 x 64 tiles of 100 units: 8,192 chips
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double x = -3200.0 + 100.0 * i, z = -3200.0 + 100.0 * j;
            const int g = 90 + (i + j) % 2 * 20;
            Face(krn, slot, V(x, 0, z), V(x, 0, z + 100), V(x + 100, 0, z + 100), 40, g, 40);
            Face(krn, slot, V(x, 0, z), V(x + 100, 0, z + 100), V(x + 100, 0, z), 40, g, 40);
        }
    // The runway: 2 x 400 strips just above the ground.
    for (int i = 0; i < 400; ++i) {
        const double z = -3000.0 + 15.0 * i;
        Face(krn, slot, V(-60, 0.5, z), V(-60, 0.5, z + 15), V(60, 0.5, z + 15), 70, 70, 75);
        Face(krn, slot, V(-60, 0.5, z), V(60, 0.5, z + 15), V(60, 0.5, z), 70, 70, 75);
    }
    // The tower: a stack of boxes of 12 chips.
    for (int k = 0; k < 20; ++k)
        Box(krn, slot, 300, 40.0 * k, 200, 360, 40.0 * k + 40, 260, 200, 200, 190);
    // Aircraft: each a fuselage and wings of boxes.
    while (slot + 36 <= 10008) {
        const int a = slot / 36 % 20;
        const double x = -800.0 + 80.0 * a, z = 600.0 + 200.0 * (slot / 720);
        Box(krn, slot, x - 5, 5, z - 30, x + 5, 15, z + 30, 230, 230, 235);
        Box(krn, slot, x - 30, 9, z - 5, x + 30, 11, z + 5, 200, 30, 30);
        Box(krn, slot, x - 2, 15, z + 20, x + 2, 25, z + 30, 200, 30, 30);
    }
    return slot;
}

struct Rig {
    HWND hwnd = nullptr;
    tagKRN* krn = nullptr;
    int chips = 0;
    fs::path dir;
    Rig() {
        setenv("WYN_HEADLESS", "1", 0);
        dir = fs::temp_directory_path() / ("raster_bench_" + std::to_string(getpid()));
        fs::create_directories(dir);
        for (const char* f : {"acc_dexo.dll", "drv_pasu.dll", "lgt_pasu.dll"})
            fs::copy_file(fs::path(RASTER_BIN_DIR) / f, dir / f,
                          fs::copy_options::overwrite_existing);
        setenv("WYN_PROGRAM_DIR", dir.c_str(), 1);
        char sys[1024];
        WynPlat_ToSystemPath(dir.c_str(), sys, sizeof sys);
        SetCurrentDirectoryA(sys);
        char ini[260];
        KRN_GetProFileName(ini);
        WritePrivateProfileStringA("DRIVER", "DRV", "drv_pasu.dll", ini);
        WritePrivateProfileStringA("DRIVER", "LGT", "lgt_pasu.dll", ini);
        WritePrivateProfileStringA("DRIVER", "ACC", "acc_dexo.dll", ini);
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.lpszClassName = "RasterBench";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, "RasterBench", "bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                               nullptr, nullptr, nullptr, nullptr);
        krn = KRN_Start(hwnd, 10100);
        if (!krn) return;
        RECT view{0, 0, 800, 600};
        KRN_ViewPort(krn, 0, hwnd, &view);
        chips = BuildScene(krn);
        // From above the runway's near end, looking down it a little downward.
        tagKRN3D eye = V(0, 150, -3400), rot = V(-6, 0, 0), scale = V(1, 1, 1);
        KRN_Camera(krn, 0, &eye, &rot, &scale, 35.0, 1.0);
        tagKRN3D sun = V(-0.4, -1, 0.6);
        KRN_Light(krn, 0, 1, nullptr, nullptr, 0x404040, 0);
        KRN_Light(krn, 1, 2, nullptr, &sun, 0xC0C0C0, 0);
        KRN_SetDistance(krn, 8000, 3000, 7000);
    }
    ~Rig() {
        if (krn) KRN_End(krn);
        if (hwnd) DestroyWindow(hwnd);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

// Made on first use and ended before main returns: the engine's end writes krn2.ini through
// the platform's converters, which are gone once static destructors run.
Rig* gRig = nullptr;
Rig& TheRig() {
    if (!gRig) gRig = new Rig;
    return *gRig;
}

void BM_Frame800x600(benchmark::State& state) {
    Rig& rig = TheRig();
    if (!rig.krn) {
        state.SkipWithError("the engine did not start");
        return;
    }
    const double start = Now();
    for (auto _ : state) {
        if (!KRN_Rendering(rig.krn, 0, 0, 0x00C08060)) {
            state.SkipWithError("frame failed");
            return;
        }
        KRN_Flip(rig.krn, 0);
    }
    state.counters["chips"] = rig.chips;
    state.counters["drawn"] = KRN_GetRenderCount(rig.krn);
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["share_of_33ms"] =
        benchmark::Counter((Now() - start) / 0.033, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Frame800x600)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reference: copying the frame's output chip array once.
void BM_MemcpyOutputChips(benchmark::State& state) {
    Rig& rig = TheRig();
    const size_t bytes = sizeof(tagKRNCHIP) * 10100;
    std::vector<char> a(bytes, 1), b(bytes);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    (void)rig;
}
BENCHMARK(BM_MemcpyOutputChips)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete gRig;
    return 0;
}
