// The airport world: the 3D object records (slots 0-19 the aircraft bodies), the view points,
// the loaded airport and its SID table, and the game's camera. Plain records, reached by slot
// number through the accessors below.
// Calls simulation/ for the aircraft records its objects, cameras and ground support follow and
// the stage's weather and clock; controller/ for the flight information and menu the cameras
// refresh and a ground event's announcement; base/ for the services.
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
ViewPointTable& GetViewPointTable();
// The record of object slot `slot` (20-99); any other slot (an area outside 0-79) reads zeros.
const ViewPoint& GetViewPoint(int slot);

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

// ---- the route table (RouteTable) ----
// The departure routes of the ".si2" file: 16 groups of 32 entries, each five 16-bit values
// (the first four are radio message numbers) and a name; beside them, per group, the entry
// indexes in file order, ended by 0 (so an index 0 is never listed).
struct RouteEntry {
    int16_t value[5];
    char name[16 + 1];
};
constexpr int kRouteGroups = 16;
constexpr int kRouteEntries = 32;
constexpr int kRouteListed = 8;
struct RouteTable {
    RouteEntry entry[kRouteGroups][kRouteEntries];
    int32_t list[kRouteGroups][kRouteListed];
};
RouteTable& GetRouteTable();

// ---- the point table (PointTable) ----
// The ".ptd" file's (x, z) pairs of world coordinates, read as they stand: the taxi-route
// points that route previews and the radar draw between.
struct TablePoint {
    int32_t x, z;
};
constexpr int kPointTableBytes = 1024;
constexpr int kTablePoints = kPointTableBytes / 8;
struct PointTable {
    TablePoint point[kTablePoints];
    int32_t count;  // whole points read
};
PointTable& GetPointTable();

// ---- the exchange table (ExchangeTableEntry) ----
// The ".dfa" file: per menu item or instruction, the status it leads to and the radio messages
// of its exchange. `count` is the bytes read divided by 24.
struct ExchangeTableEntry {
    int32_t code;    // item code (whole), or an instruction in bits 12-23
    int32_t next;    // status the aircraft takes when the item is chosen
    int32_t msg[4];  // message numbers, -1 none
};
constexpr int kExchangeEntries = 128;
struct ExchangeTable {
    ExchangeTableEntry entry[kExchangeEntries];
    int32_t count;
};
ExchangeTable& GetExchangeTable();

// ---- the airport's named layers ----
// The sub-layers of the scenery that LoadAirport finds by name (0 where the scenery lacks one);
// the cameras, the scene animations, the route preview and the ground events switch them.
constexpr int kRunwayLightLayers =
    6;  // "endlight", "alslgt", "alsl24", "r_light", "rwli16", "rwli34"
// The light-pattern layers "lightpat1" to "lightpat7", in the order the stage's light-pattern
// choice lights them; an airport with fewer leaves out the last names.
constexpr int kLightPatternLayers = 7;
struct AirportLayers {
    tagKRNL* radar[2];      // "radwrot", "radrrot"
    int32_t radarangle[2];  // 0 and 180 after loading, degrees 0-359
    tagKRNL* airporton;     // near scenery
    tagKRNL* airportoff;    // far scenery
    int32_t nearshown;      // 1 while "airporton" is shown
    tagKRNL* runwaylights[kRunwayLightLayers];
    tagKRNL* stlight[3];  // "stlight", "stlight2", "stlight3"
    tagKRNL* woods[2];    // "woods", "woods2"
    tagKRNL* rwlight;
    tagKRNL* nlight;
    int32_t reserved;   // chips of "rwlight" and "nlight" in their fixed slots
    tagKRNL* level[3];  // "obj_0", "obj_1", "obj_2"
    tagKRNL* spotplate;
    tagKRNL* rwplate;
    tagKRNL* lightpat[kLightPatternLayers];
};
AirportLayers& GetAirportLayers();
// The bridge number of each spot row (-1 none): spots 0-6 have the bridges 0-6.
int BridgeOfSpot(int spot);

