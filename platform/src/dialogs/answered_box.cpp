// The message box a script answers on a desktop: the layer's own dialog with the box's text and
// buttons, shown, then closed by a click on the scripted answer's button, so that a real-window
// run of a program that shows a box goes on with nobody at the screen.
#include <windows.h>

#include <algorithm>
#include <string>

#include "backend/backend.h"
#include "dialogs/template.h"

namespace wyn::dlg {
namespace {

constexpr UINT_PTR kClickTimer = 1;
constexpr UINT kShownMs = 500;  // on the screen long enough to be seen and photographed

// Dialog units: the margin, and a button's size and spacing.
constexpr int kMargin = 7, kButtonW = 50, kButtonH = 14, kButtonGap = 4;
constexpr int kLineH = 8, kCharW = 4, kMaxTextW = 400;

INT_PTR CALLBACK AnsweredProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    switch (m) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(h, GWLP_USERDATA, l);
            SetTimer(h, kClickTimer, kShownMs, nullptr);
            return TRUE;
        case WM_TIMER:
            KillTimer(h, kClickTimer);
            SendDlgItemMessageA(h, static_cast<int>(GetWindowLongPtrA(h, GWLP_USERDATA)), BM_CLICK,
                                0, 0);
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(w) == BN_CLICKED) EndDialog(h, LOWORD(w));
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

int ShowAnsweredBox(HWND owner, const char* text, const char* caption, UINT type, int answer,
                    int codePage) {
    wynplat::MessageBoxButtons b = wynplat::ButtonsOf(type);
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
    int buttonsW = b.count * kButtonW + (b.count - 1) * kButtonGap;
    int textW = std::min(kMaxTextW, longest * kCharW);
    DialogDef def;
    def.caption = caption ? caption : "Error";
    def.cx = std::max(textW, buttonsW) + 2 * kMargin;
    def.cy = kMargin + lines * kLineH + kMargin + kButtonH + kMargin;
    ControlDef label;
    label.kind = Kind::LText;
    label.id = -1;
    label.text = body;
    label.x = kMargin;
    label.y = kMargin;
    label.cx = def.cx - 2 * kMargin;
    label.cy = lines * kLineH;
    def.controls.push_back(label);
    int x = (def.cx - buttonsW) / 2;
    size_t defButton = (type >> 8) & 0xF;
    for (int i = 0; i < b.count; ++i) {
        ControlDef button;
        button.kind = Kind::Button;
        button.id = b.buttons[i].id;
        button.text = b.buttons[i].label;
        button.x = x + i * (kButtonW + kButtonGap);
        button.y = def.cy - kMargin - kButtonH;
        button.cx = kButtonW;
        button.cy = kButtonH;
        button.isDefault = static_cast<size_t>(i) == (defButton < size_t(b.count) ? defButton : 0);
        def.controls.push_back(button);
    }
    INT_PTR result =
        RunDialog(nullptr, def, "MessageBox", owner, AnsweredProc, answer, codePage, true);
    // Closed otherwise than by one of its buttons (the window's close box): the safe answer.
    return b.Has(static_cast<int>(result)) ? static_cast<int>(result) : b.safe;
}

}  // namespace wyn::dlg
