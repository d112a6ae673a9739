// Sprites: 100 slots per screen drawn over a sprite area whose clean background lies in
// another part of the same screen, refreshed through merged dirty rectangles.
#include <cstring>

#include "internal.h"

namespace zem {

namespace {

constexpr long long kFar = 1LL << 30;  // positions are kept where rectangle sums cannot overflow

LONG Clamp(long long v) { return LONG(std::clamp(v, -kFar, kFar)); }

bool Empty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

tagZEMSPRITE* Slot(tagZEMSCREEN* scr, int num) {
    if (!scr || num < 0 || num >= ZEM_MAXSPRITE) return nullptr;
    return &scr->sprite[num];
}

RECT FrameRect(const tagZEMSPRITE& s) {
    return RECT{s.x, s.y, Clamp(static_cast<long long>(s.x) + s.xsize),
                Clamp(static_cast<long long>(s.y) + s.ysize)};
}

void SetPattern(tagZEMSPRITE& s, int pattern) {
    s.pattern = pattern;
    const long long col = pattern % 100, row = pattern / 100;
    s.src.left = Clamp(col * s.xsize);
    s.src.top = Clamp(row * s.ysize);
    s.src.right = Clamp(static_cast<long long>(s.src.left) + s.xsize);
    s.src.bottom = Clamp(static_cast<long long>(s.src.top) + s.ysize);
}

// Collects the visible sprites that meet the area into the drawn list, ordered by z (equal z
// keeps slot order, so the higher slot lands on top), and draws them clipped to the area.
void CollectAndDraw(tagZEMSCREEN* scr) {
    scr->drawncount = 0;
    for (int i = 0; i < ZEM_MAXSPRITE; ++i) {
        const tagZEMSPRITE& s = scr->sprite[i];
        if (!s.cell || s.z == 0) continue;
        const RECT r = FrameRect(s);
        if (!Meets(r, scr->spritearea)) continue;
        scr->drawn[scr->drawncount] = i;
        scr->drawnrect[scr->drawncount] = r;
        ++scr->drawncount;
    }
    for (int pass = 0; pass < scr->drawncount; ++pass) {
        bool swapped = false;
        for (int k = 0; k + 1 < scr->drawncount - pass; ++k) {
            if (scr->sprite[scr->drawn[k + 1]].z < scr->sprite[scr->drawn[k]].z) {
                std::swap(scr->drawn[k], scr->drawn[k + 1]);
                std::swap(scr->drawnrect[k], scr->drawnrect[k + 1]);
                swapped = true;
            }
        }
        if (!swapped) break;
    }
    for (int k = 0; k < scr->drawncount; ++k) {
        const tagZEMSPRITE& s = scr->sprite[scr->drawn[k]];
        ZEM_DisplayScreen(scr, s.x, s.y, s.cell, &s.src, s.flags);
    }
}

// Copies the clean background under `r` (area coordinates) back onto the area.
void Restore(tagZEMSCREEN* scr, const RECT& r) {
    const LONG ox = scr->background.left - scr->spritearea.left;
    const LONG oy = scr->background.top - scr->spritearea.top;
    const RECT from{r.left + ox, r.top + oy, r.right + ox, r.bottom + oy};
    ZEM_MoveScreen(scr, r.left, r.top, &from);
}

// Copies each rectangle to the window through one window DC.
void Show(tagZEMSCREEN* scr, const RECT* r, int n) {
    if (!scr->hwnd || n <= 0) return;
    HDC dc = GetDC(scr->hwnd);
    if (!dc) return;
    for (int i = 0; i < n; ++i) ZEM_RefreshScreen(scr, dc, &r[i]);
    ReleaseDC(scr->hwnd, dc);
}

// The sprite rectangles of the last draw, cut to the area (nothing outside it changed).
int DrawnInArea(const tagZEMSCREEN* scr, RECT* out) {
    int n = 0;
    for (int k = 0; k < scr->drawncount; ++k) {
        RECT r = scr->drawnrect[k];
        if (Cut(r, scr->spritearea)) out[n++] = r;
    }
    return n;
}

}  // namespace

}  // namespace zem

using namespace zem;

ZEMAPI int ZEM_InitSprite(HZEMSCREEN scr, const RECT* area, const RECT* background) {
    if (!scr) return 0;
    // The old sprites go: their area gets its clean background back.
    if (!Empty(scr->spritearea) && !Empty(scr->background)) {
        const RECT clip = scr->clip;
        ZEM_ClipScreen(scr, nullptr);
        ZEM_MoveScreen(scr, scr->spritearea.left, scr->spritearea.top, &scr->background);
        scr->clip = clip;
    }
    scr->spritearea = area ? *area : RECT{0, 0, 0, 0};
    scr->background = background ? *background : RECT{0, 0, 0, 0};
    std::memset(scr->sprite, 0, sizeof scr->sprite);
    scr->drawncount = 0;
    scr->lastcount = 0;
    return 1;
}

ZEMAPI int ZEM_AdjustSprite(HZEMSCREEN scr, const RECT* area, const RECT* background) {
    if (!scr) return 0;
    if (area) scr->spritearea = *area;
    if (background) scr->background = *background;
    return ZEM_RefreshAllSprite(scr);
}

