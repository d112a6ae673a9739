// USER32: message boxes, formatted strings and rectangles (windows, messages and input are
// added beside these by the window layer).
#pragma once

#include <cstdarg>

#include "wintypes.h"

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
