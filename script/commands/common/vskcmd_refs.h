// Helpers of the command libraries that take variables: the slot a reference argument names,
// the cell or wave it holds, the rectangle arguments that may be omitted, and text arguments.
#pragma once

#include <cstring>

#include "vsk_sjis.h"
#include "vskcmd.h"

namespace vskcmd {

// The slot that reference argument k names (the check has made sure it is a reference).
inline tagVALUE* Referenced(tagVALUEBLOCK* frame, int k) {
    tagVALUEBLOCK block = RefBlock(frame, k);
    return block.lpvalue + block.offset + RefIndex(frame, k);
}

// The record a value of type `mode` holds in its first word, or nullptr.
template <class T>
T* HeldRecord(const tagVALUE* v, WORD mode) {
    return v && v->mode == mode ? static_cast<T*>(VskPtr(v, 0)) : nullptr;
}

// The message an argument of the wrong type gets, as the value library's argument check gives
// it (under that library's caption, naming the command's label).
inline void TypeMessage(tagVALUAREA* ctx, const char* label, int k, const char* typeWord) {
    Message(ctx, "『Veskeran33』変数マネージャ(VSKVAL.DLL)",
            "関数(%s)において、第%d引数は%s型でなければなりません。", label, k, typeWord);
}

// The cell that variable argument k holds. A cell value without a record is refused with the
// type message (the 2D library would be handed no cell), and nullptr returned.
inline tagCELL* ArgCell(tagVALUAREA* ctx, const char* label, tagVALUEBLOCK* frame, int k) {
    tagCELL* cell = HeldRecord<tagCELL>(Referenced(frame, k), VSK_MODE_CELL);
    if (!cell) TypeMessage(ctx, label, k, "セル");
    return cell;
}

// The whole of a target, as an omitted rectangle stands for it.
inline RECT WholeRect() { return RECT{0, 0, 0x7FFF, 0x7FFF}; }

// Optional rectangle argument k (signed VSK_SIG_ANY): an edge rectangle, WholeRect() when
// omitted. false after the type message for any other type.
inline bool ArgOptionalRect(tagVALUAREA* ctx, const char* label, tagVALUEBLOCK* frame, int k,
                            RECT* out) {
    *out = WholeRect();
    WORD mode = Arg(frame, k)->mode;
    if (mode == VSK_MODE_OMITTED) return true;
    if (mode != VSK_MODE_RECT) {
        TypeMessage(ctx, label, k, "領域");
        return false;
    }
    return VSKVAL_ArgRect(ctx, frame, k, out) != 0;
}

// Rectangle argument k as an edge rectangle.
inline RECT ArgRect(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k) {
    RECT r{};
    VSKVAL_ArgRect(ctx, frame, k, &r);
    return r;
}

// Appends `bytes` to `out` (of VSK_BYTEBUF bytes), cut at a character boundary when full.
inline void Append(char* out, const char* bytes) {
    size_t at = std::strlen(out);
    for (auto* p = reinterpret_cast<const BYTE*>(bytes); *p;) {
        size_t span = vsk::IsLeadByte(*p) && p[1] ? 2 : 1;
        if (at + span >= VSK_BYTEBUF) break;
        std::memcpy(out + at, p, span);
        at += span, p += span;
    }
    out[at] = 0;
}

// Argument k as text: a string's bytes or a number's decimal text; false for other values.
inline bool ArgAsText(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k, char* out) {
    const tagVALUE* v = Arg(frame, k);
    if (v->mode == VSK_MODE_STRING) return VSKSTR_GetByte(ctx, v, out) != 0;
    if (v->mode == VSK_MODE_NUMBER) return VSKFAQ_String(ctx, v, out) != 0;
    return false;
}

}  // namespace vskcmd
