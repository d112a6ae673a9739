// The rasterizer's per-channel arithmetic, without division: exact for the ranges its callers
// feed it, which the device's tests check value by value.
#pragma once

#include <cstdint>

namespace soft3d {

// round(x / 255), that is (x + 127) / 255, for 0 <= x <= 255 * 255. Every step stays below
// 2^16, so the same formula serves 16-bit vector lanes.
inline uint32_t Div255Round(uint32_t x) {
    const uint32_t y = x + 128;
    return (y + (y >> 8)) >> 8;
}

// min(255, round(x / 255)) for 0 <= x <= 2 * 255 * 255: the blend's clamped sum.
inline uint32_t Div255RoundClamped(uint32_t x) { return Div255Round(x < 65025 ? x : 65025); }

// The factor of a blend, decoded once per primitive: (s & sel.s | a & sel.a | d & sel.d |
// sel.k) ^ sel.inv, where each mask is 0 or 255. 255 - v equals v ^ 255 for an 8-bit v.
struct BlendSel {
    uint32_t s, a, d, k, inv;
};

inline uint32_t BlendFactor(const BlendSel& f, uint32_t s, uint32_t a, uint32_t d) {
    return ((s & f.s) | (a & f.a) | (d & f.d) | f.k) ^ f.inv;
}

// The selector of a D3DBLEND value; values the device does not know count as ONE.
inline BlendSel DecodeBlend(int code) {
    switch (code) {
        case 1:  // ZERO
            return {0, 0, 0, 0, 0};
        case 3:  // SRCCOLOR
            return {255, 0, 0, 0, 0};
        case 4:  // INVSRCCOLOR
            return {255, 0, 0, 0, 255};
        case 5:  // SRCALPHA
            return {0, 255, 0, 0, 0};
        case 6:  // INVSRCALPHA
            return {0, 255, 0, 0, 255};
        case 9:  // DESTCOLOR
            return {0, 0, 255, 0, 0};
        case 10:  // INVDESTCOLOR
            return {0, 0, 255, 0, 255};
        default:  // ONE and the rest
            return {0, 0, 0, 255, 0};
    }
}

}  // namespace soft3d
