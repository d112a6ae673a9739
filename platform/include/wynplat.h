// The platform layer's own services beside the Windows names: the program folder, the path
// resolver, text conversion, the process clock's test controls, the language setting, the
// processor test and the scripted answers of message boxes. Environment variables all begin
// with WYN_ (see the README).
#pragma once

#include <cstddef>
#include <cstdint>

#include "win/wintypes.h"

// ---- program folder and paths ----
// The file system is presented as drive C: with '\' separators (C:\ is /). Other drive letters
// exist only where WYN_DRIVE_<letter> names a folder for them.

// The folder of the running program (WYN_PROGRAM_DIR overrides it), as a Linux path without
// a trailing '/'.
WINBASEAPI const char* WynPlat_ProgramDir(void);
// Turns a path as the system writes it (Shift-JIS, '\' or '/', drive prefix, any case) into a
// Linux path in UTF-8. Existing components are matched without regard to case; the rest are
// kept as written. Returns 1, or 0 (and sets the last error) when the path cannot be mapped
// or does not fit `cap`.
WINBASEAPI int WynPlat_ResolvePath(const char* path, char* out, size_t cap);
// Turns a Linux path (UTF-8) into the system's form (C:\..., Shift-JIS). Returns 1 or 0.
WINBASEAPI int WynPlat_ToSystemPath(const char* linuxPath, char* out, size_t cap);

// ---- text ----
// Converts `text` of code page `codePage` (932 Shift-JIS, 950 Big5) to UTF-8. Returns the
// length written (always 0-terminated when cap > 0); undecodable bytes become U+FFFD.
WINBASEAPI size_t WynPlat_ToUtf8(const char* text, int codePage, char* out, size_t cap);
// Converts UTF-8 to code page `codePage`; characters it lacks become '?'.
WINBASEAPI size_t WynPlat_FromUtf8(const char* text, int codePage, char* out, size_t cap);

// ---- the process clock ----
// One clock for the whole process behind timeGetTime, GetTickCount, the performance counter
// (1 MHz, 64-bit), Sleep, waits and timers. Real mode follows the machine's monotonic clock.
// Virtual mode (WYN_CLOCK=virtual from the start, or switched on by a test) starts at one
// minute and the calendar (GetSystemTime, GetLocalTime) at 2001-01-01 00:00:00, so runs
// repeat. Virtual time stands still except:
//  - every reading moves it on by the read step (100 us unless set), so that loops that poll
//    the clock without sleeping still move on;
//  - a test moves it with WynPlat_AdvanceClock;
//  - sleeping and waiting threads: each Sleep or timed wait has a deadline on the clock, and
//    the sleeper wakes when the clock reaches it. When every counted thread is blocked (in
//    Sleep, a wait, or a contended critical section) and no waiter is ready to run, the
//    clock jumps to the earliest deadline. So one thread's Sleep(n) advances the clock by n,
//    and threads sleeping side by side wake in deadline order at their own deadlines.
// The counted threads are the main thread, threads from CreateThread (while not suspended)
// and any other thread from its first wait on. When nothing happens for 100 ms of real time
// and every counted thread outside the layer's waits sleeps in the kernel and has had no
// processor time all that while (blocked outside the layer, say joining a thread), the clock
// reaches the earliest deadline anyway, so that nothing hangs; a thread that is merely slow,
// short of processor time or waiting now and then for a disk or another program's reply (the
// X server's) holds it back, so a run takes the same virtual time on a slow machine.
WINBASEAPI uint64_t WynPlat_ClockMicros(void);
WINBASEAPI void WynPlat_SetVirtualClock(int on);
WINBASEAPI int WynPlat_IsVirtualClock(void);
// Moves virtual time on (no effect in real mode); sleepers whose deadline passes wake.
WINBASEAPI void WynPlat_AdvanceClock(uint64_t micros);
// The step every reading adds in virtual mode (0: readings leave the clock alone).
WINBASEAPI void WynPlat_SetClockReadStep(uint64_t micros);

// ---- hand-offs between threads ----
// A baton: a word (starting at 0) through which a thread lets one other thread run at once,
// for threads that take turns. The taker sleeps on its own word only, the passer wakes only
// that taker, and neither takes a lock of the layer. A sleeping taker counts as blocked on
// the process clock; the passer counts it as running again before it wakes it, so virtual
// time cannot move on in a hand-off.
// Blocks until the baton has been passed, then takes it (the word is 0 again).
WINBASEAPI void WynPlat_TakeBaton(volatile LONG* baton);
// Passes the baton, waking its taker if it sleeps. Passing a baton already passed does nothing.
WINBASEAPI void WynPlat_PassBaton(volatile LONG* baton);
// Tells the taker that its baton comes soon: it looks for the baton a bounded moment (tens of
// microseconds) before it sleeps, so that a pass within that moment costs neither side a
// kernel call. A sleeping taker is woken to look; a taker not yet taking looks when it takes
// (a thread may warn its own baton). Nothing when the baton is passed or the taker warned.
WINBASEAPI void WynPlat_WarnBaton(volatile LONG* baton);

