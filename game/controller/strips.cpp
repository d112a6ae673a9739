// The flight strips: 16 strip slots, each a row of the strip cell (an unlit and a lit copy side
// by side) and a sprite of the strip board; two queues of five places; the per-tick steps that
// slide the strips in, along and out as the aircraft's StripState changes, and its memo lines.
#include <cstdio>
#include <cstring>

#include "controller/controller.h"
#include "base/base.h"
#include "simulation/simulation.h"
#include "tov42.h"
#include "world/world.h"

namespace {

constexpr int kPlaces = 5;                                // places of one queue
constexpr int kPlaceY[kPlaces] = {28, 60, 92, 124, 156};  // above the board's top
constexpr int kStripZ = 5;
constexpr int kLabelZ = 6;
constexpr int kStripVoice = 9;
constexpr int kArrivalEntry = -252;   // a new arrival strip starts left of the board
constexpr int kDepartureEntry = 232;  // a new departure strip starts left of its queue
constexpr int kArrivalOut = 315;      // a removed strip slides out until here
constexpr int kDepartureOut = 800;
constexpr int kMemoX = 140;
constexpr ZEMPIXEL kMemoRule = 0x7c00;
// The strips of each side show only within their side of the board.
constexpr RECT kArrivalClip = {0, 0, kArrivalOut, 200};
constexpr RECT kDepartureClip = {kDepartureEntry + 252, 0, 800, 200};

// A family of the strip state: where its strips stand, their position label and the control
// position it gives the aircraft (-1 none).
struct Family {
    int32_t family;
    int x, labeloffset, labeltile, position;
};
constexpr Family kFamilies[] = {
    {0x100, 0, 252, 0, POSITION_APPROACH},     {0x200, 16, 252, 2, POSITION_TOWER},
    {0x300, 32, 252, 4, POSITION_GROUND},      {0x400, 48, -32, 5, -1},
    {0x500, 64, -32, 9, POSITION_DEPARTURE},   {0x1200, 484, 252, 6, POSITION_DELIVERY},
    {0x1300, 500, 252, 4, POSITION_GROUND},    {0x1400, 516, 252, 2, POSITION_TOWER},
    {0x1500, 532, -32, 9, POSITION_DEPARTURE}, {0x1600, 548, -32, 8, POSITION_DEPARTURE},
};

struct Board {
    StripSlots slots;
    StripQueue queue;
    StripRow rows[kStripSlots];
    int32_t counters[2];  // arrivals, departures
    char memo[kStripSlots][kStripMemoLines][kStripMemoBytes];
    int32_t traced[kStripSlots];  // the state last written to the trace
};
Board g_board = {};

const Family* FamilyOf(int32_t strip) {
    for (const Family& f : kFamilies)
        if (f.family == (strip & kStripFamily)) return &f;
    return nullptr;
}

AircraftRecord* Aircraft(int slot) {
    AircraftTable* t = GetAircraftTable();
    return t && slot >= 0 && slot < kAircraftSlots ? &(*t)[size_t(slot)] : nullptr;
}

bool ValidStripSlot(int s) { return s >= 0 && s < kStripSlots; }

// The strip slot the aircraft holds, or -1 when it holds none (or lost it).
int HeldSlot(int aircraft) {
    const AircraftRecord* a = Aircraft(aircraft);
    if (!a || !ValidStripSlot(a->stripslot)) return -1;
    return g_board.slots[size_t(a->stripslot)] == aircraft ? a->stripslot : -1;
}

int Side(int32_t strip) { return strip & kStripDeparture ? 1 : 0; }
int FirstPlace(int side) { return side * kPlaces; }

void SetPosition(AircraftRecord& a, const Family* f) {
    if (f && f->position >= 0) a.position = f->position;
}

void PlayStripSound(int wave) {
    tagTOVWAVE* w = GetInterfaceWave(wave);
    if (!w) return;
    if (TOV_WaveStatus(kStripVoice) != 0) TOV_WaveStop(kStripVoice);
    TOV_WavePlay(kStripVoice, w, 1, 0);
}

// ---- the strip picture ----

tagCELL* StripCell() {
    tagCELL* c = &GetStageCells().striptext;
    return c->bits ? c : nullptr;
}

// The strip's background of its side from the strip picture: the unlit and the lit copy, or only
// the columns from `left` to `right` of each.
void DrawBackground(int s, int side, int left, int right) {
    tagCELL* cell = StripCell();
    const tagCELL& strip = GetStageCells().strip;
    if (!cell || !strip.bits) return;
    const int w = strip.xpos, h = strip.ypos;
    for (int lit = 0; lit < 2; ++lit) {
        const RECT src = {lit * w + left, side * h, lit * w + right, side * h + h};
        CopyCellRect(cell, lit * w + left, s * h, &strip, &src);
    }
}

// Draws `text` with the strip glyphs at x, y of the slot's row in both copies.
void DrawStripText(int s, int x, int y, const char* text) {
    tagCELL* cell = StripCell();
    const tagCELL& glyphs = GetStageCells().stripmj;
    if (!cell || !glyphs.bits) return;
    const int w = GetStageCells().strip.xpos, top = s * GetStageCells().strip.ypos;
    for (int lit = 0; lit < 2; ++lit) DrawStringCell(cell, &glyphs, lit * w + x, top + y, text, 0);
}

// Copies a picture file into both copies of the slot's row at the picture's own offsets.
void DrawStripPicture(int s, const char* path, const char* caption) {
    tagCELL* cell = StripCell();
    if (!cell) return;
    tagCELL picture = {};
    if (!LoadPictureCell(path, &picture)) return;
    const int w = GetStageCells().strip.xpos, top = s * GetStageCells().strip.ypos;
    for (int lit = 0; lit < 2; ++lit)
        ZEM_CopyCell(cell, lit * w + picture.xoffset, top + picture.yoffset, &picture, nullptr,
                     picture.mask);
    CellFree(&picture, caption);
}

void DrawMemoArea(int s, int side, bool ruled) {
    DrawBackground(s, side, kMemoX, GetStageCells().strip.xpos - 2);
    for (int line = 0; line < kStripMemoLines; ++line)
        DrawStripText(s, kMemoX, 6 + 12 * line, g_board.memo[s][line]);
    tagCELL* cell = StripCell();
    if (!ruled || !cell) return;
    // The moved-up memo is marked on the lit copy.
    const int w = GetStageCells().strip.xpos, top = s * GetStageCells().strip.ypos;
    for (int line = 0; line < kStripMemoLines; ++line)
        ZEM_LineCell(cell, w + kMemoX, top + 17 + 12 * line, 2 * w - 4, top + 17 + 12 * line,
                     kMemoRule);
}

bool Named(const char* airline, const char* name) { return strcasecmp(airline, name) == 0; }

// ---- sprites ----

HZEMSCREEN Screen() { return GetMainScreen(); }

void PlaceStripSprite(int s) {
    HZEMSCREEN scr = Screen();
    if (!scr) return;
    const StripRow& r = g_board.rows[s];
    ZEM_SetSprite(scr, kSpriteStrip + s, r.x, r.y + GetStageOffset(), r.z, r.tile, -1);
}

void ShowLabel(int s, const Family* f) {
    HZEMSCREEN scr = Screen();
    if (!scr || !f) return;
    const StripRow& r = g_board.rows[s];
    ZEM_SetSprite(scr, kSpriteStripLabel + s, r.x + f->labeloffset, r.y + 4 + GetStageOffset(),
                  kLabelZ, f->labeltile, -1);
}

void HideLabel(int s) {
    if (HZEMSCREEN scr = Screen()) ZEM_SetSprite(scr, kSpriteStripLabel + s, -1, -1, 0, -1, -1);
}

void ClipToSide(int s, int side) {
    HZEMSCREEN scr = Screen();
    if (!scr) return;
    RECT clip = side ? kDepartureClip : kArrivalClip;
    OffsetRect(&clip, 0, GetStageOffset());
    SetSpriteClip(scr, kSpriteStrip + s, &clip);
}

// ---- the steps ----

// A new strip enters its queue's first place once that is free.
bool EnterQueue(int s, int aircraft, AircraftRecord& a, int side) {
    const int first = FirstPlace(side);
    if (g_board.queue[size_t(first)] != 0 || IsInStripQueue(aircraft, a.strip)) return false;
    StripRow& r = g_board.rows[s];
    r.x = side ? kDepartureEntry : kArrivalEntry;
    r.y = kPlaceY[0];
    r.z = kStripZ;
    r.place = first;
    g_board.queue[size_t(first)] = aircraft + 1;
    ++g_board.counters[side];
    ClipToSide(s, side);
    return true;
}

// Frees the strip's queue place, its slot and the aircraft's hold on it.
void RemoveStrip(int s, int aircraft, AircraftRecord& a, int side) {
    StripRow& r = g_board.rows[s];
    r.z = 0;
    if (r.place >= 0 && r.place < kStripQueuePlaces &&
        g_board.queue[size_t(r.place)] == aircraft + 1)
        g_board.queue[size_t(r.place)] = 0;
    r.place = -1;
    --g_board.counters[side];
    ClearRadarLabel(aircraft);
    HideLabel(s);
    a.strip = 0;
    g_board.slots[size_t(s)] = -1;
    a.stripslot = -1;
}

// Slides toward the family's place; there the strip settles (step 0).
void SlideToFamily(AircraftRecord& a, StripRow& r, const Family& f) {
    const int32_t family = f.family;
    if (family == 0x100 && r.x < f.x - 2) {
        r.x += 4;  // the approach strip comes in from the left
    } else if (r.x < f.x - 2 || r.x > f.x + 2) {
        r.x += r.x < f.x ? 2 : -2;
    } else {
        r.x = f.x;
        a.strip = (a.strip & ~0xffff) | family;
        if (family == 0x300 || (family >= 0x1200 && family <= 0x1600)) SetPosition(a, &f);
    }
}

void FamilyStep(int s, int aircraft, AircraftRecord& a) {
    StripRow& r = g_board.rows[s];
    const int32_t family = a.strip & kStripFamily;
    const int step = a.strip & kStripStep;
    const int side = Side(a.strip);
    auto setstep = [&](int n) { a.strip = (a.strip & ~kStripStep) | n; };
    if (family == 0xf00 || family == 0x1f00) {
        if (step == 2) {
            setstep(1);
            PlayStripSound(SE_FEED);
            HideLabel(s);
        } else if (step == 1) {
            r.x += 25;
            if (r.x >= (side ? kDepartureOut : kArrivalOut)) RemoveStrip(s, aircraft, a, side);
        }
        return;
    }
    if (family == 0x1700) {
        if (step == 4) {
            setstep(3);
            HideLabel(s);
        } else if (step == 3) {
            r.x += 25;
            if (r.x >= kDepartureOut) {
                r.x = kDepartureOut;
                setstep(2);
                --g_board.counters[1];
                if (r.place >= 0 && g_board.queue[size_t(r.place)] == aircraft + 1)
                    g_board.queue[size_t(r.place)] = 0;
                r.place = -1;
            }
        } else if (step == 2) {
            // Back on the arrival side as tower, once its first place is free.
            if (g_board.queue[0] != 0 || IsInStripQueue(aircraft, 0)) return;
            r.x = kArrivalEntry;
            r.y = kPlaceY[0];
            r.z = kStripZ;
            r.place = 0;
            g_board.queue[0] = aircraft + 1;
            ++g_board.counters[0];
            ClipToSide(s, 0);
            a.strip = (a.strip & ~0xffff) | 0x201;
            a.position = POSITION_TOWER;
        }
        return;
    }
    const Family* f = FamilyOf(a.strip);
    if (!f) return;
    const bool approach = family == 0x100;
    const bool fresh = (step == 2 && (approach || family == 0x1200)) ||
                       (step == 6 && (family == 0x200 || family == 0x1300 || family == 0x1400));
    if (fresh) {
        if (!EnterQueue(s, aircraft, a, side)) return;
        setstep(approach || family == 0x1200 ? 1 : 5);
        if (approach) {
            a.position = POSITION_APPROACH;
            PlayStripSound(SE_PRINT);
            if (GetSelectedAircraft() == aircraft)
                SetSpriteEx(Screen(), kSpriteStrip + s, -1, -1, -1, -1, -1, 14, 0x1f);
        }
        return;
    }
    switch (step) {
        case 0:
            r.x = f->x;
            ShowLabel(s, f);
            break;
        case 1:
            SlideToFamily(a, r, *f);
            break;
        case 2:
            if (!IsInStripQueue(aircraft, a.strip) || r.x < 0) {
                setstep(5);
            } else {
                setstep(1);
                PlayStripSound(family == 0x500 ? SE_DROP : SE_FEED);
                SetPosition(a, f);
                HideLabel(s);
            }
            break;
        case 3:
            if (approach) {
                setstep(4);
                PlayStripSound(SE_FEED);
                a.position = POSITION_APPROACH;
                HideLabel(s);
            }
            break;
        case 4:
            if (approach) {
                r.x -= 4;
                if (r.x <= 0) {
                    r.x = 0;
                    a.strip = (a.strip & ~0xffff) | 0x100;
                }
            }
            break;
        case 5: {
            r.x += family == 0x1500 ? 2 : 4;
            if (r.x >= f->x) {
                r.x = f->x;
                setstep(0);
                if (family >= 0x1300 && family <= 0x1500) SetPosition(a, f);
            }
            break;
        }
        default:
            break;
    }
}

// Moves a settled strip whose next place is free one place on.
void MoveUp(int s, int aircraft, AircraftRecord& a) {
    if (!(a.strip & kStripMoveUp) || (a.strip & kStripStep) != 0) return;
    StripRow& r = g_board.rows[s];
    const int place = r.place;
    if (place < 0 || place % kPlaces == kPlaces - 1) {
        a.strip &= 0xffff;
        return;
    }
    const int target = kPlaceY[place % kPlaces + 1];
    if (r.y < target) r.y += 8;
    if (r.y < target) return;
    r.y = target;
    if (g_board.queue[size_t(place)] == aircraft + 1) g_board.queue[size_t(place)] = 0;
    g_board.queue[size_t(place + 1)] = aircraft + 1;
    r.place = place + 1;
    a.strip &= 0xffff;
    const bool last = r.place % kPlaces == kPlaces - 1;
    if (last || g_board.queue[size_t(r.place + 1)] != 0) PlayStripSound(SE_FEED);
}

void TraceStrip(int s, const AircraftRecord& a, int aircraft) {
    if (g_board.traced[s] == a.strip) return;
    g_board.traced[s] = a.strip;
    const StripRow& r = g_board.rows[s];
    GameTrace("strip %d slot %d state %x x %d place %d", aircraft, s, unsigned(a.strip), r.x,
              r.place);
}

void StripPass() {
    for (int s = 0; s < kStripSlots; ++s) {
        const int aircraft = g_board.slots[size_t(s)];
        AircraftRecord* a = Aircraft(aircraft);
        if (!a) continue;
        StripRow& r = g_board.rows[s];
        TraceStrip(s, *a, aircraft);
        const int w = a->waitcount;
        const bool lit = w >= 100 ? (w - 100) % 30 >= 16 : w > 0;
        r.tile = s * 100 + (lit ? 1 : 0);
        FamilyStep(s, aircraft, *a);
        if (g_board.slots[size_t(s)] != aircraft) {  // removed
            PlaceStripSprite(s);
            TraceStrip(s, *a, aircraft);
            continue;
        }
        MoveUp(s, aircraft, *a);
        PlaceStripSprite(s);
        TraceStrip(s, *a, aircraft);
    }
    for (int side = 0; side < 2; ++side) {
        for (int p = kPlaces - 2; p >= 0; --p) {
            const int place = FirstPlace(side) + p;
            const int entry = g_board.queue[size_t(place)];
            if (entry == 0 || g_board.queue[size_t(place + 1)] != 0) continue;
            if (AircraftRecord* a = Aircraft(entry - 1)) a->strip |= kStripMoveUp;
        }
    }
}

}  // namespace

