// The game's own sprite composition over the 2D screen's sprite slots: each sprite also has a
// clip rectangle, a tint level and a tint colour, which the library's refresh does not know.
// Only the rectangles covered by sprites in this frame and the last reach the window.
#include <algorithm>
#include <array>

#include "base/base.h"

namespace {

std::array<SpriteLook, ZEM_MAXSPRITE> g_look;

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool Meets(const RECT& a, const RECT& b) {
    return !Empty(a) && !Empty(b) && a.left < b.right && b.left < a.right && a.top < b.bottom &&
           b.top < a.bottom;
}

bool Zoomed(const tagZEMSCREEN* s) { return s->zoomx != 100 || s->zoomy != 100; }

bool ValidSprite(int n) { return n >= 0 && n < ZEM_MAXSPRITE; }

// The source rectangle of frame `pattern` (column pattern mod 100, row pattern / 100).
RECT FrameOf(const tagZEMSPRITE& s, int pattern) {
    const LONG col = pattern % 100, row = pattern / 100;
    return RECT{s.xsize * col, s.ysize * row, s.xsize * (col + 1), s.ysize * (row + 1)};
}

}  // namespace

int SpriteInit(HZEMSCREEN screen, const RECT* area, const RECT* background) {
    if (!screen) return 0;
    ZEM_InitSprite(screen, area, background);
    for (SpriteLook& l : g_look) l = SpriteLook{area ? *area : RECT{0, 0, 0, 0}, 16, 0};
    return 1;
}

const SpriteLook* GetSpriteLook(int n) { return ValidSprite(n) ? &g_look[size_t(n)] : nullptr; }

int MergeRects(RECT* rects, int n) {
    if (n >= 2) {
        for (int i = 0; i + 1 < n; ++i) {
            if (Empty(rects[i])) continue;
            for (bool merged = true; merged;) {
                merged = false;
                for (int j = i + 1; j < n; ++j) {
                    if (!Meets(rects[i], rects[j])) continue;
                    UnionRect(&rects[i], &rects[i], &rects[j]);
                    rects[j] = RECT{0, 0, 0, 0};
                    merged = true;
                }
            }
        }
    }
    int kept = 0;
    for (int i = 0; i < n; ++i)
        if (!Empty(rects[i])) rects[kept++] = rects[i];
    for (int i = kept; i < n; ++i) rects[i] = RECT{0, 0, 0, 0};
    return kept;
}

int SetSpriteSize(HZEMSCREEN screen, int n, int width, int height) {
    if (!screen || !ValidSprite(n) || !screen->sprite[n].cell) return 0;
    tagZEMSPRITE& s = screen->sprite[n];
    s.xsize = width;
    s.ysize = height;
    s.src = RECT{0, 0, width, height};
    return 1;
}

int SetSpriteEx(HZEMSCREEN screen, int n, int x, int y, int z, int pattern, int key, int level,
                int tint) {
    if (!screen || !ValidSprite(n)) return 0;
    tagZEMSPRITE& s = screen->sprite[n];
    // A position is measured from the cell's offsets: a slot without a cell has none.
    if ((x != -1 || y != -1) && !s.cell) return 0;
    if (x != -1) s.x = x + s.cell->xoffset;
    if (y != -1) s.y = y + s.cell->yoffset;
    if (z != -1) s.z = z;
    if (pattern != -1 && pattern != s.pattern) {
        s.pattern = pattern;
        s.src = FrameOf(s, pattern);
    }
    if (key != -1 && DWORD(key) != s.flags) s.flags = (s.flags & 0xffff) | DWORD(key);
    SpriteLook& l = g_look[size_t(n)];
    if (level != -1) l.level = level < 1 ? 0 : std::min(level, 16);
    if (tint != -1) l.tint = tint;
    return 1;
}

int SetSpriteClip(HZEMSCREEN screen, int n, const RECT* rect) {
    if (!screen || !ValidSprite(n) || !rect) return 0;
    RECT& clip = g_look[size_t(n)].clip;
    if (!IntersectRect(&clip, rect, &screen->spritearea)) clip = RECT{0, 0, 0, 0};
    return 1;
}

