// The rasterizer: exact edge walking in 1/16-pixel fixed point, attributes from plane
// equations evaluated once per span and stepped per pixel, and span kernels specialised by
// target format, depth width, texturing and blending (the rules are in raster.h).
#include "soft3d/raster.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

namespace soft3d {
using std::ptrdiff_t;
namespace {

enum Blend {
    kZero = 1,
    kOne = 2,
    kSrcColor = 3,
    kInvSrcColor = 4,
    kSrcAlpha = 5,
    kInvSrcAlpha = 6,
    kDestColor = 9,
    kInvDestColor = 10
};

// round(x / 255) for 0 <= x <= 2·255·255.
inline uint32_t Div255(uint32_t x) { return (x + 127) / 255; }

inline uint32_t Pack(Format f, uint32_t r, uint32_t g, uint32_t b) {
    switch (f) {
        case Format::RGB565:
            return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
        case Format::RGB555:
            return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
        default:
            return (r << 16) | (g << 8) | b;
    }
}

inline void Unpack(Format f, uint32_t p, uint32_t& r, uint32_t& g, uint32_t& b) {
    switch (f) {
        case Format::RGB565:
            r = (p >> 11) & 31;
            g = (p >> 5) & 63;
            b = p & 31;
            r = (r << 3) | (r >> 2);
            g = (g << 2) | (g >> 4);
            b = (b << 3) | (b >> 2);
            break;
        case Format::RGB555:
            r = (p >> 10) & 31;
            g = (p >> 5) & 31;
            b = p & 31;
            r = (r << 3) | (r >> 2);
            g = (g << 3) | (g >> 2);
            b = (b << 3) | (b >> 2);
            break;
        default:
            r = (p >> 16) & 255;
            g = (p >> 8) & 255;
            b = p & 255;
            break;
    }
}

inline uint32_t Factor(int code, uint32_t s, uint32_t a, uint32_t d) {
    switch (code) {
        case kZero:
            return 0;
        case kOne:
            return 255;
        case kSrcColor:
            return s;
        case kInvSrcColor:
            return 255 - s;
        case kSrcAlpha:
            return a;
        case kInvSrcAlpha:
            return 255 - a;
        case kDestColor:
            return d;
        case kInvDestColor:
            return 255 - d;
        default:
            return 255;
    }
}

// What a span kernel needs besides the interpolated values.
struct SpanCtx {
    // texture
    const uint8_t* tex;
    int texPitch;
    int tw, th;
    float fw, fh;
    bool pow2;
    Format texFormat;
    bool colorKey;
    uint32_t keyLow, keyHigh;
    // fog
    bool fog;
    uint32_t fogR, fogG, fogB;
    // depth and blending
    bool zWrite;
    int srcBlend, dstBlend;
};

// Values at the span's first pixel and their steps per pixel. Colours and z are 16.16 fixed
// point (rounding already added), the texture terms floats.
struct SpanVals {
    int64_t z, dz;
    int32_t r, g, b, a, f;
    int32_t dr, dg, db, da, df;
    float s, t, q, ds, dt, dq;
};

inline int WrapIndex(float x, int size, bool pow2) {
    int i = static_cast<int>(x);
    i -= (x < static_cast<float>(i)) ? 1 : 0;
    if (pow2) return i & (size - 1);
    i %= size;
    return i < 0 ? i + size : i;
}

inline uint32_t FetchTexel(const SpanCtx& c, int x, int y) {
    const uint8_t* row = c.tex + static_cast<ptrdiff_t>(y) * c.texPitch;
    if (c.texFormat == Format::XRGB8888) {
        uint32_t v;
        std::memcpy(&v, row + x * 4, 4);
        return v & 0xFFFFFFu;
    }
    uint16_t v;
    std::memcpy(&v, row + x * 2, 2);
    return v;
}

template <Format F, int ZK, bool TEX, bool BLEND>
void SpanKernel(const SpanCtx& c, SpanVals v, uint8_t* colorRow, uint8_t* depthRow, int x0, int n) {
    using Pixel = std::conditional_t<F == Format::XRGB8888, uint32_t, uint16_t>;
    using ZValue = std::conditional_t<ZK == 16, uint16_t, uint32_t>;
    Pixel* dst = reinterpret_cast<Pixel*>(colorRow) + x0;
    ZValue* zp = ZK ? reinterpret_cast<ZValue*>(depthRow) + x0 : nullptr;
    for (int i = 0; i < n; ++i) {
        do {
            uint32_t zv = 0;
            if constexpr (ZK != 0) {
                zv = static_cast<uint32_t>(v.z >> 16);
                if (zv > zp[i]) break;
            }
            uint32_t r = static_cast<uint32_t>(v.r >> 16);
            uint32_t g = static_cast<uint32_t>(v.g >> 16);
            uint32_t b = static_cast<uint32_t>(v.b >> 16);
            if constexpr (TEX) {
                const float w = 1.0f / v.q;
                const int tx = WrapIndex(v.s * w * c.fw, c.tw, c.pow2);
                const int ty = WrapIndex(v.t * w * c.fh, c.th, c.pow2);
                const uint32_t texel = FetchTexel(c, tx, ty);
                if (c.colorKey && texel >= c.keyLow && texel <= c.keyHigh) break;
                uint32_t tr, tg, tb;
                Unpack(c.texFormat, texel, tr, tg, tb);
                r = Div255(r * tr);
                g = Div255(g * tg);
                b = Div255(b * tb);
            }
            if (c.fog) {
                const uint32_t f = static_cast<uint32_t>(v.f >> 16);
                r = Div255(f * r + (255 - f) * c.fogR);
                g = Div255(f * g + (255 - f) * c.fogG);
                b = Div255(f * b + (255 - f) * c.fogB);
            }
            if constexpr (BLEND) {
                const uint32_t a = static_cast<uint32_t>(v.a >> 16);
                uint32_t dr, dg, db;
                Unpack(F, dst[i], dr, dg, db);
                r = std::min<uint32_t>(255, Div255(r * Factor(c.srcBlend, r, a, dr) +
                                                   dr * Factor(c.dstBlend, r, a, dr)));
                g = std::min<uint32_t>(255, Div255(g * Factor(c.srcBlend, g, a, dg) +
                                                   dg * Factor(c.dstBlend, g, a, dg)));
                b = std::min<uint32_t>(255, Div255(b * Factor(c.srcBlend, b, a, db) +
                                                   db * Factor(c.dstBlend, b, a, db)));
            }
            dst[i] = static_cast<Pixel>(Pack(F, r, g, b));
            if constexpr (ZK != 0) {
                if (c.zWrite) zp[i] = static_cast<ZValue>(zv);
            }
        } while (false);
        if constexpr (ZK != 0) v.z += v.dz;
        v.r += v.dr;
        v.g += v.dg;
        v.b += v.db;
        if constexpr (BLEND) v.a += v.da;
        v.f += v.df;
        if constexpr (TEX) {
            v.s += v.ds;
            v.t += v.dt;
            v.q += v.dq;
        }
    }
}

using SpanFn = void (*)(const SpanCtx&, SpanVals, uint8_t*, uint8_t*, int, int);

template <Format F, int ZK>
constexpr SpanFn Pick(bool tex, bool blend) {
    if (tex) return blend ? SpanKernel<F, ZK, true, true> : SpanKernel<F, ZK, true, false>;
    return blend ? SpanKernel<F, ZK, false, true> : SpanKernel<F, ZK, false, false>;
}

template <Format F>
SpanFn PickZ(int zk, bool tex, bool blend) {
    switch (zk) {
        case 16:
            return Pick<F, 16>(tex, blend);
        case 32:
            return Pick<F, 32>(tex, blend);
        default:
            return Pick<F, 0>(tex, blend);
    }
}

SpanFn PickKernel(Format f, int zk, bool tex, bool blend) {
    switch (f) {
        case Format::RGB565:
            return PickZ<Format::RGB565>(zk, tex, blend);
        case Format::RGB555:
            return PickZ<Format::RGB555>(zk, tex, blend);
        default:
            return PickZ<Format::XRGB8888>(zk, tex, blend);
    }
}

// Everything that holds for the whole primitive.
struct Setup {
    SpanFn kernel;
    SpanCtx ctx;
    int zk;
    double zScale;  // z to depth units
    bool textured;
    bool blend;
    int clipL, clipT, clipR, clipB;
    uint8_t* colorBase;
    int colorPitch;
    uint8_t* depthBase;
    int depthPitch;
};

// Returns false when nothing can be drawn at all.
bool Prepare(const Image& target, const Depth& depth, const State& st, Setup& s) {
    if (!target.bits) return false;
    s.clipL = std::max(0, st.clipLeft);
    s.clipT = std::max(0, st.clipTop);
    s.clipR = std::min(target.width, st.clipRight);
    s.clipB = std::min(target.height, st.clipBottom);
    const bool haveDepth = st.zEnable && depth.bits && depth.depthBits > 0;
    s.zk = haveDepth ? (depth.depthBits == 16 ? 16 : 32) : 0;
    if (haveDepth) {
        s.clipR = std::min(s.clipR, depth.width);
        s.clipB = std::min(s.clipB, depth.height);
    }
    if (s.clipL >= s.clipR || s.clipT >= s.clipB) return false;
    s.zScale = haveDepth ? static_cast<double>(DepthMax(depth.depthBits)) : 0.0;
    const Texture* tex = st.texture;
    s.textured = tex && tex->bits && tex->width > 0 && tex->height > 0;
    // Blending that cannot change the source is left out (the usual SRCALPHA/INVSRCALPHA pair
    // with opaque vertices is decided per primitive by the caller).
    s.blend = st.blend && !(st.srcBlend == kOne && st.dstBlend == kZero);
    SpanCtx& c = s.ctx;
    c = SpanCtx{};
    if (s.textured) {
        c.tex = tex->bits;
        c.texPitch = tex->pitch;
        c.tw = tex->width;
        c.th = tex->height;
        c.fw = static_cast<float>(tex->width);
        c.fh = static_cast<float>(tex->height);
        c.pow2 = (tex->width & (tex->width - 1)) == 0 && (tex->height & (tex->height - 1)) == 0;
        c.texFormat = tex->format;
        c.colorKey = st.colorKey && tex->keyed;
        c.keyLow = tex->keyLow;
        c.keyHigh = tex->keyHigh;
    }
    c.fog = st.fog;
    c.fogR = (st.fogColor >> 16) & 255;
    c.fogG = (st.fogColor >> 8) & 255;
    c.fogB = st.fogColor & 255;
    c.zWrite = st.zWrite;
    c.srcBlend = st.srcBlend;
    c.dstBlend = st.dstBlend;
    s.colorBase = target.bits;
    s.colorPitch = target.pitch;
    s.depthBase = haveDepth ? depth.bits : nullptr;
    s.depthPitch = depth.pitch;
    return true;
}

// Per-vertex attributes in the units the kernels use.
struct Attr {
    double z, r, g, b, a, f, s, t, q;
};
constexpr int kAttrs = 9;

inline double& At(Attr& a, int i) { return (&a.z)[i]; }
inline double At(const Attr& a, int i) { return (&a.z)[i]; }

Attr MakeAttr(const Setup& s, const State& st, const Vertex& v, double uOff, double vOff) {
    Attr a;
    a.z = std::clamp(static_cast<double>(v.sz), 0.0, 1.0) * s.zScale;
    a.a = (v.color >> 24) & 255;
    a.r = (v.color >> 16) & 255;
    a.g = (v.color >> 8) & 255;
    a.b = v.color & 255;
    a.f = (v.specular >> 24) & 255;
    const double q = st.perspective ? static_cast<double>(v.rhw) : 1.0;
    a.q = q;
    a.s = (static_cast<double>(v.tu) - uOff) * q;
    a.t = (static_cast<double>(v.tv) - vOff) * q;
    return a;
}

inline int32_t ClampFixed(int64_t v, int64_t hi) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, 0, hi));
}

