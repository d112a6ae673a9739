// The DirectSound stand-in through its interfaces: what the sound object and its buffers
// accept and refuse, and what the one audio output hears of them under the virtual clock.
#include <gtest/gtest.h>

#include <windows.h>
#include <dsound.h>
#include <wynplat.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../../common/capture_read.h"

namespace {

LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

class DirectSound : public ::testing::Test {
  protected:
    void SetUp() override {
        WynPlat_SetVirtualClock(1);
        const char* run = std::getenv("WYN_RUNTIME_DIR");
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const auto dir = std::filesystem::path(run ? run : "/tmp") / "dsound";
        std::filesystem::create_directories(dir);
        capture_ = (dir / (std::string(info->name()) + ".wav")).string();
        ASSERT_EQ(WynPlat_SetAudioCapture(capture_.c_str()), 1);
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "DsHost";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, "DsHost", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  wc.hInstance, nullptr);
        ASSERT_EQ(DirectSoundCreate(nullptr, &ds_, nullptr), DS_OK);
    }
    void TearDown() override {
        if (ds_) ds_->Release();
        WynPlat_SetAudioCapture(nullptr);
        DestroyWindow(window_);
    }
    IDirectSoundBuffer* Buffer(int rate, int bits, int channels, const std::vector<uint8_t>& bytes,
                               DWORD flags = DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME |
                                             DSBCAPS_CTRLFREQUENCY) {
        WAVEFORMATEX f{};
        f.wFormatTag = WAVE_FORMAT_PCM;
        f.nChannels = WORD(channels);
        f.nSamplesPerSec = DWORD(rate);
        f.wBitsPerSample = WORD(bits);
        f.nBlockAlign = WORD(channels * bits / 8);
        f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
        DSBUFFERDESC d{sizeof d, flags, DWORD(bytes.size()), 0, &f};
        IDirectSoundBuffer* b = nullptr;
        if (ds_->CreateSoundBuffer(&d, &b, nullptr) != DS_OK) return nullptr;
        void *p1 = nullptr, *p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        EXPECT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
        EXPECT_EQ(n1, bytes.size());
        std::memcpy(p1, bytes.data(), n1);
        b->Unlock(p1, n1, p2, n2);
        return b;
    }
    // The captured output as 16-bit values, left and right.
    std::vector<int16_t> Heard() {
        WynPlat_AudioCatchUp();
        std::vector<int16_t> out = ReadCapture16(capture_);
        return out;
    }
    std::vector<int16_t> Sound() {
        auto h = Heard();
        size_t a = 0;
        while (a < h.size() && h[a] == 0) ++a;
        a &= ~size_t(1);
        size_t b = h.size();
        while (b > a && h[b - 1] == 0) --b;
        b = (b + 1) & ~size_t(1);
        return std::vector<int16_t>(h.begin() + long(a), h.begin() + long(b));
    }

    std::string capture_;
    HWND window_ = nullptr;
    IDirectSound* ds_ = nullptr;
};

