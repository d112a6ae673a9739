// vskval: the value library of the script engine. It owns the one system context of a script
// host process (tagVALUAREA) and every script value: the value slot (tagVALUE) with its typed
// views, the value blocks (system variables #n, user variables $n, each task's local frames
// $@ and $A-$Z, a command's argument frame), fixed-point numbers (VSKFAQ_*), rectangles
// (VSKRAQ_*), strings of 16-bit units in the context's string heap (VSKSTR_*) and the
// command argument check.
//
// Every export takes the context first and returns 1 for success and 0 for failure unless
// said otherwise; a failure the user must see has already been shown through
// VSKTASK_ErrorStop under the caption "『Veskeran33』変数マネージャ(VSKVAL.DLL)", owned by the
// context's window. The number, rectangle and text functions that need no string heap also
// take a NULL context (their messages then have no owner). The library takes no locks: the
// executor lets one task run at a time.
#pragma once

#include <windows.h>

#include <cstdint>

#ifdef VSKVAL_BUILDING_LIBRARY
#define VSKVAL_API extern "C" __attribute__((visibility("default")))
#else
#define VSKVAL_API extern "C"
#endif

struct tagCELL;     // umb33.h
struct tagTOVWAVE;  // tov42.h (the older sound library's waves)

// ---- type letters (`mode`) ----
#define VSK_MODE_EMPTY 0
#define VSK_MODE_NUMBER 'N'     // tagFAQ
#define VSK_MODE_RECT 'R'       // tagRAQ
#define VSK_MODE_STRING 'S'     // tagSAQ
#define VSK_MODE_REFERENCE 'V'  // tagVAQ
#define VSK_MODE_CELL 'C'       // tagCAQ
#define VSK_MODE_MEMORY 'M'     // tagMAQ
#define VSK_MODE_WAVE 'W'
#define VSK_MODE_HANDLE 'H'
#define VSK_MODE_POINTER 'P'
#define VSK_MODE_OMITTED 'Z'  // an omitted argument in a command frame
// A string shown without its quotes by VSKVAL_DisplayValue (which sets the mode back to 'S').
#define VSK_MODE_BARE_STRING 0x1053

// ---- sizes ----
#define VSK_TASKS 20
#define VSK_SYSTEM_SLOTS 200
#define VSK_USER_SLOTS 10000
#define VSK_FRAME_SLOTS 27  // slot 0 ('@') and $A-$Z
#define VSK_FRAMES 20       // local frames per task
#define VSK_LOCAL_SLOTS (VSK_FRAME_SLOTS * VSK_FRAMES)
#define VSK_LIBRARIES 20
#define VSK_STRING_MAX 999  // units of the longest string
#define VSK_WORDBUF 1000    // units of wordbuf1/wordbuf2 (a longest string and its 0 unit)
#define VSK_BYTEBUF 2000    // bytes of bytebuf1/bytebuf2 (a longest string as bytes and its 0)
#define VSK_NUMBER_MAX 999999999u  // integer part and fraction

// ---- task flags (`taskflag`) ----
#define VSK_TASKFLAG_RETURN 0x0002
#define VSK_TASKFLAG_BREAK 0x0004
#define VSK_TASKFLAG_END 0x0008
#define VSK_TASKFLAG_PAUSE 0x8000

// A value slot. In memory its data are four 64-bit words; each typed view puts its k-th field
// in word k and is reached through the accessors below (never by casting the words):
//   'N' number     word 0 `high` (bit 31 sign, bits 0-30 integer part), word 1 `low` (fraction
//                  in units of 10^-9); both u32 values
//   'R' rectangle  words 0-3 x, y, width, height (int32 values)
//   'S' string     word 0 the heap (the context's hstring), word 1 the data offset of the
//                  string's heap block, word 2 the length in units (without the 0 unit)
//   'V' reference  word 0 the referenced block's slots, word 1 its count, word 2 its offset,
//                  word 3 the index (relative to that offset)
//   'C' cell       word 0 the tagCELL record (a task-library block; its rows another one)
//   'M' memory     word 0 the block, word 1 its size, word 2 an offset
//   'W' wave       word 0 the tagTOVWAVE record (a task-library block) of the older sound
//                  library
//   'H' handle     word 0 a window handle, word 1 its kind (high byte of the low 32 bits: 1
//                  button, 2 edit), words 2 and 3 two integers
//   'P' pointer    word 1 an offset
// A slot that holds handles of its own (the screens' #(20+n): window, 2D screen) keeps one
// handle per word. Copies of a 'W' or 'H' value (VSKFAQ_Copy) share the wave or window; it
// is released once, with the last copy that is cleared.
// `flag` counts stores (VSKVAL_Set), wrapping at 16 bits. `reserved` is pointer-wide: in a
// command frame slot 0 holds the address of the call's tagFUNC record and each argument slot
// the address of its argument's code.
typedef struct tagVALUE {
    WORD mode;
    WORD flag;
    DWORD pad;  // 0; keeps the words aligned
    uint64_t word[4];
    DWORD_PTR reserved;
} tagVALUE;

