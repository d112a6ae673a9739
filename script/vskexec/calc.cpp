// The expression evaluator: one expression of the bytecode into one value. Operators combine
// by their binding levels (higher binds tighter, equal levels from the left); assignment takes
// the whole rest of the expression; commands are operands and are called from here.
#include <cstring>

#include "vskexec_internal.h"

using namespace vskexec;

namespace {

const BYTE* ReadOperand(tagVALUAREA* ctx, const BYTE* p, tagVALUE* out);

// Whole numbers in the value library's form, computed here for the common operators so that a
// statement on numbers calls nothing: sign-magnitude, the fraction 0. Anything else (a
// fraction, a result out of range, another type) goes to the value library, which also says
// what is wrong.
constexpr DWORD kSign = 0x80000000u;
constexpr DWORD kMagnitude = 0x7FFFFFFFu;

bool IsWhole(const tagVALUE& v) { return v.mode == VSK_MODE_NUMBER && VskFaqLow(&v) == 0; }
int64_t WholeOf(const tagVALUE& v) {
    int64_t i = VskFaqHigh(&v) & kMagnitude;
    return (VskFaqHigh(&v) & kSign) ? -i : i;
}
// Stores a whole number whose magnitude is in range; zero carries no sign.
void StoreWhole(tagVALUE* v, int64_t x) {
    VskSetDword(v, 0, x < 0 ? DWORD(-x) | kSign : DWORD(x));
    VskSetDword(v, 1, 0);
}
bool InRange(int64_t x) { return x >= -int64_t(VSK_NUMBER_MAX) && x <= int64_t(VSK_NUMBER_MAX); }

// A fresh number as the value library makes it (its other words 0).
void MakeWhole(tagVALUE* out, int64_t x) {
    *out = tagVALUE{};
    out->mode = VSK_MODE_NUMBER;
    StoreWhole(out, x);
}

bool MakeInteger(tagVALUAREA* ctx, tagVALUE* out, int32_t v) {
    if (InRange(v)) {
        MakeWhole(out, v);
        return true;
    }
    return VSKFAQ_Number(ctx, out, v == 0 ? 0 : 1, v, 0) != 0;
}

// The slot a resolved variable names, or nullptr outside its block (the value library's rule).
tagVALUE* SlotOf(const tagVALUEBLOCK& block, int index) {
    if (!block.lpvalue) return nullptr;
    int64_t raw = int64_t(index) + block.offset;
    if (raw < 0 || raw >= block.count) return nullptr;
    return block.lpvalue + raw;
}

// Whether comparison `op` (EQ, NE, GT, LT, GE or LE) holds between two whole numbers.
bool Holds(BYTE op, int64_t a, int64_t b) {
    return op == VSKCODE_EQ   ? a == b
           : op == VSKCODE_NE ? a != b
           : op == VSKCODE_GT ? a > b
           : op == VSKCODE_LT ? a < b
           : op == VSKCODE_GE ? a >= b
                              : a <= b;
}

// Combines two whole numbers where the result is whole and in range. False leaves `acc` as it
// was, for the value library to do the operation.
bool CombineWhole(BYTE op, tagVALUE* acc, const tagVALUE& right) {
    if (!IsWhole(*acc) || !IsWhole(right)) return false;
    int64_t a = WholeOf(*acc), b = WholeOf(right);
    int64_t r = 0;
    switch (op) {
        case VSKCODE_ADD:
            r = a + b;
            break;
        case VSKCODE_SUB:
            r = a - b;
            break;
        case VSKCODE_MUL: {
            // The sign of the product follows the operands' sign bits (a zero keeps none).
            bool negative = ((VskFaqHigh(acc) ^ VskFaqHigh(&right)) & kSign) != 0;
            int64_t m = (a < 0 ? -a : a) * (b < 0 ? -b : b);
            r = negative ? -m : m;
            break;
        }
        case VSKCODE_MOD: {
            int64_t d = b < 0 ? -b : b;
            if (d == 0) return false;
            int64_t m = (a < 0 ? -a : a) % d;
            r = (VskFaqHigh(acc) & kSign) ? -m : m;
            break;
        }
        case VSKCODE_EQ:
        case VSKCODE_NE:
        case VSKCODE_GT:
        case VSKCODE_LT:
        case VSKCODE_GE:
        case VSKCODE_LE: {
            const bool holds = Holds(op, a, b);
            MakeWhole(acc, holds ? -1 : 0);
            return true;
        }
        default:
            return false;
    }
    if (!InRange(r)) return false;
    StoreWhole(acc, r);
    return true;
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
    const tagVALUE* slot = SlotOf(block, index);
    if (!slot) {
        VSKVAL_Get(ctx, &block, index, nullptr);  // for its message
        return nullptr;
    }
    if (!CopyInto(ctx, out, slot)) return nullptr;
    return *p == VSKCODE_INC || *p == VSKCODE_DEC ? Postfix(ctx, p, block, index) : p;
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
    if (CombineWhole(op, acc, *right)) return true;
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

// The evaluator's short way for expressions on whole numbers alone (constants, variables
// holding whole numbers, parentheses, + - * % and the comparisons): the number is kept in a
// register, and the value record it ends in is the one the long way would make, that of the
// first operand's variable (or a fresh number). It reads and changes nothing: whatever it does
// not take (another type, a fraction, a negative zero, an index, a call, ++, a result out of
// range) makes it give up, and the long way evaluates the expression from its start.
struct Whole {
    int64_t v;
    const tagVALUE* base;  // the variable whose record the value keeps; nullptr for a fresh one
};

const BYTE* WholeExpression(tagVALUAREA* ctx, const BYTE* p, Whole* out);

const BYTE* WholeVariable(tagVALUAREA* ctx, const BYTE* p, Whole* out) {
    tagVALUEBLOCK block;
    int index = 0;
    if (*p == VSKCODE_LOCAL) {
        int task = RunningTask(ctx);
        if (task < 0 || task >= VSK_TASKS) return nullptr;
        block = ctx->vblocal[task];
        index = int(p[1]) - 64;
        p += 2;
    } else {
        block = *p == VSKCODE_SYSTEM ? ctx->vbsystem : ctx->vbuser;
        ++p;
        if (!ConstantSlot(&p, &index)) return nullptr;
    }
    if (*p == VSKCODE_ASSIGN || *p == VSKCODE_INDEX || *p == VSKCODE_INC || *p == VSKCODE_DEC)
        return nullptr;
    const tagVALUE* slot = SlotOf(block, index);
    if (!slot || !IsWhole(*slot) || VskFaqHigh(slot) == kSign) return nullptr;
    out->v = WholeOf(*slot);
    out->base = slot;
    return p;
}

const BYTE* WholeOperand(tagVALUAREA* ctx, const BYTE* p, Whole* out) {
    bool notOp = *p == VSKCODE_NOT;
    if (notOp) ++p;
    bool negate = *p == VSKCODE_NEGATE;
    if (negate) ++p;
    out->base = nullptr;
    switch (*p) {
        case VSKCODE_ZERO:
            out->v = 0;
            ++p;
            break;
        case VSKCODE_INT8:
            out->v = int8_t(p[1]);
            p += 2;
            break;
        case VSKCODE_INT16:
            out->v = int16_t(Read16(p + 1));
            p += 3;
            break;
        case VSKCODE_INT32:
            out->v = int32_t(Read32(p + 1));
            if (!InRange(out->v)) return nullptr;
            p += 5;
            break;
        case VSKCODE_SYSTEM:
        case VSKCODE_USER:
        case VSKCODE_LOCAL:
            p = WholeVariable(ctx, p, out);
            break;
        case VSKCODE_PAREN:
            p = WholeExpression(ctx, p + 1, out);
            if (p) ++p;  // where the ')' stood
            break;
        default:
            return nullptr;
    }
    if (!p) return nullptr;
    if (notOp) {
        out->v = ~int32_t(out->v);
        if (!InRange(out->v)) return nullptr;
    }
    if (negate) out->v = -out->v;
    return p;
}

bool IsWholeOperator(BYTE op) {
    switch (op) {
        case VSKCODE_ADD:
        case VSKCODE_SUB:
        case VSKCODE_MUL:
        case VSKCODE_MOD:
        case VSKCODE_EQ:
        case VSKCODE_NE:
        case VSKCODE_GT:
        case VSKCODE_LT:
        case VSKCODE_GE:
        case VSKCODE_LE:
            return true;
    }
    return false;
}

bool CombineWholes(BYTE op, Whole* acc, const Whole& right) {
    int64_t a = acc->v, b = right.v, r = 0;
    switch (op) {
        case VSKCODE_ADD:
            r = a + b;
            break;
        case VSKCODE_SUB:
            r = a - b;
            break;
        case VSKCODE_MUL:
            r = a * b;
            break;
        case VSKCODE_MOD: {
            if (b == 0) return false;
            int64_t m = (a < 0 ? -a : a) % (b < 0 ? -b : b);
            r = a < 0 ? -m : m;
            break;
        }
        case VSKCODE_EQ:
        case VSKCODE_NE:
        case VSKCODE_GT:
        case VSKCODE_LT:
        case VSKCODE_GE:
        case VSKCODE_LE: {
            const bool holds = Holds(op, a, b);
            acc->v = holds ? -1 : 0;
            acc->base = nullptr;  // a truth value is a fresh number
            return true;
        }
        default:
            return false;
    }
    if (!InRange(r)) return false;
    acc->v = r;
    return true;
}

const BYTE* WholePrecedence(tagVALUAREA* ctx, BYTE op, Whole* acc, const BYTE* p) {
    if (!IsWholeOperator(op)) return nullptr;
    Whole right;
    p = WholeOperand(ctx, p, &right);
    while (p && *p >= 0x80 && VskOperatorLevel(*p) > VskOperatorLevel(op))
        p = WholePrecedence(ctx, *p, &right, p + 1);
    if (!p || !CombineWholes(op, acc, right)) return nullptr;
    return p;
}

const BYTE* WholeExpression(tagVALUAREA* ctx, const BYTE* p, Whole* out) {
    p = WholeOperand(ctx, p, out);
    while (p && *p >= 0x80) p = WholePrecedence(ctx, *p, out, p + 1);
    return p;
}

// An assignment to a plain variable (no index) whose slot exists: the slot, and where the
// assigned expression begins. nullptr for any other expression.
const BYTE* AssignedSlot(tagVALUAREA* ctx, const BYTE* p, tagVALUE** slot) {
    tagVALUEBLOCK block;
    int index = 0;
    if (*p == VSKCODE_LOCAL) {
        int task = RunningTask(ctx);
        if (task < 0 || task >= VSK_TASKS) return nullptr;
        block = ctx->vblocal[task];
        index = int(p[1]) - 64;
        p += 2;
    } else if (*p == VSKCODE_SYSTEM || *p == VSKCODE_USER) {
        block = *p == VSKCODE_SYSTEM ? ctx->vbsystem : ctx->vbuser;
        ++p;
        if (!ConstantSlot(&p, &index)) return nullptr;
    } else {
        return nullptr;
    }
    if (*p != VSKCODE_ASSIGN) return nullptr;
    *slot = SlotOf(block, index);
    return *slot ? p + 1 : nullptr;
}

}  // namespace

namespace vskexec {

const BYTE* ResolveVariable(tagVALUAREA* ctx, const BYTE* p, tagVALUEBLOCK* block, int* index) {
    BYTE code = *p++;
    if (code == VSKCODE_LOCAL) {
        int task = RunningTask(ctx);
        if (task < 0 || task >= VSK_TASKS) return nullptr;
        *block = ctx->vblocal[task];
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
    Whole whole;
    tagVALUE* target = nullptr;
    const BYTE* rhs = AssignedSlot(ctx, code, &target);
    if (const BYTE* end = WholeExpression(ctx, rhs ? rhs : code, &whole)) {
        tagVALUE value;
        if (whole.base) {
            value = *whole.base;
        } else {
            value = tagVALUE{};
            value.mode = VSK_MODE_NUMBER;
        }
        StoreWhole(&value, whole.v);
        if (target) {
            // The store as the value library makes it: the old value released, the count of
            // stores moved on.
            Release(ctx, target);
            value.flag = WORD(value.flag + 1);
            *target = value;
        }
        Release(ctx, out);
        *out = value;
        return end;
    }
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
            tagVALUE* slot = SlotOf(block, index);
            if (!slot) {
                VSKVAL_Set(ctx, &block, index, &v);  // for its message
                Release(ctx, &v);
                return nullptr;
            }
            // The store as the value library makes it: the old value released, the count of
            // stores moved on.
            Release(ctx, slot);
            v.flag = WORD(v.flag + 1);
            *slot = v;
            return CopyInto(ctx, out, &v) ? end : nullptr;
        }
        p = ValueOf(ctx, after, block, index, out);
    } else {
        p = ReadOperand(ctx, p, out);
    }
    while (p && *p >= 0x80) p = Precedence(ctx, *p, out, p + 1);
    return p;
}
