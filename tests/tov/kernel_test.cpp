// The sound library's pure parts: the packed-wave codec, the mixer's tables and routines,
// the pitch kernel and the wave format: its layouts, conversions and segment scan.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "mixkernel.h"
#include "pack.h"
#include "pitch.h"
#include "voice.h"
#include "wave_fixture.h"
#include "wavefmt.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Packs bits given as a string of '0'/'1' (spaces ignored), most significant first.
Bytes Bits(const std::string& s) {
    Bytes out;
    int n = 0;
    for (char c : s) {
        if (c == ' ') continue;
        if (n % 8 == 0) out.push_back(0);
        if (c == '1') out.back() |= uint8_t(0x80 >> (n % 8));
        ++n;
    }
    return out;
}

Bytes Unpack(const Bytes& stream, int n) {
    Bytes out(size_t(n), 0xAA);
    int w = tov::UnpackSamples(out.data(), n, stream.data(), stream.size());
    out.resize(size_t(w));
    return out;
}

struct UnpackCase {
    const char* name;
    const char* bits;
    int n;
    Bytes expect;
};
const UnpackCase kUnpack[] = {
    {"literal", "0 1000000", 1, {0x80}},
    {"literal 127 becomes 0xFF", "0 1111111", 1, {0xFF}},
    {"1001 after 0xFF gives 0xFD", "0 1111111 1001", 2, {0xFF, 0xFD}},
    {"small steps", "0 1000000 1000 1001 1010 1011", 5, {0x80, 0x7C, 0x7A, 0x7C, 0x80}},
    {"large steps", "0 1000000 11000 11001 11010 11011", 5, {0x80, 0x78, 0x72, 0x78, 0x80}},
    {"short run", "0 0000010 111 00010", 4, {4, 4, 4, 4}},
    {"long run", "0 0000010 11111111 00000000", 33, Bytes(33, 4)},
    {"run cut at n", "0 0000010 111 11110", 5, Bytes(5, 4)},
    {"stops at end of input", "0 0000010 11111111", 300, {4}},
    {"step onto 0xFE stored as 0xFF", "0 1111110 1010", 2, {0xFC, 0xFF}},
};

TEST(PackCodec, UnpacksEveryCode) {
    for (const auto& c : kUnpack) EXPECT_EQ(Unpack(Bits(c.bits), c.n), c.expect) << c.name;
}

TEST(PackCodec, RunsOfEqualSamples) {
    Bytes src(300, 0x40);
    Bytes packed(tov::PackBound(300));
    int len = tov::PackSamples(packed.data(), src.data(), 300);
    // literal (8 bits), a run of 287 (16 bits), a run of 12 (8 bits)
    EXPECT_EQ(len, 4);
    packed.resize(size_t(len));
    EXPECT_EQ(packed, Bits("0 0100000 11111111 11111111 111 01011"));
    EXPECT_EQ(Unpack(packed, 300), src);
}

TEST(PackCodec, RoundTripsSevenBitSamples) {
    struct Case {
        const char* name;
        Bytes src;
    };
    Bytes ramp, noise;
    for (int i = 0; i < 600; ++i) ramp.push_back(uint8_t((i * 2) & 0xFC));
    unsigned s = 1;
    for (int i = 0; i < 600; ++i) {
        s = s * 214013u + 2531011u;
        noise.push_back(uint8_t((s >> 16) & 0xFC));
    }
    const Case cases[] = {{"ramp", ramp},
                          {"noise", noise},
                          {"steps", {0x80, 0x7C, 0x84, 0x88, 0x70, 0x70, 0x70, 0x60}},
                          {"single", {0x42}}};
    for (const auto& c : cases) {
        Bytes packed(tov::PackBound(int(c.src.size())));
        int len = tov::PackSamples(packed.data(), c.src.data(), int(c.src.size()));
        ASSERT_LE(size_t(len), packed.size()) << c.name;
        packed.resize(size_t(len));
        Bytes expect;
        for (uint8_t b : c.src) expect.push_back(uint8_t(b & 0xFE));
        EXPECT_EQ(Unpack(packed, int(c.src.size())), expect) << c.name;
    }
}

TEST(PackCodec, SegmentMarkersSurvivePacking) {
    Bytes src = {0x20, 0x22, 0xFF, 0x30, 0xFF, 0x40};
    Bytes packed(tov::PackBound(6));
    packed.resize(size_t(tov::PackSamples(packed.data(), src.data(), 6)));
    Bytes out = Unpack(packed, 6);
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[2], 0xFF);
    EXPECT_EQ(out[4], 0xFF);
}