constexpr int64_t kColorHi = 255 * 65536 + 65535;

// Rounds to the nearest integer without a library call; the clamp keeps absurd gradients of
// sliver triangles from overflowing.
inline int64_t RoundFixed(double x) {
    x = std::clamp(x, -4e18, 4e18);
    return static_cast<int64_t>(x >= 0 ? x + 0.5 : x - 0.5);
}

// Per-pixel steps of a primitive: colours and z in 16.16 fixed point, texture terms as floats.
struct SpanGrad {
    int64_t fixed[6];  // z, r, g, b, a, f
    float tex[3];      // s, t, q
};

SpanGrad MakeGrad(const double* grad) {
    SpanGrad g;
    for (int i = 0; i < 6; ++i) g.fixed[i] = RoundFixed(grad[i] * 65536.0);
    for (int i = 0; i < 3; ++i) g.tex[i] = static_cast<float>(grad[6 + i]);
    return g;
}

// Fills the span values of a run of n pixels from the start values and the steps, keeping
// every colour and depth inside its range along the whole run.
void MakeSpan(const Setup& s, const double* start, const SpanGrad& g, int n, SpanVals& v) {
    auto fixedChannel = [&](int i, int64_t hi, int64_t& val, int64_t& step) {
        int64_t v0 = std::clamp<int64_t>(RoundFixed(start[i] * 65536.0) + 32768, 0, hi);
        int64_t d = g.fixed[i];
        if (n > 1) {
            int64_t end = v0 + d * (n - 1);
            if (end < 0 || end > hi) {
                end = std::clamp<int64_t>(end, 0, hi);
                d = (end - v0) / (n - 1);
            }
        }
        val = v0;
        step = d;
    };
    int64_t val, step;
    fixedChannel(1, kColorHi, val, step);
    v.r = static_cast<int32_t>(val), v.dr = static_cast<int32_t>(step);
    fixedChannel(2, kColorHi, val, step);
    v.g = static_cast<int32_t>(val), v.dg = static_cast<int32_t>(step);
    fixedChannel(3, kColorHi, val, step);
    v.b = static_cast<int32_t>(val), v.db = static_cast<int32_t>(step);
    fixedChannel(4, kColorHi, val, step);
    v.a = static_cast<int32_t>(val), v.da = static_cast<int32_t>(step);
    fixedChannel(5, kColorHi, val, step);
    v.f = static_cast<int32_t>(val), v.df = static_cast<int32_t>(step);
    if (s.zk) {
        fixedChannel(0, static_cast<int64_t>(s.zScale) * 65536 + 65535, v.z, v.dz);
    } else {
        v.z = v.dz = 0;
    }
    v.s = static_cast<float>(start[6]);
    v.t = static_cast<float>(start[7]);
    v.q = static_cast<float>(start[8]);
    v.ds = g.tex[0];
    v.dt = g.tex[1];
    v.dq = g.tex[2];
}

