// Helpers of the command libraries that take variables: the slot a reference argument names,
// the cell or wave it holds, and the rectangle arguments that may be omitted.
#pragma once

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

}  // namespace vskcmd
