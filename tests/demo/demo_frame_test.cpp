// The demo frame's pieces on their own: the command line and its hand-back, the view for the
// engine's emulation setting, the frame-rate line, colour words, the random table, the demos'
// clouds and the snow over an engine record without drivers.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../krnlayer/layer_fixture.h"
#include "demo.h"
#include "demo_internal.h"
#include "standby_client.h"
#include "wynplat.h"

namespace {

struct CommandCase {
    const char* line;
    int scene;  // DemoSceneIndex of the first character
    int back;   // DemoHandBack's result
    const char* program;
    const char* arguments;
};
const CommandCase kCommands[] = {
    {"0", 0, 0, "", ""},
    {"0x", 0, 0, "", ""},
    {"3 TITLE", 3, 1, "vsk33.exe", "TITLE"},
    {"5 @wyndemoc", 5, 1, "wyndemoc", ""},
    {"9 X", -1, 1, "vsk33.exe", "X"},
    {"", -1, 0, "", ""},
    {"1 ", 1, 0, "", ""},
    {"2 two words", 2, 1, "vsk33.exe", "two words"},
    {"0 @", 0, 1, "", ""},
    {" x", -1, 0, "", ""},
    {"  x", -1, 1, "vsk33.exe", "x"},
};

TEST(DemoCommandLine, PicksTheSceneAndTheHandBack) {
    for (const CommandCase& c : kCommands) {
        const DemoCommand cmd = DemoParseCommand(c.line);
        EXPECT_EQ(DemoSceneIndex(cmd.scene), c.scene) << "'" << c.line << "'";
        char program[DEMO_COMMAND_MAX + 1], arguments[DEMO_COMMAND_MAX + 1];
        const int back = DemoHandBack(cmd.command, program, arguments);
        EXPECT_EQ(back, c.back) << "'" << c.line << "'";
        EXPECT_STREQ(program, c.program) << "'" << c.line << "'";
        EXPECT_STREQ(arguments, c.arguments) << "'" << c.line << "'";
        EXPECT_EQ(cmd.toolong, 0) << "'" << c.line << "'";
    }
    EXPECT_EQ(DemoParseCommand(nullptr).scene, 0);
    for (char d = '0'; d <= '5'; ++d) EXPECT_EQ(DemoSceneIndex(d), d - '0');
    for (char d : {'6', '/', 'a', '\0'}) EXPECT_EQ(DemoSceneIndex(d), -1) << int(d);
}

TEST(DemoCommandLine, ALongReturnLineIsKeptTo255AndTheClientRefusesIt) {
    for (const std::string& head : {std::string("0 "), std::string("0 @")}) {
        const std::string line = head + std::string(300, 'w');
        const DemoCommand cmd = DemoParseCommand(line.c_str());
        EXPECT_EQ(std::strlen(cmd.command), 255u);
        EXPECT_EQ(cmd.toolong, 1);
        char program[DEMO_COMMAND_MAX + 1], arguments[DEMO_COMMAND_MAX + 1];
        ASSERT_EQ(DemoHandBack(cmd.command, program, arguments), 1);
        // The stand-by client cannot carry the cut line either: it refuses, nothing starts.
        char out[STANDBY_LINE_MAX + 1];
        EXPECT_EQ(StandBy_FormatCommand(program, arguments, out, sizeof out), 0) << head;
    }
    // The longest line that fits is kept whole.
    const std::string fits = "0 " + std::string(255, 'a');
    EXPECT_EQ(DemoParseCommand(fits.c_str()).toolong, 0);
}

TEST(DemoFrame, EmulationValueChoosesTheView) {
    struct Case {
        const char* value;
        int emu;
        RECT view;
    };
    const Case cases[] = {
        {"hard", 0, {80, 60, 720, 540}},  {"soft", 1, {80, 60, 320, 220}},
        {"HARD", 1, {80, 60, 320, 220}},  {"", 1, {80, 60, 320, 220}},
        {"hard ", 1, {80, 60, 320, 220}}, {nullptr, 1, {80, 60, 320, 220}},
    };
    for (const Case& c : cases) {
        RECT r{};
        EXPECT_EQ(DemoViewRect(c.value, &r), c.emu) << (c.value ? c.value : "null");
        EXPECT_EQ(r.left, c.view.left);
        EXPECT_EQ(r.top, c.view.top);
        EXPECT_EQ(r.right, c.view.right) << (c.value ? c.value : "null");
        EXPECT_EQ(r.bottom, c.view.bottom) << (c.value ? c.value : "null");
    }
}

// A UTF-8 literal (the sources' plain literals are Shift-JIS at run time).
std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

std::string Utf8(const char* sjis) {
    char out[512];
    WynPlat_ToUtf8(sjis, 932, out, sizeof out);
    return out;
}

TEST(DemoFrame, FrameRateLineTakesTheLastFrameAndCountsZeroAsOne) {
    setenv("WYN_LANG", "en", 1);
    char line[128];
    struct Case {
        int count, chips;
        const char* text;
    };
    const Case cases[] = {
        {1, 0, "    Korrin-3D Real Time Rendering...FrameRate : 1000(   0)    "},
        {0, 12, "    Korrin-3D Real Time Rendering...FrameRate : 1000(  12)    "},
        {11, 4321, "    Korrin-3D Real Time Rendering...FrameRate : 90(4321)    "},
        {250, 7, "    Korrin-3D Real Time Rendering...FrameRate :  4(   7)    "},
    };
    for (const Case& c : cases) {
        DemoFrameRateText(c.count, c.chips, line, sizeof line);
        EXPECT_STREQ(line, c.text) << c.count;
    }
    setenv("WYN_LANG", "ja", 1);
    DemoFrameRateText(20, 3000, line, sizeof line);
    EXPECT_EQ(Utf8(line), U8(u8"Korrin-3D が リアルタイムに描画中...FrameRate : 50(3000)    "));
    unsetenv("WYN_LANG");
}

TEST(DemoFrame, ColourWordsRoundEachChannel) {
    EXPECT_EQ(DemoColour(100, 100, 100), 0x646464u);
    EXPECT_EQ(DemoColour(0.5, 1.49, 254.5), 0xFF0101u);  // B x 65536 + G x 256 + R
    EXPECT_EQ(DemoColour(12.4, 0, 0), 12u);
    EXPECT_EQ(DemoColour(-3, 300, 0), 0x00FF00u) << "channels stay within a byte";
}

// ---- random table ----

TEST(DemoRandom, FreshProgramReadsTheStandardSequenceRoundAndRound) {
    DemoResetRandom();
    // Before any InitRndom the table is filled first.
    const int first[] = {16838, 5758, 10113, 17515, 31051};
    for (int v : first) EXPECT_EQ(rand2(), v);
    for (int i = 5; i < 1000; ++i) {
        const int v = rand2();
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 32767);
    }
    EXPECT_EQ(rand2(), 16838) << "the 1001st value is the first again";
    InitRndom(0);
    EXPECT_EQ(rand2(), 16838) << "InitRndom(0) rewinds";
    EXPECT_EQ(rand2(), 5758);
    // A second fill takes the generator's next 1000 values.
    InitRndom(1);
    EXPECT_NE(rand2(), 16838);
    DemoResetRandom();
    InitRndom(1);
    EXPECT_EQ(rand2(), 16838) << "two programs make the same table";
}

