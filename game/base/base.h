// The game's bottom floor: the phase word and stage state, the scenario read at start-up, and
// the services every subsystem calls (settings, handles, registries, files, glyphs, the trace,
// the frame's timing, sprites, the HUD's records and banners, the voices and the high score).
// It calls no other folder of the game: the subsystems and the program's top stand on it.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

#include "krnlayer.h"
#include "tov42.h"
#include "zem40.h"

// ---- the phase word (GamePhase) ----
// One 32-bit word: the phase is its high half; writers store phase << 16 and readers compare
// the high half only.
enum GamePhase : uint32_t {
    GAMEPHASE_NONE = 0x0000,      // not started: only messages and the sound task
    GAMEPHASE_RESET = 0x0010,     // stage reset
    GAMEPHASE_SETUP = 0x1000,     // stage set-up
    GAMEPHASE_RUNNING = 0x1010,   // one frame per main-loop step
    GAMEPHASE_EXIT = 0x1ff0,      // stage exit asked
    GAMEPHASE_SHUTDOWN = 0x0fff,  // shutdown
};
// Stores `phase` in the high half of the word.
void SetGamePhase(uint32_t phase);
// The phase: the word's high half.
uint32_t GetGamePhase();
// The whole word as stored.
uint32_t GetGamePhaseWord();

// ---- the stage state (StageState) ----
// 0 in play; every other value is above 99 and stops the world ticks; odd values are banners.
enum StageState : int32_t {
    STAGE_PLAY = 0,
    STAGE_PAUSED = 100,
    STAGE_START = 0x65,       // start banner
    STAGE_CLEAR = 0x6f,       // cleared
    STAGE_NEARMISS = 0x79,    // game over: near miss
    STAGE_NOTCLEAR = 0x8d,    // time over without the target score
    STAGE_STRESSFULL = 0x97,  // game over: stress full
    STAGE_HEADON = 0xa1,      // game over: head-on
};
int32_t GetStageState();
void SetStageState(int32_t state);

// ---- the scenario (ScenarioImage, ScenarioHeader) ----
// The scenario file is read whole into the image (at most kScenarioReadMax bytes); the header
// is read from it field by field into ScenarioHeader; the timetable runs on the image's bytes
// from `timetable` to `size`.
constexpr int kScenarioBufferSize = 0x392c;  // 14636
constexpr int kScenarioReadMax = 0x3914;     // 14612
struct ScenarioImage {
    uint8_t bytes[kScenarioBufferSize];
};

// The 144-byte camera and display block (at 0x5c in .sd3/.sd2 files, 0x44 in .sd files);
// offsets below are those of the .sd3 form.
struct ScenarioWorld {
    int32_t eye[3];        // 0x5c default camera eye
    int32_t aim[3];        // 0x68 default camera aim
    int32_t distance;      // 0x74 default camera distance
    int32_t unused78;      // 0x78
    int32_t lightrgb[3];   // 0x7c main light, low byte of each
    int32_t backrgb[3];    // 0x88 background colour
    int32_t daytime;       // 0x94 light-pattern set 0-2
    int32_t cloudpct;      // 0x98 chance in percent
    char weather[4 + 1];   // 0x9c letter (and text): 'N'/'n' night, 'R'/'T' rain
    int32_t unusedA0;      // 0xa0
    int32_t light2rgb[3];  // 0xa4 second light colour
    int32_t light2dir[3];  // 0xb0 second light direction
    int32_t distances[3];  // 0xbc the three view distances
    int32_t unusedC8;      // 0xc8
    int32_t routesets[8];  // 0xcc the eight route-set numbers
};

// Where the header came from.
enum ScenarioFormat : int32_t {
    SCENARIO_NONE = 0,  // no file: an empty stage
    SCENARIO_OLD = 1,   // .sd: 0xd4-byte header
    SCENARIO_NEW = 2,   // .sd3 or .sd2: 0xec-byte header
};

