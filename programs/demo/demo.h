// demo: the frame the three demo programs (wyndemoa, wyndemob, wyndemoc) share, the random
// table and the weather effects. A demo program is one fixed 800 x 600 window that runs one
// scene chosen by the first character of its command line and then hands back through the
// stand-by window: to the script host "vsk33.exe" with the rest of the line as its arguments,
// or to the program named after a leading '@'. The frame starts and ends the sound library,
// keeps the frame timer and its on-screen frame-rate line, and gives every scene the same
// skeleton (engine, master layer, caption, view port, music, segments on a scene clock that
// stop on a click or the close box, clean-up).
//
// The frame's state is one record per program (DemoState); scenes read and write it between
// frames. Everything runs on the program's one thread: scenes run inside DemoMain before the
// message loop and keep the window alive by pumping messages in Task and Wait.
#pragma once

#include <windows.h>

#include <functional>

#include "krn.h"
#include "krnlayer.h"
#include "tov42.h"
#include "world/autocloud.h"
#include "zem40.h"

// ---- the frame's state ----

#define DEMO_VIEW_WIDTH 800
#define DEMO_VIEW_HEIGHT 600
#define DEMO_COMMAND_MAX 255  // characters of the return line kept in cCOMMAND

struct DemoGlobals {
    HWND hWND = nullptr;
    HINSTANCE hINSTANCE = nullptr;
    int iVXSIZE = DEMO_VIEW_WIDTH, iVYSIZE = DEMO_VIEW_HEIGHT;  // client size
    int iWXSIZE = 0, iWYSIZE = 0;                               // outer window size
    tagKRN* hKRN = nullptr;     // the running scene's engine record, 0 when none
    tagKRNL* hKRNL = nullptr;   // its master layer; the 3D view repaints only while set
    HZEMSCREEN hZEM = nullptr;  // wyndemob and wyndemoc: the 2D overlay screen, 0 when none
    char cCOMMAND[DEMO_COMMAND_MAX + 1] = {};  // the return line, "" when none
    int bCLICK = 0;                            // a button was pressed; at the end: hand back
    int bCLOSE = 0;                            // a WM_CLOSE came
    int bEXIT = 0;                             // the scene has ended and the program closes itself
    int bINFO = 1;                             // show the frame-rate line
    int bTIMERMODE = 0;                        // 1: the performance counter, 0: timeGetTime
    LONGLONG liFREQ = 0, liTIMER = 0;
    DWORD dwTIMER = 0;
    int iCOUNT = 1;     // the last measured frame in ms
    int bEMUMODE = 0;   // the engine's software mode: small view, no caption
    int iTIMEBASE = 0;  // caption switch (a scene may also keep its segment's start time here)
    tagKRNCELL ceSTAFF = {};  // the scene's caption picture
    int bCAPTION = 0;         // 1 when ceSTAFF was read; a caption that did not load is not drawn
    tagKRN3D cmVIEW = {}, cmROTATE = {}, cmSCALE = {1, 1, 1, 0};
    double cmZOOM = 35.0;
    DWORD cBACKGROUND = 0;
    tagKRN3D ltDIR = {};
    int bSOUND = 0;           // the sound library started
    tagTOVWAVE wvMUSIC = {};  // the scene's music on channel 0
    // wyndemoc only.
    int bBUTTON = 0, bSHIFT = 0, bCTRL = 0;
    char cEXEDIR[256] = {};
    char cINI[280] = {};
};

// The one state record of the program.
DemoGlobals& DemoState();
// Back to a fresh program's state (tests run several programs' lives in one process).
void DemoResetState();

// ---- the command line ----

struct DemoCommand {
    char scene = 0;                           // the first character (0 for an empty line)
    char command[DEMO_COMMAND_MAX + 1] = {};  // the return line (cCOMMAND)
    int toolong = 0;  // the return line was longer than DEMO_COMMAND_MAX and was cut
};

// Splits the part of the command line after the program's name: the first character picks the
// scene; when it is followed by a blank, the rest is the return line (at most
// DEMO_COMMAND_MAX characters kept; `toolong` tells that more was there). NULL is "".
DemoCommand DemoParseCommand(const char* line);

// wyndemoa's and wyndemob's scene for the first character: '0'..'5' give 0..5 (Demo1..Demo6),
// anything else -1 (no scene).
int DemoSceneIndex(char first);

// Where the return line hands back. Returns 0 for an empty line (no hand-back); else 1 with
// `program` = the text after a leading '@' and `arguments` = "", or `program` = "vsk33.exe"
// and `arguments` = the line. Both buffers hold DEMO_COMMAND_MAX + 1 bytes.
int DemoHandBack(const char* command, char* program, char* arguments);

// ---- the program ----

enum DemoKind { DEMO_KIND_A = 0, DEMO_KIND_B = 1, DEMO_KIND_C = 2 };

struct DemoProgram {
    DemoKind kind;
    const char* classname;      // "WYN2WYNDEMOA"...
    const char* titlejapanese;  // the title for a Japanese user
    const char* titleother;     // "Wynmoor 2"
    // Runs the scene chosen by the command line's first character (0 for an empty line).
    void (*scene)(char first);
};

// The program's life: window set-up, StandBy_End, the random table (A and B) and the timer,
// the loading line (A), the scene, the one-second wait, the self-close and the message loop,
// and after it the hand-back's StandBy_Send. Returns the WM_QUIT code, or -1 when a window of
// the program's class already runs (it is brought to the front).
int DemoMain(const DemoProgram& program, HINSTANCE instance, const char* cmdline, int show);