class Tables : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        t_ = new tov::MixTables;
        tov::BuildMixTables(t_);
    }
    static void TearDownTestSuite() { delete t_; }
    static tov::MixTables* t_;
};
tov::MixTables* Tables::t_ = nullptr;

TEST_F(Tables, VolumeRows) {
    struct Case {
        int master, local, s, expect;
    };
    const Case cases[] = {
        {15, 15, 0xFF, 0xFF}, {15, 15, 0x00, 0x00},    {15, 15, 0x93, 0x93},
        {8, 15, 0xFF, 195},   {8, 15, 0x00, 128 - 68}, {0, 15, 0xFF, 128},
        {15, 0, 0x00, 128},   {1, 1, 0xFF, 128},       {7, 9, 0x01, 128 - 35},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tov::VolumeRow(*t_, c.master, c.local)[c.s], c.expect)
            << "master " << c.master << " local " << c.local << " sample " << c.s;
}

TEST_F(Tables, MixClipsInsteadOfWrapping) {
    struct Case {
        int a, b, expect;
    };
    const Case cases[] = {{0xFF, 0xFF, 0xFF}, {0x00, 0x00, 0x00}, {0x80, 0x93, 0x93},
                          {0xC0, 0xC0, 0xFF}, {0x40, 0x40, 0x00}, {0xA0, 0x60, 0x80}};
    for (const auto& c : cases) EXPECT_EQ(t_->mix[c.a][c.b], c.expect) << c.a << " + " << c.b;
}

TEST_F(Tables, RoutinesExpandToStereo22050) {
    const uint8_t* id = tov::VolumeRow(*t_, 15, 15);
    struct Case {
        const char* name;
        tov::MixRoutine fn;
        Bytes src;
        int samples;
        Bytes expect;
    };
    const Case cases[] = {
        {"22S", tov::TOV_WaveMix22S, {1, 2, 3, 4}, 4, {1, 2, 3, 4}},
        {"22M", tov::TOV_WaveMix22M, {1, 2}, 2, {1, 1, 2, 2}},
        {"11S", tov::TOV_WaveMix11S_X, {1, 2, 3, 4}, 4, {1, 2, 1, 2, 3, 4, 3, 4}},
        {"11S odd", tov::TOV_WaveMix11S_X, {1, 2, 3}, 3, {1, 2, 1, 2}},
        {"11M", tov::TOV_WaveMix11M, {1, 2}, 2, {1, 1, 1, 1, 2, 2, 2, 2}},
        {"05M", tov::TOV_WaveMix05M, {9}, 1, Bytes(8, 9)},
    };
    for (const auto& c : cases) {
        Bytes out(c.expect.size() + 4, 0x80);
        c.fn(out.data(), c.src.data(), c.samples, id, *t_);
        Bytes head(out.begin(), out.begin() + long(c.expect.size()));
        EXPECT_EQ(head, c.expect) << c.name;
        EXPECT_EQ(out[c.expect.size()], 0x80) << c.name << " wrote past its output";
    }
}

TEST_F(Tables, ClearFillsWords) {
    Bytes b(12, 0);
    tov::TOV_Clear(b.data(), 2, 0x80808080u);
    EXPECT_EQ(b, (Bytes{0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0, 0, 0, 0}));
}

TEST(Pitch, KernelWeights) {
    struct Case {
        float d, w;
    };
    const Case cases[] = {{0.0f, 1.0f},    {1.0f, 0.0f},    {2.0f, 0.0f}, {0.5f, 0.625f},
                          {1.5f, -0.125f}, {-0.5f, 0.625f}, {3.0f, 0.0f}};
    for (const auto& c : cases) EXPECT_FLOAT_EQ(tov::CubicWeight(c.d), c.w) << "d " << c.d;
}

TEST(Pitch, CubicOnKnownWave) {
    // On a line the kernel gives the samples themselves and the midpoints, overshoots a
    // little in between, and repeats the end samples beyond the wave.
    const Bytes line = {10, 20, 30, 40, 50, 60};
    struct Case {
        int i;
        float t;
        int expect;
    };
    const Case cases[] = {{2, 0.0f, 30}, {2, 0.5f, 35}, {1, 0.25f, 23},
                          {0, 0.0f, 10}, {5, 0.0f, 60}, {0, 0.5f, 13}};
    for (const auto& c : cases)
        EXPECT_EQ(tov::CubicAt(line.data(), 6, 1, c.i, c.t), c.expect) << c.i << "+" << c.t;
}

