// The traffic simulation: the aircraft table and its record, the status and phase words, and the
// command-menu item layout in which an aircraft keeps its chosen item, its script items and its
// answer ring. The records are plain data: the game allocates the table once, zeroed, and every
// subsystem reads and writes its fields in place, by slot number (0-19).
// Calls world/ for the airport's tables, the aircraft's 3D objects and the geometry they move
// by, the cameras and ground events it starts; controller/ for the strips, radar labels and menu
// it keeps in step with each aircraft and the radio exchanges it starts; base/ for the services.
#pragma once

#include <array>
#include <cstddef>
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

// An entry of the route-name table (rows of three): a name, a second name, four messages. The
// scripts' spot offers (opcode 140) fill the rows as spot groups, row = spot number: each of the
// three entries a line with its script (`name`) and its label (`name2`, 16 bytes used), the
// first entry also the offer's four words (`msg`) and value (`spare`).
struct RouteName {
    char name[16];
    char name2[64];  // the second name begins at byte 16
    int32_t msg[4];  // at byte 80
    int32_t spare;
};
constexpr int kSpotGroups = 16;
constexpr int kSpotGroupLines = 3;

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
    int32_t scriptlen;  // bytes of the loaded script; the rest of the buffer reads as -1
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
    int32_t turnspeed;  // minimum turn speed of the type, knots (the type file's word at 76)
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

// ---- the stage's weather (the timetable's record 8) ----
struct StageWeather {
    int32_t winddir;    // degrees
    int32_t windspeed;  // knots
    int32_t pressure;   // the four-digit number the radio texts insert
};
StageWeather& GetStageWeather();

// ---- lookups over the table ----
// Every lookup answers -1 (0 for GetAircraftAtSpot) while there is no table.
// The first slot whose `used` is 0, or -1 when all 20 are in use.
int FindFreeAircraft();
// The first slot whose `id` equals `id` (0 finds the first unassigned slot), or -1.
int FindAircraftSlot(int id);
// The slot of `id` when one holds it (whatever the strip queues hold); else the first
// unassigned slot, unless `kind` is 1 and the arrival strip queue holds 5 aircraft, or `kind`
// is 2 and the departure strip queue holds 5; else -1.
int AcquireAircraftSlot(int id, int kind);
// 1 while the arrival strip queue holds fewer than 5 aircraft.
int HasStripRoom();
// The ID of the aircraft standing at, or sent to, spot n (0-63): the slots in use with a
// `spot` mark it, else those at panel status 0x60 mark spot `choice` - 1; a later slot wins.
// 0 when none, and for n outside 0-63; marks outside 0-63 are passed over.
int GetAircraftAtSpot(int n);
// Stage set-up: the timetable position 0, `used` and `id` of all 20 records 0; nothing else of
// the records changes.
void ClearAircraftTable();
// Empties the aircraft's order state before the record is (re)filled; `full` also zeroes
// `dpitch` and the two route flag bytes and clears its radar label row.
void ResetAircraftOrders(int slot, int full);
// The lighter reset for an aircraft in play: its route choices only.
void ClearAircraftRoute(int slot);

// ---- the timetable's records ----
// A stage file's timetable is a run of records of 32-bit little-endian words, each beginning
// with its opcode; the records are read field by field into the structures below (texts keep
// their field's bytes up to the first NUL and are always terminated).
enum TimetableOpcode : int32_t {
    TT_CREATE = 5,     // CreateAircraft
    TT_PARK = 6,       // CreateParkedAircraft, only before the first timed record
    TT_READY = 7,      // CreateAircraftById
    TT_WIND = 8,       // wind direction, speed and the radio's number
    TT_RUNWAYS = 9,    // the two runway texts
    TT_ROUTES = 4020,  // the eight route-set numbers
    TT_PLAN = 4030,    // an aircraft's plan word
    TT_IF = 5000,      // TestCondition, jump when it holds
    TT_GOTO = 5010,    // jump
    TT_SET = 5020,     // GameVariables[value of a] = value of b
    TT_END = -1,       // the timetable stops here for good
};
// The record's size in bytes, or 0 for an opcode outside the table.
int TimetableRecordSize(int32_t opcode);

