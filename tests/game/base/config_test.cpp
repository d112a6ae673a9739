// config.ini and krn2.ini settings, the window positions of [DISPLAYEX] for two screen sizes,
// and the layout written back only where it differs.
#include <gtest/gtest.h>

#include <sstream>

#include "game_fixture.h"

namespace {

class Config : public GameFolder {
  protected:
    void Screen(int w, int h) {
        ScreenInfo& s = Handles().screeninfo;
        s.width = w;
        s.height = h;
        s.fullscreen = w == 800 && h == 600;
        s.framecx = 6;
        s.framecy = 25;
    }
    // The [DISPLAYEX] lines of config.ini, "key=value" in file order.
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        std::istringstream in(Read("config.ini"));
        bool inside = false;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line[0] == '[')
                inside = line == "[DISPLAYEX]";
            else if (inside && !line.empty())
                keys.push_back(line);
        }
        return keys;
    }
    std::string Ini() const { return System("config.ini"); }
};

}  // namespace

TEST_F(Config, SettingsAndTheirDefaults) {
    struct Case {
        const char* name;
        const char* config;
        const char* krn;
        int fullscreen;
        GameConfig want;  // layout not compared
    };
    const Case cases[] = {
        {"defaults", "", "", 0, {0, 0, 0, 0, 1, 2, 3, 0, 1, 1, 0, 1, 12, 6, 9, 0, {}}},
        {"every key",
         "[GAME]\nlevel=2\nradar=1\ndsound=1\n[ATC]\nlanguage=0\nmulti=1\n[DISPLAY]\nradarL=1\n"
         "resolution=2\nex_resolution=1\nthrough=0\ncloud=5\nseparate=1\ncameramove=0\n"
         "[VOLUME]\natc=100\nbgm=0\nenv=50\n",
         "[MODE]\nEMULATION=SOFT\n",
         0,
         {1, 2, 1, 1, 0, 1, 2, 1, 0, 1, 1, 0, 15, 0, 7, 1, {}}},
        {"resolution 0 and volume 150",
         "[DISPLAY]\nresolution=0\n[VOLUME]\natc=150\nenv=-20\n",
         "[MODE]\nEMULATION=hard\n",
         0,
         {0, 0, 0, 0, 1, 2, 3, 0, 1, 1, 0, 1, 15, 6, 0, 0, {}}},
        {"resolution 7, maximised",
         "[DISPLAY]\nresolution=7\nseparate=1\nmaxmize=1\n",
         "",
         0,
         {0, 0, 0, 0, 1, 2, 3, 0, 1, 1, 2, 1, 12, 6, 9, 0, {}}},
        // The highest detail has one scenery number: more is taken as it, less as none.
        {"ex_resolution 999",
         "[DISPLAY]\nresolution=1\nex_resolution=999\n",
         "",
         0,
         {0, 0, 0, 0, 1, 2, 1, 1, 1, 1, 0, 1, 12, 6, 9, 0, {}}},
        {"ex_resolution -2",
         "[DISPLAY]\nex_resolution=-2\n",
         "",
         0,
         {0, 0, 0, 0, 1, 2, 3, 0, 1, 1, 0, 1, 12, 6, 9, 0, {}}},
        {"maximised alone docks",
         "[DISPLAY]\nmaxmize=1\n",
         "",
         0,
         {0, 0, 0, 0, 1, 2, 3, 0, 1, 1, 0, 1, 12, 6, 9, 0, {}}},
        {"full screen always docks",
         "[DISPLAY]\nseparate=1\nmaxmize=1\n",
         "",
         1,
         {0, 0, 0, 0, 1, 2, 3, 0, 1, 1, 0, 1, 12, 6, 9, 0, {}}},
    };
    for (const Case& c : cases) {
        Write("config.ini", c.config);
        Write("krn2.ini", c.krn);
        Screen(c.fullscreen ? 800 : 1024, c.fullscreen ? 600 : 768);
        ReadConfig();
        const GameConfig& g = GetConfig();
        const GameConfig& w = c.want;
        EXPECT_EQ(g.softmode, w.softmode) << c.name;
        EXPECT_EQ(g.level, w.level) << c.name;
        EXPECT_EQ(g.radarmode, w.radarmode) << c.name;
        EXPECT_EQ(g.radarlarge, w.radarlarge) << c.name;
        EXPECT_EQ(g.language, w.language) << c.name;
        EXPECT_EQ(g.multi, w.multi) << c.name;
        EXPECT_EQ(g.resolution, w.resolution) << c.name;
        EXPECT_EQ(g.exresolution, w.exresolution) << c.name;
        EXPECT_EQ(g.through, w.through) << c.name;
        EXPECT_EQ(g.cloud, w.cloud) << c.name;
        EXPECT_EQ(g.winlayout, w.winlayout) << c.name;
        EXPECT_EQ(g.cameramove, w.cameramove) << c.name;
        EXPECT_EQ(g.atcvolume, w.atcvolume) << c.name;
        EXPECT_EQ(g.bgmvolume, w.bgmvolume) << c.name;
        EXPECT_EQ(g.envvolume, w.envvolume) << c.name;
        EXPECT_EQ(g.dsound, w.dsound) << c.name;
    }
}

