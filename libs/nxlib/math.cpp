// Integer math on 32-bit signed values.
#include <cstdint>
#include <cstdlib>

#include "nxlib.h"

NXL_API int WINAPI NXL_MATH_Abs(int v) { return v < 0 ? int(0u - unsigned(v)) : v; }

NXL_API int WINAPI NXL_MATH_Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

NXL_API int WINAPI NXL_MATH_Limit(int v, int lo, int hi) {
    if (v < lo) return lo;
    if (v > hi) return hi;
    return v;
}

NXL_API int WINAPI NXL_MATH_Range(int v, int lo, int hi) {
    if (lo >= hi) return v;  // an empty range would never end the wrapping
    int64_t span = int64_t(hi) - lo;
    int64_t r = (int64_t(v) - lo) % span;
    if (r < 0) r += span;
    return int(lo + r);
}

NXL_API int WINAPI NXL_MATH_Random(int a, int b) {
    int64_t span = int64_t(b) - a + 1;
    if (span <= 0) return a;  // an empty range has nothing to divide by
    return int(a + std::rand() % span);
}

NXL_API int WINAPI NXL_MATH_SetBit(int v, int mask, int flag) {
    return flag ? (v | mask) : (v & ~mask);
}

NXL_API int WINAPI NXL_MATH_GetBit(int v, int mask) { return (v & mask) ? 1 : 0; }
