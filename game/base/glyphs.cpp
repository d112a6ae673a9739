// Text drawn from glyph strips, and the plain rectangle copy between cells.
#include <algorithm>
#include <cstring>

#include "base/base.h"

namespace {

// One run of glyphs: `first` is the character of glyph 0, `advance` the step per character.
int DrawGlyphs(tagCELL* dest, const tagCELL* glyphs, int x, int y, const char* text, int flags,
               char first, int advance, int alignshift) {
    const int gw = glyphs->xpos, gh = glyphs->ypos;
    if (gw <= 0 || gh <= 0) return x;
    const int perRow = glyphs->xsize / gw;
    const int top = (flags & 0xff) * gh;
    const int len = static_cast<int>(std::strlen(text));
    if (flags & 0x100) x -= advance * len + alignshift;
    for (int i = 0; i < len; ++i, x += advance) {
        const int g = static_cast<unsigned char>(text[i]) - static_cast<unsigned char>(first);
        if (g < 0 || g >= perRow) continue;
        const RECT src{g * gw, top, g * gw + gw, top + gh};
        ZEM_CopyCell(dest, x, y, glyphs, &src, glyphs->mask);
    }
    return x;
}

}  // namespace

int DrawNumberCell(tagCELL* dest, const tagCELL* glyphs, int x, int y, const char* text,
                   int flags) {
    const int gw = glyphs->xpos;
    const char first = gw > 0 && glyphs->xsize / gw < 11 ? '0' : ' ';
    return DrawGlyphs(dest, glyphs, x, y, text, flags, first, gw, 0);
}

int DrawStringCell(tagCELL* dest, const tagCELL* glyphs, int x, int y, const char* text,
                   int flags) {
    return DrawGlyphs(dest, glyphs, x, y, text, flags, ' ', glyphs->xpos - 2, 1);
}

void CopyCellRect(tagCELL* dest, int x, int y, const tagCELL* src, const RECT* rect) {
    if (!dest || !src || !rect || !dest->bits || !src->bits) return;
    int left = rect->left, top = rect->top, right = rect->right, bottom = rect->bottom;
    // Clip the source rectangle to the source cell, moving the target with it.
    if (left < 0) x -= left, left = 0;
    if (top < 0) y -= top, top = 0;
    right = std::min<int>(right, src->xsize);
    bottom = std::min<int>(bottom, src->ysize);
    // Then the target to the destination cell, moving the source with it.
    if (x < 0) left -= x, x = 0;
    if (y < 0) top -= y, y = 0;
    right = std::min<int>(right, left + dest->xsize - x);
    bottom = std::min<int>(bottom, top + dest->ysize - y);
    if (right <= left || bottom <= top) return;
    for (int row = top; row < bottom; ++row)
        std::memcpy(dest->bits + static_cast<size_t>(y + row - top) * dest->xsize + x,
                    src->bits + static_cast<size_t>(row) * src->xsize + left,
                    static_cast<size_t>(right - left) * sizeof(ZEMPIXEL));
}
