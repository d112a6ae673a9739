// The driver loader: enumeration, loading with fallback, binding and switching.
#pragma once

#include "krn.h"

namespace krn {

enum DriverKind { kTransform = 0, kLighting = 1, kRaster = 2 };

// Enumerates the three kinds of driver in the current folder into the record.
void EnumDrivers(tagKRN* krn);
// Loads and binds the kind's chosen driver, falling back to the kind's standard driver and, at
// start, to any usable one. Returns 0 (after a message naming the chosen driver) when none
// could be had; the kind is then without a driver.
int LoadDriver(tagKRN* krn, DriverKind kind, bool lastResort);
// Releases the kind's library and forgets its entry points.
void UnloadDriver(tagKRN* krn, DriverKind kind);
// Writes the three chosen names to krn2.ini.
void SaveDriver(tagKRN* krn);
// The kind's fallback name and default krn2.ini name.
const char* FallbackName(DriverKind kind);
const char* DefaultName(DriverKind kind);
// The kind's chosen-name field (32 bytes).
char* ChosenName(tagKRN* krn, DriverKind kind);

// Waits until no frame stage is pending, 10 ms at a time.
void WaitIdle(tagKRN* krn);

}  // namespace krn
