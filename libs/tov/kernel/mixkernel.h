// The mixer's tables and its per-rate mixing routines. Every routine expands a wave's 8-bit
// unsigned samples to the output's 22050 Hz stereo and adds each output byte to what the
// buffer already holds: o = mix[o][vol[row][s]], one volume and one mix lookup per byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tov {

struct MixTables {
    // mix[a][b] = clamp((a - 128) + (b - 128), -128, 127) + 128
    uint8_t mix[256][256];
    // vol[master * 16 + local][s] = trunc(master * local * (s - 128) / 225) + 128
    uint8_t vol[256][256];
};

void BuildMixTables(MixTables* t);

// The volume row for a master and a local volume, both already held to 0..15.
inline const uint8_t* VolumeRow(const MixTables& t, int master, int local) {
    return t.vol[master * 16 + local];
}

// `samples` counts source bytes read; the output grows by the routine's expansion.
using MixRoutine = void (*)(uint8_t* out, const uint8_t* src, int samples, const uint8_t* volRow,
                            const MixTables& t);

void TOV_WaveMix22S(uint8_t* out, const uint8_t* src, int samples, const uint8_t* volRow,
                    const MixTables& t);  // 22050 Hz stereo: 1 byte per byte
void TOV_WaveMix22M(uint8_t* out, const uint8_t* src, int samples, const uint8_t* volRow,
                    const MixTables& t);  // 22050 Hz mono: 2 bytes per sample
void TOV_WaveMix11S_X(uint8_t* out, const uint8_t* src, int samples, const uint8_t* volRow,
                      const MixTables& t);  // 11025 Hz stereo: each pair twice (whole pairs only)
void TOV_WaveMix11M(uint8_t* out, const uint8_t* src, int samples, const uint8_t* volRow,
                    const MixTables& t);  // 11025 Hz mono and segmented waves: 4 bytes per sample
void TOV_WaveMix05M(uint8_t* out, const uint8_t* src, int samples, const uint8_t* volRow,
                    const MixTables& t);  // 5512 Hz: 8 bytes per sample

// Fills n 32-bit words with value.
void TOV_Clear(void* p, int n, uint32_t value);

}  // namespace tov
