// The HUD on an 800 x 600 headless screen with the program folder's pictures and the headless
// sound output: score and stress as the traffic raises them, the counters, the gauge, the clock
// and wind, the banners and the pause screen, and the refresh mark.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "../base/screen_fixture.h"
#include "../base/game_fixture.h"
#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "world/world.h"
#include "wynbytes.h"

namespace {

// A short wave file of the mixer's own form (22050 Hz, 8-bit mono).
std::string Wave(int samples) {
    std::string d(size_t(samples), char(0xc0));
    std::string b = "RIFF";
    auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b.push_back(char(v >> (8 * i)));
    };
    put(uint32_t(36 + d.size()), 4);
    b += "WAVEfmt ";
    put(16, 4), put(1, 2), put(1, 2), put(22050, 4), put(22050, 4), put(1, 2), put(8, 2);
    b += "data";
    put(uint32_t(d.size()), 4);
    return b + d;
}

class Hud : public GameFolder {
  protected:
    void SetUp() override {
        GameFolder::SetUp();
        for (const char* data : {"etc", "se"})
            std::filesystem::create_symlink(std::string(WynPlat_ProgramDir()) + "/" + data,
                                            dir + "/" + data);
        // The music of a stage and of the results, a fifth of a second each.
        for (const char* name : {"TUNE", "CLEAR", "GAMEOVER", "NOT_CLEAR"})
            Write(std::string("music/") + name + ".wav", Wave(4410));
        WynPlat_SetVirtualClock(1);
        int failed = 0;
        ASSERT_EQ(TOV_Start2(nullptr, 4, &failed, 0), 1);
        screen_ = std::make_unique<GameScreen>(800, 600);
        ASSERT_NE(screen_->screen(), nullptr);
        aircraft_ = std::make_unique<AircraftTable>();
        std::memset(aircraft_.get(), 0, sizeof(AircraftTable));
        SetAircraftTable(aircraft_.get());
        Handles().stageoffset = 400;
        GetConfig() = GameConfig{};
        GetConfig().bgmvolume = 6;
        GetConfig().envvolume = 9;
        GetScenarioHeader() = ScenarioHeader{};
        std::snprintf(GetScenarioHeader().music, sizeof GetScenarioHeader().music, "TUNE");
        GetHud() = HudNumbers{};
        GetHud().stresslimit = 10;
        GetStageWeather() = StageWeather{};
        SetStageState(STAGE_PLAY);
        SetGamePhase(GAMEPHASE_RUNNING);
        LoadGameSounds();
        LoadHudPictures();
        PlaceHudSprites();
        while (TakeHudRefresh(&mark_)) {}
        cells_ = GetRegistryCounts().cells;
    }
    void TearDown() override {
        if (GetStageState() != STAGE_PLAY) ResumeGame();
        FreeHudPictures();
        StopBgm();
        FreeGameSounds();
        EXPECT_EQ(GetRegistryCounts().cells, 0) << "every picture freed";
        screen_.reset();
        SetAircraftTable(nullptr);
        TOV_End2();
    }
    HZEMSCREEN s() { return screen_->screen(); }
    void Pass(int ms) {
        for (int t = 0; t < ms; t += 10) {
            WynPlat_AdvanceClock(10000);
            TOV_Task();
        }
    }
    // A picture of the program folder, read afresh (freed by the caller's ZEM_DeleteCell).
    tagCELL Picture(const char* name) {
        tagCELL c{};
        EXPECT_EQ(UMBDLL_ReadUMB((GetProgramFolder() + std::string("etc\\") + name).c_str(), &c), 1)
            << name;
        return c;
    }
    static bool SameCell(const tagCELL& a, const tagCELL& b) {
        return a.xsize == b.xsize && a.ysize == b.ysize &&
               std::equal(a.bits, a.bits + size_t(a.xsize) * a.ysize, b.bits);
    }
    std::unique_ptr<GameScreen> screen_;
    std::unique_ptr<AircraftTable> aircraft_;
    RECT mark_{};
    int cells_ = 0;
};

