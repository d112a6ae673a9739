// The library's core: start and end with the device bits and the open mask, the hidden
// window whose messages drive the mixer and the media devices, activation, the allocation
// table with its leak report, and the message texts.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tov_internal.h"

namespace tov {
namespace {

// index = message x 2 + language
const char* const kMessages[] = {
    "ファイルが読み込みできません。",
    "File not found.",
    "サポートされていない形式のファイルです。",
    "Unsupported format file.",
    "メモリが不足しています。",
    "Out of memory.",
};

int Language() {
    if constexpr (gen::kChooseLanguage) {
        static const int lang = GetProfileIntA("intl", "iCountry", 0) == 81 ? 0 : 1;
        return lang;
    }
    return 0;
}

// The allocation table. It starts with 100 slots and grows, so that no live block is
// ever handed out unrecorded (and so never released).
struct AllocSlot {
    void* block = nullptr;
    char tag[32] = {};
};
struct AllocTable {
    std::vector<AllocSlot> slots = std::vector<AllocSlot>(100);
    int current = 0;
    int peak = 0;
    int strayFrees = 0;
};
AllocTable& Table() {
    static AllocTable t;
    return t;
}

LRESULT CALLBACK WaveProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto guard = Guard();
    switch (msg) {
        case WM_DESTROY:
            return 0;
        case MM_MCINOTIFY:
            MediaNotify(wParam, lParam);
            return 0;
        case MM_WOM_DONE:
            MixerOnDone(wParam, lParam);
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

HWND CreateHidden() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WaveProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = gen::kWindowClass;
    RegisterClassA(&wc);  // a second start finds the class registered
    return CreateWindowExA(0, gen::kWindowClass, gen::kWindowClass, WS_POPUP, 0, 0, 100, 100,
                           nullptr, nullptr, wc.hInstance, nullptr);
}

void DestroyHidden() {
    Library& L = Lib();
    if (!L.hidden) return;
    HWND h = L.hidden;
    L.hidden = nullptr;
    DestroyWindow(h);
    while (IsWindow(h)) Sleep(100);
}

// The wave exports act on the output the last start opened: DirectSound when it opened, else
// the mixer (also before any start and after the end, when waves are read in the mixer's form).
void ChooseOutput() {
    constexpr int kDirectSound = TOV_DEVICE_DSOUND8 | TOV_DEVICE_DSOUND16;
    Lib().output = Lib().openMask & kDirectSound ? &kDsOutput : &kMixerOutput;
}

void LeakReport() {
    Library& L = Lib();
    if (L.heldWaves <= 0) return;
    char text[128];
    wsprintfA(text, "WAVEデータが %d 個保持されています。", L.heldWaves);
    MessageBoxA(nullptr, text, gen::kLeakCaption, MB_OK | MB_ICONINFORMATION);
}

}  // namespace

Library& Lib() {
    static Library lib;
    return lib;
}

std::unique_lock<std::recursive_mutex> Guard() {
    static std::recursive_mutex lock;
    return std::unique_lock<std::recursive_mutex>(lock);
}

const WaveOutput& Output() {
    const WaveOutput* o = Lib().output;
    return o ? *o : kMixerOutput;
}

const char* MessageText(MessageId id) { return kMessages[int(id) * 2 + Language()]; }

int Box(HWND owner, const char* text, const char* caption, UINT type) {
    return MessageBoxA(owner, text, caption, type);
}

}  // namespace tov

using namespace tov;

TOVDLL_API void* WINAPI TOV_Alloc2(DWORD size, LPCSTR tag) {
    const auto guard = Guard();
    AllocTable& t = Table();
    if (t.current == 0)
        for (auto& s : t.slots) s.tag[0] = 0;
    void* block = std::calloc(size ? size : 1, 1);
    if (!block) {
        Box(Lib().parent, MessageText(kMsgMemory), gen::kCaption, MB_OK | MB_ICONERROR);
        return nullptr;
    }
    ++t.current;
    if (t.current > t.peak) t.peak = t.current;
    AllocSlot* slot = nullptr;
    for (auto& s : t.slots)
        if (!s.block) {
            slot = &s;
            break;
        }
    if (!slot) {
        t.slots.emplace_back();
        slot = &t.slots.back();
    }
    slot->block = block;
    slot->tag[0] = 0;
    if (tag) lstrcpynA(slot->tag, tag, sizeof slot->tag);
    return block;
}

