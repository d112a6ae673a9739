// MIDI synthesis for the sequencer device: the system's FluidSynth library, loaded at run
// time, with a General MIDI sound font. Either may be missing; the sequencer then plays
// silently with the same timing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wyn::media {

class Synth {
  public:
    // The process's synthesizer, made on first use; null when the library or the sound font
    // is missing (WYN_SOUNDFONT names the font, else the Debian General MIDI font).
    static Synth* Get();
    virtual ~Synth() = default;
    virtual void Reset() = 0;                                  // all notes off, defaults
    virtual void Send(const uint8_t* bytes, size_t size) = 0;  // one channel message
    // Adds `frames` 22050 Hz stereo frames into `mix` (16-bit scale).
    virtual void Render(int32_t* mix, size_t frames) = 0;
};

}  // namespace wyn::media
