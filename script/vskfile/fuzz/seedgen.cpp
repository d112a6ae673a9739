// Makes the seeds of the value-file fuzz target with the library's own writer: a file of
// every kind of value, an appended file, and files with a chunk the reader does not know.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "umb33.h"
#include "vskfile.h"
#include "vsktask.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: valuefile_seedgen <folder>\n");
        return 2;
    }
    tagVALUAREA* ctx = VSKVAL_Create(GetModuleHandleA(nullptr));
    if (!ctx) return 1;
    std::filesystem::create_directories(argv[1]);
    if (chdir(argv[1]) != 0) return 1;
    tagVALUE v[6] = {};
    VSKFAQ_GetNumber(ctx, &v[0], "-12.5");
    VSKRAQ_Rect(ctx, &v[1], 1, 2, 3, 4);
    VSKSTR_SetByte(ctx, &v[2], "value \x82\xA0");
    auto* cell = static_cast<tagCELL*>(VSKTASK_AllocMemory(nullptr, sizeof(tagCELL)));
    UMBDLL_CreateCell(cell, 2, 2);
    cell->bits[3] = 0x7FFF;
    VskSetCaq(&v[3], cell);
    VskSetMaq(&v[4], VSKTASK_AllocMemory(nullptr, 5), 5, 0);
    tagVALUEBLOCK block{v, 6, 0};
    int ok = VSKFILE_WriteFAQ(ctx, "ALL.VVF", &block, 0, 0, 6) == 6;
    ok &= VSKFILE_WriteFAQ(ctx, "APPEND.VVF", &block, 0, 0, 2) == 2;
    ok &= VSKFILE_WriteFAQ(ctx, "APPEND.VVF", &block, 2, -1, 3) == 3;
    // A chunk of an unknown kind in the middle of a small file.
    const BYTE kUnknown[] = {'R', 'I', 'F', 'F', 36,  0,   0,   0,   'V', 'V', 'F', 'G',
                             'A', 'B', 'C', 'D', 4,   0,   0,   0,   1,   2,   3,   4,
                             'N', 'U', 'M', ' ', 8,   0,   0,   0,   1,   0,   0,   0,
                             0,   0,   0,   0,   'E', 'N', 'D', ' ', 0,   0,   0,   0};
    ok &= VSKFILE_WriteBlock(nullptr, "UNKNOWN.VVF", kUnknown, sizeof kUnknown);
    for (tagVALUE& x : v) VSKFAQ_Clear(ctx, &x);
    VSKVAL_Delete(ctx);
    return ok ? 0 : 1;
}
