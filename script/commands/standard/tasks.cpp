// Tasks, waiting, time, keys (through the host's mailbox) and the tracer's debugging commands.
#include <mmsystem.h>

#include <string>

#include "standard.h"

using namespace vskcmd;

namespace {

constexpr WORD kSigN[] = {'N', 0};
constexpr WORD kSigTaskStart[] = {'N', 'S', VSK_SIG_REST, 0};
constexpr WORD kSigRest[] = {VSK_SIG_REST, 0};
constexpr int kEscape = 0x1B;
constexpr int kReturn = 0x0D;

// 0 every wait lasts 1 ms, 1 normal, 2 normal and timed for the tracer.
int g_waitMode = 1;
// The length asked of each task's WaitStart timer.
DWORD g_requested[VSK_TASKS] = {};

int Me(tagVALUAREA* ctx) { return ctx->taskno; }

void SendTiming(tagVALUAREA* ctx, DWORD requested, DWORD measured) {
    if (requested == 0) requested = 1;
    char line[96];
    std::snprintf(line, sizeof line, "@B TASK%02d %u -> %u %u%%", Me(ctx), unsigned(requested),
                  unsigned(measured), unsigned(uint64_t(measured) * 100 / requested));
    VSKEXEC_SendTracer(ctx, line);
}

// A key state asked of the host (GetKeyState or GetAsyncKeyState), sign-extended from 16 bits.
int KeyState(tagVALUAREA* ctx, DWORD request, int vk) {
    DWORD_PTR data = DWORD_PTR(vk);
    if (!VSKEXEC_HostRequest(ctx, request, &data)) return 0;
    return int(int16_t(uint16_t(data)));
}

}  // namespace

VSKCMD_EXPORT int WINAPI VSK_TASKSTART(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "TaskStart", kSigTaskStart, frame)) return 0;
    int n = ArgInt(ctx, frame, 1);
    char file[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, 2, file);
    int task = VSKEXEC_GetFreeTask(ctx, n);
    // No task: the script reads -1 and goes on.
    if (task < 0) return ResultNumber(ctx, frame, -1);
    if (!VSKVAL_CreateLocal(ctx, task, frame)) return 0;
    if (VSKEXEC_ExecuteTask(ctx, task, file) < 0) {
        VSKVAL_DeleteLocal(ctx, task);
        return 0;
    }
    return ResultNumber(ctx, frame, task);
}

VSKCMD_EXPORT int WINAPI VSK_TASKEND(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "TAskEnd", kSigN, frame)) return 0;
    ResultEmpty(ctx, frame);
    return VSKEXEC_EndTask(ctx, ArgInt(ctx, frame, 1));
}

VSKCMD_EXPORT int WINAPI VSK_TASKSUPER(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "TaskSuper", kSigN, frame)) return 0;
    ctx->tasksuper = ArgInt(ctx, frame, 1) != 0 || VskFaqLow(Arg(frame, 1)) ? Me(ctx) : -1;
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_ISTASK(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "IsTask", kSigN, frame)) return 0;
    return ResultBool(ctx, frame, VSKEXEC_TaskLive(ctx, ArgInt(ctx, frame, 1)) != 0);
}

VSKCMD_EXPORT int WINAPI VSK_GETTASK(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "GetTask", kSigN, frame)) return 0;
    return ResultNumber(ctx, frame, Me(ctx));
}

