// What callers do to layers: moving, switching, colouring, attributes, taking chips in,
// flattening subtrees and mapping textures.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "krnl_internal.h"

namespace {

void SetBit(DWORD& flags, DWORD bit, INT_PTR on) {
    if (on)
        flags |= bit;
    else
        flags &= ~bit;
}

void ChipBits(tagKRNL* layer, DWORD bit, INT_PTR on) {
    for (int i = 0; i < layer->count; ++i) SetBit(layer->lpchip[i].flags, bit, on);
}

void FillInfo(const tagKRNL* l, tagKRNLINFO* row, int depth) {
    std::memset(row, 0, sizeof *row);
    row->layer = const_cast<tagKRNL*>(l);
    row->parent = l->parent;
    std::memcpy(row->name, l->name, sizeof row->name);
    row->depth = depth;
    row->sw = l->sw;
    row->layers = l->layer;
    row->no = l->no;
    row->count = l->count;
    row->shift = l->shift;
    row->rotate = l->rotate;
    row->scale = l->scale;
    row->color = l->color;
    row->back = l->back;
    row->texture = l->texture;
    row->wireframe = l->wireframe;
    row->alpha = l->alpha;
    row->shadow = l->shadow;
    row->mixture = l->mixture;
    row->billboard = l->billboard;
    row->znowrite = l->znowrite;
    row->through = l->through;
    row->nofog = l->nofog;
    row->nodistance = l->nodistance;
}

// One layer's share of an operation; returns the accumulator for the next layer.
INT_PTR Apply(int op, tagKRNL* l, INT_PTR acc, INT_PTR a) {
    if (op != KRNLOP_INFO && op != KRNLOP_CLEAN) l->recalc = 1;
    switch (op) {
        case KRNLOP_SHADE:
            ChipBits(l, KRNCHIP_UNSHADED, a == 0);
            break;
        case KRNLOP_MIXTURE:
            l->mixture = int(a);
            for (int i = 0; i < l->count; ++i) l->lpchip[i].trans = int(a);
            break;
        case KRNLOP_SWITCH:
            if (a == 9)
                l->blink = 1;
            else if (a == -9)
                l->blink = 0;
            else
                l->sw = int(a);
            break;
        case KRNLOP_BACK:
            l->back = int(a);
            break;
        case KRNLOP_ALPHA:
            l->alpha = int(a);
            break;
        case KRNLOP_BILLBOARD:
            l->billboard = int(a);
            break;
        case KRNLOP_COLOR: {
            l->color = DWORD(a);
            int r = int(a & 0xFF), g = int((a >> 8) & 0xFF), b = int((a >> 16) & 0xFF);
            for (int i = 0; i < l->count; ++i) {
                tagKRNCHIP& c = l->lpchip[i];
                c.red = r;
                c.green = g;
                c.blue = b;
                for (int k = 0; k < 3; ++k) {
                    c.r[k] = r;
                    c.g[k] = g;
                    c.b[k] = b;
                }
                c.flags &= ~KRNCHIP_VERTEXCOLOR;
            }
            break;
        }
        case KRNLOP_INFO:
            FillInfo(l, reinterpret_cast<tagKRNLINFO*>(acc), int(a));
            acc += INT_PTR(sizeof(tagKRNLINFO));
            break;
        case KRNLOP_SMOOTH:
            if (l->count > 0 && krnl::SlotsInside(l->hkrn, l->no, l->count)) {
                tagKRNCHIP* at = l->hkrn->lpchip + l->no;
                std::memcpy(at, l->lpchip, sizeof(tagKRNCHIP) * size_t(l->count));
                KRN_SmoothChip(l->hkrn, l->no, l->count, int(a));
                std::memcpy(l->lpchip, at, sizeof(tagKRNCHIP) * size_t(l->count));
            }
            break;
        case KRNLOP_WIREFRAME:
            l->wireframe = int(a);
            ChipBits(l, KRNCHIP_WIREFRAME, a);
            break;
        case KRNLOP_RENUMBER:
            if (l->hkrn)
                for (int i = 0; i < l->count; ++i) KRN_DeleteChip(l->hkrn, l->no + i);
            l->no = int(acc);
            acc += l->count;
            break;
        case KRNLOP_CLEAN:
            l->recalc = 0;
            break;
        case KRNLOP_ZNOWRITE:
            l->znowrite = int(a);
            ChipBits(l, KRNCHIP_ZNOWRITE, a);
            break;
        case KRNLOP_SCALE: {
            const tagKRN3D* s = reinterpret_cast<const tagKRN3D*>(a);
            if (s && l->count > 0) {
                KRN_Mul3D(&l->shift, &l->shift, s);
                for (int i = 0; i < l->count; ++i)
                    for (auto& v : l->lpchip[i].v) KRN_Mul3D(&v, &v, s);
            }
            break;
        }
        case KRNLOP_SHADOW:
            l->shadow = int(a);
            break;
        case KRNLOP_THROUGH:
            l->through = int(a);
            break;
        case KRNLOP_NOFOG:
            l->nofog = int(a);
            ChipBits(l, KRNCHIP_NOFOG, a);
            break;
        case KRNLOP_NODISTANCE:
            l->nodistance = int(a);
            ChipBits(l, KRNCHIP_NOFAR, a);
            break;
        default:
            break;
    }
    return acc;
}

// Texture mapping of one chip (see KRNL_TextureLayer).
void MapChip(tagKRNCHIP& chip, const tagKRNLT& lt) {
    const double rad = KRN_DegToRad(lt.rotate);
    const double s = std::sin(rad), c = std::cos(rad);
    chip.red = chip.green = chip.blue = 255;
    for (int k = 0; k < 3; ++k) chip.r[k] = chip.g[k] = chip.b[k] = 255;
    chip.flags &= ~KRNCHIP_VERTEXCOLOR;
    chip.htex = lt.htex;
    const double pi = KRN_Pie();
    double theta[3] = {};
    for (int k = 0; k < 3; ++k) {
        const tagKRN3D& v = chip.v[k];
        const double dx = v.x - lt.cx, dy = v.y - lt.cy, dz = v.z - lt.cz;
        if (lt.mode >= 1 && lt.mode <= 3) {
            double p, q;
            if (lt.mode == 1)
                p = dy + lt.u, q = dz + lt.v;
            else if (lt.mode == 2)
                p = dz + lt.u, q = dx + lt.v;
            else
                p = dx + lt.u, q = dy + lt.v;
            chip.x[k] = (c * p + s * q) * lt.su + 0.5;
            chip.y[k] = 1.0 - (c * q - s * p) * lt.sv + 0.5;
        } else if (lt.mode >= 4 && lt.mode <= 6) {
            double a, b, rest;
            if (lt.mode == 4)
                a = dy, b = dz, rest = dx;
            else if (lt.mode == 5)
                a = dz, b = dx, rest = dy;
            else
                a = dx, b = dy, rest = dz;
            theta[k] = lt.su * (krnl::GetAngle(a, b) + KRN_DegToRad(10.0 * lt.u));
            double h = (rest + lt.v) * lt.sv;
            double P = 1.0 - theta[k] / (2 * pi);
            chip.x[k] = (c * P + s * h) * lt.su;
            chip.y[k] = 1.0 - (c * h - s * P) + 0.5;
        }
    }
    if (lt.mode >= 4 && lt.mode <= 6) {
        // A chip across the seam gets neighbouring texture columns, not the whole width.
        for (int k = 0; k < 3; ++k) {
            int n = (k + 1) % 3;
            double d = theta[n] - theta[k];
            if (d >= pi && chip.x[n] < chip.x[k])
                chip.x[n] += 1.0;
            else if (d <= -pi && chip.x[k] < chip.x[n])
                chip.x[k] += 1.0;
        }
    }
    // Negative coordinates move up by whole units at once; a step of 1.0 at a time would never
    // end for huge or infinite values, which are taken as 0.
    for (double* t : {chip.x, chip.y}) {
        for (int k = 0; k < 3; ++k)
            if (!std::isfinite(t[k])) t[k] = 0.0;
        double lo = std::fmin(t[0], std::fmin(t[1], t[2]));
        if (!(lo < 0.0)) continue;
        double step = std::ceil(-lo);
        for (int k = 0; k < 3; ++k) t[k] += step;
    }
}

struct Measure {
    double lo[3] = {DBL_MAX, DBL_MAX, DBL_MAX};
    double hi[3] = {-DBL_MAX, -DBL_MAX, -DBL_MAX};
    double sum[3] = {};
    long chips = 0;
};

void MeasureSubtree(tagKRNL* l, Measure& m) {
    l->recalc = 1;
    for (int i = 0; i < l->count; ++i) {
        for (const tagKRN3D& v : l->lpchip[i].v) {
            const double p[3] = {v.x, v.y, v.z};
            for (int a = 0; a < 3; ++a) {
                m.lo[a] = std::fmin(m.lo[a], p[a]);
                m.hi[a] = std::fmax(m.hi[a], p[a]);
                m.sum[a] += p[a];
            }
        }
        ++m.chips;
    }
    for (int i = 0; i < l->layer; ++i) MeasureSubtree(l->child[i], m);
}

// 0.5 / (extent - offset); a flat extent (or one that gives no finite scale) counts as 1.
double FitScale(double extent, double offset) {
    double d = extent - offset;
    double s = 0.5 / d;
    return (d != 0.0 && std::isfinite(s) && s != 0.0) ? s : 0.5;
}

void MapSubtree(tagKRNL* l, const tagKRNLT* lt) {
    for (int i = 0; i < l->count; ++i) {
        tagKRNCHIP& c = l->lpchip[i];
        if (lt) {
            MapChip(c, *lt);
        } else {
            for (int k = 0; k < 3; ++k) c.x[k] = c.y[k] = 0.0;
            c.htex = 0;
        }
    }
    l->recalc = 1;
    for (int i = 0; i < l->layer; ++i) MapSubtree(l->child[i], lt);
}

void LowestSlot(const tagKRNL* l, int& lowest, int& total) {
    if (l->count > 0) {
        if (l->no < lowest) lowest = l->no;
        total += l->count;
    }
    for (int i = 0; i < l->layer; ++i) LowestSlot(l->child[i], lowest, total);
}

}  // namespace

