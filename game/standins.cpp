// Stand-ins for the parts of the game that other modules build: the frame calls them by their
// names from the start. Each is removed here when its real module lands.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "controller/controller.h"
#include "frame/frame.h"
#include "frame/frame_internal.h"
#include "simulation/simulation_internal.h"
#include "standins.h"
#include "world/world.h"

std::vector<std::string>& StandInCalls() {
    static std::vector<std::string> calls;
    return calls;
}
namespace {
void Called(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Called(const char* format, ...) {
    char line[256];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    StandInCalls().push_back(line);
}
}  // namespace

// ---- traffic simulation ----
void UpdateAircraft(int) {}

// ---- traffic simulation: the tick the aircraft update simulates within the frame ----
int GetUpdateTickStep() { return 0; }

// ---- controller interface ----
namespace {
StripSlots g_stripslots = {};
}  // namespace
StripSlots& GetStripSlots() { return g_stripslots; }
void RadarMain() {}
void CreateRadarWindow() {}
int GetRadarWindowRect(RECT*) { return 0; }
void StripBoardMain(int) {}
int IsFlightInfoShown() { return 0; }
tagCELL* GetFlightInfoCell() { return nullptr; }
RECT GetFlightInfoCorner() { return RECT{0, 0, 0, 0}; }

// ---- keyboard and mouse ----
void KeyCommand() {}
void MouseCommand() {}

// ---- recorded stand-ins of the calls the traffic simulation makes ----
namespace {
StripQueue g_stripqueue = {};
int g_selected = -1;
}  // namespace

StripQueue& GetStripQueue() { return g_stripqueue; }
void DrawStrip(int slot) { Called("DrawStrip %d", slot); }
void AddStripMemo(int slot, const char* text) { Called("AddStripMemo %d %s", slot, text); }
void DrawRadarLabel(int slot) { Called("DrawRadarLabel %d", slot); }
void ClearRadarLabel(int slot) { Called("ClearRadarLabel %d", slot); }
void BuildCommandMenu(int slot) { Called("BuildCommandMenu %d", slot); }
void HideCommandMenu() { Called("HideCommandMenu"); }
void HideFlightInfo() { Called("HideFlightInfo"); }
void DrawFlightInfo(int slot) { Called("DrawFlightInfo %d", slot); }
void PropagateStatus(int slot, int32_t status) { Called("PropagateStatus %d %x", slot, status); }
int GetCommandMenuCount() { return 0; }

int GetSelectedAircraft() { return g_selected; }
void SetSelectedAircraft(int slot) { g_selected = slot; }

// ---- recorded stand-ins of the calls the aircraft scripts make ----
namespace {
int g_radiotextcountdown = 0;
}  // namespace
void DrawStripCallsign(int slot) { Called("DrawStripCallsign %d", slot); }
void SetStripRunwayMemo(int slot, int n) { Called("SetStripRunwayMemo %d %d", slot, n); }
void ClearCommandMenu() { Called("ClearCommandMenu"); }
int AddMenuItem(int code, int aircraft, int column) {
    Called("AddMenuItem %x %d %d", code, aircraft, column);
    return -1;
}
MenuItem* GetCommandMenuItem(int) { return nullptr; }
void DrawInfoLine() { Called("DrawInfoLine"); }
// Until the window exists its countdown is set as the window sets it.
void DrawRadioText(int x, int y, const char* text, int seconds) {
    Called("DrawRadioText %d %d %s %d", x, y, text, seconds);
    g_radiotextcountdown = seconds > 0 ? seconds * 30 : seconds;
}
int GetRadioTextCountdown() { return g_radiotextcountdown; }
void SetRadioTextCountdown(int ticks) { g_radiotextcountdown = ticks; }
