// The command argument check against a signature, and reading arguments.
#include "vskval_internal.h"

using namespace vskval;

namespace {

// The slot a reference value names, or nullptr.
const tagVALUE* Referenced(const tagVALUE* ref) {
    tagVALUEBLOCK block = VskVaqBlock(ref);
    return Slot(&block, VskVaqIndex(ref));
}

const tagVALUE* Given(const tagVALUEBLOCK* frame, int n) {
    if (n < 1) return nullptr;
    return Slot(frame, n);
}

}  // namespace

int WINAPI VSKVAL_CheckArgument(tagVALUAREA* ctx, LPCSTR label, const WORD* signature,
                                const tagVALUEBLOCK* frame) {
    static const WORD kNone[] = {0};
    if (!signature) signature = kNone;
    if (!label) label = "";
    const tagVALUE* head = Slot(frame, 0);
    if (!head) return 0;
    // Slot 0 carries the number of arguments + 1; read without the number check's message.
    int given = head->mode == VSK_MODE_NUMBER ? int(VskFaqHigh(head) & 0x7FFFFFFF) : 1;
    // A count beyond the frame's slots names slots that are not there.
    int most = frame->count - frame->offset - 1;
    int n = given - 1 < 0 ? 0 : given - 1 > most ? most : given - 1;
    for (int k = 1; k <= n; ++k) {
        WORD unit = signature[k - 1];
        if (unit == VSK_SIG_REST) return 1;
        if (unit == VSK_SIG_REFUSE) {
            Message(ctx, "関数(%s)において第%d引数は省略できません。", label, k);
            return 0;
        }
        if (unit == 0) {
            Message(ctx, "関数(%s)において引数の数が多すぎます。", label);
            return 0;
        }
        int letter = unit & 0xFF;
        const tagVALUE* tested = Slot(frame, k);
        bool fits = true;
        if ((unit >> 8) == 1) {
            fits = tested->mode == VSK_MODE_REFERENCE;
            tested = fits ? Referenced(tested) : nullptr;
        }
        if (fits && letter != VSK_SIG_ANY) fits = tested && tested->mode == letter;
        if (!fits) {
            Message(ctx, "関数(%s)において、第%d引数は%s型でなければなりません。", label, k,
                    TypeWord(letter));
            return 0;
        }
    }
    WORD next = signature[n];
    if (next != VSK_SIG_REST && next != 0) {
        Message(ctx, "関数(%s)において引数が足りません。", label);
        return 0;
    }
    return 1;
}

int WINAPI VSKVAL_OmitArgument(tagVALUAREA* ctx, const tagVALUEBLOCK* frame, int n,
                               const tagVALUE* def) {
    tagVALUE* slot = Slot(frame, n);
    if (!slot) return 0;
    if (slot->mode == VSK_MODE_OMITTED && def) {
        tagVALUE copy;
        if (!VSKFAQ_Copy(ctx, &copy, def)) return 0;
        copy.reserved = slot->reserved;
        *slot = copy;
    }
    return 1;
}

int WINAPI VSKVAL_ArgNumber(tagVALUAREA* ctx, const tagVALUEBLOCK* frame, int n, int* out) {
    const tagVALUE* arg = Given(frame, n);
    if (!arg) return 0;
    if (arg->mode == VSK_MODE_OMITTED) return 1;
    return VSKFAQ_Int(ctx, arg, out);
}

int WINAPI VSKVAL_ArgRect(tagVALUAREA* ctx, const tagVALUEBLOCK* frame, int n, RECT* out) {
    const tagVALUE* arg = Given(frame, n);
    if (!arg) return 0;
    if (arg->mode == VSK_MODE_OMITTED) return 1;
    return VSKRAQ_RaqToRect(ctx, out, arg);
}

int WINAPI VSKVAL_ArgString(tagVALUAREA* ctx, const tagVALUEBLOCK* frame, int n, char* out) {
    const tagVALUE* arg = Given(frame, n);
    if (!arg) return 0;
    if (arg->mode == VSK_MODE_OMITTED) return 1;
    return VSKSTR_GetByte(ctx, arg, out);
}
