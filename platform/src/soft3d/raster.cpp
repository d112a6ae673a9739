// The rasterizer: exact edge walking in 1/16-pixel fixed point, attributes from plane
// equations evaluated once per span and stepped per pixel, and span kernels specialised by
// target format, depth width, texture format, fog and blending, chosen once per primitive and
// drawing four pixels at a time in SSE2 (the rules are in raster.h).
#include "soft3d/raster.h"

#include "soft3d/pixel_math.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

#include <emmintrin.h>
#include <xmmintrin.h>

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

template <Format F>
inline uint32_t Pack(uint32_t r, uint32_t g, uint32_t b) {
    if constexpr (F == Format::RGB565) return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    if constexpr (F == Format::RGB555) return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    return (r << 16) | (g << 8) | b;
}

template <Format F>
inline void Unpack(uint32_t p, uint32_t& r, uint32_t& g, uint32_t& b) {
    if constexpr (F == Format::RGB565) {
        r = (p >> 11) & 31;
        g = (p >> 5) & 63;
        b = p & 31;
        r = (r << 3) | (r >> 2);
        g = (g << 2) | (g >> 4);
        b = (b << 3) | (b >> 2);
    } else if constexpr (F == Format::RGB555) {
        r = (p >> 10) & 31;
        g = (p >> 5) & 31;
        b = p & 31;
        r = (r << 3) | (r >> 2);
        g = (g << 3) | (g >> 2);
        b = (b << 3) | (b >> 2);
    } else {
        r = (p >> 16) & 255;
        g = (p >> 8) & 255;
        b = p & 255;
    }
}

inline uint32_t Pack(Format f, uint32_t r, uint32_t g, uint32_t b) {
    switch (f) {
        case Format::RGB565:
            return Pack<Format::RGB565>(r, g, b);
        case Format::RGB555:
            return Pack<Format::RGB555>(r, g, b);
        default:
            return Pack<Format::XRGB8888>(r, g, b);
    }
}

inline void Unpack(Format f, uint32_t p, uint32_t& r, uint32_t& g, uint32_t& b) {
    switch (f) {
        case Format::RGB565:
            return Unpack<Format::RGB565>(p, r, g, b);
        case Format::RGB555:
            return Unpack<Format::RGB555>(p, r, g, b);
        default:
            return Unpack<Format::XRGB8888>(p, r, g, b);
    }
}

// A blend selector in four lanes.
struct BlendSelX4 {
    __m128i s, a, d, k, inv;
    static BlendSelX4 From(const BlendSel& f) {
        return {_mm_set1_epi32(static_cast<int>(f.s)), _mm_set1_epi32(static_cast<int>(f.a)),
                _mm_set1_epi32(static_cast<int>(f.d)), _mm_set1_epi32(static_cast<int>(f.k)),
                _mm_set1_epi32(static_cast<int>(f.inv))};
    }
    __m128i Factor(__m128i sv, __m128i av, __m128i dv) const {
        return _mm_xor_si128(_mm_or_si128(_mm_or_si128(_mm_and_si128(sv, s), _mm_and_si128(av, a)),
                                          _mm_or_si128(_mm_and_si128(dv, d), k)),
                             inv);
    }
};