// A block of value slots: index i means slot i + offset, valid while 0 <= i + offset < count.
typedef struct tagVALUEBLOCK {
    tagVALUE* lpvalue;
    int count;
    int offset;
} tagVALUEBLOCK;

// The system context, one per host process (VSKVAL_Create ... VSKVAL_Delete). A task is an
// index 0-19 into the per-task arrays. The fields the host thread and a task thread share
// (`command`, `data`, `debug`, `taskflag`) are to be read and written through
// std::atomic_ref.
typedef struct tagVALUAREA {
    DWORD id;                            // 0 at creation
    HWND hwnd;                           // the host's main window: owner of every box
    HINSTANCE hinstance;                 // the module given to VSKVAL_Create
    DWORD debug;                         // trace and break bits, set by the host
    DWORD start;                         // timeGetTime at creation
    char execdir[MAX_PATH];              // the module's folder, system form, upper case, no
                                         // trailing backslash; the current folder after Create
    HMODULE hlib[VSK_LIBRARIES];         // command libraries loaded by the executor
    char libname[VSK_LIBRARIES][9];      // their names; "" marks a free entry
    DWORD command;                       // the host mailbox: a request number...
    DWORD_PTR data;                      // ...and its parameter (a pointer or a handle)
    int taskno;                          // the task holding the turn, -1 for none
    int tasksuper;                       // the task that keeps the turn, -1 for none
    DWORD tasktimer[VSK_TASKS];          // due time of a task's wait timer, 0 for none
    HANDLE taskevent[VSK_TASKS];         // manual-reset events "VSKEVENT%02d": the turn
    DWORD taskflag[VSK_TASKS];           // VSK_TASKFLAG_*
    char taskname[VSK_TASKS][MAX_PATH];  // the script file a task runs
    HANDLE taskhandle[VSK_TASKS];        // a task's thread; NULL while the slot is free
    DWORD taskid[VSK_TASKS];
    int taskline[VSK_TASKS];           // the script line being run
    int tasklevel[VSK_TASKS];          // nesting depth of running blocks
    HGLOBAL hstring;                   // the string heap
    tagVALUEBLOCK vbsystem;            // 200 slots, offset 0: #n
    tagVALUEBLOCK vbuser;              // 10000 slots, offset 0: $n
    tagVALUEBLOCK vblocal[VSK_TASKS];  // 540 slots each, offset -27 until a frame opens
    WORD wordbuf1[VSK_WORDBUF];        // scratch for strings in units
    WORD wordbuf2[VSK_WORDBUF];
    char bytebuf1[VSK_BYTEBUF];  // scratch for byte strings and message texts
    char bytebuf2[VSK_BYTEBUF];
    // Set by the executor when it starts its first task: VSKVAL_Delete calls it first, and it
    // must end every task's thread (end flags, turns handed on) and join it, so that no task
    // runs while the context is freed. NULL: there are no task threads.
    void (*endtasks)(struct tagVALUAREA* ctx);
} tagVALUAREA;

