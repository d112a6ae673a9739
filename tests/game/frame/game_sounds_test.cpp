// The game's voices on the headless sound output and the virtual clock: distance volumes, the
// six positional voices, the one-shot voices, the music, the pause list, the lowered radio, and
// what the output plays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../../common/capture_read.h"
#include "controller/controller.h"
#include "../base/game_fixture.h"
#include "frame/frame.h"
#include "world/world.h"

namespace {

// A wave file of the mixer's own form: 22050 Hz, 8-bit mono, `samples` of a square wave.
std::string SquareWave(int samples) {
    std::string d;
    for (int i = 0; i < samples; ++i) d.push_back(char((i / 20) % 2 ? 0xe0 : 0x20));
    std::string b = "RIFF";
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(char(v >> (8 * i)));
    };
    auto put16 = [&](uint32_t v) {
        for (int i = 0; i < 2; ++i) b.push_back(char(v >> (8 * i)));
    };
    put32(uint32_t(36 + d.size()));
    b += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(22050);
    put32(22050);
    put16(1);
    put16(8);
    b += "data";
    put32(uint32_t(d.size()));
    return b + d;
}

class GameSounds : public GameFolder {
  protected:
    void SetUp() override {
        GameFolder::SetUp();
        WynPlat_SetVirtualClock(1);
        capture_ = dir + "/played.wav";
        ASSERT_EQ(WynPlat_SetAudioCapture(capture_.c_str()), 1);
        int failed = -1;
        ASSERT_EQ(TOV_Start2(nullptr, 4, &failed, 0), 1);
        std::filesystem::create_symlink(std::string(WynPlat_ProgramDir()) + "/se", dir + "/se");
        Write("fx/long.wav", SquareWave(22050));  // a second
        Write("fx/short.wav", SquareWave(2205));  // a tenth of a second
        Write("music/TUNE.wav", SquareWave(4410));
        GameConfig& c = GetConfig();
        c = GameConfig{};
        c.envvolume = 15;
        c.bgmvolume = 6;
        c.atcvolume = 12;
        c.multi = 2;
        GetCameraRecord().eye = tagKRN3D{0, 0, 0, 0};
        GetListenOrder() = {};
    }
    void TearDown() override {
        FreeGameSounds();
        StopBgm();
        DuckVolumes(0);
        TOV_End2();
        WynPlat_SetAudioCapture(nullptr);
    }
    // Lets `ms` of sound play, in steps of 10 ms.
    void Pass(int ms) {
        for (int t = 0; t < ms; t += 10) {
            WynPlat_AdvanceClock(10000);
            TOV_Task();
        }
    }
    std::string capture_;
};

TEST_F(GameSounds, DistanceVolumes) {
    struct Case {
        tagKRN3D at;
        int env, volume;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, 15, 15},
        {{300, 0, 400, 0}, 15, 14},  // 500 units: 95 %
        {{300, 0, 400, 0}, 12, 11},  // 12 x 95 / 100
        {{0, 1000, 0, 0}, 15, 13},   // 90 %
        {{9000, 0, 0, 0}, 15, 1},    // 10 %
        {{9000, 0, 0, 0}, 12, 1},
        {{0, 0, -20000, 0}, 15, 1},  // never below a tenth
        {{0, 0, 99999, 0}, 60, 6},
        {{0.4, 0, 0.4, 0}, 15, 15},  // the positions are rounded to whole units
    };
    for (const Case& c : cases) {
        GetConfig().envvolume = c.env;
        EXPECT_EQ(GetDistanceVolume(&c.at), c.volume) << c.at.x << "," << c.at.y << "," << c.at.z;
    }
    // Measured from the camera's eye.
    GetCameraRecord().eye = tagKRN3D{300, 0, 400, 0};
    GetConfig().envvolume = 15;
    const tagKRN3D origin{0, 0, 0, 0};
    EXPECT_EQ(GetDistanceVolume(&origin), 14);
}

