// Views, cameras, lights, distances and the frame.
#include <cmath>
#include <cstring>

#include "driver.h"
#include "krn.h"

namespace {

bool ValidView(const tagKRN* krn, int view) { return krn && view >= 0 && view < KRN_VIEWMAX; }
bool ValidCamera(const tagKRN* krn, int c) { return krn && c >= 0 && c < KRN_CAMERAMAX; }
bool ValidLight(const tagKRN* krn, int l) { return krn && l >= 0 && l < KRN_LIGHTMAX; }

// The order strings of the colour word's axis-order code (bits 24-27).
const char* const kAxisOrders[6] = {"ZYX", "ZXY", "YZX", "YXZ", "XYZ", "XZY"};

// A stage that failed leaves no busy bits behind: the next frame, refresh, full-screen switch
// or end would otherwise wait for ever.
int FailFrame(tagKRN* krn) {
    krn->task = 0;
    return 0;
}

}  // namespace

KRNAPI int WINAPI KRN_ViewPort(tagKRN* krn, int view, HWND hwnd, RECT* rect) {
    if (!ValidView(krn, view) || !rect) return 0;
    tagKRNVIEW& v = krn->view[view];
    v.xpos = rect->left;
    v.ypos = rect->top;
    v.xsize = rect->right - rect->left;
    v.ysize = rect->bottom - rect->top;
    v.cxpos = v.cypos = 0;
    v.cxsize = v.xsize;
    v.cysize = v.ysize;
    v.flip = 1;
    v.xoffset = v.yoffset = 0;
    if (!v.hwnd) {
        v.hwnd = hwnd;
        return krn->ACC_MAKEVIEW(krn, view);
    }
    // Redefinition: the window stays; the raster driver rebuilds its surfaces.
    krn->ACC_REBOOT(krn, 0);
    krn->ACC_REBOOT(krn, 1);
    return 1;
}

KRNAPI int WINAPI KRN_OffsetViewPort(tagKRN* krn, int view, int x, int y) {
    if (!ValidView(krn, view)) return 0;
    krn->view[view].xoffset = x;
    krn->view[view].yoffset = y;
    return 1;
}

KRNAPI int WINAPI KRN_ClipViewPort(tagKRN* krn, int view, RECT* rect) {
    if (!ValidView(krn, view) || !rect) return 0;
    tagKRNVIEW& v = krn->view[view];
    LONG left = rect->left > v.xpos ? rect->left : v.xpos;
    LONG top = rect->top > v.ypos ? rect->top : v.ypos;
    LONG right = rect->right < v.xpos + v.xsize ? rect->right : v.xpos + v.xsize;
    LONG bottom = rect->bottom < v.ypos + v.ysize ? rect->bottom : v.ypos + v.ysize;
    if (right <= left || bottom <= top) left = top = right = bottom = 0;
    v.cxpos = left;
    v.cypos = top;
    v.cxsize = right - left;
    v.cysize = bottom - top;
    return 1;
}

KRNAPI int WINAPI KRN_Camera(tagKRN* krn, int camera, tagKRN3D* viewpoint, tagKRN3D* rotate,
                             tagKRN3D* scale, double zoom, double viewlimit) {
    if (!ValidCamera(krn, camera)) return 0;
    tagKRNCAMERA& c = krn->camera[camera];
    if (viewpoint) c.viewpoint = *viewpoint;
    if (rotate) c.rotate = *rotate;
    if (scale) c.scale = *scale;
    c.zoom = zoom;
    c.viewlimit = viewlimit;
    return krn->ACC_CAMERA(krn, camera);
}

KRNAPI int WINAPI KRN_Light(tagKRN* krn, int light, DWORD mode, tagKRN3D* pos, tagKRN3D* dir,
                            DWORD colour, double range) {
    if (!ValidLight(krn, light)) return 0;
    tagKRNLIGHT& l = krn->light[light];
    if (mode == 0) {
        std::memset(&l, 0, sizeof l);
        return 1;
    }
    l.mode = mode;
    if (pos) l.pos = *pos;
    if (dir) {
        l.dir = *dir;
        KRN_Normal3D(&l.normal, -dir->x, -dir->y, -dir->z);
    }
    l.red = (BYTE)(colour & 0xFF);
    l.green = (BYTE)(colour >> 8 & 0xFF);
    l.blue = (BYTE)(colour >> 16 & 0xFF);
    l.range = range;
    return krn->LGT_LIGHT(krn, light);
}

KRNAPI int WINAPI KRN_Rendering(tagKRN* krn, int view, int camera, DWORD colour) {
    if (!ValidView(krn, view) || !ValidCamera(krn, camera)) return 0;
    krn::WaitIdle(krn);
    krn->red = (int)(colour & 0xFF);
    krn->green = (int)(colour >> 8 & 0xFF);
    krn->blue = (int)(colour >> 16 & 0xFF);
    krn->task = KRNTASK_VIEW | KRNTASK_PERSPECTIVE | KRNTASK_LIGHT | KRNTASK_RASTER;

    // The view step first learns the near limit, as an integer.
    double limit = krn->camera[camera].viewlimit;
    int n = 0;
    if (limit > -2147483648.0 && limit < 2147483648.0) n = (int)limit;
    krn->DRV_VIEW(nullptr, n);

    unsigned code = colour >> 24 & 0xF;
    char old[4];
    KRN_DefineRotate3D(code < 6 ? kAxisOrders[code] : nullptr, old);
    int ok = krn->DRV_VIEW(krn, camera);
    KRN_DefineRotate3D(old, nullptr);
    if (!ok) return FailFrame(krn);
    krn->task &= ~KRNTASK_VIEW;

    if (!krn->DRV_PERSPECTIVE(krn, view, camera)) return FailFrame(krn);
    krn->task &= ~KRNTASK_PERSPECTIVE;
    if (!krn->LGT_BRIGHT(krn, camera)) return FailFrame(krn);
    krn->task &= ~KRNTASK_LIGHT;
    if (!krn->ACC_RASTER(krn, view, colour)) return FailFrame(krn);
    krn->task &= ~KRNTASK_RASTER;
    return 1;
}

KRNAPI DWORD WINAPI KRN_GetTask(tagKRN* krn) { return krn ? krn->task : 0; }

KRNAPI int WINAPI KRN_GetRenderCount(tagKRN* krn) { return krn ? krn->calc : 0; }

KRNAPI int WINAPI KRN_Flip(tagKRN* krn, int view) {
    if (!ValidView(krn, view)) return 0;
    return krn->ACC_FLIP(krn, view);
}

KRNAPI int WINAPI KRN_FullScreen(tagKRN* krn, int view, int flag) {
    if (!ValidView(krn, view)) return 0;
    krn::WaitIdle(krn);
    return krn->ACC_FULLSCREEN(krn, view, flag);
}

KRNAPI int WINAPI KRN_Refresh(tagKRN* krn, int view, HDC hdc) {
    if (!ValidView(krn, view)) return 0;
    krn::WaitIdle(krn);
    return krn->ACC_REFRESH(krn, view, hdc);
}

KRNAPI void WINAPI KRN_SetDistance(tagKRN* krn, double distance, double top, double bottom) {
    if (!krn) return;
    krn->distance = distance;
    krn->bottom = bottom < distance ? bottom : distance;
    krn->top = top < krn->bottom ? top : krn->bottom;
}

KRNAPI void WINAPI KRN_Through(tagKRN* krn, double throughdistance, int throughrate) {
    if (!krn) return;
    krn->throughdistance = throughdistance;
    krn->throughrate = throughrate;
}