int OffsetSpriteClip(HZEMSCREEN, int n, int dx, int dy) {
    if (!ValidSprite(n)) return 0;
    OffsetRect(&g_look[size_t(n)].clip, dx, dy);
    return 1;
}

int EraseSprites(HZEMSCREEN screen) {
    if (!screen) return 0;
    if (Zoomed(screen)) return ZEM_RefreshAllSprite(screen);
    const int mask = ZEM_MaskFlag(screen, 0);
    ZEM_ClipScreen(screen, &screen->spritearea);
    // The background half of the screen gives back what last frame's sprites covered.
    const LONG dx = screen->background.left - screen->spritearea.left;
    const LONG dy = screen->background.top - screen->spritearea.top;
    const int last = std::clamp<LONG>(screen->lastcount, 0, ZEM_MAXLASTRECT);
    for (int i = 0; i < last; ++i) {
        const RECT& r = screen->lastrect[i];
        const RECT from{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
        ZEM_MoveScreen(screen, r.left, r.top, &from);
    }
    ZEM_MaskFlag(screen, mask);
    ZEM_ClipScreen(screen, nullptr);
    return 1;
}

int DrawSprites(HZEMSCREEN screen) {
    if (!screen) return 0;
    if (Zoomed(screen)) return ZEM_RefreshAllSprite(screen);
    const int mask = ZEM_MaskFlag(screen, 0);
    ZEM_ClipScreen(screen, &screen->spritearea);

    // A sprite wholly outside its clip rectangle is neither drawn nor refreshed.
    int count = 0;
    for (int n = 0; n < ZEM_MAXSPRITE; ++n) {
        const tagZEMSPRITE& s = screen->sprite[n];
        if (!s.cell || s.z == 0) continue;
        const RECT r{s.x, s.y, s.x + s.xsize, s.y + s.ysize};
        if (!Meets(r, g_look[size_t(n)].clip)) continue;
        screen->drawn[count] = n;
        screen->drawnrect[count] = r;
        ++count;
    }
    screen->drawncount = count;
    // Swaps only a smaller z forward: equal z keep sprite-number order, higher z lands on top.
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int k = 0; k + 1 < count; ++k) {
            if (screen->sprite[screen->drawn[k + 1]].z >= screen->sprite[screen->drawn[k]].z)
                continue;
            std::swap(screen->drawn[k], screen->drawn[k + 1]);
            std::swap(screen->drawnrect[k], screen->drawnrect[k + 1]);
            swapped = true;
        }
    }
    for (int k = 0; k < count; ++k) {
        const int n = screen->drawn[k];
        const tagZEMSPRITE& s = screen->sprite[n];
        const SpriteLook& l = g_look[size_t(n)];
        ZEM_ClipScreen(screen, &l.clip);
        ZEM_DisplayScreen2(screen, s.x, s.y, s.cell, &s.src, s.flags, l.level, ZEMPIXEL(l.tint));
    }

    // This frame's rectangles, then together with last frame's (restored by EraseSprites), so
    // that every changed pixel reaches the window once.
    RECT now[ZEM_MAXSPRITE];
    std::copy(screen->drawnrect, screen->drawnrect + count, now);
    const int n = MergeRects(now, count);
    RECT all[ZEM_MAXLASTRECT + ZEM_MAXSPRITE];
    const int last = std::clamp<LONG>(screen->lastcount, 0, ZEM_MAXLASTRECT);
    std::copy(screen->lastrect, screen->lastrect + last, all);
    std::copy(now, now + n, all + last);
    const int m = MergeRects(all, last + n);

    ZEM_MaskFlag(screen, mask);
    ZEM_ClipScreen(screen, nullptr);
    for (int i = 0; i < m; ++i) ZEM_RefreshScreen(screen, nullptr, &all[i]);
    std::copy(now, now + n, screen->lastrect);
    screen->lastcount = n;
    return 1;
}
