// The task library's two byte-string functions.
#include <cstring>

#include "vsktask.h"

int WINAPI VSKTASK_LengthString(LPCSTR text) { return text ? int(std::strlen(text)) + 1 : 1; }

int WINAPI VSKTASK_CompareString(LPCSTR a, LPCSTR b) {
    if (!a || !b) return 1;
    for (; *a && *b; ++a, ++b)
        if (*a != *b) return 0;
    return 1;
}
