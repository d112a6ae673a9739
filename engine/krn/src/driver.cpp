// The driver loader: finds the driver files of each kind in the current folder, asks each for
// its CHECK, loads and binds the chosen ones by their decorated entry-point names, falls back,
// switches, and reports the choice.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "driver.h"
#include "krn.h"
#include "messages.h"

namespace krn {
namespace {

struct KindInfo {
    const char* pattern;
    const char* fallback;
    const char* defaultName;
    const char* key;
};
const KindInfo kKinds[3] = {
    {"drv_*.dll", "drv_pasu.dll", "drv_sefa.dll", "DRV"},
    {"lgt_*.dll", "lgt_pasu.dll", "lgt_sefa.dll", "LGT"},
    {"acc_*.dll", "acc_pasu.dll", "acc_dexo.dll", "ACC"},
};

const char kCheck[] = "?CHECK@@YAHPAUtagKRN@@PAD11PAK2@Z";
const char kStart[] = "?START@@YAHPAUtagKRN@@@Z";
const char kEnd[] = "?END@@YAHPAUtagKRN@@@Z";
const char kRestart[] = "?RESTART@@YAHPAUtagKRN@@H@Z";

// A kind's block of the engine record.
struct Block {
    HMODULE* lib;
    char* name;
    int* count;
    tagKRNENUMDRV* entries;
};

Block BlockOf(tagKRN* krn, DriverKind kind) {
    switch (kind) {
        case kTransform:
            return {&krn->drvlib, krn->drvname, &krn->drvcount, krn->edDRV};
        case kLighting:
            return {&krn->lgtlib, krn->lgtname, &krn->lgtcount, krn->edLGT};
        default:
            return {&krn->acclib, krn->accname, &krn->acccount, krn->edACC};
    }
}

void CopyText(char* dst, const char* src, size_t cap) {
    size_t n = strnlen(src, cap - 1);
    std::memmove(dst, src, n);
    dst[n] = 0;
}

// Entry points are looked up as untyped addresses and given their type where they are bound.
void* Proc(HMODULE lib, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(lib, name));
}

// The driver files lie in the folder that was searched: load them from there, not from
// wherever a bare name would be looked for first.
bool FolderPath(const char* file, char* out, size_t cap) {
    char dir[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
    if (n == 0 || n >= sizeof dir) return false;
    const char* sep = (n > 0 && dir[n - 1] == '\\') ? "" : "\\";
    int w = std::snprintf(out, cap, "%s%s%s", dir, sep, file);
    return w > 0 && (size_t)w < cap;
}

HMODULE GetLibrary(tagKRN* krn, const char* file) {
    char path[MAX_PATH + 40];
    HMODULE lib = nullptr;
    if (file[0] && FolderPath(file, path, sizeof path)) lib = LoadLibraryA(path);
    if (!lib) Warn(krn->hwnd, text::kDriverCaption, text::kDriverNotFound, file);
    return lib;
}

int EnumDriver(tagKRN* krn, const char* pattern, tagKRNENUMDRV* entries) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern, &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        HMODULE lib = GetLibrary(krn, found.cFileName);
        if (!lib) continue;
        tagKRNENUMDRV& e = entries[count];
        std::memset(&e, 0, sizeof e);
        auto check = reinterpret_cast<KRNDRV_CHECK>(Proc(lib, kCheck));
        if (check) {
            // Roomy scratch buffers: a driver that writes more than 32 bytes is cut, not
            // allowed to overrun the record.
            char corp[256] = {}, name[256] = {}, drv[256] = {};
            DWORD c1 = 0, c2 = 0;
            e.use = check(krn, corp, name, drv, &c1, &c2) ? 1 : 0;
            corp[255] = name[255] = drv[255] = 0;
            CopyText(e.corp, corp, sizeof e.corp);
            CopyText(e.name, std::strlen(name) > 4 ? name + 4 : "", sizeof e.name);
            CopyText(e.drv, drv, sizeof e.drv);
            CopyText(e.file, found.cFileName, sizeof e.file);
            e.c1 = c1;
            e.c2 = c2;
        } else {
            Warn(krn->hwnd, text::kDriverCaption, text::kCheckFunctionNotFound, found.cFileName);
        }
        FreeLibrary(lib);
        ++count;
    } while (count < KRN_ENUMDRVMAX && FindNextFileA(find, &found));
    FindClose(find);
    return count;
}