// ---- accessors of the typed views ----
inline DWORD VskDword(const tagVALUE* v, int k) { return DWORD(v->word[k]); }
inline void VskSetDword(tagVALUE* v, int k, DWORD x) { v->word[k] = x; }
inline int VskInt(const tagVALUE* v, int k) { return int(int32_t(uint32_t(v->word[k]))); }
inline void VskSetInt(tagVALUE* v, int k, int x) { v->word[k] = uint64_t(int64_t(x)); }
inline void* VskPtr(const tagVALUE* v, int k) {
    return reinterpret_cast<void*>(uintptr_t(v->word[k]));
}
inline void VskSetPtr(tagVALUE* v, int k, const void* p) { v->word[k] = uint64_t(uintptr_t(p)); }

// 'N': `high` and `low`.
inline DWORD VskFaqHigh(const tagVALUE* v) { return VskDword(v, 0); }
inline DWORD VskFaqLow(const tagVALUE* v) { return VskDword(v, 1); }
// 'R'
inline int VskRaqXpos(const tagVALUE* v) { return VskInt(v, 0); }
inline int VskRaqYpos(const tagVALUE* v) { return VskInt(v, 1); }
inline int VskRaqXsize(const tagVALUE* v) { return VskInt(v, 2); }
inline int VskRaqYsize(const tagVALUE* v) { return VskInt(v, 3); }
// 'S'
inline HGLOBAL VskSaqHeap(const tagVALUE* v) { return static_cast<HGLOBAL>(VskPtr(v, 0)); }
inline int VskSaqOffset(const tagVALUE* v) { return VskInt(v, 1); }
inline int VskSaqLength(const tagVALUE* v) { return VskInt(v, 2); }
// 'V'
inline tagVALUEBLOCK VskVaqBlock(const tagVALUE* v) {
    return tagVALUEBLOCK{static_cast<tagVALUE*>(VskPtr(v, 0)), VskInt(v, 1), VskInt(v, 2)};
}
inline int VskVaqIndex(const tagVALUE* v) { return VskInt(v, 3); }
inline void VskSetVaq(tagVALUE* v, const tagVALUEBLOCK* block, int index) {
    *v = tagVALUE{};
    v->mode = VSK_MODE_REFERENCE;
    VskSetPtr(v, 0, block->lpvalue);
    VskSetInt(v, 1, block->count);
    VskSetInt(v, 2, block->offset);
    VskSetInt(v, 3, index);
}
// 'C'
inline tagCELL* VskCaqCell(const tagVALUE* v) { return static_cast<tagCELL*>(VskPtr(v, 0)); }
inline void VskSetCaq(tagVALUE* v, tagCELL* cell) {
    *v = tagVALUE{};
    v->mode = VSK_MODE_CELL;
    VskSetPtr(v, 0, cell);
}
// 'M'
inline BYTE* VskMaqMemory(const tagVALUE* v) { return static_cast<BYTE*>(VskPtr(v, 0)); }
inline int VskMaqSize(const tagVALUE* v) { return VskInt(v, 1); }
inline int VskMaqOffset(const tagVALUE* v) { return VskInt(v, 2); }
inline void VskSetMaq(tagVALUE* v, void* memory, int size, int offset) {
    *v = tagVALUE{};
    v->mode = VSK_MODE_MEMORY;
    VskSetPtr(v, 0, memory);
    VskSetInt(v, 1, size);
    VskSetInt(v, 2, offset);
}
// 'W'
inline tagTOVWAVE* VskWave(const tagVALUE* v) { return static_cast<tagTOVWAVE*>(VskPtr(v, 0)); }
inline void VskSetWave(tagVALUE* v, tagTOVWAVE* wave) {
    *v = tagVALUE{};
    v->mode = VSK_MODE_WAVE;
    VskSetPtr(v, 0, wave);
}
// 'H'
inline HWND VskHandle(const tagVALUE* v) { return static_cast<HWND>(VskPtr(v, 0)); }
inline DWORD VskHandleKind(const tagVALUE* v) { return VskDword(v, 1); }
// 'P'
inline int VskPointerOffset(const tagVALUE* v) { return VskInt(v, 1); }

// ---- the context ----
// Creates the context: the string heap, the system, user and local blocks, `execdir` from
// `instance`'s module file (which becomes the current folder), `start`, the 20 turn events;
// `taskno` and `tasksuper` -1. NULL when memory could not be had.
VSKVAL_API tagVALUAREA* WINAPI VSKVAL_Create(HINSTANCE instance);
// Calls `endtasks` when set, closes the events, releases every slot of every block (local
// blocks 19 to 0, then user, then system, each from its last slot down), frees the heap,
// frees the loaded command libraries and the context. Never kills a thread. Always 1.
VSKVAL_API int WINAPI VSKVAL_Delete(tagVALUAREA* ctx);

