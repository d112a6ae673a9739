// The scenario header read of start-up over any bytes, as either form: every field is read
// inside the bytes given, texts end inside their fields, and the stage words of the title split.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "base/base.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Start-up reads at most this much of a file.
    if (size > static_cast<size_t>(kScenarioReadMax)) size = kScenarioReadMax;
    for (const int format : {int{SCENARIO_NEW}, int{SCENARIO_OLD}}) {
        ScenarioHeader h;
        if (!ParseScenarioHeader(data, size, format, &h)) std::abort();
        if (std::strlen(h.title) > 32 || std::strlen(h.music) > 16 ||
            std::strlen(h.exitprog) > 16 || std::strlen(h.world.weather) > 4)
            std::abort();
        if (h.timetable != (format == SCENARIO_NEW ? 0xec : 0xd4)) std::abort();
        char word[17];
        GetWord(h.title, 0, word, 8);
        GetWord(h.title, 1, word, 16);
        if (std::strlen(word) > 16) std::abort();
    }
    return 0;
}
