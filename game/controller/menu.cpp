// The command menu: the icons the selected aircraft's instruction allows, each filled from the
// aircraft's own tables, the exchange table or the route lists; second levels with their big
// icon; the route previews of the taxi routes in the 3D view.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "controller/controller_internal.h"
#include "base/base.h"
#include "world/world.h"

namespace {

constexpr const char* kIconWords[kIconSets] = {"etc", "app", "arw", "spt", "txi",
                                               "sid", "trs", "drw", "str", "loc"};
constexpr int kMenuZ = 30;
constexpr int kApproachValid = -14000;
// The approach offers the visual approach (0x001) to a type whose minimum turn speed, in knots,
// exceeds this.
constexpr double kTurnSpeed = 37.72592592592593;
// The preview chips stand between the clouds (from capacity - 355 on) and the marker (capacity
// - 10): one chip a segment, 47 a slot.
constexpr int kPreviewChipBase = 155;
constexpr int kPreviewChipWidth = 12;
constexpr int kPreviewColours[kPreviewSlots + 1][3] = {
    {0, 200, 200}, {200, 0, 200}, {200, 200, 0}, {0, 0, 200}};

CommandCells g_cells = {};
CommandMenu g_menu = {};

AircraftRecord* Aircraft(int slot) {
    AircraftTable* t = GetAircraftTable();
    return t && slot >= 0 && slot < kAircraftSlots ? &(*t)[size_t(slot)] : nullptr;
}
ObjectRecord* Object(int slot) {
    ObjectTable* t = GetObjectTable();
    return t && slot >= 0 && slot < kObjectSlots ? &(*t)[size_t(slot)] : nullptr;
}

bool Valid(int index, int size) { return index >= 0 && index < size; }

void EmptyItem(MenuItem& m) {
    std::memset(&m, 0, sizeof m);
    m.reply = -1;
    for (int32_t& v : m.msg) v = -1;
}

void CopyText(char* to, size_t size, const char* from, size_t fromsize) {
    const size_t n = strnlen(from, fromsize);
    const size_t k = n < size ? n : size - 1;
    std::memcpy(to, from, k);
    to[k] = 0;
}

// The object state the menu tests: the model type flags of the aircraft's body.
int32_t ObjectState(int aircraft) {
    const ObjectRecord* o = Object(aircraft);
    return o ? o->kind : 0;
}

// The row of the approach table the menu offers: that of the second level's first-level item,
// else the stage's runway value of the aircraft's configuration slot; -1 outside the table.
int ApproachRow(const AircraftRecord& a) {
    if (g_menu.selected != 0 && ((g_menu.selected - 1) >> 8) == 8)
        return (g_menu.selected - 1) & 0xff;
    const int32_t* routes = GetScenarioHeader().world.routesets;
    if (!Valid(a.approach, 8)) return -1;
    const int row = routes[a.approach];
    return Valid(row, int(std::size(a.approachtab))) ? row : -1;
}

// The route-name row of the second level: the first-level item's icon, else row 0.
int RouteNameRow() { return g_menu.selected != 0 ? (g_menu.selected - 1) & 0xff : 0; }

const RouteName* RouteNameEntry(const AircraftRecord& a, int row, int entry) {
    const int n = row * kSpotGroupLines + entry;
    if (!Valid(row, kSpotGroups) || !Valid(entry, kSpotGroupLines) ||
        !Valid(n, int(std::size(a.routenames))))
        return nullptr;
    return &a.routenames[n];
}

// ---- sprites ----

HZEMSCREEN Screen() { return GetMainScreen(); }

void DeleteMenuSprites(int from) {
    if (HZEMSCREEN s = Screen())
        for (int n = from; n <= kMenuLastSprite; ++n) ZEM_DeleteSprite(s, n);
}

void ShowItemSprite(int k, const MenuItem& item) {
    HZEMSCREEN s = Screen();
    const int n = kMenuSprite + k;
    const int set = ((item.code - 1) >> 8) & 0xff;
    if (!s || n > kMenuLastSprite || !Valid(set, kIconSets) || !g_cells.icons[set].bits) return;
    tagCELL* cell = &g_cells.icons[set];
    ZEM_DeleteSprite(s, n);
    ZEM_CreateSprite(s, n, cell, cell->xpos, cell->ypos);
    ZEM_SetSprite(s, n, item.x, item.y, kMenuZ, (item.code - 1) & 0xff, -1);
}

void ShowBigIcon(int code) {
    HZEMSCREEN s = Screen();
    const int set = (code >> 8) & 0xff;
    if (!s || !Valid(set, kIconSets) || !g_cells.icons[set].bits) return;
    tagCELL* cell = &g_cells.icons[set];
    ZEM_DeleteSprite(s, kMenuBigIcon);
    ZEM_CreateSprite(s, kMenuBigIcon, cell, cell->xpos, cell->ypos);
    ZEM_SetSprite(s, kMenuBigIcon, 16, kMenuY, kMenuZ, code & 0xff, -1);
}

// ---- route previews ----

void SwitchPreviewLayers(int mode, int on) {
    const AirportLayers& l = GetAirportLayers();
    if ((mode == 0x100 || mode == 0x400) && l.spotplate)
        KRNL_RecallFunction(KRNLOP_SWITCH, l.spotplate, 0, on, 0);
    if ((mode == 0x200 || mode == 0x400) && l.rwplate)
        KRNL_RecallFunction(KRNLOP_SWITCH, l.rwplate, 0, on, 0);
}

// A preview shows its layers and puts the camera in its preview state, over the airport.
void PreviewOn(int mode) {
    SwitchPreviewLayers(mode, 1);
    g_menu.preview = mode;
    SetPreviewCamera();
}

void DeletePreviewLayers() {
    for (PreviewSlot& p : g_menu.slots) {
        if (p.layer) KRNL_DeleteLayer(p.layer, 1);
        p.layer = nullptr;
        p.chips = 0;
        p.words[0] = kPreviewEnd;
    }
}

void ShowPreviewLayers(int which) {
    for (int n = 0; n < kPreviewSlots; ++n)
        if (tagKRNL* l = g_menu.slots[n].layer)
            KRNL_RecallFunction(KRNLOP_SWITCH, l, 0, which == n ? 1 : 0, 0);
}

// A chip of width 12 from `a` to `b` at height y.
tagKRNCHIP PreviewChip(const TablePoint& a, const TablePoint& b, double y, const int* rgb) {
    tagKRNCHIP chip;
    std::memset(&chip, 0, sizeof chip);
    chip.mode = KRNCHIP_SHOW;
    chip.flags = KRNCHIP_TWOSIDED | KRNCHIP_UNSHADED | KRNCHIP_NOFOG;
    chip.red = rgb[0];
    chip.green = rgb[1];
    chip.blue = rgb[2];
    chip.normal = tagKRN3D{0, 1, 0, 0};
    const double dx = double(b.x) - a.x, dz = double(b.z) - a.z;
    const double len = std::sqrt(dx * dx + dz * dz);
    const double half = kPreviewChipWidth / 2.0;
    const double px = len > 0 ? -dz / len * half : half, pz = len > 0 ? dx / len * half : 0;
    chip.v[0] = tagKRN3D{a.x + px, y, a.z + pz, 0};
    chip.v[1] = tagKRN3D{a.x - px, y, a.z - pz, 0};
    chip.v[2] = tagKRN3D{double(b.x), y, double(b.z), 0};
    for (int k = 0; k < 3; ++k) {
        chip.n[k] = chip.normal;
        chip.r[k] = rgb[0];
        chip.g[k] = rgb[1];
        chip.b[k] = rgb[2];
    }
    return chip;
}

// Reads port\<airport>\root\<name>.rtd into slot n and captures its chips in a layer of their
// own, shown at once.
void LoadPreview(int n, const char* name, int aircraft) {
    if (!Valid(n, kPreviewSlots)) return;
    PreviewSlot& p = g_menu.slots[n];
    if (p.layer) KRNL_DeleteLayer(p.layer, 1);
    p.layer = nullptr;
    p.chips = 0;
    for (uint32_t& w : p.words) w = kPreviewEnd;
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "port\\%s\\root\\%s.rtd", GetAirportCode(), name);
    if (!name[0] || !FileExists(path)) return;
    uint8_t bytes[kPreviewSize] = {};
    int got = 0;
    if (!ReadWholeFile(GetMainWindow(), path, bytes, int(kPreviewSize), &got)) return;
    ReadRoutePreview(bytes, size_t(got), p.words);