// ---- loading ----
// Loads the layer file program folder + `file` into a new root layer named `name` (made unique)
// in object slot `slot`, with the low-detail ".pl2" beside it as child "simple". 0 when the
// root layer cannot be made, or (after the box "ファイルが見つかりません" and an exit asked)
// when the file cannot be loaded.
int LoadLayerObject(int slot, const char* file, const char* name);
// Loads an aircraft model into slot `slot`: the ".pl3" beside `file` when [DISPLAY] resolution
// is not 3 and it loads, else `file`. 0 (slot left free, no box) when `file` does not exist,
// the root layer cannot be made or the final load fails.
int LoadAircraftModel(int slot, const char* file, const char* name);
// Reads the stage's airport: its record, scenery, side tables and night lights. Returns 1.
int LoadAirport();
// Turns an ".ad2" image (`size` bytes; missing bytes read as 0) into the airport record.
void ConvertAirportRecord(AirportRecord* destination, const uint8_t* source, size_t size);
// Looks `name` up in the SID table for the stage's runway configuration: 1 when the entry's
// group and entry bytes equal *a and *b, else 0 with them stored there (0, 0 for a name the
// table lacks).
int FindSid(const char* name, int* a, int* b);
// Reads the airport's move script "port\<code>\mov\<name>.sce" into the aircraft's script
// buffer at position 0; 0 and nothing changed when the file does not exist, 0 with the end
// mark (-1) when it cannot be read.
int GetMoveScript(int aircraft, const char* name);

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

// ---- objects ----
// Deletes the slot's layer with its subtree and clears the record (and, below 20, the aircraft
// record's `used` and `id`); a slot without a layer is left untouched.
void DeleteObject(int slot);

// ---- the cameras ----
// A state word is a mode (bits 12-19) and a transition phase (bits 20-27).
constexpr int kCameraPhaseShift = 20;
constexpr uint32_t CameraPhase(uint32_t phase) { return phase << kCameraPhaseShift; }
constexpr int kCameraModes = 13;  // the player's mode numbers 0-12
constexpr int kCameraCaptionMax = 31;
// Stage reset: state 0x100, object 0, eye and angles zero, scale 1, zoom 50.0, distance 0.
void CameraReset();
// Sets a view: `code` a mode (0 keeps the current state) with a phase (none: jump, 0x10);
// `slot` the followed object (-1, and -2 for modes 0x5000-0x7000, keep the current one); the
// offset and target when given; the phase's distance unless 0.0. Returns 1, or 0 (nothing
// changed) for a mode outside 0x1000-0x7000 or a slot whose object is not in use.
int SetCamera(uint32_t code, int slot, const tagKRN3D* offset, const tagKRN3D* target,
              double distance);
// The panoramic view of the airport from the scenario's camera block, gliding over `ticks`
// (0 jumps; a glide while an aircraft is selected shows the marker); `far` chooses the slow
// turn. The caption becomes "PANORAMIC CAM".
void SetDefaultCamera(int ticks, int far);
// Applies the current mode number to the aircraft in `slot` (nothing for -1): its view, zoom,
// transition and scenery, and the caption; with `select` the information panel and the command
// menu are pointed at it first. A change while no transition runs (or in its last part) starts
// from the view of the aircraft followed so far.
void SetCameraMode(int select, int slot);
// The command menu's route preview: the camera glides over 30 ticks to a view of the airport
// from above (mode 0x1000 on the airport, as the panoramic view), 35 degrees down, looking north
// or east across the box that holds its named spots and runways, far enough back for the box's
// longer side to fill the view's width but at most three quarters of the fog's start; the
// caption becomes "PREVIEW CAM". The camera is in its preview state until another view is set.
void SetPreviewCamera();
// 1 while the camera is in its preview state, else 0.
int IsPreviewCamera();
// The camera mode number (0-12) the player chose; other numbers are refused.
void SetCameraModeNumber(int mode);
int GetCameraModeNumber();
// The caption of the current view (at most 31 characters).
const char* GetCameraCaption();
// The per-frame camera step; `ticks` are the frame's unpaused ticks (0: nothing happens). Each
// tick places the eye by the mode or moves the transition, and sets the engine's camera 0; then
// the scenery follows the eye (near or far airport, the woods) and the weather moves (while in
// play, or whenever a transition ran).
void CameraMain(int ticks);

