// Pass 3: the cleaned text to bytecode.
#include <cstring>
#include <string>
#include <vector>

#include "vsk_sjis.h"
#include "vskcomp_internal.h"

namespace vskcomp {
namespace {

struct Operator {
    const char* text;
    BYTE code;
};
// Two-character operators are tried first.
const Operator kOperators[] = {
    {"==", VSKCODE_EQ},     {"!=", VSKCODE_NE},        {">=", VSKCODE_GE},  {"<=", VSKCODE_LE},
    {"&&", VSKCODE_ANDAND}, {"||", VSKCODE_OROR},      {"++", VSKCODE_INC}, {"--", VSKCODE_DEC},
    {"=", VSKCODE_ASSIGN},  {"!", VSKCODE_NOT},        {">", VSKCODE_GT},   {"<", VSKCODE_LT},
    {"&", VSKCODE_AND},     {"|", VSKCODE_OR},         {"+", VSKCODE_ADD},  {"-", VSKCODE_SUB},
    {"*", VSKCODE_MUL},     {"/", VSKCODE_DIV},        {"%", VSKCODE_MOD},  {"^", VSKCODE_POWER},
    {"?", VSKCODE_IDIV},    {"\\", VSKCODE_REFERENCE}, {"~", VSKCODE_XOR},
};

bool IsNameChar(BYTE c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }

class Compiler {
  public:
    Compiler(tagCOMPBLOCK* job)
        : job_(job), out_(job->hwnd, job->oldsize > 4096 ? job->oldsize : 4096) {}

    bool Run() { return out_.ok() && Block(0); }
    void Give() { out_.give(job_); }

  private:
    BYTE At(size_t k = 0) const { return Peek(job_, k); }
    void Next(size_t n = 1) { job_->lpold += n; }
    int Line() const { return S().line; }
    void SkipLineFeeds() { VSKCOMP_CheckLineFeed(job_); }
    // Every statement and operand may write this much without asking for room.
    bool Room() { return out_.room(2048); }

    bool Block(BYTE closing) {
        for (;;) {
            if (At() == '\n') {
                SkipLineFeeds();
                if (!out_.byte(VSKCODE_LINE) || !out_.u16(uint32_t(Line()))) return false;
            }
            if (At() == closing) break;
            if (At() == 0) return Fail(VSKCOMP_ERR_BRACKETS);  // a "}" block never closed
            int line = Line();
            if (!Expression()) return false;
            SkipLineFeeds();
            if (At() != ';') return Fail(VSKCOMP_ERR_SEMICOLON, line);
            Next();
        }
        return out_.byte(VSKCODE_END);
    }

    bool Expression() {
        for (;;) {
            SkipLineFeeds();
            int line = Line();
            if (!Operand()) return false;
            SkipLineFeeds();
            BYTE c = At();
            if (c == 0 || c == ',' || c == ';' || c == ')' || c == ']') return true;
            const Operator* op = ReadOperator();
            if (!op) return Fail(VSKCOMP_ERR_SEMICOLON, line);
            if (!out_.byte(op->code)) return false;
            if (op->code == VSKCODE_INC || op->code == VSKCODE_DEC) return true;
        }
    }

    const Operator* ReadOperator() {
        for (const Operator& op : kOperators) {
            size_t n = std::strlen(op.text);
            if (vskcomp::At(job_, op.text, n)) {
                Next(n);
                return &op;
            }
        }
        return nullptr;
    }

    bool Operand() {
        if (depth_ >= kMaxDepth) return Fail(VSKCOMP_ERR_BRACKETS);
        ++depth_;
        bool ok = Room() && OperandBody();
        --depth_;
        return ok;
    }

    bool OperandBody() {
        if (At() == '"') return String();
        if (At() == '\\') {
            Next();
            return out_.byte(VSKCODE_REFERENCE) && Variable();
        }
        if (At() == '!') {
            Next();
            if (!out_.byte(VSKCODE_NOT)) return false;
        }
        if (At() == '+') {
            Next();
        } else if (At() == '-') {
            Next();
            if (!out_.byte(VSKCODE_NEGATE)) return false;
        }
        BYTE c = At();
        if ((c >= '0' && c <= '9') || c == '.') return Number();
        if (c == '(') {
            Next();
            if (!out_.byte(VSKCODE_PAREN) || !Expression()) return false;
            if (At() != ')') return Fail(VSKCOMP_ERR_SYNTAX);
            Next();
            return out_.byte(VSKCODE_END);
        }
        if (c == '#' || c == '$') return Variable();
        return Call();
    }

    bool String() {
        std::vector<WORD> units;
        for (Next(); At() != '"'; Next()) {
            BYTE c = At();
            if (c == 0) return Fail(VSKCOMP_ERR_CONTROL);
            // A lead byte before the closing quote stands alone, so the string still ends
            // where pass 2 saw it end.
            if (vsk::IsLeadByte(c) && At(1) && At(1) != '"') {
                units.push_back(WORD(c << 8 | At(1)));
                Next();
            } else {
                units.push_back(c);
            }
            if (units.size() > kMaxLiteral) return Fail(VSKCOMP_ERR_LONGSTRING);
        }
        Next();
        if (!out_.byte(VSKCODE_STRING) || !out_.u16(uint32_t(units.size()))) return false;
        for (WORD u : units)
            if (!out_.u16(u)) return false;
        return out_.u16(0);
    }