// Texts keep the file's bytes and a terminator, so a text without a NUL ends at its field's end.
struct ScenarioHeader {
    char title[32 + 1];     // 0x00 stage line: word 0 the stage folder, word 1 the stage
    int32_t starttime;      // 0x20 hhmm
    int32_t hours;          // 0x24 stage length; 0 stands for 10
    int32_t target;         // 0x28 clear score
    int32_t extarget;       // 0x2c clear score at level not 0; -1 = target
    int32_t stresslimit;    // 0x30 0 stands for 10
    char music[16 + 1];     // 0x34
    int32_t runways;        // 0x44 runway configuration (new format only)
    int32_t flags;          // 0x48 bit 0 no stress warning sound; bit 2 other speaker set
    char exitprog[16 + 1];  // 0x4c follow-up program; empty = none (new format only)
    ScenarioWorld world;
    int32_t format;     // ScenarioFormat
    int32_t timetable;  // offset of the first timetable record in the image
    int32_t size;       // bytes of the image that hold the file (the timetable ends here)
    int32_t night;      // 1 when the weather letter is 'N' or 'n'
};

// The scenario image of the run: allocated by GameInit, null outside GameInit..GameEnd.
ScenarioImage* GetScenarioImage();
// Hands in an image (tests and fuzz targets run a timetable without GameInit).
void SetScenarioImage(ScenarioImage* image);
// The header read by GameInit (zero before).
ScenarioHeader& GetScenarioHeader();
// Reads the header from the file's bytes: `format` SCENARIO_NEW (.sd3, .sd2) or SCENARIO_OLD
// (.sd). Fields past `size` read as zero; texts are cut to their field and NUL-terminated.
// Fills `timetable`, `size`, `format` and `night` too. Returns 1, or 0 for another format.
int ParseScenarioHeader(const uint8_t* bytes, size_t size, int format, ScenarioHeader* header);
// Start-up: allocates the scenario image (zeroed); then reads the scenario file of the command
// line into it (an empty stage when there is none). FreeScenario gives the image back.
void LoadScenarioImage();
void ReadScenarioFile();
void FreeScenario();

// ---- settings (config.ini, krn2.ini) ----
// Window positions of [DISPLAYEX], in screen pixels: the docked main window (w1), and for the
// floating layouts set 2 (radar docked) and set 3 (radar in its own window).
struct LayoutSet {
    POINT main;      // main window
    POINT view;      // view window
    int32_t viewcx;  // view client width; its height is a quarter of it
    POINT radar;     // radar window (set 3 only)
};
struct DisplayLayout {
    POINT w1;
    LayoutSet set[2];  // [0] set 2, [1] set 3
};

// Read once at start by ReadConfig; volumes are on the sound library's 0-15 scale.
struct GameConfig {
    int32_t softmode;      // krn2.ini [MODE] EMULATION is "soft"
    int32_t level;         // [GAME] level
    int32_t radarmode;     // [GAME] radar, 0 or 1
    int32_t radarlarge;    // [DISPLAY] radarL: 0 radar docked, else in its own window
    int32_t language;      // [ATC] language
    int32_t multi;         // [ATC] multi
    int32_t resolution;    // [DISPLAY] resolution 1-3 (other values are taken as 3)
    int32_t exresolution;  // [DISPLAY] ex_resolution, held to 0 or 1
    int32_t through;       // [DISPLAY] through != 0
    int32_t cloud;         // [DISPLAY] cloud != 0
    int32_t winlayout;     // 0 docked, 1 separate, 2 separate and maximised; 0 in full screen
    int32_t cameramove;    // [DISPLAY] cameramove
    int32_t atcvolume;     // [VOLUME] atc (held to 0-100) x 15 / 100
    int32_t bgmvolume;     // [VOLUME] bgm, likewise
    int32_t envvolume;     // [VOLUME] env, likewise
    int32_t dsound;        // [GAME] dsound != 0
    DisplayLayout layout;  // the window positions in use
};
GameConfig& GetConfig();

