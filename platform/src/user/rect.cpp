// Rectangle helpers with the system's rules: a rectangle is empty when right <= left or
// bottom <= top, the right and bottom edges are outside it, and NULL arguments fail cleanly.
#include <windows.h>

#include <algorithm>

BOOL WINAPI SetRect(LPRECT r, int left, int top, int right, int bottom) {
    if (!r) return FALSE;
    *r = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT r) { return SetRect(r, 0, 0, 0, 0); }

BOOL WINAPI CopyRect(LPRECT dst, const RECT* src) {
    if (!dst || !src) return FALSE;
    *dst = *src;
    return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top; }

BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
    if (!a || !b) return FALSE;
    return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL WINAPI IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) return FALSE;
    if (IsRectEmpty(a) || IsRectEmpty(b) || a->left >= b->right || b->left >= a->right ||
        a->top >= b->bottom || b->top >= a->bottom) {
        SetRectEmpty(dst);
        return FALSE;
    }
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    *dst = r;
    return TRUE;
}

BOOL WINAPI UnionRect(LPRECT dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) return FALSE;
    bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
    if (ea && eb) {
        SetRectEmpty(dst);
        return FALSE;
    }
    if (ea) {
        *dst = *b;
        return TRUE;
    }
    if (eb) {
        *dst = *a;
        return TRUE;
    }
    RECT r{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
           std::max(a->bottom, b->bottom)};
    *dst = r;
    return TRUE;
}

// What is left of `a` without `b`; only shrinks `a` when `b` covers one of its sides whole,
// since the rest would not be a rectangle.
BOOL WINAPI SubtractRect(LPRECT dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) return FALSE;
    if (IsRectEmpty(a)) {
        SetRectEmpty(dst);
        return FALSE;
    }
    RECT r = *a;
    RECT cut;
    if (IntersectRect(&cut, a, b)) {
        if (EqualRect(&cut, a)) {
            SetRectEmpty(dst);
            return FALSE;
        }
        if (cut.left == a->left && cut.right == a->right) {
            if (cut.top == a->top)
                r.top = cut.bottom;
            else if (cut.bottom == a->bottom)
                r.bottom = cut.top;
        } else if (cut.top == a->top && cut.bottom == a->bottom) {
            if (cut.left == a->left)
                r.left = cut.right;
            else if (cut.right == a->right)
                r.right = cut.left;
        }
    }
    *dst = r;
    return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}

BOOL WINAPI InflateRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return TRUE;
}

BOOL WINAPI PtInRect(const RECT* r, POINT p) {
    if (!r) return FALSE;
    return p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}
