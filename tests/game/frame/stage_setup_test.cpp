// Stage set-up on the sample airport: the weather letter chooses the sky file and rain or
// smoke, the light-pattern choice switches the airport's light-pattern layers, the window layout
// places the view, the strip board, its buttons and the HUD, an empty loading folder leaves the
// wallpaper alone, the final title names the target (stage_setup_run reports each); wyntower
// traces its title steps in order and shows them in its title, shows the lit patterns in its
// view at night, and a stage without its sky file ends after the file box without a single
// frame.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../../common/png_read.h"
#include "../program_run.h"
#include "../../common/run_folder.h"

namespace fs = std::filesystem;
using programrun::Count;
using programrun::ReadText;

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

const char* const kSkies[] = {"sky.plm", "skyR.plm", "skyT.plm", "skyN.plm"};

std::string Stage(const std::string& name, const std::string& weather, int target,
                  int daytime = 0) {
    std::string s = "title rjtt " + name + "\nstart 1000\nhours 1\ntarget " +
                    std::to_string(target) +
                    "\nextarget -1\nstresslimit 10\nmusic STAGE01\n"
                    "eye 121 119 90\naim 26 130 0\ndistance 0\nlight 70 70 70\n"
                    "back 130 170 220\ndaytime " +
                    std::to_string(daytime) +
                    "\ncloud 0\nlight2 150 150 140\n"
                    "light2dir -1 -2 1\ndistances 8000 4000 2000\nroutes 1 1 1 1 1 1 1 1\n";
    if (!weather.empty()) s += "weather " + weather + "\n";
    return s + "timetable\nend\n";
}

class StageSetup : public RunFolderTest {
  protected:
    void SetUp() override {
        RunFolderTest::SetUp();
        if (HasFatalFailure()) return;
        // The skies are the test's: each case puts the one file its stage must load.
        std::set<std::string> skies(std::begin(kSkies), std::end(kSkies));
        programrun::MakeProgramFolder(binDir, folder, skies);
        programrun::PutScriptHostStandIn(folder, GAME_STANDIN_PATH);
        fs::create_directories(run + "/stages/rjtt");
        setenv("WYN_RUNTIME_DIR", (run + "/rt").c_str(), 1);
    }
    void TearDown() override { programrun::EndHandOver(folder, "rjtt"); }
    void MakeStage(const std::string& name, const std::string& text) {
        const std::string desc = run + "/stages/rjtt/" + name + ".stage";
        std::ofstream(desc) << text;
        const std::string make =
            "'" + binDir + "/stagemake' '" + folder + "' '" + desc + "' >/dev/null";
        ASSERT_EQ(std::system(make.c_str()), 0) << text;
    }
    // The one sky file of the case: the sample's `from` under the name `to`.
    void PutSky(const std::string& from, const std::string& to) {
        for (const char* s : kSkies) fs::remove(folder + "/port/rjtt/" + s);
        fs::remove(folder + "/port/rjtt/skyF.plm");
        fs::copy_file(binDir + "/port/rjtt/" + from, folder + "/port/rjtt/" + to);
    }
    void Config(const std::string& text) {
        fs::remove(folder + "/config.ini");
        std::ofstream(folder + "/config.ini") << text;
    }
    // stage_setup_run on `stage`: its report, one fact a line; `result` keeps the run.
    std::string Report(const std::string& stage) {
        const std::string out = run + "/" + stage + ".report";
        fs::remove(out);
        result =
            programrun::Run(folder, run + "/" + stage, "",
                            "WYN_HEADLESS=1 WYN_CLOCK=virtual WYN_RUNTIME_DIR='" + run + "/rt'",
                            STAGE_SETUP_RUN_PATH, "rjtt " + stage + " '" + out + "'", 60);
        return ReadText(out);
    }
    static std::string Line(const std::string& report, const std::string& key) {
        std::istringstream in(report);
        for (std::string l; std::getline(in, l);)
            if (l.rfind(key + " ", 0) == 0) return l.substr(key.size() + 1);
        return "(no " + key + " line)";
    }
    // wyntower on the stage `name`, headless until its close box at 4 s (answered Yes): its
    // main window every 10 frames of 99 ms.
    std::vector<Png> NightShots(const std::string& name) {
        std::ofstream(run + "/close.replay") << "4000 close\n";
        const std::string tag = run + "/" + name;
        result = programrun::Run(
            folder, tag, "",
            "WYN_HEADLESS=1 WYN_CLOCK=virtual WYN_GAME_FRAME_MS=99 WYN_MSGBOX_ANSWERS=6 "
            "WYN_RUNTIME_DIR='" +
                run + "/rt' WYN_REPLAY='" + run + "/close.replay' WYN_SCREENSHOT='" + tag +
                ".png' WYN_SCREENSHOT_EVERY=10",
            binDir + "/wyntower", "rjtt " + name, 60);
        std::vector<Png> shots;
        for (int n = 1;; ++n) {
            char file[32];
            std::snprintf(file, sizeof file, "-%05d.png", n);
            Png p;
            if (!ReadPng(tag + file, &p)) break;
            shots.push_back(p);
        }
        return shots;
    }
    programrun::Result result;
};

