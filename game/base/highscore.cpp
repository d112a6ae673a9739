// The stage's record in its own ini file, which the script host reads to show records and
// unlock stages: the best total with a score code tying it to the date and the stage, and a
// cleared mark per difficulty level.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/base.h"

namespace {

constexpr char kWarning[] = "Wynmoor２の警告";

char Base36(uint32_t v) { return "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[v % 36]; }

}  // namespace

void MakeScoreCode(char* out, int year, int month, int day, int hour, int minute, int stage,
                   uint32_t total) {
    const uint32_t y = uint32_t(std::clamp(year, 2000, 2010) - 2000);
    // The stage number stands where the seconds would.
    const uint32_t t =
        ((((((y * 13 + uint32_t(month)) * 32 + uint32_t(day)) * 24 + uint32_t(hour)) * 60 +
           uint32_t(minute)) *
          60) +
         uint32_t(stage));
    uint32_t time[6], score[5];
    for (uint32_t i = 0, v = t; i < 6; ++i, v /= 36) time[i] = v % 36;
    for (uint32_t i = 0, v = total; i < 5; ++i, v /= 36) score[i] = v % 36;
    const uint32_t digits[11] = {time[0], score[0], time[1], score[1], time[2], score[2],
                                 time[3], score[3], time[4], score[4], time[5]};
    uint32_t check = 0;
    for (uint32_t d : digits) check = (check + d) % 36;
    out[0] = Base36(check);
    for (int i = 0; i < 11; ++i) out[i + 1] = Base36(digits[i]);
    out[12] = 0;
}

int SaveHighScore(int cleared) {
    const ScenarioHeader& h = GetScenarioHeader();
    char folder[16 + 1], stage[16 + 1];
    GetWord(h.title, 0, folder, 16);
    GetWord(h.title, 1, stage, 16);
    if (!IsBareName(folder) || !IsBareName(stage)) {
        char text[160];
        std::snprintf(text, sizeof text, "ステージ名【 %s %s 】ではハイスコアを記録できません。",
                      folder, stage);
        MessageBoxA(GetMainWindow(), text, kWarning, MB_OK);
        return 0;
    }
    // The stage's folder is made when it is missing, so that no record is lost.
    char path[MAX_PATH + 40];
    std::snprintf(path, sizeof path, "%sstage", GetProgramFolder());
    CreateDirectoryA(path, nullptr);
    std::snprintf(path, sizeof path, "%sstage\\%s", GetProgramFolder(), folder);
    CreateDirectoryA(path, nullptr);
    std::snprintf(path, sizeof path, "%sstage\\%s\\%s.ini", GetProgramFolder(), folder, stage);

    // Every write is made, so that what can be kept is kept; one box says that some was not.
    bool lost = false;
    auto write = [&](const char* key, const char* value) {
        if (!WritePrivateProfileStringA("Display", key, value, path)) lost = true;
    };
    bool wrote = false;
    const HudNumbers& hud = GetHud();
    const uint32_t total = hud.score + hud.bonus;
    if (total > uint32_t(GetPrivateProfileIntA("Display", "highscore", 0, path))) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", int32_t(total));
        write("highscore", text);
        const int spno = int(GetPrivateProfileIntA("Icon", "spno", 0, path));
        SYSTEMTIME now;
        GetSystemTime(&now);
        char code[13];
        MakeScoreCode(code, now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, spno / 100,
                      total);
        write("password", code);
        GameTrace("highscore %u %s", total, code);
        wrote = true;
    }
    if (cleared) {
        write(GetConfig().level ? "exstatus" : "status", "1");
        wrote = true;
    }
    if (lost) {
        char text[sizeof path + 200];
        std::snprintf(text, sizeof text,
                      "ステージの記録をファイル【 %s 】に書き込めませんでした。\n"
                      "  フォルダーとファイルに書き込めるか確かめてください。",
                      path);
        MessageBoxA(GetMainWindow(), text, kWarning, MB_OK);
        return 0;
    }
    return wrote ? 1 : 0;
}
