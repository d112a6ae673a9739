// The driver choice dialog's template and texts (Big5 at run time).
#pragma once

#include <cstddef>

namespace krn::text {

extern const char kDriverDialogTemplate[];
extern const size_t kDriverDialogTemplateSize;
extern const char* const kDriverNotUse;  // kind name
extern const char* const kKindNames[3];  // as the not-usable message names them
extern const char* const kUsableMark;
extern const char* const kUnusableMark;

}  // namespace krn::text

namespace krn {

// Control numbers of the driver dialog.
enum : int { kListTransform = 101, kListLighting = 102, kListRaster = 103, kListAll = 201 };

}  // namespace krn
