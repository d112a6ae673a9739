// Variables, memory values, expressions given as text, and the system services: a message
// box, program start and ini files.
#include <cstring>
#include <string>

#include "standard.h"
#include "vsktask.h"

using namespace vskcmd;

namespace {

constexpr WORD kSigS[] = {'S', 0};
constexpr WORD kSigSS[] = {'S', 'S', 0};
constexpr WORD kSigSSN[] = {'S', 'S', 'N', 0};
constexpr WORD kSigSSSS[] = {'S', 'S', 'S', 'S', 0};
constexpr WORD kSigV[] = {'V', 0};
constexpr WORD kSigSwap[] = {VSK_SIG_REF | VSK_SIG_ANY, VSK_SIG_REF | VSK_SIG_ANY, 0};
constexpr WORD kSigSearch[] = {VSK_SIG_ANY, 'V', 'N', 'N', 0};
constexpr WORD kSigAlloc[] = {VSK_SIG_REF | VSK_SIG_ANY, 'N', 0};
constexpr WORD kSigFree[] = {VSK_SIG_REF | 'M', 0};

constexpr int kIniField = 256;
constexpr int kIniText = 1000;

// Argument k as a byte string of at most cap - 1 bytes.
std::string ArgText(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k, size_t cap) {
    char bytes[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, k, bytes);
    std::string s = bytes;
    if (s.size() >= cap) s.resize(cap - 1);
    return s;
}

bool Matches(tagVALUAREA* ctx, const tagVALUE* key, const tagVALUE* v) {
    if (v->mode != key->mode) return false;
    switch (key->mode) {
        case VSK_MODE_NUMBER:
            return VskFaqHigh(v) == VskFaqHigh(key) && VskFaqLow(v) == VskFaqLow(key);
        case VSK_MODE_RECT:
            for (int k = 0; k < 4; ++k)
                if (VskInt(v, k) != VskInt(key, k)) return false;
            return true;
        case VSK_MODE_STRING: {
            char a[VSK_BYTEBUF] = {}, b[VSK_BYTEBUF] = {};
            VSKSTR_GetByte(ctx, key, a);
            VSKSTR_GetByte(ctx, v, b);
            return std::strcmp(a, b) == 0;
        }
    }
    return false;
}

}  // namespace

VSKCMD_EXPORT int WINAPI VSK_CALC(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Calc", kSigS, frame)) return 0;
    char bytes[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, 1, bytes);
    // Room for the whole text, its ";" and the 0: a string may be 1998 bytes long.
    size_t length = std::strlen(bytes);
    auto* text = static_cast<BYTE*>(VSKTASK_AllocMemory(ctx->hwnd, length + 2));
    if (!text) return 0;
    std::memcpy(text, bytes, length);
    text[length] = ';';
    tagCOMPBLOCK job{};
    job.hwnd = ctx->hwnd;
    std::snprintf(job.name, sizeof job.name, "%s", "「Calc関数の式」");
    job.lpoldtop = job.lpold = text;
    job.oldsize = DWORD(length + 2);
    if (!VSKEXEC_Compile(ctx, &job)) {
        VSKTASK_FreeMemory(ctx->hwnd, job.lpoldtop);
        return 0;
    }
    const BYTE* code = job.lpnewtop;
    while (*code == VSKCODE_LINE) code += 3;
    tagVALUE v{};
    bool ok = VSKEXEC_Calc(ctx, code, &v) != nullptr;
    VSKTASK_FreeMemory(ctx->hwnd, job.lpnewtop);
    if (!ok) {
        VSKFAQ_Clear(ctx, &v);
        return 0;
    }
    return Result(ctx, frame, v);
}

VSKCMD_EXPORT int WINAPI VSK_SWAP(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Swap", kSigSwap, frame)) return 0;
    tagVALUEBLOCK a = RefBlock(frame, 1), b = RefBlock(frame, 2);
    if (!VSKVAL_Swap(ctx, &a, RefIndex(frame, 1), &b, RefIndex(frame, 2))) return 0;
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_CLEAR(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Clear", kSigV, frame)) return 0;
    tagVALUEBLOCK block = RefBlock(frame, 1);
    VSKVAL_Clear(ctx, &block, RefIndex(frame, 1));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_VALUETYPE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "ValueType", kSigV, frame)) return 0;
    tagVALUEBLOCK block = RefBlock(frame, 1);
    tagVALUE v{};
    if (!VSKVAL_Get(ctx, &block, RefIndex(frame, 1), &v)) return 0;
    return ResultNumber(ctx, frame, v.mode);
}