// ---- the marker, the radar antennas and the light runs ----
// The marker: four chips at the engine's chip slots capacity - 10 to - 7 in the root layer
// "ExMark1" (made unique), at (0, 100, 0), hidden. DeleteMarker removes it.
void CreateMarker();
void DeleteMarker();
// The marker layer, 0 when there is none.
tagKRNL* GetMarker();
// Shows (1) or hides (0) the marker; nothing without one.
void ShowMarker(int flag);
// Per frame while an aircraft is selected: the marker hovers 15 above it, grows with the
// camera's distance beyond 300 (1 + (d - 300) x 0.004) and turns by `ticks` degrees.
void MoveMarker(int ticks);
// Per frame: each antenna turns by 3 degrees a tick (kept in 0-359 by one step of 360).
void RotateRadarAntennas(int ticks);
// At night or in rain, once a frame: the three light runs step along their lines by the ticks
// of the game minute (30 steps); a run the airport lacks is skipped.
void StepStLights();

// ---- the boarding bridges ----
// One row per spot 0-15: the bridge's three pose layers (null where the spot has no bridge),
// found by the airport loader.
constexpr int kBridgeRows = 16;
struct BridgeRow {
    tagKRNL* pose[3];
};
using BridgeTable = std::array<BridgeRow, kBridgeRows>;
BridgeTable& GetBridgeTable();

// ---- ground support and ground events ----
// The object slots of the apron's vehicles and effects.
enum GroundSlot : int {
    kSlotTug1 = 30,  // push-back tugs "tag1", "tag2"
    kSlotTug2 = 31,
    kSlotCar1 = 32,  // service cars "gs_car1", "gs_car2"
    kSlotCar2 = 33,
    kSlotCar3 = 34,  // the second service pair: claimed, never loaded
    kSlotCar4 = 35,
    kSlotPc1 = 44,  // "pc1", "pc2": loaded and switched off
    kSlotPc2 = 45,
    kSlotMarshal1 = 46,  // the marshallers "ms1", "ms2"
    kSlotMarshal2 = 47,
    kSlotSmoke1 = 60,  // touchdown smoke or landing spray "smk1", "smk2"
    kSlotSmoke2 = 61,
    kSlotSmoke3 = 62,  // water smoke "smk3", "smk4" (rain only)
    kSlotSmoke4 = 63,
    kSlotGroundFirst = 70,  // 70-89: records of ground event 40
    kSlotGroundLast = 89,
};
// Stage set-up: loads the tugs, service cars, passenger cars, marshallers (their night form on
// a night stage) and the smoke objects (spray and water smoke on a rainy stage), all switched
// off, and finds their sub-layers; the propeller selector is cleared.
void SetupGroundSupport();
// Stage exit: deletes them again (62 and 63 only on a rainy stage).
void ReleaseGroundSupport();
// 1 when tug 1 and service car 1, or tug 2 and service car 2, are both free.
int IsGroundSupportFree();
// 2 when the aircraft holds a tug, else 1 when a tug is free, else 0.
int CheckTugForAircraft(int slot);
// Per frame with the world ticks: smoke puffs and sprays, tugs at their aircraft, the
// propeller frames of the selected aircraft, the marshallers' signs and the service cars'
// cargo runs. 0 ticks redraws the current frames without advancing them.
void GroundSupportMain(int ticks);
// The propeller-animation selector: aircraft slot + 1, 0 none.
void SetPropellerSelector(int value);
int GetPropellerSelector();
// A numbered ground event for the aircraft in `slot`. Returns 0 when the event needs a vehicle
// and none is free; for event 1050 the announcement's result (0 while both announcement voices
// speak); otherwise 1.
int GroundEvent(int slot, int code);
// Gives a vehicle back: code 5 the aircraft's tug, codes 10 and 20 the car in its `link`.
void GroundEventCancel(int slot, int code);
// From the traffic simulation: the number of the tick the aircraft update is simulating within
// the frame (0 the first), which ground event 40 stamps its record with.
int GetUpdateTickStep();

