// The engine's message boxes.
#include <cstdio>

#include "messages.h"

namespace krn {

void Warn(HWND owner, const char* caption, const char* format, const char* a, const char* b) {
    char textbuf[1024];
    std::snprintf(textbuf, sizeof textbuf, format, a ? a : "", b ? b : "");
    MessageBoxA(owner, textbuf, caption, MB_OK | MB_ICONWARNING);
    // The picture under the box must not stay broken until the next frame.
    if (owner) {
        InvalidateRect(owner, nullptr, FALSE);
        UpdateWindow(owner);
    }
}

}  // namespace krn
