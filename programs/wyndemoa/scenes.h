// wyndemoa's six scenes on the demo frame.
#pragma once

#include "tours.h"

// Runs the scene for the command line's first character ('0'..'5'); any other runs nothing.
void RunScene(char first);

// How a version of a tour is set up: wyndemoa's daylight and evening tours, and wyndemob's night
// ones run the same routines with their own set-up.
struct TourSetUp {
    int chips;             // the engine's chips
    const char* airport;   // the airport's layer file
    tagKRN3D ltdir;        // light 1's direction
    double light0[3];      // light 0 (R, G, B)
    double light1[3];      // light 1 (R, G, B)
    int evening;           // the evening: its lights, "nlight" and the evening skies
    double groundz;        // "ground" stands at (0, 9, groundz)
    int nlight;            // "nlight" shown
    int blackboard;        // the spirals' "blackboard": 1 shown, 0 hidden, -1 as the file has it
    const TourLook* look;  // the spiral's look; NULL: the scene's own
    void (*prepare)();     // what the version adds once the airport stands (NULL: nothing)
    void (*render)();      // draws a frame (NULL: Render)
};
// wyndemoa's own set-ups: the daylight tours (Demo1, Demo2) and the evening spiral (Demo5).
extern const TourSetUp kDayTour;
extern const TourSetUp kEveningSpiral;
// Starts a version's scene: the engine with its chips, the caption, its lights and its airport
// with the airport set-up ("ground", the moving buildings and the plates hidden) and the
// version's evening, "ground" and "nlight". 0 when the scene cannot start.
int TourStart(const TourSetUp& s);
// The daytime tour with the YS-11 (Demo1) in the given version.
void TourDemo1(const TourSetUp& s);
// The spiral tour, TOUR_DEMO2 or TOUR_DEMO5, in the given version.
void TourSpiral(const TourSetUp& s, int scene);

// The slots of the fleet review and what ReadShip keeps of each.
struct ShipSlot {
    tagKRNL* layer = nullptr;  // "ship0".."ship2"
    tagKRNL* plane = nullptr;  // the model's "plane", 0 when the slot is empty
    tagKRNL* ldlightl = nullptr;
    tagKRNL* ldlightr = nullptr;
    tagKRNL* ldlightm = nullptr;
    tagKRN3D leftat{}, rightat{};  // the left and right lights' places in the model file
};
ShipSlot& FleetSlot(int slot);  // 0..2
// Empties the slot (its whole layer) and loads the entry's model into it: "airplane\<model>.plm"
// from chip 5000 + 400 x slot; an empty entry or -1 leaves the slot empty. A model that does
// not load, or has no "plane", is reported in a message box and the slot stays empty.
void ReadShip(int slot, int entry);
// The entry's display name in white on a black line at (80, 30)-(580, 50) of the window;
// nothing for a negative entry.
void DispShipName(int entry);
