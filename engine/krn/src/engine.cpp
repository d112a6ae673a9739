// The engine record's life cycle and krn2.ini.
#include <cstring>

#include "driver.h"
#include "krn.h"
#include "krn_internal.h"
#include "nxlib.h"
#include "texture.h"

namespace {

void FreeRecord(tagKRN* krn) {
    if (krn->lpchip) NXL_MEM_Free(krn->lpchip);
    if (krn->lpcalc) NXL_MEM_Free(krn->lpcalc);
    NXL_MEM_Free(krn);
}

}  // namespace

KRNAPI void WINAPI KRN_GetProFileName(char* path) {
    char module[MAX_PATH];
    char folder[MAX_PATH];
    // The running program's folder, not the engine library's.
    DWORD n = GetModuleFileNameA(nullptr, module, sizeof module);
    if (n == 0 || n >= sizeof module) module[0] = 0;
    NXL_FILE_SeparateFile(module, folder, nullptr);
    size_t len = std::strlen(folder);
    if (len + sizeof "krn2.ini" > MAX_PATH) len = 0;
    std::memcpy(path, folder, len);
    std::strcpy(path + len, "krn2.ini");
}

KRNAPI tagKRN* WINAPI KRN_Start(HWND hwnd, int chipmax) {
    krn::ResetTextureCounters();
    if (chipmax < 0) chipmax = 0;
    tagKRN* krn = static_cast<tagKRN*>(NXL_MEM_Alloc((int)sizeof(tagKRN)));
    if (!krn) return nullptr;
    krn->hwnd = hwnd;
    char ini[MAX_PATH];
    KRN_GetProFileName(ini);

    krn::EnumDrivers(krn);
    static const char* const kKeys[3] = {"DRV", "LGT", "ACC"};
    for (int k = 0; k < 3; ++k) {
        auto kind = static_cast<krn::DriverKind>(k);
        GetPrivateProfileStringA("DRIVER", kKeys[k], krn::DefaultName(kind),
                                 krn::ChosenName(krn, kind), 32, ini);
        if (!krn::LoadDriver(krn, kind, true)) {
            for (int j = 0; j < k; ++j) krn::UnloadDriver(krn, static_cast<krn::DriverKind>(j));
            FreeRecord(krn);
            return nullptr;
        }
    }

    krn->task = 0;
    krn->distance = -1.0;
    for (auto& v : krn->view) {
        v.hwnd = nullptr;
        v.flip = -1;
        v.xpos = v.ypos = v.xsize = v.ysize = 0;
        v.handle = nullptr;
    }
    for (auto& c : krn->camera) {
        KRN_Zero3D(&c.viewpoint);
        KRN_Zero3D(&c.rotate);
        KRN_Zero3D(&c.scale);
        c.zoom = 0.0;
        c.viewlimit = 1.0;
    }
    for (auto& l : krn->light) {
        l.mode = 0;
        KRN_Zero3D(&l.pos);
        KRN_Zero3D(&l.dir);
        l.red = l.green = l.blue = 0;
        l.range = 0.0;
    }

    krn->chipmax = chipmax;
    size_t bytes = (size_t)chipmax * sizeof(tagKRNCHIP);
    // A capacity whose arrays do not fit the allocator's size is a failed allocation.
    if (bytes > 0x7FFFFFFF) bytes = 0;
    krn->lpchip = static_cast<tagKRNCHIP*>(bytes ? NXL_MEM_Alloc((int)bytes) : nullptr);
    krn->lpcalc = static_cast<tagKRNCHIP*>(bytes ? NXL_MEM_Alloc((int)bytes) : nullptr);
    if (chipmax > 0 && (!krn->lpchip || !krn->lpcalc)) {
        for (int k = 0; k < 3; ++k) krn::UnloadDriver(krn, static_cast<krn::DriverKind>(k));
        FreeRecord(krn);
        return nullptr;
    }

    KRN_SetPH1ColorTable(krn, nullptr);
    std::memset(krn->texture, 0, sizeof krn->texture);

    krn->DRV_START(krn);
    krn->LGT_START(krn);
    krn->ACC_START(krn);

    int small = (int)GetPrivateProfileIntA("TEXTURE", "SMALL", 0, ini);
    char mode[8];
    GetPrivateProfileStringA("MODE", "EMULATION", "hard", mode, sizeof mode, ini);
    krn::SetSmallTextures(small != 0 && std::strcmp(mode, "soft") != 0);
    return krn;
}

KRNAPI void WINAPI KRN_End(tagKRN* krn) {
    if (!krn) return;
    for (auto& t : krn->texture) krn->ACC_DELETETEXTURE(krn, &t);
    krn::SaveDriver(krn);
    krn::WaitIdle(krn);
    // Views are released once, while the raster driver is still started: its END tears down
    // what a later release would touch again.
    for (int v = 0; v < KRN_VIEWMAX; ++v) {
        if (!krn->view[v].hwnd) continue;
        krn->ACC_RELEASEVIEW(krn, v);
        krn->view[v].hwnd = nullptr;
        krn->view[v].flip = -1;
    }
    krn->DRV_END(krn);
    krn->LGT_END(krn);
    krn->ACC_END(krn);
    for (int k = 0; k < 3; ++k) krn::UnloadDriver(krn, static_cast<krn::DriverKind>(k));
    FreeRecord(krn);
}
