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

// What one LGT_BRIGHT call lights with: the lights that can add something, in the engine's
// order (the sums are taken in that order, so the colours repeat exactly), and the fog.
struct ActiveLight {
    DWORD mode;  // 1 ambient, 2 directional, 4 point
    double lr, lg, lb;
    double nx, ny, nz;      // directional: the unit vector toward the light
    double px, py, pz;      // point: position
    double range, reachSq;  // point: reach, and the square beyond which nothing is added
};
struct Lighting {
    ActiveLight lights[KRN_LIGHTMAX];
    int count = 0;
    bool fogOn;
    double top, bottom, range, expBase;
    double fogR, fogG, fogB;
};

Lighting Prepare(const tagKRN* krn) {
    Lighting l;
    for (const tagKRNLIGHT& L : krn->light) {
        if (L.mode != 1 && L.mode != 2 && !(L.mode == 4 && L.range != 0.0)) continue;
        ActiveLight& a = l.lights[l.count++];
        a.mode = L.mode;
        a.lr = L.red;
        a.lg = L.green;
        a.lb = L.blue;
        a.nx = L.normal.x;
        a.ny = L.normal.y;
        a.nz = L.normal.z;
        a.px = L.pos.x;
        a.py = L.pos.y;
        a.pz = L.pos.z;
        a.range = L.range;
        a.reachSq = L.range > 0.0 ? L.range * L.range * (1.0 + 1e-9) : -1.0;
    }
    l.fogOn = krn->distance != -1.0;
    l.top = krn->top;
    l.bottom = krn->bottom;
    l.range = krn->bottom - krn->top;
    l.expBase = std::exp(1.0) - 1.0;
    l.fogR = krn->red;
    l.fogG = krn->green;
    l.fogB = krn->blue;
    return l;
}

// The point being lit: material colour, world position, normal, distance from the eye, and the
// chip's flags and transparency.
struct Point {
    double cr, cg, cb;
    double x, y, z;
    double nx, ny, nz;
    double distance;
    DWORD flags;
    int trans;
};
struct Lit {
    double r, g, b;
    int blend;  // 0-255
};

inline Lit CalcLight(const Lighting& l, const Point& p) {
    Lit o;
    if constexpr (kThis.fog) {
        o.blend = 0;
    } else {
        // Wide arithmetic: `trans` is the caller's and may be any int.
        long long trans = p.trans;
        o.blend = (int)(255 - (255 * (255 - trans)) / 255);
    }
    if (p.flags & KRNCHIP_UNSHADED) {
        o.r = p.cr;
        o.g = p.cg;
        o.b = p.cb;
    } else {
        double r = 0.0, g = 0.0, b = 0.0;
        for (int i = 0; i < l.count; ++i) {
            const ActiveLight& L = l.lights[i];
            if (L.mode == 1) {
                r += L.lr * p.cr * (1.0 / 255.0);
                g += L.lg * p.cg * (1.0 / 255.0);
                b += L.lb * p.cb * (1.0 / 255.0);
            } else if (L.mode == 2) {
                const double k = (p.nx * L.nx + p.ny * L.ny + p.nz * L.nz + 1.0) * (1.0 / 255.0);
                if (k > 0.0) {
                    r += k * L.lr * p.cr;
                    g += k * L.lg * p.cg;
                    b += k * L.lb * p.cb;
                }
            } else {
                const double dx = p.x - L.px, dy = p.y - L.py, dz = p.z - L.pz;
                const double s2 = dx * dx + dy * dy + dz * dz;
                // Far enough beyond the reach that q >= 1 whatever the rounding: nothing to
                // add, and the square root and divisions are saved for most points of a scene.
                if (L.range > 0.0 && s2 > L.reachSq) continue;
                const double len = std::sqrt(s2);
                const double k = 1.0 - (dx / len * p.nx + dy / len * p.ny + dz / len * p.nz);
                const double q = len / L.range;
                // A point on the light itself has no direction: k is NaN and adds nothing.
                if (k > 0.0 && q < 1.0) {
                    const double f = (1.0 - q) * k;
                    r += f * L.lr;
                    g += f * L.lg;
                    b += f * L.lb;
                }
            }
        }
        o.r = r > 255.0 ? 255.0 : r;
        o.g = g > 255.0 ? 255.0 : g;
        o.b = b > 255.0 ? 255.0 : b;
    }
    if constexpr (kThis.fog) {
        if (l.fogOn && l.top < p.distance && !(p.flags & KRNCHIP_NOFOG)) {
            if (p.distance >= l.bottom) {
                o.blend = 255;
            } else {
                const double f = (std::exp((l.bottom - p.distance) / l.range) - 1.0) / l.expBase;
                o.r = f * o.r + (1.0 - f) * l.fogR;
                o.g = f * o.g + (1.0 - f) * l.fogG;
                o.b = f * o.b + (1.0 - f) * l.fogB;
                o.blend = drv::Trunc(255.0 * (1.0 - f));
            }
        }
    }
    return o;
}