inline int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// Walks one edge from top to bottom: x is the first pixel column at or right of the edge on
// the current scanline (ceil of the exact crossing), kept exact with a remainder.
struct EdgeWalk {
    int64_t x, rem, den, qStep, remStep;
    void Init(int64_t xa, int64_t ya, int64_t xb, int64_t yb, int y) {
        const int64_t dy = yb - ya, dx = xb - xa;
        den = 16 * dy;
        const int64_t m = xa * dy + (int64_t{y} * 16 - ya) * dx + den - 1;
        x = FloorDiv(m, den);
        rem = m - x * den;
        const int64_t stepN = 16 * dx;
        qStep = FloorDiv(stepN, den);
        remStep = stepN - qStep * den;
    }
    void Step() {
        x += qStep;
        rem += remStep;
        if (rem >= den) {
            rem -= den;
            ++x;
        }
    }
};

// Positions beyond this many pixels are clipped geometrically first, so that the fixed-point
// walk stays exact.
constexpr float kGuard = 16384.0f;

struct ClipVertex {
    double x, y;
    Attr a;
};

void RasterizeTriangle(const Setup& s, const ClipVertex* cv[3]);

// Sutherland-Hodgman against the guard band; attributes are linear in screen space, so
// linear interpolation keeps them exact.
void GuardClipAndDraw(const Setup& s, const ClipVertex& a, const ClipVertex& b,
                      const ClipVertex& c) {
    std::vector<ClipVertex> poly{a, b, c}, next;
    const double lim = kGuard;
    for (int plane = 0; plane < 4; ++plane) {
        next.clear();
        auto dist = [&](const ClipVertex& v) {
            switch (plane) {
                case 0:
                    return v.x + lim;
                case 1:
                    return lim - v.x;
                case 2:
                    return v.y + lim;
                default:
                    return lim - v.y;
            }
        };
        for (size_t i = 0; i < poly.size(); ++i) {
            const ClipVertex& p = poly[i];
            const ClipVertex& q = poly[(i + 1) % poly.size()];
            const double dp = dist(p), dq = dist(q);
            if (dp >= 0) next.push_back(p);
            if ((dp >= 0) != (dq >= 0)) {
                const double t = dp / (dp - dq);
                ClipVertex m;
                m.x = p.x + (q.x - p.x) * t;
                m.y = p.y + (q.y - p.y) * t;
                for (int k = 0; k < kAttrs; ++k)
                    At(m.a, k) = At(p.a, k) + (At(q.a, k) - At(p.a, k)) * t;
                next.push_back(m);
            }
        }
        poly.swap(next);
        if (poly.size() < 3) return;
    }
    for (size_t i = 1; i + 1 < poly.size(); ++i) {
        const ClipVertex* tri[3] = {&poly[0], &poly[i], &poly[i + 1]};
        RasterizeTriangle(s, tri);
    }
}

