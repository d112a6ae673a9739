// A spy driver: exports the entry points of one kind under plain names (the platform maps the
// decorated names the engine asks for onto them), logs every call with what it was given, and
// answers as the test asks. Built once per file name with its kind and needs as definitions.
#include <cstdio>
#include <cstring>

#include "krn.h"
#include "spylog.h"
#include "wynplat.h"

#define SPY extern "C" __attribute__((visibility("default")))

namespace {

int Answer(const char* entry) {
    char key[96];
    std::snprintf(key, sizeof key, "%s %s", SPY_FILE, entry);
    return Spy_Fails(key) ? 0 : 1;
}

[[maybe_unused]] const char* Order() {
    static char order[4];
    KRN_DefineRotate3D(nullptr, order);
    return order;
}

}  // namespace

#ifndef SPY_NOCHECK
SPY int CHECK(tagKRN*, char* corp, char* name, char* drv, DWORD* c1, DWORD* c2) {
    std::strcpy(corp, SPY_CORP);
    std::strcpy(name, SPY_NAME);
    std::strcpy(drv, SPY_LOADFILE);
    *c1 = SPY_C1;
    *c2 = 7;
    WynCpuInfo cpu;
    WynPlat_GetCpuInfo(&cpu);
    Spy_Log("%s CHECK", SPY_FILE);
    if (SPY_NEED == 1) return cpu.sse;
    if (SPY_NEED == 2) return cpu.amd3dnow;
    return 1;
}
#endif

SPY int START(tagKRN*) {
    Spy_Log("%s START", SPY_FILE);
    return 1;
}
SPY int END(tagKRN*) {
    Spy_Log("%s END", SPY_FILE);
    return 1;
}
SPY int RESTART(tagKRN*, int phase) {
    Spy_Log("%s RESTART %d", SPY_FILE, phase);
    return 1;
}

#if SPY_KIND == 0
SPY int DRV_VIEW(tagKRN* krn, int camera) {
    if (krn)
        Spy_Log("%s DRV_VIEW %d task=%u order=%s", SPY_FILE, camera, krn->task, Order());
    else
        Spy_Log("%s DRV_VIEW null %d", SPY_FILE, camera);
    return krn ? Answer("DRV_VIEW") : 1;
}
SPY int DRV_PERSPECTIVE(tagKRN* krn, int view, int camera) {
    Spy_Log("%s DRV_PERSPECTIVE %d %d task=%u", SPY_FILE, view, camera, krn->task);
    return Answer("DRV_PERSPECTIVE");
}
#elif SPY_KIND == 1
SPY int LGT_LIGHT(tagKRN*, int light) {
    Spy_Log("%s LGT_LIGHT %d", SPY_FILE, light);
    return Answer("LGT_LIGHT");
}
SPY int LGT_BRIGHT(tagKRN* krn, int camera) {
    Spy_Log("%s LGT_BRIGHT %d task=%u", SPY_FILE, camera, krn->task);
    return Answer("LGT_BRIGHT");
}
#else
SPY int ACC_MAKEVIEW(tagKRN*, int view) {
    Spy_Log("%s ACC_MAKEVIEW %d", SPY_FILE, view);
    return Answer("ACC_MAKEVIEW");
}
SPY int ACC_RELEASEVIEW(tagKRN*, int view) {
    Spy_Log("%s ACC_RELEASEVIEW %d", SPY_FILE, view);
    return 1;
}
SPY int ACC_CAMERA(tagKRN*, int camera) {
    Spy_Log("%s ACC_CAMERA %d", SPY_FILE, camera);
    return Answer("ACC_CAMERA");
}
SPY int ACC_RASTER(tagKRN* krn, int view, DWORD colour) {
    Spy_Log("%s ACC_RASTER %d %08X task=%u", SPY_FILE, view, colour, krn->task);
    return Answer("ACC_RASTER");
}
SPY int ACC_FLIP(tagKRN*, int view) {
    Spy_Log("%s ACC_FLIP %d", SPY_FILE, view);
    return 1;
}
SPY int ACC_FULLSCREEN(tagKRN*, int view, int flag) {
    Spy_Log("%s ACC_FULLSCREEN %d %d", SPY_FILE, view, flag);
    return 1;
}
SPY int ACC_REFRESH(tagKRN*, int view, HDC) {
    Spy_Log("%s ACC_REFRESH %d", SPY_FILE, view);
    return 1;
}
SPY int ACC_PUTSCREEN(tagKRN*, int view, int x, int y, tagKRNCELL*, RECT* r) {
    Spy_Log("%s ACC_PUTSCREEN %d at %d,%d from %d,%d,%d,%d", SPY_FILE, view, x, y, r->left, r->top,
            r->right, r->bottom);
    return 1;
}
SPY int ACC_GETSCREEN(tagKRN*, tagKRNCELL*, int x, int y, int view, RECT* r) {
    Spy_Log("%s ACC_GETSCREEN %d at %d,%d into %d,%d,%d,%d", SPY_FILE, view, x, y, r->left, r->top,
            r->right, r->bottom);
    return 1;
}
// Loads when the slot's path names an existing file, unless the test makes loads fail.
SPY int ACC_LOADTEXTURE(tagKRN*, tagKRNTEXTURE* slot) {
    int ok = GetFileAttributesA(slot->path) != INVALID_FILE_ATTRIBUTES && Answer("ACC_LOADTEXTURE");
    Spy_Log("%s ACC_LOADTEXTURE %s %s", SPY_FILE, slot->path, ok ? "ok" : "failed");
    return ok;
}
SPY int ACC_DELETETEXTURE(tagKRN*, tagKRNTEXTURE* slot) {
    if (slot->mode) Spy_Log("%s ACC_DELETETEXTURE %d", SPY_FILE, slot->no);
    return 1;
}
#endif
