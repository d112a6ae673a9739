// Shared by the screen commands: rectangle arguments and the text information a new screen
// starts with. Screen numbers, the screens' handles and cell arguments are the command
// libraries' common helpers (vskcmd_screens.h, vskcmd_refs.h).
#pragma once

#include "vsk_sysvars.h"
#include "vskcmd.h"
#include "vskcmd_refs.h"
#include "vskcmd_screens.h"
#include "zem33.h"

namespace screen {

// Argument k as edges; an omitted one (or one of another type) is the whole screen.
RECT ArgArea(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k);
// #(30+n), #(40+n), #(50+n) as a new screen has them: text at 0, 0 in cells of 9 x 18, white on
// black, no delay, attribute 0x110, "FixedSys".
void InitTextInformation(tagVALUAREA* ctx, int n);
// A rectangle value {x, y, w, h}.
tagVALUE Rect(tagVALUAREA* ctx, int x, int y, int w, int h);

}  // namespace screen
