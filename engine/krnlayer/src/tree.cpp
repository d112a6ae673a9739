// The layer record and the layer tree under a master layer.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "krnl_internal.h"
#include "nxlib.h"

namespace {

bool g_releaseTextures = true;

void RemoveChild(tagKRNL* parent, tagKRNL* layer) {
    int n = parent->layer;
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (parent->child[i] == layer) at = i;
    if (at < 0) return;
    tagKRNL** child = krnl::Alloc<tagKRNL*>(n - 1);
    int* recalc = krnl::Alloc<int>(n - 1);
    for (int i = 0, j = 0; i < n; ++i) {
        if (i == at) continue;
        child[j] = parent->child[i];
        recalc[j] = parent->childrecalc[i];
        ++j;
    }
    krnl::Free(parent->child);
    krnl::Free(parent->childrecalc);
    parent->child = child;
    parent->childrecalc = recalc;
    parent->layer = n - 1;
}

bool AppendChild(tagKRNL* parent, tagKRNL* layer) {
    int n = parent->layer;
    tagKRNL** child = krnl::Alloc<tagKRNL*>(n + 1);
    int* recalc = krnl::Alloc<int>(n + 1);
    if (!child || !recalc) {
        krnl::Free(child);
        krnl::Free(recalc);
        return false;
    }
    for (int i = 0; i < n; ++i) {
        child[i] = parent->child[i];
        recalc[i] = parent->childrecalc[i];
    }
    child[n] = layer;
    recalc[n] = 1;
    krnl::Free(parent->child);
    krnl::Free(parent->childrecalc);
    parent->child = child;
    parent->childrecalc = recalc;
    parent->layer = n + 1;
    return true;
}

// Steps 1 to 4 of a deletion: children, chip slots, chips, texture.
void ClearContents(tagKRNL* layer) {
    while (layer->layer > 0) KRNL_DeleteLayer(layer->child[layer->layer - 1], 1);
    krnl::Free(layer->child);
    krnl::Free(layer->childrecalc);
    layer->child = nullptr;
    layer->childrecalc = nullptr;
    if (layer->hkrn)
        for (int i = 0; i < layer->count; ++i) KRN_DeleteChip(layer->hkrn, layer->no + i);
    krnl::Free(layer->lpchip);
    krnl::Free(layer->lpcalc);
    layer->lpchip = layer->lpcalc = nullptr;
    if (g_releaseTextures && layer->texture.htex && layer->hkrn)
        KRN_DeleteTexture(layer->hkrn, layer->texture.htex);
    layer->texture.htex = 0;
}

bool InSubtree(const tagKRNL* root, const tagKRNL* layer) {
    if (root == layer) return true;
    for (int i = 0; i < root->layer; ++i)
        if (InSubtree(root->child[i], layer)) return true;
    return false;
}

void Count(const tagKRNL* layer, int& layers, int& chips) {
    ++layers;
    chips += layer->count;
    for (int i = 0; i < layer->layer; ++i) Count(layer->child[i], layers, chips);
}

}  // namespace

namespace krnl {

void Free(void* p) {
    if (p) KRN_FreeMemory(p);
}

void CopyName(char* dst, const char* src, size_t cap) {
    if (!src) src = "";
    NXL_STR_Copy(dst, src, -1, cap);
}

void PrepareRotation(tagKRNL* layer) {
    char order[4] = {};
    KRN_DefineRotate3D(nullptr, order);
    KRN_MakeFastRotate3D(&layer->ffr, &layer->rotate, order);
}

void InitLayer(tagKRNL* layer) {
    tagKRN* krn = layer->hkrn;
    tagKRNL* parent = layer->parent;
    char name[KRNL_NAMEMAX];
    std::memcpy(name, layer->name, sizeof name);
    std::memset(layer, 0, sizeof *layer);
    layer->hkrn = krn;
    layer->parent = parent;
    std::memcpy(layer->name, name, sizeof name);
    layer->sw = 1;
    layer->blink = 1;
    layer->shade = 1;
    layer->color = 0xFFFFFFFFu;
    KRN_Set3D(&layer->scale, 1, 1, 1, 0);
    PrepareRotation(layer);
}

void SetReleaseTextures(bool on) { g_releaseTextures = on; }

void MarkSubtree(tagKRNL* layer) {
    layer->recalc = 1;
    for (int i = 0; i < layer->layer; ++i) MarkSubtree(layer->child[i]);
}

bool SlotsInside(const tagKRN* krn, int no, int count) {
    return krn && krn->lpchip && no >= 0 && count >= 0 && no <= krn->chipmax &&
           count <= krn->chipmax - no;
}

double GetAngle(double x, double z) {
    double r = std::sqrt(x * x + z * z);
    if (!(r > 0.0)) return 0.0;  // the origin (and NaN) has no direction
    double a = std::asin(std::fabs(z) / r);
    const double pi = KRN_Pie();
    if (x >= 0) return z >= 0 ? a : 2 * pi - a;
    return z >= 0 ? pi - a : pi + a;
}

void Report(const tagKRN* krn, const std::string& text) {
    MessageBoxA(krn ? krn->hwnd : nullptr, text.c_str(), "krnlayer", MB_OK | MB_ICONWARNING);
}

}  // namespace krnl

