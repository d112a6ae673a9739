// The transform driver: the first two stages of the engine's frame. DRV_VIEW moves the shown
// scene chips into camera space, drops those beyond the far limit, splits those that cross the
// near plane and fills the output list; DRV_PERSPECTIVE projects the list onto the view, sorts
// out back faces and chips off the clip rectangle, compacts the list and records the depth
// range. One source gives the three builds; DRV_BUILD picks the build's row of kBuilds.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "drvcommon.h"

#ifndef DRV_BUILD
#error "DRV_BUILD must name the build: 0 plain, 1 SSE, 2 3DNow!"
#endif

namespace {

struct Build {
    const char* description;
    const char* loadFile;  // the file CHECK names: the one the engine loads for this entry
    DWORD c1;
    drv::Need need;
    bool honoursNoFar;   // flag 0x400 keeps a chip beyond the far limit
    bool seeThrough;     // the see-through rate is applied
    bool depthFromNear;  // projected z = (z - near) * t, else z * t
    bool maxFromLimit;   // the depth range's maximum starts at the near limit, else at 0
    bool clipAtViewPos;  // the clip rectangle is moved by the view's position
    bool ownRotation;    // carries its own vector copy (every build rotates points inline)
};

constexpr Build kBuilds[3] = {
    {"0200KORRIN 3D Transform（標準）", "drv_pasu.dll", 0, drv::kAnyProcessor, true, true, true,
     false, false, false},
    {"0200KORRIN 3D Transform(SSE版)", "drv_quil.dll", 9, drv::kSse, true, true, true, false, false,
     true},
    // The 3DNow! build names the plain build as its load file, so choosing it loads that.
    {"0200KORRIN 3D Transform(3DNow!版)", "drv_pasu.dll", 5, drv::kAmd3DNow, false, false, false,
     true, true, false},
};
constexpr const Build& kThis = kBuilds[DRV_BUILD];

// A vertex made where a chip edge crosses the near plane.
struct tagCHIPDEV {
    tagKRN3D vertex;
    tagKRN3D normal;
    int red, green, blue;
    double x, y;  // texture u and v
};

// Driver state, shared by every engine record of the process (frames never overlap).
double rVIEWLIMIT = -100.0;    // near limit the engine asked for
double rVIEWLIMIT2 = 10000.0;  // square of the near distance in use
double g_near = 0.0;           // near distance of the current frame, from view to perspective

double CalcProp(double a, double b, double t) { return a + (b - a) * t; }

inline void MaxMin(double a, double b, double c, double& mx, double& mn) {
    mx = a;
    if (b > mx) mx = b;
    if (c > mx) mx = c;
    mn = a;
    if (b < mn) mn = b;
    if (c < mn) mn = c;
}

// The platform's IntersectRect, inlined: true with the common part when both rectangles are
// not empty and meet.
inline bool Meet(RECT& out, const RECT& a, const RECT& b) {
    if (a.right <= a.left || a.bottom <= a.top || b.right <= b.left || b.bottom <= b.top ||
        a.left >= b.right || b.left >= a.right || a.top >= b.bottom || b.top >= a.bottom)
        return false;
    out = RECT{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
               a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    return true;
}

inline void Copy3D(tagKRN3D* dst, const tagKRN3D* src) {
    if constexpr (kThis.ownRotation) {
        if (dst != src) *dst = *src;
    } else {
        KRN_Copy3D(dst, src);
    }
}

// The engine's point rotation, with the same rules and results. Every build rotates inline:
// a call into the engine per vertex was a tenth of the frame.
inline void FastRotate3D(tagKRN3D* dst, const tagKRN3D* src, const tagKRNFFR* ffr) {
    if (!ffr->bm) {
        Copy3D(dst, src);
        return;
    }
    double x = src->x, y = src->y, z = src->z;
    for (int i = 0; i < 3 && ffr->calc[i]; ++i) {
        double a, b;
        if (ffr->calc[i] == 'X' && ffr->bx) {
            a = ffr->cosx * y - ffr->sinx * z;
            b = ffr->sinx * y + ffr->cosx * z;
            y = a;
            z = b;
        } else if (ffr->calc[i] == 'Y' && ffr->by) {
            a = ffr->cosy * z - ffr->siny * x;
            b = ffr->siny * z + ffr->cosy * x;
            z = a;
            x = b;
        } else if (ffr->calc[i] == 'Z' && ffr->bz) {
            a = ffr->cosz * x - ffr->sinz * y;
            b = ffr->sinz * x + ffr->cosz * y;
            x = a;
            y = b;
        }
    }
    dst->t = src->t;
    dst->x = x;
    dst->y = y;
    dst->z = z;
}

// The point where the edge from vertex i (in front) to vertex j (behind) reaches depth z, with
// the normal, colour and texture coordinates carried along the edge.
void DevideChip(const tagKRNCHIP* chip, int i, int j, tagCHIPDEV* out, double z) {
    const tagKRN3D& a = chip->v[i];
    const tagKRN3D& b = chip->v[j];
    double s = (z - a.z) / (b.z - a.z);
    out->vertex = tagKRN3D{a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s, z, 0.0};
    double g = KRN_Length3D(&a, &out->vertex) / KRN_Length3D(&a, &b);
    out->normal =
        tagKRN3D{CalcProp(chip->n[i].x, chip->n[j].x, g), CalcProp(chip->n[i].y, chip->n[j].y, g),
                 CalcProp(chip->n[i].z, chip->n[j].z, g), 0.0};
    out->red = drv::Trunc(CalcProp(chip->r[i], chip->r[j], g));
    out->green = drv::Trunc(CalcProp(chip->g[i], chip->g[j], g));
    out->blue = drv::Trunc(CalcProp(chip->b[i], chip->b[j], g));
    if (chip->htex) {
        out->x = CalcProp(chip->x[i], chip->x[j], g);
        out->y = CalcProp(chip->y[i], chip->y[j], g);
    } else {
        out->x = out->y = 0.0;
    }
}

// Puts a made vertex into slot k; its distance is that of the point on the near plane.
void PutDev(tagKRNCHIP& chip, int k, const tagCHIPDEV& p, double nearz) {
    Copy3D(&chip.v[k], &p.vertex);
    Copy3D(&chip.n[k], &p.normal);
    chip.r[k] = p.red;
    chip.g[k] = p.green;
    chip.b[k] = p.blue;
    chip.x[k] = p.x;
    chip.y[k] = p.y;
    chip.d[k] = std::sqrt(p.vertex.x * p.vertex.x + p.vertex.y * p.vertex.y + nearz * nearz);
}

inline LONG Sum(long long a, long long b) {
    const long long s = a + b;
    return s > 2147483647LL ? 2147483647 : s < -2147483648LL ? -2147483647 - 1 : (LONG)s;
}

// Appends to the output list; true when the list is now full.
inline bool Append(tagKRN* krn, const tagKRNCHIP& chip) {
    drv::CopyChip(&krn->lpcalc[krn->calc++], &chip);
    return krn->calc >= krn->chipmax;
}

int View(tagKRN* krn, int camera) {
    if (camera < 0 || camera >= KRN_CAMERAMAX) return 0;
    krn->calc = 0;
    if (!krn->lpchip || !krn->lpcalc || krn->chipmax <= 0) return 1;

    const tagKRNCAMERA& cam = krn->camera[camera];
    const tagKRN3D P = cam.viewpoint, A = cam.rotate, S = cam.scale;
    const bool translate = !(P.x == 0.0 && P.y == 0.0 && P.z == 0.0);
    const bool scale = !(S.x == 1.0 && S.y == 1.0 && S.z == 1.0);
    const double nearz = rVIEWLIMIT > 1.0 - cam.zoom ? rVIEWLIMIT : 1.0 - cam.zoom;
    g_near = nearz;
    rVIEWLIMIT2 = nearz * nearz;
    const bool farOn = krn->distance != -1.0;
    const double distance = krn->distance;

    // The frame has set the engine-wide axis order for this stage.
    char order[4];
    KRN_DefineRotate3D(nullptr, order);
    tagKRN3D angles{-A.x, -A.y, -A.z, 0.0};
    tagKRNFFR ffr;
    KRN_MakeFastRotate3D(&ffr, &angles, order);
    const bool rotate = ffr.bm && (A.x != 0.0 || A.y != 0.0 || A.z != 0.0);

    // The chips go in blocks that stay in the first-level cache: first the camera-space
    // vertices and their distances of a whole block, in arrays of their own, so that the
    // square roots of many vertices are taken together; then each chip of the block is
    // classified and written out. Every number is computed exactly as for a single chip.
    constexpr int kBlock = 64;
    double bx[kBlock * 3], by[kBlock * 3], bz[kBlock * 3], bd[kBlock * 3];
    for (int base = 0; base < krn->chipmax; base += kBlock) {
        const int n = std::min(kBlock, krn->chipmax - base);
        for (int j = 0; j < n; ++j) {
            // The first block asks for its chips here; later ones were asked for while the
            // block before them was written out.
            if (base == 0 && j + drv::kPrefetchAhead < n)
                drv::PrefetchChip(&krn->lpchip[j + drv::kPrefetchAhead]);
            const tagKRNCHIP& src = krn->lpchip[base + j];
            for (int k = 0; k < 3; ++k) {
                tagKRN3D p = src.v[k];
                if (translate) {
                    p.x -= P.x;
                    p.y -= P.y;
                    p.z -= P.z;
                }
                if (rotate) FastRotate3D(&p, &p, &ffr);
                if (scale) {
                    p.x *= S.x;
                    p.y *= S.y;
                    p.z *= S.z;
                }
                bx[j * 3 + k] = p.x;
                by[j * 3 + k] = p.y;
                bz[j * 3 + k] = p.z;
            }
        }
        if (farOn) {
            for (int j = 0; j < n * 3; ++j)
                bd[j] = std::sqrt(bx[j] * bx[j] + by[j] * by[j] + bz[j] * bz[j]);
        } else {
            for (int j = 0; j < n * 3; ++j) bd[j] = 0.0;
        }
        for (int j = 0; j < n; ++j) {
            if (base + kBlock + j < krn->chipmax)
                drv::PrefetchChip(&krn->lpchip[base + kBlock + j]);
            if (krn->calc + drv::kPrefetchAhead < krn->chipmax)
                drv::PrefetchChipForWrite(&krn->lpcalc[krn->calc + drv::kPrefetchAhead]);
            const tagKRNCHIP& src = krn->lpchip[base + j];
            if ((src.mode & 3) != 1) continue;
            // The rest of the chip is copied only when it survives.
            tagKRN3D v[3];
            double d[3];
            for (int k = 0; k < 3; ++k) {
                v[k] = tagKRN3D{bx[j * 3 + k], by[j * 3 + k], bz[j * 3 + k], src.v[k].t};
                d[k] = bd[j * 3 + k];
            }
            // A vertex at or beyond the limit drops the chip. "Not below" so that NaN drops it
            // too.
            bool drop = false;
            if (farOn && !(kThis.honoursNoFar && (src.flags & KRNCHIP_NOFAR)))
                drop = !(d[0] < distance) || !(d[1] < distance) || !(d[2] < distance);
            int front[3], back[3], nf = 0, nb = 0;
            for (int k = 0; k < 3; ++k) {
                if (v[k].z > nearz)
                    front[nf++] = k;
                else
                    back[nb++] = k;
            }
            if (drop || nf == 0) continue;

            if (nf == 3) {
                tagKRNCHIP& out = krn->lpcalc[krn->calc++];
                drv::CopyChip(&out, &src);
                for (int k = 0; k < 3; ++k) {
                    out.v[k] = v[k];
                    out.d[k] = d[k];
                }
                if (krn->calc >= krn->chipmax) return 1;
                continue;
            }
            tagKRNCHIP w;
            drv::CopyChip(&w, &src);
            for (int k = 0; k < 3; ++k) {
                w.v[k] = v[k];
                w.d[k] = d[k];
            }
            if (nf == 1) {
                tagCHIPDEV p, q;
                DevideChip(&w, front[0], back[0], &p, nearz);
                DevideChip(&w, front[0], back[1], &q, nearz);
                PutDev(w, back[0], p, nearz);
                PutDev(w, back[1], q, nearz);
                if (Append(krn, w)) return 1;
            } else {
                const int a = front[0], a2 = front[1], b = back[0];
                tagCHIPDEV p, q;
                DevideChip(&w, a, b, &p, nearz);
                DevideChip(&w, a2, b, &q, nearz);
                PutDev(w, b, q, nearz);
                // A full list has no slot for the second half: it is left out of this frame.
                if (Append(krn, w)) return 1;
                PutDev(w, a2, q, nearz);
                PutDev(w, b, p, nearz);
                if (Append(krn, w)) return 1;
            }
        }
    }
    return 1;
}

int Perspective(tagKRN* krn, int view, int camera) {
    if (view < 0 || view >= KRN_VIEWMAX || camera < 0 || camera >= KRN_CAMERAMAX) return 0;
    const tagKRNVIEW& w = krn->view[view];
    const double zoom = krn->camera[camera].zoom;
    const double K = w.xsize * zoom * (1.0 / 35.0);
    // The view's numbers are the caller's: sums are taken wide and pinned to the int range.
    const double cx = double(w.xsize / 2) - w.xoffset;
    const double cy = double(w.ysize / 2) - w.yoffset;
    RECT clip{w.cxpos, w.cypos, Sum(w.cxpos, w.cxsize), Sum(w.cypos, w.cysize)};
    if constexpr (kThis.clipAtViewPos) {
        clip.left = Sum(clip.left, w.xpos);
        clip.right = Sum(clip.right, w.xpos);
        clip.top = Sum(clip.top, w.ypos);
        clip.bottom = Sum(clip.bottom, w.ypos);
    }
    const double nearz = g_near;
    const bool through = kThis.seeThrough && krn->throughdistance > 0.0;

    double zmin = DBL_MAX;
    double zmax = kThis.maxFromLimit ? rVIEWLIMIT : 0.0;
    int count = krn->calc;
    if (!krn->lpcalc || count < 0) count = 0;
    if (count > krn->chipmax) count = krn->chipmax;

    // In blocks, as the view stage: the projections of a block's vertices first (the
    // divisions of many vertices together), then each chip is culled, clipped and moved.
    constexpr int kBlock = 64;
    double bx[kBlock * 3], by[kBlock * 3], bz[kBlock * 3];
    double px[kBlock * 3], py[kBlock * 3], pz[kBlock * 3], pt[kBlock * 3];
    int out = 0;
    for (int base = 0; base < count; base += kBlock) {
        const int n = std::min(kBlock, count - base);
        for (int j = 0; j < n; ++j) {
            if (base == 0 && j + drv::kPrefetchAhead < n)
                drv::PrefetchChip(&krn->lpcalc[j + drv::kPrefetchAhead]);
            const tagKRNCHIP& c = krn->lpcalc[base + j];
            for (int k = 0; k < 3; ++k) {
                bx[j * 3 + k] = c.v[k].x;
                by[j * 3 + k] = c.v[k].y;
                bz[j * 3 + k] = c.v[k].z;
            }
        }
        for (int j = 0; j < n * 3; ++j) {
            const double z = bz[j];
            const double t = K / (zoom + z);
            px[j] = cx + t * bx[j];
            py[j] = cy - t * by[j];
            pt[j] = zoom + z;
            pz[j] = kThis.depthFromNear ? (z - nearz) * t : z * t;
        }
        for (int j = 0; j < n; ++j) {
            const int i = base + j;
            if (i + kBlock < count) drv::PrefetchChip(&krn->lpcalc[i + kBlock]);
            // The fields that change are worked on apart; the chip moves only when it is kept.
            const tagKRNCHIP& c = krn->lpcalc[i];
            DWORD flags = c.flags;
            int trans = c.trans;
            const double* z0 = bz + j * 3;
            if (through && (flags & KRNCHIP_THROUGH) &&
                (z0[0] < krn->throughdistance || z0[1] < krn->throughdistance ||
                 z0[2] < krn->throughdistance))
                trans = krn->throughrate;
            tagKRN3D v[3];
            for (int k = 0; k < 3; ++k)
                v[k] = tagKRN3D{px[j * 3 + k], py[j * 3 + k], pz[j * 3 + k], pt[j * 3 + k]};
            const double e =
                (v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[2].x - v[0].x) * (v[1].y - v[0].y);
            if (e > 0.0) {
                flags |= KRNCHIP_FRONT;
            } else {
                flags &= ~KRNCHIP_FRONT;
                if (!(flags & KRNCHIP_TWOSIDED)) continue;
            }
            RECT box, crect;
            double mx, mn;
            MaxMin(v[0].x, v[1].x, v[2].x, mx, mn);
            box.left = drv::Trunc(mn);
            box.right = drv::Trunc(1.0 + mx);
            MaxMin(v[0].y, v[1].y, v[2].y, mx, mn);
            box.top = drv::Trunc(mn);
            box.bottom = drv::Trunc(1.0 + mx);
            if (!Meet(crect, clip, box)) continue;
            tagKRNCHIP& o = krn->lpcalc[out];
            if (out != i) drv::CopyChip(&o, &c);
            ++out;
            o.flags = flags;
            o.trans = trans;
            o.crect = crect;
            for (int k = 0; k < 3; ++k) o.v[k] = v[k];
            // Minimum and maximum are each taken over every vertex, so that the range holds
            // all depths the raster driver scales.
            for (const auto& p : v) {
                if (p.z > zmax) {
                    zmax = p.z;
                    krn->tbufmax = p.t;
                }
                if (p.z < zmin) zmin = p.z;
            }
        }
    }
    krn->zbufmin = zmin;
    krn->zbufmax = zmax;
    krn->calc = out;
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

// With a NULL record the second argument is the near limit for the coming frames.
DRVEXPORT int DRV_VIEW(tagKRN* krn, int camera) {
    if (!krn) {
        rVIEWLIMIT = camera;
        return 1;
    }
    return View(krn, camera);
}

DRVEXPORT int DRV_PERSPECTIVE(tagKRN* krn, int view, int camera) {
    if (!krn) return 0;
    return Perspective(krn, view, camera);
}