// ---- positional effects (voices 0-5) ----
// The env volume lowered by 1 % per 100 units from the camera eye, to at least a tenth.
int GetDistanceVolume(const tagKRN3D* position);
// Plays a file once on the first idle voice of 0-5 at the volume of its distance, remembering
// the position: the voice, or -1 when all six play.
int PlayEffectWave(const char* file, const tagKRN3D* position);
// Voices 0-4 follow the camera (voice 5 keeps its volume).
void UpdateEffectVolumes();
// Forgets the remembered positions (the stage's sounds are read afresh).
void ClearEffectPlaces();

// ---- weather: clouds, rain, smoke particles and height sway ----
// The stage's weather layers under the master layer (0 where none was built): the clouds (with
// [DISPLAY] cloud on), and the rain on a rainy stage or else the smoke particles.
struct WeatherLayers {
    tagKRNL* cloud;
    tagKRNL* rain;
    tagKRNL* smoke;
};
WeatherLayers& GetWeatherLayers();
// 1 on a rainy stage: the weather letter "R" or "T".
int IsRainStage();
// Stage set-up: the clouds (a rainbow by the scenario's chance) from chip slot capacity - 355,
// then the rain or the smoke from capacity - 555. Stage exit: the cloud layer is deleted.
void SetupWeather();
void DeleteWeather();

// 200 thin streaks in a box of 40 x 40 x 40 round the layer's origin, into chip slots first ..
// first + count - 1, gathered into the layer "AutoRain" (two-sided, alpha, no depth writes).
// 0 when "AutoRain" cannot be made.
tagKRNL* MakeAutoRain(tagKRNL* root, int first, int count);
// Puts the rain box at `position` shaken by -4..3 on each axis, turned to `direction` and
// leaning by `strength` degrees. Nothing for a null layer.
void MoveAutoRain(tagKRNL* rain, const tagKRN3D* position, int direction, int strength);

// The smoke particles: one emitter (0) writing into a ring of `count` particles (at most 200),
// chips first .. first + count - 1 of the layer "AutoSmoke", textures "<folder>smoke0.bmp" ..
// "smoke4.bmp". The emitter starts at step 10.0, life 6000 ms, pattern 0, size 80, fade
// 3000 ms. 0 when "AutoSmoke" cannot be made.
tagKRNL* MakeAutoSmoke(tagKRNL* root, int first, const char* folder, int count);
// Sets emitter 0's step distance, life and fade (ms), texture pattern (0-4) and size, and parks
// its particles. Every smoke call does nothing for a null layer or another emitter.
void SetEmitter(tagKRNL* smoke, int emitter, double step, int life, int pattern, double size,
                int fade);
// Frees particle `index` (parked at y -1000); -1 frees them all and resets emitter 0.
void ResetParticle(tagKRNL* smoke, int index);
// Emits the next particle of the ring at `position` when the source moved at least the step
// distance since the last one: of the distance moved when that lies between the size and twice
// the size, else of the emitter's size.
void EmitParticle(tagKRNL* smoke, int emitter, const tagKRN3D* position);
// Grows, raises and fades the live particles by their age (timeGetTime); a particle older than
// its life is parked.
void AnimateParticles(tagKRNL* smoke);
// The smoke layer (GetWeatherLayers().smoke).
tagKRNL* GetSmokeLayer();
// The smoke trail: while `on`, the camera step emits from the aircraft `slot`'s position plus
// `offset` turned by its angles.
struct SmokeSource {
    tagKRN3D offset;
    int32_t on;
    int32_t slot;
};
SmokeSource& GetSmokeSource();
// The slow sway added to an aircraft's shown height: 0.0 below height 10, growing with the
// height; WindSway2 four times as wide. `ticks` the world tick counter.
double WindSway(int aircraft, int ticks, int height);
double WindSway2(int aircraft, int ticks, int height);

