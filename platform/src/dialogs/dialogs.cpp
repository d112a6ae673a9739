// Modal dialog boxes made from templates: the layer draws the dialog and its controls itself
// (system font at the template's dialog-unit sizes), takes mouse and keyboard on a desktop,
// and, headless, applies a scripted list of actions (WynPlat_SetDialogScript or
// WYN_DIALOG_SCRIPT) and logs each dialog's final state.
#include <commctrl.h>
#include <windows.h>
#include <wynplat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "backend/backend.h"
#include "dialogs/template.h"
#include "resources/resources.h"
#include "user/codepage.h"
#include "user/user.h"

namespace wyn::dlg {
namespace {

constexpr char kDialogClass[] = "#32770";
constexpr char kItemClass[] = "WynDialogItem";

struct Item {
    Kind kind = Kind::Button;
    int id = 0;
    bool group = false;  // first of a group (radio groups end at the next one)
    bool isDefault = false;
    int check = BST_UNCHECKED;
    std::vector<std::pair<std::string, LPARAM>> rows;  // combo rows and their data
    int sel = -1;
    int tbMin = 0, tbMax = 100, tbPos = 0, tbFreq = 1;
    bool pressed = false;
};

struct Dialog {
    HWND hwnd = nullptr;
    DLGPROC proc = nullptr;
    bool ended = false;
    INT_PTR result = 0;
    HFONT font = nullptr;
    std::vector<HWND> items;  // template order (tab order)
    std::string name;
    int codePage = 932;     // of the texts: the template's module's
    bool layerBox = false;  // a message box: arrows and the buttons' letters answer too
};

std::recursive_mutex g_m;
std::map<HWND, std::shared_ptr<Item>>& Items() {
    static auto* m = new std::map<HWND, std::shared_ptr<Item>>;
    return *m;
}
std::map<HWND, std::shared_ptr<Dialog>>& Dialogs() {
    static auto* m = new std::map<HWND, std::shared_ptr<Dialog>>;
    return *m;
}

std::shared_ptr<Item> ItemOf(HWND h) {
    std::lock_guard<std::recursive_mutex> g(g_m);
    auto it = Items().find(h);
    return it == Items().end() ? nullptr : it->second;
}

std::shared_ptr<Dialog> DialogOf(HWND h) {
    std::lock_guard<std::recursive_mutex> g(g_m);
    auto it = Dialogs().find(h);
    return it == Dialogs().end() ? nullptr : it->second;
}

// ---- the script of actions ----

struct Action {
    std::string verb;
    int id = 0;
    long value = -1;
};

std::deque<Action>& Script() {
    static auto* s = [] {
        auto* d = new std::deque<Action>;
        return d;
    }();
    return *s;
}
bool g_scriptLoaded = false;
std::string g_logPath;
bool g_logLoaded = false;

void LoadScript(const char* text) {
    Script().clear();
    if (!text) return;
    std::string all = text;
    for (char& c : all)
        if (c == ';' || c == '\r') c = '\n';
    std::istringstream in(all);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        Action a;
        if (!(words >> a.verb)) continue;
        words >> a.id;
        if (!(words >> a.value)) a.value = -1;
        Script().push_back(a);
    }
}

void EnsureScript() {
    std::lock_guard<std::recursive_mutex> g(g_m);
    if (g_scriptLoaded) return;
    g_scriptLoaded = true;
    LoadScript(std::getenv("WYN_DIALOG_SCRIPT"));
}

const std::string& LogPath() {
    std::lock_guard<std::recursive_mutex> g(g_m);
    if (!g_logLoaded) {
        g_logLoaded = true;
        if (const char* p = std::getenv("WYN_DIALOG_LOG")) g_logPath = p;
    }
    return g_logPath;
}

// ---- drawing ----

HFONT DialogFont(const Dialog& d) {
    return d.font ? d.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void FillColor(HDC dc, const RECT& r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

void Frame(HDC dc, RECT r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    FrameRect(dc, &r, b);
    DeleteObject(b);
}

void Text(HDC dc, const std::string& s, RECT r, UINT format, bool enabled) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT));
    DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &r, format);
}

