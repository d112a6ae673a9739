// What the interpreter's flow opcodes and its action opcodes share.
#pragma once

#include <cstddef>
#include <cmath>
#include <cstdint>

#include "simulation/script_ops.h"
#include "simulation/simulation_internal.h"

namespace script {

// How a record ends: the position moves on by the record's length, stays (the record runs
// again on the next tick), or was set by the record itself (a jump or a loaded script).
enum Outcome { ADVANCE, STAY, MOVED };

// The record being run and the aircraft it runs for.
struct Step {
    int slot;
    AircraftRecord& a;
    ObjectRecord& o;
    const ScriptOp& op;
    int32_t pos;
};

constexpr int kFramesPerSecond = 30;

// Knots to world units per tick and feet to world units, multiplied out in this order.
inline double Knots(double knots) { return knots * 1.852 / 108; }
inline double Feet(double feet) { return feet * 0.3048; }

// A double rounded to the nearest whole number (halves to even) and held to 32 bits; NaN is 0.
inline int32_t Whole(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return int32_t(std::nearbyint(v));
}
// A heading in whole degrees 0-359.
inline int32_t Degrees(int64_t v) { return int32_t(((v % 360) + 360) % 360); }

// The table of calls in use.
const ScriptServices& Calls();
// The slot of the aircraft in play with that ID, -1 when none.
int InPlay(int id);
// The record stands for a fault: one line per script and position (the services' fault call),
// and the position stays.
Outcome Fault(const Step& s, const char* why);
// Copies `text` into a field of `field` bytes, cut to field - 1 and terminated.
void CopyField(char* field, size_t size, const char* text);
// The status word taken the usual way: the linked aircraft first, then the aircraft, then its
// menu and panel when it is the selected one.
void TakeStatus(int slot, int status);
// 1 when `value` compares with `operand` under a waiting record's operator (0x10 =, 0x20 <=,
// 0x21 <, 0x30 >=, 0x31 >); any other operator never passes.
int Compare(int op, double value, double operand);

// Runs an action opcode (movement, tables, status, radio, sound, creation). False when the
// opcode is not one of them.
bool RunAction(const Step& s, Outcome* outcome);

}  // namespace script
