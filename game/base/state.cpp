// The run's words and handles that every subsystem reads: the phase word, the stage state, the
// settings, the windows, the engine, the 2D screen, the program folder and the selection.
#include <cstdio>

#include "base/base.h"

const char kGameTitle[] = "Wynmoor２ Sarnet Corvessa Ver1.00";

namespace {
uint32_t g_gamephase = 0;
int32_t g_stagestate = STAGE_PLAY;
GameConfig g_config = {};
FrameHandles g_handles = {};
GameInput g_input = {};
int32_t g_selected = -1;
}  // namespace

void SetGamePhase(uint32_t phase) {
    const uint32_t word = phase << 16;
    if (word != g_gamephase) GameTrace("phase %04x", phase & 0xffff);
    g_gamephase = word;
}
uint32_t GetGamePhase() { return g_gamephase >> 16; }
uint32_t GetGamePhaseWord() { return g_gamephase; }

int32_t GetStageState() { return g_stagestate; }
void SetStageState(int32_t state) {
    if (state != g_stagestate) GameTrace("state %x", unsigned(state));
    g_stagestate = state;
}

GameConfig& GetConfig() { return g_config; }
GameInput& GetGameInput() { return g_input; }
int GetSelectedAircraft() { return g_selected; }
void SetSelectedAircraft(int slot) { g_selected = slot; }

FrameHandles& Handles() { return g_handles; }
const ScreenInfo& GetScreenInfo() { return g_handles.screeninfo; }
HWND GetMainWindow() { return g_handles.mainwnd; }
HWND GetViewWindow() { return g_handles.viewwnd; }
tagKRN* GetEngine() { return g_handles.engine; }
tagKRNL* GetRootLayer() { return g_handles.root; }
HZEMSCREEN GetMainScreen() { return g_handles.screen; }
const char* GetProgramFolder() { return g_handles.homedir; }
const char* GetAirportCode() { return g_handles.airport; }
const char* GetScenarioName() { return g_handles.scenario; }
int GetQuitByUser() { return g_handles.quitbyuser; }
int GetStageCleared() { return g_handles.stagecleared; }
void SetStageCleared(int cleared) { g_handles.stagecleared = cleared; }
int GetViewSeparate() { return g_handles.viewsep; }
int GetStageOffset() { return g_handles.stageoffset; }

void SetTitleStep(const char* step) {
    char title[256];
    std::snprintf(title, sizeof title, "%s <%s>", kGameTitle, step);
    GameTrace("title %s", step);
    if (g_handles.mainwnd) SetWindowTextA(g_handles.mainwnd, title);
}
