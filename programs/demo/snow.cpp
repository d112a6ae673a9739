// Snow: a box of flakes around the camera, made once and rewritten in place every frame.
#include <mmsystem.h>

#include <cmath>

#include "demo.h"
#include "demo_internal.h"

namespace {

constexpr int iSNOWLIMIT = 100;
constexpr int iSNOWRANGEX = 50;
constexpr int iSNOWRANGEY = 100;
constexpr int iSNOWRANGEZ = 50;
constexpr int iSNOWSIZE = 4;

double rSNOWPOS[SNOW_MAX][3];
DWORD dwSNOWTIME = 0;

// A coordinate rounded to the nearest integer, then down to its grid step (toward zero).
double Corner(double v, int step) {
    return static_cast<double>(static_cast<long long>(std::lround(v)) / step * step);
}

}  // namespace

double CalcSnowPos(double w, double p, double c) {
    while (p > c + 0.5 * w) p -= w;
    while (p < c - 0.5 * w) p += w;
    return p;
}

void DemoSnowBox(const tagKRN3D* camera, tagKRN3D* corner) {
    corner->x = Corner(camera->x, iSNOWRANGEX);
    corner->y = Corner(camera->y, iSNOWRANGEY);
    corner->z = Corner(camera->z, iSNOWRANGEZ);
    corner->t = 0;
}

double DemoSnowSize(double d) {
    double s = 1.0 - d / (iSNOWLIMIT / 2);
    // Flakes very close to the camera shrink again, so none fills the view.
    if (s > 0.7) s = (0.3 - (s - 0.7)) * 2.3;
    return (iSNOWSIZE / 2) * s;
}

const double* DemoSnowOffset(int i) { return rSNOWPOS[i < 0 ? 0 : i % SNOW_MAX]; }

tagKRNL* MakeAutoSnow(tagKRNL* parent, int first, int count, const char* file) {
    if (!parent || count < 1) return nullptr;
    // rSNOWPOS holds SNOW_MAX flakes: a larger count would write past it.
    if (count > SNOW_MAX) count = SNOW_MAX;
    tagKRN* krn = parent->hkrn;
    // The layer first: when its name is taken no chip is written and no number drawn.
    tagKRNL* layer = KRNL_CreateLayer(parent, "AutoSnow");
    if (!layer) return nullptr;
    tagKRNCHIP chip = WeatherChip();
    chip.normal = tagKRN3D{0, 0, 1, 0};
    chip.htex = KRN_ReadTexture(krn, file, 0);
    for (int i = 0; i < count; ++i) {
        rSNOWPOS[i][0] = rand2() % iSNOWRANGEX - iSNOWRANGEX / 2;
        rSNOWPOS[i][1] = rand2() % iSNOWRANGEY - iSNOWRANGEY / 2;
        rSNOWPOS[i][2] = rand2() % iSNOWRANGEZ - iSNOWRANGEZ / 2;
        tagKRNCHIP c = chip;
        KRN_SetChip(krn, first + i, &c);
    }
    KRNL_CaptureLayer(layer, first, count);
    KRNL_RecallFunction(KRNLOP_ALPHA, layer, 0, 1, 0);
    KRNL_RecallFunction(KRNLOP_ZNOWRITE, layer, 0, 1, 0);
    KRNL_RecallFunction(KRNLOP_BILLBOARD, layer, 0, 12, 0);
    KRNL_RecallFunction(KRNLOP_SHADE, layer, 0, 0, 0);
    dwSNOWTIME = timeGetTime();
    return layer;
}

void SetSnowCamera(tagKRNL* layer, const tagKRN3D* camera, int shown) {
    if (!layer || !camera || !layer->lpchip) return;
    const int n = layer->count < SNOW_MAX ? layer->count : SNOW_MAX;
    const double cx = camera->x, cy = camera->y, cz = camera->z;
    double fall = static_cast<DWORD>(timeGetTime() - dwSNOWTIME) * 0.005;
    while (fall > iSNOWRANGEY) fall -= iSNOWRANGEY;
    tagKRN3D box;
    DemoSnowBox(camera, &box);
    for (int i = 0; i < n; ++i) {
        const double* o = rSNOWPOS[i];
        const double x = CalcSnowPos(iSNOWRANGEX, box.x + o[0], cx);
        const double y = CalcSnowPos(iSNOWRANGEY, box.y + o[1] - fall, cy);
        const double z = CalcSnowPos(iSNOWRANGEZ, box.z + o[2], cz);
        const double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy) + (z - cz) * (z - cz));
        const double h = DemoSnowSize(d);
        tagKRNCHIP& c = layer->lpchip[i];
        c.v[0] = tagKRN3D{x, y + h, z, 0};
        c.v[1] = tagKRN3D{x + h, y - h, z, 0};
        c.v[2] = tagKRN3D{x - h, y - h, z, 0};
        c.mode = i < shown ? KRNCHIP_SHOW : KRNCHIP_FREE;
    }
    layer->recalc = 1;
}

const CloudStyle kDemoCloudStyle = {rand2, 1, "Sub", "Add", 24000, 1.0};
