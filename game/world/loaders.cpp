// Loading layer files into object slots: scenery, sky and ground-support objects with their
// low-detail twin, and aircraft models with their lighter ".pl3" form.
#include <cstdio>
#include <cstring>

#include "base/base.h"
#include "world/world.h"

namespace {

ObjectRecord* Slot(int slot) {
    ObjectTable* t = GetObjectTable();
    if (!t || slot < 0 || slot >= kObjectSlots) return nullptr;
    return &(*t)[static_cast<size_t>(slot)];
}

// A new root layer under the master layer, named `name` made unique; null when no unique form
// is left or the layer cannot be made.
tagKRNL* NewRoot(const char* name) {
    tagKRNL* root = GetRootLayer();
    if (!root) return nullptr;
    char unique[KRNL_NAMEMAX];
    std::snprintf(unique, sizeof unique, "%s", name);
    // With every numbered form taken the name would still clash: no layer then.
    if (!KRNL_CheckSameName(root, unique)) return nullptr;
    return KRNL_CreateLayer(root, unique);
}

// `file` with its last character replaced: the ".pl2" and ".pl3" forms of a ".plm".
void Variant(const char* file, char last, char* out, size_t cap) {
    std::snprintf(out, cap, "%s", file);
    const size_t n = std::strlen(out);
    if (n) out[n - 1] = last;
}

int Load(tagKRNL* layer, const char* file) {
    char path[MAX_PATH * 2];
    std::snprintf(path, sizeof path, "%s%s", GetProgramFolder(), file);
    return KRNL_LoadLayer(layer, path, 0);
}

}  // namespace

int LoadLayerObject(int slot, const char* file, const char* name) {
    ObjectRecord* o = Slot(slot);
    if (!o || !file || !name) return 0;
    tagKRNL* layer = NewRoot(name);
    if (!layer) {
        std::fprintf(stderr, "LoadLayerObject: no root layer %s can be made for %s\n", name, file);
        return 0;
    }
    if (!Load(layer, file)) {
        char path[MAX_PATH * 2];
        std::snprintf(path, sizeof path, "%s%s", GetProgramFolder(), file);
        MessageBoxA(GetMainWindow(), path, "ファイルが見つかりません", MB_OK);
        SetGamePhase(GAMEPHASE_EXIT);
        return 0;
    }
    o->simple = nullptr;
    char low[MAX_PATH];
    Variant(file, '2', low, sizeof low);
    if (FileExists(low)) {
        // The low-detail twin: a child "simple" (made unique on a fresh copy of the word).
        char simple[KRNL_NAMEMAX] = "simple";
        if (KRNL_CheckSameName(GetRootLayer(), simple)) o->simple = KRNL_CreateLayer(layer, simple);
        if (o->simple) Load(o->simple, low);
    }
    o->layer = layer;
    o->used = 1;
    return 1;
}

int LoadAircraftModel(int slot, const char* file, const char* name) {
    ObjectRecord* o = Slot(slot);
    if (!o || !file || !name || !FileExists(file)) return 0;
    tagKRNL* layer = NewRoot(name);
    if (!layer) return 0;
    int loaded = 0;
    char light[MAX_PATH];
    Variant(file, '3', light, sizeof light);
    if (GetConfig().resolution != 3 && FileExists(light)) loaded = Load(layer, light);
    if (!loaded) loaded = Load(layer, file);
    if (!loaded) {
        KRNL_DeleteLayer(layer, 1);
        return 0;
    }
    o->layer = layer;
    o->used = 1;
    return 1;
}