// Reads config.ini and krn2.ini of the program folder into GetConfig().
void ReadConfig();
// Computes every window position from the [DISPLAYEX] keys of `ini` (a full path) for a screen
// of w x h with frame sizes fw, fh and the window layout setting `winlayout`: a key that is not
// set (-32768) or lies outside its range gives the default.
DisplayLayout ReadDisplayLayout(const char* ini, int w, int h, int fw, int fh, int winlayout);
// Writes the keys of `now` that differ from what `ini` holds (or the defaults): the docked pair
// and the keys of the current kind (ending in m with winlayout 2, the others otherwise; no view
// width with winlayout 2).
void WriteDisplayLayout(const char* ini, const DisplayLayout& now, int w, int h, int fw, int fh,
                        int winlayout);

// ---- the screen, the run's windows, engine and 2D screen ----
struct ScreenInfo {
    int32_t width, height;     // the desktop
    int32_t fullscreen;        // the desktop is exactly 800 x 600
    int32_t framecx, framecy;  // frame sizes for window sizes: 2 borders + 4, and the caption
};
// The run's handles and words, filled in by the program's top as it starts the run; the
// accessors below read them.
struct FrameHandles {
    HINSTANCE instance;
    HWND mainwnd;
    HWND viewwnd;
    tagKRN* engine;
    tagKRNL* root;
    HZEMSCREEN screen;
    char homedir[MAX_PATH];  // the program folder with its trailing backslash
    char airport[8 + 1];     // the command line's words
    char scenario[16 + 1];
    ScreenInfo screeninfo;
    int32_t running;     // 1 while the main loop goes on
    int32_t quitbyuser;  // the player confirmed the close box
    int32_t stagecleared;
    int32_t viewsep;      // 1 while the view floats
    int32_t stageoffset;  // the strip board's y: 400 docked, 200 floating
    DWORD viewstyle;      // the view window's style before it floated
};
FrameHandles& Handles();
const ScreenInfo& GetScreenInfo();
HWND GetMainWindow();
HWND GetViewWindow();
tagKRN* GetEngine();         // null before GameInit started it and after GameEnd
tagKRNL* GetRootLayer();     // the master layer, likewise
HZEMSCREEN GetMainScreen();  // the 800 x 600 2D screen (1600 x 600 buffer), likewise
// The program folder in the system's form, with its trailing backslash ("C:\...\").
const char* GetProgramFolder();
// The window title "Wynmoor２ Sarnet Corvessa Ver1.00".
extern const char kGameTitle[];
// Sets the main window's title to "<title> <step>" (a stage-building step).
void SetTitleStep(const char* step);

// ---- the command line ----
// Word 0 (the airport code, at most 8 characters) and word 1 (the scenario, at most 16).
const char* GetAirportCode();
const char* GetScenarioName();

// ---- the flags of the run ----
int GetQuitByUser();  // the player confirmed the close box
int GetStageCleared();
void SetStageCleared(int cleared);
// The floating view (`viewsep`, 1 while the view floats) and the strip board's y in the 2D
// screen (`stageoffset`: 400 docked, 200 floating).
int GetViewSeparate();
int GetStageOffset();

// ---- input words (written by the window procedures, consumed by the input handlers) ----
struct GameInput {
    int32_t keycode;  // virtual key of the last WM_KEYDOWN; the key handler clears it
    int32_t lbutton, rbutton, mbutton;  // press: 3; release keeps bit 0
    int32_t lbx, lby, rbx, rby, mbx, mby;
    int32_t wheel;  // signed; multiples of 120
};
GameInput& GetGameInput();
// The selected aircraft's slot, -1 when none; changes it.
int GetSelectedAircraft();
void SetSelectedAircraft(int slot);

