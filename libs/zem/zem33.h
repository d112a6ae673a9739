// zem33: the older build of the 2D display library, for the script side. Same API as zem40
// (see zem40.h) less ZEM_CreateBmpCell, with the differences its contracts name: depths 15
// and 16 (5-6-5) chosen by the flag word's low byte, blends that also mix equal pixels, and
// lines that ignore the clip rectangle.
#pragma once

#ifndef ZEM_BUILD_ZEM33
#define ZEM_BUILD_ZEM33
#endif
#include "zem40.h"