// ---- slots ----
// Copies slot `index` of `block` out. An index outside the block shows "参照している変数
// (<name>)は存在しません。" and gives 0.
VSKVAL_API int WINAPI VSKVAL_Get(tagVALUAREA* ctx, const tagVALUEBLOCK* block, int index,
                                 tagVALUE* out);
// Counts `value`'s flag up by one and stores the record in the slot; what the slot held is not
// released (VSKVAL_Clear first). An index outside the block shows "設定しようとしている変数
// (<name>)は存在しません。", gives 0 and changes nothing.
VSKVAL_API int WINAPI VSKVAL_Set(tagVALUAREA* ctx, const tagVALUEBLOCK* block, int index,
                                 tagVALUE* value);
// Stores an empty value through VSKVAL_Set (without releasing). Always 1.
VSKVAL_API int WINAPI VSKVAL_NULL(tagVALUAREA* ctx, const tagVALUEBLOCK* block, int index);
// Releases what the slot owns and empties it; an index outside the block does nothing.
// Always 1.
VSKVAL_API int WINAPI VSKVAL_Clear(tagVALUAREA* ctx, const tagVALUEBLOCK* block, int index);
// Stores a deep copy (VSKFAQ_Copy) of the source slot in the destination slot (without
// releasing what the destination held).
VSKVAL_API int WINAPI VSKVAL_Copy(tagVALUAREA* ctx, const tagVALUEBLOCK* dst, int dstIndex,
                                  const tagVALUEBLOCK* src, int srcIndex);
// Exchanges two slots (both stored through VSKVAL_Set).
VSKVAL_API int WINAPI VSKVAL_Swap(tagVALUAREA* ctx, const tagVALUEBLOCK* a, int aIndex,
                                  const tagVALUEBLOCK* b, int bIndex);

// ---- local frames ----
// Opens a new local frame for `task`. Without `frame` its 27 slots are empty; with a command's
// argument frame its 27 slots are moved in (the frame's slots 1-26 are emptied without
// release, so the arguments now belong to the local frame). The 21st frame is refused with
// "タスク(<taskno>)でローカル変数領域が制限以上(20)消費されました。".
VSKVAL_API int WINAPI VSKVAL_CreateLocal(tagVALUAREA* ctx, int task, const tagVALUEBLOCK* frame);
// Releases and closes the task's top frame; nothing when no frame is open. Always 1.
VSKVAL_API int WINAPI VSKVAL_DeleteLocal(tagVALUAREA* ctx, int task);
// The task's local block (NULL for a task outside 0-19).
VSKVAL_API tagVALUEBLOCK* WINAPI VSKVAL_GetLocal(tagVALUAREA* ctx, int task);

// ---- names and display forms ----
// Writes the name of slot `index` of `block` into `text` (16 bytes suffice): "#%d" in the
// system block, "$%d" in the user block, else "$%c" with '@' + (index + offset) mod 27.
VSKVAL_API int WINAPI VSKVAL_StringValue(tagVALUAREA* ctx, const tagVALUEBLOCK* block, int index,
                                         char* text);
// Writes the display form of `value` into `text` of `cap` bytes (cut to fit; 2004 bytes hold
// any): numbers as VSKFAQ_String, strings between '"' (VSK_MODE_BARE_STRING: without quotes,
// and the mode is set back to 'S'), "{x,y,w,h}", "{<w>×<h>(<r>,<g>,<b>)}" of a cell's size and
// colour key ("{bmpなし}" without record), "{<size>(+<offset>)}", "\<name>" of a reference,
// "{WAVE}", "{+<offset>}" of a pointer, handles by kind, "NULL" for anything else.
VSKVAL_API int WINAPI VSKVAL_DisplayValue(tagVALUAREA* ctx, tagVALUE* value, char* text,
                                          size_t cap);

