// The executor's speed on a statement-heavy loop,
//   Loop(N) { $A = $A + 1; $B = $A * 3 % 7; };
// run as 1 task and split over 2, 5 and 20 tasks (the turn passes after every statement),
// beside the same loop in Lua 5.4: one plain loop, and as many coroutines that yield after
// each statement, resumed round robin. The "vs_lua" counter is the executor's time over
// Lua's for the same statements; with the statements the same in number, flat figures over
// the task counts show a hand-off whose cost does not grow with the tasks.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include <windows.h>

#include "vskexec.h"
#include "vskval.h"
#include "wynplat.h"

namespace {

namespace fs = std::filesystem;

constexpr int kIterations = 20000;
constexpr int kTaskCounts[] = {2, 5, 20};

double Seconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

class Host {
  public:
    Host() {
        dir_ = fs::temp_directory_path() / ("vsk_bench_" + std::to_string(getpid()));
        fs::create_directories(dir_);
        fs::remove(dir_ / "STANDARD.DLL");
        fs::create_symlink(fs::path(VSK_BENCH_BIN_DIR) / "STANDARD.DLL", dir_ / "STANDARD.DLL");
        std::ofstream(dir_ / "ONE.SNA") << "$A = 0; " << Body(kIterations);
        // MANYn starts n - 1 copies of PARTn as further tasks and runs one itself.
        for (int tasks : kTaskCounts) {
            std::string n = std::to_string(tasks);
            std::string body = Body(kIterations / tasks);
            std::ofstream(dir_ / ("PART" + n + ".SNA")) << "$A = 0; " << body;
            std::string many = "TaskSuper(1);";
            for (int t = 1; t < tasks; ++t)
                many += " TaskStart(" + std::to_string(t) + ", \"PART" + n + "\");";
            many += " TaskSuper(0); $A = 0; " + body;
            std::ofstream(dir_ / ("MANY" + n + ".SNA")) << many;
        }
        ctx_ = VSKVAL_Create(GetModuleHandleA(nullptr));
        char sys[MAX_PATH] = {};
        WynPlat_ToSystemPath(dir_.c_str(), sys, sizeof sys);
        for (char* p = sys; *p; ++p) *p = char(std::toupper(static_cast<unsigned char>(*p)));
        std::snprintf(ctx_->execdir, sizeof ctx_->execdir, "%s", sys);
        SetCurrentDirectoryA(sys);
    }
    ~Host() {
        VSKVAL_Delete(ctx_);
        fs::remove_all(dir_);
    }
    void Run(const char* name) {
        VSKVAL_CreateLocal(ctx_, 0, nullptr);
        VSKEXEC_ExecuteTask(ctx_, 0, name);
        while (VSKEXEC_SystemTask(ctx_)) VSKEXEC_HostWait(ctx_);
    }

  private:
    static std::string Body(int n) {
        return "Loop(" + std::to_string(n) + ") { $A = $A + 1; $B = $A * 3 % 7; };";
    }

    fs::path dir_;
    tagVALUAREA* ctx_;
};

Host& TheHost() {
    static Host host;
    return host;
}

const char kLuaOne[] = R"(
local n = ...
local a, b = 0, 0
for i = 1, n do a = a + 1; b = a * 3 % 7 end
)";

const char kLuaMany[] = R"(
local n, tasks = ...
local function body()
  local a, b = 0, 0
  for i = 1, n // tasks do
    a = a + 1; coroutine.yield()
    b = a * 3 % 7; coroutine.yield()
  end
end
local all = {}
for t = 1, tasks do all[t] = coroutine.create(body) end
local live = tasks
while live > 0 do
  live = 0
  for t = 1, tasks do
    if coroutine.status(all[t]) ~= "dead" then coroutine.resume(all[t]); live = live + 1 end
  end
end
)";

// Seconds for one run of a Lua chunk, the best of a few.
double LuaSeconds(const char* chunk, int tasks) {
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        double t0 = Seconds();
        luaL_loadstring(L, chunk);
        lua_pushinteger(L, kIterations);
        lua_pushinteger(L, tasks);
        lua_pcall(L, 2, 0, 0);
        best = std::min(best, Seconds() - t0);
    }
    lua_close(L);
    return best;
}

void Script(benchmark::State& state, const std::string& name, const char* luaChunk, int tasks) {
    Host& host = TheHost();
    double lua = LuaSeconds(luaChunk, tasks);
    double total = 0;
    for (auto _ : state) {
        double t0 = Seconds();
        host.Run(name.c_str());
        total += Seconds() - t0;
    }
    double perRun = total / double(state.iterations());
    state.counters["statements_per_s"] = 2.0 * kIterations / perRun;
    state.counters["vs_lua"] = perRun / lua;
}

void BM_OneTask(benchmark::State& state) { Script(state, "ONE", kLuaOne, 1); }
void BM_Tasks(benchmark::State& state) {
    int tasks = int(state.range(0));
    Script(state, "MANY" + std::to_string(tasks), kLuaMany, tasks);
}
BENCHMARK(BM_OneTask)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tasks)
    ->Arg(kTaskCounts[0])
    ->Arg(kTaskCounts[1])
    ->Arg(kTaskCounts[2])
    ->Unit(benchmark::kMillisecond);

}  // namespace
