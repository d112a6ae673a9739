// vskexec: the script executor. It runs compiled scripts as tasks (up to 20, each on a thread
// of its own, one at a time: only the task that holds the turn runs script code, and the turn
// goes round the live tasks in task-number order after every statement), evaluates the
// bytecode's expressions, binds commands to the command libraries beside it (a call names
// LIB:COMMAND and runs the export "VSK_<COMMAND>" of the file "<LIB>.DLL"), and talks to an
// outside tracer tool through its message and value channels.
//
// Every export takes the system context first. Boxes go through VSKTASK_ErrorStop under the
// caption "『Veskeran33』実行マネージャ(VSKEXEC.DLL)", owned by the context's window.
//
// Threads and waits. The turn is one word, the context's `taskno`, guarded by one lock and one
// condition variable of the executor: a task hands the turn on by naming the next live task
// and waits, without limit, until the turn names it again. Every wait blocks on the process
// clock (virtual under WYN_CLOCK=virtual) and nothing spins: a task that waits for time while
// no other task can run sleeps until the earliest due time; a paused task (flag 0x8000) blocks
// until the host clears the flag. Whoever sets or clears task flags from outside the running
// task does it through VSKEXEC_SetTaskFlag / VSKEXEC_ClearTaskFlag, which wake the waiters.
//
// The host mailbox. Script threads never create windows: they hand requests 1-8 to the host
// thread through the context's `command` and `data` words with VSKEXEC_HostRequest, which
// wakes the host and blocks until the request is answered. The host takes requests with
// VSKEXEC_TakeRequest between message batches and answers with VSKEXEC_AnswerRequest.
#pragma once

#include <windows.h>

#include "vsk_sysvars.h"
#include "vskcomp.h"
#include "vskval.h"

#ifdef VSKEXEC_BUILDING_LIBRARY
#define VSKEXEC_API extern "C" __attribute__((visibility("default")))
#else
#define VSKEXEC_API extern "C"
#endif

// ---- host mailbox requests (`command`; `data` in and out) ----
#define VSK_HOST_CREATEWINDOW 1   // in: tagVSKCOMCW*; out: the new window (NULL on failure)
#define VSK_HOST_DESTROYWINDOW 2  // in: the window
#define VSK_HOST_SOUNDSTART 3     // in: the window the older sound library starts on
#define VSK_HOST_VIDEOPLAY 4      // in: tagVSKAVIREQUEST*
#define VSK_HOST_VIDEOSTOP 5
#define VSK_HOST_KEYSTATE 6       // in: a virtual key; out: GetKeyState, sign-extended
#define VSK_HOST_ASYNCKEYSTATE 7  // in: a virtual key; out: GetAsyncKeyState, sign-extended
#define VSK_HOST_KEYBOARD 8       // in: BYTE[256] receiving GetKeyboardState

// Window creation handed to the host (the fields of CreateWindowExA, in its order).
typedef struct tagVSKCOMCW {
    DWORD dwExStyle;
    LPCSTR lpszClassName;
    LPCSTR lpszWindowName;
    DWORD dwStyle;
    int x, y, nWidth, nHeight;
    HWND hwndParent;
    HMENU hmenu;
} tagVSKCOMCW;

// A video to play on a screen's window (the host passes window, area, file and count on).
typedef struct tagVSKAVIREQUEST {
    int screen;
    HWND hwnd;
    char file[256];
    RECT area;  // left, top, right, bottom
    int count;
} tagVSKAVIREQUEST;

// ---- window messages the host answers ----
#define VSK_MSG_TRACER 0x4402  // wParam 1-8: a tracer request (see the host program)
#define VSK_TRACER_CLASS "Veskeran33Tracer"
#define VSK_MAIN_CLASS "Veskeran33"
#define VSK_SUB_CLASS "Veskeran33Sub"

// `debug` bits (set by the host on the tracer's request): trace lines, with argument values,
// stop before each command of the watched task (bits 8 and up), and "go".
#define VSK_DEBUG_TRACE 0x01
#define VSK_DEBUG_VALUES 0x02
#define VSK_DEBUG_STOP 0x04
#define VSK_DEBUG_STOP2 0x08
#define VSK_DEBUG_GO 0x80

// A command: "VSK_" + its upper-case name, exported by a command library. It reads its
// arguments from slots 1-26 of the frame (checked with VSKVAL_CheckArgument), stores its result
// in slot 0 and returns 1 to go on, or 0 to stop the task's statement after its own message.
typedef int(WINAPI* VSKCOMMAND)(tagVALUAREA* ctx, tagVALUEBLOCK* frame);
#define VSK_ARGFRAME_SLOTS 27