void RasterizeTriangle(const Setup& s, const ClipVertex* cv[3]) {
    // Snap to 1/16 pixel.
    int64_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
        X[i] = RoundFixed(cv[i]->x * 16.0);
        Y[i] = RoundFixed(cv[i]->y * 16.0);
    }
    // Plane equations of the attributes over the snapped positions.
    const double x0 = X[0] / 16.0, y0 = Y[0] / 16.0;
    const double x1 = X[1] / 16.0 - x0, y1 = Y[1] / 16.0 - y0;
    const double x2 = X[2] / 16.0 - x0, y2 = Y[2] / 16.0 - y0;
    const double area = x1 * y2 - x2 * y1;
    if (area == 0.0) return;
    const double inv = 1.0 / area;
    double base[kAttrs], ddx[kAttrs], ddy[kAttrs];
    for (int k = 0; k < kAttrs; ++k) {
        const double a0 = At(cv[0]->a, k);
        const double a1 = At(cv[1]->a, k) - a0, a2 = At(cv[2]->a, k) - a0;
        base[k] = a0;
        ddx[k] = (a1 * y2 - a2 * y1) * inv;
        ddy[k] = (a2 * x1 - a1 * x2) * inv;
    }
    // Sort by y: top, middle, bottom.
    int o[3] = {0, 1, 2};
    if (Y[o[1]] < Y[o[0]]) std::swap(o[0], o[1]);
    if (Y[o[2]] < Y[o[1]]) std::swap(o[1], o[2]);
    if (Y[o[1]] < Y[o[0]]) std::swap(o[0], o[1]);
    const int64_t xt = X[o[0]], yt = Y[o[0]], xm = X[o[1]], ym = Y[o[1]], xb = X[o[2]],
                  yb = Y[o[2]];
    const int64_t side = (xm - xt) * (yb - yt) - (ym - yt) * (xb - xt);
    if (side == 0) return;
    const bool longLeft = side > 0;  // the middle vertex lies right of the long edge

    auto ceil16 = [](int64_t v) { return static_cast<int>((v + 15) >> 4); };
    const int yStart = std::max(ceil16(yt), s.clipT);
    const int yMid = ceil16(ym);
    const int yEnd = std::min(ceil16(yb), s.clipB);
    if (yStart >= yEnd) return;

    EdgeWalk longE, shortE;
    longE.Init(xt, yt, xb, yb, yStart);
    bool upper = yStart < yMid;
    if (upper)
        shortE.Init(xt, yt, xm, ym, yStart);
    else
        shortE.Init(xm, ym, xb, yb, yStart);

    double start[kAttrs];
    SpanVals v;
    const SpanGrad grad = MakeGrad(ddx);
    for (int y = yStart; y < yEnd; ++y) {
        if (upper && y >= yMid) {
            upper = false;
            shortE.Init(xm, ym, xb, yb, y);
        }
        const EdgeWalk& le = longLeft ? longE : shortE;
        const EdgeWalk& re = longLeft ? shortE : longE;
        const int xl = static_cast<int>(std::max<int64_t>(le.x, s.clipL));
        const int xr = static_cast<int>(std::min<int64_t>(re.x, s.clipR));
        if (xl < xr) {
            const double dx = xl - x0, dy = y - y0;
            for (int k = 0; k < kAttrs; ++k) start[k] = base[k] + ddx[k] * dx + ddy[k] * dy;
            MakeSpan(s, start, grad, xr - xl, v);
            s.kernel(s.ctx, v, s.colorBase + static_cast<ptrdiff_t>(y) * s.colorPitch,
                     s.depthBase ? s.depthBase + static_cast<ptrdiff_t>(y) * s.depthPitch : nullptr,
                     xl, xr - xl);
        }
        longE.Step();
        shortE.Step();
    }
}

