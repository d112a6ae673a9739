// The message and value channels to an outside tracer tool: a 256-byte record through a
// mailslot, announced by one named event and answered by another. The tool is outside the
// system; without it nothing is sent, and a tool that stops answering holds a task 5000 ms at
// most.
#include <cstdio>

#include "vskexec_internal.h"

namespace {

constexpr DWORD kRecord = 256;
constexpr DWORD kAnswerMs = 5000;

struct Channel {
    const char* on;
    const char* slot;
    const char* off;
};
constexpr Channel kMessage{"VskMsgOn", "\\\\.\\mailslot\\vsk\\message", "VskMsgOff"};
constexpr Channel kValue{"VskValueOn", "\\\\.\\mailslot\\vsk\\value", "VskValueOff"};

int Send(tagVALUAREA* ctx, const Channel& channel, const char* text) {
    char record[kRecord] = {};
    int version = 0;
    tagVALUE v = ctx->vbsystem.lpvalue[VSK_SYS_VERSION];
    if (v.mode == VSK_MODE_NUMBER) VSKFAQ_Int(ctx, &v, &version);
    std::snprintf(record, sizeof record, "%d %s", version, text);
    HANDLE on = OpenEventA(EVENT_ALL_ACCESS, FALSE, channel.on);
    if (!on) return 0;
    HANDLE slot = CreateFileA(channel.slot, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (slot != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(slot, record, kRecord, &written, nullptr);
        CloseHandle(slot);
    }
    SetEvent(on);
    CloseHandle(on);
    int result = 1;
    if (HANDLE off = OpenEventA(EVENT_ALL_ACCESS, FALSE, channel.off)) {
        if (WaitForSingleObject(off, kAnswerMs) == WAIT_OBJECT_0)
            ResetEvent(off);
        else
            result = 0;
        CloseHandle(off);
    }
    return result;
}

}  // namespace

int WINAPI VSKEXEC_SendTracer(tagVALUAREA* ctx, LPCSTR text) {
    if (!text) return FindWindowA(VSK_TRACER_CLASS, nullptr) ? 1 : 0;
    return ctx ? Send(ctx, kMessage, text) : 0;
}

int WINAPI VSKEXEC_SendViewer(tagVALUAREA* ctx, LPCSTR text) {
    return ctx && text ? Send(ctx, kValue, text) : 0;
}
