// Named objects that the programs of the set share: events, and files of a namespace of their
// own (mailslots, "\\.\mailslot\name"). They live in the module that talks between processes;
// the kernel reaches them only through this registry, which that module fills when the layer
// loads. Unregistered, event names stay within the process and no file name is special.
#pragma once

#include <windows.h>

namespace wynplat {

struct SharedObjects {
    // CreateEventA / OpenEventA with a name (the last error set as those calls set it).
    HANDLE (*createEvent)(BOOL manualReset, BOOL initial, LPCSTR name);
    HANDLE (*openEvent)(LPCSTR name);
    // Whether a live shared event has this name (events and mutexes share one namespace).
    bool (*eventExists)(LPCSTR name);
    // Whether CreateFileA's `name` is one of the shared files, and opening it.
    bool (*isFileName)(LPCSTR name);
    HANDLE (*openFile)(LPCSTR name, DWORD access);
};

void RegisterSharedObjects(const SharedObjects* objects);
// The registered objects, or null.
const SharedObjects* SharedObjectsRegistry();

}  // namespace wynplat
