// The raster driver acc_dexo: makes the view's surfaces, draws the frame's output list as
// textured, lit, fogged and blended triangles (opaque chips at once in list order, translucent
// ones after them, far to near), presents the frame, switches between window and full screen,
// copies cells to and from the frame and loads textures. Its state is process-wide: one engine
// record at a time uses it.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "d3z.h"
#include "drvcommon.h"
#include "texts.h"
#include "zem40.h"

namespace {

const char* const kCaption = "acc_dexo.dll";
const char* const kHelLead = "現在の画面モードでは ";
const char* const kResText = "指定サイズの全画面モードはサポートされていません。";
const char* const kRestartText = "テクスチャーの再設定中...";

int g_debugWireframe = 0;
int g_smallTexture = 0;
char g_krnIni[260];
IDirect3DRMFrame2* g_sceneFrame = nullptr;
IDirect3DRMFrame2* g_cameraFrame = nullptr;
double g_zbufMin, g_zbufMax, g_zbufRange, g_zbufScale;
int g_fogMode = 0;
double g_fogStart, g_fogEnd, g_fogScale;
// Translucent chips of the frame: output-list indices and sort distances. The table grows past
// its first thousand so that no chip of a big scene is lost.
std::vector<int> g_throughNo;
std::vector<double> g_throughDist;
bool g_helShown = false;  // the emulation notice is shown once per process

void Finish() {
    if (g_sceneFrame) g_sceneFrame->Release();
    g_sceneFrame = nullptr;
    if (g_cameraFrame) g_cameraFrame->Release();
    g_cameraFrame = nullptr;
}

void ERROR_HEL(tagKRN* krn) {
    if (g_helShown) return;
    g_helShown = true;
    char text[512];
    std::snprintf(text, sizeof text, "%s%s", kHelLead, acc::text::kHelReason);
    MessageBoxA(krn->hwnd, text, kCaption, MB_OK | MB_ICONWARNING);
}

void ERROR_RES(tagKRN* krn) { MessageBoxA(krn->hwnd, kResText, kCaption, MB_OK | MB_ICONWARNING); }

DWORD Clamp8(int v) { return (DWORD)(v < 0 ? 0 : v > 255 ? 255 : v); }

void SetState(D3DRENDERSTATETYPE s, DWORD v) { g_d3z.device->SetRenderState(s, v); }

void SetTexture(DWORD handle) {
    if (handle == g_d3z.textureInUse) return;
    g_d3z.textureInUse = handle;
    SetState(D3DRENDERSTATE_TEXTUREHANDLE, handle);
}

float DepthOf(double z) { return (float)((z - g_zbufMin) * g_zbufScale); }

DWORD FogOf(double q) {
    if (q < g_fogStart) return 0xFF000000u;
    if (q < g_fogEnd) return (DWORD)drv::Trunc(255.0 - (q - g_fogStart) * g_fogScale) << 24;
    return 0;
}

const tagKRNTEXTURE* TextureOf(const tagKRNCHIP& c) {
    return reinterpret_cast<const tagKRNTEXTURE*>(c.htex);
}

void Surface(tagKRN*, const tagKRNCHIP& c) {
    static const int kFront[3] = {0, 1, 2}, kBack[3] = {2, 1, 0};
    const int* order = (c.flags & KRNCHIP_FRONT) ? kFront : kBack;
    const tagKRNTEXTURE* tex = TextureOf(c);
    const bool blend = c.flags & (KRNCHIP_ALPHA | KRNCHIP_SHADOW);
    D3DTLVERTEX v[3];
    for (int i = 0; i < 3; ++i) {
        const int k = order[i];
        v[i].sx = (float)c.v[k].x;
        v[i].sy = (float)c.v[k].y;
        v[i].sz = DepthOf(c.v[k].z);
        v[i].rhw = tex ? (float)(1.0 / c.v[k].t) : 1.0f;
        v[i].color = ((255 - Clamp8(c.m[k])) << 24) | (Clamp8(c.r[k]) << 16) |
                     (Clamp8(c.g[k]) << 8) | Clamp8(c.b[k]);
        v[i].specular = g_fogMode && !(c.flags & KRNCHIP_NOFOG) ? FogOf(c.v[k].t) : 0xFF000000u;
        if (blend) v[i].specular = 0xFF000000u;
        v[i].tu = tex ? (float)c.x[k] : 0.0f;
        v[i].tv = tex ? (float)c.y[k] : 0.0f;
    }
    SetTexture(tex ? (DWORD)tex->work1 : 0);
    if (c.flags & KRNCHIP_ALPHA) {
        SetState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        SetState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCCOLOR);
    } else if (c.flags & KRNCHIP_SHADOW) {
        SetState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ZERO);
        SetState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCCOLOR);
    }
    if (c.flags & KRNCHIP_ZNOWRITE) SetState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
    g_d3z.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v, 3,
                                D3DDP_WAIT | D3DDP_DONOTUPDATEEXTENTS);
    if (blend) {
        SetState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
        SetState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    if (c.flags & KRNCHIP_ZNOWRITE) SetState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
}

