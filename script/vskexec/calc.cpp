// The expression evaluator: one expression of the bytecode into one value. Operators combine
// by their binding levels (higher binds tighter, equal levels from the left); assignment takes
// the whole rest of the expression; commands are operands and are called from here.
#include <cstring>

#include "vskexec_internal.h"

using namespace vskexec;

namespace {

const BYTE* ReadOperand(tagVALUAREA* ctx, const BYTE* p, tagVALUE* out);

bool MakeInteger(tagVALUAREA* ctx, tagVALUE* out, int32_t v) {
    return VSKFAQ_Number(ctx, out, v == 0 ? 0 : 1, v, 0) != 0;
}

// A postfix ++ or -- right after a variable: the variable moves by one; the value already
// read is the one before.
const BYTE* Postfix(tagVALUAREA* ctx, const BYTE* p, const tagVALUEBLOCK& block, int index) {
    if (*p != VSKCODE_INC && *p != VSKCODE_DEC) return p;
    tagVALUE v{}, one{};
    if (!VSKVAL_Get(ctx, &block, index, &v)) return nullptr;
    MakeInteger(ctx, &one, 1);
    int ok = *p == VSKCODE_INC ? VSKFAQ_Add(ctx, &v, &one) : VSKFAQ_Sub(ctx, &v, &one);
    if (ok != 1 || !VSKVAL_Set(ctx, &block, index, &v)) return nullptr;
    return p + 1;
}

// The value of a resolved variable (a copy the caller owns), then its postfix step at `p`.
const BYTE* ValueOf(tagVALUAREA* ctx, const BYTE* p, const tagVALUEBLOCK& block, int index,
                    tagVALUE* out) {
    tagVALUE v{};
    if (!VSKVAL_Get(ctx, &block, index, &v)) return nullptr;
    if (!CopyInto(ctx, out, &v)) return nullptr;
    return Postfix(ctx, p, block, index);
}

const BYTE* ReadVariable(tagVALUAREA* ctx, const BYTE* p, tagVALUE* out) {
    tagVALUEBLOCK block{};
    int index = 0;
    p = ResolveVariable(ctx, p, &block, &index);
    return p ? ValueOf(ctx, p, block, index, out) : nullptr;
}

// Fills the frame from the call's argument codes and calls the command.
const BYTE* Call(tagVALUAREA* ctx, const BYTE* record, tagVALUE* out) {
    tagFUNC f = VskReadFunc(record);
    tagVALUE slots[VSK_ARGFRAME_SLOTS] = {};
    tagVALUEBLOCK frame{slots, VSK_ARGFRAME_SLOTS, 0};
    const BYTE* a = record + f.arg;
    bool ok = f.count >= 0 && f.count < VSK_ARGFRAME_SLOTS;
    for (int k = 1; ok && k <= f.count; ++k) {
        const BYTE* start = a;
        if (*a == VSKCODE_REFERENCE) {
            tagVALUEBLOCK block{};
            int index = 0;
            a = ResolveVariable(ctx, a + 1, &block, &index);
            if (a) VskSetVaq(&slots[k], &block, index);
        } else if (*a != VSKCODE_END) {
            a = VSKEXEC_Calc(ctx, a, &slots[k]);
        } else {
            slots[k].mode = VSK_MODE_OMITTED;
        }
        ok = a != nullptr;
        if (ok) {
            slots[k].reserved = reinterpret_cast<DWORD_PTR>(start);
            ++a;  // the argument's closing 0
        }
    }
    int result = 0;
    if (ok) {
        MakeInteger(ctx, &slots[0], f.count + 1);
        slots[0].reserved = reinterpret_cast<DWORD_PTR>(record);
        if (f.count + 1 < VSK_ARGFRAME_SLOTS) slots[f.count + 1].mode = VSK_MODE_OMITTED;
        result = CallCommand(ctx, record, f, &frame);
    }
    for (int k = 1; k < VSK_ARGFRAME_SLOTS; ++k) Release(ctx, &slots[k]);
    if (!result) {
        Release(ctx, &slots[0]);
        return nullptr;
    }
    Release(ctx, out);
    *out = slots[0];
    out->reserved = 0;
    return record + f.end;
}

const BYTE* ReadOperand(tagVALUAREA* ctx, const BYTE* p, tagVALUE* out) {
    bool notOp = false, negate = false;
    if (*p == VSKCODE_NOT) {
        notOp = true;
        ++p;
    }
    if (*p == VSKCODE_NEGATE) {
        negate = true;
        ++p;
    }
    switch (*p) {
        case VSKCODE_ZERO:
            Release(ctx, out);
            MakeInteger(ctx, out, 0);
            ++p;
            break;
        case VSKCODE_INT8:
            Release(ctx, out);
            MakeInteger(ctx, out, int8_t(p[1]));
            p += 2;
            break;
        case VSKCODE_INT16:
            Release(ctx, out);
            MakeInteger(ctx, out, int16_t(Read16(p + 1)));
            p += 3;
            break;
        case VSKCODE_INT32:
            Release(ctx, out);
            if (!MakeInteger(ctx, out, int32_t(Read32(p + 1)))) return nullptr;
            p += 5;
            break;
        case VSKCODE_FIXED:
            Release(ctx, out);
            if (!VSKFAQ_Number(ctx, out, 1, int(Read32(p + 1)), Read32(p + 5))) return nullptr;
            p += 9;
            break;
        case VSKCODE_STRING: {
            int n = Read16(p + 1);
            WORD units[VSK_WORDBUF + 1];
            if (n > VSK_WORDBUF) n = VSK_WORDBUF;
            for (int i = 0; i < n; ++i) units[i] = Read16(p + 3 + 2 * i);
            units[n] = 0;
            Release(ctx, out);
            if (!VSKSTR_SetWord(ctx, out, units)) return nullptr;
            p += 3 + 2 * Read16(p + 1) + 2;
            break;
        }
        case VSKCODE_SYSTEM:
        case VSKCODE_USER:
        case VSKCODE_LOCAL:
            p = ReadVariable(ctx, p, out);
            break;
        case VSKCODE_PAREN:
            p = VSKEXEC_Calc(ctx, p + 1, out);
            if (p) ++p;  // where the ')' stood
            break;
        case VSKCODE_CALL:
            p = Call(ctx, p, out);
            break;
        default:
            break;
    }
    if (!p) return nullptr;
    if (out->mode == VSK_MODE_NUMBER) {
        if (notOp && !VSKFAQ_Not(ctx, out)) return nullptr;
        if (negate) VSKFAQ_Neg(ctx, out);
    }
    return p;
}

// Combines acc with right by the operator `op`. False when the value library refused.
bool Combine(tagVALUAREA* ctx, BYTE op, tagVALUE* acc, tagVALUE* right) {
    int c = 0;
    switch (op) {
        case VSKCODE_POWER: {
            if (right->mode == VSK_MODE_NUMBER && VskFaqLow(right) != 0) {
                Message(ctx, "べき乗数は整数しか設定できません。");
                return false;
            }
            int n = 0;
            return VSKFAQ_Int(ctx, right, &n) && VSKFAQ_Power(ctx, acc, n);
        }
        case VSKCODE_MUL:
            return VSKFAQ_Mul(ctx, acc, right) == 1;
        case VSKCODE_DIV:
            return VSKFAQ_Div(ctx, acc, right) == 1;
        case VSKCODE_IDIV:
            if (VSKFAQ_Div(ctx, acc, right) != 1) return false;
            VskSetDword(acc, 1, 0);
            return true;
        case VSKCODE_MOD:
            return VSKFAQ_Mod(ctx, acc, right) == 1;
        case VSKCODE_ADD:
            // A join past 999 units gives -1 after its message, which is no failure: the left
            // string stays as it was and the expression goes on.
            return VSKFAQ_Add(ctx, acc, right) != 0;
        case VSKCODE_SUB:
            return VSKFAQ_Sub(ctx, acc, right) == 1;
        case VSKCODE_EQ:
        case VSKCODE_NE:
        case VSKCODE_GT:
        case VSKCODE_LT:
        case VSKCODE_GE:
        case VSKCODE_LE: {
            if (VSKFAQ_Comp(ctx, acc, right, &c) != 1) return false;
            bool holds = op == VSKCODE_EQ   ? c == 0
                         : op == VSKCODE_NE ? c != 0
                         : op == VSKCODE_GT ? c > 0
                         : op == VSKCODE_LT ? c < 0
                         : op == VSKCODE_GE ? c >= 0
                                            : c <= 0;
            Release(ctx, acc);
            VSKFAQ_Bool(ctx, acc, holds);
            return true;
        }
        case VSKCODE_AND:
            return VSKFAQ_And(ctx, acc, right) == 1;
        case VSKCODE_OR:
            return VSKFAQ_Or(ctx, acc, right) == 1;
        case VSKCODE_XOR:
            return VSKFAQ_Xor(ctx, acc, right) == 1;
        case VSKCODE_ANDAND:
        case VSKCODE_OROR: {
            int ok =
                op == VSKCODE_ANDAND ? VSKFAQ_And(ctx, acc, right) : VSKFAQ_Or(ctx, acc, right);
            if (ok != 1) return false;
            VskSetDword(acc, 1, 0);
            if (VskFaqHigh(acc) != 0) VskSetDword(acc, 0, 1);
            return true;
        }
    }
    return true;
}

// One operator and its right side, which first takes every operator that binds tighter.
const BYTE* Precedence(tagVALUAREA* ctx, BYTE op, tagVALUE* acc, const BYTE* p) {
    tagVALUE right{};
    p = ReadOperand(ctx, p, &right);
    while (p && *p >= 0x80 && VskOperatorLevel(*p) > VskOperatorLevel(op))
        p = Precedence(ctx, *p, &right, p + 1);
    if (p && !Combine(ctx, op, acc, &right)) p = nullptr;
    Release(ctx, &right);
    return p;
}

// A variable's number written as a plain integer (as the compiler writes $A and $12): read
// straight from the code, without making a value of it. False for any other expression.
bool ConstantSlot(const BYTE** p, int* slot) {
    const BYTE* q = *p;
    switch (*q) {
        case VSKCODE_ZERO:
            *slot = 0;
            *p = q + 1;
            return true;
        case VSKCODE_INT8:
            *slot = int8_t(q[1]);
            *p = q + 2;
            return true;
        case VSKCODE_INT16:
            *slot = int16_t(Read16(q + 1));
            *p = q + 3;
            return true;
    }
    return false;
}

bool IsVariable(BYTE code) {
    return code == VSKCODE_SYSTEM || code == VSKCODE_USER || code == VSKCODE_LOCAL;
}

}  // namespace