TEST_F(StageSetup, TheWeatherLetterChoosesTheSkyAndRainOrSmoke) {
    struct Case {
        const char* weather;  // the header's weather text
        const char* sky;      // the one sky file there (the sample's `from` under this name)
        const char* from;
        const char* weatherline;
    };
    const Case cases[] = {
        {"N", "skyN.plm", "skyN.plm", "rain 0 smoke 1"},  // night: the night sky, smoke
        {"n", "skyN.plm", "skyN.plm", "rain 0 smoke 1"},
        {"R", "skyR.plm", "skyR.plm", "rain 1 smoke 0"},  // rain replaces the smoke
        {"T", "skyT.plm", "skyT.plm", "rain 1 smoke 0"},
        {"", "sky.plm", "sky.plm", "rain 0 smoke 1"},    // fair: "sky" + an empty text
        {"F", "skyF.plm", "sky.plm", "rain 0 smoke 1"},  // any other text names its file
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("weather \"") + c.weather + "\"");
        const std::string name = "w" + std::to_string(n++);
        MakeStage(name, Stage(name, c.weather, 0));
        PutSky(c.from, c.sky);
        const std::string report = Report(name);
        ASSERT_EQ(result.code, 0) << result.explain;
        EXPECT_EQ(result.boxes, "") << "a sky file other than " << c.sky << " was asked for";
        EXPECT_EQ(Line(report, "phase"), "1000") << report;
        EXPECT_EQ(Line(report, "sky"), "1") << report;
        EXPECT_EQ("rain " + Line(report, "rain"), c.weatherline) << report;
    }
}

