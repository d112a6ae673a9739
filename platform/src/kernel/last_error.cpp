// The thread's last error code, as the Windows functions set it.
#include <windows.h>

namespace {
thread_local DWORD g_lastError = 0;
}

DWORD WINAPI GetLastError(void) { return g_lastError; }

void WINAPI SetLastError(DWORD code) { g_lastError = code; }