// Record 5: a new aircraft in flight or on the ground.
struct FlightRecord {
    int32_t time;  // hhmm, 0 = at stage start
    int32_t id;
    int32_t x, z;  // metres
    int32_t feet;
    int32_t knots;
    int32_t heading;
    int32_t flight;
    char airline[8 + 1];
    char type[8 + 1];
    char port[8 + 1];  // the other airport; empty = none
    int32_t livery;    // 0 = none
    int32_t schedule;
    int32_t sched;  // hhmm
    int32_t kind;   // 1, 2, 11 or 16; also the strip-queue kind of the slot search
    int32_t flags;  // ORed into the model type flags
    int32_t plan;
    char script[16 + 1];  // the move script; empty = none
};
// Record 6: an aircraft parked at stage start.
struct ParkedRecord {
    int32_t id;
    int32_t spot;  // 0-63; 64 or more: not placed
    int32_t flight;
    char airline[8 + 1];
    char type[8 + 1];
    char port[8 + 1];
    int32_t livery;
    int32_t schedule;
    int32_t sched;
    int32_t flags;  // also: with a script named and this not -1, a departure strip at once
    char script[16 + 1];
};
// Record 7: readies an aircraft already in the table.
struct ReadyRecord {
    int32_t time;
    int32_t id;      // with bit 0x1000 the low 8 bits name a spot (GetAircraftAtSpot)
    int32_t flight;  // >= 1; <= 0 links to the aircraft of ID id + flight
    int32_t quantity;
    int32_t kind;      // 2, 3, 4, 5, 6, 7, 9 or 32; also the strip-queue kind
    int32_t status;    // StatusCode
    char port[8 + 1];  // empty = unchanged
    int32_t plan;
    char script[16 + 1];
};
// The body of record 5000 (and of the scripts' condition): value id A, operator, value id B
// or constant K, jump target.
struct ConditionRecord {
    int32_t a;
    int32_t op;
    int32_t b;
    int32_t target;
};
// Each reads its record from `bytes` (the record from its opcode on); fields past `size` read
// as zero. Returns 1 when the whole record was there, else 0.
int ReadFlightRecord(const uint8_t* bytes, size_t size, FlightRecord* r);
int ReadParkedRecord(const uint8_t* bytes, size_t size, ParkedRecord* r);
int ReadReadyRecord(const uint8_t* bytes, size_t size, ReadyRecord* r);
int ReadConditionRecord(const uint8_t* bytes, size_t size, ConditionRecord* r);

// ---- the stage clock ----
// The stage time as hhmm and the world ticks not yet turned into a minute.
struct GameClock {
    int32_t clock;  // hhmm
    int32_t ticks;  // the accumulator
    int32_t start;  // `starttime`, from the header
    int32_t end;    // `endtime`: the full hour the stage ends at
};
GameClock& GetGameClock();
// hhmm + `minutes` (0-59) with the hour carry: minutes past 59 move into the next hour (+40).
int AddMinutes(int hhmm, int minutes);
// Adds `ticks` to the clock: while the accumulator exceeds 600 the clock gains a minute (601
// ticks for the first minute of a stage, 600 after). Returns the minutes gained.
int AdvanceGameClock(GameClock* c, int ticks);
// ((start + hours x 100) / 100) x 100, a length of 0 standing for 10 hours.
int StageEndTime(int start, int hours);
// The bonus at time over: ((limit - shown) x 100 / limit) x 10, plus 1000 when the shown
// stress is 0; 0 when the shown stress has reached the limit. A limit of 0 stands for 10.
uint32_t TimeOverBonus(uint32_t limit, uint32_t shownstress);

// ---- the retry queue ----
// Creations that had to wait: each entry keeps its own copy of its record, so a record that a
// script built for the call outlives it.
struct RetryEntry {
    int32_t due;     // hhmm
    int32_t delay;   // minutes
    int32_t opcode;  // TT_CREATE (flight) or TT_READY (ready)
    FlightRecord flight;
    ReadyRecord ready;
};
constexpr int kRetryEntries = 32;
struct RetryQueue {
    int32_t count;
    std::array<RetryEntry, kRetryEntries> entries;
};
RetryQueue& GetRetryQueue();
// Defers a creation: due at the clock + 1 (no carry), with `delay`. Exactly one of the records
// is given. Returns 1, or 0 when the queue is full (the deferral is refused and logged).
int DeferCreation(const FlightRecord* flight, const ReadyRecord* ready, int delay);

// ---- the stage's runway texts (record 9) ----
struct StageRunways {
    char runways[16 + 1];   // one digit per arrival runway: "0" closed
    char runways2[16 + 1];  // stored, not read
};
StageRunways& GetStageRunways();

// ---- the timetable ----
// Stage set-up, before RunTimetable: the clock from the header's start (accumulator 0) and
// its end time, the retry queue emptied, both runway texts "000000000000000".
void ResetTimetable();
// Stage set-up: runs the records due at the start (time 0), parking the aircraft of records 6
// that stand before the first timed record; stops at the first timed record not at 0.
void RunTimetable();
// Per frame with the world ticks: advances the clock, runs the records that came due, retries
// one waiting creation, and ends the stage (CLEAR or NOT_CLEAR) at its end time.
void StepTimetable(int ticks);
// The timetable's position (a byte offset into the timetable), -1 once it stopped for good.
int GetTimetablePosition();

