// Textures shared by path and colour-key switch in 500 counted slots, and cells moved into and
// out of a view.
#include <cstring>
#include <strings.h>

#include "krn.h"
#include "messages.h"
#include "nxlib.h"
#include "texture.h"
#include "umb33.h"

namespace {

bool g_small = false;  // reduced textures first
int g_fallbacks = 0;   // reduced textures used for want of memory
int g_failures = 0;    // textures that could not be loaded

tagKRNTEXTURE* SlotOf(tagKRN* krn, DWORD_PTR htex) {
    // A handle is the address of a slot of this record; anything else is no texture.
    DWORD_PTR base = reinterpret_cast<DWORD_PTR>(krn->texture);
    if (htex < base) return nullptr;
    DWORD_PTR off = htex - base;
    if (off % sizeof(tagKRNTEXTURE) || off / sizeof(tagKRNTEXTURE) >= KRN_TEXTUREMAX)
        return nullptr;
    return krn->texture + off / sizeof(tagKRNTEXTURE);
}

DWORD_PTR HandleOf(tagKRNTEXTURE* slot) { return reinterpret_cast<DWORD_PTR>(slot); }

// Tries one form of the file: drive + folder + stem + extension into the slot's path.
bool TryLoad(tagKRN* krn, tagKRNTEXTURE* slot, const char* drive, const char* dir, const char* stem,
             const char* ext) {
    NXL_FILE_MakePath(slot->path, drive, dir, stem, ext, sizeof slot->path);
    return krn->ACC_LOADTEXTURE(krn, slot) != 0;
}

}  // namespace

namespace krn {

void ResetTextureCounters() {
    g_fallbacks = 0;
    g_failures = 0;
}

void SetSmallTextures(bool on) { g_small = on; }

}  // namespace krn

KRNAPI DWORD_PTR WINAPI KRN_ReadTexture(tagKRN* krn, const char* path, int mask) {
    if (!krn || !path || std::strlen(path) >= sizeof krn->texture[0].path) return 0;
    for (auto& t : krn->texture) {
        if (t.path[0] && t.mask == mask && strcasecmp(t.path, path) == 0) {
            ++t.count;
            return HandleOf(&t);
        }
    }
    int no = -1;
    for (int i = 0; i < KRN_TEXTUREMAX; ++i)
        if (!krn->texture[i].path[0]) {
            no = i;
            break;
        }
    if (no < 0) return 0;
    if (g_small && no == 2)
        krn::Warn(krn->hwnd, krn::text::kTextureCaption, krn::text::kSmallTextures);

    tagKRNTEXTURE* slot = &krn->texture[no];
    std::memset(slot, 0, sizeof *slot);
    slot->mode = 1;
    slot->no = no;
    slot->mask = mask;
    slot->count = 1;
    char drive[NXL_MAX_DRIVE], dir[NXL_MAX_DIR], stem[NXL_MAX_FNAME], ext[NXL_MAX_EXT];
    NXL_FILE_SeparatePath(path, drive, dir, stem, ext);
    NXL_FILE_MakePath(slot->file, nullptr, nullptr, stem, ext, sizeof slot->file);
    char small[NXL_MAX_FNAME + 4];
    NXL_FILE_MakePath(small, nullptr, nullptr, stem, "256", sizeof small);

    bool ok;
    if (!g_small) {
        ok = TryLoad(krn, slot, drive, dir, stem, ext);
        if (!ok) {
            if (g_fallbacks == 0) krn::Warn(krn->hwnd, path, krn::text::kReducedTextures);
            ++g_fallbacks;
            ok = TryLoad(krn, slot, drive, dir, small, ext);
        }
    } else {
        ok =
            TryLoad(krn, slot, drive, dir, small, ext) || TryLoad(krn, slot, drive, dir, stem, ext);
    }
    if (ok) {
        // The slot shows the path as requested, whichever form was loaded.
        std::strcpy(slot->path, path);
        return HandleOf(slot);
    }
    std::memset(slot, 0, sizeof *slot);
    if (!NXL_FILE_Exist(path)) {
        krn::Warn(krn->hwnd, krn::text::kTextureCaption, krn::text::kTextureNotFound, path);
    } else {
        if (g_failures == 0) krn::Warn(krn->hwnd, stem, krn::text::kTextureNoMemory, path);
        ++g_failures;
    }
    return 0;
}

