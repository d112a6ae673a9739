// Helpers shared by the compiler's modules.
#pragma once

#include <cstddef>
#include <vector>

#include "vskcomp.h"
#include "vskfile.h"
#include "vsktask.h"

namespace vskcomp {

inline constexpr char kCaption[] = "『Veskeran33』コンパイルマネージャ(VSKCOMP.dll)";
// Operands nested deeper than this are refused (by the compiler with error 4, by the code
// check as damage), so that neither the compiler nor the executor runs out of stack.
inline constexpr int kMaxDepth = 200;
// The longest string literal, in units. The value library holds 999 units at most, so a
// literal of 1000 compiles and is refused when it runs.
inline constexpr size_t kMaxLiteral = 1000;
// Pass 1 gives up when its text would grow past this (a macro that contains its own name).
inline constexpr size_t kMaxText = size_t(1) << 20;

// The state of the running pass.
struct State {
    int error = 0;
    int pass = 0;
    int line = 0;
    int expandedAt = 0;  // the line of a run's first expansion
};
State& S();
// Sets the error code (and the line where it was found) and gives false.
bool Fail(int code, int line);
bool Fail(int code);

// Shows a message of the compiler.
void Message(HWND hwnd, const char* format, ...);

// The output of a pass: a task-library block that grows in steps of 4096 bytes.
class Output {
  public:
    Output(HWND hwnd, size_t initial);
    ~Output();
    bool ok() const { return top_ != nullptr; }
    size_t pos() const { return pos_; }
    // Makes room for `more` bytes beyond the write position; false when memory is refused.
    bool room(size_t more);
    bool byte(BYTE b) { return room(1) && (top_[pos_++] = b, true); }
    bool u16(uint32_t v) { return byte(BYTE(v)) && byte(BYTE(v >> 8)); }
    bool u32(uint32_t v) { return u16(v) && u16(v >> 16); }
    bool bytes(const void* p, size_t n);
    void patch32(size_t at, uint32_t v);
    // Hands the block to the job as its new buffer.
    void give(tagCOMPBLOCK* job);

  private:
    HWND hwnd_;
    BYTE* top_;
    size_t pos_ = 0;
    size_t cap_;
};

// The byte `k` places after the job's read position, 0 at and past the end of the old buffer.
inline BYTE Peek(const tagCOMPBLOCK* job, size_t k = 0) {
    size_t at = size_t(job->lpold - job->lpoldtop) + k;
    return at < job->oldsize ? job->lpold[k] : 0;
}
// Whether the text at the read position begins with `text` of `n` bytes.
bool At(const tagCOMPBLOCK* job, const char* text, size_t n);
// After a pass succeeded: frees the old buffer.
void DropOld(tagCOMPBLOCK* job);

// ---- macros and includes ----
struct Definition {
    char name[32];
    char text[100];  // a macro's text, or an include's file name (up to 63 characters)
};
const std::vector<Definition>& Macros();
const std::vector<Definition>& Includes();
// Back to the 15 built-in macros and no includes.
void ResetDefinitions();
// Reads definitions from the bytes of a definition file (zero-terminated or not).
int DefineText(HWND hwnd, const BYTE* text, size_t size);

// ---- compiled scripts ----
// Whether `size` bytes begin with a well-formed code block.
bool CheckCode(const BYTE* code, size_t size);
// The bytecode of a compiled script's bytes behind its 12-byte RIFF header (INFO of 60 bytes,
// CODE unscrambled and checked), or false.
bool ParseSnb(const BYTE* body, size_t size, std::vector<BYTE>* code);
// VSKCOMP_Pack with a given key.
int PackWithKey(HWND hwnd, LPCSTR path, const BYTE* code, DWORD length, int key);

}  // namespace vskcomp
