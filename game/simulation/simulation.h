// The traffic simulation: the aircraft table and its record, the status and phase words, and the
// command-menu item layout in which an aircraft keeps its chosen item, its script items and its
// answer ring. The records are plain data: the game allocates the table once, zeroed, and every
// subsystem reads and writes its fields in place, by slot number (0-19).
#pragma once

#include <array>
#include <cstdint>

#include "krn.h"

// ---- the status word (StatusCode) ----
// An aircraft's `status`: instruction in bits 12-23, panel status in bits 4-11, sub-step in bits
// 0-3. Instructions are compared after masking; whole-status comparisons use the signed word.
constexpr uint32_t kStatusInstruction = 0xfff000;
constexpr uint32_t kStatusPanel = 0x000ff0;
constexpr uint32_t kStatusStep = 0x00000f;
// The emergency instructions that the emergency routine sets with their parameters.
constexpr uint32_t kStatusEmergency = 0xf0000;
constexpr uint32_t kStatusEmergency2 = 0xf1000;

inline constexpr uint32_t StatusInstruction(int32_t status) {
    return static_cast<uint32_t>(status) & kStatusInstruction;
}
inline constexpr uint32_t StatusPanel(int32_t status) {
    return static_cast<uint32_t>(status) & kStatusPanel;
}

// ---- the phase word (AircraftPhase) ----
// An aircraft's `phase`; any other value behaves as PHASE_STILL.
enum AircraftPhase : int32_t {
    PHASE_STILL = 0,
    PHASE_FLY_HEADING = 20,
    PHASE_MANOEUVRE = 30,
    PHASE_FLY_TO_POINT = 100,
    PHASE_INTERCEPT = 200,
    PHASE_INTERCEPT_B = 300,
    PHASE_LANDING = 400,
    PHASE_LANDING_SPECIAL = 410,
    PHASE_SPOT_IN = 500,
    PHASE_PUSHBACK = 600,
    PHASE_TAKEOFF = 700,
    PHASE_TAXI_TO_POINT = 800,
    PHASE_DIRECT_TO_POINT = 900,
    PHASE_TOUCH_AND_GO = 1200,
};

// The five control positions: the radio rows, an aircraft's `position`.
enum ControlPosition : int32_t {
    POSITION_APPROACH = 0,
    POSITION_TOWER = 1,
    POSITION_GROUND = 2,
    POSITION_DELIVERY = 3,
    POSITION_DEPARTURE = 4,
};
constexpr int kPositionCount = 5;

// ---- the command-menu item (MenuItem) ----
// One command icon of the menu, and the same 96-byte layout for an aircraft's chosen item, its
// script items and its answer ring. The seven data words that scripts and the answer ring fill
// begin at `position`. An answer-ring entry (RadioMessage) reads the layout as: `code` the item
// it answers, `position` the status code the item gives, `reply` always 0, `flags` the extra
// word of the text push, `msg` the four message numbers, `name` empty, `name2` a text of up to
// 31 characters.
struct MenuItem {
    int32_t code;      // item code (icon set x 256 + icon number) + 1; 0 = empty slot
    int32_t x, y;      // sprite position of the icon
    int32_t value;     // choice values: approach choices from the approach table, else the icon
    int32_t value2;    //
    int32_t position;  // the control position that answers (0-4); 255 = the aircraft's own
    int32_t reply;     // -1 none; else the exchange row result to set (route items)
    uint32_t flags;    // score and effect bits of the command
    int32_t msg[4];    // radio message numbers; a negative number ends the list
    char name[16];     // text handed to the aircraft (its script label)
    char name2[32];    // second name (16 bytes are handed on); the answer ring's text
};
static_assert(sizeof(MenuItem) == 96, "the item's layout is shared with the answer ring");

constexpr int kRadioRingSize = 8;  // the answer ring keeps the last eight answers

// An entry of a script's menu-entry list: a route item of the menu.
struct MenuListEntry {
    int32_t code;      // item code
    int32_t position;  // control position
    int32_t msg[4];    // message numbers
    int32_t reply;     // exchange result, -1 none
    uint32_t flags;    // bits 28-31: kind; bits 4-7: 1 lights the strip
    char name[16];
    char name2[16];
};

// A row of the approach table: three choice points, the plan's messages, the script names.
struct ApproachEntry {
    int32_t x[3], z[3];  // the three (x, z) choice points
    int32_t msg[4];      // the plan's four message numbers
    char name[16];       // base script name
    char variant[3][8];  // variant script names
    int32_t variantsel;  // the variant field (0, or 0x100 + the variant number)
};

// A candidate name: a script name and its four words (the spot entries the menu offers).
struct CandidateName {
    char name[16];
    int32_t words[4];
};

// A line of a spot group: a script name and its label.
struct SpotGroupLine {
    char script[16];
    char label[16];
};
struct SpotGroup {
    SpotGroupLine line[3];
    int32_t words[4];  // the first line's four words
    int32_t value;     // and its value
};