void WireFrame(tagKRN*, const tagKRNCHIP& c) {
    SetTexture(0);
    D3DTLVERTEX v[4];
    for (int i = 0; i < 4; ++i) {
        const int k = i % 3;
        v[i].sx = (float)c.v[k].x;
        v[i].sy = (float)c.v[k].y;
        v[i].sz = DepthOf(c.v[k].z);
        v[i].rhw = 1.0f;
        v[i].color = 0xFF000000u | (Clamp8(c.r[k]) << 16) | (Clamp8(c.g[k]) << 8) | Clamp8(c.b[k]);
        v[i].specular = 0x80000000u;
        v[i].tu = v[i].tv = 0.0f;
    }
    g_d3z.device->DrawPrimitive(D3DPT_LINESTRIP, D3DVT_TLVERTEX, v, 4,
                                D3DDP_WAIT | D3DDP_DONOTUPDATEEXTENTS);
}

void DrawMessage(tagKRN* krn, int w, const char* text);

bool Windowed() { return g_d3z.windowed != 0; }

void WriteMode(const char* mode) {
    WritePrivateProfileStringA("MODE", "EMULATION", mode, g_krnIni);
}

HWND WindowOf(tagKRN* krn, int w) { return krn->view[w].hwnd ? krn->view[w].hwnd : krn->hwnd; }

}  // namespace

DRVEXPORT int CHECK(tagKRN*, char* corp, char* name, char* drv, DWORD* c1, DWORD* c2) {
    return drv::Check(corp, name, drv, c1, c2, "Microsoft", acc::text::kCheckDescription,
                      "acc_dexo.dll", 1, drv::kAnyProcessor);
}

DRVEXPORT int START(tagKRN* krn) {
    D3Z_Initialize(krn ? krn->hwnd : nullptr);
    if (!krn) return 1;
    krn->accwork = 1;
    KRN_GetProFileName(g_krnIni);
    g_debugWireframe = GetPrivateProfileIntA("DEBUG", "WIREFRAME", 0, g_krnIni) != 0 ? 1 : 0;
    g_smallTexture = (int)GetPrivateProfileIntA("TEXTURE", "SMALL", 0, g_krnIni);
    return 1;
}

DRVEXPORT int END(tagKRN*) {
    Finish();
    D3Z_Cleanup();
    return 1;
}

DRVEXPORT int ACC_MAKEVIEW(tagKRN* krn, int w) {
    if (!krn || w != 0) return 0;
    if (g_d3z.xsize != 0 || g_d3z.ysize != 0) return 0;
    const tagKRNVIEW& v = krn->view[0];
    g_d3z.xpos = v.xpos;
    g_d3z.ypos = v.ypos;
    g_d3z.xsize = v.xsize;
    g_d3z.ysize = v.ysize;
    g_d3z.cxpos = v.cxpos;
    g_d3z.cypos = v.cypos;
    g_d3z.cxsize = v.cxsize;
    g_d3z.cysize = v.cysize;
    HWND hwnd = WindowOf(krn, 0);
    if (!D3Z_CreateDirectDraw(hwnd, !Windowed()) || !D3Z_CreateDirect3DRM()) {
        g_d3z.forceEmulation = 1;
        g_d3z.hardware = 0;
        g_d3z.model = D3DCOLOR_MONO;
        krn->accwork = 0;
        if (!D3Z_CreateDirectDraw(hwnd, !Windowed()) || !D3Z_CreateDirect3DRM()) return 0;
        ERROR_HEL(krn);
    }
    // A view made again after a fallback (a mode switch) still draws in emulation.
    WriteMode(g_d3z.forceEmulation ? "soft" : "hard");
    if (g_d3z.rm->CreateFrame(nullptr, &g_sceneFrame) != D3DRM_OK) return 0;
    if (g_d3z.rm->CreateFrame(g_sceneFrame, &g_cameraFrame) != D3DRM_OK) return 0;
    D3Z_CreateViewport(g_cameraFrame);
    D3Z_ReadyToRender(1);
    D3Z_ClearBackBuffer(nullptr, 0);
    D3Z_FlipDD();
    return 1;
}

