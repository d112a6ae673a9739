// Fuzz target: any text as a voice script: its tokens, and BuildVoice with words kept in memory
// (some present, others missing, so that error.wav stands in), radio noise and echo by the
// first byte.
#include <cstring>
#include <string>

#include "memory_words.h"

namespace {

const char* const kFolder = "V\\";

void Words() {
    const char* const words[] = {"0",     "1",     "2",     "3",   "4",     "5",       "6",
                                 "7",     "8",     "9",     "100", "1000",  "DECIMAL", "LEFT",
                                 "RIGHT", "JA",    "A",     "W",   "north", "#1",      "#20",
                                 "#300",  "#4000", "roger", "a",   "%"};
    for (size_t i = 0; i < sizeof words / sizeof *words; ++i)
        memwords::Put(kFolder, "v", words[i], 20 + 13 * i, uint8_t(60 + 7 * i));
    memwords::PutFile(std::string(kFolder) + "space.wav", 30);
    memwords::PutFile(std::string(kFolder) + "error.wav", 17, 200);
    memwords::PutFile(std::string(kFolder) + "noise.wav", 5).samples = {120, 130, 125, 140, 110};
    SetVoiceWordStore(&memwords::kStore);
    VoiceInit(nullptr, kFolder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (Words(), true);
    (void)ready;
    if (size == 0) return 0;
    const int flags = data[0];
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    text = text.c_str();  // the voice reads up to a NUL
    char token[kAtcText];
    for (const char* p = text.c_str(); *p;) {
        const char* next = NextVoiceToken(p, token);
        if (next <= p || next > text.c_str() + text.size() || std::strlen(token) >= kAtcText)
            __builtin_trap();
        p = next;
    }
    tagTOVWAVE wave = {};
    char caption[kAtcText];
    BuildVoice("v", text.c_str(), &wave, caption, flags & 1, flags & 2);
    if (std::strlen(caption) >= size_t(kAtcText)) __builtin_trap();
    TOV_WaveFree(&wave);
    memwords::Log().clear();
    return 0;
}
