// The aircraft model viewer: its per-frame rules and the viewer's run on the demo window.
#include "viewer.h"

#include <mmsystem.h>

#include <cmath>
#include <cstring>

#include "umb33.h"

const char* const kViewerLayerNames[VL_COUNT] = {
    "shadow",   "nlight", "tire",   "flapup",   "flapdown", "ldlightl", "ldlightr",
    "ldlightm", "revon",  "revoff", "wglightl", "wglightr", "atlight"};

namespace {

const char kBackground[] = "demo\\tokyo_c\\demobg.umz";
const char kNames[] = "demo\\tokyo_c\\demoname.umz";
const char kButtons[] = "demo\\tokyo_c\\demobutton.umz";
const char kClick[] = "demo\\tokyo_c\\click.wav";
const char kMusic[] = "stage\\tokyo_c\\bgm.wav";
constexpr int kNameW = 414, kNameH = 146;

// The layers each toggle switches; -1 ends a list.
const int kToggleLayers[3][7] = {
    {VL_TIRE, -1},
    {VL_FLAPUP, VL_FLAPDOWN, VL_REVON, VL_REVOFF, -1},
    {VL_LDLIGHTL, VL_LDLIGHTR, VL_LDLIGHTM, VL_WGLIGHTL, VL_WGLIGHTR, VL_ATLIGHT, -1},
};
// Layers shown while their toggle is off (the flaps up and the reversers stowed).
bool Inverted(int layer) { return layer == VL_FLAPUP || layer == VL_REVOFF; }

void SwitchToggle(Viewer* v, int t) {
    for (const int* l = kToggleLayers[t]; *l >= 0; ++l)
        SwitchLayer(v->layer[*l], Inverted(*l) ? !v->toggle[t] : v->toggle[t]);
}

// Draws a picture read from `path` at (0, 0) of the 2D screen, `src` of it (NULL all), without
// colour key, and frees it.
void ShowPicture(const char* path, int x, int y, const RECT* src) {
    tagCELL cell{};
    if (!UMBDLL_ReadUMB(path, &cell)) return;
    ZEM_DisplayScreen(DemoState().hZEM, x, y, &cell, src, ZEM_NOKEY);
    ZEM_DeleteCell(&cell);
}

void DrawButtons(const Viewer& v, const tagCELL& buttons) {
    if (!buttons.bits) return;
    const DWORD key = buttons.mask == CELL_MASK_NONE ? ZEM_NOKEY : DWORD(buttons.mask) & 0xFFFF;
    for (int i = 0; i < VIEWER_BUTTONS; ++i) {
        const POINT at = ViewerButtonAt(i);
        const RECT src{i * VIEWER_BUTTON_W, v.button[i] * VIEWER_BUTTON_H,
                       (i + 1) * VIEWER_BUTTON_W, (v.button[i] + 1) * VIEWER_BUTTON_H};
        ZEM_DisplayScreen(DemoState().hZEM, at.x, at.y, &buttons, &src, key);
    }
}

RECT ClientOnScreen() {
    POINT o{0, 0};
    ClientToScreen(DemoState().hWND, &o);
    return RECT{o.x, o.y, o.x + DEMO_VIEW_WIDTH, o.y + DEMO_VIEW_HEIGHT};
}

int Down(int vk) { return (GetAsyncKeyState(vk) & 0x8000) ? 1 : 0; }

// The pointer's confinement as the platform holds it, for the trace.
void TraceClip(const char* what, const Viewer& v) {
    RECT r{};
    GetClipCursor(&r);
    DemoTrace("%s %.0f %.0f %.0f %.2f clip %d %d %d %d", what, v.x, v.y, v.z, v.s, r.left, r.top,
              r.right, r.bottom);
}

}  // namespace

POINT ViewerButtonAt(int i) { return POINT{53 + 65 * i, 466}; }

double ViewerWrap(double a) {
    while (a > 180) a -= 360;
    while (a <= -180) a += 360;
    return a;
}

void ViewerDrag(Viewer* v, int dx, int dy, int shift, int ctrl) {
    if (shift) {
        v->z = ViewerWrap(v->z + dx);
        v->x = ViewerWrap(v->x + dy);
    } else if (ctrl) {
        v->s += dx * 0.01;
        if (v->s < VIEWER_ZOOM_MIN) v->s = VIEWER_ZOOM_MIN;
        if (v->s > VIEWER_ZOOM_MAX) v->s = VIEWER_ZOOM_MAX;
    } else {
        v->y = ViewerWrap(v->y + dx);
        v->z = ViewerWrap(v->z + dy);
    }
}

