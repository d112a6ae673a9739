// Stand-ins for the parts of the game that other modules build: the frame calls them by their
// names from the start. Each is removed here when its real module lands.
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
void DeleteObject(int) {}
void CameraReset() {}
void CameraMain(int) {}
void GroundSupportMain(int) {}
void RotateRadarAntennas(int) {}
void MoveMarker(int) {}

// ---- controller interface and radio ----
namespace {
ExchangeRows g_rows = {};
char* g_phrases[kPhraseBlocks] = {};
StripSlots g_stripslots = {};
}  // namespace
ExchangeRows& GetExchangeRows() { return g_rows; }
char* GetPhraseBlock(int which) {
    return which >= 0 && which < kPhraseBlocks ? g_phrases[which] : nullptr;
}
void SetPhraseBlock(int which, char* block) {
    if (which >= 0 && which < kPhraseBlocks) g_phrases[which] = block;
}
StripSlots& GetStripSlots() { return g_stripslots; }
void ExchangeMain(int) {}
void AtcPanelMain(int) {}
void DrawExchangeStatus() {}
void RadarMain() {}
void StripBoardMain(int) {}
void VoiceInit(HWND, const char*) {}
void VoiceEnd() {}
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
