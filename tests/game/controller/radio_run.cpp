// radio_run: the radio of a stage on its own, for the tests.
//
//   radio_run <airport> <scenario> [<position>:<message> ...]
//
// Starts the game as the program does (windows, GameInit, the stage reset), lays out the 2D
// screen and the radio panel as stage set-up does, creates the stage's aircraft from its
// timetable start, then queues the exchanges: the pairs given (a message number on a control
// position, about the aircraft in use in turn), by default every English message of the
// airport's table once, on the position of its hundred (1xx approach, 2xx tower, 3xx and 5xx
// ground, 4xx delivery, 6xx, 8xx and 9xx tower, 7xx departure, the rest approach). Each row
// speaks its messages one after another, the last one closing its exchange, one world tick a
// frame, until every row is idle; then the stage and the game end and the program exits 0.
// On the virtual clock every frame lasts 33 ms of the process clock. The game's trace
// (WYN_GAME_TRACE) gets the radio's lines; screenshots (WYN_SCREENSHOT_EVERY) count one frame
// per loop, the first being the frame that starts the first messages.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "../game_program.h"
#include "controller/controller.h"
#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "world/world.h"
#include "wynplat.h"

namespace {

int PositionOf(int message) {
    switch (message / 100) {
        case 1:
            return POSITION_APPROACH;
        case 2:
        case 6:
        case 8:
        case 9:
            return POSITION_TOWER;
        case 3:
        case 5:
            return POSITION_GROUND;
        case 4:
            return POSITION_DELIVERY;
        case 7:
            return POSITION_DEPARTURE;
        default:
            return POSITION_APPROACH;
    }
}

// Stage set-up's steps for the 2D screen and the radio: the wallpaper on both halves, the panel
// beside the docked radar, the windows shown, the radio, and the aircraft of the timetable start.
void SetUpStage() {
    FrameHandles& f = Handles();
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%setc\\kabekabe.umz", f.homedir);
    tagCELL wallpaper = {};
    if (LoadPictureCell(path, &wallpaper)) {
        ZEM_DisplayScreen(f.screen, 0, 0, &wallpaper, nullptr, 0x80000000);
        ZEM_DisplayScreen(f.screen, 800, 0, &wallpaper, nullptr, 0x80000000);
        CellFree(&wallpaper, "ゲーム壁紙");
    }
    // Sprites composed by the library over the shown half, the clean one behind.
    const RECT area{0, 0, 800, 600}, background{800, 0, 1600, 600};
    ZEM_InitSprite(f.screen, &area, &background);
    SetAtcPanelWidth(0);
    ShowWindow(f.mainwnd, SW_SHOW);
    ShowWindow(f.viewwnd, SW_SHOW);
    ClearAircraftTable();
    AtcInit();
    ResetTimetable();
    RunTimetable();
    ZEM_RefreshScreen(f.screen, nullptr, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdline, int) {
    const std::vector<std::string> words = CommandWords(cmdline);
    if (words.size() < 2) {
        std::fprintf(stderr, "usage: radio_run <airport> <scenario> [<position>:<message> ...]\n");
        return 2;
    }
    FrameHandles& f = Handles();
    if (!StartGame(instance, "RADIO_RUN", words[0], words[1])) {
        std::fprintf(stderr, "radio_run: the game does not start\n");
        return 1;
    }
    StageReset();
    SetUpStage();

    // The aircraft the messages are about, in turn.
    std::vector<int> slots;
    if (AircraftTable* t = GetAircraftTable())
        for (int s = 0; s < kAircraftSlots; ++s)
            if ((*t)[size_t(s)].used) slots.push_back(s);
    if (slots.empty()) slots.push_back(0);
    std::deque<std::pair<int, int>> lists[kExchangeRows];  // message, aircraft
    size_t turn = 0;
    const auto queue = [&](int p, int n) {
        if (p >= 0 && p < kExchangeRows) lists[p].emplace_back(n, slots[turn++ % slots.size()]);
    };
    if (words.size() > 2) {
        for (size_t i = 2; i < words.size(); ++i) {
            int p = -1, n = -1;
            if (std::sscanf(words[i].c_str(), "%d:%d", &p, &n) != 2 || p < 0 ||
                p >= kExchangeRows || n < 0) {
                std::fprintf(stderr, "radio_run: not <position>:<message>: %s\n", words[i].c_str());
                return 2;
            }
            queue(p, n);
        }
    } else {
        // The English table's offset entries: its first word counts them.
        const uint8_t* t = reinterpret_cast<const uint8_t*>(GetPhraseBlock(PHRASE_ENGLISH));
        const int count = t ? int(t[0] | t[1] << 8 | t[2] << 16 | uint32_t(t[3]) << 24) : 0;
        char text[kAtcText];
        int speaker = 0;
        for (int n = 0; n < count && n < 0x10000; ++n)
            if (GetAtcTextE(n, text, &speaker)) queue(PositionOf(n), n);
    }

    const bool virtualclock = WynPlat_IsVirtualClock();
    if (virtualclock) WynPlat_SetClockReadStep(0);
    ExchangeRows& rows = GetExchangeRows();
    for (int frame = 0;; ++frame) {
        if (virtualclock) WynPlat_AdvanceClock(33000);
        // Each row's queue is kept filled: one exchange of all its messages.
        bool busy = false;
        for (int p = 0; p < kExchangeRows; ++p) {
            ExchangeRow& row = rows[size_t(p)];
            while (!lists[p].empty()) {
                const auto [n, a] = lists[p].front();
                const uint32_t kind = lists[p].size() == 1 ? kExchangeLast : kExchangeMore;
                if (!PushExchangeMessage(p, MakeExchangeMessage(n, kind, a))) break;
                lists[p].pop_front();
            }
            busy = busy || !lists[p].empty() || (row.state & 0xf) != 0 || row.queue[0] != 0;
        }
        if (!busy && frame > 0) break;
        ExchangeMain(1);
        AtcPanelMain(1);
        DrawExchangeStatus();
        ZEM_RefreshSprite(f.screen);
        TOV_Task();
        PumpMessages();
    }
    AtcEnd();
    for (int p = 0; p < kExchangeRows; ++p) {
        TOV_WaveStop(14 + p);
        TOV_WaveFree(GetExchangeWave(p));
    }
    GameEnd();
    DestroyWindow(f.mainwnd);
    PumpMessages();
    return 0;
}
