// wynopen's entry: WinMain lives in the program's library (wynopen.cpp), so that its tests can
// run it in their own process; this file makes the linker take it from there.
#include <windows.h>

namespace {
[[maybe_unused]] auto* const kEntry = &WinMain;
}
