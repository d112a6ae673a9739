// The radio of the sample stage as radio_run plays it: headless on the virtual clock, every
// English message of the sample table once with all its words and its sound; one message on the
// tower's row photographed frame by frame: its caption scrolling in the row's band where the
// rows' rule puts it, the status icon blinking. Under a display the same in a real window.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../../common/capture_read.h"
#include "../../common/png_read.h"
#include "controller/controller.h"
#include "wynbytes.h"
#include "wynplat.h"

namespace {

struct RadioResult {
    int status = -1;
    std::string dir;
    std::vector<std::string> radio;  // the trace's radio lines
};

std::string Dir(const std::string& tag) {
    const char* d = std::getenv("WYN_RUNTIME_DIR");
    return std::string(d ? d : "/tmp/radio_run_test") + "/" + tag;
}

RadioResult RunRadio(const std::string& env, const std::string& tag, const std::string& args) {
    RadioResult r;
    r.dir = Dir(tag);
    std::filesystem::remove_all(r.dir);
    // A program folder of its own: the engine writes krn2.ini back, so it gets a copy; the rest
    // of the program folder is linked.
    const std::filesystem::path bin = std::getenv("WYN_PROGRAM_DIR"), own = r.dir + "/bin";
    std::filesystem::create_directories(own);
    for (const auto& e : std::filesystem::directory_iterator(bin)) {
        if (e.path().filename() == "krn2.ini")
            std::filesystem::copy_file(e.path(), own / "krn2.ini");
        else
            std::filesystem::create_symlink(e.path(), own / e.path().filename());
    }
    const std::string cmd =
        "cd '" + own.string() + "' && " + env + " WYN_PROGRAM_DIR='" + own.string() +
        "' WYN_RUNTIME_DIR='" + r.dir + "' WYN_CLOCK=virtual WYN_GAME_TRACE='" + r.dir +
        "/trace.txt' WYN_AUDIO_CAPTURE='" + r.dir +
        "/capture.wav' timeout 300 " RADIO_RUN_PATH " " + args + " 2>'" + r.dir + "/log'";
    const int s = std::system(cmd.c_str());
    r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    std::ifstream in(r.dir + "/trace.txt");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("radio ", 0) == 0) r.radio.push_back(line);
    return r;
}

// A field of a trace line: the word after `key`.
std::string Field(const std::string& line, const std::string& key) {
    std::istringstream in(line);
    for (std::string w; in >> w;)
        if (w == key && in >> w) return w;
    return "";
}

int EnglishMessages() {
    std::ifstream in("port/rjtt/atc/app_ee.ms", std::ios::binary);
    const std::vector<char> t((std::istreambuf_iterator<char>(in)), {});
    wyn::ByteReader r(t.data(), t.size());
    const uint32_t count = r.u32();
    int present = 0;
    for (uint32_t n = 0; n < count; ++n) {
        wyn::ByteReader e(t.data(), t.size());
        e.seek(4 + 4 * size_t(n));
        e.seek(e.u32() + 4);
        present += e.ok() && e.u8() != 0;
    }
    return present;
}

constexpr uint32_t kGreen = 0x00ff00;  // the caption's 0x03E0 widened

// The leftmost caption pixel of row p's band on the screen, or -1.
int CaptionLeft(const Png& shot, int p) {
    for (int x = 0; x < 800; ++x)
        for (int y = 26 + 24 * p; y < 42 + 24 * p; ++y)
            if (shot.At(x, y) == kGreen) return x;
    return -1;
}

bool SameIcon(const Png& a, const Png& b, int p) {
    for (int y = 24 + 24 * p; y < 48 + 24 * p; ++y)
        for (int x = 86; x < 110; ++x)
            if (a.At(x, y) != b.At(x, y)) return false;
    return true;
}

