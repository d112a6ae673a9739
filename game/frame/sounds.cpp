// The game's sounds on the sound library's voices 0-19: interface effects, positional effects
// that fade with the camera's distance, one-shot waves, the music, and the lowered volumes
// while a radio text window speaks.
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "controller/radio.h"
#include "frame/frame_internal.h"
#include "world/world.h"

namespace {

constexpr const char* kInterfaceFiles[kInterfaceWaveFiles] = {
    "se\\print.wav", "se\\bording.wav", "se\\fuman.wav",  "se\\feed.wav",
    "se\\drop.wav",  "se\\select.wav",  "se\\switch.wav",
};
// Paused and resumed together: the radio (with 19), the positional voices but 5, the warning,
// the strip board, the one-shot voices and the text window's voice.
constexpr int kPausedVoices[] = {14, 15, 16, 17, 18, 19, 0, 1, 2, 3, 4, 10, 9, 7, 8, 12};

std::array<tagTOVWAVE, kInterfaceWaves> g_interface;
std::array<tagTOVWAVE, kVoiceWaves> g_voice;
std::array<tagKRN3D, kVoiceWaves> g_voicepos;
tagTOVWAVE g_music;
int g_lowered = 0;  // DuckVolumes (1) lowered the radio and the effects

std::string InFolder(const char* file) { return std::string(GetProgramFolder()) + file; }

void Release(tagTOVWAVE* wave) {
    if (!wave) return;
    if (wave->data) TOV_WaveFree(wave);
    *wave = tagTOVWAVE{};
}

// Reads `file` (below the program folder) into `wave`, freeing what it held.
void ReadInto(tagTOVWAVE* wave, const char* file) {
    Release(wave);
    TOV_WaveRead(InFolder(file).c_str(), wave);
}

bool Playing(int voice) { return TOV_WaveStatus(voice) != 0; }

// The positions heard in full (the first `multi` of the listening order) get `volume`.
void SetListenedVolume(int volume) {
    const ListenOrder& order = GetListenOrder();
    const int multi = std::clamp(GetConfig().multi, 0, kListenPlaces);
    for (int i = 0; i < multi; ++i)
        if (order[size_t(i)] > 0) TOV_WaveSetLocalVol(14 + order[size_t(i)] - 1, volume);
}

}  // namespace

void LoadGameSounds() {
    for (tagTOVWAVE& w : g_voice) Release(&w);
    for (tagTOVWAVE& w : g_interface) Release(&w);
    for (int p = 0; p < kExchangeRows; ++p) Release(GetExchangeWave(p));
    Release(&g_music);
    g_voicepos = {};
    for (int i = 0; i < kInterfaceWaveFiles; ++i)
        ReadInto(&g_interface[size_t(i)], kInterfaceFiles[i]);
    const GameConfig& c = GetConfig();
    TOV_WaveSetLocalVol(13, c.bgmvolume);
    for (int v : {10, 7, 8, 11}) TOV_WaveSetLocalVol(v, c.envvolume);
    TOV_WaveSetLocalVol(12, c.atcvolume);
    g_lowered = 0;
}

void FreeGameSounds() {
    for (int v : {10, 11, 12}) TOV_WaveStop(v);
    for (tagTOVWAVE& w : g_interface) Release(&w);
    for (int v = 0; v < kVoiceWaves; ++v) {
        TOV_WaveStop(v);
        Release(&g_voice[size_t(v)]);
    }
    for (int p = 0; p < kExchangeRows; ++p) {
        TOV_WaveStop(14 + p);
        Release(GetExchangeWave(p));
    }
}

void PlayBgm(const char* name, int loops, int volume) {
    if (!name || !*name) return;
    if (Playing(13)) TOV_WaveStop(13);
    char file[MAX_PATH];
    std::snprintf(file, sizeof file, "music\\%s.wav", name);
    ReadInto(&g_music, file);
    TOV_WaveSetLocalVol(13, volume);
    TOV_WavePlay(13, &g_music, loops, 0);
}

void StopBgm() {
    TOV_WaveStop(13);
    Release(&g_music);
}

int GetDistanceVolume(const tagKRN3D* position) {
    const double d = Distance3DInt(position, &GetCameraRecord().eye);
    int v = static_cast<int>(100 - d * 10 * 0.001);
    if (v < 10) v = 10;
    return GetConfig().envvolume * v / 100;
}

void PlayWaveOnVoice(int voice, const char* file, tagTOVWAVE* wave) {
    if (!wave) return;
    if (Playing(voice)) TOV_WaveStop(voice);
    ReadInto(wave, file);
    TOV_WavePlay(voice, wave, 1, 0);
}

int PlayEffectWave(const char* file, const tagKRN3D* position) {
    int voice = 0;
    while (voice < kEffectVoices && Playing(voice)) ++voice;
    if (voice == kEffectVoices) return -1;
    tagTOVWAVE& wave = g_voice[size_t(voice)];
    ReadInto(&wave, file);
    // A missing file leaves the record empty: nothing plays, the voice is still named.
    if (wave.size != 0) {
        TOV_WavePlay(voice, &wave, 1, 0);
        TOV_WaveSetLocalVol(voice, GetDistanceVolume(position));
    }
    g_voicepos[size_t(voice)] = *position;
    return voice;
}

void UpdateEffectVolumes() {
    // Voice 5 keeps the volume it started with.
    for (int v = 0; v < 5; ++v) TOV_WaveSetLocalVol(v, GetDistanceVolume(&g_voicepos[size_t(v)]));
}

void PauseAllSounds(int flag) {
    for (int v : kPausedVoices) TOV_WavePause(v, flag);
}

int PlayOneShotWave(const char* file) {
    int voice = 7;
    if (Playing(7)) {
        if (Playing(8)) return 0;
        voice = 8;
    }
    tagTOVWAVE& wave = g_voice[size_t(voice)];
    ReadInto(&wave, file);
    TOV_WavePlay(voice, &wave, 1, 0);
    return 1;
}

void PlaySe(int n) {
    if (n < 0 || n >= kInterfaceWaves) return;
    if (Playing(11)) TOV_WaveStop(11);
    TOV_WavePlay(11, &g_interface[size_t(n)], 1, 0);
}

void DuckVolumes(int flag) {
    const int env = GetConfig().envvolume;
    if (flag) {
        // Lowering twice has no further effect.
        if (g_lowered) return;
        g_lowered = 1;
        for (int v : {10, 7, 8}) TOV_WaveSetLocalVol(v, env / 3);
    } else {
        g_lowered = 0;
        for (int v : {10, 7, 8}) TOV_WaveSetLocalVol(v, env);
    }
    SetListenedVolume(GetAtcVolume());
}

int GetAtcVolume() {
    const int atc = GetConfig().atcvolume;
    return g_lowered ? atc / 3 : atc;
}

tagTOVWAVE* GetVoiceWave(int voice) {
    return voice >= 0 && voice < kVoiceWaves ? &g_voice[size_t(voice)] : nullptr;
}

tagTOVWAVE* GetInterfaceWave(int n) {
    return n >= 0 && n < kInterfaceWaves ? &g_interface[size_t(n)] : nullptr;
}
