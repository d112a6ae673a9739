// Message boxes on a desktop: the layer's own modal dialog, drawn with the layer's text (so a
// Japanese or Big5 text reads right) with the box's icon and buttons. The user answers with a
// click, Enter (the focused button; at first the default one), Escape (the safe answer), the
// arrow keys (the next or previous button) or a button's first letter. A scripted answer
// closes the box with a click on that button once it has been on the screen a moment, so that
// a real-window run of a program that shows a box goes on with nobody at the screen.
#include <windows.h>

#include <algorithm>
#include <string>

#include "backend/backend.h"
#include "dialogs/template.h"

namespace wyn::dlg {
namespace {

constexpr UINT_PTR kClickTimer = 1;
constexpr UINT kShownMs = 500;  // on the screen long enough to be seen and photographed

// Dialog units: the margin, a button's size and spacing, the icon's place.
constexpr int kMargin = 7, kButtonW = 50, kButtonH = 14, kButtonGap = 4;
constexpr int kLineH = 8, kCharW = 4, kMaxTextW = 400;
constexpr int kIconW = 26, kIconH = 22, kIconPx = 32;  // the icon's place in units, its size

struct Box {
    int answer = 0;  // the scripted answer, 0 when the user answers
    int defaultId = IDOK;
    wynplat::MessageBoxButtons buttons;
    UINT icon = 0;  // MB_ICONHAND... or 0
};

// The icon's disc and its sign: red with X for a stop, blue with ? for a question, yellow with
// ! for a warning, blue with i for information.
void PaintIcon(HDC dc, UINT icon) {
    COLORREF disc = RGB(0, 64, 192);
    COLORREF sign = RGB(255, 255, 255);
    const char* mark = "i";
    switch (icon) {
        case MB_ICONHAND:
            disc = RGB(208, 0, 0), mark = "X";
            break;
        case MB_ICONQUESTION:
            mark = "?";
            break;
        case MB_ICONEXCLAMATION:
            disc = RGB(240, 200, 0), sign = RGB(0, 0, 0), mark = "!";
            break;
        default:
            break;
    }
    const int left = 10, top = 10, r = kIconPx / 2;
    HBRUSH brush = CreateSolidBrush(disc);
    for (int y = 0; y < kIconPx; ++y) {
        int dy = 2 * y + 1 - kIconPx, half = 0;
        while ((2 * half + 2) * (2 * half + 2) + dy * dy <= 4 * r * r) ++half;
        RECT row{left + r - half, top + y, left + r + half, top + y + 1};
        FillRect(dc, &row, brush);
    }
    DeleteObject(brush);
    HFONT font = CreateFontA(-22, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, sign);
    RECT at{left, top, left + kIconPx, top + kIconPx};
    DrawTextA(dc, mark, 1, &at, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    DeleteObject(font);
}

INT_PTR CALLBACK BoxProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* box = reinterpret_cast<Box*>(GetWindowLongPtrA(h, GWLP_USERDATA));
    switch (m) {
        case WM_INITDIALOG:
            box = reinterpret_cast<Box*>(l);
            SetWindowLongPtrA(h, GWLP_USERDATA, l);
            if (box->answer) SetTimer(h, kClickTimer, kShownMs, nullptr);
            // Enter answers with the default button until the focus moves.
            if (HWND button = GetDlgItem(h, box->defaultId)) SetFocus(button);
            return FALSE;
        case WM_PAINT: {
            if (!box || !box->icon) return FALSE;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT r;
            GetClientRect(h, &r);
            HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
            FillRect(dc, &r, face);
            DeleteObject(face);
            PaintIcon(dc, box->icon);
            EndPaint(h, &ps);
            return TRUE;
        }
        case WM_TIMER:
            KillTimer(h, kClickTimer);
            if (box) SendDlgItemMessageA(h, box->answer, BM_CLICK, 0, 0);
            return TRUE;
        case WM_COMMAND:
            // Escape and the close box send IDCANCEL: a box without Cancel takes its safe answer.
            if (HIWORD(w) == BN_CLICKED && box) {
                int id = LOWORD(w);
                EndDialog(h, box->buttons.Has(id) ? id : box->buttons.safe);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

UINT IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONHAND:
        case MB_ICONQUESTION:
        case MB_ICONEXCLAMATION:
        case MB_ICONASTERISK:
            return type & MB_ICONMASK;
        default:
            return 0;
    }
}

}  // namespace

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type, int answer,
                   int codePage) {
    Box box;
    box.answer = answer;
    box.buttons = wynplat::ButtonsOf(type);
    box.icon = IconOf(type);
    const wynplat::MessageBoxButtons& b = box.buttons;
    size_t defButton = (type >> 8) & 0xF;
    if (defButton >= size_t(b.count)) defButton = 0;
    box.defaultId = b.buttons[defButton].id;
    std::string body = text ? text : "";
    int lines = 1, longest = 0, run = 0;
    for (char c : body) {
        if (c == '\n') {
            ++lines;
            run = 0;
        } else if (c != '\r') {
            longest = std::max(longest, ++run);
        }
    }
    const int iconW = box.icon ? kIconW : 0;
    int buttonsW = b.count * kButtonW + (b.count - 1) * kButtonGap;
    int textW = std::min(kMaxTextW, longest * kCharW);
    DialogDef def;
    def.caption = caption ? caption : "Error";
    def.centered = true;
    def.cx = std::max(iconW + textW, buttonsW) + 2 * kMargin;
    int textH = std::max(lines * kLineH, box.icon ? kIconH : 0);
    def.cy = kMargin + textH + kMargin + kButtonH + kMargin;
    ControlDef label;
    label.kind = Kind::LText;
    label.id = -1;
    label.text = body;
    label.x = kMargin + iconW;
    label.y = kMargin + (textH - lines * kLineH) / 2;
    label.cx = def.cx - 2 * kMargin - iconW;
    label.cy = lines * kLineH;
    def.controls.push_back(label);
    int x = (def.cx - buttonsW) / 2;
    for (int i = 0; i < b.count; ++i) {
        ControlDef button;
        button.kind = Kind::Button;
        button.id = b.buttons[i].id;
        button.text = b.buttons[i].label;
        button.x = x + i * (kButtonW + kButtonGap);
        button.y = def.cy - kMargin - kButtonH;
        button.cx = kButtonW;
        button.cy = kButtonH;
        button.isDefault = static_cast<size_t>(i) == defButton;
        def.controls.push_back(button);
    }
    INT_PTR result = RunDialog(nullptr, def, "MessageBox", owner, BoxProc,
                               reinterpret_cast<LPARAM>(&box), codePage, true);
    // Closed otherwise than by one of its buttons: the safe answer.
    return b.Has(static_cast<int>(result)) ? static_cast<int>(result) : b.safe;
}

}  // namespace wyn::dlg
