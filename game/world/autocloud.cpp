// The cloud maker shared by the game and the demos.
#include "world/autocloud.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int CRand() { return std::rand(); }

constexpr int kCloudTextures = 4;

}  // namespace

tagKRNCHIP WeatherChip() {
    tagKRNCHIP c;
    std::memset(&c, 0, sizeof c);
    c.mode = KRNCHIP_SHOW;
    c.flags = KRNCHIP_VERTEXCOLOR | KRNCHIP_SMOOTH;
    for (tagKRN3D& n : c.n) n = tagKRN3D{0, 0, 1, 0};
    c.x[0] = 0.01, c.y[0] = 0.99;
    c.x[1] = 0.5, c.y[1] = 0.01;
    c.x[2] = 0.99, c.y[2] = 0.99;
    return c;
}

namespace {

DWORD_PTR ReadTexture(tagKRN* krn, const char* folder, const char* name) {
    char path[1024];
    std::snprintf(path, sizeof path, "%s%s", folder ? folder : "", name);
    return KRN_ReadTexture(krn, path, 0);
}

void Place(tagKRNCHIP* c, double x0, double y0, double x1, double y1, double x2, double y2,
           double z) {
    c->v[0] = tagKRN3D{x0, y0, z, 0};
    c->v[1] = tagKRN3D{x1, y1, z, 0};
    c->v[2] = tagKRN3D{x2, y2, z, 0};
}

}  // namespace

const CloudStyle kGameCloudStyle = {CRand, 0, "SubCloud", "AddCloud", 24000, 1.0};

tagKRNL* MakeAutoCloud(tagKRNL* root, int first, int count, int size, int lowest, int highest,
                       const char* folder, int separate, int rainbow, const CloudStyle* style) {
    if (!root || count < 1) return nullptr;
    const CloudStyle& s = style ? *style : kGameCloudStyle;
    int (*random)() = s.random ? s.random : CRand;
    const int range = s.range > 0 ? s.range : 24000;

    // The layers first: a name the tree already holds leaves everything as it was.
    tagKRNL* cloud = KRNL_CreateLayer(root, "AutoCloud");
    if (!cloud) return nullptr;
    tagKRNL* sub = nullptr;
    tagKRNL* add = nullptr;
    if (separate) {
        sub = KRNL_CreateLayer(cloud, s.subname ? s.subname : "SubCloud");
        add = sub ? KRNL_CreateLayer(cloud, s.addname ? s.addname : "AddCloud") : nullptr;
        if (!add) {
            KRNL_DeleteLayer(cloud, 1);
            return nullptr;
        }
    }

    tagKRN* krn = root->hkrn;
    DWORD_PTR plain[kCloudTextures] = {}, shade[kCloudTextures] = {};
    for (int i = 0; i < kCloudTextures; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "cloud%02d.bmp", i);
        plain[i] = ReadTexture(krn, folder, name);
        if (separate) {
            std::snprintf(name, sizeof name, "cloud%02ds.bmp", i);
            shade[i] = ReadTexture(krn, folder, name);
        }
    }
    const int clouds = rainbow ? count - 1 : count;
    const DWORD_PTR bow = rainbow ? ReadTexture(krn, folder, "rainbow.bmp") : 0;

    const tagKRNCHIP blank = WeatherChip();
    const int half = size / 2;
    for (int i = 0; i < clouds; ++i) {
        const int x = random() % range - range / 2;
        const int z = random() % range - range / 2;
        const double r = (random() % 1000) * 0.001;
        const double height = (highest - lowest) * (1.0 - r * r) + lowest;
        const double y = s.roundnearest ? std::nearbyint(height) : std::trunc(height);
        tagKRNCHIP c = blank;
        Place(&c, x - half, y, x, y + size * s.topscale, x + half, y, z);
        if (separate) {
            c.htex = shade[i % kCloudTextures];
            KRN_SetChip(krn, first + i, &c);
            c = blank;
            Place(&c, x - half, y, x, y + size * s.topscale, x + half, y, z);
            c.htex = plain[i % kCloudTextures];
            KRN_SetChip(krn, first + count + i, &c);
        } else {
            c.htex = plain[i % kCloudTextures];
            KRN_SetChip(krn, first + i, &c);
        }
    }
    if (rainbow) {
        tagKRNCHIP c = blank;
        Place(&c, 8000, 200, 10000, 4200, 12000, 200, -10000);
        c.htex = bow;
        KRN_SetChip(krn, separate ? first + 2 * count - 1 : first + count - 1, &c);
    }

    if (separate) {
        KRNL_CaptureLayer(sub, first, clouds);
        KRNL_RecallFunction(KRNLOP_SHADOW, sub, 0, 1, 0);
        KRNL_CaptureLayer(add, first + count, count);
        KRNL_RecallFunction(KRNLOP_ALPHA, add, 0, 1, 0);
    } else {
        KRNL_CaptureLayer(cloud, first, count);
        KRNL_RecallFunction(KRNLOP_ALPHA, cloud, 0, 1, 0);
    }
    KRNL_RecallFunction(KRNLOP_BILLBOARD, cloud, 0, 1, 0);
    KRNL_RecallFunction(KRNLOP_ZNOWRITE, cloud, 0, 1, 0);
    return cloud;
}
