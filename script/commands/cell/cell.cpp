// Cell commands: cells held in cell values, made by the 2D display library's older build and
// read and written by the picture-file library. A cell argument is a variable holding a cell;
// its record's fields are read and written in place. Every copy takes the source cell's colour
// key word as its mode.
#include <strings.h>

#include <cstring>

#include "vsk_sjis.h"
#include "vskcmd.h"
#include "vskcmd_refs.h"
#include "vskexec.h"
#include "vsktask.h"
#include "zem33.h"

using namespace vskcmd;

namespace {

constexpr WORD kCellVar = VSK_SIG_REF | VSK_MODE_CELL;
constexpr WORD kAnyVar = VSK_SIG_REF | VSK_SIG_ANY;
constexpr WORD kSigCreate[] = {kAnyVar, 'N', 'N', 0};
constexpr WORD kSigCell[] = {kCellVar, 0};
constexpr WORD kSigRead[] = {kAnyVar, 'S', 0};
constexpr WORD kSigWrite[] = {kCellVar, 'S', 0};
constexpr WORD kSigGetPixel[] = {kCellVar, 'N', 'N', 0};
constexpr WORD kSigSetPixel[] = {kCellVar, 'N', 'N', 'N', 0};
constexpr WORD kSigLine[] = {kCellVar, 'N', 'N', 'N', 'N', 'N', 0};
constexpr WORD kSigCopy4[] = {'V', 'N', 'N', kCellVar, 0};
constexpr WORD kSigCopy5[] = {'V', 'N', 'N', kCellVar, VSK_SIG_ANY, 0};
constexpr WORD kSigZoom[] = {kCellVar, 'R', 'R', 0};
constexpr WORD kSigClear[] = {kCellVar, VSK_SIG_ANY, 'N', 0};
constexpr WORD kSigRoll[] = {kCellVar, 'R', 'R', 'N', 0};
constexpr WORD kSigString[] = {kCellVar, VSK_SIG_ANY, 'N', 'N', 'S', 0};
constexpr WORD kSigText[] = {kCellVar, VSK_SIG_ANY, VSK_SIG_REST};
constexpr WORD kSigSetField[] = {kCellVar, 'N', 0};
// The text engine's cell target: the cell that system variable 14 holds.
constexpr int kCellTarget = 9;
constexpr int kCellTargetSlot = 14;
constexpr WORD kSigChrTable[] = {kCellVar, 'N', 'N', kCellVar, 'R', 'S', 0};

ZEMPIXEL Pixel(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k) {
    return ZEMPIXEL(ArgInt(ctx, frame, k) & 0xFFFF);
}

// A new cell record from the task library, its pixels made by `fill`; nullptr when either
// failed (the record is then freed).
template <class Fill>
tagCELL* NewCell(tagVALUAREA* ctx, Fill fill) {
    auto* cell = static_cast<tagCELL*>(VSKTASK_AllocMemory(ctx->hwnd, sizeof(tagCELL)));
    if (!cell) return nullptr;
    if (!fill(cell)) {
        ZEM_DeleteCell(cell);
        VSKTASK_FreeMemory(ctx->hwnd, cell);
        return nullptr;
    }
    return cell;
}

// Releases what the slot held and stores the cell there as a cell value.
int StoreCell(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k, tagCELL* cell) {
    tagVALUEBLOCK block = RefBlock(frame, k);
    int index = RefIndex(frame, k);
    VSKVAL_Clear(ctx, &block, index);
    tagVALUE v{};
    VskSetCaq(&v, cell);
    if (!VSKVAL_Set(ctx, &block, index, &v)) {
        VSKFAQ_Clear(ctx, &v);
        return 0;
    }
    return 1;
}

// A field of the cell record, by the command that reads or writes it.
using Field = LONG tagCELL::*;

int GetField(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const char* label, Field field) {
    if (!VSKVAL_CheckArgument(ctx, label, kSigCell, frame)) return 0;
    tagCELL* cell = ArgCell(ctx, label, frame, 1);
    if (!cell) return 0;
    LONG value = cell->*field;
    // "No colour key" (0x80000000) is no script number: it reads as -1, which copies and
    // sprites take for "no key" as well (any negative mask is).
    if (value < -LONG(VSK_NUMBER_MAX)) value = -1;
    return ResultNumber(ctx, frame, int(value));
}

int SetField(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const char* label, Field field) {
    if (!VSKVAL_CheckArgument(ctx, label, kSigSetField, frame)) return 0;
    tagCELL* cell = ArgCell(ctx, label, frame, 1);
    if (!cell) return 0;
    cell->*field = ArgInt(ctx, frame, 2);
    return ResultEmpty(ctx, frame);
}

bool EndsWithBmp(const char* name) {
    size_t n = std::strlen(name);
    return n >= 4 && strcasecmp(name + n - 4, ".bmp") == 0;
}

// Runs the executor's text engine on the cell of argument 1: the cell value is lent to the text
// engine's cell target (system variable 14) for the call and taken back after it. The command
// answers what the engine answered.
template <class Draw>
int OnCellTarget(tagVALUAREA* ctx, tagVALUEBLOCK* frame, Draw draw) {
    tagVALUE* held = Referenced(frame, 1);
    tagVALUE* target = ctx->vbsystem.lpvalue + kCellTargetSlot;
    VSKFAQ_Swap(ctx, held, target);
    int r = draw();
    VSKFAQ_Swap(ctx, held, target);
    return r ? ResultEmpty(ctx, frame) : 0;
}

}  // namespace

