// Windows and messages between the programs of the set, and the named objects they share
// (events, mailslots). Programs meet in the runtime folder (wynplat::RuntimeDirLinux): each
// process holds a lock file there for its
// life, publishes its top-level windows as small files and serves messages sent to them on a
// Unix socket. A window of another process is known here by a handle of its own range; the
// window layer reaches them through user/remote_windows.h only.
#pragma once

#include <string>

#include <windows.h>

namespace wyn::ipc {

// Whether process `key` (as published) still runs.
bool ProcessAlive(const std::string& key);
// This process's key in the runtime folder ("<pid>-<start>"), published on first use.
const std::string& SelfKey();

// Named events shared between processes (the kernel's CreateEventA/OpenEventA with a name).
HANDLE CreateSharedEvent(BOOL manualReset, BOOL initial, LPCSTR name);
HANDLE OpenSharedEvent(LPCSTR name);
// Whether a live shared event has this name (events and mutexes share one namespace).
bool SharedEventExists(LPCSTR name);

// Mailslot clients through the file functions: "\\.\mailslot\name". ReadFile and WriteFile
// reach the slot through its handle's operations.
bool IsMailslotPath(LPCSTR name);
HANDLE OpenMailslotClient(LPCSTR name, DWORD access);

}  // namespace wyn::ipc
