// The whole game frame and the whole sample stage.
//
// BM_FrameMain: one FrameMain of a stage with 20 aircraft (12 parked at the gates, 8 in the air
// round the airport), the 3D view set to 800 x 600, with the 2D composition of the strip board;
// reported as a share of the 33 ms frame and against KRN_Rendering + KRN_Flip of the same chips
// in the same run (what the frame adds to drawing the scene), timed in this thread's processor
// time; the ratio to the tick is printed at the end.
// BM_WholeSampleStage: wyntower rjtt stage01 headless on the virtual clock, one world tick a
// frame (WYN_GAME_FRAME_MS=33), played by the whole-stage test's replay from start to its full
// hour (CLEAR): game time over wall time, a multiple of real time, and over the game's processor
// time (what a machine with nothing else to do would give).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "../../tests/game/game_program.h"
#include "../../tests/game/program_run.h"
#include "simulation/simulation.h"
#include "world/world.h"
#include "wynplat.h"

namespace fs = std::filesystem;

namespace {

double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Processor time of this thread: the frame runs on it, and a busy machine's other work does not
// count against it.
double ThreadSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Processor time of the finished child processes.
double ChildSeconds() {
    rusage u;
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

double g_frameShare = 0, g_realTime = 0, g_realTimeCpu = 0;

std::string g_folder;  // the benchmark's own program folder

// The stage of 20 aircraft: 12 parked at the spots, 8 in the air round the airport.
std::string TwentyAircraft() {
    std::ostringstream s;
    s << "title rjtt bench20\nstart 1000\nhours 1\ntarget 3000\nextarget -1\nstresslimit 10\n"
         "music STAGE01\neye 121 119 90\naim 26 130 0\ndistance 0\nlight 70 70 70\n"
         "back 130 170 220\ndaytime 0\ncloud 0\nlight2 150 150 140\nlight2dir -1 -2 1\n"
         "distances 8000 4000 2000\nroutes 1 1 1 1 1 1 1 1\ntimetable\n";
    for (int i = 0; i < 12; ++i)
        s << "park id=" << i + 1 << " spot=" << i << " flight=" << 100 + i
          << " airline=JAL type=B767 port=KRG schedule=" << i + 1 << " sched=1030\n";
    for (int i = 0; i < 8; ++i)
        s << "create time=0 id=" << 13 + i << " x=" << -3000 + 800 * i << " z=" << -4000 + 300 * i
          << " feet=" << 2000 + 200 * i << " knots=160 heading=157 flight=" << 500 + i
          << " airline=ANA type=B777 port=HSZ schedule=" << 13 + i
          << " sched=1010 kind=" << (i < 5 ? 1 : 16) << "\n";
    s << "end\n";
    return s.str();
}

int UsedAircraft() {
    const ObjectTable* t = GetObjectTable();
    int n = 0;
    for (int i = 0; t && i < kAircraftSlots; ++i) n += (*t)[size_t(i)].used != 0;
    return n;
}

struct Game {
    bool ok = false;
    Game() {
        if (!StartGame(GetModuleHandleA(nullptr), "GAME_BENCH", "rjtt", "bench20")) return;
        SetFrameStepMs(33);
        StageReset();
        SetGamePhase(GAMEPHASE_SETUP);
        StageSetup();
        SetGamePhase(GAMEPHASE_RUNNING);
        // The 3D view over the whole main window.
        View().viewrect = RECT{0, 0, 800, 600};
        if (HWND v = GetViewWindow()) SetWindowPos(v, nullptr, 0, 0, 800, 600, SWP_NOZORDER);
        ok = GameViewPort(View().viewrect) != 0;
        // Past the start banner: the world runs.
        for (int i = 0; i < 40; ++i) FrameMain();
    }
};

void BM_FrameMain(benchmark::State& state) {
    static Game g;
    if (!g.ok) {
        state.SkipWithError("the game does not start on the benchmark's stage");
        return;
    }
    tagKRN* engine = GetEngine();
    const ScenarioWorld& w = GetScenarioHeader().world;
    const DWORD back =
        (w.backrgb[0] & 0xff) | (w.backrgb[1] & 0xff) << 8 | (w.backrgb[2] & 0xff) << 16;
    double frame = 0, render = 0;
    long frames = 0;
    for (auto _ : state) {
        const double t0 = ThreadSeconds();
        FrameMain();
        const double t1 = ThreadSeconds();
        // The same chips drawn and shown again, without the rest of the frame.
        KRN_Rendering(engine, 0, 0, 0x40000000 | back);
        KRN_Flip(engine, 0);
        const double t2 = ThreadSeconds();
        frame += t1 - t0;
        render += t2 - t1;
        ++frames;
    }
    if (!frames) return;
    state.counters["frame_ms"] = frame / double(frames) * 1e3;
    state.counters["render_flip_ms"] = render / double(frames) * 1e3;
    state.counters["share_of_33ms"] = frame / double(frames) / 0.033;
    g_frameShare = frame / double(frames) / 0.033;
    state.counters["x_render_flip"] = frame / render;
    state.counters["aircraft"] = UsedAircraft();
    state.counters["stage_state"] = GetStageState();
}
BENCHMARK(BM_FrameMain)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_WholeSampleStage(benchmark::State& state) {
    for (auto _ : state) {
        const std::string tag = g_folder + "/whole";
        const double t0 = Now(), c0 = ChildSeconds();
        const programrun::Result r = programrun::Run(
            g_folder, tag, "",
            "WYN_HEADLESS=1 WYN_CLOCK=virtual WYN_GAME_FRAME_MS=33 WYN_RUNTIME_DIR='" + g_folder +
                "/rt' WYN_REPLAY='" SAMPLE_STAGE_REPLAY "'",
            g_folder + "/wyntower", "rjtt stage01", 900);
        const double wall = Now() - t0, cpu = ChildSeconds() - c0;
        // The game time: the last frame's total of world ticks, plus the banner frames' time.
        long frames = programrun::Count(r.trace, "\nframe ");
        if (r.code != 0 || frames == 0 || r.trace.find("\nstate 6f\n") == std::string::npos) {
            state.SkipWithError(
                ("the sample stage did not run to its clear: " + r.explain).c_str());
            return;
        }
        const double game = double(frames) * 0.033;
        state.counters["game_s"] = game;
        state.counters["wall_s"] = wall;
        state.counters["x_real_time"] = game / wall;
        // Game time over the processor time the game took: what wall time would be on an
        // idle machine.
        state.counters["x_real_time_cpu"] = game / cpu;
        g_realTime = game / wall;
        g_realTimeCpu = game / cpu;
        state.counters["frames"] = double(frames);
        programrun::ReleaseScriptHostStandIn(g_folder, "rjtt");
    }
}
BENCHMARK(BM_WholeSampleStage)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    // A program folder of the benchmark's own (its stage beside the samples), headless, with
    // the virtual clock: the frame's ticks repeat.
    g_folder = std::string(WYN_BENCH_RUN) + "/game_bench";
    fs::remove_all(g_folder);
    programrun::MakeProgramFolder(PROGRAM_FOLDER, g_folder);
    programrun::PutScriptHostStandIn(g_folder, GAME_STANDIN_PATH);
    fs::create_directories(g_folder + "/stages/rjtt");
    std::ofstream(g_folder + "/stages/rjtt/bench20.stage") << TwentyAircraft();
    const std::string make = "'" PROGRAM_FOLDER "/stagemake' '" + g_folder + "' '" + g_folder +
                             "/stages/rjtt/bench20.stage' '" SAMPLE_STAGES "/rjtt/stage01.stage'";
    if (std::system(make.c_str()) != 0) return 1;
    // As the tests run a program: that folder is both the program folder and the current folder
    // (the engine finds its driver plug-ins there, the game its data).
    setenv("WYN_PROGRAM_DIR", g_folder.c_str(), 1);
    if (chdir(g_folder.c_str()) != 0) return 1;
    setenv("WYN_RUNTIME_DIR", (g_folder + "/rt").c_str(), 1);
    setenv("WYN_HEADLESS", "1", 1);
    setenv("WYN_CLOCK", "virtual", 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (g_frameShare > 0)
        std::printf("one frame / the 33 ms tick = %.3f (goal at most 0.125)\n", g_frameShare);
    if (g_realTime > 0)
        std::printf(
            "whole sample stage: %.1fx real time, %.1fx per processor second (goal at "
            "least 50)\n",
            g_realTime, g_realTimeCpu);
    benchmark::Shutdown();
    return 0;
}
