// Shared by the screen commands: screen numbers, the screens' handles in their system
// variables, rectangle arguments, and the text information a new screen starts with.
#pragma once

#include "vsk_sysvars.h"
#include "vskcmd.h"
#include "zem33.h"

namespace screen {

// An omitted rectangle argument: everything.
inline constexpr RECT kWhole{0, 0, 0x7FFF, 0x7FFF};

// Argument 1 as a screen number 0-9; outside, "スクリーン番号が不正です。" under `label` and -1.
int GetScreenNo(tagVALUAREA* ctx, const char* label, tagVALUEBLOCK* frame);
// The screen's window (#(20+n) word 0); 0 when the screen does not exist.
HWND WindowOf(tagVALUAREA* ctx, int n);
// The screen's 2D screen (#(20+n) word 1).
HZEMSCREEN ScreenOf(tagVALUAREA* ctx, int n);
// Argument k as edges; an omitted one is kWhole.
RECT ArgArea(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k);
// The cell a cell-variable argument k refers to; NULL (after the argument message naming a
// cell) when the variable holds a cell value without its record.
tagCELL* ArgCell(tagVALUAREA* ctx, const char* label, tagVALUEBLOCK* frame, int k);
// #(30+n), #(40+n), #(50+n) as a new screen has them: text at 0, 0 in cells of 9 x 18, white on
// black, no delay, attribute 0x110, "FixedSys".
void InitTextInformation(tagVALUAREA* ctx, int n);
// A rectangle value {x, y, w, h}.
tagVALUE Rect(tagVALUAREA* ctx, int x, int y, int w, int h);

}  // namespace screen
