// One channel's mixing: where it stands in its wave and how a buffer's worth of it is added
// to the output, by rate, channels, segments and pitch.
#pragma once

#include <cstdint>

#include "mixkernel.h"

namespace tov {

// The parts of a wave record the mixer reads. `mode` 3 marks a segmented wave; `top` and
// `length` then hold its nine segment entries.
struct WaveView {
    const uint8_t* data = nullptr;
    int32_t size = 0;
    int32_t rate = 0;
    int32_t mode = 0;
    const int32_t* top = nullptr;
    const int32_t* length = nullptr;
};

struct Voice {
    int position = 0;  // bytes into the data (into the current segment when segmented)
    int count = 0;     // passes left; 0 finished; negative endless
    int segment = 0;
    float pitch = 1.0f;  // source samples per output sample (22050 Hz waves)
};

// Whether the mixer has a routine for a plain (not segmented) wave of this rate and channel
// count: 22050 and 11025 Hz, and 5512 Hz mono.
bool MixerPlays(int rate, int mode);

// Adds up to `bytes` output bytes of the voice into `out` (22050 Hz stereo) through the
// volume row. `work` holds at least bytes / 2 frames of two bytes for pitched reading;
// `pitched` enables it. Returns false when the voice has finished (its count ran out, or its
// wave cannot be mixed: no data, another rate, a missing segment).
bool MixVoice(Voice& v, const WaveView& w, uint8_t* out, int bytes, const uint8_t* row,
              const MixTables& t, uint8_t* work, bool pitched);

}  // namespace tov