// ---- timing ----
constexpr int kTickMs = 33;       // `ticklen`
constexpr int kTicksPerSec = 30;  // `fps`
struct FrameTiming {
    int32_t elapsed;     // ms measured in the last frame
    int32_t tickacc;     // ms not yet turned into ticks
    int32_t newticks;    // ticks measured in the last frame
    int32_t ticks;       // ticks the world parts receive (0 while paused or under a banner)
    int32_t totalticks;  // ticks run since the stage started
};
const FrameTiming& GetFrameTiming();
// Turns `elapsed` ms into ticks with the carry in `tickacc`; returns `newticks`.
int32_t AccumulateTicks(int32_t* tickacc, int32_t elapsed, int32_t ticklen);
// The world's ticks: `newticks`, or 0 while the stage state is above 99.
int32_t WorldTicks(int32_t newticks, int32_t stagestate);
// Milliseconds between two counter readings of `frequency` counts a second, on the full 64-bit
// readings, truncated (and held to the 32-bit range).
int32_t CounterElapsedMs(int64_t now, int64_t base, int64_t frequency);
// Sets the frame clock's base to the present reading (so waiting time never turns into ticks).
void ResetFrameClock();
// Chooses the frame clock (the counter when it exists) and zeroes the tick counters and frames.
void ChooseFrameClock();
// `totalticks` = 0: the stage starts.
void ZeroTotalTicks();
// The frame driver's own: the timing it writes, the ms since the clock's base (the base then
// moves to a second reading), and the frame count (raised by one, the new count returned).
FrameTiming& FrameTimes();
int32_t MeasureElapsed();
int CountFrame();
// The per-frame clock step of the game's run and test affordance WYN_GAME_FRAME_MS (0: off).
int FrameStepMs();
void SetFrameStepMs(int ms);

// ---- resource flags ----
// 32 words of flag bits, addressed as word * 32 + bit.
enum ResourceFlag {
    RESOURCE_ENGINE = 0 * 32 + 0,          // engine and 2D display started
    RESOURCE_SOUND = 0 * 32 + 1,           // sound library started
    RESOURCE_LAYERS = 0 * 32 + 2,          // layer library started
    RESOURCE_OBJECT0_LAYER = 1 * 32 + 16,  // the layer of object slot 0 exists
    RESOURCE_TEXTS = 15 * 32 + 20,         // airport, text and SID blocks allocated
    RESOURCE_SCENARIO = 15 * 32 + 21,      // scenario buffer allocated
    RESOURCE_SCRIPTS = 15 * 32 + 22,       // aircraft script buffers allocated
    RESOURCE_AIRPORT = 16 * 32 + 0,        // the airport is loaded
};
void SetResourceFlag(int flag, int on);
int HasResourceFlag(int flag);

// ---- memory and cell registries ----
// Long-lived blocks and cells are taken and given back with a caption; at GameEnd anything
// still registered is reported. Each registry holds 100 entries.
constexpr int kRegistrySize = 100;
// A zero-filled block of `size` bytes entered under `caption`, or null after the memory box
// "メモリが足りません。" (no memory, or the registry is full).
void* MemAlloc(size_t size, const char* caption);
// Frees a registered block; a null or unknown pointer is left alone.
void MemFree(void* block, const char* caption);
// An empty 16-bit cell (CellAllocBmp: one GDI can draw into), registered; 1, or 0 (the cell
// stays empty) when it cannot be made or the registry is full (the memory box).
int CellAlloc(tagCELL* cell, int width, int height, const char* caption);
int CellAllocBmp(tagCELL* cell, int width, int height, const char* caption);
// Reads a picture file into the cell and registers it with the path as caption; the reader's
// result (the cell stays empty on 0).
int LoadPictureCell(const char* path, tagCELL* cell);
// Deletes a registered cell; a cell whose xsize is 0, or an unknown one, is left alone.
void CellFree(tagCELL* cell, const char* caption);
// 1 when no resource flag is set and neither registry holds a live entry.
int CheckAllFreed();
struct RegistryCounts {
    int32_t memory, memorypeak, cells, cellspeak;
};
RegistryCounts GetRegistryCounts();
// The registries' end-of-run lines of the trace.
void TraceRegistries();

// ---- glyphs and cells ----
// Draws `text` with the glyph strip `glyphs` (glyphs xpos wide and ypos high; row = flags &
// 0xff) into `dest` at x, y; flag 0x100 right-aligns the text to end at x. DrawNumberCell's
// strip starts at "0" when it holds fewer than 11 glyphs a row, else at the blank;
// DrawStringCell's always at the blank, and its glyphs overlap by 2 pixels. A character the
// strip does not hold only advances x; glyphs of width or height 0 draw nothing. Returns the
// x after the text.
int DrawNumberCell(tagCELL* dest, const tagCELL* glyphs, int x, int y, const char* text, int flags);
int DrawStringCell(tagCELL* dest, const tagCELL* glyphs, int x, int y, const char* text, int flags);
// Copies the rectangle `rect` of `src` to x, y of `dest`, pixel rows as they are, clipped to
// both cells.
void CopyCellRect(tagCELL* dest, int x, int y, const tagCELL* src, const RECT* rect);