// The window procedure of every demo program (what differs goes by the running program's kind).
LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// 1 when the user's language is Japanese: titles and texts choose by it.
int CheckLanguage();

// Draws one line of text in grey 0x808080 on black into (340, 560)-(800, 580) of the demo
// window (hWND; `hwnd` is not used), single line.
void DrawMessage(HWND hwnd, const char* text);

// The frame-rate line for the given figures (Japanese or English by CheckLanguage).
void DemoFrameRateText(int count, int chips, char* out, size_t cap);

// ---- timing and the per-frame routines ----

// Chooses the performance counter when there is one.
void TimerInit();
void TimerStart();
// With a non-zero flag and bINFO set, first draws the frame-rate line (1000 / iCOUNT, a frame
// of 0 ms counted as 1 ms, and the chips of the last frame); then measures the milliseconds
// since TimerStart into iCOUNT and returns them.
int TimerEnd(int flag);
// ms / 10 rounds of: pump the message queue, TOV_Task, Sleep(10).
void Wait(int ms);
// TOV_Task, pump the message queue, Sleep(10).
void Task();
// One frame: the layers calculated, the scene rendered without background fill, the caption
// at (20, 380) while iTIMEBASE > 0 (not in software mode), flipped, then Task.
void Render();
// Render's steps with the caption decided by the caller: `caption` 1 draws ceSTAFF (or `src`
// of it) at (x, y) when it was read.
void DemoRender(int caption, int x, int y, RECT* src);
// Reads section "MODE", key "EMULATION" (default "hard") of the engine's ini file: "hard" gives
// the view (80, 60)-(720, 540) and bEMUMODE 0, anything else (80, 60)-(320, 220) and bEMUMODE 1;
// defines view 0 on the demo window.
void MakeAutoViewPort();

// ---- the scene skeleton ----

// Starts the scene's engine with `chips` chips, its master layer, the caption picture (NULL:
// none) and the view port. Returns 1, or 0 when the engine or the master layer cannot be
// started: whatever was made is released again and the scene must end at once.
int DemoSceneStart(int chips, const char* caption);
// Camera 0 from cmVIEW, cmROTATE, cmSCALE, cmZOOM with the view limit.
void DemoCamera(double viewlimit);
// Light 0 (mode 1, the ambient light) and light 1 (mode 2 along ltDIR) in the colour words.
void DemoLights(DWORD ambient, DWORD directional);
// The colour word B x 65536 + G x 256 + R of three channels, each rounded to the nearest.
DWORD DemoColour(double r, double g, double b);
// The scene begins: bCLICK = 0, the pointer to client point (767, 567), the music (NULL: none)
// read and played once on channel 0.
void DemoSceneGo(const char* music);
// Runs one segment of `length` ms on its own clock t from 0: while t < length, stops at once
// when bCLICK or bCLOSE is set, else TimerStart, `frame`(t) (which sets the camera and layers
// and renders), t += TimerEnd(1) + 1. Returns 1 when the segment ran out, 0 when it stopped.
int DemoSegment(int length, const std::function<void(int t)>& frame);
// 1 while neither a click nor a close came.
int DemoRunning();
// The scene's end: the music stopped and freed, the caption freed, the layers and the engine
// ended (hKRNL and hKRN 0).
void DemoSceneEnd();
// A layer under the master layer by name; NULL when the scene file lacks it.
tagKRNL* DemoLayer(const char* name);
// Layer operation 4 (switch) with `on` on the named layer, when it exists.
void DemoShow(const char* name, int on);

// ---- random table ----

#include "demo_random.h"

// The demos' cloud style for MakeAutoCloud: rand2, heights rounded to the nearest, children
// "Sub" and "Add", spread 24000 (iCLOUDRANGE), upright (bCLOUDHEIGHT 1), top scale 1.0
// (rCLOUDYSCALE).
extern const CloudStyle kDemoCloudStyle;

// ---- snow ----

#define SNOW_MAX 200  // flakes at most (rSNOWPOS)

// Wraps position p by whole steps of w into the closed band c - w/2 .. c + w/2.
double CalcSnowPos(double w, double p, double c);
// Makes the snow: the texture read into the parent's engine (colour key 0), `count` flakes
// (cut to SNOW_MAX) with offsets drawn from rand2 and chips first .. first + count - 1, the layer
// "AutoSnow" capturing them (operations 6:1, 14:1, 7:12, 2:0) and the snow's clock started.
// Returns the layer, or 0 when it cannot be made (no parent, or the name is taken): no chip is
// written then.
tagKRNL* MakeAutoSnow(tagKRNL* parent, int first, int count, const char* file);
// Places every flake of the snow layer around the camera position for the current time (falling
// 5 units a second in a 50 x 100 x 50 box aligned to its grid); flakes below `shown` get mode 1,
// the rest mode 0. Marks the layer for recalculation. A 0 layer is skipped.
void SetSnowCamera(tagKRNL* layer, const tagKRN3D* camera, int shown);
// Flake i's offset in the box (rSNOWPOS), i < SNOW_MAX.
const double* DemoSnowOffset(int i);

// ---- trace ----

// Appends one line (printf form) to the file WYN_DEMO_TRACE names, if any: the run's start and
// scene, the engine and caption, the view, each frame-rate line ("info <rate> <chips>"), each
// segment's end, the hand-back and the send.
void DemoTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));