KRNLAPI tagKRNL* WINAPI KRNL_Start(tagKRN* krn) {
    tagKRNL* master = krnl::Alloc<tagKRNL>(1);
    if (!master) return nullptr;
    master->hkrn = krn;
    krnl::CopyName(master->name, KRNL_MASTERNAME);
    krnl::InitLayer(master);
    return master;
}

KRNLAPI int WINAPI KRNL_End(tagKRNL* master) {
    if (!master || std::strcmp(master->name, KRNL_MASTERNAME) != 0) return 0;
    return KRNL_DeleteLayer(master, 1);
}

KRNLAPI tagKRNL* WINAPI KRNL_CreateLayer(tagKRNL* parent, const char* name) {
    char cut[KRNL_NAMEMAX];
    krnl::CopyName(cut, name);
    if (parent && KRNL_SearchLayer(KRNL_GetMasterLayer(parent), cut)) return nullptr;
    tagKRNL* layer = krnl::Alloc<tagKRNL>(1);
    if (!layer) return nullptr;
    layer->hkrn = parent ? parent->hkrn : nullptr;
    layer->parent = parent;
    std::memcpy(layer->name, cut, sizeof cut);
    krnl::InitLayer(layer);
    if (parent && !AppendChild(parent, layer)) {
        krnl::Free(layer);
        return nullptr;
    }
    return layer;
}

KRNLAPI int WINAPI KRNL_DeleteLayer(tagKRNL* layer, int flag) {
    if (!layer) return 0;
    ClearContents(layer);
    if (flag == 0) {
        krnl::InitLayer(layer);
        return 1;
    }
    if (layer->parent) RemoveChild(layer->parent, layer);
    krnl::Free(layer);
    return 1;
}

KRNLAPI tagKRNL* WINAPI KRNL_SearchLayer(tagKRNL* layer, const char* name) {
    if (!layer || !name) return nullptr;
    if (NXL_STR_Compare(layer->name, name, 1, 1)) return layer;
    for (int i = 0; i < layer->layer; ++i)
        if (tagKRNL* found = KRNL_SearchLayer(layer->child[i], name)) return found;
    return nullptr;
}

KRNLAPI tagKRNL* WINAPI KRNL_GetMasterLayer(tagKRNL* layer) {
    if (!layer) return nullptr;
    while (layer->parent) layer = layer->parent;
    return layer;
}

KRNLAPI int WINAPI KRNL_LinkLayer(tagKRNL* newparent, tagKRNL* layer) {
    if (!newparent || !layer || !layer->parent) return 0;
    if (KRNL_SearchLayer(layer, newparent->name) || InSubtree(layer, newparent)) return 0;
    tagKRNL* old = layer->parent;
    if (!AppendChild(newparent, layer)) return 0;
    RemoveChild(old, layer);
    layer->parent = newparent;
    layer->hkrn = newparent->hkrn;
    newparent->recalc = 1;
    old->recalc = 1;
    krnl::MarkSubtree(layer);
    return 1;
}

KRNLAPI int WINAPI KRNL_CountLayer(tagKRNL* layer, int* layers, int* chips, int* vertices) {
    int l = 0, c = 0;
    if (layer) Count(layer, l, c);
    if (layers) *layers = l;
    if (chips) *chips = c;
    if (vertices) *vertices = c * 3;
    return 1;
}

KRNLAPI int WINAPI KRNL_EnumLayer(tagKRNL* layer, tagKRNLINFO* rows) {
    if (!layer || !rows) return 0;
    INT_PTR end = KRNL_RecallFunction(KRNLOP_INFO, layer, reinterpret_cast<INT_PTR>(rows), 0, 0);
    return int(reinterpret_cast<tagKRNLINFO*>(end) - rows);
}

KRNLAPI int WINAPI KRNL_GetInfoLayer(tagKRNL* layer, int* no, int* count, tagKRN3D* shift,
                                     tagKRN3D* rotate, tagKRN3D* scale) {
    if (!layer) return 0;
    if (no) *no = layer->no;
    if (count) *count = layer->count;
    if (shift) *shift = layer->shift;
    if (rotate) *rotate = layer->rotate;
    if (scale) *scale = layer->scale;
    return 1;
}

KRNLAPI int WINAPI KRNL_CheckSameName(tagKRNL* layer, char* name) {
    if (!layer || !name) return 0;
    char original[KRNL_NAMEMAX];
    krnl::CopyName(original, name);
    // The suffix must fit the name field with the original in front of it.
    char base[KRNL_NAMEMAX - 4];
    krnl::CopyName(base, original, sizeof base);
    std::strcpy(name, original);  // never longer than what the caller gave
    for (int i = 1; i <= 999; ++i) {
        if (!KRNL_SearchLayer(layer, name)) return 1;
        std::snprintf(name, KRNL_NAMEMAX, "%s.%03d", base, i);
    }
    return 0;
}
