// wyntower shows the sample airport: on a stage whose panoramic view is the tower eye, the
// title walks through the airport loader's steps in order, the program ends on the close box
// alone, and the 3D view shows grey runways by day and lit runways on dark ground at night;
// headless, and in a real window on a display of its own.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../../common/png_read.h"
#include "../../common/program_output.h"
#include "../../common/run_folder.h"

namespace fs = std::filesystem;

namespace {

using programrun::ReadText;

// A stage seen from the tower eye, toward the west runway; `night` makes it a night stage.
std::string Stage(bool night) {
    std::string s =
        "title rjtt tower\nstart 1200\nhours 1\ntarget 0\nextarget -1\nstresslimit 10\n"
        "eye 121 119 90\naim 10 250 0\ndistance 0\nlight2dir -1 -2 1\n"
        "distances 30000 20000 15000\nroutes 1 1 1 1 1 1 1 1\n";
    s += night ? "weather N\nlight 12 12 18\nback 6 8 20\nlight2 20 20 30\n"
               : "light 70 70 70\nback 130 170 220\nlight2 150 150 140\n";
    return s + "timetable\nend\n";
}

class TowerView : public RunFolderTest {
  protected:
    void SetUp() override {
        RunFolderTest::SetUp();
        if (HasFatalFailure()) return;
        // The program folder: krn2.ini copied, the drivers and the data linked, the test's
        // stages made into port/rjtt/scenario beside the sample airport's files.
        fs::create_directories(folder + "/port/rjtt/scenario");
        fs::copy_file(binDir + "/krn2.ini", folder + "/krn2.ini");
        for (const auto& e : fs::directory_iterator(binDir))
            if (e.path().extension() == ".dll")
                fs::create_symlink(e.path(), folder + "/" + e.path().filename().string());
        for (const auto& e : fs::directory_iterator(binDir + "/port/rjtt"))
            if (e.path().filename() != "scenario")
                fs::create_symlink(e.path(), folder + "/port/rjtt/" + e.path().filename().string());
        fs::create_symlink(binDir + "/port/rjttN", folder + "/port/rjttN");
        // Ground support, the weather's textures and the HUD's pictures, sounds and music,
        // which every stage loads.
        for (const char* data : {"etc", "gs", "se", "music"})
            if (fs::exists(binDir + "/" + data))
                fs::create_symlink(binDir + "/" + data, folder + "/" + data);
        fs::create_directories(run + "/stages/rjtt");
        std::ofstream(run + "/stages/rjtt/tower.stage") << Stage(false);
        std::ofstream(run + "/stages/rjtt/towern.stage") << Stage(true);
        const std::string make = "'" + binDir + "/stagemake' '" + folder + "' '" + run +
                                 "/stages/rjtt/tower.stage' '" + run + "/stages/rjtt/towern.stage'";
        ASSERT_EQ(std::system(make.c_str()), 0);
        std::ofstream(run + "/close.replay") << "1500 close\n";
    }
    // Runs `wyntower rjtt <stage>` to the close box (after `wrap`, a command that runs the
    // rest); its exit code, the screenshot in *shot. The runtime folder is the run's own: the
    // game of the other case, running beside it, would count as the one already running.
    int Run(const std::string& wrap, const std::string& env, const std::string& stage, Png* shot) {
        const std::string png = run + "/" + stage + ".png";
        const std::string cmd =
            "cd '" + folder + "' && " + wrap + " env -u WYN_HEADLESS WYN_PROGRAM_DIR='" + folder +
            "' WYN_RUNTIME_DIR='" + run +
            "/rt' WYN_CLOCK=virtual WYN_GAME_FRAME_MS=33 "
            "WYN_LOG_WINDOWS=1 WYN_MSGBOX_ANSWERS=6 WYN_REPLAY='" +
            run + "/close.replay' WYN_MSGBOX_LOG='" + run + "/" + stage +
            ".boxes' WYN_SCREENSHOT='" + png + "' " + env + " timeout 120 '" + binDir +
            "/wyntower' rjtt " + stage + " 2>'" + run + "/" + stage + ".err'";
        const int status = std::system(cmd.c_str());
        err = ReadText(run + "/" + stage + ".err");
        boxes = ReadText(run + "/" + stage + ".boxes");
        EXPECT_TRUE(ReadPng(png, shot)) << png << "\n" << err;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void Check(bool night, const Png& shot) {
        ASSERT_EQ(shot.w, 800);
        ASSERT_EQ(shot.h, 600);
        // The 3D view: docked at (0, 200), 800 x 200.
        int grey = 0, bright = 0;
        long luminance = 0;
        for (int y = 200; y < 400; ++y)
            for (int x = 0; x < 800; ++x) {
                const uint32_t p = shot.At(x, y);
                const int r = p >> 16 & 0xff, g = p >> 8 & 0xff, b = p & 0xff;
                luminance += (r + g + b) / 3;
                if (std::abs(r - g) < 14 && std::abs(g - b) < 20 && r >= 40 && r <= 160) ++grey;
                if (r > 170 && g > 170 && b > 150) ++bright;
            }
        const long mean = luminance / (800 * 200);
        if (!night) {
            EXPECT_GT(grey, 800) << "runway and taxiway asphalt";
            EXPECT_GT(mean, 60);
        } else {
            EXPECT_LT(mean, 50) << "dark ground";
            EXPECT_GT(bright, 20) << "lit runway lights";
        }
    }
    void CheckLog() {
        // The title steps, in order, in the log of window titles.
        size_t at = 0;
        for (const char8_t* step :
             {u8"初期化１", u8"空港読み込み開始", u8"空港読み込み", u8"空港設置", u8"レーダー設定",
              u8"風景設定", u8"空港灯設定", u8"表示レベル設定", u8"ボーディング設定", u8"看板設定",
              u8"SID設定", u8"交信データ読み込み", u8"夜間設定", u8"光源設定", u8"ゲーム開始"}) {
            const std::string want = "<" + std::string(reinterpret_cast<const char*>(step)) + ">";
            const size_t found = err.find(want, at);
            ASSERT_NE(found, std::string::npos) << want << " after " << at << "\n" << err;
            at = found + want.size();
        }
        // The close box is the only one.
        const std::string close = reinterpret_cast<const char*>(u8"終了しますか？");
        EXPECT_NE(boxes.find(close), std::string::npos) << boxes;
        EXPECT_EQ(boxes.find(close), boxes.rfind(close)) << boxes;
        EXPECT_EQ(boxes.find(reinterpret_cast<const char*>(u8"ファイル")), std::string::npos)
            << boxes;
    }
    std::string err, boxes;
};

TEST_F(TowerView, HeadlessDayAndNight) {
    for (bool night : {false, true}) {
        Png shot;
        ASSERT_EQ(Run("", "WYN_HEADLESS=1", night ? "towern" : "tower", &shot), 0) << err;
        CheckLog();
        Check(night, shot);
    }
}

TEST_F(TowerView, InARealWindow) {
    // A display of its own, so that the window is no other test's to find.
    if (std::system("command -v xvfb-run >/dev/null") != 0) GTEST_SKIP() << "no xvfb-run";
    for (bool night : {false, true}) {
        Png shot;
        ASSERT_EQ(Run("xvfb-run -a -s '-screen 0 1024x768x24'", "WYN_BACKEND=sdl",
                      night ? "towern" : "tower", &shot),
                  0)
            << err;
        CheckLog();
        Check(night, shot);
    }
}

}  // namespace
