// The game's voices 0-19 of the sound library and their waves: interface effects, one-shot
// waves, the music, and the lowered volumes while a radio text window speaks (the positional
// effects' places and the radio rows are world's and controller's).
#include <array>
#include <cstdio>
#include <string>

#include "base/base.h"

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
tagTOVWAVE g_music;
int g_lowered = 0;  // LowerEffectVolumes (1) lowered the radio and the effects

std::string InFolder(const char* file) { return std::string(GetProgramFolder()) + file; }

bool Playing(int voice) { return TOV_WaveStatus(voice) != 0; }

}  // namespace

void FreeWave(tagTOVWAVE* wave) {
    if (!wave) return;
    if (wave->data) TOV_WaveFree(wave);
    *wave = tagTOVWAVE{};
}

void ReadWave(tagTOVWAVE* wave, const char* file) {
    FreeWave(wave);
    TOV_WaveRead(InFolder(file).c_str(), wave);
}

void LoadGameWaves() {
    for (tagTOVWAVE& w : g_voice) FreeWave(&w);
    for (tagTOVWAVE& w : g_interface) FreeWave(&w);
    FreeWave(&g_music);
    for (int i = 0; i < kInterfaceWaveFiles; ++i)
        ReadWave(&g_interface[size_t(i)], kInterfaceFiles[i]);
    const GameConfig& c = GetConfig();
    TOV_WaveSetLocalVol(13, c.bgmvolume);
    for (int v : {10, 7, 8, 11}) TOV_WaveSetLocalVol(v, c.envvolume);
    TOV_WaveSetLocalVol(12, c.atcvolume);
    g_lowered = 0;
}

void FreeGameWaves() {
    for (int v : {10, 11, 12}) TOV_WaveStop(v);
    for (tagTOVWAVE& w : g_interface) FreeWave(&w);
    for (int v = 0; v < kVoiceWaves; ++v) {
        TOV_WaveStop(v);
        FreeWave(&g_voice[size_t(v)]);
    }
}

void PlayBgm(const char* name, int loops, int volume) {
    if (!name || !*name) return;
    if (Playing(13)) TOV_WaveStop(13);
    char file[MAX_PATH];
    std::snprintf(file, sizeof file, "music\\%s.wav", name);
    ReadWave(&g_music, file);
    TOV_WaveSetLocalVol(13, volume);
    TOV_WavePlay(13, &g_music, loops, 0);
}

void StopBgm() {
    TOV_WaveStop(13);
    FreeWave(&g_music);
}

void PlayWaveOnVoice(int voice, const char* file, tagTOVWAVE* wave) {
    if (!wave) return;
    if (Playing(voice)) TOV_WaveStop(voice);
    ReadWave(wave, file);
    TOV_WavePlay(voice, wave, 1, 0);
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
    ReadWave(&wave, file);
    TOV_WavePlay(voice, &wave, 1, 0);
    return 1;
}

void PlaySe(int n) {
    if (n < 0 || n >= kInterfaceWaves) return;
    if (Playing(11)) TOV_WaveStop(11);
    TOV_WavePlay(11, &g_interface[size_t(n)], 1, 0);
}

int LowerEffectVolumes(int flag) {
    const int env = GetConfig().envvolume;
    if (flag) {
        // Lowering twice has no further effect.
        if (g_lowered) return 0;
        g_lowered = 1;
        for (int v : {10, 7, 8}) TOV_WaveSetLocalVol(v, env / 3);
    } else {
        g_lowered = 0;
        for (int v : {10, 7, 8}) TOV_WaveSetLocalVol(v, env);
    }
    return 1;
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
