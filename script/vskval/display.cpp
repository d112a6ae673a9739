// The display form of a value, as the tracer and the text layout show it.
#include <cstdio>
#include <cstring>

#include "umb33.h"
#include "vsk_sjis.h"
#include "vskval_internal.h"

using namespace vskval;

namespace {

// A text cut to fit its buffer may end in the first byte of a double-byte character: drop it.
void TrimCut(char* text, size_t cap) {
    size_t n = std::strlen(text);
    if (n + 1 < cap) return;  // not cut
    size_t at = 0, last = 0;
    while (at < n) {
        last = at;
        at += vsk::IsLeadByte(BYTE(text[at])) ? 2 : 1;
    }
    if (at > n) text[last] = 0;  // its last character was cut in half
}

}  // namespace

int WINAPI VSKVAL_DisplayValue(tagVALUAREA* ctx, tagVALUE* value, char* text, size_t cap) {
    if (!value || !text || cap == 0) return 0;
    char bytes[VSK_BYTEBUF];
    switch (value->mode) {
        case VSK_MODE_CELL:
            if (const tagCELL* cell = VskCaqCell(value)) {
                DWORD key = DWORD(cell->mask);
                std::snprintf(text, cap, "{%d×%d(%d,%d,%d)}", int(cell->xsize), int(cell->ysize),
                              int(key >> 10 & 31), int(key >> 5 & 31), int(key & 31));
            } else {
                std::snprintf(text, cap, "{bmpなし}");
            }
            break;
        case VSK_MODE_HANDLE: {
            auto handle = unsigned(uintptr_t(VskHandle(value)));
            DWORD kind = VskHandleKind(value);
            int a = VskInt(value, 2), b = VskInt(value, 3);
            if ((kind >> 24) == 1)
                std::snprintf(text, cap, "{0x%04x,button(%d,%d)}", handle, a, b);
            else if ((kind >> 24) == 2)
                std::snprintf(text, cap, "{0x%04x,edit(%d,%d)}", handle, a, b);
            else
                std::snprintf(text, cap, "{0x%04x,0x%04x(%d,%d)}", handle, unsigned(kind), a, b);
            break;
        }
        case VSK_MODE_MEMORY:
            std::snprintf(text, cap, "{%d(+%d)}", VskMaqSize(value), VskMaqOffset(value));
            break;
        case VSK_MODE_NUMBER: {
            char number[24];
            VSKFAQ_String(ctx, value, number);
            std::snprintf(text, cap, "%s", number);
            break;
        }
        case VSK_MODE_POINTER:
            std::snprintf(text, cap, "{+%d}", VskPointerOffset(value));
            break;
        case VSK_MODE_RECT:
            std::snprintf(text, cap, "{%d,%d,%d,%d}", VskRaqXpos(value), VskRaqYpos(value),
                          VskRaqXsize(value), VskRaqYsize(value));
            break;
        case VSK_MODE_STRING:
            if (!ctx || !VSKSTR_GetByte(ctx, value, bytes)) bytes[0] = 0;
            std::snprintf(text, cap, "\"%s\"", bytes);
            break;
        case VSK_MODE_BARE_STRING:
            value->mode = VSK_MODE_STRING;
            if (!ctx || !VSKSTR_GetByte(ctx, value, bytes)) bytes[0] = 0;
            std::snprintf(text, cap, "%s", bytes);
            break;
        case VSK_MODE_REFERENCE: {
            tagVALUEBLOCK block = VskVaqBlock(value);
            char name[16];
            VSKVAL_StringValue(ctx, &block, VskVaqIndex(value), name);
            std::snprintf(text, cap, "\\%s", name);
            break;
        }
        case VSK_MODE_WAVE:
            std::snprintf(text, cap, "{WAVE}");
            break;
        default:
            std::snprintf(text, cap, "NULL");
            break;
    }
    TrimCut(text, cap);
    return 1;
}
