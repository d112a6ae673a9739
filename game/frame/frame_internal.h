// The frame's own state shared between its modules (and the tests' stage fixtures); no other
// folder of the game includes it.
#pragma once

#include "frame/frame.h"

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

// The window procedures.
LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK ViewWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// The view window's own frame sizes (its style), for keeping its client area 4:1.
SIZE ViewFrameSize();

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
