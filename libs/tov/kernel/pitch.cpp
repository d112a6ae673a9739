#include "pitch.h"

#include <cmath>

namespace tov {

float CubicWeight(float d) {
    const float a = std::fabs(d);
    if (a < 1.0f) return 1.0f - 2.0f * d * d + a * a * a;
    if (a < 2.0f) return 4.0f - 8.0f * a + 5.0f * d * d - a * a * a;
    return 0.0f;
}

uint8_t CubicAt(const uint8_t* s, int count, int stride, int i, float t) {
    auto at = [&](int k) -> float {
        k = k < 0 ? 0 : k >= count ? count - 1 : k;
        return float(s[size_t(k) * stride]);
    };
    const float w0 = CubicWeight(1.0f + t), w1 = CubicWeight(t), w2 = CubicWeight(1.0f - t),
                w3 = CubicWeight(2.0f - t);
    const float y = at(i + 2) * w3 + at(i + 1) * w2 + at(i - 1) * w0 + at(i) * w1;
    // The kernel overshoots at steep edges: clamp rather than let the byte wrap around.
    const int v = int(y);
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

float PitchedRead(uint8_t* out, const uint8_t* src, int count, int channels, float x, float p,
                  int n) {
    if (count <= 0) return x;
    for (int k = 0; k < n; ++k) {
        const int i = int(x);
        const float t = x - float(i);
        for (int c = 0; c < channels; ++c) *out++ = CubicAt(src + c, count, channels, i, t);
        x += p;
    }
    return x;
}

}  // namespace tov