StripSlots& GetStripSlots() { return g_board.slots; }
StripQueue& GetStripQueue() { return g_board.queue; }

const StripRow* GetStripRow(int stripslot) {
    return ValidStripSlot(stripslot) ? &g_board.rows[stripslot] : nullptr;
}

int GetStripCount(int side) { return side == 0 || side == 1 ? g_board.counters[side] : 0; }

const char* GetStripMemo(int aircraft, int line) {
    const int s = HeldSlot(aircraft);
    if (s < 0 || line < 0 || line >= kStripMemoLines) return "";
    return g_board.memo[s][line];
}

void ResetStripBoard() {
    g_board = Board{};
    g_board.slots.fill(-1);
    for (int s = 0; s < kStripSlots; ++s) {
        g_board.rows[s].tile = s * 100;
        g_board.rows[s].place = -1;
        g_board.traced[s] = -1;
    }
}

int FindStripSlot(int aircraft) {
    for (int s = 0; s < kStripSlots; ++s)
        if (g_board.slots[size_t(s)] == aircraft) return s;
    for (int s = 0; s < kStripSlots; ++s)
        if (g_board.slots[size_t(s)] == -1) return s;
    return -1;
}

int IsInStripQueue(int aircraft, int32_t state) {
    const int first = FirstPlace(Side(state));
    for (int p = first; p < first + kPlaces; ++p)
        if (g_board.queue[size_t(p)] == aircraft + 1) return 1;
    return 0;
}

