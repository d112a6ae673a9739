// Drivers loaded from the program folder by file name (the tests run there) and bound by the
// decorated names the engine uses, and an engine record built by hand around a chip array.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "krn.h"
#include "wynplat.h"

namespace drvtest {

struct Transform {
    KRNDRV_CHECK check = nullptr;
    KRNDRV_VIEW view = nullptr;
    KRNDRV_PERSPECTIVE perspective = nullptr;
};

struct Lighting {
    KRNDRV_CHECK check = nullptr;
    KRNLGT_LIGHT light = nullptr;
    KRNLGT_BRIGHT bright = nullptr;
};

inline HMODULE Load(const char* file) {
    HMODULE lib = LoadLibraryA(file);
    EXPECT_NE(lib, nullptr) << file;
    return lib;
}

template <typename T>
T Bind(HMODULE lib, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(lib, name)));
}

inline Transform LoadTransform(const char* file) {
    Transform t;
    HMODULE lib = Load(file);
    if (!lib) return t;
    t.check = Bind<KRNDRV_CHECK>(lib, "?CHECK@@YAHPAUtagKRN@@PAD11PAK2@Z");
    t.view = Bind<KRNDRV_VIEW>(lib, "?DRV_VIEW@@YAHPAUtagKRN@@H@Z");
    t.perspective = Bind<KRNDRV_PERSPECTIVE>(lib, "?DRV_PERSPECTIVE@@YAHPAUtagKRN@@HH@Z");
    EXPECT_TRUE(t.check && t.view && t.perspective) << file;
    return t;
}

inline Lighting LoadLighting(const char* file) {
    Lighting l;
    HMODULE lib = Load(file);
    if (!lib) return l;
    l.check = Bind<KRNDRV_CHECK>(lib, "?CHECK@@YAHPAUtagKRN@@PAD11PAK2@Z");
    l.light = Bind<KRNLGT_LIGHT>(lib, "?LGT_LIGHT@@YAHPAUtagKRN@@H@Z");
    l.bright = Bind<KRNLGT_BRIGHT>(lib, "?LGT_BRIGHT@@YAHPAUtagKRN@@H@Z");
    EXPECT_TRUE(l.check && l.light && l.bright) << file;
    return l;
}

inline tagKRN3D V(double x, double y, double z) { return tagKRN3D{x, y, z, 0.0}; }

inline tagKRNCHIP Chip(tagKRN3D a, tagKRN3D b, tagKRN3D c, DWORD flags = 0) {
    tagKRNCHIP chip;
    std::memset(&chip, 0, sizeof chip);
    chip.mode = KRNCHIP_SHOW;
    chip.v[0] = a;
    chip.v[1] = b;
    chip.v[2] = c;
    chip.flags = flags;
    chip.normal = V(0, 0, -1);
    for (auto& n : chip.n) n = chip.normal;
    chip.red = chip.green = chip.blue = 255;
    for (int k = 0; k < 3; ++k) chip.r[k] = chip.g[k] = chip.b[k] = 255;
    return chip;
}

// An engine record with `chipmax` scene chips and an output list one chip longer than it says,
// whose last entry is a guard that no driver may touch. View 0 is 700 x 500 and camera 0 looks
// down +z from the origin with zoom 35: a point at z = 35 is projected with t = 10.
struct Scene {
    std::unique_ptr<tagKRN> krn{new tagKRN};
    std::vector<tagKRNCHIP> chips, calc;

    explicit Scene(int chipmax) : chips((size_t)chipmax), calc((size_t)chipmax + 1) {
        std::memset(krn.get(), 0, sizeof(tagKRN));
        std::memset(chips.data(), 0, chips.size() * sizeof(tagKRNCHIP));
        std::memset(calc.data(), 0x5A, calc.size() * sizeof(tagKRNCHIP));
        krn->chipmax = chipmax;
        krn->lpchip = chips.data();
        krn->lpcalc = calc.data();
        krn->distance = -1.0;
        tagKRNVIEW& v = krn->view[0];
        v.xsize = 700;
        v.ysize = 500;
        v.cxsize = 700;
        v.cysize = 500;
        tagKRNCAMERA& c = krn->camera[0];
        c.scale = V(1, 1, 1);
        c.zoom = 35.0;
        c.viewlimit = 1.0;
    }
    void Put(int slot, tagKRNCHIP chip) {
        chip.no = slot;
        chips[(size_t)slot] = chip;
    }
    bool GuardIntact() const {
        tagKRNCHIP guard;
        std::memset(&guard, 0x5A, sizeof guard);
        return std::memcmp(&calc.back(), &guard, sizeof guard) == 0;
    }
    // The engine's view stage: the near limit first, then the chips.
    int View(const Transform& t, int nearlimit = 1) {
        t.view(nullptr, nearlimit);
        return t.view(krn.get(), 0);
    }
    int Frame(const Transform& t, int nearlimit = 1) {
        if (!View(t, nearlimit)) return 0;
        return t.perspective(krn.get(), 0, 0);
    }
    const tagKRNCHIP& Out(int i) const { return calc[(size_t)i]; }
};

