// The source form of the aircraft move script: making a script from its text and listing a
// script's bytes as text again, both driven by the opcode table.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "simulation/script_ops.h"
#include "wynbytes.h"
#include "wynplat.h"

namespace {

// ---- making ----

struct Token {
    bool text;          // a quoted text (its bytes made Shift-JIS in `value`)
    std::string value;  // the word, or the text's bytes
};

struct Maker {
    std::vector<uint8_t> out;
    std::vector<ScriptError>* errors;
    std::map<std::string, size_t> labels;
    struct Fixup {
        size_t at;
        std::string label;
        int line;
    };
    std::vector<Fixup> fixups;
    int line = 0;
    bool full = false;  // the limit was passed: one error says so

    void Error(const std::string& text) { errors->push_back(ScriptError{line, text}); }

    void Word(uint32_t v) {
        for (int k = 0; k < 4; ++k) out.push_back(uint8_t(v >> (8 * k)));
    }
};

bool IsLabelName(const std::string& s) {
    if (s.empty() || !(std::isalpha(uint8_t(s[0])) || s[0] == '_')) return false;
    for (char c : s)
        if (!(std::isalnum(uint8_t(c)) || c == '_')) return false;
    return true;
}

// A number of 32 bits: decimal or 0x, from -2^31 up to 2^32 - 1 (the word's bits).
bool ParseNumber(const std::string& s, int64_t lo, int64_t hi, uint32_t* out) {
    const size_t sign = !s.empty() && (s[0] == '-' || s[0] == '+') ? 1 : 0;
    const bool hex = s.compare(sign, 2, "0x") == 0 || s.compare(sign, 2, "0X") == 0;
    if (s.size() <= sign + (hex ? 2 : 0)) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, hex ? 16 : 10);
    if (*end || errno || v < lo || v > hi) return false;
    *out = uint32_t(v);
    return true;
}

// Turns a UTF-8 run into Shift-JIS; false when a character has no Shift-JIS form.
bool ToSjis(const std::string& utf8, std::string* out) {
    if (utf8.empty()) return true;
    std::vector<char> buf(utf8.size() * 2 + 4);
    const size_t n = WynPlat_FromUtf8(utf8.c_str(), 932, buf.data(), buf.size());
    const std::string sjis(buf.data(), n);
    // The converter writes '?' for what the code page lacks.
    size_t asked = 0, got = 0;
    for (char c : utf8) asked += c == '?';
    for (char c : sjis) got += c == '?';
    if (got != asked) return false;
    *out += sjis;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Splits a line into words and quoted texts up to a '#' outside a text; false after an error.
bool Tokenize(Maker& m, const std::string& line, std::vector<Token>* tokens) {
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            Token t{true, ""};
            std::string run;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char d = line[i];
                if (d == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (d != '\\') {
                    run += d;
                    ++i;
                    continue;
                }
                // An escape ends the run of UTF-8 text before it.
                if (!ToSjis(run, &t.value)) {
                    m.Error("text \"" + run + "\" has characters Shift-JIS lacks");
                    return false;
                }
                run.clear();
                const char e = i + 1 < line.size() ? line[i + 1] : 0;
                if (e == '"' || e == '\\') {
                    t.value += e;
                    i += 2;
                } else if (e == 'x' && i + 3 < line.size() && HexDigit(line[i + 2]) >= 0 &&
                           HexDigit(line[i + 3]) >= 0) {
                    const char b = char(HexDigit(line[i + 2]) * 16 + HexDigit(line[i + 3]));
                    if (!b) {
                        m.Error("a text cannot hold \\x00");
                        return false;
                    }
                    t.value += b;
                    i += 4;
                } else {
                    m.Error("unknown escape in a text (\\\" \\\\ \\xHH)");
                    return false;
                }
            }
            if (!closed) {
                m.Error("text without its closing quote");
                return false;
            }
            if (!ToSjis(run, &t.value)) {
                m.Error("text \"" + run + "\" has characters Shift-JIS lacks");
                return false;
            }
            tokens->push_back(t);
        } else {
            size_t j = i;
            while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r' &&
                   line[j] != '#' && line[j] != '"')
                ++j;
            tokens->push_back(Token{false, line.substr(i, j - i)});
            i = j;
        }
    }
    return true;
}

// A word operand: a number or "@label" (resolved once every label is known).
bool WordOperand(Maker& m, const Token& t, uint32_t* v) {
    if (t.text) {
        m.Error("a number is needed, not the text \"" + t.value + "\"");
        return false;
    }
    if (!t.value.empty() && t.value[0] == '@') {
        const std::string name = t.value.substr(1);
        if (!IsLabelName(name)) {
            m.Error("\"" + t.value + "\" is not a label");
            return false;
        }
        m.fixups.push_back(Maker::Fixup{m.out.size(), name, m.line});
        *v = 0;
        return true;
    }
    if (!ParseNumber(t.value, INT32_MIN, UINT32_MAX, v)) {
        m.Error("\"" + t.value + "\" is not a number of 32 bits");
        return false;
    }
    return true;
}