void DrawStrip(int slot) {
    AircraftRecord* a = Aircraft(slot);
    if (!a) return;
    const int s = FindStripSlot(slot);
    a->stripslot = s;
    if (s < 0) return;  // a seventeenth strip: none is drawn
    if (g_board.slots[size_t(s)] != slot) {
        g_board.slots[size_t(s)] = slot;
        StripRow& r = g_board.rows[s];
        r = StripRow{0, 0, 0, s * 100, -1};
        std::memset(g_board.memo[s], 0, sizeof g_board.memo[s]);
        g_board.traced[s] = -1;
    }
    const int side = Side(a->strip);
    DrawBackground(s, side, 0, GetStageCells().strip.xpos);
    char path[MAX_PATH];
    const ObjectTable* objects = GetObjectTable();
    const int flight = objects ? (*objects)[size_t(slot)].flight : 0;
    const bool jaf = Named(a->airline, "jaf"), jmf = Named(a->airline, "jmf");
    if (jaf || jmf)
        std::snprintf(path, sizeof path, "%sairplane\\%s%d.umz", GetProgramFolder(),
                      jaf ? "af" : "mf", flight);
    else
        std::snprintf(path, sizeof path, "%sairplane\\%s.umz", GetProgramFolder(), a->airline);
    DrawStripPicture(s, path, "航空会社");
    char text[32];
    if (!jaf && !jmf) {
        if (std::strncmp(a->callsign, "JA-", 3) == 0)
            std::snprintf(text, sizeof text, "JA%4d", flight);
        else
            std::snprintf(text, sizeof text, "  %4d", flight);
        DrawStripText(s, 10, 18, text);
    }
    DrawStripText(s, 88, 4,
                  std::strcmp(a->typename_, "A300-600ST") == 0 ? "A300-6ST" : a->typename_);
    std::snprintf(text, sizeof text, "  %2d:%2.2d", a->sched / 100, a->sched % 100);
    DrawStripText(s, 88, 18, text);
    if (a->port[0]) {
        std::snprintf(path, sizeof path, "%setc\\ap\\%s.umz", GetProgramFolder(), a->port);
        DrawStripPicture(s, path, "行き先");
    }
    DrawMemoArea(s, side, false);
}

