// wyndemoa's scenes as data: each scene's segments and, for a frame at time t of a segment, the
// camera, the caption, the lights and the moving layers. Pure functions of the segment, t and
// the camera at the segment's start, so that the paths can be checked without an engine.
#pragma once

#include "demo.h"

// The scenes by their command-line digit.
enum TourScene { TOUR_DEMO1 = 0, TOUR_DEMO2, TOUR_DEMO3, TOUR_DEMO4, TOUR_DEMO5, TOUR_DEMO6 };

// What a frame of a tour sets. Fields whose flag is 0 are left as they are.
struct TourPose {
    tagKRN3D eye{};
    tagKRN3D rot{};
    double viewlimit = -100;
    int caption = 0;  // the caption shows in this frame
    int lights = 0;   // light 0 and light 1 are set to these words
    DWORD light0 = 0, light1 = 0;
    int setdir = 0;  // ltDIR changes
    tagKRN3D ltdir{};
    int plane = 0;  // the aircraft model's "plane" is placed
    tagKRN3D planepos{}, planeturn{};
    int radr = 0, radw = 0;  // "radrrot" / "radwrot" turned about y by these angles
    double radrturn = 0, radwturn = 0;
};

// The number of segments of a tour scene (Demo1, Demo2, Demo4, Demo5; Demo3 and Demo6 run
// their own clocks) and their lengths in ms; 0 for another scene.
int TourSegmentCount(int scene);
int TourSegmentLength(int scene, int segment);  // segment from 1
// How a version of the spiral tour (Demo2 and Demo5, and wyndemob's night spirals) looks: the
// colours (R, G, B) light 0 and light 1 fade in to during segment 1, and the way segment 3
// turns (0: theta = -1.57075 + 12.566u and rot y -720u; 1: theta = -1.57075 - 12.566u and rot y
// 1440u).
struct TourLook {
    double light0[3];
    double light1[3];
    int reverse;
};
// The look of the scene's own spiral: Demo2's daylight greys, Demo5's evening (both spirals of
// the other scenes look as Demo2's).
const TourLook& TourLookOf(int scene);
// The frame at time t of `segment` (from 1): `eye` and `rot` are the camera at the segment's
// start (the end of the previous one, however far it got). A spiral looks as `look`, or as the
// scene's own look when it is NULL.
TourPose TourAt(int scene, int segment, int t, const tagKRN3D& eye, const tagKRN3D& rot,
                const TourLook* look = nullptr);

// Demo3: the segments' start times (iTIMEBASE) and lengths, six of them.
int DayBase(int segment);
int DayLength(int segment);
// The time-lapse camera and the moving layers at scene time T = iTIMEBASE + t.
struct WavePose {
    tagKRN3D eye{}, rot{};
    double radwturn = 0;
    tagKRN3D cloudpos{}, cloudturn{};
};
WavePose MoveWaveAt(int T);
// The light of Demo3's segment at time t: `lights` 0 in segment 2 (unchanged).
struct DayLight {
    int lights = 0;
    DWORD light0 = 0, light1 = 0, sky = 0;
    int setdir = 0;
    tagKRN3D ltdir{};
};
DayLight DayLightAt(int segment, int t);

// Demo6: the fleet review.
#define FLEET_ENTRIES 37
#define FLEET_ROUNDS 36
#define FLEET_ROUND_MS 10000
struct FleetEntry {
    const char* model;  // under "airplane\", "" when the entry is empty
    const char* name;   // the display name (Shift-JIS)
};
const FleetEntry& FleetShip(int entry);  // 0 .. FLEET_ENTRIES - 1
struct FleetRound {
    int front, middle, back;  // slots
    int load;                 // the slot the new aircraft enters (the back slot)
    int entry;                // the entry it loads
    int landing;              // 1 when landing.wav starts this round
    int named;                // the entry whose name shows (n - 2)
};
FleetRound FleetRoundAt(int n);
enum FleetRole { FLEET_FRONT = 0, FLEET_MIDDLE = 1, FLEET_BACK = 2 };
struct ShipPose {
    tagKRN3D pos{}, rot{};
    double lightscale = 1;
    double leftdx = 0, rightdx = 0;  // the left and right landing lights along x
};
// A slot's place in round n at u = t / 10000 (f: the front slot of the round).
ShipPose ShipAt(FleetRole role, int n, double u);