void PaintItem(HWND h, HDC dc, const Item& it) {
    RECT r;
    GetClientRect(h, &r);
    char title[512] = {};
    GetWindowTextA(h, title, sizeof title);
    std::string text = title;
    bool enabled = IsWindowEnabled(h) != FALSE;
    bool focused = GetFocus() == h;
    COLORREF face = GetSysColor(COLOR_BTNFACE), dark = GetSysColor(COLOR_BTNSHADOW),
             white = RGB(255, 255, 255);
    FillColor(dc, r, face);
    int boxSize = std::min<int>(13, r.bottom - r.top);
    int midY = (r.bottom - r.top - boxSize) / 2;
    switch (it.kind) {
        case Kind::Button: {
            FillColor(dc, r, it.pressed ? dark : face);
            Frame(dc, r, RGB(0, 0, 0));
            if (it.isDefault) {
                RECT in{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
                Frame(dc, in, RGB(0, 0, 0));
            }
            Text(dc, text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, enabled);
            break;
        }
        case Kind::Check:
        case Kind::Radio: {
            RECT box{0, midY, boxSize, midY + boxSize};
            FillColor(dc, box, white);
            Frame(dc, box, dark);
            if (it.check == BST_CHECKED) {
                RECT mark{box.left + 3, box.top + 3, box.right - 3, box.bottom - 3};
                FillColor(dc, mark, RGB(0, 0, 0));
            }
            RECT tr{boxSize + 4, r.top, r.right, r.bottom};
            Text(dc, text, tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE, enabled);
            break;
        }
        case Kind::GroupBox: {
            RECT fr{r.left, r.top + 6, r.right, r.bottom};
            Frame(dc, fr, dark);
            RECT tr{r.left + 8, r.top, r.right, r.top + 14};
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, face);
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &tr,
                      DT_LEFT | DT_TOP | DT_SINGLELINE);
            break;
        }
        case Kind::LText:
            Text(dc, text, r, DT_LEFT | DT_TOP | DT_WORDBREAK, enabled);
            break;
        case Kind::CText:
            Text(dc, text, r, DT_CENTER | DT_TOP | DT_WORDBREAK, enabled);
            break;
        case Kind::RText:
            Text(dc, text, r, DT_RIGHT | DT_TOP | DT_WORDBREAK, enabled);
            break;
        case Kind::Combo: {
            FillColor(dc, r, white);
            Frame(dc, r, dark);
            int bw = r.bottom - r.top;
            RECT arrow{r.right - bw, r.top, r.right, r.bottom};
            FillColor(dc, arrow, face);
            Frame(dc, arrow, dark);
            RECT tri{arrow.left + bw / 4, arrow.top + bw / 3, arrow.right - bw / 4,
                     arrow.bottom - bw / 3};
            FillColor(dc, tri, RGB(0, 0, 0));
            if (it.sel >= 0 && it.sel < static_cast<int>(it.rows.size())) {
                RECT tr{r.left + 3, r.top, r.right - bw, r.bottom};
                Text(dc, it.rows[it.sel].first, tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE, enabled);
            }
            break;
        }
        case Kind::Trackbar: {
            int mid = (r.bottom - r.top) / 2;
            RECT channel{r.left + 6, mid - 2, r.right - 6, mid + 2};
            FillColor(dc, channel, white);
            Frame(dc, channel, dark);
            int span = std::max(1, it.tbMax - it.tbMin);
            int w = channel.right - channel.left;
            int x = channel.left +
                    static_cast<int>(static_cast<long long>(it.tbPos - it.tbMin) * w / span);
            RECT thumb{x - 4, r.top + 2, x + 5, r.bottom - 2};
            FillColor(dc, thumb, face);
            Frame(dc, thumb, RGB(0, 0, 0));
            break;
        }
    }
    if (focused && it.kind != Kind::GroupBox) {
        RECT fr{r.left, r.top, r.right, r.bottom};
        Frame(dc, fr, RGB(0, 0, 128));
    }
}

// ---- control behaviour ----

void Notify(HWND item, int code) {
    auto it = ItemOf(item);
    HWND dlg = GetParent(item);
    if (!it || !dlg) return;
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(it->id, code), reinterpret_cast<LPARAM>(item));
}

void Repaint(HWND h) { InvalidateRect(h, nullptr, TRUE); }

