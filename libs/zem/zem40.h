// zem40: the 2D display library. Screens bound to windows (16-, 24- or 32-bit off-screen
// pictures with sub screens, refresh modes, zoom and full screen), drawing of 16-bit cells
// with colour key, half transparency, mirroring, tint and blend, cell operations, sprites,
// timing, integer trigonometry, mouse mapping, memory and a debug channel.
//
// Results are integers: 1 (or a handle) for success, 0 for failure, unless a contract says
// otherwise. Failures the user must see are shown in a message box captioned with the
// library's name. Use the library from the thread that owns the windows.
//
// The older build zem33 is the same sources built with ZEM_BUILD_ZEM33; where it differs the
// contract says so.
#pragma once

#include <windows.h>

#include "umb33.h"  // tagCELL, ZEMPIXEL

#define ZEMAPI extern "C" __attribute__((visibility("default")))

#define ZEM_MAXSUBSCREEN 19  // sub screens per screen, slots 1-19
#define ZEM_MAXSPRITE 100    // sprite slots per screen, numbers 0-99
#define ZEM_MAXLASTRECT 200  // rectangles kept from the last sprite refresh

// ZEM_Start flag word of a top screen.
#define ZEM_START_DEBUG 0x80000000u    // ZEM_DebugPrintf sends to the monitor
#define ZEM_START_DEPTH 0x40000000u    // the depth comes from bits 24-27
#define ZEM_START_DEPTH16 0x41000000u  // ... 16 bits per pixel
#define ZEM_START_DEPTH24 0x42000000u  // ... 24 bits per pixel
#define ZEM_START_DEPTH32 0x43000000u  // ... 32 bits per pixel
#ifdef ZEM_BUILD_ZEM33
// The older build names the depth in the flag word's low byte instead: 15 (5-5-5), 16 (5-6-5:
// red bits 11-15, green 5-10, blue 0-4; cells stay ZEMPIXELs and are converted as they are
// drawn), 24 or 32; other values take the display's. Bits 28-29 are accepted and mean
// nothing. Such a word is never taken for a parent (a parent is a live screen).
#define ZEM33_START_DEPTH(bits) (ZEM_START_DEPTH | (bits))
#endif

// Flags of the display operations (ZEM_DisplayScreen, ZEM_DisplayScreen2, sprite key words):
// the low 16 bits are the colour key unless ZEM_NOKEY is set.
#define ZEM_MIRROR 0x10000000u  // left to right
#define ZEM_FLIP 0x20000000u    // top to bottom
#define ZEM_NOKEY 0x80000000u

// ZEM_CopyCell flags beside the key (a negative flag word copies without key).
#define ZEM_COPY_AND 0x01000000
#define ZEM_COPY_OR 0x02000000
#define ZEM_COPY_XOR 0x04000000

// Text flags (ZEM_SetFontScreen, ZEM_SetFontCell): bits 0-3 extra character spacing.
#define ZEM_TEXT_BOLD 0x10  // drawn twice, one pixel apart
#define ZEM_TEXT_ITALIC 0x20
#define ZEM_TEXT_UNDERLINE 0x40
#define ZEM_TEXT_STRIKEOUT 0x80
#define ZEM_TEXT_CENTER 0x000  // flags & 0xF00: 0 centred, 0x001-0x100 left,
#define ZEM_TEXT_LEFT 0x100    // 0x101-0x200 right, 0x300 left (justified layout)
#define ZEM_TEXT_RIGHT 0x200

// One of a screen's 100 sprite slots; zero when unused.
typedef struct tagZEMSPRITE {
    tagCELL* cell;      // the cell drawn; NULL: slot unused
    LONG x, y;          // screen position of the frame (the cell's offsets already added)
    LONG z;             // depth: 0 hidden; lower drawn first
    LONG xsize, ysize;  // frame width and height
    LONG pattern;       // frame: column = pattern % 100, row = pattern / 100
    DWORD flags;        // key word for ZEM_DisplayScreen
    RECT src;           // the frame within the cell
} tagZEMSPRITE;

