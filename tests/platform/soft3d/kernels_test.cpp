// Every combination of drawing states renders the same pixels and depths as the rasterizer's
// first, per-pixel-generic span loop: a fixed scene of random triangles and lines is drawn
// under each state, and the colour and depth buffers are hashed. The hashes of each target
// format and texture, over all their states, were taken from that first loop.
#include <algorithm>
#include <random>
#include <string>

#include "rig.h"
#include "soft3d/pixel_math.h"

namespace {

uint64_t Fnv(uint64_t h, const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
    return h;
}

uint64_t HashSurface(IDirectDrawSurface* s, int width, int height, int bytes, uint64_t h) {
    DDSURFACEDESC d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    for (int y = 0; y < height; ++y)
        h = Fnv(h, static_cast<const uint8_t*>(d.lpSurface) + y * d.lPitch,
                static_cast<size_t>(width * bytes));
    s->Unlock(nullptr);
    return h;
}

// A background that blending reads: every channel value occurs somewhere.
void PaintBackground(IDirectDrawSurface* s, int width, int height, int bytes) {
    DDSURFACEDESC d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    uint32_t x = 0x9E3779B9u;
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < width; ++i) {
            x = x * 1664525u + 1013904223u;
            std::memcpy(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + i * bytes, &x, bytes);
        }
    s->Unlock(nullptr);
}

struct TexCase {
    const char* name;
    Fmt format;
    int width, height;
    bool keyed, perspective;
};
const TexCase kTextures[] = {
    {"untextured", Fmt::RGB565, 0, 0, false, false},
    {"565 8x8 perspective", Fmt::RGB565, 8, 8, false, true},
    {"555 5x3 keyed perspective", Fmt::RGB555, 5, 3, true, true},
    {"8888 16x4 keyed affine", Fmt::XRGB8888, 16, 4, true, false},
};

struct BlendPair {
    DWORD src, dst;
};
// Off, the usual pair, additive, and pairs that between them use every factor on each side.
const BlendPair kBlendPairs[] = {
    {0, 0},
    {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
    {D3DBLEND_ONE, D3DBLEND_ONE},
    {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},
    {D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR},
    {D3DBLEND_INVSRCCOLOR, D3DBLEND_DESTCOLOR},
    {D3DBLEND_DESTCOLOR, D3DBLEND_INVDESTCOLOR},
    {D3DBLEND_INVDESTCOLOR, D3DBLEND_SRCALPHA},
    {D3DBLEND_INVSRCALPHA, D3DBLEND_ONE},
    {D3DBLEND_SRCALPHA, D3DBLEND_ZERO},
    {D3DBLEND_ONE, D3DBLEND_ZERO},
};

struct DepthMode {
    int bits;
    bool enable, write;
};
const DepthMode kDepths[] = {
    {0, false, false}, {16, true, true},  {16, true, false},
    {24, true, true},  {32, true, false}, {16, false, true},
};

// The scene: triangles of every size, some leaving the target, some opaque (which the usual
// blend leaves out), with fog factors, depths and texture coordinates all over their ranges;
// then a few line strips.
std::vector<D3DTLVERTEX> SceneTriangles() {
    std::mt19937 rng(2026);
    std::uniform_real_distribution<float> pos(-12.0f, 76.0f), small(-6.0f, 6.0f);
    std::uniform_real_distribution<float> z(-0.1f, 1.1f), w(0.2f, 1.5f), uv(-3.0f, 3.0f);
    std::uniform_int_distribution<uint32_t> byte(0, 255);
    std::vector<D3DTLVERTEX> v;
    for (int t = 0; t < 70; ++t) {
        const bool tiny = t % 3 == 1, opaque = t % 4 == 0;
        const float cx = pos(rng), cy = pos(rng) * 0.75f;
        for (int i = 0; i < 3; ++i) {
            const float x = tiny ? cx + small(rng) : pos(rng);
            const float y = tiny ? cy + small(rng) : pos(rng) * 0.75f;
            const uint32_t a = opaque ? 255 : byte(rng);
            v.push_back(V(x, y, z(rng), a << 24 | byte(rng) << 16 | byte(rng) << 8 | byte(rng),
                          uv(rng), uv(rng), w(rng), byte(rng) << 24));
        }
    }
    return v;
}

std::vector<D3DTLVERTEX> SceneLines() {
    std::mt19937 rng(47);
    std::uniform_real_distribution<float> pos(-8.0f, 72.0f), z(0.0f, 1.0f);
    std::uniform_int_distribution<uint32_t> byte(0, 255);
    std::vector<D3DTLVERTEX> v;
    for (int i = 0; i < 9; ++i)
        v.push_back(V(pos(rng), pos(rng) * 0.75f, z(rng),
                      byte(rng) << 24 | byte(rng) << 16 | byte(rng) << 8 | byte(rng), 0, 0, 1,
                      byte(rng) << 24));
    return v;
}

IDirectDrawSurface* MakeTexture(IDirectDraw* dd, const TexCase& t) {
    IDirectDrawSurface* s = MakeSurface(dd, t.width, t.height, t.format, DDSCAPS_TEXTURE);
    std::mt19937 rng(static_cast<unsigned>(t.width * 100 + t.height));
    const bool wide = t.format == Fmt::XRGB8888;
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x) {
            uint32_t v = wide ? rng() & 0xFFFFFF : rng() & 0xFFFF;
            if ((x + y) % 4 == 0) v = wide ? 0x000010 + (x & 3) : 0x0010 + (x & 3);  // keyed
            WriteRaw(s, x, y, v);
        }
    if (t.keyed) {
        DDCOLORKEY key{0x10, 0x12};  // a range: three of the four planted values
        EXPECT_EQ(s->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &key), DD_OK);
    }
    return s;
}