// ---- files and paths ----
// Splits at the last colon (drive, with it), the last backslash (folder, with it) and the
// last dot of the name (extension, without it). Any output may be null; each holds MAX_PATH.
void SeparatePath(const char* path, char* drive, char* dir, char* name, char* ext);
// Joins drive, folder, name and, when given and not empty, "." and the extension (MAX_PATH).
void MakePath(char* path, const char* drive, const char* dir, const char* name, const char* ext);
// 1 when program folder + `path` names a file.
int FileExists(const char* path);
// Reads at most `size` bytes of program folder + `path` into `buffer`. On an open or read
// error the file box asks Retry (tries again) or Cancel (returns 0). Returns 1 with the bytes
// read in *read (may be null).
int ReadWholeFile(HWND owner, const char* path, void* buffer, int size, int* read);
// Counts the files (not folders) matching `pattern`; FindNthFile copies the name of the n-th
// (from 0) into `name` (MAX_PATH) and returns the count seen.
int CountFiles(const char* pattern);
int FindNthFile(const char* pattern, int n, char* name);
// Word n of a line of single-blank-separated words (two blanks make an empty word) into `word`
// (size + 1 bytes); the last word when the line has fewer. Returns 1, or 0 when the word was
// cut to `size` characters.
int GetWord(const char* line, int n, char* word, int size);
// The file box for a system error code: Retry and Cancel; returns 1 for Retry.
int ShowFileError(HWND owner, const char* path, DWORD code);
// A word that names one file in one folder: not empty, no separators, drive or parent step
// ('\', '/', ':', ".."). Stage words and exit programs go into paths only when they are.
int IsBareName(const char* word);

// ---- the trace (WYN_GAME_TRACE) ----
// 1 when a trace file is open.
int GameTraceOn();
// Appends one line, formatted like printf; the line is in the system's text (Shift-JIS) and
// written in UTF-8.
void GameTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- sprite composition ----
// The game composes the main 2D screen's 100 sprite slots itself, adding to each a clip
// rectangle, a tint level (0-16; 16 the picture unchanged) and a tint colour (0 none).
struct SpriteLook {
    RECT clip;
    int32_t level;
    int32_t tint;
};
// ZEM_InitSprite, then every clip rectangle = `area`, level 16, tint 0. Returns 1 (0 without a
// screen).
int SpriteInit(HZEMSCREEN screen, const RECT* area, const RECT* background);
// Sprite n's clip, level and tint (null outside 0-99).
const SpriteLook* GetSpriteLook(int n);
// Merges the intersecting rectangles of the list in place (rectangles that only touch stay
// apart); the non-empty ones move to the front in their order, the rest are emptied. Returns
// their number.
int MergeRects(RECT* rects, int n);
// Frame size of sprite n and its source rectangle (0, 0, width, height). 0 when n is outside
// 0-99 or the slot has no cell, else 1.
int SetSpriteSize(HZEMSCREEN screen, int n, int width, int height);
// Sprite n's position (the cell's offsets added), z, pattern (its source rectangle follows),
// key word (ORed above the key's 16 bits), tint level (below 1 gives 0, above 16 gives 16) and
// tint colour; each -1 leaves its field. 0 when n is outside 0-99, or for a position given to
// a slot without a cell (nothing changes then); else 1.
int SetSpriteEx(HZEMSCREEN screen, int n, int x, int y, int z, int pattern, int key, int level,
                int tint);
