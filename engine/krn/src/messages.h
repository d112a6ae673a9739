// The engine's message texts (Big5 at run time) and the way it shows them.
#pragma once

#include <windows.h>

namespace krn::text {

extern const char* const kDriverCaption;
extern const char* const kTextureCaption;
extern const char* const kDriverCanNotUse;        // chosen name, fallback
extern const char* const kDriverNotFound;         // file
extern const char* const kCheckFunctionNotFound;  // file
extern const char* const kSmallTextures;
extern const char* const kReducedTextures;
extern const char* const kTextureNotFound;  // path
extern const char* const kTextureNoMemory;  // path

}  // namespace krn::text

namespace krn {

// Shows a warning box owned by the engine window, then repaints that window at once.
// `format` takes up to two strings.
void Warn(HWND owner, const char* caption, const char* format, const char* a = nullptr,
          const char* b = nullptr);

}  // namespace krn
