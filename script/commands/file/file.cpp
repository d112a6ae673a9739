// File commands: a thin layer over the script file library; names the system variable #11
// (the executor's folder) precedes for renaming and searching.
#include <string>

#include "vskcmd.h"
#include "vsk_sysvars.h"
#include "vskfile.h"
#include "vsktask.h"

using namespace vskcmd;

namespace {

constexpr WORD kSigS[] = {'S', 0};
constexpr WORD kSigSS[] = {'S', 'S', 0};
constexpr WORD kSigValues[] = {'S', 'N', 'V', 'N', 0};
constexpr WORD kSigSearch[] = {'V', 'S', 0};
constexpr WORD kSigReadBlock[] = {'S', 'V', 0};

std::string ArgText(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k) {
    char bytes[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, k, bytes);
    return bytes;
}

// <#11>\name: a name in the executor's folder.
std::string InExecDir(tagVALUAREA* ctx, const std::string& name) {
    char dir[VSK_BYTEBUF] = {};
    tagVALUE* v = ctx->vbsystem.lpvalue + VSK_SYS_EXECDIR;
    if (v->mode == VSK_MODE_STRING) VSKSTR_GetByte(ctx, v, dir);
    return std::string(dir) + "\\" + name;
}

}  // namespace

VSKCMD_DEFINE_VERSION

VSKCMD_EXPORT int WINAPI VSK_DELETE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "File:Delete", kSigS, frame)) return 0;
    return ResultBool(ctx, frame, VSKFILE_Delete(ctx->hwnd, ArgText(ctx, frame, 1).c_str()));
}

VSKCMD_EXPORT int WINAPI VSK_READ(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "File:Read", kSigValues, frame)) return 0;
    tagVALUEBLOCK block = RefBlock(frame, 3);
    int n = VSKFILE_ReadFAQ(ctx, ArgText(ctx, frame, 1).c_str(), &block, RefIndex(frame, 3),
                            ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 4));
    return ResultNumber(ctx, frame, n);
}

VSKCMD_EXPORT int WINAPI VSK_WRITE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "File:Write", kSigValues, frame)) return 0;
    tagVALUEBLOCK block = RefBlock(frame, 3);
    int n = VSKFILE_WriteFAQ(ctx, ArgText(ctx, frame, 1).c_str(), &block, RefIndex(frame, 3),
                             ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 4));
    return ResultNumber(ctx, frame, n);
}

VSKCMD_EXPORT int WINAPI VSK_RENAME(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "File:Rename", kSigSS, frame)) return 0;
    std::string from = InExecDir(ctx, ArgText(ctx, frame, 1));
    std::string to = InExecDir(ctx, ArgText(ctx, frame, 2));
    return ResultBool(ctx, frame, MoveFileA(from.c_str(), to.c_str()) != 0);
}

VSKCMD_EXPORT int WINAPI VSK_SEARCH(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "File:Search", kSigSearch, frame)) return 0;
    tagVALUEBLOCK block = RefBlock(frame, 1);
    int first = RefIndex(frame, 1);
    std::string pattern = InExecDir(ctx, ArgText(ctx, frame, 2));
    WIN32_FIND_DATAA found{};
    HANDLE find = FindFirstFileA(pattern.c_str(), &found);
    int count = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            tagVALUE name{};
            if (!VSKSTR_SetByte(ctx, &name, found.cFileName)) break;
            VSKVAL_Clear(ctx, &block, first + count);
            if (!VSKVAL_Set(ctx, &block, first + count, &name)) {
                VSKSTR_Clear(ctx, &name);
                break;
            }
            ++count;
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    return ResultNumber(ctx, frame, count);
}

VSKCMD_EXPORT int WINAPI VSK_ENTRY(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "File:Entry", kSigS, frame)) return 0;
    std::string path = ArgText(ctx, frame, 1);
    std::string result;
    UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
    for (char drive = 'A'; !path.empty() && drive <= 'Z' && result.empty(); ++drive) {
        path[0] = drive;
        OFSTRUCT of{};
        if (OpenFile(path.c_str(), &of, OF_EXIST) != HFILE_ERROR) result = path;
    }
    SetErrorMode(mode);
    return ResultString(ctx, frame, result.c_str());
}

VSKCMD_EXPORT int WINAPI VSK_SIZE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "File:Size", kSigS, frame)) return 0;
    std::string name = ArgText(ctx, frame, 1);
    if (!VSKFILE_Exist(ctx->hwnd, name.c_str())) return ResultNumber(ctx, frame, -1);
    return ResultNumber(ctx, frame, int(VSKFILE_Size(ctx->hwnd, name.c_str())));
}

VSKCMD_EXPORT int WINAPI VSK_EXIST(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "File:Exist", kSigS, frame)) return 0;
    return ResultBool(ctx, frame, VSKFILE_Exist(ctx->hwnd, ArgText(ctx, frame, 1).c_str()));
}

VSKCMD_EXPORT int WINAPI VSK_READBLOCK(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "File:ReadBlock", kSigReadBlock, frame)) return 0;
    std::string name = ArgText(ctx, frame, 1);
    void* memory = VSKFILE_ReadBlock(ctx->hwnd, name.c_str(), 0);
    // A file that cannot be read leaves the variable as it was.
    if (!memory) return ResultNumber(ctx, frame, -1);
    int size = int(VSKFILE_Size(ctx->hwnd, name.c_str()));
    tagVALUEBLOCK block = RefBlock(frame, 2);
    int index = RefIndex(frame, 2);
    tagVALUE v{};
    VskSetMaq(&v, memory, size, 0);
    VSKVAL_Clear(ctx, &block, index);
    if (!VSKVAL_Set(ctx, &block, index, &v)) {
        VSKTASK_FreeMemory(ctx->hwnd, memory);
        return 0;
    }
    return ResultNumber(ctx, frame, size);
}
