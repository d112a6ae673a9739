// vskcomp: the script compiler. It turns a script source (Shift-JIS text, ".SNA") into
// bytecode in three passes, reads the definition file that declares macros and includes
// ("vsk.def"), and writes and reads compiled-script files (RIFF "SNB ", ".SNB").
//
// The bytecode is documented here, once, for the compiler that writes it and the executor
// and the control-flow commands that read it. The compiler's state (error code, pass, line)
// and its macro and include tables are process-wide and take no lock: compiles run on the
// task that holds the turn, or on the host thread before any task starts.
#pragma once

#include <windows.h>

#include <cstdint>

#include "vskval.h"
#include "wynbytes.h"

#ifdef VSKCOMP_BUILDING_LIBRARY
#define VSKCOMP_API extern "C" __attribute__((visibility("default")))
#else
#define VSKCOMP_API extern "C"
#endif

// ---- the bytecode ----
// A code block is a run of items ended by one 0 byte; a whole script is one block, and the
// brace blocks of a call are blocks of their own stored inside the call. Multi-byte numbers
// are little-endian and unaligned. Items:
//   0x0A u16        a line marker: the source line on which the next statement begins (the
//                   compiler writes one where the source breaks the line before a statement)
//   0x00            the end of the block
//   anything else   a statement: an expression
// An expression is an operand, then any number of pairs of an operator byte and an operand;
// it ends at the first byte below 0x80 after a complete operand, which begins the next item,
// or right after a postfix 0xD1 or 0xD2. Every byte from 0x80 up that stands where an operator
// may stand is read as one (a byte without a level does nothing): so a statement that begins
// with a prefix (0x92, 0x94) right after another statement on its line joins that statement,
// as "1;-2;" compiles to 02 01 94 02 02.
// Operands (each may be preceded by 0x92 "!" and then 0x94 unary "-", in that order; a call
// argument may begin with 0x91 "\", which makes it a reference: a variable follows):
#define VSKCODE_END 0x00
#define VSKCODE_LINE 0x0A    // u16 line
#define VSKCODE_ZERO 0x01    // the number 0
#define VSKCODE_INT8 0x02    // i8: -127..127
#define VSKCODE_INT16 0x03   // i16: -32767..32767 where 0x02 does not fit
#define VSKCODE_INT32 0x04   // i32: any other integer
#define VSKCODE_FIXED 0x05   // u32 integer part, u32 fraction in 10^-9 (a number with a fraction)
#define VSKCODE_STRING 0x08  // u16 count n (at most 1000), n units, a 0 unit
#define VSKCODE_SYSTEM 0x0C  // an operand: #n, the system variable of its integer part
#define VSKCODE_USER 0x0D    // an operand: $n, the user variable of its integer part
#define VSKCODE_LOCAL 0x0E   // a byte '@'..'Z': the running task's local slot (byte - 64)
#define VSKCODE_CALL 0x0F    // the rest of a tagFUNC record
#define VSKCODE_PAREN 0x28   // an expression, then 0x00 where the ')' stood
// Directly after a variable (code and slot operand or letter) 0x5B "[" introduces an index
// expression ended by 0x00; its value, a number, is added to the slot number.
#define VSKCODE_INDEX 0x5B
// Prefixes and operators, with their binding level (higher binds tighter; equal levels group
// from the left; every other byte, 0x92 and 0x94 included, has level 0):
#define VSKCODE_ASSIGN 0x81     // =   90 (only right after a variable beginning the expression)
#define VSKCODE_REFERENCE 0x91  // \   90 (a prefix of a call argument)
#define VSKCODE_NOT 0x92        // !   prefix
#define VSKCODE_NEGATE 0x94     // -   prefix
#define VSKCODE_POWER 0xA1      // ^   80 (the exponent a whole number)
#define VSKCODE_MUL 0xA2        // *   70
#define VSKCODE_DIV 0xA3        // /   70
#define VSKCODE_MOD 0xA4        // %   60
#define VSKCODE_ADD 0xA5        // +   50
#define VSKCODE_SUB 0xA6        // -   50
#define VSKCODE_IDIV 0xA7       // ?   70 (the quotient with its fraction cleared)
#define VSKCODE_EQ 0xB1         // ==  30
#define VSKCODE_NE 0xB2         // !=  30
#define VSKCODE_GT 0xB3         // >   40
#define VSKCODE_LT 0xB4         // <   40
#define VSKCODE_GE 0xB5         // >=  40
#define VSKCODE_LE 0xB6         // <=  40
#define VSKCODE_ANDAND 0xB7     // &&  10
#define VSKCODE_OROR 0xB8       // ||  10
#define VSKCODE_AND 0xC1        // &   20
#define VSKCODE_OR 0xC2         // |   20
#define VSKCODE_XOR 0xC3        // ~   20
#define VSKCODE_INC 0xD1        // ++  90 (postfix of the variable just read; ends the expression)
#define VSKCODE_DEC 0xD2        // --  90

