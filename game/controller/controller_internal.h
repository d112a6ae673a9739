// The controller interface's own state shared between its modules; other subsystems use
// controller.h.
#pragma once

#include <array>
#include <cstdint>

#include "controller/controller.h"
#include "simulation/simulation.h"
#include "world/world.h"
#include "zem40.h"

// The ten command icon sets, by file word: item code = set x 256 + icon number.
constexpr int kIconSets = 10;
enum IconSet {
    SET_ETC,
    SET_APP,
    SET_ARW,
    SET_SPT,
    SET_TXI,
    SET_SID,
    SET_TRS,
    SET_DRW,
    SET_STR,
    SET_LOC
};

// The pictures the command menu and the panel draw with, loaded by MakeCommandCells.
struct CommandCells {
    tagCELL icons[kIconSets];  // port\<airport>\etc\<word>_icon.umz
    tagCELL font;              // etc\font2.umz, the overlay font
    tagCELL command;           // "コマンド用Cell作成", 640 x 200
    tagCELL overlap;           // the panel's cell, 800 x 200 (none in software mode)
};
CommandCells& GetCommandCells();

// A route preview slot: the 48 words of its file, and the layer its chips were captured in.
struct PreviewSlot {
    uint32_t words[kPreviewWords];
    tagKRNL* layer;
    int32_t chips;
};
constexpr int kPreviewSlots = 3;

// The command menu's state: two columns of twelve items, the order the items were added in (item
// k is sprite 90 + k), the selected first-level item (item code + 1), whether it shows, the
// route-preview mode and slots, and the aircraft whose menu it is.
constexpr int kMenuColumns = 2;
constexpr int kMenuColumnSlots = 12;
constexpr int kMenuSprite = 90;      // + k for item k
constexpr int kMenuLastSprite = 99;  // sprite numbers end here
constexpr int kMenuBigIcon = 89;
constexpr int kMenuY = 154;
struct CommandMenu {
    MenuItem column[kMenuColumns][kMenuColumnSlots];
    int32_t columncount[kMenuColumns];
    int32_t order[kMenuColumns * kMenuColumnSlots];  // slot index (column x 12 + slot) of item k
    int32_t count;
    int32_t selected;  // item code + 1 of the first-level item, 0 none
    int32_t shown;
    int32_t preview;  // 0, 0x100 arrival, 0x200 departure, 0x400 both, 0x401-0x403 a taxi route
    int32_t aircraft;
    PreviewSlot slots[kPreviewSlots];
};
CommandMenu& GetCommandMenu();

// Route previews: the words of a ".rtd" file read into a slot (a missing file makes it empty),
// and the segments they give, point to point. `run` is 0 before the first pair whose groups
// differ and 1 after it (where the drawing changes colour).
struct PreviewSegment {
    TablePoint from, to;
    int32_t run;
};
constexpr int kPreviewSegments = kPreviewWords - 1;
// Segments of consecutive word pairs of equal group: a word with high half 0x8000, or a point
// index outside the `points` read, ends the list; at most the 47 pairs of the 48 words.
int PreviewSegments(const uint32_t* words, const PointTable& points, PreviewSegment* out, int max);
// The 3D chips of a preview slot's words (slot 0-2 gives the colour), one a segment, width 12,
// at height y: their number (at most 47).
int PreviewChips(const uint32_t* words, const PointTable& points, int slot, double y,
                 tagKRNCHIP* chips);

// The menu's own steps that command application and the panel call: a route entry of list
// `group` as an item (column flags: low nibble the column, 0x10 loads its route preview; 0 when
// refused), a second level, and a text on the panel's caption line.
int AddRouteMenuItem(int group, int aircraft, int index, int columnflags);
void OpenSecondLevel(int aircraft, int code);
void DrawPanelLine(const char* text);

// The flight information panel's lines of an aircraft, at these y in its cell: who, flight,
// type, from or to, time, position in charge, what it does.
constexpr int kPanelLines = 7;
constexpr int kPanelLineBytes = 128;
constexpr int kPanelLineY[kPanelLines] = {0, 16, 32, 48, 152, 168, 184};
void FlightInfoLines(int slot, char (*lines)[kPanelLineBytes]);

// ---- the radar's view ----
// rsize 1 small, 2 large; rwidth and rheight 200 or 400; the range (1 wide, 0 near); scale;
// centre; the clip rectangle.
struct RadarView {
    int32_t size, width, height, wide;
    double scale;
    int32_t cx, cy;
    RECT clip;
};
const RadarView& GetRadarView();
// The view of a size (0 small, 1 large) and range (1 wide, 0 near).
RadarView MakeRadarView(int large, int wide);
HWND GetRadarWindow();
HZEMSCREEN GetRadarScreen();
// The screen point of a world point (x, z): rounded to the nearest, halves to even.
POINT RadarScreenPoint(const RadarView& v, double x, double z);
// Inside when left < sx < right - 4 and top < sy < bottom - 4.
bool RadarInside(const RadarView& v, int sx, int sy);
// The near range's map panel by the route-preview mode: 2 for 0x100 and 0x401, 3 for 0x402, 4
// for 0x403, else 1.
int RadarPanelOfPreview(int mode);
// DrawRadarRoute's lines on a screen: white, 0x7fe0 after the first change of group.
void DrawRadarRouteOn(HZEMSCREEN s, const RadarView& v, const uint32_t* words,
                      const PointTable& points);