TEST_F(GameSounds, SixPositionalVoicesFollowTheCameraButTheLast) {
    const tagKRN3D places[6] = {{0, 0, 0, 0},    {500, 0, 0, 0},  {0, 0, 1000, 0},
                                {2000, 0, 0, 0}, {0, 3000, 0, 0}, {4000, 0, 0, 0}};
    const int volumes[6] = {15, 14, 13, 12, 10, 9};
    for (int v = 0; v < 6; ++v) {
        EXPECT_EQ(PlayEffectWave("fx\\long.wav", &places[v]), v);
        EXPECT_NE(TOV_WaveStatus(v), 0);
        EXPECT_EQ(TOV_WaveGetLocalVol(v), volumes[v]) << v;
    }
    // A seventh at once is refused and plays nothing.
    const tagKRN3D near{0, 0, 0, 0};
    EXPECT_EQ(PlayEffectWave("fx\\short.wav", &near), -1);
    EXPECT_EQ(TOV_WaveStatus(6), 0);
    // The camera moves next to the last two: 0-4 follow, 5 keeps the volume it started with.
    GetCameraRecord().eye = tagKRN3D{4000, 3000, 0, 0};
    UpdateEffectVolumes();
    for (int v = 0; v < 5; ++v)
        EXPECT_EQ(TOV_WaveGetLocalVol(v), GetDistanceVolume(&places[v])) << v;
    EXPECT_EQ(TOV_WaveGetLocalVol(4), 9) << "4000 units from voice 4's place: 60 %";
    EXPECT_EQ(GetDistanceVolume(&places[5]), 10) << "3000 units from voice 5's place: 70 %";
    EXPECT_EQ(TOV_WaveGetLocalVol(5), 9);
    // A voice that has played out takes the next effect.
    Pass(1500);
    EXPECT_EQ(PlayEffectWave("fx\\short.wav", &near), 0);
    // A missing file names a voice and plays nothing there.
    EXPECT_EQ(PlayEffectWave("fx\\none.wav", &near), 1);
    EXPECT_EQ(TOV_WaveStatus(1), 0);
    EXPECT_EQ(GetVoiceWave(1)->size, 0);
}

TEST_F(GameSounds, OneShotVoicesSevenThenEightKeepTheirVolume) {
    TOV_WaveSetLocalVol(7, 5);
    EXPECT_EQ(PlayOneShotWave("fx\\long.wav"), 1);
    EXPECT_NE(TOV_WaveStatus(7), 0);
    EXPECT_EQ(PlayOneShotWave("fx\\long.wav"), 1);
    EXPECT_NE(TOV_WaveStatus(8), 0);
    EXPECT_EQ(PlayOneShotWave("fx\\short.wav"), 0) << "both play";
    EXPECT_EQ(TOV_WaveGetLocalVol(7), 5);
    // A file on a voice of the caller's, in a record of the caller's: the last one plays.
    tagTOVWAVE wave{};
    PlayWaveOnVoice(12, "fx\\long.wav", &wave);
    PlayWaveOnVoice(12, "fx\\short.wav", &wave);
    EXPECT_EQ(wave.size, 2205) << "the second file";
    EXPECT_NE(TOV_WaveStatus(12), 0);
    Pass(300);
    EXPECT_EQ(TOV_WaveStatus(12), 0);
    TOV_WaveFree(&wave);
}

TEST_F(GameSounds, InterfaceWavesAndVolumesAtStart) {
    GetConfig().envvolume = 9;
    LoadGameSounds();
    for (int n = 0; n < kInterfaceWaves; ++n)
        EXPECT_EQ(GetInterfaceWave(n)->size > 0, n < kInterfaceWaveFiles) << n;
    EXPECT_EQ(GetInterfaceWave(kInterfaceWaves), nullptr);
    EXPECT_EQ(TOV_WaveGetLocalVol(13), 6);
    for (int v : {10, 7, 8, 11}) EXPECT_EQ(TOV_WaveGetLocalVol(v), 9) << v;
    EXPECT_EQ(TOV_WaveGetLocalVol(12), 12);
    PlaySe(SE_SELECT);
    EXPECT_NE(TOV_WaveStatus(11), 0);
    PlaySe(SE_SWITCH);  // the voice is taken over
    EXPECT_NE(TOV_WaveStatus(11), 0);
    // The game's end frees every record, the radio rows' too.
    tagTOVWAVE* row = GetExchangeWave(2);
    ASSERT_EQ(TOV_WaveRead((GetProgramFolder() + std::string("fx\\long.wav")).c_str(), row), 1);
    TOV_WavePlay(16, row, -1, 0);
    FreeGameSounds();
    EXPECT_EQ(row->data, nullptr);
    EXPECT_EQ(TOV_WaveStatus(16), 0);
    EXPECT_EQ(TOV_WaveStatus(11), 0);
    EXPECT_EQ(GetInterfaceWave(SE_PRINT)->data, nullptr);
}