    tagKRN* engine = GetEngine();
    tagKRNL* root = GetRootLayer();
    if (!engine || !root) return;
    const AircraftRecord* a = Aircraft(GetSelectedAircraft());
    if (!a) a = Aircraft(aircraft);
    tagKRNCHIP chips[kPreviewSegments];
    const int count = PreviewChips(p.words, GetPointTable(), n, (a ? a->ground : 0) + 0.5, chips);
    if (count == 0) return;
    const int first = engine->chipmax - kPreviewChipBase + n * kPreviewSegments;
    for (int i = 0; i < count; ++i) KRN_SetChip(engine, first + i, &chips[i]);
    char lname[KRNL_NAMEMAX];
    std::snprintf(lname, sizeof lname, "RoutePreview%d", n);
    if (!KRNL_CheckSameName(root, lname)) return;
    p.layer = KRNL_CreateLayer(root, lname);
    if (!p.layer) return;
    KRNL_CaptureLayer(p.layer, first, count);
    p.chips = count;
}

// ---- filling an item ----

void FillFromChoices(MenuItem& m, const AircraftRecord& a, int code, int set) {
    for (const MenuItem& r : a.radio) {
        if (r.code != code) continue;
        m.position = r.position;
        m.flags = r.flags;
        std::memcpy(m.msg, r.msg, sizeof m.msg);
        std::memcpy(m.name, r.name, sizeof m.name);
        std::memcpy(m.name2, r.name2, sizeof m.name2);
        return;
    }
    const ExchangeTable& t = GetExchangeTable();
    for (int i = 0; i < t.count && i < kExchangeEntries; ++i) {
        const ExchangeTableEntry& e = t.entry[i];
        if (e.code != code) continue;
        m.position = e.next;
        std::memcpy(m.msg, e.msg, sizeof m.msg);
        return;
    }
    if (set == SET_ETC || set == SET_APP) {
        m.position = POSITION_APPROACH;
        const int row = ApproachRow(a);
        if (row >= 0) std::memcpy(m.msg, a.approachtab[row].msg, sizeof m.msg);
    }
}