// What a span kernel needs besides the interpolated values; what the kernel's template
// arguments fix (formats, fog, blending, depth width) is not looked at again per pixel.
struct SpanCtx {
    // texture
    const uint8_t* tex;
    int texPitch;
    int tw, th;
    float fw, fh;
    bool pow2;
    bool colorKey;
    uint32_t keyLow, keyHigh;
    // fog
    uint32_t fogR, fogG, fogB;
    // depth and blending
    bool zWrite;
    BlendSel src, dst;
    // Pixels in a row of both the colour and the depth target: a four-lane group that would
    // reach past it works on copies.
    int rowWidth;
    // The same for the four-lane kernels, made once per primitive.
    __m128i maskW4, maskH4, keyLow4, keyRange4, fogR4, fogG4, fogB4;
    __m128 fw4, fh4;
    BlendSelX4 src4, dst4;
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

template <Format TF>
inline uint32_t FetchTexel(const uint8_t* tex, int pitch, int x, int y) {
    const uint8_t* row = tex + static_cast<ptrdiff_t>(y) * pitch;
    if constexpr (TF == Format::XRGB8888) {
        uint32_t v;
        std::memcpy(&v, row + x * 4, 4);
        return v & 0xFFFFFFu;
    } else {
        uint16_t v;
        std::memcpy(&v, row + x * 2, 2);
        return v;
    }
}

// Texturing in a kernel's template: none, or the texture's format.
enum TexKind { kNoTex = 0, kTex565 = 1, kTex555 = 2, kTex8888 = 3 };

constexpr Format TexFormat(int kind) {
    return kind == kTex565 ? Format::RGB565 : kind == kTex555 ? Format::RGB555 : Format::XRGB8888;
}

// One kernel per target format, depth width, texture format, fog and blending. Values step
// in modular integer arithmetic: the span set-up keeps every value in range along the span.
template <Format F, int ZK, int TEX, bool FOG, bool BLEND>
void SpanKernel(const SpanCtx& c, const SpanVals& v, uint8_t* colorRow, uint8_t* depthRow, int x0,
                int n) {
    using Pixel = std::conditional_t<F == Format::XRGB8888, uint32_t, uint16_t>;
    using ZValue = std::conditional_t<ZK == 16, uint16_t, uint32_t>;
    // 16-bit depths in 16.16 fit 32 bits.
    using ZFixed = std::conditional_t<ZK == 16, uint32_t, uint64_t>;
    constexpr Format TF = TexFormat(TEX);
    Pixel* dst = reinterpret_cast<Pixel*>(colorRow) + x0;
    ZValue* zp = ZK ? reinterpret_cast<ZValue*>(depthRow) + x0 : nullptr;
    ZFixed z = static_cast<ZFixed>(v.z);
    const ZFixed dz = static_cast<ZFixed>(v.dz);
    uint32_t r = static_cast<uint32_t>(v.r), g = static_cast<uint32_t>(v.g),
             b = static_cast<uint32_t>(v.b), a = static_cast<uint32_t>(v.a),
             f = static_cast<uint32_t>(v.f);
    const uint32_t dr = static_cast<uint32_t>(v.dr), dg = static_cast<uint32_t>(v.dg),
                   db = static_cast<uint32_t>(v.db), da = static_cast<uint32_t>(v.da),
                   df = static_cast<uint32_t>(v.df);
    float s = v.s, t = v.t, q = v.q;
    const bool zWrite = c.zWrite;
    const uint8_t* const tex = c.tex;
    const int texPitch = c.texPitch;
    for (int i = 0; i < n; ++i) {
        do {
            uint32_t zv = 0;
            if constexpr (ZK != 0) {
                zv = static_cast<uint32_t>(z >> 16);
                if (zv > zp[i]) break;
            }
            uint32_t pr = r >> 16, pg = g >> 16, pb = b >> 16;
            if constexpr (TEX != kNoTex) {
                const float w = 1.0f / q;
                const int tx = WrapIndex(s * w * c.fw, c.tw, c.pow2);
                const int ty = WrapIndex(t * w * c.fh, c.th, c.pow2);
                const uint32_t texel = FetchTexel<TF>(tex, texPitch, tx, ty);
                if (c.colorKey && texel >= c.keyLow && texel <= c.keyHigh) break;
                uint32_t tr, tg, tb;
                Unpack<TF>(texel, tr, tg, tb);
                pr = Div255Round(pr * tr);
                pg = Div255Round(pg * tg);
                pb = Div255Round(pb * tb);
            }
            if constexpr (FOG) {
                const uint32_t ff = f >> 16, fi = 255 - ff;
                pr = Div255Round(ff * pr + fi * c.fogR);
                pg = Div255Round(ff * pg + fi * c.fogG);
                pb = Div255Round(ff * pb + fi * c.fogB);
            }
            if constexpr (BLEND) {
                const uint32_t pa = a >> 16;
                uint32_t qr, qg, qb;
                Unpack<F>(dst[i], qr, qg, qb);
                pr = Div255RoundClamped(pr * BlendFactor(c.src, pr, pa, qr) +
                                        qr * BlendFactor(c.dst, pr, pa, qr));
                pg = Div255RoundClamped(pg * BlendFactor(c.src, pg, pa, qg) +
                                        qg * BlendFactor(c.dst, pg, pa, qg));
                pb = Div255RoundClamped(pb * BlendFactor(c.src, pb, pa, qb) +
                                        qb * BlendFactor(c.dst, pb, pa, qb));
            }
            dst[i] = static_cast<Pixel>(Pack<F>(pr, pg, pb));
            if constexpr (ZK != 0) {
                if (zWrite) zp[i] = static_cast<ZValue>(zv);
            }
        } while (false);
        if constexpr (ZK != 0) z += dz;
        r += dr;
        g += dg;
        b += db;
        if constexpr (BLEND) a += da;
        if constexpr (FOG) f += df;
        if constexpr (TEX != kNoTex) {
            s += v.ds;
            t += v.dt;
            q += v.dq;
        }
    }
}

using SpanFn = void (*)(const SpanCtx&, const SpanVals&, uint8_t*, uint8_t*, int, int);

// ---- four pixels at a time in SSE2 (the x86-64 baseline) ----
//
// The same arithmetic as SpanKernel lane by lane: integer channels step exactly whatever the
// grouping, the texture terms are accumulated one pixel after another as the scalar loop does
// (float addition is not associative), and every channel product stays below 2^16, so the
// 16-bit multiply gives the exact product in each 32-bit lane. Pixels that fail the depth
// test or the colour key keep their colour and depth through a lane mask instead of a branch.

inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

inline __m128i Div255RoundX4(__m128i x) {
    const __m128i y = _mm_add_epi32(x, _mm_set1_epi32(128));
    return _mm_srli_epi32(_mm_add_epi32(y, _mm_srli_epi32(y, 8)), 8);
}

// a·b for 32-bit lanes holding values below 2^16 whose product is below 2^16.
inline __m128i MulSmall(__m128i a, __m128i b) { return _mm_mullo_epi16(a, b); }

// Unsigned a > b for 32-bit lanes.
inline __m128i GreaterU32(__m128i a, __m128i b) {
    const __m128i bias = _mm_set1_epi32(static_cast<int>(0x80000000u));
    return _mm_cmpgt_epi32(_mm_xor_si128(a, bias), _mm_xor_si128(b, bias));
}

// Four 16-bit values to 32-bit lanes and back (values below 2^16; SSE2 only packs signed).
inline __m128i Load4x16(const uint16_t* p) {
    return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                              _mm_setzero_si128());
}
inline void Store4x16(uint16_t* p, __m128i v) {
    const __m128i bias32 = _mm_set1_epi32(0x8000);
    const __m128i packed = _mm_packs_epi32(_mm_sub_epi32(v, bias32), _mm_setzero_si128());
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p),
                     _mm_xor_si128(packed, _mm_set1_epi16(static_cast<short>(0x8000))));
}

template <Format F>
inline void UnpackX4(__m128i p, __m128i& r, __m128i& g, __m128i& b) {
    if constexpr (F == Format::RGB565) {
        r = _mm_and_si128(_mm_srli_epi32(p, 11), _mm_set1_epi32(31));
        g = _mm_and_si128(_mm_srli_epi32(p, 5), _mm_set1_epi32(63));
        b = _mm_and_si128(p, _mm_set1_epi32(31));
        r = _mm_or_si128(_mm_slli_epi32(r, 3), _mm_srli_epi32(r, 2));
        g = _mm_or_si128(_mm_slli_epi32(g, 2), _mm_srli_epi32(g, 4));
        b = _mm_or_si128(_mm_slli_epi32(b, 3), _mm_srli_epi32(b, 2));
    } else if constexpr (F == Format::RGB555) {
        r = _mm_and_si128(_mm_srli_epi32(p, 10), _mm_set1_epi32(31));
        g = _mm_and_si128(_mm_srli_epi32(p, 5), _mm_set1_epi32(31));
        b = _mm_and_si128(p, _mm_set1_epi32(31));
        r = _mm_or_si128(_mm_slli_epi32(r, 3), _mm_srli_epi32(r, 2));
        g = _mm_or_si128(_mm_slli_epi32(g, 3), _mm_srli_epi32(g, 2));
        b = _mm_or_si128(_mm_slli_epi32(b, 3), _mm_srli_epi32(b, 2));
    } else {
        const __m128i m = _mm_set1_epi32(255);
        r = _mm_and_si128(_mm_srli_epi32(p, 16), m);
        g = _mm_and_si128(_mm_srli_epi32(p, 8), m);
        b = _mm_and_si128(p, m);
    }
}