// ---- command frames ----
// A command's frame is a block of 27 slots: slot 0 the number of arguments + 1 (and in its
// reserved word the call record), slots 1-26 the arguments ('Z' omitted, 'V' references).
// A signature is an array of 16-bit units ended by 0, unit k for argument k: a type letter,
// 0x7F any type (omitted included), 0x100 + letter or 0x17F: a variable reference whose
// referenced slot passes the letter's test, '~' this and every further argument unchecked,
// 'Z' refused as not omissible, 0 no further argument.
#define VSK_SIG_ANY 0x7F
#define VSK_SIG_REF 0x100
#define VSK_SIG_REST '~'
#define VSK_SIG_REFUSE 'Z'
// Checks `frame` against `signature`; 0 after the message that names `label` (a command's
// text such as "Screen:Create") and the argument's position.
VSKVAL_API int WINAPI VSKVAL_CheckArgument(tagVALUAREA* ctx, LPCSTR label, const WORD* signature,
                                           const tagVALUEBLOCK* frame);
// When argument n ('Z') is omitted, stores a copy (VSKFAQ_Copy) of `def` in its slot. 0 only
// when n is outside the frame.
VSKVAL_API int WINAPI VSKVAL_OmitArgument(tagVALUAREA* ctx, const tagVALUEBLOCK* frame, int n,
                                          const tagVALUE* def);
// Argument n as an integer (VSKFAQ_Int), as a Windows RECT (VSKRAQ_RaqToRect) and as a byte
// string of up to 1999 bytes and its 0 (VSKSTR_GetByte; `out` holds VSK_BYTEBUF bytes). An
// omitted argument leaves the output unchanged and gives 1.
VSKVAL_API int WINAPI VSKVAL_ArgNumber(tagVALUAREA* ctx, const tagVALUEBLOCK* frame, int n,
                                       int* out);
VSKVAL_API int WINAPI VSKVAL_ArgRect(tagVALUAREA* ctx, const tagVALUEBLOCK* frame, int n,
                                     RECT* out);
VSKVAL_API int WINAPI VSKVAL_ArgString(tagVALUAREA* ctx, const tagVALUEBLOCK* frame, int n,
                                       char* out);

// ---- values ----
// Zeroes the whole record. Always 1.
VSKVAL_API int WINAPI VSKFAQ_NULL(tagVALUAREA* ctx, tagVALUE* value);
// Releases what the value owns, then zeroes it: a cell's rows and record; a window is
// destroyed (and waited for); a memory block; a string's heap block; a wave through the older
// sound library's TOV_WaveFree, then its record. A 'W' or 'H' value still shared by a copy is
// only zeroed. Always 1.
VSKVAL_API int WINAPI VSKFAQ_Clear(tagVALUAREA* ctx, tagVALUE* value);
// A deep copy into `dst` (which is overwritten, not released): a cell's record and rows, a
// memory block, a string (a new heap block) are duplicated; every other record is copied as
// it stands ('W' and 'H' copies share). 0 when memory or the heap fails (`dst` then empty).
VSKVAL_API int WINAPI VSKFAQ_Copy(tagVALUAREA* ctx, tagVALUE* dst, const tagVALUE* src);
// Exchanges the two records. Always 1.
VSKVAL_API int WINAPI VSKFAQ_Swap(tagVALUAREA* ctx, tagVALUE* a, tagVALUE* b);

// ---- numbers ----
// Sign-magnitude decimal fixed point: integer part and fraction (units of 10^-9) each at most
// 999999999. The integer form is the integer part with its sign (truncated toward zero); the
// packed form the signed count of 10^-9 units. The first value operand is also the result.
// The single-operand functions need mode 'N' ("指定されたFAQは数値ではありません。"); Mul,
// Div, Mod and Xor need two equal modes ("指定された2つのFAQの型が数値型ではありません。")
// and then 'N'. A failed range check inside an operation shows its own message, then the
// operation's; it leaves the out-of-range result in the first operand.

// A number from a sign (-1, 0, 1; 0 gives zero), an integer (a negative one makes the sign
// negative) and a fraction; "符号の設定が誤っています。" for another sign; range-checked.
VSKVAL_API int WINAPI VSKFAQ_Number(tagVALUAREA* ctx, tagVALUE* out, int sign, int integer,
                                    DWORD fraction);
