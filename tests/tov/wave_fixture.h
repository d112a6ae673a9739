// Wave files made by the tests: the system's own 44-byte header and the given sample bytes,
// or the chunk layouts other tools write, into the test's runtime folder and named by their
// system path; and the signals the tests listen for in what was played.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <wynplat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../common/capture_read.h"

namespace tovtest {

struct Chunk {
    const char* id;
    std::vector<uint8_t> body;
};

// How a wave file is laid out. The default is the system's own: a 16-byte "fmt " chunk and
// the "data" chunk right behind it.
struct WaveLayout {
    int fmtBytes = 16;         // 16; 18 (a zero extension size); 40 (the extensible format)
    uint16_t tag = 1;          // the format tag; 0xFFFE is the extensible format
    bool pcmSubformat = true;  // the extensible format's sub-format is PCM
    std::vector<Chunk> beforeFmt = {}, beforeData = {}, afterData = {};
    bool noData = false;  // no "data" chunk at all
    long claimed = -1;    // the data length the "data" chunk states (the real one when < 0)
};

inline void Put16(std::vector<uint8_t>& o, unsigned v) {
    o.push_back(uint8_t(v));
    o.push_back(uint8_t(v >> 8));
}
inline void Put32(std::vector<uint8_t>& o, uint32_t v) {
    for (int i = 0; i < 4; ++i) o.push_back(uint8_t(v >> (8 * i)));
}

// The bytes of a RIFF WAVE file; chunks are padded to an even length.
inline std::vector<uint8_t> WaveBytes(int rate, int bits, int channels,
                                      const std::vector<uint8_t>& data,
                                      const WaveLayout& layout = {}) {
    std::vector<uint8_t> body = {'W', 'A', 'V', 'E'};
    auto chunk = [&](const char* id, const std::vector<uint8_t>& b, uint32_t stated) {
        body.insert(body.end(), id, id + 4);
        Put32(body, stated);
        body.insert(body.end(), b.begin(), b.end());
        if (b.size() & 1) body.push_back(0);
    };
    for (const Chunk& c : layout.beforeFmt) chunk(c.id, c.body, uint32_t(c.body.size()));
    std::vector<uint8_t> fmt;
    Put16(fmt, layout.tag);
    Put16(fmt, unsigned(channels));
    Put32(fmt, uint32_t(rate));
    Put32(fmt, uint32_t(rate * channels * bits / 8));
    Put16(fmt, unsigned(channels * bits / 8));
    Put16(fmt, unsigned(bits));
    if (layout.fmtBytes >= 18) Put16(fmt, unsigned(layout.fmtBytes - 18));
    if (layout.fmtBytes >= 40) {
        Put16(fmt, unsigned(bits));           // valid bits
        Put32(fmt, channels == 2 ? 3u : 4u);  // speaker positions
        const uint8_t guid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                  0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        fmt.insert(fmt.end(), guid, guid + 16);
        if (!layout.pcmSubformat) fmt[24] = 3;  // floating point samples
    }
    chunk("fmt ", fmt, uint32_t(fmt.size()));
    for (const Chunk& c : layout.beforeData) chunk(c.id, c.body, uint32_t(c.body.size()));
    if (!layout.noData)
        chunk("data", data, layout.claimed < 0 ? uint32_t(data.size()) : uint32_t(layout.claimed));
    for (const Chunk& c : layout.afterData) chunk(c.id, c.body, uint32_t(c.body.size()));
    std::vector<uint8_t> f = {'R', 'I', 'F', 'F'};
    Put32(f, uint32_t(body.size()));
    f.insert(f.end(), body.begin(), body.end());
    return f;
}

// Writes the bytes and gives the file's system path ("" when it cannot be named).
inline std::string WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& f) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(f.data()), std::streamsize(f.size()));
    char sys[MAX_PATH];
    if (!WynPlat_ToSystemPath(path.c_str(), sys, sizeof sys)) return "";
    return sys;
}