// ---- game values and conditions ----
// A value id: the class in the upper 16 bits, a parameter n in the lower; other ids are
// constants and stand for themselves.
int32_t GetGameValue(int32_t id);
// 1 when the condition holds (operators 0x10-0x13, 0x20, 0x21, 0x30, 0x31, 0x40, 0x41), else 0.
int TestCondition(const ConditionRecord& record);
// The stage's 101 variables, written by record 5020, read through class 0x0FFF; all 0 at
// program start and never cleared (a run plays one stage).
constexpr int kGameVariables = 101;
using GameVariables = std::array<int32_t, kGameVariables>;
GameVariables& GetGameVariables();

// ---- flight data files ----
// airplane\<airline>.dat (112 bytes), airplane\<type>\<type>.dat (80) and etc\ap\<code>.dat
// (80), read field by field; a short file reads zero-filled, and each text is cut to the field
// of the record it is copied to, always NUL-terminated.
constexpr int kAirlineFileSize = 112;
constexpr int kTypeFileSize = 80;
constexpr int kPortFileSize = 80;
struct AirlineData {
    char prefix[8];     // `callprefix`
    char english[32];   // `airlinee`: at most 31 characters of the 64-byte field
    char japanese[32];  // `airlinej`
};
struct TypeData {
    char name[16];      // `typename`
    char text[48];      // `typetext`
    int32_t flags;      // the model type flags
    int32_t value;      // stored negated in `typeoffset`
    int32_t tailclear;  // 0 stands for 10000
    int32_t turnspeed;  // the type's minimum turn speed, knots (0 none)
};
struct PortData {
    char english[32];   // `portnamee`, from a 16-byte field
    char japanese[32];  // `portnamej`, from a 16-byte field
    char third[32];     // `portname3`, from a 48-byte field
};
void ParseAirlineData(const uint8_t* bytes, size_t size, AirlineData* d);
void ParseTypeData(const uint8_t* bytes, size_t size, TypeData* d);
void ParsePortData(const uint8_t* bytes, size_t size, PortData* d);
// "%s-%3.3d" for the prefix "JAIR" (any case), else "%s-%4.4d", cut to 16 bytes with its NUL.
void FormatCallsign(char out[16], const char* prefix, int flight);
// The bits the type name adds to the model type flags: 0x10000 for B74*, B76*, B77*, MD90,
// A300 and A320, 0x20000 for B73*, else 0 (letters without regard to case).
int32_t TypeFlagBits(const char* type);
// Adds TypeFlagBits (type) to the object's type flags.
void SetModelTypeFlags(int slot, const char* type);

// ---- creation ----
// Each returns 1 when the aircraft was created (applied), else 0. `fromTimetable` is 1 for the
// timetable and the scripts (which may defer into the retry queue) and 0 for the retry queue;
// `delay` is the delay in minutes shown on the strip (0 none).
int CreateAircraft(const FlightRecord& record, int fromTimetable, int delay);
int CreateParkedAircraft(const ParkedRecord& record);
// `record.id` is rewritten when it named a spot.
int CreateAircraftById(ReadyRecord& record, int fromTimetable, int delay);
// Finds the body layer (the sub-layer <type><airline>, else the model's own layer) and the
// named parts of the model in object slot `slot`, with their fallbacks.
void FindModelParts(int slot, const char* body);

// ---- model parts ----
// Switches a model part (or does an aircraft-wide action) by its code. Returns 1, or 0 when
// code 0x5000 finds no free ground support; codes outside the table do nothing and give 1.
int SetModelPart(int slot, int code);
// The slot + 1 of the fire-fighting vehicle whose water pipe is out, 0 none.
int GetSprayingVehicle();

// ---- pilot requests ----
// Turns the aircraft's pending request (`request`: a heard exchange result + 1) into its next
// status, strip memo, held speed or phase, and clears it. Names of runways and spots that a
// field points outside its table give no memo.
void HandlePilotRequest(int slot);
// Raises a request: the request timer at 1 (StartRequestAt: at `start`), the counter 0, one more
// repeat; the second raise costs stress 5, the third 10 and so on. The selected aircraft gets
// its command menu when none shows.
void StartRequest(int slot);
void StartRequestAt(int slot, int start);
// Target speed `knots` (units per tick) reached from the present speed in `ticks` steps; fewer
// than one tick count as one.
void SetTargetSpeed(int slot, int knots, int ticks);
// 1 when the wind blows faster than `minimum` knots and the wind direction lies within 50
// degrees of `heading` (integer difference at most 50 or at least 310), else 0.
int IsRunwayWindOk(int heading, int minimum);

