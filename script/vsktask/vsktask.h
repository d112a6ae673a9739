// vsktask: the script engine's lowest layer. The error box that names the script, task and
// line where a script failed, the retry box for exhausted memory, the memory blocks every
// script library allocates for values, cells, waves, files and bytecode, and two byte-string
// functions. It keeps no state of its own: the script position shown in an error box is asked
// from the host window.
#pragma once

#include <windows.h>

#ifdef VSKTASK_BUILDING_LIBRARY
#define VSKTASK_API extern "C" __attribute__((visibility("default")))
#else
#define VSKTASK_API extern "C"
#endif

// Messages the error box sends to its owner window; the host answers them.
#define VSKTASK_MSG_TASKNAME 0x5101  // lParam: char[260] receiving the running script's name
#define VSKTASK_MSG_TASKLINE 0x5102  // lParam: int* receiving the running line (+1)
#define VSKTASK_MSG_TASKNO 0x5104    // lParam: int* receiving the running task number

// ---- boxes ----
// Shows `text` under `caption` with the stop icon and an OK button. Without a window the box
// is task-modal and shows the bare text. With a window the box is owned by it and its text
// reads "【シナリオ】\t<name>\n【タスク】\t<task>\n【行番号】\t<line>\n【内容】\t<text>",
// the three values asked from the window by VSKTASK_MSG_TASKNAME (default "シナリオ不定"),
// VSKTASK_MSG_TASKNO and VSKTASK_MSG_TASKLINE (default 0); a thread other than the window's
// therefore needs the window's thread to be pumping. Returns the box's result. The box only
// informs: stopping the script is up to the caller.
VSKTASK_API int WINAPI VSKTASK_ErrorStop(HWND hwnd, LPCSTR caption, LPCSTR text);
// A Retry/Cancel box with the stop icon (task-modal without a window). 1 for Retry, else 0.
VSKTASK_API int WINAPI VSKTASK_ErrorRetry(HWND hwnd, LPCSTR caption, LPCSTR text);

// ---- memory blocks ----
// A block is a zero-filled movable global memory block kept locked while in use; callers hold
// the locked pointer. The platform keeps every live global block in a registry (pointer ->
// block and size), so a pointer that is not the start of such a block is refused by size,
// free, duplicate, resize and exchange without a message and without being touched. Pixel
// rows that the picture and display libraries allocate are global blocks of the same kind,
// so a cell value's rows are freed here like any other block.

// A zeroed block of `bytes` bytes. When memory is exhausted a retry box (caption
// "『Veskeran33』タスクマネージャ(VSKTASK.DLL)") repeats the allocation until the user
// cancels; Cancel gives NULL.
VSKTASK_API void* WINAPI VSKTASK_AllocMemory(HWND hwnd, SIZE_T bytes);
// The block resized to `bytes` (new bytes zero); it may move. NULL when `block` is no block,
// or after one retry box ("ﾒﾓﾘ不足によりｻｲｽﾞ変更に失敗しました。", its answer unused) when
// memory is exhausted; the old block then stays valid and unchanged.
VSKTASK_API void* WINAPI VSKTASK_ResizeMemory(HWND hwnd, void* block, SIZE_T bytes);
// Frees the block; NULL or a pointer that is no block is ignored.
VSKTASK_API void WINAPI VSKTASK_FreeMemory(HWND hwnd, void* block);
// The block's size in bytes, 0 when `block` is no block.
VSKTASK_API SIZE_T WINAPI VSKTASK_SizeMemory(HWND hwnd, const void* block);
// A new block of the same size and bytes, or NULL (no block, or the allocation cancelled).
VSKTASK_API void* WINAPI VSKTASK_DuplicateMemory(HWND hwnd, const void* block);
// Exchanges the first `count` bytes of two blocks. 0 when either is no block or shorter than
// `count` (nothing changes), else 1.
VSKTASK_API int WINAPI VSKTASK_ExchangeMemory(HWND hwnd, void* a, void* b, SIZE_T count);

// ---- byte strings ----
// The length of `text` plus 1 (room for its terminator); 1 for NULL.
VSKTASK_API int WINAPI VSKTASK_LengthString(LPCSTR text);
// A prefix test: 1 when the two agree up to the end of the shorter one (so "" agrees with
// every string and "AB" with "ABC"), 0 at the first difference.
VSKTASK_API int WINAPI VSKTASK_CompareString(LPCSTR a, LPCSTR b);
