// The sound library's DirectSound output on the headless audio output: waves live in sound
// buffers of their own, the virtual clock paces the output and the capture records what was
// mixed, so every case sees the very samples the buffers gave.
#include <gtest/gtest.h>

#include <dsound.h>
#include <wynplat.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tov42.h"
#include "wave_fixture.h"
#include "../common/capture_read.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

LRESULT CALLBACK ParentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcA(h, m, w, l);
}

HWND MakeParent() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "DsTestHost";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "DsTestHost", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

// The library's hidden windows on this thread.
int HiddenWindows() {
    int n = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM p) -> BOOL {
            char title[32] = {};
            GetWindowTextA(h, title, sizeof title);
            if (std::strcmp(title, "TOV40") == 0) ++*reinterpret_cast<int*>(p);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&n));
    return n;
}

// Samples of one format as the bytes of a file: 8-bit unsigned or 16-bit signed.
Bytes Pcm(int bits, const std::vector<int>& samples) {
    Bytes b;
    for (int s : samples) {
        if (bits == 8)
            b.push_back(uint8_t(s));
        else {
            b.push_back(uint8_t(s & 0xFF));
            b.push_back(uint8_t((s >> 8) & 0xFF));
        }
    }
    return b;
}

class Ds : public ::testing::Test {
  protected:
    void SetUp() override {
        WynPlat_SetVirtualClock(1);
        const char* run = std::getenv("WYN_RUNTIME_DIR");
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::path(run ? run : "/tmp") / "tovds" / info->name();
        fs::create_directories(dir_);
        capture_ = (dir_ / "heard.wav").string();
        ASSERT_EQ(WynPlat_SetAudioCapture(capture_.c_str()), 1);
        parent_ = MakeParent();
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override {
        for (auto& w : waves_) TOV_WaveFree(&w);
        TOV_End2();
        WynPlat_SetAudioCapture(nullptr);
        DestroyWindow(parent_);
    }

    bool Start(int devices = TOV_DEVICE_DSOUND8) {
        int failed = -1;
        return TOV_Start2(parent_, devices, &failed, 1) == 1 && failed == 0;
    }
    // A wave file written in the test and read by the library.
    tagTOVWAVE* Wave(int rate, int bits, int channels, const Bytes& data) {
        const std::string path = tovtest::WriteWave(
            dir_ / ("w" + std::to_string(waves_.size()) + ".wav"), rate, bits, channels, data);
        waves_.emplace_back();
        tagTOVWAVE& w = waves_.back();
        std::memset(&w, 0, sizeof w);
        EXPECT_EQ(TOV_WaveRead(path.c_str(), &w), 1) << path;
        return &w;
    }
    // Lets `micros` of output time pass.
    void Pass(uint64_t micros) {
        WynPlat_AdvanceClock(micros);
        WynPlat_AudioCatchUp();
    }
    // The captured output, left and right as 16-bit values.
    std::vector<int16_t> Heard() {
        WynPlat_AudioCatchUp();
        std::vector<int16_t> out = ReadCapture16(capture_);
        return out;
    }
    // Frames of the capture that are not silent.
    size_t LoudFrames() {
        const auto h = Heard();
        size_t n = 0;
        for (size_t i = 0; i + 1 < h.size(); i += 2) n += h[i] != 0 || h[i + 1] != 0;
        return n;
    }

    fs::path dir_;
    std::string capture_;
    HWND parent_ = nullptr;
    std::deque<tagTOVWAVE> waves_;
};

LONG BufferVolume(const tagTOVWAVE* w) {
    LONG v = 1;
    reinterpret_cast<IDirectSoundBuffer*>(w->data)->GetVolume(&v);
    return v;
}

TEST_F(Ds, VolumesInHundredthsOfADecibel) {
    struct Case {
        int local, master;
        LONG buffer;  // the channel's buffer volume
        double gain;  // heard amplitude over the wave's
    };
    const Case cases[] = {
        {15, 15, 0, 1.0},
        {8, 15, -906, std::pow(10.0, -906 / 2000.0)},
        {1, 15, -3906, std::pow(10.0, -3906 / 2000.0)},
        {0, 15, -10000, 0.0},
        {15, 8, 0, std::pow(10.0, -906 / 2000.0)},  // the master is the primary's volume
        {8, 8, -906, std::pow(10.0, -1812 / 2000.0)},
        {15, 0, 0, 0.0},
    };
    ASSERT_TRUE(Start());
    tagTOVWAVE* w = Wave(22050, 16, 1, Pcm(16, std::vector<int>(22050, 20000)));
    for (const auto& c : cases) {
        const std::string name =
            "local " + std::to_string(c.local) + " master " + std::to_string(c.master);
        TOV_WaveSetLocalVol(-1, c.local);
        EXPECT_EQ(TOV_WaveSetMasterVol(c.master), c.master) << name;
        const size_t before = Heard().size();
        ASSERT_EQ(TOV_WavePlay(0, w, -1, 0), 0) << name;
        EXPECT_EQ(BufferVolume(w), c.buffer) << name;
        Pass(100000);
        const auto h = Heard();
        ASSERT_GT(h.size(), before + 1000) << name;
        const int want = int(std::lrint(20000 * c.gain));
        EXPECT_NEAR(h[before + 1000], want, 1) << name;
        EXPECT_NEAR(h[before + 1001], want, 1) << name;  // mono to both sides
        TOV_WaveStop(0);
    }
    // The master volume stays the clamped value.
    EXPECT_EQ(TOV_WaveSetMasterVol(20), 15);
    EXPECT_EQ(TOV_WaveGetMasterVol(), 15);
    EXPECT_EQ(TOV_WaveSetMasterVol(-3), 0);
    EXPECT_EQ(TOV_WaveGetMasterVol(), 0);
    // A local volume set while playing reaches the buffer.
    TOV_WavePlay(2, w, -1, 0);
    TOV_WaveSetLocalVol(2, 8);
    EXPECT_EQ(BufferVolume(w), -906);
    EXPECT_EQ(TOV_WaveGetLocalVol(2), 8);
}

TEST_F(Ds, PitchIsAShareOfTheWavesOwnRate) {
    struct Case {
        const char* name;
        int rate;
        bool percent;
        int value;      // 0: no change
        size_t frames;  // heard for 1000 source samples
    };
    const Case cases[] = {
        {"22050 Hz as is", 22050, true, 0, 1000},
        {"11025 Hz as is", 11025, true, 0, 2000},
        {"11025 Hz at 100%", 11025, true, 100, 2000},
        {"11025 Hz at 200%", 11025, true, 200, 1000},
        {"22050 Hz at 50%", 22050, true, 50, 2000},
        {"11025 Hz at 5512 Hz", 11025, false, 5512, 4000},
        {"11025 Hz at 0% is refused", 11025, true, 0, 2000},
    };
    ASSERT_TRUE(Start());
    for (const auto& c : cases) {
        tagTOVWAVE* w = Wave(c.rate, 8, 1, Bytes(1000, 0xC0));
        const size_t before = LoudFrames();
        ASSERT_EQ(TOV_WavePlay(0, w, 1, 0), 0) << c.name;
        if (c.value || !c.percent) {
            EXPECT_EQ(c.percent ? TOV_WaveSetPitch(0, c.value) : TOV_WaveSetPitchDirect(0, c.value),
                      0)
                << c.name;
        } else if (std::strstr(c.name, "refused")) {
            TOV_WaveSetPitch(0, 0);
        }
        Pass(400000);
        EXPECT_NEAR(double(LoudFrames() - before), double(c.frames), 2.0) << c.name;
        EXPECT_EQ(TOV_WaveStatus(0), 0) << c.name;
    }
}

TEST_F(Ds, CountsPlayThatManyPassesThenTheChannelIsFree) {
    struct Case {
        int count;
        size_t passes;  // heard; 0 = still playing after 20 passes' time
    };
    const Case cases[] = {{1, 1}, {2, 2}, {3, 3}, {-1, 0}};
    ASSERT_TRUE(Start());
    tagTOVWAVE* w = Wave(22050, 8, 2, Bytes(2 * 441, 0xC0));  // 441 frames, 20 ms
    for (const auto& c : cases) {
        const size_t before = LoudFrames();
        ASSERT_EQ(TOV_WavePlay(-3, w, c.count, 0), 3) << c.count;
        EXPECT_EQ(TOV_WaveStatus(3), 1) << c.count;
        Pass(20 * 20000);
        if (c.passes) {
            EXPECT_EQ(LoudFrames() - before, c.passes * 441) << c.count;
            EXPECT_EQ(TOV_WaveStatus(3), 0) << c.count;
            EXPECT_EQ(TOV_WaveStatus(-1), 0) << c.count;
        } else {
            EXPECT_GE(LoudFrames() - before, 19u * 441) << c.count;
            EXPECT_EQ(TOV_WaveStatus(3), 1) << c.count;
            EXPECT_EQ(TOV_WaveStatus(-1), 1) << c.count;
            EXPECT_EQ(TOV_WaveStop(3), 3);
            EXPECT_EQ(TOV_WaveStatus(3), 0) << c.count;
        }
    }
    // An ended channel is free for the next search; a playing one is passed over.
    EXPECT_EQ(TOV_WavePlay(-3, w, -1, 0), 3);
    EXPECT_EQ(TOV_WavePlay(-3, w, 1, 0), 4);
    // Pause keeps the position and a count-limited loop goes on counting after it.
    TOV_WaveStop(-1);
    const size_t before = LoudFrames();
    ASSERT_EQ(TOV_WavePlay(5, w, 2, 0), 5);
    Pass(10000);
    EXPECT_EQ(TOV_WavePause(5, 1), 5);
    Pass(200000);
    EXPECT_EQ(TOV_WaveStatus(5), 0);
    EXPECT_EQ(TOV_WavePause(5, 0), 5);
    Pass(200000);
    EXPECT_EQ(LoudFrames() - before, 2u * 441);
    EXPECT_EQ(TOV_WaveStatus(5), 0);
}

TEST_F(Ds, WavesKeepTheirOwnForm) {
    ASSERT_TRUE(Start());
    // 16-bit stereo stays 16-bit: low bytes are heard as they are.
    tagTOVWAVE* w16 = Wave(22050, 16, 2, Pcm(16, {0x1234, -0x1234, 0x0101, -0x0101}));
    EXPECT_EQ(w16->bit, 16);
    EXPECT_EQ(w16->mode, 2);
    EXPECT_EQ(w16->size, 8);
    const size_t before = Heard().size();
    TOV_WavePlay(0, w16, 1, 0);
    Pass(10000);
    const auto h = Heard();
    ASSERT_GE(h.size(), before + 4);
    size_t at = before;
    while (at < h.size() && h[at] == 0) ++at;
    ASSERT_LE(at + 4, h.size());
    EXPECT_EQ(std::vector<int16_t>(h.begin() + long(at), h.begin() + long(at) + 4),
              (std::vector<int16_t>{0x1234, -0x1234, 0x0101, -0x0101}));
    // 44100 Hz 16-bit halves to 22050 Hz by whole frames, each side on its own.
    tagTOVWAVE* hifi = Wave(44100, 16, 2, Pcm(16, {1000, -3000, 1000, -3000, 1000, -3000}));
    EXPECT_EQ(hifi->rate, 22050);
    EXPECT_EQ(hifi->size, 8);
    void* p = nullptr;
    DWORD n = 0;
    ASSERT_EQ(TOV_LockWave(hifi, &p, &n), 1);
    ASSERT_EQ(n, 8u);
    EXPECT_EQ(Bytes(static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + n),
              Pcm(16, {1000, -3000, 1000, -3000}));
    EXPECT_EQ(TOV_UnlockWave(hifi, p, n), 1);
    // Low-passed on the way: a tone above 11025 Hz does not fold back, one of 1000 Hz stays.
    struct Tone {
        double hz;
        bool passes;
    };
    for (const Tone& t : {Tone{1000, true}, Tone{12000, false}, Tone{19000, false}}) {
        tagTOVWAVE* w = Wave(44100, 16, 1, tovtest::Tone16(44100, t.hz, 11025));
        ASSERT_EQ(w->rate, 22050) << t.hz;
        ASSERT_EQ(TOV_LockWave(w, &p, &n), 1) << t.hz;
        ASSERT_EQ(n, 11026u) << t.hz;
        std::vector<double> x;
        for (DWORD k = 200; k < n / 2 - 200; ++k) {
            const uint8_t* b = static_cast<uint8_t*>(p) + 2 * k;
            x.push_back(double(int16_t(uint16_t(b[0] | b[1] << 8))));
        }
        EXPECT_EQ(TOV_UnlockWave(w, p, n), 1);
        const double at = t.passes ? t.hz : tovtest::ImageAt22050(t.hz);
        const double db = 20.0 * std::log10(tovtest::ToneAmplitude(x, 22050, at) / 16383.0);
        if (t.passes) {
            EXPECT_NEAR(db, 0.0, 1.0) << t.hz;
        } else {
            EXPECT_LT(db, -40.0) << t.hz << " Hz, its image at " << at << " Hz";
        }
    }
    // A segmented 8-bit file is one plain wave here.
    tagTOVWAVE seg{};
    ASSERT_EQ(TOV_WaveRead("sound\\engine.wav", &seg), 1);
    EXPECT_EQ(seg.mode, 1);
    EXPECT_EQ(seg.blocksize[0], 0);
    TOV_WaveFree(&seg);
}

TEST_F(Ds, AppendingKeepsTheFormOrFails) {
    ASSERT_TRUE(Start(TOV_DEVICE_DSOUND8));
    auto bytes = [](tagTOVWAVE* w) {
        void* p = nullptr;
        DWORD n = 0;
        if (!TOV_LockWave(w, &p, &n)) return Bytes{};
        Bytes b(static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + n);
        TOV_UnlockWave(w, p, n);
        return b;
    };
    struct Case {
        const char* name;
        int bits;
        Bytes samples;
        uint8_t silence;
    };
    // Silence follows the wave's own form, whatever the primary buffer's is.
    const Case cases[] = {{"8-bit", 8, {0x90, 0xA0, 0xB0, 0xC0}, 0x80},
                          {"16-bit", 16, Pcm(16, {300, -300}), 0x00}};
    for (const auto& c : cases) {
        tagTOVWAVE* w = Wave(22050, c.bits, 1, c.samples);
        ASSERT_EQ(TOV_AppendSpace(w, 6, 0), 1) << c.name;
        Bytes want = c.samples;
        want.insert(want.end(), 6, c.silence);
        EXPECT_EQ(w->size, LONG(want.size())) << c.name;
        EXPECT_EQ(bytes(w), want) << c.name;
    }
    // (a sound buffer holds at least four bytes)
    tagTOVWAVE* a = Wave(22050, 8, 1, {0x90, 0x91, 0x90, 0x91});
    tagTOVWAVE* b = Wave(22050, 8, 1, {0x92, 0x92, 0x92, 0x92});
    tagTOVWAVE* wide = Wave(22050, 16, 1, Pcm(16, {7, 7}));
    tagTOVWAVE* stereo = Wave(22050, 8, 2, {0x93, 0x94, 0x93, 0x94});
    // Another form: nothing changes and the append says so.
    EXPECT_EQ(TOV_AppendWave(a, wide), nullptr);
    EXPECT_EQ(TOV_AppendWave(a, stereo), nullptr);
    EXPECT_EQ(bytes(a), (Bytes{0x90, 0x91, 0x90, 0x91}));
    EXPECT_EQ(bytes(wide), Pcm(16, {7, 7}));
    EXPECT_EQ(TOV_AppendWave(a, b), a);
    EXPECT_EQ(bytes(a), (Bytes{0x90, 0x91, 0x90, 0x91, 0x92, 0x92, 0x92, 0x92}));
    EXPECT_EQ(b->data, nullptr);
    // Appending a file: only of the same form, only to a wave that holds a buffer.
    tagTOVWAVE empty{};
    EXPECT_EQ(TOV_AppendWaveRead("sound\\beep.wav", &empty), 0);
    EXPECT_EQ(TOV_AppendWaveRead("sound\\hifi.wav", a), 0);  // 16-bit stereo
    const int size = a->size;
    ASSERT_EQ(TOV_AppendWaveRead("sound\\beep.wav", a), 1);
    EXPECT_GT(a->size, size);
    EXPECT_EQ(bytes(a)[7], 0x92);
}

// The captured output back in 8-bit form, left and right in turn.
std::vector<uint8_t> As8(const std::vector<int16_t>& h) {
    std::vector<uint8_t> out;
    for (int16_t v : h) out.push_back(uint8_t((v >> 8) + 128));
    return out;
}

TEST_F(Ds, OtherToolsLayoutsKeepTheirForm) {
    ASSERT_TRUE(Start(TOV_DEVICE_DSOUND16));
    const Bytes samples = Pcm(16, {100, -100, 2000, -2000, 300, -300});
    int n = 0;
    for (const auto& c : tovtest::ToolLayouts()) {
        const std::string path = tovtest::WriteWave(dir_ / ("tool" + std::to_string(n++) + ".wav"),
                                                    32000, 16, 2, samples, c.layout);
        tagTOVWAVE& w = waves_.emplace_back();
        ASSERT_EQ(TOV_WaveRead(path.c_str(), &w), 1) << c.name;
        EXPECT_EQ(w.rate * 100 + w.bit * 10 + w.mode, 32000 * 100 + 16 * 10 + 2) << c.name;
        Bytes twice = samples;
        twice.insert(twice.end(), samples.begin(), samples.end());
        ASSERT_EQ(TOV_AppendWaveRead(path.c_str(), &w), 1) << c.name;
        void* p = nullptr;
        DWORD size = 0;
        ASSERT_EQ(TOV_LockWave(&w, &p, &size), 1) << c.name;
        EXPECT_EQ(Bytes(static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + size), twice)
            << c.name;
        TOV_UnlockWave(&w, p, size);
    }
    for (const auto& c : tovtest::RefusedLayouts()) {
        const std::string path = tovtest::WriteWave(dir_ / ("bad" + std::to_string(n++) + ".wav"),
                                                    32000, 16, 2, samples, c.layout);
        tagTOVWAVE w{};
        const int boxes = WynPlat_MessageBoxCount();
        EXPECT_EQ(TOV_WaveRead(path.c_str(), &w), 0) << c.name;
        EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1) << c.name;
        EXPECT_EQ(w.data, nullptr) << c.name;
    }
}

