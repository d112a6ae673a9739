// The check of bytecode read from a file: every item, operand and call record well formed
// and inside the code, so that the executor can walk it without looking.
#include <cstring>

#include "vskcomp_internal.h"

namespace vskcomp {
namespace {

class Checker {
  public:
    Checker(const BYTE* code, size_t size) : r_(code, size), code_(code), size_(size) {}

    bool Block() {
        for (;;) {
            BYTE b = r_.u8();
            if (!r_.ok()) return false;
            if (b == VSKCODE_END) return true;
            if (b == VSKCODE_LINE) {
                r_.u16();
                continue;
            }
            r_.seek(r_.pos() - 1);
            if (!Expression()) return false;
        }
    }

  private:
    BYTE Here() const { return r_.pos() < size_ ? code_[r_.pos()] : 0; }

    bool Expression() {
        if (!Operand()) return false;
        for (;;) {
            BYTE b = Here();
            if (r_.pos() >= size_) return false;  // a block always ends in its 0 byte
            // Every byte from 0x80 up is an operator byte, as the executor reads it: a statement
            // that begins with a prefix right after another on its line joins that one.
            if (b < 0x80) return true;
            r_.skip(1);
            if (b == VSKCODE_INC || b == VSKCODE_DEC) return true;
            if (!Operand()) return false;
        }
    }

    bool Operand() {
        if (depth_ >= kMaxDepth) return false;
        ++depth_;
        bool ok = OperandBody();
        --depth_;
        return ok && r_.ok();
    }

    bool OperandBody() {
        if (Here() == VSKCODE_REFERENCE) {
            r_.skip(1);
            return Variable();
        }
        if (Here() == VSKCODE_NOT) r_.skip(1);
        if (Here() == VSKCODE_NEGATE) r_.skip(1);
        switch (Here()) {
            case VSKCODE_ZERO:
                return r_.skip(1);
            case VSKCODE_INT8:
                return r_.skip(2);
            case VSKCODE_INT16:
                return r_.skip(3);
            case VSKCODE_INT32:
                return r_.skip(5);
            case VSKCODE_FIXED: {
                r_.skip(1);
                DWORD integer = r_.u32(), fraction = r_.u32();
                return r_.ok() && integer <= VSK_NUMBER_MAX && fraction <= VSK_NUMBER_MAX;
            }
            case VSKCODE_STRING: {
                r_.skip(1);
                unsigned n = r_.u16();
                return r_.ok() && n <= kMaxLiteral && r_.skip(size_t(n) * 2) && r_.u16() == 0 &&
                       r_.ok();
            }
            case VSKCODE_SYSTEM:
            case VSKCODE_USER:
            case VSKCODE_LOCAL:
                return Variable();
            case VSKCODE_CALL:
                return Call();
            case VSKCODE_PAREN:
                r_.skip(1);
                return Expression() && r_.u8() == VSKCODE_END && r_.ok();
        }
        return false;
    }

    bool Variable() {
        BYTE b = r_.u8();
        if (b == VSKCODE_SYSTEM || b == VSKCODE_USER) {
            if (!Operand()) return false;
        } else if (b == VSKCODE_LOCAL) {
            BYTE letter = r_.u8();
            if (letter < '@' || letter > 'Z') return false;
        } else {
            return false;
        }
        if (!r_.ok()) return false;
        if (Here() != VSKCODE_INDEX || r_.pos() >= size_) return true;
        r_.skip(1);
        return Expression() && r_.u8() == VSKCODE_END && r_.ok();
    }

    // A name of 1-32 characters 0-9, A-Z and its 0 byte; its length, or 0.
    size_t Name() {
        size_t n = 0;
        for (BYTE c = r_.u8(); r_.ok() && c; c = r_.u8()) {
            if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) || ++n > 32) return 0;
        }
        return r_.ok() ? n : 0;
    }

    bool Call() {
        size_t record = r_.pos();
        if (!r_.has(VSKFUNC_SIZE)) return false;
        tagFUNC f = VskReadFunc(code_ + record);
        r_.skip(VSKFUNC_SIZE);
        auto offset = [&] { return uint64_t(r_.pos() - record); };
        if (f.lib != VSKFUNC_SIZE || f.count < 0 || f.count > 26) return false;
        size_t lib = Name();
        if (!lib || f.func != offset()) return false;
        if (!Name() || f.arg != offset()) return false;
        if (f.count == 0) {
            if (r_.u8() != VSKCODE_END) return false;
        }
        for (int k = 0; k < f.count; ++k) {
            if (Here() != VSKCODE_END && !Expression()) return false;
            if (r_.u8() != VSKCODE_END || !r_.ok()) return false;
        }
        if (f.true_) {
            if (f.true_ != offset() || !Block()) return false;
        }
        if (f.false_) {
            if (!f.true_ || f.false_ != offset() || !Block()) return false;
        }
        return r_.ok() && f.end == offset();
    }

    wyn::ByteReader r_;
    const BYTE* code_;
    size_t size_;
    int depth_ = 0;
};

}  // namespace

bool CheckCode(const BYTE* code, size_t size) {
    if (!code) return false;
    Checker c(code, size);
    return c.Block();
}

}  // namespace vskcomp