// A screen. Callers hold it as a handle; the game's sprite composition reads and writes the
// zoom, clip, sprite and last-refresh fields in place, so this layout is part of the API.
typedef struct tagZEMSCREEN {
    struct tagZEMSCREEN* parent;                     // NULL for a top screen
    struct tagZEMSCREEN* sub[ZEM_MAXSUBSCREEN + 1];  // slots 1-19 (slot 0 unused)
    HWND hwnd;          // window shown in; NULL for the screen of a bitmap cell
    LONG width;         // pixels per row, a multiple of 4
    LONG height;        // rows
    LONG sx, sy;        // top-left corner of the part shown
    LONG dw, dh;        // size of the part shown
    LONG dx, dy;        // where the shown part lands in the window's client area
    HDC hdc;            // memory DC holding the DIB section
    HBITMAP hbmp;       // the DIB section: top-down rows of the screen's depth
    HGDIOBJ oldbmp;     // the DC's bitmap before the DIB section was selected
    void* bits;         // first row of the DIB section
    LONG depth;         // bits per pixel: 16, 24 or 32 (zem33: 15 = 5-5-5, 16 = 5-6-5, 24, 32)
    LONG mask;          // auto refresh: 1 each draw reaches the window at once, 0 not
    LONG recordcount;   // -1 not recording, else rectangles gathered
    RECT record;        // union of the gathered rectangles
    RECT clip;          // drawing is limited to it
    LONG debug;         // nonzero: ZEM_DebugPrintf sends to the monitor
    LONG zoomx, zoomy;  // percent
    RECT desktop;       // saved by ZEM_FullScreen
    RECT winrect;       // saved by ZEM_FullScreen
    RECT spritearea;    // where sprites are shown
    RECT background;    // where the clean background of the sprite area lies
    LONG drawncount;    // sprites drawn in the last sprite refresh
    LONG drawn[ZEM_MAXSPRITE];      // their numbers, in drawing order
    RECT drawnrect[ZEM_MAXSPRITE];  // and their rectangles
    LONG lastcount;                 // rectangles refreshed in the last sprite refresh
    RECT lastrect[ZEM_MAXLASTRECT];
    tagZEMSPRITE sprite[ZEM_MAXSPRITE];
} tagZEMSCREEN;

typedef tagZEMSCREEN* HZEMSCREEN;

// ---- screens ----

// Makes a screen. `flags` is a parent screen when it is a live screen of this library (a sub
// screen is made and linked into the parent's highest free slot; with none free the
// sub-screen box is shown and 0 returned); otherwise the flag word of a top screen
// (ZEM_START_*; without ZEM_START_DEPTH the display's depth, at least 16). The screen is
// `sw` x `sh` pixels (rows padded to a multiple of 4), cleared to 0, showing `w` x `h` at the
// window's corner. A sub screen has its parent's depth. Returns the screen or 0 (box shown).
ZEMAPI HZEMSCREEN ZEM_Start(UINT_PTR flags, HWND hwnd, int w, int h, int sw, int sh);
// Ends a screen: restores the display if full screen is on, ends its sub screens, unlinks it
// from its parent, frees it. Returns 1, or 0 for a screen this library does not know.
ZEMAPI int ZEM_End(HZEMSCREEN scr);
// A bare screen record with its DIB section at the library's current depth (no sub-screen
// handling), or 0 after the memory box. ZEM_Start uses it.
ZEMAPI HZEMSCREEN ZEM_CreateScreen(HWND hwnd, int width, int height);
// Frees a record made by ZEM_CreateScreen. Returns 1 (0 for NULL).
ZEMAPI int ZEM_DeleteScreen(HZEMSCREEN scr);
// Sets the auto-refresh word; returns its previous value.
ZEMAPI int ZEM_MaskFlag(HZEMSCREEN scr, int value);
// Sets the zoom in percent and refreshes the whole screen. Returns 0; values of 0 or less
// change nothing. Shows the zoom box when the device cannot stretch.
ZEMAPI int ZEM_SetZoom(HZEMSCREEN scr, int xper, int yper);
// Reads the zoom (either pointer may be NULL). Returns 1.
ZEMAPI int ZEM_GetZoom(HZEMSCREEN scr, int* xper, int* yper);
// Both negative: 1 when the display could change to -w x -h (nothing changes). Both
// positive: switches the display to w x h and puts the window over it (1, or 0 after the
// full-screen box). Both 0: restores the desktop and the windows (1). Otherwise 0.
ZEMAPI int ZEM_FullScreen(HZEMSCREEN scr, int w, int h);
// The clip rectangle becomes `rc` cut to the screen, or the whole screen for NULL. Returns 1.
ZEMAPI int ZEM_ClipScreen(HZEMSCREEN scr, const RECT* rc);
// Starts recording: auto refresh off, record count 0, recorded rectangle empty. Returns 1.
ZEMAPI int ZEM_ClearClipping(HZEMSCREEN scr);
// Adds `rc` to the recorded rectangle and counts it. Returns 1 (0 for NULL).
ZEMAPI int ZEM_RecordClipping(HZEMSCREEN scr, const RECT* rc);
// Auto refresh on; refreshes the union of the recorded rectangles once, if any; stops
// recording. Returns 1.
ZEMAPI int ZEM_RefreshClipping(HZEMSCREEN scr);
// Sets where (dx, dy) and what (dw x dh from sx, sy) is shown; refreshes everything when auto
// refresh is on. Returns 1.
ZEMAPI int ZEM_AdjustScreen(HZEMSCREEN scr, int dx, int dy, int dw, int dh, int sx, int sy);
// Copies `rc` (screen coordinates; NULL = all shown) to the window through `hdc` (0: the
// window's own DC), stretched by the zoom. Returns 1 (0 without a window).
ZEMAPI int ZEM_RefreshScreen(HZEMSCREEN scr, HDC hdc, const RECT* rc);
// Shows `rc` at window position x, y for one refresh. 0 for NULL or with auto refresh off.
ZEMAPI int ZEM_ViewScreen(HZEMSCREEN scr, int x, int y, const RECT* rc);
// Fills `rc` (NULL = all) cut to the clip rectangle with the colour of `pixel`. 1, or 0 when
// nothing is left.
ZEMAPI int ZEM_ClearScreen(HZEMSCREEN scr, const RECT* rc, ZEMPIXEL pixel);
// Draws `src` (NULL = whole cell) of `cell` at x, y, clipped to the clip rectangle. `flags`:
// ZEM_MIRROR, ZEM_FLIP, ZEM_NOKEY, else the key in the low 16 bits (compared with bits 0-14
// of each pixel). Returns 1 when anything was drawn.
ZEMAPI int ZEM_DisplayScreen(HZEMSCREEN scr, int x, int y, const tagCELL* cell, const RECT* src,
                             DWORD flags);