bool Finite(const Vertex& v) {
    return std::isfinite(v.sx) && std::isfinite(v.sy) && std::isfinite(v.sz) &&
           std::isfinite(v.rhw) && std::isfinite(v.tu) && std::isfinite(v.tv);
}

}  // namespace

uint32_t PackColor(Format format, uint32_t xrgb) {
    return Pack(format, (xrgb >> 16) & 255, (xrgb >> 8) & 255, xrgb & 255);
}

uint32_t UnpackColor(Format format, uint32_t pixel) {
    uint32_t r, g, b;
    Unpack(format, pixel, r, g, b);
    return (r << 16) | (g << 8) | b;
}

void DrawTriangle(const Image& target, const Depth& depth, const State& state, const Vertex& a,
                  const Vertex& b, const Vertex& c) {
    if (!Finite(a) || !Finite(b) || !Finite(c)) return;
    Setup s;
    if (!Prepare(target, depth, state, s)) return;
    if (s.textured && state.perspective && !(a.rhw > 0 && b.rhw > 0 && c.rhw > 0)) return;
    bool blend = s.blend;
    // The usual blend with three opaque vertices leaves the source as it is.
    if (blend && state.srcBlend == kSrcAlpha && state.dstBlend == kInvSrcAlpha &&
        (a.color >> 24) == 255 && (b.color >> 24) == 255 && (c.color >> 24) == 255)
        blend = false;
    s.kernel = PickKernel(target.format, s.zk, s.textured, blend);
    // Texture coordinates are moved by a whole number of repeats near 0 (wrap addressing makes
    // that invisible), which keeps the per-pixel float terms small.
    double uOff = 0, vOff = 0;
    if (s.textured) {
        uOff = std::floor(static_cast<double>(a.tu));
        vOff = std::floor(static_cast<double>(a.tv));
    }
    ClipVertex cv[3];
    const Vertex* in[3] = {&a, &b, &c};
    bool outside = false;
    for (int i = 0; i < 3; ++i) {
        cv[i].x = in[i]->sx;
        cv[i].y = in[i]->sy;
        cv[i].a = MakeAttr(s, state, *in[i], uOff, vOff);
        outside = outside || std::fabs(in[i]->sx) > kGuard || std::fabs(in[i]->sy) > kGuard;
    }
    if (outside) {
        GuardClipAndDraw(s, cv[0], cv[1], cv[2]);
        return;
    }
    const ClipVertex* tri[3] = {&cv[0], &cv[1], &cv[2]};
    RasterizeTriangle(s, tri);
}

