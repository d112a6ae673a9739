// The older generation of the sound library on the headless output: where it differs from
// the current one, heard in the captured output under the virtual clock.
#include <gtest/gtest.h>

#include <wynplat.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tov42.h"
#include "wave_fixture.h"
#include "../common/capture_read.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

// One 16384-byte buffer of 22050 Hz 8-bit stereo: 8192 frames, in microseconds (rounded up).
constexpr uint64_t kBufferMicros = 371520;

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

class Tov33 : public ::testing::Test {
  protected:
    void SetUp() override {
        WynPlat_SetVirtualClock(1);
        const char* run = std::getenv("WYN_RUNTIME_DIR");
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::path(run ? run : "/tmp") / "tov33" / info->name();
        fs::create_directories(dir_);
        capture_ = (dir_ / "heard.wav").string();
        ASSERT_EQ(WynPlat_SetAudioCapture(capture_.c_str()), 1);
    }
    void TearDown() override {
        for (auto& w : waves_) TOV_WaveFree(&w);
        TOV_End();
        WynPlat_SetAudioCapture(nullptr);
    }
    tagTOVWAVE* Wave(int rate, int channels, const Bytes& data) {
        const std::string path = tovtest::WriteWave(
            dir_ / ("w" + std::to_string(waves_.size()) + ".wav"), rate, 8, channels, data);
        waves_.emplace_back();
        tagTOVWAVE* w = &waves_.back();
        *w = tagTOVWAVE{};
        EXPECT_EQ(TOV_WaveRead(path.c_str(), w), 1) << path;
        return w;
    }
    void Play(int buffers) {
        for (int i = 0; i < buffers; ++i) {
            WynPlat_AdvanceClock(kBufferMicros);
            TOV_Task();
        }
    }
    // What was played in 8-bit form, from the first sound on.
    Bytes Heard() {
        WynPlat_AudioCatchUp();
        Bytes out = ReadCapture8(capture_);
        return Bytes(out.begin() + long(FirstSound(out)), out.end());
    }

    fs::path dir_;
    std::string capture_;
    std::deque<tagTOVWAVE> waves_;
};