TOVDLL_API int WINAPI TOV_Free(void* block) {
    const auto guard = Guard();
    AllocTable& t = Table();
    if (block)
        for (auto& s : t.slots)
            if (s.block == block) {
                std::free(block);
                s.block = nullptr;
                --t.current;
                return 0;
            }
    ++t.strayFrees;
    return -1;
}

TOVDLL_API int WINAPI TOV_Start(HWND parent) {
    const auto guard = Guard();
    Library& L = Lib();
    L.parent = parent;
    L.hidden = CreateHidden();
    L.started = true;
    L.openMask = 0;
    const bool ok =
        MediaOpen(kMediaCd) && MediaOpen(kMediaMidi) && MixerOpen() && MediaOpen(kMediaVideo);
    if (ok) L.openMask = TOV_DEVICE_CDDA | TOV_DEVICE_MIDI | TOV_DEVICE_WAVE | TOV_DEVICE_AVI;
    ChooseOutput();
    if (!ok) return 0;
    L.heldWaves = 0;
    L.errorDisplay = 1;
    return 1;
}

TOVDLL_API int WINAPI TOV_Start2(HWND parent, int devices, int* failed, int errorDisplay) {
    const auto guard = Guard();
    Library& L = Lib();
    L.parent = parent;
    L.errorDisplay = errorDisplay;
    // A pure DirectSound start has no hidden window.
    if (devices != TOV_DEVICE_DSOUND8 && devices != TOV_DEVICE_DSOUND16) L.hidden = CreateHidden();
    L.started = true;
    int fail = 0;
    L.openMask = 0;
    auto open = [&](int bit, bool ok) { (ok ? L.openMask : fail) |= bit; };
    if (devices & TOV_DEVICE_CDDA) open(TOV_DEVICE_CDDA, MediaOpen(kMediaCd));
    if (devices & TOV_DEVICE_MIDI) open(TOV_DEVICE_MIDI, MediaOpen(kMediaMidi));
    // One wave output: DirectSound 8-bit, else 16-bit, else the mixer.
    if (devices & TOV_DEVICE_DSOUND8)
        open(TOV_DEVICE_DSOUND8, DsOpen(8));
    else if (devices & TOV_DEVICE_DSOUND16)
        open(TOV_DEVICE_DSOUND16, DsOpen(16));
    else if (devices & TOV_DEVICE_WAVE)
        open(TOV_DEVICE_WAVE, MixerOpen());
    if (devices & TOV_DEVICE_AVI) open(TOV_DEVICE_AVI, MediaOpen(kMediaVideo));
    ChooseOutput();
    L.heldWaves = 0;
    if (failed) *failed = fail;
    return fail == 0 ? 1 : 0;
}

TOVDLL_API int WINAPI TOV_End(void) {
    const auto guard = Guard();
    Library& L = Lib();
    if (!L.started) return 0;  // a second end, or no start: nothing to close or report
    L.started = false;
    MediaClose(kMediaVideo);
    Output().close();
    MediaClose(kMediaMidi);
    MediaClose(kMediaCd);
    L.openMask = 0;
    ChooseOutput();
    DestroyHidden();
    LeakReport();
    return 1;
}

TOVDLL_API int WINAPI TOV_End2(void) {
    const auto guard = Guard();
    Library& L = Lib();
    if (!L.started) return 0;
    L.started = false;
    if (L.openMask & TOV_DEVICE_AVI) MediaClose(kMediaVideo);
    if (L.openMask & (TOV_DEVICE_DSOUND8 | TOV_DEVICE_DSOUND16)) kDsOutput.close();
    if (L.openMask & TOV_DEVICE_WAVE) kMixerOutput.close();
    if (L.openMask & TOV_DEVICE_MIDI) MediaClose(kMediaMidi);
    if (L.openMask & TOV_DEVICE_CDDA) MediaClose(kMediaCd);
    L.openMask = 0;
    ChooseOutput();
    DestroyHidden();
    if (L.errorDisplay) LeakReport();
    return 1;
}

TOVDLL_API int WINAPI TOV_Task(void) {
    const auto guard = Guard();
    HWND h = Lib().hidden;
    if (!h) return 0;
    MSG msg;
    while (Lib().hidden == h && PeekMessageA(&msg, h, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

TOVDLL_API int WINAPI TOV_Activate(int flag) {
    const auto guard = Guard();
    if (LOWORD(flag) != 0) {
        MediaPause(false);
        if (!MediaVideoPlaying()) TOV_WavePause(-1, 0);
    } else {
        MediaPause(true);
        if (!MediaVideoPlaying()) TOV_WavePause(-1, 1);
    }
    return 0;
}
