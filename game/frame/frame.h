// The game frame: the game's phase word and stage state, the scenario read at start-up, and the
// services every game subsystem calls (registries, files, glyphs, settings, windows).
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

// ---- settings (config.ini, krn2.ini) ----
// Read once at start by ReadConfig; volumes are on the sound library's 0-15 scale.
struct GameConfig {
    int32_t softmode;      // krn2.ini [MODE] EMULATION is "soft"
    int32_t level;         // [GAME] level
    int32_t radarmode;     // [GAME] radar, 0 or 1
    int32_t radarlarge;    // [DISPLAY] radarL: 0 radar docked, else in its own window
    int32_t language;      // [ATC] language
    int32_t multi;         // [ATC] multi
    int32_t resolution;    // [DISPLAY] resolution 1-3
    int32_t exresolution;  // [DISPLAY] ex_resolution
    int32_t through;       // [DISPLAY] through != 0
    int32_t cloud;         // [DISPLAY] cloud != 0
    int32_t winlayout;     // 0 docked, 1 separate, 2 separate and maximised
    int32_t cameramove;    // [DISPLAY] cameramove
    int32_t atcvolume;     // [VOLUME] atc x 15 / 100
    int32_t bgmvolume;     // [VOLUME] bgm x 15 / 100
    int32_t envvolume;     // [VOLUME] env x 15 / 100
    int32_t dsound;        // [GAME] dsound != 0
};
GameConfig& GetConfig();

// ---- the run's windows, engine and screen ----
HWND GetMainWindow();
HWND GetViewWindow();
tagKRN* GetEngine();         // null before GameInit started it and after GameEnd
tagKRNL* GetRootLayer();     // the master layer, likewise
HZEMSCREEN GetMainScreen();  // the 800 x 600 2D screen (1600 x 600 buffer), likewise
// The program folder in the system's form, with its trailing backslash ("C:\...\").
const char* GetProgramFolder();
// Word 0 of the command line: the airport code.
const char* GetAirportCode();

// ---- files and cells ----
// Reads at most `size` bytes of program folder + `path` into `buffer`; on an open error the
// file box asks Retry or Cancel (0). Returns 1 with the bytes read in *read (may be null).
int ReadWholeFile(HWND owner, const char* path, void* buffer, int size, int* read);
// Registered cells: a bitmap cell GDI can draw into, a picture read into a cell, and their
// release. 1 or 0.
int CellAllocBmp(tagCELL* cell, int width, int height, const char* caption);
int LoadPictureCell(const char* path, tagCELL* cell);
void CellFree(tagCELL* cell, const char* caption);

// ---- the trace (WYN_GAME_TRACE) ----
// 1 when a trace file is open.
int GameTraceOn();
// Appends one line, formatted like printf; the line is in the system's text (Shift-JIS) and
// written in UTF-8.
void GameTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- HUD, sprites, sounds and input (their own modules) ----
// Sprite composition.
int SpriteInit(HZEMSCREEN screen, const RECT* area, const RECT* background);
int EraseSprites(HZEMSCREEN screen);
int DrawSprites(HZEMSCREEN screen);
// HUD and stage results.
void StageBannerMain(int ticks);
void StressMain();
void DrawScoreCounter(int ticks);
void DrawWindIndicator();
void ShowPauseScreen();
void ResumeGame();
// The HUD's refresh mark: 1 and the rectangle when the score counter or the stress gauge
// marked one since the last call (the mark is cleared), else 0.
int TakeHudRefresh(RECT* rect);
// Adds `rect` to the frame's refresh mark, which FrameMain copies to the window.
void AddRefreshRect(const RECT* rect);
// Sprite n's position, z, pattern, key, tint level and tint colour (-1 leaves a field).
int SetSpriteEx(HZEMSCREEN screen, int n, int x, int y, int z, int pattern, int key, int level,
                int tint);
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
// Shows a banner (a StageState value) and sets the stage state.
void ShowStageResult(int kind);
// Raises the score (kind 1: with the response bonus) and the stress of an aircraft's doing.
void AddScore(int slot, int points, int kind);
void AddStress(int slot, int amount);
// Reads the aircraft's move script port\<airport>\mov\<name>.sce into its script buffer;
// warns on failure and marks the script empty. Sets `scriptpos` 0; returns the read result.
int LoadScript(int slot, const char* name);
// Records the stage's result in its stage ini (highscore, password, status marks).
int SaveHighScore(int cleared);
// The clock picture's cell, whose hand frames the clock turns (null before it is loaded).
tagCELL* GetClockCell();
// Changes the selected aircraft's slot (-1 none).
void SetSelectedAircraft(int slot);
// Game sounds.
void LoadGameSounds();
void FreeGameSounds();
void PauseAllSounds(int flag);
// The wave record of game voice 0-9 (null outside), and the radio volume now (lowered while
// the radio text window speaks).
tagTOVWAVE* GetVoiceWave(int voice);
int GetAtcVolume();
// Keyboard and mouse.
void KeyCommand();
void MouseCommand();
// The selected aircraft's slot, -1 when none.
int GetSelectedAircraft();

// ---- the program ----
// The work of WinMain: wait for the script host, open the windows, run the one stage, hand over
// to the stand-by window. Returns the program's exit code (0).
int GameMain(HINSTANCE instance, const char* cmdline);
