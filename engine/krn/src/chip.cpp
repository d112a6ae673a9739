// Chips: single slots and runs of slots of the scene chip array.
#include <cmath>
#include <cstring>

#include "krn.h"
#include "krn_internal.h"

using krn::ValidSlot;

KRNAPI int WINAPI KRN_SetChip(tagKRN* krn, int slot, tagKRNCHIP* chip) {
    if (!ValidSlot(krn, slot) || !chip) return 0;
    if (chip->htex) {
        // A texture carries its own colours: the chip is lit as white.
        chip->red = chip->green = chip->blue = 255;
        for (int k = 0; k < 3; ++k) chip->r[k] = chip->g[k] = chip->b[k] = 255;
        chip->flags &= ~KRNCHIP_VERTEXCOLOR;
    }
    chip->no = slot;
    krn->lpchip[slot] = *chip;
    return 1;
}

KRNAPI int WINAPI KRN_GetChip(tagKRN* krn, int slot, tagKRNCHIP* chip) {
    if (!ValidSlot(krn, slot) || !chip) return 0;
    *chip = krn->lpchip[slot];
    return 1;
}

KRNAPI int WINAPI KRN_DeleteChip(tagKRN* krn, int slot) {
    if (!ValidSlot(krn, slot)) return 0;
    std::memset(&krn->lpchip[slot], 0, sizeof(tagKRNCHIP));
    return 1;
}

KRNAPI int WINAPI KRN_ScaleChip(tagKRN* krn, int slot, const tagKRN3D* s) {
    if (!ValidSlot(krn, slot) || krn->lpchip[slot].mode == KRNCHIP_FREE) return 0;
    tagKRNCHIP& c = krn->lpchip[slot];
    for (auto& v : c.v) KRN_Scale3D(&v, &v, s);
    return 1;
}

KRNAPI int WINAPI KRN_ShiftChip(tagKRN* krn, int slot, const tagKRN3D* s) {
    if (!ValidSlot(krn, slot) || krn->lpchip[slot].mode == KRNCHIP_FREE) return 0;
    tagKRNCHIP& c = krn->lpchip[slot];
    for (auto& v : c.v) KRN_Add3D(&v, &v, s);
    return 1;
}

KRNAPI int WINAPI KRN_RotateChip(tagKRN* krn, int slot, const tagKRN3D* angles) {
    if (!ValidSlot(krn, slot) || krn->lpchip[slot].mode == KRNCHIP_FREE) return 0;
    tagKRNCHIP& c = krn->lpchip[slot];
    for (auto& v : c.v) KRN_Rotate3D(&v, &v, angles);
    KRN_Rotate3D(&c.normal, &c.normal, angles);
    for (auto& n : c.n) KRN_Rotate3D(&n, &n, angles);
    return 1;
}

KRNAPI int WINAPI KRN_SwitchChip(tagKRN* krn, int slot, int flag) {
    if (!ValidSlot(krn, slot)) return 0;
    krn->lpchip[slot].mode = flag ? KRNCHIP_SHOW : KRNCHIP_HIDE;
    return 1;
}

KRNAPI int WINAPI KRN_BackChip(tagKRN* krn, int slot, int flag) {
    if (!ValidSlot(krn, slot)) return 0;
    if (flag)
        krn->lpchip[slot].flags |= KRNCHIP_TWOSIDED;
    else
        krn->lpchip[slot].flags &= ~KRNCHIP_TWOSIDED;
    return 1;
}

KRNAPI int WINAPI KRN_SearchChip(tagKRN* krn, int start, int n) {
    if (!krn || !krn->lpchip || n < 1 || start < 0) return -1;
    // A run never ends on the last slot (a + n < chipmax).
    for (int a = start; a + n < krn->chipmax; ++a) {
        int k = 0;
        while (k < n && krn->lpchip[a + k].mode == KRNCHIP_FREE) ++k;
        if (k == n) return a;
        a += k;  // the slot at a + k is taken: no run can start before the one after it
    }
    return -1;
}

KRNAPI int WINAPI KRN_SmoothChip(tagKRN* krn, int start, int n, int exact) {
    if (!ValidSlot(krn, start) || n < 0 || n > krn->chipmax - start) return -1;
    tagKRNCHIP* run = krn->lpchip + start;
    auto same = [exact](const tagKRN3D& a, const tagKRN3D& b) {
        return exact ? KRN_Comp3D(&a, &b) : krn::CompFuzzy3D(&a, &b);
    };
    for (int i = 0; i < n; ++i) {
        tagKRNCHIP& q = run[i];
        if (q.mode != KRNCHIP_SHOW) continue;
        bool changed = false;
        bool matched[3] = {false, false, false};
        // Vertices met before take the normal already worked out there.
        for (int k = 0; k < 3; ++k) {
            for (int j = 0; j < i; ++j) {
                // A free slot is no geometry: its zero vertices must not lend zero normals.
                if (run[j].mode == KRNCHIP_FREE) continue;
                for (int l = 0; l < 3; ++l) {
                    if (same(run[j].v[l], q.v[k])) {
                        q.n[k] = run[j].n[l];
                        matched[k] = true;
                    }
                }
            }
            if (matched[k]) changed = true;
        }
        // New vertices take the mean of the normals met from here to the end of the run.
        for (int k = 0; k < 3; ++k) {
            if (matched[k]) continue;
            tagKRN3D sum{0, 0, 0, 0};
            int count = 0;
            for (int j = i; j < n; ++j) {
                if (run[j].mode == KRNCHIP_FREE) continue;
                for (int l = 0; l < 3; ++l) {
                    if (same(run[j].v[l], q.v[k])) {
                        KRN_Add3D(&sum, &sum, &run[j].n[l]);
                        ++count;
                    }
                }
            }
            if (count > 1) {
                KRN_Normal3D(&q.n[k], sum.x / count, sum.y / count, sum.z / count);
                changed = true;
            }
        }
        if (changed) q.flags |= KRNCHIP_SMOOTH;
    }
    return 0;
}
