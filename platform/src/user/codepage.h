// The code page of each module's texts: Shift-JIS unless the module said otherwise (the 3D
// engine's raster driver keeps its texts in Big5). Message boxes and GDI text read a
// caller's texts in its module's code page.
#pragma once

namespace wynplat {

// 932 or 950 for the module that contains `address` (932 when unknown).
int CodePageOfAddress(const void* address);

}  // namespace wynplat