VSKCMD_DEFINE_VERSION

VSKCMD_EXPORT int WINAPI VSK_CREATE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Cell:Create", kSigCreate, frame)) return 0;
    int w = ArgInt(ctx, frame, 2), h = ArgInt(ctx, frame, 3);
    tagCELL* cell = NewCell(ctx, [&](tagCELL* c) { return ZEM_CreateCell(c, w, h) != 0; });
    if (!cell || !StoreCell(ctx, frame, 1, cell)) return 0;
    return Result(ctx, frame, *Arg(frame, 1));
}

VSKCMD_EXPORT int WINAPI VSK_DELETE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Cell:Delete", kSigCell, frame)) return 0;
    tagVALUEBLOCK block = RefBlock(frame, 1);
    VSKVAL_Clear(ctx, &block, RefIndex(frame, 1));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_READ(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Cell:Read", kSigRead, frame)) return 0;
    char name[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, 2, name);
    bool bmp = EndsWithBmp(name);
    tagCELL* cell = NewCell(ctx, [&](tagCELL* c) {
        return (bmp ? UMBDLL_ReadBMP(name, c) : UMBDLL_ReadUMB(name, c)) != 0;
    });
    // The picture library has shown why; the variable keeps what it held.
    if (!cell || !StoreCell(ctx, frame, 1, cell)) return 0;
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_WRITE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Cell:Write", kSigWrite, frame)) return 0;
    tagCELL* cell = ArgCell(ctx, "Cell:Write", frame, 1);
    if (!cell) return 0;
    char name[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, 2, name);
    UMBDLL_WriteBMP24(name, cell);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_GETPIXEL(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Cell:GetPixel", kSigGetPixel, frame)) return 0;
    tagCELL* cell = ArgCell(ctx, "Cell:GetPixel", frame, 1);
    if (!cell) return 0;
    return ResultNumber(ctx, frame,
                        ZEM_GetPixelCell(cell, ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 3)));
}

namespace {
int SetPixel(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Cell:SetPixel", kSigSetPixel, frame)) return 0;
    tagCELL* cell = ArgCell(ctx, "Cell:SetPixel", frame, 1);
    if (!cell) return 0;
    ZEM_SetPixelCell(cell, ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 3), Pixel(ctx, frame, 4));
    return ResultEmpty(ctx, frame);
}
}  // namespace