TEST_F(Hud, AResponseBonusFallsWithTheWait) {
    struct Case {
        int wait, kind;
        uint32_t added;
    };
    // 100 while the wait is at most 160 ticks, 10 less every further 30, nothing from 430 on.
    const Case cases[] = {{0, 1, 100 + 50},  {160, 1, 100 + 50}, {161, 1, 90 + 50},
                          {190, 1, 90 + 50}, {191, 1, 80 + 50},  {429, 1, 10 + 50},
                          {430, 1, 0 + 50},  {5000, 1, 0 + 50},  {160, 0, 50},
                          {160, 2, 50}};
    for (const Case& c : cases) {
        (*aircraft_)[3].waitcount = c.wait;
        HudNumbers& h = GetHud();
        h.score = 1000;
        h.shownscore = 7;
        AddScore(3, 50, c.kind);
        EXPECT_EQ(h.score, 1000 + c.added) << "wait " << c.wait << " kind " << c.kind;
        EXPECT_EQ(h.shownscore, 1000u) << "the counter counts up from the old score";
    }
}

TEST_F(Hud, StressTimesTheMultiplierWithItsWarning) {
    struct Case {
        int plan;
        int amount;
        uint32_t added;
    };
    const Case cases[] = {{0x000, 5, 5},
                          {0x100, 5, 10},
                          {0x200, 5, 15},
                          {0xf00, 2, 32},
                          {0x12234, 3, 9}};  // bits 8-11 only
    for (const Case& c : cases) {
        (*aircraft_)[6].plan = c.plan;
        HudNumbers& h = GetHud();
        h.stress = 4;
        h.shownstress = 1;
        TOV_WaveStop(10);
        AddStress(6, c.amount);
        EXPECT_EQ(h.stress, 4 + c.added) << std::hex << c.plan;
        EXPECT_EQ(h.shownstress, 4u);
        EXPECT_NE(TOV_WaveStatus(10), 0) << "the warning plays";
    }
    // A scenario may mute the warning.
    GetScenarioHeader().flags = 1;
    TOV_WaveStop(10);
    AddStress(6, 1);
    EXPECT_EQ(TOV_WaveStatus(10), 0);
}

TEST_F(Hud, TheGaugeClimbsAFrameAtATimeAndEndsTheStageAtTheLimit) {
    struct Case {
        uint32_t limit;
        int frames;  // frames until the stage ends
    };
    const Case cases[] = {{10, 10}, {0, 10}, {4, 4}};  // a limit of 0 stands for 10
    const tagCELL gauge = Picture("stress.umz");
    const int half = gauge.xsize / 2;
    for (const Case& c : cases) {
        ResumeGame();
        SetStageState(STAGE_PLAY);
        HudNumbers& h = GetHud();
        h.stresslimit = c.limit;
        h.stress = h.shownstress = 0;
        AddStress(0, 25);  // jumps past the limit at once
        const uint32_t limit = c.limit ? c.limit : 10;
        for (int f = 1; f <= c.frames; ++f) {
            ASSERT_EQ(GetStageState(), STAGE_PLAY) << c.limit << " frame " << f;
            StressMain();
            EXPECT_EQ(h.shownstress, uint32_t(f));
            ASSERT_TRUE(TakeHudRefresh(&mark_));
            const RECT gaugeRect{332, 536, 468, 548};
            EXPECT_TRUE(EqualRect(&mark_, &gaugeRect));
            // The window of the picture: its full left half slides in from the right.
            const int x0 = half - int(std::min(h.shownstress, limit)) * half / int(limit);
            ReferenceScreen ref(800, 600);
            const RECT src{x0, 0, x0 + half, gauge.ysize};
            ZEM_DisplayScreen(ref.screen(), 332, 536, &gauge, &src, gauge.mask);
            std::string where;
            EXPECT_EQ(Differences(*screen_, ref, RECT{332, 536, 468, 548}, &where), 0)
                << c.limit << " frame " << f << " at " << where;
        }
        EXPECT_EQ(GetStageState(), STAGE_STRESSFULL) << c.limit;
        // Past the limit the gauge stays full.
        for (int f = 0; f < 30; ++f) StressMain();
        EXPECT_EQ(h.shownstress, 25u);
        for (int x = 332; x < 332 + half; ++x)
            ASSERT_EQ(screen_->Px(x, 540), gauge.bits[4 * gauge.xsize + x - 332]) << x;
    }
    // Reached while paused: the stage ends as soon as play resumes, above the limit too.
    ResumeGame();
    GetHud().stresslimit = 10;
    GetHud().stress = 12;
    GetHud().shownstress = 0;
    ShowPauseScreen();
    for (int f = 0; f < 12; ++f) StressMain();
    EXPECT_EQ(GetStageState(), STAGE_PAUSED);
    ResumeGame();
    StressMain();
    EXPECT_EQ(GetStageState(), STAGE_STRESSFULL);
    tagCELL g = gauge;
    ZEM_DeleteCell(&g);
}

