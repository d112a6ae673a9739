// Resources of the modules: tables the modules register at load (WynPlat_AddResources),
// found by module handle, type and name as FindResource finds them.
#pragma once

#include <cstddef>

#include <windows.h>

namespace wyn::res {

struct Found {
    const void* data = nullptr;
    size_t size = 0;
    int index = 0;  // stable number of the resource in this process
};

// The resource of `type` and `name` in `module` (NULL: the program). Sets
// ERROR_RESOURCE_NAME_NOT_FOUND (or ..._TYPE_NOT_FOUND, ERROR_INVALID_HANDLE) when missing.
bool Find(HINSTANCE module, LPCSTR type, LPCSTR name, Found* out);

// LoadIconA/LoadCursorA of a module's resources.
HICON LoadIconResource(HINSTANCE module, LPCSTR name);
HCURSOR LoadCursorResource(HINSTANCE module, LPCSTR name);

}  // namespace wyn::res