namespace vskexec {

const BYTE* ResolveVariable(tagVALUAREA* ctx, const BYTE* p, tagVALUEBLOCK* block, int* index) {
    BYTE code = *p++;
    if (code == VSKCODE_LOCAL) {
        tagVALUEBLOCK* local = VSKVAL_GetLocal(ctx, RunningTask(ctx));
        if (!local) return nullptr;
        *block = *local;
        *index = int(*p++) - 64;
    } else {
        int slot = 0;
        if (!ConstantSlot(&p, &slot)) {
            tagVALUE n{};
            p = ReadOperand(ctx, p, &n);
            bool ok = p && VSKFAQ_Int(ctx, &n, &slot);
            Release(ctx, &n);
            if (!ok) return nullptr;
        }
        *block = code == VSKCODE_SYSTEM ? ctx->vbsystem : ctx->vbuser;
        *index = slot;
    }
    if (*p == VSKCODE_INDEX) {
        tagVALUE ix{};
        p = VSKEXEC_Calc(ctx, p + 1, &ix);
        if (p && ix.mode != VSK_MODE_NUMBER) {
            Message(ctx, "配列番号に数値以外の値が指定されています。");
            p = nullptr;
        }
        int add = 0;
        if (p) VSKFAQ_Int(ctx, &ix, &add);
        Release(ctx, &ix);
        if (!p) return nullptr;
        *index += add;
        ++p;  // the index's closing 0
    }
    return p;
}

}  // namespace vskexec

const BYTE* WINAPI VSKEXEC_Calc(tagVALUAREA* ctx, const BYTE* code, tagVALUE* out) {
    if (!ctx || !code || !out) return nullptr;
    const BYTE* p = code;
    if (IsVariable(*p)) {
        tagVALUEBLOCK block{};
        int index = 0;
        const BYTE* after = ResolveVariable(ctx, p, &block, &index);
        if (!after) return nullptr;
        if (*after == VSKCODE_ASSIGN) {
            tagVALUE v{};
            const BYTE* end = VSKEXEC_Calc(ctx, after + 1, &v);
            if (!end) {
                Release(ctx, &v);
                return nullptr;
            }
            VSKVAL_Clear(ctx, &block, index);
            if (!VSKVAL_Set(ctx, &block, index, &v)) {
                Release(ctx, &v);
                return nullptr;
            }
            return CopyInto(ctx, out, &v) ? end : nullptr;
        }
        p = ValueOf(ctx, after, block, index, out);
    } else {
        p = ReadOperand(ctx, p, out);
    }
    while (p && *p >= 0x80) p = Precedence(ctx, *p, out, p + 1);
    return p;
}