// An entry of the route-name table (rows of three): a name, a second name, four messages.
struct RouteName {
    char name[16];
    char name2[64];  // the second name begins at byte 16
    int32_t msg[4];  // at byte 80
    int32_t spare;
};

// The call block of a scripted call (script opcode 602).
struct CallBlock {
    int32_t position;
    int32_t result;  // status on a heard result
    uint32_t flags;
    int32_t msg[4];
};

// ---- the aircraft record (AircraftRecord) ----
// Texts are NUL-terminated Shift-JIS in fixed fields; integers 32-bit signed unless said.
struct AircraftRecord {
    int32_t used;  // 1 while the slot holds an aircraft in play
    int32_t id;    // the scenario's aircraft ID; 0 = slot not assigned
    char callsign[16];
    char typename_[16];  // `typename`: the aircraft type name
    char typetext[48];
    char airline[8];
    char airlinee[32];
    char airlinej[32];
    char portnamee[32];
    char portnamej[32];
    char portname3[32];
    char port[8];
    char portword[16];
    char name2[16];
    char callprefix[8];
    int32_t typeoffset;
    int32_t sched;     // scheduled time hhmm
    int32_t delay;     // minutes
    int32_t schedule;  // schedule number of the timetable record
    int32_t strip;     // StripState; bit 0x1000 departures; 0 none
    int32_t memo;
    int32_t stripslot;  // 0-15, -1 none
    int32_t quantity;
    int32_t status;     // StatusCode
    int32_t phase;      // AircraftPhase
    int32_t basephase;  // phase copy
    int32_t talking;
    int32_t waitcount;
    int32_t reqtimer;
    int32_t repeats;
    int32_t holding;
    int32_t request;    // heard exchange result + 1; 0 none
    uint8_t* script;    // the move-script buffer (kScriptBufferSize bytes), owned by the game
    int32_t scriptpos;  // next operation's byte offset; -1 no script
    tagKRN3D point;     // target point
    tagKRN3D velocity;
    tagKRN3D dpos;  // the position last handed to the 3D layer
    int32_t hdg;
    int32_t course;  // target heading 0-359
    int32_t choice;  // 1-based chosen item; 0 none
    int32_t turn;    // 1 right, 2 left
    int32_t subchoice;
    int32_t timer;
    int32_t runway;  // arrival runway index + 1; 0 none
    int32_t spot;    // 0-based spot, -1 none
    int32_t place;
    int32_t mark;
    int32_t windcheck;
    int32_t position;  // control position in charge 0-4
    int32_t sidgroup;
    int32_t sidentry;
    int32_t correction;
    int32_t target;
    int32_t approach;  // 0-7 into the stage's route-set numbers
    int32_t approachitem;
    int32_t conflict, conflict2;
    int32_t plan;  // bits 8-11 stress multiplier - 1; bits 12-19 family; low byte a number
    int32_t amount;
    int32_t speaker;
    int32_t blink;  // 0-599
    double tspeed;  // world units per tick
    double sstep;
    double talt;
    double plimit, prate, tlimit, dpitch, camdist, vrotate;
    MenuItem chosen;
    MenuItem items[3];
    int32_t emcode;
    int32_t emparam[4];
    MenuItem radio[kRadioRingSize];  // the answer ring (RadioMessage)
    int32_t radiopos;                // next ring index 0-7
    MenuListEntry menulist[2][8];
    int32_t menucount[2];
    CallBlock call;
    ApproachEntry approachtab[8];
    CandidateName names[16];
    SpotGroup spotgroups[16];
    RouteName routenames[48];
    uint8_t routeflags[2];
    int32_t ldlights;
    char label[8][16];  // named script slots
    int32_t vars[10];   // the script's variables
    int32_t setting;    // the setting word of script opcode 630
    int32_t formation;  // formation flag of script opcode 92
    int32_t leader;     // formation leader's object slot, -1 none
    tagKRN3D offset;
    int32_t offsetmode, catchup, joinsteps;
    double joinspeed, catchstep;
    int32_t links;
    int32_t linked[16];
    int32_t linkedto;  // -1 none
    int32_t leadstop;
    int32_t tailclear;
    int32_t maxbank, levelbank;
    double bstep;
    int32_t ground;
    int32_t area;
};

constexpr int kAircraftSlots = 20;
constexpr int kScriptBufferSize = 0x4000;

using AircraftTable = std::array<AircraftRecord, kAircraftSlots>;

// The aircraft table of the run: allocated zeroed by GameInit (through MemAlloc) and handed in
// here, taken back at GameEnd (null). Null outside that time.
AircraftTable* GetAircraftTable();
void SetAircraftTable(AircraftTable* table);

// ---- the stage's weather (the timetable's weather record) ----
struct StageWeather {
    int32_t winddir;    // degrees
    int32_t windspeed;  // knots
    int32_t pressure;   // the four-digit number the radio texts insert
};
StageWeather& GetStageWeather();

// ---- per frame ----
// Advances every aircraft by `ticks` world ticks (0 while paused or under a banner).
void UpdateAircraft(int ticks);
// Runs the stage clock and the timetable records that came due.
void StepTimetable(int ticks);
