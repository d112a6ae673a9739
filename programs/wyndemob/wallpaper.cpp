// Demo6: the six wallpapers saved into the Windows folder, then a picture with music until a
// click, and a fade to black.
#include <cstdio>
#include <cstring>

#include "night.h"
#include "nxlib.h"
#include "umb33.h"

namespace {

const char* const ucWALL[WALLPAPERS] = {"羽田スポット1024", "羽田スポット800", "羽田上空1024",
                                        "羽田上空800",      "東京管制部1024",  "東京管制部800"};

const RECT kVisible{0, 0, 800, 600};

// Draws a picture at (0, 0) of the screen, (0, 0)-(800, 600) of it without colour key, and frees
// it.
void ShowPicture(const char* path) {
    tagCELL cell{};
    if (!UMBDLL_ReadUMB(path, &cell)) return;
    ZEM_DisplayScreen(DemoState().hZEM, 0, 0, &cell, &kVisible, ZEM_NOKEY);
    ZEM_DeleteCell(&cell);
}

}  // namespace

const char* WallpaperName(int i) { return i >= 0 && i < WALLPAPERS ? ucWALL[i] : ""; }

int WallpaperFolder(char* folder, UINT cap) {
    const UINT n = GetWindowsDirectoryA(folder, cap);
    // 0 is no folder; cap or more is a folder that did not fit and came back cut.
    return n > 0 && n < cap ? 1 : 0;
}

int SaveWallpapers() {
    char folder[256] = {};
    if (!WallpaperFolder(folder, sizeof folder)) {
        DemoTrace("wallpapers no folder");
        return 0;
    }
    int written = 0;
    for (int i = 0; i < WALLPAPERS; ++i) {
        char from[300], to[560];
        std::snprintf(from, sizeof from, "%s\\%s.umz", "demo\\tokyo_b", ucWALL[i]);
        std::snprintf(to, sizeof to, "%s\\%s.bmp", folder, ucWALL[i]);
        tagCELL cell{};
        // A picture that did not load is not written over a good wallpaper.
        const int read = UMBDLL_ReadUMB(from, &cell);
        const int wrote = read ? UMBDLL_WriteBMP24(to, &cell) : 0;
        if (read) ZEM_DeleteCell(&cell);
        DemoTrace("wallpaper %d read %d written %d", i, read, wrote);
        written += wrote ? 1 : 0;
        // The window stays alive while the files are written.
        NXL_WIN_SystemTask();
    }
    return written;
}

void Demo6() {
    DemoGlobals& g = DemoState();
    g.hZEM = ZEM_Start(0, g.hWND, 800, 600, 1600, 600);
    if (!g.hZEM) return;
    ShowPicture("demo\\tokyo_b\\wait.umz");
    SaveWallpapers();
    ShowPicture("demo\\tokyo_b\\paper.umz");
    DemoTrace("paper");
    tagTOVWAVE music{};
    if (TOV_WaveRead("demo\\tokyo_b\\bgm.wav", &music) && g.bSOUND) TOV_WavePlay(0, &music, -1, 0);
    // A click that came while the wallpapers were written is forgotten.
    DemoTrace("show click %d", g.bCLICK);
    g.bCLICK = 0;
    while (!g.bCLICK && !g.bCLOSE) Task();
    DemoTrace("show end click %d close %d", g.bCLICK, g.bCLOSE);

    const RECT copy{800, 0, 1600, 600};
    ZEM_MoveScreen(g.hZEM, 800, 0, &kVisible);
    for (int level = 16; level >= 0; --level) {
        ZEM_MaskFlag(g.hZEM, 0);
        ZEM_ClearScreen(g.hZEM, &kVisible, 0);
        ZEM_MaskFlag(g.hZEM, 1);
        ZEM_BlendScreen(g.hZEM, 0, 0, &copy, level);
    }
    TOV_WaveStop(0);
    if (music.data) TOV_WaveFree(&music);
    ZEM_End(g.hZEM);
    g.hZEM = nullptr;
}