void Instruction(Maker& m, const std::vector<Token>& tokens) {
    const Token& head = tokens[0];
    if (head.text) {
        m.Error("a line begins with an opcode, not a text");
        return;
    }
    if (head.value == ".word" || head.value == ".byte") {
        const bool word = head.value == ".word";
        if (tokens.size() < 2) m.Error(head.value + " needs at least one value");
        for (size_t k = 1; k < tokens.size(); ++k) {
            uint32_t v;
            if (word) {
                if (!WordOperand(m, tokens[k], &v)) return;
                m.Word(v);
            } else {
                if (tokens[k].text || !ParseNumber(tokens[k].value, 0, 255, &v)) {
                    m.Error("\"" + tokens[k].value + "\" is not a byte (0 to 255)");
                    return;
                }
                m.out.push_back(uint8_t(v));
            }
        }
        return;
    }
    const ScriptOpInfo* info = FindScriptMnemonic(head.value.c_str());
    uint32_t number;
    if (!info && ParseNumber(head.value, INT32_MIN, UINT32_MAX, &number))
        info = FindScriptOp(int32_t(number));
    if (!info) {
        m.Error("unknown opcode \"" + head.value + "\"");
        return;
    }
    size_t given = 0;
    for (const char* k = info->operands; *k; ++k) given += *k != 'z';
    if (tokens.size() - 1 != given) {
        m.Error(std::string(tokens.size() - 1 < given ? "too few" : "too many") +
                " operands: " + info->mnemonic + " (" + std::to_string(info->opcode) + ") takes " +
                std::to_string(given));
        return;
    }
    m.Word(uint32_t(info->opcode));
    size_t next = 1;
    for (const char* k = info->operands; *k; ++k) {
        if (*k == 'z') {
            m.Word(0);
            continue;
        }
        const Token& t = tokens[next++];
        if (ScriptIsText(*k)) {
            if (!t.text) {
                m.Error("operand " + std::to_string(next - 1) + " of " + info->mnemonic +
                        " is a text: \"" + t.value + "\" needs quotes");
                return;
            }
            const size_t field = ScriptTextField(*k);
            if (field && t.value.size() >= field) {
                m.Error("text \"" + t.value + "\" is " + std::to_string(t.value.size()) +
                        " bytes; its field holds " + std::to_string(field - 1));
                return;
            }
            m.out.insert(m.out.end(), t.value.begin(), t.value.end());
            m.out.insert(m.out.end(), ScriptTextSize(t.value.size()) - t.value.size(), 0);
        } else {
            uint32_t v;
            if (!WordOperand(m, t, &v)) return;
            m.Word(v);
        }
    }
}

// ---- listing ----

std::string Number(int32_t v) {
    char s[24];
    if (v > -65536 && v < 65536)
        std::snprintf(s, sizeof s, "%d", v);
    else
        std::snprintf(s, sizeof s, "0x%" PRIx32, uint32_t(v));
    return s;
}

// The Shift-JIS character of `n` bytes at `p` in UTF-8, when it comes back to the same bytes.
bool CharToUtf8(const uint8_t* p, size_t n, std::string* out) {
    char sjis[3] = {};
    std::memcpy(sjis, p, n);
    char utf8[16];
    WynPlat_ToUtf8(sjis, 932, utf8, sizeof utf8);
    if (std::strstr(utf8, "\xef\xbf\xbd")) return false;  // U+FFFD: no such character
    char back[8];
    const size_t m = WynPlat_FromUtf8(utf8, 932, back, sizeof back);
    if (m != n || std::memcmp(back, sjis, n) != 0) return false;
    *out += utf8;
    return true;
}

std::string Quote(const char* text) {
    std::string s = "\"";
    const uint8_t* p = reinterpret_cast<const uint8_t*>(text);
    while (*p) {
        const uint8_t c = *p;
        const bool lead = (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc);
        if (c == '"' || c == '\\') {
            s += '\\';
            s += char(c);
            ++p;
        } else if (c >= 0x20 && c < 0x7f) {
            s += char(c);
            ++p;
        } else if (lead && p[1] && CharToUtf8(p, 2, &s)) {
            p += 2;
        } else if (c >= 0xa1 && c <= 0xdf && CharToUtf8(p, 1, &s)) {
            ++p;
        } else {
            char e[8];
            std::snprintf(e, sizeof e, "\\x%02x", c);
            s += e;
            ++p;
        }
    }
    return s + "\"";
}