// The radio buttons of the group that holds `item`, in template order.
std::vector<HWND> RadioGroup(HWND item) {
    std::vector<HWND> out;
    auto d = DialogOf(GetParent(item));
    if (!d) return out;
    size_t at = std::find(d->items.begin(), d->items.end(), item) - d->items.begin();
    if (at >= d->items.size()) return out;
    size_t first = at;
    while (first > 0) {
        auto it = ItemOf(d->items[first]);
        if (it && it->group) break;
        --first;
    }
    for (size_t i = first; i < d->items.size(); ++i) {
        auto it = ItemOf(d->items[i]);
        if (!it) continue;
        if (i > first && it->group) break;
        if (it->kind == Kind::Radio) out.push_back(d->items[i]);
    }
    return out;
}

void SetCheck(HWND h, int state) {
    auto it = ItemOf(h);
    if (!it || it->check == state) return;
    it->check = state;
    Repaint(h);
}

// What a click does to a control, as the user's click does it.
void Click(HWND h) {
    auto it = ItemOf(h);
    if (!it || !IsWindowEnabled(h)) return;
    switch (it->kind) {
        case Kind::Check:
            SetCheck(h, it->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
            break;
        case Kind::Radio:
            for (HWND r : RadioGroup(h)) SetCheck(r, r == h ? BST_CHECKED : BST_UNCHECKED);
            break;
        case Kind::Button:
            break;
        default:
            return;
    }
    Notify(h, BN_CLICKED);
}

void Select(HWND h, int row) {
    auto it = ItemOf(h);
    if (!it || it->kind != Kind::Combo || !IsWindowEnabled(h)) return;
    if (row < 0 || row >= static_cast<int>(it->rows.size()) || row == it->sel) return;
    it->sel = row;
    Repaint(h);
    Notify(h, CBN_SELCHANGE);
}

void Track(HWND h, int pos, bool ending) {
    auto it = ItemOf(h);
    if (!it || it->kind != Kind::Trackbar || !IsWindowEnabled(h)) return;
    pos = std::clamp(pos, it->tbMin, it->tbMax);
    it->tbPos = pos;
    Repaint(h);
    HWND dlg = GetParent(h);
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, pos), reinterpret_cast<LPARAM>(h));
    if (ending)
        SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(h));
}

int TrackPosAt(HWND h, const Item& it, int x) {
    RECT r;
    GetClientRect(h, &r);
    int w = std::max(1, static_cast<int>(r.right - r.left) - 12);
    return it.tbMin +
           static_cast<int>(static_cast<long long>(x - 6) * (it.tbMax - it.tbMin) * 2 + w) /
               (2 * w);
}

