// Fuzz target for the wave reader: any bytes as a wave file (the fixed header with any
// combination of its form bytes, other tools' chunks) or, when they begin like an Ogg stream,
// as an Ogg file through the decoder. Each is read in the DirectSound output's form, through
// TOV_WaveRead in the mixer's form and appended to a wave, and then mixed for a few buffers,
// so that a record the reader accepts is also safe to play.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <wynplat.h>

#include "fuzz_scratch.h"
#include "mixkernel.h"
#include "tov42.h"
#include "tov_internal.h"
#include "voice.h"

namespace {

struct Setup {
    tov::MixTables tables;
    std::vector<uint8_t> out = std::vector<uint8_t>(4096), work = std::vector<uint8_t>(65536);
    Setup() {
        setenv("WYN_HEADLESS", "1", 0);
        tov::BuildMixTables(&tables);
    }
};

Setup& S() {
    static Setup* s = new Setup;
    return *s;
}

void Mix(const tagTOVWAVE& w) {
    Setup& s = S();
    tov::WaveView view;
    view.data = w.data;
    view.size = w.size;
    view.rate = w.rate;
    view.mode = w.mode;
    view.top = w.blocktop;
    view.length = w.blocksize;
    for (float pitch : {1.0f, 0.7f}) {
        tov::Voice v;
        v.count = 2;
        v.pitch = pitch;
        for (int b = 0; b < 4 && v.count != 0; ++b)
            if (!tov::MixVoice(v, view, s.out.data(), int(s.out.size()),
                               tov::VolumeRow(s.tables, 15, 15), s.tables, s.work.data(), true))
                break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    S();
    fuzzscratch::Folder folder;
    const bool ogg = size >= 4 && std::memcmp(data, "OggS", 4) == 0;
    const std::string path = folder.Put(ogg ? "input.rvg" : "input.wav", data, size);
    if (path.empty()) return 0;
    // The DirectSound output's form: 16-bit samples kept, the file's own rate.
    tov::LoadedWave l;
    if (tov::LoadWave(path.c_str(), &l, tov::WaveForm::kBuffer)) {
        if (!l.data) __builtin_trap();
        TOV_Free(l.data);
    }
    tagTOVWAVE w{};
    if (TOV_WaveRead(path.c_str(), &w) != 1) return 0;
    if (w.size < 0 || (w.size > 0 && !w.data)) __builtin_trap();
    // Rates without a mixing routine were converted.
    if (w.mode != 3 && !tov::MixerPlays(w.rate, w.mode)) __builtin_trap();
    if (w.mode == 3)
        for (int i = 0; i < 9; ++i)
            if (w.blocksize[i] < 0 || w.blocktop[i] < 0 || w.blocktop[i] + w.blocksize[i] > w.size)
                __builtin_trap();
    Mix(w);
    const LONG before = w.size;
    if (TOV_AppendWaveRead(path.c_str(), &w) == 1 && w.size < before) __builtin_trap();
    TOV_WaveFree(&w);
    return 0;
}
