// Drawing rules of the software Direct3D, checked pixel by pixel through the interfaces.
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "rig.h"

namespace {

const DWORD kWhite = 0xFFFFFFFF;

// Coverage by the fill rule, computed independently with edge functions: a centre strictly
// inside, or on an edge that is a left edge or a horizontal top edge.
bool Covers(const double* x, const double* y, double px, double py) {
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3, k = (i + 2) % 3;
        const double ex = x[j] - x[i], ey = y[j] - y[i];
        const double e = ex * (py - y[i]) - ey * (px - x[i]);
        const double side = ex * (y[k] - y[i]) - ey * (x[k] - x[i]);
        if (side == 0) return false;
        const double s = side > 0 ? e : -e;
        if (s < 0) return false;
        if (s == 0) {
            bool topLeft;
            if (ey == 0) {
                topLeft = y[k] > y[i];  // horizontal, the triangle below: top edge
            } else {
                const double xAt = x[i] + (y[k] - y[i]) * ex / ey;
                topLeft = x[k] > xAt;  // the triangle lies right of it: left edge
            }
            if (!topLeft) return false;
        }
    }
    return true;
}

TEST(Soft3DCoverage, RandomTrianglesMatchTheFillRuleExactly) {
    Rig rig(40, 40, Fmt::XRGB8888);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-8, 44 * 4);  // quarter pixels, some outside
    for (int n = 0; n < 300; ++n) {
        double x[3], y[3];
        for (int i = 0; i < 3; ++i) {
            x[i] = coord(rng) / 4.0;
            y[i] = coord(rng) / 4.0;
        }
        // Every few triangles, integer corners and horizontal or vertical edges.
        if (n % 5 == 0) {
            for (int i = 0; i < 3; ++i) x[i] = std::round(x[i]), y[i] = std::round(y[i]);
            y[1] = y[0];
            x[2] = x[0];
        }
        FillRaw(rig.target, 0);
        rig.Draw(D3DPT_TRIANGLELIST,
                 {V(x[0], y[0], 0, kWhite), V(x[1], y[1], 0, kWhite), V(x[2], y[2], 0, kWhite)});
        int wrong = 0;
        for (int py = 0; py < 40; ++py)
            for (int px = 0; px < 40; ++px)
                if ((rig.Pixel(px, py) != 0) != Covers(x, y, px, py)) ++wrong;
        ASSERT_EQ(wrong, 0) << "triangle " << n << ": (" << x[0] << "," << y[0] << ") (" << x[1]
                            << "," << y[1] << ") (" << x[2] << "," << y[2] << ")";
    }
}

TEST(Soft3DCoverage, SharedEdgesOfAMeshAreDrawnOnce) {
    // A jittered grid of quads, each split into two triangles, drawn additively: every pixel
    // inside the mesh must be hit exactly once.
    Rig rig(64, 64, Fmt::XRGB8888);
    rig.State(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    rig.State(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    rig.State(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> jitter(-2.9f, 2.9f);
    const int n = 8;
    float gx[n + 1][n + 1], gy[n + 1][n + 1];
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            const bool border = i == 0 || j == 0 || i == n || j == n;
            gx[j][i] = 4 + i * 7 + (border ? 0 : jitter(rng));
            gy[j][i] = 4 + j * 7 + (border ? 0 : jitter(rng));
        }
    std::vector<D3DTLVERTEX> tris;
    const DWORD c = 0xFF010101;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            auto p = [&](int a, int b) { return V(gx[b][a], gy[b][a], 0, c); };
            if ((i + j) % 2) {
                tris.insert(tris.end(), {p(i, j), p(i + 1, j), p(i + 1, j + 1)});
                tris.insert(tris.end(), {p(i, j), p(i + 1, j + 1), p(i, j + 1)});
            } else {
                tris.insert(tris.end(), {p(i, j), p(i + 1, j), p(i, j + 1)});
                tris.insert(tris.end(), {p(i + 1, j), p(i + 1, j + 1), p(i, j + 1)});
            }
        }
    rig.Draw(D3DPT_TRIANGLELIST, tris);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool inside = x >= 4 && x < 60 && y >= 4 && y < 60;
            ASSERT_EQ(rig.Pixel(x, y), inside ? 0x010101u : 0u) << "pixel " << x << "," << y;
        }
}