template <Format F>
inline __m128i PackX4(__m128i r, __m128i g, __m128i b) {
    if constexpr (F == Format::RGB565)
        return _mm_or_si128(_mm_or_si128(_mm_slli_epi32(_mm_srli_epi32(r, 3), 11),
                                         _mm_slli_epi32(_mm_srli_epi32(g, 2), 5)),
                            _mm_srli_epi32(b, 3));
    if constexpr (F == Format::RGB555)
        return _mm_or_si128(_mm_or_si128(_mm_slli_epi32(_mm_srli_epi32(r, 3), 10),
                                         _mm_slli_epi32(_mm_srli_epi32(g, 3), 5)),
                            _mm_srli_epi32(b, 3));
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi32(r, 16), _mm_slli_epi32(g, 8)), b);
}

inline __m128i Ramp(int32_t v0, int32_t d) {
    const uint32_t u = static_cast<uint32_t>(v0), du = static_cast<uint32_t>(d);
    return _mm_set_epi32(static_cast<int>(u + 3 * du), static_cast<int>(u + 2 * du),
                         static_cast<int>(u + du), static_cast<int>(u));
}

// floor(x) & mask per lane, as WrapIndex does for a power-of-two size.
inline __m128i WrapX4(__m128 x, __m128i mask) {
    __m128i i = _mm_cvttps_epi32(x);
    const __m128 lt = _mm_cmplt_ps(x, _mm_cvtepi32_ps(i));
    i = _mm_add_epi32(i, _mm_castps_si128(lt));
    return _mm_and_si128(i, mask);
}

