// The raster driver's own texts. The Traditional Chinese ones are Big5 at run time (some of
// their characters do not exist in Shift-JIS); the Japanese ones are Shift-JIS.
#pragma once

namespace acc::text {

extern const char* const kCheckDescription;  // Big5
extern const char* const kHelReason;         // Big5, follows kHelLead in one box

}  // namespace acc::text