void CheckOneMessage(const std::string& env, const std::string& tag) {
    const RadioResult r =
        RunRadio(env + " WYN_SCREENSHOT_EVERY=1 WYN_SCREENSHOT='" + Dir(tag) + "/shot.png'", tag,
                 "rjtt traffic 1:201");
    ASSERT_EQ(r.status, 0) << tag;
    ASSERT_EQ(r.radio.size(), 1u) << tag;
    const std::string& line = r.radio[0];
    EXPECT_EQ(Field(line, "missing"), "0") << line;
    const int frames = std::atoi(Field(line, "frames").c_str());
    ASSERT_GT(frames, 30) << line;
    // The caption (Japanese, the default language) in the system's bytes gives the length.
    const std::string caption = line.substr(line.find(" caption ") + 9);
    char sjis[600];
    WynPlat_FromUtf8(caption.c_str(), 932, sjis, sizeof sjis);
    const int length = std::max(int(std::strlen(sjis)), 371 / 7);
    std::vector<Png> shots;
    for (int k = 1; k <= frames + 40; ++k) {
        char name[64];
        std::snprintf(name, sizeof name, "/shot-%05d.png", k);
        Png p;
        if (!ReadPng(r.dir + name, &p)) break;
        shots.push_back(p);
    }
    ASSERT_GT(int(shots.size()), frames) << tag << ": a shot a frame";
    // The shots show the frames in order (a window system may show one frame twice, and how
    // many shots the program's start adds is the screenshot counter's matter), so each shot is
    // matched to a frame by its caption: in every frame where the caption's start is on the
    // panel, its first pixel stands at one fixed distance (its first glyph's) from the rows' x.
    // (Near the panel's left edge the caption's start has scrolled out of sight.)
    std::map<int, int> frameAt;  // x of the rows' rule -> frame
    for (int k = 0; k <= frames; ++k) frameAt.emplace(CaptionX(371, k, length, frames), k);
    std::vector<int> shotFrame;
    int bearing = -1;
    for (int b = 0; b < 14 && bearing < 0; ++b) {
        std::vector<int> matched;
        int last = -1;
        bool ok = true;
        for (const Png& shot : shots) {
            const int left = CaptionLeft(shot, 1);
            const int x = left - 218 - b;
            int k = -1;
            if (left >= 0 && x >= 28 && x <= 371 - 14) {
                const auto it = frameAt.find(x);
                if (it == frameAt.end() || it->second < last) {
                    ok = false;
                    break;
                }
                k = last = it->second;
            }
            matched.push_back(k);
        }
        if (ok && std::count_if(matched.begin(), matched.end(), [](int k) { return k >= 0; }) >
                      frames / 3) {
            bearing = b;
            shotFrame = matched;
        }
    }
    ASSERT_GE(bearing, 0) << tag << ": the caption does not stand where the rows put it";
    const auto shotOf = [&](int k) {
        const auto it = std::find(shotFrame.begin(), shotFrame.end(), k);
        return it == shotFrame.end() ? -1 : int(it - shotFrame.begin());
    };
    // Nothing ever stands outside the panel, on this row or another.
    for (size_t k = 0; k < shots.size(); ++k) {
        for (int y = 26; y < 26 + 24 * 5; ++y)
            for (int x = 0; x < 800; ++x)
                if (shots[k].At(x, y) == kGreen &&
                    (x < 218 || x >= 218 + 371 || y < 50 || y >= 66)) {
                    ADD_FAILURE() << tag << ": shot " << k + 1 << " has a caption pixel at " << x
                                  << "," << y;
                    y = 26 + 24 * 5;
                    break;
                }
    }
    // The status icon blinks: tile 1 for 16 ticks, the other row's tile for 16, and again.
    const int s8 = shotOf(8), s24 = shotOf(24), s40 = shotOf(40);
    ASSERT_TRUE(s8 >= 0 && s24 >= 0 && s40 >= 0) << tag;
    EXPECT_FALSE(SameIcon(shots[size_t(s8)], shots[size_t(s24)], 1)) << tag;
    EXPECT_TRUE(SameIcon(shots[size_t(s8)], shots[size_t(s40)], 1)) << tag;
}

}  // namespace

TEST(RadioRun, EveryEnglishMessageOnceWithItsWordsAndSound) {
    const RadioResult r = RunRadio("WYN_HEADLESS=1", "all", "rjtt traffic");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(int(r.radio.size()), EnglishMessages());
    for (const std::string& line : r.radio) {
        EXPECT_EQ(Field(line, "missing"), "0") << line;
        EXPECT_GT(std::atoi(Field(line, "frames").c_str()), 0) << line;
    }
    // Sound while the rows speak: most of the run is heard.
    const std::vector<int16_t> s = ReadCapture16(r.dir + "/capture.wav");
    ASSERT_GT(s.size(), 22050u * 2 * 10);
    size_t loud = 0;
    for (size_t i = 0; i < s.size(); i += 2) loud += std::abs(int(s[i])) > 1500;
    EXPECT_GT(loud, s.size() / 2 / 4) << "the radio is heard";
}

TEST(RadioRun, OneMessageScrollsItsCaptionAndBlinksItsIcon) {
    CheckOneMessage("WYN_HEADLESS=1", "headless");
}

TEST(RadioRun, OneMessageInARealWindow) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no display (the test script provides a virtual one)";
    CheckOneMessage("env -u WYN_HEADLESS WYN_BACKEND=sdl ASAN_OPTIONS=detect_leaks=0", "desktop");
}
