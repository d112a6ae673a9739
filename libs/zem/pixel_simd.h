// The vector registers the pixel kernels work in: the compiler's generic vectors at two widths,
// 128 bits (SSE2, which every x86-64 processor has) and 256 bits (AVX2, used only when the
// processor reports it). A kernel is written once as a template over the width; the 256-bit
// instance lives in a function compiled for AVX2 and is reached only after the run-time check.
//
// Internal to the library (and its tests and benchmarks); not part of the public header.
#pragma once

#include <cstdint>

// Kernels are inlined into the function of their width, so that the generic vectors become
// the registers of that width (and no vector crosses a call).
#define ZEM_ALWAYS_INLINE inline __attribute__((always_inline))
#define ZEM_TARGET_AVX2 __attribute__((target("avx2")))

namespace zem::simd {

struct V128 {
    static constexpr int kLanes = 8;  // 16-bit pixels per register
    typedef uint16_t u16 __attribute__((vector_size(16)));
    typedef int16_t s16 __attribute__((vector_size(16)));
    typedef uint32_t u32 __attribute__((vector_size(16)));  // half as many 32-bit pixels
    typedef int32_t s32 __attribute__((vector_size(16)));
    typedef uint8_t u8 __attribute__((vector_size(16)));    // 16 bytes of a 24- or 32-bit row
    typedef uint16_t u8w __attribute__((vector_size(32)));  // those bytes widened
    static constexpr int kBytes = 16;
};
struct V256 {
    static constexpr int kLanes = 16;
    typedef uint16_t u16 __attribute__((vector_size(32)));
    typedef int16_t s16 __attribute__((vector_size(32)));
    typedef uint32_t u32 __attribute__((vector_size(32)));
    typedef int32_t s32 __attribute__((vector_size(32)));
    typedef uint8_t u8 __attribute__((vector_size(32)));
    typedef uint16_t u8w __attribute__((vector_size(64)));
    static constexpr int kBytes = 32;
};

inline bool DetectAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
// 1 while the 256-bit kernels run, 0 for the SSE2 baseline. Set once at load from the
// processor; the tests and benchmarks that include the kernels set it to run both.
inline int g_wide = DetectAvx2() ? 1 : 0;
inline bool Wide() { return g_wide != 0; }

}  // namespace zem::simd
