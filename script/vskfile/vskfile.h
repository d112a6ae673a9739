// vskfile: the script engine's file library. Opening with the system's error texts and retry
// boxes, reading and writing with retry boxes, whole-file blocks, existence and size tests
// (also of files packed in .vfs archives), path splitting and joining, RIFF containers, the
// byte scrambling of value files and compiled scripts, and the value files themselves.
//
// Names given are copied and upper-cased (double-byte characters left alone) before use, and
// opened through the platform's path resolver. Every box is captioned
// "『Veskeran33』ファイルマネージャ(VSKFILE.DLL）" and owned by the window given first (the
// context's window). File handles are those of the OpenFile family; 0 means failure. For each
// handle opened for reading the library keeps where its file's data lie (inside an archive,
// or the whole plain file), which the size, block and RIFF functions use.
#pragma once

#include <windows.h>

#include "vskval.h"

#ifdef VSKFILE_BUILDING_LIBRARY
#define VSKFILE_API extern "C" __attribute__((visibility("default")))
#else
#define VSKFILE_API extern "C"
#endif

// ---- opening and closing ----
// Mode 0 reads, archive-aware: the archive is the path up to its last backslash plus ".vfs"
// and the entry the part behind it (32-byte entries); when the archive opens but lacks the
// entry the opening fails even if the plain file exists; without an archive the plain file is
// opened. While the opening fails a retry box shows "\"<NAME>\"\n<error text>", the error text
// being "0x%04X:" and the system's wording of the error code (the code alone outside
// 0x0000-0x0058); Cancel gives 0. OF_DELETE (0x200) deletes in one attempt (an error box on
// failure, 0; a nonzero value on success). Any other mode goes to OpenFile with retry boxes.
// A read handle stands at the first byte of the file's data.
VSKFILE_API HFILE WINAPI VSKFILE_Open(HWND hwnd, LPCSTR name, UINT mode);
VSKFILE_API HFILE WINAPI VSKFILE_ReadOpen(HWND hwnd, LPCSTR name);
// OF_CREATE | OF_WRITE: a new or emptied file. Writing never goes into an archive.
VSKFILE_API HFILE WINAPI VSKFILE_WriteOpen(HWND hwnd, LPCSTR name);
VSKFILE_API int WINAPI VSKFILE_Close(HWND hwnd, HFILE file);
// 1 when the file opens for reading (archive-aware), else 0; never a box.
VSKFILE_API int WINAPI VSKFILE_Exist(HWND hwnd, LPCSTR name);
// 1 when deleted, else 0 after the error box.
VSKFILE_API int WINAPI VSKFILE_Delete(HWND hwnd, LPCSTR name);
// The data size (an archive entry's or the plain file's length); 0 when it does not open (no
// box).
VSKFILE_API DWORD WINAPI VSKFILE_Size(HWND hwnd, LPCSTR name);

// ---- reading and writing ----
// Reads or writes exactly n bytes. While that fails (a short read counts: the data are not
// all there) a retry box shows "読み込みに失敗しました。" / "書き込みに失敗しました。" and
// Retry tries again from the same place; Cancel closes the file and gives 0.
VSKFILE_API int WINAPI VSKFILE_Read(HWND hwnd, HFILE file, void* buffer, DWORD n);
VSKFILE_API int WINAPI VSKFILE_Write(HWND hwnd, HFILE file, const void* buffer, DWORD n);
// A task-library block holding the whole file, or NULL; with a nonzero flag two more bytes
// 0x1A and 0x00 follow the data (so a text ends in its end mark and a 0).
VSKFILE_API void* WINAPI VSKFILE_ReadBlock(HWND hwnd, LPCSTR name, int flag);
// Writes n bytes as a new file: 1 or 0.
VSKFILE_API int WINAPI VSKFILE_WriteBlock(HWND hwnd, LPCSTR name, const void* buffer, DWORD n);

// ---- paths (buffers of MAX_PATH bytes) ----
// Upper-cases `path` in place; `folder` gets the path up to (not including) its last
// backslash, "" when there is none; `name` the part behind it (the whole path without one).
VSKFILE_API int WINAPI VSKFILE_Sprit(char* folder, char* name, char* path);
// folder + "\" + name, upper-cased; an empty folder gives the name alone, so that a split
// path joins back to itself.
VSKFILE_API int WINAPI VSKFILE_Merge(char* out, LPCSTR folder, LPCSTR name);