TEST_F(Config, DefaultPositionsForTwoScreens) {
    struct Case {
        int w, h, winlayout;
        POINT w1;
        LayoutSet set2, set3;
    };
    const Case cases[] = {
        // No [DISPLAYEX]: the docked window centred; floating, the 800 x 200 view above the
        // 800 x 400 main window, centred as a group; the large radar beside the main window.
        {1024,
         768,
         1,
         {109, 71},
         {{109, 284}, {109, 59}, 800, {}},
         {{0, 284}, {109, 59}, 800, {618, 284}}},
        {1600,
         1200,
         1,
         {397, 287},
         {{397, 500}, {397, 275}, 800, {}},
         {{194, 500}, {397, 275}, 800, {1000, 500}}},
        // Maximised: the view spans the screen (less the frame, a multiple of 4) above the main.
        {1024,
         768,
         2,
         {109, 71},
         {{109, 311}, {0, 32}, 1016, {}},
         {{0, 311}, {0, 32}, 1016, {618, 311}}},
        {1600,
         1200,
         2,
         {397, 287},
         {{397, 599}, {0, 176}, 1592, {}},
         {{194, 599}, {0, 176}, 1592, {1000, 599}}},
    };
    for (const Case& c : cases) {
        const DisplayLayout d = ReadDisplayLayout(Ini().c_str(), c.w, c.h, 6, 25, c.winlayout);
        const std::string at = std::to_string(c.w) + "x" + std::to_string(c.h) + " layout " +
                               std::to_string(c.winlayout);
        EXPECT_EQ(d.w1.x, c.w1.x) << at;
        EXPECT_EQ(d.w1.y, c.w1.y) << at;
        const LayoutSet* want[2] = {&c.set2, &c.set3};
        for (int s = 0; s < 2; ++s) {
            const LayoutSet& g = d.set[s];
            const LayoutSet& w = *want[s];
            EXPECT_EQ(g.main.x, w.main.x) << at << " set " << s + 2;
            EXPECT_EQ(g.main.y, w.main.y) << at << " set " << s + 2;
            EXPECT_EQ(g.view.x, w.view.x) << at << " set " << s + 2;
            EXPECT_EQ(g.view.y, w.view.y) << at << " set " << s + 2;
            EXPECT_EQ(g.viewcx, w.viewcx) << at << " set " << s + 2;
            if (s == 1) {
                EXPECT_EQ(g.radar.x, w.radar.x) << at;
                EXPECT_EQ(g.radar.y, w.radar.y) << at;
            }
        }
    }
}

