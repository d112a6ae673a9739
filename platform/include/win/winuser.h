// USER32: message boxes, formatted strings, rectangles, window classes and windows, the
// message queue and the input state.
#pragma once

#include <cstdarg>

#include "wintypes.h"

// ---- errors of the window manager (GetLastError) ----
#define ERROR_INVALID_WINDOW_HANDLE 1400
#define ERROR_TLW_WITH_WSCHILD 1406
#define ERROR_CANNOT_FIND_WND_CLASS 1407
#define ERROR_CLASS_ALREADY_EXISTS 1410
#define ERROR_INVALID_INDEX 1413
#define ERROR_INVALID_THREAD_ID 1444

// ---- message boxes ----
#define MB_OK 0x00000000
#define MB_OKCANCEL 0x00000001
#define MB_ABORTRETRYIGNORE 0x00000002
#define MB_YESNOCANCEL 0x00000003
#define MB_YESNO 0x00000004
#define MB_RETRYCANCEL 0x00000005
#define MB_TYPEMASK 0x0000000F
#define MB_ICONHAND 0x00000010
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020
#define MB_ICONEXCLAMATION 0x00000030
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0
#define MB_DEFBUTTON1 0x00000000
#define MB_DEFBUTTON2 0x00000100
#define MB_DEFBUTTON3 0x00000200
#define MB_APPLMODAL 0x00000000
#define MB_SYSTEMMODAL 0x00001000
#define MB_TASKMODAL 0x00002000
#define MB_SETFOREGROUND 0x00010000
#define MB_TOPMOST 0x00040000
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
WINBASEAPI int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
WINBASEAPI BOOL WINAPI MessageBeep(UINT type);
#define MessageBox MessageBoxA

// ---- formatted strings (at most 1024 characters, like the system's) ----
WINBASEAPI int WINAPI wsprintfA(LPSTR buf, LPCSTR format, ...);
WINBASEAPI int WINAPI wvsprintfA(LPSTR buf, LPCSTR format, va_list args);
#define wsprintf wsprintfA
#define wvsprintf wvsprintfA

// ---- rectangles ----
WINBASEAPI BOOL WINAPI SetRect(LPRECT r, int left, int top, int right, int bottom);
WINBASEAPI BOOL WINAPI SetRectEmpty(LPRECT r);
WINBASEAPI BOOL WINAPI CopyRect(LPRECT dst, const RECT* src);
WINBASEAPI BOOL WINAPI IsRectEmpty(const RECT* r);
WINBASEAPI BOOL WINAPI EqualRect(const RECT* a, const RECT* b);
WINBASEAPI BOOL WINAPI IntersectRect(LPRECT dst, const RECT* a, const RECT* b);
WINBASEAPI BOOL WINAPI UnionRect(LPRECT dst, const RECT* a, const RECT* b);
WINBASEAPI BOOL WINAPI SubtractRect(LPRECT dst, const RECT* a, const RECT* b);
WINBASEAPI BOOL WINAPI OffsetRect(LPRECT r, int dx, int dy);
WINBASEAPI BOOL WINAPI InflateRect(LPRECT r, int dx, int dy);
WINBASEAPI BOOL WINAPI PtInRect(const RECT* r, POINT p);

// ---- windows, messages and input ----
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
typedef BOOL(CALLBACK* WNDENUMPROC)(HWND, LPARAM);

typedef struct tagWNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
} WNDCLASSA, *PWNDCLASSA, *LPWNDCLASSA;
typedef WNDCLASSA WNDCLASS;

typedef struct tagWNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
} WNDCLASSEXA, *PWNDCLASSEXA, *LPWNDCLASSEXA;
typedef WNDCLASSEXA WNDCLASSEX;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *PMSG, *LPMSG;

typedef struct tagCREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
} CREATESTRUCTA, *LPCREATESTRUCTA;
typedef CREATESTRUCTA CREATESTRUCT;
typedef LPCREATESTRUCTA LPCREATESTRUCT;

typedef struct tagWINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
} WINDOWPOS, *LPWINDOWPOS, *PWINDOWPOS;

typedef struct tagPAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
} PAINTSTRUCT, *PPAINTSTRUCT, *LPPAINTSTRUCT;

// window styles
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_MINIMIZE 0x20000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_MAXIMIZE 0x01000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_ICONIC WS_MINIMIZE
#define WS_SIZEBOX WS_THICKFRAME
#define WS_CHILDWINDOW WS_CHILD
#define WS_OVERLAPPEDWINDOW \
    (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)
#define WS_EX_DLGMODALFRAME 0x00000001L
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_TOOLWINDOW 0x00000080L
#define WS_EX_WINDOWEDGE 0x00000100L
#define WS_EX_CLIENTEDGE 0x00000200L
#define WS_EX_APPWINDOW 0x00040000L