// ---- language ----
// 1 when the system's texts are to be Japanese: WYN_LANG (ja/en), else the user's locale
// (ja_* Japanese, en_* and others English, C/POSIX or unset Japanese).
WINBASEAPI int WynPlat_IsJapanese(void);

// ---- processor ----
typedef struct WynCpuInfo {
    char vendor[13];  // "GenuineIntel", "AuthenticAMD", ...
    int sse;          // leaf 1 EDX bit 25
    int amd3dnow;     // leaf 0x80000001 EDX bit 31
} WynCpuInfo;
typedef void (*WynCpuProbe)(WynCpuInfo* info);
WINBASEAPI void WynPlat_GetCpuInfo(WynCpuInfo* info);
// Replaces the processor test (tests fake processors); NULL restores the real one.
WINBASEAPI void WynPlat_SetCpuProbe(WynCpuProbe probe);

// ---- ini files ----
// Reads of an ini file keep one parsed copy of it, used while the file's identity, size and
// modification time are unchanged and dropped by every write of this process; a file over
// 1 MB is refused (the platform's message, once for each state of the file) and reads give
// the defaults. Writes replace the whole file at once (written beside it, then renamed over).
// How many times a read parsed a file, in this process.
WINBASEAPI long WynPlat_IniParseCount(void);
// Makes the n-th ini file write from now on (1: the next; 0: none) fail part-way: half its
// bytes reach the file beside the old one, then the write fails as on a full disk, or, with
// `kill`, the process is killed there, as a crash would end it. WYN_INI_WRITE_FAULT ("n" or
// "n:kill") sets the same from the start of a program.
WINBASEAPI void WynPlat_SetIniWriteFault(int n, int kill);

// ---- the runtime folder ----
// Whether the runtime folder (WYN_RUNTIME_DIR, else $XDG_RUNTIME_DIR/wyn, else /tmp/wyn-<uid>)
// can be made and written. When not, shows one box naming the folder and the reason and
// returns 0: the programs of the set meet there and refuse to run without it.
WINBASEAPI int WynPlat_CheckRuntimeDir(void);

// ---- message boxes ----
// Headless boxes are logged (caption and text in UTF-8 on stderr, and to WYN_MSGBOX_LOG) and
// answered from WYN_MSGBOX_ANSWERS ("6,2,..."), then from answers pushed here, else by a safe
// default (Cancel where there is one, No for Yes/No, Abort for Abort/Retry/Ignore, OK for OK).
// A scripted answer that is not one of the box's buttons is used up and the default given.
WINBASEAPI void WynPlat_PushMessageBoxAnswer(int answer);
// How many boxes were shown so far in this process.
WINBASEAPI int WynPlat_MessageBoxCount(void);
// The caption and text (UTF-8) of the last box shown. Returns 0 when none was shown.
WINBASEAPI int WynPlat_LastMessageBox(char* caption, size_t captionCap, char* text, size_t textCap);

// ---- the software Direct3D ----
// Makes the device enumeration refuse devices, so that callers' fallbacks can be tested:
// 0 offers everything (the 3D accelerator driver, the hardware device and the emulation
// devices), 1 refuses the accelerator and the hardware device, 2 refuses every Direct3D device
// (the enumeration lists none and none can be created).
WINBASEAPI void WynPlat_SetDirect3DRefusal(int level);

// ---- windows: screenshots and replayed input ----
// Copies the client area of `hwnd` (with its visible child windows composed in) as 32-bit
// 0x00RRGGBB pixels, rows top-down, into `pixels` (at least width x height entries; NULL
// only asks the size). Returns 1, or 0 for an unknown window or a too small buffer.
WINBASEAPI int WynPlat_CaptureWindow(HWND hwnd, uint32_t* pixels, int capacity, int* width,
                                     int* height);
// Writes the client area of `hwnd` as a PNG file (a Linux path). Returns 1 or 0.
WINBASEAPI int WynPlat_SaveWindowPng(HWND hwnd, const char* path);
// Queues timed input events, the lines of a replay file (see the README, WYN_REPLAY), with
// times counted from now on the process clock. They are fed into the message queues while
// the thread that made the first window takes messages. Returns the number of events, or -1
// when the file cannot be read or a line is not understood (nothing is queued then).
WINBASEAPI int WynPlat_LoadReplay(const char* path);
WINBASEAPI int WynPlat_ReplayScript(const char* text);
// Events still waiting to be fed in.
WINBASEAPI int WynPlat_PendingReplay(void);