// ---- scrambling ----
// A key 1..254 from the tick count.
VSKFILE_API int WINAPI VSKFILE_MakeCode(void);
// Scrambles n bytes in place: for i from n-1 down to 1, b[i] ^= key, then b[i-1] ^= b[i].
VSKFILE_API void WINAPI VSKFILE_LockCode(BYTE* buffer, DWORD n, int key);
// Restores what VSKFILE_LockCode scrambled with the same key.
VSKFILE_API void WINAPI VSKFILE_UnlockCode(BYTE* buffer, DWORD n, int key);

// ---- RIFF ----
// Opens for reading and checks "RIFF" and the 4-character form type (else an error box:
// "\"<NAME>\"\n指定されたファイルは RIFF 形式ファイルではありません。" or
// "...種類が一致しません。", the file closed, 0). The handle stands at offset 12.
VSKFILE_API HFILE WINAPI VSKFILE_OpenRIFF(HWND hwnd, LPCSTR name, LPCSTR form);
// Writes the 12-byte header for the file's current length at offset 0, then returns to where
// the file stood. 1 or 0.
VSKFILE_API int WINAPI VSKFILE_MakeRIFF(HWND hwnd, HFILE file, LPCSTR form);
// A chunk header: 4-character tag and u32 size (data are not padded).
VSKFILE_API int WINAPI VSKFILE_SetChunk(HWND hwnd, HFILE file, LPCSTR tag, DWORD size);
// Reads a chunk header at the current place; `tag` receives 4 characters and a 0.
VSKFILE_API int WINAPI VSKFILE_GetChunk(HWND hwnd, HFILE file, char* tag, DWORD* size);
// From offset 12 of the file's data, finds the chunk `tag` and stands at its data. 0 (no box)
// when the chunks end first or a size runs past the end.
VSKFILE_API int WINAPI VSKFILE_SearchChunk(HWND hwnd, HFILE file, LPCSTR tag, DWORD* size);

// ---- value files: RIFF "VVFG", one chunk per value, then "END " ----
//   "NULL" 0 bytes: any value but the five below; reads back empty
//   "NUM " 8: high, low          "RECT" 16: x, y, width, height
//   "STR " 2n+2 (n <= 999): the units and the 0 unit, scrambled with the key = the size's low
//          byte, or 255 when that is 0
//   "CELL" 40 + xsize*2*ysize: ten 32-bit fields (mode, xsize, ysize, xpos, ypos, xoffset,
//          yoffset, mask, bits written 0 and ignored, user), then the pixels
//   "MEM " size: the first `size` bytes of the memory block
// The number of value chunks before "END ", 0 when the file cannot be read as a value file.
VSKFILE_API int WINAPI VSKFILE_CountFAQ(tagVALUAREA* ctx, LPCSTR name);
// Skips `skip` chunks, then reads up to `count` values into slots first, first + 1, ... of
// `block` (each slot released first). Returns the number stored, 0 on failure (values stored
// before a failure stay). A chunk of another tag shows "未定義のデータ形式です。(Block=%d,
// Name=%s)" and is passed over, its slot left empty. A chunk that runs past the end of the
// file, a "STR " above 2000 bytes, of odd size or without its 0 unit, a "CELL" below 40 bytes
// or not 40 + xsize*2*ysize, a "NUM " below 8 or a "RECT" below 16 bytes fail the read as a
// whole (nothing of that value stays allocated).
VSKFILE_API int WINAPI VSKFILE_ReadFAQ(tagVALUAREA* ctx, LPCSTR name, const tagVALUEBLOCK* block,
                                       int first, int skip, int count);
// Writes `count` values of `block` from slot `first`: a new file when none exists; with
// skip < 0 they are appended to an existing value file (over its "END "); with skip >= 0 an
// existing file is left unchanged and 0 returned. Returns the number written, 0 on failure.
VSKFILE_API int WINAPI VSKFILE_WriteFAQ(tagVALUAREA* ctx, LPCSTR name, const tagVALUEBLOCK* block,
                                        int first, int skip, int count);