    bool Number() {
        char text[64];
        size_t n = 0;
        for (BYTE c = At();
             n + 1 < sizeof text && (IsNameChar(c) || c == '.' || (c >= 'a' && c <= 'z'));
             c = At(n))
            text[n++] = char(c);
        text[n] = 0;
        tagVALUE v{};
        LPCSTR rest = VSKFAQ_GetNumber(nullptr, &v, text);
        if (!rest) return Fail(VSKCOMP_ERR_SYNTAX);
        Next(size_t(rest - text));
        DWORD integer = VskFaqHigh(&v), fraction = VskFaqLow(&v);
        if (fraction) return out_.byte(VSKCODE_FIXED) && out_.u32(integer) && out_.u32(fraction);
        if (integer == 0) return out_.byte(VSKCODE_ZERO);
        if (integer <= 127) return out_.byte(VSKCODE_INT8) && out_.byte(BYTE(integer));
        if (integer <= 32767) return out_.byte(VSKCODE_INT16) && out_.u16(integer);
        return out_.byte(VSKCODE_INT32) && out_.u32(integer);
    }

    bool Variable() {
        BYTE c = At();
        if (c == '#' || (c == '$' && !(At(1) >= '@' && At(1) <= 'Z'))) {
            Next();
            if (!out_.byte(c == '#' ? VSKCODE_SYSTEM : VSKCODE_USER)) return false;
            if (!Operand()) return Fail(VSKCOMP_ERR_INDEX);
        } else if (c == '$') {
            if (!out_.byte(VSKCODE_LOCAL) || !out_.byte(At(1))) return false;
            Next(2);
        } else {
            return Fail(VSKCOMP_ERR_VARIABLE);
        }
        if (At() != '[') return true;
        Next();
        if (!out_.byte(VSKCODE_INDEX) || !Expression()) return false;
        if (At() != ']') return Fail(VSKCOMP_ERR_BRACKETS);
        Next();
        return out_.byte(VSKCODE_END);
    }

    bool Name(std::string* name) {
        name->clear();
        while (IsNameChar(At())) {
            if (name->size() == 32) return Fail(VSKCOMP_ERR_LONGNAME);
            name->push_back(char(At()));
            Next();
        }
        return !name->empty() || Fail(VSKCOMP_ERR_NAME);
    }

    bool Call() {
        size_t record = out_.pos();
        if (!out_.byte(VSKCODE_CALL) || !out_.room(VSKFUNC_SIZE)) return false;
        for (int i = 1; i < VSKFUNC_SIZE; ++i) out_.byte(0);
        std::string lib, func;
        if (!Name(&lib)) return false;
        if (At() == ':') {
            Next();
            if (!Name(&func)) return false;
        } else {
            func = lib;
            lib = "STANDARD";
        }
        auto offset = [&] { return uint32_t(out_.pos() - record); };
        uint32_t libAt = offset();
        if (!out_.bytes(lib.c_str(), lib.size() + 1)) return false;
        uint32_t funcAt = offset();
        if (!out_.bytes(func.c_str(), func.size() + 1)) return false;
        if (At() != '(') return Fail(VSKCOMP_ERR_OPEN);
        Next();
        uint32_t argAt = offset();
        int count = 0;
        if (At() == ')') {
            Next();
            if (!out_.byte(VSKCODE_END)) return false;
        } else {
            for (;;) {
                SkipLineFeeds();
                if (At() != ',' && At() != ')' && !Expression()) return false;
                SkipLineFeeds();
                if (!out_.byte(VSKCODE_END)) return false;
                if (++count > 26) return Fail(VSKCOMP_ERR_TOOMANY);
                if (At() == ',') {
                    Next();
                    continue;
                }
                if (At() != ')') return Fail(VSKCOMP_ERR_ARGUMENTS);
                Next();
                break;
            }
        }
        uint32_t onTrue = 0, onFalse = 0;
        SkipLineFeeds();
        if (At() == '{') {
            onTrue = offset();
            Next();
            if (!Block('}')) return false;
            Next();
            SkipLineFeeds();
            if (vskcomp::At(job_, "ELSE", 4)) {
                onFalse = offset();
                Next(4);
                SkipLineFeeds();
                if (At() != '{') return Fail(VSKCOMP_ERR_ELSE);
                Next();
                if (!Block('}')) return false;
                Next();
            }
        }
        out_.patch32(record + 1, libAt);
        out_.patch32(record + 5, funcAt);
        out_.patch32(record + 9, argAt);
        out_.patch32(record + 13, uint32_t(count));
        out_.patch32(record + 17, onTrue);
        out_.patch32(record + 21, onFalse);
        out_.patch32(record + 25, offset());
        return true;
    }

    tagCOMPBLOCK* job_;
    Output out_;
    int depth_ = 0;
};

}  // namespace
}  // namespace vskcomp

using namespace vskcomp;

int WINAPI VSKCOMP_Pass3(tagCOMPBLOCK* job) {
    if (!job) return 0;
    S() = State{0, 3, job->line, job->line};
    job->lpold = job->lpoldtop;
    job->lpnewtop = job->lpnew = nullptr;
    job->newsize = 0;
    Compiler compiler(job);
    if (!compiler.Run()) return 0;
    compiler.Give();
    DropOld(job);
    return 1;
}