LRESULT ItemMessage(HWND h, Item& it, UINT m, WPARAM w, LPARAM l) {
    switch (m) {
        case BM_GETCHECK:
            return it.check;
        case BM_SETCHECK:
            if (it.kind == Kind::Check || it.kind == Kind::Radio)
                SetCheck(h, static_cast<int>(w) == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED);
            return 0;
        case BM_GETSTATE:
            return it.check | (it.pressed ? 4 : 0);
        case BM_CLICK:
            Click(h);
            return 0;
        case CB_ADDSTRING:
        case CB_INSERTSTRING: {
            if (it.kind != Kind::Combo || !l) return CB_ERR;
            int at = m == CB_ADDSTRING || static_cast<int>(w) < 0 ? static_cast<int>(it.rows.size())
                                                                  : static_cast<int>(w);
            if (at > static_cast<int>(it.rows.size())) return CB_ERR;
            it.rows.insert(it.rows.begin() + at, {reinterpret_cast<LPCSTR>(l), 0});
            if (it.sel >= at) ++it.sel;
            Repaint(h);
            return at;
        }
        case CB_DELETESTRING: {
            int at = static_cast<int>(w);
            if (it.kind != Kind::Combo || at < 0 || at >= static_cast<int>(it.rows.size()))
                return CB_ERR;
            it.rows.erase(it.rows.begin() + at);
            if (it.sel == at)
                it.sel = -1;
            else if (it.sel > at)
                --it.sel;
            Repaint(h);
            return static_cast<LRESULT>(it.rows.size());
        }
        case CB_RESETCONTENT:
            it.rows.clear();
            it.sel = -1;
            Repaint(h);
            return 0;
        case CB_GETCOUNT:
            return it.kind == Kind::Combo ? static_cast<LRESULT>(it.rows.size()) : CB_ERR;
        case CB_GETCURSEL:
            return it.kind == Kind::Combo ? it.sel : CB_ERR;
        case CB_SETCURSEL: {
            int at = static_cast<int>(w);
            if (it.kind != Kind::Combo) return CB_ERR;
            it.sel = at >= 0 && at < static_cast<int>(it.rows.size()) ? at : -1;
            Repaint(h);
            return it.sel;  // -1 (CB_ERR) for a row that is not there, and the selection is cleared
        }
        case CB_GETLBTEXTLEN:
        case CB_GETLBTEXT: {
            int at = static_cast<int>(w);
            if (it.kind != Kind::Combo || at < 0 || at >= static_cast<int>(it.rows.size()))
                return CB_ERR;
            const std::string& s = it.rows[at].first;
            if (m == CB_GETLBTEXT && l)
                std::memcpy(reinterpret_cast<char*>(l), s.c_str(), s.size() + 1);
            return static_cast<LRESULT>(s.size());
        }
        case CB_GETITEMDATA:
        case CB_SETITEMDATA: {
            int at = static_cast<int>(w);
            if (it.kind != Kind::Combo || at < 0 || at >= static_cast<int>(it.rows.size()))
                return CB_ERR;
            if (m == CB_GETITEMDATA) return it.rows[at].second;
            it.rows[at].second = l;
            return TRUE;
        }
        case CB_SHOWDROPDOWN:
            return TRUE;
        case TBM_GETPOS:
            return it.tbPos;
        case TBM_GETRANGEMIN:
            return it.tbMin;
        case TBM_GETRANGEMAX:
            return it.tbMax;
        case TBM_SETPOS:
            it.tbPos = std::clamp(static_cast<int>(l), it.tbMin, std::max(it.tbMin, it.tbMax));
            if (w) Repaint(h);
            return 0;
        case TBM_SETRANGE:
            it.tbMin = static_cast<short>(LOWORD(l));
            it.tbMax = static_cast<short>(HIWORD(l));
            it.tbPos = std::clamp(it.tbPos, it.tbMin, std::max(it.tbMin, it.tbMax));
            if (w) Repaint(h);
            return 0;
        case TBM_SETRANGEMIN:
            it.tbMin = static_cast<int>(l);
            if (w) Repaint(h);
            return 0;
        case TBM_SETRANGEMAX:
            it.tbMax = static_cast<int>(l);
            if (w) Repaint(h);
            return 0;
        case TBM_SETTICFREQ:
            it.tbFreq = std::max(1, static_cast<int>(w));
            return 0;
        case TBM_SETPAGESIZE:
        case TBM_SETLINESIZE:
            return 0;
        default:
            return -2;  // not a control message
    }
}

void MoveFocus(HWND dlg, HWND from, int step);
void DialogKey(HWND dlg, WPARAM vk);

LRESULT CALLBACK ItemProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto it = ItemOf(h);
    if (!it) return DefWindowProcA(h, m, w, l);
    LRESULT r = ItemMessage(h, *it, m, w, l);
    if (r != -2) return r;
    switch (m) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            auto d = DialogOf(GetParent(h));
            HGDIOBJ old = SelectObject(dc, d ? DialogFont(*d) : GetStockObject(DEFAULT_GUI_FONT));
            PaintItem(h, dc, *it);
            SelectObject(dc, old);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SETTEXT: {
            LRESULT done = DefWindowProcA(h, m, w, l);
            Repaint(h);
            return done;
        }
        case WM_ENABLE:
            Repaint(h);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Repaint(h);
            return 0;
        case WM_LBUTTONDOWN:
            if (!IsWindowEnabled(h)) return 0;
            if (it->kind != Kind::GroupBox && it->kind != Kind::LText && it->kind != Kind::CText &&
                it->kind != Kind::RText)
                SetFocus(h);
            if (it->kind == Kind::Button) {
                it->pressed = true;
                SetCapture(h);
                Repaint(h);
            } else if (it->kind == Kind::Trackbar) {
                SetCapture(h);
                Track(h, TrackPosAt(h, *it, GET_X_LPARAM(l)), false);
            } else if (it->kind == Kind::Combo) {
                // The list drops as a step to the next row (wrapping): no pop-up list here.
                int n = static_cast<int>(it->rows.size());
                if (n) Select(h, (it->sel + 1) % n);
            } else {
                Click(h);
            }
            return 0;
        case WM_MOUSEMOVE:
            if (it->kind == Kind::Trackbar && (w & MK_LBUTTON) && GetCapture() == h)
                Track(h, TrackPosAt(h, *it, GET_X_LPARAM(l)), false);
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == h) ReleaseCapture();
            if (it->kind == Kind::Button && it->pressed) {
                it->pressed = false;
                Repaint(h);
                RECT r;
                GetClientRect(h, &r);
                POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
                if (PtInRect(&r, p)) Click(h);
            } else if (it->kind == Kind::Trackbar) {
                SendMessageA(GetParent(h), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                             reinterpret_cast<LPARAM>(h));
            }
            return 0;
        case WM_KEYDOWN: {
            HWND dlg = GetParent(h);
            if (w == VK_SPACE &&
                (it->kind == Kind::Button || it->kind == Kind::Check || it->kind == Kind::Radio)) {
                Click(h);
                return 0;
            }
            if ((w == VK_LEFT || w == VK_RIGHT || w == VK_UP || w == VK_DOWN) &&
                it->kind == Kind::Combo) {
                Select(h, it->sel + ((w == VK_LEFT || w == VK_UP) ? -1 : 1));
                return 0;
            }
            if ((w == VK_LEFT || w == VK_RIGHT || w == VK_UP || w == VK_DOWN) &&
                it->kind == Kind::Trackbar) {
                Track(h, it->tbPos + ((w == VK_LEFT || w == VK_UP) ? -1 : 1), true);
                return 0;
            }
            DialogKey(dlg, w);
            return 0;
        }
        case WM_NCDESTROY: {
            std::lock_guard<std::recursive_mutex> g(g_m);
            Items().erase(h);
            return 0;
        }
        default:
            return DefWindowProcA(h, m, w, l);
    }
}

