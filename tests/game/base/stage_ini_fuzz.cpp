// The stage ini's values as the game takes them: any bytes as a stage's ini file, over which a
// stage's record is written (SaveHighScore, cleared or not, at either level, with totals from
// small to past 2^31) and from which the follow-up program's command takes the stage number
// ([Icon] spno). A record that beats the stored total and was written reads back as that total.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/base.h"
#include "frame/frame.h"
#include "fuzz_scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzscratch::Folder folder;
    const std::string ini = folder.Put("stage/rjtt/s1.ini", data, size);
    if (ini.empty()) return 0;
    const std::string home = folder.Sys("x");
    std::snprintf(Handles().homedir, sizeof Handles().homedir, "%s",
                  home.substr(0, home.size() - 1).c_str());
    ScenarioHeader& h = GetScenarioHeader();
    h = ScenarioHeader{};
    std::snprintf(h.title, sizeof h.title, "rjtt s1");
    std::snprintf(h.exitprog, sizeof h.exitprog, "NEXT.EXE");

    // The kind of save comes from the input's first byte and its length.
    const uint8_t first = size ? data[0] : 0;
    GetHud() = HudNumbers{};
    GetHud().score = (first & 4 ? 0x7FFFFF00u : 0u) + uint32_t(size) * 977u;
    GetHud().bonus = first & 8 ? 0x90000000u : 0u;
    GetConfig() = GameConfig{};
    GetConfig().level = (first >> 1) & 1;
    const uint32_t total = GetHud().score + GetHud().bonus;
    const uint32_t stored = GetPrivateProfileIntA("Display", "highscore", 0, ini.c_str());
    if (SaveHighScore(first & 1) && total > stored &&
        GetPrivateProfileIntA("Display", "highscore", 0, ini.c_str()) != total)
        std::abort();

    SetStageCleared(1);
    char program[MAX_PATH + 16], arguments[64];
    if (ExitProgramCommand(program, arguments) && !std::strstr(program, "NEXT.EXE")) std::abort();
    SetStageCleared(0);
    return 0;
}
