// KRNL_CalcLayerEx: the layer tree, placed in world coordinates, into the engine chip array.
// A self pass places each dirty layer's chips with its own placement (kept in lpcalc); a
// composition pass then applies the ancestors' placements, nearest first, to the layers that
// changed or lie below one that did; billboard chips finally turn towards the camera.
#include <cstring>
#include <vector>

#include "krnl_internal.h"

namespace {

// One level of ancestor placements; each part is absent when it is the identity.
struct Level {
    bool flag = false;
    const tagKRN3D* shift = nullptr;
    const tagKRNFFR* ffr = nullptr;
    const tagKRN3D* scale = nullptr;
};

struct Billboard {
    int slot;
    int mode;
};

// Work state of one calculation (one at a time per process).
int g_levelMax = 0;
int g_restarts = 0;
std::vector<Billboard> g_billboards;  // every billboard chip turns, however many
std::vector<Level> g_stack;

void CalcChipMatrix(tagKRNCHIP* dst, const tagKRNCHIP* src, const tagKRN3D* shift,
                    const tagKRNFFR* ffr, const tagKRN3D* scale) {
    if (dst != src) *dst = *src;
    if (scale)
        for (auto& v : dst->v) KRN_Mul3D(&v, &v, scale);
    if (ffr && ffr->bm) {
        for (auto& v : dst->v) KRN_FastRotate3D(&v, &v, ffr);
        KRN_FastRotate3D(&dst->normal, &dst->normal, ffr);
        for (auto& n : dst->n) KRN_FastRotate3D(&n, &n, ffr);
    }
    if (shift)
        for (auto& v : dst->v) KRN_Add3D(&v, &v, shift);
}

bool IsZero(const tagKRN3D& v) { return v.x == 0 && v.y == 0 && v.z == 0; }
bool IsOne(const tagKRN3D& v) { return v.x == 1 && v.y == 1 && v.z == 1; }

bool Shown(const tagKRNL* l) { return l->sw == 1 && l->blink == 1; }

// Copies the layer's placed chips into the engine array (only the slots inside it).
void CopyOut(tagKRNL* l) {
    tagKRN* krn = l->hkrn;
    if (!krn || !krn->lpchip || l->count <= 0 || !l->lpcalc) return;
    int from = l->no < 0 ? -l->no : 0;
    int to = l->count;
    if (l->no + to > krn->chipmax) to = krn->chipmax - l->no;
    if (to > from)
        std::memcpy(krn->lpchip + l->no + from, l->lpcalc + from,
                    sizeof(tagKRNCHIP) * size_t(to - from));
}

bool SelfPass(tagKRNL* l, int level) {
    l->powercount = 0;
    if (level > g_levelMax) g_levelMax = level;
    bool changed = false;
    if (l->recalc || l->billboard) {
        changed = true;
        if (!Shown(l)) {
            for (int i = 0; i < l->count; ++i) {
                l->lpcalc[i].no = l->no + i;
                l->lpcalc[i].mode |= KRNCHIP_HIDE;
            }
        } else {
            const tagKRN3D* shift = IsZero(l->shift) ? nullptr : &l->shift;
            const tagKRNFFR* ffr = IsZero(l->rotate) ? nullptr : &l->ffr;
            const tagKRN3D* scale = IsOne(l->scale) ? nullptr : &l->scale;
            for (int i = 0; i < l->count; ++i) {
                tagKRNCHIP* c = &l->lpcalc[i];
                CalcChipMatrix(c, &l->lpchip[i], shift, ffr, scale);
                c->mode &= ~KRNCHIP_HIDE;
                c->no = l->no + i;
                DWORD f = c->flags &
                          ~(KRNCHIP_TWOSIDED | KRNCHIP_ALPHA | KRNCHIP_SHADOW | KRNCHIP_THROUGH);
                if (l->back) f |= KRNCHIP_TWOSIDED;
                if (l->alpha) f |= KRNCHIP_ALPHA;
                if (l->shadow) f |= KRNCHIP_SHADOW;
                if (l->through) f |= KRNCHIP_THROUGH;
                c->flags = f;
            }
        }
        CopyOut(l);
        if (Shown(l) && l->billboard > 0)
            for (int i = 0; i < l->count; ++i)
                g_billboards.push_back({l->no + i, l->lpcalc[i].mode});
    }
    for (int i = 0; i < l->layer; ++i) {
        bool c = SelfPass(l->child[i], level + 1);
        l->childrecalc[i] = c ? 1 : 0;
        changed = changed || c;
    }
    return changed;
}

void Compose(tagKRNL* l, int level, bool ancestorChanged) {
    tagKRN* krn = l->hkrn;
    bool dirty = l->recalc || l->billboard;
    if ((ancestorChanged || dirty) && Shown(l) && l->count > 0 && level > 0 && krn && krn->lpchip &&
        krnl::SlotsInside(krn, l->no, l->count)) {
        tagKRNCHIP* out = krn->lpchip + l->no;
        for (int at = level - 1; at >= 0; --at) {
            const Level& s = g_stack[size_t(at)];
            if (!s.flag) continue;
            const tagKRNCHIP* src = l->powercount == 0 ? l->lpcalc : out;
            if (l->powercount == 0) ++g_restarts;
            for (int i = 0; i < l->count; ++i)
                CalcChipMatrix(&out[i], &src[i], s.shift, s.ffr, s.scale);
            ++l->powercount;
        }
        // A clean layer whose ancestors all came back to the identity still needs its own
        // placement in the array, not the one of the last calculation.
        if (l->powercount == 0 && !dirty) CopyOut(l);
    }
    bool childChanged = ancestorChanged || dirty;
    if (l->layer > 0) {
        Level& s = g_stack[size_t(level)];
        s.shift = IsZero(l->shift) ? nullptr : &l->shift;
        s.ffr = IsZero(l->rotate) ? nullptr : &l->ffr;
        s.scale = IsOne(l->scale) ? nullptr : &l->scale;
        s.flag = s.shift || s.ffr || s.scale;
        for (int i = 0; i < l->layer; ++i) Compose(l->child[i], level + 1, childChanged);
    }
    l->recalc = 0;
}

void TurnBillboards(tagKRN* krn, int camera) {
    if (!krn || !krn->lpchip || g_billboards.empty()) return;
    if (camera < 0 || camera >= KRN_CAMERAMAX) camera = 0;
    const tagKRN3D& eye = krn->camera[camera].viewpoint;
    for (const Billboard& b : g_billboards) {
        if (b.slot < 0 || b.slot >= krn->chipmax) continue;
        tagKRNCHIP& chip = krn->lpchip[b.slot];
        tagKRN3D c;
        KRN_Set3D(&c, (chip.v[0].x + chip.v[1].x + chip.v[2].x) * (1.0 / 3.0),
                  (chip.v[0].y + chip.v[1].y + chip.v[2].y) * (1.0 / 3.0),
                  (chip.v[0].z + chip.v[1].z + chip.v[2].z) * (1.0 / 3.0), 0);
        KRN_FaceNormal3D(&chip.normal, &chip.v[0], &chip.v[1], &chip.v[2]);
        double turn = 0.0;
        if (b.mode == 1)
            turn = krnl::GetAngle(chip.normal.x, chip.normal.z) -
                   krnl::GetAngle(eye.x - c.x, eye.z - c.z);
        tagKRN3D angles = {0, KRN_RadToDeg(turn), 0, 0};
        tagKRNFFR ffr;
        KRN_MakeFastRotate3D(&ffr, &angles, "YX");
        for (auto& v : chip.v) {
            tagKRN3D d;
            KRN_Sub3D(&d, &v, &c);
            KRN_FastRotate3D(&d, &d, &ffr);
            KRN_Add3D(&v, &d, &c);
        }
    }
}

}  // namespace

KRNLAPI int WINAPI KRNL_CalcLayerEx(tagKRNL* layer, int camera) {
    if (!layer) return 0;
    g_billboards.clear();
    g_levelMax = 0;
    g_restarts = 0;
    SelfPass(layer, 0);
    g_stack.assign(size_t(g_levelMax) + 1, Level{});
    Compose(layer, 0, false);
    g_stack.clear();
    TurnBillboards(layer->hkrn, camera);
    return g_restarts;
}
