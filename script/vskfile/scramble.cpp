// The byte scrambling of value-file strings and compiled scripts.
#include "vskfile_internal.h"

int WINAPI VSKFILE_MakeCode(void) {
    for (;;) {
        int key = int((GetTickCount() / 100) & 0xFF);
        if (key != 0 && key != 255) return key;
        Sleep(1);  // the next tenth of a second comes without spinning
    }
}

void WINAPI VSKFILE_LockCode(BYTE* b, DWORD n, int key) {
    if (!b) return;
    for (DWORD i = n ? n - 1 : 0; i >= 1; --i) {
        b[i] = BYTE(b[i] ^ key);
        b[i - 1] = BYTE(b[i - 1] ^ b[i]);
    }
}

void WINAPI VSKFILE_UnlockCode(BYTE* b, DWORD n, int key) {
    if (!b) return;
    for (DWORD i = 0; i + 1 < n; ++i) {
        BYTE t = b[i + 1];
        b[i] = BYTE(b[i] ^ t);
        b[i + 1] = BYTE(t ^ key);
    }
}