// Sprite n's clip rectangle becomes `rect` cut to the sprite area / is moved by dx, dy. 0 when
// n is outside 0-99, else 1.
int SetSpriteClip(HZEMSCREEN screen, int n, const RECT* rect);
int OffsetSpriteClip(HZEMSCREEN screen, int n, int dx, int dy);
// Before the world update: the background half gives back what last frame's sprites covered.
// After it: the sprites with a cell and a z drawn by ascending z (equal z by number), each
// clipped to its clip rectangle and tinted; a sprite wholly outside its clip is left out. Only
// the merged rectangles of this frame's and last frame's sprites reach the window. A zoomed
// screen takes the library's own refresh (clips and tints ignored) and its result. 1 (0 without
// a screen).
int EraseSprites(HZEMSCREEN screen);
int DrawSprites(HZEMSCREEN screen);

// ---- the stage's pictures and the HUD's sprites ----
// Loaded by StageSetup, freed by StageExit; empty cells (xsize 0) outside the stage or where a
// file could not be read.
struct StageCells {
    tagCELL wallpaper;   // etc\kabekabe.umz: 800 x 600, the strip board in its lower 200 rows
    tagCELL strip;       // etc\strip.umz: the strip backgrounds, frames of xpos x ypos
    tagCELL striptext;   // the strips as drawn: 2 x strip xpos wide (unlit, lit), 20 rows
    tagCELL stripmj;     // etc\stripmj.umz: the strips' glyphs from the blank
    tagCELL stripsub;    // etc\stripsub.umz: the position labels
    tagCELL timerndl;    // etc\timerndl.umz: the clock's hands and hour mark
    tagCELL windndl;     // etc\windndl.umz: the wind needle (frame 0) and its turned copy (1)
    tagCELL windsp;      // etc\windsp.umz: the wind speed's digits
    tagCELL scorenum;    // etc\scorenum.umz: the score counter's digits
    tagCELL stress;      // etc\stress.umz: the gauge, full left half, empty right half
    tagCELL gamicon;     // etc\gam_icon.umz: the strip-board buttons
    tagCELL textwindow;  // the radio text window, 800 x 200, a cell GDI can draw into
    tagCELL wind01;      // etc\wind01.umz: the text window's frame pieces
    tagCELL banner;      // the pause screen or a result banner (sprite 67)
    tagCELL buttons;     // the pause screen's buttons (sprites 68, 69)
};
StageCells& GetStageCells();
// Sprite numbers of the main 2D screen.
enum GameSprite {
    kSpriteStrip = 0,        // 0-19 the flight strips
    kSpriteStripLabel = 20,  // 20-39 their position labels
    kSpriteHighlight = 40,   // the strip highlight
    kSpriteTextWindow = 60,  // the radio text window (20 x 20 frames)
    kSpriteWindNeedle = 62,
    kSpriteWindTens = 63,
    kSpriteWindUnits = 64,
    kSpriteMinuteHand = 65,
    kSpriteHourHand = 66,
    kSpriteBanner = 67,  // the pause screen or a banner
    kSpriteResume = 68,  // the pause screen's buttons
    kSpriteQuit = 69,
    kSpriteButton = 70,  // 70-73 the strip-board buttons
};
// The clock picture's cell, whose hand frames the clock turns (null before it is loaded).
tagCELL* GetClockCell();

// ---- HUD and stage results ----
// The HUD's numbers: the score and stress with what the counters show, the stage's stress
// limit (0 stands for 10) and clear score, and the bonus the time over computes.
struct HudNumbers {
    uint32_t score;
    uint32_t shownscore;
    uint32_t bonus;
    uint32_t stress;
    uint32_t shownstress;
    uint32_t stresslimit;
    uint32_t target;
};
HudNumbers& GetHud();
// Shows a banner (a StageState value) and sets the stage state: the start banner (0x65) starts
// the scenario's music and counts 30 ticks; a result pauses the game's voices, plays its jingle
// and music once and slides its picture (with the score panel for CLEAR and NOT_CLEAR) in as
// sprite 67.
void ShowStageResult(int kind);
// The result numbers (score, bonus, their sum) drawn into the banner picture.
void DrawScorePanel();
// The pause screen (sprites 67-69, voices paused, StageState 100) and its end (StageState 0, the
// pause or banner sprites and cells gone, voices resumed, the frame clock restarted).
void ShowPauseScreen();
void ResumeGame();
// The clock: the stage's `hours` marked from the hour of `start` (hhmm) on the clock's
// background, and its hands turned to `start`; TurnClockHands turns the hands to `clock`.
void SetupClock(int start, int hours);
void TurnClockHands(int clock);
// The frame's refresh mark: rectangles the HUD and the radio changed outside the sprites.
// TakeHudRefresh takes one (1), or answers 0 when none is left; FrameMain copies each to the
// window.
void AddRefreshRect(const RECT* rect);
int TakeHudRefresh(RECT* rect);
// The banner's state: where its picture stands, how fast it slides in (pixels a tick), and the
// start banner's ticks left.
struct HudBanner {
    int32_t x, y;
    int32_t speed;
    int32_t startcount;
};
HudBanner& GetHudBanner();