// A wave file of the given layout (the system's own by default). `claimed` is the data length
// the header states (the real length when negative).
inline std::string WriteWave(const std::filesystem::path& path, int rate, int bits, int channels,
                             const std::vector<uint8_t>& data, long claimed = -1) {
    WaveLayout layout;
    layout.claimed = claimed;
    return WriteFile(path, WaveBytes(rate, bits, channels, data, layout));
}
inline std::string WriteWave(const std::filesystem::path& path, int rate, int bits, int channels,
                             const std::vector<uint8_t>& data, const WaveLayout& layout) {
    return WriteFile(path, WaveBytes(rate, bits, channels, data, layout));
}

// A LIST/INFO chunk as recording tools write it (an odd length, so it is padded).
inline Chunk InfoList() {
    std::vector<uint8_t> b = {'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 5,
                              0,   0,   0,   't', 'o', 'o', 'l', 0};
    return {"LIST", b};
}

// The layouts other tools write, each read as the plain wave of the same samples.
struct LayoutCase {
    const char* name;
    WaveLayout layout;
};
inline std::vector<LayoutCase> ToolLayouts() {
    return {
        {"LIST before data", {.beforeData = {InfoList()}}},
        {"fact and cue before data",
         {.beforeData = {{"fact", {0x10, 0, 0, 0}}, {"cue ", std::vector<uint8_t>(28, 0)}}}},
        {"18-byte fmt", {.fmtBytes = 18}},
        {"extensible PCM", {.fmtBytes = 40, .tag = 0xFFFE}},
        {"JUNK before fmt, LIST after data",
         {.beforeFmt = {{"JUNK", std::vector<uint8_t>(27, 0)}}, .afterData = {InfoList()}}},
    };
}

// Layouts no reader can take: each is refused with the format message.
inline std::vector<LayoutCase> RefusedLayouts() {
    return {
        // The system's own layout (a 16-byte "fmt " and "data" at 36) holding other samples.
        {"mu-law in the fixed layout", {.tag = 7}},
        {"A-law in the fixed layout", {.tag = 6}},
        {"floating point in the fixed layout", {.tag = 3}},
        {"floating point samples", {.tag = 3, .beforeData = {InfoList()}}},
        {"extensible, not PCM", {.fmtBytes = 40, .tag = 0xFFFE, .pcmSubformat = false}},
        {"no data chunk", {.beforeData = {InfoList()}, .noData = true}},
        {"data longer than the file", {.beforeData = {InfoList()}, .claimed = 100000}},
    };
}

// Samples in 10 ms blocks of one level each, as a tool writes them at its own rate: every
// frame heard lies in one block (its level) or between two (a level between theirs).
struct LevelWave {
    int rate, bits, channels;
    bool lowPassed = false;  // a rate above the output's is low-passed before it comes down
    static constexpr uint8_t kLevels[] = {0x40, 0xC0, 0x60, 0xA0, 0x50, 0xB0};
    int blockFrames() const { return rate / 100; }
    int frames() const { return blockFrames() * int(std::size(kLevels)); }
    static uint8_t Level(int block, int side) {
        const uint8_t v = kLevels[size_t(block)];
        return side ? uint8_t(255 - v) : v;
    }
    std::vector<uint8_t> Samples() const {
        std::vector<uint8_t> b;
        for (int f = 0; f < frames(); ++f)
            for (int side = 0; side < channels; ++side) {
                const uint8_t v = Level(f / blockFrames(), side);
                if (bits == 16) b.push_back(0);
                b.push_back(bits == 16 ? uint8_t(v - 128) : v);
            }
        return b;
    }
    // Whether output frame k at `outRate` (left and right as heard, 8-bit) is what the source
    // holds there: the level of its block, or next to a block boundary one between the two.
    // A low-passed rate brought down to `outRate`: within 2 ms of a boundary the step is
    // spread out and rings, by under a tenth of the step.
    ::testing::AssertionResult Heard(int k, int outRate, int left, int right) const {
        // The source frames around k × rate / outRate (an output may take either neighbour).
        const double x = double(k) * rate / outRate;
        const bool filtered = lowPassed && rate > outRate;
        const int near = filtered ? rate / 500 : 1;
        const int last = int(std::size(kLevels)) - 1;
        const int a = std::min(std::max(int(std::ceil(x)) - near, 0) / blockFrames(), last);
        const int b = std::min((int(x) + near) / blockFrames(), last);
        const int got[2] = {left, right};
        for (int side = 0; side < 2; ++side) {
            const int s = channels == 2 ? side : 0;
            const int step = std::abs(Level(a, s) - Level(b, s));
            const int ring = filtered ? step / 10 + 1 : 0;
            const int lo = std::min(Level(a, s), Level(b, s)) - ring,
                      hi = std::max(Level(a, s), Level(b, s)) + ring;
            if (got[side] < lo || got[side] > hi)
                return ::testing::AssertionFailure()
                       << "frame " << k << " side " << side << " heard " << got[side] << ", want "
                       << lo << ".." << hi;
        }
        return ::testing::AssertionSuccess();
    }
};