HWND DefaultButton(const Dialog& d) {
    for (HWND h : d.items)
        if (auto it = ItemOf(h); it && it->kind == Kind::Button && it->isDefault) return h;
    return nullptr;
}

bool Focusable(HWND h) {
    auto it = ItemOf(h);
    return it && IsWindowEnabled(h) && it->kind != Kind::GroupBox && it->kind != Kind::LText &&
           it->kind != Kind::CText && it->kind != Kind::RText;
}

void MoveFocus(HWND dlg, HWND from, int step) {
    auto d = DialogOf(dlg);
    if (!d || d->items.empty()) return;
    int n = static_cast<int>(d->items.size());
    int at = static_cast<int>(std::find(d->items.begin(), d->items.end(), from) - d->items.begin());
    if (at >= n) at = step > 0 ? -1 : n;
    for (int i = 1; i <= n; ++i) {
        HWND c = d->items[((at + step * i) % n + n) % n];
        if (Focusable(c)) {
            SetFocus(c);
            return;
        }
    }
}

void DialogKey(HWND dlg, WPARAM vk) {
    auto d = DialogOf(dlg);
    if (!d) return;
    if (vk == VK_TAB) {
        MoveFocus(dlg, GetFocus(), (GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1);
    } else if (vk == VK_RETURN) {
        HWND f = GetFocus();
        auto it = ItemOf(f);
        HWND target = it && it->kind == Kind::Button ? f : DefaultButton(*d);
        if (target && IsWindowEnabled(target))
            Click(target);
        else if (!target)
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    } else if (vk == VK_ESCAPE) {
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else if (d->layerBox && (vk == VK_LEFT || vk == VK_UP || vk == VK_RIGHT || vk == VK_DOWN)) {
        MoveFocus(dlg, GetFocus(), vk == VK_LEFT || vk == VK_UP ? -1 : 1);
    } else if (d->layerBox && vk >= 'A' && vk <= 'Z') {
        // A message box's button answers to its first letter (Yes, No, Cancel, Retry...).
        for (HWND h : d->items) {
            auto it = ItemOf(h);
            char title[64] = {};
            GetWindowTextA(h, title, sizeof title);
            if (it && it->kind == Kind::Button && title[0] &&
                (title[0] & ~0x20) == static_cast<char>(vk)) {
                SetFocus(h);
                Click(h);
                return;
            }
        }
    }
}

LRESULT CALLBACK DialogWndProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto d = DialogOf(h);
    if (d && d->proc && m != WM_NCDESTROY) {
        INT_PTR handled = d->proc(h, m, w, l);
        if (m == WM_INITDIALOG) return handled;
        if (handled) return handled;
    }
    switch (m) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT r;
            GetClientRect(h, &r);
            FillColor(dc, r, GetSysColor(COLOR_BTNFACE));
            EndPaint(h, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_CLOSE:
            SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return 0;
        case WM_KEYDOWN:
            DialogKey(h, w);
            return 0;
        case WM_NCDESTROY: {
            std::lock_guard<std::recursive_mutex> g(g_m);
            Dialogs().erase(h);
            return 0;
        }
        default:
            return DefWindowProcA(h, m, w, l);
    }
}

void RegisterClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DialogWndProc;
        wc.lpszClassName = kDialogClass;
        RegisterClassA(&wc);
        wc.lpfnWndProc = ItemProc;
        wc.lpszClassName = kItemClass;
        RegisterClassA(&wc);
    });
}

