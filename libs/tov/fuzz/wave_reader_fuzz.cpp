// Fuzz target for the wave reader: any bytes as a wave file (plain, packed, segmented, in
// any combination of the header's form bytes), read in the DirectSound output's 16-bit form
// and through TOV_WaveRead, then mixed for a few buffers, so that a record the reader accepts
// is also safe to play.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <wynplat.h>

#include "mixkernel.h"
#include "tov42.h"
#include "tov_internal.h"
#include "voice.h"

namespace {

struct Setup {
    char path[MAX_PATH] = {};
    std::string file;
    tov::MixTables tables;
    std::vector<uint8_t> out = std::vector<uint8_t>(4096), work = std::vector<uint8_t>(65536);
    Setup() {
        setenv("WYN_HEADLESS", "1", 0);
        const char* tmp = std::getenv("TMPDIR");
        file = std::string(tmp ? tmp : "/tmp") + "/tov_fuzz_" + std::to_string(getpid()) + ".wav";
        WynPlat_ToSystemPath(file.c_str(), path, sizeof path);
        tov::BuildMixTables(&tables);
    }
};

Setup& S() {
    static Setup* s = new Setup;
    return *s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Setup& s = S();
    if (std::FILE* f = std::fopen(s.file.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    // The DirectSound output's form: 16-bit samples kept, 44100 Hz halved by whole frames.
    tov::LoadedWave l;
    if (tov::LoadWave(s.path, &l, tov::WaveForm::kBuffer)) {
        if (!l.data) __builtin_trap();
        TOV_Free(l.data);
    }
    tagTOVWAVE w{};
    if (TOV_WaveRead(s.path, &w) != 1) return 0;
    if (w.size < 0 || (w.size > 0 && !w.data)) __builtin_trap();
    if (w.mode == 3)
        for (int i = 0; i < 9; ++i)
            if (w.blocksize[i] < 0 || w.blocktop[i] < 0 || w.blocktop[i] + w.blocksize[i] > w.size)
                __builtin_trap();
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
    TOV_WaveFree(&w);
    return 0;
}
