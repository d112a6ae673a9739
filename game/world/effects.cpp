// Positional effects: waves heard from a place of the airport on voices 0-5, fading with the
// camera's distance from it.
#include <array>

#include "base/base.h"
#include "world/world.h"

namespace {

std::array<tagKRN3D, kEffectVoices> g_places;

bool Playing(int voice) { return TOV_WaveStatus(voice) != 0; }

}  // namespace

int GetDistanceVolume(const tagKRN3D* position) {
    const double d = Distance3DInt(position, &GetCameraRecord().eye);
    int v = static_cast<int>(100 - d * 10 * 0.001);
    if (v < 10) v = 10;
    return GetConfig().envvolume * v / 100;
}

int PlayEffectWave(const char* file, const tagKRN3D* position) {
    int voice = 0;
    while (voice < kEffectVoices && Playing(voice)) ++voice;
    if (voice == kEffectVoices) return -1;
    tagTOVWAVE* wave = GetVoiceWave(voice);
    ReadWave(wave, file);
    // A missing file leaves the record empty: nothing plays, the voice is still named.
    if (wave->size != 0) {
        TOV_WavePlay(voice, wave, 1, 0);
        TOV_WaveSetLocalVol(voice, GetDistanceVolume(position));
    }
    g_places[size_t(voice)] = *position;
    return voice;
}

void UpdateEffectVolumes() {
    // Voice 5 keeps the volume it started with.
    for (int v = 0; v < 5; ++v) TOV_WaveSetLocalVol(v, GetDistanceVolume(&g_places[size_t(v)]));
}

void ClearEffectPlaces() { g_places = {}; }
