// Screen commands for text (through the executor's text engine, with the screen's text
// settings) and for the mouse (the button words the host keeps per screen, the pointer).
#include <cstring>

#include "screen_common.h"
#include "vsk_sjis.h"
#include "vskexec.h"

using namespace vskcmd;
using namespace screen;

namespace {

constexpr WORD kSigString[] = {'N', 'R', 'N', 'N', 'S', 0};
constexpr WORD kSigText[] = {'N', VSK_SIG_ANY, VSK_SIG_REST};
constexpr WORD kSigN[] = {'N', 0};
constexpr WORD kSigNN[] = {'N', 'N', 0};
constexpr WORD kSigNNN[] = {'N', 'N', 'N', 0};
constexpr WORD kSigNR[] = {'N', 'R', 0};
constexpr WORD kSigClick[] = {'N', VSK_SIG_ANY, 0};
constexpr WORD kSigCheckRect[] = {'N', 'V', 'N', 'N', 'N', 0};
constexpr WORD kSigArc[] = {'N', 'R', 'N', 0};

constexpr int kNowhere = -32767;

// The text commands name "Screen:Text" when the number is out of range.
constexpr char kTextLabel[] = "Screen:Text";

bool Inside(const RECT& rc, int x, int y) {
    return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom;
}

int ClickIn(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const char* label, bool left) {
    if (!VSKVAL_CheckArgument(ctx, label, kSigClick, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    int slot = left ? VSK_SYS_LBUTTON(n) : VSK_SYS_RBUTTON(n);
    RECT area = ArgArea(ctx, frame, 2);
    bool down = SysWord(ctx, slot, 0) & 1;
    int x = int(SysWord(ctx, slot, 2)), y = int(SysWord(ctx, slot, 3));
    return ResultBool(ctx, frame, down && Inside(area, x, y));
}

// Slot words of the host's button variables as a number's value.
int Word(tagVALUAREA* ctx, int slot, int k) { return int(SysWord(ctx, slot, k)); }

}  // namespace

VSKCMD_EXPORT int WINAPI VSK_STRING(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Screen:String", kSigString, frame)) return 0;
    int n = ScreenNo(ctx, kTextLabel, frame);
    if (n < 0) return 0;
    RECT area{};
    VSKVAL_ArgRect(ctx, frame, 2, &area);
    char text[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, 5, text);
    if (!VSKEXEC_String(ctx, n, &area, text, ArgInt(ctx, frame, 3), ArgInt(ctx, frame, 4)))
        return 0;
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_TEXT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Screen:Text", kSigText, frame)) return 0;
    int n = ScreenNo(ctx, kTextLabel, frame);
    if (n < 0) return 0;
    RECT area = ArgArea(ctx, frame, 2);
    char joined[VSK_BYTEBUF] = {};
    for (int k = 3; k <= ArgCount(frame); ++k) {
        char part[VSK_BYTEBUF] = {};
        if (!ArgAsText(ctx, frame, k, part)) return 0;
        Append(joined, part);
    }
    if (!VSKEXEC_Text(ctx, n, &area, joined)) return 0;
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_LOCATE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Screen:Locate", kSigNNN, frame)) return 0;
    int n = ScreenNo(ctx, kTextLabel, frame);
    if (n < 0) return 0;
    tagVALUE* pos = ctx->vbsystem.lpvalue + VSK_SYS_TEXTPOS(n);
    if (pos->mode == VSK_MODE_EMPTY) pos->mode = VSK_MODE_RECT;
    VskSetInt(pos, 0, ArgInt(ctx, frame, 2));
    VskSetInt(pos, 1, ArgInt(ctx, frame, 3));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_COLOR(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Screen:Locate", kSigNNN, frame)) return 0;
    int n = ScreenNo(ctx, kTextLabel, frame);
    if (n < 0) return 0;
    tagVALUE* colour = ctx->vbsystem.lpvalue + VSK_SYS_TEXTCOLOR(n);
    if (colour->mode == VSK_MODE_EMPTY) colour->mode = VSK_MODE_RECT;
    VskSetInt(colour, 0, ArgInt(ctx, frame, 2));
    VskSetInt(colour, 1, ArgInt(ctx, frame, 3));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_ATB(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Screen:Locate", kSigNN, frame)) return 0;
    int n = ScreenNo(ctx, kTextLabel, frame);
    if (n < 0) return 0;
    tagVALUE* colour = ctx->vbsystem.lpvalue + VSK_SYS_TEXTCOLOR(n);
    if (colour->mode == VSK_MODE_EMPTY) colour->mode = VSK_MODE_RECT;
    VskSetInt(colour, 3, ArgInt(ctx, frame, 2));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_CLICKLEFT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return ClickIn(ctx, frame, "Screen:ClickLeft", true);
}

VSKCMD_EXPORT int WINAPI VSK_CLICKRIGHT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return ClickIn(ctx, frame, "Screen:ClickRighr", false);
}

VSKCMD_EXPORT int WINAPI VSK_BUTTON(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Button";
    if (!VSKVAL_CheckArgument(ctx, label, kSigNN, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    int left = Word(ctx, VSK_SYS_LBUTTON(n), 0), right = Word(ctx, VSK_SYS_RBUTTON(n), 0);
    switch (ArgInt(ctx, frame, 2)) {
        case 0:
            return ResultNumber(ctx, frame, right * 4 | left);
        case 1:
            return ResultNumber(ctx, frame, left);
        case 2:
            return ResultNumber(ctx, frame, right * 4);
    }
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_TRIGER(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Triger";
    if (!VSKVAL_CheckArgument(ctx, label, kSigNN, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    const int l = VSK_SYS_LBUTTON(n), r = VSK_SYS_RBUTTON(n);
    switch (ArgInt(ctx, frame, 2)) {
        case -1:
            for (int slot : {l, r}) {
                tagVALUE* s = ctx->vbsystem.lpvalue + slot;
                if (s->mode == VSK_MODE_EMPTY) s->mode = VSK_MODE_NUMBER;
                SetSysWord(ctx, slot, 1, 0);
                SetSysWord(ctx, slot, 2, uint64_t(int64_t(kNowhere)));
                SetSysWord(ctx, slot, 3, uint64_t(int64_t(kNowhere)));
            }
            return ResultNumber(ctx, frame, 0);
        case 0:
            return ResultNumber(ctx, frame, Word(ctx, r, 1) * 4 | Word(ctx, l, 1));
        case 1:
            return ResultNumber(ctx, frame, Word(ctx, l, 1));
        case 2:
            return ResultNumber(ctx, frame, Word(ctx, r, 1) * 4);
        case 3:
            return Result(ctx, frame, Rect(ctx, Word(ctx, l, 2), Word(ctx, l, 3), 0, 0));
        case 4:
            return Result(ctx, frame, Rect(ctx, Word(ctx, r, 2), Word(ctx, r, 3), 0, 0));
    }
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_MOUSE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Mouse";
    if (!VSKVAL_CheckArgument(ctx, label, kSigN, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    POINT p{};
    VSKEXEC_GetMousePos(ctx, n, &p);
    return Result(ctx, frame, Rect(ctx, p.x, p.y, 0, 0));
}

VSKCMD_EXPORT int WINAPI VSK_SETMOUSE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:SetMouse";
    if (!VSKVAL_CheckArgument(ctx, label, kSigNR, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    const tagVALUE* at = Arg(frame, 2);
    SetCursorPos(VskRaqXpos(at), VskRaqYpos(at));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_CHECKRECT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:CheckRect";
    if (!VSKVAL_CheckArgument(ctx, label, kSigCheckRect, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    int x = kNowhere, y = kNowhere;
    switch (ArgInt(ctx, frame, 5)) {
        case 1:
            x = Word(ctx, VSK_SYS_LBUTTON(n), 2), y = Word(ctx, VSK_SYS_LBUTTON(n), 3);
            break;
        case 2:
            x = Word(ctx, VSK_SYS_RBUTTON(n), 2), y = Word(ctx, VSK_SYS_RBUTTON(n), 3);
            break;
        default: {
            POINT p{};
            VSKEXEC_GetMousePos(ctx, n, &p);
            x = p.x, y = p.y;
        }
    }
    tagVALUEBLOCK block = RefBlock(frame, 2);
    const int first = RefIndex(frame, 2);
    const int count = ArgInt(ctx, frame, 3), step = ArgInt(ctx, frame, 4);
    for (int i = 0; i < count; ++i) {
        // Only slots of the block are looked at; an index past it ends the search.
        int at = first + step * i + block.offset;
        if (at < 0 || at >= block.count) break;
        const tagVALUE* v = block.lpvalue + at;
        if (v->mode != VSK_MODE_RECT) continue;
        RECT rc{VskRaqXpos(v), VskRaqYpos(v), VskRaqXpos(v) + VskRaqXsize(v),
                VskRaqYpos(v) + VskRaqYsize(v)};
        if (Inside(rc, x, y)) return ResultNumber(ctx, frame, i);
    }
    return ResultNumber(ctx, frame, -1);
}

VSKCMD_EXPORT int WINAPI VSK_GETARCPOS(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:GetArcPos";
    if (!VSKVAL_CheckArgument(ctx, label, kSigArc, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    RECT box{};
    VSKVAL_ArgRect(ctx, frame, 2, &box);
    int x = 0, y = 0;
    ZEM_GetArcPos((box.left + box.right) / 2, (box.top + box.bottom) / 2,
                  (box.right - box.left) / 2, (box.bottom - box.top) / 2, ArgInt(ctx, frame, 3), &x,
                  &y);
    return Result(ctx, frame, Rect(ctx, x, y, 0, 0));
}

// Kept for scripts that name them; they do nothing. The three in mixed case are never found by
// a script's upper-cased command name.
VSKCMD_EXPORT int WINAPI VSK_DRAG(tagVALUAREA*, tagVALUEBLOCK*) { return 1; }
VSKCMD_EXPORT int WINAPI VSK_CreateTag(tagVALUAREA*, tagVALUEBLOCK*) { return 1; }
VSKCMD_EXPORT int WINAPI VSK_DeleteTag(tagVALUAREA*, tagVALUEBLOCK*) { return 1; }
VSKCMD_EXPORT int WINAPI VSK_SwitchTag(tagVALUAREA*, tagVALUEBLOCK*) { return 1; }
