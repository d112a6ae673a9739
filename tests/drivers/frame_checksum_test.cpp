// One frame of every build of the transform and lighting drivers over a ground of 11,308 chips
// (split at the near plane, dropped by the far limit, culled, clipped, fogged, lit by ambient,
// directional and point lights, flat and smooth, with unshaded, fog-free, see-through and
// textured chips among them), summed into one checksum per build and shading. The sums were
// taken from the drivers before they were reworked for speed: every output bit must repeat.
#include "driver_rig.h"

namespace {

constexpr int kChips = 11308;

tagKRN3D V(double x, double y, double z) { return tagKRN3D{x, y, z, 0.0}; }

struct Frame {
    std::unique_ptr<tagKRN> krn{new tagKRN};
    std::vector<tagKRNCHIP> chips, calc;

    explicit Frame(DWORD accwork) : chips(kChips), calc(kChips) {
        std::memset(krn.get(), 0, sizeof(tagKRN));
        std::memset(chips.data(), 0, chips.size() * sizeof(tagKRNCHIP));
        std::memset(calc.data(), 0, calc.size() * sizeof(tagKRNCHIP));
        krn->chipmax = kChips;
        krn->lpchip = chips.data();
        krn->lpcalc = calc.data();
        krn->accwork = accwork;
        const int cols = 74;
        for (int i = 0; i < kChips; ++i) {
            const int tile = i / 2, col = tile % cols, row = tile / cols;
            const double x0 = -740.0 + 20.0 * col, z0 = -10.0 + 20.0 * row;
            const double y0 = 3.0 * ((i * 7) % 5);  // an uneven ground
            tagKRN3D a = V(x0, y0, z0), b = V(x0, 0, z0 + 20), c = V(x0 + 20, 0, z0),
                     d = V(x0 + 20, y0, z0 + 20);
            tagKRNCHIP& ch = chips[(size_t)i];
            ch.mode = KRNCHIP_SHOW;
            ch.no = i;
            ch.v[0] = a;
            ch.v[1] = i % 2 ? d : b;
            ch.v[2] = i % 2 ? c : d;
            ch.normal = V(0.05 * (i % 3), 1, -0.05 * (i % 4));
            for (int k = 0; k < 3; ++k) {
                ch.n[k] = V(0.1 * ((i + k) % 3 - 1), 1, 0.07 * ((i + 2 * k) % 5 - 2));
                ch.r[k] = 40 + (i * 7 + k) % 200;
                ch.g[k] = 60 + (i * 5 + k) % 180;
                ch.b[k] = 30 + (i * 3 + k) % 120;
                ch.x[k] = 0.25 * k + 0.001 * i;
                ch.y[k] = 0.5 * k;
            }
            ch.red = ch.r[0];
            ch.green = ch.g[0];
            ch.blue = ch.b[0];
            ch.trans = (i * 37) % 300 - 20;
            if (i % 3 == 0) ch.htex = 0x1000 + i;
            ch.flags = KRNCHIP_SMOOTH | ((i % 5) ? 0 : KRNCHIP_TWOSIDED) |
                       ((i % 7) ? 0 : KRNCHIP_UNSHADED) | ((i % 11) ? 0 : KRNCHIP_NOFOG) |
                       ((i % 13) ? 0 : KRNCHIP_THROUGH) | ((i % 17) ? 0 : KRNCHIP_NOFAR);
            if (i % 97 == 0) ch.mode = KRNCHIP_SHOW | 2;  // hidden
        }
        tagKRNCAMERA& cam = krn->camera[0];
        cam.viewpoint = V(15, 30, 5);
        cam.rotate = V(-8, 3, 1);
        cam.scale = V(1, 1, 1);
        cam.zoom = 35.0;
        cam.viewlimit = 1.0;
        tagKRNVIEW& view = krn->view[0];
        view.xsize = view.cxsize = 640;
        view.ysize = view.cysize = 480;
        view.xoffset = 7;
        krn->distance = 2500.0;
        krn->top = 1200.0;
        krn->bottom = 2500.0;
        krn->throughdistance = 300.0;
        krn->throughrate = 77;
        krn->red = 120;
        krn->green = 160;
        krn->blue = 220;
        krn->light[0].mode = 1;
        krn->light[0].red = krn->light[0].green = krn->light[0].blue = 90;
        krn->light[1].mode = 2;
        krn->light[1].red = krn->light[1].green = krn->light[1].blue = 200;
        KRN_Normal3D(&krn->light[1].normal, 0.3, 1.0, -0.2);
        krn->light[2].mode = 4;
        krn->light[2].red = 255;
        krn->light[2].green = 200;
        krn->light[2].blue = 100;
        krn->light[2].pos = V(0, 20, 200);
        krn->light[2].range = 300.0;
        krn->light[4].mode = 4;  // a point light without reach adds nothing
        krn->light[4].red = 255;
        krn->light[6].mode = 2;
        krn->light[6].red = 40;
        krn->light[6].green = 10;
        krn->light[6].blue = 70;
        KRN_Normal3D(&krn->light[6].normal, -0.5, 0.2, 0.7);
        krn->light[7].mode = 4;
        krn->light[7].red = krn->light[7].green = krn->light[7].blue = 120;
        krn->light[7].pos = V(-300, 10, 600);
        krn->light[7].range = 450.0;
    }
};

uint64_t Fnv(uint64_t h, const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 0x100000001B3ull;
    return h;
}

struct Case {
    const char* drv;
    const char* lgt;
    DWORD accwork;
    uint64_t want;
};
const Case kCases[] = {
    {"drv_pasu.dll", "lgt_pasu.dll", 0, 0x201af2342febf964ull},
    {"drv_pasu.dll", "lgt_pasu.dll", 1, 0x35bd838d406b483bull},
    {"drv_quil.dll", "lgt_quil.dll", 0, 0xa2fc0d818abe2854ull},
    {"drv_quil.dll", "lgt_quil.dll", 1, 0x59bd788b88b5f8a0ull},
    {"drv_nodo.dll", "lgt_nodo.dll", 0, 0xf027a1dbaba487b3ull},
    {"drv_nodo.dll", "lgt_nodo.dll", 1, 0xedb9433177b59264ull},
};

TEST(DriverFrames, EveryBuildRepeatsItsOutputBitForBit) {
    for (const Case& c : kCases) {
        const drvtest::Transform t = drvtest::LoadTransform(c.drv);
        const drvtest::Lighting l = drvtest::LoadLighting(c.lgt);
        ASSERT_TRUE(t.view && t.perspective && l.bright) << c.drv;
        Frame f(c.accwork);
        t.view(nullptr, 1);
        ASSERT_TRUE(t.view(f.krn.get(), 0));
        ASSERT_TRUE(t.perspective(f.krn.get(), 0, 0));
        ASSERT_TRUE(l.bright(f.krn.get(), 0));
        uint64_t h = 0xCBF29CE484222325ull;
        h = Fnv(h, &f.krn->calc, sizeof f.krn->calc);
        h = Fnv(h, f.calc.data(), size_t(f.krn->calc) * sizeof(tagKRNCHIP));
        h = Fnv(h, &f.krn->zbufmin, sizeof f.krn->zbufmin);
        h = Fnv(h, &f.krn->zbufmax, sizeof f.krn->zbufmax);
        h = Fnv(h, &f.krn->tbufmax, sizeof f.krn->tbufmax);
        EXPECT_EQ(f.krn->calc, 3543) << c.drv;
        EXPECT_EQ(h, c.want) << c.drv << " and " << c.lgt << ", accwork " << c.accwork;
    }
}

}  // namespace