// The binding level of an operator byte (0 for any other byte).
inline int VskOperatorLevel(BYTE op) {
    switch (op) {
        case VSKCODE_ASSIGN:
        case VSKCODE_REFERENCE:
        case VSKCODE_INC:
        case VSKCODE_DEC:
            return 90;
        case VSKCODE_POWER:
            return 80;
        case VSKCODE_MUL:
        case VSKCODE_DIV:
        case VSKCODE_IDIV:
            return 70;
        case VSKCODE_MOD:
            return 60;
        case VSKCODE_ADD:
        case VSKCODE_SUB:
            return 50;
        case VSKCODE_GT:
        case VSKCODE_LT:
        case VSKCODE_GE:
        case VSKCODE_LE:
            return 40;
        case VSKCODE_EQ:
        case VSKCODE_NE:
            return 30;
        case VSKCODE_AND:
        case VSKCODE_OR:
        case VSKCODE_XOR:
            return 20;
        case VSKCODE_ANDAND:
        case VSKCODE_OROR:
            return 10;
    }
    return 0;
}

// The call record: 29 bytes, packed, at its 0x0F byte; all offsets count from that byte.
//   0 mode u8 (0x0F)   1 lib u32   5 func u32   9 arg u32   13 count i32 (0-26)
//   17 true u32 (the brace block after the call, 0 for none)
//   21 false u32 (the "ELSE" block, 0 for none)   25 end u32 (the first byte after the call)
// Behind the record, in this order: the library name and the command name (upper case, 1-32
// characters of 0-9 and A-Z, each with its 0 byte; a call without "LIB:" names "STANDARD"),
// the argument codes (each argument's expression and a 0 byte; an omitted argument a lone 0;
// a call without arguments one 0 byte and count 0), the brace block, the ELSE block, then
// whatever follows the call. In memory the record is read field by field into this struct.
#define VSKFUNC_SIZE 29
typedef struct tagFUNC {
    BYTE mode;
    DWORD lib, func, arg;
    int count;
    DWORD true_, false_;  // the record's `true` and `false`
    DWORD end;
} tagFUNC;

inline tagFUNC VskReadFunc(const BYTE* record) {
    wyn::ByteReader r(record, VSKFUNC_SIZE);
    tagFUNC f;
    f.mode = r.u8();
    f.lib = r.u32();
    f.func = r.u32();
    f.arg = r.u32();
    f.count = r.i32();
    f.true_ = r.u32();
    f.false_ = r.u32();
    f.end = r.u32();
    return f;
}

// ---- compiling ----
// A compile job, owned by the caller. The caller hands in the source as the old buffer (a
// task-library block holding zero-terminated text; `oldsize` its size) and receives the
// bytecode as the new buffer: `lpnewtop` its start, `lpnew` the end of the code (the code's
// length is lpnew - lpnewtop), `newsize` the block's size; the caller frees it with
// VSKTASK_FreeMemory. Each pass reads the old buffer and writes a new one; on success it
// frees the old buffer and leaves the old fields NULL. A failing pass frees what it wrote and
// leaves the new fields NULL: the old buffer then stays the caller's to free.
typedef struct tagCOMPBLOCK {
    HWND hwnd;            // owner of the boxes
    char name[MAX_PATH];  // the script's name for the error line
    int line;             // the line the source begins at (the executor gives 0)
    BYTE* lpnewtop;
    BYTE* lpnew;
    DWORD newsize;
    BYTE* lpoldtop;
    BYTE* lpold;  // the read position of a pass
    DWORD oldsize;
} tagCOMPBLOCK;

// Error codes, kept until the next pass begins (texts in VSKCOMP_MakeErrorMessage):
#define VSKCOMP_ERR_DOUBLEBYTE 1  // a double-byte character outside a string (pass 1)
#define VSKCOMP_ERR_CONTROL 2     // a control character (passes 1-2)
#define VSKCOMP_ERR_BRACKETS 4    // brackets that do not pair; a missing "]"; nesting too deep
#define VSKCOMP_ERR_LONGSTRING 6  // a string of more than 1000 bytes, or of more than 1000 units
#define VSKCOMP_ERR_SEMICOLON 7   // a missing ";" or a character where an operator must stand
#define VSKCOMP_ERR_OPEN 8        // a call without "("
#define VSKCOMP_ERR_ARGUMENTS 9   // an argument list not closed by ")"
#define VSKCOMP_ERR_SYNTAX 10     // a parenthesised expression not closed; a number too large
#define VSKCOMP_ERR_NAME 11       // an empty command or library name
#define VSKCOMP_ERR_TOOMANY 12    // more than 26 arguments
#define VSKCOMP_ERR_LONGNAME 13   // a name of more than 32 characters
#define VSKCOMP_ERR_VARIABLE 14   // a variable not introduced by "#" or "$"
#define VSKCOMP_ERR_ELSE 15       // "ELSE" not followed by "{"
#define VSKCOMP_ERR_INDEX 16      // a bad slot operand of "#" or "$"
#define VSKCOMP_ERR_EXPANSION 17  // macros still expanding after 64 runs of pass 1