void DrawLine(const Image& target, const Depth& depth, const State& state, const Vertex& a,
              const Vertex& b) {
    if (!Finite(a) || !Finite(b)) return;
    State st = state;
    st.texture = nullptr;
    Setup s;
    if (!Prepare(target, depth, st, s)) return;
    bool blend = s.blend;
    if (blend && st.srcBlend == kSrcAlpha && st.dstBlend == kInvSrcAlpha &&
        (a.color >> 24) == 255 && (b.color >> 24) == 255)
        blend = false;
    s.kernel = PickKernel(target.format, s.zk, false, blend);
    Attr aa = MakeAttr(s, st, a, 0, 0), ab = MakeAttr(s, st, b, 0, 0);
    double x0 = a.sx, y0 = a.sy, x1 = b.sx, y1 = b.sy;
    const bool xMajor = std::fabs(x1 - x0) >= std::fabs(y1 - y0);
    const double m0 = xMajor ? x0 : y0, m1 = xMajor ? x1 : y1;
    const double n0 = xMajor ? y0 : x0, n1 = xMajor ? y1 : x1;
    const int64_t p0 = static_cast<int64_t>(std::floor(m0 + 0.5));
    const int64_t p1 = static_cast<int64_t>(std::floor(m1 + 0.5));
    if (p0 == p1) return;
    const int dir = p1 > p0 ? 1 : -1;
    // Only the part of the run inside the clip rectangle is stepped through.
    const int64_t lo = xMajor ? s.clipL : s.clipT, hi = (xMajor ? s.clipR : s.clipB) - 1;
    int64_t first = p0, last = p1 - dir;
    if (dir > 0) {
        first = std::max(first, lo);
        last = std::min(last, hi);
    } else {
        first = std::min(first, hi);
        last = std::max(last, lo);
    }
    if ((last - first) * dir < 0) return;
    const double span = m1 - m0;
    SpanVals v{};
    double vals[kAttrs];
    const double zero[kAttrs] = {};
    const SpanGrad still = MakeGrad(zero);
    for (int64_t p = first;; p += dir) {
        const double t = std::clamp((p - m0) / span, 0.0, 1.0);
        const int64_t q = static_cast<int64_t>(std::floor(n0 + (n1 - n0) * t + 0.5));
        const int64_t px = xMajor ? p : q, py = xMajor ? q : p;
        if (px >= s.clipL && px < s.clipR && py >= s.clipT && py < s.clipB) {
            for (int k = 0; k < kAttrs; ++k) vals[k] = At(aa, k) + (At(ab, k) - At(aa, k)) * t;
            MakeSpan(s, vals, still, 1, v);
            s.kernel(
                s.ctx, v, s.colorBase + static_cast<ptrdiff_t>(py) * s.colorPitch,
                s.depthBase ? s.depthBase + static_cast<ptrdiff_t>(py) * s.depthPitch : nullptr,
                static_cast<int>(px), 1);
        }
        if (p == last) break;
    }
}