ZEMAPI int ZEM_CreateSprite(HZEMSCREEN scr, int num, tagCELL* cell, int xsize, int ysize) {
    tagZEMSPRITE* s = Slot(scr, num);
    if (!s || s->cell || !cell) return 0;
    s->cell = cell;
    s->xsize = xsize ? xsize : cell->xpos;
    s->ysize = ysize ? ysize : cell->ypos;
    s->flags = cell->mask;
    SetPattern(*s, 0);
    return 1;
}

ZEMAPI int ZEM_DeleteSprite(HZEMSCREEN scr, int num) {
    tagZEMSPRITE* s = Slot(scr, num);
    if (!s) return 0;
    *s = tagZEMSPRITE{};
    return 1;
}

ZEMAPI int ZEM_SetSprite(HZEMSCREEN scr, int num, int x, int y, int z, int pattern, int flags) {
    tagZEMSPRITE* s = Slot(scr, num);
    if (!s || !s->cell) return 0;
    if (x != -1) s->x = Clamp(static_cast<long long>(x) + s->cell->xoffset);
    if (y != -1) s->y = Clamp(static_cast<long long>(y) + s->cell->yoffset);
    if (z != -1) s->z = z;
    if (pattern != -1) SetPattern(*s, pattern);
    // Mirror, flip and no-key come from the caller; the key itself stays.
    if (flags != -1) s->flags = DWORD(flags) | (s->flags & 0xFFFF);
    return 1;
}

ZEMAPI int ZEM_HitSprite(HZEMSCREEN scr, int x, int y, int pixeltest) {
    if (!scr) return -1;
    for (int k = scr->drawncount - 1; k >= 0; --k) {
        const tagZEMSPRITE& s = scr->sprite[scr->drawn[k]];
        const RECT& r = scr->drawnrect[k];  // where it was drawn in the last refresh
        if (!s.cell || x < r.left || x >= r.right || y < r.top || y >= r.bottom) continue;
        if (!pixeltest) return scr->drawn[k];
        // The pixel drawn at the point: mirrored and flipped sprites are looked up the way
        // they were drawn.
        const long long dx = static_cast<long long>(x) - r.left,
                        dy = static_cast<long long>(y) - r.top;
        const long long cx = (s.flags & ZEM_MIRROR) ? s.src.right - 1 - dx : s.src.left + dx;
        const long long cy = (s.flags & ZEM_FLIP) ? s.src.bottom - 1 - dy : s.src.top + dy;
        // The hit follows the drawing: the key word decides what was left out.
        if (s.flags & ZEM_NOKEY) return scr->drawn[k];
        // Outside the cell nothing was drawn: the point falls through like a keyed pixel.
        if (!s.cell->bits || cx < 0 || cy < 0 || cx >= s.cell->xsize || cy >= s.cell->ysize)
            continue;
        const ZEMPIXEL p = s.cell->bits[cy * s.cell->xsize + cx];
        if (!(p & ZEMPIXEL_HALF) && (p & 0x7FFF) != (s.flags & 0x7FFF)) return scr->drawn[k];
    }
    return -1;
}

ZEMAPI int ZEM_RefreshSprite(HZEMSCREEN scr) {
    if (!scr) return 0;
    if (scr->zoomx != 100 || scr->zoomy != 100) return ZEM_RefreshAllSprite(scr);
    scr->mask = 0;
    ZEM_ClipScreen(scr, &scr->spritearea);
    for (int i = 0; i < scr->lastcount; ++i) Restore(scr, scr->lastrect[i]);
    CollectAndDraw(scr);
    // This frame's rectangles merged, then together with the last frame's (restored) ones,
    // so that every changed pixel reaches the window once.
    RECT now[ZEM_MAXSPRITE];
    const int n = MergeRects(now, DrawnInArea(scr, now));
    RECT all[ZEM_MAXLASTRECT + ZEM_MAXSPRITE];
    const int last = std::clamp<LONG>(scr->lastcount, 0, ZEM_MAXLASTRECT);
    std::copy(scr->lastrect, scr->lastrect + last, all);
    std::copy(now, now + n, all + last);
    const int m = MergeRects(all, last + n);
    scr->mask = 1;
    ZEM_ClipScreen(scr, nullptr);
    Show(scr, all, m);
    std::copy(now, now + n, scr->lastrect);
    scr->lastcount = n;
    return 1;
}

ZEMAPI int ZEM_RefreshAllSprite(HZEMSCREEN scr) {
    if (!scr) return 0;
    scr->mask = 0;
    ZEM_ClipScreen(scr, &scr->spritearea);
    ZEM_MoveScreen(scr, scr->spritearea.left, scr->spritearea.top, &scr->background);
    CollectAndDraw(scr);
    scr->mask = 1;
    ZEM_ClipScreen(scr, nullptr);
    RECT area = scr->spritearea;
    if (Cut(area, scr->clip)) Show(scr, &area, 1);
    scr->lastcount = DrawnInArea(scr, scr->lastrect);
    return 1;
}
