// The frame's own state shared between its modules; other subsystems use frame.h.
#pragma once

#include "frame/frame.h"

struct FrameHandles {
    HINSTANCE instance;
    HWND mainwnd;
    HWND viewwnd;
    tagKRN* engine;
    tagKRNL* root;
    HZEMSCREEN screen;
    char homedir[MAX_PATH];  // the program folder with its trailing backslash
    char airport[8 + 1];     // the command line's words
    char scenario[16 + 1];
    ScreenInfo screeninfo;
    int32_t running;     // 1 while the main loop goes on
    int32_t quitbyuser;  // the player confirmed the close box
    int32_t stagecleared;
    int32_t viewsep;      // 1 while the view floats
    int32_t stageoffset;  // the strip board's y: 400 docked, 200 floating
    DWORD viewstyle;      // the view window's style before it floated
};
FrameHandles& Handles();

// The 3D view's rectangles: the current one (left -1: invalid, a refused view port) and the
// one asked for by a resize of the floating view window.
struct ViewState {
    RECT viewrect;
    RECT wantrect;
    int32_t viewchanged;
};
ViewState& View();

// The game's one view-port call; tests make it refuse through the hook (null: the engine).
int GameViewPort(const RECT& rect);
void SetViewPortHook(int (*hook)(const RECT& rect));
// FrameMain step 1: a pending size change of the floating view (refused twice: dock).
void ApplyViewChange();

// The per-frame clock step of the game's run and test affordance WYN_GAME_FRAME_MS (0: off).
int FrameStepMs();
void SetFrameStepMs(int ms);
// Chooses the frame clock (the counter when it exists) and zeroes the tick counters.
void ChooseFrameClock();
// `totalticks` = 0: the stage starts.
void ZeroTotalTicks();

// Allocates the scenario image (zeroed); then reads the scenario file of the command line into
// it (an empty stage when there is none).
void LoadScenarioImage();
void ReadScenarioFile();
void FreeScenario();
// The registries' end-of-run lines of the trace.
void TraceRegistries();
// The window procedures.
LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK ViewWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// The view window's own frame sizes (its style), for keeping its client area 4:1.
SIZE ViewFrameSize();

// The banner's state: where its picture stands, how fast it slides in (pixels a tick), and the
// start banner's ticks left.
struct HudBanner {
    int32_t x, y;
    int32_t speed;
    int32_t startcount;
};
HudBanner& GetHudBanner();

// The strip-board buttons, sprites 70-73: place (y below the strip board's top), depth and
// pattern.
struct StageButton {
    int sprite, x, y, z, pattern;
};
inline constexpr StageButton kStageButtons[] = {
    {70, 448, 172, 1, 3}, {71, 328, 172, 1, 0}, {72, 364, 172, 1, 1}, {73, 400, 172, 1, 2}};

// Stage set-up steps 10-11 (the HUD's pictures and the sprites of the strips, the strip board,
// its buttons and the text window) and 23 (the buttons and the HUD's sprites placed); exit steps
// 9-10 (those sprites and pictures freed, the wallpaper too).
void LoadHudPictures();
void PlaceHudSprites();
void FreeHudPictures();

// A word that names one file in one folder: not empty, no separators, drive or parent step
// ('\', '/', ':', ".."). Stage words and exit programs go into paths only when they are.
int IsBareName(const char* word);
