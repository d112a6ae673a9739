// A word store in memory for the voice: tests, fuzz targets and benchmarks give BuildVoice word
// waves without files. Words are keyed by the path the voice asks for ("<folder><voice>\<word>
// .wav"); their samples are handed out in the sound library's own blocks, so the records free
// as read ones do.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "controller/controller.h"

namespace memwords {

struct Word {
    std::vector<uint8_t> samples;  // at least two bytes (one byte of silence means 1 ms)
    int rate = 11025, bits = 8, channels = 1;
};

inline std::map<std::string, Word>& Words() {
    static std::map<std::string, Word> words;
    return words;
}

// The paths read and appended, in order (a test clears it).
inline std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
}

inline int Exists(const char* path) { return Words().count(path) ? 1 : 0; }

inline int Read(const char* path, tagTOVWAVE* wave) {
    Log().push_back(path);
    auto it = Words().find(path);
    if (it == Words().end()) return 0;
    const Word& w = it->second;
    auto* data = static_cast<BYTE*>(TOV_Alloc2(DWORD(w.samples.size() + 1), "memory word"));
    if (!data) return 0;
    std::memcpy(data, w.samples.data(), w.samples.size());
    *wave = tagTOVWAVE{};
    wave->rate = w.rate;
    wave->bit = w.bits;
    wave->mode = w.channels;
    wave->size = LONG(w.samples.size());
    wave->data = data;
    return 1;
}

inline int Append(const char* path, tagTOVWAVE* wave) {
    Log().push_back(path);
    auto it = Words().find(path);
    if (it == Words().end() || !wave->data) return 0;
    const std::vector<uint8_t>& s = it->second.samples;
    const DWORD before = DWORD(wave->size);
    if (!TOV_AppendSpace(wave, int(s.size()), 0)) return 0;
    void* data = nullptr;
    DWORD size = 0;
    TOV_LockWave(wave, &data, &size);
    std::memcpy(static_cast<BYTE*>(data) + before, s.data(), s.size());
    TOV_UnlockWave(wave, data, size);
    return 1;
}

inline int Format(const char* path, int* rate, int* bits, int* channels) {
    auto it = Words().find(path);
    if (it == Words().end()) return 0;
    *rate = it->second.rate;
    *bits = it->second.bits;
    *channels = it->second.channels;
    return 1;
}

inline const VoiceWordStore kStore = {Exists, Read, Append, Format};

// Puts `word` of voice folder `voice` under `folder` with `n` samples of value `value`.
// A wave of `n` samples of `value` at `path`; `word` of voice folder `voice` under `folder`.
inline Word& PutFile(const std::string& path, size_t n, uint8_t value = 128) {
    Word& w = Words()[path];
    w = Word{};
    w.samples.assign(n < 2 ? 2 : n, value);
    return w;
}
inline Word& Put(const std::string& folder, const std::string& voice, const std::string& word,
                 size_t n, uint8_t value = 128) {
    return PutFile(folder + voice + "\\" + word + ".wav", n, value);
}

}  // namespace memwords
