// A module whose texts are Big5, as the 3D engine's raster driver keeps them.
#include <windows.h>
#include <wynplat.h>

namespace {
const int kHere = 0;       // an address that is surely this module's own
volatile int g_calls = 0;  // keeps the calls below from being tail calls
}  // namespace

extern "C" __attribute__((visibility("default"))) int BIG5LIB_Declare() {
    return WynPlat_SetModuleCodePage(&kHere, 950);
}

// "中文" with the caption "中" in Big5.
extern "C" __attribute__((visibility("default"))) int BIG5LIB_Box() {
    int r = MessageBoxA(nullptr, "\xA4\xA4\xA4\xE5", "\xA4\xA4", MB_OK);
    g_calls = g_calls + 1;
    return r;
}

extern "C" __attribute__((visibility("default"))) int BIG5LIB_Draw(HDC dc, RECT* r) {
    int h = DrawTextA(dc, "\xA4\xA4", 2, r, DT_SINGLELINE | DT_LEFT);
    g_calls = g_calls + 1;
    return h;
}
