// One frame of the world's per-frame steps with everything moving: the camera following an
// aircraft (mode 0x5000, at rest), the ground support with a tug, a service car's cargo run, a
// waving marshaller and a smoke puff, and 100 live smoke particles emitted and animated. The
// reference is memcpy of the chip bytes the frame rewrites (the particles' chips) in the same
// run; the counter allocs_per_frame counts the heap allocations the frame makes (goal: 0).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "world/world.h"
#include "wynplat.h"

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocs{0};
void Count() {
    if (g_counting.load(std::memory_order_relaxed)) g_allocs.fetch_add(1);
}
}  // namespace

// Every heap allocation of the process passes here (the libraries' too).
extern "C" void* malloc(size_t n) {
    Count();
    return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t m) {
    Count();
    return __libc_calloc(n, m);
}
extern "C" void* realloc(void* p, size_t n) {
    Count();
    return __libc_realloc(p, n);
}

namespace {

double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

int LoadTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }
int DropTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }
int Camera(tagKRN*, int) { return 1; }

struct World {
    std::unique_ptr<tagKRN> krn = std::make_unique<tagKRN>();
    std::vector<tagKRNCHIP> chips = std::vector<tagKRNCHIP>(8468);
    std::unique_ptr<ObjectTable> objects = std::make_unique<ObjectTable>();
    std::unique_ptr<AircraftTable> aircraft = std::make_unique<AircraftTable>();
    tagKRNL* smoke = nullptr;
    bool ok = false;

    World() {
        std::memset(krn.get(), 0, sizeof(tagKRN));
        krn->chipmax = int(chips.size());
        krn->lpchip = chips.data();
        krn->ACC_LOADTEXTURE = LoadTexture;
        krn->ACC_DELETETEXTURE = DropTexture;
        krn->ACC_CAMERA = Camera;
        SetObjectTable(objects.get());
        SetAircraftTable(aircraft.get());
        FrameHandles& f = Handles();
        f.engine = krn.get();
        f.root = KRNL_Start(krn.get());
        char sys[MAX_PATH - 1];
        WynPlat_ToSystemPath(PROGRAM_FOLDER, sys, sizeof sys);
        std::snprintf(f.homedir, sizeof f.homedir, "%s\\", sys);
        WynPlat_SetVirtualClock(1);
        WynPlat_SetClockReadStep(0);
        SetGamePhase(GAMEPHASE_RUNNING);
        SetStageState(STAGE_PLAY);
        GetConfig().cameramove = 1;
        SetupGroundSupport();
        // The airport and an aircraft at a stand with its services running.
        (*objects)[kObjectAirport].used = 1;
        ObjectRecord& body = (*objects)[0];
        body.used = 1;
        body.kind = 0x111;
        body.pos = tagKRN3D{300, 0, -180, 0};
        body.angle = tagKRN3D{0, 270, 0, 0};
        body.speed = 0;
        AircraftRecord& a = (*aircraft)[0];
        a.used = 1;
        a.spot = 0;
        a.choice = 1;
        a.typeoffset = -250;
        GroundEvent(0, 5);
        GroundEvent(0, 10);
        GroundEvent(0, 1);
        GroundEvent(0, 2000);
        GroundEvent(0, 2010);
        // The smoke: 100 particles alive (the clock stands still), and the trail on.
        smoke = MakeAutoSmoke(f.root, 8468 - 555, "ETC\\SMOKE\\", 100);
        GetWeatherLayers().smoke = smoke;
        SetEmitter(smoke, 0, 0.0, 6000, 2, 30, 3000);
        for (int i = 0; i < 100; ++i) {
            const tagKRN3D at = {double(i), 10, 0, 0};
            EmitParticle(smoke, 0, &at);
        }
        GetSmokeSource() = SmokeSource{tagKRN3D{0, 0, -75, 0}, 1, 0};
        // The camera following the aircraft, at rest.
        CameraReset();
        const tagKRN3D offset = {0, 20, 0, 0}, target = {20, 0, 0, 0};
        SetCamera(0x5000, 0, &offset, &target, 350.0);
        CameraMain(1);
        // Every particle alive (not parked at y -1000).
        int live = 0;
        for (int i = 0; smoke && i < smoke->count; ++i) live += smoke->lpchip[i].v[1].y > -999;
        ok = smoke && live == 100 && (*objects)[kSlotTug1].layer;
    }
};

void BM_WorldFrame(benchmark::State& state) {
    static World w;
    if (!w.ok) {
        state.SkipWithError("the ground-support files are not in the program folder");
        return;
    }
    std::vector<tagKRNCHIP> copy(100);
    double bestFrame = 1e9, bestCopy = 1e9;
    long frames = 0, allocs = 0;
    for (auto _ : state) {
        const double t0 = Now();
        std::memcpy(copy.data(), w.smoke->lpchip, sizeof(tagKRNCHIP) * 100);
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
        const double t1 = Now();
        g_allocs = 0;
        g_counting = true;
        CameraMain(1);
        GroundSupportMain(1);
        g_counting = false;
        const double t2 = Now();
        allocs += g_allocs;
        ++frames;
        bestCopy = std::min(bestCopy, t1 - t0);
        bestFrame = std::min(bestFrame, t2 - t1);
    }
    state.counters["frame_us"] = bestFrame * 1e6;
    state.counters["memcpy_us"] = bestCopy * 1e6;
    state.counters["x_memcpy"] = bestFrame / bestCopy;
    state.counters["allocs_per_frame"] = frames ? double(allocs) / double(frames) : 0;
}

}  // namespace

BENCHMARK(BM_WorldFrame)->MinTime(0.5);