void FillItem(MenuItem& m, AircraftRecord& a, int aircraft, int code) {
    const int set = (code >> 8) & 0xff, icon = code & 0xff;
    switch (set) {
        case SET_APP:
            if (icon <= 2) {
                const int row = ApproachRow(a);
                m.position = POSITION_APPROACH;
                if (row >= 0) {
                    m.value = a.approachtab[row].x[icon];
                    m.value2 = a.approachtab[row].z[icon];
                    std::memcpy(m.msg, a.approachtab[row].msg, sizeof m.msg);
                }
                break;
            }
            FillFromChoices(m, a, code, set);
            break;
        case SET_ARW:
        case SET_DRW:
            m.value = icon;
            if (Valid(icon, int(std::size(a.menulist[0]))))
                std::memcpy(m.msg, a.menulist[0][icon].msg, sizeof m.msg);
            break;
        case SET_TXI: {
            m.value = icon;
            const int row = RouteNameRow();
            if (const RouteName* first = RouteNameEntry(a, row, 0))
                std::memcpy(m.msg, first->msg, sizeof m.msg);
            // The route's preview file is named by the entry's name (byte 0), the name its
            // taxi script goes by.
            if (const RouteName* e = RouteNameEntry(a, row, icon)) {
                char name[17];
                CopyText(name, sizeof name, e->name, 16);
                LoadPreview(icon, name, aircraft);
            }
            break;
        }
        case SET_TRS: {
            m.value = icon;
            // The group's list numbers its entries from 1: icon e - 1 stands for entry e.
            const int group = g_menu.selected & 0xff, entry = icon + 1;
            if (Valid(group, kRouteGroups) && Valid(entry, kRouteEntries)) {
                const RouteEntry& e = GetRouteTable().entry[group][entry];
                const int plus = (ObjectState(aircraft) & 0xf) == 2 ? 1 : 0;
                for (int k = 0; k < 4; ++k) m.msg[k] = e.value[k] + (k >= 2 ? plus : 0);
            }
            break;
        }
        default:
            FillFromChoices(m, a, code, set);
            break;
    }
    if (m.position == 255) m.position = a.position;
}

