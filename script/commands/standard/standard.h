// The standard command library's shared pieces: its random generator (kept apart so that a
// test can drive it with set states and ticks) and the includes its commands use.
#pragma once

#include <cstdint>
#include <cstdio>

#include "vskcmd.h"
#include "vskexec.h"

namespace vskstd {

// The library's generator: a 32-bit state, 0 at load; each step is state = tick * (state &
// 0xFFFF) + (state >> 16). A draw seeds a 0 state with the product of two tick readings.
uint32_t& RandomState();
uint32_t RandomStep(uint32_t& state, uint32_t tick);
// The product (wrapping at 32 bits) of the generator's next four non-zero outputs.
uint32_t RandomDraw(uint32_t& state);
// lo + 0.f * (hi - lo) with f = 1000000000 - (r mod 1000000000): above lo and at most hi;
// r mod 1000000000 = 0 gives hi. 1, or 0 after the value library's message.
int RandomBetween(tagVALUAREA* ctx, const tagVALUE* lo, const tagVALUE* hi, uint32_t r,
                  tagVALUE* out);

}  // namespace vskstd
