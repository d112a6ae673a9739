// The record the programs of the set keep of their runs: the process log (WYN_PROCESS_LOG), a
// file every program appends one line to when it starts a program and one when it ends, and
// the count of each program's starts in the runtime folder, which the %n of the replay,
// screenshot and audio capture paths stands for.
#pragma once

#include <string>

namespace wynplat {

// This program's name: its file's name without the folder.
const std::string& ProgramName();

// Notes in the process log that this process started process `pid` with `commandLine` (as
// given, in the system's code page).
void LogProgramStarted(int pid, const std::string& commandLine);
// Notes that program `name` (process `pid`) ended with `code`, in its stead: it was ended
// from outside and could not say so itself.
void LogProgramEnded(const std::string& name, int pid, int code);

// How many times this program has started in this runtime folder, this run included (1, 2,
// ...): counted once per process. 0 when the runtime folder cannot count.
int ProgramStartNumber();

// A path of the run affordances with "%p" replaced by the program's name, "%n" by its start
// number and "%%" by "%".
std::string ExpandRunPattern(const std::string& pattern);

}  // namespace wynplat