// Appends an empty item to a column: its slot index, or -1 when the column is full.
int NewItem(int column, MenuItem** item) {
    if (!Valid(column, kMenuColumns) || g_menu.columncount[column] >= kMenuColumnSlots ||
        g_menu.count >= kMenuColumns * kMenuColumnSlots)
        return -1;
    const int slot = g_menu.columncount[column]++;
    MenuItem& m = g_menu.column[column][slot];
    EmptyItem(m);
    m.x = (column ? 64 : 16) + 48 * slot;
    m.y = kMenuY;
    *item = &m;
    return column * kMenuColumnSlots + slot;
}

void Shown(int index, const MenuItem& m) {
    const int k = g_menu.count++;
    g_menu.order[k] = index;
    ShowItemSprite(k, m);
}

// ---- building ----

bool Holding(const AircraftRecord& a, int variant) { return a.holding == variant; }

void AddApproachItems(const AircraftRecord& a, int aircraft, int row) {
    const ApproachEntry* e =
        Valid(row, int(std::size(a.approachtab))) ? &a.approachtab[row] : nullptr;
    if (e && e->x[0] >= kApproachValid) {
        AddMenuItem(0x102, aircraft, g_menu.selected ? 1 : 0);
        if (e->x[1] >= kApproachValid) AddMenuItem(0x101, aircraft, g_menu.selected ? 1 : 0);
        if (e->x[2] >= kApproachValid) AddMenuItem(0x100, aircraft, g_menu.selected ? 1 : 0);
    } else {
        AddMenuItem(0x103, aircraft, g_menu.selected ? 1 : 0);
    }
}

// A spot entry's flags suit the aircraft: 0x903 wants the states 0x102 and 0x801; other flags
// must hold every bit of the state.
bool SpotSuits(int32_t flags, int32_t state) {
    const int32_t f = flags & 0xff0f, s = state & 0xff0f;
    if (f == 0x903) return s == 0x102 || s == 0x801;
    return (s & ~flags) == 0 || s == flags;
}

// A spot entry: its candidate name, and its flags the value of its spot group's first line.
bool SpotEntry(const AircraftRecord& a, int i, int32_t* flags) {
    if (!a.names[i].name[0]) return false;
    *flags = a.routenames[i * kSpotGroupLines].spare;
    return true;
}

bool NameEntry(const AircraftRecord& a, int i) {
    return i < a.menucount[0] && a.menulist[0][i].name[0] != 0;
}

void AddRouteItems(AircraftRecord& a, int aircraft, int group, int columnflags) {
    if (!Valid(group, int(std::size(a.menulist)))) return;
    const int count = a.menucount[group];
    for (int i = 0; i < count && i < int(std::size(a.menulist[group])); ++i)
        AddRouteMenuItem(group, aircraft, i, columnflags);
}

