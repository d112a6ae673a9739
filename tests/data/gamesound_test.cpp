// The game's sounds and music in the program folder, read by the sound library as the game
// reads them: in the mixer's format, of a length that suits their use, and not silent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tov42.h"
#include "wynplat.h"

namespace {

struct SoundCase {
    const char* path;
    double shortest, longest;  // seconds
};

const SoundCase kSounds[] = {
    {"se\\print.wav", 0.05, 1.0},        {"se\\bording.wav", 0.3, 3.0},
    {"se\\fuman.wav", 0.2, 2.0},         {"se\\feed.wav", 0.05, 1.0},
    {"se\\drop.wav", 0.05, 1.0},         {"se\\select.wav", 0.02, 0.5},
    {"se\\switch.wav", 0.01, 0.5},       {"music\\CLEAR.wav", 2.0, 8.0},
    {"music\\GAMEOVER.wav", 2.0, 8.0},   {"music\\NOT_CLEAR.wav", 2.0, 8.0},
    {"music\\STAGE01.wav", 20.0, 120.0}, {"music\\STAGE02.wav", 20.0, 120.0},
    {"music\\STAGE03.wav", 20.0, 120.0}, {"se\\bslip.wav", 0.1, 1.0},
    {"se\\LB767.wav", 1.0, 4.0},         {"se\\LYS11.wav", 1.0, 4.0},
};

TEST(GameSounds, EverySoundReadsInTheMixersFormat) {
    int failed = -1;
    ASSERT_EQ(TOV_Start2(nullptr, TOV_DEVICE_WAVE, &failed, 1), 1);
    for (const SoundCase& c : kSounds) {
        tagTOVWAVE w{};
        ASSERT_EQ(TOV_WaveRead(c.path, &w), 1) << c.path;
        EXPECT_EQ(w.rate, 22050) << c.path;
        EXPECT_EQ(w.bit, 8) << c.path;
        EXPECT_EQ(w.mode, 1) << c.path;
        const double seconds = double(w.size) / double(w.rate);
        EXPECT_GE(seconds, c.shortest) << c.path;
        EXPECT_LE(seconds, c.longest) << c.path;
        const auto [lo, hi] = std::minmax_element(w.data, w.data + w.size);
        EXPECT_GT(*hi - *lo, 40) << c.path << ": too quiet";
        EXPECT_LE(std::abs(int(w.data[w.size - 1]) - 128), 4) << c.path << ": ends in a click";
        TOV_WaveFree(&w);
    }
    TOV_End2();
}

// The game loops a stage's music: every part plays to its end, so that each second of it
// carries two thirds of its mean level at least (a part that stops early leaves the others' tail
// thin), and it begins as quietly as it ends, so that the join makes no click.
TEST(GameSounds, StageMusicLoopsWithoutAThinTailOrAClick) {
    int failed = -1;
    ASSERT_EQ(TOV_Start2(nullptr, TOV_DEVICE_WAVE, &failed, 1), 1);
    for (const char* path : {"music\\STAGE01.wav", "music\\STAGE02.wav", "music\\STAGE03.wav"}) {
        tagTOVWAVE w{};
        ASSERT_EQ(TOV_WaveRead(path, &w), 1) << path;
        const long second = w.rate;
        ASSERT_GE(w.size, 4 * second) << path;
        std::vector<double> level;
        for (long at = 0; at + second <= w.size; at += second) {
            double sum = 0;
            for (long i = at; i < at + second; ++i) sum += std::abs(int(w.data[i]) - 128);
            level.push_back(sum / double(second));
        }
        double mean = 0;
        for (double l : level) mean += l / double(level.size());
        for (size_t s = 0; s < level.size(); ++s)
            EXPECT_GE(level[s], mean * 2 / 3) << path << ": second " << s << " of " << level.size();
        EXPECT_LE(std::abs(int(w.data[0]) - 128), 4) << path << ": begins with a click";
        EXPECT_LE(std::abs(int(w.data[0]) - int(w.data[w.size - 1])), 4) << path;
        TOV_WaveFree(&w);
    }
    TOV_End2();
}

}  // namespace