// ---- tasks ----
// Starts the script `name` as task n (0-19), or as the lowest free task when n is negative.
// The new task runs first: a task that starts another gets the turn back only when it comes
// round to it. Called from outside the tasks (the host), it gives the new task the turn only
// when no task holds it. Returns the task number, or -1 (no free task or a bad number, with
// VSKEXEC_GetFreeTask's message; a thread that cannot be made, without one).
VSKEXEC_API int WINAPI VSKEXEC_ExecuteTask(tagVALUAREA* ctx, int n, LPCSTR name);
// n itself when 0-19 and free; the lowest free number when n is negative; else -1 after
// "タスクの起動数が20を超えました。", "タスクの指定値が不正です。" or "タスク %d はすでに起動
// されています。".
VSKEXEC_API int WINAPI VSKEXEC_GetFreeTask(tagVALUAREA* ctx, int n);
// Hands the turn to the next task that can run and blocks until the turn comes back. The super
// task, a lone task and a caller outside the tasks return at once. Always 1: the wait for the
// turn has no time-out (a task that shows a box holds the turn meanwhile).
VSKEXEC_API int WINAPI VSKEXEC_WaitTask(tagVALUAREA* ctx);
// Lets the other tasks run for `ms` milliseconds (at most 10000) of the process clock. 1, or 0
// as soon as any live task has its end flag.
VSKEXEC_API int WINAPI VSKEXEC_Wait(tagVALUAREA* ctx, int ms);
// Lets the other tasks run until timeGetTime reaches `due`. 1, or 0 when the calling task's end
// flag is set meanwhile.
VSKEXEC_API int WINAPI VSKEXEC_WaitUntil(tagVALUAREA* ctx, DWORD due);
// Tells task n to end (flag 8) and hands the turn on until its thread is gone; 1. On the
// calling task's own number it sets the flag and returns 0 (the statement stops, and with it
// the task). A number outside 0-19 or a free task: 1, nothing done.
VSKEXEC_API int WINAPI VSKEXEC_EndTask(tagVALUAREA* ctx, int n);
// 1 while task n (0-19) has a thread running its script.
VSKEXEC_API int WINAPI VSKEXEC_TaskLive(tagVALUAREA* ctx, int n);
// Sets or clears flag bits of task n and wakes every waiter, so that a waiting or paused task
// sees the change at once. Task flags: VSK_TASKFLAG_* of vskval.h.
VSKEXEC_API void WINAPI VSKEXEC_SetTaskFlag(tagVALUAREA* ctx, int n, DWORD bits);
VSKEXEC_API void WINAPI VSKEXEC_ClearTaskFlag(tagVALUAREA* ctx, int n, DWORD bits);
// Sets the end flag of every live task, wakes them and waits until every task thread is gone
// (the host thread meanwhile dispatches its messages, so that boxes on task threads get their
// answers); then joins the threads. VSKVAL_Delete calls it through the context's `endtasks`.
VSKEXEC_API void WINAPI VSKEXEC_EndTasks(tagVALUAREA* ctx);

// ---- the host's loop ----
// One step of the host's loop: dispatches every waiting message of the calling thread (the
// host thread) and returns 1 while any task is live.
VSKEXEC_API int WINAPI VSKEXEC_SystemTask(tagVALUAREA* ctx);
// Blocks the host thread until there is something to do: a message, a mailbox request or a
// task's end (each of which posts the host a message). Returns at once while a request stands
// or when no task is live. Returns 1 while any task is live.
VSKEXEC_API int WINAPI VSKEXEC_HostWait(tagVALUAREA* ctx);
// A script thread's request to the host thread: stores `*data` and `command`, wakes the host
// and blocks until it has answered; `*data` then holds the answer. 1, or 0 when the calling
// task's end flag came before the host took the request (the request is withdrawn).
VSKEXEC_API int WINAPI VSKEXEC_HostRequest(tagVALUAREA* ctx, DWORD command, DWORD_PTR* data);
// The host thread: 1 with the standing request 1-8 (now being served), else 0. Any other
// command value is left standing.
VSKEXEC_API int WINAPI VSKEXEC_TakeRequest(tagVALUAREA* ctx, DWORD* command, DWORD_PTR* data);
// The host thread: the request taken is served; `data` is its answer. Wakes the requester.
VSKEXEC_API void WINAPI VSKEXEC_AnswerRequest(tagVALUAREA* ctx, DWORD_PTR data);