KRNAPI int WINAPI KRN_DeleteTexture(tagKRN* krn, DWORD_PTR htex) {
    if (!krn) return 0;
    tagKRNTEXTURE* slot = SlotOf(krn, htex);
    if (!slot || !slot->path[0]) return 0;
    if (--slot->count <= 0) {
        krn->ACC_DELETETEXTURE(krn, slot);
        std::memset(slot, 0, sizeof *slot);
    }
    return 1;
}

KRNAPI void WINAPI KRN_ChangeTexture(tagKRN* krn, DWORD_PTR a, DWORD_PTR b) {
    if (!krn) return;
    tagKRNTEXTURE* sa = SlotOf(krn, a);
    tagKRNTEXTURE* sb = SlotOf(krn, b);
    if (!sa || !sb || sa == sb) return;
    tagKRNTEXTURE t = *sa;
    *sa = *sb;
    *sb = t;
}

KRNAPI int WINAPI KRN_EnumTexture(tagKRN* krn, tagKRNENUMTEXTURE* rows) {
    if (!krn) return 0;
    int n = 0;
    for (auto& t : krn->texture) {
        if (!t.mode) continue;
        if (rows) {
            tagKRNENUMTEXTURE& r = rows[n];
            std::memset(&r, 0, sizeof r);
            r.htex = HandleOf(&t);
            std::memcpy(r.path, t.path, sizeof r.path);
            std::memcpy(r.file, t.file, sizeof r.file);
            r.mask = t.mask;
        }
        ++n;
    }
    return n;
}

namespace {

struct Box {
    LONG left, top, right, bottom;
    bool Empty() const { return right <= left || bottom <= top; }
    Box Cut(const Box& o) const {
        return {left > o.left ? left : o.left, top > o.top ? top : o.top,
                right < o.right ? right : o.right, bottom < o.bottom ? bottom : o.bottom};
    }
};

bool ValidView(const tagKRN* krn, int view) { return krn && view >= 0 && view < KRN_VIEWMAX; }

}  // namespace

KRNAPI int WINAPI KRN_PutScreen(tagKRN* krn, int view, int x, int y, tagKRNCELL* cell, RECT* src) {
    if (!ValidView(krn, view) || !cell) return 0;
    Box s{0, 0, cell->xsize, cell->ysize};
    if (src) {
        Box c = s.Cut({src->left, src->top, src->right, src->bottom});
        x += c.left - s.left;
        y += c.top - s.top;
        s = c;
    }
    if (s.Empty()) return 0;
    const tagKRNVIEW& v = krn->view[view];
    Box d{x, y, x + (s.right - s.left), y + (s.bottom - s.top)};
    Box cut = d.Cut({0, 0, v.xsize, v.ysize});
    if (cut.Empty()) return 0;
    s.left += cut.left - d.left;
    s.top += cut.top - d.top;
    s.right = s.left + (cut.right - cut.left);
    s.bottom = s.top + (cut.bottom - cut.top);
    RECT r{s.left, s.top, s.right, s.bottom};
    return krn->ACC_PUTSCREEN(krn, view, cut.left, cut.top, cell, &r);
}

KRNAPI int WINAPI KRN_GetScreen(tagKRN* krn, tagKRNCELL* cell, int x, int y, int view, RECT* rect) {
    if (!ValidView(krn, view) || !cell) return 0;
    const tagKRNVIEW& v = krn->view[view];
    Box area{0, 0, v.xsize, v.ysize};
    if (rect) area = area.Cut({rect->left, rect->top, rect->right, rect->bottom});
    if (area.Empty()) return 0;
    // The cell's rectangle from (x, y) lies over the view region from its top-left corner; the
    // driver copies the back buffer at the met region's corner into that part of the cell.
    Box cellBox{x + area.left, y + area.top, cell->xsize + area.left, cell->ysize + area.top};
    Box meet = cellBox.Cut(area);
    if (meet.Empty()) return 0;
    RECT r{meet.left - area.left, meet.top - area.top, meet.right - area.left,
           meet.bottom - area.top};
    return krn->ACC_GETSCREEN(krn, cell, meet.left, meet.top, view, &r);
}