// Runs pass 1 until a run expands nothing (at most 64 runs that expand; a run whose text would
// pass 1 MiB also gives up with error 17), then passes 2 and 3. Brackets, and operands,
// nested more than 200 deep are error 4. 1 compiled, 0 failed.
VSKCOMP_API int WINAPI VSKCOMP_Comp(tagCOMPBLOCK* job);
// One run of pass 1: drops blanks, tabs, carriage returns and "//" comments, keeps strings as
// written, upper-cases a-z, replaces macro names (case-sensitive, at any position, first in
// table order) by their texts and include names by their files' contents, without line feeds.
// The number of expansions made, -1 on error.
VSKCOMP_API int WINAPI VSKCOMP_Pass1(tagCOMPBLOCK* job);
// Checks that brackets pair and strings close; the text is taken over unchanged. 1 or 0.
VSKCOMP_API int WINAPI VSKCOMP_Pass2(tagCOMPBLOCK* job);
// Writes the bytecode. 1 or 0.
VSKCOMP_API int WINAPI VSKCOMP_Pass3(tagCOMPBLOCK* job);
// Reads the definition file (a missing file is no error): "#define" and "#include" lines,
// each with two fields enclosed in a delimiter character of the writer's choice (a name of up
// to 31 characters, then a text of up to 99 or a file name of up to 63), and "//" comments.
// Names are upper-cased; a name defined twice, a missing include file, a bad token, an
// over-long or empty field, or a 201st definition of a table shows its message and gives 0.
// The tables start with 15 built-in macros (NULL, TRUE, FALSE and the colours) and are kept
// in descending name order, so that of two names one of which begins the other the longer is
// tried first.
VSKCOMP_API int WINAPI VSKCOMP_DefineFile(HWND hwnd, LPCSTR path);
VSKCOMP_API int WINAPI VSKCOMP_GetError(void);
VSKCOMP_API void WINAPI VSKCOMP_SetError(int code);
// The current line as counted from the job's `line`.
VSKCOMP_API int WINAPI VSKCOMP_GetLine(void);
VSKCOMP_API void WINAPI VSKCOMP_SetLine(int line);
// Writes "<name>:PASS(<pass>):LINE(<line + 1>):<text of the error code>" into `buffer` (400
// bytes suffice): the line shown counts from 1, as the executor's error boxes do.
VSKCOMP_API int WINAPI VSKCOMP_MakeErrorMessage(const tagCOMPBLOCK* job, char* buffer);
// Skips the line feeds at the job's read position, counting lines. Returns how many.
VSKCOMP_API int WINAPI VSKCOMP_CheckLineFeed(tagCOMPBLOCK* job);

// ---- compiled-script files ----
// RIFF "SNB ": an "INFO" chunk of 60 bytes (key, its complement, "Veskeran " and a 0, a
// 40-byte notice, version 0x0304, zeros) and a "CODE" chunk: the bytecode padded with zeros
// to a multiple of 4 and scrambled (VSKFILE_LockCode) under the key, a new key per file.
// Writes `length` bytes of bytecode to `path`. 1, or 0 when a step fails. The caller's bytes
// are left as they were.
VSKCOMP_API int WINAPI VSKCOMP_Pack(HWND hwnd, LPCSTR path, const BYTE* code, DWORD length);
// The bytecode of a compiled-script file as a task-library block (the caller frees it with
// VSKTASK_FreeMemory), or NULL: the file library reports a missing or non-RIFF file; a file
// whose INFO is not 60 bytes, that lacks a chunk, or whose code is not well formed (every
// item, operand, string count of at most 1000, index and call record checked: names of 1-32
// characters 0-9 and A-Z, count 0-26, offsets in order inside the call, each block ending in
// its 0 byte; nesting at most 200 deep) shows "\"<path>\"\nコンパイル済みスクリプトが壊れて
// います。" under "『Veskeran33』コンパイルマネージャ(VSKCOMP.dll)".
VSKCOMP_API BYTE* WINAPI VSKCOMP_Unpack(HWND hwnd, LPCSTR path);