// A sound buffer keeps the file's rate, after the file's LIST chunk: the output takes from it
// at that rate, so it is heard at its own length and pitch.
TEST_F(Ds, OtherRatesKeepTheirRate) {
    ASSERT_TRUE(Start(TOV_DEVICE_DSOUND16));
    for (const auto& c : tovtest::kOtherRates) {
        const std::string name = std::to_string(c.rate) + " Hz " + std::to_string(c.bits) +
                                 "-bit " + std::to_string(c.channels) + " ch";
        const tovtest::LevelWave lw{c.rate, c.bits, c.channels};
        const std::string path =
            tovtest::WriteWave(dir_ / ("rate" + std::to_string(c.rate) + ".wav"), c.rate, c.bits,
                               c.channels, lw.Samples(), {.beforeData = {tovtest::InfoList()}});
        tagTOVWAVE& w = waves_.emplace_back();
        ASSERT_EQ(TOV_WaveRead(path.c_str(), &w), 1) << name;
        EXPECT_EQ(w.rate, c.rate) << name;
        EXPECT_EQ(w.bit, c.bits) << name;
        EXPECT_EQ(w.size, lw.frames() * c.channels * c.bits / 8) << name;
        const size_t before = Heard().size();
        ASSERT_EQ(TOV_WavePlay(0, &w, 1, 0), 0) << name;
        Pass(200000);
        EXPECT_EQ(TOV_WaveStatus(0), 0) << name;
        const std::vector<uint8_t> heard = As8(Heard());
        size_t at = before;
        while (at < heard.size() && heard[at] == 0x80) ++at;
        const double frames = double(lw.frames()) * 22050 / c.rate;
        int k = 0;
        for (; at + 1 < heard.size() && heard[at] != 0x80; at += 2, ++k)
            ASSERT_TRUE(lw.Heard(k, 22050, heard[at], heard[at + 1])) << name;
        EXPECT_NEAR(k, frames, 1.0) << name;
    }
}

