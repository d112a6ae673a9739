// The platform layer's own message boxes (a settings file it refuses, a runtime folder it
// cannot use): owned by no window, captioned with the program's name, logged and answered as
// every box is.
#pragma once

#include <string>

#include <windows.h>

namespace wynplat {

// Shows `text` (in the system's code page, Shift-JIS). Returns the answer.
int ShowOwnBox(const std::string& text, UINT type);

}  // namespace wynplat
