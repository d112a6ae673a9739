// The controller interface and the radio: the five exchange rows with their queued message
// words, the phrase-table blocks and the strip board's slots. Plain records reached through the
// accessors below.
#pragma once

#include <array>
#include <cstdint>

#include <windows.h>

#include "umb33.h"

// ---- the queued message word (ExchangeMessageCode) ----
// bits 16-31 the message number in the phrase tables; bits 8-15 0x00/0x01 more follow, 0x02 the
// last of the exchange; bits 0-7 the index (0-19) of the aircraft the message is about.
using ExchangeMessageCode = uint32_t;
constexpr uint32_t kExchangeLast = 0x200;
constexpr uint32_t kExchangeMore = 0x100;

inline constexpr ExchangeMessageCode MakeExchangeMessage(int message, uint32_t more, int slot) {
    return (static_cast<uint32_t>(message) << 16) + more + static_cast<uint32_t>(slot);
}
inline constexpr int ExchangeMessageNumber(ExchangeMessageCode code) {
    return static_cast<int>(code >> 16);
}
inline constexpr uint32_t ExchangeMessageKind(ExchangeMessageCode code) {
    return (code >> 8) & 0xff;
}
inline constexpr int ExchangeMessageAircraft(ExchangeMessageCode code) {
    return static_cast<int>(code & 0xff);
}

// ---- the exchange row (ExchangeRow) ----
constexpr int kExchangeQueue = 5;
struct ExchangeRow {
    int32_t state;     // 0 idle, 1 speaking, 2 closing pause, 3 speaking the last; low 4 bits
    int32_t listen;    // 0 not in the listening order, 1 half volume, 2 full volume
    int32_t timer;     // ticks left of the closing pause
    int32_t who;       // 1 the pilot speaks, 0 the controller
    int32_t scroll;    // ticks the caption has been shown, capped at `frames`; -1 before any
    int32_t length;    // caption length in characters
    int32_t result;    // handed to the talking aircraft's `request`; 0 none
    int32_t aircraft;  // talking aircraft index + 1; 0 none
    int32_t blink;     // status-icon blink counter
    int32_t frames;    // length of the current voice in ticks
    ExchangeMessageCode queue[kExchangeQueue];  // head first; 0 = empty place
};
constexpr int kExchangeRows = 5;  // one per control position
using ExchangeRows = std::array<ExchangeRow, kExchangeRows>;

// The five rows, indexed by control position.
ExchangeRows& GetExchangeRows();

// ---- the phrase-table blocks ----
// Three 64 KiB text blocks that GameInit allocates and the phrase reader fills.
enum PhraseBlock { PHRASE_ENGLISH = 0, PHRASE_JAPANESE = 1, PHRASE_ANNOUNCE = 2 };
constexpr int kPhraseBlocks = 3;
constexpr int kPhraseBlockSize = 65536;
// The block, or null outside GameInit..GameEnd (or for `which` outside 0-2).
char* GetPhraseBlock(int which);
void SetPhraseBlock(int which, char* block);

// ---- the strip board (StripState) ----
// An aircraft's `strip`: bits 8-15 the family (bit 12 set on the departure side), bits 0-3 the
// step, bit 16 the move-up request; 0 no strip.
constexpr int32_t kStripFamily = 0xff00;
constexpr int32_t kStripStep = 0xf;
constexpr int32_t kStripMoveUp = 0x10000;
constexpr int32_t kStripDeparture = 0x1000;

// 16 strip slots: the aircraft index a slot shows, -1 free. Stage set-up empties them.
constexpr int kStripSlots = 16;
using StripSlots = std::array<int32_t, kStripSlots>;
StripSlots& GetStripSlots();

// Places 0-4 the arrival queue, 5-9 the departure queue; each holds aircraft index + 1, 0 empty.
constexpr int kStripQueuePlaces = 10;
using StripQueue = std::array<int32_t, kStripQueuePlaces>;
StripQueue& GetStripQueue();

// A strip slot's row on the board: x, y (above the board's top; the layout's offset is added
// when the sprite is placed), z (5 shown, 0 hidden), the tile (slot x 100, + 1 lit) and the
// queue place (0-9, -1 before the strip entered a queue).
struct StripRow {
    int32_t x, y, z, tile, place;
};
// The row of strip slot 0-15 (null outside).
const StripRow* GetStripRow(int stripslot);
// The strips standing in the arrival (0) or the departure (1) queue.
int GetStripCount(int side);
// Memo lines of a strip: two texts of at most 18 characters in 24 bytes.
constexpr int kStripMemoLines = 2;
constexpr int kStripMemoBytes = 24;
constexpr int kStripMemoChars = 18;
// Memo line 0 or 1 of the aircraft's strip; "" when it holds no strip slot.
const char* GetStripMemo(int aircraft, int line);

// Stage set-up: both queues and counters 0, all 16 slots free, every row hidden.
void ResetStripBoard();
// The slot holding the aircraft, else the first free one; -1 when all 16 are taken.
int FindStripSlot(int aircraft);
// 1 when the aircraft stands in the queue of `state`'s side (bit 0x1000: departures), else 0.
int IsInStripQueue(int aircraft, int32_t state);

