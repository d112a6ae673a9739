// The numbered script screens as the command libraries reach them: the number in argument 1
// checked, and the screen's window and 2D screen from its system variable #(20+n).
#pragma once

#include "vsk_sysvars.h"
#include "vskcmd.h"

struct tagZEMSCREEN;

namespace vskcmd {

// Screen number argument 1: 0-9, else -1 after "スクリーン番号が不正です。" under the label.
inline int ScreenNo(tagVALUAREA* ctx, const char* label, tagVALUEBLOCK* frame) {
    int n = ArgInt(ctx, frame, 1);
    if (n < 0 || n >= VSK_SCREENS) {
        Message(ctx, label, "スクリーン番号が不正です。");
        return -1;
    }
    return n;
}

// Screen n's window (word 0 of #(20+n)); 0 while the screen does not exist.
inline HWND ScreenWindow(tagVALUAREA* ctx, int n) {
    return reinterpret_cast<HWND>(uintptr_t(SysWord(ctx, VSK_SYS_SCREEN(n), 0)));
}

// Screen n's 2D screen (word 1 of #(20+n)).
inline tagZEMSCREEN* ScreenOf(tagVALUAREA* ctx, int n) {
    return reinterpret_cast<tagZEMSCREEN*>(uintptr_t(SysWord(ctx, VSK_SYS_SCREEN(n), 1)));
}

// The screen that argument 1 names when it exists, else -1: a bad number has been reported; a
// screen that does not exist stops the command silently.
inline int ExistingScreen(tagVALUAREA* ctx, const char* label, tagVALUEBLOCK* frame) {
    int n = ScreenNo(ctx, label, frame);
    if (n < 0 || !ScreenWindow(ctx, n)) return -1;
    return n;
}

// The 2D screen of the screen that argument 1 names, or nullptr: a bad number has been
// reported; a screen that does not exist (or has no 2D screen) stops the command silently.
// `n` (may be null) takes the number.
inline tagZEMSCREEN* ArgScreen(tagVALUAREA* ctx, const char* label, tagVALUEBLOCK* frame,
                               int* n = nullptr) {
    int k = ExistingScreen(ctx, label, frame);
    if (k < 0) return nullptr;
    if (n) *n = k;
    return ScreenOf(ctx, k);
}

}  // namespace vskcmd