// The truth value: -1 for a non-zero flag, else 0. Always 1.
VSKVAL_API int WINAPI VSKFAQ_Bool(tagVALUAREA* ctx, tagVALUE* out, int flag);
// 0 in range; 1 "整数部が有効桁を超えました。" (integer part above 999999999); 2
// "小数部が有効桁を超えました。" (fraction above 999999999).
VSKVAL_API int WINAPI VSKFAQ_CheckRange(tagVALUAREA* ctx, const tagVALUE* value);
VSKVAL_API int WINAPI VSKFAQ_Int(tagVALUAREA* ctx, const tagVALUE* value, int* out);
VSKVAL_API int WINAPI VSKFAQ_Abs(tagVALUAREA* ctx, tagVALUE* value);
// Flips the sign unless the value is zero.
VSKVAL_API int WINAPI VSKFAQ_Neg(tagVALUAREA* ctx, tagVALUE* value);
// -1 negative, 0 zero (either sign), 1 positive.
VSKVAL_API int WINAPI VSKFAQ_Sign(tagVALUAREA* ctx, const tagVALUE* value, int* out);
// Drops the fraction / drops the integer part (keeping sign and fraction).
VSKVAL_API int WINAPI VSKFAQ_High(tagVALUAREA* ctx, tagVALUE* value);
VSKVAL_API int WINAPI VSKFAQ_Low(tagVALUAREA* ctx, tagVALUE* value);
// 1 / value (through VSKFAQ_Div).
VSKVAL_API int WINAPI VSKFAQ_Reverce(tagVALUAREA* ctx, tagVALUE* value);
// value^n by repeated multiplication (n = 0 gives 1, n < 0 the reciprocal of value^-n).
VSKVAL_API int WINAPI VSKFAQ_Power(tagVALUAREA* ctx, tagVALUE* value, int n);
// Bitwise on the integer forms; the fraction becomes 0. Or and And of two rectangles give
// their union and intersection. Not 0 is -1.
VSKVAL_API int WINAPI VSKFAQ_Not(tagVALUAREA* ctx, tagVALUE* value);
VSKVAL_API int WINAPI VSKFAQ_Or(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b);
VSKVAL_API int WINAPI VSKFAQ_And(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b);
VSKVAL_API int WINAPI VSKFAQ_Xor(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b);
// -1 (a < b), 0, 1 for numbers; for strings 0 when equal, at the first difference 1 when
// one of them ended there (a prefix) else -1; for rectangles 0 when equal else -1.
VSKVAL_API int WINAPI VSKFAQ_Comp(tagVALUAREA* ctx, const tagVALUE* a, const tagVALUE* b, int* out);
// a = a + b for numbers; two strings are joined (VSKSTR_Append; a failed join gives -1); a
// pointer's offset grows by a number. Sub likewise without strings.
VSKVAL_API int WINAPI VSKFAQ_Add(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b);
VSKVAL_API int WINAPI VSKFAQ_Sub(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b);
// Truncating; a product whose magnitude passes 999999999.999999999 is refused.
VSKVAL_API int WINAPI VSKFAQ_Mul(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b);
// Truncating toward zero; "０で除算しています。" for a zero divisor.
VSKVAL_API int WINAPI VSKFAQ_Div(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b);
// The integer part of a modulo the integer part of b, with a's sign; fraction 0;
// "０で剰余しています。" when b's integer part is 0.
VSKVAL_API int WINAPI VSKFAQ_Mod(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b);
// Parses an optional '-', then "0b"/"0B" and binary digits, "0x"/"0X" and hexadecimal digits,
// or decimal digits with an optional '.' and fraction digits (digits past the ninth add
// nothing). Returns the position after the number, or NULL (after the range message) when the
// integer part passes 999999999, however many digits it has.
VSKVAL_API LPCSTR WINAPI VSKFAQ_GetNumber(tagVALUAREA* ctx, tagVALUE* out, LPCSTR text);
// Decimal text (24 bytes suffice): '-' for a negative non-zero value (also -0.5), the integer
// part, and '.' with the fraction's digits without trailing zeros when it is not 0.
VSKVAL_API int WINAPI VSKFAQ_String(tagVALUAREA* ctx, const tagVALUE* value, char* text);
// Binary digits of the integer form (33 bytes suffice): flag 0 all 32, else from the highest
// set bit ("0" for 0).
VSKVAL_API int WINAPI VSKFAQ_StringBin(tagVALUAREA* ctx, const tagVALUE* value, char* text,
                                       int flag);