double ViewerGlare(double y) {
    if (y < -90) return 0;
    if (y < 0) return (90 + y) / 90;
    if (y < 90) return (90 - y) / 90;
    return 0;
}

void SwitchLayer(tagKRNL* layer, int state) {
    if (layer) KRNL_RecallFunction(KRNLOP_SWITCH, layer, 0, state ? 1 : 0, 0);
}

void ViewerFindLayers(Viewer* v, tagKRNL* object) {
    v->object = object;
    for (int i = 0; i < VL_COUNT; ++i)
        v->layer[i] = object ? KRNL_SearchLayer(object, kViewerLayerNames[i]) : nullptr;
    for (int i : {VL_SHADOW, VL_NLIGHT, VL_FLAPDOWN, VL_REVON}) SwitchLayer(v->layer[i], 0);
}

void ViewerPress(Viewer* v, int i) {
    if (i < 0 || i >= VIEWER_BUTTONS) return;
    v->button[i] = 2;
    if (i == 3) {
        v->countdown = 2;
        return;
    }
    v->toggle[i] = !v->toggle[i];
    SwitchToggle(v, i);
}

int ViewerInputStep(Viewer* v, const tagCELL* buttons, const ViewerInput& in, const RECT& client) {
    const POINT p = in.pointer;
    const int key = buttons ? (buttons->mask & 0xFFFF) : 0;
    for (int i = 0; i < VIEWER_BUTTONS; ++i) {
        v->button[i] = 0;
        const POINT at = ViewerButtonAt(i);
        if (!buttons || !buttons->bits || p.x < at.x || p.y < at.y ||
            p.x >= at.x + VIEWER_BUTTON_W || p.y >= at.y + VIEWER_BUTTON_H)
            continue;
        const ZEMPIXEL pixel =
            ZEM_GetPixelCell(buttons, i * VIEWER_BUTTON_W + p.x - at.x, p.y - at.y);
        if ((pixel & 0xFFFF) != key) v->button[i] = 1;
    }
    if (v->dragging) {
        if (!*in.held) {
            ViewerRelease(v);
        } else {
            ViewerDrag(v, v->last.x - p.x, v->last.y - p.y, in.shift, in.ctrl);
            v->last = p;
        }
        return -1;
    }
    if (!*in.held) return -1;
    for (int i = 0; i < VIEWER_BUTTONS; ++i) {
        if (v->button[i] != 1) continue;
        // One action per press: the next needs the button pressed again.
        *in.held = 0;
        ViewerPress(v, i);
        return i;
    }
    v->dragging = 1;
    v->last = p;
    ClipCursor(&client);
    TraceClip("drag start", *v);
    return -1;
}

void ViewerRelease(Viewer* v) {
    if (!v->dragging) return;
    v->dragging = 0;
    ClipCursor(nullptr);
    TraceClip("drag end", *v);
}