// ---- instructions and exchange start ----
// One tick of the instruction in the aircraft's status word (its calls, towing and service
// sequences); nothing for status 0 or while the aircraft talks.
void ExecuteInstruction(int slot);
// Puts the aircraft's call-block messages on row `position` with `result` as the status the
// exchange hands back. 0 (nothing changed) while the row has a talking aircraft, else 1.
int StartExchange(int slot, int position, int32_t result);
// The same with the messages of the aircraft's exchange block when its instruction is the
// block's, else of the first exchange-table entry of the instruction. 0 when the row is busy or
// no messages were found (nothing changed), else 1.
int StartStatusExchange(int slot, int position, int32_t result);
// Gives the aircraft status `status`: its linked aircraft first, then itself; the selected
// aircraft's menu (unless `menu` is 0) and panel are drawn again.
void TakeStatus(int slot, int32_t status, int menu = 1);

// ---- branch checks, emergency and the answer ring ----
// The move script's conditional branch: when the check of `code` holds, the aircraft's move
// script becomes `name` (port\<airport>\mov\<name>.sce). Fields that point outside their
// tables make the check fail.
void CheckRunwayWind(int slot, int code, const char* name);
// Records an emergency or special code with four parameters; the two emergency codes also set
// the status.
void DeclareEmergency(int slot, int code, int p1, int p2, int p3, int p4);
// Writes a scripted answer into the aircraft's answer ring at `radiopos` and advances it (the
// ring keeps the last eight). PushRadioText also keeps `extra` and at most 31 bytes of `text`.
void PushRadioMessage(int slot, int item, int status, int m1, int m2, int m3, int m4);
void PushRadioText(int slot, int item, int status, int m1, int m2, int m3, int m4, int extra,
                   const char* text);

// ---- per frame ----
// Advances every aircraft by `ticks` world ticks (0 while paused or under a banner): the radio
// text window's countdown first; then per tick and slot in use (and not held) the blink light,
// the script, the pending request, the instruction and the phase, each aircraft's layers moved
// on the last tick only; last, also for 0 ticks, the pass that removes aircraft outside the
// playing area, finds conflicts (ending the stage) and sets the camera-dependent details.
// A script, request or instruction that removes the aircraft ends its step. Each change of an
// aircraft's phase word writes the trace line "phase <slot> <old> <new>", each change of its
// status word (seen before and within its step) "status <slot> <old> <new>" in hexadecimal.
void UpdateAircraft(int ticks);
// The display pitch of a model of kind 4: `dpitch` moved by 0.2 toward -10 x speed (held to
// -20..20), toward 0 within 50 units above the ground. Returns it.
double AttitudeFromClimb(int slot);
// 100 points when the aircraft's airline parks at one of its own spots (JAL 3, 4; ANA 5, 6;
// JAS 1, 2, numbered from 1 against `spot` + 1).
void TerminalBonus(int slot);

// ---- score and stress ----
// Raises the score (kind 1: with the response bonus of the aircraft's wait) and the stress of
// an aircraft's doing (times its multiplier, with the warning sound unless the scenario mutes
// it); the counters start from the old values.
void AddScore(int slot, int points, int kind);
void AddStress(int slot, int amount);

// ---- the aircraft move script ----
// The interpreter runs one record per call at most; the opcodes, their operands and lengths are
// the table of simulation/script_ops.h. A record that would read outside the loaded bytes, jump
// outside them or index outside one of the aircraft's tables stands (its position stays, like an
// unknown opcode) and reports one fault line per script and position.

// One interpreter step for the aircraft in `slot`; the update cycle calls it once per world tick
// while the aircraft's `scriptpos` is not -1: the request counter (stress every ten seconds from
// 100 on), the request timer (the counter at 100 after twenty seconds), the general timer (the
// step ends while it counts down), then at most one record.
void RunAircraftScript(int slot);
// Puts the first `size` bytes (at most kScriptBufferSize) of `bytes` into the aircraft's script
// buffer as the script `name`, at position 0; the rest of the buffer reads as the end mark (-1).
// 0 when the slot has no record or no buffer.
int PlaceScript(int slot, const uint8_t* bytes, size_t size, const char* name);
// The name of the script the aircraft loaded last ("" none).
const char* GetScriptName(int slot);
// Reads the aircraft's move script port\<airport>\mov\<name>.sce into its script buffer;
// warns on failure and marks the script empty. Sets `scriptpos` 0; returns the read result.
int LoadScript(int slot, const char* name);