// ---- geometry (degrees; x and z horizontal, y up; heading 0 along +z, 90 along +x) ----
// Every function is pure but for the turn and pitch steps, which write the aircraft's
// `velocity` (or the given vector). "Rounded" is to the nearest integer, halves to even.

// Turns `v` about z, then x, then y by `angles` (a step whose angle is exactly 0 is skipped).
// `out` may be `v`.
void RotateVector3(tagKRN3D* out, const tagKRN3D* v, const tagKRN3D* angles);
void RotateY(tagKRN3D* out, const tagKRN3D* v, double degrees);
void RotateX(tagKRN3D* out, const tagKRN3D* v, double degrees);
// Per component, `angles` moved by -360 or +360 to within 180 of `reference`.
void UnwrapAngles(tagKRN3D* out, const tagKRN3D* angles, const tagKRN3D* reference);
// +0.2, -0.2 or 0.0: the side toward `target` from the rounded heading (differences normalised
// into -180..180).
double TurnSign(int target, double heading);
double TurnSignD(double a, double b);
// As TurnSign: 1 right, 2 left, 0 on target.
int TurnDirection(int target, double heading);
// a - b normalised, clamped to -limit..limit.
double ClampAngleDiff(int a, double b, double limit);
// This tick's heading change of the aircraft toward `target`: at most 0.2 in the air, at most
// speed / `tspeed` on the ground.
double HeadingStep(double target, double heading, int aircraft);
// 1 when b lies between a and c (the shorter way round); AngleOutside when it does not.
int AngleBetween(double a, double b, double c);
int AngleOutside(double a, double b, double c);
double Distance2D(const tagKRN3D* a, const tagKRN3D* b);
// The coordinates rounded first.
double Distance3DInt(const tagKRN3D* a, const tagKRN3D* b);
// Pitch (negative looking up) and heading from `from` toward `to`; (0, 0, 0) for equal points.
void LookAngles(const tagKRN3D* from, const tagKRN3D* to, tagKRN3D* out);
void LookAnglesEx(const tagKRN3D* from, const tagKRN3D* to, tagKRN3D* out, double* h, double* l);
// Heading of a - b in the ground plane: 0..359 (BearingInt, +0.5 then rounded), 0 to below 360
// (Bearing); the Reverse forms add 180. 0 when the points share x and z.
int BearingInt(const tagKRN3D* a, const tagKRN3D* b);
double Bearing(const tagKRN3D* a, const tagKRN3D* b);
int ReverseBearingInt(const tagKRN3D* a, const tagKRN3D* b);
double ReverseBearing(const tagKRN3D* a, const tagKRN3D* b);
// Camera eye placements from the camera's `distance` and `offset`; 0 when a named object slot
// is not in use.
int CameraOffsetFromObject(const tagKRN3D* angles, int slot, tagKRN3D* eye);
int CameraOffsetFromAngles(const tagKRN3D* angles, int slot, tagKRN3D* eye, tagKRN3D* outangles);
int CameraOffsetToward(const tagKRN3D* offseta, const tagKRN3D* offsetb, int slota, int slotb,
                       tagKRN3D* eye, tagKRN3D* outangles);
// The aircraft's turn step toward its `course`, written to its `velocity` (zero on course, or
// when a radius divides by a `tlimit` of 0).
void TurnAndMove(int aircraft);
void TurnAndMoveSharp(int aircraft);
void TurnAndMoveRadius(int aircraft);
void TurnAndMoveRadius2(int aircraft);
void TurnAndMoveBack(int aircraft);
// The aircraft's pitch step into `vector` (zero when its `prate` is 0).
void PitchStep(int aircraft, tagKRN3D* vector);

// The airport's file formats: a library of their own, shared with the airport maker.
#include "world/airportfiles.h"