// One hash of the colour and depth buffers per state, folded into the hash of its group.
uint64_t RenderGroup(Fmt fmt, const TexCase& tc) {
    static const std::vector<D3DTLVERTEX> tris = SceneTriangles(), lines = SceneLines();
    const int W = 64, H = 48, bytes = fmt == Fmt::XRGB8888 ? 4 : 2;
    uint64_t group = 0xCBF29CE484222325ull;
    for (const DepthMode& dm : kDepths)
        for (const BlendPair& bp : kBlendPairs)
            for (bool fog : {false, true}) {
                Rig rig(W, H, fmt, dm.bits);
                IDirectDrawSurface* tex = nullptr;
                if (tc.width) {
                    tex = MakeTexture(rig.dd, tc);
                    IDirect3DTexture2* t2 = nullptr;
                    EXPECT_EQ(
                        tex->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&t2)),
                        S_OK);
                    D3DTEXTUREHANDLE h = 0;
                    EXPECT_EQ(t2->GetHandle(rig.dev, &h), D3D_OK);
                    t2->Release();
                    rig.State(D3DRENDERSTATE_TEXTUREHANDLE, h);
                    rig.State(D3DRENDERSTATE_COLORKEYENABLE, tc.keyed);
                    rig.State(D3DRENDERSTATE_TEXTUREPERSPECTIVE, tc.perspective);
                }
                PaintBackground(rig.target, W, H, bytes);
                rig.State(D3DRENDERSTATE_ZENABLE, dm.enable);
                rig.State(D3DRENDERSTATE_ZWRITEENABLE, dm.write);
                rig.State(D3DRENDERSTATE_ALPHABLENDENABLE, bp.src != 0);
                if (bp.src) {
                    rig.State(D3DRENDERSTATE_SRCBLEND, bp.src);
                    rig.State(D3DRENDERSTATE_DESTBLEND, bp.dst);
                }
                rig.State(D3DRENDERSTATE_FOGENABLE, fog);
                rig.State(D3DRENDERSTATE_FOGCOLOR, 0x00C08040);
                // Part of the scene under a smaller viewport, to clip against it too.
                rig.SetViewport(3, 2, 55, 41);
                rig.Draw(D3DPT_TRIANGLELIST, {tris.begin(), tris.begin() + 30});
                rig.SetViewport(0, 0, W, H);
                rig.Draw(D3DPT_TRIANGLELIST, {tris.begin() + 30, tris.end()});
                rig.Draw(D3DPT_LINESTRIP, lines);
                uint64_t h = HashSurface(rig.target, W, H, bytes, 0xCBF29CE484222325ull);
                if (dm.bits) h = HashSurface(rig.depth, W, H, dm.bits / 8, h);
                group = Fnv(group, reinterpret_cast<const uint8_t*>(&h), sizeof h);
                if (tex) tex->Release();
            }
    return group;
}