// ---- strips, radar labels, command menu and panel, as the simulation calls them ----
struct MenuItem;  // simulation/simulation.h
// Takes a strip slot for the aircraft (`stripslot`; -1 and nothing drawn when none is free) and
// draws its strip: background, airline picture, number or registration, type, time, other
// airport, memo lines.
void DrawStrip(int slot);
// Adds a memo text (cut to 18 characters) to the aircraft's strip while it holds its slot.
void AddStripMemo(int slot, const char* text);
// Draws or clears the aircraft's radar label row (only while it holds its strip slot); the
// callsign the label row of a strip slot holds ("" none).
void DrawRadarLabel(int slot);
void ClearRadarLabel(int slot);
const char* GetRadarLabel(int stripslot);
// Builds the command menu of the selected aircraft (of its leader when it is linked to one);
// shows it. Nothing for an aircraft that does not hold the selected aircraft's strip slot.
void BuildCommandMenu(int slot);
// Takes the menu down: not shown, its sprites 90-99 deleted (its items stay); 1 while it shows.
void HideCommandMenu();
int IsCommandMenuShown();
void HideFlightInfo();
// Redraws the callsign on the aircraft's strip; writes the runway memo n ("22" for 0 and 1,
// "16" for 2, "34" for 3; nothing for others).
void DrawStripCallsign(int slot);
void SetStripRunwayMemo(int slot, int n);
// Empties the command menu (its sprites, both columns, the route previews, the selected
// first-level item); appends an item (column 0 or 1; 2 shows the big icon) and gives its slot
// index, -1 when none was added (a full column, no aircraft); the menu's item at a slot index
// (null outside or empty).
void ClearCommandMenu();
int AddMenuItem(int code, int aircraft, int column);
MenuItem* GetCommandMenuItem(int index);
// Draws the flight information panel of the aircraft (and shows it).
void DrawFlightInfo(int slot);
// Writes `status` into every aircraft linked to this one; the caller writes its own.
void PropagateStatus(int slot, int32_t status);
// The number of items the command menu holds (0: no menu).
int GetCommandMenuCount();
// The aircraft whose menu it is (the selected one, or its leader), -1 none.
int GetCommandMenuAircraft();
// The item that sprite n (90-99) shows while the menu shows; null otherwise.
MenuItem* GetMenuItemOfSprite(int n);
// Draws the camera's caption (GetCameraCaption) at the panel's lower right.
void DrawInfoLine();

// ---- the command menu's stage life and the route previews ----
// Stage set-up: the command and panel cells, the ten icon sets of the airport and the overlay
// font; an empty menu, not shown. Stage exit: the menu and panel down, every cell released.
void MakeCommandCells();
void FreeCommandCells();
// The route preview of a hovered item (its code field: 0x401-0x403 a taxi route, shown in the
// 3D view and on the radar, its name on the panel's line); -1 ends a taxi route's preview.
void RoutePreviewCommand(int aircraft, int code);

// ---- command application ----
// Carries out the item in the aircraft's `chosen` record (`k`: its code field, item code + 1):
// status, choices, score, stress, strip, ground events or a second level, and the item's radio
// messages queued on one row.
void ApplyCommand(int aircraft, int k);
// The row ApplyCommand would put the item's messages on (and take for its result), -1 when it
// queues none (0x005, the second levels).
int CommandRow(int aircraft, int k);

// ---- per frame ----
void ExchangeMain(int ticks);
void AtcPanelMain(int ticks);
void DrawExchangeStatus();
// The radar's frame: map, blips, labels, markers, route.
void RadarMain();

// ---- the radar window ----
// Stage set-up: the window (class "WYN2_RADAR"), its 400 x 400 screen, docked or floating by
// the window layout, its font and label cell, the wide range. Stage exit: all of it released.
void CreateRadarWindow();
void DestroyRadarWindow();
// 1 docks it at the main window's top right (200 x 200); 2 and 3 float it (400 x 400, at the
// saved place). With [DISPLAY] radarL 0 every request docks. Returns 1.
int DockRadarWindow(int mode);
// The radar's picture for the small (0) or large (1) size; the same again for the current size
// (after the [GAME] radar look changed).
void SetRadarSize(int large);
void ReloadRadarPicture();
// Scale, centre and clip of the current size and range; the range flag (1 wide, 0 near), set
// with the view; the flip of a click inside the radar window (the last press at -1, -1).
void ResetRadarView();
int GetRadarRange();
void SetRadarRange(int wide);
void ToggleRadarRange();
// Steps of RadarMain: an aircraft's label with its leader line; the route of preview slot 0-2.
void DrawRadarBlip(int slot, int x, int y);
void DrawRadarRoute(int route);
// The window's screen rectangle; 0 when there is none.
int GetRadarWindowRect(RECT* rect);
// The radio panel's width beside the small (0) or the large (1) radar.
void SetAtcPanelWidth(int large);
void StripBoardMain(int ticks);

// ---- the voice ----
// Keeps the window and the voice folder (with its trailing backslash) and reads the noise wave.
void VoiceInit(HWND window, const char* folder);
void VoiceEnd();

// ---- the flight information panel ----
// 1 while the panel shows; its cell; and the rectangle of the panel's own corner (the camera
// caption) that the frame puts at the view's lower right.
int IsFlightInfoShown();
tagCELL* GetFlightInfoCell();
RECT GetFlightInfoCorner();
// The aircraft the shown panel is about, -1 when none shows.
int GetFlightInfoAircraft();

// The radio's rows, phrase tables and voice.
#include "controller/radio.h"