// ---- clouds and snow over an engine record without drivers ----

class DemoWeather : public krnltest::LayerCase {
  protected:
    DemoWeather() : LayerCase(6000) {
        DemoResetRandom();
        InitRndom(1);
    }
};

std::string TextureOf(const tagKRNCHIP& c) {
    return c.htex ? reinterpret_cast<const tagKRNTEXTURE*>(c.htex)->file : "";
}

TEST_F(DemoWeather, CloudsOfTheTimeLapseScene) {
    tagKRNL* cloud =
        MakeAutoCloud(master, 3000, 200, 2000, 500, 2000, "etc\\", 1, 0, &kDemoCloudStyle);
    ASSERT_NE(cloud, nullptr);
    EXPECT_STREQ(cloud->name, "AutoCloud");
    ASSERT_EQ(cloud->layer, 2);
    const tagKRNL* sub = cloud->child[0];
    const tagKRNL* add = cloud->child[1];
    EXPECT_STREQ(sub->name, "Sub");
    EXPECT_EQ(sub->no, 3000);
    EXPECT_EQ(sub->count, 200);
    EXPECT_STREQ(add->name, "Add");
    EXPECT_EQ(add->no, 3200);
    EXPECT_EQ(add->count, 200);
    // Cloud 0 at x 4838, z -6242, height 1981 (1980.85 rounded to the nearest).
    for (int slot : {3000, 3200}) {
        EXPECT_EQ(Chip(slot).v[0].x, 4838 - 1000) << slot;
        EXPECT_EQ(Chip(slot).v[1].x, 4838) << slot;
        EXPECT_EQ(Chip(slot).v[0].y, 1981) << slot;
        EXPECT_EQ(Chip(slot).v[1].y, 1981 + 2000) << slot;
        EXPECT_EQ(Chip(slot).v[0].z, -6242) << slot;
    }
    EXPECT_EQ(TextureOf(Chip(3000)), "cloud00s.bmp");
    EXPECT_EQ(TextureOf(Chip(3200)), "cloud00.bmp");
    EXPECT_EQ(Chip(3400).mode, 0) << "nothing past the plain clouds";
}

