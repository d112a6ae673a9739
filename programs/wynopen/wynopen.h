// wynopen: the attract-mode launcher, the program the user starts. One fixed 800 x 600 window
// loops two logo movies, the engine's logo scene, the airliner scene with its staff roll and
// a prompt; a key or click at the prompt hands over to the script host through the stand-by
// window. The program's state and routines, visible here so that its tests can reach them.
#pragma once

#include <windows.h>

#include "demo_random.h"
#include "krn.h"
#include "krnlayer.h"

namespace wynopen {

// ---- program state ----
extern HWND hWND;
extern char cEXEDIR[256];  // the program's folder, without a trailing '\'
extern int iVXSIZE, iVYSIZE, iWXSIZE, iWYSIZE;
extern tagKRN* hKRN;    // the engine while a 3D scene runs, else NULL
extern tagKRNL* hKRNL;  // its master layer, else NULL
extern int bCLICK;      // a key or button was pressed
extern int bCLOSE;      // WM_CLOSE arrived
extern int bEXIT;       // the launcher is ending: WM_CLOSE closes the window
// 1 while 3D may run. The demo programs' word of this name means the opposite (1: the engine
// runs in its software mode); both keep the name they were given.
extern int bEMUMODE;
extern int bINFO;      // draw the frame-rate line
extern int iCOUNT;     // the last measured frame in ms
extern int iTIMEBASE;  // staff-roll clock: the nominal time the running shot began at, 0 = off
extern int iTIMEOFS;   // and the running shot's own clock

// ---- the staff roll ----
struct StaffEntry {
    int x, y;  // on the 3D view
    int from;  // scene time in ms the strip shows from, until the next entry's
};
constexpr int kStaffStrips = 14;  // the 15th entry ends the roll
constexpr int kStaffWidth = 256, kStaffRows = 164;
extern const StaffEntry iSTAFF[kStaffStrips + 1];
// The strip shown at scene time `ms`, or -1 before the first and from the end entry on.
int StaffStripAt(int ms);

// ---- the airliner scene ----
constexpr int kShots = 13;
extern const int kShotLength[kShots];  // ms
constexpr int kStaffShot = 4;          // the shot the staff roll starts with (the fifth)

// Eases 0..1 to 0..1: (1 - cos(3.1415 x)) / 2.
double Smooth(double x);

// 1 when a key sets bCLICK: any key but Tab, Shift and Ctrl.
int IsClickKey(WPARAM vk);

// The frame-rate figure of the frame-rate line for a frame of `ms` (a 0 ms frame counts as 1).
int FrameRate(int ms);

// ---- routines ----
LRESULT CALLBACK WndProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam);
void Task();
void Wait(int ms);
void TimerInit();
void TimerStart();
int TimerEnd(int flag);
void DrawMessage(HWND window, const char* text);
void PlayAVI(const char* file);
void KeyWait();
void Logo();
void Demo();
void Render();
void SearchMoveLayer(tagKRNL* airliner);

// Sets every state word back to its start value (tests run the program more than once).
void ResetState();

}  // namespace wynopen
