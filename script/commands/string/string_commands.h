// The string command library's score code, kept apart so that a test can give it a time.
#pragma once

#include <windows.h>

namespace vskstr {

// The 10-character score code (and its 0) of a (taken mod 36) and b (its three lowest base-36
// digits) at the local time `now`; a time before 1998 counts as 1998-01-01 00:00.
void ScoreCode(int a, int b, const SYSTEMTIME& now, char out[11]);

}  // namespace vskstr
