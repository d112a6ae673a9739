// The stand-by client: start the stand-by window program with the next program of the set, tell
// it to launch that program, and close it. The protocol: a top-level window of class "STANDBY";
// STANDBY_RUN (WM_COMMAND with wParam and lParam both 8086) makes it launch; WM_CLOSE closes it.
// Every wait pumps the calling thread's messages, so the caller's window procedure may run
// inside these calls.
#pragma once

#include <cstddef>

#include <windows.h>

#define STANDBY_CLASS "STANDBY"
#define STANDBY_RUN_ID 8086
// The longest command line "standby.exe <program> <arguments>", and so the longest line the
// stand-by program takes after its own name.
#define STANDBY_LINE_MAX 255

// How StandBy_Send looks for the window: up to 3000 ms, or once (the game sends at shut-down
// and does not wait for a window to appear).
enum StandByLook { STANDBY_LOOK_WAIT = 0, STANDBY_LOOK_ONCE = 1 };

// Writes "standby.exe <program> <arguments>" into `out`. Returns 1, or 0 when the line would
// be longer than STANDBY_LINE_MAX characters or `cap`; nothing is cut, `out` is then "".
int StandBy_FormatCommand(const char* program, const char* arguments, char* out, size_t cap);

// Where the stand-by program cuts its command line (the text after its own name) into the
// program and the argument tail: at the second blank counted from the end, at the only blank,
// or at 0 when there is none. So a program path may hold blanks, but the tail holds two blanks
// at most: arguments of more than one blank cannot be carried.
size_t StandBy_CommandCut(const char* line);
// Whether the stand-by program cuts "<program> <arguments>" back into `program` and the
// arguments: 1 or 0. Blanks before the program (its entry skips them) and after it are aside.
// An empty program starts nothing by design (1).
int StandBy_CutsBack(const char* program, const char* arguments);

// Starts the stand-by program with `program` and `arguments` (Shift-JIS; either may be "") and
// waits up to 3000 ms of the process clock for its window. A stand-by window already there is
// closed first, so that STANDBY_RUN never launches an old command. Returns 1 when the window
// appeared, else 0. A line that is too long, or that the stand-by program would not cut back
// into `program` (without its trailing blanks) and the arguments, shows a message box and
// starts nothing: it would launch nothing or another program.
int StandBy_Start(const char* program, const char* arguments);

// Sends STANDBY_RUN to the stand-by window, waiting up to 3000 ms for it to appear (or looking
// once). The send returns after the stand-by window has launched its program and that program
// owns a window (or the stand-by window gave up waiting for it). Returns 1 when sent, else 0.
int StandBy_Send(int look = STANDBY_LOOK_WAIT);

// Sends WM_CLOSE to the stand-by window. Returns 1 when there was one, else 0.
int StandBy_End(void);

// 1 when the user's language is Japanese (1041): the stand-by texts choose by it.
int StandBy_IsJapanese(void);