// class styles
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_OWNDC 0x0020
#define CS_CLASSDC 0x0040
#define CS_PARENTDC 0x0080
#define CS_NOCLOSE 0x0200
#define CS_SAVEBITS 0x0800
#define CS_BYTEALIGNCLIENT 0x1000
#define CS_BYTEALIGNWINDOW 0x2000
#define CS_GLOBALCLASS 0x4000

#define CW_USEDEFAULT ((int)0x80000000)
#define HWND_DESKTOP ((HWND)0)
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)
#define HWND_BROADCAST ((HWND)0xffff)

// ShowWindow
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

// SetWindowPos
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_FRAMECHANGED 0x0020
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#define SWP_NOCOPYBITS 0x0100
#define SWP_NOOWNERZORDER 0x0200
#define SWP_NOSENDCHANGING 0x0400

// Get/SetWindowLong
#define GWL_WNDPROC (-4)
#define GWL_HINSTANCE (-6)
#define GWL_HWNDPARENT (-8)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_USERDATA (-21)
#define GWL_ID (-12)
#define GWLP_WNDPROC GWL_WNDPROC
#define GWLP_HINSTANCE GWL_HINSTANCE
#define GWLP_HWNDPARENT GWL_HWNDPARENT
#define GWLP_USERDATA GWL_USERDATA
#define GWLP_ID GWL_ID

// messages
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUERYENDSESSION 0x0011
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_ACTIVATEAPP 0x001C
#define WM_SETCURSOR 0x0020
#define WM_MOUSEACTIVATE 0x0021
#define WM_GETMINMAXINFO 0x0024
#define WM_WINDOWPOSCHANGING 0x0046
#define WM_WINDOWPOSCHANGED 0x0047
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_NCHITTEST 0x0084
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_KEYFIRST 0x0100
#define WM_KEYLAST 0x0108
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_MBUTTONDBLCLK 0x0209
#define WM_MOUSEWHEEL 0x020A
#define WM_MOUSEFIRST 0x0200
#define WM_MOUSELAST 0x020A
#define WM_USER 0x0400
#define WM_APP 0x8000

// WM_ACTIVATE
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2
// WM_SIZE
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2
// mouse key state in wParam
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010
#define WHEEL_DELTA 120
#define GET_WHEEL_DELTA_WPARAM(w) ((short)HIWORD(w))
#define GET_X_LPARAM(l) ((int)(short)LOWORD(l))
#define GET_Y_LPARAM(l) ((int)(short)HIWORD(l))
// WM_SETCURSOR hit codes
#define HTERROR (-2)
#define HTTRANSPARENT (-1)
#define HTNOWHERE 0
#define HTCLIENT 1
#define HTCAPTION 2
// WM_SYSCOMMAND
#define SC_CLOSE 0xF060
#define SC_MINIMIZE 0xF020
#define SC_RESTORE 0xF120

// PeekMessage
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

// virtual keys
#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_CANCEL 0x03
#define VK_MBUTTON 0x04
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_CLEAR 0x0C
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SELECT 0x29
#define VK_PRINT 0x2A
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_HELP 0x2F
#define VK_NUMPAD0 0x60
#define VK_NUMPAD1 0x61
#define VK_NUMPAD2 0x62
#define VK_NUMPAD3 0x63
#define VK_NUMPAD4 0x64
#define VK_NUMPAD5 0x65
#define VK_NUMPAD6 0x66
#define VK_NUMPAD7 0x67
#define VK_NUMPAD8 0x68
#define VK_NUMPAD9 0x69
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SEPARATOR 0x6C
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_NUMLOCK 0x90
#define VK_SCROLL 0x91
#define VK_LSHIFT 0xA0
#define VK_RSHIFT 0xA1
#define VK_LCONTROL 0xA2
#define VK_RCONTROL 0xA3
#define VK_LMENU 0xA4
#define VK_RMENU 0xA5
#define VK_OEM_1 0xBA
#define VK_OEM_PLUS 0xBB
#define VK_OEM_COMMA 0xBC
#define VK_OEM_MINUS 0xBD
#define VK_OEM_PERIOD 0xBE
#define VK_OEM_2 0xBF
#define VK_OEM_3 0xC0
#define VK_OEM_4 0xDB
#define VK_OEM_5 0xDC
#define VK_OEM_6 0xDD
#define VK_OEM_7 0xDE