TEST_F(Config, StoredPositionsInsideTheirRanges) {
    struct Case {
        const char* keys;
        int winlayout;
        int w1x, w1y, w2x, w2vx, w2vsx, w3rx;
    };
    // Defaults on 1024 x 768: w1 (109, 71), w2x 109, w2vx 109, w2vsx 800, w3rx 618.
    const Case cases[] = {
        {"w1x=-800\nw1y=-25\n", 1, 109, 71, 109, 109, 800, 618},  // at the range's ends: ignored
        {"w1x=-799\nw1y=-24\n", 1, -799, -24, 109, 109, 800, 618},
        {"w1x=1024\nw1y=768\n", 1, 109, 71, 109, 109, 800, 618},
        {"w1x=1023\nw1y=767\n", 1, 1023, 767, 109, 109, 800, 618},
        {"w1x=-32768\n", 1, 109, 71, 109, 109, 800, 618},   // not set
        {"w2vsx=300\n", 1, 109, 71, 109, 109, 400, 618},    // raised to 400
        {"w2vsx=5000\n", 1, 109, 71, 109, 109, 1016, 618},  // cut to the screen less the frame
        {"w2vsx=600\nw2vx=-599\n", 1, 109, 71, 109, -599, 600, 618},
        {"w2vsx=600\nw2vx=-600\n", 1, 109, 71, 109, 109, 600, 618},
        {"w3rx=-400\n", 1, 109, 71, 109, 109, 800, 618},
        {"w3rx=-399\n", 1, 109, 71, 109, 109, 800, -399},
        // The keys ending in m are read only with winlayout 2, the others only without.
        {"w2x=7\nw2xm=5\nw2vx=8\nw2vxm=6\nw3rx=9\nw3rxm=4\n", 1, 109, 71, 7, 8, 800, 9},
        {"w2x=7\nw2xm=5\nw2vx=8\nw2vxm=6\nw3rx=9\nw3rxm=4\n", 2, 109, 71, 5, 6, 1016, 4},
        {"w2vsx=600\n", 2, 109, 71, 109, 0, 1016, 618},  // no view width when maximised
    };
    for (const Case& c : cases) {
        Write("config.ini", std::string("[DISPLAYEX]\n") + c.keys);
        const DisplayLayout d = ReadDisplayLayout(Ini().c_str(), 1024, 768, 6, 25, c.winlayout);
        EXPECT_EQ(d.w1.x, c.w1x) << c.keys;
        EXPECT_EQ(d.w1.y, c.w1y) << c.keys;
        EXPECT_EQ(d.set[0].main.x, c.w2x) << c.keys;
        EXPECT_EQ(d.set[0].view.x, c.w2vx) << c.keys;
        EXPECT_EQ(d.set[0].viewcx, c.w2vsx) << c.keys;
        EXPECT_EQ(d.set[1].radar.x, c.w3rx) << c.keys;
    }
}

TEST_F(Config, OnlyPositionsThatDifferAreWrittenBack) {
    Write("config.ini", "[GAME]\nlevel=1\n[DISPLAYEX]\nw1x=100\n");
    DisplayLayout now = ReadDisplayLayout(Ini().c_str(), 1024, 768, 6, 25, 1);
    now.w1.y = 71;             // the default: not written
    now.set[0].main.y = 300;   // moved
    now.set[0].viewcx = 1000;  // widened
    now.set[1].radar.x = 618;  // the default
    now.set[1].view.y = 10;    // moved
    WriteDisplayLayout(Ini().c_str(), now, 1024, 768, 6, 25, 1);
    const std::vector<std::string> want{"w1x=100", "w2y=300", "w2vsx=1000", "w3vy=10"};
    EXPECT_EQ(Keys(), want);
    EXPECT_EQ(GetPrivateProfileIntA("GAME", "level", 0, Ini().c_str()), 1) << "the rest stays";

    // Written again unchanged: the file stays as it is.
    const std::string before = Read("config.ini");
    WriteDisplayLayout(Ini().c_str(), ReadDisplayLayout(Ini().c_str(), 1024, 768, 6, 25, 1), 1024,
                       768, 6, 25, 1);
    EXPECT_EQ(Read("config.ini"), before);

    // Maximised: the keys ending in m, and no view width.
    Write("config.ini", "");
    DisplayLayout max = ReadDisplayLayout(Ini().c_str(), 1024, 768, 6, 25, 2);
    max.set[0].main.x = 20;
    max.set[0].viewcx = 400;
    max.set[1].radar.y = 30;
    WriteDisplayLayout(Ini().c_str(), max, 1024, 768, 6, 25, 2);
    const std::vector<std::string> wantMax{"w2xm=20", "w3rym=30"};
    EXPECT_EQ(Keys(), wantMax);
}
