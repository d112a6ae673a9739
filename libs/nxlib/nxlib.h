// nxlib: the utility library. Files with the .vfs archive lookup, Shift-JIS-aware strings,
// integer math, memory blocks and a message pump. The same code is built into several
// libraries in different variants (the archive entry width, the keyword characters); each
// build answers these names for its own callers only.
//
// Outputs that have no size argument in the system's interface have a documented capacity
// (the NXL_MAX_* values) and a trailing capacity argument defaulting to it: longer results
// are cut, never written past the capacity.
#pragma once

#include <windows.h>

#ifdef NXL_BUILDING_LIBRARY
#define NXL_API extern "C" __attribute__((visibility("default")))
#else
#define NXL_API extern "C"
#endif

#define NXL_MAX_DRIVE 3  // "C:" and its terminator
#define NXL_MAX_DIR 256
#define NXL_MAX_FNAME 256
#define NXL_MAX_EXT 256
#define NXL_MAX_PATH 260
#define NXL_MAX_KEYWORD 256
#define NXL_MAX_NUMBER 24  // NXL_STR_IntToStr / NXL_STR_FltToString output

// ---- .vfs archives ----
// Widths of one directory entry in the three archive forms.
#define VFS_ENTRY_PACKED 32   // 13-byte name, packed
#define VFS_ENTRY_ALIGNED 36  // 13-byte name, fields aligned
#define VFS_ENTRY_LONG 280    // 256-byte name

// The 16-byte archive header, as read.
typedef struct tagVFHEAD {
    WORD id;      // not checked
    WORD ver;     // not checked
    WORD count;   // number of directory entries
    WORD length;  // meaningful bytes of one entry
    DWORD skip;   // byte length of the directory behind the header
    DWORD size;   // not read
} tagVFHEAD;

// A directory entry, as read (the same record for every entry width; `name` holds the
// longest form's name).
typedef struct tagVFENTRY {
    char name[257];
    WORD atb;
    WORD date;
    WORD time;
    DWORD offset;  // absolute offset of the data in the archive
    DWORD size;    // byte length of the data
    BYTE reserve[5];
} tagVFENTRY;

// Opens `path` for reading through this build's archive rule: the archive drive + folder +
// stem + ".vfs" holding the entry stem + extension (case-insensitive). When the archive opens
// but lacks the entry (or is malformed) the result is NULL, even when the plain file exists;
// only when no archive opens is the plain file used (offset 0, its size). The handle is
// positioned at the data.
NXL_API HANDLE WINAPI VFS_OpenFile(LPCSTR path, tagVFENTRY* entry);

// ---- files ----
NXL_API int WINAPI NXL_FILE_Exist(LPCSTR path);
NXL_API HANDLE WINAPI NXL_FILE_ReadOpen(LPCSTR path);
// Replaces the file by a new empty one (never inside an archive).
NXL_API HANDLE WINAPI NXL_FILE_WriteOpen(LPCSTR path);
// Bytes read or written, or -1 when the call fails.
NXL_API int WINAPI NXL_FILE_Read(HANDLE file, LPVOID buffer, int n);
NXL_API int WINAPI NXL_FILE_Write(HANDLE file, LPCVOID buffer, int n);
NXL_API BOOL WINAPI NXL_FILE_Close(HANDLE file);
// The entry's size (the plain file's size without archive), or -1.
NXL_API int WINAPI NXL_FILE_Size(LPCSTR path);
// The whole file in a new NXL_MEM_Alloc block, or NULL. With `text` the block is one byte
// longer and 0-terminated, and a last byte 0x1A is replaced by 0.
NXL_API LPVOID WINAPI NXL_FILE_ReadBlock(LPCSTR path, int text);
// Writes n bytes as the whole file. 1, or 0 when it can't be created or a write falls short.
NXL_API int WINAPI NXL_FILE_WriteBlock(LPCSTR path, LPCVOID buffer, int n);
// Splits a path (Shift-JIS aware) into drive ("C:"), folder (up to the last '\'), stem (up
// to the first '.') and extension (from that '.'); NULL outputs are skipped. Returns the last
// string written.
NXL_API LPSTR WINAPI NXL_FILE_SeparatePath(LPCSTR path, LPSTR drive, LPSTR dir, LPSTR stem,
                                           LPSTR ext, size_t driveCap = NXL_MAX_DRIVE,
                                           size_t dirCap = NXL_MAX_DIR,
                                           size_t stemCap = NXL_MAX_FNAME,
                                           size_t extCap = NXL_MAX_EXT);
// out = the non-NULL parts in order; returns out.
NXL_API LPSTR WINAPI NXL_FILE_MakePath(LPSTR out, LPCSTR drive, LPCSTR dir, LPCSTR stem, LPCSTR ext,
                                       size_t outCap = NXL_MAX_PATH);
// The folder part (drive and folder) and the file part (stem and extension) of a path
// (the long-name builds only).
NXL_API void WINAPI NXL_FILE_SeparateFile(LPCSTR path, LPSTR folder, LPSTR file,
                                          size_t folderCap = NXL_MAX_PATH,
                                          size_t fileCap = NXL_MAX_PATH);