void FillImage(const Image& image, int left, int top, int right, int bottom, uint32_t pixel) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, image.width);
    bottom = std::min(bottom, image.height);
    if (!image.bits || left >= right || top >= bottom) return;
    for (int y = top; y < bottom; ++y) {
        uint8_t* row = image.bits + static_cast<ptrdiff_t>(y) * image.pitch;
        if (image.format == Format::XRGB8888) {
            std::fill_n(reinterpret_cast<uint32_t*>(row) + left, right - left, pixel);
        } else {
            std::fill_n(reinterpret_cast<uint16_t*>(row) + left, right - left,
                        static_cast<uint16_t>(pixel));
        }
    }
}

void FillDepth(const Depth& depth, int left, int top, int right, int bottom, uint32_t value) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, depth.width);
    bottom = std::min(bottom, depth.height);
    if (!depth.bits || left >= right || top >= bottom) return;
    for (int y = top; y < bottom; ++y) {
        uint8_t* row = depth.bits + static_cast<ptrdiff_t>(y) * depth.pitch;
        if (depth.depthBits == 16) {
            std::fill_n(reinterpret_cast<uint16_t*>(row) + left, right - left,
                        static_cast<uint16_t>(value));
        } else {
            std::fill_n(reinterpret_cast<uint32_t*>(row) + left, right - left, value);
        }
    }
}

}  // namespace soft3d
