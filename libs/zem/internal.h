// State and helpers shared by the library's source files (not part of the public header).
#pragma once

#include "draw.h"
#include "zem40.h"

// Both builds show the caption the system has always shown.
#define ZEM_CAPTION "ZEM33.DLL"

namespace zem {

// The colour table: ZEMPIXEL to RGB. One serves every screen; each screen holds a reference,
// so ending one screen never pulls the table from under another and the last one out frees it.
struct Tables {
    RgbTable rgb;
};
Tables* AcquireTables();
void ReleaseTables();
Tables* CurrentTables();  // NULL while no screen exists

// The depth of the next screen made without a parent (set by each top-level ZEM_Start). Each
// screen keeps its own depth in its record; this is only the default for new ones.
extern int g_depth;

// Screens made by this library and not yet ended: ZEM_Start's first argument is a parent
// screen only when it is one of these.
bool IsLiveScreen(const void* p);
void AddLiveScreen(tagZEMSCREEN* scr);
void RemoveLiveScreen(tagZEMSCREEN* scr);

// Messages, each in Japanese and English, chosen by the country code (81 Japanese), which is
// read once per process.
enum class Msg { Depth, ScreenMemory, SubScreen, Zoom, FullScreen, Memory };
bool Japanese();
const char* MessageText(Msg m);
int ShowMessage(HWND owner, Msg m, UINT type);

// The screen's pixels as a drawing target, clipped to its clip rectangle.
Target TargetOf(const tagZEMSCREEN* scr);
// After a drawing operation: refresh the rectangle at once with auto refresh on, else record
// it while recording, else nothing.
void Changed(tagZEMSCREEN* scr, const RECT& r);
// Makes a screen of the given depth (the body of ZEM_CreateScreen).
tagZEMSCREEN* CreateScreenAt(HWND hwnd, int width, int height, int depth);

// The text rules shared by screens and cells: draws `text` into `rc` of `dc` in `colour`.
// Returns false when the font can't be made.
bool DrawTextRule(HDC dc, const RECT& rc, const char* face, int height, int width, const char* text,
                  COLORREF colour, int flags);

}  // namespace zem