void BuildFor(int aircraft, AircraftRecord& a) {
    const uint32_t instruction = StatusInstruction(a.status);
    switch (instruction) {
        case 0x12000:
            AddApproachItems(a, aircraft, ApproachRow(a));
            if (double(a.turnspeed) > kTurnSpeed) AddMenuItem(0x001, aircraft, 0);
            break;
        case 0x15000:
            AddMenuItem(0x104, aircraft, 0);
            break;
        case 0x18000:
        case 0x19000:
            for (int i = 0; i < 8; ++i)
                if (NameEntry(a, i)) AddMenuItem(0x200 + i, aircraft, 0);
            break;
        case 0x22000:
            AddMenuItem(0x008, aircraft, 0);
            break;
        case 0x26000:
            AddMenuItem(0x00a, aircraft, 0);
            if (((a.plan >> 12) & 0xff) != 0x50) AddMenuItem(0x002, aircraft, 0);
            break;
        case 0x2a000:
            AddMenuItem(0x017, aircraft, 0);
            AddMenuItem(0x00e, aircraft, 0);
            break;
        case 0x2b000:
        case 0xa7000:
            AddMenuItem(0x017, aircraft, 0);
            break;
        case 0x32000:
        case 0xaa000:
            AddMenuItem(0x016, aircraft, 0);
            break;
        case 0x38000:
            AddMenuItem(0x015, aircraft, 0);
            break;
        case 0x42000: {
            const int32_t state = ObjectState(aircraft);
            int32_t flags = 0;
            for (int i = 0; i < kSpotGroups; ++i)
                if (SpotEntry(a, i, &flags) && SpotSuits(flags, state))
                    AddMenuItem(0x300 + i, aircraft, 0);
            AddMenuItem(0x00c, aircraft, 0);
            PreviewOn(0x100);
            break;
        }
        case 0x44000:
        case 0x9a000:
            if (Holding(a, 0)) AddMenuItem(0x00d, aircraft, 0);
            if (Holding(a, 1)) AddMenuItem(0x00b, aircraft, 0);
            break;
        case 0x45000: {
            const int32_t state = ObjectState(aircraft) & 0xff0f;
            int32_t flags = 0;
            for (int i = 0; i < kSpotGroups; ++i)
                if (SpotEntry(a, i, &flags) && (flags & 0xff0f) == state)
                    AddMenuItem(0x300 + i, aircraft, 0);
            PreviewOn(0x100);
            break;
        }
        case 0x46000:
        case 0x9b000:
        case 0x1e4000:
            AddMenuItem(0x00b, aircraft, 0);
            break;
        case 0x4a000:
        case 0x9e000:
            if (Holding(a, 0)) {
                AddMenuItem(0x01b, aircraft, 0);
                AddMenuItem(0x00d, aircraft, 0);
            }
            if (Holding(a, 1)) AddMenuItem(0x00b, aircraft, 0);
            break;
        case 0x51000:
            AddMenuItem(0x004, aircraft, 0);
            AddMenuItem(0x105, aircraft, 0);
            break;
        case 0x82000:
        case 0x83000: {
            const SidTable* sids = GetSidTable();
            if (sids && (*sids)[0].name[0]) {
                for (int g = 1; g <= 15; ++g)
                    if (GetRouteTable().list[g][0] != 0) AddMenuItem(0x500 + g - 1, aircraft, 0);
            } else {
                AddMenuItem(0x013, aircraft, 0);
            }
            AddMenuItem(0x014, aircraft, 0);
            break;
        }
        case 0x89000:
        case 0x8b000:
            AddMenuItem(0x013, aircraft, 0);
            AddMenuItem(0x014, aircraft, 0);
            break;
        case 0x92000:
        case 0x93000:
            for (int i = 0; i < 8; ++i)
                if (NameEntry(a, i)) AddMenuItem(0x700 + i, aircraft, 0);
            if (instruction == 0x93000)
                AddMenuItem(0x00c, aircraft, 0);
            else if (std::strcmp(a.airline, "SNK") != 0)
                AddMenuItem(0x012, aircraft, 0);
            PreviewOn(0x200);
            break;
        case 0x98000:
        case 0x1e2000:
            AddMenuItem(0x01a, aircraft, 0);
            AddMenuItem(0x00c, aircraft, 0);
            break;
        case 0x9c000:
            AddMenuItem(a.holding != 0 ? 0x00b : 0x018, aircraft, 0);
            break;
        case 0xa2000:
            AddMenuItem(0x009, aircraft, 0);
            AddMenuItem(0x00f, aircraft, 0);
            AddMenuItem(0x010, aircraft, 0);
            break;
        case 0xa4000:
            AddMenuItem(0x009, aircraft, 0);
            AddMenuItem(0x010, aircraft, 0);
            break;
        case 0xb2000:
            AddMenuItem(((a.plan >> 12) & 0xff) == 0x40 ? 0x008 : 0x003, aircraft, 0);
            break;
        case 0xb4000:
            AddMenuItem(0x019, aircraft, 0);
            break;
        case 0xd1000:
            AddMenuItem(0x01d, aircraft, 0);
            AddMenuItem(0x01e, aircraft, 0);
            break;
        case 0xe3000:
        case 0x1e3000:
            if (Holding(a, 0)) {
                AddMenuItem(0x017, aircraft, 0);
                AddMenuItem(0x00d, aircraft, 0);
            }
            if (Holding(a, 1)) AddMenuItem(0x00b, aircraft, 0);
            break;
        case 0x200000:
        case 0x201000:
            AddRouteItems(a, aircraft, int((uint32_t(a.status) >> 12) & 0xf), 0);
            break;
        case 0x210000:
        case 0x211000:
            AddRouteItems(a, aircraft, int((uint32_t(a.status) >> 12) & 0xf), 0x10);
            PreviewOn(0x400);
            break;
        default:
            break;
    }
}

