// The launcher's and the demos' music in the program folder, read by the sound library as the
// programs read it: each wave that a scene plays once lasts as long as the longest scene that
// plays it (by the scenes' own tables), still sounds near that scene's end, and ends quiet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "approach.h"
#include "tours.h"
#include "tov42.h"
#include "wynopen.h"
#include "wynplat.h"

namespace {

int TourMs(int scene) {
    int ms = 0;
    for (int s = 1; s <= TourSegmentCount(scene); ++s) ms += TourSegmentLength(scene, s);
    return ms;
}

int DayMs() {
    int ms = 0;
    for (int s = 1; s <= 6; ++s) ms += DayLength(s);
    return ms;
}

int ApproachMs() {
    int ms = 0;
    for (int s = 1; s <= APPROACH_SEGMENTS; ++s) ms += ApproachLength(s);
    return ms;
}

struct MusicCase {
    const char* path;
    std::vector<int> scenes;  // the lengths in ms of the scenes that play it once
};

std::vector<MusicCase> Cases() {
    return {
        // The tours and the spiral (both demos), the day in time-lapse, the night approaches.
        {"demo\\ending_short.wav",
         {TourMs(TOUR_DEMO1), TourMs(TOUR_DEMO2), TourMs(TOUR_DEMO4), TourMs(TOUR_DEMO5), DayMs(),
          ApproachMs()}},
        {"demo\\ending.wav", {FLEET_ROUNDS * FLEET_ROUND_MS}},
        // The logo scene's three phases: 8 s of flight home, 4 s of colours, 1 s of fading.
        {"demo\\krn\\krn.wav", {13000}},
        {"demo\\open.wav",
         {std::accumulate(wynopen::kShotLength, wynopen::kShotLength + wynopen::kShots, 0)}},
    };
}

TEST(DemoMusic, EachLastsAsLongAsItsScenesAndSoundsToTheirEnd) {
    int failed = -1;
    ASSERT_EQ(TOV_Start2(nullptr, TOV_DEVICE_WAVE, &failed, 1), 1);
    for (const MusicCase& c : Cases()) {
        const int scene = *std::max_element(c.scenes.begin(), c.scenes.end());
        ASSERT_GT(scene, 10000) << c.path;
        tagTOVWAVE w{};
        ASSERT_EQ(TOV_WaveRead(c.path, &w), 1) << c.path;
        ASSERT_EQ(w.bit, 8) << c.path;
        const int channels = w.mode == 2 ? 2 : 1;
        const double perMs = double(w.rate) * channels / 1000.0;
        const double ms = w.size / perMs;
        EXPECT_GE(ms, scene) << c.path << ": the scene outlasts its music";
        EXPECT_LE(ms, scene + 5000) << c.path << ": far longer than its scene";
        // Still playing in the scene's last seconds (8 to 3 s before its end).
        const long from = long((scene - 8000) * perMs), to = long((scene - 3000) * perMs);
        ASSERT_LE(to, long(w.size)) << c.path;
        const auto [lo, hi] = std::minmax_element(w.data + from, w.data + to);
        EXPECT_GT(*hi - *lo, 40) << c.path << ": silent before its scene ends";
        EXPECT_LE(std::abs(int(w.data[w.size - 1]) - 128), 4) << c.path << ": ends in a click";
        TOV_WaveFree(&w);
    }
    TOV_End2();
}

}  // namespace