// ---- the headless (or scripted) turn and the log ----

const char* KindName(Kind k) {
    switch (k) {
        case Kind::Button:
            return "button";
        case Kind::Radio:
            return "radio";
        case Kind::Check:
            return "check";
        case Kind::GroupBox:
            return "group";
        case Kind::LText:
        case Kind::CText:
        case Kind::RText:
            return "text";
        case Kind::Combo:
            return "combo";
        case Kind::Trackbar:
            return "trackbar";
    }
    return "?";
}

void LogState(const Dialog& d) {
    std::string out = "dialog \"" + wynplat::ToUtf8Text(d.name.c_str(), 932) + "\" ended " +
                      std::to_string(d.result) + "\n";
    for (HWND h : d.items) {
        auto it = ItemOf(h);
        if (!it) continue;
        char title[512] = {};
        GetWindowTextA(h, title, sizeof title);
        out += "  " + std::to_string(it->id) + " " + KindName(it->kind);
        if (it->kind == Kind::Check || it->kind == Kind::Radio)
            out += it->check ? " checked" : " unchecked";
        if (it->kind == Kind::Combo) {
            out += " sel " + std::to_string(it->sel);
            if (it->sel >= 0)
                out +=
                    " \"" + wynplat::ToUtf8Text(it->rows[it->sel].first.c_str(), d.codePage) + "\"";
        }
        if (it->kind == Kind::Trackbar) out += " pos " + std::to_string(it->tbPos);
        if (!IsWindowEnabled(h)) out += " disabled";
        if (it->kind != Kind::Combo && it->kind != Kind::Trackbar)
            out += " \"" + wynplat::ToUtf8Text(title, d.codePage) + "\"";
        out += "\n";
    }
    const std::string& path = LogPath();
    if (!path.empty()) {
        if (FILE* f = std::fopen(path.c_str(), "ab")) {
            std::fwrite(out.data(), 1, out.size(), f);
            std::fclose(f);
        }
    }
    if (wynplat::DisplayIsHeadless()) std::fwrite(out.data(), 1, out.size(), stderr);
}

// Applies actions until the dialog ends or an "end" closes its turn. Returns true when a
// script was there for this dialog.
bool RunScript(Dialog& d) {
    EnsureScript();
    bool any = false;
    while (!d.ended) {
        Action a;
        {
            std::lock_guard<std::recursive_mutex> g(g_m);
            if (Script().empty()) break;
            a = Script().front();
            Script().pop_front();
        }
        any = true;
        if (a.verb == "end") break;
        HWND item = GetDlgItem(d.hwnd, a.id);
        auto it = ItemOf(item);
        if (!it) {
            std::fprintf(stderr, "winplat: dialog script: no control %d (%s)\n", a.id,
                         a.verb.c_str());
            continue;
        }
        if (a.verb == "click") {
            Click(item);
        } else if (a.verb == "check") {
            int want = a.value == 0 ? BST_UNCHECKED : BST_CHECKED;
            if (it->kind == Kind::Radio ? want == BST_CHECKED && it->check != want
                                        : it->check != want)
                Click(item);
        } else if (a.verb == "select") {
            Select(item, static_cast<int>(a.value));
        } else if (a.verb == "track") {
            Track(item, static_cast<int>(a.value), true);
        } else {
            std::fprintf(stderr, "winplat: dialog script: unknown action \"%s\"\n", a.verb.c_str());
        }
    }
    return any;
}

}  // namespace
}  // namespace wyn::dlg