KRNLAPI int WINAPI KRNL_AbsMoveLayer(tagKRNL* layer, const tagKRN3D* shift, const tagKRN3D* rotate,
                                     const tagKRN3D* scale) {
    if (!layer) return 0;
    if (shift) layer->shift = *shift;
    if (rotate) {
        layer->rotate = *rotate;
        krnl::PrepareRotation(layer);
    }
    if (scale) layer->scale = *scale;
    layer->recalc = 1;
    return 1;
}

KRNLAPI int WINAPI KRNL_RelMoveLayer(tagKRNL* layer, const tagKRN3D* shift, const tagKRN3D* rotate,
                                     const tagKRN3D* scale) {
    if (!layer) return 0;
    if (rotate) {
        KRN_Add3D(&layer->rotate, &layer->rotate, rotate);
        krnl::PrepareRotation(layer);
    }
    if (scale) KRN_Mul3D(&layer->scale, &layer->scale, scale);
    if (shift) KRN_Add3D(&layer->shift, &layer->shift, shift);
    layer->recalc = 1;
    return 1;
}

KRNLAPI INT_PTR WINAPI KRNL_RecallFunction(int op, tagKRNL* layer, INT_PTR acc, INT_PTR a,
                                           INT_PTR b) {
    if (!layer) return acc;
    acc = Apply(op, layer, acc, a);
    // Rows written by the enumeration carry their depth below the first layer.
    INT_PTR childA = op == KRNLOP_INFO ? a + 1 : a;
    for (int i = 0; i < layer->layer; ++i)
        acc = KRNL_RecallFunction(op, layer->child[i], acc, childA, b);
    return acc;
}