TEST(Pitch, OvershootIsClampedNotWrapped) {
    const Bytes edge = {0, 0, 255, 255, 255, 0, 0};
    // Between 255 and 255 next to a fall the kernel overshoots above 255.
    EXPECT_EQ(tov::CubicAt(edge.data(), 7, 1, 2, 0.5f), 255);
    const Bytes dip = {255, 255, 0, 0, 0, 255, 255};
    EXPECT_EQ(tov::CubicAt(dip.data(), 7, 1, 2, 0.5f), 0);
}

TEST(Pitch, StereoFramesAndStep) {
    const Bytes st = {10, 200, 20, 190, 30, 180, 40, 170};
    Bytes out(6);
    float x = tov::PitchedRead(out.data(), st.data(), 4, 2, 0.0f, 1.5f, 3);
    EXPECT_FLOAT_EQ(x, 4.5f);
    EXPECT_EQ(out[0], 10);
    EXPECT_EQ(out[1], 200);
    EXPECT_EQ(out[2], 25);   // frame 1.5, left
    EXPECT_EQ(out[3], 185);  // right
}

struct HeaderCase {
    const char* name;
    int mode, rate, bit;
    uint32_t size;
    bool packed;
    uint64_t available;
    bool fits;
    int tag = 1;
};
const HeaderCase kHeaders[] = {
    {"plain", 2, 22050, 8, 100, false, 100, true},
    {"mu-law", 1, 8000, 8, 10, false, 100, false, 7},
    {"A-law", 1, 8000, 8, 10, false, 100, false, 6},
    {"floating point", 1, 22050, 16, 10, false, 100, false, 3},
    {"no tag", 1, 22050, 8, 10, false, 100, false, 0},
    {"packed: its tag is not read", 1, 22050, 8, 4, true, 4, true, 0},
    {"longer than the file", 2, 22050, 8, 101, false, 100, false},
    {"no channels", 0, 22050, 8, 10, false, 100, false},
    {"six channels", 6, 22050, 8, 10, false, 100, false},
    {"12-bit", 1, 22050, 12, 10, false, 100, false},
    {"zero rate", 1, 0, 8, 10, false, 100, false},
    {"rate below 1000 Hz", 1, 999, 8, 10, false, 100, false},
    {"1000 Hz", 1, 1000, 8, 10, false, 100, true},
    {"400000 Hz", 1, 400000, 8, 10, false, 100, true},
    {"rate above 400000 Hz", 1, 400001, 8, 10, false, 100, false},
    {"packed without count", 1, 22050, 8, 3, true, 100, false},
    {"packed", 1, 22050, 8, 4, true, 4, true},
};

Bytes Header(const HeaderCase& c) {
    Bytes h(44, 0);
    std::memcpy(h.data(), "RIFF\0\0\0\0WAVEfmt ", 16);
    if (c.packed) h[10] = 'P';
    h[20] = uint8_t(c.tag);
    h[22] = uint8_t(c.mode);
    for (int i = 0; i < 4; ++i) h[24 + i] = uint8_t(uint32_t(c.rate) >> (8 * i));
    h[34] = uint8_t(c.bit);
    std::memcpy(h.data() + 36, "data", 4);
    for (int i = 0; i < 4; ++i) h[40 + i] = uint8_t(c.size >> (8 * i));
    return h;
}

TEST(WaveFormat, HeadersAreCheckedAgainstTheData) {
    for (const auto& c : kHeaders) {
        Bytes b = Header(c);
        tov::WaveHeader h;
        ASSERT_TRUE(tov::ParseWaveHeader(b.data(), b.size(), &h)) << c.name;
        EXPECT_EQ(h.mode, c.mode) << c.name;
        EXPECT_EQ(h.rate, c.rate) << c.name;
        EXPECT_EQ(h.size, c.size) << c.name;
        EXPECT_EQ(h.packed, c.packed) << c.name;
        EXPECT_EQ(tov::WaveHeaderFits(h, c.available), c.fits) << c.name;
    }
    tov::WaveHeader h;
    EXPECT_FALSE(tov::ParseWaveHeader(Bytes(43).data(), 43, &h));
}

