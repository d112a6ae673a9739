// BuildVoice of the longest sample message (its English text expanded for an aircraft whose
// words the voice has), from the voice folder's files through the sound library, against
// reading the same word files whole with plain C reads. Each iteration measures both; the
// fastest of each is kept, so that the ratio holds on a busy machine too.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <time.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "controller/controller.h"
#include "nxlib.h"
#include "simulation/simulation.h"
#include "world/world.h"
#include "wynplat.h"

namespace {

// The machine's monotonic clock (not the process clock, which a test may hold still).
double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

std::vector<std::string> g_paths;  // the word files one build reads, in order
int LogExists(const char* path) { return NXL_FILE_Exist(path); }
int LogRead(const char* path, tagTOVWAVE* w) {
    g_paths.push_back(path);
    return TOV_WaveRead(path, w);
}
int LogAppend(const char* path, tagTOVWAVE* w) {
    g_paths.push_back(path);
    return TOV_AppendWaveRead(path, w);
}
const VoiceWordStore kLogging = {LogExists, LogRead, LogAppend, nullptr};

struct Setup {
    std::unique_ptr<AircraftTable> aircraft = std::make_unique<AircraftTable>();
    std::unique_ptr<ObjectTable> objects = std::make_unique<ObjectTable>();
    std::vector<char> block = std::vector<char>(kPhraseBlockSize);
    std::string text;                // the longest English message, expanded
    std::vector<std::string> files;  // its word files as Linux paths
    bool ok = false;

    Setup() {
        std::memset(aircraft.get(), 0, sizeof(AircraftTable));
        std::memset(objects.get(), 0, sizeof(ObjectTable));
        SetAircraftTable(aircraft.get());
        SetObjectTable(objects.get());
        AircraftRecord& a = (*aircraft)[0];
        std::strcpy(a.callprefix, "JA");
        a.spot = -1;
        a.choice = 2;
        (*objects)[0].flight = 8123;
        (*objects)[0].pos.y = 1500;
        std::ifstream in(PROGRAM_FOLDER "port/rjtt/atc/app_ee.ms", std::ios::binary);
        const std::vector<char> table((std::istreambuf_iterator<char>(in)), {});
        SetPhraseBlock(PHRASE_ENGLISH, block.data());
        SetPhraseBytes(PHRASE_ENGLISH, table.data(), int(table.size()));
        char out[2 * kAtcText];
        for (int n = 0; n < int(table.size() / 4); ++n) {
            char raw[kAtcText];
            int speaker = 0;
            if (!GetAtcTextE(n, raw, &speaker)) continue;
            ComposeExchangeMessage(0, MakeExchangeMessage(n, kExchangeLast, 0), out);
            if (std::strlen(out + kAtcText) > text.size()) text = out + kAtcText;
        }
        VoiceInit(nullptr, PROGRAM_FOLDER "VOICE\\");
        SetVoiceWordStore(&kLogging);
        tagTOVWAVE wave = {};
        char caption[kAtcText];
        BuildVoice("mla", text.c_str(), &wave, caption, 1, 0);
        TOV_WaveFree(&wave);
        SetVoiceWordStore(nullptr);
        for (const std::string& p : g_paths) {
            char linux[1024];
            if (WynPlat_ResolvePath(p.c_str(), linux, sizeof linux)) files.push_back(linux);
        }
        ok = !text.empty() && files.size() == g_paths.size() && GetVoiceMissing(nullptr) == 0;
    }
};

void BM_BuildVoice(benchmark::State& state) {
    static Setup s;
    if (!s.ok) {
        state.SkipWithError("the sample tables or voice words are not in the program folder");
        return;
    }
    std::vector<char> buf(1 << 16);
    tagTOVWAVE wave = {};
    char caption[kAtcText];
    double bestVoice = 1e9, bestReads = 1e9;
    for (auto _ : state) {
        const double t0 = Now();
        size_t bytes = 0;
        for (const std::string& f : s.files) {
            FILE* fp = std::fopen(f.c_str(), "rb");
            for (size_t n; fp && (n = std::fread(buf.data(), 1, buf.size(), fp)) > 0;) bytes += n;
            if (fp) std::fclose(fp);
        }
        benchmark::DoNotOptimize(bytes);
        const double t1 = Now();
        BuildVoice("mla", s.text.c_str(), &wave, caption, 1, 0);
        benchmark::DoNotOptimize(wave.data);
        const double t2 = Now();
        bestReads = std::min(bestReads, t1 - t0);
        bestVoice = std::min(bestVoice, t2 - t1);
    }
    TOV_WaveFree(&wave);
    state.counters["words"] = double(s.files.size());
    state.counters["voice_ms"] = bestVoice * 1e3;
    state.counters["reads_ms"] = bestReads * 1e3;
    state.counters["x_plain_reads"] = bestVoice / bestReads;
    state.SetLabel(s.text.substr(0, 60));
}

}  // namespace

BENCHMARK(BM_BuildVoice)->Unit(benchmark::kMillisecond)->MinTime(1.0);