void Demo1(int index, const char* model) {
    DemoGlobals& g = DemoState();
    g.hZEM = ZEM_Start(ZEM_START_DEPTH16, g.hWND, DEMO_VIEW_WIDTH, DEMO_VIEW_HEIGHT,
                       DEMO_VIEW_WIDTH, DEMO_VIEW_HEIGHT);
    g.hKRN = KRN_Start(g.hWND, 5000);
    if (g.hKRN) g.hKRNL = KRNL_Start(g.hKRN);
    if (!g.hZEM || !g.hKRNL) {
        // Nothing can be shown: the viewer ends at once and the program hands back.
        DemoTrace("viewer 0");
        if (g.hKRN) KRN_End(g.hKRN);
        if (g.hZEM) ZEM_End(g.hZEM);
        g.hKRN = nullptr;
        g.hZEM = nullptr;
        return;
    }
    ShowPicture(kBackground, 0, 0, nullptr);
    if (index >= 0) {
        const RECT tile{0, kNameH * index, kNameW, kNameH * (index + 1)};
        ShowPicture(kNames, 386, 454, &tile);
    }
    tagCELL buttons{};
    UMBDLL_ReadUMB(kButtons, &buttons);

    RECT view{120, 26, 680, 454};
    KRN_ViewPort(g.hKRN, 0, g.hWND, &view);
    g.cmVIEW = tagKRN3D{0, 20, -40, 0};
    g.cmROTATE = tagKRN3D{15, 0, 0, 0};
    g.cmSCALE = tagKRN3D{1, 1, 1, 0};
    g.cmZOOM = 65;
    DemoCamera(0);
    g.ltDIR = tagKRN3D{50, -20, 20, 0};
    DemoLights(0x141414, 0xA0A0A0);

    Viewer v;
    tagKRNL* object = KRNL_CreateLayer(g.hKRNL, "OBJECT");
    const int loaded = object && model && model[0] ? KRNL_LoadLayer(object, model, 0) : 0;
    ViewerFindLayers(&v, object);
    DemoTrace("viewer %d [%s] loaded %d", index, model ? model : "", loaded);

    tagTOVWAVE click{}, music{};
    TOV_WaveRead(kClick, &click);
    if (TOV_WaveRead(kMusic, &music) && g.bSOUND) TOV_WavePlay(0, &music, -1, 0);

    int outline = 0;
    while (!g.bEXIT && !g.bCLOSE) {
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(g.hWND, &p);
        g.bSHIFT = Down(VK_SHIFT);
        g.bCTRL = Down(VK_CONTROL);
        const DWORD flags = Down(VK_MENU) ? 0x20000000u : 0x40000000u;
        if ((flags == 0x20000000u) != (outline != 0)) {
            outline = flags == 0x20000000u;
            DemoTrace("outline %d", outline);
        }
        const int pressed = ViewerInputStep(
            &v, &buttons, ViewerInput{p, &g.bBUTTON, g.bSHIFT, g.bCTRL}, ClientOnScreen());
        if (pressed >= 0)
            DemoTrace("press %d toggles %d %d %d", pressed, v.toggle[0], v.toggle[1], v.toggle[2]);

        if (v.object) {
            const tagKRN3D shift{0, 5, 0, 0}, turn{v.x, v.y, v.z, 0}, scale{v.s, v.s, v.s, 0};
            KRNL_AbsMoveLayer(v.object, &shift, &turn, &scale);
        }
        const double glare = ViewerGlare(v.y);
        const tagKRN3D glow{glare, glare, glare, 0};
        for (int l : {VL_LDLIGHTL, VL_LDLIGHTR, VL_LDLIGHTM})
            if (v.layer[l]) KRNL_AbsMoveLayer(v.layer[l], nullptr, nullptr, &glow);

        DrawButtons(v, buttons);
        for (int i = 0; i < VIEWER_BUTTONS; ++i) {
            if (v.button[i] != 2) continue;
            if (click.data && g.bSOUND) TOV_WavePlayJust(1, &click, 1, 0);
            Sleep(100);
        }

        const double a = 6.283 * double(timeGetTime() % 10000) / 10000;
        g.ltDIR = tagKRN3D{20 * std::cos(a), -20 * std::sin(a), 20, 0};
        DemoLights(0x141414, 0xA0A0A0);
        KRNL_CalcLayerEx(g.hKRNL, 0);
        KRN_Rendering(g.hKRN, 0, 0, flags | 0x080000);
        KRN_Flip(g.hKRN, 0);
        Task();

        if (v.countdown > 0 && --v.countdown == 1) SendMessageA(g.hWND, WM_CLOSE, 0, 0);
    }

    // Closed during a drag (the close box from the keyboard, another program): the pointer
    // must not stay confined to where the window was.
    ViewerRelease(&v);
    TOV_WaveStop(-1);
    if (music.data) TOV_WaveFree(&music);
    if (click.data) TOV_WaveFree(&click);
    if (buttons.bits) ZEM_DeleteCell(&buttons);
    KRNL_End(g.hKRNL);
    g.hKRNL = nullptr;
    KRN_End(g.hKRN);
    g.hKRN = nullptr;
    ZEM_End(g.hZEM);
    g.hZEM = nullptr;
    TraceClip("viewer end", v);
}

int ViewerModel(char first, const char* ini, char* model, size_t cap) {
    int index = -1;
    const char* key = "def";
    if (first == '0' || first == '1' || first == '2') {
        static const char* const kKeys[] = {"demo0", "demo1", "demo2"};
        index = first - '0';
        key = kKeys[index];
    }
    GetPrivateProfileStringA("MODEL", key, "", model, DWORD(cap), ini);
    return index;
}

void RunViewer(char first) {
    char model[256] = {};
    const int index = ViewerModel(first, DemoState().cINI, model, sizeof model);
    Demo1(index, model);
}