// Hexadecimal text of the integer form (9 bytes suffice): style 1 "%08lx", 2 "%lX", 3
// "%08lX", any other "%lx".
VSKVAL_API int WINAPI VSKFAQ_StringHex(tagVALUAREA* ctx, const tagVALUE* value, char* text,
                                       int style);

// ---- rectangles ----
// 1 for mode 'R', else "指定されたRAQは領域ではありません。" and 0.
VSKVAL_API int WINAPI VSKRAQ_CheckMode(tagVALUAREA* ctx, const tagVALUE* value);
VSKVAL_API int WINAPI VSKRAQ_Rect(tagVALUAREA* ctx, tagVALUE* out, int x, int y, int width,
                                  int height);
// RECT {x, y, x + width, y + height} of a rectangle value.
VSKVAL_API int WINAPI VSKRAQ_RaqToRect(tagVALUAREA* ctx, RECT* out, const tagVALUE* value);
// The rectangle value {left, top, right - left, bottom - top}.
VSKVAL_API int WINAPI VSKRAQ_RectToRaq(tagVALUAREA* ctx, tagVALUE* out, const RECT* rect);

// ---- strings ----
// A string is a sequence of 16-bit units, one per character: a double-byte Shift-JIS
// character is its lead byte in the high half and its trail byte in the low half; a
// single-byte character a unit below 0x100. At most 999 units.

// Bytes to units, at most 999 units and the 0 unit (`out` holds VSK_WORDBUF units). A lead
// byte joins the byte after it; a lead byte last in the text is a unit of its own. Returns 1,
// or 0 when the text was longer than 999 units (the first 999 are written).
VSKVAL_API int WINAPI VSKSTR_Word(tagVALUAREA* ctx, WORD* out, LPCSTR bytes);
// Units to bytes (a unit below 0x100 one byte, another its high then its low byte), at most
// 999 units and the 0 (`out` holds VSK_BYTEBUF bytes). Always 1.
VSKVAL_API int WINAPI VSKSTR_Byte(tagVALUAREA* ctx, char* out, const WORD* units);
// Stores the units (NULL: the empty string) in a new heap block and makes `out` a string value.
// More than 999 units: "文字列が1000文字を超えました。" and 0; a heap that cannot grow:
// "文字列ヒープがオーバーフローしました。" and 0 (existing strings stay intact).
VSKVAL_API int WINAPI VSKSTR_SetWord(tagVALUAREA* ctx, tagVALUE* out, const WORD* units);
// Converts through wordbuf1, then VSKSTR_SetWord (over-long texts refused the same way).
VSKVAL_API int WINAPI VSKSTR_SetByte(tagVALUAREA* ctx, tagVALUE* out, LPCSTR bytes);
// Copies the string's units and its 0 unit out (`out` holds VSK_WORDBUF units).
VSKVAL_API int WINAPI VSKSTR_GetWord(tagVALUAREA* ctx, const tagVALUE* value, WORD* out);
// The string as bytes and its 0 (through wordbuf1; `out` holds VSK_BYTEBUF bytes).
VSKVAL_API int WINAPI VSKSTR_GetByte(tagVALUAREA* ctx, const tagVALUE* value, char* out);
// Releases the heap block and zeroes the value.
VSKVAL_API int WINAPI VSKSTR_Clear(tagVALUAREA* ctx, tagVALUE* value);
// a becomes a followed by b. Both must be strings ("接続される2つのSAQは文字列ではありません。");
// more than 999 units together: "文字列の連結で1000文字を超えました。" and 0, a unchanged.
VSKVAL_API int WINAPI VSKSTR_Append(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b);
// 1 for mode 'S', else "指定されたSAQは文字列ではありません。" and 0.
VSKVAL_API int WINAPI VSKSTR_CheckMode(tagVALUAREA* ctx, const tagVALUE* value);