// The mixed-case name is kept for callers that bind it by that name; scripts reach the
// command through the upper-case one, as they do every other command.
VSKCMD_EXPORT int WINAPI VSK_SetPixel(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return SetPixel(ctx, frame);
}
VSKCMD_EXPORT int WINAPI VSK_SETPIXEL(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return SetPixel(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_LINE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Cell:Line", kSigLine, frame)) return 0;
    tagCELL* cell = ArgCell(ctx, "Cell:Line", frame, 1);
    if (!cell) return 0;
    ZEM_LineCell(cell, ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 3), ArgInt(ctx, frame, 4),
                 ArgInt(ctx, frame, 5), Pixel(ctx, frame, 6));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_COPY(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Cell:Copy";
    if (!VSKVAL_CheckArgument(ctx, label, ArgCount(frame) <= 4 ? kSigCopy4 : kSigCopy5, frame))
        return 0;
    tagCELL* from = ArgCell(ctx, label, frame, 4);
    RECT part;
    if (!from || !ArgOptionalRect(ctx, label, frame, 5, &part)) return 0;
    tagCELL* to = HeldRecord<tagCELL>(Referenced(frame, 1), VSK_MODE_CELL);
    if (!to) {
        // A variable that holds no cell gets a new one of the source's size.
        to = NewCell(ctx,
                     [&](tagCELL* c) { return ZEM_CreateCell(c, from->xsize, from->ysize) != 0; });
        if (!to || !StoreCell(ctx, frame, 1, to)) return 0;
    }
    ZEM_CopyCell(to, ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 3), from, &part, int(from->mask));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_ZOOM(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Cell:Zoom", kSigZoom, frame)) return 0;
    tagCELL* cell = ArgCell(ctx, "Cell:Zoom", frame, 1);
    if (!cell) return 0;
    RECT dst = ArgRect(ctx, frame, 2), src = ArgRect(ctx, frame, 3);
    // A source without width or height has nothing to scale.
    if (src.right > src.left && src.bottom > src.top) ZEM_ZoomCell(cell, &dst, &src);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_CLEAR(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Cell:Clear";
    if (!VSKVAL_CheckArgument(ctx, label, kSigClear, frame)) return 0;
    tagCELL* cell = ArgCell(ctx, label, frame, 1);
    RECT part;
    if (!cell || !ArgOptionalRect(ctx, label, frame, 2, &part)) return 0;
    ZEM_ClearCell(cell, &part, Pixel(ctx, frame, 3));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_ROLL(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Cell:Roll", kSigRoll, frame)) return 0;
    tagCELL* cell = ArgCell(ctx, "Cell:Roll", frame, 1);
    if (!cell) return 0;
    RECT d = ArgRect(ctx, frame, 2), s = ArgRect(ctx, frame, 3);
    ZEM_RollCell(cell, (d.left + d.right) / 2, (d.top + d.bottom) / 2, (s.left + s.right) / 2,
                 (s.top + s.bottom) / 2 - 1, (s.right - s.left) / 2, ArgInt(ctx, frame, 4));
    return ResultEmpty(ctx, frame);
}

// Draws the text at once into the area with the colour and attribute given.
VSKCMD_EXPORT int WINAPI VSK_STRING(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Cell:String";
    if (!VSKVAL_CheckArgument(ctx, label, kSigString, frame)) return 0;
    RECT area;
    if (!ArgCell(ctx, label, frame, 1) || !ArgOptionalRect(ctx, label, frame, 2, &area)) return 0;
    char* text = ctx->bytebuf1;
    text[0] = '\0';
    VSKVAL_ArgString(ctx, frame, 5, text);
    int colour = ArgInt(ctx, frame, 3), attribute = ArgInt(ctx, frame, 4);
    return OnCellTarget(ctx, frame, [&] {
        return VSKEXEC_String(ctx, kCellTarget, &area, text, colour, attribute);
    });
}

// Lays out the texts of arguments 3 to the last, joined, with the cell target's text settings.
VSKCMD_EXPORT int WINAPI VSK_TEXT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Cell:Text";
    if (!VSKVAL_CheckArgument(ctx, label, kSigText, frame)) return 0;
    RECT area;
    if (!ArgCell(ctx, label, frame, 1) || !ArgOptionalRect(ctx, label, frame, 2, &area)) return 0;
    char* joined = ctx->bytebuf1;
    joined[0] = '\0';
    for (int k = 3; k <= ArgCount(frame); ++k) {
        char* part = ctx->bytebuf2;
        part[0] = '\0';
        if (!ArgAsText(ctx, frame, k, part)) return 0;
        Append(joined, part);
    }
    return OnCellTarget(ctx, frame, [&] { return VSKEXEC_Text(ctx, kCellTarget, &area, joined); });
}

#define CELL_FIELD_COMMANDS(NAME, LABEL, FIELD)                                      \
    VSKCMD_EXPORT int WINAPI VSK_GET##NAME(tagVALUAREA* ctx, tagVALUEBLOCK* frame) { \
        return GetField(ctx, frame, "Cell:Get" LABEL, &tagCELL::FIELD);              \
    }                                                                                \
    VSKCMD_EXPORT int WINAPI VSK_SET##NAME(tagVALUAREA* ctx, tagVALUEBLOCK* frame) { \
        return SetField(ctx, frame, "Cell:Set" LABEL, &tagCELL::FIELD);              \
    }
CELL_FIELD_COMMANDS(XPOS, "Xpos", xpos)
CELL_FIELD_COMMANDS(YPOS, "Ypos", ypos)
CELL_FIELD_COMMANDS(XOFFSET, "Xoffset", xoffset)
CELL_FIELD_COMMANDS(YOFFSET, "Yoffset", yoffset)
// The mask commands answer to the labels the system has always shown for them.
CELL_FIELD_COMMANDS(MASK, "Ysize", mask)
#undef CELL_FIELD_COMMANDS

VSKCMD_EXPORT int WINAPI VSK_GETXSIZE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return GetField(ctx, frame, "Cell:GetXsize", &tagCELL::xsize);
}
VSKCMD_EXPORT int WINAPI VSK_GETYSIZE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return GetField(ctx, frame, "Cell:GetYsize", &tagCELL::ysize);
}

VSKCMD_EXPORT int WINAPI VSK_CHRTABLE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Cell:ChrTable";
    if (!VSKVAL_CheckArgument(ctx, label, kSigChrTable, frame)) return 0;
    tagCELL* to = ArgCell(ctx, label, frame, 1);
    tagCELL* table = to ? ArgCell(ctx, label, frame, 4) : nullptr;
    if (!table) return 0;
    int x = ArgInt(ctx, frame, 2), y = ArgInt(ctx, frame, 3);
    RECT first = ArgRect(ctx, frame, 5);
    int w = first.right - first.left, h = first.bottom - first.top;
    char text[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, 6, text);
    // Bytes one by one: a 16 x 16 table covers every code, and double-byte characters are
    // drawn as their two bytes.
    for (int i = 0; text[i]; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        RECT tile{first.left + (c % 16) * w, first.top + (c / 16) * h, 0, 0};
        tile.right = tile.left + w;
        tile.bottom = tile.top + h;
        ZEM_CopyCell(to, x + i * w, y, table, &tile, int(table->mask));
    }
    return ResultEmpty(ctx, frame);
}
