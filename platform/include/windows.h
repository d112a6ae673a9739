// The Windows interfaces the system is written against, as this project's platform layer
// offers them on Linux. Only the subset the system uses is declared.
#pragma once

#include "win/wintypes.h"
#include "win/winbase.h"
#include "win/winuser.h"
#include "win/wingdi.h"
#include "win/windlg.h"
