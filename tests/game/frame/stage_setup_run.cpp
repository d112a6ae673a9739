// The stage's set-up on its own (stage_setup_run <airport> <scenario> <out>): the game started
// on a stage as wyntower starts it, the stage built, and what set-up left written to <out> one
// fact a line: the phase, the sky and weather layers, the light-pattern layers, the view and
// the strip board's place, the HUD's sprites, what stands in the view's band of the wallpaper,
// the main window's title; then the stage freed and the game ended as at the close box (no
// program follows).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../game_program.h"
#include "world/world.h"
#include "wynplat.h"

namespace {

// Whether the wallpaper's rows 200-399 are those of etc\kabekabe.umz as read: "wallpaper"
// (no loading picture was copied there) or "loading".
const char* BandOfWallpaper() {
    const tagCELL& wall = GetStageCells().wallpaper;
    tagCELL plain = {};
    char path[MAX_PATH + 32];
    std::snprintf(path, sizeof path, "%setc\\kabekabe.umz", GetProgramFolder());
    if (!wall.xsize || !UMBDLL_ReadUMB(path, &plain)) return "none";
    bool same = plain.xsize == wall.xsize && plain.ysize == wall.ysize;
    for (int y = 200; same && y < 400 && y < wall.ysize; ++y)
        same = std::memcmp(&wall.bits[y * wall.xsize], &plain.bits[y * plain.xsize],
                           sizeof(ZEMPIXEL) * size_t(wall.xsize)) == 0;
    ZEM_DeleteCell(&plain);
    return same ? "wallpaper" : "loading";
}

void Report(FILE* out) {
    const FrameHandles& f = Handles();
    std::fprintf(out, "phase %04x\n", GetGamePhase());
    const ObjectTable* objects = GetObjectTable();
    std::fprintf(out, "sky %d\n", objects && (*objects)[kObjectSky].layer ? 1 : 0);
    const WeatherLayers& w = GetWeatherLayers();
    std::fprintf(out, "rain %d smoke %d\n", w.rain ? 1 : 0, w.smoke ? 1 : 0);
    // The light-pattern layers in order: 1 shown, 0 hidden, - missing.
    std::fprintf(out, "lightpat ");
    for (tagKRNL* l : GetAirportLayers().lightpat)
        std::fputc(!l ? '-' : l->sw == 1 ? '1' : '0', out);
    std::fputc('\n', out);
    const RECT& v = View().viewrect;
    std::fprintf(out, "view %d %d %d %d viewsep %d stageoffset %d\n", int(v.left), int(v.top),
                 int(v.right), int(v.bottom), f.viewsep, f.stageoffset);
    if (HZEMSCREEN s = GetMainScreen())
        for (int n : {62, 63, 64, 65, 66, 70, 71, 72, 73}) {
            const tagZEMSPRITE& sp = s->sprite[n];
            if (!sp.cell) continue;
            std::fprintf(out, "sprite %d %d %d\n", n, int(sp.x - sp.cell->xoffset),
                         int(sp.y - sp.cell->yoffset));
        }
    std::fprintf(out, "band %s\n", BandOfWallpaper());
    char title[256] = "";
    if (f.mainwnd) GetWindowTextA(f.mainwnd, title, sizeof title);
    char utf8[3 * sizeof title];
    WynPlat_ToUtf8(title, 932, utf8, sizeof utf8);
    std::fprintf(out, "title %s\n", utf8);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdline, int) {
    const std::vector<std::string> words = CommandWords(cmdline);
    if (words.size() < 3) {
        std::fprintf(stderr, "usage: stage_setup_run <airport> <scenario> <out>\n");
        return 2;
    }
    FILE* out = std::fopen(words[2].c_str(), "w");
    if (!out) return 2;
    if (!StartGame(instance, "STAGE_SETUP_RUN", words[0], words[1])) {
        std::fprintf(stderr, "stage_setup_run: the game does not start\n");
        return 1;
    }
    StageReset();
    SetGamePhase(GAMEPHASE_SETUP);
    StageSetup();
    Report(out);
    std::fclose(out);
    CloseGame();
    return 0;
}
