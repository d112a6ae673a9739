// radiotext_run: the radio text window on the game's 2D screen, for the tests.
//
//   radiotext_run <airport> <scenario> <out folder> <x>:<y>:<seconds>:<bytes> ...
//
// Starts the game as the program does (windows, GameInit, the stage reset and set-up) and runs
// its frames, one world tick each on the virtual clock, until the start banner is over. Then
// each window in turn: DrawRadioText at x, y for `seconds` with a text of `bytes` bytes
// (double-byte characters "ＡＴＣ" repeated, a single "A" last when the count is odd), the
// sprites drawn and the main window saved as window-N.png (N from 1). After the last one the
// aircraft update's first step, CountDownRadioText (1), runs once a tick until the window is
// down (at most 100 000 ticks; none for a countdown of 0 or less), and the main window is
// saved as down.png. Lines of <out>/log.txt:
//   "window <n> countdown <c> sprite <x> <y> <z> <w> <h> atc <radio volume> voice10 <v>"
//   "tick <t> countdown <c> z <z> atc <radio volume> voice10 <v>" (after each step)
// The program exits 0 after the stage's exit; WYN_SCREENSHOT shows the window at that time.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../game_program.h"
#include "simulation/simulation.h"
#include "tov42.h"
#include "wynplat.h"

namespace {

FILE* g_log = nullptr;

struct Window {
    int x, y, seconds, bytes;
};

std::string Text(int bytes) {
    static const char kChars[] = "ＡＴＣ";  // three double-byte characters
    std::string t;
    for (int i = 0; i + 1 < bytes; i += 2) {
        const int k = (i / 2) % 3;
        t += kChars[2 * k];
        t += kChars[2 * k + 1];
    }
    if (bytes % 2) t += 'A';
    return t;
}

void Frames(int n) {
    for (int i = 0; i < n; ++i) {
        PumpMessages();
        FrameMain();
        TOV_Task();
    }
}

// The sprites drawn again, as a frame draws them, without the rest of the frame.
void Redraw() {
    HZEMSCREEN s = GetMainScreen();
    EraseSprites(s);
    DrawSprites(s);
    PumpMessages();
}

const tagZEMSPRITE& TextSprite() { return GetMainScreen()->sprite[kSpriteTextWindow]; }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdline, int) {
    const std::vector<std::string> words = CommandWords(cmdline);
    std::vector<Window> windows;
    for (size_t i = 3; i < words.size(); ++i) {
        Window w{};
        if (std::sscanf(words[i].c_str(), "%d:%d:%d:%d", &w.x, &w.y, &w.seconds, &w.bytes) != 4 ||
            w.bytes < 0) {
            std::fprintf(stderr, "radiotext_run: not <x>:<y>:<seconds>:<bytes>: %s\n",
                         words[i].c_str());
            return 2;
        }
        windows.push_back(w);
    }
    if (words.size() < 4) {
        std::fprintf(stderr,
                     "usage: radiotext_run <airport> <scenario> <out> <x>:<y>:<seconds>:<bytes> "
                     "...\n");
        return 2;
    }
    const std::string out = words[2];
    g_log = std::fopen((out + "/log.txt").c_str(), "w");
    if (!g_log) return 2;
    FrameHandles& f = Handles();
    if (!StartGame(instance, "RADIOTEXT_RUN", words[0], words[1])) {
        std::fprintf(stderr, "radiotext_run: the game does not start\n");
        return 1;
    }
    // The client area the game's own layout gives the main window.
    RECT r{0, 0, 800, 600};
    AdjustWindowRect(&r, static_cast<DWORD>(GetWindowLongA(f.mainwnd, GWL_STYLE)), FALSE);
    SetWindowPos(f.mainwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOMOVE);
    SetFrameStepMs(33);
    StageReset();
    SetGamePhase(GAMEPHASE_SETUP);
    StageSetup();
    SetGamePhase(GAMEPHASE_RUNNING);
    Frames(40);  // the start banner (30 ticks) is over
    for (size_t i = 0; i < windows.size(); ++i) {
        const Window& w = windows[i];
        DrawRadioText(w.x, w.y, Text(w.bytes).c_str(), w.seconds);
        Redraw();
        const tagZEMSPRITE& s = TextSprite();
        std::fprintf(g_log, "window %zu countdown %d sprite %d %d %d %d %d atc %d voice10 %d\n",
                     i + 1, GetRadioTextCountdown(), s.x, s.y, s.z, s.xsize, s.ysize,
                     GetAtcVolume(), TOV_WaveGetLocalVol(10));
        const std::string path = out + "/window-" + std::to_string(i + 1) + ".png";
        if (!WynPlat_SaveWindowPng(f.mainwnd, path.c_str()))
            std::fprintf(stderr, "radiotext_run: %s not written\n", path.c_str());
    }
    for (int t = 1; t <= 100000 && GetRadioTextCountdown() > 0; ++t) {
        CountDownRadioText(1);
        Redraw();
        std::fprintf(g_log, "tick %d countdown %d z %d atc %d voice10 %d\n", t,
                     GetRadioTextCountdown(), TextSprite().z, GetAtcVolume(),
                     TOV_WaveGetLocalVol(10));
    }
    std::fflush(g_log);
    if (!WynPlat_SaveWindowPng(f.mainwnd, (out + "/down.png").c_str()))
        std::fprintf(stderr, "radiotext_run: down.png not written\n");
    CloseGame();
    std::fclose(g_log);
    return 0;
}