int GetLoadFileName(const tagKRNENUMDRV* entries, int count, const char* name) {
    for (int i = 0; i < count; ++i)
        if (strcasecmp(entries[i].file, name) == 0) return i;
    return -1;
}

// The bound entry points of one kind, filled before they are installed in the record so
// that a failed load leaves the record's driver as it was.
struct Binding {
    HMODULE lib = nullptr;
    void* fn[17] = {};
};

const char* const kEntryNames[3][17] = {
    {kCheck, kStart, kEnd, kRestart, "?DRV_VIEW@@YAHPAUtagKRN@@H@Z",
     "?DRV_PERSPECTIVE@@YAHPAUtagKRN@@HH@Z"},
    {kCheck, kStart, kEnd, kRestart, "?LGT_LIGHT@@YAHPAUtagKRN@@H@Z",
     "?LGT_BRIGHT@@YAHPAUtagKRN@@H@Z"},
    {kCheck, kStart, kEnd, kRestart, "?ACC_MAKEVIEW@@YAHPAUtagKRN@@H@Z",
     "?ACC_RELEASEVIEW@@YAHPAUtagKRN@@H@Z", "?ACC_CAMERA@@YAHPAUtagKRN@@H@Z",
     "?ACC_RASTER@@YAHPAUtagKRN@@HK@Z", "?ACC_FLIP@@YAHPAUtagKRN@@H@Z",
     "?ACC_FULLSCREEN@@YAHPAUtagKRN@@HH@Z", "?ACC_REFRESH@@YAHPAUtagKRN@@HPAUHDC__@@@Z",
     "?ACC_PUTSCREEN@@YAHPAUtagKRN@@HHHPAUtagKRNCELL@@PAUtagRECT@@@Z",
     "?ACC_GETSCREEN@@YAHPAUtagKRN@@PAUtagKRNCELL@@HHHPAUtagRECT@@@Z",
     "?ACC_LOADTEXTURE@@YAHPAUtagKRN@@PAUtagKRNTEXTURE@@@Z",
     "?ACC_DELETETEXTURE@@YAHPAUtagKRN@@PAUtagKRNTEXTURE@@@Z"},
};
const int kEntryCount[3] = {6, 6, 15};

// Loads an entry's file and binds every entry point of its kind; a driver that lacks one
// is not used (the engine calls all of them).
bool Bind(tagKRN* krn, DriverKind kind, const tagKRNENUMDRV& e, Binding* b) {
    // A driver whose CHECK said it cannot run on this machine is not loaded.
    if (!e.use) return false;
    b->lib = GetLibrary(krn, e.drv);
    if (!b->lib) return false;
    for (int i = 0; i < kEntryCount[kind]; ++i) {
        b->fn[i] = Proc(b->lib, kEntryNames[kind][i]);
        if (!b->fn[i]) {
            FreeLibrary(b->lib);
            b->lib = nullptr;
            return false;
        }
    }
    return true;
}

template <typename T>
void Set(T& field, void* fn) {
    field = reinterpret_cast<T>(fn);
}

void Install(tagKRN* krn, DriverKind kind, const Binding& b) {
    void* const* f = b.fn;
    switch (kind) {
        case kTransform:
            krn->drvlib = b.lib;
            Set(krn->DRV_CHECK, f[0]), Set(krn->DRV_START, f[1]), Set(krn->DRV_END, f[2]);
            Set(krn->DRV_REBOOT, f[3]), Set(krn->DRV_VIEW, f[4]), Set(krn->DRV_PERSPECTIVE, f[5]);
            break;
        case kLighting:
            krn->lgtlib = b.lib;
            Set(krn->LGT_CHECK, f[0]), Set(krn->LGT_START, f[1]), Set(krn->LGT_END, f[2]);
            Set(krn->LGT_REBOOT, f[3]), Set(krn->LGT_LIGHT, f[4]), Set(krn->LGT_BRIGHT, f[5]);
            break;
        case kRaster:
            krn->acclib = b.lib;
            Set(krn->ACC_CHECK, f[0]), Set(krn->ACC_START, f[1]), Set(krn->ACC_END, f[2]);
            Set(krn->ACC_REBOOT, f[3]), Set(krn->ACC_MAKEVIEW, f[4]);
            Set(krn->ACC_RELEASEVIEW, f[5]), Set(krn->ACC_CAMERA, f[6]), Set(krn->ACC_RASTER, f[7]);
            Set(krn->ACC_FLIP, f[8]), Set(krn->ACC_FULLSCREEN, f[9]), Set(krn->ACC_REFRESH, f[10]);
            Set(krn->ACC_PUTSCREEN, f[11]), Set(krn->ACC_GETSCREEN, f[12]);
            Set(krn->ACC_LOADTEXTURE, f[13]), Set(krn->ACC_DELETETEXTURE, f[14]);
            break;
    }
}

