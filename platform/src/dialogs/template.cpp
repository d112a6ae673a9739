#include "dialogs/template.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace wyn::dlg {
namespace {

constexpr size_t kMaxControls = 255;
constexpr long kMaxUnits = 4000;  // dialog units: far beyond any screen
constexpr size_t kMaxText = 255;

struct Token {
    bool quoted;
    std::string text;
};

// Splits one line into words and quoted texts ("" inside a quote is one quote). Shift-JIS
// trail bytes are never a quote (they are 0x40 and above), so the bytes pass as they are.
bool Tokenize(const std::string& line, std::vector<Token>* out, std::string* error) {
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == ',') {
            ++i;
            continue;
        }
        if (c == '"') {
            std::string text;
            ++i;
            for (;;) {
                if (i >= line.size()) {
                    *error = "unterminated text";
                    return false;
                }
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += line[i++];
            }
            if (text.size() > kMaxText) {
                *error = "text longer than 255 bytes";
                return false;
            }
            out->push_back(Token{true, text});
            continue;
        }
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r' &&
               line[j] != ',' && line[j] != '"')
            ++j;
        out->push_back(Token{false, line.substr(i, j - i)});
        i = j;
    }
    return true;
}

bool Number(const Token& t, long lo, long hi, long* v) {
    if (t.quoted || t.text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long n = std::strtol(t.text.c_str(), &end, 0);
    if (errno || *end || n < lo || n > hi) return false;
    *v = n;
    return true;
}

struct KindName {
    const char* word;
    Kind kind;
};
const KindName kKinds[] = {
    {"BUTTON", Kind::Button},     {"RADIO", Kind::Radio}, {"CHECK", Kind::Check},
    {"GROUPBOX", Kind::GroupBox}, {"LTEXT", Kind::LText}, {"CTEXT", Kind::CText},
    {"RTEXT", Kind::RText},       {"COMBO", Kind::Combo}, {"TRACKBAR", Kind::Trackbar}};

bool Is(const Token& t, const char* word) {
    return !t.quoted && strcasecmp(t.text.c_str(), word) == 0;
}

}  // namespace

bool ParseTemplate(const char* data, size_t size, DialogDef* out, std::string* error) {
    *out = DialogDef{};
    if (!data) {
        *error = "no template";
        return false;
    }
    std::string all(data, size);
    if (all.find('\0') != std::string::npos) all.resize(all.find('\0'));
    bool haveDialog = false;
    size_t pos = 0;
    int lineNo = 0;
    while (pos <= all.size()) {
        size_t nl = all.find('\n', pos);
        if (nl == std::string::npos) nl = all.size();
        std::string line = all.substr(pos, nl - pos);
        pos = nl + 1;
        ++lineNo;
        std::vector<Token> t;
        std::string why;
        auto fail = [&](const std::string& what) {
            *error = "line " + std::to_string(lineNo) + ": " + what;
            return false;
        };
        if (!Tokenize(line, &t, &why)) return fail(why);
        if (t.empty() || (!t[0].quoted && t[0].text[0] == ';')) {
            if (nl == all.size()) break;
            continue;
        }
        long v[4];
        if (Is(t[0], "DIALOG")) {
            if (haveDialog) return fail("a second DIALOG");
            if (t.size() != 5) return fail("DIALOG takes x y cx cy");
            for (int i = 0; i < 4; ++i)
                if (!Number(t[i + 1], i < 2 ? -kMaxUnits : 1, kMaxUnits, &v[i]))
                    return fail("bad DIALOG number");
            out->x = v[0], out->y = v[1], out->cx = v[2], out->cy = v[3];
            haveDialog = true;
        } else if (!haveDialog) {
            return fail("DIALOG must come first");
        } else if (Is(t[0], "CAPTION")) {
            if (t.size() != 2 || !t[1].quoted) return fail("CAPTION takes one text");
            out->caption = t[1].text;
        } else if (Is(t[0], "FONT")) {
            if (t.size() != 3 || !Number(t[1], 4, 72, &v[0]) || !t[2].quoted)
                return fail("FONT takes points and a face");
            out->points = static_cast<int>(v[0]);
            out->face = t[2].text;
        } else if (Is(t[0], "STYLE")) {
            if (t.size() != 2 || !Number(t[1], 0, 0x7FFFFFFF, &v[0]))
                return fail("STYLE takes a number");
            out->style = static_cast<DWORD>(v[0]);
        } else if (Is(t[0], "CONTROL")) {
            if (t.size() < 8) return fail("CONTROL takes kind id text x y cx cy");
            ControlDef c;
            bool known = false;
            for (const KindName& k : kKinds)
                if (Is(t[1], k.word)) {
                    c.kind = k.kind;
                    known = true;
                }
            if (!known) return fail("unknown control kind");
            if (!Number(t[2], -1, 65535, &v[0])) return fail("bad control id");
            c.id = static_cast<int>(v[0]);
            if (!t[3].quoted) return fail("control text must be quoted");
            c.text = t[3].text;
            for (int i = 0; i < 4; ++i)
                if (!Number(t[4 + i], i < 2 ? -kMaxUnits : 0, kMaxUnits, &v[i]))
                    return fail("bad control number");
            c.x = v[0], c.y = v[1], c.cx = v[2], c.cy = v[3];
            for (size_t i = 8; i < t.size(); ++i) {
                if (Is(t[i], "GROUP"))
                    c.group = true;
                else if (Is(t[i], "DEFAULT"))
                    c.isDefault = true;
                else if (Is(t[i], "DISABLED"))
                    c.disabled = true;
                else if (Is(t[i], "CHECKED"))
                    c.checked = true;
                else
                    return fail("unknown control flag");
            }
            if (out->controls.size() >= kMaxControls) return fail("more than 255 controls");
            out->controls.push_back(c);
        } else {
            return fail("unknown statement");
        }
        if (nl == all.size()) break;
    }
    if (!haveDialog) {
        *error = "no DIALOG statement";
        return false;
    }
    return true;
}

}  // namespace wyn::dlg