template <Format F, int ZK, int TEX, bool FOG, bool BLEND>
void SpanKernelX4(const SpanCtx& c, const SpanVals& v, uint8_t* colorRow, uint8_t* depthRow, int x0,
                  int n) {
    using Pixel = std::conditional_t<F == Format::XRGB8888, uint32_t, uint16_t>;
    using ZValue = std::conditional_t<ZK == 16, uint16_t, uint32_t>;
    constexpr Format TF = TexFormat(TEX);
    Pixel* row = reinterpret_cast<Pixel*>(colorRow) + x0;
    ZValue* zrow = ZK ? reinterpret_cast<ZValue*>(depthRow) + x0 : nullptr;
    __m128i R = Ramp(v.r, v.dr), G = Ramp(v.g, v.dg), B = Ramp(v.b, v.db);
    __m128i A = _mm_setzero_si128(), Fv = _mm_setzero_si128();
    const __m128i dR = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(v.dr) * 4u));
    const __m128i dG = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(v.dg) * 4u));
    const __m128i dB = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(v.db) * 4u));
    __m128i dA = dR, dF = dR;
    if constexpr (BLEND) {
        A = Ramp(v.a, v.da);
        dA = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(v.da) * 4u));
    }
    if constexpr (FOG) {
        Fv = Ramp(v.f, v.df);
        dF = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(v.df) * 4u));
    }
    // 16-bit depths in 16.16 fit 32-bit lanes; wider ones step in 64 bits.
    __m128i Z = _mm_setzero_si128(), dZ = Z, Z23 = Z;
    if constexpr (ZK == 16) {
        Z = Ramp(static_cast<int32_t>(v.z), static_cast<int32_t>(v.dz));
        dZ = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(v.dz) * 4u));
    } else if constexpr (ZK == 32) {
        // Pixels 0 and 1 in Z, 2 and 3 in Z23, 64 bits each.
        const uint64_t z0 = static_cast<uint64_t>(v.z), dz = static_cast<uint64_t>(v.dz);
        Z = _mm_set_epi64x(static_cast<int64_t>(z0 + dz), static_cast<int64_t>(z0));
        Z23 = _mm_set_epi64x(static_cast<int64_t>(z0 + 3 * dz), static_cast<int64_t>(z0 + 2 * dz));
        dZ = _mm_set1_epi64x(static_cast<int64_t>(4 * dz));
    }
    float s = v.s, t = v.t, q = v.q;
    const __m128i &maskW = c.maskW4, &maskH = c.maskH4;
    const __m128 &fw = c.fw4, &fh = c.fh4, one = _mm_set1_ps(1.0f);
    const __m128i &keyLow = c.keyLow4, &keyRange = c.keyRange4;
    const __m128i &fogR = c.fogR4, &fogG = c.fogG4, &fogB = c.fogB4;
    const __m128i c255 = _mm_set1_epi32(255), cMax = _mm_set1_epi32(65025);
    const BlendSelX4 &src = c.src4, &dstSel = c.dst4;
    const bool zWrite = c.zWrite, colorKey = c.colorKey;
    // Locals, as the stores below could otherwise be taken to change them.
    const uint8_t* const tex = c.tex;
    const int texPitch = c.texPitch;
    for (int i = 0; i < n; i += 4) {
        const int m = std::min(4, n - i);
        // A short last group masks the pixels past the span (writing back what they hold), or
        // at the end of the row works on copies, so that nothing past the row is touched.
        Pixel ptmp[4] = {};
        ZValue ztmp[4] = {};
        Pixel* px = row + i;
        ZValue* pz = ZK ? zrow + i : nullptr;
        const bool copies = m < 4 && x0 + i + 4 > c.rowWidth;
        if (copies) {
            for (int k = 0; k < m; ++k) ptmp[k] = px[k];
            px = ptmp;
            if constexpr (ZK != 0) {
                for (int k = 0; k < m; ++k) ztmp[k] = pz[k];
                pz = ztmp;
            }
        }
        __m128i pass = _mm_cmpgt_epi32(_mm_set1_epi32(m), _mm_set_epi32(3, 2, 1, 0));
        __m128i ZV = _mm_setzero_si128(), zOld = ZV;
        if constexpr (ZK == 16) {
            ZV = _mm_srli_epi32(Z, 16);
            zOld = Load4x16(pz);
            pass = _mm_andnot_si128(_mm_cmpgt_epi32(ZV, zOld), pass);
        } else if constexpr (ZK == 32) {
            ZV = _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(_mm_srli_epi64(Z, 16)),
                                                 _mm_castsi128_ps(_mm_srli_epi64(Z23, 16)),
                                                 _MM_SHUFFLE(2, 0, 2, 0)));
            zOld = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pz));
            pass = _mm_andnot_si128(GreaterU32(ZV, zOld), pass);
        }
        __m128i pr = _mm_srli_epi32(R, 16), pg = _mm_srli_epi32(G, 16), pb = _mm_srli_epi32(B, 16);
        if constexpr (TEX != kNoTex) {
            const float s1 = s + v.ds, s2 = s1 + v.ds, s3 = s2 + v.ds;
            const float t1 = t + v.dt, t2 = t1 + v.dt, t3 = t2 + v.dt;
            const float q1 = q + v.dq, q2 = q1 + v.dq, q3 = q2 + v.dq;
            const __m128 w = _mm_div_ps(one, _mm_set_ps(q3, q2, q1, q));
            const __m128i tx =
                WrapX4(_mm_mul_ps(_mm_mul_ps(_mm_set_ps(s3, s2, s1, s), w), fw), maskW);
            const __m128i ty =
                WrapX4(_mm_mul_ps(_mm_mul_ps(_mm_set_ps(t3, t2, t1, t), w), fh), maskH);
            s = s3 + v.ds;
            t = t3 + v.dt;
            q = q3 + v.dq;
            alignas(16) int32_t ix[4], iy[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(ix), tx);
            _mm_store_si128(reinterpret_cast<__m128i*>(iy), ty);
            const __m128i texel =
                _mm_set_epi32(static_cast<int>(FetchTexel<TF>(tex, texPitch, ix[3], iy[3])),
                              static_cast<int>(FetchTexel<TF>(tex, texPitch, ix[2], iy[2])),
                              static_cast<int>(FetchTexel<TF>(tex, texPitch, ix[1], iy[1])),
                              static_cast<int>(FetchTexel<TF>(tex, texPitch, ix[0], iy[0])));
            if (colorKey)
                pass = _mm_and_si128(pass, GreaterU32(_mm_sub_epi32(texel, keyLow), keyRange));
            __m128i tr, tg, tb;
            UnpackX4<TF>(texel, tr, tg, tb);
            pr = Div255RoundX4(MulSmall(pr, tr));
            pg = Div255RoundX4(MulSmall(pg, tg));
            pb = Div255RoundX4(MulSmall(pb, tb));
        }
        if constexpr (FOG) {
            const __m128i ff = _mm_srli_epi32(Fv, 16), fi = _mm_sub_epi32(c255, ff);
            pr = Div255RoundX4(_mm_add_epi32(MulSmall(ff, pr), MulSmall(fi, fogR)));
            pg = Div255RoundX4(_mm_add_epi32(MulSmall(ff, pg), MulSmall(fi, fogG)));
            pb = Div255RoundX4(_mm_add_epi32(MulSmall(ff, pb), MulSmall(fi, fogB)));
        }
        __m128i old;
        if constexpr (F == Format::XRGB8888)
            old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px));
        else
            old = Load4x16(px);
        if constexpr (BLEND) {
            const __m128i pa = _mm_srli_epi32(A, 16);
            __m128i qr, qg, qb;
            UnpackX4<F>(old, qr, qg, qb);
            auto mix = [&](__m128i sc, __m128i dc) {
                const __m128i x = _mm_add_epi32(MulSmall(sc, src.Factor(sc, pa, dc)),
                                                MulSmall(dc, dstSel.Factor(sc, pa, dc)));
                return Div255RoundX4(Select(_mm_cmpgt_epi32(x, cMax), cMax, x));
            };
            pr = mix(pr, qr);
            pg = mix(pg, qg);
            pb = mix(pb, qb);
        }
        const __m128i out = Select(pass, PackX4<F>(pr, pg, pb), old);
        if constexpr (F == Format::XRGB8888)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(px), out);
        else
            Store4x16(px, out);
        if constexpr (ZK != 0) {
            if (zWrite) {
                const __m128i zNew = Select(pass, ZV, zOld);
                if constexpr (ZK == 16)
                    Store4x16(pz, zNew);
                else
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(pz), zNew);
            }
        }
        if (copies) {
            for (int k = 0; k < m; ++k) row[i + k] = ptmp[k];
            if constexpr (ZK != 0)
                if (zWrite)
                    for (int k = 0; k < m; ++k) zrow[i + k] = ztmp[k];
        }
        R = _mm_add_epi32(R, dR);
        G = _mm_add_epi32(G, dG);
        B = _mm_add_epi32(B, dB);
        if constexpr (BLEND) A = _mm_add_epi32(A, dA);
        if constexpr (FOG) Fv = _mm_add_epi32(Fv, dF);
        if constexpr (ZK == 16) Z = _mm_add_epi32(Z, dZ);
        if constexpr (ZK == 32) {
            Z = _mm_add_epi64(Z, dZ);
            Z23 = _mm_add_epi64(Z23, dZ);
        }
    }
}

// ---- eight pixels at a time in AVX2, where the processor has it ----
//
// The four-lane kernel's arithmetic in 256-bit vectors (the compiler's vector types, built for
// AVX2 in this part of the file only and called only after a run-time check). The four-lane
// kernel stays the baseline, and the tests draw every state through each.
#pragma GCC push_options
#pragma GCC target("avx2")

