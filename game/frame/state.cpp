// The frame's words and handles that the other subsystems read: the phase word, the stage
// state, the settings, the windows, the engine, the 2D screen and the program folder.
#include "frame/frame_internal.h"

namespace {
uint32_t g_gamephase = 0;
int32_t g_stagestate = STAGE_PLAY;
GameConfig g_config = {};
FrameHandles g_handles = {};
}  // namespace

void SetGamePhase(uint32_t phase) { g_gamephase = phase << 16; }
uint32_t GetGamePhase() { return g_gamephase >> 16; }
uint32_t GetGamePhaseWord() { return g_gamephase; }

int32_t GetStageState() { return g_stagestate; }
void SetStageState(int32_t state) { g_stagestate = state; }

GameConfig& GetConfig() { return g_config; }

FrameHandles& Handles() { return g_handles; }
HWND GetMainWindow() { return g_handles.mainwnd; }
HWND GetViewWindow() { return g_handles.viewwnd; }
tagKRN* GetEngine() { return g_handles.engine; }
tagKRNL* GetRootLayer() { return g_handles.root; }
HZEMSCREEN GetMainScreen() { return g_handles.screen; }
const char* GetProgramFolder() { return g_handles.homedir; }
