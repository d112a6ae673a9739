// Sprite commands: the 100 sprites of a numbered screen's 2D screen. Each command but ARC
// names the screen in argument 1; a bad number is reported and a screen that does not exist
// stops the command without a message, as the screen commands do.
#include "vskcmd.h"
#include "vskcmd_refs.h"
#include "vskcmd_screens.h"
#include "zem33.h"

using namespace vskcmd;

namespace {

constexpr WORD kCellVar = VSK_SIG_REF | VSK_MODE_CELL;
constexpr WORD kSigScreen[] = {'N', 'R', 'R', 0};
constexpr WORD kSigNumber[] = {'N', 0};
constexpr WORD kSigCreate[] = {'N', 'N', kCellVar, 0};
constexpr WORD kSigDelete[] = {'N', 'N', 0};
constexpr WORD kSigObject[] = {'N', 'N', 'N', 'N', 'N', 'N', 'N', 0};
constexpr WORD kSigMove[] = {'N', 'N', 'N', 'N', 'N', 0};
constexpr WORD kSigHit[] = {'N', 'R', 0};
constexpr WORD kSigArc[] = {'R', 'R', 0};

// The checked screen of a command with the signature, or nullptr (the command returns 0).
HZEMSCREEN Checked(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const char* label, const WORD* sig) {
    if (!VSKVAL_CheckArgument(ctx, label, sig, frame)) return nullptr;
    return ArgScreen(ctx, label, frame);
}

// The x and y of a rectangle argument (its size is not used).
POINT ArgPoint(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k) {
    RECT r = ArgRect(ctx, frame, k);
    return POINT{r.left, r.top};
}

}  // namespace

VSKCMD_DEFINE_VERSION

VSKCMD_EXPORT int WINAPI VSK_SCREEN(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    HZEMSCREEN scr = Checked(ctx, frame, "Sprite:Screen", kSigScreen);
    if (!scr) return 0;
    RECT area = ArgRect(ctx, frame, 2), background = ArgRect(ctx, frame, 3);
    ZEM_InitSprite(scr, &area, &background);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_REFRESH(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    HZEMSCREEN scr = Checked(ctx, frame, "Sprite:Reflesh", kSigNumber);
    if (!scr) return 0;
    ZEM_RefreshSprite(scr);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_REFRESHALL(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    HZEMSCREEN scr = Checked(ctx, frame, "Sprite:RefleshAll", kSigNumber);
    if (!scr) return 0;
    ZEM_RefreshAllSprite(scr);
    return ResultEmpty(ctx, frame);
}

// The frame size is the cell's xpos and ypos (0: the 2D library's own default).
VSKCMD_EXPORT int WINAPI VSK_CREATE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Sprite:Create";
    HZEMSCREEN scr = Checked(ctx, frame, label, kSigCreate);
    tagCELL* cell = scr ? ArgCell(ctx, label, frame, 3) : nullptr;
    if (!cell) return 0;
    ZEM_CreateSprite(scr, ArgInt(ctx, frame, 2), cell, cell->xpos, cell->ypos);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_DELETE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    HZEMSCREEN scr = Checked(ctx, frame, "Sprite:Delete", kSigDelete);
    if (!scr) return 0;
    ZEM_DeleteSprite(scr, ArgInt(ctx, frame, 2));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_OBJECT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    HZEMSCREEN scr = Checked(ctx, frame, "Sprite:Object", kSigObject);
    if (!scr) return 0;
    ZEM_SetSprite(scr, ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 3), ArgInt(ctx, frame, 4),
                  ArgInt(ctx, frame, 5), ArgInt(ctx, frame, 6), ArgInt(ctx, frame, 7));
    return ResultEmpty(ctx, frame);
}

// Position and pattern; z and flags stay as they are.
VSKCMD_EXPORT int WINAPI VSK_MOVE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    HZEMSCREEN scr = Checked(ctx, frame, "Sprite:Move", kSigMove);
    if (!scr) return 0;
    ZEM_SetSprite(scr, ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 3), ArgInt(ctx, frame, 4), -1,
                  ArgInt(ctx, frame, 5), -1);
    return ResultEmpty(ctx, frame);
}

// The topmost sprite with a drawn pixel at the point, or -1.
VSKCMD_EXPORT int WINAPI VSK_HIT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    HZEMSCREEN scr = Checked(ctx, frame, "Sprite:Hit", kSigHit);
    if (!scr) return 0;
    POINT p = ArgPoint(ctx, frame, 2);
    return ResultNumber(ctx, frame, ZEM_HitSprite(scr, p.x, p.y, 1));
}

// The direction 0-359 (0 up, clockwise) from the first point to the second; no screen.
VSKCMD_EXPORT int WINAPI VSK_ARC(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Sprite:Arc", kSigArc, frame)) return 0;
    POINT from = ArgPoint(ctx, frame, 1), to = ArgPoint(ctx, frame, 2);
    return ResultNumber(ctx, frame, ZEM_GetAngle(from.x, from.y, to.x, to.y));
}
