// The wave maker's tunes: notes and their lengths, chords, parts mixed in with "at", held at
// full scale where they add up, repeats, and the lines it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "../nxlib/scratch.h"

namespace {

std::string In(const Scratch& s, const std::string& rel) { return s.Name() + "/" + rel; }

// Makes the waves of `description` and gives the 8-bit samples of out.wav (empty when the
// maker failed; its message then lands in `error`).
std::vector<uint8_t> Make(const Scratch& s, const std::string& description,
                          std::string* error = nullptr) {
    s.Put("d.txt", description);
    const std::string cmd = std::string(WAVEMAKE_PATH) + " " + In(s, "d.txt") + " " + In(s, "out") +
                            " 2>" + In(s, "err.txt");
    const int rc = std::system(cmd.c_str());
    if (error) {
        const std::vector<uint8_t> e = s.Get("err.txt");
        *error = std::string(e.begin(), e.end());
    }
    if (rc != 0) return {};
    std::vector<uint8_t> f = s.Get("out/out.wav");
    if (f.size() < 44) return {};
    return std::vector<uint8_t>(f.begin() + 44, f.end());
}

int Crossings(const std::vector<uint8_t>& d, size_t from, size_t to) {
    int n = 0;
    for (size_t i = from + 1; i < to; ++i) n += (d[i - 1] < 128) != (d[i] < 128);
    return n;
}

TEST(WavemakeNotes, LengthsPitchesAndRests) {
    Scratch s;
    // At 60 beats a minute and 8000 Hz a beat is 8000 frames.
    const std::vector<uint8_t> d = Make(s,
                                        "out out.wav rate 8000 bits 8 channels 1\n"
                                        "  tempo 60\n"
                                        "  notes sine vol 0.5 : A4 R/0.5 A5/0.25 C#4  # a comment\n"
                                        "end\n");
    ASSERT_EQ(d.size(), 8000u + 4000u + 2000u + 8000u);
    EXPECT_NEAR(Crossings(d, 0, 8000), 880, 4) << "A4 is 440 Hz";
    for (size_t i = 8000; i < 12000; ++i) ASSERT_EQ(d[i], 128) << "the rest, frame " << i;
    EXPECT_NEAR(Crossings(d, 12000, 14000), 440, 4) << "A5 for a quarter beat";
    EXPECT_NEAR(Crossings(d, 14000, 22000), 2 * 277, 4) << "C#4 is 277 Hz, '#' no comment";
    EXPECT_EQ(d[0], 128) << "a note rises from silence";
    EXPECT_NEAR(d[7999], 128, 2) << "and falls back to it";
}

// A chord is its notes played together: the same as the notes as parts mixed with "at".
TEST(WavemakeNotes, ChordsEqualPartsMixedIn) {
    Scratch s;
    const std::vector<uint8_t> chord = Make(s,
                                            "out out.wav rate 8000 bits 8 channels 1\n"
                                            "  notes triangle vol 0.3 : C4+E4/2\n"
                                            "end\n");
    const std::vector<uint8_t> parts = Make(s,
                                            "out out.wav rate 8000 bits 8 channels 1\n"
                                            "  notes triangle vol 0.3 : C4/2\n"
                                            "  at 0\n"
                                            "  notes triangle vol 0.3 : E4/2\n"
                                            "end\n");
    ASSERT_EQ(chord.size(), 8000u);
    ASSERT_EQ(parts.size(), chord.size());
    int differ = 0;
    for (size_t i = 0; i < chord.size(); ++i) differ += std::abs(chord[i] - parts[i]) > 1;
    EXPECT_EQ(differ, 0) << "differ only by rounding";
}

TEST(WavemakeNotes, MixingHoldsFullScaleAndAtPastTheEndPads) {
    Scratch s;
    const std::vector<uint8_t> d = Make(s,
                                        "out out.wav rate 8000 bits 8 channels 1\n"
                                        "  square 100 100 vol 0.9\n"
                                        "  at 0\n"
                                        "  square 100 100 vol 0.9\n"
                                        "  at 200\n"
                                        "  tone 1000 100 vol 0.5\n"
                                        "end\n");
    ASSERT_EQ(d.size(), 800u + 800u + 800u);
    EXPECT_EQ(d[10], 255) << "two highs held at the top, not wrapped";
    EXPECT_EQ(d[50], 0) << "two lows held at the bottom";
    for (size_t i = 800; i < 1600; ++i) ASSERT_EQ(d[i], 128) << "padding, frame " << i;
}

TEST(WavemakeNotes, RepeatPlaysTheWaveAgain) {
    Scratch s;
    const std::vector<uint8_t> d = Make(s,
                                        "out out.wav rate 8000 bits 8 channels 1\n"
                                        "  noise 10 vol 0.5 seed 4\n"
                                        "  repeat 2\n"
                                        "end\n");
    ASSERT_EQ(d.size(), 240u);
    for (size_t i = 0; i < 80; ++i) {
        EXPECT_EQ(d[i], d[80 + i]) << i;
        EXPECT_EQ(d[i], d[160 + i]) << i;
    }
}

TEST(WavemakeNotes, RefusesWithTheLine) {
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"notes sine : H4", "line 2: not a note: H4"},
        {"notes sine : C9", "line 2: not a note: C9"},
        {"notes sine : C4/0", "line 2: bad length in C4/0"},
        {"notes sine C4", "line 2: notes need a ':'"},
        {"notes organ : C4", "line 2: unknown wave organ"},
        {"notes sine volume 2 : C4", "line 2: unknown option volume"},
        {"notes sine decay -5 : C4", "line 2: negative time"},
        {"tempo 5", "line 2: tempo 20-400"},
        {"at", "line 2: at needs a time"},
        {"repeat 0", "line 2: repeat 1-100"},
    };
    for (const Case& c : cases) {
        Scratch s;
        std::string error;
        const std::vector<uint8_t> d =
            Make(s, std::string("out out.wav rate 8000 bits 8 channels 1\n") + c.line + "\nend\n",
                 &error);
        EXPECT_TRUE(d.empty()) << c.line;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.line << ": " << error;
    }
}