namespace x8 {

using U32 = uint32_t __attribute__((vector_size(32)));
using I32 = int32_t __attribute__((vector_size(32)));
using F32 = float __attribute__((vector_size(32)));
using U64 = uint64_t __attribute__((vector_size(32)));
using U16 = uint16_t __attribute__((vector_size(16)));
using U32x4 = uint32_t __attribute__((vector_size(16)));

inline U32 Splat(uint32_t v) { return U32{} + v; }

inline U32 Ramp(uint32_t v0, uint32_t d) {
    const U32 k{0, 1, 2, 3, 4, 5, 6, 7};
    return Splat(v0) + k * d;
}

inline U32 Div255Round(U32 x) {
    const U32 y = x + 128;
    return (y + (y >> 8)) >> 8;
}

// Lane masks (all ones or zero) as unsigned vectors.
inline U32 Mask(I32 m) { return reinterpret_cast<U32&>(m); }
inline U32 Select(U32 mask, U32 a, U32 b) { return (mask & a) | (~mask & b); }

// The formats' unpacking and packing again, on eight lanes: everything the eight-lane kernels
// call is built inside this AVX2 region, so they never call out of it with wide registers.
template <Format F>
inline void Unpack(U32 p, U32& r, U32& g, U32& b) {
    if constexpr (F == Format::RGB565) {
        r = (p >> 11) & 31;
        g = (p >> 5) & 63;
        b = p & 31;
        r = (r << 3) | (r >> 2);
        g = (g << 2) | (g >> 4);
        b = (b << 3) | (b >> 2);
    } else if constexpr (F == Format::RGB555) {
        r = (p >> 10) & 31;
        g = (p >> 5) & 31;
        b = p & 31;
        r = (r << 3) | (r >> 2);
        g = (g << 3) | (g >> 2);
        b = (b << 3) | (b >> 2);
    } else {
        r = (p >> 16) & 255;
        g = (p >> 8) & 255;
        b = p & 255;
    }
}

template <Format F>
inline U32 Pack(U32 r, U32 g, U32 b) {
    if constexpr (F == Format::RGB565) return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    if constexpr (F == Format::RGB555) return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    return (r << 16) | (g << 8) | b;
}

inline U32 Factor(const BlendSel& f, U32 s, U32 a, U32 d) {
    return ((s & f.s) | (a & f.a) | (d & f.d) | f.k) ^ f.inv;
}

template <class T>
inline U32 Load8(const T* p) {
    if constexpr (sizeof(T) == 4) {
        U32 v;
        std::memcpy(&v, p, sizeof v);
        return v;
    } else {
        U16 v;
        std::memcpy(&v, p, sizeof v);
        return __builtin_convertvector(v, U32);
    }
}

template <class T>
inline void Store8(T* p, U32 v) {
    if constexpr (sizeof(T) == 4) {
        std::memcpy(p, &v, sizeof v);
    } else {
        const U16 w = __builtin_convertvector(v, U16);
        std::memcpy(p, &w, sizeof w);
    }
}

// Eight values from x on, each the previous plus d, as the one-pixel loop adds them; x moves
// on past them.
inline F32 Steps(float& x, float d) {
    const float a0 = x, a1 = a0 + d, a2 = a1 + d, a3 = a2 + d, a4 = a3 + d, a5 = a4 + d,
                a6 = a5 + d, a7 = a6 + d;
    x = a7 + d;
    return F32{a0, a1, a2, a3, a4, a5, a6, a7};
}

// floor(x) & mask per lane, as WrapIndex does for a power-of-two size.
inline U32 Wrap(F32 x, U32 mask) {
    I32 i = __builtin_convertvector(x, I32);
    i += (x < __builtin_convertvector(i, F32));  // a true lane is -1
    return reinterpret_cast<U32&>(i) & mask;
}

template <Format F, int ZK, int TEX, bool FOG, bool BLEND>
__attribute__((target("avx2"))) void SpanKernelX8(const SpanCtx& c, const SpanVals& v,
                                                  uint8_t* colorRow, uint8_t* depthRow, int x0,
                                                  int n) {
    using Pixel = std::conditional_t<F == Format::XRGB8888, uint32_t, uint16_t>;
    using ZValue = std::conditional_t<ZK == 16, uint16_t, uint32_t>;
    constexpr Format TF = TexFormat(TEX);
    Pixel* row = reinterpret_cast<Pixel*>(colorRow) + x0;
    ZValue* zrow = ZK ? reinterpret_cast<ZValue*>(depthRow) + x0 : nullptr;
    const uint32_t dr = static_cast<uint32_t>(v.dr), dg = static_cast<uint32_t>(v.dg),
                   db = static_cast<uint32_t>(v.db), da = static_cast<uint32_t>(v.da),
                   df = static_cast<uint32_t>(v.df);
    U32 R = Ramp(static_cast<uint32_t>(v.r), dr), G = Ramp(static_cast<uint32_t>(v.g), dg),
        B = Ramp(static_cast<uint32_t>(v.b), db);
    U32 A = BLEND ? Ramp(static_cast<uint32_t>(v.a), da) : U32{};
    U32 Fv = FOG ? Ramp(static_cast<uint32_t>(v.f), df) : U32{};
    // 16-bit depths in 16.16 fit 32-bit lanes; wider ones step in 64 bits, four lanes a half.
    U32 Z{};
    U64 Zlo{}, Zhi{};
    const uint64_t z0 = static_cast<uint64_t>(v.z), dz = static_cast<uint64_t>(v.dz);
    if constexpr (ZK == 16) Z = Ramp(static_cast<uint32_t>(z0), static_cast<uint32_t>(dz));
    if constexpr (ZK == 32) {
        const U64 k{0, 1, 2, 3};
        Zlo = (U64{} + z0) + k * dz;
        Zhi = Zlo + 4 * dz;
    }
    float s = v.s, t = v.t, q = v.q;
    const U32 maskW = Splat(static_cast<uint32_t>(c.tw - 1));
    const U32 maskH = Splat(static_cast<uint32_t>(c.th - 1));
    const bool zWrite = c.zWrite, colorKey = c.colorKey;
    const uint8_t* const tex = c.tex;
    const int texPitch = c.texPitch;
    const U32 lane{0, 1, 2, 3, 4, 5, 6, 7};
    for (int i = 0; i < n; i += 8) {
        const int m = std::min(8, n - i);
        // As the four-lane kernel: pixels past the span are masked, or copied at the row's end.
        Pixel ptmp[8] = {};
        ZValue ztmp[8] = {};
        Pixel* px = row + i;
        ZValue* pz = ZK ? zrow + i : nullptr;
        const bool copies = m < 8 && x0 + i + 8 > c.rowWidth;
        if (copies) {
            for (int k = 0; k < m; ++k) ptmp[k] = px[k];
            px = ptmp;
            if constexpr (ZK != 0) {
                for (int k = 0; k < m; ++k) ztmp[k] = pz[k];
                pz = ztmp;
            }
        }
        U32 pass = Mask(lane < static_cast<uint32_t>(m));
        U32 ZV{}, zOld{};
        if constexpr (ZK == 16) {
            ZV = Z >> 16;
            zOld = Load8(pz);
        } else if constexpr (ZK == 32) {
            const U32x4 lo = __builtin_convertvector(Zlo >> 16, U32x4);
            const U32x4 hi = __builtin_convertvector(Zhi >> 16, U32x4);
            ZV = __builtin_shufflevector(lo, hi, 0, 1, 2, 3, 4, 5, 6, 7);
            zOld = Load8(pz);
        }
        if constexpr (ZK != 0) pass &= ~Mask(ZV > zOld);
        U32 pr = R >> 16, pg = G >> 16, pb = B >> 16;
        if constexpr (TEX != kNoTex) {
            const F32 S = Steps(s, v.ds), T = Steps(t, v.dt), Q = Steps(q, v.dq);
            const F32 w = 1.0f / Q;
            const U32 tx = Wrap(S * w * c.fw, maskW), ty = Wrap(T * w * c.fh, maskH);
            U32 texel;
            for (int k = 0; k < 8; ++k)
                texel[k] =
                    FetchTexel<TF>(tex, texPitch, static_cast<int>(tx[k]), static_cast<int>(ty[k]));
            if (colorKey) pass &= Mask((texel - c.keyLow) > (c.keyHigh - c.keyLow));
            U32 tr, tg, tb;
            Unpack<TF>(texel, tr, tg, tb);
            pr = Div255Round(pr * tr);
            pg = Div255Round(pg * tg);
            pb = Div255Round(pb * tb);
        }
        if constexpr (FOG) {
            const U32 ff = Fv >> 16, fi = 255 - ff;
            pr = Div255Round(ff * pr + fi * c.fogR);
            pg = Div255Round(ff * pg + fi * c.fogG);
            pb = Div255Round(ff * pb + fi * c.fogB);
        }
        const U32 old = Load8(px);
        if constexpr (BLEND) {
            const U32 pa = A >> 16;
            U32 qr, qg, qb;
            Unpack<F>(old, qr, qg, qb);
            auto mix = [&](U32 sc, U32 dc) {
                U32 x = sc * Factor(c.src, sc, pa, dc) + dc * Factor(c.dst, sc, pa, dc);
                x = Select(Mask(x > 65025u), Splat(65025), x);
                return Div255Round(x);
            };
            pr = mix(pr, qr);
            pg = mix(pg, qg);
            pb = mix(pb, qb);
        }
        Store8(px, Select(pass, Pack<F>(pr, pg, pb), old));
        if constexpr (ZK != 0) {
            if (zWrite) Store8(pz, Select(pass, ZV, zOld));
        }
        if (copies) {
            for (int k = 0; k < m; ++k) row[i + k] = ptmp[k];
            if constexpr (ZK != 0)
                if (zWrite)
                    for (int k = 0; k < m; ++k) zrow[i + k] = ztmp[k];
        }
        R += dr * 8;
        G += dg * 8;
        B += db * 8;
        if constexpr (BLEND) A += da * 8;
        if constexpr (FOG) Fv += df * 8;
        if constexpr (ZK == 16) Z += static_cast<uint32_t>(dz) * 8;
        if constexpr (ZK == 32) {
            Zlo += 8 * dz;
            Zhi += 8 * dz;
        }
    }
}

}  // namespace x8

