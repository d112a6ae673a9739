// Stand-ins for the parts of the game that other modules build: the frame calls them by their
// names from the start. Each is removed here when its real module lands.
#include <cstdio>

#include "controller/controller.h"
#include "frame/frame.h"
#include "simulation/simulation.h"
#include "world/world.h"

// ---- traffic simulation ----
namespace {
AircraftTable* g_aircraft = nullptr;
}  // namespace
AircraftTable* GetAircraftTable() { return g_aircraft; }
void SetAircraftTable(AircraftTable* table) { g_aircraft = table; }
StageWeather& GetStageWeather() {
    static StageWeather w = {};
    return w;
}
void UpdateAircraft(int) {}
void StepTimetable(int) {}

// ---- airport world and cameras ----
namespace {
ObjectTable* g_objects = nullptr;
AirportRecord* g_airport = nullptr;
SidTable* g_sid = nullptr;
CameraRecord g_camera = {};
}  // namespace
ObjectTable* GetObjectTable() { return g_objects; }
void SetObjectTable(ObjectTable* table) { g_objects = table; }
AirportRecord* GetAirportRecord() { return g_airport; }
void SetAirportRecord(AirportRecord* airport) { g_airport = airport; }
SidTable* GetSidTable() { return g_sid; }
void SetSidTable(SidTable* table) { g_sid = table; }
CameraRecord& GetCameraRecord() { return g_camera; }
int GetInformationLetter() { return 0; }
void DeleteObject(int) {}
void CameraReset() {}
void CameraMain(int) {}
void GroundSupportMain(int) {}
void RotateRadarAntennas(int) {}
void MoveMarker(int) {}

// ---- controller interface ----
namespace {
StripSlots g_stripslots = {};
}  // namespace
StripSlots& GetStripSlots() { return g_stripslots; }
void RadarMain() {}
void StripBoardMain(int) {}
int IsFlightInfoShown() { return 0; }
tagCELL* GetFlightInfoCell() { return nullptr; }
RECT GetFlightInfoCorner() { return RECT{0, 0, 0, 0}; }

// ---- HUD, sprites, sounds, keyboard and mouse ----
int SpriteInit(HZEMSCREEN, const RECT*, const RECT*) { return 1; }
int EraseSprites(HZEMSCREEN) { return 1; }
int DrawSprites(HZEMSCREEN) { return 1; }
void StageBannerMain(int) {}
void StressMain() {}
void DrawScoreCounter(int) {}
void DrawWindIndicator() {}
void ShowPauseScreen() {}
void ResumeGame() {}
int TakeHudRefresh(RECT*) { return 0; }
void LoadGameSounds() {}
void FreeGameSounds() {}
void PauseAllSounds(int) {}
void KeyCommand() {}
void MouseCommand() {}
int GetSelectedAircraft() { return -1; }
int SetSpriteEx(HZEMSCREEN, int, int, int, int, int, int, int, int) { return 1; }
// Until the HUD keeps the frame's refresh mark, a marked rectangle goes to the window at once.
void AddRefreshRect(const RECT* rect) {
    if (HZEMSCREEN s = GetMainScreen()) ZEM_RefreshScreen(s, 0, rect);
}
tagTOVWAVE* GetVoiceWave(int voice) {
    static tagTOVWAVE waves[10] = {};
    return voice >= 0 && voice < 10 ? &waves[voice] : nullptr;
}
int GetAtcVolume() { return GetConfig().atcvolume; }

// ---- game frame services ----
const char* GetAirportCode() { return ""; }
int ReadWholeFile(HWND, const char* path, void* buffer, int size, int* read) {
    char full[MAX_PATH * 2];
    std::snprintf(full, sizeof full, "%s%s", GetProgramFolder(), path);
    HANDLE f = CreateFileA(full, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 0;
    DWORD got = 0;
    ReadFile(f, buffer, DWORD(size), &got, nullptr);
    CloseHandle(f);
    if (read) *read = int(got);
    return 1;
}
int CellAllocBmp(tagCELL* cell, int width, int height, const char*) {
    return ZEM_CreateBmpCell(cell, width, height);
}
int LoadPictureCell(const char* path, tagCELL* cell) { return UMBDLL_ReadUMB(path, cell); }
void CellFree(tagCELL* cell, const char*) {
    if (cell->xsize) ZEM_DeleteCell(cell);
}
int GameTraceOn() { return 0; }
void GameTrace(const char*, ...) {}