KRNDRV_RESTART RestartOf(tagKRN* krn, DriverKind kind) {
    return kind == kTransform  ? krn->DRV_REBOOT
           : kind == kLighting ? krn->LGT_REBOOT
                               : krn->ACC_REBOOT;
}

// Finds a driver for the kind: the chosen name, else the fallback (which becomes the chosen
// name), else with `lastResort` the first usable entry. Fills `b`; false when none loads.
bool Choose(tagKRN* krn, DriverKind kind, bool lastResort, Binding* b) {
    Block k = BlockOf(krn, kind);
    const char* fallback = kKinds[kind].fallback;
    int i = GetLoadFileName(k.entries, *k.count, k.name);
    if (i >= 0 && Bind(krn, kind, k.entries[i], b)) return true;
    // The chosen driver is missing or unusable: say so, and use the standard one.
    char chosen[32];
    CopyText(chosen, k.name, sizeof chosen);
    if (strcasecmp(chosen, fallback) != 0)
        Warn(krn->hwnd, text::kDriverCaption, text::kDriverCanNotUse, chosen, fallback);
    int f = GetLoadFileName(k.entries, *k.count, fallback);
    if (f >= 0 && f != i && Bind(krn, kind, k.entries[f], b)) {
        CopyText(k.name, k.entries[f].file, 32);
        return true;
    }
    if (lastResort) {
        for (int j = 0; j < *k.count; ++j) {
            if (j == i || j == f) continue;
            if (Bind(krn, kind, k.entries[j], b)) {
                CopyText(k.name, k.entries[j].file, 32);
                return true;
            }
        }
    }
    CopyText(k.name, chosen, 32);
    return false;
}

}  // namespace

const char* FallbackName(DriverKind kind) { return kKinds[kind].fallback; }
const char* DefaultName(DriverKind kind) { return kKinds[kind].defaultName; }
char* ChosenName(tagKRN* krn, DriverKind kind) { return BlockOf(krn, kind).name; }

void EnumDrivers(tagKRN* krn) {
    for (int k = 0; k < 3; ++k) {
        Block b = BlockOf(krn, static_cast<DriverKind>(k));
        *b.count = EnumDriver(krn, kKinds[k].pattern, b.entries);
    }
}

int LoadDriver(tagKRN* krn, DriverKind kind, bool lastResort) {
    Binding b;
    if (!Choose(krn, kind, lastResort, &b)) {
        // Nothing of this kind can run: name what was asked for.
        Warn(krn->hwnd, text::kDriverCaption, text::kDriverNotFound, BlockOf(krn, kind).name);
        return 0;
    }
    Install(krn, kind, b);
    return 1;
}

void UnloadDriver(tagKRN* krn, DriverKind kind) {
    Block k = BlockOf(krn, kind);
    if (*k.lib) FreeLibrary(*k.lib);
    Binding none;
    Install(krn, kind, none);
}

void SaveDriver(tagKRN* krn) {
    char ini[MAX_PATH];
    KRN_GetProFileName(ini);
    for (int k = 0; k < 3; ++k)
        WritePrivateProfileStringA("DRIVER", kKinds[k].key,
                                   BlockOf(krn, static_cast<DriverKind>(k)).name, ini);
}

