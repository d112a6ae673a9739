// Entry points whose readers and writers are not in this build yet: each reports failure.
#include "umb33.h"

UMBDLL_API int WINAPI UMBDLL_CreateCell(tagCELL* cell, int, int) {
    if (cell) cell->bits = nullptr;
    return 0;
}
UMBDLL_API int WINAPI UMBDLL_ReadUMB(LPCSTR, tagCELL*) { return 0; }
UMBDLL_API int WINAPI UMBDLL_WriteUMB16(LPCSTR, const tagCELL*, LPCSTR, int, HWND) { return 0; }
UMBDLL_API int WINAPI UMBDLL_ReadBMP(LPCSTR, tagCELL*) { return 0; }
UMBDLL_API int WINAPI UMBDLL_WriteBMP24(LPCSTR, const tagCELL*) { return 0; }
UMBDLL_API int WINAPI UMBDLL8_ReadPal(HFILE, ZEMPIXEL*) { return 0; }
UMBDLL_API int WINAPI UMBDLL8_ReadBmp(HFILE, tagCELL* cell) { return cell ? 0 : 1; }
UMBDLL_API int WINAPI UMBDLL8_Unpack(BYTE*, const BYTE*) { return 0; }
