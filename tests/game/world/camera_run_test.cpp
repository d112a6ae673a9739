// The cameras and the apron as camera_run plays them on a stage of the sample airport (one
// aircraft parked at spot 0, one on final): headless on the virtual clock, every camera mode's
// view of the aircraft on final after its transition differs from the panoramic one and shows
// the aircraft in its middle third (the pilot's view looks out of it); the caption and the eye
// of every tick are logged; the ground events at the parked aircraft show their vehicles frame
// by frame (a vehicle given back while its cargo run goes on leaves that run's box shown); a
// rain stage shows its streaks. Under a display the same in a real window.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../../common/png_read.h"
#include "../../common/run_folder.h"
#include "../program_run.h"

namespace fs = std::filesystem;

namespace {

using programrun::ReadText;

std::string Stage(const char* title, const char* weather) {
    std::string s = std::string("title rjtt ") + title +
                    "\nstart 1000\nhours 1\ntarget 0\nextarget -1\nstresslimit 10\n"
                    "eye 121 119 90\naim 26 130 0\ndistance 0\nlight 70 70 70\n"
                    "back 130 170 220\ndaytime 0\ncloud 0\nlight2 150 150 140\n"
                    "light2dir -1 -2 1\ndistances 30000 20000 15000\nroutes 1 1 1 1 1 1 1 1\n";
    if (*weather) s += std::string("weather ") + weather + "\n";
    return s +
           "timetable\n"
           "park id=1 spot=0 flight=101 airline=JAL type=B767 port=KRG schedule=1 sched=1030\n"
           "create time=0 id=2 x=235 z=-1223 feet=1000 knots=140 heading=157 flight=515 "
           "airline=ANA type=B777 port=HSZ schedule=2 sched=1010 kind=1\n"
           "end\n";
}

struct Frame {
    int n;
    std::string caption;
    double eye[3], rotate[3];
    std::string ground;
};

class CameraRun : public RunFolderTest {
  protected:
    void SetUp() override {
        RunFolderTest::SetUp();
        if (HasFatalFailure()) return;
        // A program folder of its own: the test's stages beside the sample airport's files.
        programrun::MakeProgramFolder(binDir, folder);
        fs::create_directories(run + "/stages/rjtt");
        std::ofstream(run + "/stages/rjtt/camera.stage") << Stage("camera", "");
        std::ofstream(run + "/stages/rjtt/camerar.stage") << Stage("camerar", "R");
        const std::string make = "'" + binDir + "/stagemake' '" + folder + "' '" + run +
                                 "/stages/rjtt/camera.stage' '" + run +
                                 "/stages/rjtt/camerar.stage'";
        ASSERT_EQ(std::system(make.c_str()), 0);
    }
    // Runs camera_run on `stage` with `args` (after `wrap`); its frames in `frames`.
    int Run(const std::string& wrap, const std::string& env, const std::string& stage,
            const std::string& args) {
        out = run + "/out-" + stage;
        fs::create_directories(out);
        const std::string cmd =
            "cd '" + folder + "' && " + wrap + " env -u WYN_HEADLESS WYN_PROGRAM_DIR='" + folder +
            "' WYN_RUNTIME_DIR='" + run + "/rt' WYN_CLOCK=virtual " + env + " WYN_GAME_TRACE='" +
            out + "/trace.txt' timeout 280 " + CAMERA_RUN_PATH + " rjtt " + stage + " '" + out +
            "' " + args + " 2>'" + out + "/err.txt'";
        const int status = std::system(cmd.c_str());
        err = ReadText(out + "/err.txt");
        frames.clear();
        std::ifstream in(out + "/log.txt");
        for (std::string line; std::getline(in, line);) {
            Frame f{};
            char caption[64] = "";
            const size_t c = line.find(" caption "), e = line.find(" eye "),
                         g = line.find(" ground");
            if (c == std::string::npos || e == std::string::npos || g == std::string::npos)
                continue;
            std::sscanf(line.c_str(), "frame %d", &f.n);
            f.caption = line.substr(c + 9, e - c - 9);
            std::sscanf(line.c_str() + e, " eye %lf %lf %lf rotate %lf %lf %lf", &f.eye[0],
                        &f.eye[1], &f.eye[2], &f.rotate[0], &f.rotate[1], &f.rotate[2]);
            f.ground = line.substr(g + 7);
            (void)caption;
            frames.push_back(f);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    Png Shot(const std::string& name) {
        Png p;
        EXPECT_TRUE(ReadPng(out + "/" + name + ".png", &p)) << name << "\n" << err;
        return p;
    }
    // Pixels of two pictures of the 3D view (800 x 200) that differ, in the rectangle x0..x1,
    // y0..y1.
    static int Differ(const Png& a, const Png& b, int x0 = 0, int y0 = 0, int x1 = 800,
                      int y1 = 200) {
        if (a.w != 800 || b.w != 800 || a.h != 200 || b.h != 200) return -1;
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += a.At(x, y) != b.At(x, y);
        return n;
    }
    void CheckModes(const std::string& tag) {
        const Png panoramic = Shot("panoramic");
        // The callsign from mode 0's caption: "<callsign> CAM".
        std::string callsign;
        for (const Frame& f : frames)
            if (f.caption.size() > 4 && f.caption != "PANORAMIC CAM" &&
                f.caption.compare(f.caption.size() - 4, 4, " CAM") == 0 &&
                f.caption.find(' ') == f.caption.size() - 4) {
                callsign = f.caption.substr(0, f.caption.size() - 4);
                break;
            }
        ASSERT_FALSE(callsign.empty()) << tag;
        const std::string captions[13] = {callsign + " CAM",
                                          callsign + " HANEDA TOWER CAM",
                                          callsign + " RWY34L CAM",
                                          callsign + " RWY34R CAM",
                                          callsign + " RWY16L CAM",
                                          callsign + " RWY16R CAM",
                                          callsign + " RWY22 CAM",
                                          callsign + " RWY04 CAM",
                                          callsign + " OUTSIDE CAM",
                                          callsign + " BIRDEYE CAM",
                                          "PILOT CAM",
                                          "UPPER CAM",
                                          "UPPER ZOOM CAM"};
        for (int m = 0; m < 13; ++m) {
            char name[32];
            std::snprintf(name, sizeof name, "mode-%02d", m);
            const std::string what = tag + " " + name + " " + captions[m];
            bool logged = false;
            for (const Frame& f : frames) logged = logged || f.caption == captions[m];
            EXPECT_TRUE(logged) << what;
            const Png view = Shot(name), hidden = Shot(std::string(name) + "-hidden");
            EXPECT_GT(Differ(view, panoramic), 2000) << what << ": not the panoramic view";
            // The followed aircraft in the middle third of the view (not from its own cockpit).
            const int middle = Differ(view, hidden, 800 / 3, 200 / 3, 2 * 800 / 3, 2 * 200 / 3);
            if (m != 10) EXPECT_GT(middle, 0) << what << ": the aircraft is not in the middle";
        }
        // The panoramic view again: the same eye and angles as the first time.
        ASSERT_GE(frames.size(), size_t(70 + 14 * 40));
        const Frame& first = frames[69];
        const Frame& again = frames[70 + 14 * 40 - 1];
        EXPECT_EQ(again.caption, "PANORAMIC CAM");
        for (int a = 0; a < 3; ++a) {
            EXPECT_NEAR(again.eye[a], first.eye[a], 0.001) << tag;
            EXPECT_NEAR(again.rotate[a], first.rotate[a], 0.001) << tag;
        }
    }
    std::string out, err;
    std::vector<Frame> frames;
};

const char* kHeadless = "WYN_HEADLESS=1";

TEST_F(CameraRun, EveryModeHeadless) {
    ASSERT_EQ(Run("", kHeadless, "camera", "modes"), 0) << err;
    CheckModes("headless");
    // A frame a tick: 70 to the panoramic view, 40 for each of the 13 modes, 40 for the
    // panoramic view again and 40 for the change to the aircraft on final.
    ASSERT_EQ(frames.size(), size_t(70 + 13 * 40 + 40 + 40));
    // The panoramic glide of 30 ticks moves the eye in equal steps.
    const size_t glide = 70 + 13 * 40;
    for (size_t k = glide + 1; k < glide + 29; ++k)
        for (int a = 0; a < 3; ++a)
            EXPECT_NEAR(frames[k + 1].eye[a] - frames[k].eye[a],
                        frames[k].eye[a] - frames[k - 1].eye[a], 0.01)
                << "frame " << k << " axis " << a;
    // The change to the parked aircraft: the eye never under the ground + 5 while it turns.
    for (size_t k = glide + 40; k < frames.size(); ++k)
        EXPECT_GE(frames[k].eye[1], 5.0 - 0.001) << "frame " << frames[k].n;
    EXPECT_EQ(frames.back().caption.substr(frames.back().caption.size() - 4), " CAM");
}

TEST_F(CameraRun, GroundEventsFrameByFrame) {
    // Tug, marshaller waving and stopping, service car unloading and loading, a smoke puff, the
    // bridge's sound and poses, and the ends (5000 + code cancels).
    ASSERT_EQ(Run("", kHeadless, "camera",
                  "events 0:-1:5 0:-1:2000 10:-1:2010 20:-1:10 25:-1:1 40:-1:2020 50:-1:30 "
                  "51:-1:31 60:-1:32 70:-1:5005 80:-1:21 100:-1:22 110:-1:5010"),
              0)
        << err;
    ASSERT_GE(frames.size(), size_t(70 + 2 + 191));
    const size_t first = frames.size() - 191;  // the frame of tick 0
    const auto at = [&](int tick) { return frames[first + size_t(tick)].ground; };
    struct Case {
        int tick;
        const char* shown;  // a layer name the log lists (or not)
        bool listed;
    };
    const Case cases[] = {
        {0, " tag1[", true},   {0, " ms1[", true},       {0, "up1", true},
        {17, "up2", true},     {19, " gs_car1[", false}, {20, " gs_car1[", true},
        {25, " smk1[", true},  {60, "stop", true},       {69, " tag1[", true},
        {70, " tag1[", false}, {72, " smk1[", false},    {101, " ms1[", false},
        {80, "fudobox", true}, {109, "toing", true},     {110, "toing", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(at(c.tick).find(c.shown) != std::string::npos, c.listed)
            << "tick " << c.tick << " " << c.shown << ":" << at(c.tick);
    // A frame's picture a tick; the vehicles change it as they come and go (the puff of tick 25
    // stands under the fuselage, out of this view: its layer is listed above).
    for (int tick : {20, 70, 110}) {
        char now[32], before[32];
        std::snprintf(now, sizeof now, "event-%04d", tick);
        std::snprintf(before, sizeof before, "event-%04d", tick - 1);
        EXPECT_GT(Differ(Shot(now), Shot(before)), 0) << tick;
    }
    const std::string trace = ReadText(out + "/trace.txt");
    EXPECT_NE(trace.find("ground 0 5 1"), std::string::npos);
    EXPECT_NE(trace.find("ground cancel 0 10"), std::string::npos);
}

TEST_F(CameraRun, RainStageShowsItsStreaks) {
    ASSERT_EQ(Run("", kHeadless, "camerar", "weather"), 0) << err;
    EXPECT_GT(Differ(Shot("weather"), Shot("weather-hidden")), 20) << "rain streaks";
    ASSERT_EQ(Run("", kHeadless, "camera", "weather"), 0) << err;
    EXPECT_EQ(Differ(Shot("weather"), Shot("weather-hidden")), 0) << "no smoke yet";
}

TEST_F(CameraRun, EveryModeInARealWindow) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    ASSERT_EQ(Run("", "", "camera", "modes"), 0) << err;
    CheckModes("real window");
}

}  // namespace