using namespace wyn::dlg;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc,
                               LPARAM param) {
    wyn::res::Found found;
    if (!wyn::res::Find(instance, RT_DIALOG, templateName, &found)) return -1;
    DialogDef def;
    std::string error;
    std::string name = IS_INTRESOURCE(templateName)
                           ? "#" + std::to_string(reinterpret_cast<uintptr_t>(templateName))
                           : std::string(templateName);
    if (!ParseTemplate(static_cast<const char*>(found.data), found.size, &def, &error)) {
        std::fprintf(stderr, "winplat: dialog template \"%s\": %s\n", name.c_str(), error.c_str());
        SetLastError(ERROR_INVALID_DATA);
        return -1;
    }
    // A template's texts are in the code page of the module that registered it.
    return wyn::dlg::RunDialog(instance, def, name, owner, proc, param,
                               wynplat::CodePageOfAddress(found.data));
}

INT_PTR wyn::dlg::RunDialog(HINSTANCE instance, const DialogDef& def, const std::string& name,
                            HWND owner, DLGPROC proc, LPARAM param, int codePage, bool layerBox) {
    RegisterClasses();
    auto d = std::make_shared<Dialog>();
    d->codePage = codePage == 950 ? 950 : 932;
    d->proc = proc;
    d->name = name;
    d->layerBox = layerBox;
    // The system font at the template's size; dialog units follow from its metrics.
    int px = MulDiv(def.points, 96, 72);
    d->font = CreateFontA(-px, 0, 0, 0, FW_NORMAL, 0, 0, 0,
                          d->codePage == 950 ? CHINESEBIG5_CHARSET : SHIFTJIS_CHARSET, 0, 0, 0, 0,
                          def.face.empty() ? "MS UI Gothic" : def.face.c_str());
    int baseX = std::max(1, px / 2), baseY = std::max(1, px + px / 4);
    if (HDC dc = GetDC(nullptr)) {
        HGDIOBJ old = SelectObject(dc, d->font);
        TEXTMETRICA tm{};
        if (GetTextMetricsA(dc, &tm) && tm.tmAveCharWidth > 0 && tm.tmHeight > 0) {
            baseX = tm.tmAveCharWidth;
            baseY = tm.tmHeight;
        }
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
    }
    auto dx = [&](int u) { return MulDiv(u, baseX, 4); };
    auto dy = [&](int u) { return MulDiv(u, baseY, 8); };
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    RECT rc{0, 0, dx(def.cx), dy(def.cy)};
    AdjustWindowRectEx(&rc, style, FALSE, WS_EX_DLGMODALFRAME);
    POINT at{dx(def.x), dy(def.y)};
    if (owner && IsWindow(owner)) ClientToScreen(owner, &at);
    HWND ownerTop = owner && IsWindow(owner) ? wynplat::TopLevelOf(owner) : nullptr;
    if (def.centered) {
        RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (ownerTop) GetWindowRect(ownerTop, &around);
        at.x = std::max<LONG>(0, (around.left + around.right - (rc.right - rc.left)) / 2);
        at.y = std::max<LONG>(0, (around.top + around.bottom - (rc.bottom - rc.top)) / 2);
    }
    HWND h = CreateWindowExA(WS_EX_DLGMODALFRAME, kDialogClass, def.caption.c_str(), style, at.x,
                             at.y, rc.right - rc.left, rc.bottom - rc.top, ownerTop, nullptr,
                             instance, nullptr);
    if (!h) {
        DeleteObject(d->font);
        return -1;
    }
    d->hwnd = h;
    {
        std::lock_guard<std::recursive_mutex> g(g_m);
        Dialogs()[h] = d;
    }
    for (const ControlDef& c : def.controls) {
        DWORD cs =
            WS_CHILD | WS_VISIBLE | (c.disabled ? WS_DISABLED : 0) | (c.group ? WS_GROUP : 0);
        int cy = c.kind == Kind::Combo ? std::min(c.cy, 14)
                                       : c.cy;  // the closed box; the rest is its list
        HWND ch = CreateWindowExA(0, kItemClass, c.text.c_str(), cs, dx(c.x), dy(c.y), dx(c.cx),
                                  dy(cy), h, reinterpret_cast<HMENU>(static_cast<intptr_t>(c.id)),
                                  instance, nullptr);
        if (!ch) continue;
        auto it = std::make_shared<Item>();
        it->kind = c.kind;
        it->id = c.id;
        it->group = c.group;
        it->isDefault = c.isDefault;
        it->check = c.checked ? BST_CHECKED : BST_UNCHECKED;
        std::lock_guard<std::recursive_mutex> g(g_m);
        Items()[ch] = it;
        d->items.push_back(ch);
    }
    bool ownerWasEnabled = ownerTop && IsWindowEnabled(ownerTop);
    if (ownerWasEnabled) EnableWindow(ownerTop, FALSE);
    HWND firstFocus = nullptr;
    for (HWND c : d->items)
        if (Focusable(c)) {
            firstFocus = c;
            break;
        }
    if (SendMessageA(h, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstFocus), param) && firstFocus &&
        !d->ended)
        SetFocus(firstFocus);
    if (!d->ended) {
        // Showing activates the dialog, which takes the focus: it goes back to the control
        // that had it, so that the keys work on that control (a message box's default button).
        HWND focused = GetFocus();
        ShowWindow(h, SW_SHOWNORMAL);
        if (focused && GetParent(focused) == h && GetFocus() != focused) SetFocus(focused);
        UpdateWindow(h);
    }
    if (!layerBox) RunScript(*d);
    if (!d->ended && wynplat::DisplayIsHeadless()) {
        // Nobody can answer a headless dialog: it is cancelled as the Escape key would.
        SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        if (!d->ended) EndDialog(h, IDCANCEL);
    }
    MSG msg;
    while (!d->ended && IsWindow(h)) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the caller's loop
            break;
        }
        bool input = (msg.message >= WM_KEYDOWN && msg.message <= WM_CHAR) ||
                     (msg.message >= WM_LBUTTONDOWN && msg.message <= WM_MBUTTONDBLCLK);
        if (input && ownerTop && msg.hwnd && wynplat::TopLevelOf(msg.hwnd) == ownerTop)
            continue;  // the owner is disabled while the dialog runs
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (!layerBox) LogState(*d);
    INT_PTR result = d->ended ? d->result : IDCANCEL;
    if (ownerWasEnabled) EnableWindow(ownerTop, TRUE);
    HFONT font = d->font;
    if (IsWindow(h)) DestroyWindow(h);
    DeleteObject(font);
    if (ownerTop && IsWindow(ownerTop)) SetForegroundWindow(ownerTop);
    return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    auto d = DialogOf(dialog);
    if (!d) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    d->ended = true;
    d->result = result;
    // The modal loop looks at `ended` when a message arrives.
    PostMessageA(dialog, WM_NULL, 0, 0);
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    auto w = wynplat::FindWindowRecord(dialog);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::vector<HWND> kids;
    {
        std::lock_guard<std::recursive_mutex> lk(wynplat::WindowLock());
        kids = w->children;
    }
    for (HWND k : kids)
        if (auto c = wynplat::FindWindowRecord(k); c && static_cast<int>(c->id) == id) return k;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hwnd) {
    auto w = wynplat::FindWindowRecord(hwnd);
    return w ? static_cast<int>(w->id) : 0;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
    HWND item = GetDlgItem(dialog, id);
    return item ? SendMessageA(item, message, wParam, lParam) : 0;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    HWND item = GetDlgItem(dialog, id);
    return item ? static_cast<BOOL>(
                      SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)))
                : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int cap) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) {
        if (text && cap > 0) text[0] = 0;
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(item, text, cap));
}

BOOL WINAPI SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    char buf[16];
    std::snprintf(buf, sizeof buf, isSigned ? "%d" : "%u",
                  isSigned ? static_cast<int>(value) : value);
    return SetDlgItemTextA(dialog, id, buf);
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) return FALSE;
    SendMessageA(item, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item ? static_cast<UINT>(SendMessageA(item, BM_GETCHECK, 0, 0)) : 0;
}

BOOL WINAPI CheckRadioButton(HWND dialog, int first, int last, int check) {
    if (!wynplat::FindWindowRecord(dialog)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    for (int id = first; id <= last && last - first < 65536; ++id)
        if (HWND item = GetDlgItem(dialog, id))
            SendMessageA(item, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc) {
    if (!icc || icc->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
    RegisterClasses();
    return TRUE;
}

void WINAPI InitCommonControls(void) { RegisterClasses(); }

void WynPlat_SetDialogScript(const char* script) {
    std::lock_guard<std::recursive_mutex> g(g_m);
    g_scriptLoaded = true;
    LoadScript(script);
}

void WynPlat_SetDialogLog(const char* path) {
    std::lock_guard<std::recursive_mutex> g(g_m);
    g_logLoaded = true;
    g_logPath = path ? path : "";
}