void WaitIdle(tagKRN* krn) {
    while (krn->task != 0) Sleep(10);
}

namespace {

void CheckInfo(tagKRN* krn, DriverKind kind, char* corp, char* name, DWORD* c1, DWORD* c2) {
    if (!krn) return;
    Block k = BlockOf(krn, kind);
    int i = GetLoadFileName(k.entries, *k.count, k.name);
    if (i < 0) return;
    if (corp) CopyText(corp, k.entries[i].corp, 32);
    if (name) CopyText(name, k.entries[i].name, 32);
    if (c1) *c1 = k.entries[i].c1;
    if (c2) *c2 = k.entries[i].c2;
}

void FillList(tagKRN* krn, DriverKind kind, tagKRNDRVINFO* list) {
    if (!list) return;
    std::memset(list, 0, sizeof(tagKRNDRVINFO) * KRN_ENUMDRVMAX);
    Block k = BlockOf(krn, kind);
    for (int i = 0; i < *k.count && i < KRN_ENUMDRVMAX; ++i) {
        const tagKRNENUMDRV& e = k.entries[i];
        list[i].use = e.use;
        list[i].select = strcasecmp(e.file, k.name) == 0 ? 1 : 0;
        CopyText(list[i].corp, e.corp, 32);
        CopyText(list[i].name, e.name, 32);
        CopyText(list[i].drv, e.file, 32);
        list[i].c1 = e.c1;
        list[i].c2 = e.c2;
    }
}

}  // namespace
}  // namespace krn

using krn::DriverKind;

KRNAPI void WINAPI KRN_CheckDRV(tagKRN* krn, char* corp, char* name, DWORD* c1, DWORD* c2) {
    krn::CheckInfo(krn, krn::kTransform, corp, name, c1, c2);
}
KRNAPI void WINAPI KRN_CheckLGT(tagKRN* krn, char* corp, char* name, DWORD* c1, DWORD* c2) {
    krn::CheckInfo(krn, krn::kLighting, corp, name, c1, c2);
}
KRNAPI void WINAPI KRN_CheckACC(tagKRN* krn, char* corp, char* name, DWORD* c1, DWORD* c2) {
    krn::CheckInfo(krn, krn::kRaster, corp, name, c1, c2);
}

KRNAPI void WINAPI KRN_GetDriverName(tagKRN* krn, tagKRNDRVINFO* drvlist, tagKRNDRVINFO* lgtlist,
                                     tagKRNDRVINFO* acclist) {
    if (!krn) return;
    krn::FillList(krn, krn::kTransform, drvlist);
    krn::FillList(krn, krn::kLighting, lgtlist);
    krn::FillList(krn, krn::kRaster, acclist);
}

KRNAPI int WINAPI KRN_SetDriver(tagKRN* krn, int drv, int lgt, int acc) {
    if (!krn) return 0;
    int index[3] = {drv, lgt, acc};
    bool force[3];
    // Every index is checked before anything changes.
    for (int k = 0; k < 3; ++k) {
        force[k] = index[k] < 0;
        if (force[k]) index[k] = -index[k];
        auto kind = static_cast<DriverKind>(k);
        if (index[k] >= krn::BlockOf(krn, kind).count[0]) return 0;
    }
    for (int k = 0; k < 3; ++k) {
        auto kind = static_cast<DriverKind>(k);
        krn::Block b = krn::BlockOf(krn, kind);
        const tagKRNENUMDRV& e = b.entries[index[k]];
        if (!force[k] && strcasecmp(b.name, e.file) == 0) continue;
        // The new driver is loaded first: when it cannot be had, the old one stays.
        char old[32];
        krn::CopyText(old, b.name, sizeof old);
        krn::CopyText(b.name, e.file, 32);
        krn::Binding nb;
        if (!krn::Choose(krn, kind, false, &nb)) {
            krn::CopyText(b.name, old, 32);
            return 0;
        }
        krn::WaitIdle(krn);
        krn::RestartOf(krn, kind)(krn, 0);
        if (*b.lib) FreeLibrary(*b.lib);
        krn::Install(krn, kind, nb);
        krn::RestartOf(krn, kind)(krn, 1);
    }
    krn::SaveDriver(krn);
    return 1;
}