// Reads from bytes in memory as the library reads from a file.
tov::ReadAt ReaderOf(const Bytes& f) {
    return [&f](uint64_t at, uint8_t* out, size_t n) {
        if (at + n > f.size()) return false;
        std::memcpy(out, f.data() + at, n);
        return true;
    };
}

TEST(WaveFormat, TheSystemsOwnLayoutIsReadByItsFixedHeader) {
    const Bytes samples = {0x90, 0xA0, 0xB0};
    Bytes own = tovtest::WaveBytes(22050, 8, 1, samples);
    EXPECT_TRUE(tov::HasFixedWaveLayout(own.data()));
    // The packed and segmented marks keep the fixed header whatever follows it.
    for (size_t at : {size_t(10), size_t(11)}) {
        Bytes marked =
            tovtest::WaveBytes(22050, 8, 1, samples, {.beforeData = {tovtest::InfoList()}});
        marked[at] = at == 10 ? 'P' : 'L';
        EXPECT_TRUE(tov::HasFixedWaveLayout(marked.data())) << at;
    }
    for (const auto& c : tovtest::ToolLayouts()) {
        const Bytes f = tovtest::WaveBytes(22050, 8, 1, samples, c.layout);
        EXPECT_FALSE(tov::HasFixedWaveLayout(f.data())) << c.name;
    }
}

TEST(WaveFormat, OtherToolsChunksAreWalkedToFmtAndData) {
    const Bytes samples = {1, 2, 3, 4, 5, 6, 7};
    for (const auto& c : tovtest::ToolLayouts()) {
        const Bytes f = tovtest::WaveBytes(32000, 16, 2, samples, c.layout);
        tov::WaveHeader h;
        uint64_t at = 0;
        ASSERT_TRUE(tov::WalkWaveChunks(ReaderOf(f), f.size(), &h, &at)) << c.name;
        EXPECT_EQ(h.mode, 2) << c.name;
        EXPECT_EQ(h.rate, 32000) << c.name;
        EXPECT_EQ(h.bit, 16) << c.name;
        EXPECT_EQ(h.size, samples.size()) << c.name;
        EXPECT_FALSE(h.packed || h.segmented) << c.name;
        ASSERT_LE(at + h.size, f.size()) << c.name;
        EXPECT_EQ(Bytes(f.begin() + long(at), f.begin() + long(at + h.size)), samples) << c.name;
    }
    for (const auto& c : tovtest::RefusedLayouts()) {
        const Bytes f = tovtest::WaveBytes(32000, 16, 2, samples, c.layout);
        tov::WaveHeader h;
        uint64_t at = 0;
        EXPECT_FALSE(tov::WalkWaveChunks(ReaderOf(f), f.size(), &h, &at)) << c.name;
    }
    struct Broken {
        const char* name;
        size_t keep;  // bytes of the file kept (0: all)
        size_t at;    // a byte changed (0: none)
        uint8_t to;
    };
    const Bytes good =
        tovtest::WaveBytes(32000, 16, 2, samples, {.beforeData = {tovtest::InfoList()}});
    const Broken broken[] = {
        {"not RIFF", 0, 0, 'X'},
        {"not WAVE", 0, 8, 'X'},
        {"cut inside the LIST chunk", 50, 0, 0},
        {"fmt shorter than 16 bytes", 0, 16, 14},
        {"cut before data", good.size() - samples.size() - 9, 0, 0},
    };
    for (const auto& c : broken) {
        Bytes f = good;
        if (c.keep) f.resize(c.keep);
        if (c.at || c.to) f[c.at] = c.to;
        tov::WaveHeader h;
        uint64_t at = 0;
        EXPECT_FALSE(tov::WalkWaveChunks(ReaderOf(f), f.size(), &h, &at)) << c.name;
    }
}

