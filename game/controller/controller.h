// The controller interface and the radio: the five exchange rows with their queued message
// words, the phrase-table blocks and the strip board's slots. Plain records reached through the
// accessors below.
// Calls simulation/ for the aircraft records and the status words its commands change; world/
// for the airport's tables, the camera, objects and ground events its commands and radar use;
// base/ for the services.
#pragma once

#include <array>
#include <cstdint>

#include <windows.h>

#include "tov42.h"
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
// shows it. Nothing for an aircraft that does not hold the selected aircraft's strip slot. A
// menu that previews routes (arrival, departure or both) shows their layers and puts the
// camera in its preview state over the airport.
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
// first-level item; a preview's layers are switched off and a camera still in its preview state
// goes back on the selected aircraft, in its camera mode); appends an item (column 0 or 1; 2 shows
// the big icon) and gives its slot index, -1 when none was added (a full column, no aircraft); the
// menu's item at a slot index (null outside or empty).
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

// The radio: the five exchange rows with their wait lists and listening order, the phrase
// tables with the message composer, and the voice assembled from word waves. Rows, lists and
// tables are indexed by control position 0-4 and aircraft slot 0-19; lists store slot + 1.

// ---- phrase tables ----
// A phrase table is a file's bytes: u32 (not read), then u32 offsets of the records of messages
// 0, 1, 2...; a record is u32 speaker word (0 pilot, 1 controller) and the NUL-terminated text.
// Message n of the `size` bytes of `table`: *text points at its text and *speaker gets its word.
// Returns the text length, or 0 (a missing message) when the offset entry, the record or the
// text's NUL lies outside the bytes, or the text is empty.
int FindPhrase(const uint8_t* table, int size, int n, const char** text, int* speaker);
// Reads "port\<airport>\atc\app_ee.ms", "app_jj.ms" and "announ.ms" into the three phrase blocks
// (each cut at 65536 bytes); a file the game's reader cannot read leaves its table empty.
void ReadPhraseTables(const char* airport);
// Puts `size` bytes into phrase block `which` as if its file held them (cut at 65536; no block:
// nothing). Tests and fuzzing fill the tables this way.
void SetPhraseBytes(int which, const void* bytes, int size);

constexpr int kAtcText = 512;  // one composed text, NUL included
// Copies English message n (at most 511 bytes, NUL-terminated) and its speaker word; returns the
// length, 0 when the message is missing (then `text` is empty and *speaker 0).
int GetAtcTextE(int n, char* text, int* speaker);
// Japanese message n and announcement n, the same way.
int GetAtcTextJ(int n, char* text);
int GetAnnounceText(int n, char* text);

// Expands the first `length` bytes of `in` (fewer when a NUL comes first) for aircraft slot
// `aircraft` into `out`, at most 511 bytes and a NUL: each `$` and the byte after it become the
// macro's text, language 0 Japanese, 1 English. A macro whose data is missing (no table, a slot
// outside 0-19, an index outside its table, a name too short) inserts nothing.
void ExpandAtcMacros(int aircraft, char* out, const char* in, int length, int language);
// Composes message `code` for row `position`: sets the row's state (and the closing pause for a
// last message), the aircraft's `talking`, splices a pending correction, and writes the expanded
// Japanese text to out[0..511] and the English one to out[512..1023]. Returns the speaker word.
int ComposeExchangeMessage(int position, ExchangeMessageCode code, char* out);

// The numbers `$V` speaks for spots 0-14.
constexpr std::array<int, 15> kSpotNumbers = {2,   5,   9,   12,  15,  20,  45,  1000,
                                              401, 113, 210, 213, 207, 204, 1021};

// ---- the voice ----
// Speaker records: speakers 0-4 are the controllers of the five positions; the others are the
// pilots (an aircraft's `speaker`) and the announcers (ground events).
constexpr int kSpeakers = 49;
struct SpeakerRecord {
    char list[81];  // voice folder names separated by commas, each at most 7 characters
    char voice[8];  // the chosen voice folder; empty = none
};
// The stage's speaker records (filled by AtcInit).
SpeakerRecord* GetSpeakerRecords();
// Copies the default candidate lists into 49 records; with `otherset` speakers 0-4, 41 and 42
// get the list of all eight voice folders.
void CopyDefaultSpeakerLists(SpeakerRecord* records, int otherset);
// Chooses each speaker's voice from its list: shortest lists first, a voice already taken is
// given again only when no other candidate is left.
void AssignSpeakerVoices(SpeakerRecord* records, int count);
// The speaker record the voice of `speaker` comes from: numbers outside 0-48 speak with 29.
int ClampSpeaker(int speaker);

// Where the voice takes its word waves from: the files of the voice folder through the sound
// library (the default), or a set a test or a fuzz target keeps in memory. `format` answers the
// stored rate, bits and channels of a wave file (0 when it cannot tell).
struct VoiceWordStore {
    int (*exists)(const char* path);
    int (*read)(const char* path, tagTOVWAVE* wave);
    int (*append)(const char* path, tagTOVWAVE* wave);
    int (*format)(const char* path, int* rate, int* bits, int* channels);
};
// Null restores the files.
void SetVoiceWordStore(const VoiceWordStore* store);
// The voice folder kept by VoiceInit ("<program folder>\VOICE\", or one given by a test).
const char* GetVoiceFolder();
// Reads the radio noise "<folder>noise.wav" again (VoiceInit does it once); a missing or empty
// noise wave leaves pilot speech unmixed.
void LoadVoiceNoise();

