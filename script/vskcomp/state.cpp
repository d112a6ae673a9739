// The compiler's state, its error texts and lines, and the output buffer of a pass.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "vskcomp_internal.h"

namespace vskcomp {
namespace {

const char* const kErrors[] = {
    "",
    "コード中に全角コードが混在しています。(1)",
    "コード中に制御コードが混在しています。(2)",
    "文字列中に制御コードが混在しています。(3)",
    "括弧の階層が誤っています。(4)",
    "不正な演算子が使用されています。(5)",
    "文字列が1000ワードを越えています。(6)",
    "関数あるいは式の終端記号「;」がありません。(7)",
    "関数に引数括弧「(」がありません。(8)",
    "関数の引数に不正記号が含まれています。(9)",
    "式の構文に誤りがあります。(10)",
    "関数名が不正です。(11)",
    "関数の引数が26を越えています。(12)",
    "関数名は32文字までです。(13)",
    "変数の型が不正です。(14)",
    "関数の構文に誤りがあります。(15)",
    "変数名が不正です。(16)",
    "マクロの展開が終わりません。",
};

}  // namespace

State& S() {
    static State s;
    return s;
}

bool Fail(int code, int line) {
    S().error = code;
    S().line = line;
    return false;
}

bool Fail(int code) { return Fail(code, S().line); }

void Message(HWND hwnd, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    VSKTASK_ErrorStop(hwnd, kCaption, text);
}

Output::Output(HWND hwnd, size_t initial)
    : hwnd_(hwnd), top_(static_cast<BYTE*>(VSKTASK_AllocMemory(hwnd, initial))), cap_(initial) {}

Output::~Output() { VSKTASK_FreeMemory(hwnd_, top_); }

bool Output::room(size_t more) {
    if (!top_) return false;
    if (pos_ + more <= cap_) return true;
    size_t cap = cap_;
    while (pos_ + more > cap) cap += 4096;
    auto* bigger = static_cast<BYTE*>(VSKTASK_ResizeMemory(hwnd_, top_, cap));
    if (!bigger) return false;
    top_ = bigger;
    cap_ = cap;
    return true;
}

bool Output::bytes(const void* p, size_t n) {
    if (!room(n)) return false;
    if (n) std::memcpy(top_ + pos_, p, n);
    pos_ += n;
    return true;
}

void Output::patch32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) top_[at + i] = BYTE(v >> (8 * i));
}

void Output::give(tagCOMPBLOCK* job) {
    job->lpnewtop = top_;
    job->lpnew = top_ + pos_;
    job->newsize = DWORD(cap_);
    top_ = nullptr;
}

bool At(const tagCOMPBLOCK* job, const char* text, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (Peek(job, i) != BYTE(text[i]) || !text[i]) return false;
    return true;
}

void DropOld(tagCOMPBLOCK* job) {
    VSKTASK_FreeMemory(job->hwnd, job->lpoldtop);
    job->lpoldtop = job->lpold = nullptr;
    job->oldsize = 0;
}

}  // namespace vskcomp

using namespace vskcomp;

int WINAPI VSKCOMP_GetError(void) { return S().error; }
void WINAPI VSKCOMP_SetError(int code) { S().error = code; }
int WINAPI VSKCOMP_GetLine(void) { return S().line; }
void WINAPI VSKCOMP_SetLine(int line) { S().line = line; }

int WINAPI VSKCOMP_MakeErrorMessage(const tagCOMPBLOCK* job, char* buffer) {
    if (!job || !buffer) return 0;
    int code = S().error;
    const char* text = code > 0 && size_t(code) < std::size(kErrors) ? kErrors[code] : "";
    char name[MAX_PATH];
    std::memcpy(name, job->name, sizeof name);
    name[sizeof name - 1] = 0;
    std::snprintf(buffer, 400, "%s:PASS(%d):LINE(%d):%s", name, S().pass, S().line + 1, text);
    return 1;
}

int WINAPI VSKCOMP_CheckLineFeed(tagCOMPBLOCK* job) {
    int n = 0;
    while (Peek(job) == '\n') {
        ++job->lpold;
        ++S().line;
        ++n;
    }
    return n;
}