VSKCMD_EXPORT int WINAPI VSK_SEARCHVALUE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "SearchValue", kSigSearch, frame)) return 0;
    tagVALUEBLOCK block = RefBlock(frame, 2);
    int first = RefIndex(frame, 2);
    int count = ArgInt(ctx, frame, 3), step = ArgInt(ctx, frame, 4);
    for (int i = 0; i < count; ++i) {
        tagVALUE v{};
        if (!VSKVAL_Get(ctx, &block, first + i * step, &v)) return 0;
        if (Matches(ctx, Arg(frame, 1), &v)) return ResultNumber(ctx, frame, i);
    }
    return ResultNumber(ctx, frame, -1);
}

VSKCMD_EXPORT int WINAPI VSK_ALLOC(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Alloc", kSigAlloc, frame)) return 0;
    int n = ArgInt(ctx, frame, 2);
    if (n < 0) n = 0;
    void* memory = VSKTASK_AllocMemory(ctx->hwnd, SIZE_T(n));
    if (!memory) return 0;
    tagVALUEBLOCK block = RefBlock(frame, 1);
    int index = RefIndex(frame, 1);
    tagVALUE v{};
    VskSetMaq(&v, memory, n, 0);
    VSKVAL_Clear(ctx, &block, index);
    if (!VSKVAL_Set(ctx, &block, index, &v)) {
        VSKTASK_FreeMemory(ctx->hwnd, memory);
        return 0;
    }
    // The result has a block of its own, so that it and the variable are released apart.
    tagVALUE copy{};
    if (!VSKFAQ_Copy(ctx, &copy, &v)) return 0;
    return Result(ctx, frame, copy);
}

VSKCMD_EXPORT int WINAPI VSK_FREE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Free", kSigFree, frame)) return 0;
    tagVALUEBLOCK block = RefBlock(frame, 1);
    VSKVAL_Clear(ctx, &block, RefIndex(frame, 1));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_MESSAGEBOX(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "MessageBox", kSigSSN, frame)) return 0;
    std::string caption = ArgText(ctx, frame, 1, VSK_BYTEBUF);
    std::string raw = ArgText(ctx, frame, 2, VSK_BYTEBUF);
    std::string text;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == 'n') {
            text += "\r\n";
            ++i;
        } else {
            text += raw[i];
        }
    }
    DWORD style = VskFaqHigh(Arg(frame, 3));
    UINT type = style == 1        ? MB_ICONSTOP
                : style == 2      ? MB_ICONQUESTION | MB_YESNO
                : style == 3      ? MB_ICONEXCLAMATION
                : style == 4      ? MB_ICONINFORMATION
                : style <= 0x8000 ? MB_OK
                                  : UINT(style & 0x7FFF);
    int me = ctx->taskno;
    VSKEXEC_SetTaskFlag(ctx, me, VSK_TASKFLAG_PAUSE);
    int answer = MessageBoxA(ctx->hwnd, text.c_str(), caption.c_str(), type);
    VSKEXEC_ClearTaskFlag(ctx, me, VSK_TASKFLAG_PAUSE);
    return ResultNumber(ctx, frame, answer);
}

VSKCMD_EXPORT int WINAPI VSK_WINEXEC(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "WinExec", kSigSS, frame)) return 0;
    std::string line =
        ArgText(ctx, frame, 1, VSK_BYTEBUF) + " " + ArgText(ctx, frame, 2, VSK_BYTEBUF);
    WinExec(line.c_str(), SW_SHOWNORMAL);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_GETINIFILE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "GetIniFile", kSigSSSS, frame)) return 0;
    std::string file = ArgText(ctx, frame, 1, kIniField);
    std::string section = ArgText(ctx, frame, 2, kIniField);
    std::string key = ArgText(ctx, frame, 3, kIniField);
    std::string def = ArgText(ctx, frame, 4, kIniText);
    char text[kIniText] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), text, sizeof text,
                             file.c_str());
    return ResultString(ctx, frame, text);
}

VSKCMD_EXPORT int WINAPI VSK_SETINIFILE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "SetIniFile", kSigSSSS, frame)) return 0;
    std::string file = ArgText(ctx, frame, 1, kIniField);
    std::string section = ArgText(ctx, frame, 2, kIniField);
    std::string key = ArgText(ctx, frame, 3, kIniField);
    std::string value = ArgText(ctx, frame, 4, VSK_BYTEBUF);
    WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
    return ResultEmpty(ctx, frame);
}
