// The top of the game program: its entry, windows and main loop, the frame driver, start-up and
// the stage's set-up and exit, the HUD's per-frame drawing, the stage's sound set and input.
// It calls every folder below it: base/ for the shared services, simulation/, world/ and
// controller/ for the work of each frame; nothing below includes this header.
#pragma once

#include "base/base.h"

// ---- the screen and the program folder ----
// Reads the screen, the frame sizes and the program folder; clears `quitbyuser` and the
// stage-cleared flag. Returns 1.
int GetHomeDirectory();

// ---- start-up, the stage and the frame ----
int GameInit();
void StageReset();
void GameEnd();
void StageSetup();
void StageExit();
void FrameMain();
// Removes and dispatches every pending message; 0 when one of them was WM_QUIT, else 1.
int PumpMessages();
// One main-loop step: a pending message, or the sound task and the phase's work.
int MainStep();

// ---- the hand-over at stage exit ----
// The program that follows the game and its arguments: nothing when the player quit by the
// close box (0); else the script host (program folder + "VSK33.EXE ", with its blank) with
// word 0 of the header text; after a clear, the scenario's exit program (program folder + its
// name) with "<spno / 100> <word 0>", spno from [Icon] of the stage ini. An exit program that
// is not a bare file name gives the script host; header words that are not bare names read no
// stage ini (spno 0). `program` holds MAX_PATH + 16 bytes, `arguments` 64. Returns 1 when a
// program follows.
int ExitProgramCommand(char* program, char* arguments);
// Starts the stand-by window with that program (StageExit); it launches the program when the
// game tells it to, after the game's own window is gone.
void LaunchExitProgram();

// ---- the window layout ----
// Takes the windows' positions into the layout in use and writes [DISPLAYEX] (stage exit).
void SaveDisplayLayout();
// 1 docks the view in the main window; 2 and 3 float it. Returns 1.
int SetWindowLayout(int layout);
// Sizes a floating view window: from the outer size asked (cx, cy) and the view window's frame
// sizes, the outer size that keeps the client area four times as wide as high and at least 100
// high, and that client rectangle. Returns 0 when the size is left as asked (nothing to do).
int FitViewWindow(int cx, int cy, int framecx, int framecy, SIZE* outer, RECT* client);

// ---- the HUD, once a frame ----
// While a banner shows: the start banner counts down and resumes play; a result banner slides
// in and asks for stage exit once the music voice 13 has stopped.
void StageBannerMain(int ticks);
// The wind's speed (held to 0-99, with a gust jitter while the world runs) and direction; the
// score counter (counting 4 a tick towards the score); the stress gauge (climbing 1 a frame
// towards the stress; at the limit in play the stage ends, 0x97).
void DrawWindIndicator();
void DrawScoreCounter(int ticks);
void StressMain();

// ---- the stage's sound set ----
// Reads the interface waves se\print.wav ... se\switch.wav and sets the voices' volumes; the
// radio rows' waves and the effects' places are emptied too.
void LoadGameSounds();
// Stops and frees the interface, voice and radio row waves (the music is StopBgm's).
void FreeGameSounds();

// ---- keyboard and mouse ----
// Acts on `keycode` and clears it when the key is one of the game's (pause, camera modes,
// radar range and look, window layout); other keys stay.
void KeyCommand();
// Hover, wheel, left and right clicks on the sprites of the 2D screen: strips select, buttons
// act, menu items carry out commands; hands the frame's clicked item to the scripts.
void MouseCommand();
// Which of the aircraft linked to the selected one the camera follows (0 the selected one), and
// the sprite under the cursor in the last frame (-1 none).
int GetCameraIndex();
int GetHoverSprite();
// Stage set-up: nothing selected, hovered or clicked.
void ResetInput();

// ---- the program ----
// The work of WinMain: wait for the script host, open the windows, run the one stage, hand over
// to the stand-by window. Returns the program's exit code (0).
int GameMain(HINSTANCE instance, const char* cmdline);
