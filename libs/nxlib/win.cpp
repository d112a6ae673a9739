// The message pump of long loops.
#include "nxlib.h"

NXL_API void WINAPI NXL_WIN_SystemTask(void) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