// The clicked command-menu item (item code + 0x100) that the scripts' player wait (opcode 820)
// looks for. The mouse handler hands over its `menuresult` once per frame, 0 when nothing was
// clicked; a click stays until a frame with at least one world tick has run the scripts, so
// that a click in a frame without ticks (paused, or fast frames) is not lost.
void SetMenuResult(int value);
int GetMenuResult();
// Forgets the menu result and the aircraft's script names (a new stage).
void ResetScriptState();

// The calls the script opcodes and the aircraft update make into the rest of the game. The game's
// table calls the functions of those names; tests and the fuzz target put a table of fakes in its
// place.
struct ScriptServices {
    // The move script `name` of the stage's airport (port\<airport>\mov\<name>.sce): whether
    // it exists, and reading it (ReadWholeFile's result, the bytes read in *got).
    int (*scriptExists)(const char* name);
    int (*readScript)(const char* name, uint8_t* buffer, int size, int* got);
    int (*fileExists)(const char* path);
    void (*warn)(const char* text);   // the warning box "Wynmoor２の警告"
    void (*fault)(const char* line);  // a record that stands for a fault (stderr)
    void (*addStress)(int slot, int amount);
    void (*addScore)(int slot, int points, int kind);
    void (*addStripMemo)(int slot, const char* text);
    void (*setStripRunwayMemo)(int slot, int n);
    void (*drawStripCallsign)(int slot);
    void (*drawRadarLabel)(int slot);
    void (*clearRadarLabel)(int slot);
    void (*buildCommandMenu)(int slot);
    void (*drawFlightInfo)(int slot);
    void (*clearCommandMenu)();
    // AddMenuItem's slot index, and the menu item of an index (null when none).
    int (*addMenuItem)(int code, int aircraft, int column);
    MenuItem* (*menuItem)(int index);
    void (*propagateStatus)(int slot, int status);
    int (*pushExchangeMessage)(int position, uint32_t code);  // 0 when the queue is full
    void (*pushRadioMessage)(int slot, int item, int status, int m1, int m2, int m3, int m4);
    void (*pushRadioText)(int slot, int item, int status, int m1, int m2, int m3, int m4, int extra,
                          const char* text);
    void (*drawRadioText)(int x, int y, const char* text, int seconds);
    int (*getRadioTextCountdown)();
    void (*setRadioTextCountdown)(int ticks);
    void (*checkRunwayWind)(int slot, int code, const char* name);
    int (*isRunwayWindOk)(int heading, int minimum);
    void (*declareEmergency)(int slot, int code, int p1, int p2, int p3, int p4);
    int (*groundEvent)(int slot, int code);
    int (*setModelPart)(int slot, int code);  // 0: try again on the next tick
    int (*playEffectWave)(const char* file, const tagKRN3D* position);
    int (*playOneShotWave)(const char* file);
    // Plays the file once on voice 12 (the radio text window's voice); the wave's bytes.
    int (*playVoice)(const char* file);
    int (*createAircraft)(const FlightRecord& record, int fromTimetable, int delay);
    int (*createAircraftById)(ReadyRecord& record, int fromTimetable, int delay);
};
// The game's own table.
const ScriptServices& GameScriptServices();
// The table in use; SetScriptServices (null) returns to the game's own.
const ScriptServices& GetScriptServices();
void SetScriptServices(const ScriptServices* services);

// ---- the radio text window ----
// Shows `text` framed by the pieces of etc\wind01.umz (piece w x h from the picture's xpos and
// ypos, borders from its offsets) as sprite 60 at depth 1000: lines of 64 bytes (n / 64 + 1
// lines past 64, one double-byte character to a piece), as many as fit in the 800 x 200 window
// cell; x -1 centres it; a y of 200 or more is measured from the strip board's top. The
// countdown becomes seconds x 30 ticks (0 or less: as given, and the window stays) and the
// other voices are lowered (DuckVolumes (1)).
void DrawRadioText(int x, int y, const char* text, int seconds);
// The countdown in ticks (0 none; a value of 0 or below is not counted down, so such a window
// stays until the countdown is set again).
int GetRadioTextCountdown();
void SetRadioTextCountdown(int ticks);
// The first step of the aircraft update: a positive countdown loses `ticks`; when it reaches 0
// the window goes down (sprite 60 at 0, 0 with depth 0, its pattern kept), the countdown is 0
// and the voices come back (DuckVolumes (0)). Nothing for 0 ticks (paused).
void CountDownRadioText(int ticks);
