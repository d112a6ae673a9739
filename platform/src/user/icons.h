// Icons and cursors read from files, by their handles.
#pragma once

#include <memory>

#include <windows.h>

#include "gdi/icon_read.h"

namespace wynplat {

// Reads an icon (or cursor) file at a Linux path into a new handle; null (with the last error
// set) when the file is missing or not one.
HANDLE LoadIconFile(const char* path, bool cursor, int cx, int cy);
// The picture of a handle LoadIconFile gave and nobody destroyed since; null for any other
// handle (stock and resource icons and cursors).
std::shared_ptr<const IconImage> FindIconFile(HICON handle);

}  // namespace wynplat
