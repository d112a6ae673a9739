// A command library for the executor's and the host's tests (VSKTEST.DLL, also linked under
// other names): a frame reporter, a command that holds the turn as an open box would, a
// hundred and one trivial commands, a counter, the main screen's window through the host's
// mailbox, a failing command, the host's pause of a task, and a watch for two tasks running
// side by side.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "vskexec.h"
#include "vskval.h"
#include "vsktask.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

int g_calls = 0;
std::atomic<int> g_inside{0};  // calls of VSK_ALONE under way
std::atomic<int> g_beside{0};  // calls of VSK_ALONE that found another one under way

void Result(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const tagVALUE& v) {
    DWORD_PTR record = frame->lpvalue[0].reserved;
    VSKFAQ_Clear(ctx, frame->lpvalue);
    frame->lpvalue[0] = v;
    frame->lpvalue[0].reserved = record;
}

void ResultNumber(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int n) {
    tagVALUE v{};
    VSKFAQ_Number(ctx, &v, n == 0 ? 0 : 1, n, 0);
    Result(ctx, frame, v);
}

LRESULT CALLBACK ScreenProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcA(h, m, w, l);
}

}  // namespace

// The frame as text: slot 0's number, then each slot's type letter (and number) up to the
// first empty slot, e.g. "4|N1|Z|N3|Z|".
EXPORT int WINAPI VSK_FRAME(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    std::string text;
    for (int k = 0; k < 27; ++k) {
        tagVALUE* v = frame->lpvalue + k;
        if (!v->mode) break;
        char part[32];
        int n = 0;
        if (v->mode == 'N') {
            VSKFAQ_Int(ctx, v, &n);
            std::snprintf(part, sizeof part, k ? "N%d|" : "%d|", n);
        } else {
            std::snprintf(part, sizeof part, "%c|", char(v->mode));
        }
        text += part;
    }
    tagVALUE s{};
    VSKSTR_SetByte(ctx, &s, text.c_str());
    Result(ctx, frame, s);
    return 1;
}

// Holds the turn for n ms of the process clock, as a task does while its box is open.
EXPORT int WINAPI VSK_HOLD(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    int ms = 0;
    VSKVAL_ArgNumber(ctx, frame, 1, &ms);
    Sleep(DWORD(ms));
    ResultNumber(ctx, frame, 0);
    return 1;
}

// Sets task n's pause flag when `on` is not 0, else clears it, as the host does while it shows a
// question.
EXPORT int WINAPI VSK_PAUSE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    int n = 0, on = 0;
    VSKVAL_ArgNumber(ctx, frame, 1, &n);
    VSKVAL_ArgNumber(ctx, frame, 2, &on);
    if (on)
        VSKEXEC_SetTaskFlag(ctx, n, VSK_TASKFLAG_PAUSE);
    else
        VSKEXEC_ClearTaskFlag(ctx, n, VSK_TASKFLAG_PAUSE);
    ResultNumber(ctx, frame, 0);
    return 1;
}

// Stays 1 ms of the process clock inside, blocked, as a command of the turn's holder: any task
// let run beside it comes in meanwhile. The result is how many calls so far found another one
// inside.
EXPORT int WINAPI VSK_ALONE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (g_inside.fetch_add(1) > 0) ++g_beside;
    Sleep(1);
    g_inside.fetch_sub(1);
    ResultNumber(ctx, frame, g_beside.load());
    return 1;
}

// Counts its calls; the result is the count so far.
EXPORT int WINAPI VSK_CREATE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    ResultNumber(ctx, frame, ++g_calls);
    return 1;
}

EXPORT int WINAPI VSK_NOP(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    ResultNumber(ctx, frame, 0);
    return 1;
}

// Shows its argument in the task error box and stops the task.
EXPORT int WINAPI VSK_FAIL(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    char text[VSK_BYTEBUF] = "fail";
    VSKVAL_ArgString(ctx, frame, 1, text);
    VSKTASK_ErrorStop(ctx->hwnd, "Test:Fail", text);
    return 0;
}

// Opens screen 0's window (class "Veskeran33", made by the host through mailbox request 1),
// makes it the context's window and notes it in #20 with the screen number 0 in its user data.
EXPORT int WINAPI VSK_WINDOW(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    // The host program registers the class; a test without it gets one here.
    WNDCLASSA wc{};
    wc.lpfnWndProc = ScreenProc;
    wc.hInstance = ctx->hinstance;
    wc.lpszClassName = VSK_MAIN_CLASS;
    RegisterClassA(&wc);
    tagVSKCOMCW cw{0,   VSK_MAIN_CLASS, "PARENT", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320,
                   240, nullptr,        nullptr};
    DWORD_PTR data = reinterpret_cast<DWORD_PTR>(&cw);
    if (!VSKEXEC_HostRequest(ctx, VSK_HOST_CREATEWINDOW, &data) || !data) return 0;
    HWND hwnd = reinterpret_cast<HWND>(data);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    ctx->hwnd = hwnd;
    VskSetPtr(ctx->vbsystem.lpvalue + VSK_SYS_SCREEN(0), 0, hwnd);
    ResultNumber(ctx, frame, 1);
    return 1;
}

// The four data words of system variable n, as "w0,w1,w2,w3".
EXPORT int WINAPI VSK_WORDS(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    int n = 0;
    VSKVAL_ArgNumber(ctx, frame, 1, &n);
    if (n < 0 || n >= VSK_SYSTEM_SLOTS) return 0;
    const tagVALUE* v = ctx->vbsystem.lpvalue + n;
    char text[96];
    std::snprintf(text, sizeof text, "%lld,%lld,%lld,%lld", (long long)int64_t(v->word[0]),
                  (long long)int64_t(v->word[1]), (long long)int64_t(v->word[2]),
                  (long long)int64_t(v->word[3]));
    tagVALUE s{};
    VSKSTR_SetByte(ctx, &s, text);
    Result(ctx, frame, s);
    return 1;
}

// clang-format off
#define VSKTEST_COMMAND(n)                                               \
    EXPORT int WINAPI VSK_C##n(tagVALUAREA* ctx, tagVALUEBLOCK* frame) { \
        ResultNumber(ctx, frame, n);                                     \
        return 1;                                                        \
    }
#define VSKTEST_TEN(t)                                                   \
    VSKTEST_COMMAND(t##0) VSKTEST_COMMAND(t##1) VSKTEST_COMMAND(t##2)    \
    VSKTEST_COMMAND(t##3) VSKTEST_COMMAND(t##4) VSKTEST_COMMAND(t##5)    \
    VSKTEST_COMMAND(t##6) VSKTEST_COMMAND(t##7) VSKTEST_COMMAND(t##8)    \
    VSKTEST_COMMAND(t##9)
VSKTEST_TEN(1) VSKTEST_TEN(2) VSKTEST_TEN(3) VSKTEST_TEN(4) VSKTEST_TEN(5)
VSKTEST_TEN(6) VSKTEST_TEN(7) VSKTEST_TEN(8) VSKTEST_TEN(9) VSKTEST_TEN(10)
VSKTEST_COMMAND(110)
    // clang-format on
