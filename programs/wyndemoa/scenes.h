// wyndemoa's six scenes on the demo frame.
#pragma once

#include "tours.h"

// Runs the scene for the command line's first character ('0'..'5'); any other runs nothing.
void RunScene(char first);

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