void TraceMenu(int aircraft) {
    if (!GameTraceOn()) return;
    char codes[4 * kMenuColumns * kMenuColumnSlots + 1] = "";
    size_t at = 0;
    for (int k = 0; k < g_menu.count && at + 5 < sizeof codes; ++k) {
        const int index = g_menu.order[k];
        const MenuItem& m = g_menu.column[index / kMenuColumnSlots][index % kMenuColumnSlots];
        at += size_t(std::snprintf(codes + at, sizeof codes - at, " %03x", unsigned(m.code - 1)));
    }
    GameTrace("menu %d selected %x items %d%s", aircraft, unsigned(g_menu.selected), g_menu.count,
              codes);
}

}  // namespace

CommandCells& GetCommandCells() { return g_cells; }
CommandMenu& GetCommandMenu() { return g_menu; }

MenuItem* GetMenuItemOfSprite(int n) {
    const int k = n - kMenuSprite;
    if (!g_menu.shown || !Valid(k, g_menu.count) || n > kMenuLastSprite) return nullptr;
    return GetCommandMenuItem(g_menu.order[k]);
}

int PreviewChips(const uint32_t* words, const PointTable& points, int slot, double y,
                 tagKRNCHIP* chips) {
    PreviewSegment seg[kPreviewSegments];
    const int count = PreviewSegments(words, points, seg, kPreviewSegments);
    const int colour = slot >= 0 && slot < kPreviewSlots ? slot : 0;
    for (int i = 0; i < count; ++i)
        chips[i] = PreviewChip(seg[i].from, seg[i].to, y,
                               kPreviewColours[seg[i].run ? kPreviewSlots : colour]);
    return count;
}

int PreviewSegments(const uint32_t* words, const PointTable& points, PreviewSegment* out, int max) {
    int n = 0, run = 0;
    const int count = points.count < kTablePoints ? points.count : kTablePoints;
    auto ends = [&](uint32_t w) { return (w >> 16) == 0x8000 || int(w & 0xffff) >= count; };
    if (ends(words[0])) return 0;
    for (int i = 0; i + 1 < kPreviewWords; ++i) {
        const uint32_t a = words[i], b = words[i + 1];
        if (ends(b)) break;
        if ((a >> 16) != (b >> 16)) {
            run = 1;
            continue;
        }
        if (n >= max) break;
        out[n++] = PreviewSegment{points.point[a & 0xffff], points.point[b & 0xffff], run};
    }
    return n;
}

void MakeCommandCells() {
    CellAlloc(&g_cells.command, 640, 200, "コマンド用Cell作成");
    // The panel's background is its colour key: the scene shows round its texts.
    if (!GetConfig().softmode && CellAlloc(&g_cells.overlap, 800, 200, "オーバーラップ"))
        g_cells.overlap.mask = 0;
    char path[MAX_PATH];
    for (int n = 0; n < kIconSets; ++n) {
        std::snprintf(path, sizeof path, "%sport\\%s\\etc\\%s_icon.umz", GetProgramFolder(),
                      GetAirportCode(), kIconWords[n]);
        LoadPictureCell(path, &g_cells.icons[n]);
    }
    std::snprintf(path, sizeof path, "%setc\\font2.umz", GetProgramFolder());
    LoadPictureCell(path, &g_cells.font);
    for (PreviewSlot& p : g_menu.slots) p = PreviewSlot{};
    ClearCommandMenu();
    g_menu.shown = 0;
    g_menu.preview = 0;
    g_menu.aircraft = -1;
}