TEST_F(Tov33, TwoBuffersOf16384BytesAtFullLevel) {
    ASSERT_EQ(TOV_Start(nullptr), 1);
    TOV_WavePlay(0, Wave(22050, 2, Bytes(200000, 0xC0)), 1, 0);
    // Both buffers were queued silent at the start; nothing more is mixed undispatched.
    WynPlat_AdvanceClock(10 * kBufferMicros);
    EXPECT_TRUE(Heard().empty());
    // Each finished buffer is mixed again: two buffers of 16384 bytes play, then it runs dry.
    TOV_Task();
    WynPlat_AdvanceClock(10 * kBufferMicros);
    const Bytes heard = Heard();
    EXPECT_EQ(size_t(std::count(heard.begin(), heard.end(), uint8_t(0xC0))), 2u * 16384);
    TOV_WaveStop(-1);
    TOV_End();
    WynPlat_SetAudioCapture(capture_.c_str());

    struct Case {
        const char* name;
        Bytes a, b, heard;
    };
    const Case cases[] = {
        {"full level", {0xFF, 0x01}, {}, {0xFF, 0x01}},
        {"two channels add", {0xA0, 0x60}, {0x90, 0x70}, {0xB0, 0x50}},
        {"and clip", {0xFF, 0x00}, {0xFF, 0x00}, {0xFF, 0x00}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(TOV_Start(nullptr), 1) << c.name;
        Bytes a = c.a, b = c.b;
        for (int i = 0; i < 3; ++i) a.insert(a.end(), c.a.begin(), c.a.end());  // 4 bytes at least
        TOV_WavePlay(0, Wave(22050, 2, a), 1, 0);
        if (!b.empty()) {
            for (int i = 0; i < 3; ++i) b.insert(b.end(), c.b.begin(), c.b.end());
            TOV_WavePlay(1, Wave(22050, 2, b), 1, 0);
        }
        Play(3);
        Bytes heard = Heard();
        heard.resize(std::min(heard.size(), c.heard.size()));
        EXPECT_EQ(heard, c.heard) << c.name;
        TOV_End();
        WynPlat_SetAudioCapture(capture_.c_str());
    }
}

TEST_F(Tov33, ChannelCallsOfTheOlderGeneration) {
    ASSERT_EQ(TOV_Start(nullptr), 1);
    tagTOVWAVE* w = Wave(22050, 1, Bytes(100000, 0x90));
    struct Case {
        const char* name;
        int got, want;
    };
    const Case cases[] = {
        {"play", TOV_WavePlay(3, w, 2, 0), 3},
        {"pause gives the flag", TOV_WavePause(3, 1), 1},
        {"resume gives the flag", TOV_WavePause(3, 0), 0},
        {"status is the count", TOV_WaveStatus(3), 2},
        {"a plain wave has no segments", TOV_WaveSkip(3, 1), 0},
        {"stop", TOV_WaveStop(3), 3},
        {"stopped", TOV_WaveStatus(3), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST_F(Tov33, EndingReportsLeaksOnceAndLeavesTheHostRunning) {
    ASSERT_EQ(TOV_Start(nullptr), 1);
    Wave(22050, 1, Bytes(100, 0x90));
    Wave(22050, 1, Bytes(100, 0x90));
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(TOV_End(), 1);
    ASSERT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    char caption[64] = {}, text[256] = {};
    WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text);
    EXPECT_EQ(std::string(text), U8(u8"WAVEデータが 2 個保持されています。"));
    EXPECT_EQ(std::string(caption), "TOV32");
    // The hidden window's end posts no quit into the host's queue.
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    // A second end is harmless: nothing closed twice, nothing reported again.
    EXPECT_EQ(TOV_End(), 0);
    EXPECT_EQ(TOV_Task(), 0);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
}

TEST_F(Tov33, CdAudioPlaysOnTheDefaultDevice) {
    // A disc of one 100 ms track in the virtual drive; no drive is chosen.
    const fs::path disc = dir_ / "disc";
    fs::create_directories(disc);
    tovtest::WriteWave(disc / "track01.wav", 22050, 8, 2, Bytes(2 * 2205, 0xC0));
    setenv("WYN_CDROM", disc.c_str(), 1);
    ASSERT_EQ(TOV_Start(nullptr), 1);
    EXPECT_EQ(TOV_CddaPlay(1, 2), 1);
    EXPECT_EQ(TOV_CddaStatus(), 2);
    for (int i = 0; i < 30; ++i) {
        WynPlat_AdvanceClock(10000);
        TOV_Task();
    }
    EXPECT_EQ(TOV_CddaStatus(), 0);  // played twice, then closed
    unsetenv("WYN_CDROM");
}

// Script tasks call the library from their own threads while the host's thread mixes.
TEST_F(Tov33, TaskThreadsAndTheMixingThreadShareTheState) {
    ASSERT_EQ(TOV_Start(nullptr), 1);
    tagTOVWAVE* a = Wave(22050, 2, Bytes(4000, 0xA0));
    tagTOVWAVE* b = Wave(11025, 1, Bytes(3000, 0x70));
    std::vector<std::thread> tasks;
    for (int t = 0; t < 3; ++t)
        tasks.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                const int ch = (t * 5 + i) % 20;
                TOV_WavePlay(ch, (i & 1) ? a : b, 1 + i % 3, 0);
                TOV_WaveStatus(-1);
                if (i % 7 == 0) TOV_WaveStop(ch);
                if (i % 11 == 0) TOV_WavePause(ch, i & 1);
            }
        });
    for (int i = 0; i < 200; ++i) Play(1);  // the host's thread mixes meanwhile
    for (auto& t : tasks) t.join();
    TOV_WaveStop(-1);
    Play(3);
    EXPECT_EQ(TOV_WaveStatus(-1), 0);
}

}  // namespace