KRNLAPI int WINAPI KRNL_CaptureLayer(tagKRNL* layer, int start, int n) {
    if (!layer) return 0;
    tagKRN* krn = layer->hkrn;
    if (!krn || !krn->lpchip || start < 0 || start > krn->chipmax || n < 0)
        n = 0;
    else if (n > krn->chipmax - start)
        n = krn->chipmax - start;
    krnl::Free(layer->lpchip);
    krnl::Free(layer->lpcalc);
    layer->lpchip = krnl::Alloc<tagKRNCHIP>(n);
    layer->lpcalc = krnl::Alloc<tagKRNCHIP>(n);
    if (n > 0 && (!layer->lpchip || !layer->lpcalc)) {
        krnl::Free(layer->lpchip);
        krnl::Free(layer->lpcalc);
        layer->lpchip = layer->lpcalc = nullptr;
        n = 0;
    }
    if (n > 0) {
        std::memcpy(layer->lpchip, krn->lpchip + start, sizeof(tagKRNCHIP) * size_t(n));
        std::memcpy(layer->lpcalc, krn->lpchip + start, sizeof(tagKRNCHIP) * size_t(n));
    }
    layer->no = start;
    layer->count = n;
    KRN_Zero3D(&layer->shift);
    KRN_Zero3D(&layer->rotate);
    KRN_Set3D(&layer->scale, 1, 1, 1, 0);
    krnl::PrepareRotation(layer);
    krnl::MarkSubtree(layer);
    return 0;
}