TEST_F(Hud, TheScoreCounterCountsFourATickUpToTheScore) {
    HudNumbers& h = GetHud();
    h.score = 10;
    struct Step {
        int ticks;
        uint32_t shown;
        bool marked;
    };
    const Step steps[] = {{1, 4, true}, {0, 4, true}, {1, 8, true}, {1, 10, true}, {5, 10, false}};
    for (const Step& st : steps) {
        DrawScoreCounter(st.ticks);
        EXPECT_EQ(h.shownscore, st.shown) << st.ticks;
        EXPECT_EQ(TakeHudRefresh(&mark_) == 1, st.marked) << st.shown;
        if (st.marked) {
            const RECT counter{340, 488, 460, 522};
            EXPECT_TRUE(EqualRect(&mark_, &counter));
        }
    }
    // The digits from the right, the last at x 440, on the counter's clean background.
    h.score = h.shownscore = 1207;
    DrawScoreCounter(1);
    const tagCELL digits = Picture("scorenum.umz");
    ReferenceScreen ref(800, 600);
    const int gw = digits.xpos;
    const int shown[] = {7, 0, 2, 1};
    for (int i = 0; i < 4; ++i) {
        const RECT glyph{gw * shown[i], 0, gw * (shown[i] + 1), digits.ypos};
        ZEM_DisplayScreen(ref.screen(), 440 - gw * i, 488, &digits, &glyph, digits.mask);
    }
    std::string where;
    EXPECT_EQ(Differences(*screen_, ref, RECT{300, 480, 470, 530}, &where), 0) << where;
    // A score of 0 shows one digit.
    h.score = h.shownscore = 0;
    DrawScoreCounter(1);
    ReferenceScreen zero(800, 600);
    const RECT glyph0{0, 0, gw, digits.ypos};
    ZEM_DisplayScreen(zero.screen(), 440, 488, &digits, &glyph0, digits.mask);
    EXPECT_EQ(Differences(*screen_, zero, RECT{300, 480, 470, 530}, &where), 0) << where;
    tagCELL d = digits;
    ZEM_DeleteCell(&d);
}