#pragma GCC pop_options

// The kernel for a primitive's state, chosen once per primitive. `lanes`: 1, or the four- or
// eight-lane kernel, which wrap texture coordinates by masking and so serve power-of-two
// textures only.
template <Format F, int ZK, int TEX, bool FOG, bool BLEND>
constexpr SpanFn PickVec(int lanes) {
    return lanes == 8   ? x8::SpanKernelX8<F, ZK, TEX, FOG, BLEND>
           : lanes == 4 ? SpanKernelX4<F, ZK, TEX, FOG, BLEND>
                        : SpanKernel<F, ZK, TEX, FOG, BLEND>;
}

template <Format F, int ZK, int TEX>
constexpr SpanFn PickFB(bool fog, bool blend, int vec) {
    if (fog)
        return blend ? PickVec<F, ZK, TEX, true, true>(vec) : PickVec<F, ZK, TEX, true, false>(vec);
    return blend ? PickVec<F, ZK, TEX, false, true>(vec) : PickVec<F, ZK, TEX, false, false>(vec);
}

template <Format F, int ZK>
constexpr SpanFn PickTex(int tex, bool fog, bool blend, int vec) {
    switch (tex) {
        case kTex565:
            return PickFB<F, ZK, kTex565>(fog, blend, vec);
        case kTex555:
            return PickFB<F, ZK, kTex555>(fog, blend, vec);
        case kTex8888:
            return PickFB<F, ZK, kTex8888>(fog, blend, vec);
        default:
            return PickFB<F, ZK, kNoTex>(fog, blend, vec);
    }
}