TEST(WaveFormat, OtherRatesConvertTo22050) {
    struct Case {
        const char* name;
        int rate, channels;
        Bytes in, out;
    };
    const Case cases[] = {
        {"11025 mono, halfway values", 11025, 1, {0, 100}, {0, 50, 100, 100}},
        {"half rounds up", 11025, 1, {0, 1}, {0, 1, 1, 1}},
        {"44100 stereo, each side its own",
         44100,
         2,
         {10, 200, 10, 200, 10, 200, 10, 200},
         {10, 200, 10, 200}},
        {"16000 mono", 16000, 1, {0, 160}, {0, 116}},
        {"48000 mono, a level", 48000, 1, Bytes(480, 0x40), Bytes(220, 0x40)},
        {"96000 stereo, levels", 96000, 2, {1, 254, 1, 254, 1, 254, 1, 254, 1, 254}, {1, 254}},
        {"stereo partial frame dropped", 22050, 2, {1, 2, 3}, {1, 2}},
    };
    for (const auto& c : cases) {
        const uint64_t size = tov::ResampledSize(uint32_t(c.in.size()), c.rate, c.channels);
        ASSERT_EQ(size, c.out.size()) << c.name;
        Bytes out(size_t(size), 0xAA);
        tov::ResampleTo22050(out.data(), c.in.data(), uint32_t(c.in.size()), c.rate, c.channels);
        EXPECT_EQ(out, c.out) << c.name;
    }
    // Two 10 ms levels at 48000 Hz: each level as it was away from the step, which the low-pass
    // spreads over a millisecond or so each side, ringing by under a tenth of the step, and
    // which still rises through the middle at 10 ms.
    Bytes steps(480, 0x40);
    steps.insert(steps.end(), 480, 0xC0);
    Bytes out(size_t(tov::ResampledSize(960, 48000, 1)));
    ASSERT_EQ(out.size(), 441u);
    tov::ResampleTo22050(out.data(), steps.data(), 960, 48000, 1);
    for (size_t k = 0; k < out.size(); ++k) {
        const double ms = double(k) / 22.05;
        if (ms < 8.0) {
            EXPECT_EQ(out[k], 0x40) << "frame " << k;
        } else if (ms > 12.0) {
            EXPECT_EQ(out[k], 0xC0) << "frame " << k;
        } else {
            EXPECT_TRUE(out[k] >= 0x40 - 13 && out[k] <= 0xC0 + 13) << "frame " << k;
        }
    }
    EXPECT_LT(out[220], 0x80);
    EXPECT_GT(out[221], 0x80);

    // The rates the mixer plays itself are not converted.
    struct Plays {
        int rate, mode;
        bool plays;
    };
    const Plays plays[] = {{22050, 1, true},  {22050, 2, true}, {11025, 2, true},
                           {5512, 1, true},   {5512, 2, false}, {44100, 1, false},
                           {48000, 2, false}, {8000, 1, false}};
    for (const auto& p : plays)
        EXPECT_EQ(tov::MixerPlays(p.rate, p.mode), p.plays) << p.rate << " Hz, " << p.mode;
}

TEST(WaveFormat, ReductionsForEveryLayout) {
    struct Case {
        const char* name;
        int mode, bit;
        bool halve;
        Bytes in, out;
    };
    const Case cases[] = {
        {"8-bit mono 44100", 1, 8, true, {7, 7, 7, 7, 7}, {7, 7, 7}},
        {"8-bit stereo 44100", 2, 8, true, {1, 2, 1, 2, 1, 2, 1, 2}, {1, 2, 1, 2}},
        {"16-bit mono", 1, 16, false, {0x00, 0x00, 0xFF, 0x7F, 0x00, 0x80}, {0x80, 0xFF, 0x00}},
        {"16-bit stereo 44100",
         2,
         16,
         true,
         {0, 0x10, 0, 0x20, 0, 0x10, 0, 0x20, 0, 0x10, 0, 0x20, 0, 0x10, 0, 0x20},
         {0x90, 0xA0, 0x90, 0xA0}},
        {"16-bit mono 44100", 1, 16, true, {0, 0x10, 0, 0x10, 0, 0x10, 0, 0x10}, {0x90, 0x90}},
        {"16-bit odd byte", 1, 16, false, {0, 0x10, 0x55}, {0x90}},
        {"stereo partial frame", 2, 8, true, {1, 2, 1, 2, 5}, {1, 2}},
    };
    for (const auto& c : cases) {
        Bytes d = c.in;
        uint32_t size = uint32_t(d.size());
        if (c.bit == 16) size = tov::Reduce16To8(d.data(), size);
        if (c.halve) size = tov::HalveRate(d.data(), size, c.mode, 8);
        d.resize(size);
        EXPECT_EQ(d, c.out) << c.name;
    }
    // Kept at 16 bits (the DirectSound form), each side keeps its level.
    Bytes pcm;
    for (int f = 0; f < 5; ++f)
        for (int v : {-20000, 30000}) {
            pcm.push_back(uint8_t(v & 0xFF));
            pcm.push_back(uint8_t((v >> 8) & 0xFF));
        }
    ASSERT_EQ(tov::HalveRate(pcm.data(), uint32_t(pcm.size()), 2, 16), 12u);
    for (size_t f = 0; f < 3; ++f) {
        EXPECT_EQ(int16_t(uint16_t(pcm[4 * f] | pcm[4 * f + 1] << 8)), -20000) << f;
        EXPECT_EQ(int16_t(uint16_t(pcm[4 * f + 2] | pcm[4 * f + 3] << 8)), 30000) << f;
    }
}

