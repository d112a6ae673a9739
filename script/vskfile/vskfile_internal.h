// Helpers shared by the file library's modules.
#pragma once

#include <cstddef>
#include <string>

#include "vskfile.h"
#include "vsktask.h"

namespace vskfile {

inline constexpr char kCaption[] = "『Veskeran33』ファイルマネージャ(VSKFILE.DLL）";

// "0x%04X:" and the system's wording of an error code (nothing after the colon for codes it
// has no wording for).
std::string ErrorText(DWORD code);

// Where an open handle's file data lie: from `base` for `size` bytes (an archive entry, or a
// whole plain file).
struct Span {
    DWORD base = 0;
    DWORD size = 0;
};
void Remember(HFILE file, Span span);
Span SpanOf(HFILE file);
void Forget(HFILE file);

// A copy of `name` upper-cased; the message texts quote it.
std::string Upper(LPCSTR name);

// Shows a box of the file library with "\"<name>\"\n<text>".
void NameMessage(HWND hwnd, const std::string& name, const char* text, bool retry, int* answer);

// The value chunks of a value file's bytes behind its 12-byte header.
int CountValues(const BYTE* body, size_t size);
int ReadValues(tagVALUAREA* ctx, const BYTE* body, size_t size, const tagVALUEBLOCK* block,
               int first, int skip, int count);

}  // namespace vskfile