// As ZEM_DisplayScreen with `level`: 16 plain, 0-15 pulled towards the tint pixel (0 = all
// tint), negative nothing drawn (still 1 and the rectangle refreshed). Levels above 16 are
// taken as 16.
ZEMAPI int ZEM_DisplayScreen2(HZEMSCREEN scr, int x, int y, const tagCELL* cell, const RECT* src,
                              DWORD flags, int level, ZEMPIXEL tint);
// Copies `rc` (cut to the screen) to x, y of the same screen (cut to the clip). 0 for NULL.
ZEMAPI int ZEM_MoveScreen(HZEMSCREEN scr, int x, int y, const RECT* rc);
// Blends `rc` onto x, y of the same screen at `level`/16 of the source (16 copies, negative
// nothing; above 16 taken as 16). 1 when anything was blended, 0 for NULL. At two bytes a
// pixel equal pairs stay as they are (zem33: they are blended too, and lose a little).
ZEMAPI int ZEM_BlendScreen(HZEMSCREEN scr, int x, int y, const RECT* rc, int level);
// Copies `rc` of another screen to x, y (no clipping). Returns 1.
ZEMAPI int ZEM_BuiltScreen(HZEMSCREEN scr, int x, int y, HZEMSCREEN from, const RECT* rc);
// The screen's memory DC, for the caller's own GDI drawing.
ZEMAPI HDC ZEM_GetDC(HZEMSCREEN scr);
// Draws `text` (or, when the pointer value is at most 0xFFFF, one character code) into `rc`
// with face `face` (NULL: the language's default), the character height and width, the
// colour of `pixel` and the text flags. 1, or 0 for a NULL rectangle or no font.
ZEMAPI int ZEM_SetFontScreen(HZEMSCREEN scr, const RECT* rc, const char* face, int height,
                             int width, const char* text, ZEMPIXEL pixel, int flags);
// Draws a line inside the clip rectangle (zem33: anywhere on the screen) and refreshes its
// bounding rectangle. Returns 1.
ZEMAPI int ZEM_LineScreen(HZEMSCREEN scr, int x1, int y1, int x2, int y2, ZEMPIXEL pixel);

// ---- cells ----

// An empty cell of w x h pixels (the picture-file library's). 1 or 0.
ZEMAPI int ZEM_CreateCell(tagCELL* cell, int w, int h);
#ifndef ZEM_BUILD_ZEM33
// A cell whose pixels are a 16-bit screen without window, so that GDI can draw into it
// through ZEM_GetDC((HZEMSCREEN)cell->user). `xsize` is the width padded to a multiple of 4,
// so rows match the screen's. Other screens keep their depth. 1 or 0.
ZEMAPI int ZEM_CreateBmpCell(tagCELL* cell, int w, int h);
#endif
// Frees the cell's pixels (or ends its screen) and clears the record. Returns 1.
ZEMAPI int ZEM_DeleteCell(tagCELL* cell);
// Combines `src` (NULL = whole cell) of `from` into `cell` at x, y. Flags: negative copy
// without key, ZEM_COPY_AND/OR/XOR, else a keyed copy with the key in the low 16 bits
// (compared with all 16 bits). 1 when anything was combined.
ZEMAPI int ZEM_CopyCell(tagCELL* cell, int x, int y, const tagCELL* from, const RECT* src,
                        int flags);
