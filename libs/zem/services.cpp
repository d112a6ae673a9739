// Memory with the Retry/Cancel box, frame waits on the process clock, the message pump,
// mouse mapping through a screen's placement and zoom, and the debug channel.
#include <cstdarg>
#include <cstring>

#include <mmsystem.h>

#include "internal.h"

ZEMAPI void* ZEM_AllocMemory(DWORD bytes) {
    for (;;) {
        if (HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes)) {
            if (void* p = GlobalLock(h)) return p;
            GlobalFree(h);
        }
        if (zem::ShowMessage(nullptr, zem::Msg::Memory,
                             MB_TASKMODAL | MB_ICONHAND | MB_RETRYCANCEL) != IDRETRY)
            return nullptr;
    }
}

ZEMAPI int ZEM_FreeMemory(void* block) {
    HGLOBAL h = block ? GlobalHandle(block) : nullptr;
    if (!h) return 0;
    GlobalUnlock(h);
    GlobalFree(h);
    return 1;
}

namespace {
constexpr DWORD kMonitorWaitMs = 1000;
// The wait's target on the 64-bit performance counter: it never wraps, so a wait can
// neither end early nor hang at a wrap-around.
long long g_waitTarget = 0;
}  // namespace

ZEMAPI int ZEM_WaitStart(int ms) {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    if (ms < 0) ms = 0;
    // ms x frequency passes 32 bits at any real frequency: 128-bit product.
    g_waitTarget =
        now.QuadPart + static_cast<long long>(static_cast<__int128>(ms) * freq.QuadPart / 1000);
    return 1;
}

ZEMAPI int ZEM_WaitEnd(void) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart >= g_waitTarget ? 1 : 0;
}

ZEMAPI int ZEM_SystemTask(void) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

ZEMAPI int ZEM_Wait(int ms) {
    ZEM_WaitStart(ms);
    while (!ZEM_WaitEnd()) ZEM_SystemTask();
    return 1;
}

ZEMAPI int ZEM_GetMouse(HZEMSCREEN scr, int* x, int* y) {
    POINT p{0, 0};
    GetCursorPos(&p);
    ScreenToClient(scr->hwnd, &p);
    const long long zx = scr->zoomx > 0 ? scr->zoomx : 100, zy = scr->zoomy > 0 ? scr->zoomy : 100;
    if (x) *x = int((p.x - scr->dx) * 100LL / zx + scr->sx);
    if (y) *y = int((p.y - scr->dy) * 100LL / zy + scr->sy);
    return p.x >= scr->dx && p.x < scr->dx + scr->dw && p.y >= scr->dy && p.y < scr->dy + scr->dh;
}

ZEMAPI int ZEM_SetMouse(HZEMSCREEN scr, int x, int y) {
    POINT p{LONG((x - scr->sx) * static_cast<long long>(scr->zoomx) / 100 + scr->dx),
            LONG((y - scr->sy) * static_cast<long long>(scr->zoomy) / 100 + scr->dy)};
    ClientToScreen(scr->hwnd, &p);
    SetCursorPos(p.x, p.y);
    return 1;
}

ZEMAPI int ZEM_DebugPrintf(HZEMSCREEN scr, const char* format, ...) {
    if (!scr || !scr->debug) return 0;
    // The system's formatter writes up to 1024 characters: format into room for that, then
    // keep what fits the monitor's 256-byte record.
    char text[1025];
    if (format) {
        va_list args;
        va_start(args, format);
        wvsprintfA(text, format, args);
        va_end(args);
    } else {
        std::strcpy(text, "NULL");
    }
    char record[256] = {};
    std::strncpy(record, text, sizeof record - 1);
    // No monitor running: its event does not exist.
    HANDLE on = OpenEventA(EVENT_ALL_ACCESS, FALSE, "ZemEventON");
    if (!on) return 0;
    int sent = 0;
    HANDLE slot = CreateFileA("\\\\.\\mailslot\\zem\\debugstring", GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (slot != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        sent =
            WriteFile(slot, record, sizeof record, &written, nullptr) && written == sizeof record;
        CloseHandle(slot);
    }
    if (sent) {
        SetEvent(on);
        // Wait for the monitor to take the text, but not for ever: a monitor that hangs
        // must not hang the program.
        if (HANDLE off = OpenEventA(EVENT_ALL_ACCESS, FALSE, "ZemEventOFF")) {
            sent = WaitForSingleObject(off, kMonitorWaitMs) == WAIT_OBJECT_0;
            ResetEvent(off);
            CloseHandle(off);
        } else {
            sent = 0;
        }
    }
    CloseHandle(on);
    return sent;
}