TEST_F(Ds, OggAtAnotherRateKeepsItsRate) {
    ASSERT_TRUE(Start(TOV_DEVICE_DSOUND16));
    tagTOVWAVE& w = waves_.emplace_back();
    ASSERT_EQ(TOV_WaveRead("sound\\test\\tone48k.rvg", &w), 1);
    EXPECT_EQ(w.rate, 48000);
    EXPECT_EQ(w.bit, 16);
    EXPECT_EQ(w.size, 14400 * 2);
    ASSERT_EQ(TOV_WavePlay(0, &w, 1, 0), 0);
    Pass(400000);
    // Lossy, and the output takes the nearest earlier source sample.
    EXPECT_LT(tovtest::ToneError(As8(Heard()), 0, 14400 * 22050 / 48000 - 1, 22050, 2), 4.0);
}

// The DirectSound output's own readers are exported: a 16-bit wave read, and one appended.
TEST_F(Ds, SixteenBitReadersAreExported) {
    const std::string a = tovtest::WriteWave(dir_ / "a.wav", 22050, 16, 1, Pcm(16, {1000, -1000}));
    const std::string b = tovtest::WriteWave(dir_ / "b.wav", 22050, 16, 1, Pcm(16, {2000, -2000}),
                                             {.beforeData = {tovtest::InfoList()}});
    tagTOVWAVE& w = waves_.emplace_back();
    EXPECT_EQ(TOV_WaveRead16(a.c_str(), &w), 0);  // no sound object: no buffer
    ASSERT_TRUE(Start(TOV_DEVICE_DSOUND8));
    ASSERT_EQ(TOV_WaveRead16(a.c_str(), &w), 1);
    EXPECT_EQ(w.bit * 10 + w.mode, 16 * 10 + 1);
    ASSERT_EQ(TOV_AppendWaveRead16(b.c_str(), &w), 1);
    void* p = nullptr;
    DWORD n = 0;
    ASSERT_EQ(TOV_LockWave(&w, &p, &n), 1);
    EXPECT_EQ(Bytes(static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + n),
              Pcm(16, {1000, -1000, 2000, -2000}));
    TOV_UnlockWave(&w, p, n);
    tagTOVWAVE eight = *Wave(22050, 8, 1, {0x90, 0x90, 0x90, 0x90});
    EXPECT_EQ(TOV_AppendWaveRead16(b.c_str(), &eight), 0);  // 8 bits: another form
}