DRVEXPORT int ACC_RELEASEVIEW(tagKRN* krn, int w) {
    Finish();
    if (krn && w >= 0 && w < KRN_VIEWMAX) krn->view[w].handle = nullptr;
    g_d3z.xsize = g_d3z.ysize = 0;
    return 1;
}

DRVEXPORT int ACC_CAMERA(tagKRN*, int) { return 1; }

DRVEXPORT int ACC_RASTER(tagKRN* krn, int w, DWORD colour) {
    if (g_debugWireframe) colour = 0x20080000u;
    if (!krn || !g_d3z.ready || !g_d3z.device || !g_d3z.viewport) return 0;
    D3Z_IfLostThenRestore();
    g_d3z.viewport->Clear();
    // Without an immediate-mode viewport the frame fails; the process goes on.
    IDirect3DViewport* vp1 = nullptr;
    IDirect3DViewport2* vp = nullptr;
    if (g_d3z.viewport->GetDirect3DViewport(&vp1) != D3DRM_OK || !vp1) return 0;
    const HRESULT q = vp1->QueryInterface(IID_IDirect3DViewport2, reinterpret_cast<void**>(&vp));
    vp1->Release();
    if (q != S_OK || !vp) return 0;
    g_d3z.device->SetCurrentViewport(vp);
    vp->Release();
    if (g_d3z.device->BeginScene() != D3D_OK) return 0;

    SetState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL);
    SetState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
    SetState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    SetState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    SetState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    SetState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    SetState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
    SetState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, TRUE);

    if ((colour & 0xFFFFFFu) && !(colour & 0x80000000u) && w >= 0 && w < KRN_VIEWMAX) {
        const tagKRNVIEW& v = krn->view[w];
        RECT r{v.cxpos, v.cypos, v.cxpos + v.cxsize, v.cypos + v.cysize};
        D3Z_ClearBackBuffer(&r, colour & 0xFFFFFFu);
    }
    g_zbufMin = krn->zbufmin;
    g_zbufMax = krn->zbufmax + 1.0;
    g_zbufRange = g_zbufMax - g_zbufMin;
    g_zbufScale = 1.0 / g_zbufRange;
    g_d3z.textureInUse = 0;
    SetState(D3DRENDERSTATE_TEXTUREHANDLE, 0);
    SetState(D3DRENDERSTATE_ZENABLE, TRUE);
    g_fogMode = krn->distance != -1.0 ? 1 : 0;
    if (g_fogMode) {
        SetState(D3DRENDERSTATE_FOGENABLE, TRUE);
        SetState(D3DRENDERSTATE_FOGCOLOR, 0xFF000000u | (colour & 0xFFu) << 16 |
                                              (colour & 0xFF00u) | ((colour >> 16) & 0xFFu));
        g_fogStart = krn->top;
        g_fogEnd = krn->bottom;
        g_fogScale = 255.0 / (krn->bottom - krn->top);
    } else {
        SetState(D3DRENDERSTATE_FOGENABLE, FALSE);
    }

    int count = krn->lpcalc ? krn->calc : 0;
    if (count > krn->chipmax) count = krn->chipmax;
    g_throughNo.clear();
    g_throughDist.clear();
    for (int i = 0; i < count; ++i) {
        const tagKRNCHIP& c = krn->lpcalc[i];
        if ((colour & 0x20000000u) || (c.flags & KRNCHIP_WIREFRAME)) {
            WireFrame(krn, c);
        } else if (c.trans == 0) {
            Surface(krn, c);
        } else {
            g_throughNo.push_back(i);
            g_throughDist.push_back((c.v[0].z + c.v[1].z + c.v[2].z) / 3.0);
        }
    }
    // Far to near; chips at the same distance keep their list order.
    std::vector<int> order(g_throughNo.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = (int)i;
    std::stable_sort(order.begin(), order.end(),
                     [](int a, int b) { return g_throughDist[a] > g_throughDist[b]; });
    for (int k : order) Surface(krn, krn->lpcalc[g_throughNo[k]]);

    g_d3z.device->EndScene();
    g_d3z.lastColour = colour;
    return 1;
}