template <Format F>
SpanFn PickZ(int zk, int tex, bool fog, bool blend, int vec) {
    switch (zk) {
        case 16:
            return PickTex<F, 16>(tex, fog, blend, vec);
        case 32:
            return PickTex<F, 32>(tex, fog, blend, vec);
        default:
            return PickTex<F, 0>(tex, fog, blend, vec);
    }
}

SpanFn PickKernel(Format f, int zk, int tex, bool fog, bool blend, int vec) {
    switch (f) {
        case Format::RGB565:
            return PickZ<Format::RGB565>(zk, tex, fog, blend, vec);
        case Format::RGB555:
            return PickZ<Format::RGB555>(zk, tex, fog, blend, vec);
        default:
            return PickZ<Format::XRGB8888>(zk, tex, fog, blend, vec);
    }
}

// The widest kernels the processor runs: eight lanes with AVX2, else the four-lane SSE2 ones;
// WYN_SOFT3D_SPANS=sse2 or =scalar asks for the four-lane or the one-pixel loops (the tests draw
// every state each way).
const int gSpanLanes = [] {
    const char* e = std::getenv("WYN_SOFT3D_SPANS");
    if (e && std::strcmp(e, "scalar") == 0) return 1;
    if (e && std::strcmp(e, "sse2") == 0) return 4;
    return __builtin_cpu_supports("avx2") ? 8 : 4;
}();

// Everything that holds for the whole primitive.
struct Setup {
    SpanFn kernel;
    SpanFn shortKernel;  // for spans of fewer than eight pixels: four lanes waste fewer
    SpanCtx ctx;
    int zk;
    double zScale;  // z to depth units
    bool textured;
    int texKind;
    bool blend;
    bool fog;
    bool useA;  // the chosen kernel reads alpha (it blends)
    int clipL, clipT, clipR, clipB;
    uint8_t* colorBase;
    int colorPitch;
    int colorBytes;
    uint8_t* depthBase;
    int depthPitch;
    int depthBytes;
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
        s.texKind = tex->format == Format::RGB565   ? kTex565
                    : tex->format == Format::RGB555 ? kTex555
                                                    : kTex8888;
        // An empty key range keys nothing.
        c.colorKey = st.colorKey && tex->keyed && tex->keyLow <= tex->keyHigh;
        c.keyLow = tex->keyLow;
        c.keyHigh = tex->keyHigh;
    } else {
        s.texKind = kNoTex;
    }
    s.fog = st.fog;
    c.fogR = (st.fogColor >> 16) & 255;
    c.fogG = (st.fogColor >> 8) & 255;
    c.fogB = st.fogColor & 255;
    c.zWrite = st.zWrite;
    c.src = DecodeBlend(st.srcBlend);
    c.dst = DecodeBlend(st.dstBlend);
    c.maskW4 = _mm_set1_epi32(c.tw - 1);
    c.maskH4 = _mm_set1_epi32(c.th - 1);
    c.fw4 = _mm_set1_ps(c.fw);
    c.fh4 = _mm_set1_ps(c.fh);
    c.keyLow4 = _mm_set1_epi32(static_cast<int>(c.keyLow));
    c.keyRange4 = _mm_set1_epi32(static_cast<int>(c.keyHigh - c.keyLow));
    c.fogR4 = _mm_set1_epi32(static_cast<int>(c.fogR));
    c.fogG4 = _mm_set1_epi32(static_cast<int>(c.fogG));
    c.fogB4 = _mm_set1_epi32(static_cast<int>(c.fogB));
    c.src4 = BlendSelX4::From(c.src);
    c.dst4 = BlendSelX4::From(c.dst);
    s.colorBase = target.bits;
    s.colorPitch = target.pitch;
    s.depthBase = haveDepth ? depth.bits : nullptr;
    s.depthPitch = depth.pitch;
    s.colorBytes = BytesPerPixel(target.format);
    c.rowWidth = haveDepth ? std::min(target.width, depth.width) : target.width;
    s.depthBytes = s.zk == 16 ? 2 : 4;
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
    // Alpha and the fog factor only where the kernel reads them.
    if (s.useA) {
        fixedChannel(4, kColorHi, val, step);
        v.a = static_cast<int32_t>(val), v.da = static_cast<int32_t>(step);
    }
    if (s.fog) {
        fixedChannel(5, kColorHi, val, step);
        v.f = static_cast<int32_t>(val), v.df = static_cast<int32_t>(step);
    }
    if (s.zk) {
        fixedChannel(0, static_cast<int64_t>(s.zScale) * 65536 + 65535, v.z, v.dz);
    } else {
        v.z = v.dz = 0;
    }
    if (s.textured) {
        v.s = static_cast<float>(start[6]);
        v.t = static_cast<float>(start[7]);
        v.q = static_cast<float>(start[8]);
        v.ds = g.tex[0];
        v.dt = g.tex[1];
        v.dq = g.tex[2];
    }
}

// MakeSpan for a triangle's rows, from its plane equations, with the colour channels two at
// a time in SSE2 doubles: the same operations in the same order, so the same values. A
// colour's rounding runs in 32 bits after clamping to ±2^30, which the clamp to the colour's
// range that follows makes no different from rounding the unclamped value.
struct RowPlanes {
    // r, g, b, a, f and a spare lane; then s, t, q and a spare lane.
    alignas(16) double cb[6], cx[6], cy[6];
    alignas(16) double tb[4], tx[4], ty[4];
    double zb, zx, zy;
    SpanGrad grad;
    int colorPairs;  // 2 (r, g, b, a) or 3 (with the fog factor)
};

void MakeRowPlanes(const Setup& s, const double* base, const double* ddx, const double* ddy,
                   RowPlanes& p) {
    for (int k = 0; k < 5; ++k) {
        p.cb[k] = base[1 + k];
        p.cx[k] = ddx[1 + k];
        p.cy[k] = ddy[1 + k];
    }
    p.cb[5] = p.cx[5] = p.cy[5] = 0;
    for (int k = 0; k < 3; ++k) {
        p.tb[k] = base[6 + k];
        p.tx[k] = ddx[6 + k];
        p.ty[k] = ddy[6 + k];
    }
    p.tb[3] = p.tx[3] = p.ty[3] = 0;
    p.zb = base[0];
    p.zx = ddx[0];
    p.zy = ddy[0];
    p.grad = MakeGrad(ddx);
    p.colorPairs = s.fog ? 3 : 2;
}