// The token that starts `text` (separators: blank, comma, tab, backslash) into `token` (at most
// 511 bytes): the spoken part of a bracket word "@[spoken][shown]", a "#" or "%" with its
// digits, or a plain word. Returns the position after it (and its shown part); an "@[" without
// "]" ends at the end of the text. *bracket (may be null) tells a bracket word.
const char* NextVoiceToken(const char* text, char* token, int* bracket = nullptr);
// Appends the words of one token: digits, runways (34L), frequencies (118.1), thousands and
// hundreds, "JA" registrations, "%" digit strings, grid letters (W5N), "#" place values, else the
// token as one word.
void SpeakToken(const char* voice, const char* token, tagTOVWAVE* wave);
// Appends the word wave "<folder><voice>\<word>.wav" ("/" read as "_"; a final "." adds a pause
// of 4096 silent bytes; the word "\" is space.wav). Returns 1, or 0 when error.wav stood in.
int AppendVoiceWord(const char* voice, tagTOVWAVE* wave, const char* word);
// Appends the first `n` characters of `text`, each as a word of its own.
void SpeakChars(const char* voice, const char* text, int n, tagTOVWAVE* wave);
// Shows an "ATCVOICE" box for each way the first wave of a message is not 11025 Hz, 8-bit mono.
void CheckVoiceFormat(const char* path, tagTOVWAVE* wave);
// Assembles `text` with voice folder `voice` into `wave` (its old samples freed), mixes in the
// radio noise (`noise`) and an echo (`echo`), and writes the caption (at most 511 bytes) into
// `caption`: "_" a blank, "#" and "%" dropped, a bracket word its shown part. Returns 1.
int BuildVoice(const char* voice, const char* text, tagTOVWAVE* wave, char* caption, int noise,
               int echo);
// The words of the last BuildVoice that error.wav stood in for: their count, and their names
// separated by blanks (at most 255 bytes).
int GetVoiceMissing(const char** words);
// Expands announcement n for the aircraft in Japanese and speaks it with the speaker's voice on
// one-shot voice 7, or 8 when 7 plays. Returns 1, or 0 when both play.
int SpeakAnnouncement(int aircraft, int speaker, int n, int echo);

// ---- the exchange rows ----
constexpr int kWaitPlaces = 8;
using ExchangeWaitList = std::array<std::array<int32_t, kWaitPlaces>, kExchangeRows>;
constexpr int kListenPlaces = 6;
using ListenOrder = std::array<int32_t, kListenPlaces>;
// Per position eight places of aircraft slot + 1, packed towards place 1.
ExchangeWaitList& GetWaitLists();
// Six places of position + 1, packed towards the head; the first `multi` are heard in full.
ListenOrder& GetListenOrder();
// The wave holding the position's current voice (played on sound voice 14 + position), or null
// for a position outside 0-4.
tagTOVWAVE* GetExchangeWave(int position);
// 1 lowers voices 10, 7, 8 and the radio to a third (once however often), 0 restores them.
void DuckVolumes(int flag);

// Ticks of a voice of `bytes` samples: bytes x 30 / 11025.
int ExchangeFrames(int bytes);
// Where the caption of a panel `width` pixels wide stands after `scroll` of `frames` ticks, for
// a caption of `length` characters: it enters from the right and its end reaches the right edge
// after 90 % of the voice; with `frames` 0 it stands at width - 7 x length.
int CaptionX(int width, int scroll, int length, int frames);

// Stores `code` at the first empty queue place (1), or finds it already queued (1); 0 when full.
int PushExchangeMessage(int position, ExchangeMessageCode code);
// Stores `code` at queue place `place` (0-4) and sets the row's timer and state to 0. Returns 1.
int SetExchangeMessage(int place, int position, ExchangeMessageCode code);
// Moves the queue up one place.
void PopExchangeMessage(int position);
// 0 when the row is idle or its caption has run its `frames` (the voice is stopped then), else 1.
int IsExchangeSpeaking(int position);
// The place 1-8 of `aircraft` (slot) in the wait list, appended when absent; 0 when full.
int JoinWaitList(int position, int aircraft);
// Removes the entry at 1-based `place`, moving the later ones up.
void RemoveWaitListAt(int position, int place);
// Removes the entry `entry` (slot + 1) if present.
void RemoveFromWaitList(int position, int entry);
// Joins the wait list and answers 1 when the aircraft may start an exchange now: it is not
// talking, the row has no other talking aircraft, the row is idle with an empty queue and the
// aircraft is first in line (then it leaves the list).
int TryCallPosition(int aircraft, int position);
// The same with the row counted free whenever bit 0 of its state is clear (states 0 and 2).
int TryCallPositionNow(int aircraft, int position);
// The player's choice of the row heard at full volume (a click on its mode icon).
void ListenToPosition(int position);
// The steps of a message's start and end, for the frame and the tests.
void PlayExchangeVoice(int position);
void LeaveListenOrder(int position);
void DrawExchangeText(int position, const char* text);

// Stage set-up and exit of the radio: the text cell, the rows, the speakers, the phrase tables,
// the icon sprites; and their release.
void AtcInit();
void AtcEnd();
// The panel's width beside the small (0: 371 pixels) or the large radar (1: 560 pixels).
void SetAtcPanelWidth(int large);
int GetAtcPanelWidth();
