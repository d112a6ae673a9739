// Helpers shared by the utility code's source files (not part of any library's interface).
#pragma once

#include <cstddef>

#include <windows.h>

#ifndef NXL_VFS_WIDTH
#define NXL_VFS_WIDTH 36
#endif
#ifndef NXL_KEYWORD_LAYER
#define NXL_KEYWORD_LAYER 0
#endif

bool NxlIsLeadByte(BYTE b);
// Copies the whole characters of [begin, end) that fit `cap` bytes with a terminating 0;
// returns the bytes copied.
size_t NxlCopyChars(char* out, size_t cap, const char* begin, const char* end);