void DrawStripCallsign(int slot) {
    const int s = HeldSlot(slot);
    const AircraftRecord* a = Aircraft(slot);
    if (s < 0 || !a) return;
    DrawStripText(s, 2, 18, a->callsign);
}

void AddStripMemo(int slot, const char* text) {
    const int s = HeldSlot(slot);
    const AircraftRecord* a = Aircraft(slot);
    if (s < 0 || !a || !text) return;
    // At most 18 characters, never half a double-byte one: a line stays within its 24 bytes.
    char cut[kStripMemoChars + 1];
    int n = 0;
    while (text[n] && n < kStripMemoChars) {
        const auto c = static_cast<unsigned char>(text[n]);
        const bool lead = (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc);
        if (lead && (n + 1 >= kStripMemoChars || !text[n + 1])) break;
        n += lead ? 2 : 1;
    }
    std::memcpy(cut, text, size_t(n));
    cut[n] = 0;
    char(&lines)[kStripMemoLines][kStripMemoBytes] = g_board.memo[s];
    const int l1 = int(std::strlen(lines[0])), l2 = int(std::strlen(lines[1]));
    bool moved = false;
    if (l2 == 0) {
        if (l1 == 0)
            std::snprintf(lines[0], kStripMemoBytes, "%s", cut);
        else if (l1 + 2 + n < 19)
            std::snprintf(lines[0] + l1, size_t(kStripMemoBytes - l1), "> %s", cut);
        else
            std::snprintf(lines[1], kStripMemoBytes, "%s", cut);
    } else if (l2 + n + 3 < 19) {
        std::snprintf(lines[1] + l2, size_t(kStripMemoBytes - l2), "> %s", cut);
    } else {
        std::memcpy(lines[0], lines[1], kStripMemoBytes);
        std::snprintf(lines[1], kStripMemoBytes, "%s", cut);
        moved = true;
    }
    DrawMemoArea(s, Side(a->strip), moved);
}

void SetStripRunwayMemo(int slot, int n) {
    static const char* const kRunway[] = {"22", "22", "16", "34"};
    if (n >= 0 && n < 4) AddStripMemo(slot, kRunway[n]);
}

void StripBoardMain(int ticks) {
    HZEMSCREEN scr = Screen();
    if (scr) {
        const int old = ZEM_MaskFlag(scr, 0);
        const int y = kPlaceY[0] + GetStageOffset();
        const RECT band = {800, y, 1600, y + 32};
        ZEM_MoveScreen(scr, 0, y, &band);
        ZEM_MaskFlag(scr, old);
    }
    for (int k = 0; k < ticks; ++k) StripPass();
    // The sprites follow the board also in frames without ticks (a layout change while paused).
    for (int s = 0; s < kStripSlots; ++s) {
        const AircraftRecord* a = Aircraft(g_board.slots[size_t(s)]);
        if (!a) continue;
        PlaceStripSprite(s);
        if ((a->strip & kStripStep) == 0) ShowLabel(s, FamilyOf(a->strip));
    }
}