// The low-pass taken before a rate comes down to 22050 Hz: what that rate holds passes, what
// would fold back below 11025 Hz is at least 60 dB down, for every rate above 22050 Hz.
TEST(WaveFormat, TheLowPassKeepsWhat22050HzHoldsAndStopsTheRest) {
    EXPECT_TRUE(tov::LowPassTaps(22050).empty());
    EXPECT_TRUE(tov::LowPassTaps(16000).empty());
    for (int rate : {22051, 32000, 44100, 48000, 96000, 192000, 400000}) {
        const std::vector<double> h = tov::LowPassTaps(rate);
        ASSERT_EQ(h.size() % 2, 1u) << rate;
        double sum = 0.0;
        for (size_t i = 0; i < h.size(); ++i) {
            sum += h[i];
            EXPECT_DOUBLE_EQ(h[i], h[h.size() - 1 - i]) << rate << " tap " << i;
        }
        EXPECT_NEAR(sum, 1.0, 1e-12) << rate;
        const double half = double(h.size() / 2);
        auto gain = [&](double hz) {
            double g = 0.0;
            for (size_t i = 0; i < h.size(); ++i)
                g += h[i] * std::cos(2.0 * M_PI * hz / rate * (double(i) - half));
            return std::abs(g);
        };
        for (double hz = 0; hz <= 9000; hz += 250)
            EXPECT_NEAR(gain(hz), 1.0, 0.002) << rate << " Hz at " << hz << " Hz";
        for (double hz = 11025; hz <= rate / 2.0; hz += rate / 2000.0)
            EXPECT_LT(gain(hz), 0.001) << rate << " Hz at " << hz << " Hz";
    }
}

TEST(WaveFormat, OggPcmToEightBit) {
    const Bytes pcm = {0x00, 0x00, 0xFF, 0x7F, 0x00, 0x80, 0xFF, 0xFF};
    Bytes out(4);
    tov::Pcm16To8(out.data(), pcm.data(), 8);
    EXPECT_EQ(out, (Bytes{0x80, 0xFF, 0x00, 0x7F}));
}

TEST(WaveFormat, SegmentScan) {
    struct Case {
        const char* name;
        Bytes data;
        std::vector<std::array<int, 3>> segs;  // top, length, bottom
    };
    Bytes many;
    for (int i = 0; i < 10; ++i) many.insert(many.end(), {1, 0xFF});
    many.push_back(7);
    const Case cases[] = {
        {"three segments", {1, 2, 0xFF, 3, 4, 0xFF, 5}, {{0, 2, 2}, {3, 2, 5}, {6, 1, 7}}},
        {"no marker", {1, 2, 3}, {{0, 3, 3}}},
        {"marker first byte is a sample", {0xFF, 1, 0xFF, 2}, {{0, 2, 2}, {3, 1, 4}}},
        {"marker in last byte", {1, 2, 0xFF}, {{0, 2, 2}}},
        {"empty", {}, {}},
        {"more than eight markers",
         many,
         {{0, 1, 1},
          {2, 1, 3},
          {4, 1, 5},
          {6, 1, 7},
          {8, 1, 9},
          {10, 1, 11},
          {12, 1, 13},
          {14, 1, 15}}},
    };
    for (const auto& c : cases) {
        int32_t top[9], bottom[9], len[9];
        std::memset(top, 0x55, sizeof top);
        tov::ScanSegments(c.data.data(), uint32_t(c.data.size()), top, bottom, len);
        for (size_t i = 0; i < 9; ++i) {
            if (i < c.segs.size()) {
                EXPECT_EQ(top[i], c.segs[i][0]) << c.name << " segment " << i;
                EXPECT_EQ(len[i], c.segs[i][1]) << c.name << " segment " << i;
                EXPECT_EQ(bottom[i], c.segs[i][2]) << c.name << " segment " << i;
            } else {
                EXPECT_EQ(len[i], 0) << c.name << " segment " << i;
            }
        }
    }
}

}  // namespace
