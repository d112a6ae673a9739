#include "audio/midi_synth.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>

namespace wyn::media {
namespace {

// The few entry points used, bound by name so that the program runs without the library.
struct Fluid {
    void* (*newSettings)();
    int (*setnum)(void*, const char*, double);
    void* (*newSynth)(void*);
    int (*sfload)(void*, const char*, int);
    int (*noteon)(void*, int, int, int);
    int (*noteoff)(void*, int, int);
    int (*cc)(void*, int, int, int);
    int (*program)(void*, int, int);
    int (*bend)(void*, int, int);
    int (*pressure)(void*, int, int);
    int (*reset)(void*);
    int (*write)(void*, int, void*, int, int, void*, int, int);
};

template <class T>
bool Bind(void* lib, const char* name, T* fn) {
    *fn = reinterpret_cast<T>(dlsym(lib, name));
    return *fn != nullptr;
}

std::string SoundFont() {
    const char* named = std::getenv("WYN_SOUNDFONT");
    if (named && *named) return named;
    for (const char* p :
         {"/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/default-GM.sf2"}) {
        struct stat st;
        if (stat(p, &st) == 0) return p;
    }
    return "";
}

class FluidSynth final : public Synth {
  public:
    FluidSynth(const Fluid& f, void* synth) : f_(f), synth_(synth) {}
    void Reset() override { f_.reset(synth_); }
    void Send(const uint8_t* b, size_t size) override {
        if (size < 2) return;
        const int ch = b[0] & 0x0F;
        const int d1 = b[1], d2 = size > 2 ? b[2] : 0;
        switch (b[0] & 0xF0) {
            case 0x80:
                f_.noteoff(synth_, ch, d1);
                break;
            case 0x90:
                d2 ? f_.noteon(synth_, ch, d1, d2) : f_.noteoff(synth_, ch, d1);
                break;
            case 0xB0:
                f_.cc(synth_, ch, d1, d2);
                break;
            case 0xC0:
                f_.program(synth_, ch, d1);
                break;
            case 0xD0:
                f_.pressure(synth_, ch, d1);
                break;
            case 0xE0:
                f_.bend(synth_, ch, d1 | (d2 << 7));
                break;
            default:
                break;
        }
    }
    void Render(int32_t* mix, size_t frames) override {
        int16_t buf[1024];
        while (frames > 0) {
            const size_t n = std::min<size_t>(frames, 512);
            f_.write(synth_, int(n), buf, 0, 2, buf, 1, 2);
            for (size_t i = 0; i < n * 2; ++i) mix[i] += buf[i];
            mix += n * 2;
            frames -= n;
        }
    }

  private:
    Fluid f_;
    void* synth_;
};

Synth* Make() {
    const std::string font = SoundFont();
    if (font.empty()) return nullptr;
    void* lib = nullptr;
    for (const char* name : {"libfluidsynth.so.3", "libfluidsynth.so.2", "libfluidsynth.so"})
        if ((lib = dlopen(name, RTLD_NOW | RTLD_LOCAL))) break;
    if (!lib) return nullptr;
    Fluid f{};
    if (!Bind(lib, "new_fluid_settings", &f.newSettings) ||
        !Bind(lib, "fluid_settings_setnum", &f.setnum) ||
        !Bind(lib, "new_fluid_synth", &f.newSynth) || !Bind(lib, "fluid_synth_sfload", &f.sfload) ||
        !Bind(lib, "fluid_synth_noteon", &f.noteon) ||
        !Bind(lib, "fluid_synth_noteoff", &f.noteoff) || !Bind(lib, "fluid_synth_cc", &f.cc) ||
        !Bind(lib, "fluid_synth_program_change", &f.program) ||
        !Bind(lib, "fluid_synth_pitch_bend", &f.bend) ||
        !Bind(lib, "fluid_synth_channel_pressure", &f.pressure) ||
        !Bind(lib, "fluid_synth_system_reset", &f.reset) ||
        !Bind(lib, "fluid_synth_write_s16", &f.write))
        return nullptr;
    void* settings = f.newSettings();
    if (!settings) return nullptr;
    f.setnum(settings, "synth.sample-rate", 22050.0);
    void* synth = f.newSynth(settings);
    if (!synth) return nullptr;
    if (f.sfload(synth, font.c_str(), 1) < 0) return nullptr;
    return new FluidSynth(f, synth);
}

}  // namespace

Synth* Synth::Get() {
    // Kept for the life of the process: loading a sound font takes a while.
    static std::once_flag once;
    static Synth* synth = nullptr;
    std::call_once(once, [] { synth = Make(); });
    return synth;
}

}  // namespace wyn::media