// The record in the source form, jump targets as numbers.
std::string RecordText(const ScriptOp& op, const std::map<size_t, std::string>& labels) {
    std::string s = op.info->mnemonic;
    size_t w = 0, t = 0;
    for (const char* k = op.info->operands; *k; ++k) {
        if (ScriptIsText(*k)) {
            s += " " + Quote(op.text[t++]);
        } else if (*k == 'z') {
            ++w;
        } else {
            const int32_t v = op.word[w++];
            const auto found = *k == 'l' && v >= 0 ? labels.find(size_t(v)) : labels.end();
            s += " " + (found != labels.end() ? "@" + found->second : Number(v));
        }
    }
    return s;
}

// Whether the record's text makes exactly its bytes again.
bool Remakes(const ScriptOp& op, const uint8_t* bytes) {
    std::vector<uint8_t> again;
    std::vector<ScriptError> errors;
    if (!MakeScript(RecordText(op, {}), &again, &errors)) return false;
    return again.size() == op.size && std::memcmp(again.data(), bytes, op.size) == 0;
}

}  // namespace

int MakeScript(const std::string& source, std::vector<uint8_t>* bytes,
               std::vector<ScriptError>* errors) {
    bytes->clear();
    errors->clear();
    Maker m;
    m.errors = errors;
    size_t start = 0;
    while (start <= source.size()) {
        size_t end = source.find('\n', start);
        if (end == std::string::npos) end = source.size();
        ++m.line;
        std::vector<Token> tokens;
        if (Tokenize(m, source.substr(start, end - start), &tokens) && !tokens.empty()) {
            const Token& head = tokens[0];
            if (!head.text && head.value.size() > 1 && head.value.back() == ':') {
                const std::string name = head.value.substr(0, head.value.size() - 1);
                if (!IsLabelName(name))
                    m.Error("\"" + name + "\" is not a label name");
                else if (tokens.size() > 1)
                    m.Error("a label stands on a line of its own");
                else if (!m.labels.emplace(name, m.out.size()).second)
                    m.Error("label \"" + name + "\" is defined twice");
            } else {
                Instruction(m, tokens);
            }
            if (m.out.size() > size_t(kScriptMaxBytes) && !m.full) {
                m.full = true;
                m.Error("the script passes " + std::to_string(kScriptMaxBytes) + " bytes");
            }
        }
        start = end + 1;
    }
    for (const Maker::Fixup& f : m.fixups) {
        const auto found = m.labels.find(f.label);
        if (found == m.labels.end()) {
            errors->push_back(ScriptError{f.line, "undefined label \"" + f.label + "\""});
            continue;
        }
        for (int k = 0; k < 4; ++k) m.out[f.at + size_t(k)] = uint8_t(found->second >> (8 * k));
    }
    if (!errors->empty()) {
        std::stable_sort(
            errors->begin(), errors->end(),
            [](const ScriptError& a, const ScriptError& b) { return a.line < b.line; });
        return 0;
    }
    *bytes = std::move(m.out);
    return 1;
}

std::string ListScript(const uint8_t* bytes, size_t size) {
    struct Line {
        size_t pos;
        bool record;
        ScriptOp op;
    };
    std::vector<Line> lines;
    std::set<size_t> starts;
    size_t pos = 0;
    while (pos + 4 <= size) {
        Line l{pos, false, {}};
        l.record = DecodeScriptOp(bytes, size, pos, &l.op) && Remakes(l.op, bytes + pos);
        lines.push_back(l);
        starts.insert(pos);
        pos += l.record ? l.op.size : 4;
    }
    // Targets that fall on a line get a label there.
    std::map<size_t, std::string> labels;
    for (const Line& l : lines) {
        if (!l.record) continue;
        size_t w = 0;
        for (const char* k = l.op.info->operands; *k; ++k) {
            if (ScriptIsText(*k)) continue;
            const int32_t v = l.op.word[w++];
            if (*k == 'l' && v >= 0 && starts.count(size_t(v)))
                labels.emplace(size_t(v), "L" + std::to_string(v));
        }
    }
    std::string s;
    for (const Line& l : lines) {
        const auto label = labels.find(l.pos);
        if (label != labels.end()) s += label->second + ":\n";
        if (l.record) {
            s += "    " + RecordText(l.op, labels) + "\n";
        } else {
            wyn::ByteReader r(bytes + l.pos, 4);
            s += "    .word " + Number(r.i32()) + "\n";
        }
    }
    if (pos < size) {
        s += "    .byte";
        for (; pos < size; ++pos) s += " " + std::to_string(bytes[pos]);
        s += "\n";
    }
    return s;
}
