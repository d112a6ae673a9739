// The radar window: a plan view of the airport in a window of its own, docked at the top right
// of the main window or floating, in a wide and a near range; one blip per aircraft with its
// heading line and callsign label, the selection and conflict markers and the route preview.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "controller/controller_internal.h"
#include "base/base.h"

namespace {

constexpr char kRadarClass[] = "WYN2_RADAR";
constexpr char kRadarTitle[] = "レーダーウインドウ";
constexpr ZEMPIXEL kWhite = 0x7fff;
constexpr ZEMPIXEL kRouteLater = 0x7fe0;
constexpr int kLabelGlyphs = 8;  // a label row is 8 glyphs wide
constexpr int kLabelRows = 20;

struct Radar {
    HWND hwnd;
    HZEMSCREEN screen;
    RadarView view;
    int32_t large;  // 1 when the window started floating
    LONG oldstyle;  // the style before it floated
    tagCELL picture;
    tagCELL font;
    tagCELL labels;
    int32_t loaded;
};
Radar g_radar = {};
// Where the conflict marker was last traced (slot, x, y), so that the trace shows each place once.
POINT g_conflictmark = {-1, -1};
int g_conflictslot = -1;
// The callsign each label row holds, "" cleared; kept whether or not the label cell exists.
char g_labeltext[kLabelRows][sizeof(AircraftRecord::callsign)] = {};

AircraftRecord* Aircraft(int slot) {
    AircraftTable* t = GetAircraftTable();
    return t && slot >= 0 && slot < kAircraftSlots ? &(*t)[size_t(slot)] : nullptr;
}

// The strip slot the aircraft holds and owns, or -1.
int OwnedStripSlot(int aircraft) {
    const AircraftRecord* a = Aircraft(aircraft);
    if (!a || a->stripslot < 0 || a->stripslot >= kStripSlots) return -1;
    return GetStripSlots()[size_t(a->stripslot)] == aircraft ? a->stripslot : -1;
}

// To the nearest, halves to even; points far off the map are held to where they stay off it.
int Round(double v) {
    const double r = std::nearbyint(v);
    return r > 1e4 ? 10000 : r < -1e4 ? -10000 : int(r);
}

void SetRange(RadarView& v) {
    if (v.wide) {
        v.scale = 144.0;
        v.cx = 100 * v.size;
    } else {
        v.scale = 10.2;
        v.cx = Round(100.5 * v.size);
    }
    v.cy = 100 * v.size;
    v.clip = RECT{4 * v.size, 4 * v.size, v.width - 4 * v.size, v.height - 4 * v.size};
}

// Draws a region of the font picture (blips and markers) with its colour key.
void DrawGlyph(HZEMSCREEN s, int x, int y, int gx, int gy, int w, int h) {
    if (!g_radar.font.bits) return;
    const RECT r = {gx, gy, gx + w, gy + h};
    ZEM_DisplayScreen(s, x, y, &g_radar.font, &r, g_radar.font.mask);
}

void LoadRadarPicture(int large) {
    if (g_radar.loaded) CellFree(&g_radar.picture, "レーダー");
    g_radar.loaded = 0;
    char path[MAX_PATH];
    const char* word =
        GetConfig().radarmode ? (large ? "radargl" : "radarg") : (large ? "radar2l" : "radar2");
    std::snprintf(path, sizeof path, "%sport\\%s\\etc\\%s.umz", GetProgramFolder(),
                  GetAirportCode(), word);
    g_radar.loaded = LoadPictureCell(path, &g_radar.picture) ? 1 : 0;
}

// The ATC panel's picture beside the radar, on both halves of the main 2D screen.
void DrawAtcLine(const char* name) {
    HZEMSCREEN s = GetMainScreen();
    if (!s) return;
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s%s", GetProgramFolder(), name);
    tagCELL line = {};
    if (LoadPictureCell(path, &line)) {
        ZEM_DisplayScreen(s, 200, 0, &line, nullptr, 0x80000000);
        ZEM_DisplayScreen(s, 1000, 0, &line, nullptr, 0x80000000);
    }
    CellFree(&line, name);
    const RECT band = {0, 0, 800, 200};
    AddRefreshRect(&band);
}

void HeadingLine(HZEMSCREEN s, const RadarView& v, int sx, int sy, double heading, double speed) {
    tagKRN3D first, second, a, b, turn;
    KRN_Set3D(&a, 0, 0, 3, 0);
    KRN_Set3D(&b, 0, 0, 4 + speed, 0);
    KRN_Set3D(&turn, 0, -heading, 0, 0);
    KRN_Rotate3D(&first, &a, &turn);
    KRN_Rotate3D(&second, &b, &turn);
    const int x1 = sx + Round(first.x) + 1, y1 = sy + Round(first.z) + 1;
    const int x2 = sx + Round(second.x) + 1, y2 = sy + Round(second.z) + 1;
    if (RadarInside(v, x2, y2)) ZEM_LineScreen(s, x1, y1, x2, y2, kWhite);
}

}  // namespace