// A deterministic scene of chips all around a moved, turned and stretched camera, with a far
// limit, so that every path of the view stage runs: drops, splits, back faces, clipping.
inline void RandomScene(Scene& s) {
    uint32_t seed = 12345;
    auto next = [&seed](double lo, double hi) {
        seed = seed * 1103515245u + 12345u;
        return lo + (hi - lo) * ((seed >> 8) & 0xFFFF) / 65535.0;
    };
    for (int i = 0; i < s.krn->chipmax; ++i) {
        tagKRNCHIP c = Chip(V(next(-150, 150), next(-150, 150), next(-60, 300)),
                            V(next(-150, 150), next(-150, 150), next(-60, 300)),
                            V(next(-150, 150), next(-150, 150), next(-60, 300)),
                            next(0, 1) < 0.5 ? KRNCHIP_TWOSIDED : 0);
        for (int k = 0; k < 3; ++k) {
            c.r[k] = (int)next(0, 255);
            c.n[k] = V(next(-1, 1), next(-1, 1), next(-1, 1));
            c.x[k] = next(0, 1);
            c.y[k] = next(0, 1);
        }
        c.htex = (i % 3) ? 0 : 1;
        if (i % 4 == 0) c.flags |= KRNCHIP_SMOOTH;
        c.red = (int)next(0, 255);
        c.green = (int)next(0, 255);
        c.blue = (int)next(0, 255);
        c.normal = V(next(-1, 1), next(-1, 1), next(-1, 1));
        s.Put(i, c);
    }
    tagKRNCAMERA& cam = s.krn->camera[0];
    cam.viewpoint = V(5, -3, -20);
    cam.rotate = V(10, 20, 5);
    cam.scale = V(1, 1.5, 1);
    s.krn->distance = 280.0;
    s.krn->view[0].cxpos = 50;
    s.krn->view[0].cxsize = 600;
}

// A faked processor for the CHECK tests.
struct Cpu {
    const char* vendor;
    int sse;
    int amd3dnow;
};
inline Cpu& FakeCpu() {
    static Cpu cpu{"GenuineIntel", 1, 0};
    return cpu;
}
inline void FakeProbe(WynCpuInfo* info) {
    std::snprintf(info->vendor, sizeof info->vendor, "%s", FakeCpu().vendor);
    info->sse = FakeCpu().sse;
    info->amd3dnow = FakeCpu().amd3dnow;
}

// One driver file's expected CHECK answers: its description and c1, and its result on an
// Intel processor with SSE, an AMD one with 3DNow!, an AMD one without, and an unknown one.
struct CheckRow {
    const char* file;
    const char* description;
    const char* loadFile;  // the file CHECK names, which the engine loads for this entry
    DWORD c1;
    int intel, amd3dnow, amd, none;
};

// Asks every row's CHECK (found by `check`) on the four faked processors.
inline void ExpectCheckTable(const CheckRow* rows, size_t n,
                             KRNDRV_CHECK (*check)(const char* file)) {
    const Cpu cpus[4] = {
        {"GenuineIntel", 1, 0}, {"AuthenticAMD", 1, 1}, {"AuthenticAMD", 1, 0}, {"", 0, 0}};
    WynPlat_SetCpuProbe(FakeProbe);
    for (size_t i = 0; i < n; ++i) {
        const CheckRow& r = rows[i];
        KRNDRV_CHECK fn = check(r.file);
        ASSERT_TRUE(fn) << r.file;
        const int expect[4] = {r.intel, r.amd3dnow, r.amd, r.none};
        for (int c = 0; c < 4; ++c) {
            FakeCpu() = cpus[c];
            char corp[32] = "x", name[32] = "x", drv[32] = "x";
            DWORD c1 = 77, c2 = 77;
            EXPECT_EQ(fn(nullptr, corp, name, drv, &c1, &c2), expect[c])
                << r.file << " on processor " << c;
            EXPECT_STREQ(corp, "Halvorstine") << r.file;
            EXPECT_STREQ(name, r.description) << r.file;
            EXPECT_STREQ(drv, r.loadFile) << r.file << ": the file it names to be loaded";
            EXPECT_EQ(c1, r.c1) << r.file;
            EXPECT_EQ(c2, 0u) << r.file;
        }
    }
    WynPlat_SetCpuProbe(nullptr);
}

}  // namespace drvtest