// ---- running scripts ----
// Loads the script `name` and runs it in the calling task. The name (upper-cased) is looked
// for as N, N.SNB, <execdir>\N, <execdir>\N.SNB, then the same with .SNA; a compiled file
// wins over a source. When none exists the file library reports the bare name. Sends the
// tracer "@N <path>" at the start and "@N <the task's former script>" at the end. 1 or 0.
VSKEXEC_API int WINAPI VSKEXEC_File(tagVALUAREA* ctx, LPCSTR name);
// Runs one code block in the calling task, handing the turn on before every statement and
// keeping system variable 7 current. 1 at the block's end or when the task's return or break
// flag is set; 0 when a statement fails or the end flag is set.
VSKEXEC_API int WINAPI VSKEXEC_Mem(tagVALUAREA* ctx, const BYTE* code);
// Compiles through the compiler; a compile error is shown (its error line). 1 or 0.
VSKEXEC_API int WINAPI VSKEXEC_Compile(tagVALUAREA* ctx, tagCOMPBLOCK* job);
// Evaluates one expression at `code` into `out` (which the caller owns and releases with
// VSKFAQ_Clear). Returns the position after the expression, or NULL on failure (a message has
// been shown by whoever failed). A join of two strings past 999 units is no failure: after the
// value library's message the left string stays as it was and the expression goes on.
VSKEXEC_API const BYTE* WINAPI VSKEXEC_Calc(tagVALUAREA* ctx, const BYTE* code, tagVALUE* out);

// ---- text on screens and cells ----
// A target n is a screen 0-8 (usable while #(20+n) holds its window) or 9, the cell that #14
// holds (usable while #14 is a cell). Its text state lies in #(30+n) (cursor column and row,
// character width and height), #(40+n) (text colour, erase colour, delay per character in ms,
// attribute) and #(50+n) (the font name).
//
// Lays out the Shift-JIS text into `rect` (edges) of target n, typewriter-style: each
// character drawn alone into its character cell (a double-byte one two columns wide), the
// cursor moving on, the row wrapping when the cursor reaches the last column (which stays
// empty), the rectangle scrolling up one row (the new row cleared with the erase colour) when
// the cursor passes the last row. On a screen a delay other than 0 waits (VSKEXEC_Wait) after
// each character or glyph. Sequences: "@C[r,g,b]" text colour, "@E[r,g,b]" erase colour and
// clear (cursor home), "@G[g]" glyph g of the 16 x 16 table in #12 (when it holds a cell; two
// columns either way), "@L" new line, "@P[c,r]" cursor, "@V[k]" the display text of $k
// (nested at most 8 deep; deeper ones are skipped), "@W[ms]" delay; "@" with any other byte
// skips both. A lead byte or "@" just before the end ends the layout. Drawing on an unusable
// target does nothing and the layout goes on. The cursor and colours are written back.
// Returns 1, or 0 for a bad target number, a character size below 1 ("文字サイズが設定されて
// いません。": the cell target has none before screen 0 is made), a sequence's parameter error
// (its message shown), a number that does not parse, or a wait ended by an end flag.
VSKEXEC_API int WINAPI VSKEXEC_Text(tagVALUAREA* ctx, int n, const RECT* rect, LPCSTR text);
// Draws the whole text into `rect` of target n at once with `colour` and `attribute` (the
// target's own stay) and the target's font name and character size. 1, or 0 when the target
// is not usable.
VSKEXEC_API int WINAPI VSKEXEC_String(tagVALUAREA* ctx, int n, const RECT* rect, LPCSTR text,
                                      int colour, int attribute);
// The pointer in screen n's coordinates (ZEM_GetMouse): 1 when it lies inside the client area
// of screen n's window over the part that shows the screen; otherwise 0 and both -32767.
VSKEXEC_API int WINAPI VSKEXEC_GetMousePos(tagVALUAREA* ctx, int n, POINT* point);

// ---- tracer channels ----
// With NULL: 1 when a window of class "Veskeran33Tracer" exists. With a text: sends "<#0> <text>"
// (256 bytes) on the message channel (event "VskMsgOn", mailslot \\.\mailslot\vsk\message,
// then at most 5000 ms for "VskMsgOff"); 1 when sent and taken, 0 when the tracer's
// "VskMsgOn" event does not exist or it did not answer.
VSKEXEC_API int WINAPI VSKEXEC_SendTracer(tagVALUAREA* ctx, LPCSTR text);
// The same on the value channel ("VskValueOn", \\.\mailslot\vsk\value, "VskValueOff").
VSKEXEC_API int WINAPI VSKEXEC_SendViewer(tagVALUAREA* ctx, LPCSTR text);