const RadarView& GetRadarView() { return g_radar.view; }

RadarView MakeRadarView(int large, int wide) {
    RadarView v{};
    v.size = large ? 2 : 1;
    v.width = v.height = large ? 400 : 200;
    v.wide = wide ? 1 : 0;
    SetRange(v);
    return v;
}
HWND GetRadarWindow() { return g_radar.hwnd; }
HZEMSCREEN GetRadarScreen() { return g_radar.screen; }

POINT RadarScreenPoint(const RadarView& v, double x, double z) {
    return POINT{Round(x / v.scale * v.size) + v.cx, v.cy - Round(z / v.scale * v.size)};
}

bool RadarInside(const RadarView& v, int sx, int sy) {
    return v.clip.left < sx && sx < v.clip.right - 4 && v.clip.top < sy && sy < v.clip.bottom - 4;
}

int RadarPanelOfPreview(int mode) {
    switch (mode) {
        case 0x100:
        case 0x401:
            return 2;
        case 0x402:
            return 3;
        case 0x403:
            return 4;
        default:
            return 1;
    }
}

void ResetRadarView() { SetRange(g_radar.view); }

int GetRadarRange() { return g_radar.view.wide; }

void SetRadarRange(int wide) {
    g_radar.view.wide = wide ? 1 : 0;
    ResetRadarView();
}

void SetRadarSize(int large) {
    LoadRadarPicture(large);
    RadarView& v = g_radar.view;
    v.size = large ? 2 : 1;
    v.width = v.height = large ? 400 : 200;
    ResetRadarView();
    SetAtcPanelWidth(large);
}

void ReloadRadarPicture() { LoadRadarPicture(g_radar.view.size == 2); }

void ToggleRadarRange() {
    const GameInput& in = GetGameInput();
    if (in.lbx != -1 || in.lby != -1) return;
    SetRadarRange(!g_radar.view.wide);
}

int DockRadarWindow(int mode) {
    const GameConfig& c = GetConfig();
    if (c.radarlarge == 0) mode = 1;
    HWND w = g_radar.hwnd;
    if (mode == 1) {
        if (c.radarlarge && w) {
            RECT r;
            if (GetWindowRect(w, &r)) GetConfig().layout.set[1].radar = POINT{r.left, r.top};
        }
        if (w) {
            SetWindowLongA(w, GWL_STYLE, LONG(WS_CHILD | WS_VISIBLE));
            SetParent(w, GetMainWindow());
        }
        DrawAtcLine("ETC\\ATC_LINE.UMZ");
        if (w) SetWindowPos(w, nullptr, 600, 0, 200, 200, SWP_NOZORDER);
        SetRadarSize(0);
    } else if (mode == 2 || mode == 3) {
        if (w) {
            g_radar.oldstyle = GetWindowLongA(w, GWL_STYLE);
            SetWindowLongA(w, GWL_STYLE, LONG(WS_VISIBLE | WS_CAPTION));
            SetParent(w, nullptr);
        }
        DrawAtcLine("ETC\\ATC_LINE2.UMZ");
        const POINT at = c.layout.set[1].radar;
        if (w)
            SetWindowPos(
                w, nullptr, at.x, at.y, 400 + 2 * GetSystemMetrics(SM_CXBORDER) + 4,
                400 + 2 * GetSystemMetrics(SM_CYBORDER) + 4 + GetSystemMetrics(SM_CYCAPTION),
                SWP_NOZORDER);
        SetRadarSize(1);
    }
    GameTrace("radar dock %d size %d", mode, g_radar.view.size);
    return 1;
}

LRESULT CALLBACK RadarWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    GameInput& in = GetGameInput();
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            if (g_radar.screen) ZEM_RefreshScreen(g_radar.screen, nullptr, nullptr);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_KEYDOWN:
            in.keycode = int32_t(wp);
            return 0;
        case WM_LBUTTONDOWN:
            in.lbx = in.lby = -1;
            in.lbutton = 3;
            return 0;
        case WM_LBUTTONUP:
            in.lbutton &= 1;
            return 0;
        case WM_MOUSEWHEEL:
            in.wheel = int16_t(HIWORD(wp));
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