struct GroupHash {
    Fmt fmt;
    const char* fmtName;
    int texture;  // index into kTextures
    uint64_t hash;
};
const GroupHash kGroups[] = {
    {Fmt::RGB565, "565", 0, 0xD4AF3B359FBAF507ull},
    {Fmt::RGB565, "565", 1, 0x5EF0675893229925ull},
    {Fmt::RGB565, "565", 2, 0x53604A19A06CE8B8ull},
    {Fmt::RGB565, "565", 3, 0x098EA3BB9B059478ull},
    {Fmt::RGB555, "555", 0, 0xF97278DD15C13443ull},
    {Fmt::RGB555, "555", 1, 0x62A429D3AAC48201ull},
    {Fmt::RGB555, "555", 2, 0xF4E0F03F59F792D8ull},
    {Fmt::RGB555, "555", 3, 0x28D443162735F706ull},
    {Fmt::XRGB8888, "8888", 0, 0x7708989D83B2F5BAull},
    {Fmt::XRGB8888, "8888", 1, 0x876840035BB6A3B1ull},
    {Fmt::XRGB8888, "8888", 2, 0x0753730A88AC17E5ull},
    {Fmt::XRGB8888, "8888", 3, 0x4FD4936D6D006B0Cull},
};

// The division-free roundings against the division they replace, over every value their
// callers can pass: products and fog mixes up to 255·255, blend sums up to twice that.
TEST(Soft3DKernels, DivisionFreeRoundingIsExact) {
    for (uint32_t x = 0; x <= 255 * 255; ++x)
        ASSERT_EQ(soft3d::Div255Round(x), (x + 127) / 255) << "x " << x;
    for (uint32_t x = 0; x <= 2 * 255 * 255; ++x)
        ASSERT_EQ(soft3d::Div255RoundClamped(x), std::min(255u, (x + 127) / 255)) << "x " << x;
}

// Each blend code's factor against the device's table of factors, for every source, alpha
// and destination value that differ (the selector is a mask, so a sample of each suffices).
TEST(Soft3DKernels, DecodedBlendFactorsMatchTheirDefinitions) {
    struct Want {
        int code;
        uint32_t (*f)(uint32_t s, uint32_t a, uint32_t d);
    };
    const Want kWant[] = {
        {D3DBLEND_ZERO, [](uint32_t, uint32_t, uint32_t) { return 0u; }},
        {D3DBLEND_ONE, [](uint32_t, uint32_t, uint32_t) { return 255u; }},
        {D3DBLEND_SRCCOLOR, [](uint32_t s, uint32_t, uint32_t) { return s; }},
        {D3DBLEND_INVSRCCOLOR, [](uint32_t s, uint32_t, uint32_t) { return 255 - s; }},
        {D3DBLEND_SRCALPHA, [](uint32_t, uint32_t a, uint32_t) { return a; }},
        {D3DBLEND_INVSRCALPHA, [](uint32_t, uint32_t a, uint32_t) { return 255 - a; }},
        {D3DBLEND_DESTCOLOR, [](uint32_t, uint32_t, uint32_t d) { return d; }},
        {D3DBLEND_INVDESTCOLOR, [](uint32_t, uint32_t, uint32_t d) { return 255 - d; }},
        {D3DBLEND_SRCALPHASAT, [](uint32_t, uint32_t, uint32_t) { return 255u; }},  // unknown
    };
    for (const Want& w : kWant) {
        const soft3d::BlendSel sel = soft3d::DecodeBlend(w.code);
        for (uint32_t s = 0; s < 256; s += 15)
            for (uint32_t a = 0; a < 256; a += 17)
                for (uint32_t d = 0; d < 256; d += 51)
                    ASSERT_EQ(soft3d::BlendFactor(sel, s, a, d), w.f(s, a, d))
                        << "blend " << w.code << " s " << s << " a " << a << " d " << d;
    }
}

TEST(Soft3DKernels, EveryStateDrawsWhatTheGenericLoopDrew) {
    for (const GroupHash& g : kGroups) {
        const TexCase& tc = kTextures[g.texture];
        const uint64_t h = RenderGroup(g.fmt, tc);
        EXPECT_EQ(h, g.hash) << g.fmtName << " target, " << tc.name;
    }
}

}  // namespace
