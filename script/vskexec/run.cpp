// Running scripts: finding and loading a script file (compiled or source), running a code
// block statement by statement, and compiling with the compiler's error shown.
#include <cstdio>
#include <cstring>
#include <string>

#include "vsk_sjis.h"
#include "vskexec_internal.h"
#include "vskfile.h"
#include "vsktask.h"

using namespace vskexec;

namespace {

// The first of N, N+ext, <execdir>\N, <execdir>\N+ext that exists, or "".
std::string Search(tagVALUAREA* ctx, const std::string& name, const char* ext) {
    std::string dir = std::string(ctx->execdir) + "\\";
    for (const std::string& path : {name, name + ext, dir + name, dir + name + ext})
        if (path.size() < MAX_PATH && VSKFILE_Exist(ctx->hwnd, path.c_str())) return path;
    return {};
}

std::string Find(tagVALUAREA* ctx, const std::string& name) {
    std::string path = Search(ctx, name, ".SNB");
    return path.empty() ? Search(ctx, name, ".SNA") : path;
}

// Stores the running task and line in system variable 7.
void NoteRunning(tagVALUAREA* ctx, int task) {
    tagVALUE* slot = ctx->vbsystem.lpvalue + VSK_SYS_RUNNING;
    if (slot->mode != VSK_MODE_NUMBER && slot->mode != VSK_MODE_EMPTY)
        VSKVAL_Clear(ctx, &ctx->vbsystem, VSK_SYS_RUNNING);
    slot->mode = VSK_MODE_NUMBER;
    VskSetDword(slot, 0, DWORD(task));
    VskSetDword(slot, 1, DWORD(ctx->taskline[task]));
}

void SendName(tagVALUAREA* ctx, const char* path) {
    std::string line = std::string("@N ") + path;
    if (VSKEXEC_SendTracer(ctx, nullptr)) VSKEXEC_SendTracer(ctx, line.c_str());
}

}  // namespace

int WINAPI VSKEXEC_Compile(tagVALUAREA* ctx, tagCOMPBLOCK* job) {
    if (VSKCOMP_Comp(job)) return 1;
    if (VSKCOMP_GetError() > 0) {
        char text[512] = {};
        VSKCOMP_MakeErrorMessage(job, text);
        VSKTASK_ErrorStop(ctx->hwnd, kCaption, text);
    }
    return 0;
}

int WINAPI VSKEXEC_Mem(tagVALUAREA* ctx, const BYTE* code) {
    int me = RunningTask(ctx);
    if (!ctx || !code || me < 0) return 0;
    const BYTE* p = code;
    for (;;) {
        VSKEXEC_WaitTask(ctx);
        DWORD flags = Flags(ctx, me);
        if ((flags & VSK_TASKFLAG_PAUSE) && !(flags & VSK_TASKFLAG_END)) {
            AwaitResume(ctx, me);
            continue;
        }
        NoteRunning(ctx, me);
        if (flags & (VSK_TASKFLAG_RETURN | VSK_TASKFLAG_BREAK)) return 1;
        if (flags & VSK_TASKFLAG_END) return 0;
        if (*p == VSKCODE_LINE) {
            ctx->taskline[me] = Read16(p + 1);
            p += 3;
            continue;
        }
        if (*p == VSKCODE_END) return 1;
        tagVALUE value{};
        const BYTE* next = VSKEXEC_Calc(ctx, p, &value);
        Release(ctx, &value);
        // A statement that reads nothing would be read again for ever.
        if (!next || next == p) return 0;
        p = next;
    }
}

int WINAPI VSKEXEC_File(tagVALUAREA* ctx, LPCSTR name) {
    int me = RunningTask(ctx);
    if (!ctx || !name || me < 0) return 0;
    char upper[MAX_PATH];
    std::snprintf(upper, sizeof upper, "%s", name);
    vsk::UpperInPlace(upper);
    std::string path = Find(ctx, upper);
    if (path.empty()) {
        // Let the file library say what is wrong with the name.
        HFILE file = VSKFILE_ReadOpen(ctx->hwnd, upper);
        if (!file) return 0;
        VSKFILE_Close(ctx->hwnd, file);
        path = Find(ctx, upper);
        if (path.empty()) return 0;
    }
    BYTE* code = nullptr;
    if (path.back() == 'B') {
        code = VSKCOMP_Unpack(ctx->hwnd, path.c_str());
    } else {
        auto* text = static_cast<BYTE*>(VSKFILE_ReadBlock(ctx->hwnd, path.c_str(), 1));
        if (!text) return 0;
        tagCOMPBLOCK job{};
        job.hwnd = ctx->hwnd;
        std::snprintf(job.name, sizeof job.name, "%s", upper);
        job.lpoldtop = job.lpold = text;
        job.oldsize = DWORD(VSKTASK_SizeMemory(ctx->hwnd, text));
        if (!VSKEXEC_Compile(ctx, &job)) {
            VSKTASK_FreeMemory(ctx->hwnd, job.lpoldtop);
            return 0;
        }
        code = job.lpnewtop;
    }
    if (!code) return 0;

    char former[MAX_PATH];
    std::memcpy(former, ctx->taskname[me], sizeof former);
    std::snprintf(ctx->taskname[me], sizeof ctx->taskname[me], "%s", path.c_str());
    SendName(ctx, ctx->taskname[me]);
    int formerLine = ctx->taskline[me];
    // Line markers count from 0 and the trace and the error box show line + 1: a script's
    // first line, which has no marker, is line 0.
    ctx->taskline[me] = 0;

    int result = VSKEXEC_Mem(ctx, code);

    std::memcpy(ctx->taskname[me], former, sizeof former);
    SendName(ctx, ctx->taskname[me]);
    ctx->taskline[me] = formerLine;
    VSKTASK_FreeMemory(ctx->hwnd, code);
    VSKEXEC_ClearTaskFlag(ctx, me, VSK_TASKFLAG_RETURN);
    return result;
}