TEST_F(Hud, TheClockHandsAreTurnedCopiesOfTheirFrames) {
    SetupClock(930, 2);
    tagCELL want = Picture("timerndl.umz");
    // The stage's hours (9 and 10) marked on the background, then the hands at 9:30.
    ReferenceScreen marks(800, 600);
    const RECT mark{350, 0, 420, 70};
    for (int hour : {9, 10}) {
        ZEM_RollCell(&want, 384, 34, 174, 34, 32, hour * 30);
        ZEM_DisplayScreen(marks.screen(), 330, 408, &want, &mark, want.mask);
    }
    ZEM_RollCell(&want, 244, 34, 34, 34, 32, 30 * 6);
    ZEM_RollCell(&want, 314, 34, 104, 34, 32, 9 * 30 + 15);
    EXPECT_TRUE(SameCell(*GetClockCell(), want));
    int differ = 0;
    for (int y = 408; y < 478; ++y)
        for (int x = 330; x < 400; ++x) differ += screen_->Px(800 + x, y) != marks.Px(x, y);
    EXPECT_EQ(differ, 0) << "the hour marks on the background half";
    // On the screen: the hands over the marks once the frame's erase brought them back.
    DrawSprites(s());
    EraseSprites(s());
    DrawSprites(s());
    const RECT minute{210, 0, 280, 70}, hour{280, 0, 350, 70};
    ZEM_DisplayScreen(marks.screen(), 330, 408, &want, &hour, want.mask);
    ZEM_DisplayScreen(marks.screen(), 330, 408, &want, &minute, want.mask);
    std::string where;
    EXPECT_EQ(Differences(*screen_, marks, RECT{330, 408, 400, 478}, &where), 0) << where;
    // The timetable turns them minute by minute.
    TurnClockHands(1047);
    ZEM_RollCell(&want, 244, 34, 34, 34, 32, 47 * 6);
    ZEM_RollCell(&want, 314, 34, 104, 34, 32, 10 * 30 + 23);
    EXPECT_TRUE(SameCell(*GetClockCell(), want));
    EXPECT_EQ(s()->sprite[kSpriteMinuteHand].pattern, 3);
    EXPECT_EQ(s()->sprite[kSpriteHourHand].pattern, 4);
    ZEM_DeleteCell(&want);
}

TEST_F(Hud, TheWindShowsTwoDigitsAndTheTurnedNeedle) {
    struct Case {
        int speed, dir;
        int tens, units;
    };
    const Case cases[] = {
        {12, 90, 1, 2}, {7, 200, 0, 7}, {99, 0, 9, 9}, {150, 45, 9, 9}, {-3, 300, 0, 0}};
    tagCELL want = Picture("windndl.umz");
    for (const Case& c : cases) {
        GetStageWeather().windspeed = c.speed;
        GetStageWeather().winddir = c.dir;
        DrawWindIndicator();
        EXPECT_EQ(s()->sprite[kSpriteWindTens].pattern, c.tens) << c.speed;
        EXPECT_EQ(s()->sprite[kSpriteWindUnits].pattern, c.units) << c.speed;
        EXPECT_EQ(s()->sprite[kSpriteWindNeedle].pattern, 1);
        ZEM_RollCell(&want, 102, 34, 34, 34, 32, c.dir);
        EXPECT_TRUE(SameCell(GetStageCells().windndl, want)) << c.dir;
    }
    ZEM_DeleteCell(&want);
}

TEST_F(Hud, TheStartBannerCounts30TicksWithTheStagesMusic) {
    struct Case {
        int ticks, calls;
    };
    const Case cases[] = {{1, 29}, {3, 10}, {30, 1}};
    for (const Case& c : cases) {
        ShowStageResult(STAGE_START);
        EXPECT_EQ(GetStageState(), STAGE_START);
        EXPECT_LT(TOV_WaveStatus(13), 0) << "the stage's music, looping";
        EXPECT_EQ(TOV_WaveGetLocalVol(13), 6);
        for (int k = 1; k < c.calls; ++k) {
            StageBannerMain(c.ticks);
            ASSERT_EQ(GetStageState(), STAGE_START) << c.ticks << " call " << k;
        }
        StageBannerMain(c.ticks);
        EXPECT_EQ(GetStageState(), STAGE_PLAY) << c.ticks;
        // The panoramic view comes back.
        EXPECT_STREQ(GetCameraCaption(), "PANORAMIC CAM");
        EXPECT_EQ(s()->sprite[kSpriteBanner].cell, nullptr) << "no picture";
    }
}

