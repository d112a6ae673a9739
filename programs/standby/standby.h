// The stand-by window program's own pieces, shared with its tests.
#pragma once

#include <string>

#include <windows.h>

namespace standby {

// A window that is left alone this long closes itself at the next message that arrives.
constexpr DWORD kSelfCloseMs = 8000;
// The longest wait, on the process clock, for a launched program to open its window.
constexpr DWORD kLaunchWaitMs = 20000;
// The longest the window waits, on the process clock from its start, for the STANDBY_RUN
// that hands over: a hand-over that never comes must not leave it behind (hidden, once it
// has closed itself) for ever.
constexpr DWORD kHandOverWaitMs = 20000;

struct CommandSplit {
    std::string program;    // "" when the line has no blank: nothing is started
    std::string arguments;  // from the cut on, with its leading blank
};

// Cuts a stand-by command line into the program and its argument tail where
// StandBy_CommandCut says (program paths may hold blanks, arguments at most one). ".exe" is
// added to the program when the whole line has no '.'.
CommandSplit SplitCommand(const char* line);

}  // namespace standby
