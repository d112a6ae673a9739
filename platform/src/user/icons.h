// Icons and cursors read from files, by their handles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include <windows.h>

#include "gdi/icon_read.h"

namespace wynplat {

// Reads the bytes of an icon (or cursor) file into a new handle; null (with the last error
// ERROR_BAD_EXE_FORMAT) when they are not one.
HANDLE LoadIconFile(const uint8_t* bytes, size_t size, bool cursor, int cx, int cy);
// The picture of a handle LoadIconFile gave and nobody destroyed since; null for any other
// handle (stock and resource icons and cursors).
std::shared_ptr<const IconImage> FindIconFile(HICON handle);

}  // namespace wynplat
