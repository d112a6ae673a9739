#include <mmsystem.h>

#include "standard.h"

namespace vskstd {

uint32_t& RandomState() {
    static uint32_t state = 0;
    return state;
}

uint32_t RandomStep(uint32_t& state, uint32_t tick) {
    state = tick * (state & 0xFFFFu) + (state >> 16);
    return state;
}

uint32_t RandomDraw(uint32_t& state) {
    uint32_t r = 1;
    for (int taken = 0; taken < 4;) {
        if (state == 0) state = GetTickCount() * GetTickCount();
        uint32_t x = RandomStep(state, GetTickCount());
        if (x == 0) continue;
        r *= x;
        ++taken;
    }
    return r;
}

int RandomBetween(tagVALUAREA* ctx, const tagVALUE* lo, const tagVALUE* hi, uint32_t r,
                  tagVALUE* out) {
    tagVALUE d = *hi;
    if (VSKFAQ_Sub(ctx, &d, lo) != 1) return 0;
    DWORD rest = r % 1000000000u;
    if (rest == 0) {
        // 0.f would be 1.0, a fraction out of range: that draw is the upper bound itself.
        *out = *hi;
        return 1;
    }
    tagVALUE f{};
    VSKFAQ_Number(ctx, &f, 1, 0, 1000000000u - rest);
    if (VSKFAQ_Mul(ctx, &f, &d) != 1 || VSKFAQ_Add(ctx, &f, lo) != 1) return 0;
    *out = f;
    return 1;
}

}  // namespace vskstd