// The record of the file dialog, owned by the caller.
typedef struct tagNXLFILEFILTER {
    char title[32];
    char ext[5];
} tagNXLFILEFILTER;
typedef struct tagNXLFILESELECT {
    HWND hwnd;       // owner window
    char title[64];  // dialog title
    char dir[256];   // initial folder; after a choice the chosen file's folder
    char path[256];  // the chosen path
    char ext[5];     // default extension with its dot; after a choice the chosen one
    tagNXLFILEFILTER filter[10];
    int filtercount;
    int index;           // 1-based filter shown first; after a choice the matching one
    char filetitle[64];  // the chosen file name without folder
} tagNXLFILESELECT;
NXL_API int WINAPI NXL_FILE_InitFilter(tagNXLFILESELECT* sel, HWND hwnd, LPCSTR title, LPCSTR ext);
NXL_API int WINAPI NXL_FILE_AddFilter(tagNXLFILESELECT* sel, LPCSTR title, LPCSTR ext);
// Runs the save dialog when `flag` is nonzero, else the open dialog, over the record's
// filters. Returns 1 when a file was chosen: `path` and `filetitle` name it, `dir` is its
// folder, `ext` its extension (cut to the field) and `index` the last filter of that
// extension; 0 when cancelled, leaving the record's choice fields as they were.
NXL_API int WINAPI NXL_FILE_SelectFile(tagNXLFILESELECT* sel, int flag);

// ---- Shift-JIS strings ----
// A character is one byte, or a lead byte (0x81-0x9F, 0xE0-0xFC) and its trail byte; its
// code is the byte, or lead x 256 + trail. The bytes 0 and 0x1A end a text, and so does a
// lead byte whose trail byte is 0.
NXL_API int WINAPI NXL_STR_CheckWord(LPCSTR p);
// Reads one character; stores its code (0 at the end) and returns the position behind it,
// or NULL at the end of the text.
NXL_API LPSTR WINAPI NXL_STR_GetWord(LPCSTR p, WORD* code);
// Writes one character and a 0 behind it; returns the position behind the character. When
// the character and the 0 don't fit `cap` bytes, only the 0 is written and p is returned.
NXL_API LPSTR WINAPI NXL_STR_SetWord(LPSTR p, WORD code, size_t cap = 3);
NXL_API int WINAPI NXL_STR_WordLength(LPCSTR text);
// Copies up to n characters (n = -1: all) and a 0; characters that would not fit `cap`
// bytes with the 0 are left out. Returns the number of characters copied.
NXL_API int WINAPI NXL_STR_Copy(LPSTR out, LPCSTR text, int n, size_t cap = NXL_MAX_PATH);
NXL_API LPSTR WINAPI NXL_STR_SkipSpace(LPCSTR text);
NXL_API LPSTR WINAPI NXL_STR_NextLine(LPCSTR text);
// Prefix compare: 1 when `pattern` (up to a '*' with `wildcard`) starts `text`; `nocase`
// folds 'a'-'z' only.
NXL_API int WINAPI NXL_STR_Compare(LPCSTR text, LPCSTR pattern, int nocase, int wildcard);
NXL_API LPSTR WINAPI NXL_STR_Search(LPCSTR text, LPCSTR pattern, int nocase, int wildcard);
// Takes the keyword at `text` (after blanks) into `out` (cut to `cap` bytes; the rest of the
// keyword is still skipped) and returns the next non-blank position behind it, or NULL when
// the text ends. Keyword characters: digits, letters and double-byte characters above the
// full-width blank; the layer build also takes ':', '\', '_', '.' and half-width kana.
// A NULL `out` skips the keyword without storing it.
NXL_API LPSTR WINAPI NXL_STR_GetKeyword(LPCSTR text, LPSTR out, size_t cap = NXL_MAX_KEYWORD);
// Writes n in decimal; returns the position of the terminating 0.
NXL_API LPSTR WINAPI NXL_STR_IntToStr(LPSTR out, int n);
// An optional sign and decimal digits (clamped to the int range); returns the position behind.
NXL_API LPSTR WINAPI NXL_STR_StrToInt(LPCSTR text, int* n);
// At most seven significant digits and nine decimals; NULL (out untouched) above 9999999.0,
// for infinities and for NaN. `out` holds NXL_MAX_NUMBER bytes.
NXL_API LPSTR WINAPI NXL_STR_FltToString(LPSTR out, float f);
NXL_API LPSTR WINAPI NXL_STR_StrToFlt(LPCSTR text, float* f);

// ---- math (32-bit signed integers) ----
NXL_API int WINAPI NXL_MATH_Abs(int v);
NXL_API int WINAPI NXL_MATH_Sign(int v);
NXL_API int WINAPI NXL_MATH_Limit(int v, int lo, int hi);
// v wrapped into [lo, hi); v itself when the range is empty.
NXL_API int WINAPI NXL_MATH_Range(int v, int lo, int hi);
// a + a random value mod (b - a + 1); a when b < a.
NXL_API int WINAPI NXL_MATH_Random(int a, int b);
NXL_API int WINAPI NXL_MATH_SetBit(int v, int mask, int flag);
NXL_API int WINAPI NXL_MATH_GetBit(int v, int mask);

// ---- memory blocks (zero-filled, movable, locked for life) ----
NXL_API LPVOID WINAPI NXL_MEM_Alloc(int n);
NXL_API void WINAPI NXL_MEM_Free(LPVOID p);
NXL_API int WINAPI NXL_MEM_Size(LPVOID p);
NXL_API LPVOID WINAPI NXL_MEM_Resize(LPVOID p, int n);
NXL_API void WINAPI NXL_MEM_Copy(LPVOID dst, LPCVOID src, int n);
NXL_API int WINAPI NXL_MEM_Clear(LPVOID dst, LPCVOID pattern, int width, int count);
NXL_API int WINAPI NXL_MEM_Exchange(LPVOID a, LPVOID b, int n);

// ---- Windows ----
// Takes every waiting message off the calling thread's queue, translating and dispatching
// each; returns when the queue is empty.
NXL_API void WINAPI NXL_WIN_SystemTask(void);
