// The one audio output of the process. Sources (the wave output now; the DirectSound
// stand-in and MIDI synthesis beside it) add their frames into one 22050 Hz stereo stream
// that an SDL audio device plays on a desktop, or that a headless sink consumes at the real
// rate of the process clock. Either way the stream can be captured to a WAV file.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace wyn::audio {

inline constexpr int kRate = 22050;
inline constexpr size_t kNoEvent = SIZE_MAX;

// A message a source wants posted once the output lock is released (a finished buffer).
struct Notice {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class Source {
  public:
    virtual ~Source() = default;
    // Adds the next `frames` frames into `mix` (interleaved left, right; 16-bit scale in 32
    // bits so that sources sum before the one clamp). Called with the output lock held.
    virtual void Render(int32_t* mix, size_t frames, std::vector<Notice>& notices) = 0;
    // Frames until the source next has something to report, or kNoEvent. Lock held.
    virtual size_t FramesToNextEvent() const = 0;
};

// Guards every source's state against the thread that plays the stream.
std::recursive_mutex& Lock();

// Adds a source; the first one opens the device. False when no device can be opened.
bool Attach(Source* source);
// Removes a source; the last one closes the device. Call without holding Lock().
void Detach(Source* source);
// A source's state changed (new data, pause, restart): the headless sink re-plans.
void Changed();
// Headless: plays, synchronously, everything that is due by the process clock now, so that
// callers that look at the sources' state see it as of the present. Call without Lock().
void CatchUp();

}  // namespace wyn::audio
