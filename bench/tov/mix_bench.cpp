// Mixing twenty channels of mixed rates into one 8192-byte output buffer (4096 frames of
// 22050 Hz stereo, 185.8 ms of sound), beside a memcpy of the same 8192 bytes. The
// "share_of_playing_time" counter is the mixing time as a fraction of the buffer's playing
// time; the goal is below 0.01.
#include <benchmark/benchmark.h>

#include <chrono>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "mixkernel.h"
#include "voice.h"
#include "wavefmt.h"

namespace {

constexpr int kBuffer = 8192;
constexpr double kPlayingSeconds = kBuffer / 2.0 / 22050.0;

struct Source {
    std::vector<uint8_t> data;
    tov::WaveView view;
    tov::Voice voice;
    int32_t top[tov::kSegments] = {};
    int32_t len[tov::kSegments] = {};
    int local;
};

std::vector<uint8_t> Noise(size_t n, unsigned seed) {
    std::vector<uint8_t> d(n);
    for (auto& b : d) {
        seed = seed * 214013u + 2531011u;
        b = uint8_t(((seed >> 16) & 0xFF) | 1);
        if (b == 0xFF) b = 0xFD;
    }
    return d;
}

// Twenty endless channels: every rate and layout the mixer has a routine for, a segmented
// wave, and pitched 22050 Hz channels.
std::vector<std::unique_ptr<Source>> Channels() {
    struct Spec {
        int rate, mode;
        float pitch;
    };
    const Spec specs[] = {
        {22050, 2, 1.0f}, {22050, 1, 1.0f}, {11025, 2, 1.0f},  {11025, 1, 1.0f},
        {5512, 1, 1.0f},  {22050, 2, 1.5f}, {22050, 1, 0.75f}, {11025, 3, 1.0f},
    };
    std::vector<std::unique_ptr<Source>> out;
    for (int i = 0; i < 20; ++i) {
        const Spec& s = specs[i % 8];
        auto src = std::make_unique<Source>();
        src->data = Noise(size_t(s.rate) * (s.mode == 2 ? 2 : 1), unsigned(i + 1));
        if (s.mode == 3) {
            src->data[5000] = 0xFF;  // an intro, then a loop
            tov::ScanSegments(src->data.data(), uint32_t(src->data.size()), src->top,
                              std::vector<int32_t>(tov::kSegments).data(), src->len);
        }
        src->view.data = src->data.data();
        src->view.size = int32_t(src->data.size());
        src->view.rate = s.rate;
        src->view.mode = s.mode;
        src->view.top = src->top;
        src->view.length = src->len;
        src->voice.count = -1;
        src->voice.pitch = s.pitch;
        src->local = 15 - i % 8;
        out.push_back(std::move(src));
    }
    return out;
}

// Wall time spent per buffer, as a fraction of the buffer's playing time.
void Share(benchmark::State& state, std::chrono::duration<double> spent) {
    state.counters["share_of_playing_time"] =
        state.iterations() ? spent.count() / double(state.iterations()) / kPlayingSeconds : 0.0;
}

void BM_Mix20Channels(benchmark::State& state) {
    auto tables = std::make_unique<tov::MixTables>();
    tov::BuildMixTables(tables.get());
    auto channels = Channels();
    std::vector<uint8_t> out(kBuffer), work(65536);
    std::chrono::duration<double> spent{0};
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        tov::TOV_Clear(out.data(), kBuffer / 4, 0x80808080u);
        for (auto& c : channels)
            tov::MixVoice(c->voice, c->view, out.data(), kBuffer,
                          tov::VolumeRow(*tables, 12, c->local), *tables, work.data(), true);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
        spent += std::chrono::steady_clock::now() - t0;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBuffer);
    Share(state, spent);
}
BENCHMARK(BM_Mix20Channels);

void BM_MemcpySameBytes(benchmark::State& state) {
    std::vector<uint8_t> src(kBuffer, 0x80), dst(kBuffer);
    std::chrono::duration<double> spent{0};
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        std::memcpy(dst.data(), src.data(), kBuffer);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
        spent += std::chrono::steady_clock::now() - t0;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBuffer);
    Share(state, spent);
}
BENCHMARK(BM_MemcpySameBytes);

}  // namespace

BENCHMARK_MAIN();