int Bright(tagKRN* krn) {
    const Lighting l = Prepare(krn);
    int count = krn->calc;
    if (!krn->lpcalc || !krn->lpchip || count < 0) count = 0;
    if (count > krn->chipmax) count = krn->chipmax;
    const bool hardware = krn->accwork & 1;

    for (int i = 0; i < count; ++i) {
        // The output chip a few steps ahead, and the source chip of one half as far ahead (its
        // slot number is on its way by then).
        if (i + drv::kPrefetchAhead < count)
            drv::PrefetchChipForWrite(&krn->lpcalc[i + drv::kPrefetchAhead]);
        if (i + drv::kPrefetchAhead / 2 < count) {
            const int no = krn->lpcalc[i + drv::kPrefetchAhead / 2].no;
            if (no >= 0 && no < krn->chipmax) {
                __builtin_prefetch(&krn->lpchip[no].v[0]);
                __builtin_prefetch(&krn->lpchip[no].v[2].t);
            }
        }
        // Chips are neither dropped nor moved: each is lit in place.
        tagKRNCHIP& c = krn->lpcalc[i];
        // The source chip gives the world-space positions; an output chip whose slot number
        // lies outside the scene array is lit at its own vertices.
        const tagKRNCHIP& S = c.no >= 0 && c.no < krn->chipmax ? krn->lpchip[c.no] : krn->lpcalc[i];
        const double sign = kThis.flipBackNormal && !(c.flags & KRNCHIP_FRONT) ? -1.0 : 1.0;
        Point p;
        p.flags = c.flags;
        p.trans = c.trans;
        if (hardware && (c.flags & KRNCHIP_SMOOTH)) {
            for (int k = 0; k < 3; ++k) {
                p.cr = c.r[k];
                p.cg = c.g[k];
                p.cb = c.b[k];
                p.distance = c.d[k];
                p.nx = c.n[k].x * sign;
                p.ny = c.n[k].y * sign;
                p.nz = c.n[k].z * sign;
                p.x = S.v[k].x;
                p.y = S.v[k].y;
                p.z = S.v[k].z;
                const Lit o = CalcLight(l, p);
                c.r[k] = drv::Trunc(o.r);
                c.g[k] = drv::Trunc(o.g);
                c.b[k] = drv::Trunc(o.b);
                c.m[k] = o.blend;
            }
            // Wide: the build without fog puts the caller's `trans` into m.
            c.mix = (int)(((long long)c.m[0] + c.m[1] + c.m[2]) / 3);
        } else {
            p.distance = (c.d[0] + c.d[1] + c.d[2]) / 3.0;
            p.cr = c.red;
            p.cg = c.green;
            p.cb = c.blue;
            p.nx = c.normal.x * sign;
            p.ny = c.normal.y * sign;
            p.nz = c.normal.z * sign;
            p.x = (S.v[0].x + S.v[1].x + S.v[2].x) / 3.0;
            p.y = (S.v[0].y + S.v[1].y + S.v[2].y) / 3.0;
            p.z = (S.v[0].z + S.v[1].z + S.v[2].z) / 3.0;
            const Lit o = CalcLight(l, p);
            c.red = drv::Trunc(o.r);
            c.green = drv::Trunc(o.g);
            c.blue = drv::Trunc(o.b);
            for (int k = 0; k < 3; ++k) {
                c.r[k] = c.red;
                c.g[k] = c.green;
                c.b[k] = c.blue;
                c.m[k] = o.blend;
            }
            c.mix = o.blend;
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