void FreeCommandCells() {
    g_menu.shown = 0;
    HideFlightInfo();
    DeleteMenuSprites(kMenuBigIcon);
    DeletePreviewLayers();
    for (int n = kIconSets - 1; n >= 0; --n) CellFree(&g_cells.icons[n], kIconWords[n]);
    CellFree(&g_cells.font, "フォント");
    CellFree(&g_cells.overlap, "オーバーラップ");
    CellFree(&g_cells.command, "コマンド用Cell");
}

void ClearCommandMenu() {
    g_menu.selected = 0;
    DeleteMenuSprites(kMenuBigIcon);
    for (int c = 0; c < kMenuColumns; ++c) {
        for (MenuItem& m : g_menu.column[c]) EmptyItem(m);
        g_menu.columncount[c] = 0;
    }
    g_menu.count = 0;
    DeletePreviewLayers();
    ShowMarker(0);
    const int mode = g_menu.preview;
    if (mode == 0x100 || mode == 0x200 || mode == 0x400) {
        SwitchPreviewLayers(mode, 0);
        g_menu.preview = 0;
    } else if (mode >= 0x401 && mode <= 0x403) {
        SwitchPreviewLayers(0x100, 0);
        g_menu.preview = mode & 0xe;
    }
    // A camera still over the airport for a preview goes back on the selected aircraft (a view
    // set meanwhile stays).
    if (IsPreviewCamera()) SetCameraMode(0, GetSelectedAircraft());
}

int AddMenuItem(int code, int aircraft, int column) {
    AircraftRecord* a = Aircraft(aircraft);
    if (!a) return -1;
    if (column == 2) {
        ShowBigIcon(code);
        return -1;
    }
    MenuItem* m = nullptr;
    const int index = NewItem(column, &m);
    if (index < 0) return -1;
    m->code = code + 1;
    FillItem(*m, *a, aircraft, code);
    Shown(index, *m);
    return index;
}

int AddRouteMenuItem(int group, int aircraft, int index, int columnflags) {
    AircraftRecord* a = Aircraft(aircraft);
    if (!a || !Valid(group, int(std::size(a->menulist))) ||
        !Valid(index, int(std::size(a->menulist[group]))))
        return 0;
    const MenuListEntry& e = a->menulist[group][index];
    if ((e.flags >> 28) == 2) {
        const ObjectRecord* own = Object(aircraft);
        for (int i = 0; i < a->links && i < int(std::size(a->linked)); ++i) {
            const ObjectRecord* o = Object(a->linked[i]);
            if (own && o && o->speed != own->speed) return 0;
        }
    }
    if (((e.flags >> 4) & 0xf) == 1) a->waitcount = 1;
    const int column = columnflags & 0xf;
    if (column == 2) {
        ShowBigIcon(e.code);
        return 1;
    }
    MenuItem* m = nullptr;
    const int at = NewItem(column, &m);
    if (at < 0) return 0;
    m->code = e.code + 1;
    m->position = e.position == 255 ? a->position : e.position;
    m->reply = e.reply;
    m->flags = e.flags;
    std::memcpy(m->msg, e.msg, sizeof m->msg);
    std::memcpy(m->name, e.name, sizeof e.name);
    CopyText(m->name2, sizeof m->name2, e.name2, sizeof e.name2);
    if (columnflags & 0x10) {
        char name[17];
        CopyText(name, sizeof name, e.name2[0] ? e.name2 : e.name, 16);
        LoadPreview(at % kMenuColumnSlots, name, aircraft);
    }
    Shown(at, *m);
    return 1;
}

MenuItem* GetCommandMenuItem(int index) {
    if (!Valid(index, kMenuColumns * kMenuColumnSlots)) return nullptr;
    const int c = index / kMenuColumnSlots, s = index % kMenuColumnSlots;
    if (s >= g_menu.columncount[c]) return nullptr;
    return &g_menu.column[c][s];
}

int GetCommandMenuCount() { return g_menu.count; }

int GetCommandMenuAircraft() { return g_menu.aircraft; }