void CreateRadarWindow() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // The class stays registered for the process: a later stage of the same run (the tests)
    // finds it there.
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.style = CS_BYTEALIGNWINDOW | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = RadarWndProc;
        wc.hInstance = instance;
        wc.hIcon = LoadIconA(instance, "TinyIcon");
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = kRadarClass;
        if (!RegisterClassA(&wc)) return;
        registered = true;
    }
    g_radar = Radar{};
    std::memset(g_labeltext, 0, sizeof g_labeltext);
    g_radar.hwnd = CreateWindowExA(0, kRadarClass, kRadarTitle, WS_POPUP | WS_VISIBLE, 0, 0, 0, 0,
                                   GetMainWindow(), nullptr, instance, nullptr);
    if (g_radar.hwnd) g_radar.screen = ZEM_Start(0x41000000, g_radar.hwnd, 400, 400, 400, 400);
    g_radar.loaded = 0;
    g_radar.view.wide = 1;
    if (GetConfig().winlayout == 0) {
        g_radar.large = 0;
        DockRadarWindow(1);
    } else {
        g_radar.large = 1;
        DockRadarWindow(2);
    }
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%setc\\radarf_2.umz", GetProgramFolder());
    LoadPictureCell(path, &g_radar.font);
    g_radar.view.wide = 1;
    if (g_radar.screen) ZEM_MaskFlag(g_radar.screen, 0);
    const int gw = g_radar.font.xpos > 0 ? g_radar.font.xpos : 8;
    const int gh = g_radar.font.ypos > 0 ? g_radar.font.ypos : 8;
    CellAlloc(&g_radar.labels, kLabelGlyphs * gw, kLabelRows * gh, "レーダー文字");
    ResetRadarView();
}

void DestroyRadarWindow() {
    CellFree(&g_radar.labels, "レーダー用文字");
    if (g_radar.loaded) CellFree(&g_radar.picture, "レーダー");
    g_radar.loaded = 0;
    CellFree(&g_radar.font, "レーダー2");
    if (g_radar.screen) ZEM_End(g_radar.screen);
    g_radar.screen = nullptr;
    if (g_radar.hwnd) DestroyWindow(g_radar.hwnd);
    g_radar.hwnd = nullptr;
}

int GetRadarWindowRect(RECT* rect) {
    if (!g_radar.hwnd || !rect) return 0;
    return GetWindowRect(g_radar.hwnd, rect) ? 1 : 0;
}

const char* GetRadarLabel(int stripslot) {
    return stripslot >= 0 && stripslot < kLabelRows ? g_labeltext[stripslot] : "";
}

void DrawRadarLabel(int slot) {
    const int s = OwnedStripSlot(slot);
    tagCELL& cell = g_radar.labels;
    if (s < 0 || s >= kLabelRows) return;
    std::snprintf(g_labeltext[s], sizeof g_labeltext[s], "%s", Aircraft(slot)->callsign);
    if (!cell.bits) return;
    const int gw = g_radar.font.xpos, gh = g_radar.font.ypos;
    const RECT row = {0, gh * s, kLabelGlyphs * gw, gh * (s + 1)};
    ZEM_ClearCell(&cell, &row, 0);
    if (!g_radar.font.bits || gw <= 0 || gh <= 0) return;
    const RECT tile = {80 + 8 * s, 8, 88 + 8 * s, 16};
    for (int k = 0; k < kLabelGlyphs; ++k)
        ZEM_CopyCell(&cell, k * gw, gh * s, &g_radar.font, &tile, 0x80000000);
    DrawNumberCell(&cell, &g_radar.font, 0, gh * s, Aircraft(slot)->callsign, 0);
}

void ClearRadarLabel(int slot) {
    const int s = OwnedStripSlot(slot);
    tagCELL& cell = g_radar.labels;
    if (s < 0 || s >= kLabelRows) return;
    g_labeltext[s][0] = 0;
    if (!cell.bits) return;
    const int gw = g_radar.font.xpos > 0 ? g_radar.font.xpos : 8;
    const int gh = g_radar.font.ypos > 0 ? g_radar.font.ypos : 8;
    const RECT row = {0, gh * s, kLabelGlyphs * gw, gh * (s + 1)};
    ZEM_ClearCell(&cell, &row, 0);
}

void DrawRadarBlip(int slot, int x, int y) {
    HZEMSCREEN s = g_radar.screen;
    const RadarView& v = g_radar.view;
    const int strip = OwnedStripSlot(slot);
    if (!s || strip < 0) return;
    int lx = x - 16, ly = y - 16;
    if (lx > v.clip.right - 68) lx = v.clip.right - 68;
    if (lx < v.clip.left) lx = v.clip.left;
    if (ly > v.clip.bottom - 8) ly = v.clip.bottom - 8;
    if (ly < v.clip.top) ly = v.clip.top;
    if (slot == GetSelectedAircraft()) ZEM_LineScreen(s, x, y, lx, ly + 8, kWhite);
    const int gh = g_radar.font.ypos > 0 ? g_radar.font.ypos : 8;
    const RECT row = {0, gh * strip, 64, gh * strip + 8};
    if (g_radar.labels.bits) ZEM_DisplayScreen(s, lx, ly, &g_radar.labels, &row, 0);
}