TEST_F(DirectSound, TheSoundObjectChecksItsCalls) {
    IDirectSoundBuffer* b = nullptr;
    DSBUFFERDESC primary{sizeof primary, DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME, 0, 0, nullptr};
    EXPECT_EQ(ds_->CreateSoundBuffer(&primary, &b, nullptr),
              DSERR_PRIOLEVELNEEDED);  // no level yet
    EXPECT_EQ(ds_->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DSERR_INVALIDPARAM);
    ASSERT_EQ(ds_->SetCooperativeLevel(window_, DSSCL_NORMAL), DS_OK);
    ASSERT_EQ(ds_->CreateSoundBuffer(&primary, &b, nullptr), DS_OK);
    WAVEFORMATEX f16{WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
    EXPECT_EQ(b->SetFormat(&f16), DSERR_PRIOLEVELNEEDED);
    ASSERT_EQ(ds_->SetCooperativeLevel(window_, DSSCL_PRIORITY), DS_OK);
    EXPECT_EQ(b->SetFormat(&f16), DS_OK);
    WAVEFORMATEX got{};
    EXPECT_EQ(b->GetFormat(&got, sizeof got, nullptr), DS_OK);
    EXPECT_EQ(got.wBitsPerSample, 16);
    void* p = nullptr;
    DWORD n = 0;
    EXPECT_EQ(b->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DSERR_INVALIDCALL);
    b->Release();
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    EXPECT_EQ(ds_->GetCaps(&caps), DS_OK);
    EXPECT_TRUE(caps.dwFlags & DSCAPS_SECONDARY16BIT);

    struct Case {
        const char* name;
        WAVEFORMATEX f;
        DWORD bytes;
        HRESULT want;
    };
    const Case cases[] = {
        {"8-bit mono", {WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0}, 100, DS_OK},
        {"16-bit stereo", {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0}, 400, DS_OK},
        {"partial frame", {WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0}, 402, DSERR_INVALIDPARAM},
        {"too small", {WAVE_FORMAT_PCM, 1, 22050, 22050, 1, 8, 0}, 3, DSERR_INVALIDPARAM},
        {"24-bit", {WAVE_FORMAT_PCM, 1, 22050, 66150, 3, 24, 0}, 300, DSERR_BADFORMAT},
        {"rate too low", {WAVE_FORMAT_PCM, 1, 50, 50, 1, 8, 0}, 100, DSERR_BADFORMAT},
    };
    for (const auto& c : cases) {
        WAVEFORMATEX f = c.f;
        DSBUFFERDESC d{sizeof d, DSBCAPS_STATIC, c.bytes, 0, &f};
        IDirectSoundBuffer* s = nullptr;
        EXPECT_EQ(ds_->CreateSoundBuffer(&d, &s, nullptr), c.want) << c.name;
        EXPECT_EQ(s != nullptr, c.want == DS_OK) << c.name;
        if (s) {
            // Controls not asked for are not there.
            EXPECT_EQ(s->SetVolume(-100), DSERR_CONTROLUNAVAIL) << c.name;
            EXPECT_EQ(s->SetFrequency(8000), DSERR_CONTROLUNAVAIL) << c.name;
            s->Release();
        }
    }
}

TEST_F(DirectSound, LocksWrapAroundTheEnd) {
    ASSERT_EQ(ds_->SetCooperativeLevel(window_, DSSCL_PRIORITY), DS_OK);
    IDirectSoundBuffer* b = Buffer(22050, 8, 1, std::vector<uint8_t>(100, 0x80));
    ASSERT_NE(b, nullptr);
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(90, 30, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 10u);
    EXPECT_EQ(n2, 20u);
    EXPECT_EQ(static_cast<uint8_t*>(p1) + 10, static_cast<uint8_t*>(p2) + 100);
    b->Unlock(p1, n1, p2, n2);
    EXPECT_EQ(b->Lock(100, 1, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 101, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetCurrentPosition(100), DSERR_INVALIDPARAM);
    b->Release();
}

TEST_F(DirectSound, BuffersAreHeardAtTheirRateVolumeAndPosition) {
    ASSERT_EQ(ds_->SetCooperativeLevel(window_, DSSCL_PRIORITY), DS_OK);
    struct Case {
        const char* name;
        int rate, bits, channels;
        std::vector<uint8_t> bytes;
        DWORD frequency;  // 0: as made
        LONG volume;
        DWORD start;
        std::vector<int16_t> heard;
    };
    const Case cases[] = {
        {"8-bit mono doubles to both sides",
         22050,
         8,
         1,
         {0x90, 0x70},
         0,
         0,
         0,
         {0x1000, 0x1000, -0x1000, -0x1000}},
        {"16-bit stereo as it is",
         22050,
         16,
         2,
         {0x34, 0x12, 0xCC, 0xED},
         0,
         0,
         0,
         {0x1234, -0x1234}},
        {"11025 Hz: each frame twice",
         11025,
         8,
         2,
         {0x90, 0x70},
         0,
         0,
         0,
         {0x1000, -0x1000, 0x1000, -0x1000}},
        {"set to 44100 Hz: every other frame",
         22050,
         8,
         1,
         {0x90, 0xA0, 0xB0, 0xC0},
         44100,
         0,
         0,
         {0x1000, 0x1000, 0x3000, 0x3000}},
        {"-602 is about half", 22050, 16, 1, {0x00, 0x40}, 0, -602, 0, {8193, 8193}},
        {"started from byte 2",
         22050,
         8,
         1,
         {0x90, 0x90, 0xA0, 0xB0},
         0,
         0,
         2,
         {0x2000, 0x2000, 0x3000, 0x3000}},
    };
    for (const auto& c : cases) {
        WynPlat_SetAudioCapture(capture_.c_str());
        std::vector<uint8_t> bytes = c.bytes;
        while (bytes.size() < 4) bytes.insert(bytes.end(), c.bytes.begin(), c.bytes.end());
        const size_t repeats = bytes.size() / c.bytes.size();
        IDirectSoundBuffer* b = Buffer(c.rate, c.bits, c.channels, bytes);
        ASSERT_NE(b, nullptr) << c.name;
        if (c.frequency) EXPECT_EQ(b->SetFrequency(c.frequency), DS_OK) << c.name;
        EXPECT_EQ(b->SetVolume(c.volume), DS_OK) << c.name;
        if (c.start) EXPECT_EQ(b->SetCurrentPosition(c.start), DS_OK) << c.name;
        ASSERT_EQ(b->Play(0, 0, 0), DS_OK) << c.name;
        WynPlat_AdvanceClock(10000);
        DWORD status = 1;
        EXPECT_EQ(b->GetStatus(&status), DS_OK);
        EXPECT_EQ(status, 0u) << c.name;  // played once, then stopped
        std::vector<int16_t> want;
        for (size_t i = 0; i < (c.start ? 1 : repeats); ++i)
            want.insert(want.end(), c.heard.begin(), c.heard.end());
        EXPECT_EQ(Sound(), want) << c.name;
        b->Release();
    }
}

TEST_F(DirectSound, LoopsPassesAndThePrimaryVolume) {
    ASSERT_EQ(ds_->SetCooperativeLevel(window_, DSSCL_PRIORITY), DS_OK);
    IDirectSoundBuffer* primary = nullptr;
    DSBUFFERDESC pd{sizeof pd, DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME, 0, 0, nullptr};
    ASSERT_EQ(ds_->CreateSoundBuffer(&pd, &primary, nullptr), DS_OK);
    IDirectSoundBuffer* b = Buffer(22050, 16, 1, std::vector<uint8_t>(2 * 441, 0x20));  // 20 ms
    ASSERT_NE(b, nullptr);
    auto loud = [&] {
        size_t n = 0;
        for (int16_t v : Heard()) n += v != 0;
        return n / 2;
    };
    // Looping until stopped; the play cursor moves on with the clock.
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    WynPlat_AdvanceClock(30000);
    DWORD status = 0, play = 0, write = 0;
    b->GetStatus(&status);
    EXPECT_EQ(status, DWORD(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
    b->GetCurrentPosition(&play, &write);
    EXPECT_NEAR(double(play), 2.0 * (661 - 441), 4.0);
    b->Stop();
    const size_t looped = loud();
    EXPECT_NEAR(double(looped), 661.0, 2.0);
    // Three passes of a looping play, then it stops by itself.
    EXPECT_EQ(WynPlat_SetSoundBufferPasses(b, 3), DS_OK);
    b->SetCurrentPosition(0);
    b->Play(0, 0, DSBPLAY_LOOPING);
    WynPlat_AdvanceClock(200000);
    b->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(loud() - looped, 3u * 441);
    // The primary buffer's volume scales everything; its bottom silences it.
    WynPlat_SetAudioCapture(capture_.c_str());
    EXPECT_EQ(primary->SetVolume(-10000), DS_OK);
    b->SetCurrentPosition(0);
    b->Play(0, 0, 0);
    WynPlat_AdvanceClock(50000);
    EXPECT_EQ(loud(), 0u);
    EXPECT_EQ(primary->SetVolume(DSBVOLUME_MIN - 1), DSERR_INVALIDPARAM);
    primary->Release();
    b->Release();
}

}  // namespace