TEST_F(GameSounds, PauseTouchesItsVoiceListOnly) {
    std::vector<tagTOVWAVE> waves(20);
    for (int v = 0; v < 20; ++v) {
        ASSERT_EQ(TOV_WaveRead((GetProgramFolder() + std::string("fx\\short.wav")).c_str(),
                               &waves[size_t(v)]),
                  1);
        ASSERT_EQ(TOV_WavePlay(v, &waves[size_t(v)], 1, 0), v);
    }
    PauseAllSounds(1);
    Pass(800);
    for (int v = 0; v < 20; ++v) {
        const bool untouched = v == 5 || v == 6 || v == 11 || v == 13;
        EXPECT_EQ(TOV_WaveStatus(v) != 0, !untouched) << "voice " << v;
    }
    PauseAllSounds(0);
    Pass(800);
    for (int v = 0; v < 20; ++v) EXPECT_EQ(TOV_WaveStatus(v), 0) << "voice " << v;
    for (tagTOVWAVE& w : waves) TOV_WaveFree(&w);
}

TEST_F(GameSounds, MusicLoopsUntilStoppedAndAnEmptyNameKeepsIt) {
    PlayBgm("TUNE", -1, 7);
    EXPECT_LT(TOV_WaveStatus(13), 0) << "endless";
    EXPECT_EQ(TOV_WaveGetLocalVol(13), 7);
    Pass(1000);
    EXPECT_LT(TOV_WaveStatus(13), 0);
    PlayBgm("", 1, 15);
    EXPECT_LT(TOV_WaveStatus(13), 0) << "an empty name leaves the music";
    EXPECT_EQ(TOV_WaveGetLocalVol(13), 7);
    // Once: over after its fifth of a second.
    PlayBgm("TUNE", 1, 15);
    EXPECT_EQ(TOV_WaveStatus(13), 1);
    Pass(500);
    EXPECT_EQ(TOV_WaveStatus(13), 0);
    PlayBgm("TUNE", -1, 15);
    StopBgm();
    EXPECT_EQ(TOV_WaveStatus(13), 0);
}

TEST_F(GameSounds, DuckingLowersOnceAndRestores) {
    ListenOrder& order = GetListenOrder();
    order = {4, 1, 5, 0, 0, 0};  // delivery, approach, then departure (position + 1)
    for (int v : {7, 8, 10, 14, 16, 18}) TOV_WaveSetLocalVol(v, 2);
    struct Step {
        int flag;
        int effects, atc;
    };
    const Step steps[] = {{1, 5, 4}, {1, 5, 4}, {0, 15, 12}, {0, 15, 12}, {1, 5, 4}};
    for (const Step& s : steps) {
        DuckVolumes(s.flag);
        for (int v : {7, 8, 10}) EXPECT_EQ(TOV_WaveGetLocalVol(v), s.effects) << s.flag << " " << v;
        EXPECT_EQ(GetAtcVolume(), s.atc) << s.flag;
        // The first "multi" positions heard: delivery (voice 17) and approach (14).
        EXPECT_EQ(TOV_WaveGetLocalVol(17), s.atc);
        EXPECT_EQ(TOV_WaveGetLocalVol(14), s.atc);
        EXPECT_EQ(TOV_WaveGetLocalVol(18), 2) << "the third heard is not among the first two";
        EXPECT_EQ(TOV_WaveGetLocalVol(16), 2) << "not in the order";
    }
}

TEST_F(GameSounds, APlayedEffectIsHeard) {
    const tagKRN3D near{0, 0, 0, 0};
    Pass(200);
    const size_t before = ReadCapture8(capture_).size();
    for (uint8_t b : ReadCapture8(capture_)) ASSERT_EQ(b, 0x80) << "silence before";
    ASSERT_EQ(PlayEffectWave("fx\\short.wav", &near), 0);
    Pass(400);
    const std::vector<uint8_t> heard = ReadCapture8(capture_);
    ASSERT_GT(heard.size(), before);
    int loud = 0;
    for (size_t i = before; i < heard.size(); ++i) loud += heard[i] > 0xa0 || heard[i] < 0x60;
    EXPECT_GT(loud, 2000) << "the square wave in both channels";
}

}  // namespace
