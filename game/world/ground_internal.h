// The ground-support objects' sub-layers, found at stage set-up and switched by the per-frame
// animation and the ground events; shared by those two modules (and their tests).
#pragma once

#include "world/world.h"

// A service car's parts: the towing tractor with its light and carts, the belt loader, the
// high-lift loader, the fuel truck with its light, and the others; the nine cargo boxes in the
// order bbox1-3 (B1-B3, on the belt loader), hbox4-6 (H4-H6, on the high-lift loader),
// bbox7-9 (B7-B9, on the carts).
enum CarPart {
    CAR_TOING,
    CAR_LIGHT,  // the tractor's light, hidden by day
    CAR_BLT,
    CAR_FUDOBOX,
    CAR_HL,
    CAR_FUEL,
    CAR_FUELLIGHT,
    CAR_CS,
    CAR_BUS,
    CAR_MC,
    CAR_RMP,
    CAR_B1,
    CAR_B2,
    CAR_B3,
    CAR_H4,
    CAR_H5,
    CAR_H6,
    CAR_B7,
    CAR_B8,
    CAR_B9,
    kCarParts
};
constexpr uint32_t Part(CarPart p) { return 1u << p; }
constexpr uint32_t kCarBoxes = Part(CAR_B1) | Part(CAR_B2) | Part(CAR_B3) | Part(CAR_H4) |
                               Part(CAR_H5) | Part(CAR_H6) | Part(CAR_B7) | Part(CAR_B8) |
                               Part(CAR_B9);

constexpr int kSmokePatterns = 6;
struct GroundParts {
    tagKRNL* tuglight[2][2];  // per tug: "f_light", "b_light"
    tagKRNL* car[2][kCarParts];
    tagKRNL* marshal[2][4];             // per marshaller: "up1", "up2", "up3", "stop"
    tagKRNL* smoke[4][kSmokePatterns];  // slots 60-63: their patterns ("smake", "ldgwpat",
                                        // "wsmkpat")
    int32_t propeller;                  // the propeller-animation selector
};
GroundParts& GetGroundParts();

// A layer and its subtree switched on (1) or off (0); an empty handle is skipped.
void SwitchGround(tagKRNL* layer, int on);
// The parts of `mask` (Part bits) of service car 0 or 1 switched.
void SwitchCarParts(int car, uint32_t mask, int on);

// The object record of a slot (null outside 0-99 or without a table).
ObjectRecord* GroundObject(int slot);