TEST(Soft3DShading, ColourIsInterpolatedLinearly) {
    Rig rig(64, 64, Fmt::XRGB8888);
    const double x[3] = {2, 60, 10}, y[3] = {3, 20, 61};
    const DWORD col[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    rig.Draw(D3DPT_TRIANGLELIST,
             {V(x[0], y[0], 0, col[0]), V(x[1], y[1], 0, col[1]), V(x[2], y[2], 0, col[2])});
    const double area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    int checked = 0;
    for (int py = 0; py < 64; ++py)
        for (int px = 0; px < 64; ++px) {
            if (!Covers(x, y, px, py)) continue;
            const double l1 = ((px - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (py - y[0])) / area;
            const double l2 = ((x[1] - x[0]) * (py - y[0]) - (px - x[0]) * (y[1] - y[0])) / area;
            const double l0 = 1 - l1 - l2;
            const uint32_t p = rig.Pixel(px, py);
            const double want[3] = {255 * l0, 255 * l1, 255 * l2};
            const int got[3] = {int(p >> 16 & 255), int(p >> 8 & 255), int(p & 255)};
            for (int ch = 0; ch < 3; ++ch)
                ASSERT_NEAR(got[ch], want[ch], 1.0)
                    << "pixel " << px << "," << py << " channel " << ch;
            ++checked;
        }
    EXPECT_GT(checked, 1000);
}

TEST(Soft3DDepth, LessEqualTestAndWriteSwitch) {
    for (int bits : {16, 24, 32}) {
        SCOPED_TRACE("depth " + std::to_string(bits));
        Rig rig(16, 16, Fmt::RGB565, bits);
        rig.State(D3DRENDERSTATE_ZENABLE, TRUE);
        auto quad = [&](float z, DWORD c) {
            rig.Draw(D3DPT_TRIANGLELIST, {V(0, 0, z, c), V(16, 0, z, c), V(0, 16, z, c),
                                          V(16, 0, z, c), V(16, 16, z, c), V(0, 16, z, c)});
        };
        quad(0.5f, 0xFFFF0000);
        EXPECT_EQ(rig.Pixel(5, 5), 0xF800u);
        quad(0.75f, 0xFF0000FF);  // behind: hidden
        EXPECT_EQ(rig.Pixel(5, 5), 0xF800u);
        quad(0.5f, 0xFF00FF00);  // equal: passes
        EXPECT_EQ(rig.Pixel(5, 5), 0x07E0u);
        // Without writing, a nearer quad shows but leaves the depth as it was.
        rig.State(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
        const uint32_t before = rig.Z(5, 5);
        quad(0.25f, 0xFFFFFFFF);
        EXPECT_EQ(rig.Pixel(5, 5), 0xFFFFu);
        EXPECT_EQ(rig.Z(5, 5), before);
        rig.State(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
        quad(0.4f, 0xFFFF0000);  // still passes against the unwritten depth
        EXPECT_EQ(rig.Pixel(5, 5), 0xF800u);
        const double maxz = bits == 32 ? 4294967295.0 : double((1u << bits) - 1);
        EXPECT_NEAR(double(rig.Z(5, 5)), 0.4 * maxz, 1.0 + maxz * 1e-7);
        // With the test off, depth neither hides nor is written.
        rig.State(D3DRENDERSTATE_ZENABLE, FALSE);
        quad(0.9f, 0xFF0000FF);
        EXPECT_EQ(rig.Pixel(5, 5), 0x001Fu);
        EXPECT_NEAR(double(rig.Z(5, 5)), 0.4 * maxz, 1.0 + maxz * 1e-7);
    }
}

// An 8x8 texture whose texel (i, j) is red i*4, green j*8 in RGB565.
IDirectDrawSurface* IndexTexture(IDirectDraw* dd, int size) {
    IDirectDrawSurface* t =
        MakeSurface(dd, size, size, Fmt::RGB565, DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY);
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) WriteRaw(t, i, j, (i * 4) << 11 | (j * 8) << 5 | 31);
    return t;
}

D3DTEXTUREHANDLE HandleOf(IDirectDrawSurface* s, IDirect3DDevice2* dev) {
    IDirect3DTexture2* t = nullptr;
    EXPECT_EQ(s->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&t)), S_OK);
    D3DTEXTUREHANDLE h = 0;
    EXPECT_EQ(t->GetHandle(dev, &h), D3D_OK);
    t->Release();
    EXPECT_NE(h, 0u);
    return h;
}

TEST(Soft3DTexture, TiltedCheckerboardIsPerspectiveCorrect) {
    const int W = 96, H = 96;
    Rig rig(W, H, Fmt::RGB565);
    IDirectDrawSurface* tex = IndexTexture(rig.dd, 8);
    rig.State(D3DRENDERSTATE_TEXTUREHANDLE, HandleOf(tex, rig.dev));
    rig.State(D3DRENDERSTATE_TEXTUREPERSPECTIVE, TRUE);
    // A floor square seen at a slant: corners in camera space, projected.
    const double cx[4] = {-1, 1, 1, -1}, cz[4] = {1.2, 1.2, 5, 5}, cy = 0.8;
    const double tu[4] = {0, 1, 1, 0}, tv[4] = {0, 0, 1, 1};
    double sx[4], sy[4], rhw[4];
    D3DTLVERTEX v[4];
    for (int i = 0; i < 4; ++i) {
        sx[i] = 48 + 45 * cx[i] / cz[i];
        sy[i] = 10 + 100 * cy / cz[i];
        rhw[i] = 1 / cz[i];
        v[i] =
            V(float(sx[i]), float(sy[i]), 0.5f, kWhite, float(tu[i]), float(tv[i]), float(rhw[i]));
    }
    rig.Draw(D3DPT_TRIANGLELIST, {v[0], v[1], v[2], v[0], v[2], v[3]});
    int checked = 0, affineWrong = 0;
    const int tris[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (int py = 0; py < H; ++py)
        for (int px = 0; px < W; ++px)
            for (const auto& t : tris) {
                const double x[3] = {sx[t[0]], sx[t[1]], sx[t[2]]};
                const double y[3] = {sy[t[0]], sy[t[1]], sy[t[2]]};
                if (!Covers(x, y, px, py)) continue;
                const double area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
                const double l1 =
                    ((px - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (py - y[0])) / area;
                const double l2 =
                    ((x[1] - x[0]) * (py - y[0]) - (px - x[0]) * (y[1] - y[0])) / area;
                const double l[3] = {1 - l1 - l2, l1, l2};
                double q = 0, su = 0, sv = 0, au = 0, av = 0;
                for (int k = 0; k < 3; ++k) {
                    q += l[k] * rhw[t[k]];
                    su += l[k] * tu[t[k]] * rhw[t[k]];
                    sv += l[k] * tv[t[k]] * rhw[t[k]];
                    au += l[k] * tu[t[k]];
                    av += l[k] * tv[t[k]];
                }
                const double u = su / q * 8, w = sv / q * 8;
                const uint32_t p = rig.Pixel(px, py);
                const int gi = int(p >> 11) / 4, gj = int(p >> 5 & 63) / 8;
                const int ei = std::min(7, int(std::floor(u))),
                          ej = std::min(7, int(std::floor(w)));
                if (std::min(int(std::floor(au * 8)), 7) != ei ||
                    std::min(int(std::floor(av * 8)), 7) != ej)
                    ++affineWrong;
                // Centres within a hair of a texel border may go either way.
                const auto nearBorder = [](double a) {
                    return std::fabs(a - std::round(a)) < 0.01;
                };
                if (nearBorder(u) || nearBorder(w)) continue;
                ASSERT_EQ(gi, ei) << "pixel " << px << "," << py << " u " << u;
                ASSERT_EQ(gj, ej) << "pixel " << px << "," << py << " v " << w;
                ++checked;
            }
    EXPECT_GT(checked, 1200);
    // The scene is slanted enough that affine mapping would put many texels elsewhere.
    EXPECT_GT(affineWrong, 300);
    tex->Release();
}

TEST(Soft3DTexture, WrapsAndModulatesByTheVertexColour) {
    Rig rig(16, 16, Fmt::XRGB8888);
    IDirectDrawSurface* tex = MakeSurface(rig.dd, 2, 2, Fmt::XRGB8888, DDSCAPS_TEXTURE);
    WriteRaw(tex, 0, 0, 0xFF8040);
    WriteRaw(tex, 1, 0, 0x000000);
    WriteRaw(tex, 0, 1, 0x000000);
    WriteRaw(tex, 1, 1, 0xFFFFFF);
    rig.State(D3DRENDERSTATE_TEXTUREHANDLE, HandleOf(tex, rig.dev));
    // u, v from -1 to 1 across 16 pixels: the 2x2 texture repeats twice each way.
    const DWORD c = 0xFF80FF40;
    rig.Draw(D3DPT_TRIANGLELIST,
             {V(0, 0, 0, c, -1, -1), V(16, 0, 0, c, 1, -1), V(0, 16, 0, c, -1, 1),
              V(16, 0, 0, c, 1, -1), V(16, 16, 0, c, 1, 1), V(0, 16, 0, c, -1, 1)});
    // Texel (0,0) under pixel (1,1) and again under (9,9); modulated: round(t*v/255).
    const uint32_t want = (128u << 16) | (128u << 8) | 16u;
    EXPECT_EQ(rig.Pixel(1, 1), want);
    EXPECT_EQ(rig.Pixel(9, 9), want);
    EXPECT_EQ(rig.Pixel(5, 5), 0x80FF40u);  // texel (1,1) white
    EXPECT_EQ(rig.Pixel(5, 1), 0u);
    tex->Release();
}

TEST(Soft3DTexture, ColourKeyComparesTheTexelInTheTexturesFormat) {
    Rig rig(8, 8, Fmt::RGB565, 16);
    rig.State(D3DRENDERSTATE_ZENABLE, TRUE);
    IDirectDrawSurface* tex = MakeSurface(rig.dd, 2, 1, Fmt::RGB565, DDSCAPS_TEXTURE);
    WriteRaw(tex, 0, 0, 0x0000);  // black: keyed
    WriteRaw(tex, 1, 0, 0x0001);  // nearly black: a different 16-bit value, drawn
    DDCOLORKEY key{0, 0};
    ASSERT_EQ(tex->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    rig.State(D3DRENDERSTATE_TEXTUREHANDLE, HandleOf(tex, rig.dev));
    auto draw = [&] {
        FillRaw(rig.target, 0x1234);
        rig.ClearDepth();
        rig.Draw(D3DPT_TRIANGLELIST, {V(0, 0, 0.5f, kWhite, 0, 0), V(8, 0, 0.5f, kWhite, 1, 0),
                                      V(0, 8, 0.5f, kWhite, 0, 1), V(8, 0, 0.5f, kWhite, 1, 0),
                                      V(8, 8, 0.5f, kWhite, 1, 1), V(0, 8, 0.5f, kWhite, 0, 1)});
    };
    rig.State(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
    draw();
    EXPECT_EQ(rig.Pixel(1, 3), 0x1234u);  // keyed: untouched
    EXPECT_EQ(rig.Z(1, 3), 0xFFFFu);      // and no depth written
    EXPECT_EQ(rig.Pixel(6, 3), 0x0001u);  // the near-black texel is drawn
    rig.State(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
    draw();
    EXPECT_EQ(rig.Pixel(1, 3), 0x0000u);
    tex->Release();
}

struct BlendCase {
    const char* name;
    DWORD src, dst;
    uint32_t (*formula)(uint32_t s, uint32_t a, uint32_t d);
};
uint32_t R255(uint32_t x) { return (x + 127) / 255; }
const BlendCase kBlends[] = {
    {"SRCALPHA,INVSRCALPHA", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA,
     [](uint32_t s, uint32_t a, uint32_t d) { return R255(s * a + d * (255 - a)); }},
    {"ONE,INVSRCCOLOR", D3DBLEND_ONE, D3DBLEND_INVSRCCOLOR,
     [](uint32_t s, uint32_t, uint32_t d) {
         return std::min(255u, R255(s * 255 + d * (255 - s)));
     }},
    {"ZERO,INVSRCCOLOR", D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR,
     [](uint32_t s, uint32_t, uint32_t d) { return R255(d * (255 - s)); }},
};

TEST(Soft3DBlend, EachPairFollowsItsFormula) {
    const uint32_t dest = 0x20A0F0, src = 0x60FF10;
    for (const BlendCase& b : kBlends)
        for (uint32_t alpha : {0u, 100u, 255u}) {
            SCOPED_TRACE(std::string(b.name) + " alpha " + std::to_string(alpha));
            Rig rig(8, 8, Fmt::XRGB8888);
            FillRaw(rig.target, dest);
            rig.State(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
            rig.State(D3DRENDERSTATE_SRCBLEND, b.src);
            rig.State(D3DRENDERSTATE_DESTBLEND, b.dst);
            const DWORD c = alpha << 24 | src;
            rig.Draw(D3DPT_TRIANGLELIST, {V(0, 0, 0, c), V(8, 0, 0, c), V(0, 8, 0, c)});
            uint32_t want = 0;
            for (int sh : {16, 8, 0})
                want |= b.formula(src >> sh & 255, alpha, dest >> sh & 255) << sh;
            EXPECT_EQ(rig.Pixel(1, 1), want);
            EXPECT_EQ(rig.Pixel(7, 7), dest);  // outside the triangle
        }
}

TEST(Soft3DFog, HalfwayFactorMixesHalfAndHalf) {
    Rig rig(32, 8, Fmt::XRGB8888);
    rig.State(D3DRENDERSTATE_FOGENABLE, TRUE);
    rig.State(D3DRENDERSTATE_FOGCOLOR, 0xFF0000FF);
    const DWORD red = 0xFFFF0000;
    rig.Draw(D3DPT_TRIANGLELIST,
             {V(0, 0, 0, red, 0, 0, 1, 127u << 24), V(8, 0, 0, red, 0, 0, 1, 127u << 24),
              V(0, 8, 0, red, 0, 0, 1, 127u << 24)});
    // f = 127/255: red 127, fog blue 128.
    EXPECT_EQ(rig.Pixel(1, 1), (127u << 16) | 128u);
    // The factor is interpolated: 255 at the left, 0 at the right.
    rig.Draw(D3DPT_TRIANGLELIST,
             {V(8, 0, 0, red, 0, 0, 1, 0xFF000000), V(32, 0, 0, red, 0, 0, 1, 0),
              V(8, 8, 0, red, 0, 0, 1, 0xFF000000), V(32, 0, 0, red, 0, 0, 1, 0),
              V(32, 8, 0, red, 0, 0, 1, 0), V(8, 8, 0, red, 0, 0, 1, 0xFF000000)});
    EXPECT_EQ(rig.Pixel(8, 4), 0xFF0000u);
    const uint32_t mid = rig.Pixel(20, 4);  // halfway
    EXPECT_NEAR(double(mid >> 16), 127.5, 1.5);
    EXPECT_NEAR(double(mid & 255), 127.5, 1.5);
    // Fog off: the colour as it is.
    rig.State(D3DRENDERSTATE_FOGENABLE, FALSE);
    rig.Draw(D3DPT_TRIANGLELIST, {V(0, 0, 0, red, 0, 0, 1, 0), V(8, 0, 0, red, 0, 0, 1, 0),
                                  V(0, 8, 0, red, 0, 0, 1, 0)});
    EXPECT_EQ(rig.Pixel(1, 1), 0xFF0000u);
}

TEST(Soft3DLines, ClosedStripDrawsEachPixelOnce) {
    Rig rig(24, 24, Fmt::XRGB8888);
    rig.State(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    rig.State(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    rig.State(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    const DWORD c = 0xFF010101;
    rig.Draw(D3DPT_LINESTRIP, {V(2, 2, 0, c), V(20, 2, 0, c), V(20, 14, 0, c), V(2, 2, 0, c)});
    int drawn = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            const uint32_t p = rig.Pixel(x, y);
            ASSERT_TRUE(p == 0 || p == 0x010101) << "pixel " << x << "," << y << " drawn twice";
            drawn += p != 0;
        }
    // Horizontal run 2..19 at y 2, vertical run 2..13 at x 20, diagonal back over 18 columns.
    for (int x = 2; x < 20; ++x) EXPECT_EQ(rig.Pixel(x, 2), 0x010101u) << "x " << x;
    for (int y = 2; y < 14; ++y) EXPECT_EQ(rig.Pixel(20, y), 0x010101u) << "y " << y;
    EXPECT_EQ(rig.Pixel(20, 14), 0x010101u);  // first pixel of the diagonal
    EXPECT_EQ(drawn, 18 + 12 + 18);
}

TEST(Soft3DLines, ColourAndDepthAlongTheLine) {
    Rig rig(32, 4, Fmt::XRGB8888, 16);
    rig.State(D3DRENDERSTATE_ZENABLE, TRUE);
    rig.Draw(D3DPT_LINESTRIP, {V(0, 1, 0.2f, 0xFF000000), V(30, 1, 0.2f, 0xFFF00000)});
    EXPECT_EQ(rig.Pixel(0, 1), 0u);
    EXPECT_NEAR(double(rig.Pixel(15, 1) >> 16), 120, 1);
    // A farther line crossing it is hidden where they meet.
    rig.Draw(D3DPT_LINESTRIP, {V(15, 0, 0.8f, 0xFF0000FF), V(15, 4, 0.8f, 0xFF0000FF)});
    EXPECT_EQ(rig.Pixel(15, 0), 0xFFu);
    EXPECT_NEAR(double(rig.Pixel(15, 1) >> 16), 120, 1);
}

struct ClipCase {
    const char* edge;
    std::vector<D3DTLVERTEX> tri;
};

TEST(Soft3DClip, NothingLeavesTheViewport) {
    const DWORD c = 0xFFFFFFFF;
    const ClipCase cases[] = {
        {"left", {V(-20, 10, 0, c), V(10, 6, 0, c), V(10, 14, 0, c)}},
        {"right", {V(40, 10, 0, c), V(12, 6, 0, c), V(12, 14, 0, c)}},
        {"top", {V(10, -20, 0, c), V(6, 12, 0, c), V(14, 12, 0, c)}},
        {"bottom", {V(10, 40, 0, c), V(6, 10, 0, c), V(14, 10, 0, c)}},
        {"all", {V(-100, -100, 0, c), V(300, -100, 0, c), V(-100, 300, 0, c)}},
        {"far away", {V(-1e7f, -1e7f, 0, c), V(1e7f, -1e7f, 0, c), V(0, 1e7f, 0, c)}},
    };
    for (const ClipCase& k : cases) {
        SCOPED_TRACE(k.edge);
        Rig rig(32, 32, Fmt::RGB555);
        rig.SetViewport(4, 5, 20, 16);  // x 4..23, y 5..20
        rig.Draw(D3DPT_TRIANGLELIST, k.tri);
        int inside = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const bool in = x >= 4 && x < 24 && y >= 5 && y < 21;
                if (!in) {
                    ASSERT_EQ(rig.Pixel(x, y), 0u) << "pixel " << x << "," << y;
                }
                inside += in && rig.Pixel(x, y) == 0x7FFF;
            }
        EXPECT_GT(inside, 0);
        if (std::string(k.edge) == "all" || std::string(k.edge) == "far away") {
            EXPECT_EQ(inside, 20 * 16);
        }
    }
    // Lines are clipped the same way.
    Rig rig(32, 32, Fmt::RGB555);
    rig.SetViewport(4, 5, 20, 16);
    rig.Draw(D3DPT_LINESTRIP, {V(-50, 10, 0, c), V(80, 10, 0, c)});
    for (int x = 0; x < 32; ++x)
        EXPECT_EQ(rig.Pixel(x, 10), (x >= 4 && x < 24) ? 0x7FFFu : 0u) << x;
}

TEST(Soft3DDraw, RefusesWhatItDoesNotDraw) {
    Rig rig(8, 8, Fmt::RGB565);
    D3DTLVERTEX v[3] = {V(0, 0, 0, kWhite), V(8, 0, 0, kWhite), V(0, 8, 0, kWhite)};
    EXPECT_EQ(rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v, 3, 0),
              D3DERR_SCENE_NOT_IN_SCENE);
    ASSERT_EQ(rig.dev->BeginScene(), D3D_OK);
    EXPECT_EQ(rig.dev->BeginScene(), D3DERR_SCENE_IN_SCENE);
    EXPECT_EQ(rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_LVERTEX, v, 3, 0),
              D3DERR_INVALIDVERTEXTYPE);
    EXPECT_EQ(rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v, 3, 0), D3D_OK);
    EXPECT_EQ(rig.dev->EndScene(), D3D_OK);
    EXPECT_EQ(rig.Pixel(1, 1), 0xFFFFu);
}

}  // namespace
