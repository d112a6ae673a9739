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

// ---- the strip board's slots ----
// 16 strip slots: the aircraft index a slot shows, -1 free. Stage reset empties them.
constexpr int kStripSlots = 16;
using StripSlots = std::array<int32_t, kStripSlots>;
StripSlots& GetStripSlots();

// ---- the strip queues (StripQueue) ----
// Places 0-4 the arrival queue, 5-9 the departure queue; each holds aircraft index + 1, 0 empty.
constexpr int kStripQueuePlaces = 10;
using StripQueue = std::array<int32_t, kStripQueuePlaces>;
StripQueue& GetStripQueue();

// ---- strips, radar labels, command menu and panel, as the simulation calls them ----
struct MenuItem;  // simulation/simulation.h
// Takes a strip slot for the aircraft and draws its strip.
void DrawStrip(int slot);
// Adds a memo text to the aircraft's strip (only while it holds its strip slot).
void AddStripMemo(int slot, const char* text);
// Draws or clears the aircraft's radar label row.
void DrawRadarLabel(int slot);
void ClearRadarLabel(int slot);
// Builds the command menu for the (selected) aircraft; hides the menu; hides the panel.
void BuildCommandMenu(int slot);
void HideCommandMenu();
void HideFlightInfo();
// Redraws the callsign on the aircraft's strip; writes the runway memo n (3.106's table).
void DrawStripCallsign(int slot);
void SetStripRunwayMemo(int slot, int n);
// Empties the command menu; appends an item (column 0 or 1; 2 shows the big icon) and gives its
// slot index, -1 when none was added; the menu's item at a slot index (null outside).
void ClearCommandMenu();
int AddMenuItem(int code, int aircraft, int column);
MenuItem* GetCommandMenuItem(int index);
// Draws the flight information panel of the aircraft (and shows it).
void DrawFlightInfo(int slot);
// Writes `status` into every aircraft linked to this one; the caller writes its own.
void PropagateStatus(int slot, int32_t status);
// The number of items the command menu shows (0: no menu).
int GetCommandMenuCount();
// Draws the camera's caption (GetCameraCaption) at the panel's lower right.
void DrawInfoLine();

// ---- per frame ----
void ExchangeMain(int ticks);
void AtcPanelMain(int ticks);
void DrawExchangeStatus();
void RadarMain();
// The radar window (stage set-up creates it) and its screen rectangle; 0 when there is none.
void CreateRadarWindow();
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

// The radio's rows, phrase tables and voice.
#include "controller/radio.h"
