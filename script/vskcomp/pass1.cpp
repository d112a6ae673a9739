// Pass 1: cleaning the text and expanding macros and includes; pass 2: brackets and strings.
#include <algorithm>
#include <cstring>
#include <vector>

#include "vsk_sjis.h"
#include "vskcomp_internal.h"

namespace vskcomp {
namespace {

bool IsControl(BYTE c) { return c < 0x20 && c != '\t'; }

// Inserts a definition's text (a macro's, or an include file's contents) without its line
// feeds, keeping 2048 bytes free behind it.
bool Insert(Output& out, const BYTE* text, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (text[i] != '\n' && !out.byte(text[i])) return false;
    if (out.pos() > kMaxText) return Fail(VSKCOMP_ERR_EXPANSION);
    return out.room(2048);
}

// Replaces the definition whose name stands at the read position, if any. -1 on error, else
// the number of expansions made (0 or 1).
int Expand(tagCOMPBLOCK* job, Output& out) {
    BYTE first = Peek(job);
    for (const Definition& m : Macros()) {
        if (BYTE(m.name[0]) != first) continue;
        size_t n = std::strlen(m.name);
        if (!n || !At(job, m.name, n)) continue;
        job->lpold += n;
        return Insert(out, reinterpret_cast<const BYTE*>(m.text), std::strlen(m.text)) ? 1 : -1;
    }
    for (const Definition& inc : Includes()) {
        if (BYTE(inc.name[0]) != first) continue;
        size_t n = std::strlen(inc.name);
        if (!n || !At(job, inc.name, n)) continue;
        job->lpold += n;
        auto* text = static_cast<BYTE*>(VSKFILE_ReadBlock(job->hwnd, inc.text, 0));
        if (!text) {
            Fail(0);  // no error line: the file library has shown why
            return -1;
        }
        size_t size = VSKTASK_SizeMemory(job->hwnd, text);
        if (size && text[size - 1] == 0x1A) --size;
        bool ok = Insert(out, text, size);
        VSKTASK_FreeMemory(job->hwnd, text);
        return ok ? 1 : -1;
    }
    return 0;
}

// Copies a string up to its closing quote; checks what passes 1 and 2 check in strings.
bool String(tagCOMPBLOCK* job, Output* out) {
    size_t n = 0;
    for (++job->lpold;; ++job->lpold) {
        BYTE c = Peek(job);
        if (c == '"') break;
        if (IsControl(c)) return Fail(VSKCOMP_ERR_CONTROL);
        if (++n > 1000) return Fail(VSKCOMP_ERR_LONGSTRING);
        if (out && !out->byte(c)) return false;
    }
    ++job->lpold;
    return true;
}

void Begin(tagCOMPBLOCK* job, int pass) {
    S() = State{0, pass, job->line, job->line};
    job->lpold = job->lpoldtop;
    job->lpnewtop = job->lpnew = nullptr;
    job->newsize = 0;
}

}  // namespace
}  // namespace vskcomp

using namespace vskcomp;

int WINAPI VSKCOMP_Pass1(tagCOMPBLOCK* job) {
    if (!job) return -1;
    Begin(job, 1);
    Output out(job->hwnd, job->oldsize ? job->oldsize : 1);
    int expansions = 0;
    for (bool going = out.ok(); going;) {
        BYTE c = Peek(job);
        if (c == 0 || c == 0x1A) {
            if (!out.byte(0)) break;
            out.give(job);
            DropOld(job);
            return expansions;
        }
        if (c == ' ' || c == '\t' || c == '\r') {
            ++job->lpold;
        } else if (c == '\n') {
            going = out.byte(c);
            ++job->lpold;
            ++S().line;
        } else if (c == '"') {
            going = out.byte(c) && String(job, &out) && out.byte(c);
        } else if (c == '/' && Peek(job, 1) == '/') {
            // A comment runs to the end of its line; the line feed stays.
            for (c = Peek(job); c && c != '\n' && c != 0x1A; c = Peek(job)) {
                if (IsControl(c) && c != '\r') going = Fail(VSKCOMP_ERR_CONTROL);
                ++job->lpold;
            }
        } else if (int line = S().line; int n = Expand(job, out)) {
            going = n > 0;
            if (going && expansions++ == 0) S().expandedAt = line;
        } else if (vsk::IsLeadByte(c)) {
            going = Fail(VSKCOMP_ERR_DOUBLEBYTE);
        } else if (IsControl(c)) {
            going = Fail(VSKCOMP_ERR_CONTROL);
        } else {
            going = out.byte(c >= 'a' && c <= 'z' ? BYTE(c - ('a' - 'A')) : c);
            ++job->lpold;
        }
    }
    return -1;
}

int WINAPI VSKCOMP_Pass2(tagCOMPBLOCK* job) {
    if (!job) return 0;
    Begin(job, 2);
    std::vector<BYTE> open;
    for (;;) {
        BYTE c = Peek(job);
        if (c == 0) break;
        if (c == '"') {
            if (!String(job, nullptr)) return 0;
            continue;
        }
        if (c == '\n') ++S().line;
        if (c == '(' || c == '[' || c == '{') {
            if (open.size() >= size_t(kMaxDepth)) return Fail(VSKCOMP_ERR_BRACKETS);
            open.push_back(c == '(' ? ')' : c == '[' ? ']' : '}');
        } else if (c == ')' || c == ']' || c == '}') {
            if (open.empty() || open.back() != c) return Fail(VSKCOMP_ERR_BRACKETS);
            open.pop_back();
        }
        ++job->lpold;
    }
    if (!open.empty()) return Fail(VSKCOMP_ERR_BRACKETS);
    // The text is taken over as it stands: the old buffer becomes the new one.
    job->lpnewtop = job->lpoldtop;
    job->lpnew = std::min(job->lpold + 1, job->lpoldtop + job->oldsize);
    job->newsize = job->oldsize;
    job->lpoldtop = job->lpold = nullptr;
    job->oldsize = 0;
    return 1;
}