// system metrics
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CYCAPTION 4
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CXDLGFRAME 7
#define SM_CYDLGFRAME 8
#define SM_CXFIXEDFRAME SM_CXDLGFRAME
#define SM_CYFIXEDFRAME SM_CYDLGFRAME
#define SM_CXICON 11
#define SM_CYICON 12
#define SM_CXCURSOR 13
#define SM_CYCURSOR 14
#define SM_CYMENU 15
#define SM_CXFULLSCREEN 16
#define SM_CYFULLSCREEN 17
#define SM_MOUSEPRESENT 19
#define SM_CXMIN 28
#define SM_CYMIN 29
#define SM_CXFRAME 32
#define SM_CYFRAME 33
#define SM_CXSIZEFRAME SM_CXFRAME
#define SM_CYSIZEFRAME SM_CYFRAME
#define SM_CXDOUBLECLK 36
#define SM_CYDOUBLECLK 37
#define SM_CMOUSEBUTTONS 43
#define SM_CXMAXIMIZED 61
#define SM_CYMAXIMIZED 62
#define SM_MOUSEWHEELPRESENT 75

// stock cursors and icons
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_HAND MAKEINTRESOURCEA(32649)
#define IDC_APPSTARTING MAKEINTRESOURCEA(32650)
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)

// DrawText
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800

// system colours (GetSysColor); a class brush may be one of them as (HBRUSH)(COLOR_x + 1)
#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DFACE COLOR_BTNFACE
// The colour of system colour `index`; 0 for an index the system does not have.
WINBASEAPI DWORD WINAPI GetSysColor(int index);
// A brush of that colour, owned by the system (DeleteObject leaves it); null for an unknown index.
WINBASEAPI HBRUSH WINAPI GetSysColorBrush(int index);

// window classes and windows
WINBASEAPI ATOM WINAPI RegisterClassA(const WNDCLASSA* wc);
WINBASEAPI ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc);
WINBASEAPI BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance);
WINBASEAPI HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style,
                                       int x, int y, int width, int height, HWND parent, HMENU menu,
                                       HINSTANCE instance, LPVOID param);
#define CreateWindowA(c, t, s, x, y, w, h, p, m, i, a) \
    CreateWindowExA(0, c, t, s, x, y, w, h, p, m, i, a)
WINBASEAPI BOOL WINAPI DestroyWindow(HWND hwnd);
WINBASEAPI BOOL WINAPI ShowWindow(HWND hwnd, int cmd);
WINBASEAPI BOOL WINAPI UpdateWindow(HWND hwnd);
WINBASEAPI BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
WINBASEAPI BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect);
WINBASEAPI BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase);
WINBASEAPI BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
WINBASEAPI BOOL WINAPI SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                                    UINT flags);
WINBASEAPI BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect);
WINBASEAPI BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect);
WINBASEAPI BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu);
WINBASEAPI BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
WINBASEAPI BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text);
WINBASEAPI int WINAPI GetWindowTextA(HWND hwnd, LPSTR buf, int cap);
WINBASEAPI int WINAPI GetWindowTextLengthA(HWND hwnd);
WINBASEAPI LONG WINAPI GetWindowLongA(HWND hwnd, int index);
WINBASEAPI LONG WINAPI SetWindowLongA(HWND hwnd, int index, LONG value);
WINBASEAPI LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index);
WINBASEAPI LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);
WINBASEAPI HWND WINAPI SetParent(HWND child, HWND parent);
WINBASEAPI HWND WINAPI GetParent(HWND hwnd);
WINBASEAPI BOOL WINAPI IsWindow(HWND hwnd);
WINBASEAPI BOOL WINAPI IsWindowVisible(HWND hwnd);
// Enables or disables mouse and keyboard input to a window; returns whether it was disabled.
WINBASEAPI BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable);
WINBASEAPI BOOL WINAPI IsWindowEnabled(HWND hwnd);
WINBASEAPI BOOL WINAPI IsIconic(HWND hwnd);
WINBASEAPI BOOL WINAPI IsZoomed(HWND hwnd);
WINBASEAPI BOOL WINAPI OpenIcon(HWND hwnd);
WINBASEAPI BOOL WINAPI BringWindowToTop(HWND hwnd);
WINBASEAPI BOOL WINAPI SetForegroundWindow(HWND hwnd);
WINBASEAPI HWND WINAPI GetForegroundWindow(void);
WINBASEAPI HWND WINAPI GetActiveWindow(void);
WINBASEAPI HWND WINAPI SetActiveWindow(HWND hwnd);
WINBASEAPI HWND WINAPI SetFocus(HWND hwnd);
WINBASEAPI HWND WINAPI GetFocus(void);
WINBASEAPI HWND WINAPI SetCapture(HWND hwnd);
WINBASEAPI BOOL WINAPI ReleaseCapture(void);
WINBASEAPI HWND WINAPI GetCapture(void);
WINBASEAPI HWND WINAPI GetDesktopWindow(void);
WINBASEAPI int WINAPI GetSystemMetrics(int index);
WINBASEAPI BOOL WINAPI EnumWindows(WNDENUMPROC proc, LPARAM param);
WINBASEAPI BOOL WINAPI EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM param);
WINBASEAPI DWORD WINAPI GetWindowThreadProcessId(HWND hwnd, LPDWORD processId);
// Top-level windows of every program of the set (class names compared without case).
WINBASEAPI HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName);
#define FindWindow FindWindowA

