// The airport world: the 3D object records (slots 0-19 the aircraft bodies), the view points,
// the loaded airport and its SID table, and the game's camera. Plain records, reached by slot
// number through the accessors below.
#pragma once

#include <array>
#include <cstdint>

#include "krnlayer.h"

// ---- the object record (ObjectRecord) ----
// One per slot; 100 in one block allocated zeroed at start. Stage reset clears the first two
// fields and the last one (`used`, `layer`, `hold`), so `hold` stays the last field.
struct ObjectRecord {
    int32_t used;    // 1 while the slot holds an object
    tagKRNL* layer;  // the object's root layer under the master layer; 0 none
    tagKRNL* body;   // aircraft: the body layer the update moves
    tagKRNL* shadow;
    tagKRNL* tire;
    tagKRNL* nosegear;
    tagKRNL* flapup;
    tagKRNL* flapdown;
    tagKRNL* brdoff;     // propeller blades at rest
    tagKRNL* brdon;      // and turning
    tagKRNL* blades[3];  // turning-blade frames "brd0"-"brd2"
    tagKRNL* revoff;
    tagKRNL* revon;
    tagKRNL* dragshoot;
    tagKRNL* atlight;
    tagKRNL* ldlightm;
    tagKRNL* ldlightl;
    tagKRNL* ldlightr;
    tagKRNL* frlight;
    tagKRNL* nlight;
    tagKRNL* simple;  // the low-detail layer from the ".pl2" file; 0 none
    tagKRNL* afterburner;
    tagKRNL* gearup;
    tagKRNL* hatchclose;
    tagKRNL* hatchopen;
    tagKRN3D pos;    // world units: x, z horizontal, y up
    tagKRN3D angle;  // degrees: x pitch, y heading, z bank
    double speed;    // world units per tick
    int32_t flight;  // aircraft: flight number; smoke: slot of the aircraft followed
    int32_t kind;    // aircraft: model type flags; ground objects: animation state
    int32_t state;   // sub-state word of the phase or service sequence
    int32_t step;    // second sub-state word
    int32_t link;    // aircraft: slot (32-35) of the service car it holds, 0 none
    int32_t count;   // animation tick counter, time stamp, landing-sound flag
    int32_t hold;    // 1 while the aircraft update skips this aircraft
};

constexpr int kObjectSlots = 100;
constexpr int kObjectAirport = 20;  // the airport scenery, "AIRPORT"
constexpr int kObjectSky = 21;      // the sky, "SKYLAYER"

using ObjectTable = std::array<ObjectRecord, kObjectSlots>;

// The object table of the run: allocated zeroed by GameInit and handed in here, taken back at
// GameEnd (null). Null outside that time.
ObjectTable* GetObjectTable();
void SetObjectTable(ObjectTable* table);

// ---- view points (ViewPointTable) ----
// Records for object slots 20-99; slot 20 (the airport) gives the tower eye and ground height.
struct ViewPoint {
    tagKRN3D point;  // reference point of the slot's view
    tagKRN3D eye;    // a fixed eye point
    tagKRN3D aim;
    tagKRN3D aim2;
    int32_t range;
    int32_t height;  // ground height of the slot's area, world units
};
constexpr int kViewPointFirst = 20;
using ViewPointTable = std::array<ViewPoint, kObjectSlots - kViewPointFirst>;

// ---- the airport record (AirportRecord) ----
// The loaded airport description, read field by field from the ".ad3" (or ".ad2") file. Names
// keep the file's bytes and a terminator, so a name without a NUL ends at its field's end.
struct AirportPlace {  // a parking spot or a runway
    char name[16 + 1];
    int32_t x;        // hundredths of a world unit
    int32_t z;        //
    int32_t height;   // ground height, world units
    int32_t heading;  // degrees
};
struct AirportLight {  // a night light
    int32_t x, z, y;
    int32_t red, green, blue;  // 0-255, low byte used
    int32_t range;
    int32_t spare;
};
constexpr int kAirportSpots = 64;
constexpr int kAirportRunways = 8;
constexpr int kAirportLights = 8;
struct AirportRecord {
    char name[32 + 1];
    double yaw;   // turn of the scenery and the sky about y, degrees
    double yaw2;  // kept
    AirportPlace spots[kAirportSpots];
    AirportPlace arrivals[kAirportRunways];    // by an aircraft's `runway` - 1
    AirportPlace departures[kAirportRunways];  // by the departure choice - 1
    int32_t lights;                            // number of night lights 0-8
    AirportLight light[kAirportLights];
};