DRVEXPORT int ACC_FLIP(tagKRN* krn, int w) {
    D3Z_FlipDD();
    if (krn && w >= 0 && w < KRN_VIEWMAX) {
        if (++krn->view[w].flip >= 2) krn->view[w].flip = 0;
    }
    return 1;
}

DRVEXPORT int ACC_LOADTEXTURE(tagKRN* krn, tagKRNTEXTURE* slot);
DRVEXPORT int ACC_DELETETEXTURE(tagKRN* krn, tagKRNTEXTURE* slot);

DRVEXPORT int ACC_FULLSCREEN(tagKRN* krn, int w, int on) {
    if (!krn || w < 0 || w >= KRN_VIEWMAX) return 0;
    if ((Windowed() && !on) || (!Windowed() && on)) return 1;
    const tagKRNVIEW& v = krn->view[w];
    const bool sized = (v.xsize == 640 && v.ysize == 480) || (v.xsize == 800 && v.ysize == 600) ||
                       (v.xsize == 1024 && v.ysize == 768);
    if (!sized) {
        ERROR_RES(krn);
        return 0;
    }
    for (tagKRNTEXTURE& t : krn->texture)
        if (t.mode) krn->ACC_DELETETEXTURE(krn, &t);
    g_d3z.copying = 0;
    g_d3z.ready = 0;
    const RECT saved = g_d3z.saved;
    Finish();
    D3Z_Cleanup();
    g_d3z.windowed = on ? 0 : 1;
    g_d3z.xsize = g_d3z.ysize = 0;
    if (!krn->ACC_MAKEVIEW(krn, w)) return 0;
    for (tagKRNTEXTURE& t : krn->texture)
        if (t.mode) krn->ACC_LOADTEXTURE(krn, &t);
    HWND hwnd = WindowOf(krn, w);
    if (!on) {
        MoveWindow(hwnd, saved.left, saved.top, saved.right - saved.left, saved.bottom - saved.top,
                   TRUE);
    } else {
        RECT wr;
        GetWindowRect(hwnd, &wr);
        POINT o{0, 0};
        ClientToScreen(hwnd, &o);
        MoveWindow(hwnd, wr.left - o.x, wr.top - o.y, v.xsize, v.ysize, TRUE);
    }
    for (int i = 0; i < 3; ++i) {
        ACC_RASTER(krn, w, g_d3z.lastColour);
        ACC_FLIP(krn, w);
    }
    return 1;
}

DRVEXPORT int ACC_REFRESH(tagKRN*, int, HDC) {
    if (!g_d3z.ready || g_d3z.copying) return 0;
    D3Z_FlipDD();
    return 1;
}

