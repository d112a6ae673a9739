// A caller of the sound library, built once against each generation: it reads a missing
// wave and tells the caption of the box its build showed.
#include <windows.h>
#include <wynplat.h>

#include "tov42.h"

extern "C" __attribute__((visibility("default"))) int GENCALLER_NAME(char* caption, size_t cap) {
    tagTOVWAVE w{};
    const int r = TOV_WaveRead("sound\\nothere.wav", &w);
    char text[512];
    WynPlat_LastMessageBox(caption, cap, text, sizeof text);
    return r;
}