TEST_F(Hud, ResultBannersSlideInAndStayUntilTheirMusicEnds) {
    struct Case {
        int kind;
        const char* picture;
        int speed;
        bool panel;
    };
    const Case cases[] = {{STAGE_CLEAR, "stageclear.umz", 16, true},
                          {STAGE_NEARMISS, "nearmiss.umz", 48, false},
                          {STAGE_NOTCLEAR, "timeover.umz", 48, true},
                          {STAGE_STRESSFULL, "stressfull.umz", 48, false},
                          {STAGE_HEADON, "headon.umz", 48, false}};
    for (const Case& c : cases) {
        ResumeGame();
        SetGamePhase(GAMEPHASE_RUNNING);
        HudNumbers& h = GetHud();
        h.score = 1234;
        h.bonus = 500;
        ShowStageResult(c.kind);
        EXPECT_EQ(GetStageState(), c.kind);
        EXPECT_NE(TOV_WaveStatus(9), 0) << "the jingle";
        EXPECT_EQ(TOV_WaveStatus(13), 1) << "the result music, once";
        EXPECT_EQ(TOV_WaveGetLocalVol(13), 15);
        // The picture, with the score panel drawn into it for the results of a full stage.
        tagCELL want = Picture(c.picture);
        if (c.panel) {
            tagCELL small = Picture("score_s.umz"), large = Picture("score_l.umz");
            DrawNumberCell(&want, &small, 652, 40, "  1234", 0);
            DrawNumberCell(&want, &small, 652, 88, "   500", 0);
            DrawNumberCell(&want, &large, 604, 136, "  1734", 0);
            ZEM_DeleteCell(&small);
            ZEM_DeleteCell(&large);
        }
        const tagZEMSPRITE& banner = s()->sprite[kSpriteBanner];
        ASSERT_NE(banner.cell, nullptr) << c.picture;
        EXPECT_TRUE(SameCell(*banner.cell, want)) << c.picture;
        ZEM_DeleteCell(&want);
        EXPECT_EQ(banner.x, -800);
        EXPECT_EQ(banner.y, 400);
        EXPECT_EQ(banner.z, 100);
        // Slides in by its speed a tick and stops at 0.
        StageBannerMain(1);
        EXPECT_EQ(banner.x, -800 + c.speed);
        StageBannerMain(2);
        EXPECT_EQ(banner.x, -800 + 3 * c.speed);
        StageBannerMain(100);
        EXPECT_EQ(banner.x, 0);
        EXPECT_EQ(GetGamePhase(), GAMEPHASE_RUNNING) << "the music still plays";
        Pass(400);
        EXPECT_EQ(GetGamePhase(), GAMEPHASE_RUNNING) << "asked only by the banner's step";
        StageBannerMain(1);
        EXPECT_EQ(GetGamePhase(), GAMEPHASE_EXIT) << c.picture;
    }
    // A slow frame: the music ends before the slide is done, and the stage still waits for
    // nothing more than the music.
    ResumeGame();
    SetGamePhase(GAMEPHASE_RUNNING);
    ShowStageResult(STAGE_CLEAR);
    Pass(400);
    StageBannerMain(1);
    EXPECT_EQ(GetGamePhase(), GAMEPHASE_EXIT);
    EXPECT_EQ(s()->sprite[kSpriteBanner].x, -784);
}