void DrawRadarRouteOn(HZEMSCREEN s, const RadarView& v, const uint32_t* words,
                      const PointTable& points) {
    PreviewSegment seg[kPreviewSegments];
    const int n = PreviewSegments(words, points, seg, kPreviewSegments);
    for (int i = 0; i < n; ++i) {
        const POINT a = RadarScreenPoint(v, seg[i].from.x, seg[i].from.z);
        POINT b = RadarScreenPoint(v, seg[i].to.x, seg[i].to.z);
        if (b.x < v.clip.left) b.x = v.clip.left;
        if (b.x > v.clip.right - 8) b.x = v.clip.right - 8;
        if (b.y < v.clip.top) b.y = v.clip.top;
        if (b.y > v.clip.bottom - 8) b.y = v.clip.bottom - 8;
        if (s) ZEM_LineScreen(s, a.x, a.y, b.x, b.y, seg[i].run ? kRouteLater : kWhite);
    }
}

void DrawRadarRoute(int route) {
    if (route < 0 || route >= kPreviewSlots) return;
    DrawRadarRouteOn(g_radar.screen, g_radar.view, GetCommandMenu().slots[route].words,
                     GetPointTable());
}

void RadarMain() {
    HZEMSCREEN s = g_radar.screen;
    const AircraftTable* table = GetAircraftTable();
    const ObjectTable* objects = GetObjectTable();
    if (!s) return;
    const RadarView& v = g_radar.view;
    const CommandMenu& menu = GetCommandMenu();
    const int selected = GetSelectedAircraft();
    // While the menu works on an aircraft other than the selected one (its leader), that one is
    // marked and no label is limited to the selection.
    const bool linked = menu.shown && menu.aircraft >= 0 && menu.aircraft != selected;
    const int marked = linked ? menu.aircraft : selected;
    const int panel = v.wide ? 0 : RadarPanelOfPreview(menu.preview);
    if (g_radar.loaded) {
        const RECT src = {panel * v.width, 0, (panel + 1) * v.width, v.height};
        ZEM_DisplayScreen(s, 0, 0, &g_radar.picture, &src, 0x80000000);
    }
    const bool limited =
        !v.wide && (menu.preview == 0x100 || (menu.preview >= 0x401 && menu.preview <= 0x403));
    POINT mark = {0, 0};
    bool marking = false;
    for (int slot = 0; table && objects && slot < kAircraftSlots; ++slot) {
        const AircraftRecord& a = (*table)[size_t(slot)];
        const ObjectRecord& o = (*objects)[size_t(slot)];
        if (!a.used) continue;
        if (v.wide && o.pos.y == double(a.ground)) continue;
        const POINT p = RadarScreenPoint(v, o.pos.x, o.pos.z);
        if (!RadarInside(v, p.x, p.y)) continue;
        const int strip = a.stripslot;
        if (strip >= 0 && strip < kStripSlots)
            DrawGlyph(s, p.x, p.y, 4 * strip, 8, 4, 4);
        else
            DrawGlyph(s, p.x, p.y, GetConfig().radarmode ? 4 : 0, 12, 4, 4);
        if (!limited || (!linked && slot == selected)) DrawRadarBlip(slot, p.x, p.y);
        if (slot == marked) {
            mark = POINT{p.x - 1, p.y - 1};
            marking = true;
        }
        HeadingLine(s, v, p.x, p.y, o.angle.y, o.speed);
    }
    if (marking) DrawGlyph(s, mark.x, mark.y, 40, 8, 8, 8);
    if (!v.wide && menu.preview >= 0x401 && menu.preview <= 0x403)
        DrawRadarRoute(menu.preview - 0x401);
    const int32_t state = GetStageState();
    const int other = GetCameraRecord().object2;
    if ((state == STAGE_NEARMISS || state == STAGE_HEADON) && objects && other >= 0 &&
        other < kAircraftSlots) {
        const ObjectRecord& o = (*objects)[size_t(other)];
        const POINT p = RadarScreenPoint(v, o.pos.x, o.pos.z);
        DrawGlyph(s, p.x - 4, p.y - 4, 240, 8, 8, 8);
        if (other != g_conflictslot || p.x != g_conflictmark.x || p.y != g_conflictmark.y)
            GameTrace("radar conflict %d at %d %d", other, int(p.x), int(p.y));
        g_conflictslot = other;
        g_conflictmark = p;
    } else {
        g_conflictslot = -1;
    }
    ZEM_RefreshScreen(s, nullptr, nullptr);
}