inline void RowSpan(const Setup& s, const RowPlanes& p, double dx, double dy, int n, SpanVals& v) {
    const __m128d DX = _mm_set1_pd(dx), DY = _mm_set1_pd(dy);
    const __m128d scale = _mm_set1_pd(65536.0), half = _mm_set1_pd(0.5);
    const __m128d lo = _mm_set1_pd(-1073741824.0), hi = _mm_set1_pd(1073741824.0);
    const __m128d sign = _mm_set1_pd(-0.0);
    int32_t rounded[6];
    for (int i = 0; i < p.colorPairs; ++i) {
        const __m128d x = _mm_add_pd(
            _mm_add_pd(_mm_load_pd(p.cb + 2 * i), _mm_mul_pd(_mm_load_pd(p.cx + 2 * i), DX)),
            _mm_mul_pd(_mm_load_pd(p.cy + 2 * i), DY));
        // min and max give their second operand for a NaN, which then rounds to INT_MIN
        // and clamps to 0, as the 64-bit rounding does.
        const __m128d y = _mm_max_pd(lo, _mm_min_pd(hi, _mm_mul_pd(x, scale)));
        // x + 0.5 for x >= 0, else x - 0.5 (a -0 gives -0.5, which truncates to 0 too).
        const __m128d r = _mm_add_pd(y, _mm_or_pd(half, _mm_and_pd(sign, y)));
        const __m128i q = _mm_cvttpd_epi32(r);
        rounded[2 * i] = _mm_cvtsi128_si32(q);
        rounded[2 * i + 1] = _mm_cvtsi128_si32(_mm_shuffle_epi32(q, 1));
    }
    auto channel = [&](int i, int32_t& val, int32_t& step) {
        int64_t v0 = std::clamp<int64_t>(int64_t{rounded[i]} + 32768, 0, kColorHi);
        int64_t d = p.grad.fixed[1 + i];
        if (n > 1) {
            int64_t end = v0 + d * (n - 1);
            if (end < 0 || end > kColorHi) {
                end = std::clamp<int64_t>(end, 0, kColorHi);
                d = (end - v0) / (n - 1);
            }
        }
        val = static_cast<int32_t>(v0);
        step = static_cast<int32_t>(d);
    };
    channel(0, v.r, v.dr);
    channel(1, v.g, v.dg);
    channel(2, v.b, v.db);
    if (s.useA) channel(3, v.a, v.da);
    if (s.fog) channel(4, v.f, v.df);
    if (s.zk) {
        const int64_t hiZ = static_cast<int64_t>(s.zScale) * 65536 + 65535;
        const double z = p.zb + p.zx * dx + p.zy * dy;
        int64_t v0 = std::clamp<int64_t>(RoundFixed(z * 65536.0) + 32768, 0, hiZ);
        int64_t d = p.grad.fixed[0];
        if (n > 1) {
            int64_t end = v0 + d * (n - 1);
            if (end < 0 || end > hiZ) {
                end = std::clamp<int64_t>(end, 0, hiZ);
                d = (end - v0) / (n - 1);
            }
        }
        v.z = v0;
        v.dz = d;
    }
    if (s.textured) {
        const __m128d st =
            _mm_add_pd(_mm_add_pd(_mm_load_pd(p.tb), _mm_mul_pd(_mm_load_pd(p.tx), DX)),
                       _mm_mul_pd(_mm_load_pd(p.ty), DY));
        v.s = static_cast<float>(_mm_cvtsd_f64(st));
        v.t = static_cast<float>(_mm_cvtsd_f64(_mm_unpackhi_pd(st, st)));
        v.q = static_cast<float>(p.tb[2] + p.tx[2] * dx + p.ty[2] * dy);
        v.ds = p.grad.tex[0];
        v.dt = p.grad.tex[1];
        v.dq = p.grad.tex[2];
    }
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

    SpanVals v{};
    RowPlanes planes;
    MakeRowPlanes(s, base, ddx, ddy, planes);
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
            // The next row's pixels and depths are fetched while this row is drawn: triangles
            // of a scene come in no order, and most of their rows start a cache miss.
            if (y + 1 < yEnd) {
                const uint8_t* nc = s.colorBase + static_cast<ptrdiff_t>(y + 1) * s.colorPitch;
                _mm_prefetch(reinterpret_cast<const char*>(nc + xl * s.colorBytes), _MM_HINT_T0);
                _mm_prefetch(reinterpret_cast<const char*>(nc + (xr - 1) * s.colorBytes),
                             _MM_HINT_T0);
                if (s.depthBase) {
                    const uint8_t* nd = s.depthBase + static_cast<ptrdiff_t>(y + 1) * s.depthPitch;
                    _mm_prefetch(reinterpret_cast<const char*>(nd + xl * s.depthBytes),
                                 _MM_HINT_T0);
                    _mm_prefetch(reinterpret_cast<const char*>(nd + (xr - 1) * s.depthBytes),
                                 _MM_HINT_T0);
                }
            }
            RowSpan(s, planes, xl - x0, y - y0, xr - xl, v);
            (xr - xl < 8 ? s.shortKernel : s.kernel)(
                s.ctx, v, s.colorBase + static_cast<ptrdiff_t>(y) * s.colorPitch,
                s.depthBase ? s.depthBase + static_cast<ptrdiff_t>(y) * s.depthPitch : nullptr, xl,
                xr - xl);
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
    const int lanes = !s.textured || s.ctx.pow2 ? gSpanLanes : 1;
    s.kernel = PickKernel(target.format, s.zk, s.texKind, s.fog, blend, lanes);
    s.shortKernel =
        lanes == 8 ? PickKernel(target.format, s.zk, s.texKind, s.fog, blend, 4) : s.kernel;
    s.useA = blend;
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
    s.kernel = PickKernel(target.format, s.zk, kNoTex, s.fog, blend, gSpanLanes);
    s.useA = blend;
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