struct RateCase {
    int rate, bits, channels;
};
inline constexpr RateCase kOtherRates[] = {{48000, 16, 2}, {48000, 8, 1}, {32000, 16, 1},
                                           {16000, 8, 2},  {8000, 8, 1},  {96000, 16, 2},
                                           {5512, 8, 2}};

// The mean difference between `n` frames of the 8-bit `heard` samples (`stride` bytes a
// frame) and the sample tone (1000 Hz, half scale) at the rate they were heard. The tone
// starts near 128, so where it starts is found by the best fit around the first sound.
inline double ToneError(const std::vector<uint8_t>& heard, int channel, int n, int rate,
                        int stride) {
    const size_t first = FirstSound(heard, size_t(stride));
    double best = 256.0;
    for (int shift = -4; shift <= 4; ++shift) {
        const long start = long(first) + long(shift) * stride;
        if (start < 0 || size_t(start) + size_t(n) * size_t(stride) > heard.size()) continue;
        double sum = 0.0;
        for (int k = 0; k < n; ++k) {
            const double want =
                128.0 + 0.5 * 32767.0 / 256.0 * std::sin(2.0 * M_PI * 1000.0 * k / rate);
            sum += std::abs(heard[size_t(start) + size_t(k) * size_t(stride) + size_t(channel)] -
                            want);
        }
        best = std::min(best, sum / n);
    }
    return best;
}

// A 16-bit mono tone of `hz` at `rate`, half of full scale, `frames` long.
inline std::vector<uint8_t> Tone16(int rate, double hz, int frames) {
    std::vector<uint8_t> b;
    for (int k = 0; k < frames; ++k) {
        const auto s = int16_t(std::lround(16383.0 * std::sin(2.0 * M_PI * hz * k / rate)));
        Put16(b, uint16_t(s));
    }
    return b;
}

// The amplitude of the `hz` component of `x` (sampled at `rate`), through a Hann window, in
// the units of `x`: a sine of amplitude A at a frequency of whole cycles over the window
// gives A, one far from it next to nothing.
inline double ToneAmplitude(const std::vector<double>& x, int rate, double hz) {
    const size_t n = x.size();
    double re = 0.0, im = 0.0, wsum = 0.0;
    for (size_t k = 0; k < n; ++k) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * double(k) / double(n));
        re += w * x[k] * std::cos(2.0 * M_PI * hz * double(k) / rate);
        im += w * x[k] * std::sin(2.0 * M_PI * hz * double(k) / rate);
        wsum += w;
    }
    return 2.0 * std::sqrt(re * re + im * im) / wsum;
}

// Where a tone of `hz` lands when sampled at 22050 Hz without a filter.
inline double ImageAt22050(double hz) {
    const double folded = std::fmod(hz, 22050.0);
    return folded > 11025.0 ? 22050.0 - folded : folded;
}

}  // namespace tovtest