TEST_F(Hud, ThePauseScreenShowsItsPictureAndButtonsOverTheStripBoard) {
    // The HUD's own sprites hidden, so that only the pause screen's are composed.
    for (int n = kSpriteWindNeedle; n <= kSpriteHourHand; ++n)
        ZEM_SetSprite(s(), n, -1, -1, 0, -1, -1);
    for (int n = 0; n < 4; ++n) ZEM_SetSprite(s(), kSpriteButton + n, -1, -1, 0, -1, -1);
    TOV_WavePlay(14, GetInterfaceWave(SE_PRINT), -1, 0);
    ShowPauseScreen();
    EXPECT_EQ(GetStageState(), STAGE_PAUSED);
    EraseSprites(s());
    DrawSprites(s());
    // The window shows pause2 at (0, 400) and the two buttons at (332, 500), over the HUD's
    // sprites; the radio row is paused.
    tagCELL pause = Picture("pause2.umz"), buttons = Picture("pausebtn2.umz");
    const std::vector<ZEMPIXEL> shown = screen_->Shown();
    ReferenceScreen ref(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) ref.Px(x, y) = screen_->Px(800 + x, y);
    ZEM_DisplayScreen(ref.screen(), 0, 400, &pause, nullptr, pause.mask);
    const RECT resume{0, 0, buttons.xpos, buttons.ypos};
    const RECT quit{buttons.xpos, 0, 2 * buttons.xpos, buttons.ypos};
    ZEM_DisplayScreen(ref.screen(), 332, 500, &buttons, &resume, buttons.mask);
    ZEM_DisplayScreen(ref.screen(), 332, 500, &buttons, &quit, buttons.mask);
    int differ = 0;
    std::string where;
    for (int y = 400; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (shown[size_t(y) * 800 + x] != ref.Px(x, y) && differ++ == 0)
                where = std::to_string(x) + "," + std::to_string(y);
    EXPECT_EQ(differ, 0) << "first at " << where;
    // Each button is hit where it is opaque.
    EXPECT_EQ(ZEM_HitSprite(s(), 332 + 32, 500 + 24, 1), kSpriteResume);
    EXPECT_EQ(ZEM_HitSprite(s(), 332 + 104, 500 + 24, 1), kSpriteQuit);
    Pass(500);
    EXPECT_LT(TOV_WaveStatus(14), 0) << "still there, paused";
    // Resumed: the pause screen's sprites and pictures are gone, the world runs again.
    ResumeGame();
    EXPECT_EQ(GetStageState(), STAGE_PLAY);
    for (int n : {kSpriteBanner, kSpriteResume, kSpriteQuit})
        EXPECT_EQ(s()->sprite[n].cell, nullptr) << n;
    EXPECT_EQ(GetRegistryCounts().cells, cells_);
    EraseSprites(s());
    DrawSprites(s());
    const std::vector<ZEMPIXEL> after = screen_->Shown();
    EXPECT_EQ(after[size_t(450) * 800 + 10], screen_->Px(810, 450)) << "the board again";
    TOV_WaveStop(14);
    ZEM_DeleteCell(&pause);
    ZEM_DeleteCell(&buttons);
}

TEST_F(Hud, TheRefreshMarkMergesWhatOverlaps) {
    const RECT a{10, 10, 20, 20}, b{15, 15, 30, 30}, c{100, 100, 110, 110}, none{5, 5, 5, 9};
    AddRefreshRect(&a);
    AddRefreshRect(&none);
    AddRefreshRect(&c);
    AddRefreshRect(&b);
    std::vector<RECT> taken;
    for (RECT r; TakeHudRefresh(&r);) taken.push_back(r);
    ASSERT_EQ(taken.size(), 2u);
    const RECT ab{10, 10, 30, 30};
    EXPECT_TRUE(EqualRect(&taken[0], &ab) || EqualRect(&taken[1], &ab));
    EXPECT_TRUE(EqualRect(&taken[0], &c) || EqualRect(&taken[1], &c));
    // More apart than the mark holds: the last ones join, none is lost.
    for (int i = 0; i < 20; ++i) {
        const RECT r{i * 20, 0, i * 20 + 10, 10};
        AddRefreshRect(&r);
    }
    RECT all{0, 0, 0, 0};
    int n = 0;
    for (RECT r; TakeHudRefresh(&r); ++n) UnionRect(&all, &all, &r);
    EXPECT_LE(n, 8);
    const RECT whole{0, 0, 390, 10};
    EXPECT_TRUE(EqualRect(&all, &whole));
}

}  // namespace
