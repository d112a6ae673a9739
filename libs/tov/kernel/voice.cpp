#include "voice.h"

#include <algorithm>
#include <cmath>

#include "pitch.h"
#include "wavefmt.h"

namespace tov {
namespace {

// The end of a pass: a plain wave starts over while passes remain.
bool EndOfPass(Voice& v) {
    v.position = 0;
    if (v.count > 0 && --v.count == 0) return false;
    return true;
}

// The routine that expands a plain wave of this rate and channel count to the output, and
// the output bytes per source byte; no routine for any other rate or a stereo 5512 Hz wave.
struct Routine {
    MixRoutine fn = nullptr;
    int factor = 0;
};
Routine RoutineFor(int rate, int mode) {
    if (rate == 22050) return {mode == 1 ? TOV_WaveMix22M : TOV_WaveMix22S, mode == 1 ? 2 : 1};
    if (rate == 11025) return {mode == 1 ? TOV_WaveMix11M : TOV_WaveMix11S_X, mode == 1 ? 4 : 2};
    if (rate == 5512 && mode == 1) return {TOV_WaveMix05M, 8};
    return {};
}

}  // namespace

bool MixerPlays(int rate, int mode) { return RoutineFor(rate, mode).fn != nullptr; }

bool MixVoice(Voice& v, const WaveView& w, uint8_t* out, int bytes, const uint8_t* row,
              const MixTables& t, uint8_t* work, bool pitched) {
    if (!w.data || w.size <= 0 || v.count == 0) return false;
    int sum = 0;
    // Every pass of the loop fills output or ends a pass of the source; the guard only
    // bounds a wave whose passes are all empty.
    for (int guard = 0; sum < bytes && guard < 1 << 16; ++guard) {
        if (w.mode == 3) {
            const int seg = v.segment;
            const int len = (seg >= 0 && seg < kSegments) ? w.length[seg] : 0;
            const int top = (seg >= 0 && seg < kSegments) ? w.top[seg] : 0;
            if (len <= 0 || top < 0 || top > w.size - len) return false;  // no such segment
            if (v.position < 0) v.position = 0;
            if (v.position < len) {
                const int samples = std::min(bytes - sum, (len - v.position) * 4) / 4;
                if (samples == 0) break;
                TOV_WaveMix11M(out + sum, w.data + top + v.position, samples, row, t);
                v.position += samples;
                sum += samples * 4;
            }
            if (v.position >= len) {
                v.position = 0;
                if (seg == 0 && w.length[1] != 0) {
                    v.segment = 1;
                } else if (seg + 1 < kSegments && w.length[seg + 1] != 0) {
                    // a middle segment loops until it is skipped
                } else if (v.count > 0 && --v.count == 0) {
                    return false;  // the last segment uses up the passes
                }
            }
            continue;
        }

        const int mode = w.mode;
        if ((mode != 1 && mode != 2) || v.position < 0) return false;
        if (v.position > w.size) v.position = w.size;  // the wave shrank under the voice
        if (w.rate == 22050 && v.pitch != 1.0f && pitched) {
            const int frames = w.size / mode;
            const int posf = v.position / mode;
            const int cap = (bytes - sum) / 2;
            if (cap == 0) break;
            if (posf < frames) {
                int n = cap;
                const float p = v.pitch;
                // A pitch of 0 or below fills the buffer from where it stands (no division).
                if (p > 0.0f) {
                    const double want = std::trunc(double(frames - posf) / double(p));
                    if (want < double(cap)) n = int(want);
                }
                if (n < 1) n = 1;
                const float x = PitchedRead(work, w.data, frames, mode, float(posf), p, n);
                if (mode == 1)
                    TOV_WaveMix22M(out + sum, work, n, row, t);
                else
                    TOV_WaveMix22S(out + sum, work, 2 * n, row, t);
                sum += 2 * n;
                double adv = std::trunc(double(x)) - posf;
                if (!(adv >= 1.0)) adv = 1.0;
                v.position = int(std::min(double(posf) + adv, double(frames))) * mode;
            }
            if (v.position >= frames * mode && !EndOfPass(v)) return false;
            continue;
        }
        const auto [fn, factor] = RoutineFor(w.rate, mode);
        if (!fn) return false;  // no mixing routine for this rate
        const int frame = fn == TOV_WaveMix11S_X ? 2 : 1;
        const int left = w.size - v.position;
        int samples = std::min(bytes - sum, left * factor) / factor;
        samples -= samples % frame;
        if (samples > 0) {
            fn(out + sum, w.data + v.position, samples, row, t);
            v.position += samples;
            sum += samples * factor;
        } else if (left >= frame) {
            break;  // the buffer is full
        } else {
            v.position = w.size;  // a trailing partial frame
        }
        if (v.position >= w.size && !EndOfPass(v)) return false;
    }
    return true;
}

}  // namespace tov