TEST(DemoSnow, CalcSnowPosWrapsIntoTheClosedBand) {
    struct Case {
        double w, p, c, out;
    };
    const Case cases[] = {
        {50, 30, 0, -20},  {50, 25, 0, 25},      {50, -26, 0, 24},     {50, -25, 0, -25},
        {50, 130, 0, -20}, {100, 250, 240, 250}, {100, 120, 300, 320}, {50, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(CalcSnowPos(c.w, c.p, c.c), c.out) << c.w << " " << c.p << " " << c.c;
}

TEST(DemoSnow, FlakeSizeByDistanceAndTheBoxCorner) {
    struct Case {
        double d, h;
    };
    const Case cases[] = {{0, 0}, {15, 1.4}, {25, 1.0}, {50, 0}, {60, -0.4}, {10, 0.92}};
    for (const Case& c : cases) EXPECT_NEAR(DemoSnowSize(c.d), c.h, 1e-9) << c.d;
    struct Box {
        tagKRN3D camera, corner;
    };
    const Box boxes[] = {
        {{130, 260, -70, 0}, {100, 200, -50, 0}},
        {{49.6, 99.5, -24.4, 0}, {50, 100, 0, 0}},
        {{-120, -250, 0, 0}, {-100, -200, 0, 0}},
    };
    for (const Box& b : boxes) {
        tagKRN3D c;
        DemoSnowBox(&b.camera, &c);
        EXPECT_EQ(c.x, b.corner.x) << b.camera.x;
        EXPECT_EQ(c.y, b.corner.y) << b.camera.y;
        EXPECT_EQ(c.z, b.corner.z) << b.camera.z;
    }
}

TEST_F(DemoWeather, FirstSnowOfARun) {
    WynPlat_SetVirtualClock(1);
    tagKRNL* snow = MakeAutoSnow(master, 4800, 200, "etc\\snow.bmp");
    ASSERT_NE(snow, nullptr);
    EXPECT_STREQ(snow->name, "AutoSnow");
    EXPECT_EQ(snow->no, 4800);
    EXPECT_EQ(snow->count, 200);
    const double* o = DemoSnowOffset(0);
    EXPECT_EQ(o[0], 13);
    EXPECT_EQ(o[1], 8);
    EXPECT_EQ(o[2], -12);
    for (int i = 0; i < 200; ++i) {
        const double* f = DemoSnowOffset(i);
        ASSERT_TRUE(f[0] >= -25 && f[0] < 25 && f[1] >= -50 && f[1] < 50 && f[2] >= -25 &&
                    f[2] < 25)
            << i;
    }
    // Alpha, no depth writes, billboard kind 12, unshaded.
    EXPECT_EQ(snow->alpha, 1);
    EXPECT_EQ(snow->znowrite, 1);
    EXPECT_EQ(snow->billboard, 12);
    for (int i = 0; i < 200; ++i) {
        const tagKRNCHIP& c = snow->lpchip[i];
        ASSERT_EQ(c.mode, KRNCHIP_SHOW) << i;
        ASSERT_TRUE(c.flags & KRNCHIP_UNSHADED) << i;
        ASSERT_EQ(TextureOf(c), "snow.bmp") << i;
        ASSERT_EQ(c.n[0].z, 1) << i;
        ASSERT_EQ(c.x[1], 0.5) << i;
    }
    EXPECT_EQ(Chip(4799).mode, 0);

    // Around a camera, right after the snow was made (it has barely fallen).
    const tagKRN3D camera{130, 260, -70, 0};
    SetSnowCamera(snow, &camera, 150);
    for (int i = 0; i < 200; ++i) {
        const tagKRNCHIP& c = snow->lpchip[i];
        ASSERT_EQ(c.mode, i < 150 ? KRNCHIP_SHOW : KRNCHIP_FREE) << i;
        const double x = c.v[0].x, z = c.v[0].z;
        const double y = (c.v[1].y + c.v[0].y) / 2;  // top y + h, bottom y - h
        ASSERT_LE(std::abs(x - camera.x), 25.0) << i;
        ASSERT_LE(std::abs(z - camera.z), 25.0) << i;
        ASSERT_LE(std::abs(y - camera.y), 50.0) << i;
    }
    // Flake 0 sits at the box corner (100, 200, -50) plus its offset, wrapped round the camera.
    const tagKRNCHIP& f0 = snow->lpchip[0];
    EXPECT_EQ(f0.v[0].x, CalcSnowPos(50, 100 + 13, 130));
    EXPECT_EQ(f0.v[0].z, CalcSnowPos(50, -50 - 12, -70));
    EXPECT_EQ(snow->recalc, 1);
    // Ten seconds later every flake fell 50 units (the fall wraps at the box's height).
    const double before = (f0.v[0].y + f0.v[1].y) / 2;
    WynPlat_AdvanceClock(10'000'000);
    SetSnowCamera(snow, &camera, 200);
    const double fell = before - (f0.v[0].y + f0.v[1].y) / 2;
    EXPECT_TRUE(std::abs(fell - 50) < 0.5 || std::abs(fell + 50) < 0.5) << fell;
    WynPlat_SetVirtualClock(0);
}

TEST_F(DemoWeather, SnowCountIsCutAndATakenNameGivesNoLayer) {
    tagKRNL* snow = MakeAutoSnow(master, 100, 300, "etc\\snow.bmp");
    ASSERT_NE(snow, nullptr);
    EXPECT_EQ(snow->count, 200) << "rSNOWPOS holds 200 flakes";
    EXPECT_EQ(Chip(300).mode, 0);
    // The name is taken now: no layer, no chip written.
    EXPECT_EQ(MakeAutoSnow(master, 1000, 10, "etc\\snow.bmp"), nullptr);
    EXPECT_EQ(Chip(1000).mode, 0);
    EXPECT_EQ(MakeAutoSnow(nullptr, 1000, 10, "etc\\snow.bmp"), nullptr);
    const tagKRN3D camera{0, 0, 0, 0};
    SetSnowCamera(nullptr, &camera, 10);  // skipped
    // The clouds skip as well when their name is taken.
    ASSERT_NE(KRNL_CreateLayer(master, "AutoCloud"), nullptr);
    EXPECT_EQ(MakeAutoCloud(master, 3000, 200, 2000, 500, 2000, "etc\\", 1, 0, &kDemoCloudStyle),
              nullptr);
    EXPECT_EQ(Chip(3000).mode, 0);
}

}  // namespace
