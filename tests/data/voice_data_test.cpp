// The voice folder in the program folder, read by the sound library as the radio reads it:
// the noise, pause and error waves, and every word of the word list in every voice folder of
// the voice list, each 11025 Hz 8-bit mono, of a word's length and not silent.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "tov42.h"
#include "wynplat.h"

namespace {

std::vector<std::string> Lines(const std::string& file) {
    std::ifstream in(std::string(VOICE_SOURCES) + "/" + file);
    std::vector<std::string> lines;
    for (std::string s; std::getline(in, s);)
        if (!s.empty() && !(s[0] == '#' && (s.size() == 1 || s[1] == ' '))) lines.push_back(s);
    return lines;
}

// The system's name (Shift-JIS) of a word of the list (UTF-8).
std::string Word(const std::string& line) {
    const std::string name = line.substr(0, line.find(" = "));
    char sjis[256];
    WynPlat_FromUtf8(name.c_str(), 932, sjis, sizeof sjis);
    return sjis;
}

struct Heard {
    double seconds;
    int range;  // highest minus lowest sample
};

Heard Read(const std::string& path) {
    tagTOVWAVE w{};
    EXPECT_EQ(TOV_WaveRead(path.c_str(), &w), 1) << path;
    if (!w.data) return {0, 0};
    EXPECT_EQ(w.rate, 11025) << path;
    EXPECT_EQ(w.bit, 8) << path;
    EXPECT_EQ(w.mode, 1) << path;
    const auto [lo, hi] = std::minmax_element(w.data, w.data + w.size);
    const Heard h{double(w.size) / 11025.0, *hi - *lo};
    TOV_WaveFree(&w);
    return h;
}

class VoiceData : public ::testing::Test {
  protected:
    void SetUp() override {
        int failed = -1;
        ASSERT_EQ(TOV_Start2(nullptr, TOV_DEVICE_WAVE, &failed, 1), 1);
    }
    void TearDown() override { TOV_End2(); }
};

}  // namespace

TEST_F(VoiceData, TheFoldersOwnWaves) {
    const Heard noise = Read("VOICE\\noise.wav");
    EXPECT_GE(noise.seconds, 0.5);
    EXPECT_GT(noise.range, 10);
    EXPECT_LT(noise.range, 100) << "noise under the voice, not over it";
    const Heard space = Read("VOICE\\space.wav");
    EXPECT_GT(space.seconds, 0.1);
    EXPECT_EQ(space.range, 0);
    EXPECT_GT(Read("VOICE\\error.wav").range, 60);
}

TEST_F(VoiceData, EveryWordInEveryVoice) {
    const std::vector<std::string> voices = Lines("voices.txt"), words = Lines("words.txt");
    ASSERT_EQ(voices.size(), 19u);
    ASSERT_GT(words.size(), 200u);
    for (const std::string& v : voices) {
        const std::string folder = "VOICE\\" + v.substr(0, v.find(' ')) + "\\";
        for (const std::string& line : words) {
            const std::string path = folder + Word(line) + ".wav";
            const Heard h = Read(path);
            EXPECT_GT(h.seconds, 0.05) << path;
            EXPECT_LT(h.seconds, 5.0) << path;
            EXPECT_GT(h.range, 80) << path << ": too quiet";
        }
    }
    // The radio names words in any case.
    EXPECT_GT(Read("VOICE\\CTA\\ROGER.WAV").range, 80);
}
