// The text engine the screen and cell commands share: a typewriter layout of Shift-JIS text
// into a rectangle of a screen (targets 0-8) or of the cell in #14 (target 9), with its cursor,
// colours, delay and attribute in the target's system variables, inline control sequences, the
// glyph table of #12 and scrolling; a one-shot string; the mouse over a screen.
#include <mmsystem.h>

#include <cstring>

#include "vsk_sjis.h"
#include "vskexec_internal.h"
#include "zem33.h"

using namespace vskexec;

namespace {

constexpr int kCellTarget = 9;
constexpr int kGlyphTable = 12;
constexpr int kMaxNesting = 8;  // "@V" inside "@V" stops here
constexpr size_t kDisplayText = 1000;

const char kNoOpen[] = "シーケンス・パラメータ開始の括弧がありません。";
const char kNoClose[] = "シーケンス・パラメータ終了の括弧がありません。";
const char kNoSecond[] = "シーケンス第２パラメータが指定されていません。";
const char kNoThird[] = "シーケンス第３パラメータが指定されていません。";
const char kNoSize[] = "文字サイズが設定されていません。";

tagVALUE* Sys(tagVALUAREA* ctx, int slot) { return ctx->vbsystem.lpvalue + slot; }

uint64_t SysWord(tagVALUAREA* ctx, int slot, int k) {
    return std::atomic_ref<uint64_t>(Sys(ctx, slot)->word[k]).load();
}

// What a target draws on: a screen's 2D screen, or the cell of #14. Neither: unusable.
struct Target {
    HZEMSCREEN screen = nullptr;
    tagCELL* cell = nullptr;
    bool Usable() const { return screen || cell; }
};

Target TargetOf(tagVALUAREA* ctx, int n) {
    Target t;
    if (n == kCellTarget) {
        tagVALUE* v = Sys(ctx, VSK_SYS_COMMANDLINE);
        if (v->mode == VSK_MODE_CELL && VskCaqCell(v) && VskCaqCell(v)->bits)
            t.cell = VskCaqCell(v);
    } else if (n >= 0 && n < kCellTarget && SysWord(ctx, VSK_SYS_SCREEN(n), 0)) {
        t.screen = reinterpret_cast<HZEMSCREEN>(uintptr_t(SysWord(ctx, VSK_SYS_SCREEN(n), 1)));
    }
    return t;
}

int Clear(const Target& t, const RECT& rc, int colour) {
    if (t.screen) return ZEM_ClearScreen(t.screen, &rc, ZEMPIXEL(colour));
    if (t.cell) return ZEM_ClearCell(t.cell, &rc, ZEMPIXEL(colour));
    return 0;
}

int Move(const Target& t, int x, int y, const RECT& rc) {
    if (t.screen) return ZEM_MoveScreen(t.screen, x, y, &rc);
    if (t.cell) return ZEM_CopyCell(t.cell, x, y, t.cell, &rc, int(0x80000000));
    return 0;
}

int Font(const Target& t, const RECT& rc, const char* face, int height, int width, const char* text,
         int colour, int attribute) {
    if (t.screen)
        return ZEM_SetFontScreen(t.screen, &rc, face, height, width, text, ZEMPIXEL(colour),
                                 attribute);
    if (t.cell)
        return ZEM_SetFontCell(t.cell, &rc, face, height, width, text, ZEMPIXEL(colour), attribute);
    return 0;
}

int Put(const Target& t, int x, int y, const tagCELL* from, const RECT& src, DWORD mask) {
    if (t.screen) return ZEM_DisplayScreen(t.screen, x, y, from, &src, mask);
    if (t.cell) return ZEM_CopyCell(t.cell, x, y, from, &src, int(mask));
    return 0;
}

// The target's text state: #(30+n) cursor and character size, #(40+n) colours, delay and
// attribute, #(50+n) the font name.
struct TextState {
    int column, row, width, height;
    int colour, erase, delay, attribute;
    char face[VSK_BYTEBUF];
};

void Load(tagVALUAREA* ctx, int n, TextState* s) {
    tagVALUE* pos = Sys(ctx, VSK_SYS_TEXTPOS(n));
    s->column = VskInt(pos, 0), s->row = VskInt(pos, 1);
    s->width = VskInt(pos, 2), s->height = VskInt(pos, 3);
    tagVALUE* col = Sys(ctx, VSK_SYS_TEXTCOLOR(n));
    s->colour = VskInt(col, 0), s->erase = VskInt(col, 1);
    s->delay = VskInt(col, 2), s->attribute = VskInt(col, 3);
    s->face[0] = 0;
    tagVALUE* face = Sys(ctx, VSK_SYS_FONT(n));
    if (face->mode == VSK_MODE_STRING) VSKSTR_GetByte(ctx, face, s->face);
}

// Writes the cursor, colours and delay back (the font name and size are only read).
void Store(tagVALUAREA* ctx, int n, const TextState& s) {
    tagVALUE* pos = Sys(ctx, VSK_SYS_TEXTPOS(n));
    if (pos->mode == VSK_MODE_EMPTY) pos->mode = VSK_MODE_RECT;
    VskSetInt(pos, 0, s.column), VskSetInt(pos, 1, s.row);
    tagVALUE* col = Sys(ctx, VSK_SYS_TEXTCOLOR(n));
    if (col->mode == VSK_MODE_EMPTY) col->mode = VSK_MODE_RECT;
    VskSetInt(col, 0, s.colour), VskSetInt(col, 1, s.erase), VskSetInt(col, 2, s.delay);
}

bool Blank(const BYTE* p, int* length) {
    if (*p == ' ' || *p == '\t') return *length = 1, true;
    if (p[0] == 0x81 && p[1] == 0x40) return *length = 2, true;  // the full-width blank
    return false;
}

// Reads the bracketed parameters of a sequence at `p` (just after its letter) into `out`
// (integer parts). The position after "]", or NULL after the sequence's message (or the value
// library's, for a number that does not parse).
const BYTE* Parameters(tagVALUAREA* ctx, const BYTE* p, int count, int* out) {
    if (*p != '[') {
        Message(ctx, "%s", kNoOpen);
        return nullptr;
    }
    ++p;
    for (int i = 0; i < count; ++i) {
        tagVALUE v{};
        auto* next = reinterpret_cast<const BYTE*>(
            VSKFAQ_GetNumber(ctx, &v, reinterpret_cast<const char*>(p)));
        if (!next) return nullptr;
        out[i] = 0;
        VSKFAQ_Int(ctx, &v, &out[i]);
        p = next;
        for (int len; Blank(p, &len);) p += len;
        if (i + 1 == count) break;
        if (*p != ',') {
            Message(ctx, "%s", i == 0 ? kNoSecond : kNoThird);
            return nullptr;
        }
        ++p;
    }
    if (*p != ']') {
        Message(ctx, "%s", kNoClose);
        return nullptr;
    }
    return p + 1;
}

int Layout(tagVALUAREA* ctx, int n, const RECT& rc, const char* text, int depth);

// The display text of user variable k laid out where the cursor stands. 1 or 0.
int LayoutVariable(tagVALUAREA* ctx, int n, const RECT& rc, int k, int depth) {
    tagVALUE v{};
    if (!VSKVAL_Get(ctx, &ctx->vbuser, k, &v)) return 0;
    if (v.mode == VSK_MODE_STRING) v.mode = VSK_MODE_BARE_STRING;
    char shown[kDisplayText] = {};
    VSKVAL_DisplayValue(ctx, &v, shown, sizeof shown);
    return Layout(ctx, n, rc, shown, depth + 1);
}

int Layout(tagVALUAREA* ctx, int n, const RECT& rc, const char* text, int depth) {
    TextState s;
    Load(ctx, n, &s);
    // A character size below one pixel has no columns or rows to lay out into. The cell
    // target has none until screen 0 is made, so the script is told why it stopped.
    if (s.width < 1 || s.height < 1) {
        Message(ctx, "%s", kNoSize);
        return 0;
    }
    const int columns = (rc.right - rc.left) / s.width;
    const int rows = (rc.bottom - rc.top) / s.height;
    const int me = CurrentTask();
    auto* p = reinterpret_cast<const BYTE*>(text);
    while (p && *p) {
        if (me >= 0 && (Flags(ctx, me) & VSK_TASKFLAG_PAUSE)) AwaitResume(ctx, me);
        const Target t = TargetOf(ctx, n);
        const int x = rc.left + s.column * s.width;
        const int y = rc.top + s.row * s.height;
        bool drawn = false;
        if (*p == '@') {
            // "@" with the text's end after it: the layout ends there.
            if (!p[1]) break;
            BYTE letter = p[1];
            p += 2;
            int a[3] = {};
            switch (letter) {
                case 'C':
                case 'E':
                    if (!(p = Parameters(ctx, p, 3, a))) return 0;
                    if (letter == 'C') {
                        s.colour = a[0] * 1024 + a[1] * 32 + a[2];
                    } else {
                        s.erase = a[0] * 1024 + a[1] * 32 + a[2];
                        Clear(t, rc, s.erase);
                        s.column = s.row = 0;
                    }
                    break;
                case 'G': {
                    if (!(p = Parameters(ctx, p, 1, a))) return 0;
                    tagVALUE* table = Sys(ctx, kGlyphTable);
                    if (table->mode == VSK_MODE_CELL && VskCaqCell(table)) {
                        const tagCELL* glyphs = VskCaqCell(table);
                        int w = glyphs->xsize / 16, h = glyphs->ysize / 16;
                        RECT src{(a[0] % 16) * w, (a[0] / 16) * h, 0, 0};
                        src.right = src.left + w, src.bottom = src.top + h;
                        Put(t, x, y, glyphs, src, DWORD(glyphs->mask));
                    }
                    s.column += 2;
                    drawn = true;
                    break;
                }
                case 'L':
                    s.column = 0, ++s.row;
                    break;
                case 'P':
                    if (!(p = Parameters(ctx, p, 2, a))) return 0;
                    s.column = a[0], s.row = a[1];
                    break;
                case 'V':
                    if (!(p = Parameters(ctx, p, 1, a))) return 0;
                    // A display text that holds "@V" again would nest without end.
                    if (depth < kMaxNesting) {
                        Store(ctx, n, s);
                        if (!LayoutVariable(ctx, n, rc, a[0], depth)) return 0;
                        Load(ctx, n, &s);
                    }
                    break;
                case 'W':
                    if (!(p = Parameters(ctx, p, 1, a))) return 0;
                    s.delay = a[0];
                    break;
                default:
                    break;  // "@" and its byte are skipped
            }
        } else {
            char one[3] = {char(*p), 0, 0};
            int span = 1;
            if (vsk::IsLeadByte(*p)) {
                // A lead byte at the text's end: the layout ends there.
                if (!p[1]) break;
                one[1] = char(p[1]);
                span = 2;
            }
            p += span;
            RECT cell{x, y, x + span * s.width, y + s.height};
            Font(t, cell, s.face[0] ? s.face : nullptr, s.height, s.width, one, s.colour,
                 s.attribute);
            s.column += span;
            drawn = true;
        }
        if (drawn && t.screen && s.delay != 0) {
            Store(ctx, n, s);
            if (!VSKEXEC_Wait(ctx, s.delay)) return 0;
        }
        if (s.column >= columns - 1) s.column = 0, ++s.row;
        if (s.row >= rows && rows > 0) {
            const Target now = TargetOf(ctx, n);
            RECT below{rc.left, rc.top + s.height, rc.right, rc.bottom};
            Move(now, rc.left, rc.top, below);
            RECT last{rc.left, rc.top + (rows - 1) * s.height, rc.right, rc.top + rows * s.height};
            Clear(now, last, s.erase);
            s.column = 0, s.row = rows - 1;
        }
    }
    Store(ctx, n, s);
    return 1;
}

}  // namespace

