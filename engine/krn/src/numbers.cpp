// Numbers to and from text, in the utility library's single-precision form, and the memory
// blocks the layer library allocates its records from.
#include <cstring>

#include "krn.h"
#include "nxlib.h"

KRNAPI int WINAPI KRN_NumberToString(char* text, double value) {
    if (NXL_STR_FltToString(text, (float)value)) return 1;
    std::strcpy(text, "999999999");
    return 0;
}

KRNAPI char* WINAPI KRN_StringToNumber(double* value, char* text) {
    float f = 0.0f;
    char* behind = NXL_STR_StrToFlt(text, &f);
    *value = f;
    return behind;
}

KRNAPI void* WINAPI KRN_AllocMemory(int size) { return NXL_MEM_Alloc(size); }

KRNAPI void WINAPI KRN_FreeMemory(void* block) {
    if (block) NXL_MEM_Free(block);
}
