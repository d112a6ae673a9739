#include "mixkernel.h"

#include <cstring>

namespace tov {

void BuildMixTables(MixTables* t) {
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            int v = (a - 128) + (b - 128);
            v = v < -128 ? -128 : v > 127 ? 127 : v;
            t->mix[a][b] = uint8_t(v + 128);
        }
    for (int master = 0; master < 16; ++master)
        for (int local = 0; local < 16; ++local)
            for (int s = 0; s < 256; ++s)
                // Integer division truncates toward zero, as the table is defined.
                t->vol[master * 16 + local][s] = uint8_t(master * local * (s - 128) / 225 + 128);
}

void TOV_WaveMix22S(uint8_t* out, const uint8_t* src, int samples, const uint8_t* v,
                    const MixTables& t) {
    for (int i = 0; i < samples; ++i) out[i] = t.mix[out[i]][v[src[i]]];
}

void TOV_WaveMix22M(uint8_t* out, const uint8_t* src, int samples, const uint8_t* v,
                    const MixTables& t) {
    for (int i = 0; i < samples; ++i) {
        const uint8_t s = v[src[i]];
        out[0] = t.mix[out[0]][s];
        out[1] = t.mix[out[1]][s];
        out += 2;
    }
}

void TOV_WaveMix11S_X(uint8_t* out, const uint8_t* src, int samples, const uint8_t* v,
                      const MixTables& t) {
    for (int i = 0; i + 1 < samples; i += 2) {
        const uint8_t l = v[src[i]], r = v[src[i + 1]];
        out[0] = t.mix[out[0]][l];
        out[1] = t.mix[out[1]][r];
        out[2] = t.mix[out[2]][l];
        out[3] = t.mix[out[3]][r];
        out += 4;
    }
}

void TOV_WaveMix11M(uint8_t* out, const uint8_t* src, int samples, const uint8_t* v,
                    const MixTables& t) {
    for (int i = 0; i < samples; ++i) {
        const uint8_t s = v[src[i]];
        for (int k = 0; k < 4; ++k) out[k] = t.mix[out[k]][s];
        out += 4;
    }
}

void TOV_WaveMix05M(uint8_t* out, const uint8_t* src, int samples, const uint8_t* v,
                    const MixTables& t) {
    for (int i = 0; i < samples; ++i) {
        const uint8_t s = v[src[i]];
        for (int k = 0; k < 8; ++k) out[k] = t.mix[out[k]][s];
        out += 8;
    }
}

void TOV_Clear(void* p, int n, uint32_t value) {
    auto* w = static_cast<uint8_t*>(p);
    for (int i = 0; i < n; ++i) std::memcpy(w + size_t(i) * 4, &value, 4);
}

}  // namespace tov