TEST_F(Ds, DeviceBitsOfTheStart) {
    struct Case {
        const char* name;
        bool parent;
        int devices, result, failed, hidden;
    };
    const Case cases[] = {
        {"DirectSound and the mixer: DirectSound only", true, 0x14, 1, 0, 1},
        {"DirectSound alone: no hidden window", true, 0x10, 1, 0, 0},
        {"16-bit DirectSound alone", true, 0x20, 1, 0, 0},
        {"8-bit wins over 16-bit", true, 0x30, 1, 0, 1},
        {"no window to belong to", false, 0x10, 0, 0x10, 0},
        {"no window, and the mixer is not tried", false, 0x14, 0, 0x10, 1},
        {"every device but DirectSound opens", false, 0x1F, 0, 0x10, 1},
    };
    for (const auto& c : cases) {
        int failed = -1;
        EXPECT_EQ(TOV_Start2(c.parent ? parent_ : nullptr, c.devices, &failed, 1), c.result)
            << c.name;
        EXPECT_EQ(failed, c.failed) << c.name;
        EXPECT_EQ(HiddenWindows(), c.hidden) << c.name;
        EXPECT_EQ(TOV_Task(), 0) << c.name;
        int count = 0, bytes = 0, pre = 0;
        TOV_GetWaveBufferInfo(&count, &bytes, &pre);
        EXPECT_EQ(count * 10000 + bytes * 10 + pre, 8 * 10000 + 4096 * 10 + 2) << c.name;
        EXPECT_EQ(TOV_SetWaveBufferInfo(4, 1024, 2), 0) << c.name;  // the mixer never opened
        tagTOVWAVE* w = Wave(22050, 8, 1, Bytes(100, 0xC0));
        EXPECT_EQ(TOV_WavePlayJust(0, w, 1, 0), -1) << c.name;
        if (c.result) EXPECT_EQ(TOV_WavePlay(0, w, 1, 0), 0) << c.name;
        TOV_WaveFree(w);
        TOV_End2();
        EXPECT_EQ(HiddenWindows(), 0) << c.name;
    }
}

TEST_F(Ds, DeactivationStopsEveryBufferAndResumesThem) {
    ASSERT_TRUE(Start(TOV_DEVICE_DSOUND16));
    tagTOVWAVE* w = Wave(22050, 8, 1, Bytes(22050, 0xC0));
    TOV_WavePlay(0, w, 1, 0);
    Pass(100000);
    const size_t before = LoudFrames();
    TOV_Activate(0);
    EXPECT_EQ(TOV_WaveStatus(-1), 0);
    Pass(2000000);
    EXPECT_EQ(LoudFrames(), before);
    TOV_Activate(1);
    EXPECT_EQ(TOV_WaveStatus(0), 1);
    Pass(2000000);
    EXPECT_EQ(LoudFrames(), 22050u);
    EXPECT_EQ(TOV_WaveStatus(0), 0);
}

}  // namespace