KRNLAPI int WINAPI KRNL_GroupLayer(tagKRNL* layer, int flag) {
    if (!layer || !layer->hkrn) return 0;
    int lowest = layer->hkrn->chipmax, total = 0;
    LowestSlot(layer, lowest, total);
    if (total == 0) return 0;
    if (flag != 0) {
        KRNL_CalcLayerEx(layer, 0);
        KRNL_CaptureLayer(layer, lowest, total);
    } else {
        tagKRN3D shift = layer->shift, rotate = layer->rotate, scale = layer->scale;
        tagKRN3D zero = {0, 0, 0, 0}, one = {1, 1, 1, 0};
        KRNL_AbsMoveLayer(layer, &zero, &zero, &one);
        krnl::MarkSubtree(layer);
        KRNL_CalcLayerEx(layer, 0);
        KRNL_CaptureLayer(layer, lowest, total);
        KRNL_AbsMoveLayer(layer, &shift, &rotate, &scale);
    }
    // The children's textures now belong to the grouped chips.
    krnl::SetReleaseTextures(false);
    while (layer->layer > 0) KRNL_DeleteLayer(layer->child[layer->layer - 1], 1);
    krnl::SetReleaseTextures(true);
    return 1;
}

KRNLAPI int WINAPI KRNL_TextureLayer(tagKRNL* layer, tagKRNLT* lt, int fit) {
    if (!layer) return 0;
    if (!lt) {
        MapSubtree(layer, nullptr);
        return 1;
    }
    if (fit) {
        Measure m;
        MeasureSubtree(layer, m);
        double ext[3] = {}, centre[3] = {};
        if (m.chips > 0)
            for (int a = 0; a < 3; ++a) {
                ext[a] = std::fmax(std::fabs(m.lo[a]), std::fabs(m.hi[a]));
                centre[a] = m.sum[a] / (3.0 * double(m.chips));
            }
        lt->cx = centre[0];
        lt->cy = centre[1];
        lt->cz = centre[2];
        switch (lt->mode) {
            case 1:
                lt->su = FitScale(ext[1], lt->u);
                lt->sv = FitScale(ext[2], lt->v);
                break;
            case 2:
                lt->su = FitScale(ext[2], lt->u);
                lt->sv = FitScale(ext[0], lt->v);
                break;
            case 3:
                lt->su = FitScale(ext[0], lt->u);
                lt->sv = FitScale(ext[1], lt->v);
                break;
            case 4:
            case 5:
            case 6:
                lt->su = 1.0;
                lt->sv = FitScale(ext[lt->mode - 4], lt->v);
                break;
            default:
                break;
        }
        lt->rotate = lt->u = lt->v = 0.0;
    }
    MapSubtree(layer, lt);
    layer->texture = *lt;
    return 1;
}