VSKCMD_EXPORT int WINAPI VSK_WAIT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Wait", kSigN, frame)) return 0;
    int n = ArgInt(ctx, frame, 1);
    if (g_waitMode == 0) {
        VSKEXEC_Wait(ctx, 1);
    } else {
        DWORD start = timeGetTime();
        VSKEXEC_Wait(ctx, n);
        if (g_waitMode == 2) SendTiming(ctx, DWORD(n < 0 ? 0 : n), timeGetTime() - start);
    }
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_WAITSTART(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "WaitStart", kSigN, frame)) return 0;
    int n = ArgInt(ctx, frame, 1);
    int me = Me(ctx);
    if (n < 10) {
        ctx->tasktimer[me] = 0;
        g_requested[me] = 0;
    } else {
        DWORD due = timeGetTime() + DWORD(n);
        ctx->tasktimer[me] = due ? due : 1;  // 0 would mean "no timer"
        g_requested[me] = DWORD(n);
    }
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_WAITEND(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "WaitEnd", kSigN, frame)) return 0;
    int me = Me(ctx);
    DWORD due = ctx->tasktimer[me];
    if (due == 0) return ResultBool(ctx, frame, false);
    bool waitForIt = ArgInt(ctx, frame, 1) == 0;
    DWORD requested = g_requested[me];
    bool result = true;
    if (waitForIt) {
        if (g_waitMode == 0) {
            VSKEXEC_WaitTask(ctx);
        } else {
            VSKEXEC_WaitUntil(ctx, due);
            if (g_waitMode == 2) SendTiming(ctx, requested, timeGetTime() - (due - requested));
        }
    } else if (g_waitMode != 0) {
        result = int32_t(due - timeGetTime()) <= 0;
        if (g_waitMode == 2) SendTiming(ctx, requested, timeGetTime() - (due - requested));
    }
    if (result) {
        ctx->tasktimer[me] = 0;
        g_requested[me] = 0;
    }
    return ResultBool(ctx, frame, result);
}

VSKCMD_EXPORT int WINAPI VSK_CLOCK(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Clock", kSigN, frame)) return 0;
    SYSTEMTIME t{};
    GetLocalTime(&t);
    tagVALUE v{};
    VSKFAQ_Number(ctx, &v, 1, t.wYear * 10000 + t.wMonth * 100 + t.wDay,
                  DWORD(t.wHour * 10000 + t.wMinute * 100 + t.wSecond));
    return Result(ctx, frame, v);
}

VSKCMD_EXPORT int WINAPI VSK_SYSTEMTIME(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "SystemTime", kSigN, frame)) return 0;
    tagVALUE v = *Arg(frame, 1);
    DWORD select = VskFaqHigh(&v);
    if (select == 0 || select == 1) {
        DWORD ms = timeGetTime();
        if (select == 1) ms -= ctx->start;
        // A number's integer part holds nine digits: the count wraps there instead of passing
        // into the sign after 24.9 days.
        VskSetDword(&v, 0, ms % 1000000000u);
        VskSetDword(&v, 1, 0);
    }
    return Result(ctx, frame, v);
}

VSKCMD_EXPORT int WINAPI VSK_SYSTEMINFO(tagVALUAREA*, tagVALUEBLOCK*) { return 1; }

VSKCMD_EXPORT int WINAPI VSK_KEY(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Key", kSigN, frame)) return 0;
    for (int vk : {kEscape, kReturn}) {
        int state = KeyState(ctx, VSK_HOST_ASYNCKEYSTATE, vk);
        if (state < 0) {
            SetSysWord(ctx, VSK_SYS_KEY, 0, DWORD(vk));
            SetSysWord(ctx, VSK_SYS_KEY, 1, DWORD(vk));
        } else if (state > 0) {
            SetSysWord(ctx, VSK_SYS_KEY, 0, DWORD(vk));
        }
    }
    tagVALUE* a = Arg(frame, 1);
    if (VskFaqLow(a) == 0 && (VskFaqHigh(a) == 0 || VskFaqHigh(a) == 1))
        return ResultNumber(ctx, frame, int(DWORD(SysWord(ctx, VSK_SYS_KEY, VskFaqHigh(a)))));
    return Result(ctx, frame, *a);
}

VSKCMD_EXPORT int WINAPI VSK_SHIFT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Shift", kSigN, frame)) return 0;
    int word = ArgInt(ctx, frame, 1) == 1 ? 1 : 0;
    return ResultNumber(ctx, frame, int(DWORD(SysWord(ctx, VSK_SYS_SHIFT, word))));
}

