// Fuzz target of the replay parser (the lines of a WYN_REPLAY file) and of the events it
// queues, as the programs take them: any text is queued (WynPlat_ReplayScript); a text that is
// refused queues nothing, one that is taken queues what it says, and every event is then fed,
// on the virtual clock, into a window that takes all input, until none is left.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include <windows.h>
#include <wynplat.h>

namespace {

LRESULT CALLBACK Proc(HWND h, UINT message, WPARAM w, LPARAM l) {
    // A close is taken and the window stays, so that the events after it find it.
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(h, message, w, l);
}

HWND Window() {
    WynPlat_SetVirtualClock(1);
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WynReplayFuzz";
    RegisterClassA(&wc);
    HWND h = CreateWindowExA(0, wc.lpszClassName, "replay", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             320, 240, nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(h);
    SetFocus(h);
    return h;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const HWND window = Window();
    if (!window) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    text.resize(std::strlen(text.c_str()));
    const int queued = WynPlat_ReplayScript(text.c_str());
    if (WynPlat_PendingReplay() != (queued < 0 ? 0 : queued)) std::abort();
    // Due times lie anywhere ahead: the clock is moved on in growing steps until all went in.
    uint64_t step = 1000;
    for (int round = 0; WynPlat_PendingReplay() > 0; ++round) {
        if (round == 200) std::abort();  // an event that no window takes
        Pump();
        if (WynPlat_PendingReplay() == 0) break;
        WynPlat_AdvanceClock(step);
        if (step < (uint64_t(1) << 60)) step *= 2;
    }
    Pump();
    return 0;
}