// The airport block of the run: allocated by GameInit and handed in here; null outside.
AirportRecord* GetAirportRecord();
void SetAirportRecord(AirportRecord* airport);

// The stage's information letter number 0-5 (drawn when the airport loads): letter "A" + n.
int GetInformationLetter();

// ---- the SID table ----
// 16-byte entries: a name and one byte per runway configuration 0-3 in `a` and in `b`; an entry
// whose name begins with NUL ends the table.
struct SidEntry {
    char name[8];
    uint8_t a[4];
    uint8_t b[4];
};
constexpr int kSidEntries = 256;
using SidTable = std::array<SidEntry, kSidEntries>;
static_assert(sizeof(SidTable) == 4096, "the SID block of the airport");

// The SID block of the run: allocated by GameInit and handed in here; null outside.
SidTable* GetSidTable();
void SetSidTable(SidTable* table);

// ---- the camera (CameraRecord) ----
// bits 12-19 of `state`: the mode; bits 20-27: the transition phase; 0x100 after reset.
constexpr uint32_t kCameraModeMask = 0xff000;
constexpr uint32_t kCameraPhaseMask = 0xff00000;
struct CameraRecord {
    uint32_t state;
    int32_t object;   // followed object slot
    int32_t object2;  // the slot the camera comes from, or mode 0x7000's second object
    int32_t ready;    // 1 when the goal of the current phase has been computed
    int32_t count;    // ticks left in the current phase
    int32_t count0;   // the phase length saved at the start of a three-part change
    tagKRN3D eye;
    tagKRN3D rotate;  // degrees: x pitch, y heading, z bank
    tagKRN3D scale;
    double zoom;
    tagKRN3D offset;
    tagKRN3D target;
    tagKRN3D goaleye;
    tagKRN3D goalrot;
    double distance;
    double goaldist;
};

// The game's one camera record.
CameraRecord& GetCameraRecord();

// ---- objects, camera and scene animation ----
// Deletes the slot's layer with its subtree and clears the record (and, below 20, the aircraft
// record's `used` and `id`); a slot without a layer is left untouched.
void DeleteObject(int slot);
void CameraReset();
// Loads an aircraft model file (a path relative to the program folder) into object slot
// `slot` under a new root layer of the unique form of `name`. 1, or 0 when the file is missing
// or cannot be loaded (the slot stays free).
int LoadAircraftModel(int slot, const char* file, const char* name);
// The panoramic view of the airport from the scenario's camera block, gliding over `ticks`
// (0 jumps); `far` chooses the slow turn.
void SetDefaultCamera(int ticks, int far);

// ---- the boarding bridges ----
// One row per spot 0-15: the bridge's three pose layers (null where the spot has no bridge).
constexpr int kBridgeRows = 16;
struct BridgeRow {
    tagKRNL* pose[3];
};
using BridgeTable = std::array<BridgeRow, kBridgeRows>;
BridgeTable& GetBridgeTable();

// ---- ground support and ground events ----
// 1 when a tug and its service car are both free.
int IsGroundSupportFree();
// A numbered ground event for the aircraft in `slot`; the result matters only for some codes.
int GroundEvent(int slot, int code);
void GroundEventCancel(int slot, int code);

// ---- the smoke trail ----
// The smoke particles' layer and emitter settings, and the source that the camera step emits
// from while it is on (an offset from the followed aircraft).
struct SmokeLayer;
SmokeLayer* GetSmokeLayer();
void SetEmitter(SmokeLayer* smoke, int emitter, double step, int life, int pattern, int size,
                int fade);
struct SmokeSource {
    tagKRN3D offset;
    int32_t on;
};
SmokeSource& GetSmokeSource();
// The per-frame camera step; `ticks` are the frame's unpaused ticks.
void CameraMain(int ticks);
void GroundSupportMain(int ticks);
void RotateRadarAntennas(int ticks);
void MoveMarker(int ticks);