DRVEXPORT int ACC_PUTSCREEN(tagKRN*, int, int x, int y, tagKRNCELL* cell, RECT* rect) {
    if (!cell || !g_d3z.back) return 1;
    KRN_RemakeCell(cell);
    const RECT src = rect ? *rect : RECT{0, 0, cell->xsize, cell->ysize};
    const int w = src.right - src.left, h = src.bottom - src.top;
    HDC cdc = ZEM_GetDC(reinterpret_cast<HZEMSCREEN>(cell->user));
    if (!cdc || w <= 0 || h <= 0) return 1;
    g_d3z.copying = 1;
    HDC dc = nullptr;
    if ((DWORD)cell->mask == 0x80000000u) {
        if (g_d3z.back->GetDC(&dc) == DD_OK) {
            BitBlt(dc, x, y, w, h, cdc, src.left, src.top, SRCCOPY);
            g_d3z.back->ReleaseDC(dc);
        }
    } else if (g_d3z.work->GetDC(&dc) == DD_OK) {
        BitBlt(dc, x, y, w, h, cdc, src.left, src.top, SRCCOPY);
        g_d3z.work->ReleaseDC(dc);
        // The cell's own colour key (a 15-bit pixel), as the work surface holds it.
        auto widen = [](DWORD c5) { return (c5 << 3) | (c5 >> 2); };
        const DWORD m = (DWORD)cell->mask;
        const COLORREF key = RGB(widen((m >> 10) & 31), widen((m >> 5) & 31), widen(m & 31));
        const DWORD raw = D3Z_ColorMatch(g_d3z.work, key);
        DDCOLORKEY ck{raw, raw};
        g_d3z.work->SetColorKey(DDCKEY_SRCBLT, &ck);
        RECT area{x, y, x + w, y + h};
        g_d3z.back->Blt(&area, g_d3z.work, &area, DDBLT_KEYSRC | DDBLT_WAIT, nullptr);
    }
    g_d3z.copying = 0;
    return 1;
}

DRVEXPORT int ACC_GETSCREEN(tagKRN*, tagKRNCELL* cell, int x, int y, int, RECT* rect) {
    if (!cell || !g_d3z.back) return 1;
    KRN_RemakeCell(cell);
    const RECT dst = rect ? *rect : RECT{0, 0, cell->xsize, cell->ysize};
    HDC cdc = ZEM_GetDC(reinterpret_cast<HZEMSCREEN>(cell->user));
    if (!cdc) return 1;
    g_d3z.copying = 1;
    HDC dc = nullptr;
    if (g_d3z.back->GetDC(&dc) == DD_OK) {
        BitBlt(cdc, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top, dc, x, y,
               SRCCOPY);
        g_d3z.back->ReleaseDC(dc);
    }
    g_d3z.copying = 0;
    return 1;
}

DRVEXPORT int ACC_LOADTEXTURE(tagKRN*, tagKRNTEXTURE* slot) {
    if (!g_d3z.device) return 0;
    return D3Z_LoadTexture(g_d3z.device, slot, g_smallTexture);
}

DRVEXPORT int ACC_DELETETEXTURE(tagKRN*, tagKRNTEXTURE* slot) {
    D3Z_DeleteTexture(slot);
    if (slot) slot->work1 = 0;
    return 1;
}

DRVEXPORT int RESTART(tagKRN* krn, int phase) {
    if (!krn) return 1;
    if (phase == 0) {
        for (int w = 0; w < KRN_VIEWMAX; ++w) krn->ACC_RELEASEVIEW(krn, w);
        for (tagKRNTEXTURE& t : krn->texture)
            if (t.mode) krn->ACC_DELETETEXTURE(krn, &t);
        Finish();
        D3Z_Cleanup();
    } else {
        D3Z_Initialize(krn->hwnd);
        for (int w = 0; w < KRN_VIEWMAX; ++w)
            if (krn->view[w].hwnd) krn->ACC_MAKEVIEW(krn, w);
        DrawMessage(krn, 0, kRestartText);
        for (tagKRNTEXTURE& t : krn->texture)
            if (t.mode) krn->ACC_LOADTEXTURE(krn, &t);
        // A view that had to fall back again keeps telling the lighting driver so.
        krn->accwork = g_d3z.forceEmulation ? 0 : 1;
    }
    return 1;
}

namespace {

void DrawMessage(tagKRN* krn, int w, const char* text) {
    if (!g_d3z.back) return;
    HDC dc = nullptr;
    if (g_d3z.back->GetDC(&dc) == DD_OK) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0x80, 0x80, 0x80));
        const tagKRNVIEW& v = krn->view[w];
        RECT r{v.xpos, v.ypos, v.xpos + v.xsize, v.ypos + v.ysize};
        DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        g_d3z.back->ReleaseDC(dc);
    }
    ACC_FLIP(krn, w);
}

}  // namespace