// Fills `rc` (NULL = all) cut to the cell with `value`. 1, or 0 when nothing is left.
ZEMAPI int ZEM_ClearCell(tagCELL* cell, const RECT* rc, ZEMPIXEL value);
// Within `rc` cut to the cell, every pixel equal to `oldv` becomes `newv`. 1 or 0.
ZEMAPI int ZEM_ChangePixelCell(tagCELL* cell, const RECT* rc, ZEMPIXEL newv, ZEMPIXEL oldv);
// 1 when x, y lies inside the cell.
ZEMAPI int ZEM_CheckPixelCell(const tagCELL* cell, int x, int y);
// The pixel at x, y; the caller has checked the bounds.
ZEMAPI ZEMPIXEL ZEM_GetPixel(const tagCELL* cell, int x, int y);
// The pixel at x, y, or 0 outside the cell.
ZEMAPI ZEMPIXEL ZEM_GetPixelCell(const tagCELL* cell, int x, int y);
// Writes the pixel; 0 (nothing written) outside the cell, else 1.
ZEMAPI int ZEM_SetPixelCell(tagCELL* cell, int x, int y, ZEMPIXEL value);
// Draws a text (rules of ZEM_SetFontScreen) into `rc` (NULL = all) cut to the cell: only
// `pixel` is written, where the glyphs are. 1, or 0 when nothing is left or no work bitmap.
ZEMAPI int ZEM_SetFontCell(tagCELL* cell, const RECT* rc, const char* face, int height, int width,
                           const char* text, ZEMPIXEL pixel, int flags);
// Flood fill of the 4-connected region of the pixel at x, y with `value`; `out` (may be NULL)
// gets the bounding rectangle of what was filled. 0 outside the cell, else 1.
ZEMAPI int ZEM_PaintCell(tagCELL* cell, int x, int y, ZEMPIXEL value, RECT* out);
// Draws a line of `value`; points outside the cell are skipped. Returns 1.
ZEMAPI int ZEM_LineCell(tagCELL* cell, int x1, int y1, int x2, int y2, ZEMPIXEL value);
// Copies the disc of radius r around (sx, sy), turned by `angle` degrees, to the disc around
// (dx, dy) of the same cell; r shrinks until both discs fit. 1, or 0 when no radius fits.
ZEMAPI int ZEM_RollCell(tagCELL* cell, int dx, int dy, int sx, int sy, int r, int angle);
// Scales `src` of the cell into `dst` of the same cell by box averaging; keyed pixels (the
// cell's mask) win a box when they are not fewer than the others. 1, or 0 for an empty or
// NULL rectangle.
ZEMAPI int ZEM_ZoomCell(tagCELL* cell, const RECT* dst, const RECT* src);

// ---- colours ----

// A ZEMPIXEL as a Windows colour 0x00BBGGRR (each channel c * 255 / 31).
ZEMAPI COLORREF ZEM_PixelToColor(ZEMPIXEL pixel);
// A Windows colour as a ZEMPIXEL (each channel * 31 / 255, bit 15 clear).
ZEMAPI ZEMPIXEL ZEM_ColorToPixel(COLORREF color);
// Each channel (a * (100 - per) + b * per) / 100 with `per` clamped to 0-100; bit 15 of a kept.
ZEMAPI ZEMPIXEL ZEM_MixPixel(ZEMPIXEL a, ZEMPIXEL b, int per);

// ---- sprites ----
// Sprites are drawn over the sprite area; its clean background lies in the background
// rectangle (same size) of the same screen. Sprites are numbered 0-99.