VSKCMD_EXPORT int WINAPI VSK_CLEARKEY(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "ClearKey", kSigN, frame)) return 0;
    int n = ArgInt(ctx, frame, 1);
    for (int slot : {VSK_SYS_KEY, VSK_SYS_SHIFT}) {
        if (n == 0 || n == 1) SetSysWord(ctx, slot, 0, 0);
        if (n == 0 || n == 2) SetSysWord(ctx, slot, 1, 0);
    }
    return 1;
}

VSKCMD_EXPORT int WINAPI VSK_SCANKEY(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "ScanKey", kSigN, frame)) return 0;
    return ResultBool(ctx, frame, KeyState(ctx, VSK_HOST_KEYSTATE, ArgInt(ctx, frame, 1)) < 0);
}

VSKCMD_EXPORT int WINAPI VSK_ASYNCKEY(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "AsyncKey", kSigN, frame)) return 0;
    int state = KeyState(ctx, VSK_HOST_ASYNCKEYSTATE, ArgInt(ctx, frame, 1));
    return ResultBool(ctx, frame, state < 0);
}

VSKCMD_EXPORT int WINAPI VSK_TABLEKEY(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "TableKey", kSigN, frame)) return 0;
    int first = ArgInt(ctx, frame, 1);
    BYTE keys[256] = {};
    DWORD_PTR data = reinterpret_cast<DWORD_PTR>(keys);
    VSKEXEC_HostRequest(ctx, VSK_HOST_KEYBOARD, &data);
    for (int i = 0; i < 256; ++i) {
        tagVALUE v{};
        VSKFAQ_Bool(ctx, &v, keys[i] & 0x80);
        VSKVAL_Clear(ctx, &ctx->vbuser, first + i);
        if (!VSKVAL_Set(ctx, &ctx->vbuser, first + i, &v)) return 0;
    }
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_DEBUGMESSAGE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "DebugMessage", kSigRest, frame)) return 0;
    std::string line = "@B ";
    for (int k = 1, n = ArgCount(frame); k <= n; ++k) {
        tagVALUE* a = Arg(frame, k);
        char text[VSK_BYTEBUF] = {};
        if (a->mode == VSK_MODE_NUMBER) {
            VSKFAQ_String(ctx, a, text);
            line += " ";
            line += text;
        } else if (a->mode == VSK_MODE_RECT) {
            std::snprintf(text, sizeof text, "{%d,%d,%d,%d}", VskRaqXpos(a), VskRaqYpos(a),
                          VskRaqXsize(a), VskRaqYsize(a));
            line += text;
        } else if (a->mode == VSK_MODE_STRING) {
            VSKSTR_GetByte(ctx, a, text);
            line += text;
        }
    }
    VSKEXEC_SendTracer(ctx, line.c_str());
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_DEBUGBREAK(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "DebugBreak", kSigN, frame)) return 0;
    int me = Me(ctx);
    if (VSKEXEC_TaskLive(ctx, me)) {
        char line[96];
        std::snprintf(line, sizeof line, "@B <DebugBreak> Task=%d Line=%d", me, ctx->taskline[me]);
        if (VSKEXEC_SendTracer(ctx, line)) {
            std::atomic_ref<DWORD> debug(ctx->debug);
            DWORD d = (debug.load() & 0xFF) | (DWORD(me) << 8);
            debug.store((d & ~DWORD(VSK_DEBUG_STOP2 | VSK_DEBUG_GO)) | VSK_DEBUG_STOP);
        }
    }
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_DEBUGVALUE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "DebugValue", kSigN, frame)) return 0;
    int n = ArgInt(ctx, frame, 1);
    const char* text = n == 1 ? "@1" : n == 2 ? "@2" : n == 3 ? "@3" : "@0";
    VSKEXEC_SendViewer(ctx, text);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_DEBUGBEEP(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "DebugBeep", kSigN, frame)) return 0;
    MessageBeep(UINT(ArgInt(ctx, frame, 1) * 16));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_DEBUGWAIT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "DebugWait", kSigN, frame)) return 0;
    g_waitMode = ArgInt(ctx, frame, 1);
    return ResultEmpty(ctx, frame);
}
