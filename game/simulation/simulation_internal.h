// What the simulation's modules share among themselves; other subsystems use simulation.h.
#pragma once

#include "base/base.h"
#include "simulation/simulation.h"
#include "world/world.h"

// Sums of a file's numbers (times, IDs) wrap in 32 bits as the stored words do, instead of
// overflowing.
inline int32_t Wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
// The timetable position back to the first record (ClearAircraftTable).
void ResetTimetablePosition();
// The aircraft record and object record of a slot, or null outside 0-19 or without tables.
AircraftRecord* AircraftAt(int slot);
ObjectRecord* ObjectAt(int slot);
// Shows (1) or hides (0) a part layer and its subtree; a part the model lacks (null) is skipped.
void ShowPart(tagKRNL* part, int on);
// The box for a record that names an aircraft no slot holds in play.
void WarnNoAircraft(int id);
// Keeps the day of the week of the system clock for the game values (stage set-up).
void CaptureWeekday();
// Looks up a fire-fighting vehicle's pipes ("paipu1", "paipu2") into the flap slots and its
// water jets ("water1"-"water4") into the four door slots.
void FindVehicleParts(int slot);
// The three landing lights and their state word, when the model has "ldlightm".
void SetLandingLights(int slot, int on);
// Propellers at rest (0) or turning (1), when the model has "brdoff".
void SetPropellers(int slot, int turning);