// messages
WINBASEAPI BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last);
WINBASEAPI BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove);
WINBASEAPI BOOL WINAPI TranslateMessage(const MSG* msg);
WINBASEAPI LRESULT WINAPI DispatchMessageA(const MSG* msg);
WINBASEAPI BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
WINBASEAPI BOOL WINAPI PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam,
                                          LPARAM lParam);
WINBASEAPI LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
WINBASEAPI void WINAPI PostQuitMessage(int code);
WINBASEAPI LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
WINBASEAPI LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam,
                                          LPARAM lParam);
WINBASEAPI BOOL WINAPI WaitMessage(void);
WINBASEAPI DWORD WINAPI GetMessageTime(void);
WINBASEAPI UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc);
WINBASEAPI BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id);
WINBASEAPI HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps);
WINBASEAPI BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps);

#define GetMessage GetMessageA
#define PeekMessage PeekMessageA
#define DispatchMessage DispatchMessageA
#define PostMessage PostMessageA
#define PostThreadMessage PostThreadMessageA
#define SendMessage SendMessageA
#define DefWindowProc DefWindowProcA
#define CallWindowProc CallWindowProcA
#define RegisterClass RegisterClassA
#define RegisterClassEx RegisterClassExA
#define UnregisterClass UnregisterClassA
#define CreateWindowEx CreateWindowExA
#define CreateWindow CreateWindowA
#define SetWindowText SetWindowTextA
#define GetWindowText GetWindowTextA
#define GetWindowLong GetWindowLongA
#define SetWindowLong SetWindowLongA
#define GetWindowLongPtr GetWindowLongPtrA
#define SetWindowLongPtr SetWindowLongPtrA

// input state
WINBASEAPI SHORT WINAPI GetKeyState(int vk);
WINBASEAPI SHORT WINAPI GetAsyncKeyState(int vk);
WINBASEAPI BOOL WINAPI GetKeyboardState(PBYTE state);
WINBASEAPI BOOL WINAPI GetCursorPos(LPPOINT p);
WINBASEAPI BOOL WINAPI SetCursorPos(int x, int y);
WINBASEAPI BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT p);
WINBASEAPI BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT p);
WINBASEAPI BOOL WINAPI ClipCursor(const RECT* rect);
WINBASEAPI BOOL WINAPI GetClipCursor(LPRECT rect);
WINBASEAPI int WINAPI ShowCursor(BOOL show);
WINBASEAPI HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);
WINBASEAPI HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
WINBASEAPI HCURSOR WINAPI SetCursor(HCURSOR cursor);
WINBASEAPI HCURSOR WINAPI GetCursor(void);
// Icons and cursors LoadImageA read from files (LR_LOADFROMFILE) are destroyed by their owner;
// stock and resource ones are not (FALSE).
typedef struct _ICONINFO {
    BOOL fIcon;
    DWORD xHotspot;
    DWORD yHotspot;
    HBITMAP hbmMask;
    HBITMAP hbmColor;
} ICONINFO, *PICONINFO;
WINBASEAPI BOOL WINAPI DestroyIcon(HICON icon);
WINBASEAPI BOOL WINAPI DestroyCursor(HCURSOR cursor);
// A file icon's or cursor's picture: a 32-bit colour bitmap and a 1-bit mask (set where it is
// clear), both the caller's to delete.
WINBASEAPI BOOL WINAPI GetIconInfo(HICON icon, PICONINFO info);
// The class's icon and cursor (GCLP_HICON, GCLP_HCURSOR) of a window's class.
#define GCLP_HCURSOR (-12)
#define GCLP_HICON (-14)
#define GCL_HCURSOR GCLP_HCURSOR
#define GCL_HICON GCLP_HICON
WINBASEAPI ULONG_PTR WINAPI GetClassLongPtrA(HWND hwnd, int index);
WINBASEAPI ULONG_PTR WINAPI SetClassLongPtrA(HWND hwnd, int index, LONG_PTR value);
#define LoadCursor LoadCursorA
#define LoadIcon LoadIconA