// Copies the old background back over the old area (when both were set), then takes the new
// rectangles (NULL: empty) and clears every slot and both lists. Returns 1.
ZEMAPI int ZEM_InitSprite(HZEMSCREEN scr, const RECT* area, const RECT* background);
// Replaces the rectangles given (NULL keeps one) and redraws the whole area. Returns 1.
ZEMAPI int ZEM_AdjustSprite(HZEMSCREEN scr, const RECT* area, const RECT* background);
// Binds `cell` to an unused slot: frame size `xsize` x `ysize` (0: the cell's xpos, ypos),
// key word the cell's mask, the first frame; position and z stay. 0 for a number outside
// 0-99, a used slot (the old sprite stays) or no cell; else 1.
ZEMAPI int ZEM_CreateSprite(HZEMSCREEN scr, int num, tagCELL* cell, int xsize, int ysize);
// Clears the slot. 0 for a number outside 0-99, else 1.
ZEMAPI int ZEM_DeleteSprite(HZEMSCREEN scr, int num);
// Sets what is not -1: position (the cell's offsets added), z (0 hidden; lower drawn first,
// equal z in slot order), pattern (frame column pattern % 100, row pattern / 100) and the
// key word's upper bits (ZEM_MIRROR, ZEM_FLIP, ZEM_NOKEY; the key stays). Nothing is drawn
// until a refresh. 0 for a number outside 0-99 or an unused slot, else 1.
ZEMAPI int ZEM_SetSprite(HZEMSCREEN scr, int num, int x, int y, int z, int pattern, int flags);
// The number of the topmost sprite drawn by the last refresh under x, y, or -1. With
// `pixeltest`, a point hits only where the sprite drew an opaque pixel (mirror and flip
// applied as drawn); keyed and half-transparent pixels, and frame parts past the cell, let it
// through to the sprites below.
ZEMAPI int ZEM_HitSprite(HZEMSCREEN scr, int x, int y, int pixeltest);
// Restores the background under the last refresh's rectangles, draws the visible sprites and
// copies the merged changed rectangles to the window, each pixel once. A zoomed screen takes
// ZEM_RefreshAllSprite. Leaves auto refresh on and the clip at the whole screen. Returns 1.
ZEMAPI int ZEM_RefreshSprite(HZEMSCREEN scr);
// Restores the whole area from the background, draws the visible sprites and copies the whole
// area to the window. Leaves auto refresh on and the clip at the whole screen. Returns 1.
ZEMAPI int ZEM_RefreshAllSprite(HZEMSCREEN scr);

// ---- services ----

// Sends a formatted text (at most 255 bytes, '%' takes one 32-bit argument) to the outside
// monitor when the screen's debug flag is set; waits for the monitor at most 1000 ms. Returns
// 1 when the monitor took it, else 0 (no monitor, flag off).
ZEMAPI int ZEM_DebugPrintf(HZEMSCREEN scr, const char* format, ...);
// A random integer from a to b inclusive (a when b < a).
ZEMAPI int ZEM_Random(int a, int b);
// Starts a wait of `ms` milliseconds on the process clock. Returns 1.
ZEMAPI int ZEM_WaitStart(int ms);
// 1 when the wait started by ZEM_WaitStart is over, else 0.
ZEMAPI int ZEM_WaitEnd(void);
// Waits `ms` milliseconds while dispatching the thread's messages. Returns 1.
ZEMAPI int ZEM_Wait(int ms);
// Dispatches every waiting message of the thread; returns 0 when the queue is empty.
ZEMAPI int ZEM_SystemTask(void);
// A zero-filled block of `bytes`, or NULL after Cancel in the Retry/Cancel memory box.
ZEMAPI void* ZEM_AllocMemory(DWORD bytes);
// Frees a block of ZEM_AllocMemory; nothing for other pointers. Returns 1, or 0 for those.
ZEMAPI int ZEM_FreeMemory(void* block);
// v clamped to [lo, hi].
ZEMAPI int ZEM_Range(int v, int lo, int hi);
// v wrapped into [lo, hi] (hi - lo added or taken away; v itself when lo >= hi).
ZEMAPI int ZEM_Limit(int v, int lo, int hi);
// The cursor in screen coordinates (through placement and zoom). 1 when it lies over the part
// of the window that shows the screen, else 0.
ZEMAPI int ZEM_GetMouse(HZEMSCREEN scr, int* x, int* y);
// Places the cursor over screen point x, y. Returns 1.
ZEMAPI int ZEM_SetMouse(HZEMSCREEN scr, int x, int y);
// Cosine and sine of `deg` degrees, times 10000, from the 46-entry table. Returns 1.
ZEMAPI int ZEM_GetTriangle(int deg, int* cosv, int* sinv);
// The point at `deg` degrees (0 up, clockwise) on the ellipse of radii rx, ry around cx, cy.
// Returns 1.
ZEMAPI int ZEM_GetArcPos(int cx, int cy, int rx, int ry, int deg, int* x, int* y);
// The angle 0-359 (0 up, clockwise) from (x1, y1) towards (x2, y2).
ZEMAPI int ZEM_GetAngle(int x1, int y1, int x2, int y2);