// ---- text code pages ----
// The code page of the texts drawn through `hdc` (932 Shift-JIS, 950 Big5; 0: from the
// selected font's charset, Big5 for CHINESEBIG5_CHARSET, else Shift-JIS). Returns 1 or 0.
WINBASEAPI int WynPlat_SetDCCodePage(HDC hdc, int codePage);

// ---- audio ----
// The process has one audio output (22050 Hz stereo) fed by the wave output and the other
// sound sources; SDL plays it on a desktop, a headless sink consumes it at the rate of the
// process clock. WYN_AUDIO_CAPTURE=<path> (or this call) writes what is played to a WAV file
// (22050 Hz, stereo, 16-bit) whose sizes are kept current; NULL or "" stops capturing.
// Returns 1, or 0 when the file cannot be created.
WINBASEAPI int WINAPI WynPlat_SetAudioCapture(const char* path);
// Headless: plays at once everything that is due by the process clock, so that a test sees
// the finished buffers' messages posted. (Dispatching messages does this too.)
WINBASEAPI void WINAPI WynPlat_AudioCatchUp(void);
// Declares that the texts of the module (program, library or plug-in) containing `address`
// (a variable or function of it with internal linkage: the address of an exported function
// may stand for the program's entry to it) are in `codePage` (932 Shift-JIS or 950 Big5). Message
// boxes and GDI text called from that module then read its texts in that code page (a DC's
// own code page or a Big5 font still wins for GDI text). The caller is known by its return
// address: a call made as the module function's last act (a tail call) counts as its
// caller's. Returns 1, or 0 for another code
// page or an address outside every module.
WINBASEAPI int WynPlat_SetModuleCodePage(const void* address, int codePage);

// ---- resources and dialog boxes ----
// One resource of a module: `type` is RT_DIALOG, RT_ICON, RT_CURSOR or RT_BITMAP (or any
// other number), `name` a name (compared without case) or MAKEINTRESOURCEA(id).
//  - RT_DIALOG: the template as text (Shift-JIS), one statement a line:
//      DIALOG x y cx cy              position and size in dialog units (required, first)
//      CAPTION "text"                FONT points "face"          STYLE number
//      CONTROL kind id "text" x y cx cy [GROUP] [DEFAULT] [DISABLED] [CHECKED]
//    with kind one of BUTTON, RADIO, CHECK, GROUPBOX, LTEXT, CTEXT, RTEXT, COMBO (a drop-down
//    list), TRACKBAR; a quote inside a text is written twice; ';' starts a comment line.
//  - RT_BITMAP: the bytes of a BMP file. RT_ICON, RT_CURSOR: the bytes of a BMP file, or
//    empty; a cursor whose data is the text "hand", "wait", "cross" or "ibeam" shows that
//    standard shape.
typedef struct WynResource {
    LPCSTR type;
    LPCSTR name;
    const void* data;
    size_t size;
} WynResource;
// Adds `count` resources to the module that holds `address` (a module registers its table
// at load, from a static initialiser: WynPlat_AddResources((void*)&table, table, n)). The
// table must stay in memory. Returns 1, or 0 for an address outside every module.
WINBASEAPI int WynPlat_AddResources(const void* address, const WynResource* table, int count);
// The module handle (as LoadLibraryA and GetModuleHandleA give it) of the module that holds
// `address`, or NULL.
WINBASEAPI HMODULE WynPlat_ModuleOfAddress(const void* address);
// Scripted dialog input: actions applied, in order, to the next dialog boxes, separated by
// ';' or new lines: "select ID INDEX", "check ID [0|1]", "track ID POS", "click ID", and
// "end" (the dialog's turn is over: the next actions go to the next dialog). Replaces what
// WYN_DIALOG_SCRIPT gave. A headless dialog with no actions left is cancelled (IDCANCEL).
WINBASEAPI void WynPlat_SetDialogScript(const char* script);
// A file that each dialog's final state is appended to (as WYN_DIALOG_LOG); NULL: stderr
// only when headless.
WINBASEAPI void WynPlat_SetDialogLog(const char* path);
// Scripted answers of the file dialogs (GetOpenFileNameA, GetSaveFileNameA), taken in
// order: a path (relative ones are taken from the dialog's initial folder) or "cancel".
// Replaces what WYN_FILE_DIALOG_ANSWERS gave (answers separated by ';'). A headless file
// dialog without an answer is cancelled; on a desktop it shows the layer's file chooser.
WINBASEAPI void WynPlat_SetFileDialogAnswers(const char* answers);
