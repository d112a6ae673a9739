// Keyboard and mouse: the keys the game takes and those it leaves, pause and camera keys, the
// wheel's walk through the strips, clicks on strips, the empty board, the buttons and the menu,
// the right click, and the hover looks.
#include <cstring>
#include <vector>

#include "controller_fixture.h"

namespace {

using ctltest::Text;

class Input : public ctltest::Stage {
  protected:
    Input() {
        in().keycode = 0;
        SetCameraModeNumber(0);
        ObjectRecord& airport = O(kObjectAirport);
        airport.used = 1;
        // The layout keys set the view port of an engine that has no driver here.
        SetViewPortHook([](const RECT&) { return 1; });
    }
    ~Input() override { SetViewPortHook(nullptr); }
    static GameInput& in() { return GetGameInput(); }
    // An aircraft with a strip settled in strip slot `s` (they are taken in order).
    AircraftRecord& OnStrip(int slot, int32_t strip = 0x100) {
        AircraftRecord& a = Plane(slot);
        a.strip = strip;
        DrawStrip(slot);
        HZEMSCREEN s = Screen();
        ZEM_SetSprite(s, kSpriteStrip + a.stripslot, 0, 428 + 32 * a.stripslot % 160, 5,
                      a.stripslot * 100, -1);
        return a;
    }
    // A left click at (x, y) of the main window, handled by the frame's input step.
    void Click(int x, int y) {
        in().lbutton = 1;
        in().lbx = x;
        in().lby = y;
        DrawSprites(Screen());  // the hit test looks at the sprites drawn last
        MouseCommand();
    }
    void ClickSprite(int n) {
        const tagZEMSPRITE& s = Sprite(n);
        Click(s.x + 2, s.y + 2);
    }
    void Key(int vk) {
        in().keycode = vk;
        KeyCommand();
    }
    void Wheel(int delta) {
        in().wheel = delta;
        MouseCommand();
    }
};

TEST_F(Input, TheGamesKeysAreTakenOthersStay) {
    struct Case {
        int key;
        bool taken;
    };
    const Case cases[] = {{0x0d, true}, {'Q', true},  {0x10, true}, {' ', true},   {'1', true},
                          {'8', true},  {'O', true},  {'P', true},  {'R', true},   {'W', true},
                          {'D', true},  {'9', false}, {'A', false}, {0x1b, false}, {'0', false}};
    for (const Case& c : cases) {
        SetStageState(0x6f);  // under a banner nothing happens, but the key is still taken
        Key(c.key);
        EXPECT_EQ(in().keycode, c.taken ? 0 : c.key) << c.key;
    }
    SetStageState(STAGE_PLAY);
    EXPECT_EQ(GetStageOffset(), 400) << "floated and docked again";
    DestroyRadarWindow();  // R read the radar's picture
}

TEST_F(Input, EnterPausesAndResumesButNotUnderABanner) {
    Key(0x0d);
    EXPECT_EQ(GetStageState(), STAGE_PAUSED);
    Key('Q');
    EXPECT_EQ(GetStageState(), STAGE_PLAY);
    SetStageState(STAGE_CLEAR);
    Key(0x0d);
    EXPECT_EQ(GetStageState(), STAGE_CLEAR);
    SetStageState(STAGE_PLAY);
}

TEST_F(Input, CameraKeysRadarKeysAndThrough) {
    OnStrip(3);
    ClickSprite(kSpriteStrip + A(3).stripslot);
    ASSERT_EQ(GetSelectedAircraft(), 3);
    struct Case {
        int key, mode;
        const char* caption;
    };
    // Each key sets its mode on the real cameras, following the selected aircraft.
    for (const Case& c :
         {Case{'1', 2, "JAL-0123 RWY34L CAM"}, Case{'8', 9, "JAL-0123 BIRDEYE CAM"},
          Case{'O', 0, "JAL-0123 CAM"}, Case{'P', 1, "JAL-0123 HANEDA TOWER CAM"}}) {
        Key(c.key);
        EXPECT_EQ(GetCameraModeNumber(), c.mode) << char(c.key);
        EXPECT_EQ(GetCameraRecord().object, 3);
        EXPECT_STREQ(GetCameraCaption(), c.caption) << char(c.key);
    }
    // The mode already set changes nothing (the caption stays though the camera moved).
    GetCameraRecord().object = kObjectAirport;
    Key('P');
    EXPECT_EQ(GetCameraRecord().object, kObjectAirport);
    // Space flips the radar's range; R its look; Shift the see-through.
    CreateRadarWindow();
    const int range = GetRadarRange();
    Key(' ');
    EXPECT_EQ(GetRadarRange(), 1 - range);
    const int look = GetConfig().radarmode;
    Key('R');
    EXPECT_EQ(GetConfig().radarmode, 1 - look);
    const int through = GetConfig().through;
    Key(0x10);
    EXPECT_EQ(GetConfig().through, through ? 0 : 1);
    DestroyRadarWindow();
}

TEST_F(Input, AStripClickSelectsAndStepsThroughItsLinks) {
    AircraftRecord& a = OnStrip(2, 0x1400);
    a.status = 0xb4050;
    OnStrip(5);
    const int s = a.stripslot;
    ClickSprite(kSpriteStrip + s);
    EXPECT_EQ(GetSelectedAircraft(), 2);
    EXPECT_EQ(GetCameraIndex(), 0);
    // The strip is tinted, the panel and the menu are the aircraft's.
    EXPECT_EQ(GetSpriteLook(kSpriteStrip + s)->level, 14);
    EXPECT_EQ(GetSpriteLook(kSpriteStrip + s)->tint, 0x1f);
    EXPECT_EQ(GetFlightInfoAircraft(), 2);
    EXPECT_EQ(GetCommandMenuAircraft(), 2);
    ASSERT_NE(GetMenuItemOfSprite(90), nullptr);
    EXPECT_EQ(GetMenuItemOfSprite(90)->code, 0x019 + 1);
    // Another strip: the first one's look comes back.
    ClickSprite(kSpriteStrip + A(5).stripslot);
    EXPECT_EQ(GetSelectedAircraft(), 5);
    EXPECT_EQ(GetSpriteLook(kSpriteStrip + s)->level, 16);
    // With linked aircraft a click on the selected strip walks the camera through them.
    ClickSprite(kSpriteStrip + s);
    a.links = 2;
    a.linked[0] = 7;
    a.linked[1] = 8;
    Plane(7);
    Plane(8);
    ClickSprite(kSpriteStrip + s);
    EXPECT_EQ(GetCameraIndex(), 1);
    EXPECT_EQ(GetCameraRecord().object, 7);
    ClickSprite(kSpriteStrip + s);
    EXPECT_EQ(GetCameraIndex(), 2);
    ClickSprite(kSpriteStrip + s);
    EXPECT_EQ(GetCameraIndex(), 0);
    EXPECT_EQ(GetCameraRecord().object, 2);
    EXPECT_EQ(GetSelectedAircraft(), 2);
}

TEST_F(Input, StripSpritesWithoutAStripDoNothing) {
    HZEMSCREEN scr = Screen();
    // Sprite 17 (no strip slot) and an empty slot's sprite.
    ZEM_SetSprite(scr, kSpriteStrip + 17, 0, 450, 5, 0, -1);
    ClickSprite(kSpriteStrip + 17);
    EXPECT_EQ(GetSelectedAircraft(), -1);
    ZEM_SetSprite(scr, kSpriteStrip + 17, -1, -1, 0, -1, -1);
    ZEM_SetSprite(scr, kSpriteStrip + 3, 0, 450, 5, 300, -1);
    ClickSprite(kSpriteStrip + 3);
    EXPECT_EQ(GetSelectedAircraft(), -1);
}

TEST_F(Input, EmptyBoardDeselectsTheUpperPartDoesNot) {
    OnStrip(4);
    ClickSprite(kSpriteStrip + A(4).stripslot);
    ASSERT_EQ(GetSelectedAircraft(), 4);
    Click(700, 150);  // above the board: the radar's range (only from the radar window)
    EXPECT_EQ(GetSelectedAircraft(), 4);
    CreateMarker();
    ShowMarker(1);
    Click(700, 590);  // the empty board
    EXPECT_EQ(GetSelectedAircraft(), -1);
    // The cleared menu hid the marker over the aircraft.
    ASSERT_NE(GetMarker(), nullptr);
    EXPECT_EQ(GetMarker()->sw, 0);
    DeleteMarker();
    EXPECT_FALSE(IsCommandMenuShown());
    EXPECT_FALSE(IsFlightInfoShown());
    EXPECT_EQ(GetSpriteLook(kSpriteStrip + A(4).stripslot)->level, 16);
    EXPECT_STREQ(GetCameraCaption(), "PANORAMIC CAM");
    // With nothing selected the board still brings the panoramic view back: here from the
    // view of an aircraft that the camera follows without a selection.
    SetCameraMode(0, 4);
    ASSERT_STREQ(GetCameraCaption(), "JAL-0123 CAM");
    Click(700, 590);
    EXPECT_EQ(GetSelectedAircraft(), -1);
    EXPECT_STREQ(GetCameraCaption(), "PANORAMIC CAM");
    EXPECT_EQ(GetCameraRecord().object, kObjectAirport);
}

TEST_F(Input, RightClickBelowTheBoardsTopDeselects) {
    struct Case {
        int offset, y;
        bool deselects;
    };
    for (const Case& c : {Case{400, 450, true}, Case{400, 350, false}, Case{200, 300, true},
                          Case{200, 150, false}}) {
        Handles().stageoffset = c.offset;
        SetSelectedAircraft(1);
        in().rbutton = 3;
        in().rby = c.y;
        MouseCommand();
        EXPECT_EQ(GetSelectedAircraft(), c.deselects ? -1 : 1) << c.offset << " " << c.y;
        EXPECT_EQ(in().rbutton, 2);
    }
    Handles().stageoffset = 400;
}

TEST_F(Input, TheWheelWalksTheStrips) {
    // Strips in slots 0-4; slots 1 and 4 slide out (arrival and departure), slot 2 has a linked
    // aircraft.
    OnStrip(10);
    OnStrip(11, 0xf02);
    AircraftRecord& c = OnStrip(12);
    OnStrip(13);
    OnStrip(15, 0x1f01);
    c.links = 1;
    c.linked[0] = 14;
    Plane(14);
    struct Step {
        int delta;
        int selected, camindex, followed;
    };
    const Step steps[] = {
        {120, 10, 0, 10},  {120, 12, 0, 12},  {120, 12, 1, 14},  {120, 13, 0, 13},
        {120, 10, 0, 10},  {-120, 13, 0, 13}, {-120, 12, 1, 14}, {-120, 12, 0, 12},
        {-120, 10, 0, 10}, {-120, 13, 0, 13},
    };
    for (const Step& s : steps) {
        Wheel(s.delta);
        EXPECT_EQ(GetSelectedAircraft(), s.selected) << s.delta;
        EXPECT_EQ(GetCameraIndex(), s.camindex);
        EXPECT_EQ(GetCameraRecord().object, s.followed);
        EXPECT_EQ(in().wheel, 0);
    }
    // Backward without a selection: the last selectable strip.
    SetSelectedAircraft(-1);
    Wheel(-120);
    EXPECT_EQ(GetSelectedAircraft(), 13);
    // Nothing selectable: nothing.
    ResetStripBoard();
    SetSelectedAircraft(-1);
    Wheel(120);
    EXPECT_EQ(GetSelectedAircraft(), -1);
    // Not from a state of 0x70 on (the game-over banners).
    OnStrip(10);
    SetStageState(STAGE_NEARMISS);
    Wheel(120);
    EXPECT_EQ(GetSelectedAircraft(), -1);
    SetStageState(STAGE_PLAY);
}

TEST_F(Input, ButtonsPauseResumeAndQuit) {
    PlaceHudSprites();
    ClickSprite(kSpriteButton);
    EXPECT_EQ(GetStageState(), STAGE_PAUSED);
    ClickSprite(kSpriteResume);
    EXPECT_EQ(GetStageState(), STAGE_PLAY);
    // The pause button pauses under the start banner too, but a result stays final.
    SetStageState(STAGE_START);
    ClickSprite(kSpriteButton);
    EXPECT_EQ(GetStageState(), STAGE_PAUSED);
    ClickSprite(kSpriteResume);
    EXPECT_EQ(GetStageState(), STAGE_PLAY);
    for (int32_t result :
         {STAGE_CLEAR, STAGE_NEARMISS, STAGE_NOTCLEAR, STAGE_STRESSFULL, STAGE_HEADON}) {
        SetStageState(result);
        ClickSprite(kSpriteButton);
        EXPECT_EQ(GetStageState(), result);
        EXPECT_EQ(Sprite(kSpriteResume).cell, nullptr) << "no pause screen over result " << result;
    }
    SetStageState(STAGE_PLAY);
    ShowPauseScreen();
    // Both buttons stand at one place; the quit button is the right half of its frame.
    Click(Sprite(kSpriteQuit).x + 100, Sprite(kSpriteQuit).y + 10);
    EXPECT_EQ(GetGamePhase(), GAMEPHASE_EXIT);
    ResumeGame();
    SetGamePhase(GAMEPHASE_RUNNING);
    // P and O as buttons: camera modes.
    ClickSprite(kSpriteButton + 1);
    EXPECT_EQ(GetCameraModeNumber(), 1);
    ClickSprite(kSpriteButton + 2);
    EXPECT_EQ(GetCameraModeNumber(), 0);
}

TEST_F(Input, AMenuClickCarriesOutTheItem) {
    AircraftRecord& a = OnStrip(2, 0x1400);
    a.status = 0xb4050;
    a.position = 1;
    GetExchangeTable().entry[0] = ExchangeTableEntry{0x019, 4, {801, 202, -1, -1}};
    GetExchangeTable().count = 1;
    ClickSprite(kSpriteStrip + a.stripslot);
    ASSERT_NE(GetMenuItemOfSprite(90), nullptr);
    // Paused: ignored.
    SetStageState(STAGE_PAUSED);
    ClickSprite(90);
    EXPECT_EQ(a.status, 0xb4050);
    SetStageState(STAGE_PLAY);
    // The position in charge talks: ignored.
    GetExchangeRows()[1].state = 1;
    ClickSprite(90);
    EXPECT_EQ(a.status, 0xb4050);
    GetExchangeRows()[1].state = 0;
    // The receiving row holds another aircraft's queue: ignored, nothing overwritten.
    GetExchangeRows()[4].queue[0] = MakeExchangeMessage(700, kExchangeLast, 9);
    ClickSprite(90);
    EXPECT_EQ(a.status, 0xb4050);
    EXPECT_EQ(GetExchangeRows()[4].queue[0], MakeExchangeMessage(700, kExchangeLast, 9));
    GetExchangeRows()[4].queue[0] = 0;
    // Taken: the item pressed, copied, carried out and handed to the scripts.
    ClickSprite(90);
    EXPECT_EQ(a.chosen.code, 0x019 + 1);
    EXPECT_EQ(a.status, 0xb6130);
    EXPECT_EQ(a.strip, 0x1602);
    EXPECT_EQ(GetExchangeRows()[4].queue[0], MakeExchangeMessage(801, kExchangeMore, 2));
    EXPECT_EQ(GetMenuResult(), 0x019 + 1 + 0x100);
    // Without a selection a stray item sprite does nothing.
    a.status = 0xb4050;
    BuildCommandMenu(2);
    SetSelectedAircraft(-1);
    ClickSprite(90);
    EXPECT_EQ(a.status, 0xb4050);
}

TEST_F(Input, HoverHighlightsStripsAndItems) {
    AircraftRecord& a = OnStrip(2, 0x1400);
    a.status = 0xb4050;
    const tagZEMSPRITE& strip = Sprite(kSpriteStrip + a.stripslot);
    SetCursorPos(strip.x + 5, strip.y + 5);
    DrawSprites(Screen());
    MouseCommand();
    EXPECT_EQ(GetHoverSprite(), kSpriteStrip + a.stripslot);
    EXPECT_EQ(Sprite(kSpriteHighlight).x, strip.x);
    EXPECT_EQ(Sprite(kSpriteHighlight).z, 10);
    EXPECT_EQ(Sprite(kSpriteHighlight).pattern, 200);
    // The highlight over the strip counts as the strip.
    DrawSprites(Screen());
    MouseCommand();
    EXPECT_EQ(GetHoverSprite(), kSpriteStrip + a.stripslot);
    // A strip still sliding gets none.
    SetCursorPos(1, 1);
    DrawSprites(Screen());
    MouseCommand();
    EXPECT_EQ(Sprite(kSpriteHighlight).z, 0);
    a.strip = 0x1401;
    SetCursorPos(strip.x + 5, strip.y + 5);
    DrawSprites(Screen());
    MouseCommand();
    EXPECT_EQ(Sprite(kSpriteHighlight).z, 0);
    // A menu item shows its hover tile while its position is free.
    a.strip = 0x1400;
    SetSelectedAircraft(2);
    BuildCommandMenu(2);
    const tagZEMSPRITE& item = Sprite(90);
    SetCursorPos(item.x + 5, item.y + 5);
    DrawSprites(Screen());
    MouseCommand();
    EXPECT_EQ(Sprite(90).pattern, 0x19 + 100);
    SetCursorPos(1, 1);
    DrawSprites(Screen());
    MouseCommand();
    EXPECT_EQ(Sprite(90).pattern, 0x19);
}

}  // namespace