// The spoken-word line: each word of the list spoken into the folder in the radio's form.
TEST(WavemakeWords, SpeaksEveryWordInTheRadiosForm) {
    Scratch s;
    s.Put("words.txt", "# a comment\nroger\n#1 = one\nhold_short\n" +
                           std::string(reinterpret_cast<const char*>(u8"小松 = komatsu\n")));
    const std::string line = "words mla voice en-us speed 170 pitch 40 list " + In(s, "words.txt") +
                             " state " + In(s, "state.txt") + "\n";
    std::string error;
    Make(s, line, &error);
    EXPECT_EQ(error, "");
    for (const char* word : {"roger", "#1", "hold_short"}) {
        const std::vector<uint8_t> f = s.Get(std::string("out/mla/") + word + ".wav");
        ASSERT_GT(f.size(), 44u + 1000) << word;
        // The fixed 44-byte header: PCM, 1 channel, 11025 Hz, 8 bits, data at 44.
        const auto u16 = [&](size_t at) { return f[at] | f[at + 1] << 8; };
        const auto u32 = [&](size_t at) { return uint32_t(u16(at) | u16(at + 2) << 16); };
        EXPECT_EQ(std::string(f.begin(), f.begin() + 4), "RIFF") << word;
        EXPECT_EQ(u16(20), 1) << word;
        EXPECT_EQ(u16(22), 1) << word;
        EXPECT_EQ(u32(24), 11025u) << word;
        EXPECT_EQ(u16(34), 8) << word;
        EXPECT_EQ(std::string(f.begin() + 36, f.begin() + 40), "data") << word;
        const size_t n = u32(40);
        EXPECT_EQ(f.size(), 44 + n + (n & 1)) << word << ": the data, padded to even";
        // Silence trimmed: a word starts and ends within a soft edge of quiet, and is loud.
        const auto [lo, hi] = std::minmax_element(f.begin() + 44, f.begin() + 44 + long(n));
        EXPECT_GT(*hi - *lo, 150) << word;
        EXPECT_LE(std::abs(int(f[44]) - 128), 8) << word;
        EXPECT_LE(std::abs(int(f[44 + n - 1]) - 128), 8) << word;
        EXPECT_LT(f.size(), 44u + 11025) << word << ": a word lasts under a second";
    }
    EXPECT_GT(
        s.Get(std::string("out/mla/") + reinterpret_cast<const char*>(u8"小松") + ".wav").size(),
        1000u);
}

TEST(WavemakeWords, SpeaksOnlyWhatChangedAndRemovesWhatLeft) {
    Scratch s;
    const std::string line = "words v voice en-us speed 170 pitch 40 list " + In(s, "w.txt") +
                             " state " + In(s, "state.txt") + "\n";
    s.Put("w.txt", "alpha\nbravo\ncharlie\n");
    Make(s, line);
    // A wave that is not spoken again keeps whatever it holds.
    s.Put("out/v/alpha.wav", "kept");
    s.Put("out/v/bravo.wav", "kept");
    s.Put("w.txt", "alpha\nbravo = bravo two\n");
    Make(s, line);
    EXPECT_EQ(s.Get("out/v/alpha.wav").size(), 4u) << "unchanged: not spoken again";
    EXPECT_GT(s.Get("out/v/bravo.wav").size(), 1000u) << "its text changed";
    EXPECT_FALSE(std::filesystem::exists(s.Name() + "/out/v/charlie.wav")) << "left the list";
    // Another voice speaks every word again.
    Make(s, "words v voice en-gb speed 170 pitch 40 list " + In(s, "w.txt") + " state " +
                In(s, "state.txt") + "\n");
    EXPECT_GT(s.Get("out/v/alpha.wav").size(), 1000u);
}

TEST(WavemakeWords, RefusesWithTheLine) {
    struct Case {
        const char* list;
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"a\na\n", "", "word a given twice"},
        {"a b\n", "", "holds no blank"},
        {"a =  \n", "", "a word needs a name and a text"},
        {"a\n", "pitch 40", "words needs a voice and a list"},
        {"a\n", "colour 3", "unknown option colour"},
    };
    for (const Case& c : cases) {
        Scratch s;
        s.Put("w.txt", c.list);
        std::string line = std::string("words v ") + c.line;
        if (!std::strstr(c.line, "pitch")) line += " voice en-us list " + In(s, "w.txt");
        std::string error;
        Make(s, line + "\n", &error);
        EXPECT_NE(error.find(c.message), std::string::npos) << c.list << c.line << ": " << error;
    }
    // Without espeak-ng the maker says which package makes the words.
    Scratch s;
    s.Put("w.txt", "a\n");
    s.Put("d.txt", "words v voice en-us list " + In(s, "w.txt") + "\n");
    const std::string cmd = std::string("PATH=/nonexistent ") + WAVEMAKE_PATH + " " +
                            In(s, "d.txt") + " " + In(s, "out") + " 2>" + In(s, "err.txt");
    EXPECT_NE(std::system(cmd.c_str()), 0);
    const std::vector<uint8_t> e = s.Get("err.txt");
    EXPECT_NE(std::string(e.begin(), e.end()).find("espeak-ng"), std::string::npos);
}

}  // namespace
