// The macro and include tables and the definition file that fills them.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "vsk_sjis.h"
#include "vskcomp_internal.h"

namespace vskcomp {
namespace {

constexpr size_t kTableSize = 200;

const Definition kBuiltIn[] = {
    {"NULL", ""},
    {"TRUE", "-1"},
    {"FALSE", "0"},
    {"VSKBLACK", "0x0000"},
    {"VSKRED", "0x7c00"},
    {"VSKGREEN", "0x03e0"},
    {"VSKBLUE", "0x001f"},
    {"VSKYELLOW", "0x7fe0"},
    {"VSKCIAN", "0x03ff"},
    {"VSKMAZENDA", "0x7c1f"},
    {"VSKWHITE", "0x7fff"},
    {"VSKGRAY", "0x3def"},
    {"VSKORANGE", "0x7de0"},
    {"VSKHREV", "0x10000000"},
    {"VSKVREV", "0x20000000"},
};

struct Tables {
    std::vector<Definition> macros{std::begin(kBuiltIn), std::end(kBuiltIn)};
    std::vector<Definition> includes;
};

Tables& T() {
    static Tables t;
    return t;
}

// The definition file being read, with its line.
struct Reader {
    const BYTE* p;
    const BYTE* end;
    int line = 1;
    BYTE at(size_t k = 0) const { return p + k < end ? p[k] : 0; }
};

// A field enclosed in a delimiter of the writer's choice. False (after the message) when it
// is not closed on its line, longer than `most`, or empty where `empty` does not allow it.
bool Field(HWND hwnd, Reader& r, size_t most, bool empty, std::string* out) {
    while (r.at() == ' ' || r.at() == '\t') ++r.p;
    BYTE delimiter = r.at();
    bool closed = false;
    out->clear();
    if (delimiter > ' ') {
        for (++r.p; r.at() && r.at() != '\n' && r.at() != 0x1A; ++r.p) {
            if (r.at() == delimiter) {
                closed = true;
                ++r.p;
                break;
            }
            out->push_back(char(r.at()));
        }
    }
    if (closed && (empty || !out->empty()) && out->size() <= most) return true;
    Message(hwnd, "項目の文字列長が制限を越えています。(line%d)", r.line);
    return false;
}

bool Define(HWND hwnd, std::vector<Definition>& table, bool include, std::string name,
            const std::string& text, int line) {
    vsk::UpperInPlace(name.data());
    for (const Definition& d : table) {
        if (name != d.name) continue;
        Message(hwnd,
                include ? "インクルード名 \"%s\" はすでに定義されています。"
                        : "マクロ名 \"%s\" はすでに定義されています。",
                name.c_str());
        return false;
    }
    if (include && !VSKFILE_Exist(hwnd, text.c_str())) {
        Message(hwnd, "インクルードファイル \"%s\" が存在しません。", text.c_str());
        return false;
    }
    if (table.size() >= kTableSize) {
        Message(hwnd, "定義数が200を超えました。(line%d)", line);
        return false;
    }
    Definition d{};
    std::snprintf(d.name, sizeof d.name, "%s", name.c_str());
    std::snprintf(d.text, sizeof d.text, "%s", text.c_str());
    table.push_back(d);
    std::stable_sort(table.begin(), table.end(), [](const Definition& a, const Definition& b) {
        return lstrcmpA(a.name, b.name) > 0;
    });
    return true;
}

}  // namespace

const std::vector<Definition>& Macros() { return T().macros; }
const std::vector<Definition>& Includes() { return T().includes; }

void ResetDefinitions() { T() = Tables{}; }

int DefineText(HWND hwnd, const BYTE* text, size_t size) {
    Reader r{text, text + size};
    for (;;) {
        BYTE c = r.at();
        if (c == ' ' || c == '\t' || c == '\r') {
            ++r.p;
            continue;
        }
        if (c == '\n') {
            ++r.p;
            ++r.line;
            continue;
        }
        if (c == '/') {
            if (r.at(1) != '/') {
                Message(hwnd, "定義ファイルに不正なコマンドが記述されています。(line%d)", r.line);
                return 0;
            }
            while (r.at() && r.at() != '\n' && r.at() != 0x1A) ++r.p;
            continue;
        }
        if (c == 0 || c == 0x1A) return 1;
        std::string token;
        while (r.at() > ' ') token.push_back(char(*r.p++));
        bool define = lstrcmpiA(token.c_str(), "#define") == 0;
        bool include = lstrcmpiA(token.c_str(), "#include") == 0;
        if (!define && !include) {
            Message(hwnd, "定義ファイルに不正なコマンドがあります。(line%d)", r.line);
            return 0;
        }
        std::string name, value;
        // A macro may stand for nothing (as the built-in NULL does); an empty name would be a
        // prefix of every text and expand without end.
        if (!Field(hwnd, r, 31, false, &name) || !Field(hwnd, r, define ? 99 : 63, true, &value))
            return 0;
        if (!Define(hwnd, define ? T().macros : T().includes, include, name, value, r.line))
            return 0;
    }
}

}  // namespace vskcomp

int WINAPI VSKCOMP_DefineFile(HWND hwnd, LPCSTR path) {
    if (!VSKFILE_Exist(hwnd, path)) return 1;
    auto* text = static_cast<BYTE*>(VSKFILE_ReadBlock(hwnd, path, 1));
    if (!text) return 0;
    int ok = vskcomp::DefineText(hwnd, text, VSKTASK_SizeMemory(hwnd, text));
    VSKTASK_FreeMemory(hwnd, text);
    return ok;
}