void BuildCommandMenu(int slot) {
    const int selected = GetSelectedAircraft();
    const AircraftRecord* sel = Aircraft(selected);
    AircraftRecord* a = Aircraft(slot);
    if (!sel || !a || a->stripslot != sel->stripslot) return;
    int aircraft = slot;
    if (Aircraft(a->linkedto)) {
        aircraft = a->linkedto;
        a = Aircraft(aircraft);
    }
    ClearCommandMenu();
    g_menu.aircraft = aircraft;
    BuildFor(aircraft, *a);
    g_menu.shown = 1;
    TraceMenu(aircraft);
}

int IsCommandMenuShown() { return g_menu.shown; }

void HideCommandMenu() {
    g_menu.shown = 0;
    DeleteMenuSprites(kMenuSprite);
}

// The second levels of ApplyCommand: the big icon of the chosen item and its sub-items.
void OpenSecondLevel(int aircraft, int code) {
    AircraftRecord* a = Aircraft(aircraft);
    if (!a) return;
    ClearCommandMenu();
    g_menu.selected = code + 1;
    g_menu.aircraft = aircraft;
    g_menu.shown = 1;
    AddMenuItem(code, aircraft, 2);
    const int icon = code & 0xff;
    switch (code >> 8) {
        case SET_SPT:
            for (int e = 0; e < kSpotGroupLines; ++e)
                if (const RouteName* r = RouteNameEntry(*a, icon, e); r && r->name[0])
                    AddMenuItem(0x400 + e, aircraft, 1);
            AddMenuItem(0x005, aircraft, 1);
            PreviewOn(0x100);
            break;
        case SET_SID: {
            const int group = icon + 1;
            if (Valid(group, kRouteGroups))
                for (int e : GetRouteTable().list[group]) {
                    if (e == 0) break;
                    AddMenuItem(0x5ff + e, aircraft, 1);
                }
            AddMenuItem(0x005, aircraft, 1);
            break;
        }
        case SET_DRW: {
            const int32_t state = ObjectState(aircraft);
            const bool more =
                (state & 0x20000) ? std::strcmp(a->airline, "SNK") != 0 : (state & 0x10000) != 0;
            for (int e = 0; e < kSpotGroupLines; ++e) {
                const RouteName* r = RouteNameEntry(*a, icon, e);
                if (!r || !r->name[0] || (e > 0 && !more)) continue;
                AddMenuItem(0x400 + e, aircraft, 1);
            }
            AddMenuItem(0x005, aircraft, 1);
            PreviewOn(0x200);
            break;
        }
        case SET_STR:
            AddApproachItems(*a, aircraft, icon);
            AddMenuItem(0x005, aircraft, 1);
            break;
        default:
            break;
    }
    TraceMenu(aircraft);
}

void RoutePreviewCommand(int aircraft, int code) {
    if (code == -1) {
        if (g_menu.preview >= 0x401 && g_menu.preview <= 0x403) {
            ShowPreviewLayers(-1);
            g_menu.preview = 0;
            DrawInfoLine();
        }
        return;
    }
    if (code < 0x401 || code > 0x403) return;
    const AircraftRecord* a = Aircraft(aircraft);
    if (!a) return;
    const int row = RouteNameRow();
    char text[64] = "";
    if (const RouteName* r = RouteNameEntry(*a, row, code - 0x401)) {
        char route[17];
        CopyText(route, sizeof route, r->name2, 16);
        const AirportRecord* ap = GetAirportRecord();
        const char* after = "";
        const int group = g_menu.selected - 1;
        if (g_menu.selected == 0) {
            if (ap && Valid(a->choice - 1, kAirportRunways))
                after = ap->departures[a->choice - 1].name;
        } else if ((group >> 8) == SET_DRW && ap && Valid(group & 0xff, kAirportRunways)) {
            after = ap->departures[group & 0xff].name;
        } else if ((group >> 8) == SET_SPT && ap && Valid(group & 0xff, kAirportSpots)) {
            after = ap->spots[group & 0xff].name;
        }
        std::snprintf(text, sizeof text, "%s %s", route, after);
    }
    DrawPanelLine(text);
    g_menu.preview = code;
    ShowPreviewLayers(code - 0x401);
}
