// Where the window layer plugs in a desktop message box. It sets the hook when a real display
// runs; MessageBoxA then shows boxes through it, unless the process is headless
// (WYN_HEADLESS=1), where boxes are logged and answered from the scripted answers.
#pragma once

#include <atomic>

#include "win/wintypes.h"

namespace wyn::msgbox {

// Shows a box and returns the button pressed (IDOK...). `caption` and `text` are UTF-8;
// `type` is the MB_* value as the caller gave it.
using DesktopBox = int (*)(HWND owner, const char* caption, const char* text, UINT type);

void SetDesktopBox(DesktopBox box);  // null: back to the headless form

}  // namespace wyn::msgbox