int WINAPI VSKEXEC_Text(tagVALUAREA* ctx, int n, const RECT* rect, LPCSTR text) {
    if (!ctx || !rect || !text || n < 0 || n > kCellTarget) return 0;
    return Layout(ctx, n, *rect, text, 0);
}

int WINAPI VSKEXEC_String(tagVALUAREA* ctx, int n, const RECT* rect, LPCSTR text, int colour,
                          int attribute) {
    if (!ctx || !rect || !text || n < 0 || n > kCellTarget) return 0;
    const Target t = TargetOf(ctx, n);
    if (!t.Usable()) return 0;
    TextState s;
    Load(ctx, n, &s);
    Font(t, *rect, s.face[0] ? s.face : nullptr, s.height, s.width, text, colour, attribute);
    return 1;
}

int WINAPI VSKEXEC_GetMousePos(tagVALUAREA* ctx, int n, POINT* point) {
    if (!point) return 0;
    point->x = point->y = -32767;
    if (!ctx || n < 0 || n >= VSK_SCREENS) return 0;
    auto hwnd = reinterpret_cast<HWND>(uintptr_t(SysWord(ctx, VSK_SYS_SCREEN(n), 0)));
    auto screen = reinterpret_cast<HZEMSCREEN>(uintptr_t(SysWord(ctx, VSK_SYS_SCREEN(n), 1)));
    if (!hwnd || !screen) return 0;
    POINT cursor{};
    RECT client{};
    if (!GetCursorPos(&cursor) || !ScreenToClient(hwnd, &cursor) || !GetClientRect(hwnd, &client))
        return 0;
    if (cursor.x < client.left || cursor.y < client.top || cursor.x >= client.right ||
        cursor.y >= client.bottom)
        return 0;
    int x = 0, y = 0;
    if (!ZEM_GetMouse(screen, &x, &y)) return 0;
    point->x = x, point->y = y;
    return 1;
}