// ---- high score ----
// Records the stage's result in program folder + stage\<word 0>\<word 1>.ini: a total (score +
// bonus) above the stored one writes highscore and password; a clear writes status (level 0)
// or exstatus. Stage words that are empty or not bare names write nothing (a warning box).
// A write that fails (a read-only folder or file, a full disk) does not stop the others; one
// warning box then names the file. Returns 1 when something was written and every write
// succeeded, else 0.
int SaveHighScore(int cleared);
// The 12-character score code of a total at a date, time and stage number, NUL-terminated
// into `out` (13 bytes).
void MakeScoreCode(char* out, int year, int month, int day, int hour, int minute, int stage,
                   uint32_t total);

// ---- game sounds ----
// Voices: 0-5 positional effects, 7 and 8 one-shot waves, 9 strip board and result jingles,
// 10 warnings and ground sounds, 11 interface effects, 12 the text window's voice, 13 music,
// 14-18 the radio rows, 19 paused with them.
constexpr int kInterfaceWaves = 20;     // interface wave records
constexpr int kInterfaceWaveFiles = 7;  // the ones read at start
constexpr int kVoiceWaves = 10;         // a wave record for each of voices 0-9
constexpr int kEffectVoices = 6;        // voices 0-5
enum InterfaceWave { SE_PRINT, SE_BORDING, SE_FUMAN, SE_FEED, SE_DROP, SE_SELECT, SE_SWITCH };
// Empties the voice, interface and music waves, reads the interface waves se\print.wav ...
// se\switch.wav, sets the voices' volumes and takes back a lowering (LowerEffectVolumes).
void LoadGameWaves();
// Stops voices 10-12 and 0-9 and frees the interface and voice waves (the music is StopBgm's).
void FreeGameWaves();
// Reads `file` (below the program folder) into `wave`, freeing what it held (a file that cannot
// be read leaves it empty); FreeWave frees a wave's data and empties the record.
void ReadWave(tagTOVWAVE* wave, const char* file);
void FreeWave(tagTOVWAVE* wave);
// Plays music\<name>.wav on voice 13 `loops` times (-1 endless) at `volume`; an empty name
// leaves the music playing.
void PlayBgm(const char* name, int loops, int volume);
void StopBgm();
// Plays a file (below the program folder) once on `voice` in `wave`.
void PlayWaveOnVoice(int voice, const char* file, tagTOVWAVE* wave);
// 1 pauses, 0 resumes voices 14-19, 0-4, 10, 9, 7, 8 and 12.
void PauseAllSounds(int flag);
// Plays a file once on voice 7, else 8; 0 when both play.
int PlayOneShotWave(const char* file);
// Interface wave n on voice 11.
void PlaySe(int n);
// 1 lowers voices 10, 7, 8 and the radio's volume to a third, 0 restores them. Returns 0 when
// asked to lower what is already lowered (nothing changes), else 1.
int LowerEffectVolumes(int flag);
// The wave record of game voice 0-9 and interface wave 0-19 (null outside), and the radio
// volume now (lowered while the radio text window speaks).
tagTOVWAVE* GetVoiceWave(int voice);
tagTOVWAVE* GetInterfaceWave(int n);
int GetAtcVolume();
