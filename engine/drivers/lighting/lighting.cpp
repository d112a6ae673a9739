// The lighting driver: the third stage of the engine's frame. LGT_BRIGHT colours every chip of
// the output list from the engine's ten lights, once per chip (flat) or once per vertex
// (smooth), in world space (positions from the chip's source chip, normals as the transform
// leaves them), and fogs the colour toward the background by distance. One source gives the
// builds; LGT_BUILD picks the build's row of kBuilds.
#include <cmath>

#include "drvcommon.h"

#ifndef LGT_BUILD
#error "LGT_BUILD must name the build: 0 portable, 1 SSE, 2 3DNow!"
#endif

namespace {

struct Build {
    const char* description;
    const char* loadFile;  // the file CHECK names: the one the engine loads for this entry
    DWORD c1;
    drv::Need need;
    bool fog;             // fogs by distance; else the blend value comes from `trans`
    bool flipBackNormal;  // a chip seen from behind is lit with its normals negated
};

constexpr Build kBuilds[3] = {
    {"0200KORRIN 3D Light（標準）", "lgt_pasu.dll", 0, drv::kAnyProcessor, true, false},
    {"0200KORRIN 3D Light（SSE版）", "lgt_quil.dll", 9, drv::kSse, false, true},
    // The 3DNow! build names the portable build as its load file, so choosing it loads that.
    {"0200KORRIN 3D Light（3DNow!版）", "lgt_pasu.dll", 5, drv::kAmd3DNow, true, false},
};
constexpr const Build& kThis = kBuilds[LGT_BUILD];

// Driver state, shared by every engine record of the process (frames never overlap).
double rCR, rCG, rCB;  // material colour of the point being lit
double rX, rY, rZ;     // its position (world space)
double rNX, rNY, rNZ;  // normal for point lights
double rVX, rVY, rVZ;  // normal for directional lights (the same vector)
double rDISTANCE;      // distance of the point from the eye
DWORD dwFLAGS;         // the chip's flags
int iTRANS;            // the chip's transparency (blend of the build without fog)
double rR, rG, rB;     // the lit colour
int iBLEND;            // the blend value, 0-255
double rTOP, rBOTTOM, rRANGE;
double rEXPBASE;

void SetNormal(const tagKRN3D& n, bool negate) {
    const double s = negate ? -1.0 : 1.0;
    rNX = rVX = n.x * s;
    rNY = rVY = n.y * s;
    rNZ = rVZ = n.z * s;
}

void CalcLight(const tagKRN* krn) {
    if constexpr (kThis.fog) {
        iBLEND = 0;
    } else {
        // Wide arithmetic: `trans` is the caller's and may be any int.
        long long trans = iTRANS;
        iBLEND = (int)(255 - (255 * (255 - trans)) / 255);
    }
    if (dwFLAGS & KRNCHIP_UNSHADED) {
        rR = rCR;
        rG = rCG;
        rB = rCB;
    } else {
        rR = rG = rB = 0.0;
        for (const tagKRNLIGHT& L : krn->light) {
            const double lr = L.red, lg = L.green, lb = L.blue;
            switch (L.mode) {
                case 1:
                    rR += lr * rCR * (1.0 / 255.0);
                    rG += lg * rCG * (1.0 / 255.0);
                    rB += lb * rCB * (1.0 / 255.0);
                    break;
                case 2: {
                    const double k =
                        (rVX * L.normal.x + rVY * L.normal.y + rVZ * L.normal.z + 1.0) *
                        (1.0 / 255.0);
                    if (k > 0.0) {
                        rR += k * lr * rCR;
                        rG += k * lg * rCG;
                        rB += k * lb * rCB;
                    }
                    break;
                }
                case 4: {
                    if (L.range == 0.0) break;
                    const double dx = rX - L.pos.x, dy = rY - L.pos.y, dz = rZ - L.pos.z;
                    const double s2 = dx * dx + dy * dy + dz * dz;
                    // Far enough beyond the reach that q >= 1 whatever the rounding: nothing to
                    // add, and the square root and divisions are saved for most points of a scene.
                    if (L.range > 0.0 && s2 > L.range * L.range * (1.0 + 1e-9)) break;
                    const double len = std::sqrt(s2);
                    const double k = 1.0 - (dx / len * rNX + dy / len * rNY + dz / len * rNZ);
                    const double q = len / L.range;
                    // A point on the light itself has no direction: k is NaN and adds nothing.
                    if (k > 0.0 && q < 1.0) {
                        const double f = (1.0 - q) * k;
                        rR += f * lr;
                        rG += f * lg;
                        rB += f * lb;
                    }
                    break;
                }
                default:
                    break;
            }
        }
        if (rR > 255.0) rR = 255.0;
        if (rG > 255.0) rG = 255.0;
        if (rB > 255.0) rB = 255.0;
    }
    if constexpr (kThis.fog) {
        if (krn->distance != -1.0 && rTOP < rDISTANCE && !(dwFLAGS & KRNCHIP_NOFOG)) {
            if (rDISTANCE >= rBOTTOM) {
                iBLEND = 255;
            } else {
                const double f = (std::exp((rBOTTOM - rDISTANCE) / rRANGE) - 1.0) / rEXPBASE;
                rR = f * rR + (1.0 - f) * krn->red;
                rG = f * rG + (1.0 - f) * krn->green;
                rB = f * rB + (1.0 - f) * krn->blue;
                iBLEND = drv::Trunc(255.0 * (1.0 - f));
            }
        }
    }
}

int Bright(tagKRN* krn) {
    rEXPBASE = std::exp(1.0) - 1.0;
    rTOP = krn->top;
    rBOTTOM = krn->bottom;
    rRANGE = krn->bottom - krn->top;
    int count = krn->calc;
    if (!krn->lpcalc || !krn->lpchip || count < 0) count = 0;
    if (count > krn->chipmax) count = krn->chipmax;
    const bool hardware = krn->accwork & 1;

    for (int i = 0; i < count; ++i) {
        // Chips are neither dropped nor moved: each is lit in place.
        tagKRNCHIP& c = krn->lpcalc[i];
        // The source chip gives the world-space positions; an output chip whose slot number
        // lies outside the scene array is lit at its own vertices.
        const tagKRNCHIP& S = c.no >= 0 && c.no < krn->chipmax ? krn->lpchip[c.no] : krn->lpcalc[i];
        dwFLAGS = c.flags;
        iTRANS = c.trans;
        const bool negate = kThis.flipBackNormal && !(c.flags & KRNCHIP_FRONT);
        if (hardware && (c.flags & KRNCHIP_SMOOTH)) {
            for (int k = 0; k < 3; ++k) {
                rCR = c.r[k];
                rCG = c.g[k];
                rCB = c.b[k];
                rDISTANCE = c.d[k];
                SetNormal(c.n[k], negate);
                rX = S.v[k].x;
                rY = S.v[k].y;
                rZ = S.v[k].z;
                CalcLight(krn);
                c.r[k] = drv::Trunc(rR);
                c.g[k] = drv::Trunc(rG);
                c.b[k] = drv::Trunc(rB);
                c.m[k] = iBLEND;
            }
            // Wide: the build without fog puts the caller's `trans` into m.
            c.mix = (int)(((long long)c.m[0] + c.m[1] + c.m[2]) / 3);
        } else {
            rDISTANCE = (c.d[0] + c.d[1] + c.d[2]) / 3.0;
            rCR = c.red;
            rCG = c.green;
            rCB = c.blue;
            SetNormal(c.normal, negate);
            rX = (S.v[0].x + S.v[1].x + S.v[2].x) / 3.0;
            rY = (S.v[0].y + S.v[1].y + S.v[2].y) / 3.0;
            rZ = (S.v[0].z + S.v[1].z + S.v[2].z) / 3.0;
            CalcLight(krn);
            c.red = drv::Trunc(rR);
            c.green = drv::Trunc(rG);
            c.blue = drv::Trunc(rB);
            for (int k = 0; k < 3; ++k) {
                c.r[k] = c.red;
                c.g[k] = c.green;
                c.b[k] = c.blue;
                c.m[k] = iBLEND;
            }
            c.mix = iBLEND;
        }
    }
    return 1;
}

}  // namespace

DRVEXPORT int CHECK(tagKRN*, char* corp, char* name, char* file, DWORD* c1, DWORD* c2) {
    return drv::Check(corp, name, file, c1, c2, "Halvorstine", kThis.description, kThis.loadFile,
                      kThis.c1, kThis.need);
}

DRVEXPORT int START(tagKRN*) { return 1; }
DRVEXPORT int END(tagKRN*) { return 1; }
DRVEXPORT int RESTART(tagKRN*, int) { return 1; }
DRVEXPORT int LGT_LIGHT(tagKRN*, int) { return 1; }

// The camera number is not used: lighting is done in world space.
DRVEXPORT int LGT_BRIGHT(tagKRN* krn, int) {
    if (!krn) return 0;
    return Bright(krn);
}
