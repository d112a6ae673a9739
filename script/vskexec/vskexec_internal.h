// Shared by the executor's modules: the scheduler's lock, the calling thread's task, the
// flag and debug words read across threads, and the executor's messages.
#pragma once

#include <atomic>
#include <cstdint>

#include "vskexec.h"

namespace vskexec {

inline constexpr char kCaption[] = "『Veskeran33』実行マネージャ(VSKEXEC.DLL)";

// Shows a message of the executor (printf-style).
void Message(tagVALUAREA* ctx, const char* format, ...);

// The calling thread's task, -1 outside the tasks. Read on every statement: the initial-exec
// model reads it without a call (the library is loaded with the program).
extern thread_local int t_task [[gnu::tls_model("initial-exec")]];

// The task the calling thread runs, -1 for a thread outside the tasks (the host).
inline int CurrentTask() { return t_task; }
// The task whose script runs: the calling thread's, else the turn's holder.
inline int RunningTask(tagVALUAREA* ctx) {
    return t_task >= 0 ? t_task : std::atomic_ref<int>(ctx->taskno).load();
}

// Words the host thread and the task threads share.
inline DWORD Flags(tagVALUAREA* ctx, int t) {
    return std::atomic_ref<DWORD>(ctx->taskflag[t]).load();
}
inline DWORD Debug(tagVALUAREA* ctx) { return std::atomic_ref<DWORD>(ctx->debug).load(); }
inline bool Live(tagVALUAREA* ctx, int t) {
    return std::atomic_ref<HANDLE>(ctx->taskhandle[t]).load() != nullptr;
}
bool AnyEnd(tagVALUAREA* ctx);
// Blocks a paused task (flag 0x8000) until the flag is cleared or its end flag is set, letting
// the tasks that can run have the turn meanwhile.
void AwaitResume(tagVALUAREA* ctx, int me);

// Numbers and empty values own nothing: releasing or copying one is a plain store, made here
// rather than through the value library for every operand of every statement.
inline bool OwnsNothing(const tagVALUE& v) {
    return v.mode == VSK_MODE_EMPTY || v.mode == VSK_MODE_NUMBER;
}
inline void Release(tagVALUAREA* ctx, tagVALUE* v) {
    if (OwnsNothing(*v))
        *v = tagVALUE{};
    else
        VSKFAQ_Clear(ctx, v);
}
// Releases `out`, then makes it a copy of `v` that the caller owns. False when the copy failed.
inline bool CopyInto(tagVALUAREA* ctx, tagVALUE* out, const tagVALUE* v) {
    Release(ctx, out);
    if (!OwnsNothing(*v)) return VSKFAQ_Copy(ctx, out, v) != 0;
    *out = *v;
    return true;
}

// Bytecode numbers, little-endian and unaligned.
inline uint16_t Read16(const BYTE* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t Read32(const BYTE* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// The command call at `record` (its 0x0F byte) with its frame filled: binds, traces, stops for
// the debugger when asked, calls. The command's result.
int CallCommand(tagVALUAREA* ctx, const BYTE* record, const tagFUNC& func, tagVALUEBLOCK* frame);
// Resolves the variable at `p` (its code 0x0C, 0x0D or 0x0E) into a block and an index;
// returns the position after it (and its index), or NULL.
const BYTE* ResolveVariable(tagVALUAREA* ctx, const BYTE* p, tagVALUEBLOCK* block, int* index);

// Forgets the bound commands of every library (a new context, or the old one's end).
void ForgetBindings();

}  // namespace vskexec