// The stage's light-pattern choice and the scenery's seven light-pattern layers: 0 puts all
// out, 1 lights the first three, 2 the first six; the seventh, lit in the file, keeps its state
// unless the choice is 0, as every layer does for another choice. Day and night sceneries alike.
TEST_F(StageSetup, TheLightPatternChoiceLightsTheAirportsPatterns) {
    struct Case {
        int daytime;
        const char* weather;
        const char* layers;  // lightpat1-7: 1 shown, 0 hidden
    };
    const Case cases[] = {
        {0, "", "0000000"},  {1, "", "1110001"},  {2, "", "1111111"},  {3, "", "0000001"},
        {-1, "", "0000001"}, {0, "N", "0000000"}, {1, "N", "1110001"}, {2, "N", "1111111"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE("daytime " + std::to_string(c.daytime) + " weather \"" + c.weather + "\"");
        const std::string name = "lp" + std::to_string(n++);
        MakeStage(name, Stage(name, c.weather, 0, c.daytime));
        const std::string sky = c.weather[0] ? std::string("sky") + c.weather + ".plm" : "sky.plm";
        PutSky(sky, sky);
        const std::string report = Report(name);
        ASSERT_EQ(result.code, 0) << result.explain;
        EXPECT_EQ(Line(report, "phase"), "1000") << report;
        EXPECT_EQ(Line(report, "lightpat"), c.layers) << report;
    }
}

// The lamps of the six light patterns a choice lights, unshaded in the view: floodlights,
// taxiway lights, approach lights, terminal windows, hangar doors, tower cab
// (data/airport/rjtt/scenery/lightpattern.desc).
const uint32_t kLamps[] = {0xFFE2AA, 0x46FF78, 0xFFFAE6, 0xFFE8A0, 0xFAF0D2, 0xC8E6FF};

// At night the patterns a stage lights show in its view: the panoramic view from the tower after
// the start banner holds lamps with the choice 2 that are not there with 0.
TEST_F(StageSetup, AtNightTheLitPatternsShowInTheView) {
    PutSky("skyN.plm", "skyN.plm");
    int lamps[3] = {-1, -1, -1};
    for (int daytime : {0, 2}) {
        SCOPED_TRACE("daytime " + std::to_string(daytime));
        const std::string name = "night" + std::to_string(daytime);
        // The night's dim lights and dark background.
        std::string text = Stage(name, "N", 0, daytime);
        for (const auto& [day, night] :
             {std::pair<std::string, std::string>{"light 70 70 70", "light 40 40 55"},
              {"back 130 170 220", "back 10 14 35"},
              {"light2 150 150 140", "light2 60 60 80"}})
            text.replace(text.find(day), day.size(), night);
        MakeStage(name, text);
        const std::vector<Png> shots = NightShots(name);
        ASSERT_GE(shots.size(), 3u) << result.explain;
        const Png& p = shots.back();
        int n = 0;
        for (int y = 200; y < 400 && y < p.h; ++y)  // the docked view
            for (int x = 0; x < p.w; ++x)
                for (uint32_t c : kLamps) n += p.At(x, y) == c;
        lamps[daytime] = n;
    }
    EXPECT_EQ(lamps[0], 0) << "no pattern is lit";
    // From the tower: the terminal's windows below it and the lamps of its own cab.
    EXPECT_GT(lamps[2], 1000);
}

TEST_F(StageSetup, TheWindowLayoutPlacesTheViewTheBoardAndTheHud) {
    PutSky("sky.plm", "sky.plm");
    MakeStage("layout", Stage("layout", "", 0));
    struct Case {
        const char* config;
        int viewsep, offset;
    };
    const Case cases[] = {
        {"[DISPLAY]\nseparate=0\nmaxmize=0\n", 0, 400},  // winlayout 0: docked
        {"[DISPLAY]\nseparate=1\nmaxmize=0\n", 1, 200},  // 1: floating
        {"[DISPLAY]\nseparate=1\nmaxmize=1\n", 1, 200},  // 2: floating, maximised
    };
    // The buttons and the HUD's sprites below the strip board's top.
    const struct {
        int sprite, x, y;
    } places[] = {{70, 448, 172}, {71, 328, 172}, {72, 364, 172}, {73, 400, 172}, {62, 402, 8},
                  {63, 424, 27},  {64, 436, 27},  {65, 330, 8},   {66, 330, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        Config(c.config);
        const std::string report = Report("layout");
        ASSERT_EQ(result.code, 0) << result.explain;
        std::istringstream view(Line(report, "view"));
        int l = -9, t = -9, r = -9, b = -9, sep = -9, offset = -9;
        std::string w1, w2;
        view >> l >> t >> r >> b >> w1 >> sep >> w2 >> offset;
        EXPECT_EQ(sep, c.viewsep) << report;
        EXPECT_EQ(offset, c.offset) << report;
        EXPECT_EQ(l, 0) << report;
        EXPECT_EQ(t, 0) << report;
        if (c.viewsep == 0) {
            EXPECT_EQ(r, 800) << report;
            EXPECT_EQ(b, 200) << report;
        } else {
            EXPECT_GE(r, 400) << report;
            EXPECT_EQ(r, 4 * b) << "the floating view is four times as wide as high\n" << report;
        }
        for (const auto& p : places)
            EXPECT_EQ(Line(report, "sprite " + std::to_string(p.sprite)),
                      std::to_string(p.x) + " " + std::to_string(p.y + c.offset))
                << report;
    }
}

TEST_F(StageSetup, AnEmptyLoadingFolderLeavesTheWallpaperAlone) {
    PutSky("sky.plm", "sky.plm");
    MakeStage("load", Stage("load", "", 0));
    // With the sample's loading picture its band stands in the view's place.
    std::string report = Report("load");
    ASSERT_EQ(result.code, 0) << result.explain;
    EXPECT_EQ(Line(report, "band"), "loading") << report;
    // etc\ of the run's own, with every file of the sample's but an empty load\.
    fs::remove(folder + "/etc");
    fs::create_directories(folder + "/etc/load");
    for (const auto& e : fs::directory_iterator(binDir + "/etc"))
        if (e.path().filename() != "load")
            fs::create_symlink(e.path(), folder + "/etc/" + e.path().filename().string());
    report = Report("load");
    ASSERT_EQ(result.code, 0) << result.explain;
    EXPECT_EQ(Line(report, "band"), "wallpaper") << report;
    EXPECT_EQ(Line(report, "phase"), "1000") << "set-up went on\n" << report;
    EXPECT_EQ(result.boxes, "");
}

TEST_F(StageSetup, TheFinalTitleNamesTheTarget) {
    PutSky("sky.plm", "sky.plm");
    MakeStage("target", Stage("target", "", 2500));
    MakeStage("notarget", Stage("notarget", "", 0));
    std::string report = Report("target");
    ASSERT_EQ(result.code, 0) << result.explain;
    EXPECT_EQ(Line(report, "title"), U8(u8"Wynmoor２ Sarnet Corvessa Ver1.00 (目標得点：2500)"));
    report = Report("notarget");
    ASSERT_EQ(result.code, 0) << result.explain;
    EXPECT_EQ(Line(report, "title"), U8(u8"Wynmoor２ Sarnet Corvessa Ver1.00 "));
}

// wyntower itself: closed by its close box after 2 s, answered Yes (no program follows).
TEST_F(StageSetup, TheTitleStepsComeInOrderInTheTraceAndTheTitle) {
    PutSky("sky.plm", "sky.plm");
    MakeStage("steps", Stage("steps", "", 1200));
    std::ofstream(run + "/close.replay") << "2000 close\n";
    const programrun::Result r =
        programrun::Run(folder, run + "/steps", "",
                        "WYN_HEADLESS=1 WYN_CLOCK=virtual WYN_GAME_FRAME_MS=33 WYN_LOG_WINDOWS=1 "
                        "WYN_MSGBOX_ANSWERS=6 WYN_RUNTIME_DIR='" +
                            run + "/rt' WYN_REPLAY='" + run + "/close.replay'",
                        binDir + "/wyntower", "rjtt steps", 60);
    ASSERT_EQ(r.code, 0) << r.explain;
    std::vector<std::string> steps;
    std::istringstream in(r.trace);
    for (std::string l; std::getline(in, l);)
        if (l.rfind("title ", 0) == 0) steps.push_back(l.substr(6));
    // The frame's own steps in their order; the airport's and the timetable's between them.
    const std::vector<std::string> frame = {
        U8(u8"設定開始"),           U8(u8"各種画像読み込み"), U8(u8"初期化１"),
        U8(u8"空港読み込み開始"),   U8(u8"初期化２"),         U8(u8"ＧＳ初期化"),
        U8(u8"タイムテーブル-0 0"), U8(u8"雲設定"),           U8(u8"光源設定"),
        U8(u8"時計設定"),           U8(u8"得点表示"),         U8(u8"ゲーム開始")};
    size_t at = 0;
    for (const std::string& want : frame) {
        while (at < steps.size() && steps[at] != want) ++at;
        EXPECT_LT(at, steps.size()) << "missing or out of order: " << want << "\n" << r.trace;
    }
    EXPECT_EQ(steps.front(), U8(u8"設定開始"));
    EXPECT_EQ(steps.back(), U8(u8"ゲーム開始"));
    // Each step in the window's title as "<title> <step>", then the final title.
    for (const std::string& s : steps)
        EXPECT_NE(r.err.find(U8(u8"Wynmoor２ Sarnet Corvessa Ver1.00 <") + s + ">"),
                  std::string::npos)
            << s;
    EXPECT_NE(r.err.find(U8(u8"Wynmoor２ Sarnet Corvessa Ver1.00 (目標得点：1200)")),
              std::string::npos)
        << programrun::Tail(r.err);
    // The stand-by picture closed at set-up; the close box starts no program.
    EXPECT_EQ(Count(r.trace, "standby end "), 1) << r.trace;
    EXPECT_EQ(Count(r.trace, "standby start "), 0) << r.trace;
}

TEST_F(StageSetup, AMissingSkyFileEndsTheStageWithoutAFrame) {
    MakeStage("nosky", Stage("nosky", "R", 0));
    PutSky("sky.plm", "sky.plm");  // not skyR.plm
    const programrun::Result r = programrun::Run(
        folder, run + "/nosky", "",
        "WYN_HEADLESS=1 WYN_CLOCK=virtual WYN_GAME_FRAME_MS=33 WYN_RUNTIME_DIR='" + run + "/rt'",
        binDir + "/wyntower", "rjtt nosky", 60);
    ASSERT_EQ(r.code, 0) << r.explain;
    EXPECT_EQ(Count(r.boxes, U8(u8"ファイルが見つかりません")), 1) << r.boxes;
    EXPECT_NE(r.boxes.find("skyR.plm"), std::string::npos) << r.boxes;
    EXPECT_EQ(programrun::Lines(r.trace, "phase "),
              "phase 0010\nphase 1000\nphase 1ff0\nphase 0fff\n")
        << r.explain;
    EXPECT_EQ(Count(r.trace, "\nframe "), 0) << r.explain;
    // Not quit by the close box: the script host follows through the stand-by window.
    EXPECT_NE(r.trace.find("VSK33.EXE \" \"rjtt\" 1\n"), std::string::npos) << r.explain;
    EXPECT_NE(r.trace.find("standby send 1\n"), std::string::npos) << r.explain;
}

}  // namespace
